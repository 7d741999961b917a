// Intake at scale, in the started program with the real engine and templates: Store All with each reason a file
// stays, Abort, areas that follow the disk, drops on the main window and a Download Interface, and the export.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "download/file_moves.h"
#include "download/ks_child.h"
#include "download/ks_manage.h"
#include "records/data_search.h"
#include "records/srch_child.h"
#include "records/walk.h"
#include "resources/resource_ids.h"
#include "tests/support/during_walk.h"
#include "tests/support/list_lines.h"
#include "tests/support/program_fixture.h"

namespace {

using namespace ks_test;

// The date the Download Interface shows for a file, and a record gets as its download date.
std::string DateOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    SYSTEMTIME day{};
    FileTimeToSystemTime(&data.ftLastWriteTime, &day);
    return FormatDate(MakeDate(day.wDay, day.wMonth, day.wYear));
}

// A drop as Explorer hands it over: a DROPFILES block with wide paths.
HGLOBAL BuildDrop(const std::vector<std::wstring>& paths)
{
    std::size_t chars = 1;
    for (const std::wstring& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& p : paths) {
        std::copy(p.begin(), p.end(), out);
        out += p.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

class IntakeTest : public ProgramTest {
protected:
    // The one assistant that proposes a title and one-character keywords and abstract, as the default.
    void DefaultAssistant()
    {
        const std::string file = "intake_one_char.dll";
        ASSERT_TRUE(CopyFileA((BinDir() + "\\test_assistants\\one_char.dll").c_str(), (BinDir() + "\\" + file).c_str(),
                              FALSE));
        SetRegString("Assistants\\One Char", "Filename", file.c_str());
        SetRegString("Initialisation", "Default Assistant", "One Char");
    }
    // Nothing stored is lost and nothing is half stored: every record names a file that is there, and every
    // file in KS_STORE has exactly one record.
    void ExpectStoreAndCatalogueAgree()
    {
        std::map<std::string, int> named;
        for (const FileRecord& r : Records()) {
            const std::string path = std::string(FieldText(r.Location)) + "\\" + std::string(FieldText(r.FileName));
            EXPECT_TRUE(Exists(path)) << "record without its file: " << path;
            ++named[std::string(FieldText(r.FileName))];
        }
        for (const std::string& name : FilesIn(m_store))
            EXPECT_EQ(named[name], 1) << "stored file with " << named[name] << " records: " << name;
    }
    KsManage* OpenDownloadInterface()
    {
        Command(CM_FILES_DOWNLOADED);
        for (ks::TMDIChild* child : m_client->GetChildren())
            if (auto* manage = dynamic_cast<KsManage*>(child->GetClientWindow()))
                return manage;
        return nullptr;
    }
    std::string PaneText() const { return m_app->GetMainWindow()->GetStatusBar()->GetPaneText(); }
    // The save dialog answered with path.
    void SaveAs(const std::string& path)
    {
        m_ui.AnswerSaveFile([path](OPENFILENAMEA& ofn, DWORD&) {
            lstrcpynA(ofn.lpstrFile, path.c_str(), static_cast<int>(ofn.nMaxFile));
            return true;
        });
    }
};

// ---- Store All ----

TEST_F(IntakeTest, StoreAllStoresEachFileAsOneStoreOrLeavesItWithItsReason)
{
    DefaultAssistant();
    const std::string date1 = DateOf(Settled(m_area, "GOOD1.TXT", "first good file"));
    Settled(m_area, "GOOD2.ZIP", "second good file, longer");
    Settled(m_area, "movie.mp4.part", "half a film");
    PutBytes(m_area + "\\RECENT.TXT", "written just now");
    const std::string held = Settled(m_area, "HELD.TXT", "a download still open");
    const HANDLE writer = CreateFileA(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Settled(m_area, "TAKEN.TXT", "not the stored one");
    PutBytes(m_store + "\\TAKEN.TXT", "the stored one");
    AddRecord("TAKEN.TXT", m_store);
    Settled(m_area, "INCAT.TXT", "a name a record has");
    const std::string elsewhere = MakeDir("elsewhere");
    PutBytes(elsewhere + "\\INCAT.TXT", "the catalogued one");
    AddRecord("INCAT.TXT", elsewhere);
    Settled(m_area, "COPY.TXT", "the same bytes as a stored file");
    PutBytes(m_store + "\\ORIGINAL.TXT", "the same bytes as a stored file");
    AddRecord("ORIGINAL.TXT", m_store);
    ASSERT_TRUE(PutWideFile(Widened(m_area) + L"\\\x0416URNAL.TXT", ""));

    std::vector<std::string> left;
    std::string summary;
    m_ui.OnDialog(IDD_FILES_LEFT, [&](ks::TDialog& d) {
        summary = d.GetItemText(IDC_LEFT_SUMMARY, 200);
        left = ListLines(d.GetItem(IDC_LEFT_LIST));
        Click(d, IDOK);
    });
    Command(CM_STORE_ALL);
    CloseHandle(writer);

    ASSERT_FALSE(m_ui.Boxes().empty());
    EXPECT_EQ(m_ui.Boxes().front().text,
              "Store the 9 files waiting in Downloads (" + m_area + ")? They will be moved into KS_STORE.");
    EXPECT_EQ(summary, "2 files stored, 7 left in the area.");
    const std::vector<std::string> wanted = {
        "COPY.TXT\ta stored file has the same contents",
        "HELD.TXT\tstill being written",
        "INCAT.TXT\tits name is in use in KS_STORE or the catalogue",
        "movie.mp4.part\tnamed as a download still in progress",
        "RECENT.TXT\tstill being written",
        "TAKEN.TXT\tits name is in use in KS_STORE or the catalogue",
        "?URNAL.TXT\tthe catalogue cannot hold its name",
    };
    EXPECT_EQ(left, wanted);

    // What was stored is in KS_STORE with its record, described by the assistant; the rest is where it was.
    EXPECT_EQ(FilesIn(m_area), (std::vector<std::string>{"?URNAL.TXT", "COPY.TXT", "HELD.TXT", "INCAT.TXT",
                                                         "RECENT.TXT", "TAKEN.TXT", "movie.mp4.part"}));
    EXPECT_EQ(ReadFileText(m_store + "\\GOOD1.TXT"), "first good file");
    EXPECT_EQ(ReadFileText(m_store + "\\TAKEN.TXT"), "the stored one");
    const std::vector<FileRecord> records = Records();
    const auto good1 = std::find_if(records.begin(), records.end(),
                                    [](const FileRecord& r) { return FieldText(r.FileName) == "GOOD1.TXT"; });
    ASSERT_NE(good1, records.end());
    // One character is no proposal: the keywords and abstract stay empty.
    EXPECT_EQ((std::vector<std::string>{std::string(FieldText(good1->Location)), std::string(FieldText(good1->DownloadDate)),
                                        std::string(FieldText(good1->Title)), std::string(FieldText(good1->Keywords)),
                                        std::string(FieldText(good1->Abstract))}),
              (std::vector<std::string>{m_store, date1, "A proper title", "", ""}));
    ExpectStoreAndCatalogueAgree();
}

// While Store All walks, the other walks are greyed and refused; Abort then finishes the file in hand only.
TEST_F(IntakeTest, StoreAllStoppedMidwayRefusesOtherWalksAndLeavesEveryFileWholeInOnePlace)
{
    constexpr int kFiles = 200;
    for (int i = 0; i < kFiles; ++i)
        Settled(m_area, "F" + std::to_string(1000 + i) + ".TXT", "file number " + std::to_string(i));
    const std::string dropped = Settled(MakeDir("desk"), "DROPPED.TXT", "d");
    std::vector<bool> offered;
    static std::string s_store;
    s_store = m_store;
    DuringWalk probe([&] {
        offered = {m_client->HandlesCommand(CM_STORE_ALL), m_client->HandlesCommand(CM_EXPORT_CATALOGUE)};
        Command(CM_EXPORT_CATALOGUE);
        Command(CM_STORE_ALL);
        SendMessageA(m_client->GetHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop({Widened(dropped)})), 0);
        // Abort is pressed once the first file has been stored.
        SetTimer(m_client->GetHandle(), 0x77, 1, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
            if (FilesIn(s_store).empty())
                return;
            KillTimer(hwnd, id);
            PostMessageA(hwnd, WM_ABORTREQUEST, 0, 0);
        });
    });
    std::vector<std::string> left;
    m_ui.OnDialog(IDD_FILES_LEFT, [&](ks::TDialog& d) {
        left = ListLines(d.GetItem(IDC_LEFT_LIST));
        Click(d, IDOK);
    });
    Command(CM_STORE_ALL);

    EXPECT_EQ(offered, (std::vector<bool>{false, false}));
    std::vector<std::string> texts;
    for (const Shown& box : m_ui.Boxes())
        texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Store the 200 files waiting in Downloads (" + m_area + ")? They will be moved into KS_STORE.",
                         WalkMark::kRefusedText, WalkMark::kRefusedText, WalkMark::kRefusedText}));
    EXPECT_TRUE(m_ui.Of(Shown::Kind::SaveFile).empty());
    EXPECT_TRUE(Exists(dropped));
    const std::size_t stored = FilesIn(m_store).size();
    EXPECT_GE(stored, 1u);
    ASSERT_GE(left.size(), 1u);
    EXPECT_EQ(stored + left.size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(FilesIn(m_area).size(), left.size());
    for (const std::string& line : left)
        EXPECT_EQ(line.substr(line.find('\t') + 1), "Store All was stopped before it") << line;
    EXPECT_EQ(Records().size(), stored);
    ExpectStoreAndCatalogueAgree();
    // The walk gave everything back.
    EXPECT_TRUE(IsWindowEnabled(m_client->GetHandle()));
    EXPECT_EQ(m_app->Searching, 0);
    EXPECT_TRUE(m_client->HandlesCommand(CM_STORE_ALL));
}

