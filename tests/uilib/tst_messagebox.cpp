#include "uilib/CAppMessageBox.h"
#include "uilib/CZoDlgEnder.h"
#include "uilib/CZoMessageBox.h"

#include <QApplication>
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
    void recordsTheChoice_data();
    void recordsTheChoice();
    void endedFromAnotherThreadRecordsNoChoice();
    void endedBeforeShownEndsAtOnce();
    void enderOutlivingTheBoxIsHarmless();
    void appQuestion();
};

void TestMessageBox::recordsTheChoice_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("press"); // a button's name, or Escape
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("choice");
    const int ok = Box::ButtonBit(Box::IDOK);
    const int okCancel = ok | Box::ButtonBit(Box::IDCANCEL);
    const int yesNo = Box::ButtonBit(Box::IDYES) | Box::ButtonBit(Box::IDNO);
    const int ari = Box::ButtonBit(Box::IDABORT) | Box::ButtonBit(Box::IDRETRY)
                    | Box::ButtonBit(Box::IDIGNORE);
    QTest::newRow("ok") << 1 << "Information message" << okCancel << "IDOK" << "&Ok" << 1;
    QTest::newRow("no") << 5 << "Delete message" << (yesNo | Box::ButtonBit(Box::IDCANCEL))
                        << "IDNO" << "&No" << 7;
    QTest::newRow("ignore") << 6 << "Close message" << ari << "IDIGNORE" << "&Ignore" << 5;
    QTest::newRow("escape is cancel") << 9 << "Information message" << okCancel << "Escape"
                                      << "" << 2;
    QTest::newRow("escape on a lone button") << 1 << "Information message" << ok << "Escape"
                                             << "" << 1;
    // No Cancel and more than one button: Escape leaves the box open, and
    // the test then answers Yes.
    QTest::newRow("escape needs an answer") << 1 << "Information message" << yesNo << "Escape"
                                            << "&Yes" << 6;
}

void TestMessageBox::recordsTheChoice()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(int, buttons);
    QFETCH(QString, press);
    QFETCH(QString, label);
    QFETCH(int, choice);
    Box box;
    Box::InitButtonIds();
    box.SetType(kind, buttons);
    QCOMPARE(box.windowTitle(), caption);
    WhenModal([&](QWidget *pModal) {
        if (press == QLatin1String("Escape")) {
            QTest::keyClick(pModal, Qt::Key_Escape);
            if (label.isEmpty())
                return;
            QVERIFY(pModal->isVisible());
            press = QStringLiteral("IDYES");
        }
        auto *pButton = pModal->findChild<QPushButton *>(press);
        QVERIFY(pButton);
        QCOMPARE(pButton->text(), label);
        pButton->click();
    });
    QCOMPARE(box.DoModal(), choice);
    QCOMPARE(box.GetChoice(), choice);

    Box::SetNextAnswer(Box::IDRETRY);
    QCOMPARE(box.DoModal(), 4);
    QCOMPARE(box.GetChoice(), 4);
}

void TestMessageBox::endedFromAnotherThreadRecordsNoChoice()
{
    // The log-file wait: a Cancel-only box, ended by the worker that saw the
    // file arrive.
    Box box;
    Box::InitButtonIds();
    box.SetType(6, 2);
    QVERIFY(!box.GetMessage().isEmpty());
    std::thread worker;
    QTimer::singleShot(0, &box, [&] {
        QVERIFY(box.isVisible());
        worker = std::thread([ender = box.GetEnder()] {
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
    // The worker found the file at its first look, before the box was up:
    // the box must not then wait for the administrator.
    Box box;
    box.SetType(6, 2);
    std::thread([ender = box.GetEnder()] { ender->EndDialog(2); }).join();
    QCoreApplication::processEvents();
    QTimer::singleShot(5000, &box, [&box] { box.done(99); });
    QCOMPARE(box.DoModal(), 2);
    QCOMPARE(box.GetChoice(), 0);
}

void TestMessageBox::enderOutlivingTheBoxIsHarmless()
{
    // A worker that keeps ending the box while it closes and is destroyed
    // under it, many times over: no request may reach a destroyed box, and
    // one that comes after the administrator's choice changes nothing.
    for (int i = 0; i < 25; ++i) {
        std::atomic<bool> bStop{false};
        std::shared_ptr<CZoDlgEnder> ender;
        std::thread worker;
        {
            Box box;
            box.SetType(6, 2);
            ender = box.GetEnder();
            if (i == 0) {
                WhenModal([](QWidget *pModal) {
                    pModal->findChild<QPushButton *>(QStringLiteral("IDCANCEL"))->click();
                });
                QCOMPARE(box.DoModal(), 2);
            }
            worker = std::thread([ender, &bStop] {
                while (!bStop.load())
                    ender->EndDialog(2);
            });
            if (i == 0) {
                QTest::qWait(10);
                QVERIFY(!box.isVisible());
                QCOMPARE(box.GetChoice(), 2);
            } else {
                QCOMPARE(box.DoModal(), 2);
                QCOMPARE(box.GetChoice(), 0);
            }
        }
        QVERIFY(!ender->EndDialog(2));
        bStop = true;
        worker.join();
        QCoreApplication::processEvents();
    }
}

void TestMessageBox::appQuestion()
{
    bool bSeen = false;
    WhenModal([&](QWidget *pModal) {
        auto *pBox = qobject_cast<QMessageBox *>(pModal);
        QVERIFY(pBox);
        QCOMPARE(pBox->windowTitle(), QStringLiteral("Admin"));
        QCOMPARE(pBox->icon(), QMessageBox::Warning);
        QCOMPARE(pBox->standardButtons(),
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        bSeen = true;
        pBox->button(QMessageBox::No)->click();
    });
    QCOMPARE(CAppMessageBox::Question(nullptr, QStringLiteral("Rename?")), QMessageBox::No);
    QVERIFY(bSeen);

    // A preset answer stands in for exactly one box.
    CAppMessageBox::SetNextAnswer(QMessageBox::Cancel);
    QCOMPARE(CAppMessageBox::Question(nullptr, QStringLiteral("Again?")), QMessageBox::Cancel);
    QCOMPARE(CAppMessageBox::GetLastText(), QStringLiteral("Again?"));
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
