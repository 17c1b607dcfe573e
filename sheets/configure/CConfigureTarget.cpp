#include "sheets/configure/CConfigureTarget.h"

#include "platform/CodePage.h"
#include "store/CGroup.h"
#include "uilib/CAppMessageBox.h"

CConfigureTarget::CConfigureTarget(CAdminDoc *pDoc, Object object, StatusSink status)
    : m_pDoc(pDoc), m_object(object), m_status(std::move(status))
{
}

CUser *CConfigureTarget::GetUser() const
{
    CUser *const *ppUser = std::get_if<CUser *>(&m_object);
    return ppUser ? *ppUser : nullptr;
}

bool CConfigureTarget::ExplainUser() const
{
    if (GetUser())
        return true;
    if (!m_status)
        return false;
    if (CGroup *const *ppGroup = std::get_if<CGroup *>(&m_object); ppGroup && *ppGroup) {
        m_status(QStringLiteral("The first selected row is the group \"%1\": client settings "
                                "are set for one user at a time. Select a user first.")
                     .arg(CodePage::Decode((*ppGroup)->GetName())));
    } else {
        m_status(QStringLiteral("No user is selected: select the user whose client settings "
                                "you want to see or change."));
    }
    return false;
}

void CConfigureTarget::Note(const ProfileResult &result)
{
    if (!result && !m_failures.contains(result.message))
        m_failures.append(result.message);
}

void CConfigureTarget::Report(QWidget *pParent)
{
    if (m_failures.isEmpty())
        return;
    const QString csText =
        QStringLiteral("Some settings could not be written, so the client will not receive "
                       "them:\n\n")
        + m_failures.join(QLatin1Char('\n'));
    m_failures.clear();
    CAppMessageBox::Error(pParent, csText);
}
