#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class CUser;

// What waits for a user in the shared directory: one key per note in the
// user file's Notes section (the key is the note's number, the note itself is
// the file note<number>), one key per notification in Notifications. The tool
// only counts these and tests whether the note files exist; it never reads or
// removes a note. The one thing it adds to Notes is the upgrade request.
class CPendingNotes
{
public:
    static constexpr const char *NotesSection = "Notes";
    static constexpr const char *NotificationsSection = "Notifications";
    static constexpr const char *UpgradeKey = "newver";

    // What the Notes section holds: every key counts as a waiting item; the
    // numbers of the notes whose file is missing are appended to missing in
    // key order, after what the caller already had there.
    struct NoteCheck
    {
        int nCount = 0;
        bool bReadFailed = false; // the user file exists but could not be read
    };

    // The number of keys of Notifications; 0 without a file or section.
    static int CountNotifications(const CUser &user, bool *pbReadFailed = nullptr);
    static NoteCheck CheckNotes(const CUser &user, QList<quint16> &missing);

    // The note number a key of Notes stands for, or nothing for a key that
    // is not a number (the upgrade request "newver" is such a key: it waits
    // for the client like a note but has no note file). Numbers are 16-bit,
    // as the clients keep them: 65548 is note 12.
    static std::optional<quint16> NoteNumber(const QByteArray &key);
    // The note file of a number in dir. The clients name it after the number
    // taken as signed, so note 65535 lives in "note-1".
    static QString NoteFilePath(const QString &dir, quint16 nNumber);

    // The upgrade request value: the mode, then "," and the directory when
    // there is one; empty without a mode.
    static QByteArray UpgradeValue(const QByteArray &mode, const QByteArray &directory);
    // Why value cannot be written as an upgrade request ("" when it can).
    static QString CheckUpgradeValue(const QByteArray &value);
    // Writes Notes/newver of the user file, replacing an earlier request.
    static ProfileResult WriteUpgradeRequest(const CUser &user, const QByteArray &value);
};
