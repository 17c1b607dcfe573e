#include "store/CUser.h"

#include "platform/CStringTable.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/ProfileFile.h"
#include "platform/ResourceIds.h"
#include "store/CGroup.h"
#include "store/CGroupSection.h"
#include "store/CLogFile.h"
#include "store/CModels.h"
#include "store/CParameters.h"
#include "store/CPendingNotes.h"
#include "store/CRestrictions.h"
#include "store/CShareDirectory.h"

namespace {

const QByteArray kLogon = QByteArrayLiteral("Logon");
const QByteArray kLogoff = QByteArrayLiteral("Logoff");
const QByteArray kInfos = QByteArrayLiteral("Infos");
const QByteArray kNone = QByteArrayLiteral("-");

// Texts of the string table, converted once: the list asks for them for
// every row it draws or sorts.
QByteArray TableText(int nID)
{
    return CStringTable::Load(nID).toLatin1();
}
const QByteArray kTimeFormatText = TableText(IDS_TIME_FORMAT);
const char *const kTimeFormat = kTimeFormatText.constData();
const QByteArray kLevelNames[] = {TableText(IDS_LEVEL_LIGHT), TableText(IDS_LEVEL_STANDARD),
                                  TableText(IDS_LEVEL_PRO)};
const QByteArray kOSNames[] = {TableText(IDS_OS_WIN3), TableText(IDS_OS_WIN95),
                               TableText(IDS_OS_WINNT)};

// Only positive times are recorded times; anything else shows as none.
qint64 TimeValue(const std::optional<QByteArrayView> &value)
{
    return value ? qMax<qint64>(0, CrtAtoi(*value)) : 0;
}

QByteArray TimeText(qint64 seconds)
{
    if (seconds <= 0)
        return kNone;
    const QByteArray text = CodePage::EncodeLossy(LocalTime::Format(seconds, kTimeFormat));
    return text.isEmpty() ? kNone : text;
}

QByteArray VersionText(quint16 version, quint16 build)
{
    if (version == 0 && build == 0)
        return kNone;
    return QByteArray::number(version / 10) + '.' + QByteArray::number(version % 10)
        + " (build " + QByteArray::number(build) + ')';
}

QByteArray LevelText(quint16 level)
{
    return level >= 1 && level <= 3 ? kLevelNames[level - 1] : kNone;
}

QByteArray OSText(quint16 os)
{
    // Codes 2 and 3 are both the NT line.
    return os <= 3 ? kOSNames[qMin<quint16>(os, 2)] : kNone;
}

const std::shared_ptr<const CUserStatus> &InitialStatus()
{
    static const std::shared_ptr<const CUserStatus> status = std::make_shared<CUserStatus>();
    return status;
}

} // namespace

CUser::CUser(QByteArray login, QByteArray fullName)
    : m_login(std::move(login)), m_fullName(std::move(fullName)), m_status(InitialStatus())
{
}

CUser::~CUser()
{
    DeleteAllGroups();
}

bool CUser::IsDeleted() const
{
    return m_fullName == "deleted";
}

std::shared_ptr<const CUserStatus> CUser::GetStatus() const
{
    std::lock_guard lock(m_statusMutex);
    return m_status;
}

void CUser::Publish(const CUserStatus &status)
{
    // Most passes find most users unchanged: nothing to allocate or swap.
    std::shared_ptr<const CUserStatus> fresh;
    {
        std::lock_guard lock(m_statusMutex);
        if (*m_status == status)
            return;
    }
    fresh = std::make_shared<const CUserStatus>(status);
    std::lock_guard lock(m_statusMutex);
    m_status.swap(fresh);
    // The old value is released outside the lock, when fresh goes.
}

CUser::StatusSections::StatusSections(const ProfileFile &usersIni)
    : logon(usersIni.FindSection(kLogon)),
      logoff(usersIni.FindSection(kLogoff)),
      infos(usersIni.FindSection(kInfos))
{
}

void CUser::ReadStatus(const QString &usersIniPath)
{
    ReadStatus(*Profile::Load(usersIniPath));
}

void CUser::ReadStatus(const ProfileFile &usersIni)
{
    ReadStatus(usersIni, StatusSections(usersIni));
}

void CUser::ReadStatus(const ProfileFile &usersIni, const StatusSections &sections)
{
    CUserStatus status = *GetStatus();
    if (usersIni.HasError()) {
        // Keep what was known; the flag makes the list read this user again.
        status.readFailed = true;
    } else {
        status.readFailed = false;
        status.logonTime = TimeValue(usersIni.ValueView(sections.logon, m_login));
        status.logoffTime = TimeValue(usersIni.ValueView(sections.logoff, m_login));
        if (const std::optional<QByteArrayView> infos = usersIni.ValueView(sections.infos, m_login))
            status.ApplyInfos(*infos);
    }
    Publish(status);
}

void CUser::ParseInfos(const QByteArray &infos)
{
    CUserStatus status = *GetStatus();
    status.ApplyInfos(infos);
    Publish(status);
}

