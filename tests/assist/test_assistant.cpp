// Test assistants: one library per behaviour (chosen by KS_TEST_ASSISTANT at build time) that the calling
// side must cope with.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#define ASSISTANT_ECHO 1         // reports what it was given; pokes the Storage Interface while it runs
#define ASSISTANT_NEGATIVE 2     // fails with -42 after writing texts
#define ASSISTANT_ZERO 3         // writes texts but returns 0
#define ASSISTANT_TITLE_ONLY 4   // returns 1 with only a title
#define ASSISTANT_ONE_CHAR 5     // one-character keywords, and a one-character abstract
#define ASSISTANT_UNTERMINATED 6 // fills every buffer to its last byte without a terminator

namespace {

// Counts the runs of this loaded copy: a library freed after each run starts at one every time.
int g_runs = 0;

// Settings of the test assistants, apart from the program's own.
constexpr char kReportKey[] = "Software\\Brackenfold\\Kestrum32\\Test Assistant";

void Report(const char* value, const char* text)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kReportKey, value, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

}  // namespace

extern "C" {

std::int32_t WINAPI StartAssist(HWND owner, char* fileName, char* abstract, char* keywords, char* title,
                                std::int32_t reserved)
{
    ++g_runs;
#if KS_TEST_ASSISTANT == ASSISTANT_ECHO
    char cwd[MAX_PATH]{};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    // A user reaching the Storage Interface while the assistant works: none of this may close it or start
    // another assistant.
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(104, BN_CLICKED), 0);
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
    std::snprintf(abstract, 800, "file=%s|dir=%s|reserved=%d|empty=%d|owner=%d", fileName, cwd,
                  static_cast<int>(reserved), abstract[0] == '\0' && keywords[0] == '\0' && title[0] == '\0',
                  IsWindow(owner) ? 1 : 0);
    std::snprintf(keywords, 81, "echo, keywords");
    std::snprintf(title, 81, "run %d", g_runs);
    return 1;
#elif KS_TEST_ASSISTANT == ASSISTANT_NEGATIVE
    std::strcpy(abstract, "must not appear");
    std::strcpy(keywords, "must not appear");
    std::strcpy(title, "must not appear");
    return -42;
#elif KS_TEST_ASSISTANT == ASSISTANT_ZERO
    std::strcpy(abstract, "must not appear");
    std::strcpy(keywords, "must not appear");
    std::strcpy(title, "must not appear");
    return 0;
#elif KS_TEST_ASSISTANT == ASSISTANT_TITLE_ONLY
    std::strcpy(title, "Only a title");
    return 1;
#elif KS_TEST_ASSISTANT == ASSISTANT_ONE_CHAR
    std::strcpy(abstract, "A");
    std::strcpy(keywords, "K");
    std::strcpy(title, "A proper title");
    return 7;
#elif KS_TEST_ASSISTANT == ASSISTANT_UNTERMINATED
    std::memset(abstract, 'a', 800);
    std::memset(keywords, 'k', 81);
    std::memset(title, 't', 81);
    return 1;
#endif
}

std::int32_t WINAPI SetupAssistant(HWND owner, std::int32_t reserved)
{
    char text[96];
    std::snprintf(text, sizeof text, "owner=%d|reserved=%d|runs=%d", IsWindow(owner) ? 1 : 0,
                  static_cast<int>(reserved), ++g_runs);
    Report("Setup", text);
    return 0;
}

}  // extern "C"
