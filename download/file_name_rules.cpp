// PlainNameFault: blanks, path and wildcard characters, dot names, trailing dots and blanks, device names.
#include "download/file_name_rules.h"

#include <array>
#include <cctype>

namespace {

// Names Windows keeps for devices, with or without an extension ("NUL.TXT" opens the device too).
bool IsDeviceName(std::string_view name)
{
    const std::string_view stem = name.substr(0, name.find('.'));
    // Blanks before the extension are ignored by the system as well: "CON .TXT" is the console.
    std::string upper;
    for (char c : stem)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!upper.empty() && upper.back() == ' ')
        upper.pop_back();
    constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kDevices)
        if (upper == device)
            return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

std::string PlainNameFault(std::string_view name)
{
    if (name.find_first_not_of(' ') == std::string_view::npos)
        return "Please type a name: it is empty.";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32)
            return "A name cannot hold control characters.";
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return "A name cannot hold any of the characters \\ / : * ? \" < > | (it must not be a path).";
    }
    if (name == "." || name == "..")
        return "\".\" and \"..\" name directories, not files.";
    if (name.back() == '.' || name.back() == ' ')
        return "A name cannot end with a dot or a blank.";
    if (IsDeviceName(name))
        return "\"" + std::string(name) + "\" is a name Windows keeps for a device. Please choose another name.";
    return {};
}
