#include "ConfigureTestFiles.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "sheets/configure/CConfigureSheet.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/GlobalVarsForDll.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

const QStringList kLogChecks = {"parametersCheck", "startEndCheck", "sharedDirCheck",
                                "tooltipsCheck", "errorsCheck", "foreignNotesCheck"};
const QStringList kRadios = {"textRadio", "audioRadio", "modelRadio", "noCommRadio",
                             "sharedDirRadio", "lowRadio", "mediumRadio", "highRadio"};

template <typename T>
T *Find(QWidget &parent, const QString &name)
{
    T *pWidget = parent.findChild<T *>(name);
    if (!pWidget)
        qWarning("no widget %s", qPrintable(name));
    return pWidget;
}

void ClickTab(CConfigureSheet &sheet, int nIndex)
{
    QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(nIndex).center());
}

void Click(QWidget &parent, const QString &name)
{
    QTest::mouseClick(Find<QAbstractButton>(parent, name), Qt::LeftButton);
}

// The buttons of the four pages that are checked now.
QStringList CheckedButtons(QWidget &sheet)
{
    QStringList checked;
    for (const QString &name : kRadios + kLogChecks) {
        if (QAbstractButton *pButton = sheet.findChild<QAbstractButton *>(name); pButton && pButton->isChecked())
            checked << name;
    }
    return checked;
}

QStringList ComboItems(QComboBox *pCombo)
{
    QStringList items;
    for (int i = 0; i < pCombo->count(); ++i)
        items << pCombo->itemText(i);
    return items;
}

} // namespace

class TestConfigureSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFileBytes(m_dir.filePath("Users.ini"),
                       "[Users]\r\nalice=Alice Smith\r\nbob=Bob Jones\r\n");
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_pAlice = m_doc.FindUser("alice");
        QVERIFY(m_pAlice);
        m_group.SetName("Sales");
        m_group.append(m_pAlice);
    }

    void init()
    {
        m_iniPath = m_dir.filePath("alice.ini");
        QFile::remove(m_iniPath);
        QFile::remove(m_dir.filePath("bob.ini"));
        Profile::ClearCache();
        m_status.clear();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void sheetHasFourPagesInOrderAndNoApply()
    {
        QStringList tabs;
        bool bApplyVisible = true;
        const int nResult = Run(m_pAlice, [&](CConfigureSheet &sheet) {
            QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
            for (int i = 0; i < pBar->count(); ++i)
                tabs << pBar->tabText(i);
            bApplyVisible = Find<QPushButton>(sheet, "ID_APPLY_NOW")->isVisible();
            QCOMPARE(sheet.windowTitle(), QStringLiteral("Options"));
            Click(sheet, "IDCANCEL");
        });
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(tabs, QStringList({"Users       ", "Note creation", "Communications", "Log / Debug"}));
        QVERIFY(!bApplyVisible);
    }

    void pagesShowWhatTheClientReports_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("confidential");
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QString>("defaultModel");
        QTest::addColumn<QStringList>("checked");

        QTest::newRow("everything reported")
            << ActiveParameters("YourKey=abc\r\nReceiveNotesInConfidential=1\r\nNewNoteType=2\r\n"
                                "CommMode=1\r\nRefreshRate=0\r\nUseLogFile=37\r\n"
                                "DefaultModel=weekly\r\n")
                   + "[ActiveModels]\r\nWeekly=1\r\ndaily=1\r\nMemo=1\r\n"
            << "abc" << true << QStringList({"daily", "Memo", "Weekly"}) << "Weekly"
            << QStringList({"modelRadio", "sharedDirRadio", "lowRadio", "parametersCheck",
                            "sharedDirCheck", "foreignNotesCheck"});
        QTest::newRow("nothing reported")
            << QByteArray() << "" << false << QStringList() << "" << QStringList();
        QTest::newRow("values no button stands for")
            << ActiveParameters("NewNoteType=3\r\nCommMode=2\r\nRefreshRate=3\r\n"
                                "UseLogFile=65568\r\nDefaultModel=gone\r\n"
                                "ReceiveNotesInConfidential=5\r\n")
                   + "[ActiveModels]\r\nMemo=1\r\n"
            << "" << true << QStringList({"Memo"}) << "" << QStringList({"foreignNotesCheck"});
    }
    void pagesShowWhatTheClientReports()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, code);
        QFETCH(bool, confidential);
        QFETCH(QStringList, models);
        QFETCH(QString, defaultModel);
        QFETCH(QStringList, checked);
        if (!file.isEmpty())
            WriteFileBytes(m_iniPath, file);
        // Model files of the share are not the client's: the list leaves them out.
        WriteFileBytes(m_dir.filePath("Other.mod"), "");
        Run(m_pAlice, [&](CConfigureSheet &sheet) {
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            QCOMPARE(Find<QLineEdit>(sheet, "codeEdit")->text(), code);
            QCOMPARE(Find<QLineEdit>(sheet, "nameEdit")->text(), QStringLiteral("alice"));
            QCOMPARE(Find<QLineEdit>(sheet, "fullNameEdit")->text(), QStringLiteral("Alice Smith"));
            QCOMPARE(Find<QCheckBox>(sheet, "confidentialCheck")->isChecked(), confidential);
            QCOMPARE(ComboItems(Find<QComboBox>(sheet, "modelCombo")), models);
            QCOMPARE(Find<QComboBox>(sheet, "modelCombo")->currentText(), defaultModel);
            QCOMPARE(Find<QLineEdit>(sheet, "directoryEdit")->text(), m_dir.path());
            QCOMPARE(CheckedButtons(sheet), checked);
            Click(sheet, "IDCANCEL");
        });
        QFile::remove(m_dir.filePath("Other.mod"));
    }

    void okWritesTheShownPagesAsRequests_data()
    {
        QTest::addColumn<QList<int>>("tabs");
        QTest::addColumn<QList<QByteArray>>("lines");
        const QByteArray dir = "SharedDir=" + m_dir.path().toLocal8Bit();
        QTest::newRow("only the first page")
            << QList<int>() << QList<QByteArray>({"YourKey=k", "ReceiveNotesInConfidential=0"});
        QTest::newRow("communications without changes")
            << QList<int>({2})
            << QList<QByteArray>({"YourKey=k", "ReceiveNotesInConfidential=0", "CommMode=-1", dir,
                                  "RefreshRate=-1"});
        QTest::newRow("log page keeps reported bits")
            << QList<int>({3})
            << QList<QByteArray>({"YourKey=k", "ReceiveNotesInConfidential=0", "UseLogFile=37"});
        QTest::newRow("all pages, in tab order")
            << QList<int>({3, 1, 2})
            << QList<QByteArray>({"YourKey=k", "ReceiveNotesInConfidential=0", "NewNoteType=-1",
                                  "DefaultModel=", "CommMode=-1", dir, "RefreshRate=-1",
                                  "UseLogFile=37"});
    }
    void okWritesTheShownPagesAsRequests()
    {
        QFETCH(QList<int>, tabs);
        QFETCH(QList<QByteArray>, lines);
        const QByteArray active =
            ActiveParameters("YourKey=k\r\nRefreshRate=3\r\nUseLogFile=37\r\nNewNoteType=7\r\n")
            + "[ActiveModels]\r\nMemo=1\r\n";
        WriteFileBytes(m_iniPath, active);
        const int nResult = Run(m_pAlice, [&](CConfigureSheet &sheet) {
            for (int nTab : tabs)
                ClickTab(sheet, nTab);
            Click(sheet, "IDOK");
        });
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), lines);
        QVERIFY(ReadFileBytes(m_iniPath).startsWith(active));
        QVERIFY(!QFile::exists(m_dir.filePath("bob.ini")));
    }

    void okWritesWhatTheAdministratorChose()
    {
        WriteFileBytes(m_iniPath, ActiveParameters("UseLogFile=1\r\nCommMode=1\r\n")
                                      + "[ActiveModels]\r\nWeekly=1\r\nMemo=1\r\n");
        QList<QByteArray> lines;
        Run(m_pAlice, [&](CConfigureSheet &sheet) {
            Find<QLineEdit>(sheet, "codeEdit")->setText("n3w code");
            Click(sheet, "confidentialCheck");
            ClickTab(sheet, 1);
            Click(sheet, "audioRadio");
            Find<QComboBox>(sheet, "modelCombo")->setCurrentIndex(1);
            ClickTab(sheet, 2);
            Click(sheet, "noCommRadio");
            Click(sheet, "highRadio");
            QVERIFY(!Find<QRadioButton>(sheet, "manualRadio")->isEnabled());
            // A cancelled picker leaves the directory; a chosen one replaces it.
            GlobalVarsForDll::SetNextPathAnswer(std::nullopt);
            Click(sheet, "browseButton");
            QCOMPARE(Find<QLineEdit>(sheet, "directoryEdit")->text(), m_dir.path());
            GlobalVarsForDll::SetNextPathAnswer(QStringLiteral("\\\\files\\notes"));
            Click(sheet, "browseButton");
            ClickTab(sheet, 3);
            for (const QString &name : kLogChecks)
                Click(sheet, name);
            // Typed over the login and full name: those are not the sheet's to change.
            QVERIFY(Find<QLineEdit>(sheet, "nameEdit")->isReadOnly());
            QVERIFY(Find<QLineEdit>(sheet, "fullNameEdit")->isReadOnly());
            Click(sheet, "IDOK");
        });
        QCOMPARE(SectionLines(m_iniPath, "Parameters"),
                 QList<QByteArray>({"YourKey=n3w code", "ReceiveNotesInConfidential=1",
                                    "NewNoteType=1", "DefaultModel=Weekly", "CommMode=0",
                                    "SharedDir=\\\\files\\notes", "RefreshRate=2",
                                    "UseLogFile=62"}));
    }

    void cancelWritesNothing()
    {
        const QByteArray before = ActiveParameters("CommMode=1\r\n");
        WriteFileBytes(m_iniPath, before);
        const int nResult = Run(m_pAlice, [&](CConfigureSheet &sheet) {
            Find<QLineEdit>(sheet, "codeEdit")->setText("typed");
            ClickTab(sheet, 2);
            Click(sheet, "noCommRadio");
            ClickTab(sheet, 3);
            Click(sheet, "errorsCheck");
            Click(sheet, "IDCANCEL");
        });
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(ReadFileBytes(m_iniPath), before);
    }

    void withoutAUserNothingCanBeSet_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("why");
        QTest::newRow("no row selected") << false << "No user is selected";
        QTest::newRow("group row first") << true << "the group \"Sales\"";
    }
    void withoutAUserNothingCanBeSet()
    {
        QFETCH(bool, group);
        QFETCH(QString, why);
        WriteFileBytes(m_iniPath, ActiveParameters("CommMode=1\r\nYourKey=abc\r\nUseLogFile=63\r\n"));
        const QByteArray before = ReadFileBytes(m_iniPath);
        CConfigureTarget::Object object;
        if (group)
            object = &m_group;
        bool bStillOpen = false;
        const int nResult = Run(object, [&](CConfigureSheet &sheet) {
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            QCOMPARE(Find<QLineEdit>(sheet, "codeEdit")->text(), QString());
            QCOMPARE(Find<QLineEdit>(sheet, "nameEdit")->text(), QString());
            QCOMPARE(Find<QComboBox>(sheet, "modelCombo")->count(), 0);
            QCOMPARE(CheckedButtons(sheet), QStringList());
            Click(sheet, "clearLogButton");
            Click(sheet, "showLogButton");
            Click(sheet, "IDOK");
            bStillOpen = sheet.isVisible();
            Click(sheet, "IDCANCEL");
        });
        QVERIFY(bStillOpen);
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(ReadFileBytes(m_iniPath), before);
        QVERIFY(!QFile::exists(m_dir.filePath("alice.log")));
        QVERIFY(!m_status.isEmpty());
        QVERIFY2(m_status.first().contains(why), qPrintable(m_status.first()));
    }

    void textAProfileCannotHoldIsRefusedOnItsPage_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("code") << 0 << "codeEdit" << QByteArray("YourKey=fixed");
        QTest::newRow("directory") << 2 << "directoryEdit" << QByteArray("SharedDir=fixed");
    }
    void textAProfileCannotHoldIsRefusedOnItsPage()
    {
        QFETCH(int, tab);
        QFETCH(QString, edit);
        QFETCH(QByteArray, line);
        bool bStillOpen = false;
        int nTabAfterRefusal = -1;
        QByteArray afterRefusal = "unread";
        const int nResult = Run(m_pAlice, [&](CConfigureSheet &sheet) {
            ClickTab(sheet, 2);
            ClickTab(sheet, tab);
            Find<QLineEdit>(sheet, edit)->setText("two\nlines");
            // Neither leaving the page nor OK gets past it.
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            ClickTab(sheet, tab == 0 ? 2 : 0);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
            bStillOpen = sheet.isVisible();
            nTabAfterRefusal = sheet.GetActiveIndex();
            afterRefusal = ReadFileBytes(m_iniPath);
            Find<QLineEdit>(sheet, edit)->setText("fixed");
            Click(sheet, "IDOK");
        });
        QVERIFY(bStillOpen);
        QCOMPARE(nTabAfterRefusal, tab);
        QVERIFY2(CAppMessageBox::GetLastText().contains("line break"),
                 qPrintable(CAppMessageBox::GetLastText()));
        QCOMPARE(afterRefusal, QByteArray());
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        QVERIFY(SectionLines(m_iniPath, "Parameters").contains(line));
    }

    void failedWritesAreToldOnceAfterTheSheetCloses()
    {
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CAppMessageBox::Information(nullptr, "before");
        QString csTextWhileOpen;
        const int nResult = Run(m_pAlice, [&](CConfigureSheet &sheet) {
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1000, EACCES);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
            csTextWhileOpen = CAppMessageBox::GetLastText();
        });
        PlatformTestHooks::Reset();
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        QCOMPARE(csTextWhileOpen, QStringLiteral("before"));
        const QString csReport = CAppMessageBox::GetLastText();
        QVERIFY2(csReport.startsWith("Some settings could not be written"), qPrintable(csReport));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
        QVERIFY(!QFile::exists(m_iniPath));
    }

private:
    int Run(CConfigureTarget::Object object, const std::function<void(CConfigureSheet &)> &action)
    {
        QTimer::singleShot(0, [action] {
            auto *pSheet = qobject_cast<CConfigureSheet *>(QApplication::activeModalWidget());
            QVERIFY(pSheet);
            action(*pSheet);
            // A check that failed inside the action must not leave the sheet open.
            if (pSheet->isVisible())
                pSheet->DestroyWindow();
        });
        return CConfigureSheet::Run(nullptr, &m_doc, object,
                                    [this](const QString &csText) { m_status << csText; });
    }

    QTemporaryDir m_dir;
    CAdminDoc m_doc;
    CUser *m_pAlice = nullptr;
    CGroup m_group;
    QString m_iniPath;
    QStringList m_status;
};

QTEST_MAIN(TestConfigureSheet)
#include "tst_configuresheet.moc"
