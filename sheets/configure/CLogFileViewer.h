#pragma once

#include <QString>
#include <functional>

class CUser;
class QWidget;

// Fetching a client's log file from the administrator's side: the old copy
// is removed, the client is asked for a fresh one through its user file, a
// box waits until the file is there (or until the administrator gives up),
// and the log opens in the system's text editor.
class CLogFileViewer
{
public:
    // Opens a file in a text editor; false when no editor could be started.
    using Opener = std::function<bool(const QString &path)>;

    // "Show log file...": the four steps below, in order, on one user.
    static void FetchAndShow(QWidget *pParent, CUser &user);
    // Waits until the user's log file exists or the box is closed.
    static void WaitForLogFile(QWidget *pParent, const CUser &user);
    // Opens the log, or says that there is none.
    static void ShowLogFile(QWidget *pParent, const CUser &user);
    // "Clear log file": empties the log, creating it when it is missing.
    static void ClearLogFile(QWidget *pParent, CUser &user);

    // Replaces the editor (tests); an empty opener restores the system's.
    static void SetOpener(Opener opener);
};
