#include "platform/ProfileFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// The clients' parser takes space, tab and vertical tab as blanks.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

inline uchar Fold(uchar c)
{
    return (c >= 'A' && c <= 'Z') ? uchar(c + ('a' - 'A')) : c;
}

quint32 FoldedHash(QByteArrayView name, quint32 seed)
{
    quint32 h = 2166136261u ^ (seed * 0x9E3779B9u);
    for (char c : name) {
        h ^= Fold(uchar(c));
        h *= 16777619u;
    }
    return h;
}

bool FoldedEqual(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto *p = reinterpret_cast<const uchar *>(a.data());
    const auto *q = reinterpret_cast<const uchar *>(b.data());
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (p[i] != q[i] && Fold(p[i]) != Fold(q[i]))
            return false;
    }
    return true;
}

// A name as the clients would match it: a C string (cut at a NUL), at most
// MaxArgumentLength long, with spaces around it ignored. nullopt when no
// name in any file can match.
std::optional<QByteArrayView> ArgumentView(const QByteArray &arg)
{
    const char *d = arg.constData();
    qsizetype n = 0;
    while (n < arg.size() && d[n] != '\0')
        ++n;
    QByteArrayView v(d, n);
    if (v.size() > ProfileFile::MaxArgumentLength)
        return std::nullopt;
    while (!v.isEmpty() && v.front() == ' ')
        v = v.sliced(1);
    while (!v.isEmpty() && v.back() == ' ')
        v.chop(1);
    return v;
}

// The end of a name that a NUL may cut short: the blanks the NUL leaves at
// its end go, as they do at the end of any other name.
qsizetype CutAtNul(const char *data, qsizetype begin, qsizetype end)
{
    qsizetype cut = begin;
    if (end - begin > 64) {
        const void *nul = std::memchr(data + begin, 0, size_t(end - begin));
        cut = nul ? static_cast<const char *>(nul) - data : end;
    } else {
        while (cut < end && data[cut] != '\0')
            ++cut;
    }
    if (cut < end) {
        while (cut > begin && IsBlank(data[cut - 1]))
            --cut;
    }
    return cut;
}

// Finds line ends with memchr over long stretches: each of CR and LF is
// searched for once per stretch that lacks it, not once per line.
class LineEnds
{
public:
    LineEnds(const char *data, qsizetype size) : m_d(data), m_n(size) {}
    qsizetype Next(qsizetype from)
    {
        if (m_cr < from)
            m_cr = Find('\r', from);
        if (m_lf < from)
            m_lf = Find('\n', from);
        return qMin(m_cr, m_lf);
    }

private:
    qsizetype Find(char c, qsizetype from) const
    {
        const void *p = std::memchr(m_d + from, c, size_t(m_n - from));
        return p ? static_cast<const char *>(p) - m_d : m_n;
    }
    const char *m_d;
    qsizetype m_n;
    qsizetype m_cr = -1;
    qsizetype m_lf = -1;
};

} // namespace

struct ProfileFile::LineTable
{
    std::once_flag once;
    std::vector<Line> lines;
};

ProfileFile ProfileFile::Failed()
{
    ProfileFile f;
    f.m_state = State::Error;
    return f;
}

