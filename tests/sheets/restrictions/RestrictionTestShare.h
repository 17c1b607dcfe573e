#pragma once

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// A shared directory in a temporary folder with user files as clients leave
// them, and users that point at it.
class RestrictionTestShare
{
public:
    RestrictionTestShare()
    {
        g_shareDirectory.Set(m_dir.path());
        Profile::ClearCache();
        PlatformTestHooks::Reset();
    }
    ~RestrictionTestShare()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
    }

    QString Path(const QByteArray &login) const
    {
        return m_dir.filePath(QString::fromLatin1(login) + QStringLiteral(".ini"));
    }

    // A user whose file holds activeLines in its ActiveRestrictions section;
    // a null text gives the user no file at all.
    CUser *AddUser(const QByteArray &login, const QByteArray &activeLines = QByteArray())
    {
        if (!activeLines.isNull())
            Write(login, "[Settings]\r\nsound=1\r\n[ActiveRestrictions]\r\n" + activeLines);
        m_users.push_back(std::make_unique<CUser>(login, "Name of " + login));
        return m_users.back().get();
    }

    void Write(const QByteArray &login, const QByteArray &bytes)
    {
        QFile file(Path(login));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray Read(const QByteArray &login) const
    {
        QFile file(Path(login));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The Restrictions section as "key=value" lines joined with ';'.
    QByteArray Requests(const QByteArray &login) const
    {
        QByteArrayList lines;
        for (const auto &[key, value] : Profile::Load(Path(login))->Entries("Restrictions"))
            lines.append(key + '=' + value);
        return lines.join(';');
    }

    // Counts the files each write replaces, by path, from now on. Writes
    // may come from several threads at once.
    void CountReplacements()
    {
        QMutexLocker lock(&m_mutex);
        m_replacements.clear();
        PlatformTestHooks::SetBeforeReplace([this](const QString &path) {
            QMutexLocker lock(&m_mutex);
            m_replacements[path] += 1;
        });
    }
    int Replacements(const QByteArray &login) const
    {
        QMutexLocker lock(&m_mutex);
        return m_replacements.value(Path(login));
    }
    int TotalReplacements() const
    {
        QMutexLocker lock(&m_mutex);
        int total = 0;
        for (int count : m_replacements)
            total += count;
        return total;
    }

    const QTemporaryDir &Dir() const { return m_dir; }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<CUser>> m_users;
    mutable QMutex m_mutex;
    QHash<QString, int> m_replacements;
};