// ---- Areas that follow the disk, and the area Store All takes ----

TEST_F(IntakeTest, AnOpenAreaFollowsTheDiskKeepsTheSelectionAndIsTheOneStoreAllTakes)
{
    Settled(m_area, "ALPHA.TXT", "a");
    Settled(m_area, "BRAVO.TXT", "b");
    const std::string second = MakeDir("area two");
    SetArea(2, second, "Web");
    Settled(second, "WEB.TXT", "w");
    m_client->AreasChanged();
    EXPECT_EQ(PaneText(), "3 waiting");

    KsManage* manage = OpenDownloadInterface();
    ASSERT_NE(manage, nullptr);
    HWND list = manage->GetItem(IDC_DOWNLOAD_FILES);
    SendMessageA(list, LB_SETCURSEL, 1, 0);  // BRAVO.TXT
    auto selected = [&] {
        const int index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        return index < 0 ? std::string() : ListLines(list).at(static_cast<std::size_t>(index));
    };
    ASSERT_EQ(selected(), "BRAVO.TXT");

    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> lines;
        const char* pane;
    } steps[] = {
        {"a file arrives before the selection", [&] { PutBytes(m_area + "\\AARDVARK.TXT", "new"); },
         {"AARDVARK.TXT", "ALPHA.TXT", "BRAVO.TXT"}, "4 waiting"},
        {"another file is renamed", [&] { MoveFileA((m_area + "\\ALPHA.TXT").c_str(), (m_area + "\\ZULU.TXT").c_str()); },
         {"AARDVARK.TXT", "BRAVO.TXT", "ZULU.TXT"}, "4 waiting"},
        {"a file leaves", [&] { DeleteFileA((m_area + "\\AARDVARK.TXT").c_str()); }, {"BRAVO.TXT", "ZULU.TXT"},
         "3 waiting"},
        {"a file arrives in the other area", [&] { Settled(second, "MORE.TXT", "m"); },
         {"BRAVO.TXT", "ZULU.TXT"}, "4 waiting"},
    };
    for (const auto& step : steps) {
        step.change();
        EXPECT_TRUE(PumpUntil([&] { return ListLines(list) == step.lines && PaneText() == step.pane; }, 3000))
            << step.what << ": " << ListLines(list).size() << " lines, pane " << PaneText();
        EXPECT_EQ(selected(), "BRAVO.TXT") << step.what;
    }
    EXPECT_EQ(manage->GetItemText(IDC_DOWNLOAD_SIZE, 40), "1 Bytes.");

    // Store All asks first about the area in front: No moves nothing; on area two, Yes stores area two only.
    m_ui.AnswerBox(IDNO);
    Command(CM_STORE_ALL);
    EXPECT_EQ(m_ui.Boxes().back().text,
              "Store the 2 files waiting in Downloads (" + m_area + ")? They will be moved into KS_STORE.");
    EXPECT_TRUE(FilesIn(m_store).empty());
    Click(*manage, IDC_DOWNLOAD_AREA2);
    m_ui.Clear();
    Command(CM_STORE_ALL);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              "Store the 2 files waiting in Web (" + second + ")? They will be moved into KS_STORE.");
    EXPECT_EQ(m_ui.Boxes()[1].text, "2 files stored, 0 left in the area.");
    EXPECT_EQ(m_ui.Boxes()[1].caption, "Store All Waiting Files");
    EXPECT_EQ(FilesIn(m_store), (std::vector<std::string>{"MORE.TXT", "WEB.TXT"}));
    EXPECT_EQ(FilesIn(m_area), (std::vector<std::string>{"BRAVO.TXT", "ZULU.TXT"}));
    ExpectStoreAndCatalogueAgree();
}

