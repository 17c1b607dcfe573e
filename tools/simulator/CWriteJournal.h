#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// An optional record of every change the simulated clients made to the shared
// directory, one line per write or removal, so that a test can tell afterwards
// whether each of them is still in the files. A line holds the file name, the
// section, the key and either "=" and the value or "-" for a removal, each
// field percent-encoded and the fields separated by tabs.
class CWriteJournal
{
public:
    bool Open(const QString &path);
    bool IsOpen() const { return m_file.isOpen(); }
    void Written(const QString &fileName, const QByteArray &section, const QByteArray &key,
                 const QByteArray &value);
    void Removed(const QString &fileName, const QByteArray &section, const QByteArray &key);
    void Flush();

    struct Entry
    {
        QString fileName;
        QByteArray section;
        QByteArray key;
        bool removed = false;
        QByteArray value;
    };
    // Parses one line; false for a line that is not an entry.
    static bool ParseLine(const QByteArray &line, Entry &entry);

private:
    void Append(const QString &fileName, const QByteArray &section, const QByteArray &key,
                const QByteArray &change);

    QFile m_file;
};
