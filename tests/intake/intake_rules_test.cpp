// What Store All and Export decide without the system: partial-download names, CSV quoting and the texts.
#include <gtest/gtest.h>

#include <string>

#include "download/store_all_rules.h"
#include "records/csv_text.h"

TEST(IntakeRules, PartialDownloadNamesAreKnownByTheirEndingInAnyCase)
{
    const struct {
        const char* name;
        bool partial;
    } cases[] = {
        {"setup.exe.part", true},   {"SETUP.EXE.PART", true},  {"movie.crdownload", true},
        {"report.pdf.download", true}, {"~WRL0003.tmp", true},  {"a.TMP", true},
        {".part", false},  // the whole name is only the ending: a file someone named so
        {"part", false},           {"setup.exe", false},      {"notes.partial", false},
        {"tmp.zip", false},        {"download", false},       {"x.part.zip", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPartialDownloadName(c.name), c.partial) << c.name;
}

TEST(IntakeRules, CsvLinesQuoteEveryFieldDoubleQuotesAndEndWithCrLf)
{
    const struct {
        std::initializer_list<std::string_view> fields;
        const char* line;
    } cases[] = {
        {{"a", "b"}, "\"a\",\"b\"\r\n"},
        {{"", ""}, "\"\",\"\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"one, two"}, "\"one, two\"\r\n"},
        {{"line one\r\nline two", "x"}, "\"line one\r\nline two\",\"x\"\r\n"},
        {{"caf\xC3\xA9"}, "\"caf\xC3\xA9\"\r\n"},
    };
    for (const auto& c : cases) {
        std::string out = "prefix;";
        AppendCsvLine(out, c.fields);
        EXPECT_EQ(out, std::string("prefix;") + c.line);
    }
}

TEST(IntakeRules, TheTextsCountTheFiles)
{
    EXPECT_EQ(StoreAllSummary(12, 0), "12 files stored, 0 left in the area.");
    EXPECT_EQ(StoreAllSummary(0, 3), "0 files stored, 3 left in the area.");
    EXPECT_EQ(StoreAllSummary(1, 1), "1 file stored, 1 left in the area.");
    EXPECT_EQ(DropQuestion(2), "Store 2 files in the catalogue? They will be moved into KS_STORE.");
    EXPECT_EQ(DropQuestion(1), "Store 1 file in the catalogue? It will be moved into KS_STORE.");
    EXPECT_EQ(StoreAllQuestion(1, "Mail (C:\\IN)"), "Store the 1 file waiting in Mail (C:\\IN)? It will be moved into KS_STORE.");
    // Every reason has a sentence of its own.
    std::string seen;
    for (LeftReason r : {LeftReason::PartialDownload, LeftReason::StillWritten, LeftReason::NameNotHeld,
                         LeftReason::NameTaken, LeftReason::SameContents, LeftReason::MoveFailed,
                         LeftReason::RecordRefused, LeftReason::NotReached}) {
        const std::string text = LeftReasonText(r);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(seen.find("|" + text + "|"), std::string::npos) << text;
        seen += "|" + text + "|";
    }
}
