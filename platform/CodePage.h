#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

// The clients' ANSI code page: every text of the shared directory's files
// (logins, names, codes, group and model names) is bytes in it. One code
// page is current for the whole program; it decodes text for the screen and
// encodes what the administrator typed back into bytes. Decoding and
// encoding may run on any thread.
class CodePage
{
public:
    static constexpr const char *kDefaultName = "windows-1252";

    // The code pages offered to the administrator, by name
    // ("windows-1252", "windows-932", ...).
    static QStringList OfferedNames();
    // Why name cannot serve as the clients' code page ("" when it can): the
    // converter must exist and keep ASCII as it is, as the files' syntax
    // needs.
    static QString Check(const QString &name);
    // Makes name current; false (and nothing changed) when Check refuses it.
    static bool SetCurrent(const QString &name);
    static QString CurrentName();

    // Bytes from a file as the screen shows them. Bytes the code page does
    // not define come out as replacement characters.
    static QString Decode(QByteArrayView bytes);
    // Text as the clients would write it, nullopt when the code page cannot
    // hold every character of it (it would come back different).
    static std::optional<QByteArray> Encode(const QString &text);
    // The same, with whatever the code page cannot hold substituted: only
    // for text that is compared, never for text that is written.
    static QByteArray EncodeLossy(const QString &text);
    // The characters of text the code page cannot hold, each once, in order.
    static QString Unencodable(const QString &text);
    // Whether the bytes decode to text that encodes back to the same bytes.
    static bool RoundTrips(QByteArrayView bytes);
};
