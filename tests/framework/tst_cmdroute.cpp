#include "framework/CCmdRoute.h"
#include "framework/CCmdTarget.h"
#include "framework/CCmdUI.h"

#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int kCmd = 40001;

// Runs a real event loop for a while, so that the loop goes idle the way it
// does between user actions (QTest::qWait never waits inside the loop).
void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Fixture
{
    CCmdRoute route;
    std::array<CCmdTarget, CCmdRoute::SlotCount> targets;
    QAction action{QStringLiteral("cmd"), nullptr};

    Fixture()
    {
        for (int i = 0; i < CCmdRoute::SlotCount; ++i)
            route.SetTarget(CCmdRoute::Slot(i), &targets[i]);
        route.AddAction(kCmd, &action);
    }
};

} // namespace

class TestCmdRoute : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstTargetWithHandlerRuns_data();
    void firstTargetWithHandlerRuns();
    void updateHandlerDecides_data();
    void updateHandlerDecides();
    void firstUpdateHandlerOnRouteWins();
    void disabledCommandIsNotRun();
    void destroyedTargetLeavesRoute();
    void menuIsUpdatedBeforeItOpens();
    void idleLoopUpdatesActions();
    void checkStateSurvivesUpdateWithoutCheck();
};

void TestCmdRoute::firstTargetWithHandlerRuns_data()
{
    // Bits: 1 view, 2 document, 4 frame, 8 application.
    QTest::addColumn<int>("handlers");
    QTest::addColumn<int>("expectedSlot");
    QTest::newRow("none") << 0 << -1;
    QTest::newRow("view only") << 1 << int(CCmdRoute::View);
    QTest::newRow("document only") << 2 << int(CCmdRoute::Document);
    QTest::newRow("frame only") << 4 << int(CCmdRoute::Frame);
    QTest::newRow("application only") << 8 << int(CCmdRoute::App);
    QTest::newRow("view before application") << 9 << int(CCmdRoute::View);
    QTest::newRow("document before frame") << 6 << int(CCmdRoute::Document);
    QTest::newRow("frame before application") << 12 << int(CCmdRoute::Frame);
    QTest::newRow("all") << 15 << int(CCmdRoute::View);
}

void TestCmdRoute::firstTargetWithHandlerRuns()
{
    QFETCH(int, handlers);
    QFETCH(int, expectedSlot);
    Fixture f;
    f.route.SetIdleUpdates(false);
    QList<int> ran;
    for (int i = 0; i < CCmdRoute::SlotCount; ++i)
        if (handlers & (1 << i))
            f.targets[i].AddCommand(kCmd, [&ran, i] { ran.append(i); });

    f.route.UpdateAll();
    QCOMPARE(f.action.isEnabled(), expectedSlot >= 0);
    f.action.trigger();
    QCOMPARE(ran, expectedSlot >= 0 ? QList<int>{expectedSlot} : QList<int>{});
    QCOMPARE(f.route.Execute(kCmd), expectedSlot >= 0);
}

void TestCmdRoute::updateHandlerDecides_data()
{
    QTest::addColumn<bool>("hasHandler");
    QTest::addColumn<int>("enable");  // -1: the update handler leaves it alone
    QTest::addColumn<int>("check");   // -1: likewise
    QTest::addColumn<bool>("expectedEnabled");
    QTest::addColumn<bool>("expectedChecked");
    QTest::newRow("check only, with handler") << true << -1 << 1 << true << true;
    QTest::newRow("check only, no handler") << false << -1 << 1 << false << true;
    QTest::newRow("enables without handler") << false << 1 << 0 << true << false;
    QTest::newRow("disables despite handler") << true << 0 << -1 << false << false;
    QTest::newRow("enabled and checked") << true << 1 << 1 << true << true;
}

void TestCmdRoute::updateHandlerDecides()
{
    QFETCH(bool, hasHandler);
    QFETCH(int, enable);
    QFETCH(int, check);
    QFETCH(bool, expectedEnabled);
    QFETCH(bool, expectedChecked);
    Fixture f;
    f.route.SetIdleUpdates(false);
    // Handler in the view, update handler in the document: they need not
    // sit on the same target.
    if (hasHandler)
        f.targets[CCmdRoute::View].AddCommand(kCmd, [] {});
    f.targets[CCmdRoute::Document].AddUpdateCommandUI(kCmd, [=](CCmdUI *pCmdUI) {
        if (enable >= 0)
            pCmdUI->Enable(enable == 1);
        if (check >= 0)
            pCmdUI->SetCheck(check);
    });
    f.route.UpdateAll();
    QCOMPARE(f.action.isEnabled(), expectedEnabled);
    QCOMPARE(f.action.isChecked(), expectedChecked);
}