QByteArray CUser::GetColumnText(int column) const
{
    return GetColumnText(column, LocalTime::Now());
}

QByteArray CUser::GetColumnText(int column, qint64 now) const
{
    if (column == ColLogin)
        return m_login;
    if (column == ColFullName)
        return m_fullName;
    return GetColumnText(column, *GetStatus(), now);
}

QByteArray CUser::GetColumnText(int column, const CUserStatus &statusRef, qint64 now) const
{
    if (column == ColLogin)
        return m_login;
    if (column == ColFullName)
        return m_fullName;
    const CUserStatus *status = &statusRef;
    switch (column) {
    case ColLogon: return TimeText(status->logonTime);
    case ColLogoff: return TimeText(status->logoffTime);
    case ColConnected:
        if (status->logonTime == 0 || now - status->logonTime > kConnectedWindow)
            return kNone;
        return status->logonTime > status->logoffTime ? QByteArrayLiteral("Yes")
                                                       : QByteArrayLiteral("No");
    case ColVersion: return VersionText(status->version, status->build);
    case ColOldVersion: return VersionText(status->oldVersion, status->oldBuild);
    case ColLevel: return LevelText(status->level);
    case ColOS: return OSText(status->os);
    case ColLanguage: return status->language;
    case ColLastInstall: return TimeText(status->lastInstallTime);
    default: return {};
    }
}

CUser::ConnectionState CUser::GetConnectionState() const
{
    const std::shared_ptr<const CUserStatus> status = GetStatus();
    if (status->logonTime == 0 || status->logoffTime == 0)
        return Undetermined;
    return status->logonTime > status->logoffTime ? Connected : NotConnected;
}

void CUser::MarkUpgradeRequested()
{
    m_upgradeReference = GetStatus()->PackedVersion();
}

bool CUser::IsUpgradePending() const
{
    const quint32 reference = m_upgradeReference;
    return reference != 0 && reference == GetStatus()->PackedVersion();
}

std::optional<QString> CUser::UserFilePath(const QString &extension) const
{
    return FileSystem::UserFilePath(g_shareDirectory.Get(), m_login, extension);
}

bool CUser::UserFileExists() const
{
    const std::optional<QString> path = UserFilePath(QStringLiteral(".INI"));
    return path && FileSystem::Exists(*path);
}

QString CUser::UnusableLoginMessage() const
{
    return QStringLiteral("The login \"%1\" cannot be used as a file name (it is empty, \".\" "
                          "or \"..\", holds /, \\, :, or a control character, or is not text in "
                          "the clients' code page), so nothing was written for this user.")
        .arg(FileSystem::DecodeName(m_login));
}

CGroup *CUser::FindGroup(const QByteArray &name) const
{
    for (CGroup *group : m_groups)
        if (group && group->GetName() == name)
            return group;
    return nullptr;
}

int CUser::AddGroup(std::unique_ptr<CGroup> group)
{
    m_groups.append(group.release());
    return int(m_groups.size() - 1);
}

void CUser::AddGroups(std::vector<std::unique_ptr<CGroup>> groups)
{
    for (std::unique_ptr<CGroup> &group : groups)
        if (group)
            m_groups.append(group.release());
}

void CUser::DeleteAllGroups()
{
    qDeleteAll(m_groups);
    m_groups.clear();
}

void CUser::LoadGroups(const CAdminDoc &roster)
{
    DeleteAllGroups();
    m_groupsReadFailed = false;
    const std::optional<QString> path = UserFilePath();
    if (!path)
        return;
    const std::shared_ptr<const ProfileFile> file = Profile::Load(*path);
    if (file->HasError()) {
        m_groupsReadFailed = true;
        return;
    }
    // A member the roster does not know yet stays in the file: applying a
    // group rewrites all of the user's groups.
    AddGroups(CGroupSection::Load(*file, roster, CGroupSection::KeepUnknown));
}

ProfileResult CUser::SaveGroups() const
{
    const std::optional<QString> path = UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, UnusableLoginMessage());
    if (m_groupsReadFailed)
        return ProfileResult::Failure(
            5, QStringLiteral("The groups of \"%1\" could not be read from %2, so they were not "
                              "saved: saving would have replaced the groups in the file.")
                   .arg(FileSystem::DecodeName(m_login), *path));
    return CGroupSection::Save(*path, m_groups);
}

bool CUser::LoadRestrictions(int group)
{
    if (!CRestrictions::IsValidGroup(group))
        return false;
    if (m_loadedRestrictions & (1u << group))
        return true;
    return CRestrictions::Load(UserFilePath(), m_loadedRestrictions, m_restrictions);
}

quint16 CUser::GetActiveRestrictions(int group)
{
    if (!LoadRestrictions(group))
        return 0;
    return CRestrictions::ActiveHalf(m_restrictions[group]);
}

