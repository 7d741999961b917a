// EngineCore commands: results, reply records, the walk position and the open record, as callers rely on them.
#include "kspdx/engine_results.h"
#include "tests/engine_core/engine_test_support.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kspdx;

bool SameBytes(const FileRecord& a, const FileRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(EngineTest, CommandsWithNothingToWorkOnLeaveTheRecordAsSent)
{
    struct Case {
        int32_t command;
        int32_t result;
    };
    const Case cases[] = {
        {ENG_FIRST, ENG_RECORD_NOT_FOUND},
        {ENG_NEXT, ENG_END_OF_TABLE},
        {ENG_READ, ENG_RECORD_NOT_FOUND},
        {ENG_FIND_NAME, ENG_RECORD_NOT_FOUND},
        {ENG_FIND_NAME_OPEN, ENG_RECORD_NOT_FOUND},
        {ENG_UPDATE_CURRENT, kResultInvalidHandle},
        {ENG_UPDATE, kResultInvalidHandle},
        {ENG_DELETE, kResultInvalidHandle},
        {ENG_OPEN, ENG_RECORD_NOT_FOUND},
        {ENG_CLOSE, 0},
        {ENG_IMPORT_V1, kResultTableNotFound},
        {99, kResultInvalidArgument},
    };
    for (const Case& c : cases) {
        FileRecord sent = MakeRecord("EMPTY.TXT");
        sent.RecordNumber = 7;
        FileRecord record = sent;
        EXPECT_EQ(Run(c.command, record), c.result) << c.command;
        EXPECT_TRUE(SameBytes(record, sent)) << c.command;
    }
    EXPECT_TRUE(disk->bytes.size() == kHeaderSize) << "nothing written";
}

TEST_F(EngineTest, CountSetsOnlyRecordCount)
{
    Add("A.TXT");
    Add("B.TXT");
    FileRecord sent = MakeRecord("X.TXT");
    FileRecord record = sent;
    ASSERT_EQ(Run(ENG_COUNT, record), 0);
    EXPECT_EQ(record.RecordCount, 2);
    record.RecordCount = sent.RecordCount;
    EXPECT_TRUE(SameBytes(record, sent));
}

TEST_F(EngineTest, AddKeepsEveryTextUpToItsTerminatorAndRepliesWithZeroTails)
{
    FileRecord sent = MakeRecord("");
    SetFieldText(sent.FileName, std::string(255, 'F'));
    SetFieldText(sent.DownloadDate, "12/31/1999");
    SetFieldText(sent.Title, std::string(80, 'T'));
    SetFieldText(sent.Keywords, std::string(80, 'K'));
    SetFieldText(sent.Location, std::string(255, 'L'));
    SetFieldText(sent.Abstract, std::string(799, 'A'));
    sent.Abstract[0] = static_cast<char>(0xE9);  // ANSI text is carried as bytes
    sent.RecordCount = 1234;
    FileRecord added = sent;
    ASSERT_EQ(Run(ENG_ADD, added), 0);
    EXPECT_EQ(added.RecordNumber, 1);
    EXPECT_EQ(added.RecordCount, 1234);

    FileRecord read{};
    read.RecordNumber = 1;
    ASSERT_EQ(Run(ENG_READ, read), 0);
    for (const TextField& field : kTextFields)
        EXPECT_EQ(FieldText(read, field), FieldText(sent, field)) << field.offset;
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&read)[263], 0);

    // Bytes after a terminator come back as zeros, not as the undefined bytes sent.
    FileRecord shortOne = MakeRecord("S.TXT");
    ASSERT_EQ(Run(ENG_ADD, shortOne), 0);
    FileRecord back{};
    std::memset(&back, 0xEE, sizeof back);
    back.RecordNumber = shortOne.RecordNumber;
    ASSERT_EQ(Run(ENG_READ, back), 0);
    for (const TextField& field : kTextFields) {
        const char* text = reinterpret_cast<const char*>(&back) + field.offset;
        for (std::size_t i = std::strlen(text); i < field.size; ++i)
            ASSERT_EQ(text[i], 0) << field.offset << " byte " << i;
    }
}

TEST_F(EngineTest, TextWithoutTerminatorIsStoredCutToItsField)
{
    FileRecord sent = MakeRecord("CUT.TXT");
    std::memset(sent.Title, 'T', kTitleSize);
    ASSERT_EQ(Run(ENG_ADD, sent), 0);
    EXPECT_EQ(FieldText(sent.Title), std::string(80, 'T'));
    EXPECT_EQ(sent.Title[80], 0);
}

