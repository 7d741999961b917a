// Finding and starting the engine, and noticing an engine that went away or hangs: the link's end run from
// folders of its own (engine_link_probe.exe beside a real, missing or fake kspdx.exe), and in this process
// against fake engines that show the window but never answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

// An engine that cannot open its table says why, and the program names the table and the reason: a damaged
// table, a table another program holds open, a folder the engine may not write in.
TEST_F(EngineStart, EngineThatCannotOpenItsTableSaysWhy)
{
    struct Case {
        const char* what;
        std::function<void(const std::string& dir)> prepare;
        DWORD exitCode;  // the probe's: 1000 + the engine's reason
        bool byAttribute = false;  // refused only through a read-only attribute
    };
    ks::FileHandle held;
    const Case cases[] = {
        {"damaged inside", [](const std::string& dir) {
             std::string bytes = "KSTABLE\x1a";
             bytes.append(4000, '\x77');
             ASSERT_TRUE(ks_test::WriteWholeFile(dir + "\\kspdx.tbl", bytes));
         }, 1006},
        {"held by another program", [&held](const std::string& dir) {
             held.Reset(CreateFileA((dir + "\\kspdx.tbl").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0,
                                    nullptr));
             ASSERT_TRUE(held.Valid());
         }, 1119},
        {"table marked read-only", [](const std::string& dir) {
             ASSERT_TRUE(ks_test::WriteWholeFile(dir + "\\kspdx.tbl", ""));
             ASSERT_TRUE(SetFileAttributesA((dir + "\\kspdx.tbl").c_str(), FILE_ATTRIBUTE_READONLY));
         }, 1022, true},
        {"read-only folder", [](const std::string& dir) {
             ASSERT_TRUE(SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_READONLY));
         }, 1012, true},
        // Access denied where the superuser, too, is refused: a folder where the table should be.
        {"no access to the table", [](const std::string& dir) {
             ASSERT_TRUE(CreateDirectoryA((dir + "\\kspdx.tbl").c_str(), nullptr));
         }, 1012},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string dir = ks_test::MakeTempDir("refused");
        ASSERT_TRUE(ks_test::CopyInto("kspdx.exe", ks_test::BinDir(), dir));
        ASSERT_TRUE(ks_test::CopyInto("engine_link_probe.exe", ks_test::BinDir(), dir));
        test.prepare(dir);
        if (test.byAttribute) {
            // Under Wine the superuser may write whatever the attributes say: then there is nothing to try.
            const std::string tried = test.exitCode == 1022 ? dir + "\\kspdx.tbl" : dir + "\\try.tmp";
            const bool writable = ks::FileHandle(CreateFileA(tried.c_str(), GENERIC_WRITE, 0, nullptr,
                                                             test.exitCode == 1022 ? OPEN_EXISTING : CREATE_NEW,
                                                             0, nullptr)).Valid();
            if (writable) {
                std::printf("[ skipped  ] %s: this user may write anyway\n", test.what);
                DeleteFileA((dir + "\\try.tmp").c_str());
                SetFileAttributesA((dir + "\\kspdx.tbl").c_str(), FILE_ATTRIBUTE_NORMAL);
                SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
                ks_test::RemoveTree(dir);
                continue;
            }
        }
        ks_test::Process probe = ks_test::Process::Start(dir + "\\engine_link_probe.exe", "15000", m_workDir);
        EXPECT_EQ(probe.WaitForExit(30s), test.exitCode);
        held.Reset();
        SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesA((dir + "\\kspdx.tbl").c_str(), FILE_ATTRIBUTE_NORMAL);
        ks_test::RemoveTree(dir);
    }
}

// The client's start when the engine ends at once (here: its table is held by someone else): one box naming
// the table and the reason, no link, and nothing more is sent or shown.
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
    EXPECT_EQ(boxes[0].text, "The catalogue table " + table + " could not be opened: Table is locked.");
    EXPECT_EQ(boxes[0].caption, "Paradox Error");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(ks_test::CountEngineWindows(), 0);
}

