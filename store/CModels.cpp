#include "store/CModels.h"

#include "platform/FileSystem.h"
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
    // A model asked for is taken up once the client lists it as active; one
    // asked off is not reported back.
    ProfileCheck takenUp = Profile::StandingRequest();
    if (value != 0)
        takenUp = [name](const ProfileFile &file) { return file.Value(kActiveSection, name).has_value(); };
    ProfileResult result =
        Profile::WriteString(*path, kRequestSection, name, QByteArray::number(value), takenUp);
    // Several models go to one file: each failure names its model, so that
    // two refused for the same reason stay two lines of the report.
    if (!result)
        result.message = QStringLiteral("The model \"%1\" was not requested: %2")
                             .arg(FileSystem::DecodeName(name), result.message);
    return result;
}
