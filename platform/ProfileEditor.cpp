#include "platform/ProfileEditor.h"

namespace {

using Line = ProfileFile::Line;

const QByteArray kLineBreak = QByteArrayLiteral("\r\n");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool EndsWithBreak(const QByteArray &bytes)
{
    return bytes.endsWith('\n') || bytes.endsWith('\r');
}

// Line breaks and NUL bytes would end the name or value early, or inject
// lines of their own, wherever they stand.
QString CheckCommon(const QByteArray &text, const QString &what)
{
    if (text.contains('\r') || text.contains('\n'))
        return QStringLiteral("%1 contains a line break.").arg(what);
    if (text.contains('\0'))
        return QStringLiteral("%1 contains a NUL character.").arg(what);
    return QString();
}

// Tabs and other control characters around a name are dropped when the
// file is read, but not from the name a caller looks up, so such a name
// would not be found again; other places are no safer to explain.
QString CheckControl(const QByteArray &name, const QString &what)
{
    for (char c : name) {
        if (uchar(c) < 0x20 || uchar(c) == 0x7f)
            return QStringLiteral("%1 contains a control character (such as a tab).").arg(what);
    }
    return QString();
}

QString CheckLength(const QByteArray &name, const QString &what)
{
    if (name.size() > ProfileFile::MaxArgumentLength)
        return QStringLiteral("%1 is longer than %2 characters.")
            .arg(what)
            .arg(ProfileFile::MaxArgumentLength);
    return QString();
}

QByteArray FormatKeyLine(const QByteArray &key, const QByteArray &value)
{
    QByteArray line;
    line.reserve(key.size() + value.size() + 5);
    line += key;
    line += '=';
    line += ProfileEditor::EncodeValue(value);
    line += kLineBreak;
    return line;
}

QByteArray Splice(const QByteArray &bytes, qsizetype from, qsizetype to, const QByteArray &with)
{
    QByteArray out;
    out.reserve(bytes.size() - (to - from) + with.size());
    out.append(bytes.constData(), from);
    out += with;
    out.append(bytes.constData() + to, bytes.size() - to);
    return out;
}

QByteArray AppendSection(const ProfileFile &file, const QByteArray &section, const QByteArray &body)
{
    QByteArray out;
    const QByteArray &bytes = file.Bytes();
    out.reserve(bytes.size() + section.size() + body.size() + 6);
    out = bytes;
    if (!out.isEmpty() && !EndsWithBreak(out))
        out += kLineBreak;
    out += '[';
    out += section;
    out += ']';
    out += kLineBreak;
    out += body;
    return out;
}

// Where text inserted after line must go, with the break that line lacks
// when it is the file's unterminated last line.
std::pair<qsizetype, QByteArray> After(const Line &line)
{
    return {line.next, line.next == line.end ? kLineBreak : QByteArray()};
}

} // namespace

QString ProfileEditor::CheckSectionName(const QByteArray &section)
{
    const QString what = QStringLiteral("The section name");
    if (section.isEmpty())
        return QStringLiteral("The section name is empty.");
    if (QString why = CheckCommon(section, what); !why.isEmpty())
        return why;
    if (QString why = CheckControl(section, what); !why.isEmpty())
        return why;
    if (section.contains(']'))
        return QStringLiteral("The section name contains ']', which ends a section name.");
    return CheckLength(section, what);
}

QString ProfileEditor::CheckKeyName(const QByteArray &key)
{
    const QString what = QStringLiteral("The key name");
    if (key.isEmpty())
        return QStringLiteral("The key name is empty.");
    if (QString why = CheckCommon(key, what); !why.isEmpty())
        return why;
    if (QString why = CheckControl(key, what); !why.isEmpty())
        return why;
    if (key.contains('='))
        return QStringLiteral("The key name contains '=', which separates a key from its value.");
    if (key.startsWith('['))
        return QStringLiteral("The key name begins with '[', which would start a section.");
    if (key.startsWith(';'))
        return QStringLiteral("The key name begins with ';', which would make the line a comment.");
    return CheckLength(key, what);
}