ProfileFile::Line ProfileFile::ScanLine(const char *d, qsizetype begin, qsizetype e, qsizetype n)
{
    Line line;
    line.begin = begin;
    line.end = e;
    line.next = e;
    if (e < n)
        line.next = (d[e] == '\r' && e + 1 < n && d[e + 1] == '\n') ? e + 2 : e + 1;

    qsizetype b = begin;
    while (b < e && IsBlank(d[b]))
        ++b;
    qsizetype t = e;
    while (t > b && IsBlank(d[t - 1]))
        --t;
    line.textBegin = b;
    line.textEnd = t;

    if (b == e) {
        line.kind = Line::Kind::Blank;
    } else if (d[b] == ';') {
        line.kind = Line::Kind::Comment;
    } else if (d[b] == '[') {
        // The name ends at the first ']', or with the line when there is none.
        line.kind = Line::Kind::Section;
        const void *close = std::memchr(d + b + 1, ']', size_t(e - b - 1));
        qsizetype ne = close ? static_cast<const char *>(close) - d : e;
        qsizetype nb = b + 1;
        while (nb < ne && IsBlank(d[nb]))
            ++nb;
        while (ne > nb && IsBlank(d[ne - 1]))
            --ne;
        line.nameBegin = nb;
        line.nameEnd = CutAtNul(d, nb, ne);
    } else if (const void *eq = std::memchr(d + b, '=', size_t(t - b))) {
        line.kind = Line::Kind::Key;
        const qsizetype q = static_cast<const char *>(eq) - d;
        qsizetype ne = q;
        while (ne > b && IsBlank(d[ne - 1]))
            --ne;
        line.nameBegin = b;
        line.nameEnd = CutAtNul(d, b, ne);
        qsizetype vb = q + 1;
        while (vb < t && IsBlank(d[vb]))
            ++vb;
        line.valueBegin = vb;
        line.valueEnd = t;
        line.quoted = t - vb >= 2 && (d[vb] == '"' || d[vb] == '\'') && d[t - 1] == d[vb];
    } else {
        line.kind = Line::Kind::Other;
    }
    return line;
}

ProfileFile ProfileFile::Parse(const QByteArray &bytes)
{
    // Offsets of keys are kept in 32 bits; a profile file of 4 GiB is not one.
    if (bytes.size() >= (qsizetype(1) << 32) - 1)
        return Failed();
    ProfileFile f;
    f.m_state = State::Ok;
    f.m_bytes = bytes;
    f.m_lineTable = std::make_shared<LineTable>();
    const char *d = bytes.constData();
    const qsizetype n = bytes.size();

    f.m_sections.push_back(Section{});
    f.m_sectionKeys.push_back({0, 0});
    // One key at most per line: room for that many, and no more.
    f.m_keys.reserve(size_t(std::count(d, d + n, '\n') + 1));
    qsizetype lineIndex = 0;
    LineEnds ends(d, n);
    for (qsizetype pos = 0; pos < n; ++lineIndex) {
        const Line line = ScanLine(d, pos, ends.Next(pos), n);
        pos = line.next;
        if (line.kind == Line::Kind::Section) {
            f.m_sections.back().endLine = lineIndex;
            f.m_sectionKeys.back().second = qsizetype(f.m_keys.size());
            Section s;
            s.name = QByteArray(d + line.nameBegin, line.nameEnd - line.nameBegin);
            s.header = lineIndex;
            s.headerBegin = line.begin;
            s.firstLine = lineIndex + 1;
            f.m_sections.push_back(std::move(s));
            f.m_sectionKeys.push_back({qsizetype(f.m_keys.size()), 0});
        } else if (line.kind == Line::Kind::Key && f.m_sections.size() > 1) {
            Key key;
            key.nameBegin = quint32(line.nameBegin);
            key.nameLength = quint32(line.nameEnd - line.nameBegin);
            const qsizetype vb = line.valueBegin + (line.quoted ? 1 : 0);
            const qsizetype ve = line.valueEnd - (line.quoted ? 1 : 0);
            key.valueBegin = quint32(vb);
            key.valueLength = quint32(CutAtNul(d, vb, ve) - vb);
            key.line = quint32(lineIndex);
            f.m_keys.push_back(key);
        }
    }
    f.m_sections.back().endLine = lineIndex;
    f.m_sectionKeys.back().second = qsizetype(f.m_keys.size());
    f.BuildKeyIndex();
    return f;
}

qsizetype ProfileFile::MemoryUsage() const
{
    const size_t lines = m_sections.empty() ? 0 : size_t(m_sections.back().endLine);
    return m_bytes.size()
        + qsizetype(m_keys.capacity() * sizeof(Key) + lines * sizeof(Line)
                    + (m_keySlots.size() + m_sectionSlots.size()) * sizeof(Slot)
                    + m_sections.size() * (sizeof(Section) + sizeof(m_sectionKeys[0])));
}

