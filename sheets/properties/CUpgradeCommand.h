#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CAdminView;
class CUser;

// Actions › Upgrade...: asks the clients of the selected users to install a
// new version. The request goes into each user's file, where the client
// finds it; the list shows each user as waiting for the upgrade until its
// client reports another version.
class CUpgradeCommand
{
public:
    // More problems than this are counted, not listed, in the message.
    static constexpr int MaxListedProblems = 20;

    // Runs the Upgrade sheet; after OK writes the request for every selected
    // user (a selected group row stands for its members, each user once)
    // and refreshes their rows. Requests that could not be written are
    // named in one message at the end. Answers IDOK or IDCANCEL.
    static int OnActionsUpgrade(CAdminView *pView);

    // Writes value as the upgrade request of each user and marks each user
    // whose request was written. Returns one line per user whose request
    // could not be written, saying why.
    static QStringList SendRequests(const QList<CUser *> &users, const QByteArray &value);

    // The message naming the problems; empty when there are none.
    static QString ProblemMessage(const QStringList &problems);
};
