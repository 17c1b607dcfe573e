#pragma once

#include "platform/Profile.h"
#include "store/CUserStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CAdminDoc;
class CGroup;
class ProfileFile;

// One user of the roster: login and full name from Users.ini, the status the
// user's client reports there, and what the tool reads from and writes to the
// user's own file. The document creates every user and owns it; everything
// else only borrows it.
//
// The status is written by the document's status reader while the list reads
// it on the user-interface thread, so it is held as one immutable value that
// is swapped whole (see CUserStatus). Everything else is user-interface
// thread only.
class CUser
{
public:
    // Column numbers of GetColumnText, in the list's order.
    enum Column {
        ColLogin, ColFullName, ColLogon, ColLogoff, ColConnected, ColVersion,
        ColOldVersion, ColLevel, ColOS, ColLanguage, ColLastInstall, ColumnCount
    };
    enum ConnectionState { NotConnected = 0, Connected = 1, Undetermined = 2 };
    // A logon older than this no longer says whether the user is connected.
    static constexpr qint64 kConnectedWindow = 432000;

    CUser(QByteArray login, QByteArray fullName);
    ~CUser();
    CUser(const CUser &) = delete;
    CUser &operator=(const CUser &) = delete;

    QByteArray GetLogin() const { return m_login; }
    QByteArray GetFullName() const { return m_fullName; }
    // The roster marks a deleted user with the exact full name "deleted".
    bool IsDeleted() const;

    // The status as one consistent value; safe from any thread.
    std::shared_ptr<const CUserStatus> GetStatus() const;
    qint64 GetLogonTime() const { return GetStatus()->logonTime; }
    qint64 GetLogoffTime() const { return GetStatus()->logoffTime; }
    qint64 GetLastInstallTime() const { return GetStatus()->lastInstallTime; }
    quint16 GetOS() const { return GetStatus()->os; }
    quint16 GetLevel() const { return GetStatus()->level; }
    bool HasStatusReadFailed() const { return GetStatus()->readFailed; }

    // Where the status sections stand in one parse of Users.ini, found once
    // for a pass over many users.
    struct StatusSections
    {
        explicit StatusSections(const ProfileFile &usersIni);
        qsizetype logon;
        qsizetype logoff;
        qsizetype infos;
    };

    // Reads the user's Logon, Logoff and Infos entries of Users.ini.
    void ReadStatus(const QString &usersIniPath);
    void ReadStatus(const ProfileFile &usersIni);
    void ReadStatus(const ProfileFile &usersIni, const StatusSections &sections);
    // Stores the fields of an information record (see CUserStatus::ApplyInfos).
    void ParseInfos(const QByteArray &infos);

    QByteArray GetColumnText(int column) const;
    QByteArray GetColumnText(int column, qint64 now) const;
    // The text the column would show with that status.
    QByteArray GetColumnText(int column, const CUserStatus &status, qint64 now) const;
    ConnectionState GetConnectionState() const;

    // Remembers the version the client runs now, so that the list can show an
    // upgrade as pending until the client reports another one. Memory only.
    void MarkUpgradeRequested();
    bool IsUpgradePending() const;

    // Restrictions of one group (0 to 5, see CRestrictions) as 16-bit masks.
    // The first call reads the user file; later ones use what the tool knows.
    // False when the file exists but cannot be read.
    bool LoadRestrictions(int group);
    quint16 GetActiveRestrictions(int group);
    quint16 GetRequestedRestrictions(int group);
    // Takes mask as the request and writes what differs from the values in
    // force. A failure (an unusable login, the file) is returned, not hidden.
    ProfileResult SetRequestedRestrictions(int group, quint16 mask);
    ProfileResult WriteRestrictions(int group);

    // The user's file in the shared directory, or nullopt when the login
    // cannot name a file (see FileSystem::IsSafeLogin).
    std::optional<QString> UserFilePath(const QString &extension = QStringLiteral(".ini")) const;
    bool UserFileExists() const;
    // The text given to the administrator when a write is refused because the
    // login cannot name a file.
    QString UnusableLoginMessage() const;

    // Personal groups, owned by the user.
    const QList<CGroup *> &GetGroups() const { return m_groups; }
    CGroup *FindGroup(const QByteArray &name) const;
    bool HasGroup(const QByteArray &name) const { return FindGroup(name) != nullptr; }
    int AddGroup(std::unique_ptr<CGroup> group);
    void AddGroups(std::vector<std::unique_ptr<CGroup>> groups);
    void DeleteAllGroups();
    // Rereads the personal groups from the user file; members are looked up
    // in the roster, and those it does not know are kept as logins.
    void LoadGroups(const CAdminDoc &roster);
    // Rewrites the Groups section of the user file. A failure (an unusable
    // login, a group that cannot be written, the file) is returned, not hidden.
    // After a load that could not read the file, saving is refused: the
    // groups held then are not the file's, and writing them would erase those.
    ProfileResult SaveGroups() const;

    // Client parameters (see CParameters). Each getter reads the value the
    // client reports in force, afresh; each setter writes one key of the
    // administrator's request and returns what the write did.
    QByteArray GetYourKey();
    ProfileResult SetYourKey(const QByteArray &code);
    int GetNewNoteType();
    ProfileResult SetNewNoteType(int type);
    int GetCommMode();
    ProfileResult SetCommMode(int mode);
    int GetReceiveNotesInConfidential();
    ProfileResult SetReceiveNotesInConfidential(int on);
    int GetRefreshRate();
    ProfileResult SetRefreshRate(int rate);
    ProfileResult SetSharedDir(const QByteArray &directory);
    quint16 GetUseLogFile();
    ProfileResult SetUseLogFile(quint16 bits);
    QByteArray GetDefaultModel();
    ProfileResult SetDefaultModel(const QByteArray &model);

    // Note models (see CModels): appends the models the client reports, in
    // file order, to names; asks the client to take a model.
    void GetActiveModels(QList<QByteArray> &names);
    ProfileResult SetModel(const QByteArray &name, int value);

    // The client's log file (see CLogFile).
    bool DeleteLogFile() const;
    ProfileResult RequestLogs() const;
    ProfileResult ClearLogFile() const;

    // What waits for the user (see CPendingNotes): notifications, and notes
    // with the numbers of those whose file is missing appended to missing.
    // CheckNotes is false when the user file exists but could not be read.
    int CountNotifications() const;
    bool CheckNotes(int &nCount, QList<quint16> &missing) const;
    // Asks the client to upgrade; a later request replaces this one.
    ProfileResult RequestUpgrade(const QByteArray &value) const;

private:
    void Publish(const CUserStatus &status);

    const QByteArray m_login;
    const QByteArray m_fullName;

    mutable std::mutex m_statusMutex;
    std::shared_ptr<const CUserStatus> m_status;
    // Version and build (high and low 16 bits) when an upgrade was requested.
    std::atomic<quint32> m_upgradeReference{0};

    // Restrictions: the groups loaded so far (bit n for group n) and one word
    // per group, the values in force in the high half, the requests in the low.
    quint16 m_loadedRestrictions = 0;
    quint32 m_restrictions[6] = {};

    QList<CGroup *> m_groups;
    bool m_groupsReadFailed = false;

    // Client parameters as last read from or written to the user file.
    QByteArray m_yourKey;
    int m_receiveNotesInConfidential = 0;
    int m_newNoteType = -1;
    int m_commMode = -1;
    int m_refreshRate = -1;
    quint16 m_useLogFile = 0;
    QByteArray m_defaultModel;
    QList<QByteArray> m_activeModels;
};
