// The table stays small: compaction when the log holds much more than its live records, what it keeps, a cut
// at every byte of one, refused compactions; and the records in memory against a plain model.
#include "kspdx/engine_results.h"
#include "kspdx/table_log.h"
#include "tests/engine_core/engine_test_support.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace kspdx;
using Bytes = std::vector<std::uint8_t>;

// An engine whose folder is in memory too, compacting at small sizes.
class CompactionTest : public EngineTest {
protected:
    CompactionTest() { compacting = true; }
    // Renames records in turn until a compaction has put a new table in place; returns the table then.
    std::vector<std::string> EditUntilCompacted()
    {
        const int before = site->replaced;
        for (int i = 0; i < 1000 && site->replaced == before; ++i)
            EXPECT_EQ(Rename(1 + i % 4, "EDIT" + std::to_string(i) + ".ZIP"), 0);
        EXPECT_GT(site->replaced, before);
        return Table(*engine);
    }
};

// What an engine without a folder (one that never compacts) reads from bytes.
std::vector<std::string> TableOf(const Bytes& bytes)
{
    EngineCore reader;
    EXPECT_EQ(reader.Open(std::make_unique<MemoryTableFile>(MemoryDisk::Holding(bytes))), 0);
    return Table(reader);
}

TEST_F(CompactionTest, ALogOfManyEditsIsRewrittenToItsLiveRecordsAndKeepsEverything)
{
    AddFiles(10);
    // The highest number is gone: the compacted table must still not give it again.
    ASSERT_EQ(Delete(10), 0);
    ASSERT_EQ(Delete(4), 0);
    for (int round = 1; round <= 10; ++round)
        for (int32_t number : {1, 2, 3, 5, 6, 7, 8, 9}) {
            ASSERT_EQ(Rename(number, "R" + std::to_string(round) + "-" + std::to_string(number) + ".ZIP"), 0);
            // Never much more than twice what the live records take, every change on the disk as it is made.
            ASSERT_LE(disk->bytes.size(), 2 * engine->CompactSize() + kMaxEntrySize) << round;
            ASSERT_EQ(disk->durable, disk->bytes);
        }
    EXPECT_GE(engine->Compactions(), 3);
    const auto table = Table(*engine);
    ASSERT_EQ(table.size(), 8u);
    EXPECT_EQ(table[3], Line(5, "R10-5.ZIP"));
    EXPECT_EQ(TableOf(disk->durable), table);

    // Restarted on the compacted table: the same records and names, the next number above the highest given.
    ASSERT_EQ(Restart(), 0);
    EXPECT_EQ(Table(*engine), table);
    EXPECT_EQ(Add("NEXT.ZIP"), 11);
    EXPECT_EQ(FindName("r10-9.zip"), 0);
    EXPECT_EQ(FindName("FILE9.ZIP"), ENG_RECORD_NOT_FOUND);
}

TEST_F(CompactionTest, TheWalkAndTheOpenRecordGoOnAcrossACompaction)
{
    AddFiles(6);
    ASSERT_EQ(Open(5), 0);
    FileRecord walk{};
    ASSERT_EQ(Run(ENG_FIRST, walk), 0);
    // The conversion's way of editing, while a Record Interface holds record 5 open.
    std::string location;
    for (int i = 0; site->replaced < 2 && i < 1000; ++i) {
        location = "D:\\STORE" + std::to_string(i);
        SetFieldText(walk.Location, location);
        ASSERT_EQ(Run(ENG_UPDATE_CURRENT, walk), 0);
    }
    ASSERT_EQ(site->replaced, 2);
    ASSERT_EQ(Run(ENG_NEXT, walk), 0);
    EXPECT_EQ(walk.RecordNumber, 2);
    FileRecord open = MakeRecord("OPEN.ZIP");
    EXPECT_EQ(Run(ENG_UPDATE, open), 0);
    EXPECT_EQ(open.RecordNumber, 5);
    ASSERT_EQ(Restart(), 0);
    const auto table = Table(*engine);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_NE(table[0].find("|" + location + "|"), std::string::npos) << table[0];
    EXPECT_EQ(table[4], Line(5, "OPEN.ZIP"));
}

