// Numeric ids of the program's resources, commands and window messages: the one id header.
// The numbers are the program's own; other programs and help files rely on them, so they never change.
#pragma once

// ---- Menus ----
#define IDM_MAIN                100     // the frame's menu
#define IDM_RESULT_POPUP        101     // result-list pop-up menu

// ---- Commands (menu items and control-bar buttons; each has a status-bar hint string) ----
#define CM_EXIT                 24310
#define CM_FILES_DOWNLOADED     1028
#define CM_STORED_FILES         1025
#define CM_DOWNLOAD_AREAS       301
#define CM_ASSIST_CONFIGURE     306
#define CM_ASSIST_INSTALL       305
#define CM_CONVERT              311
#define CM_CASCADE_CHILDREN     24361
#define CM_ARRANGE_ICONS        24364
#define CM_CLOSE_CHILDREN       24365
#define CM_HELP_CONTENTS        302
#define CM_HELP_SETTING_UP      307
#define CM_HELP_DISCLAIMER      304
#define CM_ABOUT                2009

// ---- Icons ----
#define IDI_MAIN_FRAME          1001
#define IDI_DOWNLOAD_CHILD      1002
#define IDI_SEARCH_CHILD        1003
#define IDI_RECORD_CHILD        1004

// ---- Control-bar glyphs ----
#define IDB_GLYPH_DOWNLOADED    2
#define IDB_GLYPH_STORED        3
#define IDB_GLYPH_EXIT          4
#define IDB_GLYPH_AREAS         5
#define IDB_GLYPH_CASCADE       7
#define IDB_GLYPH_ARRANGE       8
#define IDB_GLYPH_CLOSE_ALL     9
#define IDB_GLYPH_HELP          10
#define IDB_GLYPH_ASSISTANTS    11

// ---- Pictures of the splash and About ----
#define IDB_PICTURE_LOGO        1101
#define IDB_PICTURE_BANNER      1102

// ---- Date edit: drop-down button faces, calendar arrows, validator message (+100 per date language) ----
#define IDB_CALENDAR_BUTTON_UP      1029    // 23 x 25, at rest
#define IDB_CALENDAR_ARROW_RIGHT    1030    // 7 x 11, next month
#define IDB_CALENDAR_ARROW_LEFT     1031    // 7 x 11, previous month
#define IDB_CALENDAR_BUTTON_DOWN    1032    // 23 x 25, pressed
#define IDS_DATE_INCORRECT          30000   // 30100 French, 30200 German, 30300 Spanish

// ---- Help file and its context numbers ----
#define KS_HELP_FILE            "KSHELP32.HLP"
#define HELP_CTX_DOWNLOAD       200
#define HELP_CTX_STORAGE        201
#define HELP_CTX_SEARCH         202
#define HELP_CTX_RECORD         203
#define HELP_CTX_PATH_PREFS     204
#define HELP_CTX_ASSIST_CONFIG  206
#define HELP_CTX_ASSIST_CHOOSE  207
#define HELP_CTX_QUERY_HELPER   208
#define HELP_CTX_DELETE_OPTIONS 209
#define HELP_CTX_EXAMINE_FILE   212
#define HELP_CTX_SETTING_UP     215
#define HELP_CTX_INSTALL_FILES  216
#define HELP_CTX_DISCLAIMER     217

// ---- Splash (dialog 10) and About (dialog 16) ----
#define IDD_SPLASH              10
#define IDC_SPLASH_LOGO         101     // picture 1101
#define IDC_SPLASH_BANNER       102     // picture 1102
#define IDD_ABOUT               16
#define IDC_ABOUT_LOGO          101     // picture 1101
#define IDC_ABOUT_BUTTON        102
#define IDC_ABOUT_PRODUCT       22001
#define IDC_ABOUT_COPYRIGHT     22002
#define IDC_ABOUT_SPECIAL       22003

