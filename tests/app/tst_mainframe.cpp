#include "app/CMainFrame.h"
#include "framework/CCmdRoute.h"
#include "framework/CCmdTarget.h"
#include "framework/CCmdUI.h"
#include "framework/CStatusBarEx.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"
#include "uilib/CBulkProgressDlg.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSet>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// What the later list view will be to the route: a target with handlers.
struct FakeView : CCmdTarget
{
    QList<int> ran;
    void Handle(const QList<int> &ids)
    {
        for (int nID : ids)
            AddCommand(nID, [this, nID] { ran.append(nID); });
    }
};

const QList<int> kViewCommands = {
    ID_EDIT_SELECT_ALL, ID_EDIT_GROUPS,          ID_EDIT_USER_GROUPS,     ID_EDIT_MODELS,
    ID_ACTIONS_UPGRADE, ID_ACTIONS_RESTRICTIONS, ID_ACTIONS_APPLY_GROUPS, ID_ACTIONS_CONFIGURE,
    ID_ACTIONS_APPLY_MODELS, ID_VIEW_PROPERTIES, ID_VIEW_REFRESH,         ID_VIEW_OPTIONS,
    ID_VIEW_CLIENT_WIDTH_SEL,
};

QRgb CentreColour(const QAction *pAction)
{
    return pAction->icon().pixmap(16, 16).toImage().pixel(8, 8);
}

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void menuHasEveryItem_data();
    void menuHasEveryItem();
    void laterCommandsWaitForTheirHandlers();
    void acceleratorsRunTheirCommands_data();
    void acceleratorsRunTheirCommands();
    void mnemonicsDoNotClash();
    void toolBarAndRefreshImages();
    void barsToggleWithCheckMarks_data();
    void barsToggleWithCheckMarks();
    void statusBarShowsPromptsThenReady();
    void screenshots();

private:
    std::unique_ptr<CCmdRoute> m_pRoute;
    std::unique_ptr<CMainFrame> m_pFrame;
};

void TestMainFrame::init()
{
    // Closing the frame keeps its place in the settings: the test's own.
    QStandardPaths::setTestModeEnabled(true);
    m_pRoute = std::make_unique<CCmdRoute>();
    m_pRoute->SetIdleUpdates(false);
    m_pFrame = std::make_unique<CMainFrame>(m_pRoute.get());
    QVERIFY(m_pFrame->Create());
    m_pFrame->SetAsMainWnd();
    m_pFrame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pFrame.get()));
    m_pRoute->UpdateAll();
}

void TestMainFrame::cleanup()
{
    m_pFrame.reset();
    m_pRoute.reset();
}

void TestMainFrame::menuHasEveryItem_data()
{
    // One row per menu: each item as "text|command name|status text|tooltip",
    // or "-" for a separator.
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("File") << 0 << "&File"
        << QStringList{"&Define Share Directory...|ID_FILE_DEFINE_SHARE_DIRECTORY|"
                       "Define the share directory|Define Share Directory",
                       "-",
                       "E&xit|ID_APP_EXIT|Quit the application; prompts to save documents|Exit"};
    QTest::newRow("Edit") << 1 << "&Edit"
        << QStringList{"Select &All\tCtrl+A|ID_EDIT_SELECT_ALL|Select the entire document|Select All",
                       "-", "Edit &groups...|ID_EDIT_GROUPS||",
                       "Edit &user's groups...|ID_EDIT_USER_GROUPS||", "-",
                       "Edit &models...|ID_EDIT_MODELS||"};
    QTest::newRow("Actions") << 2 << "&Actions"
        << QStringList{"&Upgrade...|ID_ACTIONS_UPGRADE|Upgrade Corvane remotely|Upgrade",
                       "&Restrictions...|ID_ACTIONS_RESTRICTIONS|Apply restrictions|Restrictions",
                       "Apply &groups...|ID_ACTIONS_APPLY_GROUPS||",
                       "Apply &models...|ID_ACTIONS_APPLY_MODELS||",
                       "&Configure...|ID_ACTIONS_CONFIGURE||"};
    QTest::newRow("View") << 3 << "&View"
        << QStringList{"&Toolbar|ID_VIEW_TOOLBAR|Show or hide the toolbar|Toggle ToolBar",
                       "&Status Bar|ID_VIEW_STATUS_BAR|Show or hide the status bar|Toggle StatusBar",
                       "-", "&Properties|ID_VIEW_PROPERTIES|Properties|Properties", "-",
                       "&Refresh|ID_VIEW_REFRESH|Refresh display|Refresh",
                       "&Options...|ID_VIEW_OPTIONS|Options|Options"};
    QTest::newRow("Help") << 4 << "&Help"
        << QStringList{"&About Admin...|ID_APP_ABOUT|"
                       "Display program information, version number and copyright|About"};
}

