// Finding and starting the engine, and noticing an engine that went away or hangs: the link's end run from
// folders of its own (engine_link_probe.exe beside a real, missing or fake kspdx.exe), and in this process
// against fake engines that show the window but never answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/ks_client.h"
#include "engine/engine_link.h"
#include "framework/handles.h"
#include "tests/engine_link/link_test_support.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace std::chrono_literals;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Fake engines end when this event is set; each test sets it at its end.
class EngineStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A fake of the last test that is still ending may keep the event alive, and set.
        ResetEvent(m_quitFakes.Get());
        ASSERT_TRUE(ks_test::WaitForNoEngine(10s)) << "an engine from elsewhere is running";
    }
    void TearDown() override
    {
        SetEvent(m_quitFakes.Get());
        SetEnvironmentVariableA("KS_FAKE_ENGINE", nullptr);
        EXPECT_TRUE(ks_test::WaitForNoEngine(10s));
        Sleep(200);  // a fake without a window ends on the event too
        ks_test::RemoveTree(m_programDir);
        ks_test::RemoveTree(m_workDir);
    }

    struct ProbeRun {
        DWORD exitCode;
        double seconds;
    };
    // Runs the probe from a folder holding it and, unless engine is empty, that program as kspdx.exe;
    // its current directory is another, empty folder.
    ProbeRun RunProbe(const std::string& engine, DWORD waitMs)
    {
        if (!engine.empty()) {
            EXPECT_TRUE(ks_test::CopyInto(engine, ks_test::BinDir(), m_programDir, "kspdx.exe"));
        }
        EXPECT_TRUE(ks_test::CopyInto("engine_link_probe.exe", ks_test::BinDir(), m_programDir));
        const auto start = Clock::now();
        ks_test::Process probe =
            ks_test::Process::Start(m_programDir + "\\engine_link_probe.exe", std::to_string(waitMs), m_workDir);
        EXPECT_TRUE(probe.Started());
        const DWORD code = probe.WaitForExit(30s);
        return {code, SecondsSince(start)};
    }

    const ks::KernelHandle m_quitFakes{CreateEventA(nullptr, TRUE, FALSE, "KsFakeEngineQuit")};
    const std::string m_programDir = ks_test::MakeTempDir("program");
    const std::string m_workDir = ks_test::MakeTempDir("work");
};

