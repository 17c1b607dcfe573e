#include "uilib/CAppMessageBox.h"
#include "uilib/CZoDlgEnder.h"
#include "uilib/CZoMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Box = CZoMessageBox;

// Runs fn on the modal box once it is up.
template<typename Fn>
void WhenModal(Fn fn)
{
    QTimer::singleShot(0, qApp, [fn] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        fn(QApplication::activeModalWidget());
    });
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsTheButtonClicked_data();
    void recordsTheButtonClicked();
    void escapeMeansCancelOrTheOnlyButton_data();
    void escapeMeansCancelOrTheOnlyButton();
    void captionsAndLabelsComeFromTheStringTable_data();
    void captionsAndLabelsComeFromTheStringTable();
    void endedFromAnotherThreadRecordsNoChoice();
    void endedBeforeShownEndsAtOnce();
    void lateEndAfterUserClosedIsIgnored();
    void enderOutlivingTheBoxIsHarmless();
    void presetAnswerSkipsTheBox();
    void appBoxHasAppCaption_data();
    void appBoxHasAppCaption();
    void appBoxPresetAnswer();
};

void TestMessageBox::recordsTheButtonClicked_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("click");
    QTest::addColumn<int>("choice");
    const int okCancel = Box::ButtonBit(Box::IDOK) | Box::ButtonBit(Box::IDCANCEL);
    const int yesNoCancel = Box::ButtonBit(Box::IDYES) | Box::ButtonBit(Box::IDNO)
                            | Box::ButtonBit(Box::IDCANCEL);
    const int abortRetryIgnore = Box::ButtonBit(Box::IDABORT) | Box::ButtonBit(Box::IDRETRY)
                                 | Box::ButtonBit(Box::IDIGNORE);
    QTest::newRow("ok") << okCancel << "IDOK" << 1;
    QTest::newRow("cancel") << okCancel << "IDCANCEL" << 2;
    QTest::newRow("no") << yesNoCancel << "IDNO" << 7;
    QTest::newRow("yes") << yesNoCancel << "IDYES" << 6;
    QTest::newRow("retry") << abortRetryIgnore << "IDRETRY" << 4;
    QTest::newRow("ignore") << abortRetryIgnore << "IDIGNORE" << 5;
}

void TestMessageBox::recordsTheButtonClicked()
{
    QFETCH(int, buttons);
    QFETCH(QString, click);
    QFETCH(int, choice);
    Box box;
    Box::InitButtonIds();
    box.SetType(Box::Warning, buttons);
    WhenModal([click](QWidget *pModal) {
        auto *pButton = pModal->findChild<QPushButton *>(click);
        QVERIFY(pButton);
        pButton->click();
    });
    QCOMPARE(box.DoModal(), choice);
    QCOMPARE(box.GetChoice(), choice);
}

void TestMessageBox::escapeMeansCancelOrTheOnlyButton_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("choice"); // 0: Escape does not close the box
    QTest::newRow("with cancel") << (Box::ButtonBit(Box::IDOK) | Box::ButtonBit(Box::IDCANCEL)) << 2;
    QTest::newRow("cancel only") << Box::ButtonBit(Box::IDCANCEL) << 2;
    QTest::newRow("ok only") << Box::ButtonBit(Box::IDOK) << 1;
    QTest::newRow("yes and no") << (Box::ButtonBit(Box::IDYES) | Box::ButtonBit(Box::IDNO)) << 0;
}

void TestMessageBox::escapeMeansCancelOrTheOnlyButton()
{
    QFETCH(int, buttons);
    QFETCH(int, choice);
    Box box;
    box.SetType(Box::Information, buttons);
    WhenModal([choice](QWidget *pModal) {
        QTest::keyClick(pModal, Qt::Key_Escape);
        if (choice == 0) {
            // Still open and waiting for a real answer.
            QVERIFY(pModal->isVisible());
            pModal->findChild<QPushButton *>(QStringLiteral("IDNO"))->click();
        }
    });
    QCOMPARE(box.DoModal(), choice ? choice : 7);
    QCOMPARE(box.GetChoice(), choice ? choice : 7);
}

void TestMessageBox::captionsAndLabelsComeFromTheStringTable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("information") << 1 << QStringLiteral("Information message");
    QTest::newRow("internal error") << 2 << QStringLiteral("Internal error message");
    QTest::newRow("warning") << 4 << QStringLiteral("Warning message");
    QTest::newRow("close") << 6 << QStringLiteral("Close message");
    QTest::newRow("unknown kind") << 9 << QStringLiteral("Information message");
}

void TestMessageBox::captionsAndLabelsComeFromTheStringTable()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    Box box;
    Box::InitButtonIds();
    box.SetType(kind, 0x7f);
    QCOMPARE(box.windowTitle(), caption);
    const QStringList expected = {"&Ok", "&Cancel", "&Abort", "&Retry", "&Ignore", "&Yes", "&No"};
    const QStringList names = {"IDOK", "IDCANCEL", "IDABORT", "IDRETRY", "IDIGNORE", "IDYES", "IDNO"};
    for (int i = 0; i < names.size(); ++i) {
        auto *pButton = box.findChild<QPushButton *>(names.at(i));
        QVERIFY2(pButton, qPrintable(names.at(i)));
        QCOMPARE(pButton->text(), expected.at(i));
    }
}