// A table damaged in the middle: No leaves it as it is and the program ends; Yes keeps the damaged file beside
// it, rebuilds the table with every intact record, says what was kept and lost, and the engine starts.
TEST_F(EngineStart, DamagedTableIsRepairedOnRequest)
{
    // Five records added by a real engine in a folder of its own.
    std::string bytes;
    {
        ks_test::EngineCopy source("repair");
        ASSERT_TRUE(source.Start());
        EngineLink link;
        ASSERT_EQ(link.Establish(5000), EngineLink::Start::Ready);
        for (const char* name : {"ONE.TXT", "TWO.TXT", "THREE.TXT", "FOUR.TXT", "FIVE.TXT"}) {
            FileRecord record{};
            SetFieldText(record.FileName, name);
            SetFieldText(record.Title, std::string("Title of ") + name);
            ASSERT_EQ(link.Transact(ENG_ADD, record), 0);
        }
        FileRecord record{};
        ASSERT_EQ(link.Transact(ENG_SHUTDOWN, record), 0);
        EXPECT_EQ(source.Proc().WaitForExit(10s), 0u);
        bytes = ks_test::ReadWholeFile(source.TablePath());
    }
    // One byte flipped inside the third entry.
    std::size_t at = 16;
    for (int entry = 0; entry < 2; ++entry)
        at += 8 + static_cast<unsigned char>(bytes[at]) + 256u * static_cast<unsigned char>(bytes[at + 1]);
    bytes[at + 20] ^= 0x20;

    const std::string table = ks_test::BinDir() + "\\kspdx.tbl";
    const std::string copy = ks_test::BinDir() + "\\kspdx-damaged.tbl";
    const std::string saved = ks_test::BinDir() + "\\kspdx.tbl.saved";
    MoveFileExA(table.c_str(), saved.c_str(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(ks_test::WriteWholeFile(table, bytes));
    const std::string refused = "The catalogue table " + table + " could not be opened: Table is corrupted.";
    {
        ks_test::ScriptedUi ui;
        ui.AnswerBox(IDNO);
        KsClient client;
        EXPECT_FALSE(client.LinkReady());
        ASSERT_EQ(ui.Boxes().size(), 1u);
        EXPECT_EQ(ui.Boxes()[0].text, refused + "\r\rRepair the catalogue now? A copy of the damaged file is kept.");
        EXPECT_EQ(ui.Boxes()[0].buttons, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(ks_test::ReadWholeFile(table), bytes);
    }
    {
        ks_test::ScriptedUi ui;
        ui.AnswerBox(IDYES);
        KsClient client;
        ASSERT_TRUE(client.LinkReady());
        const auto boxes = ui.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, "The catalogue was repaired: 4 records kept, 1 entries lost.\r"
                                 "The damaged file is kept as " + copy + ".");
        EXPECT_EQ(boxes[1].caption, "Repair");
        EXPECT_EQ(ks_test::ReadWholeFile(copy), bytes);
        std::vector<std::string> names;
        for (std::int32_t result = client.SendEngineCommand(ENG_FIRST, 89); result == 0;
             result = client.SendEngineCommand(ENG_NEXT, 101))
            names.emplace_back(FieldText(client.RecordBuffer.FileName));
        EXPECT_EQ(names, (std::vector<std::string>{"ONE.TXT", "TWO.TXT", "FOUR.TXT", "FIVE.TXT"}));
    }
    EXPECT_TRUE(ks_test::WaitForNoEngine(10s));
    DeleteFileA(table.c_str());
    DeleteFileA(copy.c_str());
    MoveFileExA(saved.c_str(), table.c_str(), 0);
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

// A silent engine whose window answers is waited for: only its end makes the command fail.
TEST_F(SilentEngine, EngineThatLivesIsWaitedForUntilItEnds)
{
    Start("silent:0");
    m_link.SetHungLimit(500);
    std::thread ender([this] {
        Sleep(2500);
        SetEvent(m_quitFakes.Get());
    });
    const double seconds = TimedCount();
    ender.join();
    EXPECT_GE(seconds, 2.4);
    EXPECT_LT(seconds, 4.0);
}

// Fake engines that answer by hand (result = the command, Title "answer to " + the Title sent).
class HandEngine : public EngineStart {
protected:
    void Start(const char* mode, EngineLink& link, DWORD hungMs)
    {
        m_fake = ks_test::Process::Start(ks_test::BinDir() + "\\fake_kspdx.exe", mode, m_workDir);
        ASSERT_TRUE(m_fake.Started());
        ASSERT_NE(ks_test::WaitForEngineWindow(m_fake.Id(), 10s), nullptr);
        Connect(link, hungMs);
    }
    static void Connect(EngineLink& link, DWORD hungMs)
    {
        ASSERT_EQ(link.Establish(1000), EngineLink::Start::Ready);
        link.SetHungLimit(hungMs);
    }
    struct Reply {
        std::int32_t result;
        std::string title;
        double seconds;
    };
    static Reply Send(EngineLink& link, std::int32_t command, const std::string& title)
    {
        FileRecord record{};
        SetFieldText(record.Title, title);
        const auto start = Clock::now();
        const std::int32_t result = link.Transact(command, record);
        return {result, std::string(FieldText(record.Title)), SecondsSince(start)};
    }

    ks_test::Process m_fake;
};

TEST_F(HandEngine, SlowCommandIsWaitedForWhileTheEngineWindowAnswers)
{
    EngineLink link;
    Start("slow:2500", link, 500);
    const Reply reply = Send(link, ENG_ADD, "slow");
    EXPECT_EQ(reply.result, ENG_ADD);
    EXPECT_EQ(reply.title, "answer to slow");
    EXPECT_GE(reply.seconds, 2.4);
    EXPECT_TRUE(link.Ready());
    std::printf("[ figures  ] command of 2.5 s on a slow disk answered after %.2f s\n", reply.seconds);
}

TEST_F(HandEngine, EngineWhoseWindowStopsAnsweringIsGivenUp)
{
    EngineLink link;
    Start("frozen", link, 1000);
    const Reply reply = Send(link, ENG_COUNT, "frozen");
    EXPECT_EQ(reply.result, ENG_NOT_DELIVERED);
    EXPECT_EQ(reply.title, "frozen");
    EXPECT_GE(reply.seconds, 1.9);
    EXPECT_LT(reply.seconds, 5.0);
    EXPECT_FALSE(link.Ready());
    std::printf("[ figures  ] engine whose window froze given up after %.2f s\n", reply.seconds);
}

// A program gives up on a request while the engine's window is frozen; the engine later answers it. The next
// request (here from the next program start) gets its own answer, and its record is not overwritten by the late
// reply.
TEST_F(HandEngine, LateReplyToARequestGivenUpOnIsNotTakenForTheNext)
{
    EngineLink first;
    Start("late:4000", first, 1000);
    const Reply abandoned = Send(first, ENG_COUNT, "first");
    ASSERT_EQ(abandoned.result, ENG_NOT_DELIVERED);
    EngineLink next;
    Connect(next, 15000);
    const Reply reply = Send(next, ENG_READ, "second");
    EXPECT_EQ(reply.result, ENG_READ);
    EXPECT_EQ(reply.title, "answer to second");
}

}  // namespace
