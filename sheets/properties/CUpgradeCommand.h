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
    // and refreshes their rows. The files are written several at a time
    // behind a progress dialog that can cancel between files; the status
    // bar sums up, and requests that could not be written (and, after a
    // cancel, those that were) are named in one message at the end.
    // Answers IDOK or IDCANCEL.
    static int OnActionsUpgrade(CAdminView *pView);

    // The message naming the problems; empty when there are none.
    static QString ProblemMessage(const QStringList &problems);
};
