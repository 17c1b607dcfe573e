#pragma once

#include "CSimulatorCounts.h"
#include "CWin32ProfileWriter.h"

#include "store/CUserStatus.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <random>

class CWriteJournal;
class ProfileFile;

// One client of the messaging system, played against the shared directory.
// Each Step is one look of the client at the directory: a client that is off
// starts (logs on and reports its information record, upgrading first when an
// upgrade waits for it); a client that runs either stops (logs off) or takes
// up what the administrator asked for in its user file.
//
// The request sections (Restrictions, Parameters, Models) are the state the
// administrator wants, and the Active sections the state in force: the client
// copies every request that differs from what is in force and leaves the
// request where it is. Removing it instead would race with the tool: a new
// request written between the client's read and its removal would be erased
// unseen, since a profile removal cannot be made to depend on the value it
// removes. Left in place, a request applied twice changes nothing.
//
// One-shot entries are removed once answered: an ExternalControl
// "AskForLogs" (after the log is written), the upgrade request "newver"
// (after the new version is reported) and the key of a received note (before
// its file is deleted, so that the key never names a missing file).
//
// A client writes its profile files the way the Windows clients do (see
// CWin32ProfileWriter), or, when told to, through the platform's own
// guarded writer; everything else goes through the platform's functions.
class CSimulatedClient
{
public:
    struct Settings
    {
        QString shareDirectory;
        QString usersIniPath;
        int logoffPercent = 10; // chance that a running client stops at a step
        // How the client writes its profile files; nullopt: through the
        // platform's guarded writer.
        std::optional<CWin32ProfileWriter::Mode> win32 = CWin32ProfileWriter::Mode::InPlace;
    };

    CSimulatedClient(const Settings &settings, QByteArray login, QString userFilePath,
                     quint32 seed, CWriteJournal *journal);

    // Takes up the status Users.ini holds for the login, so that a client
    // keeps its version and its place (on or off) across simulator runs.
    void ReadStatus(const ProfileFile &usersIni);
    // One look at the shared directory at time now (seconds since 1970).
    void Step(qint64 now);
    // A client that runs when the simulation ends logs off.
    void Stop(qint64 now);

    QByteArray GetLogin() const { return m_login; }
    bool IsLoggedOn() const { return m_loggedOn; }
    const CSimulatorCounts &GetCounts() const { return m_counts; }
    // A draw of the client's own random sequence, for its schedule.
    double NextUniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random); }

private:
    void LogOn(qint64 now);
    void LogOff(qint64 now);
    void Poll(qint64 now);
    void TakeRestrictions(const ProfileFile &file);
    void TakeParameters(const ProfileFile &file);
    void TakeModels(const ProfileFile &file);
    void AnswerLogRequests(const ProfileFile &file, qint64 now);
    void ReceiveNotes(const ProfileFile &file);
    bool UpgradeIfAsked(const ProfileFile &file, qint64 now, bool atStart);
    void Upgrade(qint64 now);
    QByteArray InfosRecord() const;

    bool Write(const QString &path, const QByteArray &section, const QByteArray &key,
               const QByteArray &value);
    bool Remove(const QString &path, const QByteArray &section, const QByteArray &key);
    void Journal(const QString &path, const QByteArray &section, const QByteArray &key,
                 const QByteArray *value);

    Settings m_settings;
    QByteArray m_login;
    QString m_userFilePath;
    std::mt19937 m_random;
    CWriteJournal *m_journal;
    std::unique_ptr<CWin32ProfileWriter> m_win32;

    bool m_loggedOn = false;
    qint64 m_logonTime = 0;
    CUserStatus m_status;
    QByteArray m_sharedDir; // where the administrator asked notes to be received
    CSimulatorCounts m_counts;
};
