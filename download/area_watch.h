// AreaWatch: the four download areas followed through the system's change notifications, and the number of
// files waiting in them.
#pragma once
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "framework/handles.h"

// The application's message loop waits on the notifications beside the queue, so everything here runs on the
// GUI thread. A burst of changes (a download being written) becomes one notice: the first change of a burst
// starts a short timer on the owner window, and the owner asks TakeChanged() when it fires.
class AreaWatch {
public:
    AreaWatch() = default;
    ~AreaWatch();
    AreaWatch(const AreaWatch&) = delete;
    AreaWatch& operator=(const AreaWatch&) = delete;

    // Reads the four area paths from the settings and watches each that can be watched; owner receives
    // WM_TIMER with kTimerId after a change. Called again when the settings changed.
    void Start(HWND owner);
    void Stop();

    // The areas (1-4) whose files changed since the last call; stops the timer.
    std::vector<int> TakeChanged();
    // The files (not directories) in the four areas; an area named twice counts once.
    int WaitingFiles() const;

    static constexpr UINT_PTR kTimerId = 0x4B57;  // "KW"
    // Long enough to gather a burst, short enough that the list follows within a second.
    static constexpr UINT kSettleMs = 250;

private:
    struct Area {
        int number = 0;
        std::string path;  // as set; empty when the area has none
        ks::ChangeNotification change;
        bool changed = false;
    };
    void Changed(Area& area);

    HWND m_owner = nullptr;
    bool m_timerRunning = false;
    std::array<Area, 4> m_areas;  // fixed places: the loop's actions refer to them
};

// The text of the status bar's pane for that many waiting files.
std::string WaitingText(int files);
