// The result lines placed by sort key: the list holds the same lines in the same order as a list box that sorts
// them itself, whatever the batches, and a record's line is found, dropped and put back in its place.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/column_list.h"
#include "framework/dialog.h"
#include "records/result_lines.h"
#include "resources/resource_ids.h"

namespace {

// A sorted list box sorting by itself, to compare with.
HWND MakeSortedList()
{
    return CreateWindowA("LISTBOX", "", WS_OVERLAPPEDWINDOW | LBS_SORT | LBS_HASSTRINGS | LBS_EXTENDEDSEL |
                                            LBS_MULTIPLESEL | LBS_USETABSTOPS | WS_VSCROLL,
                         0, 0, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The Search Interface's own result list, from its template, in a window of its own: it shows the lines kept
// beside it.
class ResultList {
public:
    ResultList() : box(dialog, IDC_SEARCH_RESULTS) { EXPECT_NE(dialog.Create(), nullptr); }
    ~ResultList() { dialog.Destroy(); }

private:
    struct Host : ks::TWindow {
        Host() { m_hwnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr); }
    } host;

public:
    ks::TDialog dialog{&host, IDD_SEARCH};
    ks::TColumnList box;
};

// The lines kept for the list, shown by it.
struct ShownLines : ResultLines {
    explicit ShownLines(ks::TColumnList& list) : ResultLines(list)
    {
        list.KeepLinesIn([this](int index) { return Line(index); });
    }
};

std::vector<std::string> LinesOf(HWND list)
{
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[512]{};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

// Titles a catalogue holds: mixed case, digits, punctuation the system's collation weighs apart, accented
// letters of the ANSI code page, and lines that differ only in case.
std::vector<std::string> VariedLines(int count)
{
    const char alphabet[] = "abcXYZ -_'.,!()&09\xe9\xc9\xe0\xfc\xdf\xe6\xf1#@+=~^`";
    std::mt19937 random(7);
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        std::string title;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            title += alphabet[random() % (sizeof alphabet - 1)];
        if (i % 50 == 0)
            title = (i % 100 == 0) ? "Zip Tools" : "ZIP TOOLS";
        lines.push_back(title + "\t01/02/96\tF" + std::to_string(random() % 40) + ".ZIP\tC:\\S\t" + std::to_string(i));
    }
    return lines;
}

class Window {
public:
    explicit Window(HWND hwnd) : hwnd(hwnd) {}
    ~Window() { DestroyWindow(hwnd); }
    HWND hwnd;
};

TEST(ResultLines, PlacesLinesAsTheSortedListWouldWhateverTheBatches)
{
    const std::vector<std::string> lines = VariedLines(3000);
    const Window reference(MakeSortedList());
    for (const std::string& line : lines)
        SendMessageA(reference.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));

    // Batches of one line, a few, more than a thousand (the list is then rebuilt) and some hundreds (placed one
    // by one among those already listed).
    ResultList list;
    ShownLines results(list.box);
    std::size_t next = 0;
    for (std::size_t batch : {1u, 7u, 1500u, 300u, 1192u}) {
        for (std::size_t i = 0; i < batch; ++i, ++next)
            results.Add(lines[next], static_cast<std::int32_t>(next + 1));
        ASSERT_TRUE(results.Flush());
        EXPECT_EQ(results.Pending(), 0u);
    }
    ASSERT_EQ(next, lines.size());
    EXPECT_EQ(LinesOf(list.box.GetHandle()), LinesOf(reference.hwnd));

    // A record's line is found by its number, dropped, and put back in its place when it changes.
    const std::vector<std::string> before = LinesOf(list.box.GetHandle());
    const int index = results.Find(1234);
    ASSERT_GE(index, 0);
    EXPECT_EQ(before[static_cast<std::size_t>(index)], lines[1233]);
    results.Remove(index);
    EXPECT_EQ(results.Find(1234), -1);
    const std::string changed = "Changed title" + lines[1233].substr(lines[1233].find('\t'));
    ASSERT_TRUE(results.Insert(changed, 1234));
    SendMessageA(reference.hwnd, LB_DELETESTRING,
                 SendMessageA(reference.hwnd, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(lines[1233].c_str())),
                 0);
    SendMessageA(reference.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(changed.c_str()));
    EXPECT_EQ(LinesOf(list.box.GetHandle()), LinesOf(reference.hwnd));
    EXPECT_EQ(LinesOf(list.box.GetHandle())[static_cast<std::size_t>(results.Find(1234))], changed);

    results.Clear();
    EXPECT_TRUE(LinesOf(list.box.GetHandle()).empty());
    EXPECT_EQ(results.Find(1), -1);
}

// A list that takes only so many lines, as a full list control does.
LRESULT CALLBACK TakeFive(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if ((msg == LB_ADDSTRING || msg == LB_INSERTSTRING) && DefSubclassProc(hwnd, LB_GETCOUNT, 0, 0) >= 5)
        return LB_ERRSPACE;
    if (msg == LB_SETCOUNT && wParam > 5)
        return LB_ERRSPACE;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

TEST(ResultLines, ARefusedLineEndsTheFlushAndWhatTheListTookIsKept)
{
    const std::vector<std::string> lines = VariedLines(1200);
    for (std::size_t first : {0u, 3u}) {  // a rebuilt list, and lines placed among three already listed
        ResultList list;
        ASSERT_TRUE(SetWindowSubclass(list.box.GetHandle(), &TakeFive, 1, 0));
        ShownLines results(list.box);
        for (std::size_t i = 0; i < first; ++i)
            results.Add(lines[i], static_cast<std::int32_t>(i + 1));
        ASSERT_TRUE(results.Flush());
        for (std::size_t i = first; i < lines.size(); ++i)
            results.Add(lines[i], static_cast<std::int32_t>(i + 1));
        EXPECT_FALSE(results.Flush());
        const std::vector<std::string> listed = LinesOf(list.box.GetHandle());
        ASSERT_EQ(listed.size(), 5u);
        // Every listed line is found where it stands; nothing that was refused is.
        int found = 0;
        for (std::int32_t number = 1; number <= static_cast<std::int32_t>(lines.size()); ++number) {
            const int index = results.Find(number);
            if (index >= 0) {
                ++found;
                EXPECT_EQ(listed[static_cast<std::size_t>(index)], lines[static_cast<std::size_t>(number - 1)]);
            }
        }
        EXPECT_EQ(found, 5);
        RemoveWindowSubclass(list.box.GetHandle(), &TakeFive, 1);
    }
}

// What the list's dialog sees: the line deletions reported to it, and line 5 read by its own handler (as the
// program's handlers read lines) for a message another thread sent.
struct DialogWatch {
    ks::TColumnList* list;
    int deletions = 0;
    std::string readInside;
};
LRESULT CALLBACK WatchDialog(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref)
{
    auto& watch = *reinterpret_cast<DialogWatch*>(ref);
    watch.deletions += msg == WM_DELETEITEM;
    if (msg == WM_APP)
        watch.readInside = watch.list->GetString(5);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

TEST(ResultLines, TheListShowsTheKeptLinesToItsOwnThreadAndIsEmptiedWithoutAMessagePerLine)
{
    const std::vector<std::string> lines = VariedLines(3000);
    ResultList list;
    ShownLines results(list.box);
    for (std::size_t i = 0; i < lines.size(); ++i)
        results.Add(lines[i], static_cast<std::int32_t>(i + 1));
    ASSERT_TRUE(results.Flush());
    const HWND box = list.box.GetHandle(), dialog = list.dialog.GetHandle();
    EXPECT_EQ(SendMessageA(box, LB_GETTEXTLEN, 3000, 0), LB_ERR);
    DialogWatch watch{&list.box};
    ASSERT_TRUE(SetWindowSubclass(dialog, &WatchDialog, 1, reinterpret_cast<DWORD_PTR>(&watch)));

    // Another thread (or process) has room for an item's data only, as for any list without texts of its own;
    // the program still reads its lines while it handles such a thread's message (a double click sent).
    char room[64];
    std::memset(room, '#', sizeof room);
    std::atomic<bool> asked{false};
    std::thread other([&] {
        SendMessageA(box, LB_GETTEXT, 5, reinterpret_cast<LPARAM>(room));
        SendMessageA(dialog, WM_APP, 0, 0);
        asked = true;
    });
    for (MSG msg; !asked;)  // the list's thread takes the other thread's messages while it waits
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE) == WAIT_OBJECT_0)
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    other.join();
    const std::size_t data = sizeof(ULONG_PTR);
    EXPECT_EQ(std::string(room + data, room + sizeof room), std::string(sizeof room - data, '#'));
    EXPECT_EQ(watch.readInside, *results.Line(5));

    results.Clear();
    RemoveWindowSubclass(dialog, &WatchDialog, 1);
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(watch.deletions, 0);
}

}  // namespace
