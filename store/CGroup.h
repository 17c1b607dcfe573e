#pragma once

#include <QByteArray>
#include <QList>

class CUser;

// A recipient group: a name and an ordered list of members. The members point
// into the document's roster and are not owned; shared groups and a user's
// personal groups are the same kind of object. Members are added, counted and
// read through the list operations.
class CGroup : public QList<CUser *>
{
public:
    CGroup() = default;
    explicit CGroup(QByteArray name) : m_name(std::move(name)) {}

    QByteArray GetName() const { return m_name; }
    void SetName(const QByteArray &name) { m_name = name; }

    // The members' logins joined with ",", as a Groups entry holds them,
    // followed by the kept logins.
    QByteArray GetMemberList() const;

    // Logins of the file's member list that the roster did not know when the
    // group was read (a client may name a user whose roster entry is still to
    // come). They are not members here, but a save writes them back, after
    // the members, rather than erase them. Copies and assignment carry them.
    const QList<QByteArray> &GetKeptLogins() const { return m_keptLogins; }
    void KeepLogin(const QByteArray &login) { m_keptLogins.append(login); }
    // Removes the last occurrence of user; the other members keep their order.
    void RemoveMember(const CUser *user);

    // Empties logins, then appends the logins of a member list in order. Empty
    // pieces (",,", a leading or trailing ",") are dropped.
    static void ParseMemberList(const QByteArray &memberList, QList<QByteArray> &logins);

private:
    QByteArray m_name;
    QList<QByteArray> m_keptLogins;
};
