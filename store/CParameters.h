#pragma once

#include "platform/Profile.h"

#include <QByteArray>

class CUser;

// The client parameters of a user file. The client reports the values it
// runs with in ActiveParameters; the administrator's requests go to
// Parameters, which the client takes up on its own schedule. Every call
// reads or writes one key of the file at once: the client may change
// ActiveParameters at any moment, so nothing is cached.
class CParameters
{
public:
    // Key names, shared by both sections (SharedDir is only ever written).
    static constexpr const char *YourKey = "YourKey";
    static constexpr const char *NewNoteType = "NewNoteType";
    static constexpr const char *CommMode = "CommMode";
    static constexpr const char *ReceiveNotesInConfidential = "ReceiveNotesInConfidential";
    static constexpr const char *RefreshRate = "RefreshRate";
    static constexpr const char *SharedDir = "SharedDir";
    static constexpr const char *UseLogFile = "UseLogFile";
    static constexpr const char *DefaultModel = "DefaultModel";

    // Bits of UseLogFile. The client reads the others but the tool always
    // asks for them clear.
    enum ELogBit : quint16 {
        LogParameters = 1,
        LogStartEnd = 2,
        LogSharedDirectory = 4,
        LogTooltips = 8,
        LogErrors = 16,
        ForceForeignNotes = 32,
        AllLogBits = 63,
    };

    // The clients read texts into a 255-byte buffer, so a longer value
    // means to them its first 254 bytes.
    static constexpr qsizetype TextLimit = 254;

    // Reads a key of ActiveParameters; def when the user has no usable
    // file, the file cannot be read, or the key is missing or empty.
    static int ReadInt(const CUser &user, const char *key, int def);
    static quint16 ReadUInt16(const CUser &user, const char *key, quint16 def);
    static QByteArray ReadText(const CUser &user, const char *key);

    // Writes one key of Parameters: integers in decimal, texts unchanged
    // (an empty text as an empty value, never a deleted key).
    static ProfileResult WriteInt(const CUser &user, const char *key, int value);
    static ProfileResult WriteText(const CUser &user, const char *key, const QByteArray &value);

    // Why a text the administrator typed cannot be requested ("" when it
    // can): a profile value cannot hold a line break or a NUL, and the
    // client would cut a value longer than TextLimit.
    static QString CheckText(const QByteArray &value);
};
