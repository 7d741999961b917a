// ParadoxWriter: header, field descriptors and names, chained data blocks with stale slots, and the memo file.
#include "tests/convert/paradox_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ks_test {
namespace {

constexpr std::size_t kHeaderSize = 0x800;
constexpr std::size_t kMemoBlock = 4096;
constexpr std::size_t kSharedDataStart = 336;  // after the shared block's 12-byte head and 64 five-byte slots
constexpr std::size_t kSharedLimit = 1000;     // longer memo texts get blocks of their own

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutBigEndian(std::uint8_t* at, std::uint64_t v, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * (size - 1 - i)));
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The memo file under construction: a header block, then shared and own blocks.
class MemoFile {
public:
    MemoFile() : m_bytes(kMemoBlock, 0) { Put16(m_bytes, 1, 1); }

    // Stores text; returns the reference a record holds.
    std::uint32_t Store(const std::string& text)
    {
        if (text.size() > kSharedLimit)
            return StoreOwn(text);
        const std::size_t units = (text.size() + 15) / 16;
        if (m_shared == 0 || m_slot == 64 || m_sharedFree + units * 16 > kMemoBlock) {
            m_shared = NewBlocks(1);
            m_bytes[m_shared] = 3;
            Put16(m_bytes, m_shared + 1, 1);
            m_slot = 0;
            m_sharedFree = kSharedDataStart;
        }
        const std::size_t entry = m_shared + 12 + m_slot * 5;
        m_bytes[entry] = static_cast<std::uint8_t>(m_sharedFree / 16);
        m_bytes[entry + 1] = static_cast<std::uint8_t>(units);
        Put16(m_bytes, entry + 2, 1);
        m_bytes[entry + 4] = static_cast<std::uint8_t>(text.size() % 16);
        std::memcpy(m_bytes.data() + m_shared + m_sharedFree, text.data(), text.size());
        m_sharedFree += units * 16;
        return static_cast<std::uint32_t>(m_shared) | static_cast<std::uint32_t>(m_slot++);
    }

    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::uint32_t StoreOwn(const std::string& text)
    {
        const std::size_t count = (9 + text.size() + kMemoBlock - 1) / kMemoBlock;
        const std::size_t block = NewBlocks(count);
        m_bytes[block] = 2;
        Put16(m_bytes, block + 1, static_cast<std::uint32_t>(count));
        Put32(m_bytes, block + 3, static_cast<std::uint32_t>(text.size()));
        Put16(m_bytes, block + 7, 1);
        std::memcpy(m_bytes.data() + block + 9, text.data(), text.size());
        return static_cast<std::uint32_t>(block) | 0xFF;
    }

    std::size_t NewBlocks(std::size_t count)
    {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + count * kMemoBlock, 0);
        return at;
    }

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_shared = 0;
    std::size_t m_slot = 0;
    std::size_t m_sharedFree = 0;
};

void EncodeRow(const std::vector<PxColumn>& columns, const PxRow& row, MemoFile& memo, std::uint8_t* out)
{
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const PxColumn& column = columns[c];
        const std::string& value = c < row.size() ? row[c] : std::string();
        if (!value.empty()) {
            switch (column.type) {
            case 0x01:
                std::memcpy(out, value.data(), std::min<std::size_t>(value.size(), column.size));
                break;
            case 0x02:
                PutBigEndian(out, static_cast<std::uint32_t>(PxDays(value)) ^ 0x80000000u, 4);
                break;
            case 0x03:
                PutBigEndian(out, static_cast<std::uint16_t>(std::atoi(value.c_str())) ^ 0x8000u, 2);
                break;
            case 0x04:
                PutBigEndian(out, static_cast<std::uint32_t>(std::atol(value.c_str())) ^ 0x80000000u, 4);
                break;
            case 0x06: {
                const double d = std::strtod(value.c_str(), nullptr);
                std::uint64_t bits;
                std::memcpy(&bits, &d, sizeof bits);
                bits = d >= 0 ? bits ^ (std::uint64_t{1} << 63) : ~bits;
                PutBigEndian(out, bits, 8);
                break;
            }
            case 0x09:
                out[0] = static_cast<std::uint8_t>(0x80 | (value == "1"));
                break;
            case 0x0C:
            case 0x0D: {
                const std::size_t leader = column.size - 10u;
                std::memcpy(out, value.data(), std::min(leader, value.size()));
                std::vector<std::uint8_t> tail(10, 0);
                Put32(tail, 0, value.size() <= leader ? 0 : memo.Store(value));
                Put32(tail, 4, static_cast<std::uint32_t>(value.size()));
                Put16(tail, 8, 1);
                std::memcpy(out + leader, tail.data(), 10);
                break;
            }
            default:
                throw std::invalid_argument("column type");
            }
        }
        out += column.size;
    }
}

}  // namespace

