#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The Win32 profile calls as a client makes them, with NULL arguments and a
// caller's buffer of a given size: what they return and exactly which bytes
// they write into the buffer, truncation included. The product reads whole
// values through Profile; this exists so that the platform can be checked
// call for call against what the clients' platform does.
class ProfileBuffer
{
public:
    using Arg = std::optional<QByteArray>; // nullopt stands for a NULL pointer

    struct Read
    {
        quint32 ret = 0;
        QByteArray buffer; // every byte written into the caller's buffer, from offset 0
    };
    struct Write
    {
        bool ok = true;
        int error = 0; // the Win32 error code when !ok
    };

    // GetPrivateProfileStringA: section NULL lists the sections, key NULL
    // the keys of the section (the default when it has none).
    static Read GetString(const QString &path, const Arg &section, const Arg &key, const Arg &def,
                          quint32 size);
    // GetPrivateProfileIntA.
    static quint32 GetInt(const QString &path, const Arg &section, const Arg &key, qint32 def);
    // GetPrivateProfileSectionA: the section's lines as key=value strings.
    static Read GetSection(const QString &path, const Arg &section, quint32 size);
    // GetPrivateProfileSectionNamesA.
    static Read GetSectionNames(const QString &path, quint32 size);

    // WritePrivateProfileStringA: key NULL deletes the section, value NULL
    // the key; all three NULL only flushes, and reports failure.
    static Write WriteString(const QString &path, const Arg &section, const Arg &key,
                             const Arg &value);
    // WritePrivateProfileSectionA: data holds strings separated by NUL bytes
    // (the list ends at the first empty string); NULL deletes the section.
    static Write WriteSection(const QString &path, const Arg &section, const Arg &data);

    // One string into a buffer of size bytes: cut to size - 1, NUL-ended.
    static Read FillString(const QByteArray &text, quint32 size);
    // A list of strings, each NUL-ended, the list ended by one more NUL.
    // When it does not fit (an exact fit does not either), the last string
    // that fits in part is cut so that two NULs end the buffer, and the
    // result is size - 2. An empty list writes emptyList bytes of NUL.
    static Read FillList(const QList<QByteArray> &items, quint32 size, int emptyList = 1);
};
