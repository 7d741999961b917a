// ENG_IMPORT_V1 in the engine: new records in table order, all of them or none, also across a crash or a full disk.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "controls/date_text.h"
#include "kspdx/version1_import.h"
#include "tests/convert/convert_tables.h"
#include "tests/engine_core/engine_test_support.h"

namespace {

namespace fs = std::filesystem;

class ImportTest : public EngineTest {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("ks_import_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        EngineTest::SetUp();
        Source();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Source()
    {
        engine->SetImportSource(m_dir.string() + "/", [](std::uint32_t day) { return FormatDate(day, "MM/dd/yyyy"); });
    }
    std::int32_t RestartWithSource()
    {
        const std::int32_t result = Restart();
        Source();
        return result;
    }

    void WriteTable(const std::vector<ks_test::PxRow>& rows)
    {
        const auto files = ks_test::WriteParadoxTable(ks_test::Version1Columns(), rows);
        ks_test::WriteBytes(m_dir / "filstore.db", files.db);
        ks_test::WriteBytes(m_dir / "filstore.mb", files.mb);
    }

    // The lines Table() gives for rows imported with numbers from first on.
    static std::vector<std::string> Imported(const std::vector<ks_test::PxRow>& rows, std::int32_t first)
    {
        std::vector<std::string> lines;
        for (const ks_test::PxRow& row : rows) {
            const std::string& iso = row[1];
            lines.push_back(std::to_string(first++) + "|" + row[0] + "|" + iso.substr(5, 2) + "/" +
                            iso.substr(8, 2) + "/" + iso.substr(0, 4) + "|" + row[2] + "|" + row[3] + "|" + row[4] +
                            "|" + row[5].substr(0, 799));
        }
        return lines;
    }

    fs::path m_dir;
};

TEST_F(ImportTest, RecordsAreAddedWithNewNumbersInTableOrder)
{
    Add("kept.zip");
    Add("gone.zip");
    ASSERT_EQ(Open(2), 0);
    ASSERT_EQ(Run(ENG_DELETE), 0);
    const auto rows = ks_test::Version1Rows(25);
    WriteTable(rows);
    FileRecord sent = MakeRecord("unchanged.zip");
    FileRecord reply = sent;
    ASSERT_EQ(Run(ENG_IMPORT_V1, reply), 0);
    EXPECT_EQ(std::memcmp(&reply, &sent, sizeof sent), 0) << "the reply record is left as sent";

    std::vector<std::string> expected = {Line(1, "kept.zip")};
    for (const std::string& line : Imported(rows, 3))
        expected.push_back(line);
    EXPECT_EQ(Table(*engine), expected);
    EXPECT_EQ(FindName("FILE0007.ZIP"), 0);
    EXPECT_EQ(RestartWithSource(), 0);
    EXPECT_EQ(Table(*engine), expected);
    EXPECT_EQ(Add("after.zip"), 28);

    // An empty table adds nothing and succeeds.
    WriteTable({});
    EXPECT_EQ(Run(ENG_IMPORT_V1), 0);
    EXPECT_EQ(Table(*engine).size(), expected.size() + 1);
}

TEST_F(ImportTest, ATableThatCannotBeImportedAddsNothing)
{
    Add("kept.zip");
    const std::vector<std::uint8_t> before = disk->bytes;
    EXPECT_EQ(Run(ENG_IMPORT_V1), 120) << "no table";
    WriteTable(ks_test::Version1Rows(10));
    auto db = ks_test::ReadBytes(m_dir / "filstore.db");
    db.resize(db.size() - 1500);
    ks_test::WriteBytes(m_dir / "filstore.db", db);
    EXPECT_EQ(Run(ENG_IMPORT_V1), 6) << "truncated table";
    EXPECT_EQ(disk->bytes, before);
    EXPECT_EQ(Table(*engine), (std::vector<std::string>{Line(1, "kept.zip")}));
}

TEST_F(ImportTest, ACrashOrAFullDiskDuringTheImportLeavesNoneOfItsRecords)
{
    Add("kept.zip");
    const std::size_t start = disk->bytes.size();
    const auto rows = ks_test::Version1Rows(6);
    WriteTable(rows);
    ASSERT_EQ(Run(ENG_IMPORT_V1), 0);
    const std::vector<std::uint8_t> whole = disk->bytes;
    std::vector<std::string> all = {Line(1, "kept.zip")};
    for (const std::string& line : Imported(rows, 2))
        all.push_back(line);

    // A crash can leave any prefix of the import's one append on the disk.
    for (std::size_t cut = start; cut <= whole.size(); ++cut) {
        disk = MemoryDisk::Holding(std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut));
        ASSERT_EQ(Restart(), 0) << cut;
        if (cut == whole.size()) {
            EXPECT_EQ(Table(*engine), all);
            continue;
        }
        ASSERT_EQ(Table(*engine), (std::vector<std::string>{Line(1, "kept.zip")})) << "cut at " << cut;
        EXPECT_EQ(disk->bytes.size(), start) << "the unfinished import is cut away before anything is appended";
        EXPECT_EQ(Add("next.zip"), 2) << cut;
    }