void TestMainFrame::menuHasEveryItem()
{
    QFETCH(int, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Corvane Administration Tool"));
    QCOMPARE(m_pFrame->menuBar()->actions().size(), 5);
    QMenu *pMenu = m_pFrame->GetMenu(menu);
    QCOMPARE(pMenu->title(), title);
    const QList<QAction *> actions = pMenu->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < items.size(); ++i) {
        QAction *pAction = actions.at(i);
        if (items.at(i) == QLatin1String("-")) {
            QVERIFY2(pAction->isSeparator(), qPrintable(QString::number(i)));
            continue;
        }
        const QStringList parts = items.at(i).split(QLatin1Char('|'));
        QCOMPARE(pAction->text(), parts.at(0));
        QCOMPARE(pAction->objectName(), parts.at(1));
        QCOMPARE(pAction->statusTip(), parts.at(2));
        if (!parts.at(3).isEmpty())
            QCOMPARE(pAction->toolTip(), parts.at(3));
        QCOMPARE(m_pFrame->findChild<QAction *>(parts.at(1)), pAction);
    }
}

void TestMainFrame::laterCommandsWaitForTheirHandlers()
{
    for (int nID : kViewCommands)
        QVERIFY2(!m_pRoute->GetAction(nID)->isEnabled(), CommandIdName(nID));

    // The view arrives with a handler for everything, the never-enabled ones
    // included: their handlers exist, yet the menu keeps them grey.
    FakeView view;
    view.Handle(kViewCommands);
    m_pFrame->SetActiveView(new QWidget, &view);
    for (int nID : kViewCommands) {
        const bool bNever = nID == ID_EDIT_USER_GROUPS || nID == ID_ACTIONS_APPLY_GROUPS
                            || nID == ID_ACTIONS_APPLY_MODELS;
        QVERIFY2(m_pRoute->GetAction(nID)->isEnabled() != bNever, CommandIdName(nID));
    }
    m_pFrame->SetActiveView(new QWidget, nullptr);
    QVERIFY(!m_pRoute->GetAction(ID_VIEW_REFRESH)->isEnabled());
    QCOMPARE(m_pFrame->windowTitle(), QStringLiteral("Corvane Administration Tool"));
}

void TestMainFrame::acceleratorsRunTheirCommands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+A") << ID_EDIT_SELECT_ALL << int(Qt::Key_A) << int(Qt::ControlModifier);
    QTest::newRow("F5") << ID_VIEW_REFRESH << int(Qt::Key_F5) << int(Qt::NoModifier);
}

void TestMainFrame::acceleratorsRunTheirCommands()
{
    QFETCH(int, command);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    FakeView view;
    auto *pList = new QWidget;
    pList->setFocusPolicy(Qt::StrongFocus);
    m_pFrame->SetActiveView(pList, &view);
    m_pFrame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_pFrame.get()));
    pList->setFocus();

    QTest::keyClick(pList, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(view.ran.isEmpty()); // no handler yet: the accelerator is off
    view.Handle({command});
    m_pRoute->UpdateAll();
    QTest::keyClick(pList, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(view.ran, QList<int>{command});

    // Ctrl+Q is Exit, whatever the platform's own quit key.
    QVERIFY(m_pFrame->isVisible());
    QTest::keyClick(pList, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_pFrame->isVisible());
}

void TestMainFrame::mnemonicsDoNotClash()
{
    // Within one menu, no two items share an underlined letter.
    for (int nMenu = 0; nMenu < 5; ++nMenu) {
        QSet<QChar> seen;
        for (QAction *pAction : m_pFrame->GetMenu(nMenu)->actions()) {
            const qsizetype n = pAction->text().indexOf(QLatin1Char('&'));
            if (n < 0)
                continue;
            const QChar letter = pAction->text().at(n + 1).toLower();
            QVERIFY2(!seen.contains(letter), qPrintable(pAction->text()));
            seen.insert(letter);
        }
    }
}

void TestMainFrame::toolBarAndRefreshImages()
{
    CToolBarEx *pBar = CFrameWnd::GetMainWnd()->GetToolBar();
    const QList<QAction *> actions = pBar->actions();
    QCOMPARE(actions.size(), 4);
    QVERIFY(actions.at(2)->isSeparator());
    QCOMPARE(actions.at(0)->objectName(), QStringLiteral("ID_VIEW_OPTIONS"));
    QCOMPARE(actions.at(1)->objectName(), QStringLiteral("ID_VIEW_PROPERTIES"));
    QCOMPARE(actions.at(3)->objectName(), QStringLiteral("ID_VIEW_REFRESH"));
    // Hovering shows the prompt's tooltip part; the status bar its first part.
    auto *pButton = qobject_cast<QToolButton *>(pBar->widgetForAction(actions.at(3)));
    QCOMPARE(pButton->toolTip(), QStringLiteral("Refresh"));
    QCOMPARE(pButton->statusTip(), QStringLiteral("Refresh display"));

    // The lamp: green at rest, bright and dark red while blinking.
    QAction *pRefresh = m_pRoute->GetAction(ID_VIEW_REFRESH);
    QCOMPARE(pBar->GetButtonImage(CMainFrame::kRefreshButtonIndex), 2);
    const QRgb green = CentreColour(pRefresh);
    QVERIFY(qGreen(green) > qRed(green));
    QVERIFY(pBar->SetButtonInfo(3, ID_VIEW_REFRESH, CToolBarEx::TBBS_BUTTON, 3));
    const QRgb bright = CentreColour(pRefresh);
    QVERIFY(pBar->SetButtonInfo(3, ID_VIEW_REFRESH, CToolBarEx::TBBS_BUTTON, 4));
    const QRgb dark = CentreColour(pRefresh);
    QVERIFY(qRed(bright) > qGreen(bright) && qRed(dark) > qGreen(dark));
    QVERIFY(qRed(dark) < qRed(bright));
    QVERIFY(!pBar->SetButtonInfo(4, ID_VIEW_REFRESH, CToolBarEx::TBBS_BUTTON, 2));
    QVERIFY(pBar->SetButtonInfo(3, ID_VIEW_REFRESH, CToolBarEx::TBBS_BUTTON, 2));
    QCOMPARE(CentreColour(pRefresh), green);
    QCOMPARE(pBar->actions(), actions);
}

void TestMainFrame::barsToggleWithCheckMarks_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("toolbar") << ID_VIEW_TOOLBAR;
    QTest::newRow("status bar") << ID_VIEW_STATUS_BAR;
}