const std::vector<ProfileFile::Line> &ProfileFile::Lines() const
{
    static const std::vector<Line> none;
    if (!m_lineTable)
        return none;
    std::call_once(m_lineTable->once, [this] {
        std::vector<Line> &lines = m_lineTable->lines;
        lines.reserve(size_t(m_sections.back().endLine));
        LineEnds ends(m_bytes.constData(), m_bytes.size());
        for (qsizetype pos = 0; pos < m_bytes.size();) {
            lines.push_back(ScanLine(m_bytes.constData(), pos, ends.Next(pos), m_bytes.size()));
            pos = lines.back().next;
        }
    });
    return m_lineTable->lines;
}

template <typename Same>
qsizetype ProfileFile::FindSlot(const std::vector<Slot> &slots, quint32 hash, Same &&same)
{
    if (slots.empty())
        return -1;
    const size_t mask = slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &s = slots[i];
        if (s.index == 0)
            return -1;
        if (s.hash == hash && same(qsizetype(s.index - 1)))
            return qsizetype(s.index - 1);
    }
}

template <typename Same>
bool ProfileFile::InsertSlot(std::vector<Slot> &slots, quint32 hash, qsizetype index, Same &&same)
{
    const size_t mask = slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot &s = slots[i];
        if (s.index == 0) {
            s = Slot{hash, quint32(index + 1)};
            return true;
        }
        if (s.hash == hash && same(qsizetype(s.index - 1)))
            return false; // the first of that name wins
    }
}

static size_t TableSize(size_t entries)
{
    size_t size = 8;
    while (size < entries + entries / 2)
        size *= 2;
    return size;
}

QByteArrayView ProfileFile::KeyName(const Key &key) const
{
    return QByteArrayView(m_bytes.constData() + key.nameBegin, key.nameLength);
}

void ProfileFile::BuildKeyIndex()
{
    m_sectionSlots.assign(TableSize(m_sections.size()), Slot{});
    size_t keys = 0;
    for (size_t s = 1; s < m_sections.size(); ++s) {
        const QByteArray &name = m_sections[s].name;
        m_sections[s].first =
            InsertSlot(m_sectionSlots, FoldedHash(name, 0), qsizetype(s), [&](qsizetype other) {
                return FoldedEqual(m_sections[size_t(other)].name, name);
            });
        if (m_sections[s].first)
            keys += size_t(m_sectionKeys[s].second - m_sectionKeys[s].first);
    }
    // Only the first section of each name is ever searched, so only its keys
    // are indexed; the lines before the first header belong to no section.
    m_keySlots.assign(TableSize(keys), Slot{});
    const size_t mask = m_keySlots.size() - 1;
    std::vector<quint32> hashes;
    for (size_t s = 1; s < m_sections.size(); ++s) {
        if (!m_sections[s].first)
            continue;
        const qsizetype from = m_sectionKeys[s].first, to = m_sectionKeys[s].second;
        hashes.resize(size_t(to - from));
        for (qsizetype k = from; k < to; ++k)
            hashes[size_t(k - from)] = FoldedHash(KeyName(m_keys[size_t(k)]), quint32(s));
        // The slots are met in no order: ask for them a little ahead.
        constexpr qsizetype ahead = 8;
        for (qsizetype k = from; k < to; ++k) {
            if (k + ahead < to)
                __builtin_prefetch(&m_keySlots[hashes[size_t(k + ahead - from)] & mask], 1);
            const QByteArrayView name = KeyName(m_keys[size_t(k)]);
            InsertSlot(m_keySlots, hashes[size_t(k - from)], k, [&](qsizetype other) {
                return other >= from && other < to
                    && FoldedEqual(KeyName(m_keys[size_t(other)]), name);
            });
        }
    }
}

qsizetype ProfileFile::FindSection(const QByteArray &section) const
{
    std::optional<QByteArrayView> name = ArgumentView(section);
    if (!name)
        return -1;
    return FindSlot(m_sectionSlots, FoldedHash(*name, 0), [&](qsizetype s) {
        return FoldedEqual(m_sections[size_t(s)].name, *name);
    });
}

