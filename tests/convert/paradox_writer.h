// ParadoxWriter: our own small writer of old Paradox tables (versions 3.0, 3.5 and 4.x) with a memo file, for
// tests. Its output is checked by an independent reader (pxlib), so tables it makes can stand for real ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ks_test {

struct PxColumn {
    std::string name;
    // 0x01 alpha, 0x02 date, 0x03 short, 0x04 long, 0x06 number, 0x09 logical, 0x0C memo, 0x0D blob
    std::uint8_t type;
    std::uint8_t size;   // bytes in the record; a memo's size includes its 10-byte tail
};

// One record's values as texts: alpha and memo as they stand, dates "yyyy-mm-dd", numbers in decimal, logical
// "1"/"0"; "" is a blank field.
using PxRow = std::vector<std::string>;

struct PxFiles {
    std::vector<std::uint8_t> db;
    std::vector<std::uint8_t> mb;
};

struct PxWriteOptions {
    int version = 9;            // the header's version byte: 3 (3.0), 4 (3.5), 5..9 (4.x)
    int blockKb = 1;            // data block size in KB
    bool reverseBlocks = false; // chain the blocks from the last in the file to the first
};

// Writes rows in order. Deleted rows are left as stale records in free slots after a block's last record,
// where a reader must not see them. Memo texts that fit the leading bytes stay in the record; up to 1,000
// bytes share 4 KB memo blocks; longer ones get blocks of their own.
PxFiles WriteParadoxTable(const std::vector<PxColumn>& columns, const std::vector<PxRow>& rows,
                          const std::vector<PxRow>& deleted = {}, const PxWriteOptions& options = {});

// Days from 1 January of year 1 as a date field counts them, for "yyyy-mm-dd".
std::int32_t PxDays(const std::string& isoDate);

}  // namespace ks_test
