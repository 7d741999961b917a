// FileRecord: the byte layout callers and engine share, and the bounded text helpers.
#include "engine/file_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FileRecord, IntegersSitLittleEndianAtTheirOffsets)
{
    FileRecord record{};
    record.RecordCount = 0x01020304;
    record.RecordNumber = 0x0A0B0C0D;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 0x0D);
    EXPECT_EQ(bytes[7], 0x0A);
}

TEST(FileRecord, FileNameOf255CharactersEndsAtOffset263)
{
    FileRecord record;
    std::memset(&record, 0x55, sizeof record);
    const std::string name(255, 'N');
    EXPECT_TRUE(SetFieldText(record.FileName, name));
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_EQ(bytes[262], 'N');
    EXPECT_EQ(bytes[263], 0);
    EXPECT_EQ(bytes[264], 0x55);  // the next field is untouched
    EXPECT_EQ(FieldText(record.FileName), name);
}

TEST(FileRecord, FieldWithoutTerminatorIsReadWithinItsWidth)
{
    FileRecord record;
    std::memset(&record, 'X', sizeof record);  // no terminator anywhere
    EXPECT_EQ(FieldText(record.DownloadDate).size(), kDownloadDateSize - 1);
    EXPECT_EQ(FieldText(record.Abstract).size(), kAbstractSize - 1);  // last field: never past the record
    for (const TextField& field : kTextFields)
        EXPECT_EQ(FieldText(record, field).size(), field.size - 1) << field.offset;
}

TEST(FileRecord, SettingTextCutsItToTheFieldAndZeroesTheTail)
{
    struct Case {
        std::string text;
        std::string stored;
        bool whole;
    };
    const Case cases[] = {
        {"12/25/1996", "12/25/1996", true},
        {"12/25/19961", "12/25/1996", false},  // one character too many
        {std::string("12\0/25", 6), "12", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        FileRecord record;
        std::memset(&record, 0x77, sizeof record);
        EXPECT_EQ(SetFieldText(record.DownloadDate, c.text), c.whole) << c.stored;
        EXPECT_EQ(FieldText(record.DownloadDate), c.stored);
        for (std::size_t i = c.stored.size(); i < kDownloadDateSize; ++i)
            EXPECT_EQ(record.DownloadDate[i], 0) << c.stored << " byte " << i;
        EXPECT_EQ(static_cast<unsigned char>(record.Title[0]), 0x77);
    }
}

}  // namespace
