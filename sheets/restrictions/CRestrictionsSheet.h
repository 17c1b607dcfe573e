#pragma once

#include "framework/CPropertySheet.h"
#include "store/CBulkWriter.h"
#include "store/CRestrictions.h"

#include <QList>
#include <QString>
#include <QStringList>

class CRestrictionPage;
class CUser;

// The "Restrictions" sheet: one page per restriction group, working on any
// number of selected users at once.
//
// Building the sheet reads every selected user's restrictions (one read of
// each user file). A user whose file exists but cannot be read is left out of
// the pages: its values are unknown, and showing them as forbidden would make
// a request to forbid look already done. After OK, only the pages that were
// opened hand their requests to the store; a page never opened leaves its
// restriction group alone for everybody.
class CRestrictionsSheet : public CPropertySheet
{
    Q_OBJECT

public:
    // More problems than this are counted, not listed, in the message.
    static constexpr int MaxListedProblems = 20;

    explicit CRestrictionsSheet(const QList<CUser *> &users, QWidget *parent = nullptr);

    // The Restrictions command: runs the sheet for the selected users (group
    // rows already replaced by their members), writes what OK asks for, and
    // then names in one message the users for whom something could not be
    // read or written.
    static void Run(QWidget *parent, const QList<CUser *> &users);

    // The users in order, each once, without null entries.
    static QList<CUser *> UniqueUsers(const QList<CUser *> &users);

    // The users the pages work on, in the order of their words.
    const QList<CUser *> &GetUsers() const { return m_users; }
    CRestrictionPage *GetRestrictionPage(int nGroup) const;

    // After OK: hands each opened page's requests to the store, user by
    // user, nInFlight users' files at a time. Returns one line per user for
    // whom something could not be read or written, each user once, in the
    // users' order.
    QStringList ApplyRequests(int nInFlight = 1);
    // The write of each user's requests, for a CBulkWriter over GetUsers():
    // every opened page's group in page order, the first failure returned.
    CBulkWriter::Task RequestTask() const;
    // The lines of ApplyRequests for a writer that ran RequestTask().
    QStringList Problems(const CBulkWriter &writer) const;
    // The users whose restrictions could not be read when the sheet was built.
    QStringList GetReadProblems() const { return m_readProblems; }

    // The message naming the problems; empty when there are none.
    static QString ProblemMessage(const QStringList &problems);

private:
    QList<CUser *> m_users;
    QStringList m_readProblems;
    CRestrictionPage *m_pPages[CRestrictions::GroupCount] = {};
};
