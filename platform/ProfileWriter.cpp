#include "platform/ProfileWriter.h"

#include "platform/FileAccess.h"
#include "platform/PlatformTestHooks.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// The gap between the two looks that tell a file at rest from one being
// written. A client rewrites a profile file in well under a millisecond on
// a local disk, so a file that held still this long between two looks is
// not in the middle of a write; a longer gap would find no rest at all in a
// file a client writes every few milliseconds.
constexpr qint64 kLookGapUs = 1000;
// The first pause before a write is tried again, and the longest.
constexpr qint64 kFirstPauseUs = 2000;
constexpr qint64 kLongestPauseUs = 100'000;
// How long after its last write a request is watched for a client's late
// rewrite: longer than a client takes from reading a file to writing it
// back, on a slow share too.
constexpr qint64 kVerifyHoldMs = 400;
// The first pause between two such looks, and the longest.
constexpr qint64 kFirstVerifyPauseUs = 5000;
constexpr qint64 kLongestVerifyPauseUs = 40'000;

// Writes of this process to one profile file go one at a time, so that two
// of its own threads never race between checking the file and replacing it.
// It is not held while a write waits.
// Writes to different files go on side by side: on a file server most of a
// write is waiting for the server.
class FileWriteLock
{
public:
    explicit FileWriteLock(const QString &path) : m_path(path)
    {
        Entry *entry;
        {
            std::lock_guard lock(TableMutex());
            Entry *&slot = Table()[path];
            if (!slot)
                slot = new Entry;
            entry = slot;
            ++entry->users;
        }
        entry->mutex.lock();
        m_entry = entry;
    }
    ~FileWriteLock()
    {
        m_entry->mutex.unlock();
        std::lock_guard lock(TableMutex());
        if (--m_entry->users == 0)
            delete Table().take(m_path);
    }
    FileWriteLock(const FileWriteLock &) = delete;
    FileWriteLock &operator=(const FileWriteLock &) = delete;

private:
    struct Entry
    {
        std::mutex mutex;
        int users = 0; // holders and waiters; guarded by TableMutex()
    };
    static std::mutex &TableMutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static QHash<QString, Entry *> &Table()
    {
        static QHash<QString, Entry *> table;
        return table;
    }

    QString m_path;
    Entry *m_entry = nullptr;
};

// The Win32 error code a client would see for a failed file call.
int WinError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return 3;    // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EISDIR: return 5;     // ERROR_ACCESS_DENIED
    case EROFS: return 19;     // ERROR_WRITE_PROTECT
    case EAGAIN: return 32;    // ERROR_SHARING_VIOLATION
    case ENOSPC:
    case EDQUOT: return 112;   // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206; // ERROR_FILENAME_EXCED_RANGE
    default: return error >= FileAccess::IsLink ? 5 : 29; // refused, or ERROR_WRITE_FAULT
    }
}

ProfileResult FileFailure(const QString &path, int error)
{
    return ProfileResult::Failure(
        WinError(error),
        QStringLiteral("Could not write %1: %2.").arg(path, FileAccess::Describe(path, error)));
}

ProfileResult Busy(const QString &path)
{
    return ProfileResult::Failure(
        32, QStringLiteral("Could not write %1: other programs kept changing it.").arg(path));
}

QString ParentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// Sleeps between half and one and a half times pauseUs, and doubles pauseUs
// up to longestUs.
void Pause(qint64 &pauseUs, qint64 longestUs)
{
    const qint64 us = pauseUs / 2 + qint64(QRandomGenerator::global()->bounded(double(pauseUs)));
    QThread::usleep(quint64(qMax<qint64>(us, 1)));
    pauseUs = qMin(pauseUs * 2, longestUs);
}

// The versions this process's own writes left, by path: a file changed
// lately, but by us, is no sign of a client at work, and a run of writes
// to one file (a sheet's pages, a bulk change) must not wait on itself.
class OwnWrites
{
public:
    bool IsOurs(const QString &path, const FileAccess::Identity &id)
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_left.constFind(path);
        return it != m_left.cend() && *it == id;
    }
    void Forget(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_left.remove(path);
    }
    void Left(const QString &path, const FileAccess::Identity &id)
    {
        QMutexLocker lock(&m_mutex);
        if (m_left.size() >= kRemembered)
            m_left.clear(); // only recent writes matter
        m_left.insert(path, id);
    }

private:
    static constexpr qsizetype kRemembered = 4096;
    QMutex m_mutex;
    QHash<QString, FileAccess::Identity> m_left;
};

OwnWrites &TheOwnWrites()
{
    static OwnWrites writes;
    return writes;
}

// Whether these bytes, read from a file changed lately, may be a client's
// write caught half way: nothing yet after its truncate, or the first pages
// of a write the system copies one page at a time (a writer put off between
// two pages leaves such a file at rest for as long as it waits). A client
// writes whole lines, so a text cut inside a line or exactly at a page
// boundary is not taken as the file's text until it has settled.
bool MayBeHalfWritten(const QByteArray &bytes)
{
    constexpr qsizetype kPage = 4096;
    return bytes.isEmpty() || bytes.size() % kPage == 0 || !bytes.endsWith('\n');
}

enum class Step { Written, Unchanged, Busy, Changed, Failed };

struct Attempt
{
    Step step = Step::Failed;
    ProfileResult failure;
    bool contended = false;       // another program wrote the file lately
    FileAccess::Identity written; // the file as this attempt left it
};

