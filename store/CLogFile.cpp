#include "store/CLogFile.h"

#include "platform/FileAccess.h"
#include "platform/FileSystem.h"
#include "store/CUser.h"

#include <cerrno>

namespace {
const QString kExtension = QStringLiteral(".log");
} // namespace

std::optional<QString> CLogFile::Path(const CUser &user)
{
    return user.UserFilePath(kExtension);
}

bool CLogFile::Exists(const CUser &user)
{
    const std::optional<QString> path = Path(user);
    return path && FileSystem::Exists(*path);
}

FileSystem::Status CLogFile::GetStatus(const CUser &user)
{
    const std::optional<QString> path = Path(user);
    return path ? FileSystem::GetStatus(*path) : FileSystem::Status();
}

bool CLogFile::IsNewer(const FileSystem::Status &now, const FileSystem::Status &before)
{
    if (!now.exists || now.error)
        return false;
    return !before.exists || before.error || now.mtimeNs != before.mtimeNs || now.size != before.size;
}

bool CLogFile::Delete(const CUser &user)
{
    const std::optional<QString> path = Path(user);
    return path && FileSystem::Remove(*path);
}

ProfileResult CLogFile::Request(const CUser &user, qint64 now)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, user.UnusableLoginMessage());
    return Profile::WriteString(*path, QByteArrayLiteral("ExternalControl"),
                                QByteArray::number(now), QByteArrayLiteral("AskForLogs"));
}

ProfileResult CLogFile::Clear(const CUser &user)
{
    const std::optional<QString> path = Path(user);
    if (!path)
        return ProfileResult::Failure(87, user.UnusableLoginMessage());
    errno = 0;
    if (FileSystem::CreateOrTruncate(*path))
        return ProfileResult::Success();
    const int error = errno;
    return ProfileResult::Failure(
        error, QStringLiteral("The log file %1 could not be emptied: %2.")
                   .arg(*path, error ? FileAccess::Describe(*path, error)
                                     : QStringLiteral("unknown error")));
}