TEST_F(EngineTest, WalkGivesEveryRecordOnceInNumberOrderThenEndOfTable)
{
    const std::vector<std::string> names = {"ONE.TXT", "TWO.TXT", "THREE.TXT"};
    for (const auto& name : names)
        Add(name);
    FileRecord record{};
    ASSERT_EQ(Run(ENG_FIRST, record), 0);
    EXPECT_EQ(record.RecordNumber, 1);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(FieldText(record.FileName), "THREE.TXT");
    EXPECT_EQ(Run(ENG_NEXT, record), ENG_END_OF_TABLE);
    EXPECT_EQ(Run(ENG_NEXT, record), ENG_END_OF_TABLE);
    EXPECT_EQ(Table(*engine).size(), 3u);
}

TEST_F(EngineTest, OtherCommandsDuringAWalkDoNotMoveIt)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"})
        Add(name);
    FileRecord record{};
    ASSERT_EQ(Run(ENG_FIRST, record), 0);

    FileRecord other{};
    other.RecordNumber = 3;
    ASSERT_EQ(Run(ENG_READ, other), 0);
    ASSERT_EQ(Run(ENG_COUNT, other), 0);
    ASSERT_EQ(Open(3), 0);
    ASSERT_EQ(FindName("C.TXT"), 0);
    const int32_t added = Add("D.TXT");

    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(record.RecordNumber, 2);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(record.RecordNumber, added) << "a record added during a walk is reached at its end";
    EXPECT_EQ(Run(ENG_NEXT, record), ENG_END_OF_TABLE);
}

TEST_F(EngineTest, UpdateCurrentRewritesTheCurrentRecordAndTheWalkGoesOn)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"})
        Add(name);
    FileRecord record{};
    ASSERT_EQ(Run(ENG_FIRST, record), 0);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    SetFieldText(record.Location, "D:\\NEW\\KS_STORE");
    ASSERT_EQ(Run(ENG_UPDATE_CURRENT, record), 0);
    EXPECT_EQ(record.RecordNumber, 2);
    ASSERT_EQ(Run(ENG_NEXT, record), 0);
    EXPECT_EQ(record.RecordNumber, 3);

    FileRecord read{};
    read.RecordNumber = 2;
    ASSERT_EQ(Run(ENG_READ, read), 0);
    EXPECT_EQ(FieldText(read.Location), "D:\\NEW\\KS_STORE");
    EXPECT_EQ(FieldText(read.FileName), "B.TXT");

    // At the end of the table the last record stays current.
    ASSERT_EQ(Run(ENG_NEXT, record), ENG_END_OF_TABLE);
    SetFieldText(record.Title, "Last");
    ASSERT_EQ(Run(ENG_UPDATE_CURRENT, record), 0);
    EXPECT_EQ(record.RecordNumber, 3);
}

