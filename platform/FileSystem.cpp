#include "platform/FileSystem.h"

#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/PlatformTestHooks.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<quint64> g_operations{0};

// One scan of a directory: its names by case-folded name, valid while the
// directory itself is the same version.
struct Listing
{
    FileAccess::Identity id;
    QHash<QString, QString> byFoldedName;
};

struct ListingCache
{
    QMutex mutex;
    QHash<QString, Listing> listings;
};

ListingCache &Listings()
{
    static ListingCache cache;
    return cache;
}

QString Join(const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return name;
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

// Calls back with every name in dir (not "." and ".."), in directory order.
// false when the directory cannot be read.
template <typename F>
bool ForEachName(const QString &dir, F &&f)
{
    if (PlatformTestHooks::TakeFailure(PlatformTestHooks::Operation::Read))
        return false;
    FileSystem::CountOperation();
    DIR *d = ::opendir(FileAccess::NativePath(dir).constData());
    if (!d)
        return false;
    for (;;) {
        FileSystem::CountOperation();
        struct dirent *e = ::readdir(d);
        if (!e)
            break;
        const char *name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        f(QByteArray(name), e->d_type);
    }
    FileSystem::CountOperation();
    ::closedir(d);
    return true;
}

Listing Scan(const QString &dir, const FileAccess::Identity &id)
{
    Listing listing;
    listing.id = id;
    ForEachName(dir, [&](const QByteArray &raw, unsigned char) {
        const QString name = QFile::decodeName(raw);
        const QString folded = name.toCaseFolded();
        auto it = listing.byFoldedName.find(folded);
        // Two names that differ only in case: always the same one of them.
        if (it == listing.byFoldedName.end())
            listing.byFoldedName.insert(folded, name);
        else if (name < *it)
            *it = name;
    });
    return listing;
}

} // namespace

FileSystem::Status FileSystem::GetStatus(const QString &path)
{
    Status status;
    FileAccess::StatResult st = FileAccess::Stat(path);
    if (st.error) {
        status.exists = !FileAccess::IsMissing(st.error);
        status.error = status.exists;
        return status;
    }
    status.exists = true;
    status.mtimeNs = st.id.mtimeNs;
    status.mtime = st.id.mtimeNs >= 0 ? st.id.mtimeNs / 1'000'000'000
                                      : -((-st.id.mtimeNs + 999'999'999) / 1'000'000'000);
    status.size = st.id.size;
    return status;
}

bool FileSystem::Exists(const QString &path)
{
    if (PlatformTestHooks::TakeFailure(PlatformTestHooks::Operation::Read))
        return false;
    const QByteArray native = FileAccess::NativePath(path);
    // Something that is not a regular file (a FIFO, a device, a link to a
    // file) is there, but it is not opened to find out: opening a FIFO or a
    // device may block or do more than look.
    const FileAccess::StatResult entry = FileAccess::StatEntryNative(native);
    if (entry.error || entry.IsDirectory())
        return false;
    if (!entry.IsRegular()) {
        const FileAccess::StatResult target = FileAccess::StatNative(native);
        return target.error == 0 && !target.IsDirectory();
    }
    CountOperation();
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP || errno == ENXIO; // swapped for a link or a FIFO meanwhile
    CountOperation();
    ::close(fd);
    return true;
}

bool FileSystem::CreateOrTruncate(const QString &path)
{
    // Truncating the existing inode keeps its owner, group and permissions;
    // only a regular file of that one name is truncated, never what a link
    // points to or another name of the same file.
    const int fd = FileAccess::OpenForChange(path, true);
    if (fd < 0)
        return false;
    CountOperation();
    const bool done = ::ftruncate(fd, 0) == 0;
    const int error = errno;
    CountOperation();
    ::close(fd);
    errno = error;
    return done;
}

bool FileSystem::Remove(const QString &path)
{
    if (int e = PlatformTestHooks::TakeFailure(PlatformTestHooks::Operation::Write)) {
        errno = e;
        return false;
    }
    CountOperation();
    return ::unlink(FileAccess::NativePath(path).constData()) == 0;
}

QString FileSystem::DescribeTrouble(const QString &path)
{
    const int error = FileAccess::CheckReadable(path);
    if (error == 0)
        return QString();
    QString why = FileAccess::Describe(path, error);
    if (why.startsWith(QLatin1String("it is ")))
        why = QStringLiteral("%1 is %2.").arg(path, why.mid(6));
    else
        why = QStringLiteral("%1 cannot be read: %2.").arg(path, why);
    return why;
}

QStringList FileSystem::FindModelFiles(const QString &dir)
{
    QStringList names;
    ForEachName(dir, [&](const QByteArray &raw, unsigned char type) {
        if (raw.size() < 4 || raw.right(4).toLower() != ".mod")
            return;
        const QString name = QFile::decodeName(raw);
        if (type == DT_DIR)
            return;
        if (type != DT_REG) {
            FileAccess::StatResult st = FileAccess::Stat(Join(dir, name));
            if (st.error || st.IsDirectory())
                return;
        }
        names.append(name);
    });
    return names;
}

bool FileSystem::IsSafeLogin(const QByteArray &login)
{
    if (login.isEmpty() || login == "." || login == "..")
        return false;
    for (char c : login) {
        const uchar u = uchar(c);
        if (u < 0x20 || u == 0x7f || c == '/' || c == '\\' || c == ':')
            return false;
    }
    return true;
}

std::optional<QString> FileSystem::UserFilePath(const QString &dir, const QByteArray &login,
                                                const QString &ext)
{
    if (!IsSafeLogin(login))
        return std::nullopt;
    // The clients name the file after the login as their code page reads it;
    // the file system holds that name in its own encoding. A login that does
    // not read back as the same bytes would share its name with another one.
    if (!CodePage::RoundTrips(login))
        return std::nullopt;
    const QString name = CodePage::Decode(login);
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return std::nullopt;
    return ResolveInDir(dir, name + ext);
}

QString FileSystem::ResolveInDir(const QString &dir, const QString &fileName)
{
    const QString exact = Join(dir, fileName);
    FileAccess::StatResult st = FileAccess::Stat(exact);
    if (!FileAccess::IsMissing(st.error))
        return exact;

    FileAccess::StatResult dirStat = FileAccess::Stat(dir);
    if (dirStat.error || !dirStat.IsDirectory())
        return exact;
    const QString folded = fileName.toCaseFolded();
    ListingCache &cache = Listings();
    {
        QMutexLocker lock(&cache.mutex);
        auto it = cache.listings.constFind(dir);
        if (it != cache.listings.cend() && it->id == dirStat.id) {
            const QString name = it->byFoldedName.value(folded);
            return name.isEmpty() ? exact : Join(dir, name);
        }
    }
    // The directory changed (or was never read): scan it once, outside the
    // lock, and keep the scan while the directory stays the same.
    Listing listing = Scan(dir, dirStat.id);
    const QString name = listing.byFoldedName.value(folded);
    {
        QMutexLocker lock(&cache.mutex);
        cache.listings.insert(dir, std::move(listing));
    }
    return name.isEmpty() ? exact : Join(dir, name);
}

QString FileSystem::DecodeName(const QByteArray &bytes)
{
    return CodePage::Decode(bytes);
}

QByteArray FileSystem::EncodeName(const QString &name)
{
    return CodePage::EncodeLossy(name);
}

quint64 FileSystem::OperationCount()
{
    return g_operations.load(std::memory_order_relaxed);
}

void FileSystem::CountOperation()
{
    g_operations.fetch_add(1, std::memory_order_relaxed);
    PlatformTestHooks::DelayOperation();
}
