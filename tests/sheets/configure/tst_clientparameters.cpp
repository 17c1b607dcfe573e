#include "ConfigureTestFiles.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CLogFile.h"
#include "store/CLogFileWatcher.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <functional>

using Getter = std::function<QByteArray(CUser &)>;
using Setter = std::function<ProfileResult(CUser &)>;
Q_DECLARE_METATYPE(Getter)
Q_DECLARE_METATYPE(Setter)

namespace {

QByteArray Number(qint64 value)
{
    return QByteArray::number(value);
}

// Every getter, as the text of the value it returns.
QList<std::pair<const char *, Getter>> AllGetters()
{
    return {
        {"YourKey", [](CUser &u) { return u.GetYourKey(); }},
        {"NewNoteType", [](CUser &u) { return Number(u.GetNewNoteType()); }},
        {"CommMode", [](CUser &u) { return Number(u.GetCommMode()); }},
        {"ReceiveNotesInConfidential",
         [](CUser &u) { return Number(u.GetReceiveNotesInConfidential()); }},
        {"RefreshRate", [](CUser &u) { return Number(u.GetRefreshRate()); }},
        {"UseLogFile", [](CUser &u) { return Number(u.GetUseLogFile()); }},
        {"DefaultModel", [](CUser &u) { return u.GetDefaultModel(); }},
    };
}

} // namespace