void TestCmdRoute::firstUpdateHandlerOnRouteWins()
{
    Fixture f;
    f.route.SetIdleUpdates(false);
    f.targets[CCmdRoute::App].AddCommand(kCmd, [] {});
    f.targets[CCmdRoute::Frame].AddUpdateCommandUI(kCmd, [](CCmdUI *p) { p->Enable(false); });
    f.targets[CCmdRoute::App].AddUpdateCommandUI(kCmd, [](CCmdUI *p) { p->Enable(true); });
    f.route.UpdateAll();
    QVERIFY(!f.action.isEnabled());
}

void TestCmdRoute::disabledCommandIsNotRun()
{
    // The action may still look enabled (no pass has run since the state
    // changed): executing must ask the route again.
    Fixture f;
    f.route.SetIdleUpdates(false);
    bool bAllowed = true;
    int nRuns = 0;
    f.targets[CCmdRoute::View].AddCommand(kCmd, [&] { ++nRuns; });
    f.targets[CCmdRoute::View].AddUpdateCommandUI(kCmd, [&](CCmdUI *p) { p->Enable(bAllowed); });
    f.route.UpdateAll();
    QVERIFY(f.action.isEnabled());
    bAllowed = false;
    QVERIFY(!f.route.Execute(kCmd));
    f.action.trigger();
    QCOMPARE(nRuns, 0);
}

void TestCmdRoute::destroyedTargetLeavesRoute()
{
    CCmdRoute route;
    route.SetIdleUpdates(false);
    QAction action;
    route.AddAction(kCmd, &action);
    auto pView = std::make_unique<CCmdTarget>();
    pView->AddCommand(kCmd, [] {});
    route.SetTarget(CCmdRoute::View, pView.get());
    route.UpdateAll();
    QVERIFY(action.isEnabled());

    pView.reset();
    QCOMPARE(route.GetTarget(CCmdRoute::View), nullptr);
    route.UpdateAll();
    QVERIFY(!action.isEnabled());
    QVERIFY(!route.Execute(kCmd));
}

void TestCmdRoute::menuIsUpdatedBeforeItOpens()
{
    Fixture f;
    f.route.SetIdleUpdates(false);
    QMenu menu;
    menu.addAction(&f.action);
    f.route.WatchMenu(&menu);
    f.route.UpdateAll();
    QVERIFY(!f.action.isEnabled());

    f.targets[CCmdRoute::Document].AddCommand(kCmd, [] {});
    QVERIFY(!f.action.isEnabled());
    Q_EMIT menu.aboutToShow();
    QVERIFY(f.action.isEnabled());
}

void TestCmdRoute::idleLoopUpdatesActions()
{
    Fixture f;
    bool bChecked = false;
    f.targets[CCmdRoute::Frame].AddUpdateCommandUI(kCmd, [&](CCmdUI *p) { p->SetCheck(bChecked); });
    RunEventLoop(20);
    QVERIFY(!f.action.isEnabled());
    QVERIFY(!f.action.isChecked());

    // A handler that appears later (a view created after the frame) and a
    // state that changes without any command both show once the loop idles.
    f.targets[CCmdRoute::View].AddCommand(kCmd, [] {});
    bChecked = true;
    RunEventLoop(20);
    QVERIFY(f.action.isEnabled());
    QVERIFY(f.action.isChecked());
}

void TestCmdRoute::checkStateSurvivesUpdateWithoutCheck()
{
    Fixture f;
    f.route.SetIdleUpdates(false);
    f.action.setCheckable(true);
    f.action.setChecked(true);
    f.targets[CCmdRoute::App].AddCommand(kCmd, [] {});
    f.route.UpdateAll();
    QVERIFY(f.action.isChecked());
}

QTEST_MAIN(TestCmdRoute)
#include "tst_cmdroute.moc"