    // A write the disk refuses half way is taken back off the disk; the engine goes on.
    disk = MemoryDisk::Holding(std::vector<std::uint8_t>(whole.begin(), whole.begin() + start));
    ASSERT_EQ(RestartWithSource(), 0);
    disk->appendFailure = kspdx::IoStatus::kDiskFull;
    disk->partialBytes = 3000;
    EXPECT_EQ(Run(ENG_IMPORT_V1), 41);
    EXPECT_EQ(disk->bytes.size(), start);
    EXPECT_EQ(Table(*engine), (std::vector<std::string>{Line(1, "kept.zip")}));
    EXPECT_EQ(FindName("file0001.zip"), ENG_RECORD_NOT_FOUND);
    ASSERT_EQ(Run(ENG_IMPORT_V1), 0);
    EXPECT_EQ(Table(*engine), all);
}

TEST(ImportLog, UnfinishedOrMisplacedImportEntriesAreHandled)
{
    // An import end without its start, a delete inside an import, or an import end with the wrong count is
    // damage, not a torn tail: the table is refused.
    kspdx::EntryBuilder entries;
    const auto header = kspdx::EncodeHeader();
    const auto build = [&](const std::vector<std::vector<std::uint8_t>>& parts) {
        std::vector<std::uint8_t> bytes(header.begin(), header.end());
        for (const auto& part : parts)
            bytes.insert(bytes.end(), part.begin(), part.end());
        return bytes;
    };
    const auto copy = [](std::span<const std::uint8_t> s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    const FileRecord record = MakeRecord("a.zip");
    kspdx::RecordTexts texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = FieldText(record, kTextFields[i]);
    const auto put1 = copy(entries.Put(1, texts));
    const auto put2 = copy(entries.Put(2, texts));
    const auto start2 = copy(entries.ImportStart(2));
    const auto end2 = copy(entries.ImportEnd(2));
    const auto end1 = copy(entries.ImportEnd(1));
    const auto del1 = copy(entries.Delete(1));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::int32_t result;
        std::size_t records;
    };
    const Case cases[] = {
        {"whole import", build({start2, put1, put2, end2}), 0, 2},
        {"import without end", build({put1, start2, put2}), 0, 1},
        {"end without start", build({put1, end1}), 6, 0},
        {"delete inside", build({put1, start2, del1, put2, end2}), 6, 0},
        {"wrong count", build({start2, put1, end1}), 6, 0},
        {"too many puts", build({start2, put1, put2, put2, end2}), 6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kspdx::EngineCore engine;
        ASSERT_EQ(engine.Open(std::make_unique<MemoryTableFile>(MemoryDisk::Holding(c.bytes))), c.result);
        if (c.result == 0)
            EXPECT_EQ(Table(engine).size(), c.records);
    }
}

}  // namespace