qsizetype ProfileFile::FindKey(qsizetype sectionIndex, const QByteArray &key) const
{
    if (sectionIndex <= 0 || sectionIndex >= qsizetype(m_sections.size()))
        return -1;
    std::optional<QByteArrayView> name = ArgumentView(key);
    if (!name)
        return -1;
    const qsizetype from = m_sectionKeys[size_t(sectionIndex)].first;
    const qsizetype to = m_sectionKeys[size_t(sectionIndex)].second;
    return FindSlot(m_keySlots, FoldedHash(*name, quint32(sectionIndex)), [&](qsizetype k) {
        return k >= from && k < to && FoldedEqual(KeyName(m_keys[size_t(k)]), *name);
    });
}

qsizetype ProfileFile::FindKeyLine(qsizetype sectionIndex, const QByteArray &key) const
{
    const qsizetype k = FindKey(sectionIndex, key);
    return k < 0 ? -1 : m_keys[size_t(k)].line;
}

QByteArray ProfileFile::KeyValue(const Key &key) const
{
    return QByteArray(m_bytes.constData() + key.valueBegin, key.valueLength);
}

ProfileFile::Line ProfileFile::LineAt(qsizetype offset) const
{
    const char *d = m_bytes.constData();
    qsizetype end = offset;
    while (end < m_bytes.size() && d[end] != '\r' && d[end] != '\n')
        ++end;
    return ScanLine(d, offset, end, m_bytes.size());
}

// A key's line begins after the blanks that precede its name.
static qsizetype LineBeginOfName(const char *d, qsizetype nameBegin)
{
    while (nameBegin > 0 && IsBlank(d[nameBegin - 1]))
        --nameBegin;
    return nameBegin;
}

std::optional<ProfileFile::Line> ProfileFile::KeyLine(qsizetype sectionIndex,
                                                      const QByteArray &key) const
{
    const qsizetype k = FindKey(sectionIndex, key);
    if (k < 0)
        return std::nullopt;
    return LineAt(LineBeginOfName(m_bytes.constData(), m_keys[size_t(k)].nameBegin));
}

std::optional<ProfileFile::Line> ProfileFile::LastKeyLine(qsizetype sectionIndex) const
{
    if (sectionIndex <= 0 || sectionIndex >= qsizetype(m_sections.size()))
        return std::nullopt;
    const auto [from, to] = m_sectionKeys[size_t(sectionIndex)];
    if (from == to)
        return std::nullopt;
    return LineAt(LineBeginOfName(m_bytes.constData(), m_keys[size_t(to - 1)].nameBegin));
}

QByteArray ProfileFile::LineName(const Line &line) const
{
    return m_bytes.sliced(line.nameBegin, line.nameEnd - line.nameBegin);
}

QByteArray ProfileFile::LineValue(const Line &line) const
{
    qsizetype b = line.valueBegin;
    qsizetype e = line.valueEnd;
    if (line.quoted) {
        ++b;
        --e;
    }
    return m_bytes.sliced(b, CutAtNul(m_bytes.constData(), b, e) - b);
}

std::optional<QByteArrayView> ProfileFile::ValueView(qsizetype sectionIndex,
                                                     const QByteArray &key) const
{
    const qsizetype k = FindKey(sectionIndex, key);
    if (k < 0)
        return std::nullopt;
    const Key &found = m_keys[size_t(k)];
    return QByteArrayView(m_bytes.constData() + found.valueBegin, found.valueLength);
}

std::optional<QByteArrayView> ProfileFile::ValueView(const QByteArray &section,
                                                     const QByteArray &key) const
{
    return ValueView(FindSection(section), key);
}

std::optional<QByteArray> ProfileFile::Value(const QByteArray &section,
                                             const QByteArray &key) const
{
    const qsizetype k = FindKey(FindSection(section), key);
    if (k < 0)
        return std::nullopt;
    return KeyValue(m_keys[size_t(k)]);
}

QByteArray ProfileFile::String(const QByteArray &section, const QByteArray &key,
                               const QByteArray &def) const
{
    if (std::optional<QByteArray> v = Value(section, key))
        return std::move(*v);
    return DefaultValue(def);
}

QByteArray ProfileFile::DefaultValue(const QByteArray &def)
{
    // The default loses its trailing spaces only (not tabs, not leading ones).
    QByteArrayView d(def);
    if (qsizetype nul = d.indexOf('\0'); nul >= 0)
        d = d.first(nul);
    while (!d.isEmpty() && d.back() == ' ')
        d.chop(1);
    return d.toByteArray();
}

