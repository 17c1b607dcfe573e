#include "sheets/restrictions/CSettingModels.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1049, "Manage Models", 0},
};

} // namespace

CSettingModels::CSettingModels(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Models"), kBoxes, restrictions, parent)
{
}
