#include "platform/ProfileBuffer.h"

#include "platform/Profile.h"
#include "platform/ProfileFile.h"

namespace {

QByteArray CString(const QByteArray &text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}

ProfileBuffer::Write FromResult(const ProfileResult &result)
{
    return {result.ok, result.winError};
}

} // namespace

ProfileBuffer::Read ProfileBuffer::FillString(const QByteArray &text, quint32 size)
{
    Read r;
    if (size == 0)
        return r;
    // A value of 64 KiB or more reports its true length, where the clients'
    // platform wraps the count modulo 65536.
    const qsizetype n = qMin<qsizetype>(text.size(), qsizetype(size) - 1);
    r.ret = quint32(n);
    r.buffer = text.left(n);
    r.buffer += '\0';
    return r;
}

ProfileBuffer::Read ProfileBuffer::FillList(const QList<QByteArray> &items, quint32 size,
                                            int emptyList)
{
    Read r;
    if (size == 0)
        return r;
    if (items.isEmpty()) {
        r.buffer = QByteArray(qMin<qsizetype>(emptyList, size), '\0');
        return r;
    }
    QByteArray joined;
    for (const QByteArray &item : items) {
        joined += item;
        joined += '\0';
    }
    if (joined.size() + 1 < qsizetype(size)) {
        r.ret = quint32(joined.size());
        r.buffer = joined + '\0';
        return r;
    }
    if (size == 1) {
        r.buffer = QByteArray(1, '\0');
        return r;
    }
    r.ret = size - 2;
    r.buffer = joined.left(size - 2);
    r.buffer += QByteArray(2, '\0');
    return r;
}

ProfileBuffer::Read ProfileBuffer::GetString(const QString &path, const Arg &section,
                                             const Arg &key, const Arg &def, quint32 size)
{
    if (!section)
        return GetSectionNames(path, size);
    const auto file = Profile::Load(path);
    const QByteArray defaultText = ProfileFile::DefaultValue(def.value_or(QByteArray()));
    if (!key) {
        const QList<QByteArray> keys = file->Keys(CString(*section));
        if (keys.isEmpty())
            return FillString(defaultText, size);
        return FillList(keys, size);
    }
    if (std::optional<QByteArray> value = file->Value(CString(*section), CString(*key)))
        return FillString(*value, size);
    return FillString(defaultText, size);
}

quint32 ProfileBuffer::GetInt(const QString &path, const Arg &section, const Arg &key, qint32 def)
{
    if (!section || !key)
        return quint32(def);
    return Profile::Load(path)->Int(CString(*section), CString(*key), quint32(def));
}

ProfileBuffer::Read ProfileBuffer::GetSection(const QString &path, const Arg &section,
                                              quint32 size)
{
    if (!section)
        return FillList({}, size, 2);
    return FillList(Profile::Load(path)->SectionLines(CString(*section)), size, 2);
}

ProfileBuffer::Read ProfileBuffer::GetSectionNames(const QString &path, quint32 size)
{
    return FillList(Profile::Load(path)->Sections(), size);
}

ProfileBuffer::Write ProfileBuffer::WriteString(const QString &path, const Arg &section,
                                                const Arg &key, const Arg &value)
{
    if (!section && !key && !value) {
        Profile::ClearCache(path);
        return {false, 0};
    }
    if (!section)
        return {false, 2}; // ERROR_FILE_NOT_FOUND, as the clients' platform says
    if (!key)
        return FromResult(Profile::DeleteSection(path, *section));
    if (!value)
        return FromResult(Profile::DeleteKey(path, *section, *key));
    // Unlike C strings, names and values may carry a NUL here: they are
    // refused rather than silently cut.
    return FromResult(Profile::WriteString(path, *section, *key, *value));
}

ProfileBuffer::Write ProfileBuffer::WriteSection(const QString &path, const Arg &section,
                                                 const Arg &data)
{
    if (!section)
        return {false, 2};
    if (!data)
        return FromResult(Profile::DeleteSection(path, *section));
    QList<QByteArray> lines;
    for (const QByteArray &line : data->split('\0')) {
        if (line.isEmpty())
            break;
        lines.append(line);
    }
    return FromResult(Profile::WriteSection(path, *section, lines));
}
