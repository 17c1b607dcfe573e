// File functions: logins as file names, case-insensitive user files, the
// model file search, create-or-truncate, status, counting, local time.

#include "PlatformTestFiles.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/PlatformTestHooks.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <ctime>

class TestFileSystem : public QObject
{
    Q_OBJECT

private:
    QString In(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void loginGuard_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QByteArray("alice") << true;
        QTest::newRow("punctuation") << QByteArray("o'neil-jr.") << true;
        QTest::newRow("dots inside") << QByteArray("a..b") << true;
        QTest::newRow("three dots") << QByteArray("...") << true;
        QTest::newRow("space") << QByteArray("Jean Luc") << true;
        QTest::newRow("8-bit") << QByteArray("\xe9lise") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("dot") << QByteArray(".") << false;
        QTest::newRow("dot dot") << QByteArray("..") << false;
        QTest::newRow("slash") << QByteArray("../etc/passwd") << false;
        QTest::newRow("backslash") << QByteArray("..\\Users") << false;
        QTest::newRow("colon") << QByteArray("c:x") << false;
        QTest::newRow("tab") << QByteArray("a\tb") << false;
        QTest::newRow("newline") << QByteArray("a\n") << false;
        QTest::newRow("DEL") << QByteArray("a\x7f") << false;
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << false;
    }
    void loginGuard()
    {
        QFETCH(QByteArray, login);
        QFETCH(bool, safe);
        QCOMPARE(FileSystem::IsSafeLogin(login), safe);
        const std::optional<QString> path = FileSystem::UserFilePath(m_dir->path(), login);
        QCOMPARE(path.has_value(), safe);
        if (safe) {
            QCOMPARE(*path, In(FileSystem::DecodeName(login) + QStringLiteral(".ini")));
            // The file it names lies in the directory itself.
            QCOMPARE(QFileInfo(*path).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
        }
    }

    void userFileIgnoresCase_data()
    {
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none: a new file") << QStringList{} << ".ini" << "alice.ini";
        QTest::newRow("exact") << QStringList{"alice.ini"} << ".ini" << "alice.ini";
        QTest::newRow("upper extension") << QStringList{"alice.INI"} << ".ini" << "alice.INI";
        QTest::newRow("upper login") << QStringList{"ALICE.ini"} << ".ini" << "ALICE.ini";
        QTest::newRow("asked in upper case") << QStringList{"alice.ini"} << ".INI" << "alice.ini";
        QTest::newRow("exact wins") << QStringList{"ALICE.INI", "alice.ini"} << ".ini" << "alice.ini";
        QTest::newRow("others ignored") << QStringList{"alice.log", "alice2.ini", "bob.ini"} << ".ini"
                                        << "alice.ini";
    }
    void userFileIgnoresCase()
    {
        QFETCH(QStringList, onDisk);
        QFETCH(QString, ext);
        QFETCH(QString, expected);
        for (const QString &name : onDisk)
            WriteRaw(In(name), "[s]\r\n");
        QCOMPARE(FileSystem::UserFilePath(m_dir->path(), "alice", ext), std::optional(In(expected)));
    }

    // The clients name a user's file after the login in their code page; the
    // share's file system holds the names in UTF-8.
    void accentedLoginsFindTheirOwnFiles_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QString>("expected"); // "" for no file
        const QString elise = QString::fromUtf8("élise.ini");
        const QString elise2 = QString::fromUtf8("èlise.ini");
        QTest::newRow("new file in UTF-8") << "windows-1252" << QStringList{} << QByteArray("\xe9lise")
                                           << elise;
        QTest::newRow("one accent apart: e acute") << "windows-1252" << QStringList{elise, elise2}
                                                   << QByteArray("\xe9lise") << elise;
        QTest::newRow("one accent apart: e grave") << "windows-1252" << QStringList{elise, elise2}
                                                   << QByteArray("\xe8lise") << elise2;
        QTest::newRow("accented capital on disk")
            << "windows-1252" << QStringList{QString::fromUtf8("ÉLISE.INI")} << QByteArray("\xe9lise")
            << QString::fromUtf8("ÉLISE.INI");
        QTest::newRow("accented capital in the login")
            << "windows-1252" << QStringList{elise} << QByteArray("\xc9LISE") << elise;
        QTest::newRow("other letter not matched")
            << "windows-1252" << QStringList{elise2} << QByteArray("\xe9lise") << elise;
        QTest::newRow("1250 login") << "windows-1250" << QStringList{QString::fromUtf8("šimon.ini")}
                                    << QByteArray("\x8aimon") << QString::fromUtf8("šimon.ini");
        QTest::newRow("932 login") << "windows-932" << QStringList{QString::fromUtf8("日本.ini")}
                                   << QByteArray("\x93\xfa\x96\x7b") << QString::fromUtf8("日本.ini");
        // Two such logins would read alike and share one file.
        QTest::newRow("932, not text") << "windows-932" << QStringList{} << QByteArray("ab\x82")
                                       << QString();
    }
    void accentedLoginsFindTheirOwnFiles()
    {
        QFETCH(QString, codePage);
        QFETCH(QStringList, onDisk);
        QFETCH(QByteArray, login);
        QFETCH(QString, expected);
        QVERIFY(CodePage::SetCurrent(codePage));
        for (const QString &name : onDisk)
            WriteRaw(In(name), "[s]\r\n");
        const std::optional<QString> path = FileSystem::UserFilePath(m_dir->path(), login);
        CodePage::SetCurrent(QStringLiteral("windows-1252"));
        if (expected.isEmpty()) {
            QCOMPARE(path, std::nullopt);
            return;
        }
        QCOMPARE(path, std::optional(In(expected)));
        // Written and read again under that name: exactly one file of it.
        WriteRaw(*path, "[s]\r\nk=v\r\n");
        QCOMPARE(QDir(m_dir->path()).entryList({expected}, QDir::Files).size(), 1);
    }

