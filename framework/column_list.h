// TColumnList: a list box that shows tab-separated lines in columns that stay put, under headings placed from
// the same numbers as the columns.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"

namespace ks {

// A list of tab-separated lines drawn in fixed columns. The columns start at tab stops in dialog units, as
// LB_SETTABSTOPS takes them (they are given to the list too); a text too long for its column is shortened
// with "..." on the screen while the line keeps its whole text. The last column ends at the list's visible
// edge and, when it holds paths, keeps their beginning and end. The template gives the list
// LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_USETABSTOPS; the list draws itself when its dialog hands it
// its WM_DRAWITEM.
//
// A list of many lines keeps no texts of its own (LBS_NODATA | LBS_OWNERDRAWFIXED in its template): its
// owner keeps them and gives them through KeepLinesIn. Such a list is emptied and filled at once, where a
// list holding its texts is told of every line it drops (WM_DELETEITEM, some microseconds each under Wine),
// and it still reads like any list in its own thread: it answers LB_GETTEXT and LB_GETTEXTLEN (ANSI, as the
// catalogue's texts are) from the kept lines. It does so in its window procedure: every column list is
// subclassed at Bind.
class TColumnList : public TListBox {
public:
    using TListBox::TListBox;

    // Sets the columns and places their headings: headings[0] is the static over the first column and
    // headings[i] the one over the column at tabStops[i - 1] (0 for a column without one). Each heading is
    // moved to where its column's text starts and made as wide as the column; it keeps its top and height,
    // so a heading longer than its column wraps onto the lines the template gives it.
    void SetColumns(const std::vector<int>& tabStops, const std::vector<int>& headings, bool lastHoldsPaths = false);
    // Where the text of a column (0 = the first) starts, in the list's client coordinates.
    int TextLeft(std::size_t column) const;
    // Draws the list's lines when the dialog asks.
    bool ParentMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The line at an index, or null past the end.
    using LineSource = std::function<const std::string*(int index)>;
    void KeepLinesIn(LineSource source) { m_source = std::move(source); }
    // The line at index, from the kept lines when the list has them. The program reads its lines this way, not
    // by LB_GETTEXT: while it handles a message another thread sent, the list cannot tell its own thread's
    // LB_GETTEXT from one sent from outside.
    std::string GetString(int index) const;
    void Bind(HWND hwnd) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    std::vector<int> m_columnLefts;  // pixels from the client's left edge; the first is 0
    bool m_lastHoldsPaths = false;
    LineSource m_source;
};

}  // namespace ks
