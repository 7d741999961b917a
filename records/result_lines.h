// ResultLines: the Search Interface's result lines kept beside its sorted list box, so that a walk puts
// thousands of lines in their places quickly and a record's line is found without reading the list's texts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/controls.h"

// The list box sorts by comparing texts as the system collates them, ignoring case: under Wine about 4 us
// a comparison, some 70 us a line at 100,000 lines. Here each line gets the system's sort key for that
// comparison once (memcmp order of sort keys is the comparison's order), lines are placed with
// LB_INSERTSTRING at the index the keys give, and the box holds the same lines in the same order as if it had
// sorted them itself. The Search Interface's box keeps no texts (LBS_NODATA): it shows these lines, is filled
// by setting its count, and is emptied without a message for every line it held.
class ResultLines {
public:
    explicit ResultLines(const ks::TListBox& list) : m_list(list) {}
    ResultLines(const ResultLines&) = delete;
    ResultLines& operator=(const ResultLines&) = delete;

    // A line found by a walk; it reaches the list at the next Flush.
    void Add(std::string line, std::int32_t recordNumber);
    std::size_t Pending() const { return m_pending.size(); }
    // Puts the lines found since the last call in order among the other pending ones: a walk calls it at each
    // slice's end, so that the sorting is spread over the walk rather than all left to the Flush at its end
    // (an Abort waits for that Flush).
    void SortPending();
    // Puts the pending lines into the list at their places. False when the list refused a line: the lines it
    // took stay, the rest are dropped.
    bool Flush();
    // Empties the list and everything kept beside it.
    void Clear();

    // The records of the listed lines, in the list's order.
    std::vector<std::int32_t> Records() const;
    // The index of the record's line in the list, or -1.
    int Find(std::int32_t recordNumber) const;
    // Drops the record's line found by a walk and not yet in the list; false when there is none.
    bool DropPending(std::int32_t recordNumber);
    // Deletes the line at index.
    void Remove(int index);
    // Puts one line in its place at once; false when the list refused it.
    bool Insert(std::string line, std::int32_t recordNumber);
    // The listed line at index, or null.
    const std::string* Line(int index) const;

private:
    struct Entry {
        std::string key;
        std::string line;
        std::int32_t number;
    };
    Entry MakeEntry(std::string line, std::int32_t number);
    // Empties the box and fills it from m_lines; false at a refused line (m_lines is cut there).
    bool Rebuild();
    // A box without texts of its own takes as many lines as its count says.
    bool NoData() const;

    const ks::TListBox& m_list;
    LCID m_locale = 0;             // the list's, read once a walk
    std::vector<Entry> m_lines;    // the list's lines, in its order
    std::vector<Entry> m_pending;  // found by the walk, not yet in the list
    std::size_t m_sorted = 0;      // the pending lines before this are in order
};
