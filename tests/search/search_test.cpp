// The Search Interface: the walk over the catalogue with its progress dialog and Abort, the date range,
// Details and double-click, refreshing a changed or deleted record's line, Clear and Help.
#include "tests/support/during_walk.h"
#include "tests/search/search_fixture.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/mdi.h"
#include "records/ks_abort.h"
#include "records/walk.h"

namespace {

using ks_test::kNoRecords;
using ks_test::SearchTest;
using ks_test::Shown;

using ks_test::DuringWalk;

// Presses Abort in this thread's progress dialog; returns how many it found.
int PressAbort()
{
    int presses = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
            char caption[16]{};
            GetWindowTextA(hwnd, caption, sizeof caption);
            if (std::strcmp(caption, "Abort") == 0 && GetDlgItem(hwnd, IDOK)) {
                SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)));
                ++*reinterpret_cast<int*>(found);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&presses));
    return presses;
}

int CountPosted(HWND hwnd, UINT msg, WPARAM* lastWParam = nullptr)
{
    int count = 0;
    MSG m;
    while (PeekMessageA(&m, hwnd, msg, msg, PM_REMOVE)) {
        ++count;
        if (lastWParam)
            *lastWParam = m.wParam;
    }
    return count;
}

TEST_F(SearchTest, EmptyQueryListsEveryRecordAndLeavesEverythingAsItWas)
{
    const std::int32_t first = Add("Zip Tools", "01/05/96", "", "TOOLS.ZIP");
    Add(std::string(60, 'L').c_str());
    Add("Alpha");
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Alpha", std::string(50, 'L'), "Zip Tools"}));
    EXPECT_EQ(Lines()[2], "Zip Tools\t01/05/96\tTOOLS.ZIP\tC:\\STORE\t" + std::to_string(first));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(BufferUntouched());
    EXPECT_EQ(m_app->Searching, 0);
    EXPECT_TRUE(IsWindowEnabled(m_client->GetHandle()));
    EXPECT_EQ(FindWindowA(nullptr, "Abort"), nullptr);

    // No Search or Record Interface closes during a walk.
    m_app->Searching = 1;
    EXPECT_FALSE(m_child->CanClose());
    m_app->Searching = 0;
    EXPECT_TRUE(m_child->CanClose());
    // Close ends the dialog and with it the window.
    Press(IDOK);
    for (int i = 0; i < 5 && !m_client->GetChildren().empty(); ++i)
        m_app->PumpWaitingMessages();
    EXPECT_TRUE(m_client->GetChildren().empty());
}

