#include "platform/FileAccess.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

// The words for what FileAccess refuses and for the errors it passes on.

QString FileAccess::Describe(const QString &path, int error)
{
    const auto target = [&] {
        char buffer[4096];
        const ssize_t n = ::readlink(NativePath(path).constData(), buffer, sizeof buffer);
        return n < 0 ? QStringLiteral("?") : QFile::decodeName(QByteArray(buffer, n));
    };
    switch (error) {
    case IsLink:
        return QStringLiteral("it is a symbolic link (to \"%1\"), and links in the shared "
                              "directory are never followed")
            .arg(target());
    case IsDanglingLink:
        return QStringLiteral("it is a symbolic link to \"%1\", which does not exist").arg(target());
    case IsFifo:
        return QStringLiteral("it is a FIFO (named pipe), not a regular file");
    case IsDevice:
        return QStringLiteral("it is a device, not a regular file");
    case IsSocket:
        return QStringLiteral("it is a socket, not a regular file");
    case EISDIR:
        return QStringLiteral("it is a directory, not a regular file");
    case IsTooLarge:
        return QStringLiteral("it is larger than %1 MiB, far beyond any profile file")
            .arg(MaxFileSize / (1024 * 1024));
    case HasOtherNames:
        return QStringLiteral("it has other names (hard links), which would change with it");
    case IsUtf16:
        return QStringLiteral("it holds UTF-16 (Unicode) text, and this tool edits only the "
                              "clients' 8-bit text");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("its folder does not exist");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
