// Decorations of the frame: TControlBar (a row of command buttons and separators) and TStatusBar (text,
// menu hints and keyboard mode indicators), with the TGadgetWindowFont they draw their text in.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"

namespace ks {

class TDecoratedMDIFrame;

// The font of a gadget window, in points of the screen.
class TGadgetWindowFont {
public:
    explicit TGadgetWindowFont(int pointSize = 10, bool bold = false, bool italic = false);
    HFONT Get() const { return static_cast<HFONT>(m_font.Get()); }

private:
    GdiObject m_font;
};

// A window docked to an edge of the frame.
class TGadgetWindow : public TWindow {
public:
    explicit TGadgetWindow(std::unique_ptr<TGadgetWindowFont> font) : m_font(std::move(font)) {}
    virtual bool CreateIn(HWND frame) = 0;
    // Lets the window size itself to the frame's width (the common controls do this on WM_SIZE).
    virtual void Resize() { SendMessageA(m_hwnd, WM_SIZE, 0, 0); }
    int Height() const;
    virtual void IdleAction(const TDecoratedMDIFrame&) {}

protected:
    std::unique_ptr<TGadgetWindowFont> m_font;
};

// A plain command button showing a glyph bitmap of the program's resources: created up, not repeating.
struct TButtonGadget {
    int glyphId;
    UINT command;
};
// Empty space between buttons, in pixels.
struct TSeparatorGadget {
    int size;
};

class TControlBar : public TGadgetWindow {
public:
    explicit TControlBar(std::unique_ptr<TGadgetWindowFont> font);
    void Insert(const TButtonGadget& button);
    void Insert(const TSeparatorGadget& separator);
    bool CreateIn(HWND frame) override;
    // Buttons follow the availability of their commands.
    void IdleAction(const TDecoratedMDIFrame& frame) override;
    // Tool tip text: the first line of the command's hint string.
    bool GetTip(NMHDR& header) const;

    int ButtonCount() const;
    UINT CommandAt(int index) const;
    bool IsSeparatorAt(int index, int* size = nullptr) const;
    bool IsEnabled(UINT command) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Gadget {
        bool separator;
        int value;  // glyph id or separator size
        UINT command;
    };
    std::vector<Gadget> m_gadgets;
    mutable std::string m_tip;
    UINT m_hintCommand = 0;  // the button under the mouse, whose hint the status bar shows
};

class TStatusBar : public TGadgetWindow {
public:
    enum ModeIndicator : unsigned { CapsLock = 1, NumLock = 2, ScrollLock = 4, Overtype = 8 };

    TStatusBar(unsigned modeIndicators, std::unique_ptr<TGadgetWindowFont> font);
    bool CreateIn(HWND frame) override;
    void Resize() override;

    // The status text, shown whenever no menu hint is.
    void SetText(const char* text);
    std::string GetText() const { return m_text; }
    // A menu hint replaces the text until ClearHint.
    void SetHintText(const char* text);
    void ClearHint();
    // What the text part shows now.
    std::string GetShownText() const;

    // A pane of its own between the text and the indicators, as wide as widest needs; SetPaneText fills it.
    void ReservePane(const char* widest);
    void SetPaneText(const char* text);
    std::string GetPaneText() const { return m_paneText; }

    void ToggleOvertype() { m_overtype = !m_overtype; }
    bool IsIndicatorOn(ModeIndicator indicator) const;
    void IdleAction(const TDecoratedMDIFrame& frame) override;

private:
    void LayoutParts();
    void ShowText(const char* text) const;

    unsigned m_indicators;
    std::vector<ModeIndicator> m_parts;
    // The index of the first indicator part: after the text, and after the pane when there is one.
    int FirstIndicatorPart() const { return m_paneWidest.empty() ? 1 : 2; }

    std::string m_text;
    std::string m_paneWidest;
    std::string m_paneText;
    bool m_showingHint = false;
    bool m_overtype = false;
    unsigned m_shownStates = ~0u;
};

}  // namespace ks
