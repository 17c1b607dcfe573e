#include "platform/CStringTable.h"

#include "platform/ResourceIds.h"

#include <QHash>

namespace {

struct Entry
{
    int nID;
    const char *pszText;
};

// Texts are UTF-8 literals; they are the program's own wording and must be
// used exactly as written here.
constexpr Entry s_entries[] = {
    {IDR_MAINFRAME,
     "Corvane Administration Tool\n\nVirIve\n\n\nAdmin.Document\nVirIve Document"},

    // Command prompts: status-bar text, then the tooltip after the line break.
    {ID_VIEW_CLIENT_WIDTH_SEL,
     "Extend the selection to match the client area width\nClient Width Sel"},
    {ID_FILE_DEFINE_SHARE_DIRECTORY, "Define the share directory\nDefine Share Directory"},
    {ID_VIEW_OPTIONS, "Options\nOptions"},
    {ID_ACTIONS_UPGRADE, "Upgrade Corvane remotely\nUpgrade"},
    {ID_VIEW_PROPERTIES, "Properties\nProperties"},
    {ID_VIEW_REFRESH, "Refresh display\nRefresh"},
    {ID_ACTIONS_RESTRICTIONS, "Apply restrictions\nRestrictions"},
    {ID_EDIT_SELECT_ALL, "Select the entire document\nSelect All"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},

    {AFX_IDS_APP_TITLE, "Admin"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},

    {IDS_DEFINE_SHARE_DIRECTORY, "Define the shared directory."},
    {IDS_TIME_FORMAT, " %m-%d-%Y %H:%M:%S"},

    // Column titles, by user-field index.
    {IDS_COLUMN_FIRST + 0, "Login"},
    {IDS_COLUMN_FIRST + 1, "Real Name"},
    {IDS_COLUMN_FIRST + 2, "Logon"},
    {IDS_COLUMN_FIRST + 3, "Logoff"},
    {IDS_COLUMN_FIRST + 4, "Connected"},
    {IDS_COLUMN_FIRST + 5, "Version"},
    {IDS_COLUMN_FIRST + 6, "Old Version"},
    {IDS_COLUMN_FIRST + 7, "Level"},
    {IDS_COLUMN_FIRST + 8, "OS"},
    {IDS_COLUMN_FIRST + 9, "Language"},
    {IDS_COLUMN_FIRST + 10, "Last Install"},

    {IDS_LEVEL_LIGHT, "Corvane Light"},
    {IDS_LEVEL_STANDARD, "Corvane Standard"},
    {IDS_LEVEL_PRO, "Corvane Pro"},
    {IDS_OS_WIN3, "Windows 3.x"},
    {IDS_OS_WIN95, "Windows 95"},
    {IDS_OS_WINNT, "Windows NT"},
    {IDS_OPTIONS, "Options"},
    {IDS_COLUMNS, "Columns"},

    // Button labels and box captions of the shared UI library.
    {61001, "&Ok"},
    {61002, "&Cancel"},
    {61003, "&Abort"},
    {61004, "&Retry"},
    {61005, "&Ignore"},
    {61006, "&Yes"},
    {61007, "&No"},
    {61100, "Information message"},
    {61101, "Internal error message"},
    {61102, "Authorization message"},
    {61103, "Warning message"},
    {61104, "Delete message"},
    {61105, "Close message"},

    {IDS_GROUP_EXISTS,
     "A group with the name %1 already exist.\nDo you want to rename the group to upload?"},
    {IDS_USER_GROUP_EXISTS,
     "The user %1 already defines a group with the name %2.\n"
     "Do you want to rename the group to apply?"},
    {IDS_COPY_OF, "Copy of"},
};

const QHash<int, QString> &Table()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        for (const Entry &e : s_entries) {
            Q_ASSERT(!t.contains(e.nID));
            t.insert(e.nID, QString::fromUtf8(e.pszText));
        }
        return t;
    }();
    return table;
}

} // namespace

QString CStringTable::Load(int nID)
{
    return Table().value(nID);
}

bool CStringTable::Contains(int nID)
{
    return Table().contains(nID);
}

QString CStringTable::SubString(int nID, int nIndex)
{
    const QStringList parts = Load(nID).split(QLatin1Char('\n'));
    return nIndex >= 0 && nIndex < parts.size() ? parts.at(nIndex) : QString();
}

QString CStringTable::StatusText(int nID)
{
    return SubString(nID, 0);
}

QString CStringTable::ToolTip(int nID)
{
    return SubString(nID, 1);
}
