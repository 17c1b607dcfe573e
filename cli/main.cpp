// corvane-admin-cli: the administrator's commands over the shared directory,
// for scripts and for servers without a screen.

#include "cli/CCliCommands.h"
#include "cli/CCliSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void AddCommonOptions(QCommandLineParser &parser)
{
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("share"),
         QStringLiteral("The shared directory (default: the one the window uses)."),
         QStringLiteral("dir")},
        {QStringLiteral("code-page"),
         QStringLiteral("The clients' code page, e.g. windows-1250 (default: the window's "
                        "setting)."),
         QStringLiteral("name")},
        {QStringLiteral("json"), QStringLiteral("Answer in JSON.")},
    });
}

QString GeneralHelp(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    text += QStringLiteral("\nCommands (corvane-admin-cli COMMAND --help for each):\n");
    for (const CCliCommand &command : CliCommands())
        text += QStringLiteral("  %1  %2\n").arg(command.name.leftJustified(10),
                                                 command.description);
    text += QStringLiteral("\nExit codes: 0 done, 1 some targets failed, 2 bad usage, "
                           "3 shared directory unreadable.\n");
    return text;
}

// The first argument that is neither an option nor an option's value.
QString FindCommandName(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--share" || argument == u"--code-page") {
            ++i;
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-')))
            return argument;
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-admin-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList arguments = QCoreApplication::arguments();
    const QString name = FindCommandName(arguments);
    const CCliCommand *pCommand = nullptr;
    for (const CCliCommand &command : CliCommands())
        if (command.name == name)
            pCommand = &command;

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddCommonOptions(parser);
    if (!pCommand) {
        parser.setApplicationDescription(
            QStringLiteral("Administers the shared directory of the messaging clients."));
        parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));
        parser.parse(arguments);
        if (name.isEmpty() && parser.isSet(QStringLiteral("help"))) {
            out << GeneralHelp(parser);
            return CCliSession::ExitDone;
        }
        err << (name.isEmpty() ? QStringLiteral("No command given.\n")
                               : QStringLiteral("Unknown command \"%1\".\n").arg(name))
            << GeneralHelp(parser);
        return CCliSession::ExitUsage;
    }

    parser.setApplicationDescription(pCommand->description);
    parser.addPositionalArgument(pCommand->name, pCommand->description,
                                 pCommand->name + QLatin1Char(' ') + pCommand->syntax);
    pCommand->addOptions(parser);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << '\n' << parser.helpText();
        return CCliSession::ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return CCliSession::ExitDone;
    }

    CCliSession session(out, err);
    if (const int code = session.Open(parser.value(QStringLiteral("share")),
                                      parser.value(QStringLiteral("code-page")));
        code != CCliSession::ExitDone)
        return code;
    return pCommand->run(session, parser);
}
