// InstallAssistant: choosing the install file, reading its "Install" section, checking the names, moving the
// library and recording the assistant.
#include "assist/assist_install.h"

#include <cstdio>
#include <string>

#include "app/ks_app.h"
#include "assist/assistants.h"
#include "assist/install_names.h"
#include "framework/file_dialog.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"

namespace assist {

namespace {

constexpr char kNoEntry[] = "No Entry";

std::string ReadInstallKey(const std::string& installFile, const char* key, int maxChars)
{
    std::string value(static_cast<std::size_t>(maxChars) + 1, '\0');
    const DWORD n = GetPrivateProfileStringA("Install", key, kNoEntry, value.data(), static_cast<DWORD>(value.size()),
                                             installFile.c_str());
    value.resize(n);
    return value;
}

// Every box of the install steps comes after the exclamation beep.
void Tell(HWND owner, const std::string& text, const char* caption, UINT icon)
{
    ks::Beep(MB_ICONEXCLAMATION);
    ks::ShowMessage(owner, text.c_str(), caption, MB_OK | icon);
}

std::string WithBackslash(std::string dir)
{
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void InstallAssistant(ks::TWindow& parent)
{
    const HWND owner = parent.GetHandle();
    ks::TOpenSaveData data;
    data.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    data.Filter = "Assistant Install (*.KSA)|*.ksa|";
    // The dialog appends the default extension after a dot, so it is given without "*.": a name typed
    // without its extension then finds NAME.ksa instead of NAME.*.k.
    data.DefExt = "ksa";
    // The assistants that come with the program, where the setup puts them, are the first a user installs.
    if (const KsApp* app = KsApp::Get()) {
        const std::string shipped = WithBackslash(app->ProgramDir) + "assistants";
        const DWORD attributes = GetFileAttributesA(shipped.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            data.InitialDir = shipped;
    }
    ks::TFileOpenDialog dialog(&parent, data, 0, "Select Assistant Install File");
    if (dialog.Execute() != IDOK) {
        if (data.Error != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "Error #%ld occurred.", static_cast<long>(data.Error));
            Tell(owner, text, "ERROR", MB_ICONEXCLAMATION);
        }
        return;
    }
    const std::string installFile = data.FileName;
    const std::string sourceDir = installFile.substr(0, installFile.rfind('\\') == std::string::npos
                                                            ? 0
                                                            : installFile.rfind('\\'));

    if (ReadInstallKey(installFile, "32 Bit", kNameChars) != "True") {
        Tell(owner, "Sorry, This Assistant appears to be for Windows 3.x and is not compatible with Kestrum32.",
             "Error", MB_ICONSTOP);
        return;
    }
    const std::string name = ReadInstallKey(installFile, "Name", kNameChars);
    if (name == kNoEntry) {
        Tell(owner, "Sorry, Couldn't find the Assistant alias name in the Install File.", "Error", MB_ICONSTOP);
        return;
    }
    // The name becomes one registry sub-key: a backslash would make a nested key instead.
    if (!IsPlainAssistantName(name)) {
        Tell(owner, "Sorry, The Assistant alias name in the Install File must not be empty or contain a backslash.",
             "Error", MB_ICONSTOP);
        return;
    }
    const std::string file = ReadInstallKey(installFile, "File", 511);
    if (file == kNoEntry) {
        Tell(owner, "Sorry, Couldn't find the Assistant Filename in Install File.", "Error", MB_ICONSTOP);
        return;
    }
    // The library may only come from beside the install file and go into the program's folder.
    if (!IsPlainFileName(file)) {
        Tell(owner,
             "Sorry, The Assistant Filename in the Install File must be a plain file name, without a drive, a "
             "directory or \"..\".",
             "Error", MB_ICONSTOP);
        return;
    }
    const std::string source = WithBackslash(sourceDir) + file;
    if (!Exists(source)) {
        Tell(owner, "Sorry, Couldn't find the Plug-In Dll: " + file + " that is listed in the Install File.", "Error",
             MB_ICONSTOP);
        return;
    }
    const KsApp* app = KsApp::Get();
    if (!app)
        return;
    const std::string target = WithBackslash(app->ProgramDir) + file;
    if (Exists(target)) {
        Tell(owner, "There is already a copy of " + file + " in your Kestrum Directory.", "Warning",
             MB_ICONEXCLAMATION);
        return;
    }
    bool moved = false;
    {
        ks::WaitCursor wait;
        moved = MoveFileA(source.c_str(), target.c_str()) != FALSE;
    }
    if (!moved) {
        Tell(owner, "Error moving File.", "Error", MB_ICONSTOP);
        return;
    }
    if (!WriteRegistryString(("Assistants\\" + name).c_str(), "Filename", file.c_str())) {
        // An unrecorded library would block a later install of it: it goes back where it came from.
        MoveFileA(target.c_str(), source.c_str());
        Tell(owner, "Could not create Registry Key.", "Registry Error", MB_ICONEXCLAMATION);
        return;
    }
    Tell(owner, "Assistant Installation Successful.", "Install Status", MB_ICONEXCLAMATION);
}

}  // namespace assist
