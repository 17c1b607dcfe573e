#pragma once

#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

// The text edits of the profile write functions, done the way the Windows
// clients' platform does them: the file's text is changed in place, only on
// the lines concerned, and lines that are written end in CRLF. Every other
// byte (comments, blank lines, spacing, LF or CR line ends, NUL bytes) stays.
//
// Each edit returns the new bytes, or nullopt when the file needs no change.
// Names must already be trimmed of spaces and checked (CheckSectionName,
// CheckKeyName); values checked with CheckValue.
class ProfileEditor
{
public:
    // A new key goes right after the last key line of the first section of
    // that name (right after its header when it has none); an existing key's
    // line is rewritten as "<name as in the file>=<value>"; a new section is
    // appended as "[section]\r\nkey=value\r\n".
    static std::optional<QByteArray> SetValue(const ProfileFile &file, const QByteArray &section,
                                              const QByteArray &key, const QByteArray &value);
    // Removes the first matching key's line.
    static std::optional<QByteArray> RemoveKey(const ProfileFile &file, const QByteArray &section,
                                               const QByteArray &key);
    // Removes the header and the key and other text lines of the first
    // section of that name; comment and blank lines inside it stay.
    static std::optional<QByteArray> RemoveSection(const ProfileFile &file,
                                                   const QByteArray &section);
    // Replaces the body of the first section of that name (up to its last
    // non-blank line) with the given key=value pairs, or appends the section.
    // A pair whose key is in kept stands for the file's own line of that key
    // (the first in the section), copied unchanged; without one it is left
    // out. Such keys need not pass CheckKeyName.
    static std::optional<QByteArray>
    ReplaceSection(const ProfileFile &file, const QByteArray &section,
                   const QList<std::pair<QByteArray, QByteArray>> &entries,
                   const QSet<QByteArray> &kept = {});

    // Why a write with this name or value could not be read back by the same
    // name; empty when it can.
    static QString CheckSectionName(const QByteArray &section);
    static QString CheckKeyName(const QByteArray &key);
    static QString CheckValue(const QByteArray &value);

    // The value as it must be written to read back exactly: inside one pair
    // of double quotes when the reader would otherwise strip blanks or quotes.
    static QByteArray EncodeValue(const QByteArray &value);
};
