// DataQuery: set-up from the block, validation, storing the chain of helpers, chaining, Help.
#include "records/data_query.h"

#include <algorithm>
#include <string>

#include "app/ks_app.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

const ks::TResponse<DataQuery> DataQuery::Responses[] = {
    ks::Command(IDC_QUERY_AND, &DataQuery::Chain, kConnectorAnd),
    ks::Command(IDC_QUERY_OR, &DataQuery::Chain, kConnectorOr),
    ks::Command(IDC_QUERY_NOT, &DataQuery::Chain, kConnectorNot),
    ks::Command(IDC_QUERY_HELP, &DataQuery::CmHelp),
};

DataQuery::DataQuery(ks::TWindow* parent, DataQuery* previous, QueryCondition* blocks, std::int32_t* count)
    : TDialog(parent, IDD_QUERY), m_block(blocks[std::clamp<std::int32_t>(*count, 0, kMaxConditions - 1)]),
      m_count(count), m_blocks(blocks), m_previous(previous), m_field(*this, IDC_QUERY_FIELD),
      m_contains(*this, IDC_QUERY_CONTAINS), m_notContains(*this, IDC_QUERY_NOT_CONTAINS),
      m_text(*this, IDC_QUERY_TEXT),
      m_caseSensitive(*this, IDC_QUERY_CASE), m_wholeWords(*this, IDC_QUERY_WHOLE_WORDS)
{
    ++*m_count;
}

DataQuery::~DataQuery()
{
    if (GetResult() != IDOK)
        --*m_count;
}

bool DataQuery::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void DataQuery::SetupWindow()
{
    if (HWND parent = GetParent(m_hwnd)) {
        ks::CentreOverWindow(m_hwnd, parent);
        // A chained helper is as large as the one that opened it: centred it would hide it whole, so it is
        // cascaded from it instead, and the first condition's caption stays in view.
        if (m_previous) {
            RECT opener{};
            GetWindowRect(parent, &opener);
            const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
            SetWindowPos(m_hwnd, nullptr, opener.left + step, opener.top + step, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
    for (const char* name : {"File Abstract", "Keywords", "Title", "File Name"})
        m_field.AddString(name);
    if (m_block.SearchField == -1) {
        m_contains.SetCheck(true);
        m_field.SetSelIndex(0);
        return;
    }
    m_field.SetSelIndex(m_block.SearchField - 1);
    m_contains.SetCheck(m_block.Contains == 1);
    m_notContains.SetCheck(m_block.Contains != 1);
    m_text.SetText(std::string(FieldText(m_block.SearchText)).c_str());
    m_caseSensitive.SetCheck(m_block.CaseSensitive == 1);
    m_wholeWords.SetCheck(m_block.WholeWords == 1);
}

bool DataQuery::Validate()
{
    if (m_field.GetSelIndex() < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You must select a field to search.", "Error", MB_OK | MB_ICONEXCLAMATION);
        m_field.Focus();
        return false;
    }
    if (GetWindowTextLengthA(m_text.GetHandle()) == 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You must type in a string to search for.", "Error", MB_OK | MB_ICONEXCLAMATION);
        m_text.Focus();
        return false;
    }
    return true;
}

bool DataQuery::Store()
{
    if (!Validate())
        return false;
    m_block.SearchField = m_field.GetSelIndex() + 1;
    m_block.Contains = m_contains.IsChecked() ? 1 : 0;
    SetFieldText(m_block.SearchText, m_text.GetText(static_cast<int>(kSearchTextMax)));
    m_block.CaseSensitive = m_caseSensitive.IsChecked() ? 1 : 0;
    m_block.WholeWords = m_wholeWords.IsChecked() ? 1 : 0;
    m_block.Connector = m_connector;
    if (m_previous && !m_previous->Store())
        return false;
    Destroy(IDOK);
    return true;
}

void DataQuery::Chain(int connector)
{
    if (!Validate())
        return;
    if (*m_count >= kMaxConditions) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You may only nest 2 Query Helpers in sequence.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_connector = connector;
    DataQuery next(this, this, m_blocks, m_count);
    if (next.Execute() != IDOK)
        m_connector = kConnectorEnd;
}

void DataQuery::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_QUERY_HELPER);
}
