// The engine killed at random moments during a stream of adds, updates and deletes: after each restart the
// table holds every change that was acknowledged, and the one in flight either whole or not at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "engine/engine_link.h"
#include "tests/engine_link/link_test_support.h"

namespace {

using namespace std::chrono_literals;

using ks_test::Texts;
using Table = std::map<std::int32_t, Texts>;

// The change that was sent when the engine died: the table may show it or not.
struct InFlight {
    enum class Kind { None, Add, Update, Delete };
    Kind kind = Kind::None;
    std::int32_t number = 0;
    Texts texts;
};

bool Matches(const Table& walked, const Table& model, const InFlight& change)
{
    if (walked == model)
        return true;
    Table after = model;
    switch (change.kind) {
    case InFlight::Kind::None:
        return false;
    case InFlight::Kind::Update:
        after[change.number] = change.texts;
        return walked == after;
    case InFlight::Kind::Delete:
        after.erase(change.number);
        return walked == after;
    case InFlight::Kind::Add:
        // Its number is the engine's choice: one record beyond the model, with the texts sent.
        if (walked.size() != model.size() + 1)
            return false;
        for (const auto& [number, texts] : walked) {
            if (!model.contains(number))
                after[number] = change.texts;
        }
        return walked == after;
    }
    return false;
}

// Every record of the table by a walk; the walk must end as walks end.
Table Walk(EngineLink& link)
{
    Table table;
    FileRecord record{};
    std::int32_t result = link.Transact(ENG_FIRST, record);
    for (; result == 0; result = link.Transact(ENG_NEXT, record)) {
        EXPECT_FALSE(table.contains(record.RecordNumber)) << "number twice in one walk";
        table[record.RecordNumber] = ks_test::TextsOf(record);
    }
    EXPECT_TRUE(result == ENG_RECORD_NOT_FOUND || result == ENG_END_OF_TABLE) << result;
    return table;
}

class ChangeStream {
public:
    explicit ChangeStream(unsigned seed) : m_random(seed) {}

    // Sends one change (with its ENG_OPEN and ENG_CLOSE); updates model once it is acknowledged. Returns 0, or
    // 203 when the engine was gone, with pending telling what may have happened.
    std::int32_t Next(EngineLink& link, Table& model, InFlight& pending)
    {
        pending = {};
        const int pick = Uniform(0, 9);
        if (model.empty() || pick < 5)
            return Add(link, model, pending);
        auto it = model.begin();
        std::advance(it, Uniform(0, static_cast<int>(model.size()) - 1));
        const std::int32_t number = it->first;

        FileRecord record{};
        record.RecordNumber = number;
        if (const std::int32_t result = link.Transact(ENG_OPEN, record); result != 0)
            return Checked(result);
        EXPECT_EQ(ks_test::TextsOf(record), model[number]);
        if (pick < 8) {
            pending = {InFlight::Kind::Update, number, RandomTexts()};
            record = ks_test::RecordWith(pending.texts);
            record.RecordNumber = number;
            if (const std::int32_t result = link.Transact(ENG_UPDATE, record); result != 0)
                return Checked(result);
            model[number] = pending.texts;
        } else {
            pending = {InFlight::Kind::Delete, number, {}};
            if (const std::int32_t result = link.Transact(ENG_DELETE, record); result != 0)
                return Checked(result);
            model.erase(number);
        }
        pending = {};
        return Checked(link.Transact(ENG_CLOSE, record));
    }

private:
    std::int32_t Add(EngineLink& link, Table& model, InFlight& pending)
    {
        pending = {InFlight::Kind::Add, 0, RandomTexts()};
        FileRecord record = ks_test::RecordWith(pending.texts);
        record.RecordNumber = -1;
        if (const std::int32_t result = link.Transact(ENG_ADD, record); result != 0)
            return Checked(result);
        EXPECT_FALSE(model.contains(record.RecordNumber)) << record.RecordNumber;
        EXPECT_EQ(ks_test::TextsOf(record), pending.texts);
        model[record.RecordNumber] = pending.texts;
        pending = {};
        return 0;
    }
    static std::int32_t Checked(std::int32_t result)
    {
        EXPECT_TRUE(result == 0 || result == ENG_NOT_DELIVERED) << result;
        return result;
    }
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    std::string Text(std::size_t field)
    {
        std::string text(static_cast<std::size_t>(Uniform(0, static_cast<int>(kTextFields[field].size) - 1)), ' ');
        for (char& c : text)
            c = static_cast<char>(Uniform(32, 255));
        return text;
    }
    Texts RandomTexts()
    {
        Texts texts;
        for (std::size_t i = 0; i < kTextFieldCount; ++i)
            texts[i] = Text(i);
        texts[0] = "change" + std::to_string(++m_serial) + texts[0].substr(0, 200);
        return texts;
    }