// The list refuses every line past the second, as a full list control does.
LRESULT CALLBACK RefuseThirdLine(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if ((msg == LB_ADDSTRING || msg == LB_INSERTSTRING) && DefSubclassProc(hwnd, LB_GETCOUNT, 0, 0) >= 2)
        return LB_ERRSPACE;
    if (msg == LB_SETCOUNT && wParam > 2)
        return LB_ERRSPACE;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

TEST_F(SearchTest, FullResultListStopsTheWalkAndKeepsItsLines)
{
    for (const char* title : {"A zip", "B zip", "C zip", "D zip"})
        Add(title);
    HWND list = m_search->GetItem(IDC_SEARCH_RESULTS);
    ASSERT_TRUE(SetWindowSubclass(list, &RefuseThirdLine, 1, 0));
    Press(IDC_SEARCH_GO);
    m_search->ConditionCount = 1;
    m_search->Conditions[0].SearchField = kFieldTitle;
    std::strcpy(m_search->Conditions[0].SearchText, "zip");
    Press(IDC_SEARCH_GO);
    RemoveWindowSubclass(list, &RefuseThirdLine, 1);

    EXPECT_EQ(Lines().size(), 2u);
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 2u);  // one per walk: each stops at the first refused line
    EXPECT_EQ(boxes[0].text, "No more room in the result list.Please narrow your search criteria.");
    EXPECT_EQ(boxes[1].text, "No more room in the result list. Please narrow your search criteria.");
    EXPECT_EQ(boxes[1].caption, "Result List is Full");
    EXPECT_EQ(boxes[1].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(m_ui.Of(Shown::Kind::Beep).size(), 2u);
    EXPECT_TRUE(BufferUntouched());
    EXPECT_EQ(m_app->Searching, 0);
}

TEST_F(SearchTest, EmptyTableEndsWithTheNoRecordsBox)
{
    Press(IDC_SEARCH_GO);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, kNoRecords);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Warning");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(m_ui.Of(Shown::Kind::Beep).empty());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(SearchTest, ShowBetweenAppliesTheDateRangeOnly)
{
    Add("January", "01/05/96");
    Add("June", "06/15/96");
    Add("Unreadable", "??");
    Add("Next year", "12/31/97");
    // A query in force does not narrow Show Between.
    m_search->ConditionCount = 1;
    m_search->Conditions[0] = QueryCondition{};
    m_search->Conditions[0].SearchField = kFieldTitle;
    std::strcpy(m_search->Conditions[0].SearchText, "nothing like this");

    SetDates("01/01/96", "06/30/96");
    Press(IDC_SEARCH_BETWEEN);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"January", "June"}));
    SetDates("06/15/96", "06/15/96");  // both ends included
    Press(IDC_SEARCH_BETWEEN);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"June"}));
    SetDates("", "");  // from 1 January 1500 up to today; an unreadable date counts as today
    Press(IDC_SEARCH_BETWEEN);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"January", "June", "Next year", "Unreadable"}));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(m_search->GetItemText(IDC_SEARCH_FROM, 29), "");  // the texts are not rewritten

    SetDates("12/31/97", "01/01/96");
    Press(IDC_SEARCH_BETWEEN);
    EXPECT_TRUE(Lines().empty());
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, kNoRecords);
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(SearchTest, DuringAWalkNothingElseRunsAndAbortKeepsTheLinesFound)
{
    const std::int32_t first = Add("A");
    for (const char* title : {"B", "C", "D", "E"})
        Add(title);
    // A Record Interface is open on the first record while the walk runs.
    PostMessageA(m_client->GetHandle(), WM_OPENRECORD, static_cast<WPARAM>(first), 0);
    m_app->PumpWaitingMessages();
    ks::TMDIChild* record = nullptr;
    for (ks::TMDIChild* child : m_client->GetChildren())
        if (child != m_child)
            record = child;
    ASSERT_NE(record, nullptr);
    const FileRecord held = m_client->RecordBuffer;

    int searching = -1, presses = 0;
    bool clientEnabled = true, searchCloses = true, recordCloses = true, abortShown = false;
    const DuringWalk probe([&] {
        searching = m_app->Searching;
        clientEnabled = IsWindowEnabled(m_client->GetHandle()) != FALSE;
        searchCloses = m_child->CanClose();
        recordCloses = record->CanClose();
        abortShown = IsWindowVisible(FindWindowA(nullptr, "Abort")) != FALSE;
        presses = PressAbort();
    });
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(probe.runs, 1);
    EXPECT_EQ(searching, 1);
    EXPECT_FALSE(clientEnabled);
    EXPECT_FALSE(searchCloses);
    EXPECT_FALSE(recordCloses);
    EXPECT_TRUE(abortShown);
    EXPECT_EQ(presses, 1);

    // Aborted after the first record: its line stays, nothing is said, everything is given back.
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(m_search->StopFlag, 1);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(std::memcmp(&held, &m_client->RecordBuffer, sizeof held), 0);
    EXPECT_EQ(m_app->Searching, 0);
    EXPECT_TRUE(IsWindowEnabled(m_client->GetHandle()));
    EXPECT_EQ(FindWindowA(nullptr, "Abort"), nullptr);

    // The next search starts afresh.
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(Lines().size(), 5u);
}

