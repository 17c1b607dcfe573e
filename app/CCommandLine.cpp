#include "app/CCommandLine.h"

#include <QFileInfo>

namespace {

const QStringList kToolkitOptionsWithValue = {
    QStringLiteral("platform"),   QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"), QStringLiteral("plugin"),
    QStringLiteral("style"),      QStringLiteral("stylesheet"),
    QStringLiteral("display"),    QStringLiteral("geometry"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowtitle"),
    QStringLiteral("qwindowicon"), QStringLiteral("session"),
};
const QStringList kToolkitFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"), QStringLiteral("dograb"),
                                   QStringLiteral("sync")};

QString ToolkitName(const QString &arg)
{
    // The toolkit takes -name and --name alike; --share and --help are ours.
    QString name = arg.startsWith(QLatin1String("--")) ? arg.mid(2) : arg.mid(1);
    return name.section(QLatin1Char('='), 0, 0);
}

bool IsToolkitOption(const QString &arg)
{
    if (!arg.startsWith(QLatin1Char('-')))
        return false;
    const QString name = ToolkitName(arg);
    return kToolkitOptionsWithValue.contains(name) || kToolkitFlags.contains(name);
}

bool ToolkitOptionTakesValue(const QString &arg)
{
    return kToolkitOptionsWithValue.contains(ToolkitName(arg)) && !arg.contains(QLatin1Char('='));
}

} // namespace

CCommandLine CCommandLine::Parse(const QStringList &arguments)
{
    CCommandLine line;
    const QString program =
        arguments.isEmpty() ? QStringLiteral("corvane-admin") : QFileInfo(arguments[0]).fileName();
    const auto fail = [&](const QString &message) {
        line.m_eAction = Action::Fail;
        line.m_csText = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                            .arg(program, message);
        return line;
    };
    QString share;
    bool bOptionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (!bOptionsEnded && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            line.m_eAction = Action::ShowText;
            line.m_csText = HelpText(program);
            return line;
        }
        if (!bOptionsEnded && (arg == QLatin1String("--version") || arg == QLatin1String("-v"))) {
            line.m_eAction = Action::ShowText;
            line.m_csText = VersionText();
            return line;
        }
        // The toolkit's own options (-platform offscreen, -style fusion, ...)
        // are taken by the toolkit.
        if (!bOptionsEnded && IsToolkitOption(arg)) {
            if (ToolkitOptionTakesValue(arg))
                ++i;
            continue;
        }
        QString value;
        if (!bOptionsEnded && arg == QLatin1String("--share")) {
            if (++i >= arguments.size())
                return fail(QStringLiteral("--share needs a directory"));
            value = arguments[i];
        } else if (!bOptionsEnded && arg.startsWith(QLatin1String("--share="))) {
            value = arg.mid(8);
        } else if (!bOptionsEnded && arg == QLatin1String("--")) {
            bOptionsEnded = true;
            continue;
        } else if (!bOptionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return fail(QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            value = arg;
        }
        if (!share.isEmpty())
            return fail(QStringLiteral("only one shared directory can be opened"));
        if (value.isEmpty())
            return fail(QStringLiteral("the shared directory's name is empty"));
        share = value;
    }
    if (!share.isEmpty()) {
        if (const QString why = CheckShareDirectory(share); !why.isEmpty())
            return fail(why);
        line.m_csShare = QFileInfo(share).absoluteFilePath();
    }
    return line;
}

QString CCommandLine::HelpText(const QString &csProgram)
{
    return QStringLiteral(
               "Usage: %1 [--share DIR | DIR]\n"
               "Administers the Corvane clients whose profiles are kept in a shared directory.\n"
               "\n"
               "  DIR, --share DIR  open DIR as the shared directory for this run only; the\n"
               "                    directory stored in the settings is left as it is\n"
               "  -h, --help        show this help and exit\n"
               "  -v, --version     show the version and exit\n"
               "\n"
               "Without DIR the shared directory stored in the settings is opened, and on a\n"
               "first start the program asks for one.\n"
               "Exit status: 0 when all went well, 1 when no shared directory could be\n"
               "opened, 2 for a wrong argument or a directory that cannot be used.\n")
        .arg(csProgram);
}

QString CCommandLine::VersionText()
{
    return QStringLiteral("corvane-admin %1\n").arg(QStringLiteral(CORVANE_VERSION));
}

QString CCommandLine::CheckShareDirectory(const QString &csPath)
{
    const QFileInfo info(csPath);
    if (!info.exists())
        return QStringLiteral("%1: no such directory").arg(csPath);
    if (!info.isDir())
        return QStringLiteral("%1: not a directory").arg(csPath);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("%1: permission denied (the directory must be readable)").arg(csPath);
    return {};
}
