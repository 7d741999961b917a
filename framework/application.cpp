// TApplication: main window and message loop.
#include "framework/application.h"

#include <algorithm>

#include "framework/mdi.h"

namespace ks {

TApplication* TApplication::s_current = nullptr;

TApplication::TApplication(const char* name, HINSTANCE instance, int cmdShow)
    : nCmdShow(cmdShow), m_name(name), m_instance(instance)
{
    s_current = this;
}

TApplication::~TApplication()
{
    m_mainWindow.reset();
    if (s_current == this)
        s_current = nullptr;
}

void TApplication::SetMainWindow(std::unique_ptr<TDecoratedMDIFrame> frame) { m_mainWindow = std::move(frame); }

bool TApplication::InitInstance()
{
    InitMainWindow();
    if (!m_mainWindow || !m_mainWindow->Create())
        return false;
    // Buttons show the availability of their commands from the first paint on.
    m_mainWindow->IdleAction();
    ShowWindow(m_mainWindow->GetHandle(), nCmdShow);
    UpdateWindow(m_mainWindow->GetHandle());
    return true;
}

int TApplication::Run()
{
    if (!InitInstance()) {
        // A start that gave up on its own (a quit already requested) keeps its exit code.
        MSG msg;
        if (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            return static_cast<int>(msg.wParam);
        return -1;
    }
    return MessageLoop();
}

bool TApplication::CanClose() { return !m_mainWindow || m_mainWindow->CanClose(); }

void TApplication::RegisterModeless(HWND dialog) { m_modeless.push_back(dialog); }

void TApplication::UnregisterModeless(HWND dialog) { std::erase(m_modeless, dialog); }

bool TApplication::PreTranslate(MSG& msg)
{
    if (m_mainWindow) {
        if (HWND client = m_mainWindow->GetClientHandle(); client && TranslateMDISysAccel(client, &msg))
            return true;
    }
    for (HWND dialog : m_modeless) {
        if ((msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) && IsDialogMessageA(dialog, &msg))
            return true;
    }
    if (m_mainWindow)
        m_mainWindow->PreProcessKey(msg);
    return false;
}

void TApplication::WatchHandle(HANDLE handle, std::function<void()> action)
{
    UnwatchHandle(handle);
    // The wait takes the queue as one more object: at most MAXIMUM_WAIT_OBJECTS - 1 handles.
    if (handle && m_watched.size() + 1 < MAXIMUM_WAIT_OBJECTS)
        m_watched.push_back({handle, std::move(action)});
}

void TApplication::UnwatchHandle(HANDLE handle)
{
    std::erase_if(m_watched, [handle](const Watched& w) { return w.handle == handle; });
}

void TApplication::ServiceWatchedHandles()
{
    // An action may watch or unwatch handles: the list is copied first, and a handle unwatched meanwhile is
    // passed over.
    const std::vector<Watched> watched = m_watched;
    for (const Watched& w : watched) {
        const bool still = std::any_of(m_watched.begin(), m_watched.end(),
                                       [&](const Watched& now) { return now.handle == w.handle; });
        if (still && WaitForSingleObject(w.handle, 0) == WAIT_OBJECT_0)
            w.action();
    }
}

void TApplication::PumpWaitingMessages()
{
    if (!m_watched.empty())
        ServiceWatchedHandles();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

int TApplication::MessageLoop()
{
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            if (!PreTranslate(msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        IdleAction();
        // Sleeps until a message arrives or a watched handle is signalled.
        std::vector<HANDLE> handles;
        for (const Watched& w : m_watched)
            handles.push_back(w.handle);
        const DWORD woken = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), INFINITE,
                                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken >= WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + handles.size())
            ServiceWatchedHandles();
    }
}

void TApplication::IdleAction()
{
    if (m_mainWindow)
        m_mainWindow->IdleAction();
}

}  // namespace ks
