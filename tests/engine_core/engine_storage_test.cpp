// The table on disk: durable changes, refused writes, recovery from a cut or damaged file, the real files.
#include "kspdx/engine_results.h"
#include "kspdx/table_log.h"
#include "tests/engine_core/engine_test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kspdx;
using Bytes = std::vector<std::uint8_t>;

TEST_F(EngineTest, EveryAcknowledgedChangeIsFlushedBeforeTheReply)
{
    const int32_t number = Add("A.TXT");
    Add("B.TXT");
    ASSERT_EQ(Open(number), 0);
    FileRecord buffer = MakeRecord("A2.TXT");
    ASSERT_EQ(Run(ENG_UPDATE, buffer), 0);
    ASSERT_EQ(Run(ENG_DELETE, buffer), 0);
    FileRecord walk{};
    ASSERT_EQ(Run(ENG_FIRST, walk), 0);
    ASSERT_EQ(Run(ENG_UPDATE_CURRENT, walk), 0);
    const auto table = Table(*engine);
    ASSERT_EQ(RestartAfterPowerCut(), 0);
    EXPECT_EQ(Table(*engine), table);
    EXPECT_EQ(Add("C.TXT"), 3);
}

TEST_F(EngineTest, RefusedWritesChangeNothingInMemoryOrOnDisk)
{
    Add("A.TXT");
    Add("B.TXT");
    struct Failure {
        const char* what;
        std::function<void(MemoryDisk&)> arm;
        int32_t result;
    };
    const Failure failures[] = {
        {"disk full after part of the entry",
         [](MemoryDisk& d) {
             d.appendFailure = IoStatus::kDiskFull;
             d.partialBytes = 20;
         },
         kResultDiskFull},
        {"write error", [](MemoryDisk& d) { d.appendFailure = IoStatus::kFailed; }, kResultSystemError},
        {"flush error", [](MemoryDisk& d) { d.flushFailure = IoStatus::kFailed; }, kResultSystemError},
    };
    const std::pair<const char*, std::function<int32_t()>> changes[] = {
        {"add",
         [&] {
             FileRecord record = MakeRecord("C.TXT");
             return Run(ENG_ADD, record);
         }},
        {"update",
         [&] {
             FileRecord record = MakeRecord("A2.TXT");
             return Open(1) == 0 ? Run(ENG_UPDATE, record) : -1;
         }},
        {"update current",
         [&] {
             FileRecord record{};
             EXPECT_EQ(Run(ENG_FIRST, record), 0);
             SetFieldText(record.Title, "changed");
             return Run(ENG_UPDATE_CURRENT, record);
         }},
        {"delete",
         [&] {
             FileRecord record{};
             return Open(2) == 0 ? Run(ENG_DELETE, record) : -1;
         }},
    };
    const std::vector<std::string> table = {Line(1, "A.TXT"), Line(2, "B.TXT")};
    for (const Failure& failure : failures) {
        for (const auto& [what, change] : changes) {
            SCOPED_TRACE(std::string(failure.what) + ", " + what);
            const Bytes before = disk->bytes;
            failure.arm(*disk);
            EXPECT_EQ(change(), failure.result);
            disk->appendFailure.reset();
            disk->flushFailure.reset();
            EXPECT_EQ(disk->bytes, before);
            EXPECT_EQ(Table(*engine), table);
            EXPECT_EQ(FindName("C.TXT"), ENG_RECORD_NOT_FOUND);
            EXPECT_EQ(FindName("A.TXT"), 0);
            ASSERT_EQ(Restart(), 0);
            EXPECT_EQ(Table(*engine), table);
        }
    }
    EXPECT_EQ(Add("C.TXT"), 3);
}

