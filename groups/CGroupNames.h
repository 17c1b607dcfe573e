#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class CGroup;

// The rules that keep group names storable. Groups of one level are keys of
// one profile section, and a profile file finds keys without regard to case
// and without their outer blanks: two groups whose names differ only there
// would be one key, and the second would be lost at the next save. So the
// editor and the apply dialog compare names the way the file does, and
// refuse or renumber a name before it can collide.
class CGroupNames
{
public:
    using TakenFn = std::function<bool(const QByteArray &)>;
    static constexpr int kMaxNameLength = 255;

    // The name as the file will hold it: outer blanks go.
    static QByteArray Normalize(const QByteArray &name);
    // Whether a and b would name the same key of a Groups section.
    static bool SameName(const QByteArray &a, const QByteArray &b);
    // The first group of groups that SameName matches, skipping pExcept.
    static CGroup *Find(const QList<CGroup *> &groups, const QByteArray &name,
                        const CGroup *pExcept = nullptr);

    // The bytes of a name the administrator typed, outer blanks gone; an
    // empty text when it converts, else why not (a character the shared
    // directory's files cannot hold).
    static QString FromText(const QString &csText, QByteArray &name);
    // Why name cannot be given to a group, or an empty text: it is empty, a
    // profile key cannot hold it, or taken says another group has it.
    static QString Check(const QByteArray &name, const TakenFn &taken);

    // The name of a copy of a group called name: "Copy of <name>", and when
    // that is taken "Copy of <name> (2)", "(3)" and so on.
    static QByteArray CopyName(const QByteArray &name, const TakenFn &taken);

    // The name of a newly created group: "New group #<n>" with the next
    // number of nCounter, skipping numbers whose name is taken. nCounter is
    // left at the number used.
    static QByteArray NewGroupName(int &nCounter, const TakenFn &taken);
};
