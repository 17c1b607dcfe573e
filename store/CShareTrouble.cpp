#include "store/CShareTrouble.h"

#include "platform/FileAccess.h"

#include <cerrno>

namespace {

// The system's own words for an error, in the machine's language.
QString Reason(int error)
{
    return qt_error_string(error);
}

} // namespace

QString CShareTrouble::Describe(const QString &directory, const QString &usersIniPath,
                                bool bWasRead)
{
    const FileAccess::StatResult dir = FileAccess::Stat(directory);
    if (FileAccess::IsMissing(dir.error))
        return QStringLiteral("%1: the shared directory does not exist").arg(directory);
    if (dir.error)
        return QStringLiteral("%1: %2").arg(directory, Reason(dir.error));
    if (!dir.IsDirectory())
        return QStringLiteral("%1: not a directory").arg(directory);

    const FileAccess::StatResult file = FileAccess::Stat(usersIniPath);
    if (FileAccess::IsMissing(file.error))
        return bWasRead ? QStringLiteral("%1: the file does not exist").arg(usersIniPath)
                        : QString();
    if (file.error)
        return QStringLiteral("%1: %2").arg(usersIniPath, Reason(file.error));
    if (file.IsDirectory())
        return QStringLiteral("%1: a directory, not a file").arg(usersIniPath);
    if (const int error = FileAccess::Read(usersIniPath).error)
        return QStringLiteral("%1: %2").arg(usersIniPath, Reason(error));
    return QStringLiteral("%1: it could not be read").arg(usersIniPath);
}
