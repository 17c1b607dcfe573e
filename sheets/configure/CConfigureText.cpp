#include "sheets/configure/CConfigureText.h"

#include "store/CParameters.h"
#include "uilib/CAppMessageBox.h"

#include <QLineEdit>

bool CConfigureText::Validate(QWidget *pParent, QLineEdit *pEdit, const QString &csField)
{
    const QString csWhy = CParameters::CheckText(Encode(pEdit->text()));
    if (csWhy.isEmpty())
        return true;
    CAppMessageBox::Exclamation(
        pParent, QStringLiteral("%1 cannot be sent to the client: %2").arg(csField, csWhy));
    pEdit->setFocus();
    pEdit->selectAll();
    return false;
}
