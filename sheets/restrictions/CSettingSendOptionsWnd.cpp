#include "sheets/restrictions/CSettingSendOptionsWnd.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1043, "1. Notify when the note is received", 0},
    {1044, "2. Notify when the note has been read", 1},
    {1045, "3. Propose a reply", 2},
    {1046, "4. Keep a local kopy", 3},
    {1047, "5. Send in confidential mode", 4},
    {1048, "6. Display only for x seconds", 5},
    {1035, "7. Save these settings as default", 6},
};

} // namespace

CSettingSendOptionsWnd::CSettingSendOptionsWnd(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Send Options"), kBoxes, restrictions, parent)
{
}
