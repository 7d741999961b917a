// unpacker.exe: a test stand-in for the programs examining starts. Started on a file, it appends its command
// line and current directory to the log named by KS_UNPACKER_LOG (and its own program file's path to the one
// named by KS_UNPACKER_WHO, so that a test sees which copy ran), then:
//   - a file beginning "KSUNPACK" is a script: "file NAME TEXT" writes NAME holding TEXT into the current
//     directory; "wait" keeps running until its window "Test Unpacker" is closed; "exit N" ends with code N;
//   - an executable (it may be started on a copy of itself) unpacks README.TXT and PROGRAM.DAT;
//   - anything else is only logged.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string FileArgument()
{
    const char* line = GetCommandLineA();
    if (*line == '"') {
        for (++line; *line && *line != '"'; ++line) {
        }
        if (*line)
            ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    std::string path = line;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

void Log()
{
    char log[MAX_PATH]{};
    if (!GetEnvironmentVariableA("KS_UNPACKER_LOG", log, sizeof log))
        return;
    char dir[MAX_PATH]{};
    GetCurrentDirectoryA(sizeof dir, dir);
    std::ofstream(log, std::ios::app) << GetCommandLineA() << "\n" << dir << "\n";
    char who[MAX_PATH]{};
    char self[MAX_PATH]{};
    if (GetEnvironmentVariableA("KS_UNPACKER_WHO", who, sizeof who) && GetModuleFileNameA(nullptr, self, sizeof self))
        std::ofstream(who, std::ios::app) << self << "\n";
}

void Put(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

LRESULT CALLBACK WaitProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void WaitUntilClosed(HINSTANCE instance)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = WaitProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KsTestUnpacker";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "Test Unpacker", WS_OVERLAPPEDWINDOW, 0, 0, 200, 80, nullptr, nullptr,
                    instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Log();
    std::ifstream in(FileArgument(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    if (text.rfind("MZ", 0) == 0) {
        Put("README.TXT", "Read me first.\r\n");
        Put("PROGRAM.DAT", std::string(300, 'p'));
        return 0;
    }
    if (text.rfind("KSUNPACK", 0) != 0)
        return 0;
    std::istringstream lines(text);
    std::string line;
    int code = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("file ", 0) == 0) {
            const std::size_t blank = line.find(' ', 5);
            Put(line.substr(5, blank - 5), blank == std::string::npos ? "" : line.substr(blank + 1));
        } else if (line == "wait") {
            WaitUntilClosed(instance);
        } else if (line.rfind("exit ", 0) == 0) {
            code = std::atoi(line.c_str() + 5);
        }
    }
    return code;
}
