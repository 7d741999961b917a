// Shared by the search tests: a started program (frame, MDI client, the real engine on an empty table) with one
// Search Interface open, records added through the engine, and readers of the result list.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "records/data_search.h"
#include "records/srch_child.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/program_start.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace ks_test {

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram(m_app, m_client, m_previousDir));
        m_child = static_cast<SrchChild*>(
            m_client->CreateChild(std::make_unique<SrchChild>(*m_client, "Search Interface - 0")));
        ASSERT_NE(m_child, nullptr);
        m_search = m_child->Search();
        ASSERT_NE(m_search, nullptr);
        // What another window left in the shared record must survive every search.
        std::memset(&m_client->RecordBuffer, 0x5A, sizeof(FileRecord));
    }
    void TearDown() override
    {
        EndProgram(m_app, m_previousDir);
    }

    // Adds a record through the engine, as a Storage Interface would; returns its number.
    std::int32_t Add(const char* title, const char* date = "01/05/96", const char* keywords = "",
                     const char* fileName = nullptr)
    {
        const FileRecord saved = m_client->RecordBuffer;
        FileRecord& r = m_client->RecordBuffer;
        r = FileRecord{};
        SetFieldText(r.FileName, fileName ? fileName : (std::string("F") + std::to_string(++m_added) + ".ZIP"));
        SetFieldText(r.DownloadDate, date);
        SetFieldText(r.Title, title);
        SetFieldText(r.Keywords, keywords);
        SetFieldText(r.Location, "C:\\STORE");
        EXPECT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
        std::int32_t number = -1;
        for (int rc = m_client->SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND); rc == 0;
             rc = m_client->SendEngineCommand(ENG_NEXT, ENG_END_OF_TABLE))
            if (FieldText(m_client->RecordBuffer.Title) == title)
                number = m_client->RecordBuffer.RecordNumber;
        m_client->RecordBuffer = saved;
        return number;
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        HWND list = m_search->GetItem(IDC_SEARCH_RESULTS);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[1024]{};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            lines.push_back(text);
        }
        return lines;
    }
    // The titles of the listed records, in list order.
    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (const std::string& line : Lines())
            titles.push_back(line.substr(0, line.find('\t')));
        return titles;
    }
    bool BufferUntouched() const
    {
        FileRecord expected;
        std::memset(&expected, 0x5A, sizeof expected);
        return std::memcmp(&expected, &m_client->RecordBuffer, sizeof expected) == 0;
    }
    void Press(int id) { Click(*m_search, id); }
    void SetDates(const char* from, const char* to)
    {
        m_search->SetItemText(IDC_SEARCH_FROM, from);
        m_search->SetItemText(IDC_SEARCH_TO, to);
    }

    ScriptedUi m_ui;
    std::unique_ptr<KsApp> m_app;
    KsClient* m_client = nullptr;
    SrchChild* m_child = nullptr;
    DataSearch* m_search = nullptr;
    int m_added = 0;
    char m_previousDir[MAX_PATH]{};
};

inline std::int32_t LineNumberOf(const std::string& line) { return std::stoi(line.substr(line.rfind('\t') + 1)); }

constexpr char kNoRecords[] = "No records were found to match your search criteria.";

}  // namespace ks_test
