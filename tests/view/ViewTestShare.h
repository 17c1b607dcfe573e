#pragma once

#include "uilib/CRegistryAccess.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// One user as a client leaves it in Users.ini; a time of 0 writes no entry.
struct TestUser
{
    QByteArray login;
    QByteArray fullName;
    qint64 logon = 0;
    qint64 logoff = 0;
    QByteArray infos;
};

// A shared directory and private settings for one test: nothing outside
// the two temporary directories is read or written.
class ViewTestShare
{
public:
    ViewTestShare()
    {
        CRegistryAccess::SetFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                           m_settings.filePath(QStringLiteral("system")));
    }

    QString Path() const { return m_share.path(); }
    QString UsersIni() const { return m_share.filePath(QStringLiteral("Users.ini")); }

    // Writes Users.ini; groups are "name=login,login" lines. Each write gets
    // a new modification time, so the roster sees a change.
    void Write(const QList<TestUser> &users, const QList<QByteArray> &groups = {})
    {
        QByteArray names = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
                   infos = "[Infos]\r\n", groupLines = "[Groups]\r\n";
        for (const TestUser &user : users) {
            names += user.login + '=' + user.fullName + "\r\n";
            if (user.logon)
                logons += user.login + '=' + QByteArray::number(user.logon) + "\r\n";
            if (user.logoff)
                logoffs += user.login + '=' + QByteArray::number(user.logoff) + "\r\n";
            if (!user.infos.isEmpty())
                infos += user.login + '=' + user.infos + "\r\n";
        }
        for (const QByteArray &group : groups)
            groupLines += group + "\r\n";
        QFile file(UsersIni());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(names + logons + logoffs + infos + groupLines);
        file.close();
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(++m_nWrites),
                                 QFileDevice::FileModificationTime));
    }

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_share;
    int m_nWrites = 0;
};
