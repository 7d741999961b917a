// The engine's result codes and the texts shown for them.
#include "engine/engine_errors.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct ErrorText {
    std::int32_t code;
    const char* text;
};

// Sorted by code, so a lookup can halve the table.
constexpr ErrorText kErrorTexts[] = {
    {0, "No error"},
    {1, "Drive not ready"},
    {2, "Directory not found"},
    {3, "File is busy"},
    {4, "File is locked"},
    {5, "Could not find file"},
    {6, "Table is corrupted"},
    {7, "Primary index is corrupted"},
    {8, "Primary index is out of date"},
    {9, "Record is locked"},
    {10, "Sharing violation"},
    {11, "Sharing violation"},
    {12, "No access to directory"},
    {13, "Sort for index different from table"},
    {14, "Single user but directory is shared"},
    {15, "Multiple Paradox net files found"},
    {16, "Directory is in use by Paradox 3.5"},
    {21, "Insufficient password rights"},
    {22, "Table is write-protected"},
    {30, "Data type mismatch"},
    {31, "Argument is out of range"},
    {33, "Invalid argument"},
    {40, "Not enough memory to complete operation"},
    {41, "Not enough disk space to complete operation"},
    {50, "Another user deleted record"},
    {51, "Operation N/A for Blob open mode"},
    {52, "Blob already open"},
    {53, "Invalid offset into Blob"},
    {54, "Invalid size for Blob"},
    {55, "Another user modified Blob"},
    {56, "Blob file corrupted"},
    {57, "Cannot index on a Blob"},
    {59, "Invalid Blob handle"},
    {60, "Cannot search on a Blob field"},
    {70, "No more file handles available"},
    {72, "No more table handles available"},
    {73, "Invalid date given"},
    {74, "Invalid field name"},
    {75, "Invalid field handle"},
    {76, "Invalid table handle"},
    {78, "Engine not initialized"},
    {79, "Previous fatal error; cannot proceed"},
    {81, "Table structures are different"},
    {82, "Engine already initialized"},
    {83, "Unable to perform operation on open table"},
    {86, "No more temporary names available"},
    {89, "Record was not found"},
    {92, "Can't handle version number encountered"},
    {93, "Feature not available for tables older than Paradox 4.0"},
    {94, "Table is indexed"},
    {95, "Table is not indexed"},
    {96, "Secondary index is out of date"},
    {97, "Key violation"},
    {98, "Could not login on network"},
    {99, "Table name is invalid"},
    {101, "End of table"},
    {102, "Start of table"},
    {103, "No more record handles available"},
    {104, "Invalid record handle"},
    {105, "Operation on empty table"},
    {106, "Invalid lock code"},
    {107, "Engine not initialized with PXNetInit"},
    {108, "Invalid file name"},
    {109, "Invalid unlock"},
    {110, "Invalid lock handle"},
    {111, "Too many locks on table"},
    {112, "Invalid sort order table"},
    {113, "Invalid net type"},
    {114, "Invalid directory name"},
    {115, "Too many passwords specified"},
    {116, "Invalid password"},
    {117, "Buffer is too small for result"},
    {118, "Table is busy"},
    {119, "Table is locked"},
    {120, "Table was not found"},
    {121, "Secondary index was not found"},
    {122, "Secondary index is corrupted"},
    {124, "Disk is write protected"},
    {125, "Record too big"},
    {126, "General System error"},
    {127, "Not enough stack space to complete operation"},
    {128, "Table is full"},
    {129, "Not enough swap buffer space to complete operation"},
    {130, "Table is SQL replica"},
    {131, "Too many clients for the Engine DLL"},
    {132, "Exceeds limits specified in WIN.INI"},
    {133, "No more slots for file handle remapping"},
    {134, "Can't share Paradox net file -- is SHARE.EXE loaded?"},
    {135, "Can't run Engine in Windows real mode"},
    {136, "Can't modify table opened on non-maintained secondary index"},
    {137, "Timed out trying to get a lock"},
};
static_assert(std::size(kErrorTexts) == 91);

}  // namespace

std::string EngineErrorTextOem(std::int32_t code)
{
    const auto* end = std::end(kErrorTexts);
    const auto* it = std::lower_bound(std::begin(kErrorTexts), end, code,
                                      [](const ErrorText& e, std::int32_t c) { return e.code < c; });
    if (it != end && it->code == code)
        return it->text;
    if (code >= 200 && code <= 250)
        return "Internal error no: " + std::to_string(code);
    return "Undefined errorcode";
}
