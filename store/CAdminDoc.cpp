#include "store/CAdminDoc.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "store/CGroup.h"
#include "store/CGroupSection.h"
#include "store/CShareDirectory.h"
#include "store/CShareTrouble.h"
#include "store/CStatusReader.h"
#include "store/CUser.h"


namespace {

const QByteArray kUsers = QByteArrayLiteral("Users");
const QString kUsersIni = QStringLiteral("Users.ini");

} // namespace

CAdminDoc::CAdminDoc(QObject *parent)
    : QObject(parent)
{
    // The reader finishes on its own thread; the relay queues StatusRead to ours.
    connect(this, &CAdminDoc::StatusPassFinished, this, &CAdminDoc::StatusRead,
            Qt::QueuedConnection);
    connect(this, &CAdminDoc::RosterPassRead, this, &CAdminDoc::ApplyRoster,
            Qt::QueuedConnection);
    m_statusReader = std::make_unique<CStatusReader>(
        [this] { Q_EMIT StatusPassFinished(QPrivateSignal()); });
}

CAdminDoc::~CAdminDoc()
{
    m_statusReader->Stop();
    DeleteAllGroups();
    m_users.clear();
    m_userIndex.clear();
    qDeleteAll(m_allUsers);
    m_allUsers.clear();
}

bool CAdminDoc::OnNewDocument(const QString &shareDirectory)
{
    if (shareDirectory.isEmpty())
        return false;
    SetShareDirectory(shareDirectory);
    LoadRoster();
    LoadGroups();
    return true;
}

void CAdminDoc::SetShareDirectory(const QString &path)
{
    QString directory = path;
    if (directory.size() > 1 && (directory.endsWith(u'\\') || directory.endsWith(u'/')))
        directory.chop(1);
    const bool bChanged = directory != m_shareDirectory;
    if (bChanged && !m_shareDirectory.isEmpty())
        Profile::ClearCache(); // the old directory's parses are of no more use
    m_shareDirectory = directory;
    if (bChanged)
        m_bUsersIniRead = false;
    // The old directory's groups are not this one's: saving them here would
    // put them in place of this directory's groups.
    if (bChanged && (!m_groupsDirectory.isEmpty() || !m_groups.isEmpty()))
        ReplaceGroupsFrom(nullptr);
    g_shareDirectory.Set(directory);
    m_usersIniPath = FileSystem::ResolveInDir(directory, kUsersIni);
    // Another directory's Users.ini may happen to carry the same time and
    // size as the one last seen; it must still be read.
    m_lastSeen = {};
}

CUser *CAdminDoc::FindUser(const QByteArray &login) const
{
    std::lock_guard lock(m_rosterMutex);
    return m_userIndex.value(login, nullptr);
}

bool CAdminDoc::RosterChanged()
{
    const FileSystem::Status status = FileSystem::GetStatus(m_usersIniPath);
    if (!status.exists) {
        // It may come back under another letter case; look for it next time.
        m_usersIniPath = FileSystem::ResolveInDir(m_shareDirectory, kUsersIni);
        return true;
    }
    if (status.error) {
        m_lastSeen = {1, -1};
        return true;
    }
    // The time at full precision and the size: a write within the second
    // last seen is still noticed.
    const FileIdentity identity{status.mtimeNs, status.size};
    if (identity == m_lastSeen)
        return false;
    m_lastSeen = identity;
    return true;
}

void CAdminDoc::LoadRoster()
{
    StartRosterPass();
    // Also when Users.ini has not changed since: a pass a refresh started
    // may still be reading it, and its users are to be in place too.
    const quint64 pass = m_rosterPasses;
    if (pass == 0)
        return;
    {
        std::unique_lock lock(m_rosterMutex);
        m_rosterRead.wait(lock, [this, pass] { return m_rosterPassDone >= pass; });
    }
    ApplyRoster();
}

bool CAdminDoc::RefreshRoster()
{
    return StartRosterPass() != 0;
}

