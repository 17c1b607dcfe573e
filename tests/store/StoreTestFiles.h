#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// Writes a shared-directory file as a client would leave it.
inline void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Users.ini with count users "u<i>" and, per user, Logon, Logoff and Infos.
inline QByteArray MakeUsersIni(int count, qint64 logon = 1700000000)
{
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
               infos = "[Infos]\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray login = "u" + QByteArray::number(i);
        users += login + "=User number " + QByteArray::number(i) + "\r\n";
        logons += login + '=' + QByteArray::number(logon + i) + "\r\n";
        logoffs += login + '=' + QByteArray::number(logon - 60) + "\r\n";
        infos += login + "=21,340,20,300,0,English," + QByteArray::number(logon) + ",2,3\r\n";
    }
    return users + logons + logoffs + infos;
}
