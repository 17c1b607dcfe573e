#include "ConfigureTestFiles.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CLogFile.h"
#include "store/CLogFileWatcher.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QDir>
#include <QTemporaryDir>
#include <atomic>

namespace {

// Every parameter as the page sees it, in one line.
QByteArray ReadAll(CUser &u)
{
    return u.GetYourKey() + '|' + QByteArray::number(u.GetNewNoteType()) + '|'
        + QByteArray::number(u.GetCommMode()) + '|'
        + QByteArray::number(u.GetReceiveNotesInConfidential()) + '|'
        + QByteArray::number(u.GetRefreshRate()) + '|' + QByteArray::number(u.GetUseLogFile())
        + '|' + u.GetDefaultModel();
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
        QDir dir(m_dir.path());
        for (const QString &name : dir.entryList(QDir::Files))
            QVERIFY(dir.remove(name));
        m_iniPath = m_dir.filePath("alice.ini");
        m_logPath = m_dir.filePath("alice.log");
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void reportedValuesAreRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("values");
        QTest::newRow("no file") << QByteArray() << QByteArray("|-1|-1|0|-1|0|");
        QTest::newRow("only requests, nothing reported")
            << QByteArray("[Parameters]\r\nCommMode=1\r\nYourKey=k\r\n") << QByteArray("|-1|-1|0|-1|0|");
        QTest::newRow("empty values")
            << ActiveParameters("YourKey=\r\nNewNoteType=\r\nCommMode=\r\nRefreshRate=\r\n")
            << QByteArray("|-1|-1|0|-1|0|");
        QTest::newRow("everything, names in any case")
            << ActiveParameters("yourkey=abc\r\nNewNoteType=2\r\nCOMMMODE=1\r\n"
                                "ReceiveNotesInConfidential=1\r\nRefreshRate=3\r\n"
                                "UseLogFile=37\r\nDefaultModel=Weekly Report\r\n")
            << QByteArray("abc|2|1|1|3|37|Weekly Report");
        QTest::newRow("log bits keep their low 16 bits")
            << ActiveParameters("UseLogFile=65537\r\nRefreshRate=2 (high)\r\n")
            << QByteArray("|-1|-1|0|2|1|");
        QTest::newRow("long code cut like the client's buffer")
            << ActiveParameters("YourKey=" + QByteArray(300, 'k') + "\r\n")
            << QByteArray(254, 'k') + "|-1|-1|0|-1|0|";
    }
    void reportedValuesAreRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, values);
        if (!file.isEmpty())
            WriteFileBytes(m_iniPath, file);
        CUser user("alice", "Alice");
        QCOMPARE(ReadAll(user), values);
    }

    // The sheet's tests check each key's text; these are values it never writes.
    void settersWriteOneRequestKeyEach()
    {
        WriteFileBytes(m_iniPath, ActiveParameters("CommMode=0\r\n"));
        CUser user("alice", "Alice");
        QVERIFY(user.SetUseLogFile(65535));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), QList<QByteArray>{"UseLogFile=65535"});
        QVERIFY(user.SetCommMode(1) && user.SetModel("Memo", 1));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"),
                 QList<QByteArray>({"UseLogFile=65535", "CommMode=1"}));
        QCOMPARE(SectionLines(m_iniPath, "Models"), QList<QByteArray>{"Memo=1"});
        // The request shows only once the client has taken it.
        QCOMPARE(SectionLines(m_iniPath, "ActiveParameters"), QList<QByteArray>{"CommMode=0"});
        QCOMPARE(user.GetCommMode(), 0);
    }

    void unusableLoginIsRefusedAndReadsDefaults()
    {
        CUser user("..", "Dots");
        QCOMPARE(ReadAll(user), QByteArray("|-1|-1|0|-1|0|"));
        const ProfileResult result = user.SetRefreshRate(1);
        QVERIFY(!result);
        QVERIFY(result.message.contains("cannot be used as a file name"));
        QVERIFY(!user.SetModel("alpha", 1) && !user.RequestLogs() && !user.ClearLogFile());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
    }

    void activeModelsAreAppendedInFileOrder_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<QByteArray>>("expected");
        const QByteArray longName(100, 'm');
        QTest::newRow("no section") << QByteArray("[Models]\r\nx=1\r\n") << QList<QByteArray>{};
        QTest::newRow("file order, one entry per name")
            << QByteArray("[ActiveModels]\r\nzeta=\r\nAlpha=7\r\nZETA=1\r\nmid=x\r\n")
            << QList<QByteArray>{"zeta", "Alpha", "mid"};
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

    void logRequestsAndClearing()
    {
        CUser user("alice", "Alice");
        QVERIFY(CLogFile::Request(user, 1700000000));
        QVERIFY(CLogFile::Request(user, 1700000000));
        QCOMPARE(SectionLines(m_iniPath, "ExternalControl"), QList<QByteArray>{"1700000000=AskForLogs"});
        QVERIFY(CLogFile::Request(user, 1700000001));
        QCOMPARE(SectionLines(m_iniPath, "ExternalControl").size(), 2);

        QVERIFY(user.ClearLogFile());
        QCOMPARE(QFileInfo(m_logPath).size(), 0);
        WriteFileBytes(m_logPath, "12:00 started\r\n");
        QVERIFY(user.ClearLogFile());
        QCOMPARE(QFileInfo(m_logPath).size(), 0);
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1, EACCES);
        QVERIFY(user.ClearLogFile().message.contains("alice.log"));
    }

    void stoppedWatcherEndsAtOnceAndNeverCalls()
    {
        CLogFileWatcher::SetPause(std::chrono::milliseconds(10000));
        std::atomic<int> calls{0};
        CLogFileWatcher watcher(m_dir.path(), "alice", [&calls] { ++calls; });
        watcher.start();
        QTest::qWait(50);
        watcher.Stop();
        // The pause is long: only the stop can have ended it.
        QVERIFY(watcher.wait(2000));
        QCOMPARE(calls.load(), 0);
        CLogFileWatcher::SetPause(std::chrono::milliseconds(200));
    }

private:
    QTemporaryDir m_dir;
    QString m_iniPath;
    QString m_logPath;
};

QTEST_GUILESS_MAIN(TestClientParameters)
#include "tst_clientparameters.moc"
