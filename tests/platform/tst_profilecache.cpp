// The snapshot cache: many reads of an unchanged file cost one parse and a
// status query each, and a file that changed is never served from it.

#include "PlatformTestFiles.h"
#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <fcntl.h>

namespace {

// Sets the file's modification time back to what it was, as a client that
// preserves times (or one whose write lands in the same clock tick) would.
void RestoreMtime(const QString &path, const struct stat &st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

} // namespace

class TestProfileCache : public QObject
{
    Q_OBJECT

private:
    QString Path() const { return m_dir->filePath(QStringLiteral("Users.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        Profile::ClearCache();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    // Rewritten with the same size and the old modification time, right
    // after it was read, and again once the cache would call it settled.
    void sameSizeRewriteIsSeen_data()
    {
        QTest::addColumn<bool>("settled");
        QTest::newRow("just written") << false;
        QTest::newRow("settled") << true;
    }
    void sameSizeRewriteIsSeen()
    {
        QFETCH(bool, settled);
        if (settled)
            PlatformTestHooks::SetSettleTime(0);
        WriteRaw(Path(), "[Logon]\r\nalice=1000\r\n");
        const struct stat st = StatOf(Path());
        QCOMPARE(Profile::GetString(Path(), "Logon", "alice"), QByteArray("1000"));
        for (const char *value : {"2000", "3000", "4000"}) {
            if (settled)
                QThread::msleep(20); // past the file system's clock tick
            WriteRaw(Path(), QByteArray("[Logon]\r\nalice=") + value + "\r\n");
            RestoreMtime(Path(), st);
            QCOMPARE(Profile::GetString(Path(), "Logon", "alice"), QByteArray(value));
        }
    }

    void replacedFileIsSeen()
    {
        PlatformTestHooks::SetSettleTime(0);
        WriteRaw(Path(), "[s]\r\nk=old\r\n");
        QCOMPARE(Profile::GetString(Path(), "s", "k"), QByteArray("old"));
        const QString other = m_dir->filePath(QStringLiteral("other"));
        WriteRaw(other, "[s]\r\nk=new\r\n");
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(Path()).constData()) == 0);
        QCOMPARE(Profile::GetString(Path(), "s", "k"), QByteArray("new"));
        QVERIFY(QFile::remove(Path()));
        QCOMPARE(Profile::GetString(Path(), "s", "k", "gone"), QByteArray("gone"));
    }

    // An unchanged, settled file: one status query per read, the same parse.
    void settledFileCostsOneStatus()
    {
        PlatformTestHooks::SetSettleTime(0);
        WriteRaw(Path(), "[Users]\r\nalice=Alice\r\n");
        const auto first = Profile::Load(Path());
        const quint64 ops = FileSystem::OperationCount();
        const auto second = Profile::Load(Path());
        QCOMPARE(FileSystem::OperationCount() - ops, quint64(1));
        QCOMPARE(second.get(), first.get());
        QCOMPARE(Profile::GetString(Path(), "Users", "alice"), QByteArray("Alice"));
        QCOMPARE(FileSystem::OperationCount() - ops, quint64(2));
    }

    // Just written: read again every time, but not parsed again.
    void recentFileIsReadButNotReparsed()
    {
        WriteRaw(Path(), "[Users]\r\nalice=Alice\r\n");
        const auto first = Profile::Load(Path());
        const quint64 ops = FileSystem::OperationCount();
        const auto second = Profile::Load(Path());
        QVERIFY(FileSystem::OperationCount() - ops > 1);
        QCOMPARE(second.get(), first.get());
    }

    void ownWriteIsSeenAtOnce()
    {
        PlatformTestHooks::SetSettleTime(0);
        WriteRaw(Path(), "[s]\r\nk=1\r\n");
        QCOMPARE(Profile::GetInt(Path(), "s", "k", 0), 1u);
        QVERIFY(Profile::WriteString(Path(), "s", "k", "2"));
        QCOMPARE(Profile::GetInt(Path(), "s", "k", 0), 2u);
    }

    void missingAndUnreadableDiffer()
    {
        bool failed = true;
        QCOMPARE(Profile::GetString(Path(), "s", "k", "d", &failed), QByteArray("d"));
        QVERIFY(!failed);
        QCOMPARE(Profile::Load(Path())->GetState(), ProfileFile::State::Missing);

        WriteRaw(Path(), "[s]\r\nk=v\r\n");
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1, EIO);
        QCOMPARE(Profile::GetString(Path(), "s", "k", "d", &failed), QByteArray("d"));
        QVERIFY(failed);
        QCOMPARE(Profile::GetString(Path(), "s", "k", "d", &failed), QByteArray("v"));
        QVERIFY(!failed);

        // A directory where the file should be cannot be read either.
        const QString dir = m_dir->filePath(QStringLiteral("dir.ini"));
        QVERIFY(QDir().mkdir(dir));
        QVERIFY(Profile::GetKeys(dir, "s", &failed).isEmpty());
        QVERIFY(failed);
        QVERIFY(Profile::GetSections(m_dir->filePath(QStringLiteral("none.ini")), &failed).isEmpty());
        QVERIFY(!failed);
    }

    // Readers on other threads while the file is rewritten: every answer is
    // one that the file held.
    void readersDuringWritesSeeWholeValues()
    {
        WriteRaw(Path(), "[s]\r\nk=0\r\n");
        std::atomic<bool> stop{false};
        std::atomic<int> bad{0};
        QThread *reader = QThread::create([&] {
            while (!stop) {
                const QByteArray v = Profile::GetString(Path(), "s", "k", "none");
                if (v.isEmpty() || v.size() != v.count(v.at(0)))
                    ++bad;
            }
        });
        reader->start();
        for (int i = 1; i < 200; ++i)
            QVERIFY(Profile::WriteString(Path(), "s", "k", QByteArray(i, char('a' + i % 26))));
        stop = true;
        QVERIFY(reader->wait(30000));
        delete reader;
        QCOMPARE(bad.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProfileCache)
#include "tst_profilecache.moc"
