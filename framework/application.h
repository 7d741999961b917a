// TApplication: the one application object, its main window and its message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ks {

class TDecoratedMDIFrame;

class TApplication {
public:
    TApplication(const char* name, HINSTANCE instance, int cmdShow);
    virtual ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The application of this process (there is one at a time).
    static TApplication* Current() { return s_current; }

    // Builds the main window, shows it and runs the message loop; returns the exit code.
    int Run();
    // Builds and shows the main window without running the loop (tests drive the loop themselves).
    bool InitInstance();
    // Dispatches every waiting message and returns; long operations call this between steps.
    void PumpWaitingMessages();
    // Runs the loop until WM_QUIT; returns its exit code.
    int MessageLoop();

    const std::string& GetName() const { return m_name; }
    HINSTANCE GetInstance() const { return m_instance; }
    TDecoratedMDIFrame* GetMainWindow() const { return m_mainWindow.get(); }

    // Close query of the whole program; the default asks the main window.
    virtual bool CanClose();
    // Commands the main window passes up when neither its client nor itself answers them.
    virtual bool OnCommand(UINT, UINT) { return false; }
    virtual bool HandlesCommand(UINT) const { return false; }

    // A kernel object the loop waits on beside the message queue (a directory's change notification, say):
    // action runs on this thread whenever it is signalled, and must re-arm it or unwatch it. No thread is
    // needed, so nothing but this thread ever touches a window.
    void WatchHandle(HANDLE handle, std::function<void()> action);
    void UnwatchHandle(HANDLE handle);
    // Runs the action of every watched handle that is signalled now; PumpWaitingMessages does this too.
    void ServiceWatchedHandles();

    // Modeless dialogs receive keyboard navigation through IsDialogMessage in the loop.
    void RegisterModeless(HWND dialog);
    void UnregisterModeless(HWND dialog);

protected:
    // Builds the main window (calls SetMainWindow). The show state the program was started with is nCmdShow.
    virtual void InitMainWindow() = 0;
    void SetMainWindow(std::unique_ptr<TDecoratedMDIFrame> frame);
    // Called when the message queue has run empty.
    virtual void IdleAction();

    int nCmdShow;

private:
    bool PreTranslate(MSG& msg);

    static TApplication* s_current;
    std::string m_name;
    HINSTANCE m_instance;
    std::unique_ptr<TDecoratedMDIFrame> m_mainWindow;
    std::vector<HWND> m_modeless;
    struct Watched {
        HANDLE handle;
        std::function<void()> action;
    };
    std::vector<Watched> m_watched;
};

}  // namespace ks
