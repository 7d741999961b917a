// Shared by the examine tests: the stand-in programs registered for test file types (in the test prefix only),
// their log, KS_TEMP, a timer that acts while an examined program runs, and reading what a window shows.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "tests/download/download_fixture.h"
#include "tests/support/test_files.h"
#include "tests/support/unix_shell.h"

namespace ks_test {

// The stand-in unpacker's script: the files it writes, then whether it waits to be closed.
inline std::string UnpackScript(const std::vector<std::string>& files, bool wait)
{
    std::string script = "KSUNPACK\r\n";
    for (const std::string& f : files)
        script += "file " + f + " contents of " + f + "\r\n";
    if (wait)
        script += "wait\r\n";
    return script;
}



// Runs action once, from the message loop that is running when condition first holds (checked every 20 ms).
// The examine run's wait dispatches messages, so the action runs while the examined program is up.
class WhenReady {
public:
    WhenReady(std::function<bool()> condition, std::function<void()> action);
    ~WhenReady();
    bool Done() const { return m_done; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    UINT_PTR m_timer;
    bool m_done = false;
};

// A started application (ProgramDir = bin, KS_TEMP beside it) and the stand-in programs: *.kstx opens with
// the unpacker, *.txt with a NOTEPAD.EXE, *.zip with a WINZIP32.EXE, WordPad's App Paths names a WORDPAD.EXE
// (all copies of the unpacker, which logs how it was started).
class ExamineFixture : public ScratchTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The command lines the stand-ins were started with, in order.
    std::vector<std::string> Started() const;
    std::string Scratch() const { return BinDir() + "\\KS_TEMP"; }
    std::string Programs() const { return m_programs; }
    static void SetWordPadPath(const std::string& path);
    static void Associate(const char* extension, const std::string& program);
    std::vector<Shown> Starts() const { return m_ui.Of(Shown::Kind::Start); }
    std::vector<Shown> OpenFiles() const { return m_ui.Of(Shown::Kind::OpenFile); }
    std::vector<std::string> BoxTexts() const;

    std::string m_programs;
    std::string m_log;
};


}  // namespace ks_test
