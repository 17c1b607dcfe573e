#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The profile-call script language of the Windows behaviour vectors: one
// command per line (get, getint, section, sections, write, writesection,
// flush, put, cat, rm, info), answered with one result line, each call made
// through the platform layer.
class IniScript
{
public:
    // The result line for one script line (without a line break), or
    // nullopt for a blank line or a comment.
    static std::optional<QByteArray> Execute(const QByteArray &line);

    // Script tokens: NULL, "" for the empty string, and the escapes
    // \s \t \r \n \0 \\ \" \xHH.
    static std::optional<QByteArray> Unescape(const QByteArray &token);
    // Bytes as results print them: 0x20-0x7e as themselves except \ and ",
    // the rest as \0 \t \r \n \xHH.
    static QByteArray Escape(const QByteArray &bytes);
    static QList<QByteArray> Tokenize(const QByteArray &line);
};