TEST_F(EngineTest, AChangeThatCannotBeTakenBackStopsFurtherChanges)
{
    Add("A.TXT");
    disk->flushFailure = IoStatus::kFailed;
    disk->truncateFails = true;
    FileRecord refused = MakeRecord("B.TXT");
    EXPECT_EQ(Run(ENG_ADD, refused), kResultSystemError);
    disk->flushFailure.reset();
    disk->truncateFails = false;
    FileRecord record = MakeRecord("C.TXT");
    EXPECT_EQ(Run(ENG_ADD, record), kResultFatal);
    // Reading goes on from what was acknowledged.
    EXPECT_EQ(Table(*engine), std::vector<std::string>{Line(1, "A.TXT")});
    ASSERT_EQ(RestartAfterPowerCut(), 0);
    EXPECT_EQ(Table(*engine), std::vector<std::string>{Line(1, "A.TXT")});
}

// A history of changes of every kind, with the file size and table after each acknowledged one.
struct Step {
    std::uint64_t end;
    std::vector<std::string> table;
    int32_t highest;
};

class HistoryTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        steps.push_back({disk->bytes.size(), {}, 0});
        int32_t highest = 0;
        auto done = [&] { steps.push_back({disk->bytes.size(), Table(*engine), highest}); };
        auto change = [&](int32_t number, const std::string& name, bool remove) {
            ASSERT_EQ(Open(number), 0);
            FileRecord buffer = MakeRecord(name);
            ASSERT_EQ(Run(remove ? ENG_DELETE : ENG_UPDATE, buffer), 0);
            ASSERT_EQ(Run(ENG_CLOSE, buffer), 0);
            done();
        };
        for (int i = 1; i <= 8; ++i) {
            highest = Add(std::string(static_cast<std::size_t>(i * 7), static_cast<char>('A' + i)));
            done();
        }
        change(2, "RENAMED.TXT", false);
        change(5, "", false);
        change(3, "", true);
        change(8, "", true);  // the highest number
        FileRecord walk{};
        ASSERT_EQ(Run(ENG_FIRST, walk), 0);
        ASSERT_EQ(Run(ENG_NEXT, walk), 0);
        SetFieldText(walk.Location, "D:\\MOVED");
        ASSERT_EQ(Run(ENG_UPDATE_CURRENT, walk), 0);
        done();
        highest = Add("AFTER.TXT");
        done();
        change(1, "", true);
        change(9, "LAST.TXT", false);
        for (int i = 0; i < 4; ++i) {
            highest = Add("MORE" + std::to_string(i));
            done();
        }
        change(10, "", true);
        change(4, std::string(255, 'Z'), false);
        ASSERT_EQ(steps.size(), 23u);
        history = disk->bytes;
    }

    // The last step whose entry lies wholly before size bytes.
    const Step& StepAt(std::uint64_t size) const
    {
        const Step* last = &steps.front();
        for (const Step& step : steps)
            if (step.end <= size)
                last = &step;
        return *last;
    }

    std::vector<Step> steps;
    Bytes history;
};

// Opens an engine on bytes through makeFile, checks it recovered exactly the state after step, then that an add
// after the recovery is reachable after another restart. readBack gives the file's bytes between engines.
void CheckRecovery(const Bytes& bytes, const Step& step, const std::function<std::unique_ptr<TableFile>()>& makeFile,
                   const std::function<Bytes()>& readBack, const std::string& where)
{
    SCOPED_TRACE(where);
    {
        EngineCore engine;
        ASSERT_EQ(engine.Open(makeFile()), 0);
        EXPECT_EQ(engine.DroppedBytes(), bytes.size() < kHeaderSize ? bytes.size() : bytes.size() - step.end);
        ASSERT_EQ(Table(engine), step.table);
        FileRecord record = MakeRecord("NEW.TXT");
        ASSERT_EQ(engine.Execute(ENG_ADD, record), 0);
        EXPECT_EQ(record.RecordNumber, step.highest + 1);
    }
    const Bytes after = readBack();
    const auto kept = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(step.end, bytes.size()));
    ASSERT_GE(after.size(), static_cast<std::size_t>(kept));
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + kept, bytes.begin()));
    EngineCore engine;
    ASSERT_EQ(engine.Open(makeFile()), 0);
    auto expected = step.table;
    expected.push_back(Line(step.highest + 1, "NEW.TXT"));
    EXPECT_EQ(Table(engine), expected);
}

