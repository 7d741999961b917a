// The examine tests' shared set-up: stand-in programs and associations, the unpacker's log, timers and Unix
// helpers.
#include "tests/examine/examine_fixture.h"

#include <algorithm>

namespace ks_test {

namespace {

constexpr char kWordPadKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WORDPAD.EXE";
const char* const kExtensions[] = {".kstx", ".txt", ".zip", ".ksqq"};

void SetDefault(HKEY root, const std::string& key, const std::string& value)
{
    RegSetKeyValueA(root, key.c_str(), nullptr, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

WhenReady* g_ready = nullptr;

}  // namespace

WhenReady::WhenReady(std::function<bool()> condition, std::function<void()> action)
    : m_condition(std::move(condition)), m_action(std::move(action)),
      m_timer(SetTimer(nullptr, 0, 20, &WhenReady::Tick))
{
    g_ready = this;
}

WhenReady::~WhenReady()
{
    KillTimer(nullptr, m_timer);
    g_ready = nullptr;
}

void CALLBACK WhenReady::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    WhenReady* self = g_ready;
    if (!self || self->m_done || !self->m_condition())
        return;
    self->m_done = true;
    KillTimer(nullptr, self->m_timer);
    self->m_action();
}

void ExamineFixture::SetUp()
{
    ScratchTest::SetUp();
    m_programs = MakeDir("programs");
    const std::string unpacker = BinDir() + "\\unpacker.exe";
    for (const char* name : {"NOTEPAD.EXE", "WINZIP32.EXE", "WORDPAD.EXE"})
        ASSERT_TRUE(CopyFileA(unpacker.c_str(), (m_programs + "\\" + name).c_str(), FALSE)) << name;
    Associate(".kstx", unpacker);
    Associate(".txt", m_programs + "\\NOTEPAD.EXE");
    Associate(".zip", m_programs + "\\WINZIP32.EXE");
    SetWordPadPath(m_programs + "\\WORDPAD.EXE");
    m_log = m_scratch + "\\unpacker.log";
    SetEnvironmentVariableA("KS_UNPACKER_LOG", m_log.c_str());
    RemoveTree(Scratch());
    CreateDirectoryA(Scratch().c_str(), nullptr);
}

void ExamineFixture::TearDown()
{
    // A stand-in left waiting by a failed test must not hold the scratch directories.
    for (HWND w; (w = FindWindowA(nullptr, "Test Unpacker")) != nullptr;) {
        PostMessageA(w, WM_CLOSE, 0, 0);
        PumpUntil([w] { return !IsWindow(w); }, 2000);
    }
    SetEnvironmentVariableA("KS_UNPACKER_LOG", nullptr);
    for (const char* extension : kExtensions) {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("KsTest") + extension).c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, extension);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWordPadKey);
    // Links a test left in KS_TEMP go first: removing the tree would follow them.
    RunUnix("find '" + UnixPath(Scratch()) + "' -type l -delete");
    RemoveTree(Scratch());
    CreateDirectoryA(Scratch().c_str(), nullptr);
    ScratchTest::TearDown();
}

void ExamineFixture::Associate(const char* extension, const std::string& program)
{
    const std::string progId = std::string("KsTest") + extension;
    SetDefault(HKEY_CLASSES_ROOT, extension, progId);
    const std::string quoted = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
    SetDefault(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", quoted + " %1");
}

void ExamineFixture::SetWordPadPath(const std::string& path)
{
    if (path.empty())
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWordPadKey);
    else
        SetDefault(HKEY_LOCAL_MACHINE, kWordPadKey, path);
}

std::vector<std::string> ExamineFixture::Started() const
{
    // The log holds two lines per start: the command line, then the current directory.
    std::vector<std::string> lines;
    const std::string text = ReadFileText(m_log);
    std::size_t at = 0;
    for (int i = 0; at < text.size(); ++i) {
        const std::size_t end = text.find('\n', at);
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (i % 2 == 0)
            lines.push_back(line);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::vector<std::string> ExamineFixture::BoxTexts() const
{
    std::vector<std::string> texts;
    for (const Shown& box : m_ui.Boxes())
        texts.push_back(box.text);
    return texts;
}

}  // namespace ks_test