// ---- Storage Interface (dialog 13) ----
#define IDD_STORAGE             13
#define IDC_STORE_KEYWORDS      101
#define IDC_STORE_ABSTRACT      102
#define IDC_STORE_DATE          103
#define IDC_STORE_DEFAULT       104     // run the default assistant
#define IDC_STORE_FILENAME      105
#define IDC_STORE_TITLE         107
#define IDC_STORE_CHOOSE        110     // choose an assistant and run it
#define IDC_STORE_HELP          9

// ---- Framework: input dialog ----
#define IDD_INPUT_DIALOG        32500
#define IDC_INPUT_PROMPT        4091
#define IDC_INPUT_EDIT          4096

// ---- Download Interface (dialog 1) ----
#define IDD_DOWNLOAD            1
#define IDC_DOWNLOAD_FILES      101     // list of the area's files
#define IDC_DOWNLOAD_STORE      105     // bitmap button, pictures 1105/3105
#define IDC_DOWNLOAD_INFO_GROUP 106
#define IDC_DOWNLOAD_SIZE       107
#define IDC_DOWNLOAD_EXAMINE    109     // bitmap button, pictures 1109/3109
#define IDC_DOWNLOAD_AREA_GROUP 110
#define IDC_DOWNLOAD_DATE       113
#define IDC_DOWNLOAD_AREA1      114     // area radio buttons 114..117
#define IDC_DOWNLOAD_AREA2      115
#define IDC_DOWNLOAD_AREA3      116
#define IDC_DOWNLOAD_AREA4      117
#define IDC_DOWNLOAD_HELP       9
#define IDB_STORE_UP            1105
#define IDB_STORE_DOWN          3105
#define IDB_EXAMINE_UP          1109
#define IDB_EXAMINE_DOWN        3109

// ---- Path Preferences (dialog 2) ----
#define IDD_PATH_PREFS          2
#define IDC_PREFS_BROWSE1       101     // "Download 1".."Download 4": 101..104
#define IDC_PREFS_BROWSE2       102
#define IDC_PREFS_BROWSE3       103
#define IDC_PREFS_BROWSE4       104
#define IDC_PREFS_DEFAULT1      105     // default-area radio buttons 105..108
#define IDC_PREFS_DEFAULT2      106
#define IDC_PREFS_DEFAULT3      107
#define IDC_PREFS_DEFAULT4      108
#define IDC_PREFS_ALIAS1        109     // alias edits 109..112
#define IDC_PREFS_ALIAS2        110
#define IDC_PREFS_ALIAS3        111
#define IDC_PREFS_ALIAS4        112
#define IDC_PREFS_PATH1         113     // area path texts 113..116
#define IDC_PREFS_PATH2         114
#define IDC_PREFS_PATH3         115
#define IDC_PREFS_PATH4         116
#define IDC_PREFS_HELP          9

// ---- Directory browser (dialog 3): the classic file dialog's controls keep their ids ----
#define IDD_PATH_SELECT         3
#define IDC_BROWSE_MAKE_DIR     101
#define IDC_BROWSE_HELP         9       // present, hidden
#define IDC_BROWSE_DIR_TEXT     1088
#define IDC_BROWSE_FILE_LIST    1120    // hidden
#define IDC_BROWSE_DIR_LIST     1121
#define IDC_BROWSE_TYPE_LIST    1136    // hidden
#define IDC_BROWSE_DRIVE_LIST   1137
#define IDC_BROWSE_FILE_NAME    1152    // hidden

// ---- Examine File (dialog 14): the classic file dialog's controls keep their ids ----
#define IDD_EXAMINE             14
#define IDC_EXAMINE_COPY        101
#define IDC_EXAMINE_INSTALL     102     // "Copy && Install"
#define IDC_EXAMINE_EXAMINE     103
#define IDC_EXAMINE_HELP        9
#define IDC_EXAMINE_DIR_TEXT    1088
#define IDC_EXAMINE_FILE_LIST   1120    // extended selection
#define IDC_EXAMINE_DIR_LIST    1121
#define IDC_EXAMINE_TYPE_LIST   1136    // hidden
#define IDC_EXAMINE_DRIVE_LIST  1137    // hidden
#define IDC_EXAMINE_FILE_NAME   1152    // hidden

