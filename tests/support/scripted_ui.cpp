// ScriptedUi: records prompts and answers them for the user.
#include "tests/support/scripted_ui.h"

#include <algorithm>

namespace ks_test {

namespace {

int FirstButton(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

}  // namespace

ScriptedUi::ScriptedUi() : m_previous(ks::SetUi(this)) {}

ScriptedUi::~ScriptedUi() { ks::SetUi(m_previous == this ? nullptr : m_previous); }

std::vector<Shown> ScriptedUi::Of(Shown::Kind kind) const
{
    std::vector<Shown> result;
    std::copy_if(m_events.begin(), m_events.end(), std::back_inserter(result),
                 [kind](const Shown& s) { return s.kind == kind; });
    return result;
}

std::string ScriptedUi::BoxTexts()
{
    const auto* scripted = dynamic_cast<const ScriptedUi*>(&ks::Ui());
    std::string said;
    for (const Shown& box : scripted ? scripted->Boxes() : std::vector<Shown>{})
        said += " [" + box.caption + ": " + box.text + "]";
    return said.empty() ? " (no box)" : said;
}

int ScriptedUi::MessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    Shown s{Shown::Kind::Box, text ? text : "", caption ? caption : ""};
    s.owner = owner;
    s.icon = type & MB_ICONMASK;
    s.buttons = type & MB_TYPEMASK;
    m_events.push_back(s);
    if (m_boxAnswers.empty())
        return FirstButton(type);
    const int answer = m_boxAnswers.front();
    m_boxAnswers.pop_front();
    return answer;
}

void ScriptedUi::Beep(UINT type)
{
    Shown s{Shown::Kind::Beep, "", ""};
    s.icon = type;
    m_events.push_back(s);
}

INT_PTR ScriptedUi::RunModal(ks::TDialog& dialog)
{
    Shown s{Shown::Kind::Dialog, "", ""};
    s.dialogId = dialog.GetResourceId();
    m_events.push_back(s);
    auto it = std::find_if(m_dialogActions.begin(), m_dialogActions.end(),
                           [&](const PendingAction& a) { return a.templateId == dialog.GetResourceId(); });
    if (it == m_dialogActions.end())
        return IDCANCEL;
    m_running.push_back(std::move(*it));
    m_dialogActions.erase(it);
    return dialog.DoExecute();
}

void ScriptedUi::DialogReady(ks::TDialog& dialog)
{
    // The newest run of this template is the one that has just been set up.
    for (auto it = m_running.rbegin(); it != m_running.rend(); ++it) {
        if (it->templateId != dialog.GetResourceId())
            continue;
        DialogAction action = std::move(it->action);
        m_running.erase(std::next(it).base());
        for (Shown& s : m_events)
            if (s.kind == Shown::Kind::Dialog && s.dialogId == dialog.GetResourceId() && s.caption.empty())
                s.caption = dialog.GetText(255);
        action(dialog);
        return;
    }
}

namespace {
bool AnswerFileDialog(std::vector<Shown>& events, Shown::Kind kind, std::deque<ScriptedUi::OpenFileAnswer>& answers,
                      OPENFILENAMEA& ofn, DWORD& error)
{
    events.push_back(Shown{kind, ofn.lpstrFile ? ofn.lpstrFile : "", ofn.lpstrTitle ? ofn.lpstrTitle : ""});
    error = 0;
    if (answers.empty())
        return false;
    ScriptedUi::OpenFileAnswer answer = std::move(answers.front());
    answers.pop_front();
    return answer(ofn, error);
}
}  // namespace

bool ScriptedUi::OpenFileName(OPENFILENAMEA& ofn, DWORD& error)
{
    return AnswerFileDialog(m_events, Shown::Kind::OpenFile, m_openFileAnswers, ofn, error);
}

bool ScriptedUi::SaveFileName(OPENFILENAMEA& ofn, DWORD& error)
{
    return AnswerFileDialog(m_events, Shown::Kind::SaveFile, m_saveFileAnswers, ofn, error);
}

bool ScriptedUi::Help(HWND, const char* helpFile, UINT command, ULONG_PTR data)
{
    Shown s{Shown::Kind::Help, helpFile ? helpFile : "", ""};
    s.helpCommand = command;
    s.helpData = data;
    m_events.push_back(s);
    return true;
}

PIDLIST_ABSOLUTE ScriptedUi::BrowseForFolder(BROWSEINFOA& info)
{
    Shown s{Shown::Kind::Folder, "", info.lpszTitle ? info.lpszTitle : ""};
    m_events.push_back(s);
    if (m_folderAnswers.empty())
        return nullptr;
    FolderAnswer answer = std::move(m_folderAnswers.front());
    m_folderAnswers.pop_front();
    const std::string path = answer(info);
    if (path.empty())
        return nullptr;
    return ILCreateFromPathA(path.c_str());
}

bool ScriptedUi::StartProgram(const char* commandLine, UINT show)
{
    Shown s{Shown::Kind::Start, commandLine ? commandLine : "", ""};
    s.icon = show;
    m_events.push_back(s);
    return m_startForReal ? ks::UiSeam::StartProgram(commandLine, show) : true;
}

void Click(ks::TDialog& dialog, int buttonId)
{
    SendMessageA(dialog.GetHandle(), WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog.GetItem(buttonId)));
}

}  // namespace ks_test
