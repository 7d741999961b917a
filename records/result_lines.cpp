// ResultLines: sort keys, placing a walk's lines in the sorted list box, and finding a record's line.
#include "records/result_lines.h"

#include <algorithm>
#include <iterator>
#include <thread>
#include <utility>

namespace {

// Below this many new lines a flush inserts each at its index; from it on, emptying the box and appending every
// line costs less. Measured under Wine at 100,000 lines: an append about 1.5 us, an insert that much plus about
// 1.5 ns for every line after it (the box moves them), so the two meet near a thousand new lines.
constexpr std::size_t kRebuildAt = 1000;

// The sort key of a line as the list box compares it: the ANSI text widened with the ANSI code page, then the
// system's key for a comparison ignoring case, in the list's locale.
std::string SortKey(LCID locale, const std::string& line)
{
    thread_local std::wstring wide;
    wide.resize(line.size() + 1);
    const int chars = MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                                          static_cast<int>(wide.size()));
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    thread_local std::string room;
    room.resize(std::max<std::size_t>(room.size(), 8 * line.size() + 64));
    int bytes = LCMapStringW(locale, kFlags, wide.data(), chars, reinterpret_cast<LPWSTR>(room.data()),
                             static_cast<int>(room.size()));
    if (bytes == 0) {
        // Not enough room after all: ask for the size.
        room.resize(static_cast<std::size_t>(std::max(LCMapStringW(locale, kFlags, wide.data(), chars, nullptr, 0), 0)));
        bytes = LCMapStringW(locale, kFlags, wide.data(), chars, reinterpret_cast<LPWSTR>(room.data()),
                             static_cast<int>(room.size()));
    }
    return std::string(room.data(), static_cast<std::size_t>(std::max(bytes, 0)));
}

// From this many lines on, the lines of an emptied list are freed on a thread of their own: the heap takes some
// 20 ms for 100,000 of them, and the walk that empties the list would wait for it.
constexpr std::size_t kFreeAsideFrom = 10000;

}  // namespace

ResultLines::Entry ResultLines::MakeEntry(std::string line, std::int32_t number)
{
    if (m_locale == 0)
        m_locale = static_cast<LCID>(m_list.Send(LB_GETLOCALE));
    std::string key = SortKey(m_locale, line);
    return {std::move(key), std::move(line), number};
}

void ResultLines::SortPending()
{
    const auto byKey = [](const Entry& a, const Entry& b) { return a.key < b.key; };
    // Lines that collate alike keep the order they were found in, after those already listed.
    const auto mid = m_pending.begin() + static_cast<std::ptrdiff_t>(m_sorted);
    std::stable_sort(mid, m_pending.end(), byKey);
    std::inplace_merge(m_pending.begin(), mid, m_pending.end(), byKey);
    m_sorted = m_pending.size();
}

void ResultLines::Add(std::string line, std::int32_t recordNumber)
{
    m_pending.push_back(MakeEntry(std::move(line), recordNumber));
}

bool ResultLines::Flush()
{
    if (m_pending.empty())
        return true;
    SortPending();
    const bool rebuild = m_lines.empty() || m_pending.size() >= kRebuildAt;

    std::vector<Entry> merged;
    merged.reserve(m_lines.size() + m_pending.size());
    std::vector<std::size_t> added;  // where the new lines stand in merged
    auto old = m_lines.begin();
    for (Entry& line : m_pending) {
        while (old != m_lines.end() && !(line.key < old->key))
            merged.push_back(std::move(*old++));
        added.push_back(merged.size());
        merged.push_back(std::move(line));
    }
    std::move(old, m_lines.end(), std::back_inserter(merged));
    m_lines = std::move(merged);
    m_pending.clear();
    m_sorted = 0;
    if (rebuild)
        return Rebuild();

    for (std::size_t i = 0; i < added.size(); ++i) {
        const Entry& entry = m_lines[added[i]];
        if (m_list.Send(LB_INSERTSTRING, added[i], reinterpret_cast<LPARAM>(entry.line.c_str())) < 0) {
            // The lines from this one on never reached the list.
            std::vector<Entry> kept;
            kept.reserve(m_lines.size());
            std::size_t next = i;
            for (std::size_t j = 0; j < m_lines.size(); ++j) {
                if (next < added.size() && j == added[next])
                    ++next;
                else
                    kept.push_back(std::move(m_lines[j]));
            }
            m_lines = std::move(kept);
            return false;
        }
    }
    return true;
}

