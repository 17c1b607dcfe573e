#include "CClientSimulator.h"
#include "CSignalWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

// Plays the clients of a shared directory against it: each logs on and off,
// reports its information record and takes up what the administrator asked
// for. Runs until every client has taken its steps (--rounds) or until it is
// interrupted, then prints what it did.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-simulator"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays Corvane clients against a shared directory."));
    parser.addHelpOption();
    const QCommandLineOption share(QStringLiteral("share"),
                                   QStringLiteral("The shared directory."), QStringLiteral("dir"));
    const QCommandLineOption clients(QStringLiteral("clients"),
                                     QStringLiteral("Clients to play: the first N users of Users.ini "
                                                    "(default: all)."),
                                     QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the clients' schedules (default 1)."),
                                  QStringLiteral("s"), QStringLiteral("1"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("Looks at the shared directory per second and "
                                                 "client (default 0.2)."),
                                  QStringLiteral("r"), QStringLiteral("0.2"));
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Steps of each client, then stop (default: run "
                                                   "until interrupted)."),
                                    QStringLiteral("k"), QStringLiteral("0"));
    const QCommandLineOption fast(QStringLiteral("fast"),
                                  QStringLiteral("No pause between steps."));
    const QCommandLineOption logoff(QStringLiteral("logoff-percent"),
                                    QStringLiteral("Chance that a running client stops at a step "
                                                   "(default 10)."),
                                    QStringLiteral("p"), QStringLiteral("10"));
    const QCommandLineOption journal(QStringLiteral("journal"),
                                     QStringLiteral("Record every change made to the shared "
                                                    "directory in this file."),
                                     QStringLiteral("file"));
    const QCommandLineOption writes(QStringLiteral("writes"),
                                    QStringLiteral("How the clients write their files: inplace "
                                                   "(read, truncate, write, no lock: the Windows "
                                                   "clients' way; the default), reopen, held (one "
                                                   "handle kept open per file), append, or guarded "
                                                   "(this system's own writer)."),
                                    QStringLiteral("mode"), QStringLiteral("inplace"));
    parser.addOptions({share, clients, seed, rate, rounds, fast, logoff, journal, writes});
    parser.process(app);

    CClientSimulator::Options options;
    options.shareDirectory = QDir(parser.value(share)).absolutePath();
    bool ok[5] = {};
    options.clients = parser.value(clients).toInt(&ok[0]);
    options.seed = parser.value(seed).toUInt(&ok[1]);
    options.rate = parser.value(rate).toDouble(&ok[2]);
    options.rounds = parser.value(rounds).toInt(&ok[3]);
    options.logoffPercent = parser.value(logoff).toInt(&ok[4]);
    options.fast = parser.isSet(fast);
    options.journalPath = parser.value(journal);
    CWin32ProfileWriter::Mode mode;
    const bool guarded = parser.value(writes) == QLatin1String("guarded");
    const bool win32 = CWin32ProfileWriter::ParseMode(parser.value(writes), mode);
    options.win32 = win32 ? std::optional(mode) : std::nullopt;
    if (!parser.isSet(share) || !(guarded || win32) || !std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; })
        || options.clients < 0 || options.rate <= 0 || options.rounds < 0
        || options.logoffPercent < 0 || options.logoffPercent > 100) {
        std::fprintf(stderr, "corvane-simulator: --share is required; --clients, --rounds and "
                             "--seed take whole numbers, --rate a positive number, "
                             "--logoff-percent 0 to 100, --writes inplace, reopen, held, "
                             "append or guarded\n");
        return 2;
    }

    CClientSimulator simulator(options);
    if (!simulator.Load()) {
        std::fprintf(stderr, "corvane-simulator: %s\n", qPrintable(simulator.GetError()));
        return 1;
    }
    CSignalWatcher signals;
    QObject::connect(&signals, &CSignalWatcher::Terminated, &simulator, &CClientSimulator::Stop);
    QObject::connect(&simulator, &CClientSimulator::Finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    std::printf("corvane-simulator: %d clients in %s\n", simulator.GetClientCount(),
                qPrintable(options.shareDirectory));
    std::fflush(stdout);
    simulator.Start();
    app.exec();

    std::fputs(simulator.GetCounts().Format().constData(), stdout);
    std::fflush(stdout);
    return 0;
}
