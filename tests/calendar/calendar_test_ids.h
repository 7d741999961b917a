// Ids of the date edit's test dialog.
#pragma once

#define IDD_CALENDAR_TEST       900
#define IDC_CALENDAR_DATE       103     // the date edit, built over this edit
#define IDC_CALENDAR_OTHER      104     // a second date edit, and somewhere else for the focus to go
