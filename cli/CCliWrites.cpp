#include "cli/CCliWrites.h"

#include "cli/CCliSession.h"
#include "platform/CodePage.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CParameters.h"
#include "store/CRestrictions.h"
#include "store/CUser.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

namespace CliWrite {

void Report(CCliSession &session, bool bDryRun, const QString &path, const QByteArray &section,
            const Values &values)
{
    if (values.isEmpty())
        return;
    QStringList pairs;
    for (const auto &[key, value] : values)
        pairs.append(CCliSession::Text(key) + QLatin1Char('=') + CCliSession::Text(value));
    session.Out() << (bDryRun ? "would write " : "wrote ") << QDir::toNativeSeparators(path)
                  << " [" << CCliSession::Text(section) << "] " << pairs.join(QLatin1Char(' '))
                  << '\n';
}

bool CollectTargets(CCliSession &session, const QStringList &named, const QString &group,
                    const QString &fromFile, QList<CUser *> &users)
{
    QStringList logins = named;
    if (!fromFile.isEmpty()) {
        QFile file(fromFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            session.Err() << QStringLiteral("The list of logins %1 cannot be read: %2\n")
                                 .arg(fromFile, file.errorString());
            return false;
        }
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QString login = line.trimmed();
            if (!login.isEmpty() && !login.startsWith(QLatin1Char('#')))
                logins.append(login);
        }
    }
    users = session.FindUsers(logins);
    if (!group.isEmpty()) {
        QByteArray name;
        if (!session.EncodeArgument(group, QStringLiteral("Group"), name))
            return false;
        const CGroup *pGroup = session.Doc().FindGroup(name);
        if (!pGroup) {
            session.Err() << QStringLiteral("No shared group \"%1\".\n").arg(group);
            return false;
        }
        for (CUser *pUser : *pGroup)
            if (pUser && !users.contains(pUser))
                users.append(pUser);
    }
    return true;
}

bool CheckUsable(CCliSession &session, const CUser &user)
{
    if (user.UserFilePath())
        return true;
    session.Fail(QStringLiteral("%1: %2").arg(CCliSession::Text(user.GetLogin()),
                                              user.UnusableLoginMessage()));
    return false;
}

void AddTargetOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("group"), QStringLiteral("Also the members of the shared group <name>."),
         QStringLiteral("name")},
        {QStringLiteral("from"),
         QStringLiteral("Also the logins listed in <file>, one a line (UTF-8)."),
         QStringLiteral("file")},
        {QStringLiteral("dry-run"),
         QStringLiteral("Print, file by file, what would be written; write nothing.")},
    });
}

int Targets(CCliSession &session, const QCommandLineParser &parser, const QStringList &logins,
            QList<CUser *> &users)
{
    if (!CollectTargets(session, logins, parser.value(QStringLiteral("group")),
                        parser.value(QStringLiteral("from")), users))
        return CCliSession::ExitUsage;
    if (users.isEmpty() && session.ExitStatus() == CCliSession::ExitDone)
        return session.Usage(QStringLiteral("Name the users: logins, --group or --from."));
    return CCliSession::ExitDone;
}

} // namespace CliWrite

using namespace CliWrite;

