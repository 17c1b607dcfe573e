#include "sheets/restrictions/CSettingCreationWnd.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1028, "1. Audio Notes", 0},
    {1029, "2. Use Models", 1},
};

} // namespace

CSettingCreationWnd::CSettingCreationWnd(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Note Creation"), kBoxes, restrictions, parent)
{
}
