#include "cli/CCliRequests.h"

#include "cli/CCliSession.h"
#include "cli/CCliWrites.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "store/CAdminDoc.h"
#include "store/CLogFile.h"
#include "store/CLogFileWatcher.h"
#include "store/CPendingNotes.h"
#include "store/CUser.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QSemaphore>
#include <QThread>

using namespace CliWrite;

namespace {

void Note(CCliSession &session, const CUser &user, const ProfileResult &result)
{
    if (!result)
        session.Fail(QStringLiteral("%1: %2").arg(CCliSession::Text(user.GetLogin()),
                                                  result.message));
}

} // namespace

void AddUpgradeOptions(QCommandLineParser &parser)
{
    AddTargetOptions(parser);
    parser.addOptions({
        {QStringLiteral("now"),
         QStringLiteral("Upgrade at once (default: at the client's next start).")},
        {QStringLiteral("dir"), QStringLiteral("Take the new version from <dir>."),
         QStringLiteral("dir")},
    });
}

int RunUpgrade(CCliSession &session, const QCommandLineParser &parser)
{
    const QString directory = parser.value(QStringLiteral("dir"));
    QByteArray directoryBytes;
    if (!directory.isEmpty()
        && !session.EncodeArgument(directory, QStringLiteral("Directory"), directoryBytes))
        return CCliSession::ExitUsage;
    const QByteArray value = CPendingNotes::UpgradeValue(
        parser.isSet(QStringLiteral("now")) ? QByteArrayLiteral("now")
                                            : QByteArrayLiteral("at-restart"),
        directoryBytes);
    if (const QString why = CPendingNotes::CheckUpgradeValue(value); !why.isEmpty())
        return session.Usage(
            QStringLiteral("The directory cannot be written into the users' files: %1").arg(why));
    QList<CUser *> users;
    if (const int code = Targets(session, parser, parser.positionalArguments().mid(1), users))
        return code;
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    for (CUser *pUser : std::as_const(users)) {
        if (!CheckUsable(session, *pUser))
            continue;
        const ProfileResult result = bDryRun ? ProfileResult() : pUser->RequestUpgrade(value);
        Note(session, *pUser, result);
        if (result)
            Report(session, bDryRun, *pUser->UserFilePath(),
                   QByteArray(CPendingNotes::NotesSection),
                   {{QByteArray(CPendingNotes::UpgradeKey), value}});
    }
    return session.ExitStatus();
}

void AddModelsOptions(QCommandLineParser &parser)
{
    AddTargetOptions(parser);
    parser.addOption({QStringLiteral("add"),
                      QStringLiteral("Ask the clients to take the model <name> (repeatable)."),
                      QStringLiteral("name")});
}

int RunModels(CCliSession &session, const QCommandLineParser &parser)
{
    // As in the window, only the models of the shared directory are offered.
    QList<QByteArray> files;
    session.Doc().ListModels(files);
    QList<QByteArray> models;
    for (const QString &name : parser.values(QStringLiteral("add"))) {
        QByteArray bytes;
        if (!session.EncodeArgument(name, QStringLiteral("Model"), bytes))
            return CCliSession::ExitUsage;
        if (!files.contains(bytes))
            return session.Usage(
                QStringLiteral("The shared directory has no model \"%1\".").arg(name));
        models.append(bytes);
    }
    if (models.isEmpty())
        return session.Usage(QStringLiteral("models needs --add NAME."));
    QList<CUser *> users;
    if (const int code = Targets(session, parser, parser.positionalArguments().mid(1), users))
        return code;
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    for (CUser *pUser : std::as_const(users)) {
        if (!CheckUsable(session, *pUser))
            continue;
        Values written;
        for (const QByteArray &model : std::as_const(models)) {
            const ProfileResult result = bDryRun ? ProfileResult() : pUser->SetModel(model, 1);
            Note(session, *pUser, result);
            if (result)
                written.append({model, QByteArrayLiteral("1")});
        }
        Report(session, bDryRun, *pUser->UserFilePath(), QByteArrayLiteral("Models"), written);
    }
    return session.ExitStatus();
}

void AddClearLogOptions(QCommandLineParser &parser)
{
    AddTargetOptions(parser);
}

