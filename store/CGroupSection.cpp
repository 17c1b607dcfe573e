#include "store/CGroupSection.h"

#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QHash>
#include <QSet>

namespace {

const QByteArray kGroups = QByteArrayLiteral("Groups");

QString Name(const QByteArray &bytes)
{
    return FileSystem::DecodeName(bytes);
}

} // namespace

std::vector<std::unique_ptr<CGroup>> CGroupSection::Load(const ProfileFile &file,
                                                         const CAdminDoc &roster,
                                                         UnknownMembers unknown)
{
    std::vector<std::unique_ptr<CGroup>> groups;
    QSet<QByteArray> names;
    QList<QByteArray> logins;
    for (const QByteArray &name : file.Keys(kGroups)) {
        if (names.contains(name))
            continue;
        names.insert(name);
        auto group = std::make_unique<CGroup>(name);
        CGroup::ParseMemberList(file.String(kGroups, name), logins);
        for (const QByteArray &login : logins) {
            if (CUser *user = roster.FindUser(login))
                group->append(user);
            else if (unknown == KeepUnknown)
                group->KeepLogin(login);
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

QString CGroupSection::Check(const QList<CGroup *> &groups)
{
    QHash<QByteArray, QByteArray> membersByFoldedName;
    for (const CGroup *group : groups) {
        if (!group)
            continue;
        const QByteArray name = group->GetName();
        QString why = Profile::CheckKeyName(name);
        if (!why.isEmpty())
            return QStringLiteral("The group \"%1\" cannot be saved: %2").arg(Name(name), why);
        // Profile names match without regard to case: of two groups whose
        // names differ only in case, the second reads back with the first
        // one's members, so it may only be written when it has the same.
        const QByteArray key = ProfileFile::FoldName(ProfileFile::TrimArgument(name));
        const QByteArray members = group->GetMemberList();
        const auto first = membersByFoldedName.constFind(key);
        if (first == membersByFoldedName.cend())
            membersByFoldedName.insert(key, members);
        else if (*first != members)
            return QStringLiteral("The group \"%1\" cannot be saved: another group has the same "
                                  "name in other letter case.").arg(Name(name));
        for (const CUser *member : *group) {
            if (!member)
                continue;
            const QByteArray login = member->GetLogin();
            if (login.isEmpty() || login.contains(','))
                return QStringLiteral("The group \"%1\" cannot be saved: the login \"%2\" "
                                      "cannot stand in a member list.")
                    .arg(Name(name), Name(login));
        }
        why = Profile::CheckValue(members);
        if (!why.isEmpty())
            return QStringLiteral("The group \"%1\" cannot be saved: %2").arg(Name(name), why);
    }
    return {};
}

ProfileResult CGroupSection::Save(const QString &path, const QList<CGroup *> &groups,
                                   const ProfileCheck &takenUp)
{
    // A name that the file holds but that could not be written again (a tab
    // inside it, say) must not stop the other groups from being saved: its
    // line stays as the file has it.
    QSet<QByteArray> kept;
    QList<CGroup *> written;
    std::shared_ptr<const ProfileFile> file;
    for (CGroup *group : groups) {
        if (!group)
            continue;
        const QByteArray name = ProfileFile::TrimArgument(group->GetName());
        if (!Profile::CheckKeyName(name).isEmpty()) {
            if (!file)
                file = Profile::Load(path);
            if (file->Value(kGroups, name)) {
                kept.insert(name);
                continue;
            }
        }
        written.append(group);
    }
    const QString why = Check(written);
    if (!why.isEmpty())
        return ProfileResult::Failure(87, why);

    QList<QByteArray> lines;
    for (const CGroup *group : groups)
        if (group)
            lines.append(ProfileFile::TrimArgument(group->GetName()) + '=' + group->GetMemberList());
    ProfileResult result = lines.isEmpty()
        ? Profile::DeleteSection(path, kGroups)
        : Profile::WriteSection(path, kGroups, lines, kept, takenUp);
    if (!result)
        result.message = QStringLiteral("The groups could not be saved in %1: %2")
                             .arg(path, result.message);
    return result;
}