quint16 CUser::GetRequestedRestrictions(int group)
{
    if (!LoadRestrictions(group))
        return 0;
    return CRestrictions::RequestedHalf(m_restrictions[group]);
}

ProfileResult CUser::SetRequestedRestrictions(int group, quint16 mask)
{
    // Compared with values never read, a request would be lost or forced.
    if (!LoadRestrictions(group))
        return ProfileResult::Failure(
            5, QStringLiteral("The restrictions of \"%1\" could not be read, so nothing was "
                              "written for this user.")
                   .arg(FileSystem::DecodeName(m_login)));
    quint32 &word = m_restrictions[group];
    word = CRestrictions::MakeWord(CRestrictions::ActiveHalf(word),
                                   mask & CRestrictions::GetKeyMask(group));
    return WriteRestrictions(group);
}

ProfileResult CUser::WriteRestrictions(int group)
{
    if (!CRestrictions::IsValidGroup(group)
        || !CRestrictions::PendingMask(group, m_restrictions[group]))
        return ProfileResult::Success();
    const std::optional<QString> path = UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, UnusableLoginMessage());
    return CRestrictions::Write(*path, group, m_restrictions[group]);
}

// Client parameters, models and log file: the file work lives in CParameters,
// CModels and CLogFile; the members only carry the last value across.

QByteArray CUser::GetYourKey()
{
    return m_yourKey = CParameters::ReadText(*this, CParameters::YourKey);
}

ProfileResult CUser::SetYourKey(const QByteArray &code)
{
    m_yourKey = code;
    return CParameters::WriteText(*this, CParameters::YourKey, m_yourKey);
}

int CUser::GetNewNoteType()
{
    return m_newNoteType = CParameters::ReadInt(*this, CParameters::NewNoteType, -1);
}

ProfileResult CUser::SetNewNoteType(int type)
{
    m_newNoteType = type;
    return CParameters::WriteInt(*this, CParameters::NewNoteType, m_newNoteType);
}

int CUser::GetCommMode()
{
    return m_commMode = CParameters::ReadInt(*this, CParameters::CommMode, -1);
}

ProfileResult CUser::SetCommMode(int mode)
{
    m_commMode = mode;
    return CParameters::WriteInt(*this, CParameters::CommMode, m_commMode);
}

int CUser::GetReceiveNotesInConfidential()
{
    return m_receiveNotesInConfidential =
               CParameters::ReadInt(*this, CParameters::ReceiveNotesInConfidential, 0);
}

ProfileResult CUser::SetReceiveNotesInConfidential(int on)
{
    m_receiveNotesInConfidential = on;
    return CParameters::WriteInt(*this, CParameters::ReceiveNotesInConfidential,
                                 m_receiveNotesInConfidential);
}

int CUser::GetRefreshRate()
{
    return m_refreshRate = CParameters::ReadInt(*this, CParameters::RefreshRate, -1);
}

ProfileResult CUser::SetRefreshRate(int rate)
{
    m_refreshRate = rate;
    return CParameters::WriteInt(*this, CParameters::RefreshRate, m_refreshRate);
}

ProfileResult CUser::SetSharedDir(const QByteArray &directory)
{
    return CParameters::WriteText(*this, CParameters::SharedDir, directory);
}

quint16 CUser::GetUseLogFile()
{
    return m_useLogFile = CParameters::ReadUInt16(*this, CParameters::UseLogFile, 0);
}

ProfileResult CUser::SetUseLogFile(quint16 bits)
{
    m_useLogFile = bits;
    return CParameters::WriteInt(*this, CParameters::UseLogFile, m_useLogFile);
}

QByteArray CUser::GetDefaultModel()
{
    return m_defaultModel = CParameters::ReadText(*this, CParameters::DefaultModel);
}

ProfileResult CUser::SetDefaultModel(const QByteArray &model)
{
    m_defaultModel = model;
    return CParameters::WriteText(*this, CParameters::DefaultModel, m_defaultModel);
}

void CUser::GetActiveModels(QList<QByteArray> &names)
{
    m_activeModels = CModels::ReadActive(*this);
    names.append(m_activeModels);
}

ProfileResult CUser::SetModel(const QByteArray &name, int value)
{
    return CModels::Request(*this, name, value);
}

bool CUser::DeleteLogFile() const
{
    return CLogFile::Delete(*this);
}

ProfileResult CUser::RequestLogs() const
{
    return CLogFile::Request(*this, LocalTime::Now());
}

ProfileResult CUser::ClearLogFile() const
{
    return CLogFile::Clear(*this);
}

int CUser::CountNotifications() const
{
    return CPendingNotes::CountNotifications(*this);
}

bool CUser::CheckNotes(int &nCount, QList<quint16> &missing) const
{
    const CPendingNotes::NoteCheck check = CPendingNotes::CheckNotes(*this, missing);
    nCount = check.nCount;
    return !check.bReadFailed;
}

ProfileResult CUser::RequestUpgrade(const QByteArray &value) const
{
    return CPendingNotes::WriteUpgradeRequest(*this, value);
}