// One read, edit and replace. The file is left alone when it looks like
// another program is in the middle of writing it.
Attempt TryOnce(const QString &path, const ProfileWriter::Edit &edit,
                const ProfileWriter::Parse &parse)
{
    Attempt a;
    FileWriteLock writeLock(path);
    FileAccess::ReadResult read = FileAccess::Read(path);
    const bool missing = FileAccess::IsMissing(read.error);
    if (read.error == EAGAIN) {
        a.step = Step::Busy; // it kept changing while it was read
        return a;
    }
    if (read.error && !missing) {
        a.failure = FileFailure(path, read.error);
        return a;
    }
    if (missing) {
        FileAccess::StatResult dir = FileAccess::Stat(ParentOf(path));
        if (dir.error || !dir.IsDirectory()) {
            a.failure = FileFailure(path, dir.error ? dir.error : ENOTDIR);
            return a;
        }
        if (read.error == ENOTDIR) {
            a.failure = FileFailure(path, ENOTDIR);
            return a;
        }
    } else if (!FileAccess::IsSettled(read.id) && !TheOwnWrites().IsOurs(path, read.id)) {
        // Changed lately: a client may be between its truncate and its
        // write, in the middle of its write, or about to write again. Only
        // a file that held still between two looks a moment apart is taken
        // as it is, and one that may be half written only once it is old
        // enough to be what the file really holds.
        a.contended = true;
        if (MayBeHalfWritten(read.bytes)) {
            a.step = Step::Busy;
            return a;
        }
        QThread::usleep(kLookGapUs);
        const FileAccess::StatResult again = FileAccess::Stat(path);
        if (again.error || !(again.id == read.id)) {
            a.step = Step::Busy;
            return a;
        }
    }

    std::shared_ptr<const ProfileFile> file =
        missing ? std::make_shared<const ProfileFile>() : parse(read.bytes);
    std::optional<QByteArray> bytes = edit(*file);
    if (!bytes || (!missing && *bytes == read.bytes)) {
        a.step = Step::Unchanged;
        return a;
    }
    std::optional<FileAccess::Identity> expected;
    if (!missing)
        expected = read.id;
    FileAccess::WriteResult w = FileAccess::Replace(path, expected, read.bytes, *bytes);
    Profile::ClearCache(path);
    switch (w.outcome) {
    case FileAccess::Outcome::Done:
        a.step = Step::Written;
        // Only the version the write itself left is ours: a look at the
        // file afterwards may already see a client's truncate, and taking
        // that for ours would let the next write take its empty text as
        // the file's.
        if (w.left) {
            a.written = *w.left;
            TheOwnWrites().Left(path, a.written);
        } else {
            TheOwnWrites().Forget(path);
        }
        return a;
    case FileAccess::Outcome::Changed:
        a.step = Step::Changed;
        a.contended = true;
        return a;
    case FileAccess::Outcome::Failed:
        break;
    }
    a.failure = FileFailure(path, w.error);
    return a;
}

// Writes until the edit is in the file, backing off while the file is busy
// or changes under the write, within the budget.
Attempt WriteWithin(const QString &path, const ProfileWriter::Edit &edit,
                    const ProfileWriter::Parse &parse, const QElapsedTimer &clock,
                    qint64 budgetMs)
{
    qint64 pauseUs = kFirstPauseUs;
    bool contended = false;
    for (;;) {
        Attempt a = TryOnce(path, edit, parse);
        a.contended = a.contended || contended;
        if (a.step != Step::Busy && a.step != Step::Changed)
            return a;
        contended = true;
        if (a.step == Step::Busy)
            PlatformTestHooks::RunBeforeSettle(path);
        if (clock.elapsed() >= budgetMs) {
            a.step = Step::Failed;
            a.failure = Busy(path);
            return a;
        }
        Pause(pauseUs, kLongestPauseUs);
    }
}

} // namespace

ProfileResult ProfileWriter::Run(const QString &path, const Edit &edit,
                                 const ProfileCheck &takenUp, const Parse &parse)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 budgetMs = PlatformTestHooks::WriteBudgetMs();
    Attempt a = WriteWithin(path, edit, parse, clock, budgetMs);
    if (a.step == Step::Failed)
        return a.failure;
    if (a.step == Step::Unchanged || !a.contended || !takenUp)
        return ProfileResult::Success();

    // Another program wrote this file lately, so one may have read it just
    // before this write and write its stale text back just after. Watch
    // the request until it held for a while, and make it again if it went.
    QElapsedTimer held;
    held.start();
    qint64 pauseUs = kFirstVerifyPauseUs;
    const qint64 verifyBudgetMs = clock.elapsed() + budgetMs;
    while (held.elapsed() < kVerifyHoldMs && clock.elapsed() < verifyBudgetMs) {
        PlatformTestHooks::RunBeforeVerify(path);
        Pause(pauseUs, kLongestVerifyPauseUs);
        // Each look reads the text whatever the file's times say: a client
        // that wrote within the same tick as this write leaves them alike.
        FileAccess::ReadResult read = FileAccess::Read(path);
        if (read.error || MayBeHalfWritten(read.bytes))
            continue; // caught in the middle of a write
        std::shared_ptr<const ProfileFile> file = parse(read.bytes);
        if (takenUp && takenUp(*file))
            return ProfileResult::Success();
        const std::optional<QByteArray> again = edit(*file);
        if (!again || *again == read.bytes)
            continue; // still there
        a = WriteWithin(path, edit, parse, clock, verifyBudgetMs);
        if (a.step == Step::Failed)
            return a.failure;
        held.restart();
    }
    return ProfileResult::Success();
}
