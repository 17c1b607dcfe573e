#include "store/CPendingNotes.h"

#include "platform/FileSystem.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"
#include "store/CUserStatus.h"

#include <algorithm>
#include <limits>

namespace {

const QString kUserFileExtension = QStringLiteral(".INI");

// The keys of one section of the user file; none when the login cannot
// name a file or the file or section is missing.
QList<QByteArray> SectionKeys(const CUser &user, const char *section, bool *pbFailed)
{
    bool bFailed = false;
    QList<QByteArray> keys;
    if (const std::optional<QString> path = user.UserFilePath(kUserFileExtension))
        keys = Profile::GetKeys(*path, QByteArray(section), &bFailed);
    if (pbFailed)
        *pbFailed = bFailed;
    return keys;
}

bool StartsWithNumber(const QByteArray &key)
{
    qsizetype i = 0;
    while (i < key.size() && (key[i] == ' ' || (key[i] >= '\t' && key[i] <= '\r')))
        ++i;
    if (i < key.size() && (key[i] == '+' || key[i] == '-'))
        ++i;
    return i < key.size() && key[i] >= '0' && key[i] <= '9';
}

} // namespace

int CPendingNotes::CountNotifications(const CUser &user, bool *pbReadFailed)
{
    return int(SectionKeys(user, NotificationsSection, pbReadFailed).size());
}

CPendingNotes::NoteCheck CPendingNotes::CheckNotes(const CUser &user, QList<quint16> &missing)
{
    NoteCheck check;
    const QList<QByteArray> keys = SectionKeys(user, NotesSection, &check.bReadFailed);
    const QString dir = g_shareDirectory.Get();
    for (const QByteArray &key : keys) {
        ++check.nCount;
        const std::optional<quint16> number = NoteNumber(key);
        if (number && !FileSystem::Exists(NoteFilePath(dir, *number)))
            missing.append(*number);
    }
    return check;
}

std::optional<quint16> CPendingNotes::NoteNumber(const QByteArray &key)
{
    if (!StartsWithNumber(key))
        return std::nullopt;
    // The clients read the number with the C runtime, which stops at the
    // int range, and keep its low 16 bits.
    const qint64 value = std::clamp<qint64>(CrtAtoi(key), std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max());
    return quint16(quint64(value) & 0xFFFF);
}

QString CPendingNotes::NoteFilePath(const QString &dir, quint16 nNumber)
{
    return FileSystem::ResolveInDir(dir, QStringLiteral("note%1").arg(qint16(nNumber)));
}

QByteArray CPendingNotes::UpgradeValue(const QByteArray &mode, const QByteArray &directory)
{
    QByteArray value;
    if (!mode.isEmpty()) {
        value = mode;
        if (!directory.isEmpty())
            value += ',' + directory;
    }
    return value;
}

QString CPendingNotes::CheckUpgradeValue(const QByteArray &value)
{
    return Profile::CheckValue(value);
}

ProfileResult CPendingNotes::WriteUpgradeRequest(const CUser &user, const QByteArray &value)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, user.UnusableLoginMessage());
    return Profile::WriteString(*path, QByteArray(NotesSection), QByteArray(UpgradeKey), value);
}
