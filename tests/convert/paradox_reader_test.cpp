// The Paradox table reader and the version-1 field mapping, against tables written by pxlib (version 7) and by
// our own writer (versions 3.0, 3.5, 4.x), which pxlib reads back to check it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "controls/date_text.h"
#include "kspdx/paradox_table.h"
#include "kspdx/version1_import.h"
#include "tests/convert/convert_tables.h"
#include "tests/convert/pxlib_tables.h"

namespace {

namespace fs = std::filesystem;
using kspdx::ImportTexts;
using ks_test::PxColumn;
using ks_test::PxRow;

std::string UsDate(std::uint32_t julianDay) { return FormatDate(julianDay, "MM/dd/yyyy"); }

// What the import must make of a row of a version-1 catalogue (columns as Version1Columns gives them).
ImportTexts Expected(const PxRow& row)
{
    const std::string& iso = row[1];
    const std::string date = iso.empty() ? "" : iso.substr(5, 2) + "/" + iso.substr(8, 2) + "/" + iso.substr(0, 4);
    return {row[0], date, row[2], row[3].substr(0, 80), row[4], row[5].substr(0, 799)};
}

std::vector<ImportTexts> Expected(const std::vector<PxRow>& rows)
{
    std::vector<ImportTexts> out;
    for (const PxRow& row : rows)
        out.push_back(Expected(row));
    return out;
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("ks_px_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Db() const { return (m_dir / "filstore.db").string(); }
    std::string Mb() const { return (m_dir / "filstore.mb").string(); }

    std::int32_t Import(std::vector<ImportTexts>& records) const
    {
        return kspdx::ReadVersion1Table(m_dir.string() + "/", UsDate, records);
    }

    void Write(const ks_test::PxFiles& files) const
    {
        ks_test::WriteBytes(Db(), files.db);
        ks_test::WriteBytes(Mb(), files.mb);
    }

    fs::path m_dir;
};

TEST_F(ReaderTest, TablesWrittenByPxlibImportInTableOrder)
{
    const auto columns = ks_test::Version1Columns();
    struct Case {
        int count;
        std::vector<int> deleteAt;  // rows pxlib deletes after writing them all
    };
    for (const Case& c : {Case{0, {}}, Case{1, {}}, Case{1000, {}}, Case{12, {0, 5}}}) {
        SCOPED_TRACE(c.count);
        std::vector<PxRow> rows = ks_test::Version1Rows(c.count);
        // pxlib can only delete rows whose memo lies in the record: give those rows short abstracts.
        for (int at : c.deleteAt)
            rows[static_cast<std::size_t>(at)][5] = "short";
        ASSERT_TRUE(ks_test::PxlibWrite(Db(), Mb(), columns, rows, c.deleteAt));
        std::vector<PxRow> kept;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (std::find(c.deleteAt.begin(), c.deleteAt.end(), static_cast<int>(i)) == c.deleteAt.end())
                kept.push_back(rows[i]);
        // pxlib refills a deleted slot with the table's last record: compare in the order pxlib reads back.
        std::vector<std::string> names;
        std::vector<PxRow> readBack;
        ASSERT_TRUE(ks_test::PxlibRead(Db(), Mb(), names, readBack));
        ASSERT_EQ(readBack.size(), kept.size());
        std::vector<ImportTexts> records;
        ASSERT_EQ(Import(records), 0);
        EXPECT_EQ(records, Expected(readBack));
        if (c.deleteAt.empty())
            EXPECT_EQ(records, Expected(rows));
    }
}

TEST_F(ReaderTest, OurOldVersionTablesReadBackIdenticallyWithPxlib)
{
    struct Case {
        int version;
        int count;
        bool memo;
        bool reverse;
    };
    for (const Case& c : {Case{3, 0, false, false}, Case{3, 1, false, false}, Case{4, 40, false, true},
                          Case{5, 1, true, false}, Case{9, 1000, true, true}, Case{9, 30, true, false}}) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << c.count << " rows");
        auto columns = ks_test::Version1Columns();
        std::vector<PxRow> rows = ks_test::Version1Rows(c.count);
        if (!c.memo) {
            // Tables before 4.0 had no memo fields: the abstract is alphanumeric there.
            columns[5] = {"Abstract", 0x01, 255};
            for (PxRow& row : rows)
                row[5] = row[5].substr(0, 255);
        }
        // Deleted rows stay behind as stale slots after each block's last record.
        const std::vector<PxRow> deleted = {ks_test::Version1Row(9001), ks_test::Version1Row(9002)};
        ks_test::PxWriteOptions options;
        options.version = c.version;
        options.blockKb = 4;
        options.reverseBlocks = c.reverse;
        Write(ks_test::WriteParadoxTable(columns, rows, deleted, options));

        std::vector<std::string> names;
        std::vector<PxRow> readBack;
        ASSERT_TRUE(ks_test::PxlibRead(Db(), Mb(), names, readBack));
        EXPECT_EQ(names, (std::vector<std::string>{"File Name", "Download_Date", "TITLE", "Keywords", "Location",
                                                    "Abstract"}));
        EXPECT_EQ(readBack, rows);

        std::vector<ImportTexts> records;
        ASSERT_EQ(Import(records), 0);
        EXPECT_EQ(records, Expected(rows));
    }
}

