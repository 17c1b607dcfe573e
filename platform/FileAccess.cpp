#include "platform/FileAccess.h"

#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using Op = PlatformTestHooks::Operation;
constexpr int kReadAttempts = 8;

qint64 Ns(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileAccess::Identity IdentityOf(const struct stat &st)
{
    return {st.st_dev, st.st_ino, qint64(st.st_size), Ns(st.st_mtim), Ns(st.st_ctim)};
}

void Count()
{
    FileSystem::CountOperation();
}

// Closes a descriptor on every way out.
struct Fd
{
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { Close(); }
    void Close()
    {
        if (fd >= 0) {
            Count();
            ::close(fd);
            fd = -1;
        }
    }
};

int OpenFile(const QByteArray &path, int flags, mode_t mode = 0)
{
    if (int e = PlatformTestHooks::TakeFailure((flags & (O_WRONLY | O_RDWR | O_CREAT)) ? Op::Write
                                                                                      : Op::Read)) {
        errno = e;
        return -1;
    }
    Count();
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FStat(int fd, struct stat &st)
{
    Count();
    return ::fstat(fd, &st) == 0 ? 0 : errno;
}

// Reads everything from offset 0 of fd into out. 0 or an errno.
int ReadAll(int fd, qint64 sizeHint, QByteArray &out)
{
    out.clear();
    out.reserve(qsizetype(sizeHint) + 1);
    qint64 offset = 0;
    for (;;) {
        if (out.capacity() - out.size() < 4096)
            out.reserve(out.capacity() * 2 + 4096);
        const qsizetype room = out.capacity() - out.size();
        const qsizetype old = out.size();
        out.resize(out.capacity());
        if (int e = PlatformTestHooks::TakeFailure(Op::Read)) {
            out.resize(old);
            return e;
        }
        Count();
        ssize_t n = ::pread(fd, out.data() + old, size_t(room), offset);
        if (n < 0) {
            out.resize(old);
            if (errno == EINTR)
                continue;
            return errno;
        }
        out.resize(old + n);
        if (n == 0)
            return 0;
        offset += n;
    }
}

int WriteAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        if (int e = PlatformTestHooks::TakeFailure(Op::Write))
            return e;
        Count();
        ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return 0;
}

int Sync(int fd)
{
    Count();
    return ::fsync(fd) == 0 ? 0 : errno;
}

QByteArray DirectoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

void SyncDirectory(const QByteArray &dir)
{
    Fd d(OpenFile(dir, O_RDONLY | O_DIRECTORY));
    if (d.fd >= 0)
        Sync(d.fd);
}

void Unlink(const QByteArray &path)
{
    Count();
    ::unlink(path.constData());
}

// A new, hidden file beside path, opened for writing.
int CreateTemp(const QByteArray &path, mode_t mode, QByteArray &tempPath)
{
    const QByteArray dir = DirectoryOf(path);
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = dir + "/." + name + ".tmp-"
            + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        int fd = OpenFile(tempPath, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Extended attributes carry ACLs and security labels; a replacement that
// cannot carry them over must not be made.
bool CopyExtendedAttributes(int from, int to)
{
    Count();
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    if (size == 0)
        return true;
    QByteArray names(size, '\0');
    Count();
    size = ::flistxattr(from, names.data(), size_t(names.size()));
    if (size < 0)
        return false;
    for (const QByteArray &name : names.left(size).split('\0')) {
        if (name.isEmpty())
            continue;
        Count();
        ssize_t len = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (len < 0)
            return false;
        QByteArray value(len, '\0');
        Count();
        len = ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        Count();
        if (len < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(len), 0) != 0)
            return false;
    }
    return true;
}

// Gives the temporary file the owner, group, permissions and attributes of
// the original; false when it cannot have all of them.
bool TakeOver(int original, const struct stat &st, int temp)
{
    struct stat ts;
    if (FStat(temp, ts) != 0)
        return false;
    if (ts.st_uid != st.st_uid || ts.st_gid != st.st_gid) {
        Count();
        if (::fchown(temp, st.st_uid, st.st_gid) != 0)
            return false;
    }
    Count();
    if (::fchmod(temp, st.st_mode & 07777) != 0)
        return false;
    if (FStat(temp, ts) != 0 || ts.st_uid != st.st_uid || ts.st_gid != st.st_gid
        || (ts.st_mode & 07777) != (st.st_mode & 07777))
        return false;
    return CopyExtendedAttributes(original, temp);
}

FileAccess::WriteResult Failed(int error)
{
    return {FileAccess::Outcome::Failed, error};
}

FileAccess::WriteResult Changed()
{
    return {FileAccess::Outcome::Changed, 0};
}

// A file that did not exist: it appears whole, or not at all when another
// writer created it meanwhile.
FileAccess::WriteResult Create(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = FileAccess::NativePath(path);
    QByteArray temp;
    Fd t(CreateTemp(native, 0666, temp));
    if (t.fd < 0)
        return Failed(errno);
    if (int e = WriteAt(t.fd, bytes.constData(), bytes.size(), 0); e != 0 || (e = Sync(t.fd))) {
        Unlink(temp);
        return Failed(e);
    }
    t.Close();
    PlatformTestHooks::RunBeforeReplace(path);

    Count();
    int rc = ::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, native.constData(),
                         RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        Count();
        rc = ::link(temp.constData(), native.constData());
        if (rc == 0)
            Unlink(temp);
    }
    if (rc != 0) {
        const int e = errno;
        Unlink(temp);
        if (e == EEXIST)
            return Changed();
        if (e != EPERM && e != EOPNOTSUPP && e != EXDEV)
            return Failed(e);
        // No way to publish the file atomically here: create it in place.
        Fd f(OpenFile(native, O_WRONLY | O_CREAT | O_EXCL, 0666));
        if (f.fd < 0)
            return errno == EEXIST ? Changed() : Failed(errno);
        if (int w = WriteAt(f.fd, bytes.constData(), bytes.size(), 0); w != 0 || (w = Sync(f.fd)))
            return Failed(w);
    }
    SyncDirectory(DirectoryOf(native));
    return {};
}

qsizetype FirstDifference(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a.at(i) == b.at(i))
        ++i;
    return i;
}

} // namespace

