// End to end: the real program whose engine was killed. Closing it sends ENG_SHUTDOWN, which cannot be
// delivered: one "Engine Offline" box, no "Paradox Error" box, and the program ends with exit code -1.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "framework/handles.h"
#include "tests/app/registry_probe.h"
#include "tests/engine_link/link_test_support.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;

constexpr char kMainCaption[] = "Filewarden (For Windows 95)";

HWND WaitForMainWindow(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (HWND hwnd = FindWindowA(nullptr, kMainCaption))
            return hwnd;
        std::this_thread::sleep_for(50ms);
    }
    return nullptr;
}

TEST(ProgramWithKilledEngine, ClosingShowsEngineOfflineOnceAndEndsWithMinusOne)
{
    ASSERT_TRUE(ks_test::WaitForNoEngine(10s));
    // A program that was set up before: no first-run boxes.
    ks_test::DeleteProgramSettings();
    ks_test::SetRegString("Initialisation", "Setup", "OK");
    for (const char* area : {"Area One", "Area Two", "Area Three", "Area Four"})
        ks_test::SetRegString("Download Directorys", area, "No Path");
    const std::string dir = ks_test::MakeTempDir("e2e");
    for (const char* file : {"kestrm32.exe", "kscf.dll", "kspdx.exe"})
        ASSERT_TRUE(ks_test::CopyInto(file, ks_test::BinDir(), dir)) << file;

    {
        ks_test::Process program = ks_test::Process::Start(dir + "\\kestrm32.exe", "", dir);
        ASSERT_TRUE(program.Started());
        HWND main = WaitForMainWindow(20s);
        ASSERT_NE(main, nullptr);
        HWND engineWindow = ks_test::WaitForEngineWindow(0, 10s);
        ASSERT_NE(engineWindow, nullptr);
        DWORD engineId = 0;
        GetWindowThreadProcessId(engineWindow, &engineId);
        const ks::KernelHandle engine(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, engineId));
        ASSERT_TRUE(engine.Valid());
        // The splash has closed itself by now; only boxes remain to be seen.
        std::this_thread::sleep_for(1500ms);
        TerminateProcess(engine.Get(), 1);
        WaitForSingleObject(engine.Get(), INFINITE);

        ks_test::BoxWatcherOptions options;
        options.process_id = program.Id();
        ks_test::BoxWatcher boxes(options);
        PostMessageA(main, WM_CLOSE, 0, 0);
        const auto box = boxes.WaitForBox(1, 20s);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, "Engine Offline");
        EXPECT_EQ(box->text, "Could not send data to Engine Interface.");
        EXPECT_EQ(box->icon, ks_test::BoxIcon::Exclamation);
        // The client is destroyed, and its ENG_SHUTDOWN sent, as the application object ends after its message
        // loop: the quit request with -1 made then must still decide the exit code.
        EXPECT_EQ(program.WaitForExit(20s), static_cast<DWORD>(-1));
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    ks_test::DeleteProgramSettings();
    ks_test::RemoveTree(dir);
}

}  // namespace
