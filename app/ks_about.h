// KsAbout: the About dialog, showing the product line, copyright and special build from the version resource.
#pragma once
#include "framework/controls.h"
#include "framework/dialog.h"

class KsAbout : public ks::TDialog {
public:
    explicit KsAbout(ks::TWindow* parent);

protected:
    void SetupWindow() override;

private:
    ks::TStatic m_product;
    ks::TStatic m_copyright;
    ks::TStatic m_specialBuild;
};
