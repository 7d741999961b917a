// KsAbort: the progress dialog of a search walk, with its gauge and the Abort button.
#pragma once
#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

// A progress bar that paints a caption over itself: its text format ("%d%%", the percentage) until a caption
// is set, then the caption.
class TCaptionGauge : public ks::TGauge {
public:
    using TGauge::TGauge;
    void Bind(HWND hwnd) override;
    void SetCaption(const char* caption);
    // The text painted now.
    std::string PaintedText() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::string m_caption;
};

// Created modeless for one walk and destroyed by its parent when the walk ends. Abort posts WM_ABORTREQUEST
// to the parent once per press and leaves the dialog open: the parent decides what to stop.
class KsAbort : public ks::TDialog {
public:
    explicit KsAbort(ks::TWindow* parent);
    // 0 to 100.
    void SetProgress(int percent) const { m_gauge.SetValue(percent); }
    void SetCaption(const char* caption) { m_gauge.SetCaption(caption); }
    const TCaptionGauge& Gauge() const { return m_gauge; }

protected:
    void SetupWindow() override;
    void CmOk() override;
    // Escape does not end a walk: only the parent closes this dialog.
    void CmCancel() override {}

private:
    TCaptionGauge m_gauge;
    ks::TStatic m_frame;
};
