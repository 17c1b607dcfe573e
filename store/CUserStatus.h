#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// What a user's client reports about itself in Users.ini: the last logon and
// logoff times and the fields of its information record. A user publishes
// this as one immutable value, so a reader on another thread sees either the
// whole previous status or the whole new one, never a mix of both.
struct CUserStatus
{
    qint64 logonTime = 0;       // seconds since 1970 UTC; 0: none recorded
    qint64 logoffTime = 0;
    qint64 lastInstallTime = 0;
    quint16 version = 0;        // major * 10 + minor
    quint16 build = 0;
    quint16 oldVersion = 0;
    quint16 oldBuild = 0;
    quint16 os = 0xFFFF;        // operating system code
    quint16 level = 0xFFFF;     // edition code
    QByteArray language = QByteArrayLiteral("-");
    bool readFailed = false;    // the last read met an unreadable Users.ini

    // Stores the fields of an information record ("21,340,20,300,x,English,...").
    // Empty fields are skipped and move the later ones forward; a field the
    // record does not reach keeps its current value.
    void ApplyInfos(QByteArrayView infos);

    bool operator==(const CUserStatus &) const = default;

    // Version and build packed as an upgrade request remembers them.
    quint32 PackedVersion() const { return (quint32(version) << 16) | build; }
};

// The C runtime's atoi on a profile value: leading blanks skipped, an optional
// sign, digits up to the first other character; text without digits gives 0.
// A number beyond the range of an int gives INT_MAX or INT_MIN.
int CrtAtoi(QByteArrayView text);