quint64 CAdminDoc::StartRosterPass()
{
    if (m_shareDirectory.isEmpty())
        return 0;
    if (!m_reloadForced && !RosterChanged())
        return 0;
    m_reloadForced = false;
    const quint64 pass = ++m_rosterPasses;
    m_statusReader->Start({}, [this, directory = m_shareDirectory, path = m_usersIniPath, pass,
                               keep = !AreGroupsRead()](std::vector<CUser *> &users) {
        return ReadRoster(directory, path, pass, keep, users);
    });
    return pass;
}

std::shared_ptr<const ProfileFile> CAdminDoc::ReadRoster(const QString &directory,
                                                         const QString &path, quint64 pass,
                                                         bool keepFile,
                                                         std::vector<CUser *> &users)
{
    // The last parse goes before the new one is made: two parses of a
    // large Users.ini side by side would double what the roster costs.
    Profile::ClearCache(path);
    std::shared_ptr<const ProfileFile> usersIni = Profile::Load(path);
    const bool failed = usersIni->HasError();
    std::vector<CUser *> added;
    if (!failed) {
        const qsizetype section = usersIni->FindSection(kUsers);
        const CUser::StatusSections sections(*usersIni);
        QHash<QByteArray, CUser *> seen; // duplicates among the new logins
        for (const QByteArray &login : usersIni->Keys(kUsers)) {
            if (m_userIndex.contains(login) || seen.contains(login))
                continue; // the first entry's full name stays
            const std::optional<QByteArrayView> fullName = usersIni->ValueView(section, login);
            auto *user = new CUser(login, fullName ? fullName->toByteArray() : QByteArray());
            // A new user arrives with its status, so that its row is made
            // once, not made and then changed.
            user->ReadStatus(*usersIni, sections);
            added.push_back(user);
            seen.insert(login, user);
        }
    }
    // The rest of the pass reads the users known before.
    users = m_allUsers;
    {
        std::lock_guard lock(m_rosterMutex);
        m_allUsers.insert(m_allUsers.end(), added.cbegin(), added.cend());
        m_userIndex.reserve(qsizetype(m_allUsers.size()));
        for (CUser *user : added)
            m_userIndex.insert(user->GetLogin(), user);
        m_rosterReadFailed = failed;
        m_rosterDirectory = directory;
        m_rosterExists = usersIni->Exists();
        if (keepFile && !failed && usersIni->Exists())
            m_rosterFile = usersIni;
        else
            m_rosterFile.reset();
        m_rosterPassDone = qMax(m_rosterPassDone, pass);
    }
    m_rosterRead.notify_all();
    Q_EMIT RosterPassRead(QPrivateSignal());
    return failed ? nullptr : usersIni;
}

void CAdminDoc::ApplyRoster()
{
    const qsizetype first = m_users.size();
    std::shared_ptr<const ProfileFile> usersIni;
    bool bSameDirectory;
    bool bExists;
    bool bFailed;
    {
        std::lock_guard lock(m_rosterMutex);
        bFailed = std::exchange(m_rosterReadFailed, false);
        bExists = m_rosterExists;
        usersIni = std::move(m_rosterFile);
        m_rosterFile.reset();
        // A pass over the directory used before a switch says nothing of
        // this one's Users.ini or groups.
        bSameDirectory = !m_rosterDirectory.isEmpty() && m_rosterDirectory == m_shareDirectory;
        m_rosterDirectory.clear();
        m_users.reserve(qsizetype(m_allUsers.size()));
        for (size_t i = size_t(first); i < m_allUsers.size(); ++i)
            m_users.append(m_allUsers[i]);
    }
    if (bSameDirectory) {
        if (bFailed)
            m_reloadForced = true;
        m_bUsersIniRead = m_bUsersIniRead || bExists;
        SetShareTrouble(bExists ? QString()
                                : CShareTrouble::Describe(m_shareDirectory, m_usersIniPath,
                                                          m_bUsersIniRead));
        if (usersIni && !AreGroupsRead())
            ReplaceGroupsFrom(usersIni.get());
    }
    if (m_users.size() > first)
        Q_EMIT RosterGrew(int(first), int(m_users.size() - first));
}

void CAdminDoc::SetShareTrouble(const QString &trouble)
{
    if (trouble == m_shareTrouble)
        return;
    m_shareTrouble = trouble;
    Q_EMIT ShareTroubleChanged(m_shareTrouble);
}

