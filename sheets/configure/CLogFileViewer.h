#pragma once

#include "platform/FileSystem.h"

#include <QString>
#include <functional>

class CUser;
class QWidget;

// Fetching a client's log file from the administrator's side: the client is
// asked for a fresh one through its user file, a box waits until a log other
// than the one there before arrives (or until the administrator gives up),
// and the log opens in the system's text editor. The old log stays where it
// is until the client replaces it: when no new one comes, it is offered with
// its date.
class CLogFileViewer
{
public:
    // Opens a file in a text editor; false when no editor could be started.
    using Opener = std::function<bool(const QString &path)>;

    // "Show log file...": the four steps below, in order, on one user.
    static void FetchAndShow(QWidget *pParent, CUser &user);
    // Waits until a log other than old exists or the box is closed.
    static void WaitForLogFile(QWidget *pParent, const CUser &user,
                               const FileSystem::Status &old = {});
    // Opens the log, or says that there is none. A log that is still old
    // is opened only if the administrator wants the one of that date.
    static void ShowLogFile(QWidget *pParent, const CUser &user,
                            const FileSystem::Status &old = {});
    // "Clear log file": empties the log, creating it when it is missing.
    static void ClearLogFile(QWidget *pParent, CUser &user);

    // Replaces the editor (tests); an empty opener restores the system's.
    static void SetOpener(Opener opener);
};
