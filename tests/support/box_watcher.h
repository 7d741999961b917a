// BoxWatcher: finds, records and answers message boxes (and other standard dialogs) while a test runs,
// in the test's own process or in a program the test started.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ks_test {

// The standard icons a message box can show.
enum class BoxIcon { Stop, Exclamation, Information, Question };

// One push button of a box, as the user sees it.
struct BoxButton {
    int id = 0;
    std::string text;  // without the "&" mnemonic marks
};

// What a user saw in one box, and how it was answered. Texts are in the ANSI code page.
struct BoxRecord {
    std::string caption;
    std::string text;              // the message (static control 0xFFFF of a message box); empty otherwise
    std::optional<BoxIcon> icon;   // left empty when no standard icon could be told
    std::vector<BoxButton> buttons;
    int answered = 0;              // id of the button that was clicked
};

struct BoxWatcherOptions {
    DWORD process_id = GetCurrentProcessId();  // whose boxes to watch
    std::string caption;                       // only boxes with this caption; empty: any caption
    int button_id = 0;                         // answer with this button id...
    std::string button_text;                   // ...or the button with this text ("Yes"); neither: the default one
};

// Watches for top-level dialogs (class "#32770") of one process from its own thread, for the lifetime of
// the object. Each new box is recorded once and answered by clicking the chosen button.
class BoxWatcher {
public:
    explicit BoxWatcher(BoxWatcherOptions options = {});
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    // The nth box (1-based) seen since the watcher started; waits up to `timeout` for it.
    std::optional<BoxRecord> WaitForBox(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Every box seen so far.
    std::vector<BoxRecord> Boxes() const;

private:
    void Scan();
    // What `box` shows, with the id of the button to answer in `answered`, and that button's window.
    std::pair<BoxRecord, HWND> Read(HWND box) const;

    const BoxWatcherOptions m_options;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::vector<BoxRecord> m_boxes;
    std::vector<HWND> m_answered;  // boxes already handled that may still be closing
    std::jthread m_thread;         // last: starts after everything it uses exists
};

}  // namespace ks_test