int RunClearLog(CCliSession &session, const QCommandLineParser &parser)
{
    QList<CUser *> users;
    if (const int code = Targets(session, parser, parser.positionalArguments().mid(1), users))
        return code;
    const bool bDryRun = parser.isSet(QStringLiteral("dry-run"));
    for (CUser *pUser : std::as_const(users)) {
        if (!CheckUsable(session, *pUser))
            continue;
        const QString path = QDir::toNativeSeparators(*CLogFile::Path(*pUser));
        if (bDryRun) {
            session.Out() << "would empty " << path << '\n';
            continue;
        }
        const ProfileResult result = pUser->ClearLogFile();
        Note(session, *pUser, result);
        if (result)
            session.Out() << "emptied " << path << '\n';
    }
    return session.ExitStatus();
}

void AddLogOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("wait"),
         QStringLiteral("How long to wait for the client's answer (default 60)."),
         QStringLiteral("seconds"), QStringLiteral("60")},
        {QStringLiteral("output"),
         QStringLiteral("Save the log, as the client wrote it, to <file> instead of printing it."),
         QStringLiteral("file")},
        {QStringLiteral("dry-run"),
         QStringLiteral("Print what would be written; write nothing.")},
    });
}

int RunLog(CCliSession &session, const QCommandLineParser &parser)
{
    const QStringList logins = parser.positionalArguments().mid(1);
    if (logins.size() != 1)
        return session.Usage(QStringLiteral("log takes one login."));
    bool bNumber = false;
    const int seconds = parser.value(QStringLiteral("wait")).toInt(&bNumber);
    if (!bNumber || seconds < 0)
        return session.Usage(QStringLiteral("--wait takes a number of seconds."));
    const QList<CUser *> users = session.FindUsers(logins);
    if (users.isEmpty() || !CheckUsable(session, *users.first()))
        return session.ExitStatus();
    CUser &user = *users.first();
    const QString path = *CLogFile::Path(user);
    if (parser.isSet(QStringLiteral("dry-run"))) {
        session.Out() << "would remove " << QDir::toNativeSeparators(path) << '\n';
        Report(session, true, *user.UserFilePath(), QByteArrayLiteral("ExternalControl"),
               {{QByteArray::number(QDateTime::currentSecsSinceEpoch()),
                 QByteArrayLiteral("AskForLogs")}});
        return session.ExitStatus();
    }
    // The old copy goes first, so that the log that appears is the answer.
    user.DeleteLogFile();
    if (const ProfileResult result = user.RequestLogs(); !result) {
        session.Fail(QStringLiteral("%1: the request for the log file could not be written: %2")
                         .arg(logins.first(), result.message));
        return session.ExitStatus();
    }
    QSemaphore found;
    CLogFileWatcher watcher(session.Doc().GetShareDirectory(), user.GetLogin(),
                            [&found] { found.release(); });
    watcher.start();
    const bool bFound = found.tryAcquire(1, seconds * 1000);
    watcher.Stop();
    if (!bFound) {
        session.Fail(QStringLiteral("%1: the client sent no log file within %2 seconds; the "
                                    "request stays in its file.")
                         .arg(logins.first())
                         .arg(seconds));
        return session.ExitStatus();
    }
    // A client writes its log in place: what is read is taken once the file
    // has stopped changing, or when the wait is over.
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + qint64(seconds) * 1000;
    FileAccess::ReadResult log = FileAccess::Read(path);
    while (!log.error && !FileAccess::IsSettled(log.id)
           && QDateTime::currentMSecsSinceEpoch() < deadline) {
        QThread::msleep(200);
        log = FileAccess::Read(path);
    }
    if (log.error) {
        session.Fail(QStringLiteral("%1: the log file %2 could not be read.")
                         .arg(logins.first(), QDir::toNativeSeparators(path)));
        return session.ExitStatus();
    }
    if (!parser.isSet(QStringLiteral("output"))) {
        session.Out() << CodePage::Decode(log.bytes);
        return session.ExitStatus();
    }
    QSaveFile output(parser.value(QStringLiteral("output")));
    if (!output.open(QIODevice::WriteOnly) || output.write(log.bytes) != log.bytes.size()
        || !output.commit())
        session.Fail(QStringLiteral("The log could not be saved to %1: %2")
                         .arg(parser.value(QStringLiteral("output")), output.errorString()));
    return session.ExitStatus();
}
