// DataStore: the Storage Interface. It moves a waiting file into KS_STORE under a name free on disk and in the
// catalogue, and adds its record through the engine.
#pragma once
#include <string>

#include "controls/calendar_edit.h"
#include "framework/controls.h"
#include "framework/dialog.h"

class KsApp;
class KsClient;

class DataStore : public ks::TDialog {
public:
    DataStore(ks::TWindow* parent, const char* areaPath, const char* fileName, const char* dateText);

    // What the record can hold: a longer name is refused before anything moves.
    static constexpr int kMaxFileName = 255;

    // The file's real name when the catalogue cannot hold it (outside the ANSI code page): fileName is then a name
    // it can (the short name), offered for the user to confirm, and the file is moved by this full path.
    void SetWideSource(std::wstring fullPath) { m_sourceWide = std::move(fullPath); }

protected:
    void SetupWindow() override;
    bool CanClose() override;
    void CmOk() override;
    void CmCancel() override;
    void EvClose() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

private:
    void StoreFile();
    void CmHelp();
    // The two assistant buttons; like closing, they wait for a running assistant.
    void CmDefaultAssistant();
    void CmChooseAssistant();
    // Asks for another name while name is taken in KS_STORE or in the catalogue. False when the user gave up.
    bool ResolveNameConflict(KsClient& client, const KsApp& app, std::string& name);
    // A plain file name the record can hold; otherwise says why not.
    bool NameAllowed(const std::string& name);
    // Asks for the name a file with a wide name is stored under; false when cancelled or refused.
    bool ConfirmHeldName(std::string& name);
    KsClient* Client() const;

    std::string m_areaPath;
    std::string m_fileName;
    std::string m_dateText;
    std::wstring m_sourceWide;
    std::wstring m_source;  // the file being stored, by its full path
    // The file lies in KS_STORE already (a stored file without a record): it is stored where it is.
    bool m_inPlace = false;
    int m_assistantBusy = 0;
    ks::TEdit m_fileNameEdit;
    ks::TEdit m_title;
    ks::TEdit m_keywords;
    ks::TEdit m_abstract;
    ks::TCalendarEdit m_date;

    static const ks::TResponse<DataStore> Responses[];
};
