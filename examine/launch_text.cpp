// The examine workflow's texts: command lines, paths, completed names and the viewer's rendering.
#include "examine/launch_text.h"

#include <cctype>
#include <cstdio>

namespace examine {

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

// Others stay exactly as the command lines have always had them.
std::string QuotedIfSpaced(const std::string& path)
{
    return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (!directory.empty() && directory.back() == '\\')
        return directory + name;
    return directory + "\\" + name;
}

bool TooLargeForNotepad(const std::string& programUpper, std::uint64_t fileSize)
{
    return Contains(programUpper, "NOTEPAD.EXE") && fileSize > kNotepadLimit;
}

std::string AssociatedCommandLine(const std::string& program, const std::string& directory,
                                  const std::string& name)
{
    const std::string upper = UpperCase(program);
    const std::string file = directory + "\\" + name;
    const bool alwaysQuoted = Contains(upper, "WINZIP") || Contains(upper, "WORDPAD.EXE");
    return QuotedIfSpaced(program) + " " + (alwaysQuoted ? "\"" + file + "\"" : QuotedIfSpaced(file));
}

std::string ExplorerCommandLine(const std::string& folder) { return "explorer " + QuotedIfSpaced(folder); }

std::string ViewerCommandLine(const std::string& viewer, const std::string& directory, const std::string& name)
{
    return QuotedIfSpaced(viewer) + " " + QuotedIfSpaced(directory + "\\" + name);
}

std::string CompletedName(const std::string& name, char last)
{
    if (name.empty())
        return name;
    std::string completed = name;
    completed.back() = last;
    return completed;
}

bool LooksLikeText(std::string_view bytes)
{
    std::size_t control = 0;
    for (unsigned char c : bytes) {
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\r' && c != '\n' && c != '\t' && c != '\f' && c != 0x1A)
            ++control;
    }
    // A stray control character or two (a form feed, an escape) does not make a text binary.
    return control * 100 <= bytes.size();
}

std::string ViewText(std::string_view bytes, std::uint64_t truncatedFrom)
{
    std::string out;
    if (LooksLikeText(bytes)) {
        out.reserve(bytes.size() + bytes.size() / 32);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\n' && (i == 0 || bytes[i - 1] != '\r'))
                out += '\r';
            if (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
                out += "\r\n";
                continue;
            }
            out += c;
        }
    } else {
        out.reserve(bytes.size() / 16 * 78 + 80);
        char line[96];
        for (std::size_t at = 0; at < bytes.size(); at += 16) {
            int n = std::snprintf(line, sizeof line, "%08zX  ", at);
            std::string ascii;
            for (std::size_t k = 0; k < 16; ++k) {
                if (at + k < bytes.size()) {
                    const unsigned char c = static_cast<unsigned char>(bytes[at + k]);
                    n += std::snprintf(line + n, sizeof line - n, "%02X ", c);
                    ascii += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
                } else {
                    n += std::snprintf(line + n, sizeof line - n, "   ");
                }
                if (k == 7)
                    n += std::snprintf(line + n, sizeof line - n, " ");
            }
            out.append(line, static_cast<std::size_t>(n));
            out += ' ';
            out += ascii;
            out += "\r\n";
        }
    }
    if (truncatedFrom > bytes.size()) {
        char note[96];
        std::snprintf(note, sizeof note, "\r\n[Only the first %zu of %llu bytes are shown.]\r\n", bytes.size(),
                      static_cast<unsigned long long>(truncatedFrom));
        out += note;
    }
    return out;
}

}  // namespace examine
