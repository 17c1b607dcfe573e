#include "uilib/CAppMessageBox.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"

namespace {
std::optional<QMessageBox::StandardButton> s_nextAnswer;
QString s_lastText;
QMessageBox::Icon s_lastIcon = QMessageBox::NoIcon;
} // namespace

QMessageBox::StandardButton CAppMessageBox::Show(QWidget *pParent, const QString &csText,
                                                 QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
    s_lastText = csText;
    s_lastIcon = icon;
    if (s_nextAnswer) {
        const QMessageBox::StandardButton answer = *s_nextAnswer;
        s_nextAnswer.reset();
        return answer;
    }
    QMessageBox box(icon, CStringTable::Load(AFX_IDS_APP_TITLE), csText, buttons, pParent);
    box.setObjectName(QStringLiteral("AppMessageBox"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CAppMessageBox::Information(QWidget *pParent, const QString &csText)
{
    Show(pParent, csText, QMessageBox::Information, QMessageBox::Ok);
}

void CAppMessageBox::Exclamation(QWidget *pParent, const QString &csText)
{
    Show(pParent, csText, QMessageBox::Warning, QMessageBox::Ok);
}

void CAppMessageBox::Error(QWidget *pParent, const QString &csText)
{
    Show(pParent, csText, QMessageBox::Critical, QMessageBox::Ok);
}

QMessageBox::StandardButton CAppMessageBox::Question(QWidget *pParent, const QString &csText)
{
    const auto answer =
        Show(pParent, csText, QMessageBox::Warning,
             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer
                                                                   : QMessageBox::Cancel;
}

void CAppMessageBox::SetNextAnswer(QMessageBox::StandardButton answer)
{
    s_nextAnswer = answer;
}

QString CAppMessageBox::GetLastText()
{
    return s_lastText;
}

QMessageBox::Icon CAppMessageBox::GetLastIcon()
{
    return s_lastIcon;
}
