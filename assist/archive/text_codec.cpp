// The code page tables, the UTF decoders, the guess of a text's encoding, and the closest forms of characters
// a code page lacks.
#include "assist/archive/text_codec.h"

#include <algorithm>
#include <cstdint>

namespace arcdesc {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Bytes 0x80 to 0xFF of each built-in page (0: undefined), as the code pages' published tables give them.
constexpr CodePage::High kHigh1252 = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x017D, 0x0000,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
constexpr CodePage::High kHigh437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
constexpr CodePage::High kHigh850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

CodePage::High Latin1High()
{
    CodePage::High high{};
    for (std::size_t i = 0; i < high.size(); ++i)
        high[i] = static_cast<char32_t>(0x80 + i);
    return high;
}

struct Closest {
    char32_t c;
    const char* ascii;
};
// The nearest plain letters or marks of characters a code page may lack: letters without their accents (from
// the characters' Unicode decompositions), ligatures spelt out, typographic quotes, dashes and spaces plain.
constexpr Closest kClosest[] = {
    {0x00A0, " "}, {0x00A1, "!"}, {0x00A2, "c"}, {0x00A3, "GBP"}, {0x00A4, "*"}, {0x00A5, "JPY"}, {0x00A6, "|"},
    {0x00A7, "S"}, {0x00A8, "\""}, {0x00A9, "(C)"}, {0x00AA, "a"}, {0x00AB, "<<"}, {0x00AC, "-"}, {0x00AD, "-"},
    {0x00AE, "(R)"}, {0x00AF, "-"}, {0x00B0, "o"}, {0x00B1, "+/-"}, {0x00B2, "2"}, {0x00B3, "3"}, {0x00B4, "'"},
    {0x00B5, "u"}, {0x00B6, "P"}, {0x00B7, "."}, {0x00B8, ","}, {0x00B9, "1"}, {0x00BA, "o"}, {0x00BB, ">>"},
    {0x00BC, "1/4"}, {0x00BD, "1/2"}, {0x00BE, "3/4"}, {0x00BF, "?"}, {0x00C0, "A"}, {0x00C1, "A"}, {0x00C2, "A"},
    {0x00C3, "A"}, {0x00C4, "A"}, {0x00C5, "A"}, {0x00C6, "AE"}, {0x00C7, "C"}, {0x00C8, "E"}, {0x00C9, "E"},
    {0x00CA, "E"}, {0x00CB, "E"}, {0x00CC, "I"}, {0x00CD, "I"}, {0x00CE, "I"}, {0x00CF, "I"}, {0x00D0, "D"},
    {0x00D1, "N"}, {0x00D2, "O"}, {0x00D3, "O"}, {0x00D4, "O"}, {0x00D5, "O"}, {0x00D6, "O"}, {0x00D7, "x"},
    {0x00D8, "O"}, {0x00D9, "U"}, {0x00DA, "U"}, {0x00DB, "U"}, {0x00DC, "U"}, {0x00DD, "Y"}, {0x00DE, "Th"},
    {0x00DF, "ss"}, {0x00E0, "a"}, {0x00E1, "a"}, {0x00E2, "a"}, {0x00E3, "a"}, {0x00E4, "a"}, {0x00E5, "a"},
    {0x00E6, "ae"}, {0x00E7, "c"}, {0x00E8, "e"}, {0x00E9, "e"}, {0x00EA, "e"}, {0x00EB, "e"}, {0x00EC, "i"},
    {0x00ED, "i"}, {0x00EE, "i"}, {0x00EF, "i"}, {0x00F0, "d"}, {0x00F1, "n"}, {0x00F2, "o"}, {0x00F3, "o"},
    {0x00F4, "o"}, {0x00F5, "o"}, {0x00F6, "o"}, {0x00F7, "/"}, {0x00F8, "o"}, {0x00F9, "u"}, {0x00FA, "u"},
    {0x00FB, "u"}, {0x00FC, "u"}, {0x00FD, "y"}, {0x00FE, "th"}, {0x00FF, "y"}, {0x0100, "A"}, {0x0101, "a"},
    {0x0102, "A"}, {0x0103, "a"}, {0x0104, "A"}, {0x0105, "a"}, {0x0106, "C"}, {0x0107, "c"}, {0x0108, "C"},
    {0x0109, "c"}, {0x010A, "C"}, {0x010B, "c"}, {0x010C, "C"}, {0x010D, "c"}, {0x010E, "D"}, {0x010F, "d"},
    {0x0110, "D"}, {0x0111, "d"}, {0x0112, "E"}, {0x0113, "e"}, {0x0114, "E"}, {0x0115, "e"}, {0x0116, "E"},
    {0x0117, "e"}, {0x0118, "E"}, {0x0119, "e"}, {0x011A, "E"}, {0x011B, "e"}, {0x011C, "G"}, {0x011D, "g"},
    {0x011E, "G"}, {0x011F, "g"}, {0x0120, "G"}, {0x0121, "g"}, {0x0122, "G"}, {0x0123, "g"}, {0x0124, "H"},
    {0x0125, "h"}, {0x0126, "H"}, {0x0127, "h"}, {0x0128, "I"}, {0x0129, "i"}, {0x012A, "I"}, {0x012B, "i"},
    {0x012C, "I"}, {0x012D, "i"}, {0x012E, "I"}, {0x012F, "i"}, {0x0130, "I"}, {0x0131, "i"}, {0x0132, "IJ"},
    {0x0133, "ij"}, {0x0134, "J"}, {0x0135, "j"}, {0x0136, "K"}, {0x0137, "k"}, {0x0139, "L"}, {0x013A, "l"},
    {0x013B, "L"}, {0x013C, "l"}, {0x013D, "L"}, {0x013E, "l"}, {0x013F, "L"}, {0x0140, "l"}, {0x0141, "L"},
    {0x0142, "l"}, {0x0143, "N"}, {0x0144, "n"}, {0x0145, "N"}, {0x0146, "n"}, {0x0147, "N"}, {0x0148, "n"},
    {0x0149, "'n"}, {0x014A, "N"}, {0x014B, "n"}, {0x014C, "O"}, {0x014D, "o"}, {0x014E, "O"}, {0x014F, "o"},
    {0x0150, "O"}, {0x0151, "o"}, {0x0152, "OE"}, {0x0153, "oe"}, {0x0154, "R"}, {0x0155, "r"}, {0x0156, "R"},
    {0x0157, "r"}, {0x0158, "R"}, {0x0159, "r"}, {0x015A, "S"}, {0x015B, "s"}, {0x015C, "S"}, {0x015D, "s"},
    {0x015E, "S"}, {0x015F, "s"}, {0x0160, "S"}, {0x0161, "s"}, {0x0162, "T"}, {0x0163, "t"}, {0x0164, "T"},
    {0x0165, "t"}, {0x0166, "T"}, {0x0167, "t"}, {0x0168, "U"}, {0x0169, "u"}, {0x016A, "U"}, {0x016B, "u"},
    {0x016C, "U"}, {0x016D, "u"}, {0x016E, "U"}, {0x016F, "u"}, {0x0170, "U"}, {0x0171, "u"}, {0x0172, "U"},
    {0x0173, "u"}, {0x0174, "W"}, {0x0175, "w"}, {0x0176, "Y"}, {0x0177, "y"}, {0x0178, "Y"}, {0x0179, "Z"},
    {0x017A, "z"}, {0x017B, "Z"}, {0x017C, "z"}, {0x017D, "Z"}, {0x017E, "z"}, {0x017F, "s"}, {0x0180, "b"},
    {0x0181, "B"}, {0x0187, "C"}, {0x0188, "c"}, {0x0189, "D"}, {0x018A, "D"}, {0x0191, "F"}, {0x0192, "f"},
    {0x0193, "G"}, {0x0197, "I"}, {0x0198, "K"}, {0x0199, "k"}, {0x019A, "l"}, {0x019D, "N"}, {0x019E, "n"},
    {0x01A0, "O"}, {0x01A1, "o"}, {0x01A4, "P"}, {0x01A5, "p"}, {0x01AB, "t"}, {0x01AC, "T"}, {0x01AD, "t"},
    {0x01AE, "T"}, {0x01AF, "U"}, {0x01B0, "u"}, {0x01B3, "Y"}, {0x01B4, "y"}, {0x01B5, "Z"}, {0x01B6, "z"},
    {0x01C4, "DZ"}, {0x01C5, "Dz"}, {0x01C6, "dz"}, {0x01C7, "LJ"}, {0x01C8, "Lj"}, {0x01C9, "lj"}, {0x01CA, "NJ"},
    {0x01CB, "Nj"}, {0x01CC, "nj"}, {0x01CD, "A"}, {0x01CE, "a"}, {0x01CF, "I"}, {0x01D0, "i"}, {0x01D1, "O"},
    {0x01D2, "o"}, {0x01D3, "U"}, {0x01D4, "u"}, {0x01D5, "U"}, {0x01D6, "u"}, {0x01D7, "U"}, {0x01D8, "u"},
    {0x01D9, "U"}, {0x01DA, "u"}, {0x01DB, "U"}, {0x01DC, "u"}, {0x01DE, "A"}, {0x01DF, "a"}, {0x01E0, "A"},
    {0x01E1, "a"}, {0x01E4, "G"}, {0x01E5, "g"}, {0x01E6, "G"}, {0x01E7, "g"}, {0x01E8, "K"}, {0x01E9, "k"},
    {0x01EA, "O"}, {0x01EB, "o"}, {0x01EC, "O"}, {0x01ED, "o"}, {0x01F0, "j"}, {0x01F1, "DZ"}, {0x01F2, "Dz"},
    {0x01F3, "dz"}, {0x01F4, "G"}, {0x01F5, "g"}, {0x01F8, "N"}, {0x01F9, "n"}, {0x01FA, "A"}, {0x01FB, "a"},
    {0x0200, "A"}, {0x0201, "a"}, {0x0202, "A"}, {0x0203, "a"}, {0x0204, "E"}, {0x0205, "e"}, {0x0206, "E"},
    {0x0207, "e"}, {0x0208, "I"}, {0x0209, "i"}, {0x020A, "I"}, {0x020B, "i"}, {0x020C, "O"}, {0x020D, "o"},
    {0x020E, "O"}, {0x020F, "o"}, {0x0210, "R"}, {0x0211, "r"}, {0x0212, "R"}, {0x0213, "r"}, {0x0214, "U"},
    {0x0215, "u"}, {0x0216, "U"}, {0x0217, "u"}, {0x0218, "S"}, {0x0219, "s"}, {0x021A, "T"}, {0x021B, "t"},
    {0x021E, "H"}, {0x021F, "h"}, {0x0226, "A"}, {0x0227, "a"}, {0x0228, "E"}, {0x0229, "e"}, {0x022A, "O"},
    {0x022B, "o"}, {0x022C, "O"}, {0x022D, "o"}, {0x022E, "O"}, {0x022F, "o"}, {0x0230, "O"}, {0x0231, "o"},
    {0x0232, "Y"}, {0x0233, "y"}, {0x023A, "A"}, {0x023B, "C"}, {0x023C, "c"}, {0x023D, "L"}, {0x023E, "T"},
    {0x0243, "B"}, {0x0246, "E"}, {0x0247, "e"}, {0x0248, "J"}, {0x0249, "j"}, {0x024C, "R"}, {0x024D, "r"},
    {0x024E, "Y"}, {0x024F, "y"}, {0x02BC, "'"}, {0x02C6, "^"}, {0x02C7, ""}, {0x02D8, ""}, {0x02D9, ""}, {0x02DA, ""},
    {0x02DB, ""}, {0x02DC, "~"}, {0x02DD, ""}, {0x1E00, "A"}, {0x1E01, "a"}, {0x1E02, "B"}, {0x1E03, "b"},
    {0x1E04, "B"}, {0x1E05, "b"}, {0x1E06, "B"}, {0x1E07, "b"}, {0x1E08, "C"}, {0x1E09, "c"}, {0x1E0A, "D"},
    {0x1E0B, "d"}, {0x1E0C, "D"}, {0x1E0D, "d"}, {0x1E0E, "D"}, {0x1E0F, "d"}, {0x1E10, "D"}, {0x1E11, "d"},
    {0x1E12, "D"}, {0x1E13, "d"}, {0x1E14, "E"}, {0x1E15, "e"}, {0x1E16, "E"}, {0x1E17, "e"}, {0x1E18, "E"},
    {0x1E19, "e"}, {0x1E1A, "E"}, {0x1E1B, "e"}, {0x1E1C, "E"}, {0x1E1D, "e"}, {0x1E1E, "F"}, {0x1E1F, "f"},
    {0x1E20, "G"}, {0x1E21, "g"}, {0x1E22, "H"}, {0x1E23, "h"}, {0x1E24, "H"}, {0x1E25, "h"}, {0x1E26, "H"},
    {0x1E27, "h"}, {0x1E28, "H"}, {0x1E29, "h"}, {0x1E2A, "H"}, {0x1E2B, "h"}, {0x1E2C, "I"}, {0x1E2D, "i"},
    {0x1E2E, "I"}, {0x1E2F, "i"}, {0x1E30, "K"}, {0x1E31, "k"}, {0x1E32, "K"}, {0x1E33, "k"}, {0x1E34, "K"},
    {0x1E35, "k"}, {0x1E36, "L"}, {0x1E37, "l"}, {0x1E38, "L"}, {0x1E39, "l"}, {0x1E3A, "L"}, {0x1E3B, "l"},
    {0x1E3C, "L"}, {0x1E3D, "l"}, {0x1E3E, "M"}, {0x1E3F, "m"}, {0x1E40, "M"}, {0x1E41, "m"}, {0x1E42, "M"},
    {0x1E43, "m"}, {0x1E44, "N"}, {0x1E45, "n"}, {0x1E46, "N"}, {0x1E47, "n"}, {0x1E48, "N"}, {0x1E49, "n"},
    {0x1E4A, "N"}, {0x1E4B, "n"}, {0x1E4C, "O"}, {0x1E4D, "o"}, {0x1E4E, "O"}, {0x1E4F, "o"}, {0x1E50, "O"},
    {0x1E51, "o"}, {0x1E52, "O"}, {0x1E53, "o"}, {0x1E54, "P"}, {0x1E55, "p"}, {0x1E56, "P"}, {0x1E57, "p"},
    {0x1E58, "R"}, {0x1E59, "r"}, {0x1E5A, "R"}, {0x1E5B, "r"}, {0x1E5C, "R"}, {0x1E5D, "r"}, {0x1E5E, "R"},
    {0x1E5F, "r"}, {0x1E60, "S"}, {0x1E61, "s"}, {0x1E62, "S"}, {0x1E63, "s"}, {0x1E64, "S"}, {0x1E65, "s"},
    {0x1E66, "S"}, {0x1E67, "s"}, {0x1E68, "S"}, {0x1E69, "s"}, {0x1E6A, "T"}, {0x1E6B, "t"}, {0x1E6C, "T"},
    {0x1E6D, "t"}, {0x1E6E, "T"}, {0x1E6F, "t"}, {0x1E70, "T"}, {0x1E71, "t"}, {0x1E72, "U"}, {0x1E73, "u"},
    {0x1E74, "U"}, {0x1E75, "u"}, {0x1E76, "U"}, {0x1E77, "u"}, {0x1E78, "U"}, {0x1E79, "u"}, {0x1E7A, "U"},
    {0x1E7B, "u"}, {0x1E7C, "V"}, {0x1E7D, "v"}, {0x1E7E, "V"}, {0x1E7F, "v"}, {0x1E80, "W"}, {0x1E81, "w"},
    {0x1E82, "W"}, {0x1E83, "w"}, {0x1E84, "W"}, {0x1E85, "w"}, {0x1E86, "W"}, {0x1E87, "w"}, {0x1E88, "W"},
    {0x1E89, "w"}, {0x1E8A, "X"}, {0x1E8B, "x"}, {0x1E8C, "X"}, {0x1E8D, "x"}, {0x1E8E, "Y"}, {0x1E8F, "y"},
    {0x1E90, "Z"}, {0x1E91, "z"}, {0x1E92, "Z"}, {0x1E93, "z"}, {0x1E94, "Z"}, {0x1E95, "z"}, {0x1E96, "h"},
    {0x1E97, "t"}, {0x1E98, "w"}, {0x1E99, "y"}, {0x1E9A, "a"}, {0x1E9B, "s"}, {0x1EA0, "A"}, {0x1EA1, "a"},
    {0x1EA2, "A"}, {0x1EA3, "a"}, {0x1EA4, "A"}, {0x1EA5, "a"}, {0x1EA6, "A"}, {0x1EA7, "a"}, {0x1EA8, "A"},
    {0x1EA9, "a"}, {0x1EAA, "A"}, {0x1EAB, "a"}, {0x1EAC, "A"}, {0x1EAD, "a"}, {0x1EAE, "A"}, {0x1EAF, "a"},
    {0x1EB0, "A"}, {0x1EB1, "a"}, {0x1EB2, "A"}, {0x1EB3, "a"}, {0x1EB4, "A"}, {0x1EB5, "a"}, {0x1EB6, "A"},
    {0x1EB7, "a"}, {0x1EB8, "E"}, {0x1EB9, "e"}, {0x1EBA, "E"}, {0x1EBB, "e"}, {0x1EBC, "E"}, {0x1EBD, "e"},
    {0x1EBE, "E"}, {0x1EBF, "e"}, {0x1EC0, "E"}, {0x1EC1, "e"}, {0x1EC2, "E"}, {0x1EC3, "e"}, {0x1EC4, "E"},
    {0x1EC5, "e"}, {0x1EC6, "E"}, {0x1EC7, "e"}, {0x1EC8, "I"}, {0x1EC9, "i"}, {0x1ECA, "I"}, {0x1ECB, "i"},
    {0x1ECC, "O"}, {0x1ECD, "o"}, {0x1ECE, "O"}, {0x1ECF, "o"}, {0x1ED0, "O"}, {0x1ED1, "o"}, {0x1ED2, "O"},
    {0x1ED3, "o"}, {0x1ED4, "O"}, {0x1ED5, "o"}, {0x1ED6, "O"}, {0x1ED7, "o"}, {0x1ED8, "O"}, {0x1ED9, "o"},
    {0x1EDA, "O"}, {0x1EDB, "o"}, {0x1EDC, "O"}, {0x1EDD, "o"}, {0x1EDE, "O"}, {0x1EDF, "o"}, {0x1EE0, "O"},
    {0x1EE1, "o"}, {0x1EE2, "O"}, {0x1EE3, "o"}, {0x1EE4, "U"}, {0x1EE5, "u"}, {0x1EE6, "U"}, {0x1EE7, "u"},
    {0x1EE8, "U"}, {0x1EE9, "u"}, {0x1EEA, "U"}, {0x1EEB, "u"}, {0x1EEC, "U"}, {0x1EED, "u"}, {0x1EEE, "U"},
    {0x1EEF, "u"}, {0x1EF0, "U"}, {0x1EF1, "u"}, {0x1EF2, "Y"}, {0x1EF3, "y"}, {0x1EF4, "Y"}, {0x1EF5, "y"},
    {0x1EF6, "Y"}, {0x1EF7, "y"}, {0x1EF8, "Y"}, {0x1EF9, "y"}, {0x2002, " "}, {0x2003, " "}, {0x2004, " "},
    {0x2005, " "}, {0x2006, " "}, {0x2007, " "}, {0x2008, " "}, {0x2009, " "}, {0x200A, " "}, {0x2010, "-"},
    {0x2011, "-"}, {0x2012, "-"}, {0x2013, "-"}, {0x2014, "-"}, {0x2015, "-"}, {0x2016, "||"}, {0x2017, "_"},
    {0x2018, "'"}, {0x2019, "'"}, {0x201A, ","}, {0x201B, "'"}, {0x201C, "\""}, {0x201D, "\""}, {0x201E, "\""},
    {0x201F, "\""}, {0x2020, "+"}, {0x2021, "+"}, {0x2022, "*"}, {0x2023, ">"}, {0x2024, "."}, {0x2025, ".."},
    {0x2026, "..."}, {0x2027, "-"}, {0x202F, " "}, {0x2030, "%o"}, {0x2032, "'"}, {0x2033, "\""}, {0x2039, "<"},
    {0x203A, ">"}, {0x2044, "/"}, {0x205F, " "}, {0x20AC, "EUR"}, {0x2116, "No"}, {0x2122, "TM"}, {0x2190, "<-"},
    {0x2192, "->"}, {0x2194, "<->"}, {0x21D2, "=>"}, {0x2212, "-"}, {0x221E, "oo"}, {0x2248, "~"}, {0x2260, "!="},
    {0x2264, "<="}, {0x2265, ">="}, {0x3000, " "}, {0xFB00, "ff"}, {0xFB01, "fi"}, {0xFB02, "fl"}, {0xFB03, "ffi"},
    {0xFB04, "ffl"},
};

const char* ClosestForm(char32_t c)
{
    const auto* end = std::end(kClosest);
    const auto* it =
        std::lower_bound(std::begin(kClosest), end, c, [](const Closest& e, char32_t v) { return e.c < v; });
    return it != end && it->c == c ? it->ascii : nullptr;
}

// Line-drawing and block characters of DOS descriptions, drawn with plain marks.
char LineDrawing(char32_t c)
{
    if (c >= 0x2500 && c <= 0x257F) {
        static constexpr char32_t kHorizontal[] = {0x2500, 0x2501, 0x2504, 0x2505, 0x2508, 0x2509, 0x254C, 0x254D,
                                                  0x2550, 0x2574, 0x2576, 0x2578, 0x257A, 0x257C, 0x257E};
        static constexpr char32_t kVertical[] = {0x2502, 0x2503, 0x2506, 0x2507, 0x250A, 0x250B, 0x254E, 0x254F,
                                                0x2551, 0x2575, 0x2577, 0x2579, 0x257B, 0x257D, 0x257F};
        if (std::find(std::begin(kHorizontal), std::end(kHorizontal), c) != std::end(kHorizontal))
            return '-';
        if (std::find(std::begin(kVertical), std::end(kVertical), c) != std::end(kVertical))
            return '|';
        return '+';
    }
    if (c >= 0x2580 && c <= 0x259F)
        return '#';
    return 0;
}

bool Combining(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// Appends c as the page writes it: itself, its closest form, nothing for a mark that adds nothing, else "?".
void EncodeChar(char32_t c, const CodePage& page, std::string& out)
{
    char byte = 0;
    if (page.Encode(c, byte)) {
        out.push_back(byte);
        return;
    }
    if (c == 0xFEFF || c == 0x200B || c == 0x200C || c == 0x200D || c == 0x2060 || c == 0x00AD || Combining(c))
        return;  // marks that add nothing a reader sees once the letter stands alone
    if (const char* ascii = ClosestForm(c)) {
        out += ascii;
        return;
    }
    if (const char mark = LineDrawing(c)) {
        out.push_back(mark);
        return;
    }
    out.push_back('?');
}

bool AsciiLetter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

// Which legacy page a text's high bytes fit better. Inside a word (letters on both sides) bytes 0x80 to 0xA5
// are the DOS pages' accented letters and 0xC0 and above the Windows page's; at a word's edge 0xC0 and above
// still read as Windows letters; between non-letters 0xB0 to 0xDF are DOS line drawing and 0x80 to 0x9F the
// Windows page's dashes, quotes and bullets.
Legacy GuessLegacy(std::string_view bytes, Legacy usual)
{
    long dos = 0, ansi = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80)
            continue;
        const bool before = i > 0 && AsciiLetter(static_cast<unsigned char>(bytes[i - 1]));
        const bool after = i + 1 < bytes.size() && AsciiLetter(static_cast<unsigned char>(bytes[i + 1]));
        if (before && after) {
            if (b <= 0xA5)
                ++dos;
            else if (b >= 0xC0)
                ++ansi;
        } else if (before || after) {
            if (b >= 0xC0)
                ++ansi;
        } else if (b >= 0xB0 && b <= 0xDF) {
            ++dos;
        } else if (b < 0xA0) {
            ++ansi;
        }
    }
    if (dos == ansi)
        return usual;
    return dos > ansi ? Legacy::Dos : Legacy::Ansi;
}

