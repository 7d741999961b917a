// The examine workflow's texts: which program opens a file, the command lines it is given, completed
// compressed-file names and what the read-only viewer shows.
#include <gtest/gtest.h>

#include <string>

#include "examine/launch_text.h"

namespace {

using namespace examine;

TEST(ExamineText, NotepadTakesFilesUpTo64000Bytes)
{
    struct Case {
        const char* program;
        std::uint64_t size;
        bool tooLarge;
    } cases[] = {
        {"C:\\WINDOWS\\NOTEPAD.EXE", 64000, false},
        {"C:\\WINDOWS\\NOTEPAD.EXE", 64001, true},
        {"C:\\WINDOWS\\NOTEPAD.EXE", 5000000000ULL, true},  // beyond 32 bits
        {"C:\\TOOLS\\VIEWER.EXE", 64001, false},
        {"C:\\TOOLS\\NOTEPAD.EXE.BAK\\X.EXE", 64001, true},  // the path is searched, as documented
    };
    for (const Case& c : cases)
        EXPECT_EQ(TooLargeForNotepad(c.program, c.size), c.tooLarge) << c.program << " " << c.size;
}

TEST(ExamineText, PathsWithBlanksAreQuotedAndWinZipAndWordPadAlwaysGetTheFileInQuotes)
{
    struct Case {
        const char* program;
        const char* directory;
        const char* name;
        const char* expected;
    } cases[] = {
        {"C:\\WINZIP\\WINZIP32.EXE", "C:\\KS\\KS_TEMP", "AB.ZIP", "C:\\WINZIP\\WINZIP32.EXE \"C:\\KS\\KS_TEMP\\AB.ZIP\""},
        {"C:\\Program Files\\Accessories\\wordpad.exe", "C:\\KS\\KS_TEMP", "A B.ZIP",
         "\"C:\\Program Files\\Accessories\\wordpad.exe\" \"C:\\KS\\KS_TEMP\\A B.ZIP\""},
        // Any other program: "program directory\name" as it stands while neither holds a blank.
        {"C:\\WINDOWS\\NOTEPAD.EXE", "C:\\KS\\KS_TEMP", "AB.TXT", "C:\\WINDOWS\\NOTEPAD.EXE C:\\KS\\KS_TEMP\\AB.TXT"},
        // A blank in the file's path (a user name with a blank in the program folder) or in the program's.
        {"C:\\WINDOWS\\NOTEPAD.EXE", "C:\\MY KS\\KS_TEMP", "A B.ZIP", "C:\\WINDOWS\\NOTEPAD.EXE \"C:\\MY KS\\KS_TEMP\\A B.ZIP\""},
        {"C:\\Program Files\\Unpack\\unpack.exe", "C:\\KS\\KS_TEMP", "SETUP.EXE",
         "\"C:\\Program Files\\Unpack\\unpack.exe\" C:\\KS\\KS_TEMP\\SETUP.EXE"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssociatedCommandLine(c.program, c.directory, c.name), c.expected) << c.program;
    EXPECT_EQ(ExplorerCommandLine("C:\\Users\\Jo Smith\\Start Menu\\Tools"),
              "explorer \"C:\\Users\\Jo Smith\\Start Menu\\Tools\"");
    EXPECT_EQ(ExplorerCommandLine("C:\\WINDOWS\\DESKTOP"), "explorer C:\\WINDOWS\\DESKTOP");
}

TEST(ExamineText, TheViewerGetsPathsWithBlanksQuotedAndOthersAsDocumented)
{
    EXPECT_EQ(ViewerCommandLine("C:\\WINDOWS\\SYSTEM\\viewers\\quikview", "C:\\KS\\KS_TEMP", "A.DOC"),
              "C:\\WINDOWS\\SYSTEM\\viewers\\quikview C:\\KS\\KS_TEMP\\A.DOC");
    EXPECT_EQ(ViewerCommandLine("C:\\Program Files\\KS\\ksview.exe", "C:\\Program Files\\KS\\KS_TEMP", "A.DOC"),
              "\"C:\\Program Files\\KS\\ksview.exe\" \"C:\\Program Files\\KS\\KS_TEMP\\A.DOC\"");
    EXPECT_EQ(ViewerCommandLine("C:\\KS\\ksview.exe", "C:\\KS\\KS_TEMP", "MY NOTES.TXT"),
              "C:\\KS\\ksview.exe \"C:\\KS\\KS_TEMP\\MY NOTES.TXT\"");
}

TEST(ExamineText, PathsAndCompletedNames)
{
    EXPECT_EQ(JoinPath("C:\\", "A.TXT"), "C:\\A.TXT");
    EXPECT_EQ(JoinPath("C:\\DIR", "A.TXT"), "C:\\DIR\\A.TXT");
    EXPECT_EQ(CompletedName("SETUP.EX_", 'E'), "SETUP.EXE");
    EXPECT_EQ(CompletedName("SETUP.EX_", 'e'), "SETUP.EXe");
    EXPECT_EQ(CompletedName("", 'e'), "");
    EXPECT_EQ(UpperCase("SETUP.EXe"), "SETUP.EXE");
}

TEST(ExamineText, TheViewerShowsTextAsTextAndAnythingElseAsAHexDump)
{
    // Text: bare LF and bare CR lines both end in CR LF; CR LF stays as it is.
    EXPECT_EQ(ViewText("one\ntwo\r\nthree\rfour"), "one\r\ntwo\r\nthree\r\nfour");
    EXPECT_TRUE(LooksLikeText("tabs\tand\fform feeds"));
    // A NUL byte makes a binary file.
    const std::string binary("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\xB8", 17);
    EXPECT_FALSE(LooksLikeText(binary));
    EXPECT_EQ(ViewText(binary),
              "00000000  4D 5A 90 00 03 00 00 00  04 00 00 00 FF FF 00 00  MZ..............\r\n"
              "00000010  B8                                                .\r\n");
    // A shown beginning of a larger file says so.
    const std::string note = ViewText("abc", 10000000);
    EXPECT_NE(note.find("[Only the first 3 of 10000000 bytes are shown.]"), std::string::npos) << note;
    EXPECT_EQ(ViewText(""), "");
}

}  // namespace
