#include "app/CMenuTable.h"

#include "framework/ResourceIds.h"

#include <QKeySequence>

namespace {
constexpr CMenuTable::Item kSeparator{nullptr, 0};
}

const QList<CMenuTable::Menu> &CMenuTable::Menus()
{
    static const QList<Menu> menus = {
        {"&File",
         {
             {"&Define Share Directory...", ID_FILE_DEFINE_SHARE_DIRECTORY},
             kSeparator,
             {"E&xit", ID_APP_EXIT},
         }},
        {"&Edit",
         {
             {"Select &All\tCtrl+A", ID_EDIT_SELECT_ALL},
             kSeparator,
             {"Edit &groups...", ID_EDIT_GROUPS},
             {"Edit &user's groups...", ID_EDIT_USER_GROUPS},
             kSeparator,
             {"Edit &models...", ID_EDIT_MODELS},
         }},
        {"&Actions",
         {
             {"&Upgrade...", ID_ACTIONS_UPGRADE},
             {"&Restrictions...", ID_ACTIONS_RESTRICTIONS},
             {"Apply &groups...", ID_ACTIONS_APPLY_GROUPS},
             {"Apply &models...", ID_ACTIONS_APPLY_MODELS},
             {"&Configure...", ID_ACTIONS_CONFIGURE},
         }},
        {"&View",
         {
             {"&Toolbar", ID_VIEW_TOOLBAR},
             {"&Status Bar", ID_VIEW_STATUS_BAR},
             kSeparator,
             {"&Properties", ID_VIEW_PROPERTIES},
             kSeparator,
             {"&Refresh", ID_VIEW_REFRESH},
             {"&Options...", ID_VIEW_OPTIONS},
         }},
        {"&Help",
         {
             {"&About Admin...", ID_APP_ABOUT},
         }},
    };
    return menus;
}

QList<int> CMenuTable::Commands()
{
    QList<int> ids;
    for (const Menu &menu : Menus())
        for (const Item &item : menu.items)
            if (item.nID)
                ids.append(item.nID);
    // Reached by the view only, never from a menu, toolbar or key.
    ids.append(ID_VIEW_CLIENT_WIDTH_SEL);
    return ids;
}

QString CMenuTable::ItemText(int nID)
{
    for (const Menu &menu : Menus())
        for (const Item &item : menu.items)
            if (item.nID == nID)
                return QString::fromUtf8(item.pszText);
    return {};
}

QList<QKeySequence> CMenuTable::Shortcuts(int nID)
{
    // The platform's own keys where it has them, and the keys every
    // desktop console answers to besides.
    const auto withStandard = [](QKeySequence::StandardKey standard, const QKeySequence &key) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
        if (!keys.contains(key))
            keys.append(key);
        return keys;
    };
    switch (nID) {
    case ID_EDIT_SELECT_ALL:
        return {QKeySequence(Qt::CTRL | Qt::Key_A)};
    case ID_VIEW_REFRESH:
        return withStandard(QKeySequence::Refresh, QKeySequence(Qt::Key_F5));
    case ID_APP_EXIT:
        return withStandard(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    default:
        return {};
    }
}

QList<int> CMenuTable::ContextMenu()
{
    return {ID_VIEW_PROPERTIES, ID_SEPARATOR,   ID_ACTIONS_RESTRICTIONS, ID_ACTIONS_CONFIGURE,
            ID_ACTIONS_UPGRADE, ID_SEPARATOR,   ID_EDIT_GROUPS,          ID_EDIT_MODELS};
}

QList<int> CMenuTable::ToolBar()
{
    return {ID_VIEW_OPTIONS, ID_VIEW_PROPERTIES, ID_SEPARATOR, ID_VIEW_REFRESH};
}

QList<int> CMenuTable::Indicators()
{
    return {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
}
