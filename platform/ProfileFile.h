#pragma once

#include <QByteArray>
#include <QList>
#include <QHash>
#include <optional>
#include <vector>

// An immutable, parsed view of one profile (.ini) file's bytes, read the way
// the Windows profile functions read it: names match without regard to ASCII
// case, the first matching section and the first matching key win, blanks
// (space, tab, VT) around names and values are ignored, one pair of matching
// outer quotes is stripped from a value, lines whose first non-blank
// character is ';' are comments, and lines before the first section header
// belong to no section. Values and lists are returned whole, never cut.
//
// Lookups are hashed, so many lookups in one snapshot cost one parse.
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

    // The value of key in section, or nullopt when the file, the section or
    // the key is missing. Section and key are trimmed of spaces first.
    std::optional<QByteArray> Value(const QByteArray &section, const QByteArray &key) const;
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
    // The trimmed non-comment lines of the section (GetPrivateProfileSection).
    QList<QByteArray> SectionLines(const QByteArray &section) const;

    // Folding used for names: ASCII letters only, as the clients do.
    static QByteArray FoldName(const QByteArray &name);
    // Trimming of the name arguments of a call: spaces only.
    static QByteArray TrimArgument(const QByteArray &name);

    struct Line
    {
        enum class Kind { Blank, Comment, Section, Key, Other };
        Kind kind = Kind::Blank;
        qsizetype begin = 0;  // offset of the line's first byte
        qsizetype end = 0;    // offset just past the line's text (before its break)
        qsizetype next = 0;   // offset of the next line (after the break)
        QByteArray name;      // section or key name, trimmed, as in the file
        QByteArray value;     // key value, trimmed and unquoted
    };
    struct Section
    {
        QByteArray name;         // as in the file
        qsizetype header = -1;   // index of the header line, -1 for the lines before the first section
        qsizetype firstLine = 0; // first line after the header
        qsizetype endLine = 0;   // one past the last line of the section
        QHash<QByteArray, qsizetype> keyIndex; // folded key -> first key line
    };
    const std::vector<Line> &Lines() const { return m_lines; }
    const std::vector<Section> &SectionList() const { return m_sections; }
    // Index into SectionList() of the first section of that name, or -1.
    qsizetype FindSection(const QByteArray &section) const;

private:
    State m_state = State::Missing;
    QByteArray m_bytes;
    std::vector<Line> m_lines;
    std::vector<Section> m_sections; // [0] holds the lines before the first header
    QHash<QByteArray, qsizetype> m_sectionIndex; // folded name -> first section
};