bool ResultLines::NoData() const
{
    return (GetWindowLongPtrA(m_list.GetHandle(), GWL_STYLE) & LBS_NODATA) != 0;
}

bool ResultLines::Rebuild()
{
    m_list.ClearList();
    if (NoData()) {
        // A box that refuses a count is asked for the most it takes: the lines beyond are dropped.
        std::size_t taken = m_lines.size();
        if (m_list.Send(LB_SETCOUNT, taken) < 0) {
            std::size_t low = 0;
            for (std::size_t high = taken; high - low > 1;) {
                const std::size_t middle = low + (high - low) / 2;
                (m_list.Send(LB_SETCOUNT, middle) < 0 ? high : low) = middle;
            }
            m_list.Send(LB_SETCOUNT, low);
            taken = low;
        }
        const bool all = taken == m_lines.size();
        m_lines.resize(taken);
        return all;
    }
    // Room for every line at once: the box would otherwise grow its arrays sixteen lines at a time.
    std::size_t chars = 0;
    for (const Entry& entry : m_lines)
        chars += entry.line.size() + 1;
    m_list.Send(LB_INITSTORAGE, m_lines.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
    // The box's own procedure, called directly: sending costs a fifth more per line, and these are the lines an
    // Abort waits for.
    const HWND box = m_list.GetHandle();
    const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC));
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (CallWindowProcA(proc, box, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(m_lines[i].line.c_str())) < 0) {
            m_lines.resize(i);
            return false;
        }
    }
    return true;
}

const std::string* ResultLines::Line(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    return index >= 0 && at < m_lines.size() ? &m_lines[at].line : nullptr;
}

void ResultLines::Clear()
{
    m_list.ClearList();
    m_locale = 0;
    std::vector<Entry> old = std::exchange(m_lines, {});
    if (old.size() >= kFreeAsideFrom)
        std::thread([lines = std::move(old)]() mutable { lines = {}; }).detach();
    m_pending = {};
    m_sorted = 0;
}

std::vector<std::int32_t> ResultLines::Records() const
{
    std::vector<std::int32_t> numbers;
    numbers.reserve(m_lines.size());
    for (const Entry& entry : m_lines)
        numbers.push_back(entry.number);
    return numbers;
}

int ResultLines::Find(std::int32_t recordNumber) const
{
    const auto found = std::find_if(m_lines.begin(), m_lines.end(),
                                    [recordNumber](const Entry& e) { return e.number == recordNumber; });
    return found == m_lines.end() ? -1 : static_cast<int>(found - m_lines.begin());
}

bool ResultLines::DropPending(std::int32_t recordNumber)
{
    const auto found = std::find_if(m_pending.begin(), m_pending.end(),
                                    [recordNumber](const Entry& e) { return e.number == recordNumber; });
    if (found == m_pending.end())
        return false;
    if (static_cast<std::size_t>(found - m_pending.begin()) < m_sorted)
        --m_sorted;
    m_pending.erase(found);
    return true;
}

void ResultLines::Remove(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_lines.size())
        return;
    m_list.DeleteString(index);
    m_lines.erase(m_lines.begin() + index);
}

bool ResultLines::Insert(std::string line, std::int32_t recordNumber)
{
    Entry entry = MakeEntry(std::move(line), recordNumber);
    const auto at = std::upper_bound(m_lines.begin(), m_lines.end(), entry,
                                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    const auto index = static_cast<WPARAM>(at - m_lines.begin());
    if (m_list.Send(LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(entry.line.c_str())) < 0)
        return false;
    m_lines.insert(at, std::move(entry));
    return true;
}
