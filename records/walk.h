// What a time-sliced walk over the catalogue borrows and gives back: WalkMark (the engine's one cursor, marked
// program-wide, and the MDI client's input), WalkScope (that, the shared record, the Searching flag and the
// progress dialog), ListFill (a list filled with its drawing off) and the length of a slice.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
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
// Whether a slice has ended is asked every this many records (and at the first): reading the clock costs about
// as much as taking a record in.
inline constexpr std::int64_t kWalkClockEvery = 32;

// One walk at a time: the engine has one cursor (ENG_FIRST/ENG_NEXT), and a second walk would reset it under the
// first. While a walk runs (a search, a catalogue check, the conversion, an export, Store All) KsApp::Walking is set and the MDI
// client takes no input; the commands that would start another walk are greyed (KsClient::HandlesCommand) and
// refused (Refused) until the mark goes, on every way out.
class WalkMark {
public:
    explicit WalkMark(KsClient& client);
    ~WalkMark();
    WalkMark(const WalkMark&) = delete;
    WalkMark& operator=(const WalkMark&) = delete;

    // A walk is under way somewhere in the program.
    static bool Running();
    // Before starting a walk: while another runs, says so in a box owned by owner and gives true.
    static bool Refused(HWND owner);
    static constexpr char kRefusedText[] =
        "Another window is walking the catalogue (a search, a check, a conversion, an export or Store All). Please "
        "try again when it "
        "has finished.";

private:
    KsClient& m_client;
    KsApp* m_app;
};

// Everything a walk changes, put back on every way out: the walk's mark with the MDI client's input, the shared
// record, the application's Searching flag and the progress dialog.
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
    WalkMark m_mark;
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
    // Drawing on (the list repaints at the next dispatch, wholly when its lines changed since the last Show);
    // Hide() turns it off again.
    void Show(bool changed = true) const
    {
        m_list.Send(WM_SETREDRAW, TRUE);
        if (changed)
            InvalidateRect(m_list.GetHandle(), nullptr, TRUE);
    }
    void Hide() const { m_list.Send(WM_SETREDRAW, FALSE); }

private:
    const ks::TListBox& m_list;
};
