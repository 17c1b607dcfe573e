#include "CDemoShare.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"

#include <QSet>

namespace {

constexpr qint64 kMinute = 60;
constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 86400;

// Names, codes, groups and models are written as the clients write them:
// in Windows-1252, accented letters included.
const char *const kFirstNames[] = {"Alice", "Bruno", "Chlo\xe9", "David", "\xc9lise", "Farid",
                                   "Greta", "Hugo", "In\xe8s", "Jules", "Karin", "Louis", "Marta",
                                   "Nils", "Olga", "Pablo", "Quentin", "Rosa", "Sven", "Tess",
                                   "Ugo", "Vera", "Wim", "Xenia", "Yann", "Zo\xe9"};
const char *const kLastNames[] = {"Martin", "Durand", "Lef\xe8vre", "Moreau", "Garc\xed" "a",
                                  "M\xfcller", "Rossi", "Jansen", "Novak", "Larsen", "Silva",
                                  "Kowalski", "Dubois", "Schmidt", "Bianchi", "Ferreira",
                                  "Nakamura", "Fran\xe7ois"};
const char *const kLanguages[] = {"English", "French", "German", "Spanish", "Italian", "Dutch"};
const char *const kModelFiles[] = {"Sales.mod", "R\xe9union.mod", "Phone message.mod",
                                   "Holiday.Notice.mod", "Urgent.MOD"};
const char *const kRestrictionKeys[] = {
    "canuseaudionotes", "canusemodels", "canusealarm", "cancreategroups", "candeletegroup",
    "canmanageusers", "canrescanlist", "cansendbyemail", "canaskdisplaynotification",
    "canaskreadnotification", "canaskreply", "canremovelocalcopy", "cansendinconfidential",
    "cansendintmp", "cansavedefault", "canmanagemodels", "candisplayusersoptions",
    "candisplaycomoptions", "candisplayalarmoptions", "candisplaycolorsoptions",
    "candisplaynotecreationoptions", "candisplaymiscoptions", "candisplaycooloptions",
    "candisplaylogoptions"};

// Lower case as the clients' code page has it ("\xc9" becomes "\xe9").
QByteArray Lower(const QByteArray &text)
{
    return CodePage::Encode(CodePage::Decode(text).toLower()).value_or(text.toLower());
}

QByteArray Num(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray Entry(const QByteArray &key, const QByteArray &value)
{
    return key + '=' + value;
}

} // namespace

CDemoShare::CDemoShare(QString directory, int users, quint32 seed, qint64 now)
    : m_directory(std::move(directory)), m_userCount(qMax(users, 50)), m_now(now), m_random(seed)
{
}

QString CDemoShare::FilePath(const QByteArray &name) const
{
    return m_directory + u'/' + FileSystem::DecodeName(name);
}

bool CDemoShare::Check(bool ok, const QString &what)
{
    if (!ok && m_error.isEmpty())
        m_error = what;
    return ok;
}

bool CDemoShare::Section(const QString &path, const QByteArray &section, const Lines &lines)
{
    const ProfileResult result = Profile::WriteSection(path, section, lines);
    return Check(result.ok, QStringLiteral("%1 [%2]: %3")
                                .arg(path, QString::fromLatin1(section), result.message));
}

bool CDemoShare::Write()
{
    PlanUsers();
    if (!WriteModels() || !WriteUsersIni())
        return false;
    for (int i = 0; i < int(m_users.size()); ++i)
        if (m_users[i].hasFile && !WriteUserFile(m_users[i], i))
            return false;
    for (const User &user : m_users)
        if (user.state == State::Connected && user.hasFile && Chance(30) && !WriteLog(user))
            return false;
    return WriteLog(m_users[1]);
}

QString CDemoShare::GetSummary() const
{
    return QStringLiteral("%1 users, %2 shared groups, %3 model files, %4 waiting notes "
                          "(%5 of them without their note file) in %6")
        .arg(m_users.size()).arg(m_groups).arg(m_models.size()).arg(m_notes)
        .arg(m_missingNotes).arg(m_directory);
}

void CDemoShare::PlanUsers()
{
    QSet<QByteArray> logins;
    for (int i = 0; i < m_userCount; ++i) {
        User user;
        const QByteArray first = kFirstNames[Pick(std::size(kFirstNames))];
        const QByteArray last = kLastNames[Pick(std::size(kLastNames))];
        QByteArray login = Lower(first.left(1) + last);
        for (int n = 2; logins.contains(login); ++n)
            login = Lower(first.left(1) + last) + Num(n);
        logins.insert(login);
        user.login = login;
        user.fullName = first + ' ' + last;

        // The first users show one state each; the others are drawn.
        static const State fixed[] = {State::NeverLoggedOn, State::Connected, State::NotConnected,
                                      State::LongAgo, State::NotConnected, State::Connected,
                                      State::Connected, State::NoLogoff};
        if (i < int(std::size(fixed))) {
            user.state = fixed[i];
        } else {
            const int draw = Pick(100);
            user.state = draw < 35 ? State::Connected
                : draw < 75        ? State::NotConnected
                : draw < 85        ? State::LongAgo
                : draw < 92        ? State::NeverLoggedOn
                                   : State::NoLogoff;
        }
        if (i == 4 || (i >= 8 && Chance(3)))
            user.fullName = "deleted";
        if (i == 5)
            user.fullName = "Deleted"; // not the mark: the list shows this user
        user.upgrading = i == 6;

        switch (user.state) {
        case State::NeverLoggedOn:
            break;
        case State::Connected:
            user.logoff = m_now - kDay - Pick(10) * kDay - Pick(int(kDay));
            user.logon = m_now - 5 * kMinute - Pick(int(20 * kHour));
            break;
        case State::NotConnected:
            user.logon = m_now - kHour - Pick(int(30 * kDay));
            user.logoff = qMin(user.logon + 10 * kMinute + Pick(int(10 * kHour)), m_now - kMinute);
            break;
        case State::LongAgo:
            user.logon = m_now - 6 * kDay - Pick(int(20 * kDay));
            user.logoff = user.logon - kHour - Pick(int(3 * kDay));
            break;
        case State::NoLogoff:
            user.logon = m_now - 10 * kMinute - Pick(int(2 * kDay));
            break;
        }
        if (user.state != State::NeverLoggedOn)
            user.infos = MakeInfos(i, quint16(20 + Pick(3)), quint16(300 + Pick(60)));
        if (user.upgrading)
            user.infos = MakeInfos(i, 21, 340);
        m_users.push_back(user);
    }
    // A login that cannot name a file: listed, but it has no user file.
    User kiosk;
    kiosk.login = "kiosk:lobby";
    kiosk.fullName = "Lobby Kiosk";
    kiosk.state = State::Connected;
    kiosk.logon = m_now - 2 * kHour;
    kiosk.logoff = m_now - kDay;
    kiosk.infos = MakeInfos(0, 22, 355);
    kiosk.hasFile = false;
    m_users.push_back(kiosk);
}

QByteArray CDemoShare::MakeInfos(int index, quint16 version, quint16 build)
{
    // Every operating-system code (4: one the list does not know) and every
    // level code (0: unknown) turns up among the first twenty full records.
    const QByteArray os = Num(m_codes % 5);
    const QByteArray level = Num(m_codes % 4);
    const QByteArray language = kLanguages[Pick(std::size(kLanguages))];
    const QByteArray install = Num(m_now - 30 * kDay - Pick(int(400 * kDay)));
    const QByteArray v = Num(version), b = Num(build);
    const QByteArray ov = Num(version - 1), ob = Num(build - 40);
    const int variant = index % 13;
    if (variant != 3 && variant != 9 && variant < 11)
        ++m_codes;
    switch (variant) {
    case 3: return v + ',' + b; // an old client reports versions only
    case 5: return "-1,-1,-1,-1,0," + language + ',' + install + ',' + os + ',' + level;
    case 7: return v + ",," + b + ',' + ov + ',' + ob + ",0," + language + ',' + install + ','
            + os + ',' + level;
    case 9: return v + ',' + b + ",,,0," + language + ',' + install + ',' + os + ',' + level;
    case 11: return QByteArray("");
    case 12: return QByteArray(); // no Infos entry at all
    default:
        return v + ',' + b + ',' + ov + ',' + ob + ",0," + language + ',' + install + ',' + os
            + ',' + level;
    }
}

bool CDemoShare::WriteUsersIni()
{
    const QString path = FilePath("Users.ini");
    Lines users, logon, logoff, infos;
    for (const User &user : m_users) {
        users.append(Entry(user.login, user.fullName));
        if (user.logon)
            logon.append(Entry(user.login, Num(user.logon)));
        if (user.logoff)
            logoff.append(Entry(user.login, Num(user.logoff)));
        if (!user.infos.isNull())
            infos.append(Entry(user.login, user.infos));
    }
    // A login listed twice: the first entry is the one that counts.
    users.append(Entry(m_users[2].login, "Second Entry Ignored"));

    QByteArray everyone, sales, support;
    for (int i = 0; i < int(m_users.size()); ++i) {
        const QByteArray &login = m_users[i].login;
        if (login.contains(':'))
            continue;
        everyone += (everyone.isEmpty() ? "" : ",") + login;
        if (i % 4 == 1)
            sales += login + ',';
        if (i % 5 == 2)
            support += login + ',';
    }
    const Lines groups = {
        Entry("Sales", sales + "jformer"),      // jformer left the company
        Entry("Support", support.chopped(1)),
        Entry("Everyone", everyone),            // far longer than 255 characters
        Entry("Former staff", "jformer,mgone"), // every member is gone
        Entry("Comit\xe9 de direction", ""),
    };
    m_groups = int(groups.size());
    return Section(path, "Users", users) && Section(path, "Logon", logon)
        && Section(path, "Logoff", logoff) && Section(path, "Infos", infos)
        && Section(path, "Groups", groups);
}

bool CDemoShare::WriteUserFile(const User &user, int index)
{
    const QString path = FilePath(user.login + ".ini");

    // Users who never logged on have a file only when the tool wrote to it.
    if (user.state == State::NeverLoggedOn)
        return Section(path, "Parameters", {"CommMode=1", "RefreshRate=1"});

    Lines restrictions;
    for (const char *key : kRestrictionKeys)
        restrictions.append(Entry(key, Chance(15) ? "0" : "1"));
    // Some clients have not reported restrictions yet: every feature counts as allowed.
    if (index % 7 != 3 && !Section(path, "ActiveRestrictions", restrictions))
        return false;
    if (index % 9 == 4 && !Section(path, "Restrictions", {"canusemodels=0", "cansendbyemail=0"}))
        return false;

    const QByteArray defaultModel = Chance(50) ? m_models[Pick(int(m_models.size()))] : "";
    const Lines parameters = {
        Entry("YourKey", Chance(30) ? "cl\xe9-" + Num(1000 + Pick(9000)) : ""),
        Entry("NewNoteType", Num(Pick(3))),
        Entry("CommMode", Num(Pick(4) == 0 ? 0 : 1)),
        Entry("ReceiveNotesInConfidential", Num(Pick(2))),
        Entry("RefreshRate", Num(Pick(3))),
        Entry("UseLogFile", Num(Chance(25) ? Pick(64) : 0)),
        Entry("DefaultModel", defaultModel),
    };
    if (index % 6 != 5 && !Section(path, "ActiveParameters", parameters))
        return false;
    if (index % 10 == 8
        && !Section(path, "Parameters", {"RefreshRate=2", "UseLogFile=19", "SharedDir=\\\\files\\corvane"}))
        return false;

    Lines models;
    for (const QByteArray &model : m_models)
        if (Chance(40))
            models.append(Entry(model, "1"));
    if (index % 8 == 2)
        models.append("Old Template=1"); // a model whose file is gone
    if (!models.isEmpty() && !Section(path, "ActiveModels", models))
        return false;
    if (index % 11 == 6 && !Section(path, "Models", {Entry(m_models.first(), "1")}))
        return false;

    if (!WriteNotes(path, user, index))
        return false;

    if (index % 5 == 1) {
        Lines personal = {Entry("D\xe9jeuner", m_users[(index + 1) % m_userCount].login + ','
                                             + m_users[(index + 3) % m_userCount].login),
                          Entry("Project", m_users[(index + 2) % m_userCount].login + ",ghost")};
        if (!Section(path, "Groups", personal))
            return false;
    }
    if (index == 1
        && !Section(path, "ExternalControl", {Entry(Num(m_now - kHour), "AskForLogs")}))
        return false;
    return true;
}

bool CDemoShare::WriteNotes(const QString &path, const User &user, int index)
{
    Lines notes;
    const int count = index == 2 ? 3 : Pick(4);
    for (int n = 0; n < count; ++n) {
        const int number = m_nextNote++;
        notes.append(Entry(Num(number), Num(m_now - Pick(int(3 * kDay)))));
        ++m_notes;
        // About one note in four has lost its file.
        if (Chance(25)) {
            ++m_missingNotes;
            continue;
        }
        const QString notePath = FilePath("note" + Num(number));
        const ProfileResult written = Profile::WriteSection(
            notePath, "Note", {Entry("From", m_users[(index + 1) % m_userCount].login),
                               Entry("Sent", Num(m_now - kHour)), "Text=See you at ten."});
        if (!Check(written.ok, notePath + QStringLiteral(": ") + written.message))
            return false;
    }
    if (user.upgrading)
        notes.append("newver=at-restart,\\\\files\\corvane\\v2.2");
    if (!notes.isEmpty() && !Section(path, "Notes", notes))
        return false;

    Lines notifications;
    for (int n = Pick(3); n > 0; --n)
        notifications.append(Entry(Num(m_now - n * kHour), "read"));
    return notifications.isEmpty() || Section(path, "Notifications", notifications);
}

bool CDemoShare::WriteModels()
{
    for (const char *file : kModelFiles) {
        const QByteArray name(file);
        m_models.append(name.left(name.lastIndexOf('.')));
        const ProfileResult written = Profile::WriteSection(
            FilePath(name), "Model",
            {Entry("Title", m_models.last()), "Text=Dear colleague, ...", "Type=0"});
        if (!Check(written.ok, FileSystem::DecodeName(name) + QStringLiteral(": ") + written.message))
            return false;
    }
    return true;
}

bool CDemoShare::WriteLog(const User &user)
{
    // The client's log holds one section per session; the tool never reads it.
    const QString path = FilePath(user.login + ".log");
    Lines lines;
    qint64 t = user.logon;
    for (const char *event : {"Corvane started", "Shared directory opened", "3 notes received",
                              "Parameters applied", "Refresh"})
        lines.append(Entry(Num(t += 37 + Pick(600)), event));
    return Section(path, "Session " + Num(user.logon), lines);
}
