#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// The POSIX file calls under Profile and FileSystem. Each system call on a
// file counts as one operation in FileSystem::OperationCount(), and reads
// and writes pass the failure switches of PlatformTestHooks.
class FileAccess
{
public:
    // What tells one version of a file from another: which file (device,
    // inode), how long, and when its data and its metadata last changed.
    struct Identity
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        bool operator==(const Identity &) const = default;
    };
    // Why a name of the shared directory was refused, beside the errno
    // values: what it is instead of a regular file, or why it may not be
    // read or rewritten.
    enum Refusal : int {
        IsLink = 0x10000,  // a symbolic link: never followed
        IsDanglingLink,    // a symbolic link to nothing
        IsFifo,
        IsDevice,
        IsSocket,
        IsTooLarge,        // more than MaxFileSize bytes
        HasOtherNames,     // hard links: a rewrite would change the other names too
        IsUtf16,           // UTF-16 text (byte-order mark), not the clients' 8-bit text
    };
    // Far beyond any profile file; a larger one is not read at all.
    static constexpr qint64 MaxFileSize = qint64(256) * 1024 * 1024;

    struct StatResult
    {
        int error = 0; // errno; ENOENT or ENOTDIR for a missing file
        Identity id;
        mode_t mode = 0;
        uid_t uid = 0;
        gid_t gid = 0;
        nlink_t links = 0;
        bool IsDirectory() const;
        bool IsRegular() const;
    };
    struct ReadResult
    {
        int error = 0;
        QByteArray bytes;
        Identity id; // of the very version the bytes were read from
    };
    enum class Outcome { Done, Changed, Failed };
    struct WriteResult
    {
        Outcome outcome = Outcome::Done;
        int error = 0;
        // The file as this write left it, when it can be told that nobody
        // changed it since (nullopt otherwise, or when the write fell back
        // to creating the file in place).
        std::optional<Identity> left;
    };

    static StatResult Stat(const QString &path);
    static StatResult StatNative(const QByteArray &nativePath);
    // The name itself: a symbolic link is not followed (lstat).
    static StatResult StatEntryNative(const QByteArray &nativePath);
    // Reads the whole file; a file that changes while it is read is read
    // again (a few times, then EAGAIN). Only a regular file is read: a link,
    // FIFO, device, socket or directory is refused without being opened (or,
    // when it was swapped in at the last moment, without blocking), and so is
    // a file larger than MaxFileSize or one of UTF-16 text.
    static ReadResult Read(const QString &path);
    // Replaces the file's bytes with bytes, provided it still is the version
    // expected (nullopt: the file must still be missing) with the bytes
    // expectedBytes; otherwise reports Changed and leaves it alone. The new
    // file keeps the old one's owner, group, permissions and extended
    // attributes; it is written to a temporary file and renamed over the old
    // one when that keeps them, otherwise rewritten in place, once the space
    // the new bytes need is reserved. What Read refuses is refused here too,
    // and so is a file with other names (hard links).
    static WriteResult Replace(const QString &path, const std::optional<Identity> &expected,
                               const QByteArray &expectedBytes, const QByteArray &bytes);
    // Whether a change this recent could hide a further change of the same
    // size within the same timestamp tick.
    static bool IsSettled(const Identity &id);
    static bool IsMissing(int error);

    static QByteArray NativePath(const QString &path);
    // Opens path for a change in place (O_RDWR, or O_WRONLY | O_CREAT when
    // create is set): a regular file with no other name, never through a
    // link, never blocking. -1 with errno set to an errno or a Refusal.
    static int OpenForChange(const QString &path, bool create);
    // Why path, which exists, cannot be read: 0 for a regular file of at
    // most MaxFileSize bytes of 8-bit text (and for a missing one),
    // otherwise a Refusal or an errno. Looks without reading the file.
    static int CheckReadable(const QString &path);
    // Why a call on path failed with error (an errno or a Refusal), in words
    // that follow "Could not write <path>: ".
    static QString Describe(const QString &path, int error);
};