void TestMessageBox::endedFromAnotherThreadRecordsNoChoice()
{
    // The log-file wait: a Cancel-only box, ended by the worker that saw the
    // file arrive.
    Box box;
    Box::InitButtonIds();
    box.SetType(6, 2);
    QVERIFY(!box.GetMessage().isEmpty());
    std::shared_ptr<CZoDlgEnder> ender = box.GetEnder();
    std::thread worker;
    QTimer::singleShot(0, &box, [&] {
        QVERIFY(box.isVisible());
        worker = std::thread([ender] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ender->EndDialog(2);
        });
    });
    QCOMPARE(box.DoModal(), 2);
    worker.join();
    QCOMPARE(box.GetChoice(), 0);
}

void TestMessageBox::endedBeforeShownEndsAtOnce()
{
    Box box;
    box.SetType(6, 2);
    std::thread worker([ender = box.GetEnder()] { ender->EndDialog(2); });
    worker.join();
    // The request is carried out before the box is up (the worker found the
    // file at its first look): the box must not then wait for the
    // administrator.
    QCoreApplication::processEvents();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &box, [&box] { box.done(99); });
    watchdog.start(5000);
    QCOMPARE(box.DoModal(), 2);
    QCOMPARE(box.GetChoice(), 0);
}

void TestMessageBox::lateEndAfterUserClosedIsIgnored()
{
    Box box;
    box.SetType(6, 2);
    WhenModal([](QWidget *pModal) {
        pModal->findChild<QPushButton *>(QStringLiteral("IDCANCEL"))->click();
    });
    QCOMPARE(box.DoModal(), 2);
    QCOMPARE(box.GetChoice(), 2);
    std::thread worker([ender = box.GetEnder()] { ender->EndDialog(2); });
    worker.join();
    QCoreApplication::processEvents();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.GetChoice(), 2);
}

void TestMessageBox::enderOutlivingTheBoxIsHarmless()
{
    // A worker that keeps ending the box while it closes and is destroyed
    // under it, many times over: no request may reach a destroyed box.
    for (int i = 0; i < 25; ++i) {
        std::atomic<bool> bStop{false};
        std::shared_ptr<CZoDlgEnder> ender;
        std::thread worker;
        {
            Box box;
            box.SetType(6, 2);
            ender = box.GetEnder();
            worker = std::thread([ender, &bStop] {
                while (!bStop.load())
                    ender->EndDialog(2);
            });
            QCOMPARE(box.DoModal(), 2);
            QCOMPARE(box.GetChoice(), 0);
        }
        QVERIFY(!ender->EndDialog(2));
        bStop = true;
        worker.join();
        QCoreApplication::processEvents();
    }
}

void TestMessageBox::presetAnswerSkipsTheBox()
{
    Box box;
    box.SetType(Box::Delete, Box::ButtonBit(Box::IDYES) | Box::ButtonBit(Box::IDNO));
    Box::SetNextAnswer(Box::IDNO);
    QCOMPARE(box.DoModal(), 7);
    QCOMPARE(box.GetChoice(), 7);
    QVERIFY(!box.isVisible());
}

void TestMessageBox::appBoxHasAppCaption_data()
{
    QTest::addColumn<int>("kind"); // 0 information, 1 exclamation, 2 question
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::newRow("information") << 0 << int(QMessageBox::Information) << int(QMessageBox::Ok);
    QTest::newRow("exclamation") << 1 << int(QMessageBox::Warning) << int(QMessageBox::Ok);
    QTest::newRow("question") << 2 << int(QMessageBox::Warning)
                              << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

void TestMessageBox::appBoxHasAppCaption()
{
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    bool bSeen = false;
    WhenModal([&](QWidget *pModal) {
        auto *pBox = qobject_cast<QMessageBox *>(pModal);
        QVERIFY(pBox);
        QCOMPARE(pBox->windowTitle(), QStringLiteral("Admin"));
        QCOMPARE(int(pBox->icon()), icon);
        QCOMPARE(int(pBox->standardButtons()), buttons);
        QCOMPARE(pBox->text(), QStringLiteral("Text"));
        bSeen = true;
        pBox->button(kind == 2 ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    if (kind == 0)
        CAppMessageBox::Information(nullptr, QStringLiteral("Text"));
    else if (kind == 1)
        CAppMessageBox::Exclamation(nullptr, QStringLiteral("Text"));
    else
        QCOMPARE(CAppMessageBox::Question(nullptr, QStringLiteral("Text")), QMessageBox::No);
    QVERIFY(bSeen);
}

void TestMessageBox::appBoxPresetAnswer()
{
    CAppMessageBox::SetNextAnswer(QMessageBox::Cancel);
    QCOMPARE(CAppMessageBox::Question(nullptr, QStringLiteral("Rename?")), QMessageBox::Cancel);
    QCOMPARE(CAppMessageBox::GetLastText(), QStringLiteral("Rename?"));
    QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Warning);
    // Only the next box is answered.
    bool bShown = false;
    WhenModal([&](QWidget *pModal) {
        bShown = true;
        qobject_cast<QMessageBox *>(pModal)->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(CAppMessageBox::Question(nullptr, QStringLiteral("Again?")), QMessageBox::Yes);
    QVERIFY(bShown);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