// What a Record Interface does to a record (open, change or delete, close, then tell the other windows), done
// while a walk gives the message queue a turn.
void ChangeRecord(KsClient& client, std::int32_t number, const char* newTitle)
{
    const FileRecord kept = client.RecordBuffer;
    client.RecordBuffer.RecordNumber = number;
    ASSERT_EQ(client.SendEngineCommand(ENG_OPEN, 0), 0);
    if (newTitle) {
        SetFieldText(client.RecordBuffer.Title, newTitle);
        ASSERT_EQ(client.SendEngineCommand(ENG_UPDATE, 0), 0);
    } else {
        ASSERT_EQ(client.SendEngineCommand(ENG_DELETE, 0), 0);
    }
    ASSERT_EQ(client.SendEngineCommand(ENG_CLOSE, 0), 0);
    client.RecordBuffer = kept;
    PostMessageA(client.GetHandle(), WM_RECORDCHANGED, static_cast<WPARAM>(number), 0);
}

TEST_F(SearchTest, RecordsChangedOrDeletedDuringAWalkAreListedAsTheyAreNow)
{
    std::vector<std::int32_t> numbers;
    for (const char* title : {"A", "B", "C", "D", "E"})
        numbers.push_back(Add(title));
    // The walk has listed A (its line not yet in the list) and holds the rest in its first batch.
    const DuringWalk probe([&] {
        ChangeRecord(*m_client, numbers[0], "A changed");
        ChangeRecord(*m_client, numbers[2], "C changed");
        ChangeRecord(*m_client, numbers[3], nullptr);
        Add("F");
    });
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(probe.runs, 1);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A changed", "B", "C changed", "E", "F"}));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(BufferUntouched());
    // The lines are whole: each opens its own record.
    for (const std::string& line : Lines())
        EXPECT_NE(ks_test::LineNumberOf(line), numbers[3]) << line;
}

TEST_F(SearchTest, AWalkOverMoreRecordsThanOneReplyHoldsListsEachOnceInOrder)
{
    // Every field at its width: a reply of the engine holds about 700 such records, so the walk takes three.
    constexpr int kRecords = 1600;
    FileRecord& r = m_client->RecordBuffer;
    const FileRecord kept = r;
    for (int i = 1; i <= kRecords; ++i) {
        char title[81];
        std::snprintf(title, sizeof title, "%05d%s", kRecords + 1 - i, std::string(75, 't').c_str());
        SetFieldText(r.FileName, std::to_string(i) + std::string(250, 'n'));
        SetFieldText(r.DownloadDate, "01/05/96");
        SetFieldText(r.Title, title);
        SetFieldText(r.Keywords, std::string(80, 'k'));
        SetFieldText(r.Location, std::string(255, 'l'));
        SetFieldText(r.Abstract, std::string(799, 'a'));
        ASSERT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
    }
    r = kept;
    Press(IDC_SEARCH_GO);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kRecords));
    // Sorted by title, which runs against the record numbers: the last record added comes first.
    for (int i = 0; i < kRecords; ++i)
        ASSERT_EQ(ks_test::LineNumberOf(lines[static_cast<std::size_t>(i)]), kRecords - i) << i;
    EXPECT_EQ(lines[0].substr(0, 55), "00001" + std::string(45, 't') + "\t01/0");
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(SearchTest, AbortButtonPostsOneRequestPerPressAndStaysOpen)
{
    KsAbort progress(m_search);
    ASSERT_NE(progress.Create(), nullptr);
    progress.SetProgress(42);
    EXPECT_EQ(progress.Gauge().PaintedText(), "42%");
    progress.SetCaption("TOOLS.ZIP");
    EXPECT_EQ(progress.Gauge().PaintedText(), "TOOLS.ZIP");
    ks_test::Click(progress, IDOK);
    ks_test::Click(progress, IDOK);
    ks_test::Click(progress, IDCANCEL);  // Escape does not abort
    EXPECT_EQ(CountPosted(m_search->GetHandle(), WM_ABORTREQUEST), 2);
    EXPECT_TRUE(IsWindow(progress.GetHandle()));
    progress.Destroy();
}