// UTF-16 without a mark: most characters of a Latin text have a zero high byte.
bool LooksUtf16(std::string_view bytes, bool& bigEndian)
{
    const std::size_t n = std::min<std::size_t>(bytes.size(), 1024) & ~std::size_t{1};
    if (n < 4)
        return false;
    std::size_t zeroEven = 0, zeroOdd = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        zeroEven += bytes[i] == '\0';
        zeroOdd += bytes[i + 1] == '\0';
    }
    const std::size_t pairs = n / 2;
    if (zeroOdd * 10 >= pairs * 6 && zeroEven * 10 <= pairs) {
        bigEndian = false;
        return true;
    }
    if (zeroEven * 10 >= pairs * 6 && zeroOdd * 10 <= pairs) {
        bigEndian = true;
        return true;
    }
    return false;
}

}  // namespace

CodePage::CodePage(unsigned number, const High& high) : m_number(number), m_high(high)
{
    for (std::size_t i = 0; i < m_high.size(); ++i)
        if (m_high[i] >= 0x80)
            m_reverse.emplace_back(m_high[i], static_cast<unsigned char>(0x80 + i));
    std::sort(m_reverse.begin(), m_reverse.end());
}

CodePage CodePage::AsciiOnly(unsigned number) { return CodePage(number, High{}); }

