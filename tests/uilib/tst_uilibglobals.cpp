#include "uilib/GlobalVarsForDll.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestUilibGlobals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { GlobalVarsForDll::ClearPathAnswers(); }
    void getPath_data();
    void getPath();
};

void TestUilibGlobals::getPath_data()
{
    // "preset": answered through the test hook; otherwise the real picker
    // is driven, starting from a text that is no directory.
    QTest::addColumn<bool>("preset");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("answer");
    QTest::newRow("preset choice") << true << true << QStringLiteral("C:\\share\\");
    QTest::newRow("preset cancel") << true << false << QString();
    QTest::newRow("preset empty answer") << true << true << QString();
    QTest::newRow("picker choice") << false << true << QString();
    QTest::newRow("picker cancel") << false << false << QString();
}

void TestUilibGlobals::getPath()
{
    QFETCH(bool, preset);
    QFETCH(bool, choose);
    QFETCH(QString, answer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString seenTitle;
    if (preset) {
        GlobalVarsForDll::SetNextPathAnswer(choose ? std::optional<QString>(answer) : std::nullopt);
    } else {
        answer = QDir::toNativeSeparators(dir.path());
        QTimer::singleShot(0, qApp, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            auto *pDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            seenTitle = pDialog->windowTitle();
            pDialog->setDirectory(dir.path());
            QMetaObject::invokeMethod(pDialog, choose ? "accept" : "reject");
        });
    }
    QString chosen = QStringLiteral("before");
    const bool bChosen = choose && !answer.isEmpty();
    QCOMPARE(GlobalVarsForDll::GetPath(QStringLiteral("Prompt."), nullptr, chosen), bChosen ? 1 : 0);
    QCOMPARE(chosen, bChosen ? answer : QStringLiteral("before"));
    QCOMPARE(GlobalVarsForDll::GetLastPathPrompt(), QStringLiteral("Prompt."));
    if (!preset)
        QCOMPARE(seenTitle, QStringLiteral("Prompt."));
}

QTEST_MAIN(TestUilibGlobals)
#include "tst_uilibglobals.moc"
