// A damaged table: which damage is refused rather than cut, and the repair that keeps every intact record.
#include "kspdx/engine_results.h"
#include "kspdx/table_log.h"
#include "tests/engine_core/engine_test_support.h"

#include <string>
#include <vector>

namespace {

using namespace kspdx;
using Bytes = std::vector<std::uint8_t>;

// A put entry of exactly size bytes (25 bytes of framing, numbers and lengths, then texts).
Bytes PutOfSize(EntryBuilder& builder, std::int32_t number, std::size_t size)
{
    std::size_t left = size - 25;
    // Filled in this order, each up to its width: Abstract, FileName, Location, Title.
    const std::size_t widths[] = {799, 255, 255, 80};
    std::string parts[4];
    for (int i = 0; i < 4; ++i) {
        parts[i].assign(std::min(left, widths[i]), static_cast<char>('a' + i));
        left -= parts[i].size();
    }
    RecordTexts texts{parts[1], "", parts[3], "", parts[2], parts[0]};
    const auto entry = builder.Put(number, texts);
    EXPECT_EQ(entry.size(), size);
    return Bytes(entry.begin(), entry.end());
}

// Damage that a torn last entry cannot explain is refused for repair, and the file is left byte for byte.
TEST(DamagedTail, DamageThatIsNoTornEntryIsRefusedAndLeftUntouched)
{
    EntryBuilder builder;
    const auto header = EncodeHeader();

    // Last entry damaged, followed by more bytes than one entry holds, none of them a sound entry.
    Bytes longTail(header.begin(), header.end());
    for (int n = 1; n <= 3; ++n) {
        const Bytes put = PutOfSize(builder, n, 400);
        longTail.insert(longTail.end(), put.begin(), put.end());
    }
    longTail[longTail.size() - 100] ^= 0x10;
    longTail.insert(longTail.end(), kMaxEntrySize, 0xEE);

    // One flipped byte in an entry just before the first 256 KiB read boundary: the next entry runs past the
    // boundary, so the bytes read at once from the damaged entry hold no sound entry; only the length of the
    // rest of the file shows that the damage is no torn tail.
    constexpr std::size_t kBoundary = kHeaderSize + 256 * 1024;
    Bytes boundary(header.begin(), header.end());
    std::int32_t number = 0;
    while (boundary.size() + 1000 + kMaxEntrySize + 1 <= kBoundary) {
        const Bytes put = PutOfSize(builder, ++number, 1000);
        boundary.insert(boundary.end(), put.begin(), put.end());
    }
    const std::size_t damagedAt = boundary.size();
    for (std::size_t size : {std::size_t{1200}, std::size_t{1400}}) {
        const Bytes put = PutOfSize(builder, ++number, size);
        boundary.insert(boundary.end(), put.begin(), put.end());
    }
    ASSERT_GT(damagedAt + 1200 + 1400, kBoundary);
    for (int n = 0; n < 50; ++n) {
        const Bytes put = PutOfSize(builder, ++number, 900);
        boundary.insert(boundary.end(), put.begin(), put.end());
    }
    boundary[damagedAt + 600] ^= 0x01;

    const std::pair<const char*, Bytes> cases[] = {{"long damaged tail", longTail},
                                                   {"flip near a read boundary", boundary}};
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        auto disk = MemoryDisk::Holding(bytes);
        EngineCore engine;
        EXPECT_EQ(engine.Open(std::make_unique<MemoryTableFile>(disk)), kResultTableCorrupted);
        EXPECT_EQ(disk->bytes, bytes);
    }
}

// A table built by the engine, its entries' ends recorded: adds of A..E (1..5), B updated, D deleted, F (6)
// added and deleted, so the highest number given belongs to a deleted record.
class RepairTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ends.push_back(disk->bytes.size());
        for (const char* name : {"A", "B", "C", "D", "E"}) {
            Add(name);
            ends.push_back(disk->bytes.size());
        }
        Change(2, "B2", false);
        Change(4, "", true);
        Add("F");
        ends.push_back(disk->bytes.size());
        Change(6, "", true);
        ASSERT_EQ(ends.size(), 10u);
        table = disk->bytes;
    }
    void Change(int32_t number, const std::string& name, bool remove)
    {
        ASSERT_EQ(Open(number), 0);
        FileRecord buffer = MakeRecord(name);
        ASSERT_EQ(Run(remove ? ENG_DELETE : ENG_UPDATE, buffer), 0);
        ASSERT_EQ(Run(ENG_CLOSE, buffer), 0);
        ends.push_back(disk->bytes.size());
    }
    // A byte in the middle of entry k (0 = the first change).
    std::size_t Inside(std::size_t k) const { return (ends[k] + ends[k + 1]) / 2; }

    std::vector<std::uint64_t> ends;
    Bytes table;
};

