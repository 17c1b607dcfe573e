#pragma once

#include <QString>

#include <optional>

class QWidget;

// The shared UI library's global settings and entry points. The application
// assigns the settings once at start-up and calls InitVars; the library's
// windows (about box, message boxes) take their wording from them.
class GlobalVarsForDll
{
public:
    static QString csSoftName;
    static QString csShortSoftName;
    static int bShowLevel;
    static QString csPartOfAppTitle;
    static QString csInstallFolder;
    static QString csWelcomeSentence;

    // Completes the settings (a missing short name is derived from the full
    // name). Nonzero when the settings are usable, that is when a program
    // name was given.
    static int InitVars(int bInit);
    static bool IsInitialized() { return s_bInitialized; }

    // Shows the about box modally.
    static void DisplayAboutDlg(QWidget *pParent = nullptr);

    // Lets the user pick a directory; nonzero with the directory in csPath,
    // 0 (csPath unchanged) when the user cancelled. A non-empty csPath on
    // entry is where the picker starts.
    static int GetPath(const QString &csPrompt, QWidget *pOwner, QString &csPath);

    // Test hook: the next GetPath returns this answer without showing the
    // picker (a path, or nullopt for a cancel). Answers queue up in order.
    static void SetNextPathAnswer(std::optional<QString> answer);
    static void ClearPathAnswers();
    // The prompt of the last GetPath call, shown or answered.
    static QString GetLastPathPrompt();

private:
    static bool s_bInitialized;
};