TEST_F(EngineStart, EngineIsStartedFromTheProgramsFolderAndEndsAtShutdown)
{
    const ProbeRun run = RunProbe("kspdx.exe", 15000);
    EXPECT_EQ(run.exitCode, 0u);
    // The engine kept its table beside itself, not in the current directory.
    EXPECT_NE(GetFileAttributesA((m_programDir + "\\kspdx.tbl").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((m_workDir + "\\kspdx.tbl").c_str()), INVALID_FILE_ATTRIBUTES);
    std::printf("[ figures  ] engine start, link and shutdown: %.2f s\n", run.seconds);
}

TEST_F(EngineStart, MissingEngineCannotBeStarted)
{
    const ProbeRun run = RunProbe("", 15000);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_LT(run.seconds, 5.0);
}

TEST_F(EngineStart, EngineThatNeverShowsItsWindowIsGivenUpAfterTheWait)
{
    SetEnvironmentVariableA("KS_FAKE_ENGINE", "sleep:30000");
    const ProbeRun run = RunProbe("fake_kspdx.exe", 1500);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_GE(run.seconds, 1.4);
    EXPECT_LT(run.seconds, 5.0);
}

TEST_F(EngineStart, EngineThatEndsBeforeItsWindowIsGivenUpAtOnce)
{
    SetEnvironmentVariableA("KS_FAKE_ENGINE", "exit");
    const ProbeRun run = RunProbe("fake_kspdx.exe", 15000);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_LT(run.seconds, 5.0);
}

// The client's start when the engine ends at once (here: its table is held by someone else): one box, no link,
// and nothing more is sent or shown.
TEST_F(EngineStart, ClientTellsOnceWhenTheEngineCannotRun)
{
    const std::string table = ks_test::BinDir() + "\\kspdx.tbl";
    const ks::FileHandle held(CreateFileA(table.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    ks_test::ScriptedUi ui;
    const auto start = Clock::now();
    {
        KsClient client;
        EXPECT_LT(SecondsSince(start), 5.0);
        EXPECT_FALSE(client.LinkReady());
        EXPECT_EQ(client.SendEngineCommand(ENG_COUNT, 0), ENG_NOT_DELIVERED);
    }
    const auto boxes = ui.Boxes();
    ASSERT_EQ(ui.Events().size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not spawn process");
    EXPECT_EQ(boxes[0].caption, "Create Process Error");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(ks_test::CountEngineWindows(), 0);
}

// A program started just after the last one closed finds the old engine's window still there for a moment;
// it must get a working engine, not an "Engine Offline". (Here the new engine is the one beside this test.)
TEST_F(EngineStart, LinkMadeRightAfterAShutdownGetsAWorkingEngine)
{
    for (int round = 0; round < 10; ++round) {
        ks_test::EngineCopy old("old");
        ASSERT_TRUE(old.Start());
        FileRecord record{};
        {
            EngineLink closing;
            ASSERT_EQ(closing.Establish(5000), EngineLink::Start::Ready);
            ASSERT_EQ(closing.Transact(ENG_SHUTDOWN, record), 0);
        }
        EngineLink next;
        ASSERT_EQ(next.Establish(10000), EngineLink::Start::Ready) << "round " << round;
        DWORD engineId = 0;
        GetWindowThreadProcessId(next.EngineWindow(), &engineId);
        EXPECT_NE(engineId, old.Proc().Id());
        EXPECT_EQ(next.Transact(ENG_COUNT, record), 0) << "round " << round;
        EXPECT_EQ(next.Transact(ENG_SHUTDOWN, record), 0);
        EXPECT_EQ(old.Proc().WaitForExit(10s), 0u);
        ASSERT_TRUE(ks_test::WaitForNoEngine(10s));
    }
}

// An engine (fake) that shows its window and shared block but never answers.
class SilentEngine : public EngineStart {
protected:
    void Start(const char* mode)
    {
        m_fake = ks_test::Process::Start(ks_test::BinDir() + "\\fake_kspdx.exe", mode, m_workDir);
        ASSERT_TRUE(m_fake.Started());
        ASSERT_NE(ks_test::WaitForEngineWindow(m_fake.Id(), 10s), nullptr);
        ASSERT_EQ(m_link.Establish(1000), EngineLink::Start::Ready);
    }
    double TimedCount()
    {
        FileRecord record{};
        SetFieldText(record.Title, "as sent");
        const FileRecord sent = record;
        const auto start = Clock::now();
        EXPECT_EQ(m_link.Transact(ENG_COUNT, record), ENG_NOT_DELIVERED);
        const double seconds = SecondsSince(start);
        EXPECT_EQ(std::memcmp(&record, &sent, kFileRecordSize), 0);
        EXPECT_FALSE(m_link.Ready());
        return seconds;
    }

    ks_test::Process m_fake;
    EngineLink m_link;
};

TEST_F(SilentEngine, WindowThatGoesWhileACommandWaitsIsNoticedWithinASecond)
{
    Start("silent:400");
    const double seconds = TimedCount();
    EXPECT_LT(seconds, 1.5);
    // Noticed by the window alone: the process still runs.
    EXPECT_TRUE(m_fake.Running());
    // The link stays down: the next command fails at once.
    EXPECT_LT(TimedCount(), 0.05);
    std::printf("[ figures  ] window gone after 0.4 s, noticed after %.2f s\n", seconds);
}

// A window with the engine's caption that is no engine of ours never goes: the start gives up after its wait.
TEST_F(EngineStart, WindowOfSomethingElseIsGivenUpAfterTheWait)
{
    ks_test::Process fake = ks_test::Process::Start(ks_test::BinDir() + "\\fake_kspdx.exe", "bare", m_workDir);
    ASSERT_TRUE(fake.Started());
    ASSERT_NE(ks_test::WaitForEngineWindow(fake.Id(), 10s), nullptr);
    EngineLink link;
    const auto start = Clock::now();
    EXPECT_EQ(link.Establish(1000), EngineLink::Start::NoWindow);
    EXPECT_GE(SecondsSince(start), 0.9);
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_FALSE(link.Ready());
}

TEST_F(SilentEngine, EngineThatNeverAnswersIsTakenAsHung)
{
    Start("silent:0");
    const double seconds = TimedCount();
    const double hung = EngineLink::kHungMs / 1000.0;
    EXPECT_GE(seconds, hung - 0.2);
    EXPECT_LT(seconds, hung + 3.0);
    std::printf("[ figures  ] hung engine given up after %.2f s\n", seconds);
}

}  // namespace
