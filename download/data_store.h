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
    bool NameFits(const std::string& name);
    KsClient* Client() const;

    std::string m_areaPath;
    std::string m_fileName;
    std::string m_dateText;
    int m_assistantBusy = 0;
    ks::TEdit m_fileNameEdit;
    ks::TEdit m_title;
    ks::TEdit m_keywords;
    ks::TEdit m_abstract;
    ks::TCalendarEdit m_date;

    static const ks::TResponse<DataStore> Responses[];
};
