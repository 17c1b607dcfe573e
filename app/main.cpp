#include "app/CAdminApp.h"
#include "app/CCommandLine.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool IsSet(const char *pszName)
{
    const char *pszValue = std::getenv(pszName);
    return pszValue && *pszValue;
}

// Without a display the toolkit would abort with a message about platform
// plug-ins; say plainly what is missing and how to run the program anyway.
bool CheckDisplay(int argc, char **argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return true;
    std::string command;
    for (int i = 0; i < argc; ++i) {
        if (i)
            command += ' ';
        command += argv[i];
    }
    std::fprintf(stderr,
                 "corvane-admin: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "This is a desktop program. To run it on a machine without a screen, start it\n"
                 "under a virtual X server:\n"
                 "\n"
                 "    xvfb-run -a %s\n",
                 command.c_str());
    return false;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

// A run that must not touch the administrator's own settings (the demo, a
// test) names a private folder; both the machine's and the user's settings
// are kept below it.
void UsePrivateSettings()
{
    const QByteArray dir = qgetenv("CORVANE_SETTINGS_DIR");
    if (dir.isEmpty())
        return;
    const QString base = QString::fromLocal8Bit(dir);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, base + QStringLiteral("/system"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, base + QStringLiteral("/user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, base + QStringLiteral("/system"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base + QStringLiteral("/user"));
}

QStringList Arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    // Before any window: --help and --version need no display, and a
    // wrong directory is reported before one opens.
    const CCommandLine commandLine = CCommandLine::Parse(Arguments(argc, argv));
    switch (commandLine.GetAction()) {
    case CCommandLine::Action::ShowText:
        std::fputs(commandLine.GetText().toLocal8Bit().constData(), stdout);
        return commandLine.GetExitCode();
    case CCommandLine::Action::Fail:
        std::fputs(commandLine.GetText().toLocal8Bit().constData(), stderr);
        return commandLine.GetExitCode();
    case CCommandLine::Action::Run:
        break;
    }
    if (!CheckDisplay(argc, argv))
        return 2;
    UsePrivateSettings();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvane"));

    CAdminApp theApp;
    theApp.SetShareDirectoryForRun(commandLine.GetShareDirectory());
    if (!theApp.InitInstance())
        return 1;
    return application.exec();
}
