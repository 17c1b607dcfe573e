#include "framework/CStatusBarEx.h"
#include "framework/ResourceIds.h"

#include <QMainWindow>
#include <QtTest>

class TestStatusBar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lockKeysToggleIndicators_data();
    void lockKeysToggleIndicators();
};

void TestStatusBar::lockKeysToggleIndicators_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<QString>("text");
    QTest::newRow("caps") << int(Qt::Key_CapsLock) << ID_INDICATOR_CAPS << QStringLiteral("CAP");
    QTest::newRow("num") << int(Qt::Key_NumLock) << ID_INDICATOR_NUM << QStringLiteral("NUM");
    QTest::newRow("scroll") << int(Qt::Key_ScrollLock) << ID_INDICATOR_SCRL
                            << QStringLiteral("SCRL");
}

void TestStatusBar::lockKeysToggleIndicators()
{
    QFETCH(int, key);
    QFETCH(int, indicator);
    QFETCH(QString, text);
    QMainWindow window;
    auto *pBar = new CStatusBarEx(&window);
    window.setStatusBar(pBar);
    QVERIFY(!pBar->SetIndicators({ID_INDICATOR_CAPS})); // the message pane comes first
    QVERIFY(pBar->SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                 ID_INDICATOR_SCRL}));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pBar->GetIndicatorText(indicator), QString());

    // Through the window, as real key events travel: the press must count
    // once although it then passes through several widgets.
    QTest::keyClick(window.windowHandle(), Qt::Key(key));
    QCOMPARE(pBar->GetIndicatorText(indicator), text);
    QTest::keyClick(window.windowHandle(), Qt::Key_X);
    QVERIFY(pBar->IsIndicatorOn(indicator));
    QTest::keyClick(window.windowHandle(), Qt::Key(key));
    QCOMPARE(pBar->GetIndicatorText(indicator), QString());
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
