// KsAbout: fills its texts from the program's own version resource each time it opens.
#include "app/ks_about.h"

#include <cstdio>

#include "app/project_rc_version.h"
#include "resources/resource_ids.h"

KsAbout::KsAbout(ks::TWindow* parent)
    : TDialog(parent, IDD_ABOUT), m_product(*this, IDC_ABOUT_PRODUCT), m_copyright(*this, IDC_ABOUT_COPYRIGHT),
      m_specialBuild(*this, IDC_ABOUT_SPECIAL)
{
}

void KsAbout::SetupWindow()
{
    if (GetParentObject())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    const ProjectRCVersion version(GetModuleHandleA(nullptr));
    const char* name = nullptr;
    const char* number = nullptr;
    if (version.GetProductName(name) && version.GetProductVersion(number)) {
        const std::string word = m_product.GetText(127);
        char line[128 * 3];
        std::snprintf(line, sizeof line, "%s %s %s", name, word.c_str(), number);
        m_product.SetText(line);
    }
    const char* text = nullptr;
    if (version.GetCopyright(text))
        m_copyright.SetText(text);
    if (version.GetSpecialBuild(text))
        m_specialBuild.SetText(text);
}
