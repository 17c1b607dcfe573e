#include "sheets/configure/CConfigureText.h"

#include "store/CParameters.h"
#include "uilib/CAppMessageBox.h"

#include <QLineEdit>

std::optional<QByteArray> CConfigureText::Encode(const QString &text, const QByteArray &original)
{
    // Bytes the code page does not define show as replacement characters;
    // encoding the shown text would turn them into other bytes.
    if (!original.isEmpty() && text == Decode(original))
        return original;
    return CodePage::Encode(text);
}

bool CConfigureText::Validate(QWidget *pParent, QLineEdit *pEdit, const QString &csField,
                              const QByteArray &original)
{
    const QString csText = pEdit->text();
    QString csWhy;
    if (const std::optional<QByteArray> bytes = Encode(csText, original); !bytes)
        csWhy = QStringLiteral("the clients' code page (%1) cannot hold these characters: %2")
                    .arg(CodePage::CurrentName(), CodePage::Unencodable(csText));
    else if (*bytes != original)
        csWhy = CParameters::CheckText(*bytes);
    if (csWhy.isEmpty())
        return true;
    CAppMessageBox::Exclamation(
        pParent, QStringLiteral("%1 cannot be sent to the client: %2").arg(csField, csWhy));
    pEdit->setFocus();
    pEdit->selectAll();
    return false;
}
