// make_v1_tables: writes the version-1 catalogues the Windows tests and the benchmark convert, with pxlib (a
// native library, so this runs on the build machine). Usage: make_v1_tables <folder>
//   <folder>/small: six records of the store C:\KSV1\KS_STORE (odd ones in lower case), the third pointing
//                   elsewhere; abstracts past the part kept in the record.
//   <folder>/bulk:  1,000 records of the store C:\KSV1BULK\KS_STORE.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/convert/convert_tables.h"
#include "tests/convert/pxlib_tables.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_v1_tables <folder>\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    auto small = ks_test::Version1Rows(6, "C:\\KSV1\\KS_STORE");
    small[2][4] = "D:\\ELSEWHERE";
    const auto bulk = ks_test::Version1Rows(1000, "C:\\KSV1BULK\\KS_STORE");
    for (const auto& [name, rows] : {std::pair{"small", small}, std::pair{"bulk", bulk}}) {
        const auto dir = out / name;
        std::filesystem::create_directories(dir);
        if (!ks_test::PxlibWrite((dir / "filstore.db").string(), (dir / "filstore.mb").string(),
                                 ks_test::Version1Columns(), rows)) {
            std::fprintf(stderr, "pxlib could not write %s\n", name);
            return 1;
        }
    }
    return 0;
}
