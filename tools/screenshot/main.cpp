// Starts the tool on a shared directory as the program does and writes a PNG
// of its main window once the list has filled, so that the window can be
// looked at on a machine without a screen:
//   corvane-screenshot [options] SHARE_DIR OUT.png
// The run keeps its settings in a temporary folder (or in
// CORVANE_SETTINGS_DIR when that is set), so it starts as a first start and
// never reads or changes the administrator's settings. It never waits for a
// person: should any window want an answer, it says so and ends.
#include "app/CAdminApp.h"
#include "app/CMainFrame.h"
#include "view/CAdminView.h"
#include "view/CFilterBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void UseSettingsIn(const QString &base)
{
    for (QSettings::Format format : {QSettings::IniFormat, QSettings::NativeFormat}) {
        QSettings::setPath(format, QSettings::SystemScope, base + QStringLiteral("/system"));
        QSettings::setPath(format, QSettings::UserScope, base + QStringLiteral("/user"));
    }
}

// Ends the run when a modal window opens: nobody is there to answer it.
void RefuseModalWindows(QApplication &application)
{
    auto *pTimer = new QTimer(&application);
    QObject::connect(pTimer, &QTimer::timeout, &application, [&application] {
        QWidget *pModal = QApplication::activeModalWidget();
        if (!pModal)
            return;
        QString text = pModal->windowTitle();
        if (const auto *pBox = qobject_cast<QMessageBox *>(pModal))
            text = pBox->text();
        std::fprintf(stderr, "corvane-screenshot: a window asks for an answer, giving up: %s\n",
                     qUtf8Printable(text));
        application.exit(3);
    });
    pTimer->start(100);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvane"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a PNG of the tool's main window."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("SHARE_DIR"), QStringLiteral("the shared directory"));
    parser.addPositionalArgument(QStringLiteral("OUT.png"), QStringLiteral("the picture to write"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("wait MS milliseconds before the picture (2500)"),
                                         QStringLiteral("MS"), QStringLiteral("2500"));
    const QCommandLineOption selectOption(QStringLiteral("select"),
                                          QStringLiteral("select the first N rows"), QStringLiteral("N"),
                                          QStringLiteral("0"));
    const QCommandLineOption filterOption(QStringLiteral("filter"),
                                          QStringLiteral("type TEXT into the filter box"),
                                          QStringLiteral("TEXT"));
    const QCommandLineOption menuOption(QStringLiteral("context-menu"),
                                        QStringLiteral("open the list's context menu on the current row"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("window size WxH (1100x650)"),
                                        QStringLiteral("WxH"), QStringLiteral("1100x650"));
    parser.addOptions({delayOption, selectOption, filterOption, menuOption, sizeOption});
    parser.process(application);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fputs(qUtf8Printable(parser.helpText()), stderr);
        return 2;
    }

    QTemporaryDir settings;
    const QByteArray settingsDir = qgetenv("CORVANE_SETTINGS_DIR");
    UseSettingsIn(settingsDir.isEmpty() ? settings.path() : QString::fromLocal8Bit(settingsDir));
    RefuseModalWindows(application);

    CAdminApp theApp;
    theApp.SetShareDirectoryForRun(args[0]);
    if (!theApp.InitInstance())
        return 1;
    const QString out = args[1];
    const int delay = parser.value(delayOption).toInt();
    const int rows = parser.value(selectOption).toInt();
    CMainFrame *frame = theApp.GetMainFrame();
    const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
    if (size.size() == 2)
        frame->resize(size[0].toInt(), size[1].toInt());
    if (parser.isSet(filterOption))
        frame->GetFilterBox()->setText(parser.value(filterOption));
    QTimer::singleShot(delay, &application, [&] {
        auto *view = frame->findChild<CAdminView *>();
        if (view) {
            for (int i = 0, n = 0; n < rows && i < view->GetRowCount(); ++i) {
                if (view->isRowHidden(i, QModelIndex()))
                    continue;
                view->selectionModel()->select(view->model()->index(i, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
                if (n++ == 0)
                    view->selectionModel()->setCurrentIndex(view->model()->index(i, 0),
                                                            QItemSelectionModel::NoUpdate);
            }
        }
        QImage picture = frame->grab().toImage();
        if (parser.isSet(menuOption) && view) {
            // A popup menu is a window of its own: it is drawn onto the
            // main window's picture where it opened.
            view->setFocus();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(view, &event);
            if (QMenu *menu = frame->GetContextMenu(); menu && menu->isVisible()) {
                QPainter painter(&picture);
                painter.drawPixmap(frame->mapFromGlobal(menu->pos()), menu->grab());
            }
        }
        const bool ok = picture.save(out);
        std::fprintf(stderr, ok ? "wrote %s\n" : "could not write %s\n", qUtf8Printable(out));
        application.exit(ok ? 0 : 1);
    });
    return application.exec();
}
