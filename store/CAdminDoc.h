#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class CGroup;
class CStatusReader;
class CUser;
class ProfileFile;

// The document: the shared directory, the roster of users and the shared
// recipient groups. The roster only grows: a user, once read, stays at its
// index until the document is destroyed, so anyone may keep a CUser pointer
// for as long as the document lives.
//
// The document knows nothing of the registry or the screen: the application
// reads the directory from its settings and hands it to OnNewDocument or
// SetShareDirectory. Everything runs on the thread that owns the document
// except the status reader: it reads and parses Users.ini, finds the logins
// not yet in the roster and reads every user's status, so that the
// document's thread only appends the new users (RosterGrew) and hears that
// the statuses changed (StatusRead).
class CAdminDoc : public QObject
{
    Q_OBJECT

public:
    explicit CAdminDoc(QObject *parent = nullptr);
    // Stops and joins the status reader before the users go.
    ~CAdminDoc() override;

    // Takes the shared directory, loads the roster and the shared groups.
    // Fails, and loads nothing, on an empty path.
    bool OnNewDocument(const QString &shareDirectory);
    // Uses another shared directory from now on (one trailing "\" or "/" is
    // dropped). The roster stays and the next LoadRoster adds the new
    // directory's users. The groups of the old directory go: the groups held
    // are always those of the directory in use, read by the next LoadRoster.
    void SetShareDirectory(const QString &path);
    QString GetShareDirectory() const { return m_shareDirectory; }
    QString GetUsersIniPath() const { return m_usersIniPath; }

    // In the order the logins were first met; callers only read.
    const QList<CUser *> &GetUsers() const { return m_users; }
    // The user whose login equals login byte for byte, or null. Safe from
    // any thread; may name a user the reader has just found and whose
    // RosterGrew is still on its way.
    CUser *FindUser(const QByteArray &login) const;

    // Whether Users.ini may have changed since it was last looked at. One
    // status query of the file, nothing more.
    bool RosterChanged();
    // When Users.ini changed (or a reload is pending after a read error),
    // adds the logins not yet in the roster and starts a status pass.
    // Returns once the new users are in the roster, those of a pass a
    // refresh started before included.
    void LoadRoster();
    // The same without waiting: the reader reads Users.ini and the new
    // users arrive, with RosterGrew, from the event loop. True when a pass
    // was started.
    bool RefreshRoster();
    bool IsReloadForced() const { return m_reloadForced; }
    // Why Users.ini could not be read at the last roster load (its path and
    // the reason), or an empty text when it could.
    QString GetShareTrouble() const { return m_shareTrouble; }
    // Reads every user's status now, on the calling thread.
    void ReadAllUserStatus();
    // Blocks until the status reader has no pass running or waiting.
    void WaitForStatusReaders();

    const QList<CGroup *> &GetGroups() const { return m_groups; }
    // Adds the groups of Users.ini whose names are not held yet. While
    // Users.ini is missing or unreadable the groups stay unread, and every
    // LoadRoster that can read the file reads them.
    void LoadGroups();
    // Whether the groups held are those read from the Users.ini of the
    // directory in use. Only then may they be saved.
    bool AreGroupsRead() const;
    // Counts the times the groups were replaced by the file's: a window that
    // edits copies of the groups must not save them over groups read since.
    quint64 GetGroupsGeneration() const { return m_groupsGeneration; }
    // Rewrites the Groups section of Users.ini from the groups held. A
    // failure is returned with a message for the administrator; groups not
    // read from this directory's Users.ini are never saved.
    ProfileResult SaveGroups();
    CGroup *FindGroup(const QByteArray &name) const;
    // Whether a group has this name, ignoring case as the administrator sees it.
    bool GroupNameExists(const QByteArray &name) const;
    int AddGroup(std::unique_ptr<CGroup> group);
    void AddGroups(std::vector<std::unique_ptr<CGroup>> groups);
    void DeleteAllGroups();

    // Appends the names of the shared directory's model files (the file name
    // before its last dot), in directory order.
    void ListModels(QList<QByteArray> &names) const;

Q_SIGNALS:
    // Users [first, first + count) were appended to the roster.
    void RosterGrew(int first, int count);
    // A status pass has read every user of the roster it started with.
    // Raised on the document's thread.
    void StatusRead();
    // Raised on the reader's thread; relayed, queued, as StatusRead.
    void StatusPassFinished(QPrivateSignal);
    // Every group is about to be deleted (nothing may point at them after);
    // then the groups of the directory in use, or none, are held.
    void GroupsAboutToBeReplaced();
    void GroupsReplaced();
    // GetShareTrouble() changed: the share went away, came back, or fails
    // for another reason now.
    void ShareTroubleChanged(const QString &trouble);
    // Raised on the reader's thread when it has found the roster's new users.
    void RosterPassRead(QPrivateSignal);

private:
    struct FileIdentity
    {
        qint64 mtimeNs = 0;
        qint64 size = -1;
        bool operator==(const FileIdentity &) const = default;
    };

    void AddGroupsFrom(const ProfileFile &usersIni);
    void SetShareTrouble(const QString &trouble);
    // Holds the file's groups in place of those held, which were not read
    // from this directory.
    void ReplaceGroupsFrom(const ProfileFile *usersIni);
    quint64 StartRosterPass();
    // On the reader's thread.
    std::shared_ptr<const ProfileFile> ReadRoster(const QString &directory, const QString &path,
                                                  quint64 pass, bool keepFile,
                                                  std::vector<CUser *> &users);
    // On the document's thread: takes what the reader found.
    void ApplyRoster();

    QString m_shareDirectory;
    QString m_usersIniPath;
    bool m_resolveUsersIni = true;
    FileIdentity m_lastSeen;
    bool m_reloadForced = false;
    QString m_shareTrouble;
    bool m_bUsersIniRead = false; // in this directory, once at least
    // The directory whose Users.ini the groups were read from; empty while
    // they are unread.
    QString m_groupsDirectory;
    quint64 m_groupsGeneration = 0;

    QList<CUser *> m_users;
    quint64 m_rosterPasses = 0;

    // The roster as the reader knows it: m_users is the prefix of
    // m_allUsers that the document's thread has taken. Only the reader adds
    // to these, under m_rosterMutex; it reads them without.
    mutable std::mutex m_rosterMutex;
    std::condition_variable m_rosterRead;
    std::vector<CUser *> m_allUsers;
    QHash<QByteArray, CUser *> m_userIndex;
    quint64 m_rosterPassDone = 0;
    bool m_rosterReadFailed = false;
    std::shared_ptr<const ProfileFile> m_rosterFile; // kept for groups not read yet
    QString m_rosterDirectory; // of the pass not yet taken; empty once taken
    bool m_rosterExists = false;
    QList<CGroup *> m_groups;
    std::unique_ptr<CStatusReader> m_statusReader;
};