// ---- Drops ----

TEST_F(IntakeTest, DropsAskOnceAndRefuseFoldersAndStoredFiles)
{
    const std::string desk = MakeDir("desk");
    const std::string single = Settled(desk, "SINGLE.TXT", "dropped alone");
    const std::string folder = MakeDir("a folder");
    PutBytes(m_store + "\\KEPT.TXT", "stored already");
    AddRecord("KEPT.TXT", m_store);

    // On the main window: the folder and the stored file are refused; the one file opens the Storage Interface.
    m_ui.OnDialog(IDD_STORAGE, [](ks::TDialog& d) { Click(d, IDOK); });
    SendMessageA(m_app->GetMainWindow()->GetHandle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(BuildDrop({Widened(single), Widened(folder), Widened(m_store + "\\KEPT.TXT")})), 0);
    ASSERT_GE(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              "These cannot be stored:\ra folder is a folder: only files can be stored.\rKEPT.TXT is in KS_STORE already.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Store Dropped Files");
    EXPECT_EQ(m_ui.Boxes()[1].text, "Store 1 file in the catalogue? It will be moved into KS_STORE.");
    EXPECT_EQ(m_ui.Boxes()[1].buttons, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(FilesIn(m_store), (std::vector<std::string>{"KEPT.TXT", "SINGLE.TXT"}));
    EXPECT_TRUE(Exists(folder));

    // On a Download Interface: several files, No first, then Yes runs Store All over exactly those files.
    const std::vector<std::wstring> three = {Widened(Settled(desk, "A.TXT", "a")), Widened(Settled(desk, "B.TXT", "bb")),
                                             Widened(Settled(desk, "C.TXT", "ccc"))};
    Settled(desk, "NOT DROPPED.TXT", "stays");
    KsManage* manage = OpenDownloadInterface();
    ASSERT_NE(manage, nullptr);
    HWND child = GetParent(manage->GetHandle());
    m_ui.Clear();
    m_ui.AnswerBox(IDNO);
    SendMessageA(child, WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop(three)), 0);
    EXPECT_EQ(m_ui.Boxes().back().text, "Store 3 files in the catalogue? They will be moved into KS_STORE.");
    EXPECT_EQ(FilesIn(m_store).size(), 2u);
    SendMessageA(child, WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop(three)), 0);
    EXPECT_EQ(m_ui.Boxes().back().text, "3 files stored, 0 left in the area.");
    EXPECT_EQ(FilesIn(m_store), (std::vector<std::string>{"A.TXT", "B.TXT", "C.TXT", "KEPT.TXT", "SINGLE.TXT"}));
    EXPECT_EQ(FilesIn(desk), std::vector<std::string>{"NOT DROPPED.TXT"});
    ExpectStoreAndCatalogueAgree();
}

