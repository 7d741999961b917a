// The MDI windows: TDecoratedMDIFrame (menu, control bar, status bar around the client), TMDIClient (owns and
// arranges the children) and TMDIChild (a fixed window whose client area is a child dialog).
//
// Ownership rule: the frame owns its client and its decorations; the client owns every MDI child object from
// CreateChild on, and releases it after the child's window has gone; an MDI child owns its client dialog.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/gadgets.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "resources/resource_ids.h"

namespace ks {

class TDialog;
class TMDIChild;
class TDecoratedMDIFrame;

class TMDIClient : public TWindow {
public:
    TMDIClient() = default;
    // Creates the MDICLIENT window inside the frame; windowMenu receives the list of open children.
    bool Create(TDecoratedMDIFrame& frame, HMENU windowMenu);

    // Takes the child and creates its window, which becomes the active MDI child. Null on failure.
    TMDIChild* CreateChild(std::unique_ptr<TMDIChild> child);
    std::vector<TMDIChild*> GetChildren() const;
    // The active MDI child, or null.
    TMDIChild* GetActiveChild() const;
    // Close All: closes every child when all of them agree.
    void CloseChildren();
    bool CanClose() override;

    bool OnCommand(UINT id, UINT notify, HWND control) override;
    bool HandlesCommand(UINT id) const override;
    // The child's window has gone: its object is released once the current message is done.
    void ChildGone(TMDIChild* child);

    static constexpr UINT kFirstChildId = 0x7F00;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<std::unique_ptr<TMDIChild>> m_children;
    std::vector<std::unique_ptr<TMDIChild>> m_released;
};

class TMDIChild : public TWindow {
public:
    // clientWindow may be null for windows that draw themselves; the child adopts it as its parent.
    TMDIChild(TMDIClient& parent, const char* title, std::unique_ptr<TDialog> clientWindow, bool shrinkToClient);
    ~TMDIChild() override;

    void SetIconResource(HINSTANCE module, int iconId);
    HWND Create();
    TDialog* GetClientWindow() const { return m_clientWindow.get(); }
    TMDIClient& GetClient() const { return m_client; }
    bool CanClose() override;

    // Window style used at creation; derived classes may change it in their constructors.
    DWORD Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU |
                  WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

protected:
    void SetupWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void WindowGone() override;
    // The minimum/maximum-size query; the default keeps the system's answer.
    virtual void EvGetMinMaxInfo(MINMAXINFO&) {}
    void SetClientWindow(std::unique_ptr<TDialog> clientWindow);

private:
    TMDIClient& m_client;
    std::string m_title;
    std::unique_ptr<TDialog> m_clientWindow;
    bool m_shrinkToClient;
    IconHandle m_icon;
    IconHandle m_smallIcon;
};

class TDecoratedMDIFrame : public TWindow {
public:
    enum class Location { Top, Bottom };

    TDecoratedMDIFrame(const char* title, int menuId, std::unique_ptr<TMDIClient> client, bool trackMenuSelection);
    ~TDecoratedMDIFrame() override;

    bool Create();
    TMDIClient* GetClientWindow() const { return m_client.get(); }
    HWND GetClientHandle() const { return m_client ? m_client->GetHandle() : nullptr; }
    TControlBar* GetControlBar() const { return m_controlBar; }
    TStatusBar* GetStatusBar() const { return m_statusBar; }

    void Insert(std::unique_ptr<TControlBar> bar, Location where = Location::Top);
    void Insert(std::unique_ptr<TStatusBar> bar, Location where = Location::Bottom);
    void SetBkgndColor(int systemColourIndex) { m_backgroundColour = systemColourIndex; }
    void SetIconResource(HINSTANCE module, int iconId);

    bool CanClose() override;
    // Is the command answered by the client, the frame or the application? Unanswered ones are greyed.
    bool IsCommandEnabled(UINT id) const;
    bool HandlesCommand(UINT id) const override { return id == CM_EXIT; }
    bool OnCommand(UINT id, UINT notify, HWND control) override;

    // The status bar shows the hint of a command (a menu item highlighted, a control-bar button under the
    // mouse) instead of its text; 0 shows the text again.
    void ShowCommandHint(UINT id);

    // Called by the application when its queue runs empty, and for every keyboard message first.
    void IdleAction();
    void PreProcessKey(const MSG& msg);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void MenuSelect(UINT id, UINT flags, HMENU menu);
    void EnableMenuItems(HMENU popup);
    bool RouteCommand(UINT id, UINT notify, HWND control);

    std::string m_title;
    int m_menuId;
    std::unique_ptr<TMDIClient> m_client;
    bool m_trackMenuSelection;
    std::vector<std::unique_ptr<TGadgetWindow>> m_decorations;
    TControlBar* m_controlBar = nullptr;
    TStatusBar* m_statusBar = nullptr;
    int m_backgroundColour = COLOR_APPWORKSPACE;
    IconHandle m_icon;
    IconHandle m_smallIcon;
};

}  // namespace ks
