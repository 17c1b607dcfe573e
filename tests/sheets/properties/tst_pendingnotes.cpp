#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CPendingNotes.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

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
        QVERIFY(m_dir.isValid());
        g_shareDirectory.Set(m_dir.path());
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        Profile::ClearCache();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void checkNotesCountsAndListsMissing_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QStringList>("noteFiles");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<quint16>>("missing");
        QTest::newRow("only note40 there") << QByteArray("[Notes]\r\n3=x\r\n12=y\r\n40=z\r\n")
                                           << QStringList{"note40"} << 3
                                           << QList<quint16>{3, 12};
        QTest::newRow("no file") << QByteArray() << QStringList{} << 0 << QList<quint16>{};
        QTest::newRow("no section") << QByteArray("[Groups]\r\n1=a\r\n") << QStringList{} << 0
                                    << QList<quint16>{};
        QTest::newRow("every note there") << QByteArray("[notes]\r\n7=\r\n8=\r\n")
                                          << QStringList{"note7", "NOTE8"} << 2
                                          << QList<quint16>{};
        QTest::newRow("upgrade request waits but has no file")
            << QByteArray("[Notes]\r\nnewver=now\r\n5=a\r\n") << QStringList{} << 2
            << QList<quint16>{5};
        QTest::newRow("low 16 bits name the file")
            << QByteArray("[Notes]\r\n65548=a\r\n65549=b\r\n") << QStringList{"note13"} << 2
            << QList<quint16>{12};
        QTest::newRow("high numbers are signed in file names")
            << QByteArray("[Notes]\r\n65535=a\r\n40000=b\r\n")
            << QStringList{"note-1", "note40000"} << 2 << QList<quint16>{40000};
        QTest::newRow("duplicate keys count twice")
            << QByteArray("[Notes]\r\n9=a\r\n9=b\r\n") << QStringList{} << 2
            << QList<quint16>{9, 9};
    }
    void checkNotesCountsAndListsMissing()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(QStringList, noteFiles);
        QFETCH(int, count);
        QFETCH(QList<quint16>, missing);
        if (!userFile.isNull())
            Write("alice.INI", userFile);
        for (const QString &name : noteFiles)
            Write(name, "note text");
        int nCount = -1;
        QList<quint16> found;
        QVERIFY(m_user.CheckNotes(nCount, found));
        QCOMPARE(nCount, count);
        QCOMPARE(found, missing);
    }

    void checkNotesAppendsToWhatTheCallerHas()
    {
        Write("alice.ini", "[Notes]\r\n3=a\r\n");
        QList<quint16> missing{77};
        int nCount = 0;
        m_user.CheckNotes(nCount, missing);
        QCOMPARE(missing, (QList<quint16>{77, 3}));
    }

    void notificationsAreCounted_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<int>("count");
        QTest::newRow("three") << QByteArray("[Notifications]\r\na=1\r\nb=\r\n12=x\r\n") << 3;
        QTest::newRow("empty section") << QByteArray("[Notifications]\r\n[Notes]\r\n1=a\r\n") << 0;
        QTest::newRow("no section") << QByteArray("[Notes]\r\n1=a\r\n") << 0;
        QTest::newRow("no file") << QByteArray() << 0;
    }
    void notificationsAreCounted()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(int, count);
        if (!userFile.isNull())
            Write("alice.ini", userFile);
        QCOMPARE(m_user.CountNotifications(), count);
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

    void upgradeRequestForAnUnusableLoginIsRefused()
    {
        const CUser user("../evil", "Evil");
        const ProfileResult result = user.RequestUpgrade("now");
        QVERIFY(!result);
        QVERIFY(result.message.contains("../evil"));
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    }

    void upgradeValue_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("directory");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("mode alone") << QByteArray("at-restart") << QByteArray() << QByteArray("at-restart");
        QTest::newRow("with directory") << QByteArray("now") << QByteArray("/srv/new")
                                        << QByteArray("now,/srv/new");
        QTest::newRow("no mode drops the directory") << QByteArray() << QByteArray("/srv/new")
                                                     << QByteArray();
    }
    void upgradeValue()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, directory);
        QFETCH(QByteArray, value);
        QCOMPARE(CPendingNotes::UpgradeValue(mode, directory), value);
    }
};

QTEST_GUILESS_MAIN(TestPendingNotes)
#include "tst_pendingnotes.moc"