// ---- Export ----

using ExportTest = IntakeTest;

TEST_F(ExportTest, EveryRecordOrTheSearchInFrontIsWrittenAsSpreadsheetText)
{
    AddRecord("CAFE.ZIP", "C:\\KS\\KS_STORE", "Zebra caf\xE9 \"quoted\", with comma");
    AddRecord("ALPHA.TXT", "C:\\KS\\KS_STORE", "Alpha");
    AddRecord("LINES.DOC", "D:\\Old Store", "Middle", "first line\r\nsecond line \xAB\xBB", "one;two", "12/25/96");
    const std::string all = MakeDir("all") + "\\all.csv";
    SaveAs(all);
    Command(CM_EXPORT_CATALOGUE);
    // UTF-8 with its mark, every field quoted, quotes doubled, line ends kept inside a field.
    EXPECT_EQ(ReadFileText(all),
              "\xEF\xBB\xBF\"File Name\",\"Download Date\",\"Title\",\"Keywords\",\"Location\",\"Abstract\"\r\n"
              "\"CAFE.ZIP\",\"01/05/96\",\"Zebra caf\xC3\xA9 \"\"quoted\"\", with comma\",\"\",\"C:\\KS\\KS_STORE\",\"\"\r\n"
              "\"ALPHA.TXT\",\"01/05/96\",\"Alpha\",\"\",\"C:\\KS\\KS_STORE\",\"\"\r\n"
              "\"LINES.DOC\",\"12/25/96\",\"Middle\",\"one;two\",\"D:\\Old Store\","
              "\"first line\r\nsecond line \xC2\xAB\xC2\xBB\"\r\n");
    EXPECT_EQ(m_ui.Of(Shown::Kind::SaveFile).at(0).text, "KESTRUM.CSV");
    EXPECT_EQ(m_ui.Boxes().back().text, "3 records were exported to " + all + ".");

    // With a Search Interface in front, its lines' records in the list's order (by title).
    auto* search = static_cast<SrchChild*>(
        m_client->CreateChild(std::make_unique<SrchChild>(*m_client, "Search Interface - 0")));
    ASSERT_NE(search, nullptr);
    Click(*search->Search(), IDC_SEARCH_GO);
    const std::string listed = MakeDir("listed") + "\\listed.csv";
    SaveAs(listed);
    Command(CM_EXPORT_CATALOGUE);
    const std::string shown = ReadFileText(listed);
    const std::size_t alpha = shown.find("\"ALPHA.TXT\""), lines = shown.find("\"LINES.DOC\""),
                      cafe = shown.find("\"CAFE.ZIP\"");
    EXPECT_TRUE(alpha < lines && lines < cafe && cafe != std::string::npos) << shown;
    EXPECT_TRUE(FindWindowA(nullptr, "Abort") == nullptr);
}