TEST_F(SearchTest, DetailsAndDoubleClickOpenOneRecordOrSayWhyNot)
{
    Add("Alpha");
    const std::int32_t beta = Add(std::string(70, 'b').c_str());
    Press(IDC_SEARCH_GO);
    ASSERT_EQ(Lines().size(), 2u);
    HWND list = m_search->GetItem(IDC_SEARCH_RESULTS);
    CountPosted(m_client->GetHandle(), WM_OPENRECORD);

    Press(IDC_SEARCH_DETAILS);
    SendMessageA(list, LB_SETSEL, TRUE, -1);
    Press(IDC_SEARCH_DETAILS);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    SendMessageA(list, LB_SETSEL, TRUE, 1);
    m_app->RecordOpen = 1;
    Press(IDC_SEARCH_DETAILS);
    m_app->RecordOpen = 0;
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "You must select a record to view.");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(boxes[1].text, "You may only have one record selected at a time when viewing");
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[2].text, "Sorry, You may only modify a single record at a time.");
    EXPECT_EQ(boxes[2].caption, "Warning");
    EXPECT_EQ(m_ui.Of(Shown::Kind::Beep).size(), 3u);
    EXPECT_EQ(CountPosted(m_client->GetHandle(), WM_OPENRECORD), 0);

    // The cut title's line still opens its record: the number is read after the last tab.
    SendMessageA(m_search->GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_RESULTS, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    WPARAM number = 0;
    EXPECT_EQ(CountPosted(m_client->GetHandle(), WM_OPENRECORD, &number), 1);
    EXPECT_EQ(number, static_cast<WPARAM>(beta));
    Press(IDC_SEARCH_DETAILS);
    EXPECT_EQ(CountPosted(m_client->GetHandle(), WM_OPENRECORD, &number), 1);
    EXPECT_EQ(number, static_cast<WPARAM>(beta));
}

