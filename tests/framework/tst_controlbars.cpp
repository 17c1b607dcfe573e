#include "framework/CCmdRoute.h"
#include "framework/CImageList.h"
#include "framework/CStatusBarEx.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"

#include <QAction>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// An SVG of one flat colour, so the test can tell the images apart.
QString WriteSvg(const QTemporaryDir &dir, const QString &name, const QString &colour)
{
    const QString path = dir.filePath(name + QStringLiteral(".svg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" "
                              "height=\"16\"><rect width=\"16\" height=\"16\" fill=\"%1\"/></svg>")
                   .arg(colour)
                   .toUtf8());
    return path;
}

QRgb CentreColour(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().pixel(8, 8);
}

} // namespace

class TestControlBars : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void toolBarLaysOutButtonsAndGaps();
    void setButtonInfoSwitchesImage_data();
    void setButtonInfoSwitchesImage();
    void badSvgIsRefused();
    void messagePaneFallsBackToIdleText();
    void lockKeysToggleIndicators_data();
    void lockKeysToggleIndicators();
    void indicatorsNeedMessagePaneFirst();

private:
    QTemporaryDir m_dir;
    CImageList m_images;
    CImageList m_extra;
};

void TestControlBars::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_images.Add(WriteSvg(m_dir, QStringLiteral("a"), QStringLiteral("#ff0000"))));
    QVERIFY(m_images.Add(WriteSvg(m_dir, QStringLiteral("b"), QStringLiteral("#00ff00"))));
    QVERIFY(m_images.Add(WriteSvg(m_dir, QStringLiteral("c"), QStringLiteral("#0000ff"))));
    QVERIFY(m_extra.Add(WriteSvg(m_dir, QStringLiteral("d"), QStringLiteral("#ffff00"))));
    QVERIFY(m_extra.Add(WriteSvg(m_dir, QStringLiteral("e"), QStringLiteral("#00ffff"))));
}

void TestControlBars::toolBarLaysOutButtonsAndGaps()
{
    CCmdRoute route;
    QAction a1, a2, a3;
    route.AddAction(1, &a1);
    route.AddAction(2, &a2);
    route.AddAction(3, &a3);
    CToolBarEx bar(&route);
    QVERIFY(bar.LoadToolBar({1, 2, ID_SEPARATOR, 3}, m_images));
    QCOMPARE(bar.GetButtonCount(), 4);
    QCOMPARE(bar.actions().size(), 4);
    QVERIFY(bar.actions().at(2)->isSeparator());
    // Images count buttons only: the button after the gap shows image 2.
    QCOMPARE(bar.GetButtonImage(2), -1);
    QCOMPARE(bar.GetButtonImage(3), 2);
    QCOMPARE(CentreColour(a3.icon()), qRgb(0, 0, 255));

    CToolBarEx tooShort(&route);
    QVERIFY(!tooShort.LoadToolBar({1, 2, 3, 1}, m_images));
    CToolBarEx unknown(&route);
    QVERIFY(!unknown.LoadToolBar({1, 99}, m_images));
}

void TestControlBars::setButtonInfoSwitchesImage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("image");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("appended image 3") << 3 << 3 << true << qRgb(255, 255, 0);
    QTest::newRow("appended image 4") << 3 << 4 << true << qRgb(0, 255, 255);
    QTest::newRow("back to image 2") << 3 << 2 << true << qRgb(0, 0, 255);
    QTest::newRow("position past the end") << 4 << 3 << false << qRgb(0, 0, 255);
    QTest::newRow("negative position") << -1 << 3 << false << qRgb(0, 0, 255);
}

void TestControlBars::setButtonInfoSwitchesImage()
{
    QFETCH(int, index);
    QFETCH(int, image);
    QFETCH(bool, accepted);
    QFETCH(QRgb, colour);
    CCmdRoute route;
    QAction a1, a2, a3;
    route.AddAction(1, &a1);
    route.AddAction(2, &a2);
    route.AddAction(3, &a3);
    QMainWindow window;
    auto *pBar = new CToolBarEx(&route, &window);
    window.addToolBar(pBar);
    QVERIFY(pBar->LoadToolBar({1, 2, ID_SEPARATOR, 3}, m_images));
    pBar->AddImages(m_extra);
    // Hidden or not, the button follows: the blinking goes on while the
    // administrator has switched the toolbar off.
    pBar->hide();

    QCOMPARE(pBar->SetButtonInfo(index, 3, CToolBarEx::TBBS_BUTTON, image), accepted);
    QCOMPARE(pBar->GetButtonImage(3), accepted ? image : 2);
    QCOMPARE(CentreColour(a3.icon()), colour);
    QCOMPARE(pBar->GetItemID(3), 3);
}

void TestControlBars::badSvgIsRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("broken.svg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<svg");
    file.close();
    CImageList images;
    QVERIFY(!images.Add(path));
    QVERIFY(!images.Add(m_dir.filePath(QStringLiteral("missing.svg"))));
    QCOMPARE(images.GetImageCount(), 0);
    QVERIFY(images.GetIcon(0).isNull());
}

void TestControlBars::messagePaneFallsBackToIdleText()
{
    QMainWindow window;
    auto *pBar = new CStatusBarEx(&window);
    window.setStatusBar(pBar);
    QAction action(QStringLiteral("x"), &window);
    action.setStatusTip(QStringLiteral("Refresh display"));
    window.show();
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Ready"));
    action.showStatusText(&window);
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Refresh display"));
    pBar->clearMessage();
    QCOMPARE(pBar->GetPaneText(), QStringLiteral("Ready"));
}

void TestControlBars::lockKeysToggleIndicators_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<QString>("text");
    QTest::newRow("caps") << int(Qt::Key_CapsLock) << ID_INDICATOR_CAPS << QStringLiteral("CAP");
    QTest::newRow("num") << int(Qt::Key_NumLock) << ID_INDICATOR_NUM << QStringLiteral("NUM");
    QTest::newRow("scroll") << int(Qt::Key_ScrollLock) << ID_INDICATOR_SCRL
                            << QStringLiteral("SCRL");
}

void TestControlBars::lockKeysToggleIndicators()
{
    QFETCH(int, key);
    QFETCH(int, indicator);
    QFETCH(QString, text);
    QMainWindow window;
    auto *pBar = new CStatusBarEx(&window);
    window.setStatusBar(pBar);
    QVERIFY(pBar->SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                 ID_INDICATOR_SCRL}));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pBar->GetIndicatorText(indicator), QString());

    // Through the window, as real key events travel: the press must count
    // once although it then passes through several widgets.
    QTest::keyClick(window.windowHandle(), Qt::Key(key));
    QVERIFY(pBar->IsIndicatorOn(indicator));
    QCOMPARE(pBar->GetIndicatorText(indicator), text);
    QTest::keyClick(window.windowHandle(), Qt::Key_X);
    QVERIFY(pBar->IsIndicatorOn(indicator));
    QTest::keyClick(window.windowHandle(), Qt::Key(key));
    QVERIFY(!pBar->IsIndicatorOn(indicator));
    QCOMPARE(pBar->GetIndicatorText(indicator), QString());
}

void TestControlBars::indicatorsNeedMessagePaneFirst()
{
    CStatusBarEx bar;
    QVERIFY(!bar.SetIndicators({ID_INDICATOR_CAPS}));
    CStatusBarEx bar2;
    QVERIFY(!bar2.SetIndicators({ID_SEPARATOR, 12345}));
}

QTEST_MAIN(TestControlBars)
#include "tst_controlbars.moc"
