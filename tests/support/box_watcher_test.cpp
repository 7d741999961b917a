// BoxWatcher: boxes of this process and of another one are recorded as shown and answered as asked.
// Started with --show-box, the program is the other process: it shows one box and exits with the answer.
#include "tests/support/box_watcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ks_test::BoxIcon;
using ks_test::BoxWatcher;
using ks_test::BoxWatcherOptions;

constexpr char kQuestion[] = "A File of this name already exists, would you like to overwrite it ?";
constexpr char kCaption[] = "SETUP.EXE";

std::vector<std::string> Texts(const ks_test::BoxRecord& box)
{
    std::vector<std::string> texts;
    for (const auto& button : box.buttons)
        texts.push_back(button.text);
    return texts;
}

TEST(BoxWatcher, AnswersABoxOfThisProcessWithTheNamedButton)
{
    BoxWatcherOptions options;
    options.button_text = "No";
    BoxWatcher watcher(options);
    EXPECT_EQ(MessageBoxA(nullptr, kQuestion, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);

    const auto box = watcher.WaitForBox(1);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->text, kQuestion);
    EXPECT_EQ(box->icon, BoxIcon::Question);
    EXPECT_EQ(Texts(*box), (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(box->answered, IDNO);
}

TEST(BoxWatcher, RecordsBoxesInTurnAndClicksTheDefaultButton)
{
    BoxWatcher watcher;
    EXPECT_EQ(MessageBoxA(nullptr, "Error copying file !", "File Error", MB_OK | MB_ICONSTOP), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Notice", MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2), IDCANCEL);

    const auto second = watcher.WaitForBox(2);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->caption, "Notice");
    EXPECT_EQ(second->icon, BoxIcon::Information);
    const auto first = watcher.WaitForBox(1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->text, "Error copying file !");
    EXPECT_EQ(first->icon, BoxIcon::Stop);
    EXPECT_FALSE(watcher.WaitForBox(3, std::chrono::milliseconds(100)).has_value());
}

TEST(BoxWatcher, WatchesOnlyBoxesWithItsCaption)
{
    BoxWatcherOptions warning;
    warning.caption = "Warning";
    BoxWatcherOptions file_error;
    file_error.caption = "File Error";
    BoxWatcher warnings(warning);
    BoxWatcher file_errors(file_error);
    MessageBoxA(nullptr, "You must select at least one file.", "Warning", MB_OK | MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, "Invalid File Handle", "File Error", MB_OK | MB_ICONEXCLAMATION);

    const auto seen = warnings.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "You must select at least one file.");
    EXPECT_EQ(seen[0].icon, BoxIcon::Exclamation);
    ASSERT_EQ(file_errors.Boxes().size(), 1u);
    EXPECT_EQ(file_errors.Boxes()[0].text, "Invalid File Handle");
}

TEST(BoxWatcher, AnswersABoxOfAnotherProcess)
{
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
    std::string command = std::string("\"") + self + "\" --show-box";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    BoxWatcherOptions options;
    options.process_id = process.dwProcessId;
    options.button_id = IDCANCEL;
    BoxWatcher watcher(options);
    const auto box = watcher.WaitForBox(1);
    const DWORD waited = WaitForSingleObject(process.hProcess, 10000);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->text, kQuestion);
    EXPECT_EQ(Texts(*box), (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(box->icon, BoxIcon::Question);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exit_code, static_cast<DWORD>(IDCANCEL));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--show-box") == 0)
        return MessageBoxA(nullptr, kQuestion, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