TEST_F(SearchTest, RefreshRebuildsAChangedLineAndDropsADeletedOne)
{
    const std::int32_t changed = Add("Before");
    const std::int32_t deleted = Add("Doomed");
    Add("Other");
    Press(IDC_SEARCH_GO);
    ASSERT_EQ(Lines().size(), 3u);
    SendMessageA(m_search->GetItem(IDC_SEARCH_RESULTS), LB_SETSEL, TRUE, 2);

    // A Record Interface changes one record and deletes another.
    for (std::int32_t number : {changed, deleted}) {
        m_client->RecordBuffer.RecordNumber = number;
        ASSERT_EQ(m_client->SendEngineCommand(ENG_OPEN, 0), 0);
        if (number == changed) {
            SetFieldText(m_client->RecordBuffer.Title, "After");
            ASSERT_EQ(m_client->SendEngineCommand(ENG_UPDATE, 0), 0);
        } else {
            ASSERT_EQ(m_client->SendEngineCommand(ENG_DELETE, 0), 0);
        }
        ASSERT_EQ(m_client->SendEngineCommand(ENG_CLOSE, 0), 0);
    }
    std::memset(&m_client->RecordBuffer, 0x5A, sizeof(FileRecord));
    SendMessageA(m_child->GetHandle(), WM_REFRESHRECORD, changed, 0);
    SendMessageA(m_child->GetHandle(), WM_REFRESHRECORD, deleted, 0);
    SendMessageA(m_child->GetHandle(), WM_REFRESHRECORD, 9999, 0);  // not listed: nothing happens
    EXPECT_EQ(Titles(), (std::vector<std::string>{"After", "Other"}));
    EXPECT_EQ(ks_test::LineNumberOf(Lines()[0]), changed);
    EXPECT_TRUE(BufferUntouched());
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(SearchTest, TheSelectionStaysOnItsRecordWhenARefreshMovesOrDropsALine)
{
    struct Case {
        const char* what;
        const char* changedTitle;  // the record changed (its line moves); null: it is deleted
        bool selectedChanges;      // the selected record is the one changed
        bool stillSelected;
    } cases[] = {
        {"the selected record's line moves down", "Zulu", true, true},
        {"another record's line moves past the selected one", "Alpha", false, true},
        {"the selected record is deleted", nullptr, true, false},
    };
    int day = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Clear();
        // Each case's records have a day of their own, and the list shows only them.
        const std::string date = "01/0" + std::to_string(++day) + "/96";
        std::vector<std::int32_t> numbers;
        for (const char* title : {"Bravo", "Charlie", "Delta"})
            numbers.push_back(Add((std::string(title) + " " + c.what).c_str(), date.c_str()));
        SetDates(date.c_str(), date.c_str());
        Press(IDC_SEARCH_BETWEEN);
        ASSERT_EQ(Lines().size(), 3u);
        HWND list = m_search->GetItem(IDC_SEARCH_RESULTS);
        // Charlie is selected; Bravo or Charlie is changed.
        const std::int32_t selected = numbers[1];
        const std::int32_t changed = c.selectedChanges ? numbers[1] : numbers[0];
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        SendMessageA(list, LB_SETSEL, TRUE, 1);
        m_client->RecordBuffer.RecordNumber = changed;
        ASSERT_EQ(m_client->SendEngineCommand(ENG_OPEN, 0), 0);
        if (c.changedTitle) {
            SetFieldText(m_client->RecordBuffer.Title, std::string(c.changedTitle) + " " + c.what);
            ASSERT_EQ(m_client->SendEngineCommand(ENG_UPDATE, 0), 0);
        } else {
            ASSERT_EQ(m_client->SendEngineCommand(ENG_DELETE, 0), 0);
        }
        ASSERT_EQ(m_client->SendEngineCommand(ENG_CLOSE, 0), 0);
        SendMessageA(m_child->GetHandle(), WM_REFRESHRECORD, changed, 0);
        CountPosted(m_client->GetHandle(), WM_OPENRECORD);
        Press(IDC_SEARCH_DETAILS);
        WPARAM opened = 0;
        if (c.stillSelected) {
            EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 1);
            EXPECT_EQ(CountPosted(m_client->GetHandle(), WM_OPENRECORD, &opened), 1);
            EXPECT_EQ(opened, static_cast<WPARAM>(selected));
            EXPECT_TRUE(m_ui.Boxes().empty());
        } else {
            EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
            EXPECT_EQ(CountPosted(m_client->GetHandle(), WM_OPENRECORD), 0);
            ASSERT_EQ(m_ui.Boxes().size(), 1u);
            EXPECT_EQ(m_ui.Boxes()[0].text, "You must select a record to view.");
        }
        Press(IDC_SEARCH_CLEAR);
    }
}

