// Helpers of the engine-link tests: started programs, engine copies in folders of their own, and records.
#pragma once
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "engine/file_record.h"
#include "tests/support/test_paths.h"

namespace ks_test {

using namespace std::chrono_literals;

// A new empty folder under the temporary directory; its name carries tag and this process's id.
std::string MakeTempDir(const std::string& tag);
// Deletes a folder and the files in it (no subfolders are made by these tests except by the program).
void RemoveTree(const std::string& dir);
// A file's bytes, written whole or read whole (empty when it cannot be read).
bool WriteWholeFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);
bool CopyInto(const std::string& file, const std::string& fromDir, const std::string& toDir,
              const std::string& asName = "");

// A program the test started; ended with TerminateProcess when the object goes and it still runs.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts exe (full path) with args in currentDir; environment as this process's.
    static Process Start(const std::string& exe, const std::string& args, const std::string& currentDir);
    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }
    bool Running() const;
    // The exit code, or STILL_ACTIVE when it did not end within timeout.
    DWORD WaitForExit(std::chrono::milliseconds timeout) const;
    // Ends it at once and waits until it has gone.
    void Kill();
    // Processor time (user + kernel) the process has used so far, in 100 ns units.
    std::uint64_t CpuTime() const;

private:
    void Close();
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The engine's window belonging to process id, waiting up to timeout for it.
HWND WaitForEngineWindow(DWORD processId, std::chrono::milliseconds timeout);
// Top-level windows with the engine's caption, of any process.
int CountEngineWindows();
// Waits until no engine window exists.
bool WaitForNoEngine(std::chrono::milliseconds timeout);

// A copy of kspdx.exe in a folder of its own, so it starts on an empty table of its own, started from there.
class EngineCopy {
public:
    explicit EngineCopy(const std::string& tag);
    ~EngineCopy();
    EngineCopy(const EngineCopy&) = delete;
    EngineCopy& operator=(const EngineCopy&) = delete;

    // Starts the engine and waits for its window; false when it did not appear.
    bool Start();
    Process& Proc() { return m_process; }
    const std::string& Dir() const { return m_dir; }
    std::string TablePath() const { return m_dir + "\\kspdx.tbl"; }

private:
    std::string m_dir;
    Process m_process;
};

// The six texts of a record, in record order.
using Texts = std::array<std::string, kTextFieldCount>;
Texts TextsOf(const FileRecord& record);
FileRecord RecordWith(const Texts& texts);

}  // namespace ks_test
