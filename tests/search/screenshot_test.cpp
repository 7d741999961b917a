// Not run by the suite: shows a Search Interface with a query and its results in the real main window for a
// few seconds, so that a screenshot can be taken (run with --gtest_also_run_disabled_tests
// --gtest_filter=*Screenshot*).
#include "tests/search/search_fixture.h"

#include "records/ks_abort.h"

namespace {

class Screenshot : public ks_test::SearchTest {
protected:
    void ShowFor(DWORD ms)
    {
        const DWORD until = GetTickCount() + ms;
        while (GetTickCount() < until) {
            m_app->PumpWaitingMessages();
            Sleep(20);
        }
    }
};

TEST_F(Screenshot, DISABLED_ScreenshotWithResults)
{
    Add("WinZip 6.2 for Windows 95", "11/02/96", "archive, zip", "WINZIP95.ZIP");
    Add("Monthly newsletter, November", "11/28/96", "news", "NEWS1196.TXT");
    Add("Zip code database of the whole country, updated every quarter", "10/14/96", "zip, data", "ZIPCODES.ZIP");
    Add("Game collection", "12/01/96", "games", "GAMES.DOC");
    m_search->ConditionCount = 1;
    m_search->Conditions[0].SearchField = kFieldKeywords;
    std::strcpy(m_search->Conditions[0].SearchText, "zip");
    m_search->Conditions[0].WholeWords = 1;
    m_search->ShowQueryText();
    Press(IDC_SEARCH_GO);
    SendMessageA(m_search->GetItem(IDC_SEARCH_RESULTS), LB_SETSEL, TRUE, 0);
    ShowFor(4000);
}

TEST_F(Screenshot, DISABLED_ScreenshotProgressAndQueryHelper)
{
    ShowFor(3000);  // the splash goes first
    KsAbort progress(m_search);
    progress.Create();
    progress.SetProgress(42);
    ShowWindow(progress.GetHandle(), SW_SHOW);
    ShowFor(2000);
    progress.Destroy();
    m_ui.OnDialog(IDD_QUERY, [this](ks::TDialog& d) {
        d.SetItemText(IDC_QUERY_TEXT, "zip");
        ShowWindow(d.GetHandle(), SW_SHOW);  // the modal loop shows it only when idle
        ShowFor(2000);
        // A second helper, chained with "And >>", cascaded from the first.
        m_ui.OnDialog(IDD_QUERY, [this](ks::TDialog& second) {
            second.SetItemText(IDC_QUERY_TEXT, "beta");
            ShowWindow(second.GetHandle(), SW_SHOW);
            ShowFor(2000);
            ks_test::Click(second, IDCANCEL);
        });
        ks_test::Click(d, IDC_QUERY_AND);
        ks_test::Click(d, IDCANCEL);
    });
    Press(IDC_SEARCH_SET_QUERY);
}

}  // namespace