TEST_F(HistoryTest, CutAtEveryByteRecoversTheLastWholeChange)
{
    for (std::size_t cut = 0; cut <= history.size(); ++cut) {
        const Bytes bytes(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(cut));
        auto cutDisk = MemoryDisk::Holding(bytes);
        CheckRecovery(
            bytes, StepAt(cut), [&] { return std::make_unique<MemoryTableFile>(cutDisk); },
            [&] { return cutDisk->bytes; }, "cut at " + std::to_string(cut));
        if (HasFatalFailure())
            return;
    }
}

TEST_F(HistoryTest, FlippedByteInTheLastEntryDropsOnlyThatChange)
{
    for (std::size_t k = 1; k < steps.size(); ++k) {
        for (std::uint64_t at = steps[k - 1].end; at < steps[k].end; ++at) {
            Bytes bytes(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(steps[k].end));
            bytes[at] ^= 0x5A;
            auto damaged = MemoryDisk::Holding(bytes);
            CheckRecovery(
                bytes, steps[k - 1], [&] { return std::make_unique<MemoryTableFile>(damaged); },
                [&] { return damaged->bytes; }, "entry " + std::to_string(k) + " byte " + std::to_string(at));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(HistoryTest, DamageBeforeTheLastEntryIsRefusedNotCut)
{
    for (std::uint64_t at = kHeaderSize; at < steps[steps.size() - 2].end; ++at) {
        Bytes bytes = history;
        bytes[at] ^= 0x01;
        auto damaged = MemoryDisk::Holding(bytes);
        EngineCore engine;
        ASSERT_EQ(engine.Open(std::make_unique<MemoryTableFile>(damaged)), kResultTableCorrupted) << at;
        ASSERT_EQ(damaged->bytes, bytes) << at;
    }
}

TEST(TableLog, HeaderDecidesWhetherTheFileIsOurs)
{
    const auto header = EncodeHeader();
    struct Case {
        const char* what;
        Bytes bytes;
        int32_t result;
    };
    Bytes newer(header.begin(), header.end());
    newer[8] = 2;
    const std::uint32_t crc = Crc32(std::span(newer).first(12));
    for (int i = 0; i < 4; ++i)
        newer[12 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    Bytes foreign(header.begin(), header.end());
    foreign[0] = 'X';
    const Case cases[] = {
        {"empty", {}, 0},
        {"torn while created", Bytes(header.begin(), header.begin() + 5), 0},
        {"short and foreign", Bytes{'M', 'Z'}, kResultTableCorrupted},
        {"foreign", foreign, kResultTableCorrupted},
        {"newer version", newer, kResultUnknownVersion},
    };
    for (const Case& c : cases) {
        auto disk = MemoryDisk::Holding(c.bytes);
        EngineCore engine;
        EXPECT_EQ(engine.Open(std::make_unique<MemoryTableFile>(disk)), c.result) << c.what;
        if (c.result == 0)
            EXPECT_EQ(disk->durable, Bytes(header.begin(), header.end())) << c.what;
        else
            EXPECT_EQ(disk->bytes, c.bytes) << c.what;
    }
}

TEST(TableLog, SoundEntriesThatMakeNoSenseAreRefused)
{
    const auto header = EncodeHeader();
    const RecordTexts texts{"A.TXT", "", "", "", "", ""};
    struct Case {
        const char* what;
        std::function<void(EntryBuilder&, Bytes&)> write;
        int32_t result;
    };
    auto append = [](Bytes& bytes, std::span<const std::uint8_t> entry) {
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    };
    const Case cases[] = {
        {"delete of an unknown record", [&](EntryBuilder& e, Bytes& b) { append(b, e.Delete(1)); },
         kResultTableCorrupted},
        {"update of a deleted record",
         [&](EntryBuilder& e, Bytes& b) {
             append(b, e.Put(2, texts));
             append(b, e.Delete(2));
             append(b, e.Put(2, texts));
         },
         kResultTableCorrupted},
        {"record number zero", [&](EntryBuilder& e, Bytes& b) { append(b, e.Put(0, texts)); },
         kResultTableCorrupted},
        {"numbers may leave gaps", [&](EntryBuilder& e, Bytes& b) { append(b, e.Put(5, texts)); }, 0},
    };
    for (const Case& c : cases) {
        Bytes bytes(header.begin(), header.end());
        EntryBuilder builder;
        c.write(builder, bytes);
        EngineCore engine;
        EXPECT_EQ(engine.Open(std::make_unique<MemoryTableFile>(MemoryDisk::Holding(bytes))), c.result) << c.what;
    }
}

TEST(TableLog, AddRefusesOnceRecordNumbersRunOut)
{
    const auto header = EncodeHeader();
    Bytes bytes(header.begin(), header.end());
    EntryBuilder builder;
    const auto entry = builder.Put(std::numeric_limits<int32_t>::max(), RecordTexts{"LAST", "", "", "", "", ""});
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    EngineCore engine;
    ASSERT_EQ(engine.Open(std::make_unique<MemoryTableFile>(MemoryDisk::Holding(bytes))), 0);
    FileRecord record = MakeRecord("MORE.TXT");
    EXPECT_EQ(engine.Execute(ENG_ADD, record), kResultTableFull);
}

// The platform's own file, in a directory of its own.
class RealFileTest : public HistoryTest {
protected:
    void SetUp() override
    {
        HistoryTest::SetUp();
        static std::atomic<int> serial{0};
        dir = std::filesystem::temp_directory_path() /
              ("ks_engine_core_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
               "_" + std::to_string(serial++));
        std::filesystem::create_directories(dir);
        path = (dir / kTableFileName).string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::unique_ptr<TableFile> OpenReal()
    {
        IoStatus status = IoStatus::kFailed;
        auto file = OpenTableFile(path, status);
        EXPECT_EQ(status, IoStatus::kOk);
        return file;
    }
    void Write(const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes ReadBack()
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
    std::string path;
};

TEST_F(RealFileTest, TableIsHeldByOneEngineOnly)
{
    auto first = std::make_unique<EngineCore>();
    ASSERT_EQ(first->OpenPath(path), 0);
    IoStatus status = IoStatus::kOk;
    EXPECT_FALSE(OpenTableFile(path, status));
    EXPECT_EQ(status, IoStatus::kLocked);
    EngineCore second;
    EXPECT_EQ(second.OpenPath(path), kResultTableLocked);
    FileRecord record{};
    EXPECT_EQ(first->Execute(ENG_SHUTDOWN, record), 0);
    EXPECT_EQ(second.OpenPath(path), 0);
}

TEST_F(RealFileTest, CutAtEveryByteRecoversTheLastWholeChange)
{
    for (std::size_t cut = 0; cut <= history.size(); ++cut) {
        const Bytes bytes(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(cut));
        Write(bytes);
        CheckRecovery(
            bytes, StepAt(cut), [&] { return OpenReal(); }, [&] { return ReadBack(); },
            "cut at " + std::to_string(cut));
        if (HasFatalFailure())
            return;
    }
}

TEST_F(RealFileTest, RecordsSurviveARestart)
{
    {
        EngineCore engine;
        ASSERT_EQ(engine.Open(OpenReal()), 0);
        for (int i = 0; i < 50; ++i) {
            FileRecord record = MakeRecord("FILE" + std::to_string(i) + ".ZIP");
            ASSERT_EQ(engine.Execute(ENG_ADD, record), 0);
        }
        FileRecord record{};
        EXPECT_EQ(engine.Execute(ENG_SHUTDOWN, record), 0);
    }
    EngineCore engine;
    ASSERT_EQ(engine.Open(OpenReal()), 0);
    const auto table = Table(engine);
    ASSERT_EQ(table.size(), 50u);
    EXPECT_EQ(table[49], Line(50, "FILE49.ZIP"));
    // Texts are kept without their undefined tails: these records take about 125 bytes, not 1493.
    EXPECT_LT(ReadBack().size(), 50u * 200u);
}

}  // namespace
