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

struct Fixture
{
    CCmdRoute route;
    std::array<CCmdTarget, CCmdRoute::SlotCount> targets;
    QAction action{QStringLiteral("cmd"), nullptr};

    explicit Fixture(bool bIdle = false)
    {
        route.SetIdleUpdates(bIdle);
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
    void disabledCommandIsNotRun();
    void destroyedTargetLeavesRoute();
    void statesFollowMenuOpeningAndIdleTime();
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
}

void TestCmdRoute::firstTargetWithHandlerRuns()
{
    QFETCH(int, handlers);
    QFETCH(int, expectedSlot);
    Fixture f;
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
}

void TestCmdRoute::updateHandlerDecides()
{
    QFETCH(bool, hasHandler);
    QFETCH(int, enable);
    QFETCH(int, check);
    QFETCH(bool, expectedEnabled);
    QFETCH(bool, expectedChecked);
    Fixture f;
    // Handler in the view, update handler in the document: they need not
    // sit on the same target. A later update handler (the application's)
    // is not asked once the document's has answered.
    if (hasHandler)
        f.targets[CCmdRoute::View].AddCommand(kCmd, [] {});
    f.targets[CCmdRoute::Document].AddUpdateCommandUI(kCmd, [=](CCmdUI *pCmdUI) {
        if (enable >= 0)
            pCmdUI->Enable(enable == 1);
        if (check >= 0)
            pCmdUI->SetCheck(check);
    });
    f.targets[CCmdRoute::App].AddUpdateCommandUI(kCmd, [](CCmdUI *pCmdUI) {
        pCmdUI->Enable(true);
        pCmdUI->SetCheck(0);
    });
    f.route.UpdateAll();
    QCOMPARE(f.action.isEnabled(), expectedEnabled);
    QCOMPARE(f.action.isChecked(), expectedChecked);
}

void TestCmdRoute::disabledCommandIsNotRun()
{
    // The action may still look enabled (no pass has run since the state
    // changed): executing must ask the route again.
    Fixture f;
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

void TestCmdRoute::statesFollowMenuOpeningAndIdleTime()
{
    Fixture f(true);
    QMenu menu;
    menu.addAction(&f.action);
    f.route.WatchMenu(&menu);
    bool bChecked = false;
    f.targets[CCmdRoute::Frame].AddUpdateCommandUI(kCmd, [&](CCmdUI *p) { p->SetCheck(bChecked); });

    // A handler that appears later (a view made after the frame) shows as
    // soon as the menu is about to open...
    f.targets[CCmdRoute::View].AddCommand(kCmd, [] {});
    QVERIFY(!f.action.isEnabled());
    Q_EMIT menu.aboutToShow();
    QVERIFY(f.action.isEnabled());

    // ...and a state that changes without any command shows once the event
    // loop goes idle (a real loop: QTest::qWait never waits inside one).
    bChecked = true;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(f.action.isChecked());
}

QTEST_MAIN(TestCmdRoute)
#include "tst_cmdroute.moc"