TEST_F(ReaderTest, FieldsAreFoundByNameInOtherSpellingsAndValuesBecomeText)
{
    // Names ignore case, blanks and underscores; "FileName" wins over "Name" and "DownloadDate" over "Date"
    // whatever their order; an alphanumeric date is kept as it stands; numbers and logicals become text.
    const std::vector<PxColumn> columns = {{"Name", 0x01, 20},      {"file_NAME", 0x01, 20},
                                           {"Date", 0x02, 4},       {"down load date", 0x01, 12},
                                           {"title", 0x03, 2},      {"KEY_WORDS", 0x01, 10},
                                           {"Location", 0x09, 1},   {"Comment", 0x01, 10}};
    const std::vector<PxRow> rows = {{"other.zip", "a.zip", "1996-12-25", "25.12.96", "-42", "k", "1", "c"},
                                     {"x", "", "", "", "", "", "0", ""}};
    Write(ks_test::WriteParadoxTable(columns, rows));
    std::vector<ImportTexts> records;
    ASSERT_EQ(Import(records), 0);
    EXPECT_EQ(records, (std::vector<ImportTexts>{{"a.zip", "25.12.96", "-42", "k", "True", ""},
                                                 {"", "", "", "", "False", ""}}));
}

TEST_F(ReaderTest, ABlobAbstractStopsAtAZeroByteAndAtTheFieldWidth)
{
    // A record text holds no zero byte: a blob's binary tail is not part of the abstract.
    const std::vector<PxColumn> columns = {{"FileName", 0x01, 20}, {"Abstract", 0x0D, 14}};
    const std::vector<PxRow> rows = {{"a.zip", std::string("abc\0def", 7) + std::string(30, 'x')},
                                     {"b.zip", std::string(2000, 'y')}};
    Write(ks_test::WriteParadoxTable(columns, rows));
    std::vector<ImportTexts> records;
    ASSERT_EQ(Import(records), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][5], "abc");
    EXPECT_EQ(records[1][5], std::string(799, 'y'));
}

TEST_F(ReaderTest, TextsAreRecodedFromTheCodePageTheTableNames)
{
    // Our writer's 4.x tables name DOS code page 437, where 0x82 is e acute; version 3 tables name none.
    const std::vector<PxColumn> columns = {{"FileName", 0x01, 20}, {"Date", 0x02, 4}, {"Title", 0x01, 20},
                                           {"Abstract", 0x0C, 12}};
    const std::vector<PxRow> rows = {{"caf\x82.zip", "1996-12-25", "Caf\x82", "R\x82sum\x82 of the caf\x82"}};
    std::vector<std::uint16_t> pages;
    const kspdx::TextRecoder recode = [&](std::string_view text, std::uint16_t page) {
        pages.push_back(page);
        std::string out(text);
        std::replace(out.begin(), out.end(), '\x82', '\xE9');
        return out;
    };
    for (int version : {9, 4}) {
        SCOPED_TRACE(version);
        pages.clear();
        ks_test::PxWriteOptions options;
        options.version = version;
        Write(ks_test::WriteParadoxTable(columns, rows, {}, options));
        std::vector<ImportTexts> records;
        ASSERT_EQ(kspdx::ReadVersion1Table(m_dir.string() + "/", UsDate, records, recode), 0);
        ASSERT_EQ(records.size(), 1u);
        if (version == 9) {
            EXPECT_EQ(records[0], (ImportTexts{"caf\xE9.zip", "12/25/1996", "Caf\xE9", "", "",
                                               "R\xE9sum\xE9 of the caf\xE9"}));
            EXPECT_EQ(pages, (std::vector<std::uint16_t>{437, 437, 437}));
        } else {
            EXPECT_EQ(records[0][2], "Caf\x82");
            EXPECT_TRUE(pages.empty());
        }
    }
}

