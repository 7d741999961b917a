// Splash: the picture window shown while the program starts; it closes itself after about a second.
#pragma once
#include "framework/dialog.h"

class Splash : public ks::TDialog {
public:
    explicit Splash(ks::TWindow* parent);

protected:
    void SetupWindow() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
