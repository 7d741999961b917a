// The naive engine transport for comparison: one command and its 1493-byte record carried to a second process
// in a copy-data message, and the reply carried back in a second copy-data message sent to the caller's window
// while the caller still waits in its send (the receiver's changes to the first one never reach the sender).
// Prints "naive_copydata_round_trips_per_s: N".
//
// Usage: copydata_bench.exe            measures, starting a copy of itself as the echo process
//        copydata_bench.exe echo       the echo process (started by the first)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/file_record.h"
#include "framework/handles.h"

namespace {

constexpr char kPingClass[] = "KsCopyDataPing";
constexpr char kEchoClass[] = "KsCopyDataEcho";
constexpr int kRoundTrips = 3000;
constexpr int kRuns = 3;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "copydata_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

// The record each side keeps; the echo side answers in its copy and sends that back.
FileRecord g_record{};
int g_replies = 0;

COPYDATASTRUCT Block(std::int32_t command)
{
    COPYDATASTRUCT block{};
    block.dwData = static_cast<ULONG_PTR>(command);
    block.cbData = kFileRecordSize;
    block.lpData = &g_record;
    return block;
}

bool TakeRecord(LPARAM lParam)
{
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (block->cbData != kFileRecordSize)
        return false;
    std::memcpy(&g_record, block->lpData, kFileRecordSize);
    return true;
}

// Echo: takes the request, answers it in place as an engine would, and sends the answer back to the sender.
LRESULT CALLBACK EchoProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA: {
        if (!TakeRecord(lParam))
            return 0;
        ++g_record.RecordNumber;
        COPYDATASTRUCT reply = Block(0);
        return SendMessageA(reinterpret_cast<HWND>(wParam), WM_COPYDATA, reinterpret_cast<WPARAM>(wnd),
                            reinterpret_cast<LPARAM>(&reply));
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Ping: receives the answer while its own send is still waiting.
LRESULT CALLBACK PingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        if (!TakeRecord(lParam))
            return 0;
        ++g_replies;
        return 1;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC proc)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc))
        Fail("cannot register the window class");
    HWND wnd = CreateWindowA(className, className, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    if (!wnd)
        Fail("cannot create the window");
    return wnd;
}

int RunEcho()
{
    MakeWindow(kEchoClass, EchoProc);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

double RoundTripsPerSecond(HWND ping, HWND echo)
{
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    const int repliesBefore = g_replies;
    const std::int32_t numberBefore = g_record.RecordNumber;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRoundTrips; ++i) {
        COPYDATASTRUCT request = Block(ENG_NEXT);
        if (SendMessageA(echo, WM_COPYDATA, reinterpret_cast<WPARAM>(ping), reinterpret_cast<LPARAM>(&request)) != 1)
            Fail("the echo did not answer");
    }
    QueryPerformanceCounter(&end);
    // Each answer counts the record number up: every reply came back with the echo's record in it.
    if (g_replies - repliesBefore != kRoundTrips || g_record.RecordNumber - numberBefore != kRoundTrips)
        Fail("a reply did not come back");
    return kRoundTrips * static_cast<double>(frequency.QuadPart) / static_cast<double>(end.QuadPart - start.QuadPart);
}

int RunPing()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    HWND ping = MakeWindow(kPingClass, PingProc);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" echo";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        Fail("cannot start the echo process");
    CloseHandle(pi.hThread);
    ks::KernelHandle process(pi.hProcess);

    HWND echo = nullptr;
    for (int i = 0; i < 500 && !(echo = FindWindowA(kEchoClass, nullptr)); ++i)
        Sleep(20);
    if (!echo)
        Fail("the echo window did not appear");

    double best = 0;
    for (int run = 0; run < kRuns; ++run)
        best = std::max(best, RoundTripsPerSecond(ping, echo));
    std::printf("naive_copydata_round_trips_per_s: %.0f\n", best);

    PostMessageA(echo, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.Get(), 10000);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "echo") == 0 ? RunEcho() : RunPing();
}
