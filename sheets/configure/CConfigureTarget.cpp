#include "sheets/configure/CConfigureTarget.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "store/CGroup.h"
#include "store/CUser.h"
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

bool CConfigureTarget::CanReadUserFile() const
{
    const CUser *pUser = GetUser();
    const std::optional<QString> path = pUser ? pUser->UserFilePath() : std::nullopt;
    return !path || !Profile::Load(*path)->HasError();
}

void CConfigureTarget::WarnIfUnreadable(QWidget *pParent)
{
    const CUser *pUser = GetUser();
    if (!pUser || CanReadUserFile())
        return;
    m_bUnreadableTold = true;
    CAppMessageBox::Exclamation(
        pParent, QStringLiteral("The file of the user \"%1\" could not be read:\n%2\n\nThe "
                                "pages show no values of this client, and nothing is written "
                                "for them when you press OK.")
                     .arg(FileSystem::DecodeName(pUser->GetLogin()),
                          pUser->UserFilePath().value_or(QString())));
}

bool CConfigureTarget::EndRead(bool bReadBefore, const QString &csPage)
{
    if (bReadBefore && CanReadUserFile())
        return true;
    const CUser *pUser = GetUser();
    if (pUser && !m_bUnreadableTold)
        m_failures.append(QStringLiteral("%1: the user's file could not be read, so nothing was "
                                         "written for the page \"%2\".")
                              .arg(FileSystem::DecodeName(pUser->GetLogin()),
                                   csPage.trimmed()));
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
