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

    HWND list = m_search->GetItem(IDC_SEARCH_RESULTS);
    const int headingIds[] = {IDC_SEARCH_HEAD_TITLE, IDC_SEARCH_HEAD_DATE, IDC_SEARCH_HEAD_NAME};
    std::vector<int> headings;
    for (int id : headingIds)
        headings.push_back(ks_test::LeftIn(m_search->GetItem(id), list));
    // A focused line carries a dotted frame across it; the columns are looked at without one.
    SetFocus(m_search->GetItem(IDC_SEARCH_GO));
    const ks_test::ClientPicture picture(list);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    for (int i = 0; i < 3; ++i) {
        RECT row{};
        SendMessageA(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row));
        EXPECT_EQ(ks_test::ColumnsUnderHeadings(picture.InkColumns(row.top, row.bottom, background), headings), "")
            << lines[i];
    }
    // A title and a file name too long for their columns end in "..." there.
    RECT row{};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    EXPECT_TRUE(picture.EndsWithText(list, row, headings[0], headings[1], background, "..."));
    SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    EXPECT_TRUE(picture.EndsWithText(list, row, headings[2], picture.Width(), background, "..."));
    EXPECT_FALSE(picture.EndsWithText(list, row, headings[1], headings[2], background, "..."));

    // Each heading shows its whole text within its column ("Download Date" on two lines).
    for (std::size_t i = 0; i < 3; ++i) {
        HWND heading = m_search->GetItem(headingIds[i]);
        RECT own{};
        GetClientRect(heading, &own);
        const SIZE needed = ks_test::WrappedTextSize(heading);
        EXPECT_LE(needed.cx, own.right) << i;
        EXPECT_LE(needed.cy, own.bottom) << i;
        if (i + 1 < 3)
            EXPECT_LT(headings[i] + own.right, headings[i + 1]) << i;
    }
}

}  // namespace