TEST_F(EngineTest, RecordInterfaceCallingOrder)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"})
        Add(name);
    FileRecord buffer{};
    buffer.RecordNumber = 2;
    ASSERT_EQ(Run(ENG_OPEN, buffer), 0);
    EXPECT_EQ(FieldText(buffer.FileName), "B.TXT");

    // Rename check: candidate name in, every other byte must come back as sent.
    SetFieldText(buffer.FileName, "c.txt");
    const FileRecord sent = buffer;
    EXPECT_EQ(Run(ENG_FIND_NAME_OPEN, buffer), 0);
    EXPECT_TRUE(SameBytes(buffer, sent));
    SetFieldText(buffer.FileName, "NEWNAME.TXT");
    EXPECT_EQ(Run(ENG_FIND_NAME_OPEN, buffer), ENG_RECORD_NOT_FOUND);

    SetFieldText(buffer.Title, "Edited");
    ASSERT_EQ(Run(ENG_UPDATE, buffer), 0);

    // Another window searches and reads meanwhile.
    EXPECT_EQ(Table(*engine).size(), 3u);
    FileRecord other{};
    other.RecordNumber = 2;
    ASSERT_EQ(Run(ENG_READ, other), 0);
    EXPECT_EQ(FieldText(other.FileName), "NEWNAME.TXT");
    EXPECT_EQ(FieldText(other.Title), "Edited");

    // The open record is still 2: an update and the delete go to it.
    SetFieldText(buffer.Title, "Edited again");
    ASSERT_EQ(Run(ENG_UPDATE, buffer), 0);
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    other.RecordNumber = 2;
    EXPECT_EQ(Run(ENG_READ, other), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(Run(ENG_UPDATE, buffer), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(Run(ENG_DELETE, buffer), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(FindName("NEWNAME.TXT"), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(Run(ENG_CLOSE, buffer), 0);
    EXPECT_EQ(Run(ENG_UPDATE, buffer), kResultInvalidHandle);

    EXPECT_EQ(Table(*engine), (std::vector<std::string>{Line(1, "A.TXT"), Line(3, "C.TXT")}));
}

TEST_F(EngineTest, FailedOpenLeavesNoRecordOpen)
{
    Add("A.TXT");
    ASSERT_EQ(Open(1), 0);
    EXPECT_EQ(Open(9), ENG_RECORD_NOT_FOUND);
    FileRecord record = MakeRecord("A.TXT");
    EXPECT_EQ(Run(ENG_DELETE, record), kResultInvalidHandle);
    EXPECT_EQ(Run(ENG_CLOSE, record), 0);
}

TEST_F(EngineTest, DeletingTheCurrentRecordLetsTheWalkContinueAfterIt)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT"})
        Add(name);
    FileRecord walk{};
    ASSERT_EQ(Run(ENG_FIRST, walk), 0);
    ASSERT_EQ(Run(ENG_NEXT, walk), 0);
    ASSERT_EQ(Open(2), 0);
    FileRecord buffer{};
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    EXPECT_EQ(Run(ENG_UPDATE_CURRENT, walk), ENG_RECORD_NOT_FOUND);
    ASSERT_EQ(Run(ENG_NEXT, walk), 0);
    EXPECT_EQ(walk.RecordNumber, 3);
}

// Many deletes drop the tombstones from memory; walk positions must survive that.
TEST_F(EngineTest, WalkSurvivesManyDeletesAroundIt)
{
    constexpr int kRecords = 3000;
    for (int i = 1; i <= kRecords; ++i)
        Add("F" + std::to_string(i));
    FileRecord walk{};
    ASSERT_EQ(Run(ENG_FIRST, walk), 0);
    std::vector<int32_t> seen = {walk.RecordNumber};
    FileRecord buffer{};
    while (Run(ENG_NEXT, walk) == 0) {
        seen.push_back(walk.RecordNumber);
        // Delete the current record and the one after it; keep every third.
        if (walk.RecordNumber % 3 != 0) {
            ASSERT_EQ(Open(walk.RecordNumber), 0);
            ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
        } else {
            SetFieldText(walk.Title, "kept");
            ASSERT_EQ(Run(ENG_UPDATE_CURRENT, walk), 0);
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kRecords));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], static_cast<int32_t>(i + 1));
    const auto table = Table(*engine);
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kRecords / 3 + 1));  // record 1 was never deleted
    EXPECT_EQ(table[1], Line(3, "F3").replace(Line(3, "F3").find("|Title of F3|"), 13, "|kept|"));
    ASSERT_EQ(Restart(), 0);
    EXPECT_EQ(Table(*engine), table);
}

TEST_F(EngineTest, FileNamesMatchIgnoringLetterCase)
{
    Add("REPORT.TXT");
    Add("\xC9T\xC9.ZIP");  // accented capitals in the ANSI code page
    Add("TWICE.TXT");
    Add("twice.txt");
    struct Case {
        const char* name;
        int32_t result;
    };
    const Case cases[] = {
        {"REPORT.TXT", 0}, {"report.txt", 0},         {"Report.Txt", 0},       {"REPORT.TX", ENG_RECORD_NOT_FOUND},
        {"\xE9t\xE9.zip", 0}, {"ETE.ZIP", ENG_RECORD_NOT_FOUND}, {"", ENG_RECORD_NOT_FOUND},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindName(c.name), c.result) << c.name;

    // One of two records with the same name goes: the name is still taken. A rename frees the old name.
    ASSERT_EQ(Open(3), 0);
    FileRecord buffer{};
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    EXPECT_EQ(FindName("TWICE.TXT"), 0);
    ASSERT_EQ(Open(1), 0);
    buffer = MakeRecord("RENAMED.TXT");
    ASSERT_EQ(Run(ENG_UPDATE, buffer), 0);
    EXPECT_EQ(FindName("report.txt"), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(FindName("renamed.txt"), 0);
}

TEST_F(EngineTest, RecordNumbersAreNeverReused)
{
    EXPECT_EQ(Add("A.TXT"), 1);
    EXPECT_EQ(Add("B.TXT"), 2);
    ASSERT_EQ(Open(2), 0);
    FileRecord buffer{};
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    EXPECT_EQ(Add("C.TXT"), 3);
    ASSERT_EQ(Open(3), 0);
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    ASSERT_EQ(Restart(), 0);
    EXPECT_EQ(Add("D.TXT"), 4);
}

TEST_F(EngineTest, ShutdownClosesTheTable)
{
    Add("A.TXT");
    EXPECT_EQ(Run(ENG_SHUTDOWN), 0);
    EXPECT_TRUE(engine->ShutDown());
    EXPECT_EQ(Run(ENG_COUNT), kResultNotInitialized);
    ASSERT_EQ(Restart(), 0);
    EXPECT_EQ(Table(*engine).size(), 1u);
}

TEST(EngineCore, CommandsBeforeATableIsOpenAreRefused)
{
    EngineCore engine;
    FileRecord record{};
    EXPECT_EQ(engine.Execute(ENG_COUNT, record), kResultNotInitialized);
}

}  // namespace
