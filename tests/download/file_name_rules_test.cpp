// The rules for names typed by the user: plain names pass, every kind of path, wildcard, dot name and device
// name is refused with the sentence that says which rule it breaks.
#include <gtest/gtest.h>

#include <string>

#include "download/file_name_rules.h"

namespace {

TEST(PlainNameFault, RefusesPathsWildcardsDotNamesAndDevices)
{
    struct Case {
        std::string name;
        const char* fault;  // a word of the sentence expected, or nullptr for a plain name
    };
    const Case cases[] = {
        {"NEW.TXT", nullptr},
        {"caf\xe9.txt", nullptr},
        {"A B.ZIP", nullptr},
        {".profile", nullptr},
        {"CONSOLE.TXT", nullptr},
        {"COM10", nullptr},
        {"LPT0.TXT", nullptr},
        {"", "empty"},
        {"   ", "empty"},
        {"..\\NEW.TXT", "path"},
        {"C:\\X\\Y.TXT", "path"},
        {"a/b", "path"},
        {"C:NEW.TXT", "path"},
        {"*.ZIP", "path"},
        {"WHAT?.TXT", "path"},
        {"say\"hi\"", "path"},
        {"<a>", "path"},
        {"a|b", "path"},
        {std::string("tab\there"), "control"},
        {std::string("nul\x01"), "control"},
        {".", "directories"},
        {"..", "directories"},
        {"NAME.", "end"},
        {"NAME ", "end"},
        {"CON", "device"},
        {"con.txt", "device"},
        {"NUL.TAR.GZ", "device"},
        {"AUX ", "end"},
        {"PRN .TXT", "device"},
        {"COM1", "device"},
        {"lpt9.doc", "device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("name: " + c.name);
        const std::string fault = PlainNameFault(c.name);
        if (!c.fault)
            EXPECT_EQ(fault, "");
        else
            EXPECT_NE(fault.find(c.fault), std::string::npos) << fault;
    }
}

}  // namespace
