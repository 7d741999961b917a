// TFixedMDIChild: an MDI child sized around its client dialog that keeps that size.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/mdi.h"

namespace ks {

// Shrunk to its client dialog at set-up, centred in the MDI client, and from then on not resizable: the
// minimum, maximum and maximized sizes all answer the size it had then. It has no maximize box.
class TFixedMDIChild : public TMDIChild {
public:
    TFixedMDIChild(TMDIClient& parent, const char* title, std::unique_ptr<TDialog> clientWindow);

protected:
    void SetupWindow() override;
    void EvGetMinMaxInfo(MINMAXINFO& info) override;

private:
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
};

}  // namespace ks
