// DataSearch: set-up, Set Query, the two searches and their walk, Details, refreshing a line, Clear, Help;
// TMenList's pop-up menu.
#include "records/data_search.h"

#include <windowsx.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "controls/calendar_date.h"
#include "engine/record_walk.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "records/data_query.h"
#include "records/ks_abort.h"
#include "records/walk.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kListFullNoQuery[] = "No more room in the result list.Please narrow your search criteria.";
constexpr char kListFullQuery[] = "No more room in the result list. Please narrow your search criteria.";

// The first update of the list during a walk.
constexpr auto kFirstListUpdate = std::chrono::seconds(1);

// Word boundaries as the system classifies the ANSI code page.
bool IsSystemLetter(unsigned char c) { return IsCharAlphaA(static_cast<CHAR>(c)) != FALSE; }

}  // namespace

LRESULT TMenList::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_CONTEXTMENU)
        return TColumnList::WindowProc(msg, wParam, lParam);
    const ks::MenuHandle menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_RESULT_POPUP)));
    if (HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr)
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0,
                       GetParent(m_hwnd), nullptr);
    return 0;
}

const ks::TResponse<DataSearch> DataSearch::Responses[] = {
    ks::Command(IDC_SEARCH_SET_QUERY, &DataSearch::CmSetQuery),
    ks::Command(IDC_SEARCH_GO, &DataSearch::CmSearch),
    ks::Command(IDC_SEARCH_BETWEEN, &DataSearch::CmShowBetween),
    ks::Command(IDC_SEARCH_CLEAR, &DataSearch::CmClear),
    ks::Command(IDC_SEARCH_DETAILS, &DataSearch::CmDetails),
    ks::Notify(IDC_SEARCH_RESULTS, LBN_DBLCLK, &DataSearch::OpenSelectedRecord),
    ks::Command(IDC_SEARCH_HELP, &DataSearch::CmHelp),
};

DataSearch::DataSearch(ks::TWindow* parent)
    : TDialog(parent, IDD_SEARCH), m_queryText(*this, IDC_SEARCH_QUERY_TEXT), m_results(*this, IDC_SEARCH_RESULTS),
      m_from(*this, IDC_SEARCH_FROM), m_to(*this, IDC_SEARCH_TO)
{
    // The list keeps no texts of its own: a walk's hundred thousand lines go in and out at once.
    m_results.KeepLinesIn([this](int index) { return m_lines.Line(index); });
}

bool DataSearch::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void DataSearch::SetupWindow()
{
    m_client = KsClient::Of(*this);
    // Title, date, file name; the location and the record number lie beyond the list's visible width.
    m_results.SetColumns({190, 230, 350, 380}, {IDC_SEARCH_HEAD_TITLE, IDC_SEARCH_HEAD_DATE, IDC_SEARCH_HEAD_NAME});
}

INT_PTR DataSearch::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ABORTREQUEST) {
        StopFlag = 1;
        return TRUE;
    }
    return TDialog::DialogProc(msg, wParam, lParam);
}

bool DataSearch::CanClose()
{
    const KsApp* app = KsApp::Get();
    return TDialog::CanClose() && !(app && app->Searching);
}

void DataSearch::CmSetQuery()
{
    const std::int32_t kept = ConditionCount;
    ConditionCount = 0;
    bool confirmed = false;
    {
        // The helper gives its block back when it goes; the kept count is put back after that.
        DataQuery helper(this, nullptr, Conditions, &ConditionCount);
        confirmed = helper.Execute() == IDOK;
    }
    if (confirmed)
        ShowQueryText();
    else
        ConditionCount = kept;
}

void DataSearch::ShowQueryText()
{
    m_queryText.SetText("");
    for (const std::string& piece : QueryDescription(Conditions, ConditionCount))
        m_queryText.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    m_queryText.Send(EM_LINESCROLL, 0, -10);
}

void DataSearch::CmSearch()
{
    const std::int32_t count = ConditionCount;
    Walk([this, count](const FileRecord& record) {
             return count == 0 || MatchesQuery(Conditions, count, record, IsSystemLetter);
         },
         count == 0 ? kListFullNoQuery : kListFullQuery);
}

void DataSearch::CmShowBetween()
{
    // 29 characters: the longest short date texts are read whole.
    const CalendarDate today = TodayDate();
    const CalendarDate from = RangeFrom(GetItemText(IDC_SEARCH_FROM, 29));
    const CalendarDate to = RangeTo(GetItemText(IDC_SEARCH_TO, 29), today);
    Walk([=](const FileRecord& record) { return InDateRange(FieldText(record.DownloadDate), from, to, today); },
         kListFullNoQuery);
}