TEST_F(CompactionTest, ACutAtEveryByteOfACompactionLosesNothingAcknowledged)
{
    AddFiles(6);
    ASSERT_EQ(Delete(6), 0);
    const auto table = EditUntilCompacted();
    // The change that set the compaction off was on the old table before the new one was begun.
    const Bytes old = site->tableAtCompaction;
    ASSERT_EQ(TableOf(old), table);
    const Bytes fresh = disk->durable;
    ASSERT_EQ(fresh, disk->bytes) << "the new table was put in place before it was all flushed";
    ASSERT_LT(fresh.size(), old.size());

    // A crash while the new table was being written: the old one is whole under the table's name, and the
    // engine started on it compacts it again, over whatever was left beside it.
    for (std::size_t cut = 0; cut <= fresh.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        disk = MemoryDisk::Holding(old);
        ASSERT_EQ(Restart(), 0);
        ASSERT_EQ(Table(*engine), table);
        ASSERT_EQ(site->replaced, 1);
        ASSERT_EQ(disk->bytes, fresh);
        EXPECT_EQ(Add("NEXT.ZIP"), 7);
    }
    // A crash just after the new table took the old one's place.
    disk = MemoryDisk::Holding(fresh);
    ASSERT_EQ(Restart(), 0);
    EXPECT_EQ(Table(*engine), table);
    EXPECT_EQ(site->replaced, 0);
    EXPECT_EQ(Add("NEXT.ZIP"), 7);
}

