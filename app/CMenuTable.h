#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// The main frame's resources as data: the menu with every item and its
// command id, the toolbar's buttons and the status bar's indicators. The
// prompts of the commands are in the string table under the command's id.
class CMenuTable
{
public:
    struct Item
    {
        const char *pszText; // nullptr for a separator
        int nID;             // 0 for a separator
    };
    struct Menu
    {
        const char *pszTitle;
        QList<Item> items;
    };

    static const QList<Menu> &Menus();
    // Every command the frame makes an action for: the menu's commands,
    // then commands that have no menu item.
    static QList<int> Commands();
    // The item text of a command ("" for one without a menu item).
    static QString ItemText(int nID);

    // The keys of a command, first the one a menu item shows.
    static QList<QKeySequence> Shortcuts(int nID);
    // The commands of the user list's context menu (ID_SEPARATOR for a line).
    static QList<int> ContextMenu();

    static QList<int> ToolBar();
    static QList<int> Indicators();
};
