// Files of a shared directory as a hostile or careless user leaves them:
// links of every kind, FIFOs, devices, sockets, hard links, huge and UTF-16
// files, names close to the longest a file system takes, and a disk that
// runs full. Nothing outside the directory is ever read or changed, nothing
// blocks, and every refusal says what the name is.

#include "HostileFiles.h"
#include "PlatformTestFiles.h"
#include "platform/FileAccess.h"
#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>
#include <sys/mount.h>

using namespace HostileFiles;

namespace {

const QByteArray kOutside = "[s]\r\nk=outside\r\n";
const QByteArray kClient = "[s]\r\nk=1\r\n[Other]\r\nkeep=1\r\n";

enum class Entry {
    RelativeLink,
    AbsoluteLink,
    LinkToDirectory,
    DanglingLink,
    LinkToDevice,
    Fifo,
    NullDevice,
    ZeroDevice,
    Socket,
    Oversized,
    Utf16,
};

// Makes the share's file a rewrite in place, as it is for a tool that runs
// unprivileged on files the clients own: the directory takes no new file,
// and as root the effective user becomes nobody, who owns nothing here.
class InPlaceOnly
{
public:
    InPlaceOnly(const QString &root, const QString &dir, const QString &file)
        : m_dir(Native(dir))
    {
        ::chmod(Native(root).constData(), 0755);
        ::chmod(Native(file).constData(), 0666);
        ::chmod(m_dir.constData(), 0555);
        if (::geteuid() == 0)
            m_wasRoot = ::seteuid(65534) == 0;
    }
    ~InPlaceOnly()
    {
        if (m_wasRoot && ::seteuid(0) != 0)
            qFatal("cannot become root again");
        ::chmod(m_dir.constData(), 0755);
    }

private:
    QByteArray m_dir;
    bool m_wasRoot = false;
};

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestHostileFiles : public QObject
{
    Q_OBJECT

private:
    QString In(const QString &name) const { return m_share + u'/' + name; }
    QString Outside() const { return m_root->filePath(QStringLiteral("outside.ini")); }
    QStringList Names() const
    {
        return QDir(m_share).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                       | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_share;
    std::optional<QString> m_mounted;

private Q_SLOTS:
    void initTestCase()
    {
        // A writer let go by FifoWatch must fail, not end the program.
        std::signal(SIGPIPE, SIG_IGN);
    }
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_share = m_root->filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkdir(m_share));
        WriteRaw(Outside(), kOutside);
    }
    void cleanup()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
        if (m_mounted)
            ::umount2(Native(*m_mounted).constData(), MNT_DETACH);
        m_mounted.reset();
    }

    // Whatever stands at a user file's name instead of a regular file is
    // neither read nor written nor emptied, blocks nothing, and the refusal
    // names the file and says what it is.
    void refusedEntries_data()
    {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<QString>("words");
        QTest::newRow("relative link") << Entry::RelativeLink << "symbolic link";
        QTest::newRow("absolute link") << Entry::AbsoluteLink << "symbolic link";
        QTest::newRow("link to a directory") << Entry::LinkToDirectory << "symbolic link";
        QTest::newRow("dangling link") << Entry::DanglingLink << "does not exist";
        QTest::newRow("link to /dev/zero") << Entry::LinkToDevice << "symbolic link";
        QTest::newRow("FIFO") << Entry::Fifo << "FIFO";
        QTest::newRow("null device") << Entry::NullDevice << "device";
        QTest::newRow("zero device") << Entry::ZeroDevice << "device";
        QTest::newRow("socket") << Entry::Socket << "socket";
        QTest::newRow("over 256 MiB") << Entry::Oversized << "larger than 256 MiB";
        QTest::newRow("UTF-16 text") << Entry::Utf16 << "UTF-16";
    }

    void refusedEntries()
    {
        QFETCH(Entry, entry);
        QFETCH(QString, words);
        const QString path = In(QStringLiteral("alice.ini"));
        const QString directory = m_root->filePath(QStringLiteral("directory"));
        QVERIFY(QDir().mkdir(directory));
        int socket = -1;
        const QByteArray utf16 = QByteArray("\xFF\xFE", 2)
            + QByteArray(reinterpret_cast<const char *>(u"[s]\r\nk=v\r\n"), 20);
        switch (entry) {
        case Entry::RelativeLink: QVERIFY(Symlink("../outside.ini", path)); break;
        case Entry::AbsoluteLink: QVERIFY(Symlink(Native(Outside()), path)); break;
        case Entry::LinkToDirectory: QVERIFY(Symlink(Native(directory), path)); break;
        case Entry::DanglingLink: QVERIFY(Symlink("../nothing.ini", path)); break;
        case Entry::LinkToDevice: QVERIFY(Symlink("/dev/zero", path)); break;
        case Entry::Fifo: QVERIFY(Fifo(path)); break;
        case Entry::NullDevice:
        case Entry::ZeroDevice:
            if (!Device(path, 1, entry == Entry::NullDevice ? 3 : 5))
                QSKIP("device nodes can only be made as root");
            break;
        case Entry::Socket: QVERIFY((socket = Socket(path)) >= 0); break;
        case Entry::Oversized:
            WriteRaw(path, kClient);
            QVERIFY(::truncate(Native(path).constData(), FileAccess::MaxFileSize + 1) == 0);
            break;
        case Entry::Utf16: WriteRaw(path, utf16); break;
        }
        const mode_t type = TypeOf(path);
        const QString target = QFileInfo(path).symLinkTarget();
        const bool regular = type == S_IFREG;
        std::optional<FifoWatch> watch;
        if (entry == Entry::Fifo)
            watch.emplace(path);

        QVERIFY(Profile::Load(path)->HasError());
        FileSystem::Exists(path); // as a client log is waited for
        const QString trouble = FileSystem::DescribeTrouble(path);
        QVERIFY2(trouble.startsWith(path) && trouble.contains(words), qPrintable(trouble));
        const ProfileResult written = Profile::WriteString(path, "s", "k", "new");
        QVERIFY(!written.ok);
        QVERIFY2(written.message.contains(path) && written.message.contains(words),
                 qPrintable(written.message));
        if (!regular) {
            // Emptied as a client log would be: refused, and says why.
            errno = 0;
            QVERIFY(!FileSystem::CreateOrTruncate(path));
            QVERIFY2(FileAccess::Describe(path, errno).contains(words),
                     qPrintable(FileAccess::Describe(path, errno)));
        }
        if (watch)
            QCOMPARE(watch->Stop(), 0);

        QCOMPARE(ReadRaw(Outside()), kOutside);
        QCOMPARE(TypeOf(path), type);
        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        if (entry == Entry::Utf16)
            QCOMPARE(ReadRaw(path), utf16);
        if (entry == Entry::Oversized)
            QCOMPARE(QFileInfo(path).size(), FileAccess::MaxFileSize + 1);
        QCOMPARE(Names(), QStringList{QStringLiteral("alice.ini")});
        if (socket >= 0)
            ::close(socket);
    }

    // A second name of a user file, inside the directory or out of it,
    // keeps its bytes: the write is refused and says why. Reading is harmless.
    void hardLinksAreNeverRewritten()
    {
        const QString path = In(QStringLiteral("alice.ini"));
        WriteRaw(path, kClient);
        QVERIFY(::link(Native(path).constData(), Native(In("bob.ini")).constData()) == 0);
        QVERIFY(::link(Native(path).constData(), Native(m_root->filePath("copy.ini")).constData())
                == 0);
        QCOMPARE(Profile::GetString(path, "Other", "keep"), QByteArray("1"));
        QCOMPARE(FileSystem::DescribeTrouble(path), QString());
        QCOMPARE(FileSystem::DescribeTrouble(In("missing.ini")), QString());

        const ProfileResult written = Profile::WriteString(path, "s", "k", "2");
        QVERIFY(!written.ok);
        QVERIFY2(written.message.contains(path) && written.message.contains("hard link"),
                 qPrintable(written.message));
        errno = 0;
        QVERIFY(!FileSystem::CreateOrTruncate(path));
        QVERIFY(FileAccess::Describe(path, errno).contains("hard link"));
        for (const QString &name : {path, In("bob.ini"), m_root->filePath("copy.ini")})
            QCOMPARE(ReadRaw(name), kClient);
        QCOMPARE(StatOf(path).st_nlink, nlink_t(3));
    }

    // A client file swapped for a link while a write is under way: the
    // write notices the change, reads again and refuses; nothing reaches
    // the link's target.
    void linkSwappedInDuringAWriteIsNotFollowed()
    {
        const QString path = In(QStringLiteral("alice.ini"));
        WriteRaw(path, kClient);
        PlatformTestHooks::SetBeforeReplace([&](const QString &) {
            PlatformTestHooks::SetBeforeReplace(nullptr);
            QFile::remove(path);
            Symlink(Native(Outside()), path);
        });
        const ProfileResult written = Profile::WriteString(path, "s", "k", "new");
        QVERIFY(!written.ok);
        QVERIFY2(written.message.contains("symbolic link"), qPrintable(written.message));
        QCOMPARE(ReadRaw(Outside()), kOutside);
        QCOMPARE(TypeOf(path), mode_t(S_IFLNK));
    }

    // The longest logins a file system takes as names: the temporary file a
    // write makes beside the user file must not be longer.
    void longestNamesAreWritten_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("233") << 233;
        QTest::newRow("240") << 240;
        QTest::newRow("251, the longest with .ini") << 251;
    }

    void longestNamesAreWritten()
    {
        QFETCH(int, length);
        const QString name = QString(length, u'x') + QStringLiteral(".ini");
        const QString path = In(name);
        for (const char *value : {"created", "replaced"}) {
            const ProfileResult written = Profile::WriteString(path, "s", "k", value);
            QVERIFY2(written.ok, qPrintable(written.message));
            QCOMPARE(Profile::GetString(path, "s", "k"), QByteArray(value));
        }
        QCOMPARE(Names(), QStringList{name});
    }

    // A disk that fills while a file is rewritten in place: the write fails
    // before the first byte changes, so the client's text stays whole; once
    // there is room the same write lands. The failing-I/O hook plays the
    // disk everywhere; a real tmpfs where this may mount one.
    void fullDiskLeavesTheOldFileWhole_data()
    {
        QTest::addColumn<bool>("realDisk");
        QTest::newRow("failing-I/O hook") << false;
        QTest::newRow("tmpfs of 64 KiB") << true;
    }

    void fullDiskLeavesTheOldFileWhole()
    {
        QFETCH(bool, realDisk);
        QString dir = m_share;
        QString filler;
        if (realDisk) {
            dir = m_root->filePath(QStringLiteral("disk"));
            QVERIFY(QDir().mkdir(dir));
            if (::mount("tmpfs", Native(dir).constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
                QSKIP("no tmpfs can be mounted here (needs root)");
            m_mounted = dir;
            filler = dir + QStringLiteral("/filler");
        }
        const QString path = dir + QStringLiteral("/alice.ini");
        WriteRaw(path, kClient);
        if (realDisk) {
            QFile fill(filler);
            QVERIFY(fill.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (fill.write(block) == block.size() && fill.flush()) {
            }
        } else {
            PlatformTestHooks::SetFreeSpace(100);
        }
        const QByteArray value(40000, 'x');
        {
            InPlaceOnly inPlace(m_root->path(), dir, path);
            const ProfileResult written = Profile::WriteString(path, "s", "k", value);
            QVERIFY(!written.ok);
            QCOMPARE(written.winError, 112);
        }
        QCOMPARE(ReadRaw(path), kClient);

        if (realDisk)
            QVERIFY(QFile::remove(filler));
        PlatformTestHooks::SetFreeSpace(-1);
        {
            InPlaceOnly inPlace(m_root->path(), dir, path);
            const ProfileResult written = Profile::WriteString(path, "s", "k", value);
            QVERIFY2(written.ok, qPrintable(written.message));
        }
        QCOMPARE(ReadRaw(path), "[s]\r\nk=" + value + "\r\n[Other]\r\nkeep=1\r\n");
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"alice.ini"});
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