QString ProfileEditor::CheckValue(const QByteArray &value)
{
    return CheckCommon(value, QStringLiteral("The value"));
}

QByteArray ProfileEditor::EncodeValue(const QByteArray &value)
{
    if (value.isEmpty())
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool blanks = IsBlank(first) || IsBlank(last);
    const bool quotes = value.size() >= 2 && first == last && (first == '"' || first == '\'');
    if (!blanks && !quotes)
        return value;
    QByteArray quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

std::optional<QByteArray> ProfileEditor::SetValue(const ProfileFile &file,
                                                  const QByteArray &section,
                                                  const QByteArray &key, const QByteArray &value)
{
    const qsizetype s = file.FindSection(section);
    if (s <= 0)
        return AppendSection(file, section, FormatKeyLine(key, value));

    if (const std::optional<Line> line = file.KeyLine(s, key)) {
        if (file.LineValue(*line) == value)
            return std::nullopt;
        return Splice(file.Bytes(), line->begin, line->next, FormatKeyLine(file.LineName(*line), value));
    }
    const std::optional<Line> last = file.LastKeyLine(s);
    const Line anchor = last ? *last : file.LineAt(file.SectionList()[size_t(s)].headerBegin);
    auto [at, lineBreak] = After(anchor);
    return Splice(file.Bytes(), at, at, lineBreak + FormatKeyLine(key, value));
}

std::optional<QByteArray> ProfileEditor::RemoveKey(const ProfileFile &file,
                                                   const QByteArray &section,
                                                   const QByteArray &key)
{
    const std::optional<Line> line = file.KeyLine(file.FindSection(section), key);
    if (!line)
        return std::nullopt;
    return Splice(file.Bytes(), line->begin, line->next, QByteArray());
}

std::optional<QByteArray> ProfileEditor::RemoveSection(const ProfileFile &file,
                                                       const QByteArray &section)
{
    const qsizetype s = file.FindSection(section);
    if (s <= 0)
        return std::nullopt;
    const auto &lines = file.Lines();
    const auto &sec = file.SectionList()[size_t(s)];
    const QByteArray &bytes = file.Bytes();
    QByteArray out;
    out.reserve(bytes.size());
    out.append(bytes.constData(), lines[size_t(sec.header)].begin);
    for (qsizetype i = sec.firstLine; i < sec.endLine; ++i) {
        const Line &line = lines[size_t(i)];
        if (line.kind == Line::Kind::Comment || line.kind == Line::Kind::Blank)
            out.append(bytes.constData() + line.begin, line.next - line.begin);
    }
    const qsizetype rest = sec.endLine < qsizetype(lines.size())
        ? lines[size_t(sec.endLine)].begin
        : bytes.size();
    out.append(bytes.constData() + rest, bytes.size() - rest);
    return out;
}

std::optional<QByteArray>
ProfileEditor::ReplaceSection(const ProfileFile &file, const QByteArray &section,
                              const QList<std::pair<QByteArray, QByteArray>> &entries,
                              const QSet<QByteArray> &kept)
{
    const qsizetype s = file.FindSection(section);
    QByteArray body;
    for (const auto &[key, value] : entries) {
        if (!kept.contains(key)) {
            body += FormatKeyLine(key, value);
            continue;
        }
        if (s <= 0)
            continue;
        if (const std::optional<Line> line = file.KeyLine(s, key)) {
            body += file.Bytes().mid(line->begin, line->end - line->begin);
            body += kLineBreak;
        }
    }

    if (s <= 0)
        return AppendSection(file, section, body);

    const auto &lines = file.Lines();
    const auto &sec = file.SectionList()[size_t(s)];
    qsizetype last = sec.endLine - 1;
    while (last >= sec.firstLine && lines[size_t(last)].kind == Line::Kind::Blank)
        --last;
    if (last < sec.firstLine) {
        auto [at, lineBreak] = After(lines[size_t(sec.header)]);
        return Splice(file.Bytes(), at, at, lineBreak + body);
    }
    return Splice(file.Bytes(), lines[size_t(sec.firstLine)].begin, lines[size_t(last)].next,
                  body);
}
