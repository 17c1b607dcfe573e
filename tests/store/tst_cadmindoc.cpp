#include "StoreTestFiles.h"

#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

class TestCAdminDoc : public QObject
{
    Q_OBJECT

private:
    QString UsersIni() const { return m_dir->filePath(QStringLiteral("Users.ini")); }

    QList<QByteArray> Logins(const CAdminDoc &doc) const
    {
        QList<QByteArray> logins;
        for (const CUser *user : doc.GetUsers())
            logins.append(user->GetLogin());
        return logins;
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void newDocumentNeedsADirectory()
    {
        CAdminDoc doc;
        QVERIFY(!doc.OnNewDocument(QString()));
        QVERIFY(doc.GetUsers().isEmpty());
    }

    void shareDirectoryLosesOneTrailingSeparator_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("kept");
        QTest::newRow("backslash") << "C:\\Corvane\\Share\\" << "C:\\Corvane\\Share";
        QTest::newRow("slash") << "/srv/share/" << "/srv/share";
        QTest::newRow("none") << "/srv/share" << "/srv/share";
        QTest::newRow("only one of two") << "/srv/share//" << "/srv/share/";
        QTest::newRow("root stays") << "/" << "/";
    }

    void shareDirectoryLosesOneTrailingSeparator()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, kept);
        CAdminDoc doc;
        doc.SetShareDirectory(chosen);
        QCOMPARE(doc.GetShareDirectory(), kept);
        QCOMPARE(g_shareDirectory.Get(), kept);
    }

    void rosterKeepsFirstEntryOfADuplicate()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nbob=Bob One\r\nalice=Alice\r\nbob=Bob Two\r\n"
                                   "Alice=Other Alice\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QCOMPARE(Logins(doc), (QList<QByteArray>{"bob", "alice", "Alice"}));
        QCOMPARE(doc.FindUser("bob")->GetFullName(), QByteArray("Bob One"));
        QCOMPARE(doc.FindUser("Alice")->GetLogin(), QByteArray("Alice"));
        QVERIFY(!doc.FindUser("BOB"));
    }

    void reloadKeepsRemovedUsersAndFirstFullName()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        CUser *alice = doc.FindUser("alice");
        QSignalSpy grew(&doc, &CAdminDoc::RosterGrew);

        WriteFileBytes(UsersIni(), "[Users]\r\nbob=Robert\r\ncarol=Carol\r\n");
        doc.LoadRoster();
        QCOMPARE(Logins(doc), (QList<QByteArray>{"alice", "bob", "carol"}));
        QCOMPARE(doc.FindUser("alice"), alice);
        QCOMPARE(doc.FindUser("bob")->GetFullName(), QByteArray("Bob"));
        QCOMPARE(grew.count(), 1);
        QCOMPARE(grew.at(0), (QList<QVariant>{2, 1}));
    }

    void deletedMarkIsCaseSensitive()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\ngone=deleted\r\nkept=Deleted\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QCOMPARE(doc.GetUsers().size(), 2);
        QVERIFY(doc.FindUser("gone")->IsDeleted());
        QVERIFY(!doc.FindUser("kept")->IsDeleted());
    }

    void rosterIsReadWholeBeyondOldBufferLimits()
    {
        // 3,000 logins of 30 bytes fill far more than 20,000 bytes of key list,
        // and names of 400 bytes far more than 255 characters.
        QByteArray text = "[Users]\r\n";
        for (int i = 0; i < 3000; ++i)
            text += "login-with-a-long-name-" + QByteArray::number(100000 + i) + '='
                + QByteArray(400, 'a' + i % 26) + "\r\n";
        // A login that would have been cut into its shorter neighbour.
        text += "login-with-a-long-name-1000001=Last\r\n";
        WriteFileBytes(UsersIni(), text);
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QCOMPARE(doc.GetUsers().size(), 3001);
        QCOMPARE(doc.GetUsers().at(2999)->GetLogin(), QByteArray("login-with-a-long-name-102999"));
        QCOMPARE(doc.GetUsers().at(2999)->GetFullName(), QByteArray(400, 'a' + 2999 % 26));
        QCOMPARE(doc.GetUsers().last()->GetLogin(), QByteArray("login-with-a-long-name-1000001"));
        QCOMPARE(doc.GetUsers().last()->GetFullName(), QByteArray("Last"));
    }

    void statusSignalArrivesOnTheDocumentThread()
    {
        WriteFileBytes(UsersIni(), MakeUsersIni(10));
        CAdminDoc doc;
        QThread *seenOn = nullptr;
        connect(&doc, &CAdminDoc::StatusRead, this, [&seenOn] { seenOn = QThread::currentThread(); });
        QSignalSpy read(&doc, &CAdminDoc::StatusRead);
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QVERIFY(read.wait(10000));
        QCOMPARE(seenOn, doc.thread());
    }

    void unchangedRosterCostsOneStatusQuery_data()
    {
        QTest::addColumn<int>("users");
        QTest::newRow("10 users") << 10;
        QTest::newRow("5000 users") << 5000;
    }

    void unchangedRosterCostsOneStatusQuery()
    {
        QFETCH(int, users);
        WriteFileBytes(UsersIni(), MakeUsersIni(users));
        WriteFileBytes(m_dir->filePath("u1.ini"), "[Groups]\r\nTeam=u0\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.WaitForStatusReaders();
        QSignalSpy read(&doc, &CAdminDoc::StatusRead);
        QCoreApplication::processEvents();
        read.clear();

        for (int refresh = 0; refresh < 3; ++refresh) {
            const quint64 before = FileSystem::OperationCount();
            doc.LoadRoster();
            doc.WaitForStatusReaders();
            QCOMPARE(FileSystem::OperationCount() - before, quint64(1));
        }
        QCoreApplication::processEvents();
        QCOMPARE(read.count(), 0);
    }

    void statusPassReadsUsersIniOnce()
    {
        // The file operations of a reload do not grow with the roster.
        quint64 operations[2] = {};
        const int sizes[2] = {10, 4000};
        for (int i = 0; i < 2; ++i) {
            QTemporaryDir dir;
            const QString usersIni = dir.filePath("Users.ini");
            WriteFileBytes(usersIni, MakeUsersIni(sizes[i]));
            CAdminDoc doc;
            QVERIFY(doc.OnNewDocument(dir.path()));
            doc.WaitForStatusReaders();
            WriteFileBytes(usersIni, MakeUsersIni(sizes[i], 1800000000));
            const quint64 before = FileSystem::OperationCount();
            doc.LoadRoster();
            doc.WaitForStatusReaders();
            operations[i] = FileSystem::OperationCount() - before;
            QCOMPARE(doc.GetUsers().last()->GetLogonTime(), 1800000000 + sizes[i] - 1);
        }
        QCOMPARE(operations[1], operations[0]);
    }

    void changeWithinTheSameSecondIsSeen()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\n");
        doc.LoadRoster();
        QVERIFY(doc.FindUser("bob"));
    }

    void missingRosterCountsAsChangedAndClearsTimes()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n[Logon]\r\nalice=1000\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.WaitForStatusReaders();
        QVERIFY(QFile::remove(UsersIni()));
        QVERIFY(doc.RosterChanged());
        QVERIFY(doc.RosterChanged());
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QCOMPARE(doc.GetUsers().size(), 1);
        QCOMPARE(doc.FindUser("alice")->GetLogonTime(), 0);
    }

    void unreadableRosterForcesTheNextReload()
    {
        // A Users.ini that exists but cannot be read: here, a directory.
        QVERIFY(QDir(m_dir->path()).mkdir("Users.ini"));
        CAdminDoc doc;
        QSignalSpy read(&doc, &CAdminDoc::StatusRead);
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QVERIFY(doc.IsReloadForced());
        doc.WaitForStatusReaders();
        QCoreApplication::processEvents();
        QCOMPARE(read.count(), 0);

        QVERIFY(QDir(m_dir->path()).rmdir("Users.ini"));
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n[Groups]\r\nTeam=alice\r\n");
        doc.LoadRoster();
        QVERIFY(!doc.IsReloadForced());
        QVERIFY(doc.FindUser("alice"));
        QVERIFY(read.wait(10000));
    }

    void sharedGroupsUnreadableAtStartAreNotOverwritten()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("Users.ini"));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        const ProfileResult refused = doc.SaveGroups();
        QVERIFY(!refused.ok);
        QVERIFY(!refused.message.isEmpty());

        QVERIFY(QDir(m_dir->path()).rmdir("Users.ini"));
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n[Groups]\r\nTeam=alice\r\n");
        doc.LoadRoster();
        QVERIFY(doc.FindGroup("Team"));
        QCOMPARE(doc.FindGroup("Team")->size(), 1);
        QVERIFY(doc.SaveGroups());
    }

    void sharedGroupsOfAShareMissingAtStartAreReadWhenItComesBack_data()
    {
        QTest::addColumn<bool>("wholeDirectory");
        QTest::newRow("Users.ini missing") << false;
        QTest::newRow("directory missing") << true;
    }

    void sharedGroupsOfAShareMissingAtStartAreReadWhenItComesBack()
    {
        QFETCH(bool, wholeDirectory);
        const QString share = m_dir->filePath("share");
        const QString usersIni = share + "/Users.ini";
        if (!wholeDirectory)
            QVERIFY(QDir(m_dir->path()).mkdir("share"));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share));
        QVERIFY(!doc.AreGroupsRead());
        // An editor's OK while the file is away: nothing is written.
        doc.AddGroup(std::make_unique<CGroup>("Typed"));
        QVERIFY(!doc.SaveGroups().ok);
        QVERIFY(!QFile::exists(usersIni));
        doc.DeleteAllGroups();

        if (wholeDirectory)
            QVERIFY(QDir(m_dir->path()).mkdir("share"));
        WriteFileBytes(usersIni, "[Users]\r\nalice=Alice\r\nbob=Bob\r\n"
                                 "[Groups]\r\nSales=alice,bob\r\nBoard=bob\r\n");
        QSignalSpy replaced(&doc, &CAdminDoc::GroupsReplaced);
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(doc.AreGroupsRead());
        QCOMPARE(replaced.count(), 1);
        QVERIFY(doc.FindGroup("Sales") && doc.FindGroup("Board"));
        QCOMPARE(doc.FindGroup("Sales")->GetMemberList(), QByteArray("alice,bob"));

        // The editor hands back copies of what it was given, and saves.
        std::vector<std::unique_ptr<CGroup>> copies;
        for (const CGroup *group : doc.GetGroups())
            copies.push_back(std::make_unique<CGroup>(*group));
        doc.DeleteAllGroups();
        doc.AddGroups(std::move(copies));
        QVERIFY(doc.SaveGroups());
        QCOMPARE(Profile::GetString(usersIni, "Groups", "Sales"), QByteArray("alice,bob"));
        QCOMPARE(Profile::GetString(usersIni, "Groups", "Board"), QByteArray("bob"));
    }

    void switchingSharesHoldsOnlyTheNewSharesGroups()
    {
        QTemporaryDir other;
        const QString shareB = other.filePath("Users.ini");
        WriteFileBytes(UsersIni(), "[Users]\r\nanna=Anna\r\n[Groups]\r\nAlpha=anna\r\n");
        WriteFileBytes(shareB, "[Users]\r\nbob=Bob\r\ncarol=Carol\r\n"
                               "[Groups]\r\nSales=bob,carol\r\nBoard=bob\r\n");
        const QByteArray before = ReadFileBytes(shareB);
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QVERIFY(doc.FindGroup("Alpha"));

        QSignalSpy aboutToGo(&doc, &CAdminDoc::GroupsAboutToBeReplaced);
        doc.SetShareDirectory(other.path());
        QCOMPARE(aboutToGo.count(), 1);
        QVERIFY(doc.GetGroups().isEmpty());
        // Until B's groups are read, no save may touch B's file.
        doc.AddGroup(std::make_unique<CGroup>("Alpha"));
        QVERIFY(!doc.SaveGroups().ok);
        QCOMPARE(ReadFileBytes(shareB), before);
        doc.DeleteAllGroups();

        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(!doc.FindGroup("Alpha"));
        QCOMPARE(doc.FindGroup("Sales")->GetMemberList(), QByteArray("bob,carol"));
        QVERIFY(doc.SaveGroups());
        QCOMPARE(Profile::GetKeys(shareB, "Groups"), (QList<QByteArray>{"Sales", "Board"}));

        // Back to A while its file cannot be read: nothing of B's is held,
        // and A's file is not touched.
        const QByteArray aBefore = ReadFileBytes(UsersIni());
        QVERIFY(QFile::remove(UsersIni()));
        QVERIFY(QDir(m_dir->path()).mkdir("Users.ini"));
        doc.SetShareDirectory(m_dir->path());
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(doc.GetGroups().isEmpty());
        QVERIFY(!doc.SaveGroups().ok);
        QVERIFY(QDir(m_dir->path()).rmdir("Users.ini"));
        WriteFileBytes(UsersIni(), aBefore);
        doc.LoadRoster();
        QCOMPARE(doc.FindGroup("Alpha")->GetMemberList(), QByteArray("anna"));
    }

    void shareTroubleNamesThePathAndTheReason_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("reason");
        QTest::newRow("directory missing") << "directory" << "the shared directory does not exist";
        QTest::newRow("Users.ini gone") << "file" << "Users.ini: the file does not exist";
        QTest::newRow("Users.ini a directory") << "dir" << "Users.ini: a directory, not a file";
        QTest::newRow("Users.ini unreadable") << "read" << "Users.ini: " + QString::fromLocal8Bit(std::strerror(EACCES));
    }
    void shareTroubleNamesThePathAndTheReason()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, reason);
        const QString share = m_dir->filePath("share");
        const QString usersIni = share + "/Users.ini";
        if (trouble != "directory")
            QVERIFY(QDir().mkdir(share));
        if (trouble == "file") {
            // Read once, then gone: not a share that no client has used yet.
            WriteFileBytes(usersIni, "[Users]\r\nbob=Bob\r\n");
        }
        if (trouble == "dir")
            QVERIFY(QDir().mkdir(usersIni));
        if (trouble == "read") {
            WriteFileBytes(usersIni, "[Users]\r\nalice=Alice\r\n");
            Profile::ClearCache();
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 100, EACCES);
        }
        CAdminDoc doc;
        QSignalSpy changed(&doc, &CAdminDoc::ShareTroubleChanged);
        QVERIFY(doc.OnNewDocument(share));
        PlatformTestHooks::Reset();
        if (trouble == "file") {
            doc.WaitForStatusReaders();
            QCOMPARE(changed.count(), 0);
            QVERIFY(QFile::remove(usersIni));
            doc.LoadRoster();
        }
        QVERIFY2(doc.GetShareTrouble().endsWith(reason), qPrintable(doc.GetShareTrouble()));
        QVERIFY(doc.GetShareTrouble().startsWith(share));
        QCOMPARE(changed.count(), 1);
        // Told once: the next loads find the same trouble.
        doc.LoadRoster();
        QCOMPARE(changed.count(), trouble == "read" ? 2 : 1);

        if (trouble == "directory")
            QVERIFY(QDir().mkdir(share));
        if (trouble == "dir")
            QVERIFY(QDir().rmdir(usersIni));
        WriteFileBytes(usersIni, "[Users]\r\nalice=Alice\r\n");
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QCOMPARE(doc.GetShareTrouble(), QString());
        QCOMPARE(changed.last().at(0).toString(), QString());
        QVERIFY(doc.FindUser("alice"));
    }

    void shareNoClientHasUsedYetIsNoTrouble()
    {
        CAdminDoc doc;
        QSignalSpy changed(&doc, &CAdminDoc::ShareTroubleChanged);
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.LoadRoster();
        QCOMPARE(doc.GetShareTrouble(), QString());
        QCOMPARE(changed.count(), 0);
    }

    void refreshLeavesTheRosterToTheReader()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n[Logon]\r\nalice=1000\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.WaitForStatusReaders();
        QCoreApplication::processEvents();
        QSignalSpy grew(&doc, &CAdminDoc::RosterGrew);

        // bob arrives; before the document's thread has taken him, his
        // logon changes again: the second pass reads him too.
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\n[Logon]\r\n"
                                   "alice=1000\r\nbob=2000\r\n");
        QVERIFY(doc.RefreshRoster());
        doc.WaitForStatusReaders();
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\n[Logon]\r\n"
                                   "alice=1000\r\nbob=30000\r\n"); // another size: same-tick writes still differ
        QVERIFY(doc.RefreshRoster());
        doc.WaitForStatusReaders();
        QCOMPARE(doc.GetUsers().size(), 1); // nothing taken yet
        QCOMPARE(grew.count(), 0);
        CUser *bob = doc.FindUser("bob");
        QVERIFY(bob);
        QCOMPARE(bob->GetLogonTime(), 30000);

        QCoreApplication::processEvents();
        QCOMPARE(Logins(doc), (QList<QByteArray>{"alice", "bob"}));
        QCOMPARE(doc.GetUsers().last(), bob);
        QCOMPARE(grew.count(), 1);
        QCOMPARE(grew.at(0), (QList<QVariant>{1, 1}));
        QVERIFY(!doc.RefreshRoster()); // unchanged since

        // A load right after a refresh has started a pass, with the file
        // unchanged since, still returns with that pass's users in place.
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\ncarl=Carl\r\n");
        QVERIFY(doc.RefreshRoster());
        doc.LoadRoster();
        QCOMPARE(Logins(doc), (QList<QByteArray>{"alice", "bob", "carl"}));
    }

    void newDirectoryAddsItsUsers()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n");
        QTemporaryDir other;
        WriteFileBytes(other.filePath("Users.ini"), "[Users]\r\nbob=Bob\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.SetShareDirectory(other.path() + '/');
        doc.LoadRoster();
        QCOMPARE(Logins(doc), (QList<QByteArray>{"alice", "bob"}));
    }

    void unusableLoginIsListedButNeverAPath_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::newRow("parent") << QByteArray("..");
        QTest::newRow("climbs out") << QByteArray("../outside");
        QTest::newRow("backslash") << QByteArray("a\\b");
        QTest::newRow("colon") << QByteArray("c:x");
    }

    void unusableLoginIsListedButNeverAPath()
    {
        QFETCH(QByteArray, login);
        QDir(m_dir->path()).mkdir("share");
        const QString share = m_dir->filePath("share");
        WriteFileBytes(share + "/Users.ini", "[Users]\r\n" + login + "=Someone\r\n[Logon]\r\n"
                                                 + login + "=1000\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share));
        doc.WaitForStatusReaders();
        CUser *user = doc.FindUser(login);
        QVERIFY(user);
        QCOMPARE(user->GetLogonTime(), 1000);
        QVERIFY(!user->UserFilePath());
        QVERIFY(!user->UserFileExists());
        user->LoadGroups(doc);
        QVERIFY(user->GetGroups().isEmpty());
        const ProfileResult saved = user->SaveGroups();
        QVERIFY(!saved.ok);
        QVERIFY(saved.message.contains(FileSystem::DecodeName(login)));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(share).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{"Users.ini"});
    }

    void userFileExistsTestsTheLoginsFile()
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\n");
        WriteFileBytes(m_dir->filePath("alice.ini"), "");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QVERIFY(doc.FindUser("alice")->UserFileExists());
        QVERIFY(!doc.FindUser("bob")->UserFileExists());
    }

    void listModelsAppendsNamesBeforeTheLastDot_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QSet<QByteArray>>("models");
        QTest::newRow("models") << QStringList{"Sales.mod", "a.b.mod", "notes.txt", "mod"}
                                << QSet<QByteArray>{"Sales", "a.b"};
        QTest::newRow("no models") << QStringList{"Users.ini"} << QSet<QByteArray>{};
        // Named by the clients' code page; a name it cannot hold no client can ask for.
        QTest::newRow("accented, and one Windows-1252 cannot name")
            << QStringList{QString::fromUtf8("Réunion.mod"), QString::fromUtf8("会議.mod")}
            << QSet<QByteArray>{"R\xe9union"};
    }

    void listModelsAppendsNamesBeforeTheLastDot()
    {
        QFETCH(QStringList, files);
        QFETCH(QSet<QByteArray>, models);
        for (const QString &name : files)
            WriteFileBytes(m_dir->filePath(name), "x");
        CAdminDoc doc;
        doc.SetShareDirectory(m_dir->path());
        QList<QByteArray> names{"kept"};
        doc.ListModels(names);
        QCOMPARE(names.first(), QByteArray("kept"));
        QCOMPARE(QSet<QByteArray>(names.cbegin() + 1, names.cend()), models);
        QCOMPARE(names.size(), models.size() + 1);
    }
};

QTEST_GUILESS_MAIN(TestCAdminDoc)
#include "tst_cadmindoc.moc"
