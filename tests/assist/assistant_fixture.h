// A program set up as at run time for the assistant tests: the application object with a program folder of
// the test's own, the MDI client with the real engine, a Download Interface chain for the Storage Interface,
// and a download area as the current directory.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "download/data_store.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"
#include "tests/support/program_start.h"

namespace ks_test {

inline bool FileThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void WriteBytes(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the Storage Interface's edits show.
struct StoreEdits {
    std::string title;
    std::string keywords;
    std::string abstract;
    bool operator==(const StoreEdits&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const StoreEdits& e)
{
    return os << "{title=\"" << e.title << "\" keywords=\"" << e.keywords << "\" abstract=\"" << e.abstract << "\"}";
}

inline const StoreEdits kTyped{"typed title", "typed keywords", "typed abstract"};

class AssistantFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PrepareProgramStart(m_previousDir));
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        m_client = std::make_unique<KsClient>();
        ASSERT_TRUE(m_client->LinkReady());
        m_child = std::make_unique<ks::TMDIChild>(*m_client, "Download Interface - 0", nullptr, true);
        m_manage = std::make_unique<ks::TDialog>(m_child.get(), IDD_DOWNLOAD);

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string base = std::string(temp) + "ks_assist_" + std::to_string(GetCurrentProcessId());
        m_prog = base + "_prog";
        m_area = base + "_area";
        m_source = base + "_source";
        for (const std::string& dir : {m_prog, m_area, m_source}) {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        // The program's folder is the test's own; the download area is the current directory, as after a
        // Download Interface listed it.
        lstrcpynA(m_app->ProgramDir, m_prog.c_str(), sizeof m_app->ProgramDir);
        SetCurrentDirectoryA(m_area.c_str());
    }
    void TearDown() override
    {
        m_manage.reset();
        m_child.reset();
        m_client.reset();
        ks_test::WaitForEngineToEnd();
        m_app.reset();
        SetCurrentDirectoryA(m_previousDir);
        for (const std::string& dir : {m_prog, m_area, m_source}) {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
        DeleteProgramSettings();
    }

    static std::string TestLibrary(const std::string& variant)
    {
        return BinDir() + "\\test_assistants\\" + variant + ".dll";
    }
public:
    // An installed assistant: its library in the program folder and its record.
    void Installed(const std::string& name, const std::string& library, const std::string& file)
    {
        ASSERT_TRUE(CopyFileA(library.c_str(), (m_prog + "\\" + file).c_str(), FALSE)) << library;
        SetRegString(("Assistants\\" + name).c_str(), "Filename", file.c_str());
    }
    void Installed(const std::string& name, const std::string& variant)
    {
        Installed(name, TestLibrary(variant), variant + ".dll");
    }

protected:
    // Opens a Storage Interface for a file of the area with texts typed in, lets action press its buttons,
    // and gives what the edits show afterwards. The dialog is then cancelled (which a run that left the
    // busy flag set would block).
    StoreEdits WithStore(const std::string& fileName, std::function<void(ks::TDialog&)> action,
                         const StoreEdits& typed = kTyped)
    {
        StoreEdits after;
        m_ui.OnDialog(IDD_STORAGE, [&](ks::TDialog& d) {
            d.SetItemText(IDC_STORE_TITLE, typed.title.c_str());
            d.SetItemText(IDC_STORE_KEYWORDS, typed.keywords.c_str());
            d.SetItemText(IDC_STORE_ABSTRACT, typed.abstract.c_str());
            action(d);
            after.title = d.GetItemText(IDC_STORE_TITLE, 1000);
            after.keywords = d.GetItemText(IDC_STORE_KEYWORDS, 1000);
            after.abstract = d.GetItemText(IDC_STORE_ABSTRACT, 2000);
            Click(d, IDCANCEL);
        });
        DataStore store(m_manage.get(), m_area.c_str(), fileName.c_str(), "01/05/96");
        m_storeResult = store.Execute();
        return after;
    }
    StoreEdits PressDefault(const std::string& fileName = "REPORT.ZIP", const StoreEdits& typed = kTyped)
    {
        return WithStore(fileName, [](ks::TDialog& d) { Click(d, IDC_STORE_DEFAULT); }, typed);
    }
    bool LibraryLoaded(const std::string& file) const
    {
        return GetModuleHandleA((m_prog + "\\" + file).c_str()) != nullptr;
    }

    ScriptedUi m_ui;
    std::unique_ptr<KsApp> m_app;
    std::unique_ptr<KsClient> m_client;
    std::unique_ptr<ks::TMDIChild> m_child;
    std::unique_ptr<ks::TDialog> m_manage;
    std::string m_prog;
    std::string m_area;
    std::string m_source;
    INT_PTR m_storeResult = 0;
    char m_previousDir[MAX_PATH]{};
};

}  // namespace ks_test
