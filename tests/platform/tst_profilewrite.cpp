// Profile writes beyond what the call vectors can show: what happens to the
// file as a file (owner, mode, links, other writers, crashes, failures).

#include "PlatformTestFiles.h"
#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

class TestProfileWrite : public QObject
{
    Q_OBJECT

private:
    QString Path(const char *name = "t.ini") const { return m_dir->filePath(QString::fromLatin1(name)); }
    QStringList Leftovers() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
    }

    // Several keys in one replace read back as the same writes in turn would
    // leave them, and one bad value refuses the whole batch untouched.
    void writeStringsActsAsOneReplace()
    {
        const QByteArray before = "[Restrictions]\r\nb=1\r\n;note\r\n[t]\r\nx=1\r\n";
        WriteRaw(Path(), before);
        const QString sequential = m_dir->filePath(QStringLiteral("seq.ini"));
        WriteRaw(sequential, before);
        const QList<std::pair<QByteArray, QByteArray>> values{{"a", "0"}, {"b", "0"}, {"c", " 1 "}};
        for (const auto &v : values)
            QVERIFY(Profile::WriteString(sequential, "Restrictions", v.first, v.second));

        int replaces = 0;
        PlatformTestHooks::SetBeforeReplace([&](const QString &) { ++replaces; });
        QVERIFY(Profile::WriteStrings(Path(), "Restrictions", values));
        QCOMPARE(replaces, 1);
        QCOMPARE(ReadRaw(Path()), ReadRaw(sequential));

        const QByteArray written = ReadRaw(Path());
        const ProfileResult refused =
            Profile::WriteStrings(Path(), "Restrictions", {{"a", "1"}, {"b", "x\r\ny=1"}});
        QVERIFY(!refused);
        QCOMPARE(refused.winError, 87);
        QCOMPARE(ReadRaw(Path()), written);
    }

    void writeKeepsModeAndOwner()
    {
        WriteRaw(Path(), "[s]\r\nk=1\r\n");
        QVERIFY(::chmod(QFile::encodeName(Path()).constData(), 0640) == 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(Path()).constData(), 4321, 8765) == 0);
        const struct stat before = StatOf(Path());

        QVERIFY(Profile::WriteString(Path(), "s", "k", "2"));
        QVERIFY(Profile::WriteString(Path(), "new", "key", "value"));

        const struct stat after = StatOf(Path());
        QCOMPARE(ReadRaw(Path()), QByteArray("[s]\r\nk=2\r\n[new]\r\nkey=value\r\n"));
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        if (!root)
            QSKIP("changing the owner needs root; mode checked only");
        QCOMPARE(after.st_uid, uid_t(4321));
        QCOMPARE(after.st_gid, gid_t(8765));
        QCOMPARE(Leftovers(), QStringList{QStringLiteral("t.ini")});
    }

    void missingDirectoryIsAnError()
    {
        const QString path = m_dir->filePath(QStringLiteral("nodir/t.ini"));
        const ProfileResult r = Profile::WriteString(path, "s", "k", "v");
        QVERIFY(!r);
        QCOMPARE(r.winError, 3);
        QVERIFY(!r.message.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("nodir"))));
    }

    void refusedWriteLeavesFileUntouched_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\r\nb=c");
        QTest::newRow("lone LF in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\nb");
        QTest::newRow("NUL in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\0b", 3);
        QTest::newRow("= in key") << QByteArray("s") << QByteArray("a=b") << QByteArray("v");
        QTest::newRow("; key") << QByteArray("s") << QByteArray(" ;k") << QByteArray("v");
        QTest::newRow("[ key") << QByteArray("s") << QByteArray("[k") << QByteArray("v");
        QTest::newRow("tab in key") << QByteArray("s") << QByteArray("a\tb") << QByteArray("v");
        QTest::newRow("empty key") << QByteArray("s") << QByteArray("   ") << QByteArray("v");
        QTest::newRow("] in section") << QByteArray("a]b") << QByteArray("k") << QByteArray("v");
        QTest::newRow("tab in section") << QByteArray("\ts") << QByteArray("k") << QByteArray("v");
        QTest::newRow("CR in section") << QByteArray("s\r") << QByteArray("k") << QByteArray("v");
        QTest::newRow("empty section") << QByteArray("") << QByteArray("k") << QByteArray("v");
        QTest::newRow("key too long") << QByteArray("s")
                                      << QByteArray(ProfileFile::MaxArgumentLength + 1, 'k')
                                      << QByteArray("v");
    }
    void refusedWriteLeavesFileUntouched()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const QByteArray text = "; note\n[s]\r\nk=1\r\n";
        WriteRaw(Path(), text);
        const struct stat before = StatOf(Path());
        const quint64 ops = FileSystem::OperationCount();

        const ProfileResult r = Profile::WriteString(Path(), section, key, value);
        QVERIFY(!r);
        QCOMPARE(r.winError, 87);
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(FileSystem::OperationCount(), ops); // the file was not even opened
        QCOMPARE(ReadRaw(Path()), text);
        QCOMPARE(StatOf(Path()).st_mtim.tv_nsec, before.st_mtim.tv_nsec);

        // The same refusal for a whole section, and before the file exists
        // (a key with '=' just splits differently in a key=value string).
        if (!key.contains('=')) {
            const ProfileResult s = Profile::WriteSection(Path("new.ini"), section, {key + '=' + value});
            QVERIFY(!s);
            QCOMPARE(s.winError, 87);
            QVERIFY(!QFileInfo::exists(Path("new.ini")));
        }
        // Callers that ask first get a reason to show.
        QVERIFY(!(Profile::CheckSectionName(section) + Profile::CheckKeyName(key)
                  + Profile::CheckValue(value))
                     .isEmpty());
    }

    // Values that the reader would trim or unquote come back exactly.
    void valuesReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("value");
        for (const char *v : {"", "plain", " lead", "trail ", "\tTab\t", "\x0bvt", "\"q\"", "'q'",
                              "'", "\"", "\"\"", "''", "\"mixed'", "a \"b\" c", "x=y;z", "[x]"})
            QTest::newRow(v) << QByteArray(v);
    }
    void valuesReadBackExactly()
    {
        QFETCH(QByteArray, value);
        QVERIFY(Profile::WriteString(Path(), "s", "k", value));
        QCOMPARE(Profile::GetString(Path(), "s", "k", "default"), value);
        QCOMPARE(ProfileFile::Parse(ReadRaw(Path())).Value("s", "k"), std::optional(value));
    }

    // Another program writes the file between our read and our replace:
    // its change survives and ours is made on top of it.
    void concurrentChangeIsKept()
    {
        WriteRaw(Path(), "[s]\r\nk=1\r\n[t]\r\nx=1\r\n");
        int calls = 0;
        PlatformTestHooks::SetBeforeReplace([&](const QString &path) {
            if (calls++ == 0)
                WriteRaw(path, "[s]\r\nk=1\r\n[t]\r\nx=1\r\nclient=wrote this\r\n");
        });
        QVERIFY(Profile::WriteString(Path(), "s", "admin", "too"));
        QCOMPARE(calls, 2);
        QCOMPARE(ReadRaw(Path()),
                 QByteArray("[s]\r\nk=1\r\nadmin=too\r\n[t]\r\nx=1\r\nclient=wrote this\r\n"));
        QCOMPARE(Leftovers(), QStringList{QStringLiteral("t.ini")});
    }

    // The same, when the other writer keeps the size and the times.
    void sameSizeChangeWithOldTimesIsSeen()
    {
        WriteRaw(Path(), "[s]\r\nk=1\r\n");
        const struct stat st = StatOf(Path());
        bool changed = false;
        PlatformTestHooks::SetBeforeReplace([&](const QString &path) {
            if (changed)
                return;
            changed = true;
            WriteRaw(path, "[s]\r\nk=9\r\n");
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
        });
        QVERIFY(Profile::WriteString(Path(), "s", "j", "2"));
        QCOMPARE(ReadRaw(Path()), QByteArray("[s]\r\nk=9\r\nj=2\r\n"));
    }

    // A file that never holds still: the write gives up, and says so.
    void endlessChangesFailTheWrite()
    {
        PlatformTestHooks::SetWriteBudget(300);
        WriteRaw(Path(), "[s]\r\n");
        int calls = 0;
        PlatformTestHooks::SetBeforeReplace([&](const QString &path) {
            ++calls;
            WriteRaw(path, "[s]\r\nn=" + QByteArray::number(calls) + "\r\n");
        });
        const ProfileResult r = Profile::WriteString(Path(), "s", "mine", "1");
        QVERIFY(!r);
        QCOMPARE(r.winError, 32);
        QVERIFY(calls >= 2);
        QCOMPARE(ReadRaw(Path()), "[s]\r\nn=" + QByteArray::number(calls) + "\r\n");
        QCOMPARE(Leftovers(), QStringList{QStringLiteral("t.ini")});
    }

    // Two writers of this process at once: nothing is lost.
    void writersOfOneProcessDoNotLoseKeys()
    {
        WriteRaw(Path(), "[s]\r\n");
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t) {
            threads.append(QThread::create([this, t] {
                for (int i = 0; i < 25; ++i)
                    Profile::WriteString(Path(), "s", "t" + QByteArray::number(t) + "_" + QByteArray::number(i), "1");
            }));
            threads.back()->start();
        }
        for (QThread *t : threads) {
            QVERIFY(t->wait(60000));
            delete t;
        }
        QCOMPARE(ProfileFile::Parse(ReadRaw(Path())).Keys("s").size(), 100);
    }

    void failedWriteLeavesFileIntact_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("winError");
        QTest::newRow("disk full") << int(ENOSPC) << 112;
        QTest::newRow("I/O error") << int(EIO) << 29;
        QTest::newRow("read-only") << int(EROFS) << 19;
    }
    void failedWriteLeavesFileIntact()
    {
        QFETCH(int, error);
        QFETCH(int, winError);
        const QByteArray text = "[s]\r\nk=1\r\n";
        WriteRaw(Path(), text);
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1, error);
        const ProfileResult r = Profile::WriteString(Path(), "s", "k", "2");
        QVERIFY(!r);
        QCOMPARE(r.winError, winError);
        QCOMPARE(ReadRaw(Path()), text);
        QCOMPARE(Leftovers(), QStringList{QStringLiteral("t.ini")});
        // The next write works again.
        QVERIFY(Profile::WriteString(Path(), "s", "k", "2"));
        QCOMPARE(ReadRaw(Path()), QByteArray("[s]\r\nk=2\r\n"));
    }

    void unreadableFileIsNotOverwritten()
    {
        WriteRaw(Path(), "[s]\r\nk=1\r\n");
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1, EIO);
        const ProfileResult r = Profile::WriteString(Path(), "s", "k", "2");
        QVERIFY(!r);
        QCOMPARE(ReadRaw(Path()), QByteArray("[s]\r\nk=1\r\n"));
    }

    // A writer killed at any moment leaves the old or the new file, and a
    // reader meanwhile only ever sees whole files.
    void killedWriterLeavesWholeFile()
    {
        const int size = 256 * 1024;
        const QByteArray tail = "[t]\r\nx=1\r\n";
        const QByteArray versions[3] = {"[s]\r\nk=old\r\n" + tail,
                                        "[s]\r\nk=" + QByteArray(size, 'a') + "\r\n" + tail,
                                        "[s]\r\nk=" + QByteArray(size, 'b') + "\r\n" + tail};
        auto whole = [&](const QByteArray &bytes) {
            return bytes == versions[0] || bytes == versions[1] || bytes == versions[2];
        };
        for (int round = 0; round < 4; ++round) {
            WriteRaw(Path(), versions[0]);
            QProcess writer;
            writer.start(QStringLiteral(PROFILE_WRITE_LOOP), {Path(), QString::number(size)});
            QVERIFY(writer.waitForStarted());
            QVERIFY(writer.waitForReadyRead(10000));
            QElapsedTimer timer;
            timer.start();
            const int runFor = 100 + QRandomGenerator::global()->bounded(300);
            int reads = 0;
            while (timer.elapsed() < runFor) {
                const QByteArray seen = ReadRaw(Path());
                QVERIFY2(whole(seen), qPrintable(QStringLiteral("torn read of %1 bytes").arg(seen.size())));
                ++reads;
            }
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            QVERIFY(reads > 0);
            QVERIFY(whole(ReadRaw(Path())));
        }
    }
};

QTEST_GUILESS_MAIN(TestProfileWrite)
#include "tst_profilewrite.moc"