namespace {

bool FindRestriction(const QString &name, int &group, int &bit)
{
    for (group = 0; group < CRestrictions::GroupCount; ++group)
        for (bit = 0; bit < CRestrictions::GetKeyCount(group); ++bit)
            if (QString::fromLatin1(CRestrictions::GetKeyName(group, bit))
                    .compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

void RestrictUser(CCliSession &session, CUser &user, bool bDryRun,
                  const quint16 (&allow)[CRestrictions::GroupCount],
                  const quint16 (&forbid)[CRestrictions::GroupCount])
{
    if (!CheckUsable(session, user))
        return;
    const QString path = *user.UserFilePath();
    Values written;
    for (int group = 0; group < CRestrictions::GroupCount; ++group) {
        if (!(allow[group] | forbid[group]))
            continue;
        if (!user.LoadRestrictions(group)) {
            session.Fail(QStringLiteral("%1: the restrictions could not be read, so nothing was "
                                        "written for this user.")
                             .arg(CCliSession::Text(user.GetLogin())));
            return;
        }
        const quint16 active = user.GetActiveRestrictions(group);
        // Keys not named keep the value in force, so only the named keys that
        // differ from it are written.
        const quint16 requested = quint16((active | allow[group]) & ~forbid[group]);
        const quint16 pending =
            CRestrictions::PendingMask(group, CRestrictions::MakeWord(active, requested));
        Values values;
        for (int bit = 0; bit < CRestrictions::GetKeyCount(group); ++bit)
            if (pending & (1u << bit))
                values.append({CRestrictions::GetKeyName(group, bit),
                               (requested & (1u << bit)) ? QByteArray("1") : QByteArray("0")});
        if (!bDryRun) {
            const ProfileResult result = user.SetRequestedRestrictions(group, requested);
            if (!result) {
                session.Fail(QStringLiteral("%1: %2").arg(CCliSession::Text(user.GetLogin()),
                                                          result.message));
                break;
            }
        }
        written.append(values);
    }
    Report(session, bDryRun, path, CRestrictions::RequestSection(), written);
}

} // namespace

void AddRestrictOptions(QCommandLineParser &parser)
{
    AddTargetOptions(parser);
    parser.addOptions({
        {QStringLiteral("allow"), QStringLiteral("Allow the restriction key <key> (repeatable)."),
         QStringLiteral("key")},
        {QStringLiteral("forbid"),
         QStringLiteral("Forbid the restriction key <key> (repeatable)."), QStringLiteral("key")},
    });
}

int RunRestrict(CCliSession &session, const QCommandLineParser &parser)
{
    quint16 allow[CRestrictions::GroupCount] = {};
    quint16 forbid[CRestrictions::GroupCount] = {};
    for (const bool bAllow : {true, false}) {
        const QString option = bAllow ? QStringLiteral("allow") : QStringLiteral("forbid");
        for (const QString &list : parser.values(option)) {
            for (const QString &name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                int group = 0;
                int bit = 0;
                if (!FindRestriction(name, group, bit))
                    return session.Usage(
                        QStringLiteral("Unknown restriction key \"%1\".").arg(name));
                (bAllow ? allow : forbid)[group] |= quint16(1u << bit);
            }
        }
    }
    bool bAny = false;
    for (int group = 0; group < CRestrictions::GroupCount; ++group) {
        if (allow[group] & forbid[group])
            return session.Usage(QStringLiteral("A key cannot be both allowed and forbidden."));
        bAny = bAny || allow[group] || forbid[group];
    }
    if (!bAny)
        return session.Usage(QStringLiteral("restrict needs --allow or --forbid."));
    QList<CUser *> users;
    if (const int code = Targets(session, parser, parser.positionalArguments().mid(1), users))
        return code;
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    for (CUser *pUser : std::as_const(users))
        RestrictUser(session, *pUser, bDryRun, allow, forbid);
    return session.ExitStatus();
}

namespace {

// A client parameter the command line may request, with the values the
// window's controls can give it.
struct Parameter
{
    const char *key;
    int minimum; // an integer from minimum to maximum; a text when maximum < minimum
    int maximum;
};

const Parameter kParameters[] = {
    {CParameters::YourKey, 0, -1},
    {CParameters::NewNoteType, 0, 2},
    {CParameters::CommMode, 0, 1},
    {CParameters::ReceiveNotesInConfidential, 0, 1},
    {CParameters::RefreshRate, 0, 2},
    {CParameters::SharedDir, 0, -1},
    {CParameters::UseLogFile, 0, CParameters::AllLogBits},
    {CParameters::DefaultModel, 0, -1},
};

struct Assignment
{
    const Parameter *parameter;
    QByteArray value;
};

// Checks KEY=VALUE as the Configure sheet checks its fields: the message
// says why it is refused ("" when it is not).
QString ParseAssignment(const QString &text, Assignment &assignment)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    const QString key = text.left(equals).trimmed();
    const QString value = text.mid(equals + 1);
    assignment.parameter = nullptr;
    for (const Parameter &parameter : kParameters)
        if (key.compare(QLatin1String(parameter.key), Qt::CaseInsensitive) == 0)
            assignment.parameter = &parameter;
    if (!assignment.parameter)
        return QStringLiteral("Unknown parameter \"%1\".").arg(key);
    const Parameter &parameter = *assignment.parameter;
    if (parameter.maximum >= parameter.minimum) {
        bool bNumber = false;
        const int n = value.trimmed().toInt(&bNumber);
        if (!bNumber || n < parameter.minimum || n > parameter.maximum)
            return QStringLiteral("%1 takes a number from %2 to %3, not \"%4\".")
                .arg(key)
                .arg(parameter.minimum)
                .arg(parameter.maximum)
                .arg(value);
        assignment.value = QByteArray::number(n);
        return {};
    }
    const std::optional<QByteArray> bytes = CodePage::Encode(value);
    if (!bytes)
        return QStringLiteral("%1 cannot be sent to the client: the clients' code page (%2) "
                              "cannot hold these characters: %3")
            .arg(key, CodePage::CurrentName(), CodePage::Unencodable(value));
    if (const QString why = CParameters::CheckText(*bytes); !why.isEmpty())
        return QStringLiteral("%1 cannot be sent to the client: %2").arg(key, why);
    assignment.value = *bytes;
    return {};
}

ProfileResult Apply(CUser &user, const Assignment &assignment)
{
    const QByteArray key(assignment.parameter->key);
    const int n = assignment.value.toInt();
    if (key == CParameters::YourKey)
        return user.SetYourKey(assignment.value);
    if (key == CParameters::NewNoteType)
        return user.SetNewNoteType(n);
    if (key == CParameters::CommMode)
        return user.SetCommMode(n);
    if (key == CParameters::ReceiveNotesInConfidential)
        return user.SetReceiveNotesInConfidential(n);
    if (key == CParameters::RefreshRate)
        return user.SetRefreshRate(n);
    if (key == CParameters::SharedDir)
        return user.SetSharedDir(assignment.value);
    if (key == CParameters::UseLogFile)
        return user.SetUseLogFile(quint16(n));
    return user.SetDefaultModel(assignment.value);
}

void SetUser(CCliSession &session, CUser &user, bool bDryRun,
             const QList<Assignment> &assignments)
{
    if (!CheckUsable(session, user))
        return;
    const QString login = CCliSession::Text(user.GetLogin());
    Values values;
    for (const Assignment &assignment : assignments) {
        // The window offers only the models the client reports, or none.
        if (QByteArray(assignment.parameter->key) == CParameters::DefaultModel
            && !assignment.value.isEmpty()) {
            QList<QByteArray> models;
            user.GetActiveModels(models);
            if (!models.contains(assignment.value)) {
                session.Fail(QStringLiteral("%1: the client reports no model \"%2\".")
                                 .arg(login, CCliSession::Text(assignment.value)));
                continue;
            }
        }
        if (!bDryRun) {
            const ProfileResult result = Apply(user, assignment);
            if (!result) {
                session.Fail(QStringLiteral("%1: %2").arg(login, result.message));
                continue;
            }
        }
        values.append({assignment.parameter->key, assignment.value});
    }
    Report(session, bDryRun, *user.UserFilePath(), QByteArrayLiteral("Parameters"), values);
}

} // namespace

void AddSetOptions(QCommandLineParser &parser)
{
    AddTargetOptions(parser);
}

int RunSet(CCliSession &session, const QCommandLineParser &parser)
{
    QStringList logins;
    QList<Assignment> assignments;
    for (const QString &argument : parser.positionalArguments().mid(1)) {
        if (!argument.contains(QLatin1Char('='))) {
            if (!assignments.isEmpty())
                return session.Usage(
                    QStringLiteral("Logins come before KEY=VALUE: \"%1\".").arg(argument));
            logins.append(argument);
            continue;
        }
        Assignment assignment;
        if (const QString why = ParseAssignment(argument, assignment); !why.isEmpty())
            return session.Usage(why);
        assignments.append(assignment);
    }
    if (assignments.isEmpty())
        return session.Usage(QStringLiteral("set needs at least one KEY=VALUE."));
    QList<CUser *> users;
    if (const int code = Targets(session, parser, logins, users))
        return code;
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    for (CUser *pUser : std::as_const(users))
        SetUser(session, *pUser, bDryRun, assignments);
    return session.ExitStatus();
}
