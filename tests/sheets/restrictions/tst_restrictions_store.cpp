#include "RestrictionTestShare.h"

#include "platform/FileSystem.h"
#include "store/CRestrictions.h"

#include <QDir>
#include <QTest>
#include <cerrno>
#include <unistd.h>

class TestRestrictionsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void activeValuesAreRead_data()
    {
        QTest::addColumn<QByteArray>("active"); // null: the user has no file
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("expected");

        QTest::newRow("no file allows all") << QByteArray() << 5 << 0xFF;
        QTest::newRow("no section allows all") << QByteArray("") << 2 << 0x1F;
        QTest::newRow("alarm forbidden") << QByteArray("canusealarm=0\r\n") << 1 << 0;
        QTest::newRow("2 allows") << QByteArray("canusemodels=2\r\n") << 0 << 0x3;
        QTest::newRow("1x allows") << QByteArray("canusemodels=1x\r\n") << 0 << 0x3;
        QTest::newRow("x forbids") << QByteArray("canusemodels=x\r\n") << 0 << 0x1;
        QTest::newRow("empty forbids") << QByteArray("canuseaudionotes=\r\n") << 0 << 0x2;
        QTest::newRow("key names ignore case") << QByteArray("CanUseModels=0\r\n") << 0 << 0x1;
        QTest::newRow("last key of options")
            << QByteArray("candisplaylogoptions=0\r\ncandisplayusersoptions=00\r\n") << 5 << 0x7E;
        QTest::newRow("requests are not values in force")
            << QByteArray("[Restrictions]\r\ncanusealarm=0\r\n") << 1 << 1;
    }

    void activeValuesAreRead()
    {
        QFETCH(QByteArray, active);
        QFETCH(int, group);
        QFETCH(int, expected);
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", active);
        QCOMPARE(user->GetActiveRestrictions(group), quint16(expected));
        QCOMPARE(user->GetRequestedRestrictions(group), quint16(0));
    }

    void requestWritesOnlyDifferingKeys_data()
    {
        QTest::addColumn<QByteArray>("active");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("request");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("after");

        QTest::newRow("forbid models") << QByteArray() << 0 << 0x1 << QByteArray("canusemodels=0")
                                       << 0x1;
        QTest::newRow("allow alarm again")
            << QByteArray("canusealarm=0\r\n") << 1 << 0x1 << QByteArray("canusealarm=1") << 0x1;
        QTest::newRow("same as in force") << QByteArray() << 2 << 0x1F << QByteArray() << 0x1F;
        QTest::newRow("several keys in bit order")
            << QByteArray("canaskreply=0\r\n") << 3 << 0x55
            << QByteArray("canaskreadnotification=0;canaskreply=1;canremovelocalcopy=0;"
                          "cansendintmp=0")
            << 0x55;
        QTest::newRow("bits without a key ignored")
            << QByteArray() << 1 << 0xFFFE << QByteArray("canusealarm=0") << 0x0;
    }

    void requestWritesOnlyDifferingKeys()
    {
        QFETCH(QByteArray, active);
        QFETCH(int, group);
        QFETCH(int, request);
        QFETCH(QByteArray, written);
        QFETCH(int, after);
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", active.isNull() ? QByteArray("") : active);
        user->GetActiveRestrictions(group);

        // However many keys of the group change, the file is replaced once.
        share.CountReplacements();
        const ProfileResult result = user->SetRequestedRestrictions(group, quint16(request));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(share.TotalReplacements(), written.isEmpty() ? 0 : 1);
        QCOMPARE(share.Requests("alice"), written);
        QCOMPARE(user->GetActiveRestrictions(group), quint16(after));
        QCOMPARE(user->GetRequestedRestrictions(group), quint16(after));
        // Only the requests changed: the client's own sections are as they were.
        QVERIFY(share.Read("alice").startsWith("[Settings]\r\nsound=1\r\n[ActiveRestrictions]\r\n"
                                               + active));

        // Asking the same again has nothing left to write.
        share.CountReplacements();
        QVERIFY(user->SetRequestedRestrictions(group, quint16(request)).ok);
        QCOMPARE(share.TotalReplacements(), 0);
    }

    void toolKeepsItsOwnValuesAfterWriting()
    {
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", "");
        QVERIFY(user->SetRequestedRestrictions(0, user->GetActiveRestrictions(0) & 0x1).ok);
        share.Write("alice", "[ActiveRestrictions]\r\ncanusemodels=1\r\ncanuseaudionotes=0\r\n"
                             "canusealarm=0\r\n");

        const quint64 before = FileSystem::OperationCount();
        QCOMPARE(user->GetActiveRestrictions(0), quint16(0x1));
        // Every group was taken from the first read, so none is read again.
        QCOMPARE(user->GetActiveRestrictions(1), quint16(0x1));
        QCOMPARE(FileSystem::OperationCount(), before);
    }

    void failedWriteIsRetriedByTheSameRequest()
    {
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", "");
        QCOMPARE(user->GetActiveRestrictions(1), quint16(0x1));
        const QByteArray original = share.Read("alice");

        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1000, EACCES);
        const ProfileResult failed = user->SetRequestedRestrictions(1, 0);
        PlatformTestHooks::Reset();
        QVERIFY(!failed.ok);
        QVERIFY2(failed.message.contains(share.Path("alice")), qPrintable(failed.message));
        QCOMPARE(share.Read("alice"), original);
        QCOMPARE(user->GetActiveRestrictions(1), quint16(0x1));
        QCOMPARE(user->GetRequestedRestrictions(1), quint16(0));

        QVERIFY(user->SetRequestedRestrictions(1, 0).ok);
        QCOMPARE(share.Requests("alice"), QByteArray("canusealarm=0"));
        QCOMPARE(user->GetActiveRestrictions(1), quint16(0));
    }

    void readOnlyFileIsReported()
    {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root from writing");
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", "");
        QCOMPARE(user->GetActiveRestrictions(4), quint16(0x1));
        QFile::setPermissions(share.Path("alice"), QFile::ReadOwner | QFile::ReadGroup);
        QFile::setPermissions(share.Dir().path(), QFile::ReadOwner | QFile::ExeOwner);
        const ProfileResult result = user->SetRequestedRestrictions(4, 0);
        QFile::setPermissions(share.Dir().path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!result.ok);
        QCOMPARE(user->GetActiveRestrictions(4), quint16(0x1));
    }

    void unreadableFileIsNotTakenAsForbidden()
    {
        RestrictionTestShare share;
        CUser *user = share.AddUser("alice", "canusemodels=0\r\n");

        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1000, EIO);
        QVERIFY(!user->LoadRestrictions(0));
        const ProfileResult refused = user->SetRequestedRestrictions(0, 0);
        PlatformTestHooks::Reset();
        QVERIFY(!refused.ok);
        QVERIFY(share.Requests("alice").isEmpty());

        // Nothing was taken from the failed read: the next asks the file again.
        QVERIFY(user->LoadRestrictions(0));
        QCOMPARE(user->GetActiveRestrictions(0), quint16(0x1));
    }

    void loginThatCannotNameAFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("dot dot") << QByteArray("..");
        QTest::newRow("slash") << QByteArray("../alice");
        QTest::newRow("backslash") << QByteArray("a\\b");
        QTest::newRow("colon") << QByteArray("c:x");
        QTest::newRow("control") << QByteArray("a\tb");
    }

    void loginThatCannotNameAFileIsRefused()
    {
        QFETCH(QByteArray, login);
        RestrictionTestShare share;
        CUser *user = share.AddUser(login);
        QCOMPARE(user->GetActiveRestrictions(0), quint16(0x3));
        QVERIFY(user->SetRequestedRestrictions(0, 0x3).ok); // nothing to write

        const ProfileResult refused = user->SetRequestedRestrictions(0, 0x1);
        QVERIFY(!refused.ok);
        QCOMPARE(refused.message, user->UnusableLoginMessage());
        QCOMPARE(user->GetActiveRestrictions(0), quint16(0x3));
        QVERIFY(QDir(share.Dir().path()).isEmpty());
        QVERIFY(!QFile::exists(share.Dir().filePath("../alice.ini")));
    }
};

QTEST_GUILESS_MAIN(TestRestrictionsStore)
#include "tst_restrictions_store.moc"
