#include "store/CGroup.h"

#include "store/CUser.h"

QByteArray CGroup::GetMemberList() const
{
    QByteArray list;
    for (const CUser *member : *this) {
        if (!member)
            continue;
        if (!list.isEmpty())
            list += ',';
        list += member->GetLogin();
    }
    for (const QByteArray &login : m_keptLogins) {
        if (!list.isEmpty())
            list += ',';
        list += login;
    }
    return list;
}

void CGroup::RemoveMember(const CUser *user)
{
    const qsizetype index = lastIndexOf(const_cast<CUser *>(user));
    if (index >= 0)
        removeAt(index);
}

void CGroup::ParseMemberList(const QByteArray &memberList, QList<QByteArray> &logins)
{
    logins.clear();
    for (const QByteArray &login : memberList.split(','))
        if (!login.isEmpty())
            logins.append(login);
}
