// Starts the tool as the program does and writes a PNG of its main window
// once the list has filled, so that the window can be looked at on a
// machine without a screen:
//   CORVANE_SETTINGS_DIR=<settings> corvane-screenshot out.png [delay-ms] [select-rows]
#include "app/CAdminApp.h"
#include "app/CMainFrame.h"
#include "view/CAdminView.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvane-screenshot OUT.png [DELAY_MS] [ROWS_TO_SELECT]\n");
        return 2;
    }
    const QByteArray settings = qgetenv("CORVANE_SETTINGS_DIR");
    if (!settings.isEmpty()) {
        const QString base = QString::fromLocal8Bit(settings);
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, base + "/system");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, base + "/user");
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    CAdminApp theApp;
    if (!theApp.InitInstance())
        return 1;
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int delay = argc > 2 ? std::atoi(argv[2]) : 2500;
    const int rows = argc > 3 ? std::atoi(argv[3]) : 0;
    CMainFrame *frame = theApp.GetMainFrame();
    frame->resize(1100, 650);
    QTimer::singleShot(delay, &application, [&] {
        if (auto *view = frame->findChild<CAdminView *>()) {
            for (int i = 0; i < rows && i < view->GetRowCount(); ++i)
                view->selectionModel()->select(view->model()->index(i, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        const bool ok = frame->grab().save(out);
        std::fprintf(stderr, ok ? "wrote %s\n" : "could not write %s\n", argv[1]);
        application.exit(ok ? 0 : 1);
    });
    return application.exec();
}
