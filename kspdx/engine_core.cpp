// EngineCore: the record commands, the walk and open-record positions, and durable changes.
#include "kspdx/engine_core.h"

#include "kspdx/engine_results.h"


#include <cstdint>
#include <algorithm>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace kspdx {
namespace {

RecordTexts TextsOf(const FileRecord& record)
{
    RecordTexts texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = FieldText(record, kTextFields[i]);
    return texts;
}

}  // namespace

EngineCore::EngineCore(CaseFold fold) : m_store(fold) {}

std::int32_t EngineCore::Open(std::unique_ptr<TableFile> file, std::unique_ptr<TableSite> site)
{
    try {
        const LoadResult loaded = LoadTable(*file, m_store);
        if (loaded.code != 0)
            return loaded.code;
        m_dropped = loaded.droppedBytes;
    } catch (const std::bad_alloc&) {
        return kResultOutOfMemory;
    }
    m_file = std::move(file);
    m_site = std::move(site);
    m_loaded = true;
    // A table written by an engine that did not compact, or replayed with many changes, is made small now.
    CompactWhenLarge();
    return 0;
}

std::int32_t EngineCore::OpenPath(const std::string& path)
{
    IoStatus status = IoStatus::kFailed;
    std::unique_ptr<TableFile> file = OpenTableFile(path, status);
    return file ? Open(std::move(file), OpenTableSite(path)) : ResultFor(status);
}

std::int32_t EngineCore::Execute(std::int32_t command, FileRecord& record)
{
    std::size_t unused = 0;
    return Execute(command, record, {}, unused);
}

std::int32_t EngineCore::Execute(std::int32_t command, FileRecord& record, std::span<std::uint8_t> batchArea,
                                 std::size_t& batchUsed)
{
    batchUsed = 0;
    if (!m_loaded || m_shutDown)
        return kResultNotInitialized;
    try {
        switch (command) {
        case ENG_SHUTDOWN:
            return Shutdown();
        case ENG_IMPORT_V1:
            return ImportVersion1();
        case ENG_COUNT:
            return Count(record);
        case ENG_FIRST:
            return First(record);
        case ENG_NEXT:
            return Next(record);
        case ENG_NEXT_BATCH:
            return NextBatch(record, batchArea, batchUsed);
        case ENG_READ:
            return Read(record);
        case ENG_FIND_NAME:
        case ENG_FIND_NAME_OPEN:
            return FindName(record);
        case ENG_ADD:
            return Add(record);
        case ENG_UPDATE_CURRENT:
            return UpdateCurrent(record);
        case ENG_OPEN:
            return OpenRecord(record);
        case ENG_CLOSE:
            m_open = 0;
            m_openDeleted = false;
            return 0;
        case ENG_DELETE:
            return Delete();
        case ENG_UPDATE:
            return Update(record);
        default:
            return kResultInvalidArgument;
        }
    } catch (const std::bad_alloc&) {
        // Only a change's preparation allocates, before anything was written or changed.
        return kResultOutOfMemory;
    }
}

std::int32_t EngineCore::Count(FileRecord& record) const
{
    record.RecordCount = static_cast<std::int32_t>(m_store.LiveCount());
    return 0;
}

std::int32_t EngineCore::First(FileRecord& record)
{
    m_current = RecordStore::kNoSlot;
    m_currentDeleted = false;
    m_next = 0;
    const std::int32_t result = Next(record);
    return result == ENG_END_OF_TABLE ? ENG_RECORD_NOT_FOUND : result;
}

std::int32_t EngineCore::Next(FileRecord& record)
{
    const std::size_t slot = m_store.NextLive(m_next);
    if (slot == RecordStore::kNoSlot)
        return ENG_END_OF_TABLE;
    m_current = slot;
    m_currentDeleted = false;
    m_next = slot + 1;
    m_store.CopyOut(slot, record);
    return 0;
}

