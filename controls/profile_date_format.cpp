// The short date format read from the profile each time a date is formatted or parsed.
#include "controls/profile_date_format.h"

#include <windows.h>

#include <string>

#include "controls/date_text.h"

void UseProfileShortDateFormat()
{
    SetShortDateFormatSource([] {
        // Eleven bytes: a format of at most ten characters, as the regional settings write it.
        char buffer[11]{};
        GetProfileStringA("intl", "sShortDate", "MM/dd/yy", buffer, sizeof buffer);
        return std::string(buffer);
    });
}
