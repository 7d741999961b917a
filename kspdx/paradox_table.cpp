// ParadoxTable: header, field descriptors, the data-block chain and memo references, every one bounds-checked.
#include "kspdx/paradox_table.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kspdx {
namespace {

constexpr std::size_t kOldHeaderEnd = 0x58;   // field descriptors start here up to version 3.5
constexpr std::size_t kNewHeaderEnd = 0x78;   // and here from version 4.0 on
constexpr std::size_t kBlockHeaderSize = 6;
constexpr std::size_t kMemoTail = 10;         // reference, length and change number after a memo's leading bytes
constexpr std::size_t kMemoBlockSize = 4096;
constexpr std::uint8_t kMemoOwnBlock = 2;
constexpr std::uint8_t kMemoSharedBlock = 3;
// An old-style password mark that writers of later versions put in tables without a password.
constexpr std::uint32_t kNoOldPassword = 0xFF00FF00u;

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool KnownType(std::uint8_t type, std::size_t size)
{
    switch (type) {
    case kPxAlpha:
    case kPxBytes:
        return size >= 1;
    case kPxShort:
        return size == 2;
    case kPxDate:
    case kPxLong:
    case kPxTime:
    case kPxAutoInc:
        return size == 4;
    case kPxNumber:
    case kPxCurrency:
    case kPxTimestamp:
        return size == 8;
    case kPxLogical:
        return size == 1;
    case kPxBcd:
        return size == 17;
    case kPxMemo:
    case kPxBlob:
    case kPxFmtMemo:
    case kPxOle:
    case kPxGraphic:
        return size >= kMemoTail;
    default:
        return false;
    }
}

}  // namespace

ParadoxStatus ParadoxTable::Open(std::span<const std::uint8_t> db, std::span<const std::uint8_t> mb)
{
    m_db = db;
    m_mb = mb;
    m_fields.clear();
    if (db.size() < kOldHeaderEnd)
        return ParadoxStatus::kNotParadox;
    const std::uint8_t fileType = db[0x04];
    m_recordSize = Get16(db, 0x00);
    m_headerSize = Get16(db, 0x02);
    const std::uint8_t blockKb = db[0x05];
    m_version = db[0x39];
    // Other file types (indexes and the like) share the header but hold no records.
    if (fileType != 0 && fileType != 2)
        return ParadoxStatus::kNotParadox;
    if (m_version < 3 || m_version > 12)
        return m_version == 0 ? ParadoxStatus::kNotParadox : ParadoxStatus::kVersion;
    const std::size_t fieldsAt = m_version >= 5 ? kNewHeaderEnd : kOldHeaderEnd;
    if (m_recordSize == 0 || blockKb == 0 || blockKb > 32 || m_headerSize < fieldsAt || m_headerSize > db.size())
        return ParadoxStatus::kNotParadox;
    m_blockSize = static_cast<std::size_t>(blockKb) * 1024;
    if (m_recordSize + kBlockHeaderSize > m_blockSize)
        return ParadoxStatus::kDamaged;
    m_recordCount = Get32(db, 0x06);
    m_firstBlock = Get16(db, 0x0E);

    const std::uint32_t oldMark = Get32(db, 0x25);
    if (m_version >= 5 ? Get32(db, 0x5C) != 0 : oldMark != 0 && oldMark != kNoOldPassword)
        return ParadoxStatus::kEncrypted;
    m_codePage = m_version >= 5 ? Get16(db, 0x6A) : 0;

    const std::size_t fieldCount = Get16(db, 0x21);
    if (fieldCount == 0 || fieldsAt + fieldCount * 2 > m_headerSize)
        return ParadoxStatus::kDamaged;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        ParadoxField field;
        field.type = db[fieldsAt + 2 * i];
        field.size = db[fieldsAt + 2 * i + 1];
        field.offset = offset;
        if (!KnownType(field.type, field.size))
            return ParadoxStatus::kDamaged;
        offset += field.size;
        m_fields.push_back(std::move(field));
    }
    if (offset != m_recordSize)
        return ParadoxStatus::kDamaged;
    return ReadFieldNames(fieldsAt + fieldCount * 2);
}

ParadoxStatus ParadoxTable::ReadFieldNames(std::size_t at)
{
    const std::size_t tableName = m_version >= 12 ? 261 : 79;
    at += 4 + 4 * m_fields.size() + tableName;
    // Some writers pad the table name further; a field name is never empty, so zeros before it are padding.
    while (at < m_headerSize && m_db[at] == 0)
        ++at;
    for (ParadoxField& field : m_fields) {
        const std::uint8_t* begin = m_db.data() + std::min(at, m_headerSize);
        const std::uint8_t* end = m_db.data() + m_headerSize;
        const std::uint8_t* zero = std::find(begin, end, std::uint8_t{0});
        if (zero == end || zero == begin)
            return ParadoxStatus::kDamaged;
        field.name.assign(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(zero - begin));
        at = static_cast<std::size_t>(zero - m_db.data()) + 1;
    }
    return ParadoxStatus::kOk;
}

