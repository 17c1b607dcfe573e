#include "cli/CCliSession.h"

#include "cli/CCliSettings.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CUser.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

CCliSession::CCliSession(QTextStream &out, QTextStream &err)
    : m_out(out), m_err(err), m_pDoc(std::make_unique<CAdminDoc>())
{
}

CCliSession::~CCliSession() = default;

int CCliSession::Open(const QString &shareOption, const QString &codePageOption)
{
    QString codePage = codePageOption;
    bool bStored = false;
    if (codePage.isEmpty()) {
        codePage = CCliSettings::StoredCodePage().trimmed();
        bStored = true;
    }
    if (codePage.isEmpty())
        codePage = QString::fromLatin1(CodePage::kDefaultName);
    if (const QString why = CodePage::Check(codePage); !why.isEmpty()) {
        // A code page typed wrong is bad usage; a stored one that no longer
        // works must not stop a nightly script, so it falls back as the
        // window does, with a word on the error stream.
        if (!bStored)
            return Usage(QStringLiteral("The code page %1 cannot be used: %2").arg(codePage, why));
        m_err << QStringLiteral("The clients' code page in the settings (%1) cannot be used: %2; "
                                "reading as %3.\n")
                     .arg(codePage, why, QString::fromLatin1(CodePage::kDefaultName));
        codePage = QString::fromLatin1(CodePage::kDefaultName);
    }
    CodePage::SetCurrent(codePage);

    const QString share = shareOption.isEmpty() ? CCliSettings::StoredShareDirectory()
                                                : shareOption;
    if (share.isEmpty())
        return Usage(QStringLiteral("No shared directory: give one with --share DIR, or choose "
                                    "one in the window first."));
    const QFileInfo info(share);
    if (!info.isDir()) {
        m_err << QStringLiteral("The shared directory %1 cannot be read: %2.\n")
                     .arg(QDir::toNativeSeparators(share),
                          info.exists() ? QStringLiteral("it is not a directory")
                                        : QStringLiteral("it does not exist"));
        return ExitShareUnreadable;
    }
    m_pDoc->SetShareDirectory(share);
    const std::shared_ptr<const ProfileFile> usersIni = Profile::Load(m_pDoc->GetUsersIniPath());
    if (!usersIni->Exists()) {
        m_err << QStringLiteral("The shared directory %1 cannot be read: %2.\n")
                     .arg(QDir::toNativeSeparators(share),
                          usersIni->HasError()
                              ? QStringLiteral("Users.ini exists but could not be read")
                              : QStringLiteral("it holds no Users.ini"));
        return ExitShareUnreadable;
    }
    m_pDoc->OnNewDocument(share);
    m_pDoc->WaitForStatusReaders();
    if (m_pDoc->IsReloadForced()) {
        m_err << QStringLiteral("The shared directory %1 cannot be read: Users.ini could not "
                                "be read.\n")
                     .arg(QDir::toNativeSeparators(share));
        return ExitShareUnreadable;
    }
    return ExitDone;
}

bool CCliSession::EncodeArgument(const QString &text, const QString &what, QByteArray &bytes)
{
    const std::optional<QByteArray> encoded = CodePage::Encode(text);
    if (!encoded) {
        m_err << QStringLiteral("%1 \"%2\": the clients' code page (%3) cannot hold these "
                                "characters: %4\n")
                     .arg(what, text, CodePage::CurrentName(), CodePage::Unencodable(text));
        return false;
    }
    bytes = *encoded;
    return true;
}

QList<CUser *> CCliSession::FindUsers(const QStringList &logins)
{
    QList<CUser *> users;
    QSet<CUser *> seen;
    for (const QString &login : logins) {
        QByteArray bytes;
        if (!EncodeArgument(login, QStringLiteral("Login"), bytes)) {
            m_bFailed = true;
            continue;
        }
        CUser *pUser = m_pDoc->FindUser(bytes);
        if (!pUser) {
            Fail(QStringLiteral("%1: no such user in Users.ini.").arg(login));
            continue;
        }
        if (!seen.contains(pUser)) {
            seen.insert(pUser);
            users.append(pUser);
        }
    }
    return users;
}

void CCliSession::Fail(const QString &message)
{
    m_bFailed = true;
    m_err << message << '\n';
}

int CCliSession::Usage(const QString &message)
{
    m_err << message << '\n';
    return ExitUsage;
}

QString CCliSession::Text(const QByteArray &bytes)
{
    return CodePage::Decode(bytes);
}