    // Model files named on a Windows machine show up under their UTF-8 names.
    void accentedModelFilesAreFound()
    {
        WriteRaw(In(QString::fromUtf8("Réunion.mod")), "");
        QCOMPARE(FileSystem::FindModelFiles(m_dir->path()), QStringList{QString::fromUtf8("Réunion.mod")});
    }

    // The directory scan is kept only while the directory stays the same.
    void newCaseVariantIsFound()
    {
        QCOMPARE(FileSystem::ResolveInDir(m_dir->path(), QStringLiteral("Users.ini")), In("Users.ini"));
        WriteRaw(In("USERS.INI"), "[Users]\r\n");
        QCOMPARE(FileSystem::ResolveInDir(m_dir->path(), QStringLiteral("Users.ini")), In("USERS.INI"));
        QVERIFY(QFile::rename(In("USERS.INI"), In("users.Ini")));
        QCOMPARE(FileSystem::ResolveInDir(m_dir->path(), QStringLiteral("Users.ini")), In("users.Ini"));
        QVERIFY(QFile::remove(In("users.Ini")));
        QCOMPARE(FileSystem::ResolveInDir(m_dir->path(), QStringLiteral("Users.ini")), In("Users.ini"));
    }

    // With many users, an existing exact name costs one status query and a
    // miss costs one scan until the directory changes.
    void resolutionIsCheap()
    {
        for (int i = 0; i < 500; ++i)
            WriteRaw(In(QStringLiteral("user%1.ini").arg(i)), "");
        quint64 ops = FileSystem::OperationCount();
        QVERIFY(FileSystem::UserFilePath(m_dir->path(), "user7"));
        QCOMPARE(FileSystem::OperationCount() - ops, quint64(1));
        FileSystem::UserFilePath(m_dir->path(), "nobody"); // scans
        ops = FileSystem::OperationCount();
        QCOMPARE(FileSystem::UserFilePath(m_dir->path(), "USER9"), std::optional(In("user9.ini")));
        QCOMPARE(FileSystem::UserFilePath(m_dir->path(), "ghost"), std::optional(In("ghost.ini")));
        QCOMPARE(FileSystem::OperationCount() - ops, quint64(4)); // two names, two directory checks
    }

