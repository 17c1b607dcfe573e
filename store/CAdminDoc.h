#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
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
// except the status reader, whose results arrive as StatusRead().
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
    // dropped). The roster and groups stay; the next LoadRoster adds the new
    // directory's users.
    void SetShareDirectory(const QString &path);
    QString GetShareDirectory() const { return m_shareDirectory; }
    QString GetUsersIniPath() const { return m_usersIniPath; }

    // In the order the logins were first met; callers only read.
    const QList<CUser *> &GetUsers() const { return m_users; }
    // The user whose login equals login byte for byte, or null.
    CUser *FindUser(const QByteArray &login) const;

    // Whether Users.ini may have changed since it was last looked at. One
    // status query of the file, nothing more.
    bool RosterChanged();
    // When Users.ini changed (or a reload is pending after a read error),
    // adds the logins not yet in the roster and starts a status pass.
    void LoadRoster();
    bool IsReloadForced() const { return m_reloadForced; }
    // Reads every user's status now, on the calling thread.
    void ReadAllUserStatus();
    // Blocks until the status reader has no pass running or waiting.
    void WaitForStatusReaders();

    const QList<CGroup *> &GetGroups() const { return m_groups; }
    // Adds the groups of Users.ini whose names are not held yet.
    void LoadGroups();
    // Rewrites the Groups section of Users.ini from the groups held. A
    // failure is returned with a message for the administrator.
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

private:
    struct FileIdentity
    {
        qint64 mtimeNs = 0;
        qint64 size = -1;
        bool operator==(const FileIdentity &) const = default;
    };

    void AddGroupsFrom(const ProfileFile &usersIni);

    QString m_shareDirectory;
    QString m_usersIniPath;
    bool m_resolveUsersIni = true;
    FileIdentity m_lastSeen;
    bool m_reloadForced = false;
    bool m_groupsReadFailed = false;

    QList<CUser *> m_users;
    QHash<QByteArray, CUser *> m_userIndex;
    QList<CGroup *> m_groups;
    std::unique_ptr<CStatusReader> m_statusReader;
};
