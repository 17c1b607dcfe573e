#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class CCliSession;
class CUser;
class QCommandLineParser;

// What every writing command shares.
namespace CliWrite {

using Values = QList<std::pair<QByteArray, QByteArray>>;

// The options that name targets (--group, --from) and --dry-run.
void AddTargetOptions(QCommandLineParser &parser);
// The users a writing command works on: logins named, a shared group's
// members, and the logins of a file (one a line, "#" starts a comment).
bool CollectTargets(CCliSession &session, const QStringList &named, const QString &group,
                    const QString &fromFile, QList<CUser *> &users);
// CollectTargets with the command's options; ExitDone, or the code to end with.
int Targets(CCliSession &session, const QCommandLineParser &parser, const QStringList &logins,
            QList<CUser *> &users);
// The user's file, or a failed target when the login cannot name one.
bool CheckUsable(CCliSession &session, const CUser &user);
// One line per file and section: what was written, or with --dry-run what
// would be.
void Report(CCliSession &session, bool bDryRun, const QString &path, const QByteArray &section,
            const Values &values);

} // namespace CliWrite

// The commands that write to users' files. Each checks everything it was
// given before the first write; with --dry-run it prints, file by file, what
// it would write and writes nothing.
void AddRestrictOptions(QCommandLineParser &parser);
int RunRestrict(CCliSession &session, const QCommandLineParser &parser);
void AddSetOptions(QCommandLineParser &parser);
int RunSet(CCliSession &session, const QCommandLineParser &parser);
