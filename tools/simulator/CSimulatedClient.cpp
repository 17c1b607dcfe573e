#include "CSimulatedClient.h"

#include "CWriteJournal.h"

#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "store/CPendingNotes.h"
#include "store/CRestrictions.h"

#include <QFileInfo>

namespace {

const QByteArray kUpgradeKey = CPendingNotes::UpgradeKey;

QByteArray Num(qint64 value)
{
    return QByteArray::number(value);
}

bool IsRestrictionKey(const QByteArray &key)
{
    for (int group = 0; group < CRestrictions::GroupCount; ++group)
        for (int bit = 0; bit < CRestrictions::GetKeyCount(group); ++bit)
            if (CRestrictions::GetKeyName(group, bit).compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

} // namespace

CSimulatedClient::CSimulatedClient(const Settings &settings, QByteArray login,
                                   QString userFilePath, quint32 seed, CWriteJournal *journal)
    : m_settings(settings), m_login(std::move(login)), m_userFilePath(std::move(userFilePath)),
      m_random(seed), m_journal(journal)
{
    if (m_settings.win32)
        m_win32 = std::make_unique<CWin32ProfileWriter>(*m_settings.win32);
    // A client that never reported anything runs the current release.
    m_status.ApplyInfos("21,340,20,300,0,English,0,2,2");
}

void CSimulatedClient::ReadStatus(const ProfileFile &usersIni)
{
    const qint64 logon = CrtAtoi(usersIni.String("Logon", m_login));
    const qint64 logoff = CrtAtoi(usersIni.String("Logoff", m_login));
    m_loggedOn = logon != 0 && logon > logoff;
    m_logonTime = logon;
    if (std::optional<QByteArray> infos = usersIni.Value("Infos", m_login))
        m_status.ApplyInfos(*infos);
}

void CSimulatedClient::Step(qint64 now)
{
    ++m_counts.steps;
    if (!m_loggedOn) {
        LogOn(now);
        Poll(now);
        return;
    }
    if (int(m_random() % 100) < m_settings.logoffPercent) {
        LogOff(now);
        return;
    }
    Poll(now);
}

void CSimulatedClient::Stop(qint64 now)
{
    if (m_loggedOn)
        LogOff(now);
}

void CSimulatedClient::LogOn(qint64 now)
{
    // An upgrade waiting for the next start is installed before the client
    // comes up, so the record it reports is already the new one.
    UpgradeIfAsked(*Profile::Load(m_userFilePath), now, true);
    if (Write(m_settings.usersIniPath, "Logon", m_login, Num(now)))
        ++m_counts.logons;
    m_loggedOn = true;
    m_logonTime = now;
    if (Write(m_settings.usersIniPath, "Infos", m_login, InfosRecord()))
        ++m_counts.infoReports;
}

void CSimulatedClient::LogOff(qint64 now)
{
    if (Write(m_settings.usersIniPath, "Logoff", m_login, Num(now)))
        ++m_counts.logoffs;
    m_loggedOn = false;
}

void CSimulatedClient::Poll(qint64 now)
{
    const std::shared_ptr<const ProfileFile> file = Profile::Load(m_userFilePath);
    if (!file->Exists())
        return; // nothing asked of this client yet
    TakeRestrictions(*file);
    TakeParameters(*file);
    TakeModels(*file);
    AnswerLogRequests(*file, now);
    ReceiveNotes(*file);
    UpgradeIfAsked(*file, now, false);
}

void CSimulatedClient::TakeRestrictions(const ProfileFile &file)
{
    const QByteArray active = CRestrictions::ActiveSection();
    for (const auto &[key, value] : file.Entries(CRestrictions::RequestSection())) {
        if (!IsRestrictionKey(key))
            continue; // not a feature this client has
        const QByteArray wanted = ProfileFile::ParseInt(value) != 0 ? "1" : "0";
        if (file.Value(active, key) == wanted)
            continue;
        if (Write(m_userFilePath, active, key, wanted))
            ++m_counts.restrictionsTaken;
    }
}

void CSimulatedClient::TakeParameters(const ProfileFile &file)
{
    for (const auto &[key, value] : file.Entries("Parameters")) {
        // The directory to receive notes in is followed but, as every
        // client does, not reported back.
        if (key.compare("SharedDir", Qt::CaseInsensitive) == 0) {
            if (m_sharedDir != value) {
                m_sharedDir = value;
                ++m_counts.sharedDirsTaken;
            }
            continue;
        }
        if (file.Value("ActiveParameters", key) == value)
            continue;
        if (Write(m_userFilePath, "ActiveParameters", key, value))
            ++m_counts.parametersTaken;
    }
}

void CSimulatedClient::TakeModels(const ProfileFile &file)
{
    for (const auto &[name, value] : file.Entries("Models")) {
        if (ProfileFile::ParseInt(value) == 0 || file.Value("ActiveModels", name))
            continue;
        if (Write(m_userFilePath, "ActiveModels", name, "1"))
            ++m_counts.modelsTaken;
    }
}

void CSimulatedClient::AnswerLogRequests(const ProfileFile &file, qint64 now)
{
    QList<QByteArray> answered;
    for (const auto &[key, value] : file.Entries("ExternalControl"))
        if (value.compare("AskForLogs", Qt::CaseInsensitive) == 0)
            answered.append(key);
    if (answered.isEmpty())
        return;

    // The log holds one section per session; the answer replaces the
    // section of the current one, in one write, so the file never shows up
    // half written.
    const std::optional<QString> log =
        FileSystem::UserFilePath(m_settings.shareDirectory, m_login, QStringLiteral(".log"));
    if (!log)
        return;
    const QList<QByteArray> lines = {
        Num(m_logonTime) + "=Corvane started",
        Num(now) + "=Log requested (" + Num(m_counts.steps) + " looks at the shared directory)",
    };
    const ProfileResult written = Profile::WriteSection(*log, "Session " + Num(m_logonTime), lines);
    if (!written) {
        ++m_counts.failedWrites;
        return;
    }
    ++m_counts.writes;
    ++m_counts.logsWritten;
    for (const QByteArray &key : answered)
        Remove(m_userFilePath, "ExternalControl", key);
}

void CSimulatedClient::ReceiveNotes(const ProfileFile &file)
{
    for (const QByteArray &key : file.Keys(CPendingNotes::NotesSection)) {
        const std::optional<quint16> number = CPendingNotes::NoteNumber(key);
        if (!number)
            continue;
        const QString note = CPendingNotes::NoteFilePath(m_settings.shareDirectory, *number);
        if (!FileSystem::Exists(note))
            continue; // still on its way, or lost: it stays listed
        if (Remove(m_userFilePath, CPendingNotes::NotesSection, key)) {
            FileSystem::Remove(note);
            ++m_counts.notesReceived;
        }
    }
}

bool CSimulatedClient::UpgradeIfAsked(const ProfileFile &file, qint64 now, bool atStart)
{
    const std::optional<QByteArray> request =
        file.Value(CPendingNotes::NotesSection, kUpgradeKey);
    if (!request)
        return false;
    const QByteArray mode = request->left(request->indexOf(',')).trimmed();
    // Without a mode the request waits for the next start, like "at-restart".
    if (!atStart && mode != "now")
        return false;
    if (!atStart) {
        // Upgrading at once means stopping and starting again.
        LogOff(now);
        Upgrade(now);
        LogOn(now);
    } else {
        Upgrade(now);
    }
    return true;
}

void CSimulatedClient::Upgrade(qint64 now)
{
    m_status.oldVersion = m_status.version;
    m_status.oldBuild = m_status.build;
    m_status.version = quint16(m_status.version + 1);
    m_status.build = quint16(m_status.build + 10 + m_random() % 30);
    m_status.lastInstallTime = now;
    // The new version is reported by the logon that follows; until then the
    // tool keeps showing the upgrade as pending.
    Remove(m_userFilePath, CPendingNotes::NotesSection, kUpgradeKey);
    ++m_counts.upgrades;
}

QByteArray CSimulatedClient::InfosRecord() const
{
    const CUserStatus &s = m_status;
    return Num(s.version) + ',' + Num(s.build) + ',' + Num(s.oldVersion) + ',' + Num(s.oldBuild)
        + ",0," + (s.language == "-" ? QByteArray("English") : s.language) + ','
        + Num(s.lastInstallTime) + ',' + Num(s.os == 0xFFFF ? 2 : s.os) + ','
        + Num(s.level == 0xFFFF ? 2 : s.level);
}

bool CSimulatedClient::Write(const QString &path, const QByteArray &section,
                             const QByteArray &key, const QByteArray &value)
{
    const bool ok = m_win32 ? m_win32->Write(path, section, key, &value)
                            : bool(Profile::WriteString(path, section, key, value));
    if (!ok) {
        ++m_counts.failedWrites;
        return false;
    }
    ++m_counts.writes;
    Journal(path, section, key, &value);
    return true;
}

bool CSimulatedClient::Remove(const QString &path, const QByteArray &section,
                              const QByteArray &key)
{
    const bool ok = m_win32 ? m_win32->Write(path, section, key, nullptr)
                            : bool(Profile::DeleteKey(path, section, key));
    if (!ok) {
        ++m_counts.failedWrites;
        return false;
    }
    ++m_counts.writes;
    Journal(path, section, key, nullptr);
    return true;
}

void CSimulatedClient::Journal(const QString &path, const QByteArray &section,
                               const QByteArray &key, const QByteArray *value)
{
    if (!m_journal)
        return;
    const QString name = QFileInfo(path).fileName();
    if (value)
        m_journal->Written(name, section, key, *value);
    else
        m_journal->Removed(name, section, key);
}
