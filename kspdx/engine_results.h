// The engine's own result codes beyond 0, 89 and 101, each with the meaning its caller shows for it.
#pragma once

#include "kspdx/table_file.h"

#include <cstdint>

namespace kspdx {

inline constexpr std::int32_t kResultTableCorrupted = 6;       // "Table is corrupted": damage inside the log
inline constexpr std::int32_t kResultNoAccess = 12;            // "No access to directory": folder not writable
inline constexpr std::int32_t kResultWriteProtected = 22;      // "Table is write-protected": file marked read-only
inline constexpr std::int32_t kResultInvalidArgument = 33;     // "Invalid argument": an unknown command
inline constexpr std::int32_t kResultOutOfMemory = 40;         // "Not enough memory to complete operation"
inline constexpr std::int32_t kResultDiskFull = 41;            // "Not enough disk space to complete operation"
inline constexpr std::int32_t kResultNotInitialized = 78;      // "Engine not initialized": no table, or after shutdown
inline constexpr std::int32_t kResultFatal = 79;               // "Previous fatal error; cannot proceed"
inline constexpr std::int32_t kResultUnknownVersion = 92;      // "Can't handle version number encountered"
inline constexpr std::int32_t kResultInvalidHandle = 104;      // "Invalid record handle": no open or current record
inline constexpr std::int32_t kResultBufferTooSmall = 117;     // "Buffer is too small for result": no room for a record
inline constexpr std::int32_t kResultTableLocked = 119;        // "Table is locked": another engine holds it
inline constexpr std::int32_t kResultTableNotFound = 120;      // "Table was not found": no importable old table
inline constexpr std::int32_t kResultSystemError = 126;        // "General System error": any other I/O failure
inline constexpr std::int32_t kResultTableFull = 128;          // "Table is full": record numbers ran out

inline std::int32_t ResultFor(IoStatus status)
{
    switch (status) {
    case IoStatus::kOk:
        return 0;
    case IoStatus::kDiskFull:
        return kResultDiskFull;
    case IoStatus::kLocked:
        return kResultTableLocked;
    case IoStatus::kNoAccess:
        return kResultNoAccess;
    case IoStatus::kWriteProtected:
        return kResultWriteProtected;
    case IoStatus::kFailed:
        break;
    }
    return kResultSystemError;
}

}  // namespace kspdx
