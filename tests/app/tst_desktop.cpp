#include "../view/ViewTestShare.h"

#include "app/CCommandLine.h"
#include "app/CMainFrame.h"
#include "app/CRestStatus.h"
#include "app/CWindowState.h"
#include "framework/CCmdRoute.h"
#include "framework/CStatusBarEx.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"
#include "sheets/properties/CPropertyCommands.h"
#include "store/CAdminDoc.h"
#include "view/CAdminView.h"
#include "view/CFilterBox.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QTest>

// The main window as an administrator meets it: command line, keys that
// reach the list, the context menu, the status bar at rest and the window
// kept between runs.
class TestDesktop : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ViewTestShare> m_share;
    std::unique_ptr<CAdminDoc> m_pDoc;
    std::unique_ptr<CCmdRoute> m_pRoute;
    std::unique_ptr<CMainFrame> m_pFrame;
    CAdminView *m_pView = nullptr;

    void OpenFrame()
    {
        m_pRoute = std::make_unique<CCmdRoute>();
        m_pRoute->SetIdleUpdates(false);
        m_pFrame = std::make_unique<CMainFrame>(m_pRoute.get());
        QVERIFY(m_pFrame->Create());
        m_pFrame->SetAsMainWnd();
        m_pView = CAdminView::Create(m_pFrame.get(), m_pDoc.get());
        m_pFrame->AttachView(m_pView, m_pDoc.get());
        CWindowState::Restore(m_pFrame.get());
        m_pFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
        m_pRoute->UpdateAll();
    }

    int IdOf(const QString &name) const
    {
        for (int nID : m_pRoute->GetCommandIds())
            if (name == QLatin1String(CommandIdName(nID)))
                return nID;
        return 0;
    }

    void CloseFrame()
    {
        m_pFrame->close();
        m_pView = nullptr;
        m_pFrame.reset();
        m_pRoute.reset();
    }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<ViewTestShare>();
        m_share->Write({{"alice", "Alice Adams", 100, 50, {}},
                        {"bob", "Bob Brown", 0, 0, {}},
                        {"carol", "Carol Clark", 0, 0, {}}},
                       {"Staff=alice,bob"});
        m_pDoc = std::make_unique<CAdminDoc>();
        QVERIFY(m_pDoc->OnNewDocument(m_share->Path()));
        OpenFrame();
    }

    void cleanup()
    {
        if (m_pFrame)
            CloseFrame();
        m_pDoc.reset();
        m_share.reset();
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("text");
        const QString dir = QDir::tempPath();
        const auto run = int(CCommandLine::Action::Run);
        const auto show = int(CCommandLine::Action::ShowText);
        const auto fail = int(CCommandLine::Action::Fail);
        QTest::newRow("nothing") << QStringList{} << run << QString() << QString();
        QTest::newRow("directory") << QStringList{dir} << run << dir << QString();
        QTest::newRow("--share") << QStringList{"--share", dir} << run << dir << QString();
        QTest::newRow("--share=") << QStringList{"--share=" + dir} << run << dir << QString();
        QTest::newRow("toolkit option") << QStringList{"-platform", "offscreen", dir} << run << dir
                                        << QString();
        QTest::newRow("--help") << QStringList{"--help"} << show << QString() << "--share DIR";
        QTest::newRow("--version") << QStringList{"--version"} << show << QString()
                                   << "corvane-admin " CORVANE_VERSION_TEXT;
        QTest::newRow("missing") << QStringList{dir + "/no-such-dir"} << fail << QString()
                                 << "no such directory";
        QTest::newRow("a file") << QStringList{QCoreApplication::applicationFilePath()} << fail << QString()
                                << "not a directory";
        QTest::newRow("--share alone") << QStringList{"--share"} << fail << QString()
                                       << "--share needs a directory";
        QTest::newRow("two directories") << QStringList{dir, dir} << fail << QString()
                                         << "only one shared directory";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << fail << QString()
                                        << "unknown option '--frobnicate'";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, share);
        QFETCH(QString, text);
        const CCommandLine line = CCommandLine::Parse(QStringList{"corvane-admin"} + arguments);
        QCOMPARE(int(line.GetAction()), action);
        QCOMPARE(line.GetShareDirectory(), share.isEmpty() ? share : QFileInfo(share).absoluteFilePath());
        QVERIFY2(line.GetText().contains(text), qPrintable(line.GetText()));
        QCOMPARE(line.GetExitCode(), action == int(CCommandLine::Action::Fail) ? 2 : 0);
    }

    void programAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "corvane-admin ";
        QTest::newRow("bad directory") << QStringList{"/no/such/dir"} << 2 << "no such directory";
    }

    void programAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(CORVANE_ADMIN_EXE), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), exitCode);
        const QString all = QString::fromLocal8Bit(program.readAllStandardOutput()
                                                   + program.readAllStandardError());
        QVERIFY2(all.contains(output), qPrintable(all));
    }

    void restStatusSaysShareUsersAndTime_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("users");
        QTest::addColumn<QString>("text");
        QTest::newRow("all shown") << 3 << 3 << "3 users";
        QTest::newRow("one") << 1 << 1 << "1 user";
        QTest::newRow("filtered") << 1 << 3 << "1 of 3 users";
    }

    void restStatusSaysShareUsersAndTime()
    {
        QFETCH(int, shown);
        QFETCH(int, users);
        QFETCH(QString, text);
        const QDateTime when(QDate(2026, 12, 7), QTime(14, 3, 22));
        const QString status = CRestStatus::Text(QStringLiteral("/srv/share"), shown, users, when);
        QVERIFY2(status.contains(QDir::toNativeSeparators(QStringLiteral("/srv/share"))), qPrintable(status));
        QVERIFY2(status.contains(text), qPrintable(status));
        QVERIFY2(status.contains(QStringLiteral("14:03:22")), qPrintable(status));
    }

    void filterBoxNarrowsAndTheStatusBarCounts()
    {
        CStatusBarEx *pStatusBar = m_pFrame->GetStatusBar();
        m_pView->FillList(false);
        QVERIFY2(pStatusBar->GetIdleText().contains(QStringLiteral("3 users")),
                 qPrintable(pStatusBar->GetIdleText()));
        QVERIFY(pStatusBar->GetIdleText().contains(QDir::toNativeSeparators(m_share->Path())));
        // The lock-key panes stay beside it.
        QVERIFY(pStatusBar->findChild<QWidget *>(QStringLiteral("ID_INDICATOR_CAPS")));

        m_pFrame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
        m_pView->setFocus();
        QTest::keyClick(m_pView, Qt::Key_F, Qt::ControlModifier);
        CFilterBox *pBox = m_pFrame->GetFilterBox();
        QVERIFY(pBox->hasFocus());
        QTest::keyClicks(pBox, QStringLiteral("brown"));
        QVERIFY2(pStatusBar->GetIdleText().contains(QStringLiteral("1 of 3 users")),
                 qPrintable(pStatusBar->GetIdleText()));
        QTest::keyClick(pBox, Qt::Key_Escape);
        QVERIFY(pStatusBar->GetIdleText().contains(QStringLiteral("3 users")));
        QVERIFY(!pStatusBar->GetIdleText().contains(QStringLiteral(" of ")));
    }

    void contextMenuHasTheMenusActionsAndEnabling()
    {
        QMenu *pMenu = m_pFrame->GetContextMenu();
        QVERIFY(pMenu);
        QStringList names;
        for (QAction *pAction : pMenu->actions()) {
            if (pAction->isSeparator())
                continue;
            names.append(pAction->objectName());
            // The same action the main menu holds: one enabling for both.
            QCOMPARE(pAction, m_pRoute->GetAction(IdOf(pAction->objectName())));
        }
        QCOMPARE(names, (QStringList{"ID_VIEW_PROPERTIES", "ID_ACTIONS_RESTRICTIONS",
                                     "ID_ACTIONS_CONFIGURE", "ID_ACTIONS_UPGRADE",
                                     "ID_EDIT_GROUPS", "ID_EDIT_MODELS"}));
        // Opened from the list, the menu is brought up to date first.
        m_pView->setFocus();
        m_pView->setCurrentIndex(m_pView->model()->index(1, 0));
        QTest::keyClick(m_pView, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(pMenu->isVisible());
        // The view serves none of these commands in this test, so the route
        // greys them all, in the menu as in the main menu.
        for (QAction *pAction : pMenu->actions())
            QVERIFY2(pAction->isSeparator() || !pAction->isEnabled(),
                     qPrintable(pAction->objectName()));
        pMenu->close();
        m_pView->InstallCommand(ID_ACTIONS_RESTRICTIONS, [] {});
        QTest::keyClick(m_pView, Qt::Key_Menu);
        QVERIFY(pMenu->isVisible());
        QVERIFY(m_pRoute->GetAction(ID_ACTIONS_RESTRICTIONS)->isEnabled());
        pMenu->close();
    }

    void altEnterOpensPropertiesFromAnywhere()
    {
        int nRuns = 0;
        m_pView->InstallCommand(ID_VIEW_PROPERTIES, [&nRuns] { ++nRuns; });
        m_pFrame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
        m_pFrame->GetFilterBox()->setFocus();
        QTest::keyClick(m_pFrame->GetFilterBox(), Qt::Key_Return, Qt::AltModifier);
        QCOMPARE(nRuns, 1);
        // Enter in the filter box is the box's own; in the list it opens.
        QTest::keyClick(m_pFrame->GetFilterBox(), Qt::Key_Return);
        QCOMPARE(nRuns, 1);
        m_pView->setFocus();
        QTest::keyClick(m_pView, Qt::Key_Return);
        QCOMPARE(nRuns, 2);
    }

    void windowStateComesBack()
    {
        m_pFrame->setGeometry(40, 50, 640, 420);
        m_pFrame->GetToolBar()->hide();
        m_pFrame->GetStatusBar()->hide();
        CloseFrame();
        OpenFrame();
        QCOMPARE(m_pFrame->size(), QSize(640, 420));
        QVERIFY(m_pFrame->GetToolBar()->isHidden());
        QVERIFY(m_pFrame->GetStatusBar()->isHidden());
    }

    void propertySheetPositionComesBack()
    {
        CPropertyCommands::Install(m_pView);
        m_pView->setCurrentIndex(m_pView->model()->index(1, 0));
        m_pView->OpenProperties();
        QWidget *pSheet = m_pView->GetPropertySheet();
        QVERIFY(pSheet && pSheet->isVisible());
        pSheet->move(120, 90);
        const QPoint pos = pSheet->pos();
        CloseFrame();
        OpenFrame();
        CPropertyCommands::Install(m_pView);
        m_pView->OpenProperties();
        QVERIFY(m_pView->GetPropertySheet()->isVisible());
        QCOMPARE(m_pView->GetPropertySheet()->pos(), pos);
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