char32_t CodePage::Decode(unsigned char byte) const
{
    if (byte < 0x80)
        return byte;
    const char32_t c = m_high[byte - 0x80];
    return c ? c : kReplacement;
}

bool CodePage::Encode(char32_t c, char& byte) const
{
    if (c < 0x80) {
        byte = static_cast<char>(c);
        return true;
    }
    const auto it =
        std::lower_bound(m_reverse.begin(), m_reverse.end(), std::make_pair(c, static_cast<unsigned char>(0)));
    if (it == m_reverse.end() || it->first != c)
        return false;
    byte = static_cast<char>(it->second);
    return true;
}

const CodePage& Windows1252()
{
    static const CodePage page(1252, kHigh1252);
    return page;
}
const CodePage& Dos437()
{
    static const CodePage page(437, kHigh437);
    return page;
}
const CodePage& Dos850()
{
    static const CodePage page(850, kHigh850);
    return page;
}
const CodePage& Latin1()
{
    static const CodePage page(28591, Latin1High());
    return page;
}

const CodePage* BuiltInCodePage(unsigned number)
{
    for (const CodePage* page : {&Windows1252(), &Dos437(), &Dos850(), &Latin1()})
        if (page->Number() == number)
            return page;
    return nullptr;
}

const CodePage* CodePages::Find(unsigned number) const
{
    if (record && record->Number() == number)
        return record;
    if (dos && dos->Number() == number)
        return dos;
    if (other)
        if (const CodePage* page = other(number))
            return page;
    return BuiltInCodePage(number);
}

