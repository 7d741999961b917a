// Tables made and read by pxlib, the independent Paradox library: the version-7 writer and the reader that
// checks our own writer's old-version tables. Native only (pxlib is a Linux library).
#pragma once

#include <string>
#include <vector>

#include "tests/convert/paradox_writer.h"

namespace ks_test {

// Writes a version-7 table (and its memo file when a column is a memo) with pxlib: rows in order, then the
// rows at deleteAt removed with pxlib's own delete. pxlib cannot delete a row whose memo lies in the memo
// file (it crashes), so deleted rows must have short or no memos. Returns false when pxlib refused.
bool PxlibWrite(const std::string& dbPath, const std::string& mbPath, const std::vector<PxColumn>& columns,
                const std::vector<PxRow>& rows, const std::vector<int>& deleteAt = {});

// Reads every record with pxlib, values written as PxRow gives them; false when pxlib cannot open the table.
bool PxlibRead(const std::string& dbPath, const std::string& mbPath, std::vector<std::string>& names,
               std::vector<PxRow>& rows);

}  // namespace ks_test
