#pragma once

class CGroup;
class CUser;

// What a row of the user list stands for: one user or one recipient group,
// never both. Rows only point at the document's objects; they own nothing.
class CRowObject
{
public:
    CRowObject() = default;
    static CRowObject User(CUser *pUser) { return CRowObject(pUser, nullptr); }
    static CRowObject Group(CGroup *pGroup) { return CRowObject(nullptr, pGroup); }

    bool IsNull() const { return !m_pUser && !m_pGroup; }
    bool IsUser() const { return m_pUser != nullptr; }
    bool IsGroup() const { return m_pGroup != nullptr; }
    CUser *GetUser() const { return m_pUser; }
    CGroup *GetGroup() const { return m_pGroup; }
    const void *GetKey() const { return m_pUser ? static_cast<const void *>(m_pUser) : m_pGroup; }

    explicit operator bool() const { return !IsNull(); }
    bool operator==(const CRowObject &other) const = default;

private:
    CRowObject(CUser *pUser, CGroup *pGroup) : m_pUser(pUser), m_pGroup(pGroup) {}

    CUser *m_pUser = nullptr;
    CGroup *m_pGroup = nullptr;
};
