#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestPendingNotes : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CUser m_user{"alice", "Alice Adams"};

    void Write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private Q_SLOTS:
    void init()
    {
        g_shareDirectory.Set(m_dir.path());
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        Profile::ClearCache();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void waitingItemsAreCountedAndMissingNotesListed_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QStringList>("noteFiles");
        QTest::addColumn<int>("notes");
        QTest::addColumn<QList<quint16>>("missing");
        QTest::addColumn<int>("notifications");
        QTest::newRow("only note40 there")
            << QByteArray("[Notes]\r\n3=x\r\n12=y\r\n40=z\r\n[Notifications]\r\na=1\r\nb=\r\n")
            << QStringList{"note40"} << 3 << QList<quint16>{3, 12} << 2;
        QTest::newRow("no file") << QByteArray() << QStringList{} << 0 << QList<quint16>{} << 0;
        QTest::newRow("empty sections") << QByteArray("[Notes]\r\n[Notifications]\r\n")
                                        << QStringList{} << 0 << QList<quint16>{} << 0;
        QTest::newRow("names ignore case") << QByteArray("[notes]\r\n7=\r\n8=\r\n")
                                           << QStringList{"note7", "NOTE8"} << 2
                                           << QList<quint16>{} << 0;
        QTest::newRow("upgrade request waits but has no note file")
            << QByteArray("[Notes]\r\nnewver=now\r\n5=a\r\n") << QStringList{} << 2
            << QList<quint16>{5} << 0;
        QTest::newRow("low 16 bits name the note")
            << QByteArray("[Notes]\r\n65548=a\r\n65549=b\r\n") << QStringList{"note13"} << 2
            << QList<quint16>{12} << 0;
        QTest::newRow("high numbers are signed in file names")
            << QByteArray("[Notes]\r\n65535=a\r\n40000=b\r\n")
            << QStringList{"note-1", "note40000"} << 2 << QList<quint16>{40000} << 0;
        QTest::newRow("duplicate keys count twice") << QByteArray("[Notes]\r\n9=a\r\n9=b\r\n")
                                                    << QStringList{} << 2
                                                    << QList<quint16>{9, 9} << 0;
    }
    void waitingItemsAreCountedAndMissingNotesListed()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(QStringList, noteFiles);
        QFETCH(int, notes);
        QFETCH(QList<quint16>, missing);
        QFETCH(int, notifications);
        if (!userFile.isNull())
            Write("alice.INI", userFile);
        for (const QString &name : noteFiles)
            Write(name, "note text");
        // What the caller already holds stays in front.
        QList<quint16> found{77};
        int nCount = -1;
        QVERIFY(m_user.CheckNotes(nCount, found));
        QCOMPARE(nCount, notes);
        QCOMPARE(found, QList<quint16>{77} + missing);
        QCOMPARE(m_user.CountNotifications(), notifications);
    }

    void unreadableFileIsNotAnEmptyOne()
    {
        Write("alice.INI", "[Notes]\r\n3=a\r\n");
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1, EIO);
        int nCount = -1;
        QList<quint16> missing;
        QVERIFY(!m_user.CheckNotes(nCount, missing));
        QCOMPARE(nCount, 0);
        QVERIFY(missing.isEmpty());
    }

    void upgradeRequestReplacesTheEarlierOne()
    {
        Write("alice.ini", "; kept\r\n[Notes]\r\n3=a\r\nnewver=now\r\n[Other]\r\nx=1\r\n");
        QVERIFY(m_user.RequestUpgrade("at-restart,\\\\server\\corvane"));
        QFile file(m_dir.filePath("alice.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("; kept\r\n[Notes]\r\n3=a\r\n"
                                            "newver=at-restart,\\\\server\\corvane\r\n"
                                            "[Other]\r\nx=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestPendingNotes)
#include "tst_pendingnotes.moc"
