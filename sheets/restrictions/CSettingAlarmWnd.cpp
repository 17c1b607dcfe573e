#include "sheets/restrictions/CSettingAlarmWnd.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1030, "Use Alarms", 0},
};

} // namespace

CSettingAlarmWnd::CSettingAlarmWnd(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Alarm"), kBoxes, restrictions, parent)
{
}
