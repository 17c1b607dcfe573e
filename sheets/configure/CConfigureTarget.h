#pragma once

#include "platform/Profile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <variant>

class CAdminDoc;
class CGroup;
class CUser;
class QWidget;

// What the configuration pages, the models dialog and the log buttons act
// on: the object of the first selected row of the user list. They set one
// client's parameters, so a group row (or no row) leaves them without a
// user; the status bar is told why, since the pages themselves stay empty.
//
// Writes are requests the client takes up later, and the sheet closes on
// OK whatever they did: failures are collected here and told once, after
// the window that caused them has closed.
class CConfigureTarget
{
public:
    // The item data of the first selected row: a user, a group, or nothing.
    using Object = std::variant<std::monostate, CUser *, CGroup *>;
    using StatusSink = std::function<void(const QString &)>;

    CConfigureTarget(CAdminDoc *pDoc, Object object, StatusSink status = {});

    CAdminDoc *GetDocument() const { return m_pDoc; }
    // The user to configure, or null when the row holds a group or nothing.
    CUser *GetUser() const;

    // Puts on the status bar why there is no user to act on; does nothing
    // when there is one. False when there is no user.
    bool ExplainUser() const;

    // Whether the user's file can be read now. A missing file can: it holds
    // nothing yet, and the client's defaults are what it runs with.
    bool CanReadUserFile() const;
    // Tells at once, naming the user, when the user's file cannot be read.
    void WarnIfUnreadable(QWidget *pParent);
    // A page has read its values since a check that gave bReadBefore. False
    // when either check failed: the values are then defaults, not the
    // client's, and the page must write nothing. Kept for Report() unless
    // the administrator was told when the sheet opened.
    bool EndRead(bool bReadBefore, const QString &csPage);

    // Keeps the failure of a write for Report(); a success is ignored.
    void Note(const ProfileResult &result);
    bool HasFailures() const { return !m_failures.isEmpty(); }
    QStringList GetFailures() const { return m_failures; }
    // One message for everything that failed since the last report.
    void Report(QWidget *pParent);

private:
    CAdminDoc *m_pDoc;
    Object m_object;
    StatusSink m_status;
    QStringList m_failures;
    bool m_bUnreadableTold = false;
};
