// TColumnList: columns from tab stops, headings placed over them, and the drawing of a line.
#include "framework/column_list.h"

#include <cstring>
#include <string>
#include <string_view>

#include "framework/handles.h"

namespace ks {

namespace {

// The text of a column starts this far right of its column's edge, as a plain list box leaves before a line.
constexpr int kTextInset = 2;
// A shortened text ends this far before the next column's edge, so that two columns never touch.
constexpr int kColumnGap = 4;

// The columns of a line: the texts between its tabs.
std::vector<std::string_view> SplitColumns(std::string_view line)
{
    std::vector<std::string_view> columns;
    for (;;) {
        const std::size_t tab = line.find('\t');
        columns.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return columns;
        line.remove_prefix(tab + 1);
    }
}

}  // namespace

void TColumnList::SetColumns(const std::vector<int>& tabStops, const std::vector<int>& headings, bool lastHoldsPaths)
{
    m_lastHoldsPaths = lastHoldsPaths;
    std::vector<int> stops = tabStops;
    Send(LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
    HWND dialog = GetParent(m_hwnd);
    // Dialog units of the list's dialog, as the template places the list and its headings.
    m_columnLefts.assign(1, 0);
    for (int stop : tabStops) {
        RECT units{stop, 0, 0, 0};
        MapDialogRect(dialog, &units);
        m_columnLefts.push_back(units.left);
    }

    // A line is as tall as the list's font, as in a list that draws its own lines.
    HDC dc = GetDC(m_hwnd);
    TEXTMETRICA metrics{};
    {
        SelectObjectScope font(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
        GetTextMetricsA(dc, &metrics);
    }
    ReleaseDC(m_hwnd, dc);
    if (metrics.tmHeight > 0)
        Send(LB_SETITEMHEIGHT, 0, metrics.tmHeight);

    // The list's client area in the dialog's coordinates: the headings stand over it.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    MapWindowPoints(m_hwnd, dialog, reinterpret_cast<POINT*>(&client), 2);
    for (std::size_t i = 0; i < headings.size() && i < m_columnLefts.size(); ++i) {
        HWND heading = GetDlgItem(dialog, headings[i]);
        if (!headings[i] || !heading)
            continue;
        RECT place{};
        GetWindowRect(heading, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        const int left = client.left + TextLeft(i);
        const int right = i + 1 < m_columnLefts.size() ? client.left + m_columnLefts[i + 1] - kColumnGap : client.right;
        SetWindowPos(heading, nullptr, left, place.top, right > left ? right - left : 0, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    InvalidateRect(m_hwnd, nullptr, TRUE);
}

int TColumnList::TextLeft(std::size_t column) const
{
    if (m_columnLefts.empty())
        return kTextInset;
    return (column < m_columnLefts.size() ? m_columnLefts[column] : m_columnLefts.back()) + kTextInset;
}

void TColumnList::Bind(HWND hwnd)
{
    TListBox::Bind(hwnd);
    Subclass(hwnd);
}

LRESULT TColumnList::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Only the list's own thread is given texts: another thread or process expects of a list without
    // LBS_HASSTRINGS what the documentation says, an item's data, and has room for no more.
    if (!m_source || (msg != LB_GETTEXT && msg != LB_GETTEXTLEN) || InSendMessage())
        return TListBox::WindowProc(msg, wParam, lParam);
    const std::string* line = m_source(static_cast<int>(wParam));
    if (!line)
        return LB_ERR;
    if (msg == LB_GETTEXT && lParam)
        std::memcpy(reinterpret_cast<char*>(lParam), line->c_str(), line->size() + 1);
    return static_cast<LRESULT>(line->size());
}

std::string TColumnList::GetString(int index) const
{
    if (!m_source)
        return TListBox::GetString(index);
    const std::string* line = m_source(index);
    return line ? *line : std::string();
}

bool TColumnList::ParentMessage(UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_DRAWITEM || !m_hwnd)
        return false;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->hwndItem != m_hwnd)
        return false;
    DrawItem(*item);
    return true;
}

void TColumnList::DrawItem(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    const RECT& row = item.rcItem;
    // An empty list with the focus asks only for the focus frame.
    if (item.itemID == static_cast<UINT>(-1)) {
        if (item.itemAction & ODA_FOCUS || item.itemState & ODS_FOCUS)
            DrawFocusRect(dc, &row);
        return;
    }
    // A change of focus alone only turns the frame on or off.
    if (item.itemAction == ODA_FOCUS) {
        DrawFocusRect(dc, &row);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(
        dc, GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT
                                                      : (selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));

    const std::string line = GetString(static_cast<int>(item.itemID));
    const std::vector<std::string_view> columns = SplitColumns(line);
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int visibleRight = row.right < client.right ? row.right : client.right;
    for (std::size_t i = 0; i < columns.size() && i < m_columnLefts.size(); ++i) {
        const bool last = i + 1 == m_columnLefts.size();
        RECT cell{row.left + TextLeft(i), row.top, last ? visibleRight : row.left + m_columnLefts[i + 1] - kColumnGap,
                  row.bottom};
        if (cell.right > visibleRight)
            cell.right = visibleRight;
        if (cell.left >= cell.right)
            break;
        // Texts after the last tab stop belong to the last column.
        std::string_view text = columns[i];
        std::string rest;
        if (last && columns.size() > m_columnLefts.size()) {
            rest = std::string(text);
            for (std::size_t j = i + 1; j < columns.size(); ++j)
                rest += " " + std::string(columns[j]);
            text = rest;
        }
        const UINT shorten = last && m_lastHoldsPaths ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS;
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &cell,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | shorten);
    }
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &row);
}

}  // namespace ks