std::u32string DecodeUtf8(std::string_view bytes)
{
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, c = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, c = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, c = b & 0x07, min = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t j = 1;
        for (; j <= extra && i + j < bytes.size(); ++j) {
            const auto t = static_cast<unsigned char>(bytes[i + j]);
            if ((t & 0xC0) != 0x80)
                break;
            c = (c << 6) | (t & 0x3F);
        }
        if (j <= extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(kReplacement);
            i += j;  // the bytes that started the broken sequence; the next one starts afresh
            continue;
        }
        out.push_back(c);
        i += extra + 1;
    }
    return out;
}

bool IsUtf8(std::string_view bytes, bool cut)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra;
        if (b < 0x80)
            extra = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            extra = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            extra = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= bytes.size() && extra > 0) {
            // A sequence running past the end: allowed only where the text was cut, and only if what is there fits.
            if (!cut)
                return false;
            for (std::size_t j = i + 1; j < bytes.size(); ++j)
                if ((static_cast<unsigned char>(bytes[j]) & 0xC0) != 0x80)
                    return false;
            return true;
        }
        for (std::size_t j = 1; j <= extra; ++j)
            if ((static_cast<unsigned char>(bytes[i + j]) & 0xC0) != 0x80)
                return false;
        if (extra == 2) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            if ((b == 0xE0 && t < 0xA0) || (b == 0xED && t >= 0xA0))
                return false;  // overlong, or a surrogate
        } else if (extra == 3) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            if ((b == 0xF0 && t < 0x90) || (b == 0xF4 && t >= 0x90))
                return false;
        }
        i += extra + 1;
    }
    return true;
}