TEST_F(CompactionTest, ARefusedCompactionLeavesTheTableAsItWasAndIsTriedAgainLater)
{
    struct Case {
        const char* what;
        std::function<void(MemorySite&)> arm;
    };
    const Case cases[] = {
        {"no file beside the table", [](MemorySite& s) { s.createFails = true; }},
        {"disk full while writing it",
         [](MemorySite& s) {
             s.besideFailure = IoStatus::kDiskFull;
             s.besideFailsAfter = 40;
         }},
        {"the new file cannot replace the old", [](MemorySite& s) { s.replaceFails = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disk = std::make_shared<MemoryDisk>();
        ASSERT_EQ(Restart(), 0);
        for (int i = 1; i <= 4; ++i)
            Add("FILE" + std::to_string(i) + ".ZIP");
        c.arm(*site);
        for (int i = 0; i < 1000 && site->attempts == 0; ++i)
            ASSERT_EQ(Rename(1 + i % 4, "EDIT" + std::to_string(i) + ".ZIP"), 0);
        // The change that set the attempt off is acknowledged and kept; nothing else changed.
        ASSERT_EQ(site->attempts, 1);
        EXPECT_EQ(site->replaced, 0);
        EXPECT_EQ(engine->Compactions(), 0);
        EXPECT_EQ(site->beside, nullptr) << "the half-made file stays behind";
        const auto table = Table(*engine);
        EXPECT_EQ(TableOf(disk->durable), table);
        EXPECT_EQ(disk->durable, disk->bytes);
        // Not tried again at the very next change, but once the file has grown further.
        site->createFails = site->replaceFails = false;
        ASSERT_EQ(Rename(2, "ONE-MORE.ZIP"), 0);
        EXPECT_EQ(site->attempts, 1);
        const auto now = EditUntilCompacted();
        EXPECT_EQ(engine->Compactions(), 1);
        EXPECT_EQ(TableOf(disk->durable), now);
    }
}

TEST_F(CompactionTest, ATableThatCannotBeOpenedAgainAfterItsCompactionRefusesChangesAndStillAnswers)
{
    AddFiles(4);
    Add("KEPT.ZIP");
    site->reopenFails = true;
    const auto table = EditUntilCompacted();
    FileRecord record = MakeRecord("MORE.ZIP");
    EXPECT_EQ(Run(ENG_ADD, record), kResultFatal);
    // Reads go on from memory.
    EXPECT_EQ(Table(*engine), table);
    EXPECT_EQ(FindName("kept.zip"), 0);
    // The new table did take the old one's place: the next start finds everything.
    EXPECT_EQ(TableOf(disk->durable), table);
}

// On the platform's own files: the new table is written beside the old under the table's name plus
// ".compact", replaces it, and leaves nothing behind; a file left there by a crash changes nothing.
TEST(CompactionOnDisk, TheNewTableTakesTheOldOnesPlaceAndNothingIsLeftBeside)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("ks_compaction_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / kTableFileName).string();
    const std::string beside = path + ".compact";
    std::ofstream(beside, std::ios::binary) << "left by a crash";
    std::vector<std::string> table;
    {
        EngineCore engine;
        engine.SetCompactionLimits(2.0, 0);
        ASSERT_EQ(engine.OpenPath(path), 0);
        for (int i = 1; i <= 5; ++i) {
            FileRecord record = MakeRecord("FILE" + std::to_string(i) + ".ZIP");
            ASSERT_EQ(engine.Execute(ENG_ADD, record), 0);
        }
        for (int i = 0; i < 200 && engine.Compactions() < 2; ++i) {
            FileRecord record{};
            record.RecordNumber = 1 + i % 5;
            ASSERT_EQ(engine.Execute(ENG_OPEN, record), 0);
            record = MakeRecord("EDIT" + std::to_string(i) + ".ZIP");
            ASSERT_EQ(engine.Execute(ENG_UPDATE, record), 0);
            ASSERT_EQ(engine.Execute(ENG_CLOSE, record), 0);
        }
        EXPECT_EQ(engine.Compactions(), 2);
        EXPECT_FALSE(std::filesystem::exists(beside));
        EXPECT_LE(std::filesystem::file_size(path), 2 * engine.CompactSize() + kMaxEntrySize);
        table = Table(engine);
        // The table is held as before: a second engine finds it taken.
        EngineCore second;
        EXPECT_EQ(second.OpenPath(path), kResultTableLocked);
        FileRecord record{};
        EXPECT_EQ(engine.Execute(ENG_SHUTDOWN, record), 0);
    }
    EngineCore again;
    ASSERT_EQ(again.OpenPath(path), 0);
    EXPECT_EQ(Table(again), table);
    FileRecord record{};
    again.Execute(ENG_SHUTDOWN, record);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

// Random adds, renames (to names that collide, in other letter cases) and deletes against a plain model of
// the table: the walk and every name lookup agree with it throughout, across the moves of texts and slots that
// keep memory small.
TEST(RecordsInMemory, AgreeWithAPlainModelThroughManyChanges)
{
    auto disk = std::make_shared<MemoryDisk>();
    disk->keepDurable = false;
    EngineCore engine;
    ASSERT_EQ(engine.Open(std::make_unique<MemoryTableFile>(disk)), 0);
    std::map<int32_t, std::string> model;  // number -> the record as Describe gives it
    std::mt19937 random(20);
    const std::vector<std::string> names = {"a.zip", "B.ZIP", "c.txt", "Readme", "setup.exe", "\xE9t\xE9.doc"};
    auto upper = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    auto someName = [&] {
        std::string name = names[random() % names.size()] + std::to_string(random() % 7);
        for (char& c : name)
            if (random() % 2)
                c = upper(std::string(1, c))[0];
        return name;
    };
    auto record = [&](const std::string& name) {
        FileRecord r = MakeRecord(name);
        SetFieldText(r.Abstract, std::string(700, static_cast<char>('a' + random() % 26)));
        SetFieldText(r.Location, random() % 3 ? "C:\\KESTRUM\\KS_STORE" : "D:\\" + name);
        return r;
    };
    auto check = [&](int step) {
        SCOPED_TRACE("step " + std::to_string(step));
        std::vector<std::pair<int32_t, std::string>> walked;
        FileRecord r{};
        for (int32_t rc = engine.Execute(ENG_FIRST, r); rc == 0; rc = engine.Execute(ENG_NEXT, r))
            walked.emplace_back(r.RecordNumber, Describe(r));
        using Walked = std::vector<std::pair<int32_t, std::string>>;
        ASSERT_EQ(walked, Walked(model.begin(), model.end()));
        for (const std::string& base : names)
            for (int n = 0; n < 7; ++n) {
                // A record's name is what stands between the first two bars of its line.
                const std::string name = upper(base + std::to_string(n));
                const bool there = std::any_of(model.begin(), model.end(), [&](const auto& entry) {
                    const std::size_t bar = entry.second.find('|') + 1;
                    return upper(entry.second.substr(bar, entry.second.find('|', bar) - bar)) == name;
                });
                FileRecord q = MakeRecord(name);
                ASSERT_EQ(engine.Execute(ENG_FIND_NAME, q), there ? 0 : ENG_RECORD_NOT_FOUND) << name;
            }
    };
    auto change = [&](int kind) {
        if (kind == 0 || model.empty()) {
            FileRecord r = record(someName());
            ASSERT_EQ(engine.Execute(ENG_ADD, r), 0);
            model[r.RecordNumber] = Describe(r);
            return;
        }
        auto at = model.begin();
        std::advance(at, static_cast<long>(random() % model.size()));
        FileRecord r{};
        r.RecordNumber = at->first;
        ASSERT_EQ(engine.Execute(ENG_OPEN, r), 0);
        if (kind == 1) {
            r = record(someName());
            ASSERT_EQ(engine.Execute(ENG_UPDATE, r), 0);
            at->second = Describe(r);
        } else {
            ASSERT_EQ(engine.Execute(ENG_DELETE, r), 0);
            model.erase(at);
        }
        ASSERT_EQ(engine.Execute(ENG_CLOSE, r), 0);
    };
    for (int step = 0; step < 4000; ++step) {
        ASSERT_NO_FATAL_FAILURE(change(static_cast<int>(random() % 3)));
        if (step % 97 == 0)
            ASSERT_NO_FATAL_FAILURE(check(step));
    }
    // Many deletes at once: the tombstones are dropped, and the index follows the records' new places.
    for (int i = 0; i < 3000; ++i)
        ASSERT_NO_FATAL_FAILURE(change(0));
    while (model.size() > 200)
        ASSERT_NO_FATAL_FAILURE(change(2));
    ASSERT_NO_FATAL_FAILURE(check(-1));
    for (int step = 0; step < 500; ++step)
        ASSERT_NO_FATAL_FAILURE(change(static_cast<int>(random() % 3)));
    ASSERT_NO_FATAL_FAILURE(check(-2));
}

}  // namespace