// ---- Install File(s) (dialog 15) ----
#define IDD_INSTALL             15
#define IDC_INSTALL_NAME_LABEL  102
#define IDC_INSTALL_PLACE_LABEL 103
#define IDC_INSTALL_FOLDER_NAME 104
#define IDC_INSTALL_START_MENU  106     // "Add to Start Menu Area"
#define IDC_INSTALL_DESKTOP     107     // "Add to a Desktop Folder"
#define IDC_INSTALL_NEW_FOLDER  108     // "Add to a New Folder"
#define IDC_INSTALL_APPS_DOCS_ONLY 109  // "Create Icons for Applications && Documents Only ?"
#define IDC_INSTALL_IN_START_MENU 110   // "In Start Menu"
#define IDC_INSTALL_ON_DESKTOP  111     // "On Desktop"
#define IDC_INSTALL_HELP        9

// ---- Record Interface (dialog 4, a child dialog) ----
#define IDD_RECORD              4
#define IDC_RECORD_KEYWORDS     101
#define IDC_RECORD_ABSTRACT     102
#define IDC_RECORD_DATE         103
#define IDC_RECORD_FILENAME     105
#define IDC_RECORD_DELETE       106     // bitmap button, pictures 1106/3106
#define IDC_RECORD_TITLE        107
#define IDC_RECORD_MOVE         108     // bitmap button, pictures 1108/3108
#define IDC_RECORD_EXAMINE      109     // bitmap button, pictures 1109/3109
#define IDC_RECORD_LOCATION     112
#define IDC_RECORD_LOCATED_AT   113     // the label above the location
#define IDC_RECORD_COPY         114     // bitmap button, pictures 1114/3114
#define IDC_RECORD_RELINK       115     // bitmap button, pictures 1115/3115
#define IDC_RECORD_HELP         9
#define IDB_DELETE_UP           1106
#define IDB_DELETE_DOWN         3106
#define IDB_MOVE_UP             1108
#define IDB_MOVE_DOWN           3108
#define IDB_COPY_UP             1114
#define IDB_COPY_DOWN           3114
#define IDB_RELINK_UP           1115
#define IDB_RELINK_DOWN         3115

// ---- Delete Options (dialog 7) ----
#define IDD_DELETE_OPTIONS      7
#define IDC_DELETE_RECORD       101
#define IDC_DELETE_FILE         102
#define IDC_DELETE_HELP         9

// ---- Search Interface (dialog 5) and its result-list pop-up menu (menu 101) ----
#define IDD_SEARCH              5
#define IDC_SEARCH_RESULTS      101     // sorted, extended-selection list with tab stops
#define IDC_SEARCH_QUERY_TEXT   103     // read-only description of the query
#define IDC_SEARCH_TO           104     // date edit "To:"
#define IDC_SEARCH_GO           105     // "Search"
#define IDC_SEARCH_FROM         106     // date edit "From:"
#define IDC_SEARCH_BETWEEN      107     // "Show Between"
#define IDC_SEARCH_CLEAR        108     // also the pop-up menu's "Move"
#define IDC_SEARCH_DETAILS      109
#define IDC_SEARCH_SET_QUERY    115
#define IDC_SEARCH_HELP         9
// The result list's headings, each placed over its column at set-up.
#define IDC_SEARCH_HEAD_TITLE   120     // "Description"
#define IDC_SEARCH_HEAD_DATE    121     // "Download Date"
#define IDC_SEARCH_HEAD_NAME    122     // "Filename"
#define CM_RESULT_MOVE          108

// ---- Query Helper (dialog 6) ----
#define IDD_QUERY               6
#define IDC_QUERY_AND           101
#define IDC_QUERY_OR            102
#define IDC_QUERY_NOT           103
#define IDC_QUERY_TEXT          104
#define IDC_QUERY_CONTAINS      105
#define IDC_QUERY_NOT_CONTAINS  106
#define IDC_QUERY_FIELD         107
#define IDC_QUERY_CASE          108
#define IDC_QUERY_WHOLE_WORDS   109
#define IDC_QUERY_HELP          9

