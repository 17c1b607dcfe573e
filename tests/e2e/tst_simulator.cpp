// The tool's store and a simulated client in its own process, meeting only in
// the shared directory: what the administrator asks for through the store must
// come back, through the store, as what the client has in force.

#include "SimulatorProcess.h"

#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CLogFile.h"
#include "store/CPendingNotes.h"
#include "store/CUser.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTimeout = 30000;

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CAdminDoc m_doc;
    SimulatorProcess m_simulator;

    QString Path(const QString &name) const { return m_dir.path() + u'/' + name; }
    CUser *User(const QByteArray &login) const { return m_doc.FindUser(login); }
    // The file's bytes, for the message of a failed wait.
    static QByteArray Dump(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? path.toLocal8Bit() + ":\n" + file.readAll()
                                              : path.toLocal8Bit() + " cannot be read";
    }
    // What a tool started now would read as in force: a record that has not
    // read the file yet.
    quint16 ActiveRestrictionsRead(const QByteArray &login, int group) const
    {
        CUser fresh(login, QByteArray());
        return fresh.GetActiveRestrictions(group);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString roster = Path(QStringLiteral("Users.ini"));
        QVERIFY(Profile::WriteSection(roster, "Users",
                                      {"alice=Alice Archer", "bob=Bob Baker", "carol=deleted",
                                       "\xe9lodie=\xc9lodie Dune", "erin=Erin Eames"}));
        QVERIFY(Profile::WriteSection(roster, "Logon", {"alice=1000", "bob=5000"}));
        QVERIFY(Profile::WriteSection(roster, "Logoff", {"alice=2000", "bob=4000"}));
        QVERIFY(Profile::WriteSection(roster, "Infos",
                                      {"alice=21,340,20,300,0,English,900,2,3",
                                       "bob=22,355,21,340,0,French,900,1,2"}));
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_doc.WaitForStatusReaders();

        // Three clients: alice, bob and élodie (carol is deleted and runs none;
        // erin lies beyond the three). They look often and sometimes restart.
        QVERIFY(m_simulator.Start({"--share", m_dir.path(), "--clients", "3", "--rate", "20",
                                   "--logoff-percent", "20", "--seed", "7"}));
    }

    void restrictionBecomesActive_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<int>("group");
        QTest::addColumn<quint16>("mask");
        QTest::newRow("alice may not use models") << QByteArray("alice") << 0 << quint16(0x0001);
        QTest::newRow("bob may not use the alarm") << QByteArray("bob") << 1 << quint16(0x0000);
        QTest::newRow("\xc3\xa9lodie may only send by e-mail") << QByteArray("\xe9lodie") << 2 << quint16(0x0010);
    }
    void restrictionBecomesActive()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, group);
        QFETCH(quint16, mask);
        CUser *user = User(login);
        QVERIFY(user);
        QVERIFY(user->GetActiveRestrictions(group) != mask);
        QVERIFY(user->SetRequestedRestrictions(group, mask));
        QVERIFY2(QTest::qWaitFor([&] { return ActiveRestrictionsRead(login, group) == mask; },
                                 kTimeout),
                 Dump(*user->UserFilePath()));
        // The Windows-1252 login names its file in UTF-8 on this file system.
        QCOMPARE(QFileInfo(*user->UserFilePath()).fileName(),
                 QString::fromUtf8(QByteArray(login).replace("\xe9", "\xc3\xa9") + ".ini"));
    }

    void parametersBecomeActive()
    {
        CUser *alice = User("alice");
        QVERIFY(alice->SetCommMode(0));
        QVERIFY(alice->SetYourKey("caf\xe9 4711"));
        QVERIFY(alice->SetUseLogFile(19));
        QVERIFY(alice->SetSharedDir("\\\\files\\notes"));
        QVERIFY(alice->SetDefaultModel(""));
        QTRY_COMPARE_WITH_TIMEOUT(alice->GetCommMode(), 0, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(alice->GetYourKey(), QByteArray("caf\xe9 4711"), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(alice->GetUseLogFile(), quint16(19), kTimeout);
        const QString file = *alice->UserFilePath();
        QTRY_VERIFY_WITH_TIMEOUT(Profile::Load(file)->Value("ActiveParameters", "DefaultModel"),
                                 kTimeout);
        // The directory to receive notes in is followed, never reported.
        QVERIFY(!Profile::Load(file)->Value("ActiveParameters", "SharedDir"));

        // A later request replaces the one in force.
        QVERIFY(alice->SetCommMode(1));
        QTRY_COMPARE_WITH_TIMEOUT(alice->GetCommMode(), 1, kTimeout);
    }

    void modelBecomesActive()
    {
        CUser *bob = User("bob");
        QVERIFY(bob->SetModel("Sales", 1));
        QVERIFY(bob->SetModel("R\xe9union", 1));
        QVERIFY2(QTest::qWaitFor(
                     [bob] {
                         QList<QByteArray> names;
                         bob->GetActiveModels(names);
                         return names.contains("Sales") && names.contains("R\xe9union");
                     },
                     kTimeout),
                 Dump(*bob->UserFilePath()));
    }

    void upgradeIsReportedAsNewVersion_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("now") << QByteArray("alice") << QByteArray("now");
        QTest::newRow("at restart, from a directory")
            << QByteArray("bob") << QByteArray("at-restart,\\\\files\\corvane\\v2.3");
    }
    void upgradeIsReportedAsNewVersion()
    {
        QFETCH(QByteArray, login);
        QFETCH(QByteArray, request);
        CUser *user = User(login);
        m_doc.ReadAllUserStatus();
        const CUserStatus before = *user->GetStatus();
        QVERIFY(before.version != 0);
        user->MarkUpgradeRequested();
        QVERIFY(user->RequestUpgrade(request));
        QVERIFY(user->IsUpgradePending());

        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                m_doc.ReadAllUserStatus();
                return !user->IsUpgradePending();
            }(),
            kTimeout);
        const CUserStatus after = *user->GetStatus();
        QCOMPARE(after.version, quint16(before.version + 1));
        QCOMPARE(after.oldVersion, before.version);
        QCOMPARE(after.oldBuild, before.build);
        QVERIFY(after.build > before.build);
        QTRY_VERIFY_WITH_TIMEOUT(
            !Profile::Load(*user->UserFilePath())->Value("Notes", CPendingNotes::UpgradeKey),
            kTimeout);
    }

    void logRequestIsAnswered()
    {
        CUser *elodie = User("\xe9lodie"); // the log is named after the login too
        QVERIFY(CLogFile::Clear(*elodie)); // an old copy, to be replaced
        QVERIFY(elodie->DeleteLogFile());
        QVERIFY(!CLogFile::Exists(*elodie));
        QVERIFY(elodie->RequestLogs());
        QTRY_VERIFY_WITH_TIMEOUT(CLogFile::Exists(*elodie), kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(
            Profile::Load(*elodie->UserFilePath())->Keys("ExternalControl").isEmpty(), kTimeout);
        QVERIFY(Profile::Load(*CLogFile::Path(*elodie))->Sections().size() >= 1);
    }

    void waitingNotesAreReceived()
    {
        CUser *bob = User("bob");
        const QString note = CPendingNotes::NoteFilePath(m_dir.path(), 5);
        QVERIFY(Profile::WriteSection(note, "Note", {"From=alice", "Text=See you at ten."}));
        const QString file = *bob->UserFilePath();
        QVERIFY(Profile::WriteString(file, "Notes", "5", "1000"));
        QVERIFY(Profile::WriteString(file, "Notes", "7", "1001")); // its file never came

        QList<quint16> missing;
        QTRY_VERIFY_WITH_TIMEOUT(!FileSystem::Exists(note), kTimeout);
        int count = 0;
        QVERIFY(bob->CheckNotes(count, missing));
        QCOMPARE(count, 1);
        QCOMPARE(missing, QList<quint16>{7});
    }

    void stopLogsClientsOffAndReportsCounts()
    {
        QVERIFY(m_simulator.IsRunning());
        QVERIFY2(m_simulator.Terminate(), m_simulator.Errors().constData());
        const QMap<QByteArray, qint64> counts = m_simulator.Counts();
        QVERIFY2(counts.value("steps") > 0, m_simulator.Output().constData());
        QCOMPARE(counts.value("failedwrites"), 0);
        QVERIFY(counts.value("restrictions") >= 3);
        QVERIFY(counts.value("models") >= 2);
        QVERIFY(counts.value("upgrades") >= 2);
        QVERIFY(counts.value("logs") >= 1);
        QVERIFY(counts.value("notes") >= 1);

        m_doc.ReadAllUserStatus();
        for (const QByteArray login : {"alice", "bob", "\xe9lodie"})
            QVERIFY2(User(login)->GetConnectionState() == CUser::NotConnected, login.constData());
        // No client ran for the deleted user or for the one beyond --clients.
        QCOMPARE(User("carol")->GetLogonTime(), 0);
        QCOMPARE(User("erin")->GetLogonTime(), 0);
    }

    void refusesDirectoryWithoutRoster()
    {
        QTemporaryDir empty;
        SimulatorProcess simulator;
        QVERIFY(simulator.Start({"--share", empty.path(), "--rounds", "1", "--fast"}));
        QVERIFY(!simulator.Wait(30000));
        QVERIFY(simulator.Errors().contains("Users.ini"));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
