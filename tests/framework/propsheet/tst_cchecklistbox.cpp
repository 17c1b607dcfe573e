#include "framework/CCheckListBox.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <memory>

namespace {

QRect CheckBoxRect(CCheckListBox& list, int nRow)
{
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    option.rect = list.visualItemRect(list.item(nRow));
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list.item(nRow)->text();
    return list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
}

void ClickBox(CCheckListBox& list, int nRow)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CheckBoxRect(list, nRow).center());
}

} // namespace

class TestCCheckListBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pList = new CCheckListBox;
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            m_pList->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char* pszName : {"sales", "support", "team"})
            m_pList->AddString(QLatin1String(pszName));
        m_pList->resize(200, 120);
        m_pList->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pList));
    }
    void cleanup()
    {
        m_pTester.reset();
        delete m_pList;
    }

    void clicksFollowTheCycle_data()
    {
        QTest::addColumn<bool>("threeState");
        QTest::addColumn<QList<int>>("setChecks");
        QTest::addColumn<QList<int>>("afterEachClick");
        QTest::newRow("two-state from unchecked") << false << QList<int>{0} << QList<int>{1, 0, 1};
        QTest::newRow("three-state from unchecked") << true << QList<int>{0} << QList<int>{1, 0, 1};
        QTest::newRow("three-state from checked") << true << QList<int>{1} << QList<int>{0, 1, 0};
        QTest::newRow("set mixed keeps mixed in its cycle") << true << QList<int>{2} << QList<int>{1, 0, 2, 1};
        QTest::newRow("a definite state drops mixed") << true << QList<int>{2, 0} << QList<int>{1, 0, 1};
        QTest::newRow("mixed set before two-state style")
            << false << QList<int>{2} << QList<int>{1, 0, 1};
    }
    void clicksFollowTheCycle()
    {
        QFETCH(bool, threeState);
        QFETCH(QList<int>, setChecks);
        QFETCH(QList<int>, afterEachClick);
        // The program's own changes are not reported.
        QSignalSpy changed(m_pList, &CCheckListBox::CheckChanged);
        for (int nCheck : setChecks)
            QVERIFY(m_pList->SetCheck(1, nCheck));
        m_pList->SetCheckStyle(threeState ? CCheckListBox::ThreeState : CCheckListBox::TwoState);
        QCOMPARE(m_pList->SetCheck(0, 2), threeState);
        // Mouse and space bar take turns: both must follow the same cycle.
        m_pList->SetCurSel(1);
        QList<int> seen;
        for (int n = 0; n < afterEachClick.size(); ++n) {
            if (n % 2)
                QTest::keyClick(m_pList, Qt::Key_Space);
            else
                ClickBox(*m_pList, 1);
            seen.append(m_pList->GetCheck(1));
        }
        QCOMPARE(seen, afterEachClick);
        QCOMPARE(changed.count(), afterEachClick.size());
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
        QCOMPARE(m_pList->GetCheck(2), 0);
    }

    void onlyTheBoxOfAnEnabledEntryToggles()
    {
        const QRect rowRect = m_pList->visualItemRect(m_pList->item(1));
        QTest::mouseClick(m_pList->viewport(), Qt::LeftButton, {}, QPoint(rowRect.right() - 5, rowRect.center().y()));
        QCOMPARE(m_pList->GetCurSel(), 1);
        QCOMPARE(m_pList->GetCheck(1), 0);
        m_pList->Enable(1, false);
        ClickBox(*m_pList, 1);
        QCOMPARE(m_pList->GetCheck(1), 0);
        m_pList->Enable(1);
        ClickBox(*m_pList, 1);
        QCOMPARE(m_pList->GetCheck(1), 1);
    }

    void sortedListPlacesEntriesAndKeepsTheirData()
    {
        CCheckListBox list;
        list.SetSorted(true);
        int nBeta = 0;
        int nAlpha = 0;
        QCOMPARE(list.AddString(QStringLiteral("beta")), 0);
        list.SetItemDataPtr(0, &nBeta);
        list.SetCheck(0, 2);
        QCOMPARE(list.AddString(QStringLiteral("Gamma")), 1);
        QCOMPARE(list.AddString(QStringLiteral("alpha")), 0);
        list.SetItemDataPtr(0, &nAlpha);
        QCOMPARE(list.AddString(QStringLiteral("Alpha")), 1);
        QCOMPARE(list.GetText(0), QStringLiteral("alpha"));
        QCOMPARE(list.GetText(3), QStringLiteral("Gamma"));
        QCOMPARE(list.FindItemDataPtr(&nBeta), 2);
        QCOMPARE(list.GetCheck(2), 2);
        QVERIFY(list.DeleteString(0));
        QCOMPARE(list.FindItemDataPtr(&nAlpha), -1);
        QCOMPARE(list.GetItemDataPtr(1), &nBeta);
    }

private:
    CCheckListBox* m_pList = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_pTester;
};

QTEST_MAIN(TestCCheckListBox)
#include "tst_cchecklistbox.moc"