// ---- Search progress (dialog 8) ----
#define IDD_ABORT               8
#define IDC_ABORT_FRAME         100     // placeholder the gauge is laid over
#define IDC_ABORT_GAUGE         1033

// ---- Conversion status (dialog 9) ----
#define IDD_CONVERT_STATUS      9
#define IDC_CONVERT_STEP        101     // the step under way
#define IDC_CONVERT_ITEM        102     // the file or record it works on

// ---- Program window messages (above WM_USER = 1024) ----
#define WM_ABORTREQUEST         1026
#define WM_OPENRECORD           1034
#define WM_RECORDCHANGED        1035
#define WM_REFRESHRECORD        1036

// ---- Bitmap-button picture style of our "BorBtn" class ----
#define BBS_PICTURE             0x8000L

// ---- Styles of our "BorShade" class (low bits choose the look) ----
#define BSS_GROUP               0x0001L // recessed box
#define BSS_HDIP                0x0002L // horizontal etched line
#define BSS_VDIP                0x0003L // vertical etched line

// ---- Assistants: Assistant Configuration (dialog 11) and Choose Assistant (dialog 12) ----
#define IDD_ASSIST_CONFIG       11
#define IDC_CONFIG_LIST         101     // installed assistant names, sorted
#define IDC_CONFIG_CONFIGURE    102
#define IDC_CONFIG_MAKE_DEFAULT 103
#define IDC_CONFIG_DEFAULT      104     // static text: the default assistant's name
#define IDC_CONFIG_HELP         9
#define IDD_ASSIST_CHOOSE       12
#define IDC_CHOOSE_LIST         101     // installed assistant names, sorted
#define IDC_CHOOSE_HELP         9
// The "Archive Description" assistant library's own configuration window (in its own resources).
#define IDD_ARCDESC_SETUP       100
#define IDC_ARCDESC_DIZ         101
#define IDC_ARCDESC_ION         102
#define IDC_ARCDESC_README      103
#define IDC_ARCDESC_TEXT        104
#define IDC_ARCDESC_PROGRAMS    105     // the kinds of file it describes
#define IDC_ARCDESC_INSTALLERS  106
#define IDC_ARCDESC_DOCUMENTS   107
#define IDC_ARCDESC_MUSIC       108
#define IDC_ARCDESC_PICTURES    109
#define IDC_ARCDESC_ARCHIVES    110     // unchecked, the three sources inside archives are greyed

// ---- Catalogue care: command 312, the Catalogue Check window (dialog 17) and its help topic ----
#define CM_CHECK_CATALOGUE      312
#define HELP_CTX_CATALOGUE_CHECK 218
#define IDD_CATALOGUE_CHECK     17
#define IDC_CHECK_FINDINGS      101     // one line per finding: name, kind, directory
#define IDC_CHECK_OPEN          102     // "Open Record"
#define IDC_CHECK_FIND          103
#define IDC_CHECK_STORE         104
#define IDC_CHECK_AGAIN         105     // "Check"
#define IDC_CHECK_HELP          9
// The findings' headings, each placed over its column at set-up.
#define IDC_CHECK_HEAD_FILE     110     // "File"
#define IDC_CHECK_HEAD_FINDING  111     // "Finding"
#define IDC_CHECK_HEAD_DIR      112     // "Directory"

// ---- Intake: Store All (command 313) and the list of files it left (dialog 18), Export (command 314), the
// status bar's pane of waiting files ----
#define CM_STORE_ALL            313
#define CM_EXPORT_CATALOGUE     314
#define HELP_CTX_STORE_ALL      219
#define HELP_CTX_EXPORT         220
#define IDD_FILES_LEFT          18
#define IDC_LEFT_SUMMARY        101     // "<N> files stored, <M> left in the area."
#define IDC_LEFT_LIST           102     // one line per file left: name, reason
#define IDC_LEFT_HELP           9
#define IDC_LEFT_HEAD_FILE      103     // "File", placed over its column at set-up
#define IDC_LEFT_HEAD_REASON    104     // "Reason"

// Sent by the MDI client to its child windows when the files of a download area changed (wParam: area 1-4).
#define WM_AREACHANGED          1037
