// Reading what a program folder's catalogue holds once its program has ended: a fresh engine on its table.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "engine/engine_link.h"
#include "engine/link_protocol.h"
#include "tests/e2e/program_runner.h"

namespace ks_test {

// Closes the program's main window and waits until the program and its engine have ended.
inline void CloseProgram(const Program& program, HWND main)
{
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0u);
    EXPECT_TRUE(WaitForGone(kslink::kEngineCaption, std::chrono::seconds(10)));
}

// Every record of the folder's table in table order, through the folder's own engine, which is ended afterwards.
inline std::vector<FileRecord> StoredRecords(const ProgramFolder& folder)
{
    std::vector<FileRecord> records;
    Program engine(folder.ProgramDir() + "\\kspdx.exe", folder.ProgramDir());
    EngineLink link;
    if (!WaitForWindow(kslink::kEngineCaption, std::chrono::seconds(20)) ||
        link.Establish() != EngineLink::Start::Ready) {
        ADD_FAILURE() << "the engine did not start on the folder's table";
        return records;
    }
    FileRecord record{};
    for (int r = link.Transact(ENG_FIRST, record); r == 0; r = link.Transact(ENG_NEXT, record))
        records.push_back(record);
    EXPECT_EQ(link.Transact(ENG_SHUTDOWN, record), 0);
    EXPECT_EQ(engine.WaitForExit(std::chrono::seconds(20)), 0u);
    return records;
}

}  // namespace ks_test
