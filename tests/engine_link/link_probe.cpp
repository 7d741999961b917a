// engine_link_probe.exe: the program's end of the link on its own, run from a folder the test made, so that
// the engine is searched for and started there. Argument: the longest wait for the engine window in ms.
// Exit code: 0 link ready and the engine answered ENG_COUNT and ENG_SHUTDOWN; 1 the engine could not be
// started; 2 its window never appeared; 3 it did not answer; 1000 + the engine's result code when it could not
// open its table (4 when the table it names is not kspdx.tbl beside the engine).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "engine/engine_link.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    EngineLink link;
    switch (link.Establish(static_cast<DWORD>(std::strtoul(commandLine, nullptr, 10)))) {
    case EngineLink::Start::SpawnFailed:
        return 1;
    case EngineLink::Start::NoWindow:
        return 2;
    case EngineLink::Start::TableRefused: {
        char path[MAX_PATH];
        std::string dir(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
        dir = dir.substr(0, dir.rfind('\\') + 1);
        if (lstrcmpiA(link.TablePath().c_str(), (dir + "kspdx.tbl").c_str()) != 0)
            return 4;
        return 1000 + link.Refusal();
    }
    case EngineLink::Start::Ready:
        break;
    }
    FileRecord record{};
    if (link.Transact(ENG_COUNT, record) != 0 || link.Transact(ENG_SHUTDOWN, record) != 0)
        return 3;
    return 0;
}