std::u32string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u32string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    if (i < bytes.size())
        out.push_back(kReplacement);
    return out;
}

std::u32string DecodeCodePage(std::string_view bytes, const CodePage& page)
{
    std::u32string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.push_back(page.Decode(static_cast<unsigned char>(b)));
    return out;
}

std::u32string DecodeText(std::string_view bytes, const CodePages& pages, Legacy usual, bool cut)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return DecodeUtf8(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return DecodeUtf16(bytes.substr(2), true);
    bool bigEndian = false;
    if (LooksUtf16(bytes, bigEndian))
        return DecodeUtf16(bytes, bigEndian);
    if (IsUtf8(bytes, cut)) {
        std::u32string text = DecodeUtf8(bytes);
        if (cut && !text.empty() && text.back() == kReplacement)
            text.pop_back();  // the sequence the cut broke
        return text;
    }
    const Legacy legacy = GuessLegacy(bytes, usual);
    const CodePage* page = legacy == Legacy::Dos ? pages.dos : pages.record;
    return DecodeCodePage(bytes, page ? *page : Windows1252());
}

std::string Encode(std::u32string_view text, const CodePage& page)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        EncodeChar(c, page, out);
    return out;
}

std::string EncodeFit(std::u32string_view text, const CodePage& page, std::size_t maxBytes, std::size_t* taken)
{
    std::string out;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const std::size_t before = out.size();
        EncodeChar(text[i], page, out);
        if (out.size() > maxBytes) {
            out.resize(before);
            break;
        }
    }
    if (taken)
        *taken = i;
    return out;
}

bool IsWordChar(char32_t c)
{
    if (c < 0x80)
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (c < 0xC0)
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7)
        return false;
    if (c <= 0x2AF)
        return true;  // the Latin letters
    if (c < 0x370)
        return Combining(c);  // spacing modifiers are no letters; accents belong to theirs
    if (c >= 0x2000 && c < 0x2C00)
        return false;  // punctuation, symbols, arrows, mathematics, line drawing, shapes, dingbats
    if (c >= 0x2E00 && c < 0x2E80)
        return false;
    if (c >= 0x3000 && c < 0x3040)
        return false;  // CJK punctuation
    if ((c >= 0xE000 && c < 0xF900) || (c >= 0xFE30 && c < 0xFE70) || (c >= 0xFFF0 && c <= 0xFFFF))
        return false;
    if (c >= 0xFF00 && c < 0xFF66)
        return (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
    if (c == 0xFEFF)
        return false;
    return true;
}

char32_t UpperChar(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    return c;
}

std::u32string UpperText(std::u32string_view text)
{
    std::u32string out(text);
    std::transform(out.begin(), out.end(), out.begin(), UpperChar);
    return out;
}

std::string ToUtf8(std::u32string_view text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace arcdesc
