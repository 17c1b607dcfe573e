#pragma once

#include "platform/Profile.h"

#include <QList>
#include <memory>
#include <vector>

class CAdminDoc;
class CGroup;
class ProfileFile;

// The Groups section, as Users.ini holds the shared groups and a user file the
// personal ones: one key per group, the value its members' logins joined by ",".
class CGroupSection
{
public:
    // The groups of the section in file order; a key that repeats a name read
    // before is skipped. A member that the roster does not know is dropped,
    // or with KeepUnknown kept as a login the next save writes back.
    enum UnknownMembers { DropUnknown, KeepUnknown };
    static std::vector<std::unique_ptr<CGroup>> Load(const ProfileFile &file,
                                                     const CAdminDoc &roster,
                                                     UnknownMembers unknown = DropUnknown);

    // Replaces the section with the groups, in one write, so that a reader
    // never sees it half rewritten. With no groups the section goes. A group
    // whose name the file holds but could not be written again keeps the
    // file's line as it is. Otherwise nothing is written when some group
    // cannot be: the result then says which and why. takenUp is given for
    // groups no client changes (Users.ini's), so that a client's stale
    // rewrite that erased them has them made again; a user's own groups,
    // which the client edits too, are written once.
    static ProfileResult Save(const QString &path, const QList<CGroup *> &groups,
                              const ProfileCheck &takenUp = {});

    // Why these groups cannot be written as they are, or an empty text.
    static QString Check(const QList<CGroup *> &groups);
};