TEST_F(ReaderTest, LocationsLoseATrailingBackslashButNotARoot)
{
    auto columns = ks_test::Version1Columns();
    std::vector<PxRow> rows = {ks_test::Version1Row(1, "C:\\KSV1\\KS_STORE\\"), ks_test::Version1Row(2, "D:\\")};
    Write(ks_test::WriteParadoxTable(columns, rows));
    std::vector<ImportTexts> records;
    ASSERT_EQ(Import(records), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][4], "c:\\ksv1\\ks_store");
    EXPECT_EQ(records[1][4], "D:\\");
}

TEST_F(ReaderTest, TablesThatCannotBeImportedGiveAResultAndNoRecords)
{
    const auto good = ks_test::WriteParadoxTable(ks_test::Version1Columns(), ks_test::Version1Rows(40));
    struct Case {
        const char* what;
        std::function<void(ks_test::PxFiles&)> damage;
        std::int32_t result;
    };
    const auto set16 = [](std::vector<std::uint8_t>& b, std::size_t at, int v) {
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    const Case cases[] = {
        {"a text file", [](ks_test::PxFiles& f) { f.db.assign(3000, 'x'); }, 6},
        {"an empty file", [](ks_test::PxFiles& f) { f.db.clear(); }, 6},
        {"an index file", [](ks_test::PxFiles& f) { f.db[4] = 1; }, 6},
        {"a later version", [](ks_test::PxFiles& f) { f.db[0x39] = 13; }, 92},
        {"a password", [](ks_test::PxFiles& f) { f.db[0x5C] = 7; }, 21},
        {"no FileName field", [](ks_test::PxFiles& f) { f.db[0x78 + 12 + 4 + 24 + 79] = 'X'; }, 74},
        {"a record count beyond the blocks", [&](ks_test::PxFiles& f) { f.db[6] = 41; }, 6},
        {"a block chain in a circle", [&](ks_test::PxFiles& f) { set16(f.db, 0x800 + 1024 * 2, 1); }, 6},
        {"a block beyond the file", [&](ks_test::PxFiles& f) { set16(f.db, 0x800, 500); }, 6},
        {"a record offset out of its block", [&](ks_test::PxFiles& f) { set16(f.db, 0x800 + 4, 4000); }, 6},
        {"no memo file", [](ks_test::PxFiles& f) { f.mb.clear(); }, 6},
        {"a memo block of the wrong kind", [](ks_test::PxFiles& f) { f.mb[4096] = 4; }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ks_test::PxFiles files = good;
        c.damage(files);
        Write(files);
        std::vector<ImportTexts> records{{"left over"}};
        EXPECT_EQ(Import(records), c.result);
        EXPECT_TRUE(records.empty());
    }
    fs::remove(Db());
    std::vector<ImportTexts> records;
    EXPECT_EQ(Import(records), 120) << "no table file";
}

TEST_F(ReaderTest, ATruncatedTableOrMemoFileImportsEverythingOrNothing)
{
    const auto rows = ks_test::Version1Rows(30);
    const auto good = ks_test::WriteParadoxTable(ks_test::Version1Columns(), rows);
    int refused = 0;
    for (int which = 0; which < 2; ++which) {
        const std::vector<std::uint8_t>& whole = which == 0 ? good.db : good.mb;
        for (std::size_t cut = 0; cut < whole.size(); cut += 61) {
            ks_test::PxFiles files = good;
            (which == 0 ? files.db : files.mb).resize(cut);
            Write(files);
            std::vector<ImportTexts> records;
            const std::int32_t result = Import(records);
            // Cutting only unused bytes after the last record or memo may leave every record readable.
            if (result == 0) {
                EXPECT_EQ(records, Expected(rows)) << "cut at " << cut;
            } else {
                EXPECT_TRUE(records.empty()) << "cut at " << cut;
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 100);
}

}  // namespace
