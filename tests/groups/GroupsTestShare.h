#pragma once

#include "platform/Profile.h"
#include "platform/ProfileFile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

// A shared directory in a temporary folder, written as the clients leave it,
// and a document loaded from it.
class GroupsTestShare
{
public:
    explicit GroupsTestShare(const QByteArray &usersIni)
    {
        Profile::ClearCache();
        Write("Users.ini", usersIni);
        m_pDoc = std::make_unique<CAdminDoc>();
        m_bLoaded = m_pDoc->OnNewDocument(m_dir.path());
        m_pDoc->WaitForStatusReaders();
    }

    bool IsValid() const { return m_dir.isValid() && m_bLoaded; }
    CAdminDoc *Doc() const { return m_pDoc.get(); }
    CUser *User(const QByteArray &login) const { return m_pDoc->FindUser(login); }
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Dir() const { return m_dir.path(); }

    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(m_dir.filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QByteArray Read(const QString &name) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The "key=value" lines of a file's Groups section, as written.
    QList<QByteArray> GroupLines(const QString &name) const
    {
        return ProfileFile::Parse(Read(name)).SectionLines("Groups");
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CAdminDoc> m_pDoc;
    bool m_bLoaded = false;
};

// "name=member,member" for each group, in order.
inline QList<QByteArray> Describe(const QList<CGroup *> &groups)
{
    QList<QByteArray> lines;
    for (const CGroup *pGroup : groups)
        lines.append(pGroup->GetName() + '=' + pGroup->GetMemberList());
    return lines;
}

inline CGroup *GroupNamed(const QList<CGroup *> &groups, const QByteArray &name)
{
    for (CGroup *pGroup : groups)
        if (pGroup->GetName() == name)
            return pGroup;
    return nullptr;
}

inline QList<QByteArray> Lines(const char *text)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : QByteArray(text).split('|'))
        if (!line.isEmpty())
            lines.append(line);
    return lines;
}

// Closes, and counts, any modal window that a test did not expect: a box
// without a preset answer would otherwise wait for a person for ever.
class UnexpectedModalGuard
{
public:
    UnexpectedModalGuard()
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *pModal = QApplication::activeModalWidget()) {
                ++m_nClosed;
                pModal->close();
            }
        });
        m_timer.start();
    }
    int Closed() const { return m_nClosed; }

private:
    QTimer m_timer;
    int m_nClosed = 0;
};