void CAdminDoc::ReadAllUserStatus()
{
    const std::shared_ptr<const ProfileFile> usersIni = Profile::Load(m_usersIniPath);
    const CUser::StatusSections sections(*usersIni);
    for (CUser *user : std::as_const(m_users))
        user->ReadStatus(*usersIni, sections);
}

void CAdminDoc::WaitForStatusReaders()
{
    m_statusReader->Wait();
}

void CAdminDoc::LoadGroups()
{
    if (m_shareDirectory.isEmpty())
        return;
    const std::shared_ptr<const ProfileFile> usersIni = Profile::Load(m_usersIniPath);
    // Missing is no more "no groups" than unreadable is: the file may be
    // away for a moment. Read by the next roster load that can read it.
    if (!usersIni->Exists())
        return;
    if (!AreGroupsRead())
        ReplaceGroupsFrom(usersIni.get());
    else
        AddGroupsFrom(*usersIni);
}

bool CAdminDoc::AreGroupsRead() const
{
    return !m_groupsDirectory.isEmpty() && m_groupsDirectory == m_shareDirectory;
}

void CAdminDoc::ReplaceGroupsFrom(const ProfileFile *usersIni)
{
    Q_EMIT GroupsAboutToBeReplaced();
    DeleteAllGroups();
    m_groupsDirectory.clear();
    if (usersIni) {
        AddGroupsFrom(*usersIni);
        m_groupsDirectory = m_shareDirectory;
    }
    ++m_groupsGeneration;
    Q_EMIT GroupsReplaced();
}

void CAdminDoc::AddGroupsFrom(const ProfileFile &usersIni)
{
    for (std::unique_ptr<CGroup> &group : CGroupSection::Load(usersIni, *this))
        if (!FindGroup(group->GetName()))
            m_groups.append(group.release());
}

ProfileResult CAdminDoc::SaveGroups()
{
    if (m_shareDirectory.isEmpty())
        return ProfileResult::Failure(3, QStringLiteral("No shared directory is defined."));
    if (!AreGroupsRead())
        return ProfileResult::Failure(
            5, QStringLiteral("The shared groups have not been read from %1 yet (it is missing "
                              "or cannot be read), so they were not saved: saving would have "
                              "replaced the groups in the file. Try again once the file can be "
                              "read.")
                   .arg(m_usersIniPath));
    // The clients rewrite Users.ini all the time and never change the
    // groups: a save they erase with a stale copy is made again.
    return CGroupSection::Save(m_usersIniPath, m_groups, Profile::StandingRequest());
}

CGroup *CAdminDoc::FindGroup(const QByteArray &name) const
{
    for (CGroup *group : m_groups)
        if (group && group->GetName() == name)
            return group;
    return nullptr;
}

bool CAdminDoc::GroupNameExists(const QByteArray &name) const
{
    const QString wanted = FileSystem::DecodeName(name);
    for (const CGroup *group : m_groups)
        if (group
            && FileSystem::DecodeName(group->GetName()).compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

int CAdminDoc::AddGroup(std::unique_ptr<CGroup> group)
{
    m_groups.append(group.release());
    return int(m_groups.size() - 1);
}

void CAdminDoc::AddGroups(std::vector<std::unique_ptr<CGroup>> groups)
{
    for (std::unique_ptr<CGroup> &group : groups)
        if (group)
            m_groups.append(group.release());
}

void CAdminDoc::DeleteAllGroups()
{
    qDeleteAll(m_groups);
    m_groups.clear();
}

void CAdminDoc::ListModels(QList<QByteArray> &names) const
{
    if (m_shareDirectory.isEmpty())
        return;
    for (const QString &file : FileSystem::FindModelFiles(m_shareDirectory)) {
        // The clients name a model in their code page; a file whose name it
        // cannot hold is one no client can ask for.
        const std::optional<QByteArray> encoded = CodePage::Encode(file);
        if (!encoded)
            continue;
        const QByteArray &name = *encoded;
        const qsizetype dot = name.lastIndexOf('.');
        names.append(dot >= 0 ? name.left(dot) : name);
    }
}
