// File utilities of kscf.dll: counting directory entries and copying files through the LZ expansion layer.
#include "kscf/kscf.h"
#include "tests/support/box_watcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using ks_test::BoxIcon;
using ks_test::BoxWatcher;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The inputs compressed by mscompress at build time: NAME.dat and its compressed form NAME.da_.
fs::path LzInput(const std::string& file)
{
    return fs::path(KS_LZ_INPUTS) / file;
}

// A fresh scratch directory per test, removed afterwards.
class Scratch : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("kscf_" + std::to_string(GetCurrentProcessId()) + "_" + test->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // The Windows ANSI path of `name` inside the scratch directory.
    std::string At(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

using NumFilesDirTest = Scratch;

TEST_F(NumFilesDirTest, CountsFilesAndSubdirectoriesButNotDotNames)
{
    for (const char* file : {"SETUP.EXE", "readme.txt", "hidden.dat", ".profile"})
        WriteBytes(m_dir / file, "content");
    SetFileAttributesA(At("hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    fs::create_directory(m_dir / "DISK1");
    fs::create_directory(m_dir / ".cache");

    BoxWatcher watcher;
    EXPECT_EQ(NumFilesDir(m_dir.string().c_str()), 4);
    EXPECT_TRUE(watcher.Boxes().empty());
}

TEST_F(NumFilesDirTest, AnEmptyDirectoryGivesZeroWithoutAMessage)
{
    BoxWatcher watcher;
    EXPECT_EQ(NumFilesDir(m_dir.string().c_str()), 0);
    EXPECT_TRUE(watcher.Boxes().empty());
}

TEST_F(NumFilesDirTest, AMissingDirectoryShowsInvalidFileHandle)
{
    BoxWatcher watcher;
    EXPECT_EQ(NumFilesDir(At("no such directory").c_str()), 0);

    const auto box = watcher.WaitForBox(1);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "File Error");
    EXPECT_EQ(box->text, "Invalid File Handle");
    EXPECT_EQ(box->icon, BoxIcon::Exclamation);
    ASSERT_EQ(box->buttons.size(), 1u);
    EXPECT_EQ(box->buttons[0].text, "OK");
    EXPECT_EQ(watcher.Boxes().size(), 1u);
}

// Expanding files compressed by an independent producer gives back the original bytes.
class LzExpand : public Scratch, public ::testing::WithParamInterface<const char*> {};

TEST_P(LzExpand, ExpandsToTheOriginalBytes)
{
    const std::string name = GetParam();
    const std::string original = ReadBytes(LzInput(name + ".dat"));
    ASSERT_GE(original.size(), 16u);
    const std::string compressed = ReadBytes(LzInput(name + ".da_"));
    ASSERT_EQ(compressed.compare(0, 4, "SZDD"), 0) << "not a compressed input";

    fs::copy_file(LzInput(name + ".da_"), m_dir / (name + ".da_"));
    EXPECT_EQ(LZcopyfile(At(name + ".da_").c_str(), At(name + ".dat").c_str()), 0);
    EXPECT_TRUE(ReadBytes(m_dir / (name + ".dat")) == original) << "expanded content differs";
}

INSTANTIATE_TEST_SUITE_P(MscompressInputs, LzExpand, ::testing::Values("text_16", "text_5k", "binary_3k", "binary_64k"));

using LZcopyfileTest = Scratch;

TEST_F(LZcopyfileTest, CopiesAnUncompressedFileUnchanged)
{
    for (const char* name : {"text_5k.dat", "binary_64k.dat"}) {
        const std::string original = ReadBytes(LzInput(name));
        fs::copy_file(LzInput(name), m_dir / name);
        // An existing, longer destination is replaced, not partly overwritten.
        WriteBytes(m_dir / "copy.bin", std::string(original.size() + 1000, 'x'));
        EXPECT_EQ(LZcopyfile(At(name).c_str(), At("copy.bin").c_str()), 0) << name;
        EXPECT_TRUE(ReadBytes(m_dir / "copy.bin") == original) << name;
        EXPECT_TRUE(ReadBytes(m_dir / name) == original) << "the source changed: " << name;
    }
}

TEST_F(LZcopyfileTest, AMissingSourceGivesMinusOne)
{
    EXPECT_EQ(LZcopyfile(At("absent.txt").c_str(), At("copy.txt").c_str()), -1);
    EXPECT_FALSE(fs::exists(m_dir / "copy.txt"));
}

TEST_F(LZcopyfileTest, ADestinationInAMissingDirectoryGivesMinusTwo)
{
    WriteBytes(m_dir / "source.txt", "sixteen bytes or more of text\r\n");
    EXPECT_EQ(LZcopyfile(At("source.txt").c_str(), At("no such directory\\source.txt").c_str()), -2);
    fs::copy_file(LzInput("text_5k.da_"), m_dir / "text_5k.da_");
    EXPECT_EQ(LZcopyfile(At("text_5k.da_").c_str(), At("no such directory\\text_5k.dat").c_str()), -2);
}

TEST_F(LZcopyfileTest, CopyingAFileOntoItselfLeavesItWhole)
{
    // Creating the destination would truncate the source first.
    for (const char* name : {"text_5k.dat", "text_5k.da_"}) {
        const std::string original = ReadBytes(LzInput(name));
        fs::copy_file(LzInput(name), m_dir / name);
        EXPECT_EQ(LZcopyfile(At(name).c_str(), At(name).c_str()), -2) << name;
        EXPECT_TRUE(ReadBytes(m_dir / name) == original) << name;
    }
}

TEST_F(LZcopyfileTest, ACompressedFileOfTheWrongLengthIsAnErrorAndLeavesNoCopy)
{
    const std::string compressed = ReadBytes(LzInput("binary_64k.da_"));
    const struct {
        const char* what;
        std::string bytes;
    } damaged[] = {
        {"cut in the middle", compressed.substr(0, compressed.size() / 2)},
        {"one byte short", compressed.substr(0, compressed.size() - 1)},
        {"header only", compressed.substr(0, 14)},
        {"cut inside the header", compressed.substr(0, 10)},
        {"trailing bytes", compressed + std::string(64, '\x5A')},
    };
    for (const auto& d : damaged) {
        WriteBytes(m_dir / "damaged.da_", d.bytes);
        WriteBytes(m_dir / "damaged.dat", "an older copy");
        EXPECT_EQ(LZcopyfile(At("damaged.da_").c_str(), At("damaged.dat").c_str()), -4) << d.what;
        EXPECT_FALSE(fs::exists(m_dir / "damaged.dat")) << d.what;
    }
}

}  // namespace
