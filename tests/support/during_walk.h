// DuringWalk: runs a probe inside the next walk that gives the message queue a turn (a search, a catalogue check).
#pragma once
#include <windows.h>

#include <functional>
#include <utility>

namespace ks_test {

// Posted when made: its message is dispatched at the walk's first turn at the message queue, which comes after
// the first record.
class DuringWalk {
public:
    explicit DuringWalk(std::function<void()> probe) : m_probe(std::move(probe))
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KsTestDuringWalk";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        PostMessageA(m_hwnd, WM_APP, 0, 0);
    }
    ~DuringWalk() { DestroyWindow(m_hwnd); }
    DuringWalk(const DuringWalk&) = delete;
    DuringWalk& operator=(const DuringWalk&) = delete;
    int runs = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        if (msg == WM_APP) {
            auto* self = reinterpret_cast<DuringWalk*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            ++self->runs;
            self->m_probe();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    std::function<void()> m_probe;
    HWND m_hwnd;
};

}  // namespace ks_test