    void modelFiles()
    {
        for (const char *name : {"Sales.mod", "a.b.MOD", "notes.txt", "mod", "x.model", "Plan.Mod"})
            WriteRaw(In(QString::fromLatin1(name)), "");
        QVERIFY(QDir().mkdir(In("folder.mod")));
        QStringList found = FileSystem::FindModelFiles(m_dir->path());
        found.sort();
        QCOMPARE(found, (QStringList{"Plan.Mod", "Sales.mod", "a.b.MOD"}));
        QVERIFY(FileSystem::FindModelFiles(In("missing")).isEmpty());
    }

    void createOrTruncateKeepsMode()
    {
        WriteRaw(In("alice.log"), "old log text");
        QVERIFY(::chmod(QFile::encodeName(In("alice.log")).constData(), 0604) == 0);
        const ino_t inode = StatOf(In("alice.log")).st_ino;
        QVERIFY(FileSystem::CreateOrTruncate(In("alice.log")));
        QCOMPARE(ReadRaw(In("alice.log")), QByteArray());
        QCOMPARE(StatOf(In("alice.log")).st_mode & 07777, mode_t(0604));
        QCOMPARE(StatOf(In("alice.log")).st_ino, inode);
        QVERIFY(FileSystem::CreateOrTruncate(In("bob.log")));
        QVERIFY(FileSystem::Exists(In("bob.log")));
        QVERIFY(!FileSystem::CreateOrTruncate(In("nodir/bob.log")));
    }

    void existsAndRemove()
    {
        WriteRaw(In("note1"), "x");
        QVERIFY(QDir().mkdir(In("note2")));
        QVERIFY(FileSystem::Exists(In("note1")));
        QVERIFY(!FileSystem::Exists(In("note2")));
        QVERIFY(!FileSystem::Exists(In("note3")));
        QVERIFY(FileSystem::Remove(In("note1")));
        QVERIFY(!FileSystem::Exists(In("note1")));
        QVERIFY(!FileSystem::Remove(In("note1")));
    }

    void status()
    {
        FileSystem::Status missing = FileSystem::GetStatus(In("Users.ini"));
        QVERIFY(!missing.exists);
        QVERIFY(!missing.error);
        WriteRaw(In("Users.ini"), "12345");
        const struct stat st = StatOf(In("Users.ini"));
        const FileSystem::Status s = FileSystem::GetStatus(In("Users.ini"));
        QVERIFY(s.exists);
        QVERIFY(!s.error);
        QCOMPARE(s.size, 5);
        QCOMPARE(s.mtime, qint64(st.st_mtim.tv_sec));
        QCOMPARE(s.mtimeNs, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
        const quint64 ops = FileSystem::OperationCount();
        FileSystem::GetStatus(In("Users.ini"));
        QCOMPARE(FileSystem::OperationCount() - ops, quint64(1));
    }

    void operationCountIsSharedAcrossThreads()
    {
        const quint64 before = FileSystem::OperationCount();
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t) {
            threads.append(QThread::create([] {
                for (int i = 0; i < 10000; ++i)
                    FileSystem::CountOperation();
            }));
            threads.back()->start();
        }
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
        QCOMPARE(FileSystem::OperationCount() - before, quint64(40000));
    }

    void localTime_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("epoch") << qint64(0) << " %m-%d-%Y %H:%M:%S" << " 01-01-1970 00:00:00";
        QTest::newRow("client time") << qint64(1700000000) << " %m-%d-%Y %H:%M:%S"
                                     << " 11-14-2023 22:13:20";
        QTest::newRow("negative") << qint64(-1) << "%Y" << "";
        QTest::newRow("after year 3000") << qint64(32535216000) << "%Y" << "";
    }
    void localTime()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        const QByteArray oldTz = qgetenv("TZ");
        qputenv("TZ", "UTC");
        tzset();
        const QString text = LocalTime::Format(seconds, format.toLatin1().constData());
        if (oldTz.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldTz);
        tzset();
        QCOMPARE(text, expected);
        QVERIFY(qAbs(LocalTime::Now() - qint64(std::time(nullptr))) <= 1);
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