TEST_F(SearchTest, WhileAWalkRunsNoOtherWalkStartsFromAnyWindowOrCommand)
{
    for (const char* title : {"A", "B", "C", "D"})
        Add(title);
    auto* second = static_cast<SrchChild*>(
        m_client->CreateChild(std::make_unique<SrchChild>(*m_client, "Search Interface - 1")));
    ASSERT_NE(second, nullptr);
    auto& frame = static_cast<ks::TDecoratedMDIFrame&>(*m_app->GetMainWindow());
    HWND main = frame.GetHandle();
    struct Command {
        UINT id;
        bool greyed;
        bool refused;
    };
    const Command commands[] = {{CM_CONVERT, false, false}, {CM_CHECK_CATALOGUE, false, false}};
    std::vector<Command> during(std::begin(commands), std::end(commands));
    bool storedFilesEnabled = false, mayEnd = true;
    std::size_t boxesBefore = 0, boxesAfter = 0, pickers = 0, windows = 0, secondLines = 99;
    const DuringWalk probe([&] {
        boxesBefore = m_ui.Boxes().size();
        for (Command& c : during) {
            c.greyed = !frame.IsCommandEnabled(c.id);
            SendMessageA(main, WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        }
        ks_test::Click(*second->Search(), IDC_SEARCH_GO);
        ks_test::Click(*second->Search(), IDC_SEARCH_BETWEEN);
        boxesAfter = m_ui.Boxes().size();
        storedFilesEnabled = frame.IsCommandEnabled(CM_STORED_FILES);
        mayEnd = m_app->CanClose();
        pickers = m_ui.Of(Shown::Kind::OpenFile).size();
        windows = m_client->GetChildren().size();
        secondLines = static_cast<std::size_t>(SendMessageA(second->Search()->GetItem(IDC_SEARCH_RESULTS), LB_GETCOUNT, 0, 0));
    });
    Press(IDC_SEARCH_GO);
    ASSERT_EQ(probe.runs, 1);
    for (const Command& c : during)
        EXPECT_TRUE(c.greyed) << c.id;
    EXPECT_TRUE(storedFilesEnabled);
    EXPECT_FALSE(mayEnd);
    // Every command was refused with the same box: no picker, no new window, no second list.
    EXPECT_EQ(boxesAfter - boxesBefore, 4u);
    for (std::size_t i = boxesBefore; i < boxesAfter; ++i) {
        EXPECT_EQ(m_ui.Boxes()[i].text, WalkMark::kRefusedText);
        EXPECT_EQ(m_ui.Boxes()[i].caption, "Warning");
    }
    EXPECT_EQ(pickers, 0u);
    EXPECT_EQ(windows, 2u);
    EXPECT_EQ(secondLines, 0u);
    // The walk itself was not disturbed: every record listed; afterwards the commands are there again.
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_TRUE(frame.IsCommandEnabled(CM_CONVERT));
    EXPECT_TRUE(frame.IsCommandEnabled(CM_CHECK_CATALOGUE));
    EXPECT_EQ(m_app->Walking, 0);
    ks_test::Click(*second->Search(), IDC_SEARCH_GO);
    EXPECT_EQ(SendMessageA(second->Search()->GetItem(IDC_SEARCH_RESULTS), LB_GETCOUNT, 0, 0), 4);
}

TEST_F(SearchTest, ClearResetsListQueryAndDatesAndHelpOpensItsPage)
{
    Add("Alpha");
    Press(IDC_SEARCH_GO);
    m_search->ConditionCount = 1;
    m_search->Conditions[0].SearchField = kFieldTitle;
    m_search->ShowQueryText();
    SetDates("01/01/96", "01/02/96");
    Press(IDC_SEARCH_CLEAR);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(m_search->GetItemText(IDC_SEARCH_QUERY_TEXT, 100), "");
    EXPECT_EQ(m_search->GetItemText(IDC_SEARCH_FROM, 29), "");
    EXPECT_EQ(m_search->GetItemText(IDC_SEARCH_TO, 29), "");
    EXPECT_EQ(m_search->ConditionCount, 0);
    EXPECT_EQ(m_search->Conditions[0].SearchField, -1);
    EXPECT_EQ(m_search->Conditions[1].SearchField, -1);
    // The query is gone: a search lists every record again.
    Add("Beta");
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Alpha", "Beta"}));

    Press(IDC_SEARCH_HELP);
    ASSERT_EQ(m_ui.HelpCalls().size(), 1u);
    EXPECT_EQ(m_ui.HelpCalls()[0].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(m_ui.HelpCalls()[0].helpData, 202u);

    // The result list's pop-up menu holds "Move", which is the Clear command here.
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_RESULT_POPUP));
    ASSERT_NE(menu, nullptr);
    char item[16]{};
    GetMenuStringA(GetSubMenu(menu, 0), 0, item, sizeof item, MF_BYPOSITION);
    EXPECT_STREQ(item, "Move");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), static_cast<UINT>(IDC_SEARCH_CLEAR));
    DestroyMenu(menu);
}

}  // namespace
