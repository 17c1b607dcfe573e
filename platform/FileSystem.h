#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The file functions of the platform that the store uses on the shared
// directory. Every call here and in Profile counts as one file operation in
// FileSystem::OperationCount(), so that tests can prove that an idle refresh
// touches nothing it need not touch.
class FileSystem
{
public:
    struct Status
    {
        bool exists = false;
        bool error = false;    // exists, but could not be queried or opened
        qint64 mtime = 0;      // whole seconds since 1970-01-01 UTC
        qint64 mtimeNs = 0;    // the same at full precision
        qint64 size = 0;
    };

    // Status of a file (stat); the modification time in whole seconds.
    static Status GetStatus(const QString &path);
    // OpenFile(OF_EXIST): true when the file exists and is reachable. What
    // is not a regular file is looked at, never opened.
    static bool Exists(const QString &path);
    // OpenFile(OF_CREATE): creates the file, or empties an existing one
    // (keeping its owner, group and permissions). A link, a FIFO, a device or
    // a file with other names (hard links) is refused: false with errno set
    // to what FileAccess::Describe words.
    static bool CreateOrTruncate(const QString &path);
    static bool Remove(const QString &path);
    // What keeps an existing file from being read, as a sentence that names
    // it ("<path> is a FIFO (named pipe), not a regular file."); empty for a
    // missing file or one that can be read. Opens nothing but a regular file.
    static QString DescribeTrouble(const QString &path);
    // Names of the "*.mod" files of dir (extension matched without regard
    // to case), in directory order, with their extension.
    static QStringList FindModelFiles(const QString &dir);

    // A login can name a file only when it is not empty, not "." or "..",
    // and holds no '/', '\\', ':', control character or NUL.
    static bool IsSafeLogin(const QByteArray &login);
    // The path of a user's file: dir/<login><ext>, the login read in the
    // clients' code page. On a file system that distinguishes case, an
    // existing file whose name differs only in case ("alice.INI",
    // "ALICE.ini", "ÉLISE.ini" for "élise") is the user's file; otherwise the
    // name is formed with ext as given. nullopt when the login cannot name a
    // file, or is not text in the code page (it would not name one file).
    static std::optional<QString> UserFilePath(const QString &dir, const QByteArray &login,
                                               const QString &ext = QStringLiteral(".ini"));
    // Join dir and a file name given by the system ("Users.ini"), with the
    // same case-insensitive resolution of an existing file.
    static QString ResolveInDir(const QString &dir, const QString &fileName);

    // A name from the files of the shared directory (login, group, model) as
    // text, and back, in the clients' code page. EncodeName substitutes what
    // the code page cannot hold: a caller that writes the bytes compares
    // DecodeName(EncodeName(text)) with text first. Names of files in a
    // directory are in the file system's own encoding, not these.
    static QString DecodeName(const QByteArray &bytes);
    static QByteArray EncodeName(const QString &name);

    static quint64 OperationCount();
    static void CountOperation();
};
