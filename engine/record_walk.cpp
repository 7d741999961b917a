// RecordWalk: batches of records from the engine, given one at a time, and rewriting the record given last.
#include "engine/record_walk.h"

#include <algorithm>

#include "app/ks_client.h"

bool RecordWalk::Next(FileRecord& record)
{
    while (m_result == 0) {
        if (m_reader.NextTexts(record)) {
            ++m_used;
            m_after = record.RecordNumber;
            return true;
        }
        const std::int32_t next = m_want == 0 || m_want >= kLargest ? 0 : m_want * 2;
        m_result = m_client.SendEngineBatch(m_after, m_want, m_bytes, next);
        m_reader = BatchReader(m_bytes);
        m_fetchedAt = m_client.CommandsSent();
        m_want = next;
    }
    return false;
}

void RecordWalk::Refresh()
{
    if (m_client.CommandsSent() == m_fetchedAt)
        return;
    m_reader = BatchReader({});
    m_want = m_used >= kLargest / 2 ? 0 : std::max(kFewest, 2 * m_used);
    m_used = 0;
}

std::int32_t RecordWalk::UpdateCurrent(const FileRecord& record)
{
    // A batch of one that starts at the record makes it current, if it is still there.
    std::vector<std::uint8_t> one;
    const std::int32_t result = m_client.SendEngineBatch(record.RecordNumber - 1, 1, one);
    if (result != 0 && result != ENG_END_OF_TABLE)
        return result;
    FileRecord found{};
    BatchReader reader(one);
    if (result == ENG_END_OF_TABLE || !reader.Next(found) || found.RecordNumber != record.RecordNumber) {
        Refresh();
        return ENG_RECORD_NOT_FOUND;
    }
    const RecordBufferGuard keep(m_client.RecordBuffer);
    m_client.RecordBuffer = record;
    const std::int32_t written = m_client.SendEngineCommand(ENG_UPDATE_CURRENT, 0);
    Refresh();
    return written;
}