TEST_F(RepairTest, RepairKeepsEveryIntactRecordAndTheNumbersGiven)
{
    struct Case {
        const char* what;
        std::vector<std::size_t> flips;  // bytes flipped
        std::size_t insertAt = 0;       // where 100 stray bytes are put in (0: none)
        std::vector<std::string> records;
        std::uint64_t lost;
    };
    const std::string a = Line(1, "A"), b2 = Line(2, "B2"), c = Line(3, "C"), d = Line(4, "D"), e = Line(5, "E");
    const Case cases[] = {
        {"an add lost in the middle", {Inside(2)}, 0, {a, b2, e}, 1},
        {"an add lost, its record updated later", {Inside(1)}, 0, {a, b2, c, e}, 1},
        {"a delete lost brings its record back", {Inside(6)}, 0, {a, b2, c, d, e}, 1},
        {"two entries in a row", {Inside(2), Inside(3)}, 0, {a, b2, e}, 2},
        {"stray bytes between entries", {}, ends[3], {a, b2, c, e}, 1},
        {"the header", {3}, 0, {a, b2, c, e}, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        Bytes bytes = table;
        for (std::size_t at : test.flips)
            bytes[at] ^= 0x40;
        if (test.insertAt)
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(test.insertAt), 100, 0x5A);
        auto damaged = MemoryDisk::Holding(bytes);
        auto fresh = std::make_shared<MemoryDisk>();
        {
            MemoryTableFile in(damaged);
            MemoryTableFile out(fresh);
            const RepairReport report = RepairTable(in, out);
            EXPECT_EQ(report.code, 0);
            EXPECT_EQ(report.kept, test.records.size());
            EXPECT_EQ(report.lost, test.lost);
        }
        EXPECT_EQ(damaged->bytes, bytes);
        EXPECT_EQ(fresh->durable, fresh->bytes);
        EngineCore repaired;
        ASSERT_EQ(repaired.Open(std::make_unique<MemoryTableFile>(fresh)), 0);
        EXPECT_EQ(Table(repaired), test.records);
        // Number 6 was given once: the next record gets 7.
        FileRecord record = MakeRecord("NEW");
        ASSERT_EQ(repaired.Execute(ENG_ADD, record), 0);
        EXPECT_EQ(record.RecordNumber, 7);
    }
}

TEST_F(RepairTest, RepairOfASoundOrNewerTableWritesNothingWrong)
{
    // A sound table repaired gives the same records and loses nothing.
    auto fresh = std::make_shared<MemoryDisk>();
    {
        MemoryTableFile in(disk);
        MemoryTableFile out(fresh);
        const RepairReport report = RepairTable(in, out);
        EXPECT_EQ(report.code, 0);
        EXPECT_EQ(report.kept, 4u);
        EXPECT_EQ(report.lost, 0u);
    }
    EngineCore repaired;
    ASSERT_EQ(repaired.Open(std::make_unique<MemoryTableFile>(fresh)), 0);
    EXPECT_EQ(Table(repaired), (std::vector<std::string>{Line(1, "A"), Line(2, "B2"), Line(3, "C"), Line(5, "E")}));

    // A table of a later format version is not damage: no repair.
    Bytes newer = table;
    newer[8] = 2;
    const std::uint32_t crc = Crc32(std::span<const std::uint8_t>(newer.data(), 12));
    for (int i = 0; i < 4; ++i)
        newer[12 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    auto newerDisk = MemoryDisk::Holding(newer);
    auto untouched = std::make_shared<MemoryDisk>();
    MemoryTableFile in(newerDisk);
    MemoryTableFile out(untouched);
    EXPECT_EQ(RepairTable(in, out).code, kResultUnknownVersion);
    EXPECT_TRUE(untouched->bytes.empty());
}

}  // namespace