std::int32_t EngineCore::NextBatch(FileRecord& record, std::span<std::uint8_t> area, std::size_t& used)
{
    const std::size_t most = record.RecordCount > 0 ? static_cast<std::size_t>(record.RecordCount) : SIZE_MAX;
    std::size_t count = 0;
    std::size_t last = RecordStore::kNoSlot;
    for (std::size_t slot = m_store.NextLive(m_store.After(record.RecordNumber));
         slot != RecordStore::kNoSlot && count < most; slot = m_store.NextLive(slot + 1)) {
        if (!m_store.AppendBatchEntry(slot, area, used))
            break;
        last = slot;
        ++count;
    }
    if (count == 0) {
        used = 0;
        return m_store.NextLive(m_store.After(record.RecordNumber)) == RecordStore::kNoSlot ? ENG_END_OF_TABLE
                                                                                           : kResultBufferTooSmall;
    }
    m_current = last;
    m_currentDeleted = false;
    m_next = last + 1;
    record.RecordCount = static_cast<std::int32_t>(count);
    record.RecordNumber = m_store.NumberAt(last);
    return 0;
}

std::int32_t EngineCore::Read(FileRecord& record) const
{
    const std::size_t slot = m_store.Find(record.RecordNumber);
    if (slot == RecordStore::kNoSlot)
        return ENG_RECORD_NOT_FOUND;
    m_store.CopyOut(slot, record);
    return 0;
}

std::int32_t EngineCore::FindName(const FileRecord& record) const
{
    return m_store.NameExists(FieldText(record.FileName)) ? 0 : ENG_RECORD_NOT_FOUND;
}

std::int32_t EngineCore::Add(FileRecord& record)
{
    if (m_store.HighestNumber() == std::numeric_limits<std::int32_t>::max())
        return kResultTableFull;
    return WriteRecord(m_store.HighestNumber() + 1, RecordStore::kNoSlot, record);
}

std::int32_t EngineCore::UpdateCurrent(FileRecord& record)
{
    if (m_current == RecordStore::kNoSlot)
        return m_currentDeleted ? ENG_RECORD_NOT_FOUND : kResultInvalidHandle;
    return WriteRecord(m_store.NumberAt(m_current), m_current, record);
}

std::int32_t EngineCore::OpenRecord(FileRecord& record)
{
    m_open = 0;
    m_openDeleted = false;
    const std::int32_t result = Read(record);
    if (result == 0)
        m_open = record.RecordNumber;
    return result;
}

std::int32_t EngineCore::OpenSlot(std::size_t& slot) const
{
    if (m_open == 0)
        return kResultInvalidHandle;
    slot = m_store.Find(m_open);
    return slot == RecordStore::kNoSlot ? ENG_RECORD_NOT_FOUND : 0;
}

std::int32_t EngineCore::Update(FileRecord& record)
{
    std::size_t slot = RecordStore::kNoSlot;
    if (const std::int32_t result = OpenSlot(slot); result != 0)
        return result;
    return WriteRecord(m_open, slot, record);
}

std::int32_t EngineCore::Delete()
{
    std::size_t slot = RecordStore::kNoSlot;
    if (const std::int32_t result = OpenSlot(slot); result != 0)
        return result;
    if (const std::int32_t result = Persist(m_entry.Delete(m_open)); result != 0)
        return result;
    m_store.Delete(slot);
    m_openDeleted = true;
    if (slot == m_current) {
        m_current = RecordStore::kNoSlot;
        m_currentDeleted = true;
    }
    if (m_store.ShouldCompact()) {
        std::size_t* const positions[] = {&m_current, &m_next};
        m_store.Compact(positions);
    }
    CompactWhenLarge();
    return 0;
}

std::int32_t EngineCore::WriteRecord(std::int32_t number, std::size_t slot, FileRecord& record)
{
    const RecordTexts texts = TextsOf(record);
    RecordStore::Pending pending = m_store.Prepare(texts);
    if (const std::int32_t result = Persist(m_entry.Put(number, texts)); result != 0) {
        m_store.Abandon(pending);
        return result;
    }
    if (slot == RecordStore::kNoSlot) {
        m_store.CommitAdd(number, pending);
        slot = m_store.SlotCount() - 1;
    } else {
        m_store.CommitUpdate(slot, pending);
    }
    m_store.CopyOut(slot, record);
    CompactWhenLarge();
    return 0;
}

std::int32_t EngineCore::Persist(std::span<const std::uint8_t> entry)
{
    if (m_writesFailed)
        return kResultFatal;
    const std::uint64_t end = m_file->Size();
    IoStatus status = m_file->Append(entry.data(), entry.size());
    if (status == IoStatus::kOk)
        status = m_file->Flush();
    if (status == IoStatus::kOk)
        return 0;
    // The change is refused: it must not come back at the next start either.
    if (m_file->Truncate(end) != IoStatus::kOk || m_file->Flush() != IoStatus::kOk)
        m_writesFailed = true;
    return ResultFor(status);
}

