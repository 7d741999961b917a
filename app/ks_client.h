// KsClient: the MDI client inside the main frame. It owns the one engine link and RecordBuffer for the run,
// shows the splash, checks at the first start that download areas exist, opens and numbers the child windows
// and relays record messages between them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/area_watch.h"
#include "engine/engine_link.h"
#include "engine/file_record.h"
#include "framework/mdi.h"

class Splash;

class KsClient : public ks::TMDIClient {
public:
    KsClient();
    ~KsClient() override;

    // The client of a child window's dialog: the dialog's parent is its MDI child, whose parent is this.
    static KsClient* Of(const ks::TWindow& childDialog);

    // False when the engine could not be reached at construction; the program then ends.
    bool LinkReady() const { return m_linkReady; }

    // Sends command with RecordBuffer and puts the reply there. A result other than 0 and expected is shown
    // in a "Paradox Error" box; an undeliverable command shows "Engine Offline", asks the program to quit
    // with -1 and returns 203 with RecordBuffer as the caller left it.
    std::int32_t SendEngineCommand(std::int32_t command, std::int32_t expected);
    // Sends ENG_NEXT_BATCH for the records numbered above after, at most most of them (0: as many as one reply
    // holds), and puts the reply's batch area into batch (engine/record_batch.h; empty unless the result is 0).
    // Results and boxes as SendEngineCommand, with 101 ("End of table") expected. RecordBuffer is neither sent
    // nor changed: walkers leave the shared record alone.
    // When the reply holds records and next is not -1, the batch after them (at most next records) is asked
    // for at once, so the engine prepares it while the caller goes through these; a SendEngineBatch for it
    // then takes its answer, and any other command drops it.
    std::int32_t SendEngineBatch(std::int32_t after, std::int32_t most, std::vector<std::uint8_t>& batch,
                                 std::int32_t next = -1);
    // How many commands were sent so far: when it has not moved, no window can have changed a record.
    std::uint64_t CommandsSent() const { return m_commandsSent; }

    // The client's menu commands (child windows, preferences); the framework's own follow.
    bool OnCommand(UINT id, UINT notify, HWND control) override;
    bool HandlesCommand(UINT id) const override;

    // Command 311: copies a version-1 installation's table into ProgramDir, has the engine import it, moves the
    // old stored files into KS_STORE and points the records at them (engine/convert_version1.cpp).
    void ConvertVersion1();

    // The download areas' settings changed: they are followed anew and the waiting files counted again.
    void AreasChanged();

    // The shared record every window fills and reads; walkers save and restore it around their work.
    FileRecord RecordBuffer{};
    // Ends a walk the client runs itself (Store All, Export), set by its progress window's Abort.
    std::int32_t StopFlag = 0;

protected:
    void SetupWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // False (after the "Engine Offline" box the first time) when the command could not be delivered.
    bool Delivered(std::int32_t result);
    // Shows the "Paradox Error" box for a result other than 0 and expected; returns result.
    std::int32_t Reported(std::int32_t result, std::int32_t expected);
    void FirstRunAreaCheck();
    // The box text for an engine that could not open its table: the table file and the reason.
    std::string TableRefusedText(std::int32_t code) const;
    // Asks whether to repair the damaged table and has the engine program do it; true when it was repaired.
    bool OfferRepair();
    // Sends ENG_SHUTDOWN once; later commands are not sent.
    void EndLink();
    void RelayRecordChanged(WPARAM recordNumber);
    // Files arrived in or left the areas: the Download Interfaces list them again, the pane counts them.
    void RelayAreasChanged();
    void ShowWaitingFiles();
    // WM_AREACHANGED to every child window's dialog: a Download Interface on that area lists it again.
    void SendAreaChanged(int area);
    // Gives the child its icon and opens its window as the active MDI child.
    void OpenChild(std::unique_ptr<ks::TMDIChild> child, int iconId);
    void CmFilesDownloaded();
    void CmStoredFiles();
    void CmDownloadAreas();
    void CmAssistInstall();
    void CmAssistConfigure();
    // Command 312: opens the Catalogue Check window, or brings the open one forward.
    void CmCheckCatalogue();
    // Command 313: Store All over the active Download Interface's area or the default area.
    void CmStoreAll();
    // Command 314: the active Search Interface's listed records, or every record, written as CSV.
    void CmExportCatalogue();

    static const ks::TResponse<KsClient> Responses[];
    // The number the next Download Interface gets; only grows during a run.
    std::int32_t m_downloadCount = 0;
    // The number the next Search Interface gets, counted apart from the Download Interfaces.
    std::int32_t m_searchCount = 0;

    EngineLink m_link;
    bool m_linkReady = false;
    std::uint64_t m_commandsSent = 0;
    bool m_repairDeclined = false;  // the user said No to the repair, or was told it failed
    std::unique_ptr<Splash> m_splash;
    AreaWatch m_areaWatch;
};

// The result text for an engine code, converted for display; the buffer is overwritten by the next call.
const char* EngineErrorText(std::int32_t code);
