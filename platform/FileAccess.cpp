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
#include <sys/statvfs.h>
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

int LStat(const QByteArray &path, struct stat &st)
{
    Count();
    return ::lstat(path.constData(), &st) == 0 ? 0 : errno;
}

// 0 for a regular file; otherwise what the name is instead.
int KindOf(const QByteArray &path, mode_t mode)
{
    if (S_ISREG(mode))
        return 0;
    if (S_ISDIR(mode))
        return EISDIR;
    if (S_ISLNK(mode)) {
        struct stat target;
        Count();
        return ::stat(path.constData(), &target) == 0 ? FileAccess::IsLink
                                                       : FileAccess::IsDanglingLink;
    }
    if (S_ISFIFO(mode))
        return FileAccess::IsFifo;
    if (S_ISSOCK(mode))
        return FileAccess::IsSocket;
    return FileAccess::IsDevice;
}

// Opens a regular file and nothing else. The name is looked at first, so
// that a FIFO or a device is never opened at all. Another program may swap
// the name meanwhile, so the open itself follows no link in the last
// component and cannot block on a FIFO, and what it opened is looked at
// again. -1 with error set to an errno or a Refusal.
int OpenRegular(const QByteArray &path, int flags, mode_t mode, struct stat &st, int &error)
{
    struct stat entry;
    error = LStat(path, entry);
    if (error == 0)
        error = KindOf(path, entry.st_mode);
    else if (error == ENOENT && (flags & O_CREAT))
        error = 0;
    if (error)
        return -1;
    int fd = OpenFile(path, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, mode);
    if (fd < 0) {
        error = errno;
        if ((error == ELOOP || error == ENXIO) && LStat(path, entry) == 0) {
            if (int kind = KindOf(path, entry.st_mode))
                error = kind;
        }
        return -1;
    }
    error = FStat(fd, st);
    if (error == 0)
        error = KindOf(path, st.st_mode);
    if (error) {
        Count();
        ::close(fd);
        return -1;
    }
    return fd;
}

