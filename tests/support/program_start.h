// The start of a program in the test's own process (frame, MDI client, the real engine on an empty table) and
// its end, as every in-process fixture does them.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace ks_test {

// Waits (up to 5 s) for the engine of a program that has ended to go.
inline void WaitForEngineToEnd()
{
    for (int i = 0; i < 250 && FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"); ++i)
        Sleep(20);
}

// Fresh settings of a program set up before, the program's folder current (the one before kept in
// previousDir) and an empty table. Fails the test fatally when an engine still runs.
inline void PrepareProgramStart(char (&previousDir)[MAX_PATH])
{
    DeleteProgramSettings();
    SetRegString("Initialisation", "Setup", "OK");
    GetCurrentDirectoryA(MAX_PATH, previousDir);
    SetCurrentDirectoryA(BinDir().c_str());
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    DeleteFileA((BinDir() + "\\kspdx.tbl").c_str());
}

// PrepareProgramStart, then the program started and its engine linked. Fails the test fatally when an engine
// still runs or the program does not start: call it through ASSERT_NO_FATAL_FAILURE.
inline void StartProgram(std::unique_ptr<KsApp>& app, KsClient*& client, char (&previousDir)[MAX_PATH])
{
    ASSERT_NO_FATAL_FAILURE(PrepareProgramStart(previousDir));
    SetRegString("Download Directorys", "Area One", "No Path");
    app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app->InitInstance()) << "the program did not start:" << ScriptedUi::BoxTexts();
    client = app->Client;
    ASSERT_NE(client, nullptr);
    ASSERT_TRUE(client->LinkReady()) << ScriptedUi::BoxTexts();
}

// Ends the program and its engine (the next test starts its own on an empty table), and puts the folder and
// the settings back.
inline void EndProgram(std::unique_ptr<KsApp>& app, const char* previousDir)
{
    app.reset();
    WaitForEngineToEnd();
    SetCurrentDirectoryA(previousDir);
    DeleteProgramSettings();
}

}  // namespace ks_test
