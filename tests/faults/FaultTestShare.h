#pragma once

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A shared directory in a scratch folder: Users.ini with a few users, their
// status and one shared group, and alice's own file with a personal group.
class FaultTestShare
{
public:
    static constexpr const char *kUsersIni =
        "[Users]\r\nalice=Alice\r\nbob=Bob\r\ncarol=Carol\r\n"
        "[Logon]\r\nalice=1700000000\r\nbob=1700000100\r\n"
        "[Infos]\r\nalice=21,340,20,300,0,English,1690000000,2,3\r\n"
        "[Groups]\r\nTeam=alice,bob\r\n";
    static constexpr const char *kAliceIni = "[Groups]\r\nMine=bob,carol\r\n[Other]\r\nkeep=1\r\n";

    FaultTestShare()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
        m_share = m_root.filePath(QStringLiteral("share"));
        QDir().mkpath(m_share);
        Write(QStringLiteral("Users.ini"), kUsersIni);
        Write(QStringLiteral("alice.ini"), kAliceIni);
    }
    ~FaultTestShare()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
        QFile::setPermissions(m_share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString Path() const { return m_share; }
    QString FilePath(const QString &name) const { return m_share + '/' + name; }
    QString Aside() const { return m_root.filePath(QStringLiteral("aside")); }

    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(FilePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // Every file of the directory with its bytes.
    QMap<QString, QByteArray> Snapshot() const
    {
        QMap<QString, QByteArray> files;
        const QDir dir(m_share);
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
            QFile file(dir.filePath(name));
            files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
        }
        return files;
    }

    static QList<QByteArray> Logins(const CAdminDoc &doc)
    {
        QList<QByteArray> logins;
        for (const CUser *user : doc.GetUsers())
            logins.append(user->GetLogin());
        return logins;
    }

    static QList<QByteArray> Members(const CGroup *group)
    {
        QList<QByteArray> logins;
        if (group)
            for (const CUser *user : *group)
                logins.append(user->GetLogin());
        return logins;
    }

private:
    QTemporaryDir m_root;
    QString m_share;
};
