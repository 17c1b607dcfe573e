#include "framework/ResourceIds.h"
#include "uilib/CColorStatic.h"
#include "uilib/CZoCoolPage.h"
#include "uilib/GlobalVarsForDll.h"
#include "uilib/SetGetCoolDisplay.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestUilibGlobals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void presetPathAnswers_data();
    void presetPathAnswers();
    void pickerReturnsChosenDirectory_data();
    void pickerReturnsChosenDirectory();
    void aboutBoxShowsProgramName();
    void initVarsNeedsAName_data();
    void initVarsNeedsAName();
    void coolDisplaySettings_data();
    void coolDisplaySettings();
    void coolPageCaption_data();
    void coolPageCaption();
};

void TestUilibGlobals::cleanup()
{
    GlobalVarsForDll::ClearPathAnswers();
}

void TestUilibGlobals::presetPathAnswers_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("path");
    QTest::newRow("chosen") << false << QStringLiteral("/srv/share") << 1
                            << QStringLiteral("/srv/share");
    QTest::newRow("backslash kept") << false << QStringLiteral("C:\\share\\") << 1
                                    << QStringLiteral("C:\\share\\");
    QTest::newRow("cancel") << true << QString() << 0 << QStringLiteral("before");
    QTest::newRow("empty answer is no choice") << false << QString() << 0
                                               << QStringLiteral("before");
}

void TestUilibGlobals::presetPathAnswers()
{
    QFETCH(bool, cancel);
    QFETCH(QString, answer);
    QFETCH(int, result);
    QFETCH(QString, path);
    GlobalVarsForDll::SetNextPathAnswer(cancel ? std::nullopt : std::optional<QString>(answer));
    QString chosen = QStringLiteral("before");
    QCOMPARE(GlobalVarsForDll::GetPath(QStringLiteral("Prompt"), nullptr, chosen), result);
    QCOMPARE(chosen, path);
    QCOMPARE(GlobalVarsForDll::GetLastPathPrompt(), QStringLiteral("Prompt"));
}

void TestUilibGlobals::pickerReturnsChosenDirectory_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

void TestUilibGlobals::pickerReturnsChosenDirectory()
{
    QFETCH(bool, accept);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString seenTitle;
    QTimer::singleShot(0, qApp, [&] {
        QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
        auto *pDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        seenTitle = pDialog->windowTitle();
        pDialog->setDirectory(dir.path());
        if (accept)
            QMetaObject::invokeMethod(pDialog, "accept");
        else
            pDialog->reject();
    });
    QString chosen = QStringLiteral("before");
    const int nResult =
        GlobalVarsForDll::GetPath(QStringLiteral("Define the shared directory."), nullptr, chosen);
    QCOMPARE(seenTitle, QStringLiteral("Define the shared directory."));
    QCOMPARE(nResult, accept ? 1 : 0);
    QCOMPARE(chosen, accept ? QDir::toNativeSeparators(dir.path()) : QStringLiteral("before"));
}

void TestUilibGlobals::aboutBoxShowsProgramName()
{
    GlobalVarsForDll::csSoftName = QStringLiteral("Corvane Administration Tool");
    GlobalVarsForDll::csWelcomeSentence = QStringLiteral("Notice.");
    bool bSeen = false;
    QTimer::singleShot(0, qApp, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget *pBox = QApplication::activeModalWidget();
        QCOMPARE(pBox->objectName(), QStringLiteral("AboutDlg"));
        QVERIFY(pBox->findChild<QLabel *>(QStringLiteral("AboutName"))
                    ->text()
                    .contains(QStringLiteral("Corvane Administration Tool")));
        QCOMPARE(pBox->findChild<QLabel *>(QStringLiteral("AboutNotice"))->text(),
                 QStringLiteral("Notice."));
        bSeen = true;
        qobject_cast<QDialog *>(pBox)->accept();
    });
    GlobalVarsForDll::DisplayAboutDlg();
    QVERIFY(bSeen);
}

void TestUilibGlobals::initVarsNeedsAName_data()
{
    QTest::addColumn<QString>("softName");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("expectedShort");
    QTest::newRow("both given") << QStringLiteral("Tool") << QStringLiteral("admin") << 1
                                << QStringLiteral("admin");
    QTest::newRow("short derived") << QStringLiteral("Tool") << QString() << 1
                                   << QStringLiteral("tool");
    QTest::newRow("no name") << QString() << QStringLiteral("admin") << 0
                             << QStringLiteral("admin");
}

void TestUilibGlobals::initVarsNeedsAName()
{
    QFETCH(QString, softName);
    QFETCH(QString, shortName);
    QFETCH(int, result);
    QFETCH(QString, expectedShort);
    GlobalVarsForDll::csSoftName = softName;
    GlobalVarsForDll::csShortSoftName = shortName;
    QCOMPARE(GlobalVarsForDll::InitVars(1), result);
    QCOMPARE(GlobalVarsForDll::IsInitialized(), result == 1);
    QCOMPARE(GlobalVarsForDll::csShortSoftName, expectedShort);
}

void TestUilibGlobals::coolDisplaySettings_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("result");
    QTest::newRow("first") << 1 << 1;
    QTest::newRow("last") << 5 << 1;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("past the last") << 6 << 0;
}

void TestUilibGlobals::coolDisplaySettings()
{
    QFETCH(int, setting);
    QFETCH(int, result);
    int nValue = 42;
    QCOMPARE(SetGetCoolDisplay(0, nValue, setting), result);
    QCOMPARE(nValue, result ? 1 : 42);
    int nNew = 0;
    QCOMPARE(SetGetCoolDisplay(1, nNew, setting), result);
    nValue = 42;
    SetGetCoolDisplay(0, nValue, setting);
    QCOMPARE(nValue, result ? 0 : 42);
    int nOn = 1;
    SetGetCoolDisplay(1, nOn, setting);
}

void TestUilibGlobals::coolPageCaption_data()
{
    QTest::addColumn<int>("captionId");
    QTest::addColumn<QString>("formTitle");
    QTest::addColumn<QString>("caption");
    QTest::newRow("form title") << 0 << QStringLiteral("Alarm") << QStringLiteral("Alarm");
    QTest::newRow("caption id") << IDS_OPTIONS << QString() << QStringLiteral("Options");
}

void TestUilibGlobals::coolPageCaption()
{
    QFETCH(int, captionId);
    QFETCH(QString, formTitle);
    QFETCH(QString, caption);
    CZoCoolPage page(130, captionId);
    if (!formTitle.isEmpty())
        page.setWindowTitle(formTitle);
    QVERIFY(page.OnInitDialog());
    QCOMPARE(page.windowTitle(), caption);
    QCOMPARE(page.GetColorStatic()->text(), caption);
    QCOMPARE(page.GetTemplateId(), 130);
}

QTEST_MAIN(TestUilibGlobals)
#include "tst_uilibglobals.moc"
