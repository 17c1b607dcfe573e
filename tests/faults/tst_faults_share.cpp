// The store while the shared directory or its files fail: it keeps running,
// never loses what was on disk, says so when a save does not happen, and
// works again as soon as the fault goes away.
#include "FaultTestShare.h"

#include <QSignalSpy>

#include <cerrno>
#include <unistd.h>

class TestFaultsShare : public QObject
{
    Q_OBJECT

private:
    // A change the administrator makes to the shared and the personal groups.
    static void EditGroups(CAdminDoc &doc, CUser &alice)
    {
        auto group = std::make_unique<CGroup>("Night");
        group->append(doc.FindUser("carol"));
        doc.AddGroup(std::move(group));
        auto mine = std::make_unique<CGroup>("Extra");
        mine->append(doc.FindUser("alice"));
        alice.AddGroup(std::move(mine));
    }

    // Both saves fail with a message, and no file of the share changed.
    static void SavesFailAndChangeNothing(CAdminDoc &doc, CUser &alice, const FaultTestShare &share)
    {
        const QMap<QString, QByteArray> before = share.Snapshot();
        const ProfileResult shared = doc.SaveGroups();
        QVERIFY(!shared.ok);
        QVERIFY(!shared.message.isEmpty());
        const ProfileResult personal = alice.SaveGroups();
        QVERIFY(!personal.ok);
        QVERIFY(!personal.message.isEmpty());
        const ProfileResult parameter = alice.SetRefreshRate(30);
        QVERIFY(!parameter.ok);
        QCOMPARE(share.Snapshot(), before);
    }

    // With the fault gone: the roster reloads and both saves land.
    static void RecoversAndSaves(CAdminDoc &doc, CUser &alice, const FaultTestShare &share)
    {
        QByteArray users = share.Snapshot().value(QStringLiteral("Users.ini"));
        users.replace("carol=Carol\r\n", "carol=Carol\r\ndave=Dave\r\n");
        share.Write(QStringLiteral("Users.ini"), users);
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(!doc.IsReloadForced());
        QVERIFY(doc.FindUser("dave"));
        QVERIFY(doc.SaveGroups());
        QVERIFY(alice.SaveGroups());
        QVERIFY(alice.SetRefreshRate(30));
        Profile::ClearCache();
        QCOMPARE(Profile::GetString(share.FilePath("Users.ini"), "Groups", "Night"), "carol");
        QCOMPARE(Profile::GetString(share.FilePath("Users.ini"), "Groups", "Team"), "alice,bob");
        QCOMPARE(Profile::GetString(share.FilePath("Users.ini"), "Logon", "bob"), "1700000100");
        QCOMPARE(Profile::GetString(share.FilePath("alice.ini"), "Groups", "Mine"), "bob,carol");
        QCOMPARE(Profile::GetString(share.FilePath("alice.ini"), "Groups", "Extra"), "alice");
        QCOMPARE(Profile::GetString(share.FilePath("alice.ini"), "Other", "keep"), "1");
    }

private Q_SLOTS:
    void shareMissingAtStart()
    {
        FaultTestShare share;
        QVERIFY(QDir().rename(share.Path(), share.Aside()));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        QVERIFY(doc.GetUsers().isEmpty());
        // Saving into a directory that is not there must not create it.
        auto group = std::make_unique<CGroup>("Night");
        doc.AddGroup(std::move(group));
        const ProfileResult saved = doc.SaveGroups();
        QVERIFY(!saved.ok);
        QVERIFY(!saved.message.isEmpty());
        QVERIFY(!QFileInfo::exists(share.Path()));

        QVERIFY(QDir().rename(share.Aside(), share.Path()));
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QCOMPARE(FaultTestShare::Logins(doc), (QList<QByteArray>{"alice", "bob", "carol"}));
        QCOMPARE(doc.FindUser("bob")->GetLogonTime(), 1700000100);
    }

