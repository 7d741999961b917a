// The program's commands to the real engine through KsClient: what each command gives, the expected-code
// rule and its boxes, the result texts, the longest texts, a walk beside an open record, a second engine,
// an idle engine's processor use, and the round-trip cost.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_client.h"
#include "engine/link_protocol.h"
#include "engine/engine_link.h"
#include "engine/record_batch.h"
#include "tests/engine_link/link_test_support.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace std::chrono_literals;

using ks_test::Shown;
using ks_test::Texts;

Texts Sample(int i)
{
    const std::string n = std::to_string(i);
    return {"file" + n + ".zip", "01/0" + n + "/97", "Title " + n, "key" + n, "C:\\Store" + n, "Abstract of " + n};
}

// Each test talks to an engine of its own, on an empty table, through a client that found it running.
class EngineProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks_test::WaitForNoEngine(10s)) << "an engine from elsewhere is running";
        ASSERT_TRUE(m_engine.Start());
        m_client = std::make_unique<KsClient>();
        ASSERT_TRUE(m_client->LinkReady());
    }
    void TearDown() override
    {
        // The client's end sends ENG_SHUTDOWN; the engine then ends by itself.
        const bool linkUp = m_client && m_client->LinkReady();
        m_client.reset();
        if (linkUp) {
            EXPECT_EQ(m_engine.Proc().WaitForExit(10s), 0u);
        }
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    std::int32_t Send(std::int32_t command, std::int32_t expected)
    {
        return m_client->SendEngineCommand(command, expected);
    }
    FileRecord& Buffer() { return m_client->RecordBuffer; }
    std::int32_t Add(const Texts& texts)
    {
        Buffer() = ks_test::RecordWith(texts);
        EXPECT_EQ(Send(ENG_ADD, 0), 0);
        return Buffer().RecordNumber;
    }
    // Boxes shown since the last call, which clears them.
    std::vector<Shown> TakeEvents()
    {
        std::vector<Shown> events = m_ui.Events();
        m_ui.Clear();
        return events;
    }
    void ExpectParadoxError(const char* text)
    {
        const std::vector<Shown> events = TakeEvents();
        ASSERT_EQ(events.size(), 2u) << text;
        EXPECT_EQ(events[0].kind, Shown::Kind::Beep);
        EXPECT_EQ(events[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(events[1].kind, Shown::Kind::Box);
        EXPECT_EQ(events[1].text, text);
        EXPECT_EQ(events[1].caption, "Paradox Error");
        EXPECT_EQ(events[1].icon, static_cast<UINT>(MB_ICONSTOP));
    }

    ks_test::EngineCopy m_engine{"protocol"};
    ks_test::ScriptedUi m_ui;
    std::unique_ptr<KsClient> m_client;
};

TEST_F(EngineProtocol, EveryCommandGivesWhatItsCallersRelyOn)
{
    EXPECT_EQ(Send(ENG_COUNT, 0), 0);
    EXPECT_EQ(Buffer().RecordCount, 0);
    EXPECT_EQ(Send(ENG_FIRST, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);

    std::vector<std::int32_t> numbers;
    for (int i = 1; i <= 3; ++i)
        numbers.push_back(Add(Sample(i)));
    EXPECT_NE(numbers[0], numbers[1]);
    EXPECT_NE(numbers[1], numbers[2]);
    EXPECT_NE(numbers[0], numbers[2]);
    EXPECT_EQ(Send(ENG_COUNT, 0), 0);
    EXPECT_EQ(Buffer().RecordCount, 3);

    // A walk gives each record with its number, then ends silently; ENG_UPDATE_CURRENT rewrites in passing.
    ASSERT_EQ(Send(ENG_FIRST, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(Buffer().RecordNumber, numbers[0]);
    EXPECT_EQ(ks_test::TextsOf(Buffer()), Sample(1));
    SetFieldText(Buffer().Location, "D:\\New Store");
    EXPECT_EQ(Send(ENG_UPDATE_CURRENT, 0), 0);
    for (int i = 2; i <= 3; ++i) {
        ASSERT_EQ(Send(ENG_NEXT, ENG_END_OF_TABLE), 0);
        EXPECT_EQ(Buffer().RecordNumber, numbers[i - 1]);
        EXPECT_EQ(ks_test::TextsOf(Buffer()), Sample(i));
    }
    EXPECT_EQ(Send(ENG_NEXT, ENG_END_OF_TABLE), ENG_END_OF_TABLE);

    Buffer().RecordNumber = numbers[0];
    ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(FieldText(Buffer().Location), "D:\\New Store");
    EXPECT_EQ(FieldText(Buffer().FileName), "file1.zip");

    SetFieldText(Buffer().FileName, "FILE2.ZIP");
    EXPECT_EQ(Send(ENG_FIND_NAME, ENG_RECORD_NOT_FOUND), 0);
    SetFieldText(Buffer().FileName, "free.zip");
    EXPECT_EQ(Send(ENG_FIND_NAME, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);

    // The Record Interface's order: open, look up names, update, delete, close.
    Buffer().RecordNumber = numbers[1];
    ASSERT_EQ(Send(ENG_OPEN, 0), 0);
    EXPECT_EQ(ks_test::TextsOf(Buffer()), Sample(2));
    const FileRecord open = Buffer();
    SetFieldText(Buffer().FileName, "file3.zip");
    EXPECT_EQ(Send(ENG_FIND_NAME_OPEN, ENG_RECORD_NOT_FOUND), 0);
    SetFieldText(Buffer().FileName, "nobody.zip");
    EXPECT_EQ(Send(ENG_FIND_NAME_OPEN, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(Buffer().RecordNumber, open.RecordNumber);
    EXPECT_EQ(std::memcmp(Buffer().DownloadDate, open.DownloadDate, kFileRecordSize - kDownloadDateOffset), 0);
    std::memcpy(Buffer().FileName, open.FileName, kFileNameSize);
    SetFieldText(Buffer().Title, "Changed title");
    EXPECT_EQ(Send(ENG_UPDATE, 0), 0);
    Buffer().RecordNumber = numbers[1];
    ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(FieldText(Buffer().Title), "Changed title");
    EXPECT_EQ(Send(ENG_DELETE, 0), 0);
    Buffer().RecordNumber = numbers[1];
    EXPECT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);
    EXPECT_EQ(Send(ENG_CLOSE, 0), 0);
    EXPECT_EQ(Send(ENG_COUNT, 0), 0);
    EXPECT_EQ(Buffer().RecordCount, 2);
    EXPECT_TRUE(TakeEvents().empty());

    // No version-1 table files lie beside the engine: the import fails with a box.
    EXPECT_EQ(Send(ENG_IMPORT_V1, 0), 120);
    ExpectParadoxError("Table was not found");
}

TEST_F(EngineProtocol, OnlyResultsOtherThanZeroAndTheExpectedCodeShowABox)
{
    Add(Sample(1));
    // Zero is silent whatever was expected.
    for (const std::int32_t expected : {0, ENG_RECORD_NOT_FOUND, ENG_END_OF_TABLE})
        EXPECT_EQ(Send(ENG_COUNT, expected), 0);
    EXPECT_TRUE(TakeEvents().empty());

    // 89 and 101 are silent only when expected; the reply leaves the buffer as it was sent.
    Buffer().RecordNumber = 4711;
    SetFieldText(Buffer().Title, "kept");
    const FileRecord sent = Buffer();
    EXPECT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(Send(ENG_OPEN, 0), ENG_RECORD_NOT_FOUND);
    ExpectParadoxError("Record was not found");
    EXPECT_EQ(std::memcmp(&Buffer(), &sent, kFileRecordSize), 0);
    EXPECT_EQ(Send(ENG_CLOSE, 0), 0);

    ASSERT_EQ(Send(ENG_FIRST, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(Send(ENG_NEXT, ENG_END_OF_TABLE), ENG_END_OF_TABLE);
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(Send(ENG_NEXT, ENG_RECORD_NOT_FOUND), ENG_END_OF_TABLE);
    ExpectParadoxError("End of table");

    // Any other code is shown with its text.
    EXPECT_EQ(Send(ENG_UPDATE, 0), 104);
    ExpectParadoxError("Invalid record handle");
}

TEST(EngineErrorText, GivesTheTableTextOrTheRuleForCodesOutsideIt)
{
    EXPECT_STREQ(EngineErrorText(0), "No error");
    EXPECT_STREQ(EngineErrorText(11), "Sharing violation");
    EXPECT_STREQ(EngineErrorText(89), "Record was not found");
    EXPECT_STREQ(EngineErrorText(134), "Can't share Paradox net file -- is SHARE.EXE loaded?");
    EXPECT_STREQ(EngineErrorText(137), "Timed out trying to get a lock");
    EXPECT_STREQ(EngineErrorText(203), "Internal error no: 203");
    EXPECT_STREQ(EngineErrorText(200), "Internal error no: 200");
    EXPECT_STREQ(EngineErrorText(250), "Internal error no: 250");
    for (const std::int32_t code : {17, 123, 138, 150, 199, 251, -1, -203, INT_MIN, INT_MAX})
        EXPECT_STREQ(EngineErrorText(code), "Undefined errorcode") << code;
    // One buffer, overwritten by the next call.
    const char* first = EngineErrorText(1);
    EXPECT_EQ(EngineErrorText(2), first);
    EXPECT_STREQ(first, "Directory not found");
}

TEST_F(EngineProtocol, LongestTextsComeBackByteForByte)
{
    // Every byte value a text may hold, ANSI letters above 127 included, at the longest each field takes.
    auto text = [](std::size_t length, int seed) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i)
            s += static_cast<char>(1 + (i * 7 + seed) % 255);
        return s;
    };
    const Texts longest{text(255, 1), "12/31/1999", text(80, 2), text(80, 3), text(255, 4), text(799, 5)};
    const std::int32_t number = Add(longest);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&Buffer());
    EXPECT_EQ(bytes[263], 0);
    EXPECT_EQ(std::memcmp(bytes + 8, longest[0].data(), 255), 0);

    std::memset(&Buffer(), 0xCC, kFileRecordSize);
    Buffer().RecordNumber = number;
    ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(ks_test::TextsOf(Buffer()), longest);
    EXPECT_EQ(bytes[263], 0);

    // A name that fills its field without a terminator is kept cut to 255 characters.
    Buffer() = ks_test::RecordWith(Sample(1));
    std::memset(Buffer().FileName, 'n', kFileNameSize);
    ASSERT_EQ(Send(ENG_ADD, 0), 0);
    EXPECT_EQ(FieldText(Buffer().FileName), std::string(255, 'n'));
    EXPECT_EQ(bytes[263], 0);
    EXPECT_EQ(FieldText(Buffer().DownloadDate), Sample(1)[1]);
}

// A search or store running while a Record Interface has its record open saves and restores RecordBuffer;
// afterwards the buffer and the engine's open record are the Record Interface's as before.
TEST_F(EngineProtocol, WalkDuringAnOpenRecordLeavesTheOpenRecordAndTheBufferIntact)
{
    std::vector<std::int32_t> numbers;
    for (int i = 1; i <= 5; ++i)
        numbers.push_back(Add(Sample(i)));
    Buffer().RecordNumber = numbers[2];
    ASSERT_EQ(Send(ENG_OPEN, 0), 0);
    SetFieldText(Buffer().Title, "Edited but not saved");
    const FileRecord recordInterface = Buffer();

    {
        const FileRecord saved = Buffer();
        int walked = 0;
        for (std::int32_t r = Send(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0; r = Send(ENG_NEXT, ENG_END_OF_TABLE))
            ++walked;
        EXPECT_EQ(walked, 5);
        Buffer() = ks_test::RecordWith(Sample(6));
        EXPECT_EQ(Send(ENG_FIND_NAME, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);
        EXPECT_EQ(Send(ENG_ADD, 0), 0);
        Buffer().RecordNumber = numbers[0];
        EXPECT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
        Buffer() = saved;
    }
    EXPECT_EQ(std::memcmp(&Buffer(), &recordInterface, kFileRecordSize), 0);

    // The engine's open record is still the third: the update and the delete land on it.
    EXPECT_EQ(Send(ENG_UPDATE, 0), 0);
    Buffer().RecordNumber = numbers[2];
    ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_EQ(FieldText(Buffer().Title), "Edited but not saved");
    EXPECT_EQ(Send(ENG_DELETE, 0), 0);
    EXPECT_EQ(Send(ENG_CLOSE, 0), 0);
    std::vector<std::int32_t> left;
    for (std::int32_t r = Send(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0; r = Send(ENG_NEXT, ENG_END_OF_TABLE))
        left.push_back(Buffer().RecordNumber);
    EXPECT_EQ(left.size(), 5u);
    EXPECT_EQ(std::count(left.begin(), left.end(), numbers[2]), 0);
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(EngineProtocol, SecondEngineEndsWithoutAWindowAndTheTableStaysLocked)
{
    Add(Sample(1));
    ks_test::Process second = ks_test::Process::Start(m_engine.Dir() + "\\kspdx.exe", "", m_engine.Dir());
    ASSERT_TRUE(second.Started());
    // It says why in its exit code: the table is locked.
    EXPECT_EQ(second.WaitForExit(10s), kslink::TableRefusedExit(119));
    EXPECT_EQ(ks_test::CountEngineWindows(), 1);

    // No other process may open the table, not even to read it.
    HANDLE table = CreateFileA(m_engine.TablePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(table, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (table != INVALID_HANDLE_VALUE)
        CloseHandle(table);

    EXPECT_EQ(Send(ENG_COUNT, 0), 0);
    EXPECT_EQ(Buffer().RecordCount, 1);
}

// The engine gone under a running program: the next command says so once, asks the program to end with -1 and
// gives 203 with the buffer as the caller filled it; no "Paradox Error" box, and nothing more is sent or shown.
TEST_F(EngineProtocol, KilledEngineGivesEngineOfflineOnceAndAsksToQuitWithMinusOne)
{
    Add(Sample(1));
    m_engine.Proc().Kill();
    Buffer() = ks_test::RecordWith(Sample(2));
    Buffer().RecordNumber = 99;
    const FileRecord filled = Buffer();
    EXPECT_EQ(Send(ENG_ADD, 0), ENG_NOT_DELIVERED);
    EXPECT_EQ(std::memcmp(&Buffer(), &filled, kFileRecordSize), 0);
    const std::vector<Shown> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Shown::Kind::Box);
    EXPECT_EQ(events[0].text, "Could not send data to Engine Interface.");
    EXPECT_EQ(events[0].caption, "Engine Offline");
    EXPECT_EQ(events[0].icon, static_cast<UINT>(MB_ICONWARNING));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<int>(quit.wParam), -1);

    EXPECT_EQ(Send(ENG_COUNT, 0), ENG_NOT_DELIVERED);
    m_client.reset();  // its closing ENG_SHUTDOWN is not sent either
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// An engine that ended normally (another link shut it down) is just as gone for the client.
TEST_F(EngineProtocol, EngineThatEndedGivesEngineOfflineToo)
{
    {
        EngineLink other;
        ASSERT_EQ(other.Establish(5000), EngineLink::Start::Ready);
        FileRecord record{};
        ASSERT_EQ(other.Transact(ENG_SHUTDOWN, record), 0);
    }
    ASSERT_EQ(m_engine.Proc().WaitForExit(10s), 0u);
    EXPECT_EQ(Send(ENG_FIRST, ENG_RECORD_NOT_FOUND), ENG_NOT_DELIVERED);
    const std::vector<Shown> boxes = m_ui.Boxes();
    ASSERT_EQ(m_ui.Events().size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Engine Offline");
}

// Every field at its width: a reply's batch area holds about 700 of these.
Texts Widest(int i)
{
    const std::string n = std::to_string(i);
    return {n + std::string(255 - n.size(), 'N'), "12/25/1996", std::string(80, 'T'), std::string(80, 'K'),
            std::string(255, 'L'), n + std::string(799 - n.size(), 'A')};
}

// The records of a batch reply, as texts with their numbers.
std::vector<std::pair<std::int32_t, Texts>> Records(const std::vector<std::uint8_t>& batch)
{
    std::vector<std::pair<std::int32_t, Texts>> records;
    BatchReader reader(batch);
    FileRecord record{};
    while (reader.Next(record))
        records.emplace_back(record.RecordNumber, ks_test::TextsOf(record));
    EXPECT_FALSE(reader.Damaged());
    return records;
}

// A walk a batch at a time gives what ENG_FIRST and ENG_NEXT give, in a few round trips, with each batch asked
// for ahead while the last one is used; a command sent in between is answered as itself, and the shared
// record is neither sent nor changed.
TEST_F(EngineProtocol, BatchesGiveTheWalkAndACommandBetweenThemIsAnsweredAsItself)
{
    constexpr int kRecords = 1500;
    for (int i = 1; i <= kRecords; ++i)
        ASSERT_EQ(Add(Widest(i)), i);
    std::vector<std::pair<std::int32_t, Texts>> walked;
    for (std::int32_t rc = Send(ENG_FIRST, ENG_RECORD_NOT_FOUND); rc == 0; rc = Send(ENG_NEXT, ENG_END_OF_TABLE))
        walked.emplace_back(Buffer().RecordNumber, ks_test::TextsOf(Buffer()));
    ASSERT_EQ(walked.size(), static_cast<std::size_t>(kRecords));

    std::memset(&Buffer(), 0x5A, sizeof(FileRecord));
    const FileRecord held = Buffer();
    std::vector<std::pair<std::int32_t, Texts>> batched;
    std::vector<std::uint8_t> batch;
    int batches = 0;
    for (std::int32_t after = 0;;) {
        const std::int32_t rc = m_client->SendEngineBatch(after, 0, batch, 0);
        if (rc == ENG_END_OF_TABLE)
            break;
        ASSERT_EQ(rc, 0);
        ++batches;
        const auto records = Records(batch);
        ASSERT_FALSE(records.empty());
        batched.insert(batched.end(), records.begin(), records.end());
        after = records.back().first;
        if (batches == 1) {
            // The next batch is on its way: this read must get its own answer, and the walk still goes on.
            Buffer().RecordNumber = 1000;
            ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
            EXPECT_EQ(ks_test::TextsOf(Buffer()), Widest(1000));
            Buffer() = held;
        }
    }
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(batched, walked);
    EXPECT_GE(batches, 3);
    EXPECT_LE(batches, 4);
    EXPECT_EQ(std::memcmp(&Buffer(), &held, sizeof held), 0);
    EXPECT_TRUE(TakeEvents().empty());

    // At most as many as asked for, from the number given on.
    ASSERT_EQ(m_client->SendEngineBatch(0, 10, batch), 0);
    EXPECT_EQ(Records(batch), std::vector(walked.begin(), walked.begin() + 10));
    ASSERT_EQ(m_client->SendEngineBatch(1498, 5, batch), 0);
    EXPECT_EQ(Records(batch), std::vector(walked.end() - 2, walked.end()));
    EXPECT_TRUE(TakeEvents().empty());
}

// An engine killed while a batch was asked for ahead: the next batch gives "Engine Offline" once, no wait.
TEST_F(EngineProtocol, KilledEngineWithABatchOnItsWayGivesEngineOffline)
{
    for (int i = 1; i <= 40; ++i)
        Add(Sample(i % 9));
    std::vector<std::uint8_t> batch;
    ASSERT_EQ(m_client->SendEngineBatch(0, 10, batch, 10), 0);
    m_engine.Proc().Kill();
    EXPECT_EQ(m_client->SendEngineBatch(10, 10, batch, 10), ENG_NOT_DELIVERED);
    EXPECT_TRUE(batch.empty());
    const std::vector<Shown> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].caption, "Engine Offline");
    EXPECT_EQ(m_client->SendEngineBatch(10, 10, batch, 10), ENG_NOT_DELIVERED);
    EXPECT_TRUE(TakeEvents().empty());
}

// An engine between commands sleeps: it uses no processor time. The same measure shows time during work.
TEST_F(EngineProtocol, IdleEngineUsesNoProcessorTimeAndRoundTripsAreFast)
{
    const std::uint64_t busyBefore = m_engine.Proc().CpuTime();
    for (int i = 1; i <= 200; ++i)
        Add(Sample(i));
    const int trips = 20000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < trips; ++i) {
        Buffer().RecordNumber = 1 + i % 200;
        ASSERT_EQ(Send(ENG_READ, ENG_RECORD_NOT_FOUND), 0);
    }
    const double readUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / trips;
    const auto walkStart = std::chrono::steady_clock::now();
    int walked = 0;
    for (std::int32_t r = Send(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0; r = Send(ENG_NEXT, ENG_END_OF_TABLE))
        ++walked;
    const double walkUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - walkStart).count() / walked;
    const std::uint64_t busy = m_engine.Proc().CpuTime() - busyBefore;
    EXPECT_GT(busy, 0u) << "the processor-time measure sees nothing";

    // Let the engine's short spin after the last reply run out, then watch it idle.
    Sleep(500);
    const std::uint64_t idleBefore = m_engine.Proc().CpuTime();
    Sleep(3000);
    const std::uint64_t idle = m_engine.Proc().CpuTime() - idleBefore;
    // The measure counts in ticks of 10 ms; an engine that kept spinning would show about 3 s.
    EXPECT_LE(idle, 300000u) << "100 ns units in 3 s of idling";

    std::printf("[ figures  ] ENG_READ round trip %.1f us, walk %.1f us per record, engine busy %.1f ms, idle %.1f ms "
                "in 3 s\n",
                readUs, walkUs, busy / 1e4, idle / 1e4);
    RecordProperty("read_round_trip_us", std::to_string(readUs));
    EXPECT_LT(readUs, 2000.0);
}

}  // namespace