ParadoxStatus ParadoxTable::ForEachRecord(const std::function<bool(std::span<const std::uint8_t>)>& each) const
{
    struct Block {
        std::size_t start;
        std::size_t count;
    };
    std::vector<Block> chain;
    const std::size_t blocksInFile = (m_db.size() - m_headerSize + m_blockSize - 1) / m_blockSize;
    std::uint64_t total = 0;
    for (std::size_t number = m_firstBlock; number != 0;) {
        // A chain longer than the file has blocks runs in a circle.
        if (number > blocksInFile || chain.size() >= blocksInFile)
            return ParadoxStatus::kDamaged;
        const std::size_t start = m_headerSize + (number - 1) * m_blockSize;
        if (m_db.size() - start < kBlockHeaderSize)
            return ParadoxStatus::kDamaged;
        const auto last = static_cast<std::int16_t>(Get16(m_db, start + 4));
        std::size_t count = 0;
        if (last >= 0) {
            if (static_cast<std::size_t>(last) % m_recordSize != 0)
                return ParadoxStatus::kDamaged;
            count = static_cast<std::size_t>(last) / m_recordSize + 1;
            const std::size_t end = kBlockHeaderSize + count * m_recordSize;
            if (end > m_blockSize || m_db.size() - start < end)
                return ParadoxStatus::kDamaged;
        }
        chain.push_back({start + kBlockHeaderSize, count});
        total += count;
        number = Get16(m_db, start);
    }
    if (total != m_recordCount)
        return ParadoxStatus::kDamaged;
    for (const Block& block : chain)
        for (std::size_t i = 0; i < block.count; ++i)
            if (!each(m_db.subspan(block.start + i * m_recordSize, m_recordSize)))
                return ParadoxStatus::kOk;
    return ParadoxStatus::kOk;
}

std::string_view ParadoxTable::Alpha(std::span<const std::uint8_t> record, const ParadoxField& field)
{
    const char* begin = reinterpret_cast<const char*>(record.data() + field.offset);
    return std::string_view(begin, strnlen(begin, field.size));
}

bool ParadoxTable::Integer(std::span<const std::uint8_t> record, const ParadoxField& field, std::int64_t& value)
{
    const std::uint8_t* at = record.data() + field.offset;
    if (std::all_of(at, at + field.size, [](std::uint8_t b) { return b == 0; }))
        return false;
    // Stored big-endian with the sign bit flipped, so that the bytes sort as the numbers do.
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < field.size; ++i)
        raw = raw << 8 | at[i];
    const std::uint64_t sign = std::uint64_t{1} << (8 * field.size - 1);
    raw ^= sign;
    const std::int64_t magnitude = static_cast<std::int64_t>(raw & (sign - 1));
    value = raw & sign ? magnitude - static_cast<std::int64_t>(sign) : magnitude;
    if (field.type == kPxLogical)
        value = value != 0;
    return true;
}

bool ParadoxTable::Real(std::span<const std::uint8_t> record, const ParadoxField& field, double& value)
{
    const std::uint8_t* at = record.data() + field.offset;
    if (field.size != 8 || std::all_of(at, at + 8, [](std::uint8_t b) { return b == 0; }))
        return false;
    std::uint64_t raw = 0;
    for (int i = 0; i < 8; ++i)
        raw = raw << 8 | at[i];
    // Positive values have their sign bit set; negative ones are stored with every bit inverted.
    raw = raw & (std::uint64_t{1} << 63) ? raw ^ (std::uint64_t{1} << 63) : ~raw;
    std::memcpy(&value, &raw, sizeof value);
    return true;
}

bool ParadoxTable::Memo(std::span<const std::uint8_t> record, const ParadoxField& field, std::size_t max,
                        std::string& out) const
{
    const std::size_t leader = field.size - kMemoTail;
    const std::uint8_t* lead = record.data() + field.offset;
    const std::uint32_t reference = Get32(record, field.offset + leader);
    const std::uint32_t length = Get32(record, field.offset + leader + 4);
    const std::uint8_t* text = nullptr;
    if (length == 0) {
        text = lead;
    } else if (reference == 0) {
        if (length > leader)
            return false;
        text = lead;
    } else {
        const std::size_t block = reference & 0xFFFFFF00u;
        const std::size_t slot = reference & 0xFFu;
        if (block >= m_mb.size() || m_mb.size() - block < 12)
            return false;
        if (slot == 0xFF) {
            if (m_mb[block] != kMemoOwnBlock || Get32(m_mb, block + 3) != length || m_mb.size() - block - 9 < length)
                return false;
            text = m_mb.data() + block + 9;
        } else {
            const std::size_t entry = block + 12 + slot * 5;
            const std::size_t blockEnd = std::min(m_mb.size(), block + kMemoBlockSize);
            if (m_mb[block] != kMemoSharedBlock || entry + 5 > blockEnd)
                return false;
            const std::size_t units = m_mb[entry + 1];
            const std::size_t rest = m_mb[entry + 4];
            const std::size_t stored = rest == 0 ? units * 16 : (units - 1) * 16 + rest;
            const std::size_t start = block + static_cast<std::size_t>(m_mb[entry]) * 16;
            if (units == 0 || stored != length || start < entry + 5 || start > blockEnd || blockEnd - start < length)
                return false;
            text = m_mb.data() + start;
        }
    }
    std::size_t take = std::min<std::size_t>(length, max);
    if (field.type == kPxMemo || field.type == kPxFmtMemo)
        take = strnlen(reinterpret_cast<const char*>(text), take);
    out.assign(reinterpret_cast<const char*>(text), take);
    return true;
}

}  // namespace kspdx
