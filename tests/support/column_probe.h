// What a list of columns shows: its lines painted into a bitmap, and where each line's text stands compared
// with the headings over the list.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ks_test {

// A window's client area as it paints itself (WM_PRINTCLIENT), pixel by pixel.
class ClientPicture {
public:
    explicit ClientPicture(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
        m_width = client.right;
        m_height = client.bottom;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, m_width, m_height);
        HGDIOBJ old = SelectObject(dc, bitmap);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        m_pixels.resize(static_cast<std::size_t>(m_width) * m_height);
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                m_pixels[static_cast<std::size_t>(y) * m_width + x] = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    int Width() const { return m_width; }

    // The x positions in a band of rows where anything but the background colour is painted.
    std::vector<bool> InkColumns(int top, int bottom, COLORREF background) const
    {
        std::vector<bool> ink(static_cast<std::size_t>(m_width), false);
        for (int y = top < 0 ? 0 : top; y < bottom && y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (At(x, y) != background)
                    ink[static_cast<std::size_t>(x)] = true;
        return ink;
    }

    // Whether the text painted in [from, to) of a row ends with this text, as the list's font draws it.
    bool EndsWithText(HWND list, const RECT& row, int from, int to, COLORREF background, const char* text) const
    {
        const int height = row.bottom - row.top;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, extent.cx, height);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        RECT all{0, 0, extent.cx, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextA(dc, text, -1, &all, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        auto inkAt = [&](int x, int y) { return GetPixel(dc, x, y) != GetSysColor(COLOR_WINDOW); };
        int textLast = -1;
        for (int x = 0; x < extent.cx; ++x)
            for (int y = 0; y < height; ++y)
                if (inkAt(x, y))
                    textLast = x;
        int shownLast = -1;
        for (int x = from; x < to && x < m_width; ++x)
            for (int y = row.top; y < row.bottom; ++y)
                if (At(x, y) != background)
                    shownLast = x;
        // Glyphs may sit a pixel apart from where a text drawn on its own puts them (the list draws from another
        // start and centres in its own row, and the font places glyphs at fractional positions), and the first
        // columns may also hold ink of the glyph before: each inked pixel must have ink within a pixel of it in
        // the other picture.
        constexpr int kTouching = 2;
        auto shownAt = [&](int x, int y) {
            const int at = shownLast - textLast + x;
            return at >= 0 && at < m_width && y >= 0 && y < height && At(at, row.top + y) != background;
        };
        auto inkNear = [](auto&& ink, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (ink(x + dx, y + dy))
                        return true;
            return false;
        };
        auto textAt = [&](int x, int y) { return x >= 0 && x < extent.cx && y >= 0 && y < height && inkAt(x, y); };
        bool same = textLast >= 0 && shownLast >= textLast;
        for (int x = textLast > kTouching ? kTouching : 0; same && x <= textLast; ++x)
            for (int y = 0; same && y < height; ++y)
                same = (!textAt(x, y) || inkNear(shownAt, x, y)) && (!shownAt(x, y) || inkNear(textAt, x, y));
        SelectObject(dc, oldBitmap);
        SelectObject(dc, oldFont);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return same;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
};

// A control's left edge in another window's client coordinates.
inline int LeftIn(HWND control, HWND window)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    POINT left{rect.left, rect.top};
    ScreenToClient(window, &left);
    return left.x;
}

// The first x in [from, to) with ink, or -1.
inline int FirstInk(const std::vector<bool>& ink, int from, int to)
{
    for (int x = from < 0 ? 0 : from; x < to && x < static_cast<int>(ink.size()); ++x)
        if (ink[static_cast<std::size_t>(x)])
            return x;
    return -1;
}

// Whether a line of a list stands under its headings: the text of column i begins at heading i (within the
// few pixels a letter's own side leaves) and nothing of the column before reaches up to it. Headings are in
// the list's client coordinates; an empty result means it does, otherwise it says where it does not.
inline std::string ColumnsUnderHeadings(const std::vector<bool>& ink, const std::vector<int>& headings)
{
    constexpr int kLetterSide = 3;
    constexpr int kGap = 2;
    std::string problems;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const int at = headings[i];
        if (i > 0 && FirstInk(ink, at - kGap, at) >= 0)
            problems += "column " + std::to_string(i - 1) + " runs up to the heading at x=" + std::to_string(at) + "; ";
        const int first = FirstInk(ink, at - kGap, at + kLetterSide + 1);
        if (first < at)
            problems += "column " + std::to_string(i) + " does not start at its heading at x=" + std::to_string(at) +
                        " (first ink there: " + std::to_string(first) + "); ";
    }
    return problems;
}

// The height and width a static's text needs when it wraps within the static's width.
inline SIZE WrappedTextSize(HWND label)
{
    RECT rect{};
    GetClientRect(label, &rect);
    char text[256]{};
    GetWindowTextA(label, text, sizeof text);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace ks_test
