#include "sheets/restrictions/CSendRecipientsWnd.h"

namespace {

const QList<CRestrictionPage::Box> kBoxes = {
    {1031, "1. Add Group", 0},
    {1032, "2. Delete Group", 1},
    {1034, "3. Add/Delete/Modify Users", 2},
    {1050, "4. Rescan list", 3},
    {1033, "5. Send By e-Mail", 4},
};

} // namespace

CSendRecipientsWnd::CSendRecipientsWnd(const QList<quint32> &restrictions, QWidget *parent)
    : CRestrictionPage(IDD, Group, QStringLiteral("Send Recipients"), kBoxes, restrictions, parent)
{
}