void EngineCore::SetImportSource(std::string directory, DateWriter writeDate, TextRecoder recode)
{
    m_importDirectory = std::move(directory);
    m_writeDate = std::move(writeDate);
    m_recode = std::move(recode);
}

std::int32_t EngineCore::ImportVersion1()
{
    if (m_writesFailed)
        return kResultFatal;
    std::vector<ImportTexts> records;
    const DateWriter writeDate = m_writeDate ? m_writeDate : [](std::uint32_t) { return std::string(); };
    if (const std::int32_t result = ReadVersion1Table(m_importDirectory, writeDate, records, m_recode); result != 0)
        return result;
    if (records.empty())
        return 0;
    const std::int32_t first = m_store.HighestNumber();
    if (static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - first) < records.size())
        return kResultTableFull;

    // Everything that allocates comes before the disk is touched: the texts, the records' room in the store
    // and the entries, which go to the disk as one append between an import entry and its end entry.
    std::vector<RecordStore::Pending> pending;
    pending.reserve(records.size());
    std::vector<std::uint8_t> entries;
    const auto count = static_cast<std::int32_t>(records.size());
    try {
        m_store.Reserve(records.size());
        const auto start = m_entry.ImportStart(count);
        entries.insert(entries.end(), start.begin(), start.end());
        for (std::size_t i = 0; i < records.size(); ++i) {
            RecordTexts texts;
            for (std::size_t f = 0; f < kTextFieldCount; ++f)
                texts[f] = records[i][f];
            pending.push_back(m_store.Prepare(texts));
            const auto put = m_entry.Put(first + 1 + static_cast<std::int32_t>(i), texts);
            entries.insert(entries.end(), put.begin(), put.end());
        }
        const auto end = m_entry.ImportEnd(count);
        entries.insert(entries.end(), end.begin(), end.end());
    } catch (const std::bad_alloc&) {
        m_store.Abandon(pending);
        return kResultOutOfMemory;
    }
    if (const std::int32_t result = Persist(entries); result != 0) {
        m_store.Abandon(pending);
        return result;
    }
    for (std::size_t i = 0; i < pending.size(); ++i)
        m_store.CommitAdd(first + 1 + static_cast<std::int32_t>(i), pending[i]);
    CompactWhenLarge();
    return 0;
}

std::uint64_t EngineCore::CompactSize() const { return CompactTableSize(m_store); }

void EngineCore::CompactWhenLarge()
{
    try {
        const std::uint64_t size = m_file ? m_file->Size() : 0;
        const std::uint64_t compact = CompactTableSize(m_store);
        if (m_site && !m_writesFailed && size >= m_compactRetryAt && size > compact + m_compactSlack &&
            static_cast<double>(size) > m_compactFactor * static_cast<double>(compact)) {
            if (CompactTable())
                ++m_compactions;
            else
                m_compactRetryAt = size + std::max<std::uint64_t>(compact / 2, m_compactSlack);
        }
        if (m_store.ShouldCompactTexts())
            m_store.CompactTexts();
    } catch (const std::bad_alloc&) {
        // Compacting needs room for a while; without it everything stays as it was.
    }
}

bool EngineCore::CompactTable()
{
    IoStatus status = IoStatus::kFailed;
    std::unique_ptr<TableFile> fresh = m_site->CreateBeside(status);
    if (!fresh)
        return false;
    try {
        status = WriteCompactTable(m_store, *fresh);
    } catch (const std::bad_alloc&) {
        status = IoStatus::kFailed;
    }
    if (status != IoStatus::kOk) {
        m_site->Discard(std::move(fresh));
        return false;
    }
    m_file = m_site->Replace(std::move(m_file), std::move(fresh), status);
    // Without its file the engine answers from memory and refuses changes, as after a write it could not undo.
    if (!m_file)
        m_writesFailed = true;
    return m_file && status == IoStatus::kOk;
}

std::int32_t EngineCore::Shutdown()
{
    // Every change was flushed when it was acknowledged; closing the file is all that is left.
    m_file.reset();
    m_site.reset();
    m_shutDown = true;
    return 0;
}

}  // namespace kspdx
