#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QString>
#include <optional>

class ProfileFile;

// The restriction keys of a user file and how they are held in memory.
//
// A restriction allows ("1") or forbids ("0") one feature of the client. The
// keys fall into six groups, one per page of the restrictions sheet; within a
// group a key's bit is its place in the group's list. One 32-bit word per
// group holds the values in force (read from ActiveRestrictions, kept up to
// date by the tool's own writes) in its high half and the administrator's
// requests in its low half. The tool reads the Active section, which the
// client maintains, and writes only the Restrictions section.
class CRestrictions
{
public:
    static constexpr int GroupCount = 6;
    static constexpr int MaxKeys = 8;
    static constexpr int ActiveShift = 16;

    static const QByteArray &ActiveSection();
    static const QByteArray &RequestSection();

    static bool IsValidGroup(int group) { return group >= 0 && group < GroupCount; }
    // 0 for a group that does not exist.
    static int GetKeyCount(int group);
    // Empty for a bit without a key.
    static QByteArray GetKeyName(int group, int bit);
    // The bits that carry a key; the others stay 0 in both halves.
    static quint16 GetKeyMask(int group);

    static quint16 ActiveHalf(quint32 word) { return quint16(word >> ActiveShift); }
    static quint16 RequestedHalf(quint32 word) { return quint16(word & 0xFFFF); }
    static quint32 MakeWord(quint16 active, quint16 requested)
    {
        return (quint32(active) << ActiveShift) | requested;
    }

    // The values in force of one group as the file holds them: a missing key
    // counts as allowed, a present one is allowed when its leading number is
    // not 0. The result is a whole word with nothing requested.
    static quint32 ReadGroup(const ProfileFile &file, int group);

    // Fills every group of words that loaded does not mark yet from one read
    // of the file, and marks them. Groups already loaded are never read again,
    // so a request the tool made stays what it knows. Without a path (a login
    // that cannot name a file) the user has no file and everything is allowed.
    // False, with nothing marked, when the file exists but cannot be read:
    // the values are unknown, not forbidden, and the next call tries again.
    static bool Load(const std::optional<QString> &path, quint16 &loaded,
                     quint32 (&words)[GroupCount]);

    // Writes into the Restrictions section every key of group whose request
    // differs from its value in force, one key at a time, and takes a written
    // value as the one in force. A key whose write failed keeps its old value
    // in force, so asking for it again writes it again instead of being
    // skipped as already done. The first failure is returned.
    static ProfileResult Write(const QString &path, int group, quint32 &word);

    // The keys of group that a Write would touch.
    static quint16 PendingMask(int group, quint32 word);
};
