#pragma once

#include <QString>

// Why the roster of a shared directory cannot be read, in words an
// administrator can act on: the path that fails and the reason, such as
// "/srv/notes/Users.ini: Permission denied". Asked only once a read has
// failed, so it may look at the directory and the file again. A directory
// without Users.ini is a share no client has used yet, unless the file was
// there before (bWasRead): only then is its absence trouble. Empty when there
// is no trouble.
class CShareTrouble
{
public:
    static QString Describe(const QString &directory, const QString &usersIniPath,
                            bool bWasRead);
};
