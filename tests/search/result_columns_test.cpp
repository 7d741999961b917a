// The result list's columns: every line's date and file name start under their headings, whatever the title,
// and the headings fit over their columns.
#include "tests/search/search_fixture.h"
#include "tests/support/column_probe.h"

namespace {

using ks_test::SearchTest;

TEST_F(SearchTest, EveryColumnStartsUnderItsHeadingWhateverTheTitle)
{
    const std::string widest(50, 'W');
    Add(widest.c_str(), "12/25/96", "", "WIDEST.ZIP");
    Add("a", "01/05/96", "", "A.TXT");
    Add("Zip code database of the whole country, updated every quarter", "10/14/96", "",
        "A FILE NAME TOO LONG FOR ITS COLUMN IN THE LIST.ZIP");
    Press(IDC_SEARCH_GO);
    const std::vector<std::string> lines = Lines();
    // In title order, case aside: "a", the widest, "Zip code ...". The line keeps all 50 characters of a title,
    // whatever the screen shows of it.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), widest);

    std::vector<HWND> headings;
    for (int id : {IDC_SEARCH_HEAD_TITLE, IDC_SEARCH_HEAD_DATE, IDC_SEARCH_HEAD_NAME})
        headings.push_back(m_search->GetItem(id));
    const ks_test::ListColumns columns(m_search->GetItem(IDC_SEARCH_RESULTS), headings,
                                       m_search->GetItem(IDC_SEARCH_GO));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(columns.Misplaced(i), "") << lines[i];
    // A title and a file name too long for their columns end in "..." there.
    EXPECT_TRUE(columns.EndsWith(1, 0, "..."));
    EXPECT_TRUE(columns.EndsWith(2, 2, "..."));
    EXPECT_FALSE(columns.EndsWith(2, 1, "..."));

    // Each heading shows its whole text within its column ("Download Date" on two lines).
    for (std::size_t i = 0; i < 3; ++i) {
        RECT own{};
        GetClientRect(headings[i], &own);
        const SIZE needed = ks_test::WrappedTextSize(headings[i]);
        EXPECT_LE(needed.cx, own.right) << i;
        EXPECT_LE(needed.cy, own.bottom) << i;
        if (i + 1 < 3)
            EXPECT_LT(columns.Headings()[i] + own.right, columns.Headings()[i + 1]) << i;
    }
}

}  // namespace
