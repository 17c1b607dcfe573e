#include "ViewTestShare.h"

#include "framework/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CFilterBox.h"
#include "view/CRowFilter.h"
#include "view/CUserListModel.h"
#include "view/CViewFilter.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace {

constexpr qint64 kNow = 1750000000;

QList<TestUser> Users()
{
    return {
        {"alice", "Alice Adams", kNow - 100, kNow - 1000, "21,340,20,300,x,English,1700000000,2,3"},
        {"bob", "Bob Brown", kNow - 7200, kNow - 3600, "20,100,0,0,x,French,0,1,1"},
        {"carol", "Carol Clark", 0, 0, {}},
        // The clients write Windows-1252: "Zoë Émile".
        {"zoe", "Zo\xEB \xC9mile", kNow - 10, kNow - 20, "30,5,0,0,x,German,0,0,2"},
    };
}

const QList<QByteArray> kGroups = {"Sales=alice,bob", "Bobcats=carol"};

} // namespace

// The filter box, the two-way sort, the list's keys and context menu, and
// the fitting of columns.
class TestViewFilter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ViewTestShare> m_share;
    std::unique_ptr<CAdminDoc> m_pDoc;
    std::unique_ptr<CAdminView> m_pView;
    QList<int> m_propertiesRuns;

    CUserListModel *Model() const { return m_pView->GetModel(); }
    CViewFilter *Filter() const { return m_pView->GetFilter(); }
    CUser *User(const char *login) const { return m_pDoc->FindUser(login); }
    int RowOf(const char *login) const { return m_pView->FindRow(CRowObject::User(User(login))); }
    int RowOfGroup(const char *name) const
    {
        return m_pView->FindRow(CRowObject::Group(m_pDoc->FindGroup(name)));
    }
    int ColumnOf(int nField) const
    {
        return int(CColumnArray::Shared().GetVisibleFields().indexOf(nField));
    }
    // The rows shown, users by login and groups by name, top to bottom.
    QList<QByteArray> Shown() const
    {
        QList<QByteArray> names;
        for (int nRow = 0; nRow < m_pView->GetRowCount(); ++nRow) {
            if (m_pView->isRowHidden(nRow, QModelIndex()))
                continue;
            const CRowObject object = m_pView->GetRowObject(nRow);
            names.append(object.IsUser() ? object.GetUser()->GetLogin()
                                         : "#" + object.GetGroup()->GetName());
        }
        return names;
    }
    void Rewrite(const QList<TestUser> &users)
    {
        m_share->Write(users, kGroups);
        m_pView->FillList(false);
        m_pDoc->WaitForStatusReaders();
        QCoreApplication::processEvents();
    }
    void SelectRows(const QList<int> &rows)
    {
        for (int nRow : rows)
            m_pView->selectionModel()->select(Model()->index(nRow, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QList<QByteArray> SelectedLogins() const
    {
        QList<CUser *> users;
        m_pView->GetSelectedUsers(users);
        QList<QByteArray> logins;
        for (CUser *pUser : users)
            logins.append(pUser->GetLogin());
        return logins;
    }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<ViewTestShare>();
        m_share->Write(Users(), kGroups);
        m_pDoc = std::make_unique<CAdminDoc>();
        QVERIFY(m_pDoc->OnNewDocument(m_share->Path()));
        m_pDoc->WaitForStatusReaders();
        QCoreApplication::processEvents();
        m_pView = std::make_unique<CAdminView>(m_pDoc.get());
        m_pView->SetClock([] { return kNow; });
        CColumnArray::Shared().LoadFromRegistry(nullptr);
        m_pView->InsertColumns();
        m_pView->FillList(false);
        new QAbstractItemModelTester(Model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_pView.get());
        m_propertiesRuns.clear();
        m_pView->InstallCommand(ID_VIEW_PROPERTIES,
                                [this] { m_propertiesRuns.append(ID_VIEW_PROPERTIES); });
        m_pView->resize(900, 400);
    }

    void cleanup()
    {
        m_pView.reset();
        m_pDoc.reset();
        m_share.reset();
    }

    void textsMatch_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("match");
        QTest::newRow("case ignored") << "ADA" << QByteArray("Alice Adams") << true;
        QTest::newRow("middle of a word") << "ice a" << QByteArray("Alice Adams") << true;
        QTest::newRow("absent") << "adz" << QByteArray("Alice Adams") << false;
        QTest::newRow("longer than the text") << "alice adamsx" << QByteArray("Alice Adams") << false;
        QTest::newRow("accent, other case") << QString::fromUtf8("ÉMI") << QByteArray("Zo\xEB \xC9mile") << true;
        QTest::newRow("ascii part of an accented text") << "mile" << QByteArray("Zo\xEB \xC9mile") << true;
        QTest::newRow("accent is not its bare letter") << "emile" << QByteArray("Zo\xEB \xC9mile") << false;
        QTest::newRow("bare letter is not accented") << QString::fromUtf8("é") << QByteArray("Emile") << false;
        QTest::newRow("empty filter") << "" << QByteArray("anything") << true;
    }

    void textsMatch()
    {
        QFETCH(QString, filter);
        QFETCH(QByteArray, text);
        QFETCH(bool, match);
        CRowFilter rowFilter;
        rowFilter.SetText(filter);
        QCOMPARE(rowFilter.Contains(text), match);
    }

    void filterNarrowsRowsAndCounts_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<QByteArray>>("shown");
        QTest::newRow("login") << "CAROL" << QList<QByteArray>{"carol"};
        QTest::newRow("real name") << "brown" << QList<QByteArray>{"bob"};
        QTest::newRow("a shown cell") << "french" << QList<QByteArray>{"bob"};
        QTest::newRow("group by name, users too") << "bob"
                                                  << QList<QByteArray>{"#Bobcats", "bob"};
        QTest::newRow("nothing") << "nobody" << QList<QByteArray>{};
        QTest::newRow("accented name") << QString::fromUtf8("zoë") << QList<QByteArray>{"zoe"};
    }

    void filterNarrowsRowsAndCounts()
    {
        QFETCH(QString, filter);
        QFETCH(QList<QByteArray>, shown);
        QSignalSpy changed(Filter(), &CViewFilter::Changed);
        Filter()->SetText(filter);
        QCOMPARE(Shown(), shown);
        QCOMPARE(Filter()->GetUserCount(), 4);
        QCOMPARE(Filter()->GetShownUserCount(),
                 int(std::count_if(shown.cbegin(), shown.cend(),
                                   [](const QByteArray &name) { return !name.startsWith('#'); })));
        QCOMPARE(changed.count(), 1);
        // Escape in the box clears it and every row comes back.
        CFilterBox box(m_pView.get());
        box.setText(filter);
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.text().isEmpty());
        QCOMPARE(Shown().size(), m_pView->GetRowCount());
        QCOMPARE(Filter()->GetShownUserCount(), 4);
    }

    void typingOnMatchesAsAFreshFilter()
    {
        // Each keystroke narrows from the rows shown, and a letter taken
        // back widens again; each step must show what its text shows on a
        // fresh list.
        const QStringList steps = {"a", "al", "ali", "al", "a", "", "b", "bo", "bob"};
        for (const QString &text : steps) {
            Filter()->SetText(text);
            const QList<QByteArray> typed = Shown();
            const int nShown = Filter()->GetShownUserCount();
            Filter()->SetText(QStringLiteral("\x01"));
            Filter()->SetText(text);
            QCOMPARE(Shown(), typed);
            QCOMPARE(Filter()->GetShownUserCount(), nShown);
        }
        Filter()->SetText(QStringLiteral("ali"));
        QCOMPARE(Shown(), QList<QByteArray>{"alice"});
    }

    void rowsThatComeOrChangeAreMatched()
    {
        Filter()->SetText(QStringLiteral("dunn"));
        QCOMPARE(Shown(), QList<QByteArray>{});
        // A new user who matches is shown, one who does not is hidden.
        QList<TestUser> users = Users();
        users.append({"dave", "Dave Dunn", kNow - 5, 0, {}});
        users.append({"eve", "Eve East", kNow - 5, 0, {}});
        Rewrite(users);
        QCOMPARE(Shown(), QList<QByteArray>{"dave"});
        QCOMPARE(Filter()->GetUserCount(), 6);
        QCOMPARE(Filter()->GetShownUserCount(), 1);
        // A cell that changes to match shows its row.
        Filter()->SetText(QStringLiteral("spanish"));
        QCOMPARE(Filter()->GetShownUserCount(), 0);
        users[1].infos = "20,100,0,0,x,Spanish,0,1,1";
        Rewrite(users);
        QCOMPARE(Shown(), QList<QByteArray>{"bob"});
    }

    void hiddenRowsAreNeverActedOn()
    {
        SelectRows({RowOf("alice"), RowOf("bob"), RowOf("carol")});
        Filter()->SetText(QStringLiteral("brown"));
        QCOMPARE(SelectedLogins(), QList<QByteArray>{"bob"});
        QVERIFY(!m_pView->selectionModel()->isRowSelected(RowOf("alice"), QModelIndex()));
        // Select All takes the rows shown only.
        Filter()->SetText(QStringLiteral("clark"));
        m_pView->OnEditSelectAll();
        QCOMPARE(SelectedLogins(), QList<QByteArray>{"carol"});
        QCOMPARE(m_pView->selectionModel()->selectedRows().size(), 1);
    }

    void secondClickSortsTheOtherWayWithArrow_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("firstArrow");
        QTest::newRow("text: A to Z first") << int(CUser::ColLogin) << int(Qt::AscendingOrder);
        QTest::newRow("time: newest first") << int(CUser::ColLogon) << int(Qt::DescendingOrder);
    }

    void secondClickSortsTheOtherWayWithArrow()
    {
        QFETCH(int, field);
        QFETCH(int, firstArrow);
        const int nColumn = ColumnOf(field);
        QHeaderView *pHeader = m_pView->header();
        QVERIFY(!pHeader->isSortIndicatorShown());
        pHeader->sectionClicked(nColumn);
        QVERIFY(pHeader->isSortIndicatorShown());
        QCOMPARE(pHeader->sortIndicatorSection(), nColumn);
        QCOMPARE(int(pHeader->sortIndicatorOrder()), firstArrow);
        const int nFirst = RowOf("alice");
        pHeader->sectionClicked(nColumn);
        QCOMPARE(int(pHeader->sortIndicatorOrder()), 1 - firstArrow);
        QVERIFY(RowOf("alice") != nFirst);
        QVERIFY(m_pView->GetRowObject(0).IsGroup() && m_pView->GetRowObject(1).IsGroup());
        // Another column starts again with its first order.
        pHeader->sectionClicked(ColumnOf(CUser::ColFullName));
        QCOMPARE(pHeader->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(!m_pView->IsSortReversed());
        // Rows a filter hides stay hidden through a sort.
        Filter()->SetText(QStringLiteral("brown"));
        pHeader->sectionClicked(nColumn);
        QCOMPARE(Shown(), QList<QByteArray>{"bob"});
        QCOMPARE(Filter()->GetShownUserCount(), 1);
    }

    void enterOpensPropertiesMenuKeysOpenTheMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("menu");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
    }

    void enterOpensPropertiesMenuKeysOpenTheMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, menu);
        QMenu contextMenu;
        contextMenu.addAction(QStringLiteral("Properties"));
        m_pView->SetContextMenu(&contextMenu);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        m_pView->setCurrentIndex(Model()->index(RowOf("bob"), 0));
        QTest::keyClick(m_pView.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(contextMenu.isVisible(), menu);
        QCOMPARE(m_propertiesRuns.size(), menu ? 0 : 1);
        if (menu) {
            // The menu opens at the current row, not somewhere else.
            const QRect row = m_pView->visualRect(Model()->index(RowOf("bob"), 0));
            const QPoint at = m_pView->viewport()->mapFromGlobal(contextMenu.pos());
            QVERIFY2(qAbs(at.y() - row.bottom()) <= 2, qPrintable(QString::number(at.y())));
        }
        contextMenu.close();
    }

    void rightClickOnAGroupAddsItsMembersThenOpensTheMenu()
    {
        QMenu contextMenu;
        contextMenu.addAction(QStringLiteral("Properties"));
        m_pView->SetContextMenu(&contextMenu);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        SelectRows({RowOf("zoe")});
        const QRect rect = m_pView->visualRect(Model()->index(RowOfGroup("Sales"), 0));
        QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(),
                                m_pView->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(m_pView->viewport(), &event);
        QVERIFY(contextMenu.isVisible());
        QList<QByteArray> selected = SelectedLogins();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, (QList<QByteArray>{"alice", "bob", "zoe"}));
        contextMenu.close();
    }

    void rowImageSaysTheStateInWords_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QString>("words");
        QTest::newRow("connected") << QByteArray("alice") << "Connected";
        QTest::newRow("logged off") << QByteArray("bob") << "Not connected";
        QTest::newRow("never logged on") << QByteArray("carol") << "Never logged on";
        QTest::newRow("group") << QByteArray() << "Recipient group";
    }

    void rowImageSaysTheStateInWords()
    {
        QFETCH(QByteArray, login);
        QFETCH(QString, words);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        const int nRow = login.isEmpty() ? RowOfGroup("Sales") : RowOf(login.constData());
        const QRect cell = m_pView->visualRect(Model()->index(nRow, 0));
        // Over the image, left of the label.
        const QPoint point(cell.left() + CListViewEx::kSmallIconSize / 2 + 2, cell.center().y());
        QHelpEvent help(QEvent::ToolTip, point, m_pView->viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(m_pView->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), words);
    }

    void doubleClickOnADividerFitsTheColumn()
    {
        const int nColumn = ColumnOf(CUser::ColLogon);
        QHeaderView *pHeader = m_pView->header();
        pHeader->resizeSection(nColumn, 20);
        pHeader->sectionHandleDoubleClicked(nColumn);
        const QString widest = Model()->data(Model()->index(RowOf("alice"), nColumn)).toString();
        const int nWidth = pHeader->sectionSize(nColumn);
        QVERIFY(nWidth >= m_pView->fontMetrics().horizontalAdvance(widest) + CListViewEx::kCellOffset);
        // Fitting again changes nothing.
        pHeader->sectionHandleDoubleClicked(nColumn);
        QCOMPARE(pHeader->sectionSize(nColumn), nWidth);
        QVERIFY(CListViewEx::MakeShortString(m_pView->fontMetrics(), widest, nWidth,
                                             CListViewEx::kCellOffset)
                == widest);
    }

    void firstStartFitsNamesAndTimesStoredLayoutIsKept()
    {
        // A first start: no layout stored, so the view fits the time and
        // name columns.
        m_pView.reset();
        {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Corvane", "Admin");
            settings.remove(QStringLiteral("Columns"));
        }
        CAdminView *pView = CAdminView::Create(nullptr, m_pDoc.get());
        m_pView.reset(pView);
        const int nLogon = ColumnOf(CUser::ColLogon);
        const QString time = Model()->data(Model()->index(RowOf("alice"), nLogon)).toString();
        QVERIFY(m_pView->header()->sectionSize(nLogon)
                >= m_pView->fontMetrics().horizontalAdvance(time) + CListViewEx::kCellOffset);
        QVERIFY(m_pView->header()->sectionSize(nLogon) != CColumn::kDefaultWidth);
        // Stored widths, even narrow ones, are what the next start shows.
        m_pView->header()->resizeSection(nLogon, 33);
        m_pView.reset();
        m_pView.reset(CAdminView::Create(nullptr, m_pDoc.get()));
        QCOMPARE(m_pView->header()->sectionSize(nLogon), 33);
    }
};

QTEST_MAIN(TestViewFilter)
#include "tst_viewfilter.moc"
