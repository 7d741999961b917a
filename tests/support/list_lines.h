// The lines of a list box as the tests read them: ANSI in this process, UTF-16 across processes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ks_test {

template <class Char>
std::vector<std::basic_string<Char>> ListLinesOf(HWND list)
{
    constexpr bool wide = sizeof(Char) == sizeof(wchar_t);
    std::vector<std::basic_string<Char>> lines;
    const int count = static_cast<int>(wide ? SendMessageW(list, LB_GETCOUNT, 0, 0) : SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        Char text[1024]{};
        if constexpr (wide)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        else
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

inline std::vector<std::string> ListLines(HWND list) { return ListLinesOf<char>(list); }
inline std::vector<std::wstring> ListTexts(HWND list) { return ListLinesOf<wchar_t>(list); }

}  // namespace ks_test
