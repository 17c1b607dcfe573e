#include "cli/CCliGroups.h"

#include "cli/CCliSession.h"
#include "cli/CCliWrites.h"
#include "groups/CGroupNames.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CGroupSection.h"
#include "store/CUser.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace CliWrite;

namespace {

// The groups one command works on, where they are saved, and how.
struct GroupSet
{
    CCliSession &session;
    CUser *pUser = nullptr; // null: the shared groups
    QString path;

    const QList<CGroup *> &Groups() const
    {
        return pUser ? pUser->GetGroups() : session.Doc().GetGroups();
    }
    void Replace(std::vector<std::unique_ptr<CGroup>> groups)
    {
        if (pUser) {
            pUser->DeleteAllGroups();
            pUser->AddGroups(std::move(groups));
        } else {
            session.Doc().DeleteAllGroups();
            session.Doc().AddGroups(std::move(groups));
        }
    }
    ProfileResult Save() { return pUser ? pUser->SaveGroups() : session.Doc().SaveGroups(); }
};

QStringList Members(const CGroup &group)
{
    QList<QByteArray> logins;
    CGroup::ParseMemberList(group.GetMemberList(), logins);
    QStringList members;
    for (const QByteArray &login : std::as_const(logins))
        members.append(CCliSession::Text(login));
    return members;
}

// Loads the groups afresh. Members that the roster does not know are kept
// as logins, so that saving writes them back instead of dropping them.
bool LoadGroups(CCliSession &session, GroupSet &set)
{
    if (set.pUser) {
        if (!CheckUsable(session, *set.pUser))
            return false;
        set.path = *set.pUser->UserFilePath();
        set.pUser->LoadGroups(session.Doc());
    } else {
        set.path = session.Doc().GetUsersIniPath();
    }
    const std::shared_ptr<const ProfileFile> file = Profile::Load(set.path);
    if (file->HasError()) {
        session.Fail(QStringLiteral("The groups could not be read from %1.").arg(set.path));
        return false;
    }
    set.Replace(CGroupSection::Load(*file, session.Doc(), CGroupSection::KeepUnknown));
    return true;
}

std::vector<std::unique_ptr<CGroup>> Copies(const QList<CGroup *> &groups, const CGroup *pSkip)
{
    std::vector<std::unique_ptr<CGroup>> copies;
    for (const CGroup *pGroup : groups)
        if (pGroup != pSkip)
            copies.push_back(std::make_unique<CGroup>(*pGroup));
    return copies;
}

int Save(CCliSession &session, GroupSet &set, bool bDryRun, const QByteArray &name,
         const CGroup *pChanged)
{
    if (const QString why = CGroupSection::Check(set.Groups()); !why.isEmpty())
        return session.Usage(why);
    if (!bDryRun) {
        if (const ProfileResult result = set.Save(); !result) {
            session.Fail(result.message);
            return session.ExitStatus();
        }
    }
    if (pChanged) {
        Report(session, bDryRun, set.path, QByteArrayLiteral("Groups"),
               {{pChanged->GetName(), pChanged->GetMemberList()}});
    } else {
        session.Out() << (bDryRun ? "would remove " : "removed ") << set.path << " [Groups] "
                      << CCliSession::Text(name) << '\n';
    }
    return session.ExitStatus();
}

// A name typed for a group, checked as the editor checks it.
bool GroupName(CCliSession &session, const GroupSet &set, const QString &text,
               const CGroup *pExcept, QByteArray &name)
{
    QString why = CGroupNames::FromText(text, name);
    if (why.isEmpty())
        why = CGroupNames::Check(name, [&set, pExcept](const QByteArray &candidate) {
            return CGroupNames::Find(set.Groups(), candidate, pExcept) != nullptr;
        });
    if (why.isEmpty())
        return true;
    session.Err() << QStringLiteral("The group name \"%1\" cannot be used: %2\n").arg(text, why);
    return false;
}

CGroup *Existing(CCliSession &session, const GroupSet &set, const QString &text)
{
    QByteArray name;
    if (!CGroupNames::FromText(text, name).isEmpty())
        name.clear();
    CGroup *pGroup = name.isEmpty() ? nullptr : CGroupNames::Find(set.Groups(), name);
    if (!pGroup)
        session.Err() << QStringLiteral("No group \"%1\".\n").arg(text);
    return pGroup;
}

} // namespace

void AddGroupsOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("user"), QStringLiteral("The personal groups of <login>."),
         QStringLiteral("login")},
        {QStringLiteral("dry-run"),
         QStringLiteral("Print what would be written; write nothing.")},
    });
}

int RunGroups(CCliSession &session, const QCommandLineParser &parser)
{
    const QStringList arguments = parser.positionalArguments().mid(1);
    const QString action = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    GroupSet set{session, nullptr, QString()};
    if (parser.isSet(QStringLiteral("user"))) {
        const QList<CUser *> users = session.FindUsers({parser.value(QStringLiteral("user"))});
        if (users.isEmpty())
            return session.ExitStatus();
        set.pUser = users.first();
    }
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    const bool bJson = parser.isSet(QStringLiteral("json"));
    if (action == u"list" && rest.isEmpty()) {
        if (!LoadGroups(session, set))
            return session.ExitStatus();
        QJsonArray list;
        for (const CGroup *pGroup : set.Groups()) {
            if (bJson)
                list.append(QJsonObject{{QStringLiteral("name"), CCliSession::Text(pGroup->GetName())},
                                        {QStringLiteral("members"), int(Members(*pGroup).size())}});
            else
                session.Out() << CCliSession::Text(pGroup->GetName()) << '\t'
                              << Members(*pGroup).size() << '\n';
        }
        if (bJson)
            session.Out() << QJsonDocument(list).toJson(QJsonDocument::Indented);
        return session.ExitStatus();
    }
    if (action == u"show" && rest.size() == 1) {
        if (!LoadGroups(session, set))
            return session.ExitStatus();
        const CGroup *pGroup = Existing(session, set, rest[0]);
        if (!pGroup)
            return CCliSession::ExitUsage;
        const QStringList members = Members(*pGroup);
        if (bJson)
            session.Out() << QJsonDocument(QJsonArray::fromStringList(members))
                                 .toJson(QJsonDocument::Indented);
        else
            for (const QString &member : members)
                session.Out() << member << '\n';
        return session.ExitStatus();
    }
    if (action == u"add" && !rest.isEmpty()) {
        if (!LoadGroups(session, set))
            return session.ExitStatus();
        QByteArray name;
        if (!GroupName(session, set, rest[0], nullptr, name))
            return CCliSession::ExitUsage;
        const QList<CUser *> members = session.FindUsers(rest.mid(1));
        if (session.ExitStatus() != CCliSession::ExitDone)
            return session.ExitStatus(); // a group with members missing is not what was asked
        auto group = std::make_unique<CGroup>(name);
        group->append(members);
        std::vector<std::unique_ptr<CGroup>> groups = Copies(set.Groups(), nullptr);
        groups.push_back(std::move(group));
        set.Replace(std::move(groups));
        return Save(session, set, bDryRun, name, set.Groups().last());
    }
    if (action == u"remove" && rest.size() == 1) {
        if (!LoadGroups(session, set))
            return session.ExitStatus();
        const CGroup *pGroup = Existing(session, set, rest[0]);
        if (!pGroup)
            return CCliSession::ExitUsage;
        const QByteArray name = pGroup->GetName();
        set.Replace(Copies(set.Groups(), pGroup));
        return Save(session, set, bDryRun, name, nullptr);
    }
    if (action == u"rename" && rest.size() == 2) {
        if (!LoadGroups(session, set))
            return session.ExitStatus();
        CGroup *pGroup = Existing(session, set, rest[0]);
        QByteArray name;
        if (!pGroup || !GroupName(session, set, rest[1], pGroup, name))
            return CCliSession::ExitUsage;
        pGroup->SetName(name);
        return Save(session, set, bDryRun, name, pGroup);
    }
    return session.Usage(QStringLiteral("Use: groups list | show NAME | add NAME [LOGIN...] | "
                                        "remove NAME | rename OLD NEW"));
}
