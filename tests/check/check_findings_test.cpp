// Finding missing files, files without a record and records sharing a file; the SHA-256 digest in pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include "download/sha256.h"
#include "records/check_findings.h"

namespace {

struct Disk {
    std::map<std::string, std::vector<std::string>> dirs;  // by folded directory
    int listings = 0;
    CheckFindings Checker()
    {
        return CheckFindings(
            "C:\\KS\\KS_STORE",
            [this](const std::string& dir) -> std::optional<std::vector<std::string>> {
                ++listings;
                auto found = dirs.find(FoldAscii(dir));
                if (found == dirs.end())
                    return std::nullopt;
                return found->second;
            },
            FoldAscii);
    }
};

std::vector<std::string> Lines(const std::vector<Finding>& findings)
{
    std::vector<std::string> lines;
    for (const Finding& f : findings)
        lines.push_back(FindingLine(f) + "#" + std::to_string(f.recordNumber));
    return lines;
}

TEST(CheckFindings, EachKindIsFoundAndNothingElse)
{
    struct Case {
        const char* what;
        std::vector<std::tuple<int, std::string, std::string>> records;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"clean: every record's file exists, every stored file has a record, names differ only in case",
         {{1, "a.zip", "C:\\KS\\KS_STORE"}, {2, "B.TXT", "c:\\ks\\ks_store\\"}, {3, "X.ZIP", "D:\\AREA"}},
         {}},
        {"missing file, also in a directory that cannot be read",
         {{1, "A.ZIP", "C:\\KS\\KS_STORE"}, {2, "B.TXT", "C:\\KS\\KS_STORE"}, {3, "GONE.ZIP", "D:\\AREA"},
          {4, "X.ZIP", "E:\\NOWHERE"}},
         {"GONE.ZIP\tMissing file\tD:\\AREA#3", "X.ZIP\tMissing file\tE:\\NOWHERE#4"}},
        {"a stored file without a record; the same name elsewhere does not count",
         {{1, "A.ZIP", "C:\\KS\\KS_STORE"}, {2, "B.TXT", "D:\\AREA"}, {3, "X.ZIP", "D:\\AREA"}},
         {"B.TXT\tMissing file\tD:\\AREA#2", "b.txt\tNo record\tC:\\KS\\KS_STORE#-1"}},
        {"two records naming one file, in different case",
         {{1, "A.ZIP", "C:\\KS\\KS_STORE"}, {2, "B.TXT", "C:\\KS\\KS_STORE"}, {7, "a.zip", "c:\\ks\\ks_store"},
          {4, "X.ZIP", "D:\\AREA"}},
         {"A.ZIP\tSame file\tC:\\KS\\KS_STORE#1", "a.zip\tSame file\tc:\\ks\\ks_store#7"}},
    };
    for (const Case& c : cases) {
        Disk disk;
        disk.dirs["C:\\KS\\KS_STORE"] = {"A.zip", "b.txt"};
        disk.dirs["D:\\AREA"] = {"X.ZIP", "Y.ZIP"};
        CheckFindings check = disk.Checker();
        for (const auto& [number, name, location] : c.records)
            check.AddRecord(number, name, location);
        EXPECT_EQ(Lines(check.Finish()), c.expected) << c.what;
        // Each directory is listed once, whatever the number of records in it; KS_STORE included.
        EXPECT_LE(disk.listings, 3) << c.what;
    }
}

TEST(CheckFindings, StoreIsListedOnceEvenWithoutRecordsAndManyRecordsShareListings)
{
    Disk disk;
    disk.dirs["C:\\KS\\KS_STORE"] = {"ONE.ZIP"};
    {
        CheckFindings check = disk.Checker();
        EXPECT_EQ(Lines(check.Finish()), (std::vector<std::string>{"ONE.ZIP\tNo record\tC:\\KS\\KS_STORE#-1"}));
        EXPECT_EQ(disk.listings, 1);
    }
    disk.listings = 0;
    std::vector<std::string> many;
    for (int i = 0; i < 5000; ++i)
        many.push_back("F" + std::to_string(i));
    disk.dirs["C:\\KS\\KS_STORE"] = many;
    CheckFindings check = disk.Checker();
    for (int i = 0; i < 5000; ++i)
        check.AddRecord(i + 1, "f" + std::to_string(i), "C:\\KS\\KS_STORE");
    EXPECT_TRUE(check.Finish().empty());
    EXPECT_EQ(disk.listings, 1);
}

TEST(Sha256, KnownDigestsWhateverTheChunking)
{
    struct Case {
        std::string input;
        const char* digest;
    };
    const std::vector<Case> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // 55, 56 and 64 bytes: the padding's edges.
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    };
    for (const Case& c : cases) {
        Sha256 whole;
        whole.Update(c.input.data(), c.input.size());
        const std::string expected = Sha256::Hex(whole.Finish());
        EXPECT_EQ(expected, c.digest) << c.input.size();
        for (std::size_t chunk : {1u, 7u, 63u, 64u, 65u, 4096u}) {
            Sha256 pieces;
            for (std::size_t at = 0; at < c.input.size(); at += chunk)
                pieces.Update(c.input.data() + at, std::min(chunk, c.input.size() - at));
            EXPECT_EQ(Sha256::Hex(pieces.Finish()), expected) << c.input.size() << " in chunks of " << chunk;
        }
    }
}

}  // namespace
