#pragma once

#include <QString>
#include <QStringList>

// The program's arguments:
//   corvane-admin [--share DIR | DIR]   open DIR for this run, without storing it
//   corvane-admin --help | --version
// Read before any window exists, so that --help and --version work without
// a display.
class CCommandLine
{
public:
    enum class Action { Run, ShowText, Fail };

    // arguments as the program got them, the program's name first.
    static CCommandLine Parse(const QStringList &arguments);

    Action GetAction() const { return m_eAction; }
    // The shared directory named for this run, or empty.
    QString GetShareDirectory() const { return m_csShare; }
    // For ShowText what to print on standard output, for Fail the message
    // for standard error.
    QString GetText() const { return m_csText; }
    // The program's exit code for ShowText (0) and Fail (2).
    int GetExitCode() const { return m_eAction == Action::Fail ? 2 : 0; }

    static QString HelpText(const QString &csProgram);
    static QString VersionText();
    // Why csPath cannot be the shared directory, or empty when it can.
    static QString CheckShareDirectory(const QString &csPath);

private:
    Action m_eAction = Action::Run;
    QString m_csShare;
    QString m_csText;
};
