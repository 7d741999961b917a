// ENG_NEXT_BATCH: which records a batch holds and where it ends (the count asked for, the area's room), what
// the reply and the walk position are afterwards, records changed or deleted between batches; and reading a
// batch back, whole or damaged.
#include "engine/record_batch.h"
#include "kspdx/engine_results.h"
#include "tests/engine_core/engine_test_support.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kspdx;
using Bytes = std::vector<std::uint8_t>;

// Every field filled to its width.
FileRecord Widest(int i)
{
    FileRecord record = MakeRecord(std::to_string(i) + std::string(254, 'N'));
    SetFieldText(record.DownloadDate, "12/25/1996");
    SetFieldText(record.Title, std::string(80, 'T'));
    SetFieldText(record.Keywords, std::string(80, 'K'));
    SetFieldText(record.Location, std::string(255, 'L'));
    SetFieldText(record.Abstract, std::string(799, 'A'));
    return record;
}

// One batch request's outcome: the result, the records read back from the area, the reply record.
struct Batch {
    int32_t result;
    std::vector<std::string> records;
    FileRecord reply;
    std::size_t used;
};

class BatchTest : public EngineTest {
protected:
    Batch Fetch(int32_t after, int32_t most, std::size_t room, const FileRecord& sent = FileRecord{})
    {
        Batch batch{};
        batch.reply = sent;
        batch.reply.RecordNumber = after;
        batch.reply.RecordCount = most;
        Bytes area(room, 0xEE);
        batch.result = engine->Execute(ENG_NEXT_BATCH, batch.reply, area, batch.used);
        BatchReader reader{std::span<const std::uint8_t>(area).first(batch.used)};
        FileRecord record;
        std::memset(&record, 0xCC, sizeof record);
        while (reader.Next(record))
            batch.records.push_back(Describe(record));
        EXPECT_FALSE(reader.Damaged());
        return batch;
    }
    // The records an ENG_FIRST/ENG_NEXT walk gives, from the one numbered first on.
    std::vector<std::string> Walked(int32_t first, std::size_t count)
    {
        std::vector<std::string> lines;
        for (const std::string& line : Table(*engine))
            if (std::stoi(line) >= first && lines.size() < count)
                lines.push_back(line);
        return lines;
    }
    std::size_t EntrySize(const FileRecord& record)
    {
        std::size_t size = kBatchEntryHeaderSize;
        for (const TextField& field : kTextFields)
            size += FieldText(record, field).size();
        return size;
    }
};

