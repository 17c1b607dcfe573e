// corvane-demo-share: writes a demonstration shared directory.

#include "CDemoShare.h"

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-demo-share"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a shared directory whose users show every state the administration tool "
        "lists. Times are relative to now, so the states hold whenever it runs."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("directory"),
                                 QStringLiteral("The shared directory to fill (created if missing)."));
    const QCommandLineOption usersOption(QStringLiteral("users"),
                                         QStringLiteral("Number of users (at least 50; default 60)."),
                                         QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the choices (default 1)."),
                                        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption nowOption(QStringLiteral("now"),
                                       QStringLiteral("The time to write relative to, in seconds "
                                                      "since 1970 (default: now)."),
                                       QStringLiteral("T"));
    const QCommandLineOption forceOption(QStringLiteral("force"),
                                         QStringLiteral("Write even where a Users.ini exists."));
    parser.addOptions({usersOption, seedOption, nowOption, forceOption});
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1) {
        std::fprintf(stderr, "Give the directory to fill.\n%s", qPrintable(parser.helpText()));
        return 2;
    }
    bool usersOk = false, seedOk = false, nowOk = true;
    const int users = parser.value(usersOption).toInt(&usersOk);
    const quint32 seed = parser.value(seedOption).toUInt(&seedOk);
    const qint64 now = parser.isSet(nowOption) ? parser.value(nowOption).toLongLong(&nowOk)
                                               : LocalTime::Now();
    if (!usersOk || users < 50 || users > 1000000 || !seedOk || !nowOk || now < 100000000) {
        std::fprintf(stderr, "--users takes a number from 50 to 1000000, --seed a number, "
                             "--now a time in seconds since 1970.\n");
        return 2;
    }

    const QString directory = QDir(arguments.first()).absolutePath();
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "Cannot create the directory %s.\n", qPrintable(directory));
        return 1;
    }
    if (!parser.isSet(forceOption)
        && FileSystem::Exists(FileSystem::ResolveInDir(directory, QStringLiteral("Users.ini")))) {
        std::fprintf(stderr, "%s already holds a Users.ini; nothing was written. Use --force to "
                             "write into it anyway.\n", qPrintable(directory));
        return 1;
    }

    CDemoShare share(directory, users, seed, now);
    if (!share.Write()) {
        std::fprintf(stderr, "The demo shared directory could not be written: %s\n",
                     qPrintable(share.GetError()));
        return 1;
    }
    std::printf("Wrote %s\n", qPrintable(share.GetSummary()));
    return 0;
}
