// ScriptedUi: the test side of the UI seam. It records what a user would have seen (message boxes with
// text, caption, icon and buttons; beeps; modal dialogs; file pickers; help calls) and answers for the user.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/ui.h"

namespace ks_test {

struct Shown {
    enum class Kind { Box, Beep, Dialog, OpenFile, SaveFile, Help, Folder, Start };
    Kind kind;
    std::string text;     // box text; help file; command line of a started program
    std::string caption;  // box caption; dialog caption once set up; folder browser title
    UINT icon = 0;        // MB_ICON... of a box; the sound of a beep
    UINT buttons = 0;     // MB_OK, MB_YESNO, ... of a box
    HWND owner = nullptr;  // the box's owner window
    int dialogId = 0;     // template id of a dialog
    UINT helpCommand = 0;
    ULONG_PTR helpData = 0;
};

// Installs itself for its lifetime. Unscripted boxes are answered with their first button;
// unscripted modal dialogs are not shown and end with IDCANCEL.
class ScriptedUi : public ks::UiSeam {
public:
    using DialogAction = std::function<void(ks::TDialog&)>;
    using OpenFileAnswer = std::function<bool(OPENFILENAMEA&, DWORD&)>;
    // The folder the user picks in the shell's folder browser (empty: cancel).
    using FolderAnswer = std::function<std::string(BROWSEINFOA&)>;

    ScriptedUi();
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    // The next message box is answered with this button.
    void AnswerBox(int button) { m_boxAnswers.push_back(button); }
    // The next run of this template is shown for real; once it is set up, action drives it (and must end it).
    void OnDialog(int templateId, DialogAction action) { m_dialogActions.push_back({templateId, std::move(action)}); }
    // The next open-file dialog is answered by this function instead of being shown.
    void AnswerOpenFile(OpenFileAnswer answer) { m_openFileAnswers.push_back(std::move(answer)); }
    // The next open-file dialog picks this path.
    void PickFile(const std::string& path)
    {
        AnswerOpenFile([path](OPENFILENAMEA& ofn, DWORD&) { return lstrcpynA(ofn.lpstrFile, path.c_str(), ofn.nMaxFile); });
    }
    // The next save-file dialog is answered by this function (unscripted ones are cancelled).
    void AnswerSaveFile(OpenFileAnswer answer) { m_saveFileAnswers.push_back(std::move(answer)); }
    // The next folder browser picks this folder (unscripted browsers are cancelled).
    void AnswerFolder(FolderAnswer answer) { m_folderAnswers.push_back(std::move(answer)); }
    // Started programs are recorded, not started, unless this is set.
    void StartProgramsForReal(bool really) { m_startForReal = really; }

    const std::vector<Shown>& Events() const { return m_events; }
    std::vector<Shown> Boxes() const { return Of(Shown::Kind::Box); }
    std::vector<Shown> HelpCalls() const { return Of(Shown::Kind::Help); }
    std::vector<Shown> Of(Shown::Kind kind) const;
    // The boxes the installed seam showed, as " [caption: text]" each, for a failing check to name them.
    static std::string BoxTexts();
    void Clear() { m_events.clear(); }

    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    void Beep(UINT type) override;
    INT_PTR RunModal(ks::TDialog& dialog) override;
    bool WantsDialogReady() const override { return true; }
    void DialogReady(ks::TDialog& dialog) override;
    bool OpenFileName(OPENFILENAMEA& ofn, DWORD& error) override;
    bool SaveFileName(OPENFILENAMEA& ofn, DWORD& error) override;
    bool Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) override;
    PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOA& info) override;
    bool StartProgram(const char* commandLine, UINT show) override;

private:
    struct PendingAction {
        int templateId;
        DialogAction action;
    };
    std::vector<Shown> m_events;
    std::deque<int> m_boxAnswers;
    std::deque<PendingAction> m_dialogActions;
    std::vector<PendingAction> m_running;
    std::deque<OpenFileAnswer> m_openFileAnswers;
    std::deque<OpenFileAnswer> m_saveFileAnswers;
    std::deque<FolderAnswer> m_folderAnswers;
    bool m_startForReal = false;
    ks::UiSeam* m_previous;
};

// Clicks a dialog's button as a user would, through the dialog's own command handling.
void Click(ks::TDialog& dialog, int buttonId);

}  // namespace ks_test
