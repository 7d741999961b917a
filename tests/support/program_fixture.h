// ProgramTest: a started program in this process (frame, MDI client, the real engine on an empty table) with
// the seam scripted, area one (the default) in a scratch folder, and the catalogue read and written through the
// engine.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "engine/file_record.h"
#include "tests/app/registry_probe.h"
#include "tests/support/program_start.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_files.h"
#include "tests/support/test_paths.h"

namespace ks_test {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_store = BinDir() + "\\KS_STORE";
        std::error_code ignored;
        std::filesystem::remove_all(m_store, ignored);
        std::filesystem::create_directory(m_store, ignored);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_scratch = std::string(temp) + "ks_program_" + std::to_string(GetCurrentProcessId());
        std::filesystem::remove_all(m_scratch, ignored);
        std::filesystem::create_directory(m_scratch, ignored);
        ASSERT_NO_FATAL_FAILURE(StartProgram(m_app, m_client, m_previousDir));
        // The start-up's own message (splash, area check) is done before the test begins.
        m_app->PumpWaitingMessages();
        m_area = MakeDir("area one");
        SetArea(1, m_area, "Downloads");
        SetRegNumber("Download Directorys", "Default", 1);
        m_client->AreasChanged();
    }
    void TearDown() override
    {
        EndProgram(m_app, m_previousDir);
        std::error_code ignored;
        std::filesystem::remove_all(m_scratch, ignored);
        std::filesystem::remove_all(m_store, ignored);
        std::filesystem::create_directory(m_store, ignored);
    }

    std::string MakeDir(const std::string& name) const
    {
        const std::string dir = m_scratch + "\\" + name;
        CreateDirectoryA(dir.c_str(), nullptr);
        return dir;
    }
    // A file that arrived some while ago (so it counts as settled).
    static std::string Settled(const std::string& dir, const std::string& name, const std::string& content)
    {
        const std::string path = dir + "\\" + name;
        PutBytes(path, content);
        SetWrittenHoursAgo(path, 30);
        return path;
    }
    // Area n with its path and alias, as the Path Preferences write them.
    static void SetArea(int area, const std::string& path, const char* alias)
    {
        static const char* const paths[] = {"Area One", "Area Two", "Area Three", "Area Four"};
        static const char* const aliases[] = {"Alias One", "Alias Two", "Alias Three", "Alias Four"};
        SetRegString("Download Directorys", paths[area - 1], path.c_str());
        SetRegString("Download Directorys", aliases[area - 1], alias);
    }

    // Adds a record through the engine, as a store would; the shared record is left as it was.
    void AddRecord(const std::string& name, const std::string& location, const std::string& title = "",
                   const std::string& abstract = "", const std::string& keywords = "",
                   const std::string& date = "01/05/96")
    {
        const RecordBufferGuard keep(m_client->RecordBuffer);
        FileRecord& r = m_client->RecordBuffer;
        r = FileRecord{};
        SetFieldText(r.FileName, name);
        SetFieldText(r.DownloadDate, date);
        SetFieldText(r.Title, title);
        SetFieldText(r.Keywords, keywords);
        SetFieldText(r.Location, location);
        SetFieldText(r.Abstract, abstract);
        EXPECT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
    }
    // Every record of the catalogue, in table order.
    std::vector<FileRecord> Records()
    {
        const RecordBufferGuard keep(m_client->RecordBuffer);
        std::vector<FileRecord> records;
        for (int rc = m_client->SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND); rc == 0;
             rc = m_client->SendEngineCommand(ENG_NEXT, ENG_END_OF_TABLE))
            records.push_back(m_client->RecordBuffer);
        return records;
    }
    // Sends a menu command as the frame routes it to the client.
    void Command(UINT id) { SendMessageA(m_client->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // Dispatches messages (and the loop's watched handles) until done() holds or the time is up.
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > milliseconds)
                return false;
            m_app->PumpWaitingMessages();
            Sleep(5);
        }
        return true;
    }

    ScriptedUi m_ui;
    std::unique_ptr<KsApp> m_app;
    KsClient* m_client = nullptr;
    std::string m_store;
    std::string m_scratch;
    std::string m_area;
    char m_previousDir[MAX_PATH]{};
};

}  // namespace ks_test
