// AreaWatch: change notifications on the four areas, serviced by the application's loop, and counting the
// files that wait there.
#include "download/area_watch.h"

#include <algorithm>

#include "download/area_settings.h"
#include "download/file_moves.h"
#include "framework/application.h"
#include "kscf/kscf.h"

namespace {

// Arrivals, departures and renames, and the size and time of a file being written.
constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

int CountFiles(const std::string& directory)
{
    std::wstring pattern = Widened(directory);
    if (pattern.empty())
        return 0;
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    const ks::FindHandle find(
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return 0;
    int files = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileW(find.Get(), &data));
    return files;
}

}  // namespace

std::string WaitingText(int files) { return std::to_string(files) + " waiting"; }

AreaWatch::~AreaWatch() { Stop(); }

void AreaWatch::Stop()
{
    ks::TApplication* app = ks::TApplication::Current();
    for (Area& area : m_areas) {
        if (app && area.change)
            app->UnwatchHandle(area.change.Get());
        area.change.Reset();
        area.path.clear();
        area.changed = false;
    }
    if (m_owner && m_timerRunning)
        KillTimer(m_owner, kTimerId);
    m_timerRunning = false;
}

void AreaWatch::Start(HWND owner)
{
    Stop();
    m_owner = owner;
    ks::TApplication* app = ks::TApplication::Current();
    for (int n = 1; n <= 4; ++n) {
        Area& area = m_areas[n - 1];
        area.number = n;
        char path[261]{};
        if (!GetRegistryString(kAreaSection, AreaPathName(n), path) || lstrcmpA(path, kNoPath) == 0 || !path[0])
            continue;
        area.path = path;
        area.change.Reset(FindFirstChangeNotificationW(Widened(area.path).c_str(), FALSE, kWatchedChanges));
        if (app && area.change)
            app->WatchHandle(area.change.Get(), [this, &area] { Changed(area); });
    }
}

void AreaWatch::Changed(Area& area)
{
    // Armed again at once: changes made while the owner lists the area are not missed.
    if (!FindNextChangeNotification(area.change.Get())) {
        if (ks::TApplication* app = ks::TApplication::Current())
            app->UnwatchHandle(area.change.Get());
        area.change.Reset();
    }
    area.changed = true;
    if (!m_timerRunning && m_owner) {
        SetTimer(m_owner, kTimerId, kSettleMs, nullptr);
        m_timerRunning = true;
    }
}

std::vector<int> AreaWatch::TakeChanged()
{
    if (m_owner && m_timerRunning)
        KillTimer(m_owner, kTimerId);
    m_timerRunning = false;
    std::vector<int> changed;
    for (Area& area : m_areas)
        if (std::exchange(area.changed, false))
            changed.push_back(area.number);
    return changed;
}

int AreaWatch::WaitingFiles() const
{
    std::vector<std::string> counted;
    int files = 0;
    for (const Area& area : m_areas) {
        if (area.path.empty() ||
            std::any_of(counted.begin(), counted.end(), [&](const std::string& p) { return SameDirectory(p, area.path); }))
            continue;
        counted.push_back(area.path);
        files += CountFiles(area.path);
    }
    return files;
}
