// What clients, other programs and a damaged disk can leave in the shared
// directory: logins that are no file name, a roster cut short or replaced by
// garbage, huge sections and odd information records. The store must take
// them without fault, never touch a file outside the directory, and read the
// directory right again once it is whole.
#include "FaultTestShare.h"

#include "platform/FileSystem.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

class TestFaultsBadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Logins nobody chose through the tool: whatever the roster says is
    // listed, but a file is only ever made inside the directory, or the
    // save says why it was not.
    void oddLoginsStayInsideTheDirectory_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::newRow("slash") << QByteArray("sub/alice");
        QTest::newRow("parent") << QByteArray("..");
        QTest::newRow("climbs out") << QByteArray("../../escape");
        QTest::newRow("backslash") << QByteArray("..\\escape");
        QTest::newRow("control character") << QByteArray("al\x01ice");
        QTest::newRow("escape sequence") << QByteArray("\x1b[31mred");
        QTest::newRow("300 characters") << QByteArray(300, 'x');
        QTest::newRow("quotes") << QByteArray("\"quoted\"");
        QTest::newRow("semicolon inside") << QByteArray("a;b");
        QTest::newRow("8-bit") << QByteArray("\xe9lise\xff");
    }

    void oddLoginsStayInsideTheDirectory()
    {
        QFETCH(QByteArray, login);
        FaultTestShare share;
        share.Write(QStringLiteral("Users.ini"), "[Users]\r\n" + login + "=Someone\r\nalice=Alice\r\n"
                                                     "[Logon]\r\n" + login + "=1000\r\n");
        const QStringList outsideBefore = QDir(share.Path() + "/..").entryList(QDir::AllEntries);
        const QMap<QString, QByteArray> before = share.Snapshot();
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *user = doc.FindUser(login);
        QVERIFY(user);
        QCOMPARE(user->GetLogonTime(), 1000);
        QVERIFY(doc.FindUser("alice"));

        auto group = std::make_unique<CGroup>("Mine");
        group->append(doc.FindUser("alice"));
        user->AddGroup(std::move(group));
        const ProfileResult saved = user->SaveGroups();
        const ProfileResult parameter = user->SetRefreshRate(30);
        QCOMPARE(QDir(share.Path() + "/..").entryList(QDir::AllEntries), outsideBefore);
        QCOMPARE(QDir(share.Path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
        const std::optional<QString> path = user->UserFilePath();
        if (!path) {
            QVERIFY(!saved.ok && !saved.message.isEmpty());
            QVERIFY(!parameter.ok && !parameter.message.isEmpty());
            QCOMPARE(share.Snapshot(), before);
            return;
        }
        QCOMPARE(QFileInfo(*path).absolutePath(), QFileInfo(share.Path()).absoluteFilePath());
        if (saved.ok) {
            Profile::ClearCache();
            QCOMPARE(Profile::GetString(*path, "Groups", "Mine"), "alice");
        } else {
            // Too long a name for the file system: said, not hidden.
            QVERIFY(!saved.message.isEmpty());
            QCOMPARE(share.Snapshot(), before);
        }
    }

    // A roster that a client was writing when it was read: cut at every
    // byte. The tool reads what is whole, and all of it once it is complete.
    void rosterCutAnywhere()
    {
        FaultTestShare share;
        const QByteArray whole = FaultTestShare::kUsersIni;
        const QList<QByteArray> all{"alice", "bob", "carol"};
        for (qsizetype cut = 0; cut < whole.size(); ++cut) {
            Profile::ClearCache();
            share.Write(QStringLiteral("Users.ini"), whole.left(cut));
            CAdminDoc doc;
            QVERIFY(doc.OnNewDocument(share.Path()));
            doc.WaitForStatusReaders();
            const QList<QByteArray> logins = FaultTestShare::Logins(doc);
            QVERIFY2(logins == all.mid(0, logins.size()), whole.left(cut).constData());

            share.Write(QStringLiteral("Users.ini"), whole + "; whole again\r\n");
            doc.LoadRoster();
            doc.WaitForStatusReaders();
            QCOMPARE(FaultTestShare::Logins(doc), all);
            QCOMPARE(doc.FindUser("bob")->GetLogonTime(), 1700000100);
            // Groups already held are the administrator's to edit and are not
            // read again; a cut list holds no one who was not in the file.
            doc.LoadGroups();
            const QList<QByteArray> team = FaultTestShare::Members(doc.FindGroup("Team"));
            QCOMPARE(team, (QList<QByteArray>{"alice", "bob"}).mid(0, team.size()));
        }
    }

    // Users.ini overwritten with binary garbage while the tool runs.
    void rosterReplacedByGarbage()
    {
        FaultTestShare share;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        QRandomGenerator random(20261207);
        for (int round = 0; round < 20; ++round) {
            QByteArray garbage(1 + random.bounded(256 * 1024), Qt::Uninitialized);
            for (char &c : garbage)
                c = char(random.bounded(256));
            if (round % 2)
                garbage.replace('\0', '\n'); // line-structured garbage as well
            share.Write(QStringLiteral("Users.ini"), garbage);
            doc.LoadRoster();
            doc.WaitForStatusReaders();
            doc.LoadGroups();
            // Nothing read from garbage is written back.
            QCOMPARE(share.Snapshot().value("Users.ini"), garbage);
            QVERIFY(doc.FindUser("alice") && doc.FindUser("carol"));
        }
        share.Write(QStringLiteral("Users.ini"),
                    QByteArray(FaultTestShare::kUsersIni).replace("carol=Carol", "carol=Carol\r\ndave=Dave"));
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QVERIFY(!doc.IsReloadForced());
        QVERIFY(doc.FindUser("dave"));
        QCOMPARE(doc.FindUser("bob")->GetLogonTime(), 1700000100);
    }

    // 100,000 users in one section, and one line of 8 MB without a break.
    void hugeRosterAndHugeLine()
    {
        FaultTestShare share;
        QByteArray text = "[Users]\r\n";
        QByteArray logons = "[Logon]\r\n";
        for (int i = 0; i < 100000; ++i) {
            text += "user" + QByteArray::number(i) + "=Name " + QByteArray::number(i) + "\r\n";
            logons += "user" + QByteArray::number(i) + '=' + QByteArray::number(1000 + i) + "\r\n";
        }
        text += logons + "[Infos]\r\nuser99999=" + QByteArray(8 * 1024 * 1024, ',') + "21,340";
        share.Write(QStringLiteral("Users.ini"), text);
        CAdminDoc doc;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        qInfo("100,000 users read in %lld ms", timer.elapsed());
        QCOMPARE(doc.GetUsers().size(), 100000);
        QCOMPARE(doc.FindUser("user99999")->GetLogonTime(), 100999);
        QCOMPARE(doc.FindUser("user0")->GetFullName(), QByteArray("Name 0"));
        // Empty fields are no fields: the record's two numbers are its first two.
        QCOMPARE(doc.FindUser("user99999")->GetColumnText(CUser::ColVersion, 0),
                 QByteArray("2.1 (build 340)"));
        QCOMPARE(share.Snapshot().value("Users.ini").size(), text.size());
    }

    // Information records with fields missing, added or not numbers read
    // the same as the record the client meant.
    void infoRecordsOfOddShape_data()
    {
        QTest::addColumn<QByteArray>("odd");
        QTest::addColumn<QByteArray>("meant");
        const QByteArray full = "21,340,20,300,0,English,1690000000,2,3";
        QTest::newRow("extra fields") << full + ",99,zz,,," << full;
        QTest::newRow("trailing commas") << full + ",,,," << full;
        QTest::newRow("letters for numbers") << QByteArray("x,y,z,w,0,English,abc,q,r")
                                             << QByteArray("0,0,0,0,0,English,0,0,0");
        QTest::newRow("number then letters") << QByteArray("21a,340b,20,300,0,English,1690000000s,2x,3y")
                                             << full;
        QTest::newRow("time beyond an int is the last one an int holds")
            << QByteArray("21,340,20,300,0,English,99999999999999999999,2,3")
            << QByteArray("21,340,20,300,0,English,2147483647,2,3");
        QTest::newRow("16-bit fields beyond 64 bits")
            << QByteArray("21,340,20,300,0,English,1690000000,99999999999999999999,3")
            << QByteArray("21,340,20,300,0,English,1690000000,65535,3");
        QTest::newRow("negative time") << QByteArray("21,340,20,300,0,English,-5,2,3")
                                       << QByteArray("21,340,20,300,0,English,0,2,3");
        QTest::newRow("control characters in language")
            << QByteArray("21,340,20,300,0,Eng\x01\x7f,1690000000,2,3")
            << QByteArray("21,340,20,300,0,Eng\x01\x7f,1690000000,2,3");
    }

    void infoRecordsOfOddShape()
    {
        QFETCH(QByteArray, odd);
        QFETCH(QByteArray, meant);
        CUser oddUser("a", "A"), meantUser("a", "A");
        oddUser.ParseInfos(odd);
        meantUser.ParseInfos(meant);
        for (int column = 0; column < CUser::ColumnCount; ++column)
            QCOMPARE(oddUser.GetColumnText(column, 1700000000), meantUser.GetColumnText(column, 1700000000));
    }

    // Missing fields keep what the user had; a record of only commas or
    // of binary bytes is taken without fault.
    void infoRecordsMissingOrBinary()
    {
        CUser user("a", "A");
        user.ParseInfos("21,340,20,300,0,English,1690000000,2,3");
        const QByteArray language = user.GetColumnText(CUser::ColLanguage, 0);
        user.ParseInfos(",,,,,,,,,,,,");
        QCOMPARE(user.GetColumnText(CUser::ColLanguage, 0), language);
        QByteArray binary(4096, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char &c : binary)
            c = char(random.bounded(256));
        user.ParseInfos(binary);
        for (int column = 0; column < CUser::ColumnCount; ++column)
            (void)user.GetColumnText(column, 1700000000);
        QVERIFY(user.GetLastInstallTime() >= 0);
    }
};

QTEST_GUILESS_MAIN(TestFaultsBadInput)
#include "tst_faults_badinput.moc"
