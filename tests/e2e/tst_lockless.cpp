// The tool's profile writes against a client in its own process that writes
// the way the Windows clients do: read everything, change it in memory,
// truncate, write it all again, with no lock. Each case holds the client at
// the one moment that matters through a handshake, so what it checks does
// not depend on timing.

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTimeout = 30000;

const QByteArray kBase = "[Base]\r\nb0=0\r\nb1=1\r\nb2=2\r\n[Client]\r\n";

QByteArray ReadRaw(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// corvane-lockless-writer, driven line by line.
class Client
{
public:
    ~Client()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kTimeout);
        }
    }
    bool Start(const QString &file, const QString &mode, const QStringList &extra, int count = 1)
    {
        m_process.start(QStringLiteral(LOCKLESS_WRITER_EXE),
                        QStringList{"--file", file, "--mode", mode, "--count",
                                    QString::number(count)} + extra);
        return m_process.waitForStarted(kTimeout);
    }
    // The next line the client prints (empty when it printed none in time).
    QByteArray Line()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(kTimeout))
                return {};
        return m_process.readLine().trimmed();
    }
    void Go()
    {
        m_process.write("go\n");
        m_process.waitForBytesWritten(kTimeout);
    }
    // Lets a held write go on and waits until it is in the file.
    bool GoAndWaitFor(const QByteArray &line)
    {
        Go();
        return Line() == line;
    }
    // Lets the held write go on and waits for the client to end.
    bool Release()
    {
        Go();
        return Finish();
    }
    bool Finish()
    {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(kTimeout) && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

} // namespace

class TestLockless : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Path() const { return m_dir.filePath(QStringLiteral("user.ini")); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        WriteRaw(Path(), kBase);
        Profile::ClearCache();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    // A client sits between its truncate and its write: the empty file is
    // not taken for the file's text (which would wipe every line of it).
    void truncateWindowIsNotTakenForContent_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("open, read, truncate, write") << QStringLiteral("inplace");
        QTest::newRow("read, reopen truncating, write") << QStringLiteral("reopen");
        QTest::newRow("one handle held") << QStringLiteral("held");
    }
    void truncateWindowIsNotTakenForContent()
    {
        QFETCH(QString, mode);
        // However long the client takes, its empty file counts as just
        // truncated.
        PlatformTestHooks::SetSettleTime(3'600'000'000'000);
        Client client;
        QVERIFY(client.Start(Path(), mode, {"--hold-truncated"}));
        QCOMPARE(client.Line(), QByteArray("truncated"));
        QCOMPARE(ReadRaw(Path()), QByteArray());

        // Once the write has seen the file empty, the client finishes.
        int waits = 0;
        PlatformTestHooks::SetBeforeSettle([&](const QString &) {
            if (waits++ == 0)
                QVERIFY(client.Release());
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t0", "0"));
        QVERIFY(waits > 0);
        QCOMPARE(ReadRaw(Path()), kBase + "c0=0\r\n[Tool]\r\nt0=0\r\n");
    }

    // A client opens the file the tool has just renamed into place and
    // truncates it before the tool looks at what it left: that empty file is
    // not the tool's own, so the next write waits for the client's text
    // instead of writing over it.
    void truncateRightAfterOurWriteIsNotOurs()
    {
        PlatformTestHooks::SetSettleTime(3'600'000'000'000);
        Client client;
        int renames = 0;
        PlatformTestHooks::SetAfterReplace([&](const QString &) {
            if (renames++ > 0)
                return;
            QVERIFY(client.Start(Path(), QStringLiteral("inplace"), {"--hold-truncated"}));
            QCOMPARE(client.Line(), QByteArray("truncated"));
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t0", "0"));
        QCOMPARE(ReadRaw(Path()), QByteArray());

        int waits = 0;
        PlatformTestHooks::SetBeforeSettle([&](const QString &) {
            if (waits++ == 0)
                QVERIFY(client.Release());
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t1", "1"));
        QVERIFY(waits > 0);
        QCOMPARE(ReadRaw(Path()), kBase + "c0=0\r\n[Tool]\r\nt0=0\r\nt1=1\r\n");
    }

    // A client read the file just before the tool's write and writes its
    // stale text back just after: the tool's request is made again.
    void staleRewriteIsMadeAgain_data()
    {
        // (A client that reads and writes through one handle writes into the
        // file the tool renamed away, and erases nothing.)
        QTest::addColumn<QString>("mode");
        QTest::newRow("read, reopen truncating, write") << QStringLiteral("reopen");
    }
    void staleRewriteIsMadeAgain()
    {
        QFETCH(QString, mode);
        // Every file counts as lately changed, as one a client is busy with.
        PlatformTestHooks::SetSettleTime(3'600'000'000'000);
        Client client;
        QVERIFY(client.Start(Path(), mode, {"--hold-read"}));
        QCOMPARE(client.Line(), QByteArray("read"));

        int looks = 0;
        PlatformTestHooks::SetBeforeVerify([&](const QString &path) {
            if (looks++ > 0)
                return;
            QVERIFY(ReadRaw(path).contains("t0=0"));
            QVERIFY(client.Release()); // its stale text erases t0
            QVERIFY(!ReadRaw(path).contains("t0=0"));
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t0", "0", Profile::StandingRequest()));
        QVERIFY(looks > 1);
        const QByteArray bytes = ReadRaw(Path());
        QVERIFY2(bytes.contains("t0=0") && bytes.contains("c0=0") && bytes.startsWith(kBase),
                 bytes.constData());
    }

    // A request the client already took up is not watched any longer, and
    // one that the client's own half shows in force is never written again.
    void takenUpRequestEndsTheWatch()
    {
        PlatformTestHooks::SetSettleTime(3'600'000'000'000);
        int looks = 0;
        PlatformTestHooks::SetBeforeVerify([&](const QString &path) {
            if (looks++ == 0) // the client takes it up and drops the request
                WriteRaw(path, kBase + "[Active]\r\nt0=0\r\n");
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t0", "0", [](const ProfileFile &file) {
            return file.Value("Active", "t0") == "0";
        }));
        QCOMPARE(looks, 1);
        QCOMPARE(ReadRaw(Path()), kBase + "[Active]\r\nt0=0\r\n");
    }

    // A client appends a line at every attempt of the tool, more often than
    // a few immediate redos could outlast: the write waits it out, and every
    // line of the client stays.
    void appendingClientDoesNotWearTheWriteOut()
    {
        const int appends = 12;
        PlatformTestHooks::SetWriteBudget(600'000); // however slow the client is to answer
        Client client;
        QVERIFY(client.Start(Path(), QStringLiteral("append"), {"--step"}, appends));
        int attempts = 0;
        PlatformTestHooks::SetBeforeReplace([&](const QString &) {
            if (attempts < appends)
                QVERIFY(client.GoAndWaitFor("wrote " + QByteArray::number(attempts)));
            ++attempts;
        });
        QVERIFY(Profile::WriteString(Path(), "Tool", "t0", "0"));
        QCOMPARE(attempts, appends + 1);
        QVERIFY(client.Finish());
        QByteArray lines;
        for (int i = 0; i < appends; ++i)
            lines += "c" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
        QCOMPARE(ReadRaw(Path()), kBase + lines + "[Tool]\r\nt0=0\r\n");
    }
};

QTEST_GUILESS_MAIN(TestLockless)
#include "tst_lockless.moc"
