#include "store/CGroupSection.h"

#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QSet>

namespace {

const QByteArray kGroups = QByteArrayLiteral("Groups");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

// A value that would lose outer blanks or one pair of outer quotes when read
// back is written inside double quotes, as the profile writer does for single
// keys; the section writer takes its lines as they are.
QByteArray QuotedIfNeeded(const QByteArray &value)
{
    if (value.isEmpty())
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool outerBlank = IsBlank(first) || IsBlank(last);
    const bool outerQuotes = value.size() > 1 && first == last && (first == '"' || first == '\'');
    return outerBlank || outerQuotes ? '"' + value + '"' : value;
}

QString Name(const QByteArray &bytes)
{
    return FileSystem::DecodeName(bytes);
}

} // namespace

std::vector<std::unique_ptr<CGroup>> CGroupSection::Load(const ProfileFile &file,
                                                         const CAdminDoc &roster)
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
        for (const QByteArray &login : logins)
            if (CUser *user = roster.FindUser(login))
                group->append(user);
        groups.push_back(std::move(group));
    }
    return groups;
}

QString CGroupSection::Check(const QList<CGroup *> &groups)
{
    QSet<QByteArray> folded;
    for (const CGroup *group : groups) {
        if (!group)
            continue;
        const QByteArray name = group->GetName();
        QString why = Profile::CheckKeyName(name);
        if (!why.isEmpty())
            return QStringLiteral("The group \"%1\" cannot be saved: %2").arg(Name(name), why);
        // Profile names match without regard to case: a second group of the
        // same name would read back with the first one's members.
        const QByteArray key = ProfileFile::FoldName(ProfileFile::TrimArgument(name));
        if (folded.contains(key))
            return QStringLiteral("The group \"%1\" cannot be saved: another group has the "
                                  "same name.").arg(Name(name));
        folded.insert(key);
        for (const CUser *member : *group) {
            if (!member)
                continue;
            const QByteArray login = member->GetLogin();
            if (login.isEmpty() || login.contains(','))
                return QStringLiteral("The group \"%1\" cannot be saved: the login \"%2\" "
                                      "cannot stand in a member list.")
                    .arg(Name(name), Name(login));
        }
        why = Profile::CheckValue(group->GetMemberList());
        if (!why.isEmpty())
            return QStringLiteral("The group \"%1\" cannot be saved: %2").arg(Name(name), why);
    }
    return {};
}

ProfileResult CGroupSection::Save(const QString &path, const QList<CGroup *> &groups)
{
    const QString why = Check(groups);
    if (!why.isEmpty())
        return ProfileResult::Failure(87, why);

    QList<QByteArray> lines;
    for (const CGroup *group : groups)
        if (group)
            lines.append(ProfileFile::TrimArgument(group->GetName()) + '='
                         + QuotedIfNeeded(group->GetMemberList()));
    ProfileResult result = lines.isEmpty() ? Profile::DeleteSection(path, kGroups)
                                           : Profile::WriteSection(path, kGroups, lines);
    if (!result)
        result.message = QStringLiteral("The groups could not be saved in %1: %2")
                             .arg(path, result.message);
    return result;
}
