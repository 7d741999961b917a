// The Query Helper: one condition, chained conditions, the refusals, Cancel, and searching with the result.
#include "tests/search/search_fixture.h"

namespace {

using ks_test::Click;
using ks_test::SearchTest;
using ks_test::Shown;

// Fills a helper as a user would: field position (0 File Abstract .. 3 File Name), string and options.
void Fill(ks::TDialog& d, int field, const char* text, bool contains = true, bool caseSensitive = false,
          bool wholeWords = false)
{
    SendDlgItemMessageA(d.GetHandle(), IDC_QUERY_FIELD, CB_SETCURSEL, field, 0);
    CheckRadioButton(d.GetHandle(), IDC_QUERY_CONTAINS, IDC_QUERY_NOT_CONTAINS,
                     contains ? IDC_QUERY_CONTAINS : IDC_QUERY_NOT_CONTAINS);
    d.SetItemText(IDC_QUERY_TEXT, text);
    CheckDlgButton(d.GetHandle(), IDC_QUERY_CASE, caseSensitive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(d.GetHandle(), IDC_QUERY_WHOLE_WORDS, wholeWords ? BST_CHECKED : BST_UNCHECKED);
}

class QueryHelper : public SearchTest {
protected:
    std::string Description() const { return m_search->GetItemText(IDC_SEARCH_QUERY_TEXT, 2000); }
    // Two chained helpers: the first filled and chained by chainButton, the second filled and confirmed.
    void SetTwoConditions(int chainButton)
    {
        m_ui.OnDialog(IDD_QUERY, [chainButton](ks::TDialog& d) {
            Fill(d, 2, "zip", true, true);
            Click(d, chainButton);
        });
        m_ui.OnDialog(IDD_QUERY, [](ks::TDialog& d) {
            Fill(d, 1, "beta");
            Click(d, IDOK);
        });
        Press(IDC_SEARCH_SET_QUERY);
    }
};

TEST_F(QueryHelper, OneConditionListsTheMatchingRecords)
{
    Add("Zip Tools");
    Add("Unzipped files");
    Add("Text tools");
    std::string caption;
    bool contains = false;
    m_ui.OnDialog(IDD_QUERY, [&](ks::TDialog& d) {
        caption = d.GetText(64);
        contains = IsDlgButtonChecked(d.GetHandle(), IDC_QUERY_CONTAINS) == BST_CHECKED;
        EXPECT_EQ(SendDlgItemMessageA(d.GetHandle(), IDC_QUERY_FIELD, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(SendDlgItemMessageA(d.GetHandle(), IDC_QUERY_FIELD, CB_GETCOUNT, 0, 0), 4);
        Fill(d, 2, "zip", true, false, true);
        Click(d, IDOK);
    });
    Press(IDC_SEARCH_SET_QUERY);
    EXPECT_EQ(caption, "Query Helper");
    EXPECT_TRUE(contains);  // a new query starts on "Contains" and "File Abstract"
    ASSERT_EQ(m_search->ConditionCount, 1);
    EXPECT_EQ(m_search->Conditions[0].Connector, kConnectorEnd);
    EXPECT_EQ(Description(), "Title Contains 'zip' (MWW) \r\n** END **\r\n");
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Zip Tools"}));
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(QueryHelper, NotChainListsFirstWithoutSecond)
{
    Add("zip tools", "01/05/96", "beta");
    Add("zip tools final", "01/05/96", "release");
    Add("tar tools", "01/05/96", "release");
    SetTwoConditions(IDC_QUERY_NOT);
    ASSERT_EQ(m_search->ConditionCount, 2);
    EXPECT_EQ(m_search->Conditions[0].Connector, kConnectorNot);
    EXPECT_EQ(m_search->Conditions[1].Connector, kConnectorEnd);
    EXPECT_EQ(Description(), "Title Contains 'zip' (CS) NOT \r\nKeywords Contains 'beta' \r\n** END **\r\n");
    Press(IDC_SEARCH_GO);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"zip tools final"}));
}

TEST_F(QueryHelper, AndChainGivesTwoBlocksAndAThirdLevelIsRefused)
{
    RECT firstPlace{}, secondPlace{};
    m_ui.OnDialog(IDD_QUERY, [&](ks::TDialog& d) {
        GetWindowRect(d.GetHandle(), &firstPlace);
        Fill(d, 2, "zip", true, true);
        Click(d, IDC_QUERY_AND);
    });
    m_ui.OnDialog(IDD_QUERY, [&](ks::TDialog& d) {
        GetWindowRect(d.GetHandle(), &secondPlace);
        Fill(d, 1, "beta", false);
        Click(d, IDC_QUERY_AND);  // refused: the second helper stays open
        Click(d, IDOK);
    });
    Press(IDC_SEARCH_SET_QUERY);
    ASSERT_EQ(m_search->ConditionCount, 2);
    const QueryCondition& first = m_search->Conditions[0];
    const QueryCondition& second = m_search->Conditions[1];
    EXPECT_EQ(first.SearchField, kFieldTitle);
    EXPECT_STREQ(first.SearchText, "zip");
    EXPECT_EQ(first.CaseSensitive, 1);
    EXPECT_EQ(first.Connector, kConnectorAnd);
    EXPECT_EQ(second.SearchField, kFieldKeywords);
    EXPECT_EQ(second.Contains, 0);
    EXPECT_EQ(second.Connector, kConnectorEnd);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "You may only nest 2 Query Helpers in sequence.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Error");
    // The second helper is cascaded from the first, which shows its caption above it.
    EXPECT_EQ(secondPlace.right - secondPlace.left, firstPlace.right - firstPlace.left);
    EXPECT_EQ(secondPlace.left - firstPlace.left, secondPlace.top - firstPlace.top);
    EXPECT_GE(secondPlace.top - firstPlace.top, GetSystemMetrics(SM_CYCAPTION));

    // Reopening shows the first condition; confirming it directly leaves one condition.
    std::string shown;
    m_ui.OnDialog(IDD_QUERY, [&](ks::TDialog& d) {
        shown = d.GetItemText(IDC_QUERY_TEXT, 200);
        EXPECT_EQ(IsDlgButtonChecked(d.GetHandle(), IDC_QUERY_CASE), BST_CHECKED);
        Click(d, IDOK);
    });
    Press(IDC_SEARCH_SET_QUERY);
    EXPECT_EQ(shown, "zip");
    EXPECT_EQ(m_search->ConditionCount, 1);
    EXPECT_EQ(m_search->Conditions[0].Connector, kConnectorEnd);
}

TEST_F(QueryHelper, RefusalsAndCancelKeepThePreviousQuery)
{
    SetTwoConditions(IDC_QUERY_OR);
    const std::string before = Description();
    m_ui.Clear();

    // No field, or an empty string, is refused and opens no second helper; then Cancel leaves the query as
    // it was.
    m_ui.OnDialog(IDD_QUERY, [](ks::TDialog& d) {
        Fill(d, -1, "zip");
        Click(d, IDOK);
        Fill(d, 0, "");
        Click(d, IDC_QUERY_AND);
        Click(d, IDOK);
        Click(d, IDCANCEL);
    });
    Press(IDC_SEARCH_SET_QUERY);
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "You must select a field to search.");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[1].text, "You must type in a string to search for.");
    EXPECT_EQ(boxes[2].text, "You must type in a string to search for.");
    EXPECT_EQ(m_ui.Of(Shown::Kind::Dialog).size(), 1u);
    EXPECT_EQ(m_search->ConditionCount, 2);
    EXPECT_EQ(m_search->Conditions[0].Connector, kConnectorOr);
    EXPECT_EQ(Description(), before);

    // Cancelling the second helper and confirming the first gives one condition with no connector; long
    // strings are cut to 148 characters.
    const std::string longText(200, 'x');
    m_ui.OnDialog(IDD_QUERY, [&](ks::TDialog& d) {
        Fill(d, 3, longText.c_str());
        Click(d, IDC_QUERY_NOT);
        Click(d, IDOK);
    });
    m_ui.OnDialog(IDD_QUERY, [](ks::TDialog& d) { Click(d, IDCANCEL); });
    Press(IDC_SEARCH_SET_QUERY);
    EXPECT_EQ(m_search->ConditionCount, 1);
    EXPECT_EQ(m_search->Conditions[0].Connector, kConnectorEnd);
    EXPECT_EQ(std::string(m_search->Conditions[0].SearchText), std::string(148, 'x'));

    Press(IDC_SEARCH_SET_QUERY);  // not shown by the seam: ends as Cancel
    EXPECT_EQ(m_search->ConditionCount, 1);
}

TEST_F(QueryHelper, HelpOpensItsPage)
{
    m_ui.OnDialog(IDD_QUERY, [](ks::TDialog& d) {
        Click(d, IDC_QUERY_HELP);
        Click(d, IDCANCEL);
    });
    Press(IDC_SEARCH_SET_QUERY);
    ASSERT_EQ(m_ui.HelpCalls().size(), 1u);
    EXPECT_EQ(m_ui.HelpCalls()[0].helpData, 208u);
    EXPECT_EQ(m_search->ConditionCount, 0);
}

}  // namespace
