// The "Archive Description" assistant's portable core: reading ZIP archives (stored and deflated entries, and
// every kind of damage it must notice), choosing the description, and the texts it proposes. Also the name
// checks of installing an assistant.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assist/archive/description.h"
#include "assist/archive/zip_reader.h"
#include "assist/install_names.h"
#include "tests/assist/zip_builder.h"

namespace {

using arcdesc::MemorySource;
using arcdesc::Proposal;
using arcdesc::ZipStatus;
using ks_test::BuildZip;
using ks_test::ZipItem;

std::string LongText()
{
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += "line " + std::to_string(i) + " of a long readme\r\n";
    return text;
}

TEST(ZipReader, ReadsStoredAndDeflatedEntriesWhole)
{
    const std::string big = LongText();
    const std::string zip = BuildZip({{"FILE_ID.DIZ", "Tool v1.0\r\nDoes things", false},
                                      {"DOCS/README.TXT", big, true},
                                      {"EMPTY.TXT", "", true}},
                                     "an archive comment");
    MemorySource source(zip.data(), zip.size());
    const auto dir = arcdesc::ReadZipDirectory(source);
    ASSERT_EQ(dir.status, ZipStatus::Ok);
    ASSERT_EQ(dir.entries.size(), 3u);
    EXPECT_EQ(dir.entries[1].name, "DOCS/README.TXT");

    const std::string expected[] = {"Tool v1.0\r\nDoes things", big, ""};
    for (std::size_t i = 0; i < 3; ++i) {
        std::string text;
        EXPECT_EQ(arcdesc::ReadZipEntry(source, dir.entries[i], 1 << 20, text), ZipStatus::Ok) << i;
        EXPECT_EQ(text, expected[i]) << i;
    }
    // Only the first bytes of a long entry, when that is all that is wanted.
    std::string head;
    EXPECT_EQ(arcdesc::ReadZipEntry(source, dir.entries[1], 100, head), ZipStatus::Ok);
    EXPECT_EQ(head, big.substr(0, 100));
}

// Each case damages a good archive in one way; the reader must say so and hand back no text.
TEST(ZipReader, NoticesDamageAndWhatItDoesNotRead)
{
    const std::string data = "The description of a tool, long enough to be compressed well well well well.";
    const std::string stored = BuildZip({{"FILE_ID.DIZ", data, false}});
    const std::string deflated = BuildZip({{"FILE_ID.DIZ", data, true}});
    const std::size_t dataAt = 30 + 11;  // local header and name
    const std::size_t centralAt = stored.size() - 22 - 46 - 11;

    struct Case {
        const char* what;
        std::string zip;
        ZipStatus directory;
        ZipStatus entry;
    };
    std::vector<Case> cases;
    auto changed = [](std::string zip, std::size_t at, char byte) {
        zip[at] = byte;
        return zip;
    };
    cases.push_back({"stored data changed (CRC)", changed(stored, dataAt + 3, 'X'), ZipStatus::Ok, ZipStatus::Damaged});
    cases.push_back(
        {"deflated data garbled", changed(deflated, dataAt + 2, '\x7F'), ZipStatus::Ok, ZipStatus::Damaged});
    cases.push_back({"local header signature", changed(stored, 0, 'Q'), ZipStatus::Ok, ZipStatus::Damaged});
    cases.push_back({"central header signature", changed(stored, centralAt, 'Q'), ZipStatus::Damaged, ZipStatus::Ok});
    cases.push_back({"encrypted", changed(stored, centralAt + 8, 1), ZipStatus::Ok, ZipStatus::Unsupported});
    cases.push_back({"other method", changed(stored, centralAt + 10, 12), ZipStatus::Ok, ZipStatus::Unsupported});
    cases.push_back({"stored size differs", changed(stored, centralAt + 24, 3), ZipStatus::Ok, ZipStatus::Damaged});
    cases.push_back({"deflated size too small", changed(deflated, deflated.size() - 22 - 46 - 11 + 24, 3),
                     ZipStatus::Ok, ZipStatus::Damaged});
    cases.push_back({"data beyond the end", changed(stored, centralAt + 23, '\x7F'), ZipStatus::Ok,
                     ZipStatus::Damaged});
    cases.push_back({"local header beyond the end", changed(stored, centralAt + 45, '\x7F'), ZipStatus::Ok,
                     ZipStatus::Damaged});
    cases.push_back({"directory beyond its end record", changed(stored, stored.size() - 22 + 19, '\x7F'),
                     ZipStatus::Damaged, ZipStatus::Ok});
    cases.push_back({"more entries than the directory holds", changed(stored, stored.size() - 22 + 10, 5),
                     ZipStatus::Damaged, ZipStatus::Ok});
    cases.push_back({"ZIP64 marker",
                     changed(changed(stored, stored.size() - 22 + 10, '\xFF'), stored.size() - 22 + 11, '\xFF'),
                     ZipStatus::Unsupported, ZipStatus::Ok});
    cases.push_back({"cut short", stored.substr(0, stored.size() - 5), ZipStatus::NotZip, ZipStatus::Ok});
    cases.push_back({"no archive at all", std::string(300, 'a'), ZipStatus::NotZip, ZipStatus::Ok});

    for (const Case& c : cases) {
        MemorySource source(c.zip.data(), c.zip.size());
        const auto dir = arcdesc::ReadZipDirectory(source);
        EXPECT_EQ(dir.status, c.directory) << c.what;
        if (dir.status != ZipStatus::Ok)
            continue;
        ASSERT_EQ(dir.entries.size(), 1u) << c.what;
        std::string text = "left over";
        EXPECT_EQ(arcdesc::ReadZipEntry(source, dir.entries[0], 1 << 20, text), c.entry) << c.what;
        if (c.entry != ZipStatus::Ok) {
            EXPECT_EQ(text, "") << c.what;
        }
    }
}

// Each of the reader's checks of a length or offset against the archive and the file, reached by one case.
TEST(ZipReader, EveryBoundsCheckIsReached)
{
    const std::string data = "The description of a tool, long enough to be compressed well well well well.";
    const std::string big(5000, 'w');
    const std::string stored = BuildZip({{"FILE_ID.DIZ", data, false}});
    const std::string storedBig = BuildZip({{"FILE_ID.DIZ", big, false}});
    // Another member behind it, so that reading on past its data does not fail by itself.
    const std::string deflatedBig = BuildZip({{"FILE_ID.DIZ", big, true}, {"PAD.BIN", std::string(20000, 'p'), false}});
    const std::string deflated = BuildZip({{"FILE_ID.DIZ", data, true}});
    // The archive with bytes written at an offset, from the start or (central) from the first central header.
    auto changed = [](std::string zip, bool central, std::size_t at, std::string_view bytes) {
        const auto* end = reinterpret_cast<const unsigned char*>(zip.data()) + zip.size() - 22;
        if (central)
            at += static_cast<std::size_t>(end[16] | (end[17] << 8) | (end[18] << 16) | (end[19] << 24));
        return zip.replace(at, bytes.size(), bytes);
    };
    const struct {
        const char* what;
        std::string zip;
        ZipStatus directory, entry;
    } cases[] = {
        {"shorter than an end record", std::string("PK\x05\x06", 4) + std::string(10, '\0'), ZipStatus::NotZip},
        {"spanned over several disks", changed(stored, false, stored.size() - 18, "\x01"), ZipStatus::Unsupported},
        {"a name longer than the directory", changed(stored, true, 28, "\xFF"), ZipStatus::Damaged},
        {"ZIP64 sizes in an entry", changed(stored, true, 20, "\xFF\xFF\xFF\xFF"), ZipStatus::Ok,
         ZipStatus::Unsupported},
        {"a local name running past the end of the file", changed(stored, false, 26, "\xFF\xFF"), ZipStatus::Ok,
         ZipStatus::Damaged},
        // Only a member larger than the read limit takes these paths: its first bytes are all there, but its
        // recorded size runs past the end of the file.
        {"a stored member larger than the limit running past the end",
         changed(storedBig, true, 20, std::string("\xF0\xFF\xFF\x7F\xF0\xFF\xFF\x7F", 8)), ZipStatus::Ok,
         ZipStatus::Damaged},
        {"a deflated member larger than the limit running past the end",
         changed(deflatedBig, true, 20, "\xF0\xFF\xFF\x7F"), ZipStatus::Ok, ZipStatus::Damaged},
        {"deflated data ending before the limit of a longer recorded size",
         changed(deflated, true, 24, std::string("\x88\x13\0\0", 4)), ZipStatus::Ok, ZipStatus::Damaged},
        {"the first bytes of a long member", deflatedBig, ZipStatus::Ok, ZipStatus::Ok},
    };
    for (const auto& c : cases) {
        MemorySource source(c.zip.data(), c.zip.size());
        const auto dir = arcdesc::ReadZipDirectory(source);
        EXPECT_EQ(dir.status, c.directory) << c.what;
        if (dir.status != ZipStatus::Ok)
            continue;
        ASSERT_FALSE(dir.entries.empty()) << c.what;
        std::string text = "left over";
        EXPECT_EQ(arcdesc::ReadZipEntry(source, dir.entries[0], 100, text), c.entry) << c.what;
        EXPECT_EQ(text, c.entry == ZipStatus::Ok ? big.substr(0, 100) : "") << c.what;
    }
}

int Propose(const std::string& bytes, Proposal& p, bool namedZip = false, arcdesc::Sources sources = {})
{
    MemorySource source(bytes.data(), bytes.size());
    return arcdesc::ProposeForFile(source, namedZip, sources, p);
}

TEST(ArchiveDescription, ChoosesTheDescriptionInOrderOfPreference)
{
    const std::string diz = "  WIDGET 2.1 - the widget maker  \r\n  Makes widgets\r\n  of every size.\r\n";
    const std::string ion = "WIDGET.EXE The widget program\r\n\"long name.txt\" Notes on widgets\x04\xC2 extended\r\n";
    const std::string readme = "=======================\r\nReadme for Widget Tools\r\n\r\nInstall by copying.\r\n";
    arcdesc::Sources noDiz;
    noDiz.fileIdDiz = false;

    struct Case {
        const char* what;
        std::string zip;
        arcdesc::Sources sources;
        const char* title;
        const char* abstract;
    };
    const Case cases[] = {
        {"FILE_ID.DIZ first, deflated",
         BuildZip({{"README", readme, true}, {"DESCRIPT.ION", ion, true}, {"FILE_ID.DIZ", diz, true}}), {},
         "WIDGET 2.1 - the widget maker", "WIDGET 2.1 - the widget maker Makes widgets of every size."},
        {"FILE_ID.DIZ in lower case, stored", BuildZip({{"file_id.diz", diz, false}}), {},
         "WIDGET 2.1 - the widget maker", "WIDGET 2.1 - the widget maker Makes widgets of every size."},
        {"DESCRIPT.ION without the names and the extended part",
         BuildZip({{"README", readme, false}, {"DESCRIPT.ION", ion, true}}), {}, "The widget program",
         "The widget program Notes on widgets"},
        {"only a README, rule lines left out",
         BuildZip({{"WIDGET.EXE", std::string(500, '\0'), true}, {"README", readme, true}}),
         {}, "Readme for Widget Tools", "Readme for Widget Tools Install by copying."},
        {"READ.ME in a folder", BuildZip({{"DOC/READ.ME", readme, false}}), {}, "Readme for Widget Tools",
         "Readme for Widget Tools Install by copying."},
        {"FILE_ID.DIZ switched off", BuildZip({{"FILE_ID.DIZ", diz, true}, {"README.TXT", readme, true}}), noDiz,
         "Readme for Widget Tools", "Readme for Widget Tools Install by copying."},
    };
    for (const Case& c : cases) {
        Proposal p;
        ASSERT_EQ(Propose(c.zip, p, true, c.sources), arcdesc::kProposed) << c.what;
        EXPECT_EQ(p.title, c.title) << c.what;
        EXPECT_EQ(p.abstract, c.abstract) << c.what;
    }
}

TEST(ArchiveDescription, ResultsForOtherFiles)
{
    const std::string good = BuildZip({{"FILE_ID.DIZ", "Widget maker\r\n", true}});
    std::string damaged = good;
    damaged[30 + 11 + 1] ^= 0x55;  // inside the deflated description
    struct Case {
        const char* what;
        std::string bytes;
        bool namedZip;
        int result;
    };
    const Case cases[] = {
        {"plain text file", "Minutes of the meeting\r\nEveryone came.\r\n", false, arcdesc::kProposed},
        {"binary file", std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(200, '\x01'), false, arcdesc::kNothing},
        {"empty file", "", false, arcdesc::kNothing},
        {"archive without a description", BuildZip({{"TOOL.EXE", "MZ", false}}), true, arcdesc::kNothing},
        {"description with nothing meaningful", BuildZip({{"FILE_ID.DIZ", "-----\r\n ** \r\n", false}}), true,
         arcdesc::kNothing},
        {"damaged description", damaged, true, arcdesc::kDamagedArchive},
        {"named .ZIP but no archive", "not an archive at all", true, arcdesc::kDamagedArchive},
        {"starts like an archive but cut", good.substr(0, good.size() - 10), false, arcdesc::kDamagedArchive},
    };
    for (const Case& c : cases) {
        Proposal p;
        p.title = "untouched";
        EXPECT_EQ(Propose(c.bytes, p, c.namedZip), c.result) << c.what;
        if (c.result != arcdesc::kProposed) {
            EXPECT_EQ(p.title, "untouched") << c.what;
        }
    }
    arcdesc::Sources noText;
    noText.plainText = false;
    Proposal p;
    EXPECT_EQ(Propose("Minutes of the meeting\r\n", p, false, noText), arcdesc::kNothing);
}

TEST(ArchiveDescription, TitleKeywordsAndAbstractKeepTheirLimits)
{
    Proposal p;
    // A long first line: the title is its first 79 characters; keywords are distinct, skip short and common
    // words, and leave out the word the cut broke.
    const std::string first = "The Ultimate Compression Toolkit for Compression of Archives and Pictures Versatile";
    ASSERT_TRUE(arcdesc::ProposeFromText(first + "\r\nsecond line", arcdesc::TextKind::Description, p));
    EXPECT_EQ(p.title, first.substr(0, 79));
    EXPECT_EQ(p.keywords, "Ultimate, Compression, Toolkit, Archives, Pictures");
    // Keywords stop before 79 characters; numbers are no keywords.
    ASSERT_TRUE(arcdesc::ProposeFromText("Alpha Bravo 2024 Charl Delta Echos Foxes Golfs Hotel India Julie Kilos Limas",
                                         arcdesc::TextKind::Description, p));
    EXPECT_EQ(p.keywords, "Alpha, Bravo, Charl, Delta, Echos, Foxes, Golfs, Hotel, India, Julie, Kilos");

    // Long descriptions are cut to 799 characters at a word's end.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "word" + std::to_string(i) + " and more\n";
    ASSERT_TRUE(arcdesc::ProposeFromText(many, arcdesc::TextKind::Description, p));
    EXPECT_LE(p.abstract.size(), 799u);
    EXPECT_GT(p.abstract.size(), 780u);
    EXPECT_NE(p.abstract.back(), ' ');
    std::string joined;
    for (int i = 0; i < 200; ++i)
        joined += (i ? " word" : "word") + std::to_string(i) + " and more";
    EXPECT_EQ(joined.substr(0, p.abstract.size()), p.abstract);
    EXPECT_EQ(joined[p.abstract.size()], ' ');

    // A text file gives its first twelve non-blank lines; a DOS end-of-file mark ends the text.
    std::string lines;
    for (int i = 1; i <= 20; ++i)
        lines += "Line " + std::to_string(i) + "\r\n\r\n";
    ASSERT_TRUE(arcdesc::ProposeFromText(lines, arcdesc::TextKind::FirstLines, p));
    EXPECT_EQ(p.abstract, "Line 1 Line 2 Line 3 Line 4 Line 5 Line 6 Line 7 Line 8 Line 9 Line 10 Line 11 Line 12");
    ASSERT_TRUE(arcdesc::ProposeFromText("Short\x1A garbage after the mark", arcdesc::TextKind::FirstLines, p));
    EXPECT_EQ(p.abstract, "Short");
    EXPECT_EQ(p.keywords, "Short");
}

TEST(InstallNames, OnlyPlainNamesPass)
{
    const struct {
        const char* name;
        bool file;
        bool assistant;
    } cases[] = {
        {"ARCDESC.DLL", true, true},      {"my assistant.dll", true, true}, {"..\\EVIL.DLL", false, false},
        {"sub\\A.DLL", false, false},     {"sub/A.DLL", false, true},       {"C:A.DLL", false, true},
        {"C:\\WINDOWS\\A.DLL", false, false}, {"..", false, true},          {"...", false, true},
        {". .", false, true},             {"", false, false},               {"A..DLL", true, true},
        {"\\\\server\\share\\A.DLL", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(assist::IsPlainFileName(c.name), c.file) << c.name;
        EXPECT_EQ(assist::IsPlainAssistantName(c.name), c.assistant) << c.name;
    }
}

}  // namespace
