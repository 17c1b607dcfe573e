#include "store/CModels.h"

#include "platform/ProfileFile.h"
#include "store/CUser.h"

#include <QSet>

namespace {
const QByteArray kActiveSection = QByteArrayLiteral("ActiveModels");
const QByteArray kRequestSection = QByteArrayLiteral("Models");
} // namespace

QList<QByteArray> CModels::ReadActive(const CUser &user)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return {};
    QList<QByteArray> names;
    QSet<QByteArray> seen;
    for (const QByteArray &name : Profile::GetKeys(*path, kActiveSection)) {
        if (!name.isEmpty() && !seen.contains(ProfileFile::FoldName(name))) {
            seen.insert(ProfileFile::FoldName(name));
            names.append(name);
        }
    }
    return names;
}

ProfileResult CModels::Request(const CUser &user, const QByteArray &name, int value)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, user.UnusableLoginMessage());
    return Profile::WriteString(*path, kRequestSection, name, QByteArray::number(value));
}