void TestMainFrame::barsToggleWithCheckMarks()
{
    QFETCH(int, id);
    QWidget *pBar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget *>(m_pFrame->GetToolBar())
                                          : m_pFrame->GetStatusBar();
    QAction *pAction = m_pRoute->GetAction(id);
    QVERIFY(pAction->isEnabled() && pAction->isChecked());
    pAction->trigger();
    QVERIFY(pBar->isHidden());
    QVERIFY(!pAction->isChecked());
    pAction->trigger();
    QVERIFY(pBar->isVisible());
    QVERIFY(pAction->isChecked());
}

void TestMainFrame::statusBarShowsPromptsThenReady()
{
    CStatusBarEx *pBar = m_pFrame->GetStatusBar();
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Ready"));
    // A menu shows its item's prompt through the menu bar that opened it.
    m_pRoute->GetAction(ID_ACTIONS_UPGRADE)->showStatusText(m_pFrame->menuBar());
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Upgrade Corvane remotely"));
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(m_pFrame.get(), &leave);
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Ready"));

    // A bulk write's summary covers the text at rest for a while only; the
    // text at rest may change meanwhile and is what comes back.
    CBulkProgressDlg::ShowStatusLine(m_pFrame.get(), QStringLiteral("Saved 3 users"), 50);
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Saved 3 users"));
    pBar->SetIdleText(QStringLiteral("3 users"));
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Saved 3 users"));
    QTRY_COMPARE_WITH_TIMEOUT(pBar->GetPaneText(), QStringLiteral("3 users"), 60000);
}

// With CORVANE_SCREENSHOT_DIR set, writes pictures of the window (and of
// the window with each menu open) for a person to look at.
void TestMainFrame::screenshots()
{
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("CORVANE_SCREENSHOT_DIR not set");
    QVERIFY(QDir().mkpath(dir));
    FakeView view;
    view.Handle(kViewCommands);
    m_pFrame->SetActiveView(new QWidget, &view);
    m_pFrame->resize(640, 400);
    QTest::qWait(50);
    QVERIFY(m_pFrame->grab().save(dir + QStringLiteral("/mainframe.png")));
    for (int nMenu = 0; nMenu < 5; ++nMenu) {
        QMenu *pMenu = m_pFrame->GetMenu(nMenu);
        QAction *pTitle = m_pFrame->menuBar()->actions().at(nMenu);
        pMenu->popup(m_pFrame->menuBar()->mapToGlobal(
            m_pFrame->menuBar()->actionGeometry(pTitle).bottomLeft()));
        QVERIFY(QTest::qWaitForWindowExposed(pMenu));
        pMenu->setActiveAction(pMenu->actions().constLast());
        QTest::qWait(50);
        QPixmap shot = m_pFrame->grab();
        QPainter painter(&shot);
        painter.drawPixmap(m_pFrame->mapFromGlobal(pMenu->mapToGlobal(QPoint(0, 0))), pMenu->grab());
        painter.end();
        QVERIFY(shot.save(dir + QStringLiteral("/menu-%1.png").arg(nMenu)));
        pMenu->hide();
    }
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