class TestClientParameters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        g_shareDirectory.Set(m_dir.path());
        Profile::ClearCache();
        PlatformTestHooks::Reset();
        m_iniPath = m_dir.filePath(QStringLiteral("alice.ini"));
        m_logPath = m_dir.filePath(QStringLiteral("alice.log"));
        QDir dir(m_dir.path());
        for (const QString &name : dir.entryList(QDir::Files))
            QVERIFY(dir.remove(name));
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void unreportedValuesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("no ActiveParameters section")
            << QByteArray("[Parameters]\r\nCommMode=1\r\nYourKey=secret\r\n");
        QTest::newRow("empty values") << ActiveParameters(
            "YourKey=\r\nNewNoteType=\r\nCommMode=\r\nReceiveNotesInConfidential=\r\n"
            "RefreshRate=\r\nUseLogFile=\r\nDefaultModel=\r\n");
    }
    void unreportedValuesReadAsDefaults()
    {
        QFETCH(QByteArray, file);
        if (!file.isNull())
            WriteFileBytes(m_iniPath, file);
        CUser user("alice", "Alice");
        const QList<QByteArray> expected = {"", "-1", "-1", "0", "-1", "0", ""};
        const auto getters = AllGetters();
        for (qsizetype i = 0; i < getters.size(); ++i)
            QVERIFY2(getters[i].second(user) == expected[i], getters[i].first);
    }

    void reportedValuesAreRead_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("comm mode") << QByteArray("CommMode") << QByteArray("1") << QByteArray("1");
        QTest::newRow("negative note type")
            << QByteArray("NewNoteType") << QByteArray("-1") << QByteArray("-1");
        QTest::newRow("rate out of range")
            << QByteArray("RefreshRate") << QByteArray("3") << QByteArray("3");
        QTest::newRow("digits then text")
            << QByteArray("RefreshRate") << QByteArray("2 (high)") << QByteArray("2");
        QTest::newRow("log bits above 16 dropped")
            << QByteArray("UseLogFile") << QByteArray("65537") << QByteArray("1");
        QTest::newRow("negative log bits keep the low half")
            << QByteArray("UseLogFile") << QByteArray("-1") << QByteArray("65535");
        QTest::newRow("long code cut like the client's buffer")
            << QByteArray("YourKey") << QByteArray(300, 'k') << QByteArray(254, 'k');
        QTest::newRow("code of exactly 254 kept")
            << QByteArray("YourKey") << QByteArray(254, 'c') << QByteArray(254, 'c');
        QTest::newRow("model name as written")
            << QByteArray("DefaultModel") << QByteArray("Weekly Report") << QByteArray("Weekly Report");
        QTest::newRow("key names ignore case")
            << QByteArray("commmode") << QByteArray("0") << QByteArray("0");
    }
    void reportedValuesAreRead()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, expected);
        WriteFileBytes(m_iniPath, ActiveParameters(key + '=' + stored + "\r\n"));
        CUser user("alice", "Alice");
        for (const auto &[name, getter] : AllGetters()) {
            if (ProfileFile::FoldName(name) == ProfileFile::FoldName(key))
                QCOMPARE(getter(user), expected);
        }
    }

    void setterWritesOneRequestKey_data()
    {
        QTest::addColumn<Setter>("set");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("code") << Setter([](CUser &u) { return u.SetYourKey("s3cret"); })
                              << QByteArray("YourKey=s3cret");
        QTest::newRow("note type") << Setter([](CUser &u) { return u.SetNewNoteType(2); })
                                   << QByteArray("NewNoteType=2");
        QTest::newRow("no comm mode chosen") << Setter([](CUser &u) { return u.SetCommMode(-1); })
                                             << QByteArray("CommMode=-1");
        QTest::newRow("confidential")
            << Setter([](CUser &u) { return u.SetReceiveNotesInConfidential(1); })
            << QByteArray("ReceiveNotesInConfidential=1");
        QTest::newRow("no rate chosen") << Setter([](CUser &u) { return u.SetRefreshRate(-1); })
                                        << QByteArray("RefreshRate=-1");
        QTest::newRow("shared dir")
            << Setter([](CUser &u) { return u.SetSharedDir("\\\\server\\notes"); })
            << QByteArray("SharedDir=\\\\server\\notes");
        QTest::newRow("all 16 log bits") << Setter([](CUser &u) { return u.SetUseLogFile(65535); })
                                         << QByteArray("UseLogFile=65535");
        QTest::newRow("empty model keeps the key")
            << Setter([](CUser &u) { return u.SetDefaultModel(""); }) << QByteArray("DefaultModel=");
    }
    void setterWritesOneRequestKey()
    {
        QFETCH(Setter, set);
        QFETCH(QByteArray, line);
        const QByteArray active = ActiveParameters("CommMode=1\r\nRefreshRate=2\r\n");
        WriteFileBytes(m_iniPath, active);
        CUser user("alice", "Alice");
        QVERIFY(set(user));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), QList<QByteArray>{line});
        QCOMPARE(SectionLines(m_iniPath, "ActiveParameters"),
                 (QList<QByteArray>{"CommMode=1", "RefreshRate=2"}));
    }

    void requestDoesNotShowUntilClientTakesIt()
    {
        WriteFileBytes(m_iniPath, ActiveParameters("CommMode=0\r\n"));
        CUser user("alice", "Alice");
        QVERIFY(user.SetCommMode(1));
        QCOMPARE(user.GetCommMode(), 0);
        // The client copies the request across.
        WriteFileBytes(m_iniPath, ActiveParameters("CommMode=1\r\n") + "[Parameters]\r\nCommMode=1\r\n");
        QCOMPARE(user.GetCommMode(), 1);
    }

    void unusableLoginIsRefusedAndReadsDefaults()
    {
        CUser user("..", "Dots");
        QCOMPARE(user.GetCommMode(), -1);
        QCOMPARE(user.GetYourKey(), QByteArray());
        const ProfileResult result = user.SetRefreshRate(1);
        QVERIFY(!result);
        QVERIFY(result.message.contains(QStringLiteral("cannot be used as a file name")));
        QVERIFY(!user.SetModel("alpha", 1));
        QVERIFY(!user.RequestLogs());
        QVERIFY(!user.ClearLogFile());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
    }

    void activeModelsAreAppendedInFileOrder_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<QByteArray>>("expected");
        const QByteArray longName(100, 'm');
        QTest::newRow("no section") << QByteArray("[Models]\r\nx=1\r\n") << QList<QByteArray>{};
        QTest::newRow("file order, values ignored")
            << QByteArray("[ActiveModels]\r\nzeta=\r\nAlpha=7\r\nmid=x\r\n")
            << QList<QByteArray>{"zeta", "Alpha", "mid"};
        QTest::newRow("a name repeated in another case is one model")
            << QByteArray("[ActiveModels]\r\nReport=1\r\nREPORT=1\r\nmemo=1\r\n")
            << QList<QByteArray>{"Report", "memo"};
        QTest::newRow("long names kept whole")
            << QByteArray("[ActiveModels]\r\n" + longName + "=1\r\n") << QList<QByteArray>{longName};
    }
    void activeModelsAreAppendedInFileOrder()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<QByteArray>, expected);
        WriteFileBytes(m_iniPath, file);
        CUser user("alice", "Alice");
        QList<QByteArray> names{"kept"};
        user.GetActiveModels(names);
        QCOMPARE(names, QList<QByteArray>{"kept"} + expected);
    }

    void modelRequestOverwritesOldValue()
    {
        WriteFileBytes(m_iniPath, "[Models]\r\nalpha=0\r\nbeta=1\r\n");
        CUser user("alice", "Alice");
        QVERIFY(user.SetModel("alpha", 1));
        QCOMPARE(SectionLines(m_iniPath, "Models"), (QList<QByteArray>{"alpha=1", "beta=1"}));
        const ProfileResult refused = user.SetModel("a=b", 1);
        QVERIFY(!refused);
        QVERIFY(refused.message.contains('='));
    }

    void logRequestsShareOneEntryPerSecond()
    {
        CUser user("alice", "Alice");
        QVERIFY(CLogFile::Request(user, 1700000000));
        QVERIFY(CLogFile::Request(user, 1700000000));
        QCOMPARE(SectionLines(m_iniPath, "ExternalControl"),
                 QList<QByteArray>{"1700000000=AskForLogs"});
        QVERIFY(CLogFile::Request(user, 1700000001));
        QCOMPARE(SectionLines(m_iniPath, "ExternalControl").size(), 2);
    }

    void clearingEmptiesOrCreatesTheLog_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing log is created") << false;
        QTest::newRow("old log is emptied") << true;
    }
    void clearingEmptiesOrCreatesTheLog()
    {
        QFETCH(bool, exists);
        if (exists)
            WriteFileBytes(m_logPath, "12:00 started\r\n");
        CUser user("alice", "Alice");
        QVERIFY(user.ClearLogFile());
        QVERIFY(QFile::exists(m_logPath));
        QCOMPARE(QFileInfo(m_logPath).size(), 0);
        QVERIFY(user.DeleteLogFile());
        QVERIFY(!QFile::exists(m_logPath));
        QVERIFY(!user.DeleteLogFile());
    }

    void clearingReportsAFailure()
    {
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1, EACCES);
        CUser user("alice", "Alice");
        const ProfileResult result = user.ClearLogFile();
        QVERIFY(!result);
        QVERIFY(result.message.contains(QStringLiteral("alice.log")));
    }

    void watcherCallsOnceWhenTheLogAppears_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("already there") << 0;
        QTest::newRow("written while waiting") << 300;
    }
    void watcherCallsOnceWhenTheLogAppears()
    {
        QFETCH(int, delayMs);
        CLogFileWatcher::SetPause(std::chrono::milliseconds(50));
        if (delayMs == 0)
            WriteFileBytes(m_logPath, "log");
        std::atomic<int> calls{0};
        CLogFileWatcher watcher(m_dir.path(), "alice", [&calls] { ++calls; });
        watcher.start();
        if (delayMs > 0) {
            QTest::qWait(delayMs);
            QCOMPARE(calls.load(), 0);
            // The client writes the name in its own letter case.
            WriteFileBytes(m_dir.filePath(QStringLiteral("ALICE.LOG")), "log");
        }
        QVERIFY(watcher.wait(5000));
        QCOMPARE(calls.load(), 1);
        QVERIFY(watcher.HasFound());
    }

    void stoppedWatcherNeverCalls()
    {
        CLogFileWatcher::SetPause(std::chrono::milliseconds(10000));
        std::atomic<int> calls{0};
        CLogFileWatcher watcher(m_dir.path(), "alice", [&calls] { ++calls; });
        watcher.start();
        QTest::qWait(50);
        watcher.Stop();
        // The pause is long: only the stop can have ended it.
        QVERIFY(watcher.wait(2000));
        WriteFileBytes(m_logPath, "late");
        QCOMPARE(calls.load(), 0);
        QVERIFY(!watcher.HasFound());
        CLogFileWatcher::SetPause(std::chrono::milliseconds(200));
    }

private:
    QTemporaryDir m_dir;
    QString m_iniPath;
    QString m_logPath;
};

QTEST_GUILESS_MAIN(TestClientParameters)
#include "tst_clientparameters.moc"