void DataSearch::Walk(const std::function<bool(const FileRecord&)>& qualifies, const char* fullText)
{
    // One walk at a time: the list found last stays while another window walks.
    if (!m_client || WalkMark::Refused(m_hwnd))
        return;
    StopFlag = 0;
    m_lines.Clear();
    WalkScope scope(*m_client, std::make_unique<KsAbort>(this));
    KsAbort& progress = scope.Progress();
    if (progress.Create()) {
        progress.SetProgress(0);
        ShowWindow(progress.GetHandle(), SW_SHOW);
    }
    ks::TApplication* app = ks::TApplication::Current();
    const ListFill fill(m_results);
    auto listFull = [&] {
        fill.Show();
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, fullText, "Result List is Full", MB_OK | MB_ICONEXCLAMATION);
        StopFlag = 1;
    };

    using Clock = std::chrono::steady_clock;
    // Putting the lines found into the list costs more as it grows (about 0.3 s at 100,000 lines when it is
    // rebuilt): a walk that ends within a second shows its lines at its end; a longer one brings the list up to
    // date at a slice's end once four times the last such update's cost has passed since, so that it spends
    // most of its time walking. Abort and the gauge still get every slice.
    Clock::duration flushGap = kFirstListUpdate;
    Clock::time_point lastFlush = Clock::now();
    // The first record gets a turn at once: the progress dialog is painted and Abort works from the start.
    Clock::time_point sliceEnd = lastFlush;

    const std::int32_t total = m_client->SendEngineCommand(ENG_COUNT, 0) == 0 ? m_client->RecordBuffer.RecordCount : 0;
    RecordWalk walk(*m_client);
    FileRecord record{};
    for (std::int64_t n = 1; StopFlag == 0 && walk.Next(record); ++n) {
        if (qualifies(record))
            m_lines.Add(ResultLine(record), record.RecordNumber);
        if (n % kWalkClockEvery == 1 && Clock::now() >= sliceEnd) {
            m_lines.SortPending();
            const Clock::time_point flushStart = Clock::now();
            const bool flushing = m_lines.Pending() > 0 && flushStart - lastFlush >= flushGap;
            if (flushing) {
                const bool taken = m_lines.Flush();
                lastFlush = Clock::now();
                flushGap = 4 * (lastFlush - flushStart);
                if (!taken) {
                    listFull();
                    break;
                }
            }
            // The gauge shows the record reached and how far the walk is; the lines found so far are painted,
            // and Abort is seen here.
            progress.SetCaption(std::string(FieldText(record.FileName)).c_str());
            if (total > 0)
                progress.SetProgress(static_cast<int>(static_cast<double>(n) / total * 100.0));
            fill.Show(flushing || n == 1);
            if (app)
                app->PumpWaitingMessages();
            fill.Hide();
            walk.Refresh();
            sliceEnd = Clock::now() + kWalkSlice;
            if (StopFlag)
                break;
        }
    }
    // An aborted walk keeps every line it found.
    if (!m_lines.Flush() && StopFlag == 0)
        listFull();
    if (m_results.GetCount() == 0)
        ks::ShowMessage(m_hwnd, "No records were found to match your search criteria.", "Warning",
                        MB_OK | MB_ICONEXCLAMATION);
}

void DataSearch::CmClear()
{
    m_lines.Clear();
    m_queryText.SetText("");
    m_from.SetDate(CalendarDate{0});
    m_to.SetDate(CalendarDate{0});
    for (QueryCondition& c : Conditions)
        c.SearchField = -1;
    ConditionCount = 0;
}

void DataSearch::CmDetails()
{
    if (m_results.GetSelCount() <= 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You must select a record to view.", "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    OpenSelectedRecord();
}

void DataSearch::OpenSelectedRecord()
{
    const KsApp* app = KsApp::Get();
    if (!app) {
        ks::ShowMessage(m_hwnd, "There has been an internal error creating a pointer to the application.", "Error",
                        MB_OK | MB_ICONSTOP);
        return;
    }
    if (app->RecordOpen) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Sorry, You may only modify a single record at a time.", "Warning",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::vector<int> selected = m_results.GetSelIndexes();
    if (selected.size() > 1) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You may only have one record selected at a time when viewing", "Error",
                        MB_OK | MB_ICONSTOP);
        return;
    }
    const std::optional<std::int32_t> number =
        selected.empty() ? std::nullopt : LineRecordNumber(m_results.GetString(selected[0]));
    if (!number) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Could not extract data from list", "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_client)
        PostMessageA(m_client->GetHandle(), WM_OPENRECORD, static_cast<WPARAM>(*number), 0);
}

void DataSearch::RefreshRecordLine(std::int32_t recordNumber)
{
    // The selection stays on the record of the first selected line, wherever the refresh moves that line.
    const std::vector<int> selection = m_results.GetSelIndexes();
    const std::optional<std::int32_t> selected =
        selection.empty() ? std::nullopt : LineRecordNumber(m_results.GetString(selection[0]));
    // The line is found by the numbers kept beside the list; the text after its last tab, where a line's
    // number is always read from, confirms it.
    const int index = m_lines.Find(recordNumber);
    bool dropped = index >= 0 && LineRecordNumber(m_results.GetString(index)) == recordNumber;
    if (dropped)
        m_lines.Remove(index);
    // During a walk the line may be found and not yet listed: it is rebuilt all the same.
    else
        dropped = m_lines.DropPending(recordNumber);
    if (dropped && m_client) {
        // The open Record Interface keeps its record in the shared buffer: it is put back after the read.
        const RecordBufferGuard keep(m_client->RecordBuffer);
        m_client->RecordBuffer.RecordNumber = recordNumber;
        if (m_client->SendEngineCommand(ENG_READ, ENG_RECORD_NOT_FOUND) == 0)
            m_lines.Insert(ResultLine(m_client->RecordBuffer), recordNumber);
    }
    if (!dropped || !selected)
        return;
    m_results.Send(LB_SETSEL, FALSE, -1);
    if (const int index = m_lines.Find(*selected); index >= 0)
        m_results.Send(LB_SETSEL, TRUE, index);
}

void DataSearch::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_SEARCH);
}
