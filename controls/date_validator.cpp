// TDateValidator.
#include "controls/date_validator.h"

#include <string>

#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "framework/application.h"
#include "framework/mdi.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

namespace ks {

UINT DateMessageId(int language)
{
    return IDS_DATE_INCORRECT + 100 * static_cast<UINT>(language >= 1 && language <= 3 ? language : 0);
}

bool TDateValidator::IsValid(const char* text)
{
    return !text || !*text || ParseDate(text) != 0;
}

void TDateValidator::Error(HWND)
{
    const std::string message =
        LoadResourceString(m_module ? m_module : GetModuleHandleA(nullptr), DateMessageId(DateLanguage()));
    TApplication* application = TApplication::Current();
    const char* caption = application ? application->GetName().c_str() : nullptr;
    HWND main = application && application->GetMainWindow() ? application->GetMainWindow()->GetHandle() : nullptr;
    if (main && IsWindow(main))
        ShowMessage(GetLastActivePopup(main), message.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
    else
        ShowMessage(nullptr, message.c_str(), caption, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

}  // namespace ks
