#include "CWriteJournal.h"

#include "platform/FileSystem.h"

bool CWriteJournal::Open(const QString &path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void CWriteJournal::Written(const QString &fileName, const QByteArray &section,
                            const QByteArray &key, const QByteArray &value)
{
    Append(fileName, section, key, '=' + value.toPercentEncoding());
}

void CWriteJournal::Removed(const QString &fileName, const QByteArray &section,
                            const QByteArray &key)
{
    Append(fileName, section, key, "-");
}

void CWriteJournal::Flush()
{
    if (m_file.isOpen())
        m_file.flush();
}

void CWriteJournal::Append(const QString &fileName, const QByteArray &section,
                           const QByteArray &key, const QByteArray &change)
{
    if (!m_file.isOpen())
        return;
    m_file.write(QFile::encodeName(fileName).toPercentEncoding() + '\t'
                 + section.toPercentEncoding() + '\t' + key.toPercentEncoding() + '\t' + change
                 + '\n');
}

bool CWriteJournal::ParseLine(const QByteArray &line, Entry &entry)
{
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() != 4 || fields[3].isEmpty())
        return false;
    entry.fileName = QFile::decodeName(QByteArray::fromPercentEncoding(fields[0]));
    entry.section = QByteArray::fromPercentEncoding(fields[1]);
    entry.key = QByteArray::fromPercentEncoding(fields[2]);
    entry.removed = fields[3] == "-";
    if (!entry.removed && fields[3].front() != '=')
        return false;
    entry.value = entry.removed ? QByteArray() : QByteArray::fromPercentEncoding(fields[3].mid(1));
    return true;
}