    // The directory goes away (a lost connection) and comes back.
    void shareRemovedWhileRunning()
    {
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        QVERIFY(alice);
        alice->LoadGroups(doc);
        QCOMPARE(FaultTestShare::Members(alice->FindGroup("Mine")),
                 (QList<QByteArray>{"bob", "carol"}));
        EditGroups(doc, *alice);
        const QMap<QString, QByteArray> onDisk = share.Snapshot();

        QVERIFY(QDir().rename(share.Path(), share.Aside()));
        QVERIFY(doc.RosterChanged());
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        // The roster only grows: nobody vanished from the list.
        QCOMPARE(FaultTestShare::Logins(doc), (QList<QByteArray>{"alice", "bob", "carol"}));
        QVERIFY(!doc.SaveGroups().ok);
        QVERIFY(!alice->SaveGroups().ok);
        QVERIFY(!alice->SetRefreshRate(30).ok);
        QVERIFY(!QFileInfo::exists(share.Path()));

        QVERIFY(QDir().rename(share.Aside(), share.Path()));
        QCOMPARE(share.Snapshot(), onDisk);
        RecoversAndSaves(doc, *alice, share);
    }

    // Permission bits: only meaningful for a user they bind.
    void shareReadOnlyByPermissions()
    {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root; the failing-write case covers this");
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        alice->LoadGroups(doc);
        EditGroups(doc, *alice);
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(share.FilePath("Users.ini"), QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(share.FilePath("alice.ini"), QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(share.Path(), readOnly));
        SavesFailAndChangeNothing(doc, *alice, share);

        const auto readWrite = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(share.Path(), readWrite | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(share.FilePath("Users.ini"), readWrite));
        QVERIFY(QFile::setPermissions(share.FilePath("alice.ini"), readWrite));
        RecoversAndSaves(doc, *alice, share);
    }

    // Writes that fail the way a read-only share, a locked file or a full
    // disk makes them fail.
    void writesFail_data()
    {
        QTest::addColumn<int>("error");
        QTest::newRow("read-only share") << int(EROFS);
        QTest::newRow("access denied") << int(EACCES);
        QTest::newRow("disk full") << int(ENOSPC);
        QTest::newRow("I/O error") << int(EIO);
    }

    void writesFail()
    {
        QFETCH(int, error);
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        alice->LoadGroups(doc);
        EditGroups(doc, *alice);
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1000, error);
        SavesFailAndChangeNothing(doc, *alice, share);
        // No half-written or temporary file is left beside them.
        QCOMPARE(share.Snapshot().keys(), (QList<QString>{"Users.ini", "alice.ini"}));
        PlatformTestHooks::Reset();
        RecoversAndSaves(doc, *alice, share);
    }

    // A single failed write (the disk filled up and was freed) fails that
    // save only.
    void oneWriteFailsThenTheNextLands()
    {
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        alice->LoadGroups(doc);
        EditGroups(doc, *alice);
        const QMap<QString, QByteArray> before = share.Snapshot();
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1, ENOSPC);
        QVERIFY(!doc.SaveGroups().ok);
        QCOMPARE(share.Snapshot(), before);
        QVERIFY(doc.SaveGroups());
        QVERIFY(alice->SaveGroups());
    }

    // Reads that fail: the roster and the user file.
    void readsFail()
    {
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        QVERIFY(alice);
        const QMap<QString, QByteArray> onDisk = share.Snapshot();

        share.Write(QStringLiteral("Users.ini"), QByteArray(FaultTestShare::kUsersIni) + "\r\n");
        Profile::ClearCache();
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1000, EIO);
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(doc.IsReloadForced());
        QCOMPARE(doc.GetUsers().size(), 3);
        // A personal group list that could not be read is never saved over the file.
        alice->LoadGroups(doc);
        const ProfileResult saved = alice->SaveGroups();
        QVERIFY(!saved.ok);
        QVERIFY(!saved.message.isEmpty());
        PlatformTestHooks::Reset();
        QCOMPARE(share.Snapshot().value("alice.ini"), onDisk.value("alice.ini"));

        alice->LoadGroups(doc);
        QCOMPARE(FaultTestShare::Members(alice->FindGroup("Mine")),
                 (QList<QByteArray>{"bob", "carol"}));
        EditGroups(doc, *alice);
        RecoversAndSaves(doc, *alice, share);
    }
};

QTEST_GUILESS_MAIN(TestFaultsShare)
#include "tst_faults_share.moc"