bool HoldsUtf16Text(const QByteArray &bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// Reads everything from offset 0 of fd into out, but no more than
// MaxFileSize bytes: a file that grows beyond it is refused. 0, an errno or
// IsTooLarge.
int ReadAll(int fd, qint64 sizeHint, QByteArray &out)
{
    constexpr qint64 limit = FileAccess::MaxFileSize;
    out.clear();
    out.reserve(qsizetype(qMin(sizeHint, limit)) + 1);
    qint64 offset = 0;
    for (;;) {
        if (out.size() > limit) {
            out.clear();
            return FileAccess::IsTooLarge;
        }
        if (out.capacity() - out.size() < 4096)
            out.reserve(out.capacity() * 2 + 4096);
        const qsizetype room = qsizetype(qMin<qint64>(out.capacity() - out.size(),
                                                      limit + 1 - out.size()));
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
        qint64 chunk = size;
        struct stat st = {};
        const qint64 free = PlatformTestHooks::FreeSpace();
        if (free >= 0) {
            // A disk with little room left (a test's): what lands past the
            // end of the file takes room, and the write stops short where
            // there is none, as a real one does.
            if (int e = FStat(fd, st))
                return e;
            const qint64 room = qMax<qint64>(st.st_size, offset) + free - offset;
            if (room <= 0)
                return ENOSPC;
            chunk = qMin(chunk, room);
        }
        Count();
        ssize_t n = ::pwrite(fd, data, size_t(chunk), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (free >= 0)
            PlatformTestHooks::UseSpace(qMax<qint64>(0, offset + n - qMax<qint64>(st.st_size, offset)));
        data += n;
        size -= n;
        offset += n;
    }
    return 0;
}

// Makes sure a file can grow to newSize before its first byte is changed:
// blocks are allocated past its end without changing its size, so readers
// still see the old text. Where the file system cannot allocate ahead, the
// room must at least be free now.
int Reserve(int fd, qint64 size, qint64 newSize)
{
    const qint64 free = PlatformTestHooks::FreeSpace();
    if (free >= 0 && newSize - size > free)
        return ENOSPC;
    if (int e = PlatformTestHooks::TakeFailure(Op::Write))
        return e;
    int rc;
    do {
        Count();
        rc = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    struct statvfs vfs;
    Count();
    if (::fstatvfs(fd, &vfs) == 0 && qint64(vfs.f_bavail) * qint64(vfs.f_frsize) < newSize - size)
        return ENOSPC;
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

// A new, hidden file beside path, opened for writing. Its name is short
// whatever path's own is: a long login's file name may already be close to
// the longest name the file system takes.
int CreateTemp(const QByteArray &path, mode_t mode, QByteArray &tempPath)
{
    const QByteArray dir = DirectoryOf(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = dir + "/.~cv"
            + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
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
    return {FileAccess::Outcome::Failed, error, std::nullopt};
}

FileAccess::WriteResult Changed()
{
    return {FileAccess::Outcome::Changed, 0, std::nullopt};
}

// The file at path as a write that renamed the inode `written` into place
// left it, looked at after the rename: nullopt when another program changed
// it meanwhile (a client may open the new file and truncate it at once), so
// that a client's half-done write is never taken for one of ours.
std::optional<FileAccess::Identity> LeftByRename(const QByteArray &native,
                                                 const struct stat &written)
{
    struct stat now;
    if (LStat(native, now) != 0 || now.st_dev != written.st_dev || now.st_ino != written.st_ino
        || now.st_size != written.st_size || Ns(now.st_mtim) != Ns(written.st_mtim))
        return std::nullopt;
    return IdentityOf(now);
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
    struct stat written;
    const bool known = FStat(t.fd, written) == 0;
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
        if (int w = WriteAt(f.fd, bytes.constData(), bytes.size(), 0); w != 0 || (w = Sync(f.fd))) {
            Unlink(native); // it is ours, and only part of it was written
            return Failed(w);
        }
        SyncDirectory(DirectoryOf(native));
        return {};
    }
    SyncDirectory(DirectoryOf(native));
    FileAccess::WriteResult done;
    if (known)
        done.left = LeftByRename(native, written);
    return done;
}

// Bytes that read as one blank line (or nothing, for none).
QByteArray BlankPadding(qsizetype size)
{
    if (size <= 0)
        return {};
    if (size == 1)
        return QByteArrayLiteral("\n");
    return QByteArray(size - 2, ' ') + "\r\n";
}

} // namespace

bool FileAccess::StatResult::IsDirectory() const
{
    return S_ISDIR(mode);
}

bool FileAccess::StatResult::IsRegular() const
{
    return S_ISREG(mode);
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

namespace {

FileAccess::StatResult StatWith(const QByteArray &nativePath, bool follow)
{
    FileAccess::StatResult r;
    struct stat st;
    Count();
    if ((follow ? ::stat(nativePath.constData(), &st) : ::lstat(nativePath.constData(), &st)) != 0) {
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

} // namespace

FileAccess::StatResult FileAccess::StatNative(const QByteArray &nativePath)
{
    return StatWith(nativePath, true);
}

FileAccess::StatResult FileAccess::StatEntryNative(const QByteArray &nativePath)
{
    return StatWith(nativePath, false);
}

FileAccess::ReadResult FileAccess::Read(const QString &path)
{
    ReadResult r;
    const QByteArray native = NativePath(path);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        struct stat before, after;
        Fd f(OpenRegular(native, O_RDONLY, 0, before, r.error));
        if (f.fd < 0)
            return r;
        if (before.st_size > MaxFileSize) {
            r.error = IsTooLarge;
            return r;
        }
        if ((r.error = ReadAll(f.fd, before.st_size, r.bytes)) != 0)
            return r;
        if ((r.error = FStat(f.fd, after)) != 0)
            return r;
        r.id = IdentityOf(after);
        if (IdentityOf(before) == r.id && r.bytes.size() == r.id.size) {
            // The clients' profile calls would read such a file as Unicode
            // and an 8-bit edit would garble it: it is left alone.
            if (HoldsUtf16Text(r.bytes)) {
                r.error = IsUtf16;
                r.bytes.clear();
            }
            return r;
        }
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
    // Opening for writing also asks whether the file may be written at all:
    // a read-only file is not replaced behind its back.
    struct stat st;
    int error = 0;
    Fd original(OpenRegular(native, O_RDWR, 0, st, error));
    if (original.fd < 0)
        return IsMissing(error) ? Changed() : Failed(error);
    if (IdentityOf(st) != *expected)
        return Changed();
    // Neither a rename nor a rewrite in place would keep the file's other
    // names what they are meant to be: one leaves them behind, the other
    // changes them too.
    if (st.st_nlink > 1)
        return Failed(HasOtherNames);

    // Renaming a new file over the old one is atomic for readers and for a
    // client writing at the same moment: nobody ever sees, or writes into,
    // half of this write. It makes a new inode, so a client that keeps the
    // file open goes on writing into the old one; rewriting in place would
    // keep that client, but a client's truncate and write landing around
    // this write would splice the two texts (seen under load about once in
    // a few thousand contended writes), and a torn file costs every reader.
    // So rename, when the new inode can be made the same in owner, group,
    // permissions and attributes, and no other name shares it.
    QByteArray temp;
    Fd t;
    if (::geteuid() == 0 || st.st_uid == ::geteuid()) {
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
    struct stat written;
    const bool known = atomic && FStat(t.fd, written) == 0;
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
    StatResult now = StatEntryNative(native);
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
        PlatformTestHooks::RunAfterReplace(path);
        SyncDirectory(DirectoryOf(native));
        WriteResult done;
        if (known)
            done.left = LeftByRename(native, written);
        return done;
    }

    // In place: the whole text in one write from the start, so that a
    // client's truncate can never come between two parts of it. The room for
    // a longer text is taken first, so that a full disk fails the write
    // before the old text is touched. A shorter text is first written padded
    // with a blank line to the old length, so that a reader between the
    // write and the truncate sees a whole file.
    if (bytes.size() > st.st_size) {
        if (int e = Reserve(original.fd, st.st_size, bytes.size()))
            return Failed(e);
    }
    const QByteArray padded = bytes + BlankPadding(expectedBytes.size() - bytes.size());
    if (int e = WriteAt(original.fd, padded.constData(), padded.size(), 0))
        return Failed(e);
    if (bytes.size() < expectedBytes.size()) {
        Count();
        if (::ftruncate(original.fd, bytes.size()) != 0)
            return Failed(errno);
    }
    if (int e = Sync(original.fd))
        return Failed(e);
    // A client that truncated or rewrote the file since leaves another size
    // (or times we cannot tell from ours): only a file of our length is
    // taken for ours.
    WriteResult done;
    if (struct stat after; FStat(original.fd, after) == 0 && after.st_size == bytes.size())
        done.left = IdentityOf(after);
    return done;
}

int FileAccess::CheckReadable(const QString &path)
{
    struct stat st;
    int error = 0;
    Fd f(OpenRegular(NativePath(path), O_RDONLY, 0, st, error));
    if (f.fd < 0)
        return IsMissing(error) ? 0 : error;
    if (st.st_size > MaxFileSize)
        return IsTooLarge;
    char head[2];
    Count();
    return ::pread(f.fd, head, 2, 0) == 2 && HoldsUtf16Text(QByteArray(head, 2)) ? IsUtf16 : 0;
}

int FileAccess::OpenForChange(const QString &path, bool create)
{
    struct stat st;
    int error = 0;
    const int fd = OpenRegular(NativePath(path), create ? O_WRONLY | O_CREAT : O_RDWR, 0666, st,
                               error);
    if (fd >= 0 && st.st_nlink > 1) {
        Count();
        ::close(fd);
        errno = HasOtherNames;
        return -1;
    }
    if (fd < 0)
        errno = error;
    return fd;
}
