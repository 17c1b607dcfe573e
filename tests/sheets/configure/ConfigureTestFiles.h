#pragma once

#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTest>

// Writes a shared-directory file as a client would leave it.
inline void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The "key=value" lines of a section, as the file holds them now.
inline QList<QByteArray> SectionLines(const QString &path, const QByteArray &section)
{
    return ProfileFile::Parse(ReadFileBytes(path)).SectionLines(section);
}

// A user file whose ActiveParameters section holds the given lines.
inline QByteArray ActiveParameters(const QByteArray &lines)
{
    return "[ActiveParameters]\r\n" + lines;
}
