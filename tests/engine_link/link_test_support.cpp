// Helpers of the engine-link tests: started programs, engine copies in folders of their own, and records.
#include "tests/engine_link/link_test_support.h"

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>

#include "engine/link_protocol.h"

namespace ks_test {

std::string MakeTempDir(const std::string& tag)
{
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "ks_link_" + std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(++counter) + "_" + tag;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

bool CopyInto(const std::string& file, const std::string& fromDir, const std::string& toDir,
              const std::string& asName)
{
    const std::string target = toDir + "\\" + (asName.empty() ? file : asName);
    return CopyFileA((fromDir + "\\" + file).c_str(), target.c_str(), FALSE) != FALSE;
}

Process::~Process()
{
    if (Running())
        Kill();
    Close();
}

Process::Process(Process&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)), m_id(std::exchange(other.m_id, 0))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        if (Running())
            Kill();
        Close();
        m_process = std::exchange(other.m_process, nullptr);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void Process::Close()
{
    if (m_process)
        CloseHandle(m_process);
    m_process = nullptr;
}

Process Process::Start(const std::string& exe, const std::string& args, const std::string& currentDir)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    Process process;
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, currentDir.c_str(), &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        process.m_process = pi.hProcess;
        process.m_id = pi.dwProcessId;
    }
    return process;
}

bool Process::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

DWORD Process::WaitForExit(std::chrono::milliseconds timeout) const
{
    WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process, &code);
    return code;
}

void Process::Kill()
{
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, INFINITE);
}

std::uint64_t Process::CpuTime() const
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(m_process, &created, &exited, &kernel, &user))
        return 0;
    auto value = [](const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

namespace {

struct WindowSearch {
    DWORD processId = 0;  // 0: any
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK CollectEngineWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    char caption[64]{};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::string(caption) != kslink::kEngineCaption)
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId == 0 || owner == search->processId) {
        search->found = window;
        ++search->count;
    }
    return TRUE;
}

WindowSearch SearchEngineWindows(DWORD processId)
{
    WindowSearch search{processId};
    EnumWindows(CollectEngineWindow, reinterpret_cast<LPARAM>(&search));
    return search;
}

}  // namespace

HWND WaitForEngineWindow(DWORD processId, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (HWND window = SearchEngineWindows(processId).found)
            return window;
        if (std::chrono::steady_clock::now() > end)
            return nullptr;
        std::this_thread::sleep_for(5ms);
    }
}

int CountEngineWindows() { return SearchEngineWindows(0).count; }

bool WaitForNoEngine(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (CountEngineWindows() > 0) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

EngineCopy::EngineCopy(const std::string& tag) : m_dir(MakeTempDir(tag)) { CopyInto("kspdx.exe", BinDir(), m_dir); }

EngineCopy::~EngineCopy()
{
    m_process = Process();
    RemoveTree(m_dir);
}

bool EngineCopy::Start()
{
    m_process = Process::Start(m_dir + "\\kspdx.exe", "", m_dir);
    return m_process.Started() && WaitForEngineWindow(m_process.Id(), 10s) != nullptr;
}

Texts TextsOf(const FileRecord& record)
{
    Texts texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = FieldText(record, kTextFields[i]);
    return texts;
}

FileRecord RecordWith(const Texts& texts)
{
    FileRecord record{};
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        SetFieldText(record, kTextFields[i], texts[i]);
    return record;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ks_test
