#include "ConfigureTestFiles.h"

#include "platform/CodePage.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "sheets/configure/CConfigureSheet.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

const QStringList kButtons = {"textRadio", "audioRadio", "modelRadio", "noCommRadio",
                              "sharedDirRadio", "lowRadio", "mediumRadio", "highRadio",
                              "parametersCheck", "startEndCheck", "sharedDirCheck",
                              "tooltipsCheck", "errorsCheck", "foreignNotesCheck"};

void ClickTab(QWidget &sheet, int nIndex)
{
    QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(nIndex).center());
}

QLineEdit *Edit(QWidget &sheet, const char *name)
{
    return sheet.findChild<QLineEdit *>(QLatin1String(name));
}

// What the pages show, in one list: texts, the checked buttons, the models.
QStringList Shown(QWidget &sheet)
{
    QStringList shown;
    for (const char *name : {"codeEdit", "nameEdit", "fullNameEdit", "directoryEdit"})
        shown << Edit(sheet, name)->text();
    if (sheet.findChild<QCheckBox *>("confidentialCheck")->isChecked())
        shown << "confidential";
    for (const QString &name : kButtons) {
        if (sheet.findChild<QAbstractButton *>(name)->isChecked())
            shown << name;
    }
    auto *pCombo = sheet.findChild<QComboBox *>("modelCombo");
    for (int i = 0; i < pCombo->count(); ++i)
        shown << (i == pCombo->currentIndex() ? "*" : "") + pCombo->itemText(i);
    return shown;
}

} // namespace

class TestConfigureSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFileBytes(m_dir.filePath("Users.ini"), "[Users]\r\nalice=Alice Smith\r\nbob=Bob\r\n");
        WriteFileBytes(m_dir.filePath("Other.mod"), "");
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_pAlice = m_doc.FindUser("alice");
        m_group.SetName("Sales");
        m_group.append(m_pAlice);
        m_iniPath = m_dir.filePath("alice.ini");
    }
    void init()
    {
        QFile::remove(m_iniPath);
        Profile::ClearCache();
        m_status.clear();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void pagesShowWhatTheClientReports_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        const QString dir = m_dir.path();
        QTest::newRow("everything reported")
            << ActiveParameters("YourKey=abc\r\nReceiveNotesInConfidential=1\r\nNewNoteType=2\r\n"
                                "CommMode=1\r\nRefreshRate=0\r\nUseLogFile=37\r\n"
                                "DefaultModel=weekly\r\n")
                   + "[ActiveModels]\r\nWeekly=1\r\ndaily=1\r\nMemo=1\r\n"
            << QStringList({"abc", "ALICE", "Alice Smith", dir, "confidential", "modelRadio",
                            "sharedDirRadio", "lowRadio", "parametersCheck", "sharedDirCheck",
                            "foreignNotesCheck", "daily", "Memo", "*Weekly"});
        QTest::newRow("nothing reported") << QByteArray() << QStringList({"", "ALICE", "Alice Smith", dir});
        QTest::newRow("values no button stands for")
            << ActiveParameters("NewNoteType=3\r\nCommMode=2\r\nRefreshRate=3\r\nUseLogFile=65568\r\n"
                                "DefaultModel=gone\r\n")
                   + "[ActiveModels]\r\nMemo=1\r\n"
            << QStringList({"", "ALICE", "Alice Smith", dir, "foreignNotesCheck", "Memo"});
    }
    void pagesShowWhatTheClientReports()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        if (!file.isEmpty())
            WriteFileBytes(m_iniPath, file);
        QStringList tabs, actual;
        const int nResult = Run(m_pAlice, [&](CPropertySheet &sheet) {
            QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
            for (int i = 0; i < pBar->count(); ++i) {
                tabs << pBar->tabText(i);
                ClickTab(sheet, i);
            }
            QVERIFY(!sheet.findChild<QAbstractButton *>("ID_APPLY_NOW")->isVisible());
            actual = Shown(sheet);
            Click(sheet, "IDCANCEL");
        });
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(tabs, QStringList({"Users       ", "Note creation", "Communications", "Log / Debug"}));
        QCOMPARE(actual, shown);
        QCOMPARE(ReadFileBytes(m_iniPath), file);
    }

    void okWritesTheShownPagesAsRequests_data()
    {
        QTest::addColumn<QList<int>>("tabs");
        QTest::addColumn<QList<QByteArray>>("lines");
        const QByteArray dir = "SharedDir=" + m_dir.path().toUtf8();
        const QList<QByteArray> users = {"YourKey=k", "ReceiveNotesInConfidential=0"};
        QTest::newRow("only the first page") << QList<int>() << users;
        QTest::newRow("communications without changes")
            << QList<int>({2}) << users + QList<QByteArray>({"CommMode=-1", dir, "RefreshRate=-1"});
        QTest::newRow("all pages, in tab order")
            << QList<int>({3, 1, 2})
            << users + QList<QByteArray>({"NewNoteType=-1", "DefaultModel=", "CommMode=-1", dir,
                                          "RefreshRate=-1", "UseLogFile=37"});
    }
    void okWritesTheShownPagesAsRequests()
    {
        QFETCH(QList<int>, tabs);
        QFETCH(QList<QByteArray>, lines);
        const QByteArray active = ActiveParameters("YourKey=k\r\nRefreshRate=3\r\nUseLogFile=37\r\n"
                                                   "NewNoteType=7\r\nDefaultModel=gone\r\n");
        WriteFileBytes(m_iniPath, active);
        const int nResult = Run(m_pAlice, [&](CPropertySheet &sheet) {
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
        const QByteArray roster = ReadFileBytes(m_dir.filePath("Users.ini"));
        Run(m_pAlice, [&](CPropertySheet &sheet) {
            Edit(sheet, "codeEdit")->setText("n3w code");
            // Login and real name take typing, the login in capitals, and
            // neither is written anywhere.
            QTest::keyClicks(Edit(sheet, "nameEdit"), "x-b");
            QTest::keyClicks(Edit(sheet, "fullNameEdit"), " Jr");
            QCOMPARE(Edit(sheet, "nameEdit")->text(), QStringLiteral("ALICEX-B"));
            QCOMPARE(Edit(sheet, "fullNameEdit")->text(), QStringLiteral("Alice Smith Jr"));
            Click(sheet, "confidentialCheck");
            ClickTab(sheet, 1);
            Click(sheet, "audioRadio");
            sheet.findChild<QComboBox *>("modelCombo")->setCurrentIndex(1);
            ClickTab(sheet, 2);
            Click(sheet, "noCommRadio");
            Click(sheet, "highRadio");
            QVERIFY(!sheet.findChild<QAbstractButton *>("manualRadio")->isEnabled());
            // The directory is typed: no picker offers this machine's paths.
            QVERIFY(!sheet.findChild<QAbstractButton *>("browseButton")->isEnabled());
            Edit(sheet, "directoryEdit")->setText(QStringLiteral("\\\\files\\notes"));
            ClickTab(sheet, 3);
            for (int i = 8; i < kButtons.size(); ++i)
                Click(sheet, qPrintable(kButtons[i]));
            Click(sheet, "IDOK");
        });
        QCOMPARE(SectionLines(m_iniPath, "Parameters"),
                 QList<QByteArray>({"YourKey=n3w code", "ReceiveNotesInConfidential=1",
                                    "NewNoteType=1", "DefaultModel=Weekly", "CommMode=0",
                                    "SharedDir=\\\\files\\notes", "RefreshRate=2", "UseLogFile=62"}));
        QCOMPARE(ReadFileBytes(m_dir.filePath("Users.ini")), roster);
    }

    void withoutAUserNothingIsReadOrWritten_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("why");
        QTest::newRow("no row selected") << false << "No user is selected";
        QTest::newRow("group row first") << true << "the group \"Sales\"";
    }
    void withoutAUserNothingIsReadOrWritten()
    {
        QFETCH(bool, group);
        QFETCH(QString, why);
        const QByteArray before = ActiveParameters("CommMode=1\r\nYourKey=abc\r\nUseLogFile=63\r\n");
        WriteFileBytes(m_iniPath, before);
        CConfigureTarget::Object object;
        if (group)
            object = &m_group;
        bool bStillOpen = false;
        QStringList shown;
        const int nResult = Run(object, [&](CPropertySheet &sheet) {
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            shown = Shown(sheet);
            Click(sheet, "clearLogButton");
            Click(sheet, "showLogButton");
            Click(sheet, "IDOK");
            bStillOpen = sheet.isVisible();
            Click(sheet, "IDCANCEL");
        });
        QVERIFY(bStillOpen);
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(shown, QStringList({"", "", "", ""}));
        QCOMPARE(ReadFileBytes(m_iniPath), before);
        QVERIFY(!QFile::exists(m_dir.filePath("alice.log")));
        QVERIFY(!m_status.isEmpty() && m_status.first().contains(why));
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
        int nTabAfterRefusals = -1;
        QByteArray afterRefusals = "unread";
        const int nResult = Run(m_pAlice, [&](CPropertySheet &sheet) {
            ClickTab(sheet, 2);
            ClickTab(sheet, tab);
            Edit(sheet, qPrintable(edit))->setText("two\nlines");
            // Neither leaving the page nor OK gets past it.
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            ClickTab(sheet, tab == 0 ? 2 : 0);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
            nTabAfterRefusals = sheet.isVisible() ? sheet.GetActiveIndex() : -1;
            afterRefusals = ReadFileBytes(m_iniPath);
            Edit(sheet, qPrintable(edit))->setText("fixed");
            Click(sheet, "IDOK");
        });
        QCOMPARE(nTabAfterRefusals, tab);
        QVERIFY(CAppMessageBox::GetLastText().contains("line break"));
        QCOMPARE(afterRefusals, QByteArray());
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        QVERIFY(SectionLines(m_iniPath, "Parameters").contains(line));
    }

    // The file's text is in the clients' code page: what the administrator
    // left alone goes back byte for byte, what was typed is written in the
    // code page, and what the code page cannot hold is refused on the page.
    void textsTravelInTheClientsCodePage_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("code");     // in the file
        QTest::addColumn<QString>("typedCode");   // null: left alone
        QTest::addColumn<QString>("typedDir");    // null: left alone
        QTest::addColumn<QList<QByteArray>>("lines"); // empty: refused
        const QByteArray dir = "SharedDir=" + m_dir.path().toUtf8();
        const QByteArray accents(100, '\xe9');
        QTest::newRow("accent left alone") << "windows-1252" << QByteArray("caf\xe9") << QString()
                                           << QString() << QList<QByteArray>{"YourKey=caf\xe9", dir};
        QTest::newRow("100 accents left alone")
            << "windows-1252" << accents << QString() << QString()
            << QList<QByteArray>{"YourKey=" + accents, dir};
        QTest::newRow("932 bytes that are not text left alone")
            << "windows-932" << QByteArray("ab\x82") << QString() << QString()
            << QList<QByteArray>{"YourKey=ab\x82", dir};
        QTest::newRow("accents typed") << "windows-1252" << QByteArray("old")
                                       << QString::fromUtf8("thé") << QString::fromUtf8("\\\\serveur\\équipe")
                                       << QList<QByteArray>{"YourKey=th\xe9", "SharedDir=\\\\serveur\\\xe9quipe"};
        QTest::newRow("932 typed") << "windows-932" << QByteArray() << QString::fromUtf8("日本")
                                   << QString::fromUtf8("\\\\f\\共有")
                                   << QList<QByteArray>{"YourKey=\x93\xfa\x96\x7b",
                                                        "SharedDir=\\\\f\\\x8b\xa4\x97\x4c"};
        QTest::newRow("code the code page cannot hold")
            << "windows-1252" << QByteArray("caf\xe9") << QString::fromUtf8("日本") << QString()
            << QList<QByteArray>{};
        QTest::newRow("directory the code page cannot hold")
            << "windows-1252" << QByteArray() << QString() << QString::fromUtf8("\\\\f\\Ωmega")
            << QList<QByteArray>{};
    }
    void textsTravelInTheClientsCodePage()
    {
        QFETCH(QString, codePage);
        QFETCH(QByteArray, code);
        QFETCH(QString, typedCode);
        QFETCH(QString, typedDir);
        QFETCH(QList<QByteArray>, lines);
        QVERIFY(CodePage::SetCurrent(codePage));
        const QByteArray active = ActiveParameters("YourKey=" + code + "\r\n");
        WriteFileBytes(m_iniPath, active);
        bool bRefused = false;
        const int nResult = Run(m_pAlice, [&](CPropertySheet &sheet) {
            if (!typedCode.isNull())
                Edit(sheet, "codeEdit")->setText(typedCode);
            ClickTab(sheet, 2);
            if (!typedDir.isNull())
                Edit(sheet, "directoryEdit")->setText(typedDir);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
            bRefused = sheet.isVisible();
            if (bRefused)
                Click(sheet, "IDCANCEL");
        });
        CodePage::SetCurrent(QStringLiteral("windows-1252"));
        if (lines.isEmpty()) {
            QVERIFY(bRefused);
            QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
            QVERIFY2(CAppMessageBox::GetLastText().contains("code page (windows-1252) cannot hold"),
                     qPrintable(CAppMessageBox::GetLastText()));
            QCOMPARE(ReadFileBytes(m_iniPath), active);
            return;
        }
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        const QList<QByteArray> written = SectionLines(m_iniPath, "Parameters");
        for (const QByteArray &line : lines)
            QVERIFY2(written.contains(line), line.toPercentEncoding().constData());
    }

    void valuesThatCouldNotBeReadAreNotWritten_data()
    {
        QTest::addColumn<bool>("atOpen");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("unreadable when the sheet opens") << true << QList<QByteArray>();
        QTest::newRow("unreadable when a page is first shown")
            << false << QList<QByteArray>({"YourKey=k", "ReceiveNotesInConfidential=0"});
    }
    void valuesThatCouldNotBeReadAreNotWritten()
    {
        QFETCH(bool, atOpen);
        QFETCH(QList<QByteArray>, lines);
        WriteFileBytes(m_iniPath, ActiveParameters("YourKey=k\r\nCommMode=1\r\nRefreshRate=2\r\n"
                                                   "UseLogFile=37\r\nDefaultModel=Other\r\n"));
        // Reads fail (as a share that denies them for a while), writes do not.
        if (atOpen) {
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1000, EACCES);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        }
        QString csTextAtOpen;
        bool bDisabled = false;
        Run(m_pAlice, [&](CPropertySheet &sheet) {
            csTextAtOpen = CAppMessageBox::GetLastText();
            Profile::ClearCache(); // no snapshot may stand in for the reads
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 1000, EACCES);
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            bDisabled = !sheet.findChild<QAbstractButton *>("errorsCheck")->isEnabled();
            PlatformTestHooks::Reset();
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
        });
        QVERIFY(bDisabled);
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), lines);
        if (atOpen) {
            QVERIFY(csTextAtOpen.contains("\"alice\" could not be read"));
        } else {
            QVERIFY(CAppMessageBox::GetLastText().contains("alice: the user's file could not be read"));
            QVERIFY(CAppMessageBox::GetLastText().contains("Note creation"));
        }
    }

    void failedWritesAreToldOnceAfterTheSheetCloses()
    {
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CAppMessageBox::Information(nullptr, "before");
        QString csTextWhileOpen;
        const int nResult = Run(m_pAlice, [&](CPropertySheet &sheet) {
            for (int i = 1; i < 4; ++i)
                ClickTab(sheet, i);
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1000, EACCES);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(sheet, "IDOK");
            csTextWhileOpen = CAppMessageBox::GetLastText();
        });
        QCOMPARE(nResult, int(CPropertySheet::IDOK));
        QCOMPARE(csTextWhileOpen, QStringLiteral("before"));
        QVERIFY(CAppMessageBox::GetLastText().startsWith("Some settings could not be written"));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
    }

private:
    int Run(CConfigureTarget::Object object, const std::function<void(CPropertySheet &)> &action)
    {
        return RunModal<CPropertySheet>(
            [&] {
                return CConfigureSheet::Run(nullptr, &m_doc, object,
                                            [this](const QString &csText) { m_status << csText; });
            },
            action, [](CPropertySheet &sheet) { sheet.DestroyWindow(); });
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