TEST_F(ExportTest, AFailedOrStoppedExportLeavesTheChosenNameAsItWas)
{
    for (int i = 0; i < 300; ++i)
        AddRecord("F" + std::to_string(i) + ".ZIP", "C:\\STORE", "Title " + std::to_string(i));
    const std::string dir = MakeDir("exports");
    const std::string earlier = dir + "\\KESTRUM.CSV";
    PutBytes(earlier, "an earlier export");

    // A folder that does not exist.
    SaveAs(dir + "\\missing\\KESTRUM.CSV");
    Command(CM_EXPORT_CATALOGUE);
    EXPECT_EQ(m_ui.Boxes().back().text, "The catalogue could not be written to " + dir + "\\missing\\KESTRUM.CSV.");
    EXPECT_EQ(m_ui.Boxes().back().icon, static_cast<UINT>(MB_ICONSTOP));

    // Abort while the records are walked.
    SaveAs(earlier);
    DuringWalk abort([this] { PostMessageA(m_client->GetHandle(), WM_ABORTREQUEST, 0, 0); });
    Command(CM_EXPORT_CATALOGUE);
    EXPECT_EQ(m_ui.Boxes().back().text, "The export was stopped; no file was written.");
    EXPECT_EQ(ReadFileText(earlier), "an earlier export");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"KESTRUM.CSV"});  // no temporary file is left
    EXPECT_TRUE(IsWindowEnabled(m_client->GetHandle()));

    // A volume that fills up (where the test run could mount one).
    if (GetFileAttributesA("S:\\") != INVALID_FILE_ATTRIBUTES) {
        for (int i = 0; i < 400; ++i)
            AddRecord("G" + std::to_string(i) + ".ZIP", "C:\\STORE", "Long", std::string(790, 'x'));
        PutBytes("S:\\KESTRUM.CSV", "small earlier export");
        SaveAs("S:\\KESTRUM.CSV");
        Command(CM_EXPORT_CATALOGUE);
        EXPECT_EQ(m_ui.Boxes().back().text, "The catalogue could not be written to S:\\KESTRUM.CSV.");
        EXPECT_EQ(ReadFileText("S:\\KESTRUM.CSV"), "small earlier export");
        EXPECT_EQ(FilesIn("S:"), std::vector<std::string>{"KESTRUM.CSV"});
        DeleteFileA("S:\\KESTRUM.CSV");
    }
}

}  // namespace
