// What a time-sliced walk over the catalogue borrows and gives back: WalkScope (the shared record, the MDI
// client's input, the Searching flag, the progress dialog), ListFill (a list filled with its drawing off) and
// the length of a slice.
#pragma once
#include <windows.h>

#include <chrono>
#include <memory>

#include "engine/file_record.h"
#include "framework/controls.h"
#include "records/ks_abort.h"

class KsApp;
class KsClient;

// A walk gives the screen and the message queue a turn once per slice rather than after every record: under
// Wine a caption change costs about 0.5 ms and a look at the queue about 50 us, against a few microseconds for
// a record. Long enough to keep those costs small, short enough that Abort and repainting stay prompt.
inline constexpr auto kWalkSlice = std::chrono::milliseconds(20);

// Everything a walk changes, put back on every way out: the shared record, the MDI client's input, the
// application's Searching flag and the progress dialog.
class WalkScope {
public:
    WalkScope(KsClient& client, std::unique_ptr<KsAbort> progress);
    ~WalkScope();
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;
    KsAbort& Progress() { return *m_progress; }
    // Shows the progress dialog at 0 and gives it.
    KsAbort& ShowProgress();

private:
    KsClient& m_client;
    RecordBufferGuard m_record;
    std::unique_ptr<KsAbort> m_progress;
    KsApp* m_app;
};

// A list filled with its drawing off: each insert into a list that redraws costs milliseconds at 100,000 lines,
// against microseconds without. Show() lets the lines found so far be painted.
class ListFill {
public:
    explicit ListFill(const ks::TListBox& list) : m_list(list) { m_list.Send(WM_SETREDRAW, FALSE); }
    ~ListFill() { Show(); }
    ListFill(const ListFill&) = delete;
    ListFill& operator=(const ListFill&) = delete;
    // Drawing on (the list repaints at the next dispatch); Hide() turns it off again.
    void Show() const
    {
        m_list.Send(WM_SETREDRAW, TRUE);
        InvalidateRect(m_list.GetHandle(), nullptr, TRUE);
    }
    void Hide() const { m_list.Send(WM_SETREDRAW, FALSE); }

private:
    const ks::TListBox& m_list;
};