quint32 ProfileFile::ParseInt(QByteArrayView v)
{
    qsizetype i = 0;
    while (i < v.size() && uchar(v[i]) <= ' ')
        ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) {
        negative = v[i] == '-';
        ++i;
    }
    quint32 base = 10;
    if (i + 1 < v.size() && v[i] == '0') {
        switch (v[i + 1]) {
        case 'x': base = 16; break;
        case 'o': base = 8; break;
        case 'b': base = 2; break;
        default: break;
        }
        if (base != 10)
            i += 2;
    }
    quint32 total = 0;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        quint32 digit;
        if (c >= '0' && c <= '9')
            digit = quint32(c - '0');
        else if (c >= 'a' && c <= 'z')
            digit = quint32(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z')
            digit = quint32(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        total = total * base + digit; // wraps modulo 2^32 as the clients' does
    }
    return negative ? 0u - total : total;
}

quint32 ProfileFile::Int(const QByteArray &section, const QByteArray &key, quint32 def) const
{
    std::optional<QByteArray> v = Value(section, key);
    if (!v || v->isEmpty())
        return def;
    return ParseInt(*v);
}

bool ProfileFile::HasSection(const QByteArray &section) const
{
    return FindSection(section) > 0;
}

QList<QByteArray> ProfileFile::Keys(const QByteArray &section) const
{
    QList<QByteArray> keys;
    const qsizetype s = FindSection(section);
    if (s <= 0)
        return keys;
    const auto [from, to] = m_sectionKeys[size_t(s)];
    keys.reserve(to - from);
    for (qsizetype k = from; k < to; ++k)
        keys.append(KeyName(m_keys[size_t(k)]).toByteArray());
    return keys;
}

QList<std::pair<QByteArray, QByteArray>> ProfileFile::Entries(const QByteArray &section) const
{
    QList<std::pair<QByteArray, QByteArray>> entries;
    const qsizetype s = FindSection(section);
    if (s <= 0)
        return entries;
    const auto [from, to] = m_sectionKeys[size_t(s)];
    entries.reserve(to - from);
    for (qsizetype k = from; k < to; ++k)
        entries.append({KeyName(m_keys[size_t(k)]).toByteArray(), KeyValue(m_keys[size_t(k)])});
    return entries;
}

QList<QByteArray> ProfileFile::Sections() const
{
    QList<QByteArray> names;
    names.reserve(qsizetype(m_sections.size()) - 1);
    for (size_t s = 1; s < m_sections.size(); ++s)
        names.append(m_sections[s].name);
    return names;
}

QList<QByteArray> ProfileFile::SectionLines(const QByteArray &section) const
{
    QList<QByteArray> lines;
    qsizetype s = FindSection(section);
    if (s <= 0)
        return lines;
    const char *d = m_bytes.constData();
    const Section &sec = m_sections[size_t(s)];
    const std::vector<Line> &all = Lines();
    for (qsizetype i = sec.firstLine; i < sec.endLine; ++i) {
        const Line &line = all[size_t(i)];
        if (line.kind == Line::Kind::Key) {
            QByteArray text = LineName(line);
            text += '=';
            text.append(d + line.valueBegin,
                        CutAtNul(d, line.valueBegin, line.valueEnd) - line.valueBegin);
            lines.append(text);
        } else if (line.kind == Line::Kind::Other) {
            lines.append(m_bytes.sliced(line.textBegin,
                                        CutAtNul(d, line.textBegin, line.textEnd) - line.textBegin));
        }
    }
    return lines;
}

QByteArray ProfileFile::FoldName(const QByteArray &name)
{
    QByteArray folded = name;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const char c = folded.at(i);
        if (c >= 'A' && c <= 'Z')
            folded[i] = char(c + ('a' - 'A'));
    }
    return folded;
}

QByteArray ProfileFile::TrimArgument(const QByteArray &name)
{
    qsizetype b = 0;
    qsizetype e = name.size();
    while (b < e && name.at(b) == ' ')
        ++b;
    while (e > b && name.at(e - 1) == ' ')
        --e;
    return (b == 0 && e == name.size()) ? name : name.sliced(b, e - b);
}