std::int32_t PxDays(const std::string& isoDate)
{
    const int y = std::atoi(isoDate.substr(0, 4).c_str());
    const unsigned m = static_cast<unsigned>(std::atoi(isoDate.substr(5, 2).c_str()));
    const unsigned d = static_cast<unsigned>(std::atoi(isoDate.substr(8, 2).c_str()));
    return static_cast<std::int32_t>(DaysFromCivil(y, m, d) - DaysFromCivil(1, 1, 1) + 1);
}

PxFiles WriteParadoxTable(const std::vector<PxColumn>& columns, const std::vector<PxRow>& rows,
                          const std::vector<PxRow>& deleted, const PxWriteOptions& options)
{
    std::size_t recordSize = 0;
    for (const PxColumn& column : columns)
        recordSize += column.size;
    const std::size_t blockSize = static_cast<std::size_t>(options.blockKb) * 1024;
    const std::size_t perBlock = (blockSize - 6) / recordSize;
    const std::size_t blocks = (rows.size() + perBlock - 1) / perBlock;

    PxFiles files;
    MemoFile memo;
    std::vector<std::uint8_t>& db = files.db;
    db.assign(kHeaderSize + blocks * blockSize, 0);
    const bool v4 = options.version >= 5;
    Put16(db, 0x00, static_cast<std::uint32_t>(recordSize));
    Put16(db, 0x02, kHeaderSize);
    db[0x04] = 2;
    db[0x05] = static_cast<std::uint8_t>(options.blockKb);
    Put32(db, 0x06, static_cast<std::uint32_t>(rows.size()));
    Put16(db, 0x0A, static_cast<std::uint32_t>(blocks));
    Put16(db, 0x0C, static_cast<std::uint32_t>(blocks));
    const std::size_t first = blocks == 0 ? 0 : options.reverseBlocks ? blocks : 1;
    const std::size_t last = blocks == 0 ? 0 : options.reverseBlocks ? 1 : blocks;
    Put16(db, 0x0E, static_cast<std::uint32_t>(first));
    Put16(db, 0x10, static_cast<std::uint32_t>(last));
    Put16(db, 0x21, static_cast<std::uint32_t>(columns.size()));
    Put32(db, 0x25, v4 ? 0xFF00FF00u : 0);
    db[0x39] = static_cast<std::uint8_t>(options.version);
    std::size_t at = 0x58;
    if (v4) {
        Put16(db, 0x58, 0x0109);
        Put16(db, 0x5A, 0x0109);
        Put16(db, 0x64, static_cast<std::uint32_t>(columns.size() + 1));
        Put16(db, 0x68, static_cast<std::uint32_t>(columns.size()));
        Put16(db, 0x6A, 437);
        at = 0x78;
    }
    for (const PxColumn& column : columns) {
        db[at++] = column.type;
        db[at++] = column.size;
    }
    at += 4 + 4 * columns.size();
    const char tableName[] = "filstore.db";
    std::memcpy(db.data() + at, tableName, sizeof tableName);
    at += 79;
    for (const PxColumn& column : columns) {
        std::memcpy(db.data() + at, column.name.c_str(), column.name.size() + 1);
        at += column.name.size() + 1;
    }
    for (std::size_t i = 0; i < columns.size(); ++i, at += 2)
        Put16(db, at, static_cast<std::uint32_t>(i + 1));
    const char sortOrder[] = "ascii";
    std::memcpy(db.data() + at, sortOrder, sizeof sortOrder);
    if (at + sizeof sortOrder > kHeaderSize)
        throw std::invalid_argument("header too long");

    std::size_t stale = 0;
    for (std::size_t chunk = 0; chunk < blocks; ++chunk) {
        const auto physical = [&](std::size_t c) { return options.reverseBlocks ? blocks - c : c + 1; };
        const std::size_t start = kHeaderSize + (physical(chunk) - 1) * blockSize;
        Put16(db, start, static_cast<std::uint32_t>(chunk + 1 < blocks ? physical(chunk + 1) : 0));
        Put16(db, start + 2, static_cast<std::uint32_t>(chunk > 0 ? physical(chunk - 1) : 0));
        const std::size_t count = std::min(perBlock, rows.size() - chunk * perBlock);
        Put16(db, start + 4, static_cast<std::uint32_t>((count - 1) * recordSize));
        for (std::size_t i = 0; i < count; ++i)
            EncodeRow(columns, rows[chunk * perBlock + i], memo, db.data() + start + 6 + i * recordSize);
        for (std::size_t i = count; i < perBlock && stale < deleted.size(); ++i)
            EncodeRow(columns, deleted[stale++], memo, db.data() + start + 6 + i * recordSize);
    }
    files.mb = memo.Take();
    return files;
}

}  // namespace ks_test