TEST_F(BatchTest, ABatchHoldsTheRecordsAfterTheNumberGivenUpToTheCountOrTheRoom)
{
    for (int i = 1; i <= 6; ++i) {
        FileRecord record = i % 2 ? Widest(i) : MakeRecord("F" + std::to_string(i) + ".ZIP");
        ASSERT_EQ(Run(ENG_ADD, record), 0);
    }
    ASSERT_EQ(Delete(3), 0);
    const std::size_t widest = EntrySize(Widest(1));
    const std::size_t narrow = EntrySize(MakeRecord("F2.ZIP"));
    ASSERT_EQ(widest, kMaxBatchEntrySize);

    struct Case {
        const char* what;
        int32_t after;
        int32_t most;
        std::size_t room;
        int32_t result;
        int32_t first;  // the first record given
        std::size_t count;
    };
    const Case cases[] = {
        {"from the start, room for all", 0, 0, 1 << 20, 0, 1, 5},
        {"after a deleted record", 2, 0, 1 << 20, 0, 4, 3},
        {"at most two", 0, 2, 1 << 20, 0, 1, 2},
        {"at most one, the last record", 5, 1, 1 << 20, 0, 6, 1},
        {"room for exactly two", 0, 0, widest + narrow, 0, 1, 2},
        {"a byte short of two", 0, 0, widest + narrow - 1, 0, 1, 1},
        {"room for exactly one of the widest", 4, 0, widest, 0, 5, 1},
        {"no room for the first", 0, 0, widest - 1, kResultBufferTooSmall, 0, 0},
        {"no room at all", 0, 0, 0, kResultBufferTooSmall, 0, 0},
        {"after the last record", 6, 0, 1 << 20, ENG_END_OF_TABLE, 0, 0},
        {"after a number never given", 4711, 0, 1 << 20, ENG_END_OF_TABLE, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileRecord sent = MakeRecord("SENT.TXT");
        const Batch batch = Fetch(c.after, c.most, c.room, sent);
        EXPECT_EQ(batch.result, c.result);
        EXPECT_EQ(batch.records, Walked(c.first, c.count));
        FileRecord expected = sent;
        if (c.result == 0) {
            // The reply says how many and which came last; every other byte is as sent.
            expected.RecordCount = static_cast<int32_t>(c.count);
            expected.RecordNumber = std::stoi(batch.records.back());
        } else {
            EXPECT_EQ(batch.used, 0u);
            expected.RecordNumber = c.after;
            expected.RecordCount = c.most;
        }
        EXPECT_EQ(std::memcmp(&batch.reply, &expected, sizeof expected), 0);
    }
}

TEST_F(BatchTest, TheLastRecordGivenBecomesTheCurrentRecordOfTheWalk)
{
    AddFiles(5);
    FileRecord record{};
    ASSERT_EQ(Run(ENG_FIRST, record), 0);
    ASSERT_EQ(Fetch(1, 2, 1 << 20).result, 0);  // records 2 and 3
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(record.RecordNumber, 4);
    // The conversion's rewrite: a batch of one makes the record current, ENG_UPDATE_CURRENT writes over it.
    ASSERT_EQ(Fetch(1, 1, 1 << 20).result, 0);
    record = MakeRecord("MOVED.ZIP");
    ASSERT_EQ(Run(ENG_UPDATE_CURRENT, record), 0);
    EXPECT_EQ(record.RecordNumber, 2);
    // A batch past the end leaves the current record where it was.
    EXPECT_EQ(Fetch(5, 0, 1 << 20).result, ENG_END_OF_TABLE);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(record.RecordNumber, 3);
    EXPECT_EQ(Table(*engine)[1], Line(2, "MOVED.ZIP"));
}

TEST_F(BatchTest, RecordsChangedOrDeletedBetweenBatchesAreGivenAsTheyAreNow)
{
    AddFiles(6);
    const Batch first = Fetch(0, 2, 1 << 20);
    ASSERT_EQ(first.records, (std::vector<std::string>{Line(1, "FILE1.ZIP"), Line(2, "FILE2.ZIP")}));
    // Between two batches a Record Interface changes the next record, deletes the one after and one already
    // given, and a record is added at the end.
    ASSERT_EQ(Rename(3, "NEW3.ZIP"), 0);
    ASSERT_EQ(Delete(4), 0);
    ASSERT_EQ(Delete(1), 0);
    Add("FILE7.ZIP");
    const Batch rest = Fetch(first.reply.RecordNumber, 0, 1 << 20);
    EXPECT_EQ(rest.records, (std::vector<std::string>{Line(3, "NEW3.ZIP"), Line(5, "FILE5.ZIP"),
                                                      Line(6, "FILE6.ZIP"), Line(7, "FILE7.ZIP")}));
}

TEST(BatchReader, GivesEachRecordWithZeroTailsOrOnlyItsTerminators)
{
    Bytes area(4096);
    std::size_t used = 0;
    const FileRecord a = MakeRecord("A.ZIP");
    FileRecord empty{};
    std::memset(&empty, 0, sizeof empty);
    RecordTexts texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = FieldText(a, kTextFields[i]);
    ASSERT_TRUE(AppendBatchEntry(area, used, 7, texts));
    ASSERT_TRUE(AppendBatchEntry(area, used, 9, RecordTexts{}));
    BatchReader reader{std::span<const std::uint8_t>(area).first(used)};
    FileRecord record;
    std::memset(&record, 0xCC, sizeof record);
    ASSERT_TRUE(reader.Next(record));
    FileRecord expected = a;
    for (const TextField& field : kTextFields) {
        char* text = reinterpret_cast<char*>(&expected) + field.offset;
        std::memset(text + std::strlen(text), 0, field.size - std::strlen(text));
    }
    expected.RecordNumber = 7;
    expected.RecordCount = record.RecordCount;  // left as it was
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
    // Only terminators: the bytes after them stay as they were, the texts read the same.
    ASSERT_TRUE(reader.NextTexts(record));
    EXPECT_EQ(record.RecordNumber, 9);
    for (const TextField& field : kTextFields)
        EXPECT_EQ(FieldText(record, field), "");
    EXPECT_EQ(record.Abstract[1], 'b') << "left from \"Abstract of A.ZIP\"";
    EXPECT_FALSE(reader.Next(record));
    EXPECT_FALSE(reader.Damaged());
}

TEST(BatchReader, BytesThatDoNotFormRecordsEndTheReadingAsDamaged)
{
    Bytes whole(4096);
    std::size_t used = 0;
    const RecordTexts texts{"A.ZIP", "01/01/96", "Title", "", "C:\\STORE", "Abstract"};
    ASSERT_TRUE(AppendBatchEntry(whole, used, 1, texts));
    ASSERT_TRUE(AppendBatchEntry(whole, used, 2, texts));
    whole.resize(used);
    const std::size_t first = used / 2;
    auto with = [&](std::size_t at, std::vector<std::uint8_t> values) {
        Bytes bytes = whole;
        std::copy(values.begin(), values.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return bytes;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        int sound;  // records read before the damage
    };
    const Case cases[] = {
        {"cut inside the second entry's header", Bytes(whole.begin(), whole.begin() + first + 5), 1},
        {"cut inside the second entry's texts", Bytes(whole.begin(), whole.end() - 1), 1},
        {"record number 0", with(first, {0, 0, 0, 0}), 1},
        {"record number above the largest", with(first + 3, {0x80}), 1},
        {"a date longer than its field", with(first + 6, {11, 0}), 1},
        {"a file name of 256 characters", with(4, {0, 1}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BatchReader reader(c.bytes);
        FileRecord record{};
        int read = 0;
        while (reader.Next(record))
            ++read;
        EXPECT_EQ(read, c.sound);
        EXPECT_TRUE(reader.Damaged());
    }
}

TEST(BatchReader, AReplyIsTakenOnlyWhenItHoldsWhatItSays)
{
    Bytes area(4096);
    std::size_t used = 0;
    const RecordTexts texts{"A.ZIP", "", "", "", "", ""};
    for (int32_t number : {3, 5, 8})
        ASSERT_TRUE(AppendBatchEntry(area, used, number, texts));
    const std::span<const std::uint8_t> bytes = std::span(area).first(used);
    struct Case {
        const char* what;
        int32_t after, most, count, last;
        bool taken;
    };
    const Case cases[] = {
        {"as it says", 2, 0, 3, 8, true},
        {"at most as many as asked", 2, 3, 3, 8, true},
        {"more than asked for", 2, 2, 3, 8, false},
        {"a record not above the start", 3, 0, 3, 8, false},
        {"a count that is not the entries'", 2, 0, 2, 8, false},
        {"a last number that is not the last entry's", 2, 0, 3, 5, false},
        {"no records", 2, 0, 0, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchAnswers(bytes, c.after, c.most, c.count, c.last), c.taken) << c.what;
    std::size_t unordered = 0;
    Bytes reversed(4096);
    for (int32_t number : {5, 3})
        ASSERT_TRUE(AppendBatchEntry(reversed, unordered, number, texts));
    EXPECT_FALSE(BatchAnswers(std::span(reversed).first(unordered), 0, 0, 2, 3)) << "numbers falling";
}

}  // namespace