    std::mt19937 m_random;
    int m_serial = 0;
};

TEST(EngineKills, FiftyKillsAtRandomMomentsLoseNoAcknowledgedChange)
{
    ASSERT_TRUE(ks_test::WaitForNoEngine(10s));
    const unsigned seed = static_cast<unsigned>(GetTickCount());
    std::printf("[ seed     ] %u\n", seed);
    ChangeStream stream(seed);
    std::mt19937 moments(seed + 1);
    ks_test::EngineCopy engine("kills");
    Table model;
    InFlight pending;
    int acknowledged = 0, inFlightKept = 0, inFlightLost = 0;
    double slowestNotice = 0;  // seconds from a kill to the 203 of the command it hit
    const auto start = std::chrono::steady_clock::now();

    for (int kill = 0; kill <= 50; ++kill) {
        ASSERT_TRUE(engine.Start()) << "the table did not open after kill " << kill;
        EngineLink link;
        ASSERT_EQ(link.Establish(5000), EngineLink::Start::Ready);
        const Table walked = Walk(link);
        ASSERT_TRUE(Matches(walked, model, pending))
            << "after kill " << kill << ": " << walked.size() << " records, model " << model.size();
        if (pending.kind != InFlight::Kind::None)
            ++(walked == model ? inFlightLost : inFlightKept);
        model = walked;
        if (kill == 50) {
            FileRecord record{};
            EXPECT_EQ(link.Transact(ENG_SHUTDOWN, record), 0);
            break;
        }

        const DWORD delayMs = std::uniform_int_distribution<DWORD>(0, 40)(moments);
        const HANDLE process = engine.Proc().Handle();
        std::atomic<std::chrono::steady_clock::rep> killedAt{0};
        std::jthread killer([process, delayMs, &killedAt] {
            Sleep(delayMs);
            killedAt.store(std::chrono::steady_clock::now().time_since_epoch().count());
            TerminateProcess(process, 1);
        });
        std::int32_t result = 0;
        while ((result = stream.Next(link, model, pending)) == 0)
            ++acknowledged;
        ASSERT_EQ(result, ENG_NOT_DELIVERED);
        const std::chrono::steady_clock::duration noticed =
            std::chrono::steady_clock::now().time_since_epoch() -
            std::chrono::steady_clock::duration(killedAt.load());
        slowestNotice = std::max(slowestNotice, std::chrono::duration<double>(noticed).count());
        EXPECT_FALSE(link.Ready());
        killer.join();
        WaitForSingleObject(process, INFINITE);
    }
    EXPECT_EQ(engine.Proc().WaitForExit(10s), 0u);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ figures  ] 50 kills in %.1f s: %d changes acknowledged, %zu records at the end, change in flight "
                "kept %d times, absent %d times; a kill noticed after %.1f ms at most\n",
                seconds, acknowledged, model.size(), inFlightKept, inFlightLost, slowestNotice * 1000);
    EXPECT_LT(seconds, 90.0);
    // A killed engine is noticed through its process handle, not after the link's hang limit; how soon depends on
    // the machine's load (1.7 s seen with four builds running), so the bound only tells the two apart.
    EXPECT_LT(slowestNotice, 5.0);
}

}  // namespace
