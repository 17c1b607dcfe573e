#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// An immutable, parsed view of one profile (.ini) file's bytes, read the way
// the Windows profile functions read it: names match without regard to ASCII
// case, the first matching section and the first matching key win, blanks
// (space, tab, VT) around names and values are ignored, one pair of matching
// outer quotes is stripped from a value, lines whose first non-blank
// character is ';' are comments, and lines before the first section header
// belong to no section. Values and lists are returned whole, never cut.
//
// Lookups are hashed, so many lookups in one snapshot cost one parse. The
// parse keeps offsets into the bytes instead of copies, so a large roster
// costs little more than reading it.
class ProfileFile
{
public:
    enum class State { Missing, Ok, Error };

    ProfileFile() = default; // a missing file
    static ProfileFile Parse(const QByteArray &bytes);
    static ProfileFile Failed(); // the file exists but could not be read

    State GetState() const { return m_state; }
    bool Exists() const { return m_state == State::Ok; }
    bool HasError() const { return m_state == State::Error; }
    const QByteArray &Bytes() const { return m_bytes; }
    // About how much memory this snapshot holds, its line table included
    // (whether or not it was needed yet): what a cache of them counts.
    qsizetype MemoryUsage() const;

    // The value of key in section, or nullopt when the file, the section or
    // the key is missing. Section and key are trimmed of spaces first.
    std::optional<QByteArray> Value(const QByteArray &section, const QByteArray &key) const;
    // The same without a copy: a view into Bytes(), valid while this lives.
    // sectionIndex as FindSection() gives it, for many keys of one section.
    std::optional<QByteArrayView> ValueView(const QByteArray &section, const QByteArray &key) const;
    std::optional<QByteArrayView> ValueView(qsizetype sectionIndex, const QByteArray &key) const;
    // GetPrivateProfileString with a buffer large enough for anything.
    QByteArray String(const QByteArray &section, const QByteArray &key,
                      const QByteArray &def = QByteArray()) const;
    // GetPrivateProfileInt: decimal with sign, stops at the first non-digit,
    // wraps modulo 2^32; missing key or empty value gives def.
    quint32 Int(const QByteArray &section, const QByteArray &key, quint32 def) const;
    bool HasSection(const QByteArray &section) const;
    // Key names of the first matching section, in file order, duplicates kept.
    QList<QByteArray> Keys(const QByteArray &section) const;
    // (key, value) pairs of the first matching section, in file order.
    QList<std::pair<QByteArray, QByteArray>> Entries(const QByteArray &section) const;
    // Every section name in file order, duplicates kept.
    QList<QByteArray> Sections() const;
    // The trimmed non-comment lines of the section (GetPrivateProfileSection):
    // "key=value" with the value as written (quotes kept), other lines as they are.
    QList<QByteArray> SectionLines(const QByteArray &section) const;

    // The default of GetPrivateProfileString as it is returned: up to a NUL,
    // without trailing spaces.
    static QByteArray DefaultValue(const QByteArray &def);
    // Folding used for names: ASCII letters only, as the clients do.
    static QByteArray FoldName(const QByteArray &name);
    // Trimming of the name arguments of a call: spaces only.
    static QByteArray TrimArgument(const QByteArray &name);
    // The integer a profile value stands for (GetPrivateProfileInt on a
    // value that is present and not empty).
    static quint32 ParseInt(QByteArrayView value);
    // The longest name argument the clients can pass: theirs are converted
    // through counted strings, so a longer one never names anything.
    static constexpr qsizetype MaxArgumentLength = 65534;

    struct Line
    {
        enum class Kind { Blank, Comment, Section, Key, Other };
        Kind kind = Kind::Blank;
        bool quoted = false;       // Key: the value had one pair of outer quotes
        qsizetype begin = 0;       // offset of the line's first byte
        qsizetype end = 0;         // offset just past the line's text (before its break)
        qsizetype next = 0;        // offset of the next line (after the break)
        qsizetype textBegin = 0;   // the line's text without outer blanks
        qsizetype textEnd = 0;
        qsizetype nameBegin = 0;   // Section/Key: the name, trimmed, up to a NUL
        qsizetype nameEnd = 0;
        qsizetype valueBegin = 0;  // Key: the value, trimmed, quotes included
        qsizetype valueEnd = 0;
    };
    struct Section
    {
        QByteArray name;         // as in the file
        qsizetype header = -1;   // index of the header line, -1 for the lines before the first section
        qsizetype headerBegin = 0; // offset of the header line
        qsizetype firstLine = 0; // first line after the header
        qsizetype endLine = 0;   // one past the last line of the section
        bool first = false;      // the first section of its name: the one that is searched
    };
    // Every line of the file; worked out on first use, as only writers need it.
    const std::vector<Line> &Lines() const;
    const std::vector<Section> &SectionList() const { return m_sections; }
    // Index into SectionList() of the first section of that name, or -1.
    qsizetype FindSection(const QByteArray &section) const;
    // Index into Lines() of the first key line of that name in the section
    // at sectionIndex, or -1.
    qsizetype FindKeyLine(qsizetype sectionIndex, const QByteArray &key) const;

    // The line that starts at offset (a Line's begin), worked out alone:
    // an edit of one key needs no table of every line.
    Line LineAt(qsizetype offset) const;
    // The first key line of that name in the section, and the section's
    // last key line; nullopt when there is none.
    std::optional<Line> KeyLine(qsizetype sectionIndex, const QByteArray &key) const;
    std::optional<Line> LastKeyLine(qsizetype sectionIndex) const;

    // The name of a section or key line, as the clients see it.
    QByteArray LineName(const Line &line) const;
    // The value of a key line as read: unquoted, up to a NUL.
    QByteArray LineValue(const Line &line) const;

private:
    // A key line of a searched section, as lookups need it.
    // 32-bit offsets (a file of 4 GiB is refused): a large roster holds
    // hundreds of thousands of these.
    struct Key
    {
        quint32 nameBegin = 0;
        quint32 valueBegin = 0; // unquoted, and its length up to a NUL
        quint32 line = 0;
        quint32 nameLength = 0;
        quint32 valueLength = 0;
    };
    struct Slot
    {
        quint32 hash = 0;
        quint32 index = 0; // key or section index + 1; 0 for an empty slot
    };
    struct LineTable;

    static Line ScanLine(const char *data, qsizetype begin, qsizetype end, qsizetype size);
    template <typename Same>
    static qsizetype FindSlot(const std::vector<Slot> &slots, quint32 hash, Same &&same);
    template <typename Same>
    static bool InsertSlot(std::vector<Slot> &slots, quint32 hash, qsizetype index, Same &&same);
    void BuildKeyIndex();
    qsizetype FindKey(qsizetype sectionIndex, const QByteArray &key) const;
    QByteArrayView KeyName(const Key &key) const;
    QByteArray KeyValue(const Key &key) const;

    State m_state = State::Missing;
    QByteArray m_bytes;
    std::vector<Section> m_sections; // [0] holds the lines before the first header
    std::vector<Key> m_keys;          // keys of searched sections, in file order
    std::vector<std::pair<qsizetype, qsizetype>> m_sectionKeys; // per section: range in m_keys
    std::vector<Slot> m_sectionSlots; // first section of each name
    std::vector<Slot> m_keySlots;     // first key of each name in each searched section
    std::shared_ptr<LineTable> m_lineTable;
};
