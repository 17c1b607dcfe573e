#pragma once

// Numeric ids of commands, strings and status-bar indicators. The numbers are
// fixed: clients, menus and tests refer to them, and a command's string of
// the same id is its status-bar prompt. Every command id is listed once here,
// so its constant and its name ("ID_VIEW_REFRESH", the QAction's objectName)
// cannot drift apart.

#define CORVANE_COMMAND_IDS(X)                \
    X(ID_VIEW_CLIENT_WIDTH_SEL, 32788)        \
    X(ID_FILE_DEFINE_SHARE_DIRECTORY, 32789)  \
    X(ID_VIEW_OPTIONS, 32791)                 \
    X(ID_ACTIONS_UPGRADE, 32792)              \
    X(ID_VIEW_PROPERTIES, 32793)              \
    X(ID_VIEW_REFRESH, 32801)                 \
    X(ID_ACTIONS_RESTRICTIONS, 32802)         \
    X(ID_EDIT_GROUPS, 32803)                  \
    X(ID_EDIT_USER_GROUPS, 32804)             \
    X(ID_ACTIONS_APPLY_GROUPS, 32805)         \
    X(ID_ACTIONS_CONFIGURE, 32806)            \
    X(ID_ACTIONS_APPLY_MODELS, 32807)         \
    X(ID_EDIT_MODELS, 32808)                  \
    X(ID_FILE_NEW, 57600)                     \
    X(ID_FILE_OPEN, 57601)                    \
    X(ID_EDIT_SELECT_ALL, 57642)              \
    X(ID_APP_ABOUT, 57664)                    \
    X(ID_APP_EXIT, 57665)                     \
    X(ID_VIEW_TOOLBAR, 59392)                 \
    X(ID_VIEW_STATUS_BAR, 59393)

#define CORVANE_DECLARE_ID(name, value) inline constexpr int name = value;
CORVANE_COMMAND_IDS(CORVANE_DECLARE_ID)
#undef CORVANE_DECLARE_ID

// The name of a command id's constant, or an empty string for an unknown id.
const char *CommandIdName(int nID);

// Resource id of the main frame: menu, toolbar, icon and document string.
inline constexpr int IDR_MAINFRAME = 128;

// Strings.
inline constexpr int AFX_IDS_APP_TITLE = 57344;
inline constexpr int AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr int IDS_DEFINE_SHARE_DIRECTORY = 59394;
inline constexpr int IDS_TIME_FORMAT = 59395;
inline constexpr int IDS_COLUMN_FIRST = 59396;   // "Login"; 59396 + field index, 0..10
inline constexpr int IDS_LEVEL_LIGHT = 59410;
inline constexpr int IDS_LEVEL_STANDARD = 59411;
inline constexpr int IDS_LEVEL_PRO = 59412;
inline constexpr int IDS_OS_WIN3 = 59413;
inline constexpr int IDS_OS_WIN95 = 59414;
inline constexpr int IDS_OS_WINNT = 59415;
inline constexpr int IDS_OPTIONS = 59417;
inline constexpr int IDS_COLUMNS = 59418;
inline constexpr int IDS_BUTTON_FIRST = 61001;   // "&Ok"; 61000 + button id, 1..7
inline constexpr int IDS_BOX_CAPTION_FIRST = 61100; // "Information message"; .. 61105
inline constexpr int IDS_GROUP_EXISTS = 65245;
inline constexpr int IDS_USER_GROUP_EXISTS = 65246;
inline constexpr int IDS_COPY_OF = 65247;

// Status-bar indicators; their strings are the indicator texts.
inline constexpr int ID_SEPARATOR = 0;
inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;
