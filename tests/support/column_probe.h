// What a window shows, pixel by pixel: its client area painted into a bitmap, and for a list of columns where each
// line's text stands compared with the headings over the list.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ks_test {

// A width x height picture of what paint draws into a memory bitmap of the screen's kind.
class Picture {
public:
    Picture(int width, int height, const std::function<void(HDC)>& paint) : m_width(width), m_height(height)
    {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        paint(dc);
        m_pixels.resize(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                m_pixels[static_cast<std::size_t>(y) * width + x] = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    int Width() const { return m_width; }
    // Whether (x, y) lies in the picture and holds anything but the background.
    bool Ink(int x, int y, COLORREF background) const
    {
        return x >= 0 && x < m_width && y >= 0 && y < m_height && At(x, y) != background;
    }

private:
    int m_width;
    int m_height;
    std::vector<COLORREF> m_pixels;
};

// A window's client area as it paints itself (WM_PRINTCLIENT).
inline Picture ClientPicture(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return Picture(client.right, client.bottom, [window](HDC dc) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

// A list box of tab-separated columns under headings, as painted once the focus is given to another control
// (a focused line carries a dotted frame across it).
class ListColumns {
public:
    ListColumns(HWND list, const std::vector<HWND>& headings, HWND focus)
        : m_list(list), m_picture((SetFocus(focus), ClientPicture(list)))
    {
        for (HWND heading : headings) {
            RECT rect{};
            GetWindowRect(heading, &rect);
            MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&rect), 1);
            m_headings.push_back(rect.left);
        }
    }
    // The headings' left edges in the list's client coordinates.
    const std::vector<int>& Headings() const { return m_headings; }

    // Empty when the text of each column of a line begins at its heading (within the few pixels a letter's own
    // side leaves) and nothing of the column before reaches up to it; otherwise where it does not.
    std::string Misplaced(int line) const
    {
        constexpr int kLetterSide = 3;
        constexpr int kGap = 2;
        const RECT row = Row(line);
        auto firstInk = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                for (int y = row.top; y < row.bottom; ++y)
                    if (m_picture.Ink(x, y, Background()))
                        return x;
            return -1;
        };
        std::string problems;
        for (std::size_t i = 0; i < m_headings.size(); ++i) {
            const int at = m_headings[i];
            if (i > 0 && firstInk(at - kGap, at) >= 0)
                problems += "column " + std::to_string(i - 1) + " runs up to the heading at x=" + std::to_string(at) + "; ";
            const int first = firstInk(at - kGap, at + kLetterSide + 1);
            if (first < at)
                problems += "column " + std::to_string(i) + " does not start at its heading at x=" + std::to_string(at) +
                            " (first ink there: " + std::to_string(first) + "); ";
        }
        return problems;
    }

    // Whether what a column of a line shows ends with this text, as the list's font draws it.
    bool EndsWith(int line, std::size_t column, const char* text) const
    {
        const RECT row = Row(line);
        const int height = row.bottom - row.top;
        // The text alone, drawn as the list draws it; no longer than the list if it is to end a column.
        const Picture alone(m_picture.Width(), height, [&](HDC dc) {
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(m_list, WM_GETFONT, 0, 0)));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            RECT all{0, 0, m_picture.Width(), height};
            DrawTextA(dc, text, -1, &all, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        });
        auto textAt = [&](int x, int y) { return alone.Ink(x, y, Background()); };
        auto shownIn = [&](int x, int y) { return y >= 0 && y < height && m_picture.Ink(x, row.top + y, Background()); };
        auto lastInk = [height](auto&& ink, int from, int to) {
            int last = -1;
            for (int x = from; x < to; ++x)
                for (int y = 0; y < height; ++y)
                    last = ink(x, y) ? x : last;
            return last;
        };
        const int textLast = lastInk(textAt, 0, m_picture.Width());
        const int shownLast = lastInk(shownIn, m_headings[column],
                                      column + 1 < m_headings.size() ? m_headings[column + 1] : m_picture.Width());
        // Glyphs may sit a pixel apart from where a text drawn on its own puts them (the list draws from another
        // start and centres in its own row, and the font places glyphs at fractional positions), and the first
        // columns may also hold ink of the glyph before: each inked pixel must have ink within a pixel of it in
        // the other picture.
        constexpr int kTouching = 2;
        auto shownAt = [&](int x, int y) { return shownIn(shownLast - textLast + x, y); };
        auto inkNear = [](auto&& ink, int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (ink(x + dx, y + dy))
                        return true;
            return false;
        };
        bool same = textLast >= 0 && shownLast >= textLast;
        for (int x = textLast > kTouching ? kTouching : 0; same && x <= textLast; ++x)
            for (int y = 0; same && y < height; ++y)
                same = (!textAt(x, y) || inkNear(shownAt, x, y)) && (!shownAt(x, y) || inkNear(textAt, x, y));
        return same;
    }

private:
    static COLORREF Background() { return GetSysColor(COLOR_WINDOW); }
    RECT Row(int line) const
    {
        RECT row{};
        SendMessageA(m_list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&row));
        return row;
    }

    HWND m_list;
    Picture m_picture;
    std::vector<int> m_headings;
};

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
