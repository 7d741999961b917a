// KsApp: the application object. Start-up checks, first-run settings, the main window, help and the
// program-wide values and flags that the child windows read and set.
#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/application.h"
#include "framework/window.h"

class KsClient;

class KsApp : public ks::TApplication {
public:
    // The program's name and main window caption; a second copy finds the first by it.
    static constexpr char kName[] = "Filewarden (For Windows 95)";

    KsApp(HINSTANCE instance, int cmdShow);
    // False when a start-up check failed and its message was shown; the program then ends with -1.
    bool Started() const { return m_started; }
    // The one application object, reached through the framework's application pointer (null if none).
    static KsApp* Get();

    // Calls the help viewer on KSHELP32.HLP in ProgramDir, whatever the current directory is.
    void Help(HWND owner, UINT command, ULONG_PTR data) const;

    bool CanClose() override;
    bool OnCommand(UINT id, UINT notify) override;
    bool HandlesCommand(UINT id) const override;

    char ProgramDir[261]{};      // the program file's directory, no trailing backslash
    int32_t ProgramDrive = 0;    // drive number of ProgramDir (0 = A:)
    int32_t RecordOpen = 0;      // a Record Interface holds an open record
    int32_t Examining = 0;       // an examined file's program is running
    int32_t Searching = 0;       // a Search Interface is walking the table
    int32_t Walking = 0;         // a walk holds the engine's one cursor (search, check, conversion): records/walk.h
    KsClient* Client = nullptr;  // the MDI client, owned by the main window
    HANDLE ExamineProcess = nullptr;

protected:
    void InitMainWindow() override;

private:
    bool StartUp();
    void FirstRun();
    void CmHelpContents();
    void CmHelpSettingUp();
    void CmHelpDisclaimer();
    void CmAbout();

    static const ks::TResponse<KsApp> Responses[];
    bool m_started = false;
};
