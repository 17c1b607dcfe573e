#pragma once

#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

// The outcome of a profile write. winError carries the Win32 error code the
// platform function would have set (87 for a name or value that could not be
// read back, 3 for a missing directory, ...); message says why in words an
// administrator can act on.
struct ProfileResult
{
    bool ok = true;
    int winError = 0;
    QString message;

    explicit operator bool() const { return ok; }
    static ProfileResult Success() { return {}; }
    static ProfileResult Failure(int error, QString why) { return {false, error, std::move(why)}; }
};

// Whether the program a standing request is meant for has taken it up (for
// a client: its own half of the file shows the request in force). A write
// given one watches its request for a while and makes it again if a
// client's stale rewrite erased it, until the check holds; see
// ProfileWriter. Profile::StandingRequest() is the check of a request whose
// take-up cannot be seen.
using ProfileCheck = std::function<bool(const ProfileFile &)>;

// The profile-file functions of the platform, on files of the shared
// directory. Every read goes through a snapshot cache that is checked, at
// every call, against the file's identity (device, inode), size and
// modification and change times (nanoseconds), so many lookups in one
// unchanged file parse it once, and a file that changed is always read
// again. A file changed in the last two seconds could change again within
// the same timestamp tick, so until it settles it is read at every call (and
// parsed again only when its bytes differ). Writes change only the bytes
// they must, keep the file's owner, group and permissions, never write over
// a file another program is in the middle of writing, redo the edit on
// fresh text when another program changed the file between the read and
// the write, and make it again when a client's late rewrite erased it (see
// ProfileWriter).
class Profile
{
public:
    // The parsed file as it is now (cached while it does not change).
    static std::shared_ptr<const ProfileFile> Load(const QString &path);

    // GetPrivateProfileString / GetPrivateProfileInt / key and section lists.
    // *failed, when given, is set when the file exists but could not be read.
    static QByteArray GetString(const QString &path, const QByteArray &section,
                                const QByteArray &key, const QByteArray &def = QByteArray(),
                                bool *failed = nullptr);
    static quint32 GetInt(const QString &path, const QByteArray &section,
                          const QByteArray &key, quint32 def, bool *failed = nullptr);
    static QList<QByteArray> GetKeys(const QString &path, const QByteArray &section,
                                     bool *failed = nullptr);
    static QList<QByteArray> GetSections(const QString &path, bool *failed = nullptr);

    // WritePrivateProfileString(section, key, value). A missing file is
    // created; a missing directory is an error. A name or value that could
    // not be read back is refused (winError 87) and the file is untouched.
    // A value with outer blanks or outer matching quotes is written quoted.
    static ProfileResult WriteString(const QString &path, const QByteArray &section,
                                     const QByteArray &key, const QByteArray &value,
                                     const ProfileCheck &takenUp = {});
    // Several values of one section in one read, edit and replace: a reader
    // sees all of them or none, and a failure leaves every key as it was.
    // Refused whole when any name or value would be refused alone.
    static ProfileResult WriteStrings(const QString &path, const QByteArray &section,
                                      const QList<std::pair<QByteArray, QByteArray>> &values,
                                      const ProfileCheck &takenUp = {});
    // WritePrivateProfileString(section, key, NULL): removes the key's line.
    static ProfileResult DeleteKey(const QString &path, const QByteArray &section,
                                   const QByteArray &key);
    // WritePrivateProfileString(section, NULL, NULL): removes the section's
    // header and key lines; comment lines inside it stay.
    static ProfileResult DeleteSection(const QString &path, const QByteArray &section);
    // WritePrivateProfileSection: replaces the key lines of a section with
    // the given "key=value" strings (strings without '=' are dropped). A
    // string whose key is in kept keeps the file's own line of that key as
    // it is, even when the name could not be written (see ReplaceSection).
    static ProfileResult WriteSection(const QString &path, const QByteArray &section,
                                      const QList<QByteArray> &lines,
                                      const QSet<QByteArray> &kept = {},
                                      const ProfileCheck &takenUp = {});
    // The check of a standing request the client never reports back.
    static ProfileCheck StandingRequest();

    // Whether a write of this name or value would be refused, and why.
    // Callers that take names from a person check first and show the reason.
    static QString CheckSectionName(const QByteArray &section);
    static QString CheckKeyName(const QByteArray &key);
    static QString CheckValue(const QByteArray &value);

    // Forget every cached snapshot (tests, and after the shared directory changes).
    static void ClearCache();
    // Forget the snapshot of one file.
    static void ClearCache(const QString &path);
};