bool FileAccess::StatResult::IsDirectory() const
{
    return S_ISDIR(mode);
}

QByteArray FileAccess::NativePath(const QString &path)
{
    return QFile::encodeName(path);
}

bool FileAccess::IsMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

FileAccess::StatResult FileAccess::Stat(const QString &path)
{
    return StatNative(NativePath(path));
}

FileAccess::StatResult FileAccess::StatNative(const QByteArray &nativePath)
{
    StatResult r;
    struct stat st;
    Count();
    if (::stat(nativePath.constData(), &st) != 0) {
        r.error = errno;
        return r;
    }
    r.id = IdentityOf(st);
    r.mode = st.st_mode;
    r.uid = st.st_uid;
    r.gid = st.st_gid;
    r.links = st.st_nlink;
    return r;
}

FileAccess::ReadResult FileAccess::Read(const QString &path)
{
    ReadResult r;
    const QByteArray native = NativePath(path);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        Fd f(OpenFile(native, O_RDONLY));
        if (f.fd < 0) {
            r.error = errno;
            return r;
        }
        struct stat before, after;
        if ((r.error = FStat(f.fd, before)) != 0)
            return r;
        if (S_ISDIR(before.st_mode)) {
            r.error = EISDIR;
            return r;
        }
        if ((r.error = ReadAll(f.fd, before.st_size, r.bytes)) != 0)
            return r;
        if ((r.error = FStat(f.fd, after)) != 0)
            return r;
        r.id = IdentityOf(after);
        if (IdentityOf(before) == r.id && r.bytes.size() == r.id.size)
            return r;
    }
    r.error = EAGAIN; // it never held still long enough to be read whole
    r.bytes.clear();
    return r;
}

