#include "CSimulatedClient.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Every file of the share with its bytes: what "nothing written" means.
QMap<QString, QByteArray> Snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(path, file.readAll());
    }
    return files;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_share;

    QString Share() const { return m_share->path(); }
    QString UserFile(const char *login) const
    {
        return Share() + QLatin1Char('/') + QLatin1String(login) + QStringLiteral(".ini");
    }

    // Runs the program with its settings in a private directory, so that
    // the machine's own settings play no part.
    Run Cli(QStringList arguments, bool bWithShare = true)
    {
        if (bWithShare)
            arguments << QStringLiteral("--share") << Share();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CORVANE_CLI), arguments);
        Run run;
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QJsonObject Restriction(const char *login, const QString &key)
    {
        const Run run = Cli({QStringLiteral("show"), QString::fromLatin1(login),
                             QStringLiteral("--json")});
        const QJsonObject user = QJsonDocument::fromJson(run.out.toUtf8()).object();
        for (const QJsonValue &value : user.value(QStringLiteral("restrictions")).toArray())
            if (value.toObject().value(QStringLiteral("key")).toString() == key)
                return value.toObject();
        return {};
    }

private Q_SLOTS:
    void init()
    {
        // Users.ini in Windows-1252, as the clients write it: an accented
        // name, a deleted user, a login that cannot name a file, a group.
        m_share = std::make_unique<QTemporaryDir>();
        QVERIFY(m_share->isValid());
        WriteFile(Share() + QStringLiteral("/Users.ini"),
                  "[Users]\r\nalice=Alice Smith\r\nbob=Bob Jones\r\nchloe=Chlo\xe8 Rossi\r\n"
                  "ev/il=Evil\r\ngone=deleted\r\n"
                  "[Groups]\r\nSales=alice,bob,later\r\nOps=bob\r\n");
        WriteFile(UserFile("alice"),
                  "; kept by the client\r\n[ActiveRestrictions]\r\ncanusealarm=1\r\n"
                  "canusemodels=1\r\n[ActiveParameters]\r\nRefreshRate=1\r\n");
        WriteFile(UserFile("bob"), "[ActiveRestrictions]\r\ncanusealarm=0\r\n");
        WriteFile(Share() + QStringLiteral("/Memo.mod"), "memo\r\n");
    }

    void restrictionIsTakenUpByTheClientAndShown()
    {
        const Run run = Cli({QStringLiteral("restrict"), QStringLiteral("alice"),
                             QStringLiteral("--forbid"), QStringLiteral("canusealarm"),
                             QStringLiteral("--allow"), QStringLiteral("canusemodels")});
        QCOMPARE(run.exitCode, 0);
        // Only the key that differs from the value in force is asked for.
        QFile file(UserFile("alice"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("[Restrictions]\r\ncanusealarm=0"));
        QVERIFY(!bytes.contains("canusemodels=0") && bytes.count("canusemodels") == 1);
        QVERIFY(bytes.startsWith("; kept by the client\r\n"));

        QJsonObject alarm = Restriction("alice", QStringLiteral("canusealarm"));
        QCOMPARE(alarm.value(QStringLiteral("state")).toString(), QStringLiteral("allowed"));
        QCOMPARE(alarm.value(QStringLiteral("requested")).toString(), QStringLiteral("forbidden"));
        QVERIFY(alarm.value(QStringLiteral("pending")).toBool());

        CSimulatedClient::Settings settings;
        settings.shareDirectory = Share();
        settings.usersIniPath = Share() + QStringLiteral("/Users.ini");
        settings.logoffPercent = 0;
        CSimulatedClient client(settings, "alice", UserFile("alice"), 1, nullptr);
        client.Step(QDateTime::currentSecsSinceEpoch());

        alarm = Restriction("alice", QStringLiteral("canusealarm"));
        QCOMPARE(alarm.value(QStringLiteral("state")).toString(), QStringLiteral("forbidden"));
        QVERIFY(!alarm.value(QStringLiteral("pending")).toBool());

        // Now in force: asking again writes nothing.
        const QMap<QString, QByteArray> before = Snapshot(Share());
        QCOMPARE(Cli({QStringLiteral("restrict"), QStringLiteral("alice"), QStringLiteral("--forbid"),
                      QStringLiteral("canusealarm")})
                     .exitCode,
                 0);
        QCOMPARE(Snapshot(Share()), before);
    }

    void setIsShownAsRequested()
    {
        QCOMPARE(Cli({"set", "alice", "RefreshRate=2", "YourKey=Zoë"}).exitCode, 0);
        const Run run = Cli({"show", "alice", "--json"});
        const QJsonObject user = QJsonDocument::fromJson(run.out.toUtf8()).object();
        const QJsonObject requested = user.value(QStringLiteral("requested")).toObject();
        QCOMPARE(requested.value(QStringLiteral("RefreshRate")).toString(), QStringLiteral("2"));
        QCOMPARE(requested.value(QStringLiteral("YourKey")).toString(), QStringLiteral("Zoë"));
        // In force until the client takes it up.
        QCOMPARE(user.value(QStringLiteral("parameters")).toObject().value("RefreshRate").toInt(),
                 1);
        QFile file(UserFile("alice"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("YourKey=Zo\xeb\r\n")); // the clients' code page
    }

    void dryRunWritesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("planned");
        QTest::newRow("restrict") << QStringList{"restrict", "alice", "bob", "--forbid",
                                                 "canusealarm,canusemodels"}
                                  << "alice.ini [Restrictions] canusemodels=0 canusealarm=0\n";
        QTest::newRow("restrict group") << QStringList{"restrict", "--group", "Sales", "--allow",
                                                       "canusealarm"}
                                        << "bob.ini [Restrictions] canusealarm=1\n";
        QTest::newRow("set") << QStringList{"set", "alice", "RefreshRate=2", "YourKey=K 7"}
                             << "alice.ini [Parameters] RefreshRate=2 YourKey=K 7";
        QTest::newRow("models") << QStringList{"models", "alice", "--add", "Memo"}
                                << "alice.ini [Models] Memo=1\n";
        QTest::newRow("upgrade") << QStringList{"upgrade", "alice", "--now", "--dir", "C:\\new"}
                                 << "alice.ini [Notes] newver=now,C:\\new\n";
        QTest::newRow("clear-log") << QStringList{"clear-log", "alice"} << "would empty ";
        QTest::newRow("log") << QStringList{"log", "alice"} << "alice.ini [ExternalControl] ";
        QTest::newRow("groups rename") << QStringList{"groups", "rename", "Ops", "Night"}
                                       << "Users.ini [Groups] Night=bob\n";
        QTest::newRow("set accented") << QStringList{"set", "chloe", "YourKey=Chloé"}
                                      << "chloe.ini [Parameters] YourKey=Chloé";
    }

    void dryRunWritesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, planned);
        const QMap<QString, QByteArray> before = Snapshot(Share());
        const Run run = Cli(arguments << QStringLiteral("--dry-run"));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(planned), qPrintable(run.out));
        QCOMPARE(Snapshot(Share()), before);
    }

    void failuresGiveTheirMessageAndCode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown login")
            << QStringList{"restrict", "nobody", "--forbid", "canusealarm"} << 1
            << "nobody: no such user in Users.ini.";
        QTest::newRow("login that cannot name a file")
            << QStringList{"set", "ev/il", "RefreshRate=1"} << 1
            << "cannot be used as a file name";
        QTest::newRow("number out of range") << QStringList{"set", "alice", "RefreshRate=7"} << 2
                                             << "RefreshRate takes a number from 0 to 2";
        QTest::newRow("line break in a text") << QStringList{"set", "alice", "YourKey=a\nb"} << 2
                                              << "YourKey cannot be sent to the client";
        QTest::newRow("outside the code page") << QStringList{"set", "alice", "YourKey=日本"}
                                               << 2 << "cannot hold these characters: 日本";
        QTest::newRow("model the client lacks")
            << QStringList{"set", "alice", "DefaultModel=Memo"} << 1
            << "the client reports no model \"Memo\"";
        QTest::newRow("model not in the share")
            << QStringList{"models", "alice", "--add", "Nope"} << 2
            << "The shared directory has no model \"Nope\"";
        QTest::newRow("group name taken") << QStringList{"groups", "add", "sales"} << 2
                                          << "There is already a group named";
        QTest::newRow("unknown key") << QStringList{"restrict", "alice", "--allow", "canfly"} << 2
                                     << "Unknown restriction key \"canfly\"";
        QTest::newRow("unknown group") << QStringList{"restrict", "--group", "Nope", "--allow",
                                                      "canusealarm"}
                                       << 2 << "No shared group \"Nope\"";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2
                                         << "Unknown command \"frobnicate\"";
    }

    void failuresGiveTheirMessageAndCode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QMap<QString, QByteArray> before = Snapshot(Share());
        const Run run = Cli(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(Snapshot(Share()), before);
    }

    void oneBadTargetDoesNotStopTheOthers()
    {
        const Run run = Cli({"restrict", "nobody", "ev/il", "bob", "--allow", "canusealarm"});
        QCOMPARE(run.exitCode, 1);
        QFile file(UserFile("bob"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Restrictions]\r\ncanusealarm=1"));
    }

    void logIsFetchedFromTheClient()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CORVANE_CLI),
                      {"log", "alice", "--wait", "600", "--share", Share()});
        // The client answers once it has seen the request.
        const auto asked = [this] {
            QFile file(UserFile("alice"));
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("=AskForLogs");
        };
        QTRY_VERIFY_WITH_TIMEOUT(asked() || process.state() == QProcess::NotRunning, 600000);
        QCOMPARE(process.state(), QProcess::Running);
        CSimulatedClient::Settings settings;
        settings.shareDirectory = Share();
        settings.usersIniPath = Share() + QStringLiteral("/Users.ini");
        settings.logoffPercent = 0;
        CSimulatedClient client(settings, "alice", UserFile("alice"), 1, nullptr);
        client.Step(QDateTime::currentSecsSinceEpoch());
        QVERIFY(process.waitForFinished(-1));
        QCOMPARE(process.exitCode(), 0);
        QFile log(Share() + QStringLiteral("/alice.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray bytes = log.readAll();
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(process.readAllStandardOutput(), bytes);
    }

    void groupsAreSavedWithLoginsTheRosterLacks()
    {
        // "later" is not in the roster yet: a save must write it back.
        QCOMPARE(Cli({"groups", "remove", "Ops"}).exitCode, 0);
        QCOMPARE(Cli({"groups", "add", "Team", "chloe", "alice"}).exitCode, 0);
        QFile file(Share() + QStringLiteral("/Users.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.contains("[Groups]\r\nSales=alice,bob,later\r\nTeam=chloe,alice\r\n"),
                 bytes.constData());
        QVERIFY(!bytes.contains("Ops="));
        QVERIFY(bytes.startsWith("[Users]\r\nalice=Alice Smith\r\n"));
        const Run run = Cli({"groups", "show", "Team"});
        QCOMPARE(run.out, QStringLiteral("chloe\nalice\n"));
    }

    void unreadableShareEndsWithThree_data()
    {
        QTest::addColumn<QString>("subdirectory");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << "it does not exist";
        QTest::newRow("no Users.ini") << "empty" << "it holds no Users.ini";
    }

    void unreadableShareEndsWithThree()
    {
        QFETCH(QString, subdirectory);
        QFETCH(QString, message);
        QDir(Share()).mkdir(QStringLiteral("empty"));
        const Run run = Cli({"users", "--share", Share() + QLatin1Char('/') + subdirectory},
                            false);
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void usersShowsTheListsTexts_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("csv, deleted hidden")
            << QStringList{"users", "--format", "csv", "--columns", "login,real name"}
            << "Login,Real Name\nalice,Alice Smith\nbob,Bob Jones\nchloe,Chloè Rossi\n"
               "ev/il,Evil\n";
        QTest::newRow("other code page")
            << QStringList{"users", "--format", "csv", "--columns", "2", "--filter", "ROSSI",
                           "--code-page", "windows-1250"}
            << "Real Name\nChloč Rossi\n";
        QTest::newRow("filter on the real name, not shown")
            << QStringList{"users", "--format", "csv", "--columns", "1", "--filter", "EVIL"}
            << "Login\nev/il\n";
        QTest::newRow("deleted only") << QStringList{"users", "--deleted", "--columns", "1,2"}
                                      << "Login  Real Name\ngone   deleted\n";
    }

    void usersShowsTheListsTexts()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Run run = Cli(arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, expected);
    }

    void storedShareDirectoryIsUsed()
    {
        QDir(m_config.path()).mkpath(QStringLiteral("Corvane"));
        QSettings settings(m_config.path() + QStringLiteral("/Corvane/Admin.ini"),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("ShareDirectory"), Share());
        settings.setValue(QStringLiteral("ClientCodePage"), QStringLiteral("windows-1250"));
        settings.sync();
        const Run run = Cli({"users", "--format", "csv", "--columns", "2", "--filter", "rossi"},
                            false);
        QFile::remove(settings.fileName());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Real Name\nChloč Rossi\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
