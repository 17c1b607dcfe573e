#include "sheets/restrictions/CSettingOptionsWnd.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1039, "1. Users", 0},
    {1040, "2. Communications", 1},
    {1030, "3. Alarm", 2},
    {1042, "4. Colors", 3},
    {1035, "5. Note creation", 4},
    {1036, "6. Attrac/Misc", 5},
    {1037, "7. Special", 6},
    {1038, "8. Log/Debug", 7},
};

} // namespace

CSettingOptionsWnd::CSettingOptionsWnd(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Options"), kBoxes, restrictions, parent)
{
}