bool FileAccess::IsSettled(const Identity &id)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const qint64 last = qMax(id.mtimeNs, id.ctimeNs);
    return Ns(now) - last >= PlatformTestHooks::SettleTime();
}

FileAccess::WriteResult FileAccess::Replace(const QString &path,
                                            const std::optional<Identity> &expected,
                                            const QByteArray &expectedBytes,
                                            const QByteArray &bytes)
{
    if (!expected)
        return Create(path, bytes);

    const QByteArray native = NativePath(path);
    struct stat link;
    Count();
    if (::lstat(native.constData(), &link) != 0)
        return IsMissing(errno) ? Changed() : Failed(errno);

    // Opening for writing also asks whether the file may be written at all:
    // a read-only file is not replaced behind its back.
    Fd original(OpenFile(native, O_RDWR));
    if (original.fd < 0)
        return IsMissing(errno) ? Changed() : Failed(errno);
    struct stat st;
    if (int e = FStat(original.fd, st))
        return Failed(e);
    if (IdentityOf(st) != *expected)
        return Changed();

    // Renaming a new file over the old one is atomic for readers, but it
    // makes a new inode: only do it when that inode can be made the same in
    // owner, group, permissions and attributes, and no other name shares it.
    QByteArray temp;
    Fd t;
    if (!S_ISLNK(link.st_mode) && st.st_nlink == 1 && (::geteuid() == 0 || st.st_uid == ::geteuid())) {
        t.fd = CreateTemp(native, 0600, temp);
        if (t.fd < 0 && errno != EACCES && errno != EPERM)
            return Failed(errno);
    }
    if (t.fd >= 0) {
        if (int e = WriteAt(t.fd, bytes.constData(), bytes.size(), 0)) {
            t.Close();
            Unlink(temp);
            return Failed(e);
        }
        if (!TakeOver(original.fd, st, t.fd)) {
            t.Close();
            Unlink(temp);
        } else if (int e = Sync(t.fd)) {
            t.Close();
            Unlink(temp);
            return Failed(e);
        }
    }
    const bool atomic = t.fd >= 0;
    t.Close();

    PlatformTestHooks::RunBeforeReplace(path);

    // Another program may have written the file since it was read: then the
    // edit is redone on its text rather than overwriting its change. This
    // is the last moment to look. Writers of this code base hold an advisory
    // lock on the file from here to the rename, so two of them never both
    // pass this check with the same text: the second waits, then sees the
    // new file. The clients take no lock; for them the window is a few
    // system calls wide. A file system without locks just goes on unlocked.
    ::flock(original.fd, LOCK_EX);
    StatResult now = Stat(path);
    QByteArray current;
    bool same = now.error == 0 && now.id == *expected;
    if (same) {
        if (int e = ReadAll(original.fd, st.st_size, current)) {
            if (atomic)
                Unlink(temp);
            return Failed(e);
        }
        same = current == expectedBytes;
    }
    if (!same) {
        if (atomic)
            Unlink(temp);
        return Changed();
    }

    if (atomic) {
        if (int e = PlatformTestHooks::TakeFailure(Op::Write)) {
            Unlink(temp);
            return Failed(e);
        }
        Count();
        if (::rename(temp.constData(), native.constData()) != 0) {
            const int e = errno;
            Unlink(temp);
            return Failed(e);
        }
        SyncDirectory(DirectoryOf(native));
        return {};
    }

    // In place: only the bytes from the first difference on are written.
    const qsizetype from = FirstDifference(expectedBytes, bytes);
    if (int e = WriteAt(original.fd, bytes.constData() + from, bytes.size() - from, from))
        return Failed(e);
    if (bytes.size() < expectedBytes.size()) {
        Count();
        if (::ftruncate(original.fd, bytes.size()) != 0)
            return Failed(errno);
    }
    if (int e = Sync(original.fd))
        return Failed(e);
    return {};
}
