#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class CAdminDoc;
class CUser;

// What one run of the command line works on: the shared directory opened
// through the document, the streams it answers on, and how the run ends.
// Exit codes: 0 everything done, 1 some targets failed, 2 bad usage (nothing
// written), 3 the shared directory cannot be read.
class CCliSession
{
public:
    enum ExitCode { ExitDone = 0, ExitSomeFailed = 1, ExitUsage = 2, ExitShareUnreadable = 3 };

    CCliSession(QTextStream &out, QTextStream &err);
    ~CCliSession();

    // Makes the code page current (the option, else the stored setting, else
    // the default) and loads the roster of the directory (the option, else
    // the stored one). ExitDone, or the code to end with after the message.
    int Open(const QString &shareOption, const QString &codePageOption);

    CAdminDoc &Doc() { return *m_pDoc; }

    // The users named on the command line, in that order, each once. A login
    // the roster does not hold is reported and counts as a failed target.
    QList<CUser *> FindUsers(const QStringList &logins);
    // The bytes of a name typed on the command line, in the clients' code
    // page; empty (after a message) when it cannot hold the name.
    bool EncodeArgument(const QString &text, const QString &what, QByteArray &bytes);

    // A target failed: the message goes to the error stream, the run ends
    // with ExitSomeFailed.
    void Fail(const QString &message);
    // Bad usage: the message goes to the error stream; the caller ends the
    // run with ExitUsage.
    int Usage(const QString &message);
    int ExitStatus() const { return m_bFailed ? ExitSomeFailed : ExitDone; }

    static QString Text(const QByteArray &bytes);
    QTextStream &Out() { return m_out; }
    QTextStream &Err() { return m_err; }

private:
    QTextStream &m_out;
    QTextStream &m_err;
    std::unique_ptr<CAdminDoc> m_pDoc;
    bool m_bFailed = false;
};
