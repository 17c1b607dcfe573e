#include "framework/CPropertyPage.h"
#include "framework/CPropertySheet.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

// A page that writes each lifecycle call into a shared log as "<name>:<call>".
class CLogPage : public CPropertyPage
{
public:
    CLogPage(const QString& strName, QStringList* pLog)
        : CPropertyPage(strName)
        , m_strName(strName)
        , m_pLog(pLog)
    {
    }

    QLineEdit* m_pEdit = nullptr;
    QString m_strValue;
    bool m_bValid = true;
    bool m_bApplyResult = true;
    bool m_bAcceptActive = true;

protected:
    void CreateControls() override { (new QVBoxLayout(this))->addWidget(m_pEdit = new QLineEdit(this)); }
    bool OnInitDialog() override { Log("init"); return CPropertyPage::OnInitDialog(); }
    bool OnSetActive() override { Log("active"); return m_bAcceptActive; }
    bool OnKillActive() override { Log("kill"); return CPropertyPage::OnKillActive(); }
    bool OnApply() override { Log("apply"); return m_bApplyResult; }
    void OnCancel() override { Log("cancel"); }
    bool DoDataExchange(bool bSave) override
    {
        if (bSave && !m_bValid)
            return false;
        DDX_Text(bSave, m_pEdit, m_strValue);
        return true;
    }

private:
    void Log(const char* pszCall) { m_pLog->append(m_strName + QLatin1Char(':') + QLatin1String(pszCall)); }

    QString m_strName;
    QStringList* m_pLog;
};

// Exposes the data exchange helpers.
class CDdxPage : public CPropertyPage
{
public:
    using CPropertyPage::DDX_Radio;
};

QStringList Calls(const QStringList& log, const QString& strCall)
{
    QStringList result;
    for (const QString& strEntry : log) {
        if (strEntry.endsWith(QLatin1Char(':') + strCall))
            result.append(strEntry.section(QLatin1Char(':'), 0, 0));
    }
    return result;
}

QPushButton* Button(CPropertySheet& sheet, const char* pszId)
{
    return sheet.findChild<QPushButton*>(QLatin1String(pszId));
}

void ClickTab(CPropertySheet& sheet, int nIndex)
{
    QTabBar* pBar = sheet.findChild<QTabWidget*>()->tabBar();
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(nIndex).center());
}

// Runs the sheet modally and does the action inside its loop, once the sheet is the
// modal widget. Whatever the action leaves open is closed afterwards, so that a failed
// check cannot hang the test.
int RunModal(CPropertySheet& sheet, const std::function<void()>& action)
{
    QTimer::singleShot(0, &sheet, [&sheet, action] {
        if (QApplication::activeModalWidget() == &sheet)
            action();
        if (sheet.isVisible())
            sheet.DestroyWindow();
    });
    return sheet.DoModal();
}

} // namespace

class TestCPropertySheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_log.clear();
        m_pSheet = new CPropertySheet(QStringLiteral("Options"));
        for (const char* pszName : {"A", "B", "C"}) {
            auto* pPage = new CLogPage(QLatin1String(pszName), &m_log);
            m_pages.append(pPage);
            m_pSheet->AddPage(pPage);
        }
    }
    void cleanup()
    {
        delete m_pSheet;
        m_pages.clear();
    }

    void pagesAreInitialisedOnceWhenFirstShown()
    {
        QVERIFY(m_pSheet->Create());
        ClickTab(*m_pSheet, 2);
        ClickTab(*m_pSheet, 0);
        ClickTab(*m_pSheet, 2);
        QCOMPARE(Calls(m_log, "init"), QStringList({"A", "C"}));
        QCOMPARE(Calls(m_log, "active"), QStringList({"A", "C", "A", "C"}));
        QCOMPARE(Calls(m_log, "kill"), QStringList({"A", "C", "A"}));
        QVERIFY(!m_pages[1]->m_pEdit);
        QCOMPARE(m_pSheet->GetActivePage(), m_pages[2]);
    }

    void okAppliesShownPagesInTabOrder()
    {
        m_pSheet->SetActivePage(2);
        m_pages[0]->m_strValue = QStringLiteral("old");
        const int nResult = RunModal(*m_pSheet, [this] {
            ClickTab(*m_pSheet, 0);
            QCOMPARE(m_pages[0]->m_pEdit->text(), QStringLiteral("old"));
            m_pages[0]->m_pEdit->setText(QStringLiteral("typed"));
            QTest::mouseClick(Button(*m_pSheet, "IDOK"), Qt::LeftButton);
        });
        QCOMPARE(nResult, CPropertySheet::IDOK);
        QCOMPARE(Calls(m_log, "init"), QStringList({"C", "A"}));
        QCOMPARE(Calls(m_log, "apply"), QStringList({"A", "C"}));
        QCOMPARE(m_pages[0]->m_strValue, QStringLiteral("typed"));
        QVERIFY(m_pages[0]->WasShown() && !m_pages[1]->WasShown());
    }

    void failingPageStopsLaterPagesAndStaysOpen_data()
    {
        QTest::addColumn<int>("failingPage");
        QTest::addColumn<bool>("failValidation");
        QTest::addColumn<QStringList>("applied");
        QTest::newRow("first page refuses apply") << 0 << false << QStringList({"A"});
        QTest::newRow("last page refuses apply") << 2 << false << QStringList({"A", "B", "C"});
        QTest::newRow("middle page fails validation") << 1 << true << QStringList({"A"});
    }
    void failingPageStopsLaterPagesAndStaysOpen()
    {
        QFETCH(int, failingPage);
        QFETCH(bool, failValidation);
        QFETCH(QStringList, applied);
        const int nActiveAtOk = failingPage == 0 ? 2 : 0;
        int nActiveAfterOk = -1;
        const int nResult = RunModal(*m_pSheet, [&] {
            ClickTab(*m_pSheet, 1);
            ClickTab(*m_pSheet, 2);
            ClickTab(*m_pSheet, nActiveAtOk);
            (failValidation ? m_pages[failingPage]->m_bValid : m_pages[failingPage]->m_bApplyResult) = false;
            m_log.clear();
            QTest::mouseClick(Button(*m_pSheet, "IDOK"), Qt::LeftButton);
            nActiveAfterOk = m_pSheet->isVisible() ? m_pSheet->GetActiveIndex() : -1;
            QCOMPARE(Calls(m_log, "apply"), applied);
            QCOMPARE(m_pSheet->findChild<QTabWidget*>()->currentIndex(), failingPage);
            m_pages[failingPage]->m_bValid = m_pages[failingPage]->m_bApplyResult = true;
            m_log.clear();
            QTest::mouseClick(Button(*m_pSheet, "IDOK"), Qt::LeftButton);
        });
        QCOMPARE(nActiveAfterOk, failingPage);
        QCOMPARE(nResult, CPropertySheet::IDOK);
        QCOMPARE(Calls(m_log, "apply"), QStringList({"A", "B", "C"}));
    }

    void cancelAppliesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void cancelAppliesNothing()
    {
        QFETCH(QString, how);
        m_pages[0]->m_strValue = QStringLiteral("kept");
        const int nResult = RunModal(*m_pSheet, [&] {
            m_pages[0]->m_pEdit->setText(QStringLiteral("discarded"));
            ClickTab(*m_pSheet, 1);
            if (how == QLatin1String("button"))
                QTest::mouseClick(Button(*m_pSheet, "IDCANCEL"), Qt::LeftButton);
            else if (how == QLatin1String("escape"))
                QTest::keyClick(m_pSheet, Qt::Key_Escape);
            else
                m_pSheet->close();
        });
        QCOMPARE(nResult, CPropertySheet::IDCANCEL);
        QVERIFY(Calls(m_log, "apply").isEmpty());
        QCOMPARE(Calls(m_log, "cancel"), QStringList({"A", "B"}));
    }

    void applyButtonFollowsModifiedPages()
    {
        QPushButton* pApply = Button(*m_pSheet, "ID_APPLY_NOW");
        RunModal(*m_pSheet, [&] {
            QVERIFY(pApply->isVisible() && !pApply->isEnabled());
            ClickTab(*m_pSheet, 1);
            m_pages[0]->SetModified();
            m_pages[1]->SetModified();
            QVERIFY(pApply->isEnabled());
            m_pages[0]->SetModified(false);
            QVERIFY(pApply->isEnabled());
            m_log.clear();
            QTest::mouseClick(pApply, Qt::LeftButton);
            QCOMPARE(Calls(m_log, "apply"), QStringList({"A", "B"}));
            QVERIFY(m_pSheet->isVisible() && !pApply->isEnabled());
        });
    }

    void applyButtonCanBeRemoved()
    {
        m_pSheet->SetApplyButton(false);
        m_pSheet->SetModelessButtons(true);
        m_pSheet->Create();
        QVERIFY(!Button(*m_pSheet, "ID_APPLY_NOW")->isVisible());
        QVERIFY(Button(*m_pSheet, "IDOK")->isVisible());
    }

    void leavingAPageIsRefusedWhenItsInputIsInvalid()
    {
        m_pSheet->Create();
        m_pages[0]->m_bValid = false;
        ClickTab(*m_pSheet, 1);
        QCOMPARE(m_pSheet->findChild<QTabWidget*>()->currentIndex(), 0);
        QVERIFY(!m_pages[1]->HasWindow());
        QVERIFY(!m_pSheet->SetActivePage(2));
        m_pages[0]->m_bValid = true;
        m_pages[2]->m_bAcceptActive = false;
        m_log.clear();
        ClickTab(*m_pSheet, 2);
        QCOMPARE(m_pSheet->GetActiveIndex(), 0);
        QCOMPARE(m_log, QStringList({"A:kill", "C:init", "C:active", "A:active"}));
    }

    void modelessCloseDestroysWindowUntilNextCreate()
    {
        auto* pOwn = new QObject(m_pages[1]);
        QSignalSpy closed(m_pSheet, &CPropertySheet::SheetClosed);
        QVERIFY(m_pSheet->Create());
        QVERIFY(!m_pSheet->findChild<QDialogButtonBox*>()->isVisible());
        ClickTab(*m_pSheet, 1);
        m_pages[1]->m_pEdit->setText(QStringLiteral("typed"));
        m_pSheet->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).toInt(), CPropertySheet::IDCANCEL);
        QVERIFY(!m_pSheet->isVisible() && !m_pSheet->HasWindow());
        QCOMPARE(m_pages[1]->children(), QObjectList({pOwn}));
        QVERIFY(m_pages[1]->m_strValue.isEmpty());
        m_log.clear();
        QVERIFY(m_pSheet->Create(false));
        QVERIFY(!m_pSheet->isVisible());
        QCOMPARE(m_log, QStringList({"B:init", "B:active"}));
    }

    void modelessHideOnCloseKeepsControlsButDropsEdits()
    {
        m_pSheet->SetHideOnClose(true);
        m_pSheet->SetModelessButtons(true);
        QSignalSpy closed(m_pSheet, &CPropertySheet::SheetClosed);
        m_pages[0]->m_strValue = QStringLiteral("kept");
        m_pSheet->Create();
        QVERIFY(Button(*m_pSheet, "IDOK")->isVisible());
        m_pages[0]->m_pEdit->setText(QStringLiteral("discarded"));
        QTest::mouseClick(Button(*m_pSheet, "IDCANCEL"), Qt::LeftButton);
        QVERIFY(!m_pSheet->isVisible() && m_pSheet->HasWindow());
        QCOMPARE(m_pages[0]->m_pEdit->text(), QStringLiteral("kept"));
        m_log.clear();
        m_pSheet->Create();
        QVERIFY(m_pSheet->isVisible() && m_log.isEmpty());
        m_pages[0]->m_pEdit->setText(QStringLiteral("new"));
        QTest::mouseClick(Button(*m_pSheet, "IDOK"), Qt::LeftButton);
        QCOMPARE(m_pages[0]->m_strValue, QStringLiteral("new"));
        QCOMPARE(closed.count(), 2);
        QCOMPARE(closed.at(1).at(0).toInt(), CPropertySheet::IDOK);
    }

    void tabFollowsPageTitle()
    {
        m_pages[1]->setWindowTitle(QStringLiteral("Advanced"));
        QCOMPARE(m_pSheet->findChild<QTabWidget*>()->tabText(1), QStringLiteral("Advanced"));
    }

    void pageDeletedBeforeSheetLeavesTheRestWorking()
    {
        m_pSheet->Create();
        delete m_pages.takeFirst();
        QCOMPARE(m_pSheet->GetPageCount(), 2);
        QTRY_COMPARE(m_pSheet->GetActivePage(), m_pages[0]);
        QVERIFY(m_pages[0]->HasWindow());
        ClickTab(*m_pSheet, 1);
        QCOMPARE(m_pSheet->GetActivePage(), m_pages[1]);
    }

    void radioExchangeShowsNoChoice_data()
    {
        QTest::addColumn<bool>("inButtonGroup");
        QTest::newRow("auto-exclusive") << false;
        QTest::newRow("button group") << true;
    }
    void radioExchangeShowsNoChoice()
    {
        QFETCH(bool, inButtonGroup);
        QWidget parent;
        QButtonGroup group;
        QList<QAbstractButton*> buttons;
        for (int n = 0; n < 3; ++n) {
            buttons.append(new QRadioButton(&parent));
            if (inButtonGroup)
                group.addButton(buttons.last());
        }
        buttons[1]->setChecked(true);
        int nValue = -1;
        CDdxPage::DDX_Radio(false, buttons, nValue);
        nValue = 7;
        CDdxPage::DDX_Radio(true, buttons, nValue);
        QCOMPARE(nValue, -1);
        nValue = 2;
        CDdxPage::DDX_Radio(false, buttons, nValue);
        QVERIFY(buttons[2]->isChecked() && !buttons[1]->isChecked());
    }

private:
    QStringList m_log;
    CPropertySheet* m_pSheet = nullptr;
    QList<CLogPage*> m_pages;
};

QTEST_MAIN(TestCPropertySheet)
#include "tst_cpropertysheet.moc"
