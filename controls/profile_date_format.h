// The short date format of the Windows profile as the source of the date text.
#pragma once

// Makes every date format and parse read intl/sShortDate from the profile ("MM/dd/yy" when it is missing).
void UseProfileShortDateFormat();
