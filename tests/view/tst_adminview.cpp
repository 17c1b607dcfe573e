#include "ViewTestShare.h"

#include "framework/CCmdRoute.h"
#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "framework/CImageList.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"
#include "platform/CodePage.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CRefreshTimers.h"
#include "view/CUserListModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QTest>

namespace {

constexpr qint64 kNow = 1750000000;
constexpr qint64 kDay = 86400;

QList<TestUser> StandardUsers()
{
    return {
        {"alice", "Alice Adams", kNow - 100, kNow - 1000, "21,340,20,300,x,English,1700000000,2,3"},
        {"bob", "Bob Brown", kNow - 7200, kNow - 3600, "20,100,0,0,x,French,0,1,1"},
        {"carol", "carol clark", 0, 0, {}},
        {"dave", "Dave Dunn", kNow - 6 * kDay, 0, {}},
        {"erin", "deleted", kNow - 50, 0, {}},
        {"frank", "Deleted", kNow - 50, kNow - 40, {}},
        {"Gina", "Gina Green", kNow - 10, kNow - 20, "30,5,0,0,x,German,0,0,2"},
    };
}

const QList<QByteArray> kGroups = {"Sales=alice,erin,bob", "admins=carol"};

// Every change a model can announce, counted.
struct ChangeSpies
{
    explicit ChangeSpies(QAbstractItemModel *model)
        : data(model, &QAbstractItemModel::dataChanged),
          inserted(model, &QAbstractItemModel::rowsInserted),
          removed(model, &QAbstractItemModel::rowsRemoved),
          layout(model, &QAbstractItemModel::layoutChanged),
          reset(model, &QAbstractItemModel::modelReset),
          columns(model, &QAbstractItemModel::columnsInserted)
    {
    }
    int Total() const
    {
        return int(data.count() + inserted.count() + removed.count() + layout.count()
                   + reset.count() + columns.count());
    }
    QSignalSpy data, inserted, removed, layout, reset, columns;
};

// A main window with the toolbar the view blinks: Options, Properties, a
// gap, Refresh, and the two blinking images after the three of the buttons.
class TestFrame : public CFrameWnd
{
public:
    explicit TestFrame(CCmdRoute *pRoute) : CFrameWnd(pRoute)
    {
        for (int nID : {ID_VIEW_OPTIONS, ID_VIEW_PROPERTIES, ID_VIEW_REFRESH})
            pRoute->AddAction(nID, new QAction(this));
        const auto images = [](QList<const char *> names) {
            CImageList list;
            for (const char *name : names)
                list.Add(QStringLiteral(":/view/icons/%1.svg").arg(QLatin1String(name)));
            return list;
        };
        m_pToolBar = new CToolBarEx(pRoute, this);
        QVERIFY(m_pToolBar->LoadToolBar({ID_VIEW_OPTIONS, ID_VIEW_PROPERTIES, ID_SEPARATOR,
                                         ID_VIEW_REFRESH},
                                        images({"user", "group", "plug-green"})));
        m_pToolBar->AddImages(images({"plug-red", "plug-white"}));
        addToolBar(m_pToolBar);
        SetControlBars(m_pToolBar, nullptr);
        SetAsMainWnd();
    }
    CToolBarEx *m_pToolBar;
};

} // namespace

class TestCAdminView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ViewTestShare> m_share;
    std::unique_ptr<CAdminDoc> m_pDoc;
    std::unique_ptr<CAdminView> m_pView;

    CUserListModel *Model() const { return m_pView->GetModel(); }
    CUser *User(const char *login) const { return m_pDoc->FindUser(login); }
    int RowOf(const char *login) const { return m_pView->FindRow(CRowObject::User(User(login))); }
    int RowOfGroup(const char *name) const
    {
        return m_pView->FindRow(CRowObject::Group(m_pDoc->FindGroup(name)));
    }
    int ColumnOf(int nField) const { return int(CColumnArray::Shared().GetVisibleFields().indexOf(nField)); }
    QByteArray Text(const char *login, int nField) const
    {
        return Model()->GetCellText(RowOf(login), ColumnOf(nField));
    }
    QList<QByteArray> UserOrder() const
    {
        QList<QByteArray> logins;
        for (int nRow = 0; nRow < m_pView->GetRowCount(); ++nRow)
            if (CUser *pUser = m_pView->GetRowObject(nRow).GetUser())
                logins.append(pUser->GetLogin());
        return logins;
    }
    QPoint RowPoint(int nRow, int nColumn = 0) const
    {
        return m_pView->visualRect(Model()->index(nRow, nColumn)).center();
    }

    // Users.ini rewritten, the roster reloaded and its statuses read.
    void Rewrite(const QList<TestUser> &users, const QList<QByteArray> &groups = kGroups)
    {
        m_share->Write(users, groups);
        m_pView->FillList(false);
        m_pDoc->WaitForStatusReaders();
        QCoreApplication::processEvents();
    }

    // The view as the initial update leaves it, without its timers.
    void Open(const QList<TestUser> &users, const QList<QByteArray> &groups)
    {
        m_pView.reset();
        m_pDoc.reset();
        m_share = std::make_unique<ViewTestShare>();
        m_share->Write(users, groups);
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
        m_pView->resize(900, 400);
    }

private Q_SLOTS:
    void init() { Open(StandardUsers(), kGroups); }

    void cleanup()
    {
        m_pView.reset();
        m_pDoc.reset();
        m_share.reset();
    }

    void rowsShowTheirUsersState_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<int>("image");
        QTest::addColumn<QByteArray>("connected");
        QTest::newRow("connected") << QByteArray("alice") << 1 << QByteArray("Yes");
        QTest::newRow("logged off") << QByteArray("bob") << 2 << QByteArray("No");
        QTest::newRow("never logged on") << QByteArray("carol") << 0 << QByteArray("-");
        QTest::newRow("logon too old to tell") << QByteArray("dave") << 1 << QByteArray("-");
        QTest::newRow("capital D is not deleted") << QByteArray("frank") << 2 << QByteArray("No");
    }

    void rowsShowTheirUsersState()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, image);
        QFETCH(QByteArray, connected);
        QCOMPARE(Model()->GetRowImage(RowOf(login)), image);
        QCOMPARE(Text(login, CUser::ColConnected), connected);
        QCOMPARE(Text(login, CUser::ColFullName), User(login)->GetFullName());
        QCOMPARE(Text(login, CUser::ColLogon), User(login)->GetColumnText(CUser::ColLogon, kNow));
        QCOMPARE(m_pView->GetRowObject(RowOf(login)).GetUser(), User(login));
    }

    // Cells show the clients' bytes in the clients' code page.
    void accentedNamesShowInTheCells_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QByteArray>("fullName");
        QTest::addColumn<QByteArray>("group");
        QTest::addColumn<QStringList>("shown"); // login, full name, group
        QTest::newRow("1252") << "windows-1252" << QByteArray("\xe9lise") << QByteArray("Zo\xe9 Fran\xe7ois")
                              << QByteArray("\xc9quipe") << QStringList{"élise", "Zoé François", "Équipe"};
        QTest::newRow("1250") << "windows-1250" << QByteArray("\x9aimon") << QByteArray("\x8aimon \x8e\xe1k")
                              << QByteArray("T\xfdm") << QStringList{"šimon", "Šimon Žák", "Tým"};
        QTest::newRow("936") << "windows-936" << QByteArray("\xd5\xc5") << QByteArray("\xd5\xc5\xce\xb0")
                             << QByteArray("\xd6\xd0\xce\xc4") << QStringList{"张", "张伟", "中文"};
    }
    void accentedNamesShowInTheCells()
    {
        QFETCH(QString, codePage);
        QFETCH(QByteArray, login);
        QFETCH(QByteArray, fullName);
        QFETCH(QByteArray, group);
        QFETCH(QStringList, shown);
        QVERIFY(CodePage::SetCurrent(codePage));
        Open({{login, fullName, kNow - 100, kNow - 1000, {}}}, {group + "=" + login});
        const auto cell = [&](int nRow, int nField) {
            return Model()->data(Model()->index(nRow, ColumnOf(nField))).toString();
        };
        const int nRow = RowOf(login.constData());
        const int nGroupRow = m_pView->FindRow(CRowObject::Group(m_pDoc->FindGroup(group)));
        const QStringList actual{cell(nRow, CUser::ColLogin), cell(nRow, CUser::ColFullName),
                                 Model()->data(Model()->index(nGroupRow, 0)).toString()};
        CodePage::SetCurrent(QStringLiteral("windows-1252"));
        QCOMPARE(actual, shown);
    }

    void upgradeShowsArrowsUntilTheClientMoves()
    {
        User("alice")->MarkUpgradeRequested();
        QCOMPARE(m_pView->UpdateUserRow(User("alice"), false), RowOf("alice"));
        QCOMPARE(Model()->GetRowImage(RowOf("alice")), int(CUserListModel::ImgUpgradePending));
        QList<TestUser> users = StandardUsers();
        users[0].infos = "22,400,21,340,x,English,1700000000,2,3";
        Rewrite(users);
        QCOMPARE(Model()->GetRowImage(RowOf("alice")), int(CUserListModel::ImgConnected));
    }

    void deletedUsersFollowTheFlag()
    {
        QCOMPARE(RowOf("erin"), -1);
        QCOMPARE(m_pView->UpdateUserRow(User("erin"), false), -1);
        m_pView->SetShowDeleted(true);
        QCOMPARE(RowOf("erin"), m_pView->GetRowCount() - 1);
        QCOMPARE(Model()->GetRowImage(RowOf("erin")), int(CUserListModel::ImgDeleted));
        m_pView->FillList(true);
        QCOMPARE(RowOf("erin"), m_pView->GetRowCount() - 1);
        m_pView->SetShowDeleted(false);
        QCOMPARE(RowOf("erin"), -1);
        QVERIFY(RowOf("frank") >= 0);
    }

    void unchangedRefreshAnnouncesNothing()
    {
        ChangeSpies spies(Model());
        m_pView->FillList(false);
        m_pView->FillList(false);
        // Users.ini rewritten with the same content: reloaded, statuses read
        // again, and still nothing to show.
        Rewrite(StandardUsers());
        m_pView->FillList(true);
        QCOMPARE(spies.Total(), 0);
    }

    void refreshAnnouncesExactlyTheChangedCells()
    {
        QList<QList<QByteArray>> before;
        QList<int> images;
        for (int nRow = 0; nRow < m_pView->GetRowCount(); ++nRow) {
            before.append(QList<QByteArray>());
            for (int c = 0; c < Model()->columnCount(); ++c)
                before.last().append(Model()->GetCellText(nRow, c));
            images.append(Model()->GetRowImage(nRow));
        }
        ChangeSpies spies(Model());
        QList<TestUser> users = StandardUsers();
        users[1].logon = kNow - 10;                  // bob: logged on again
        users[6].infos = "30,5,0,0,x,Danish,0,0,2";  // Gina: another language
        Rewrite(users);

        QSet<QPair<int, int>> changed;
        for (int nRow = 0; nRow < m_pView->GetRowCount(); ++nRow) {
            for (int c = 0; c < Model()->columnCount(); ++c)
                if (Model()->GetCellText(nRow, c) != before[nRow][c])
                    changed.insert({nRow, c});
            if (Model()->GetRowImage(nRow) != images[nRow])
                changed.insert({nRow, 0});
        }
        QSet<QPair<int, int>> announced;
        for (const QList<QVariant> &args : std::as_const(spies.data)) {
            const auto topLeft = args[0].value<QModelIndex>();
            const auto bottomRight = args[1].value<QModelIndex>();
            for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow)
                for (int c = topLeft.column(); c <= bottomRight.column(); ++c)
                    announced.insert({nRow, c});
        }
        QVERIFY(changed.contains({RowOf("bob"), ColumnOf(CUser::ColLogon)}));
        QVERIFY(changed.contains({RowOf("Gina"), ColumnOf(CUser::ColLanguage)}));
        QCOMPARE(announced, changed);
        QCOMPARE(spies.Total(), int(spies.data.count()));
    }

    void connectedRunsOutWithoutAStatusChange()
    {
        qint64 now = kNow;
        m_pView->SetClock([&now] { return now; });
        now = kNow - 7200 + CUser::kConnectedWindow + 1; // bob's logon is now too old
        QSignalSpy spy(Model(), &QAbstractItemModel::dataChanged);
        m_pView->FillList(false);
        QCOMPARE(Text("bob", CUser::ColConnected), QByteArray("-"));
        QCOMPARE(Text("alice", CUser::ColConnected), QByteArray("Yes"));
        QCOMPARE(spy.count(), 1);
        m_pView->FillList(false);
        QCOMPARE(spy.count(), 1);
        m_pView->SetClock([] { return kNow; });
    }

    void newRowsGoToTheirEnds()
    {
        m_pView->SortByColumn(ColumnOf(CUser::ColLogin));
        QList<TestUser> users = StandardUsers();
        users.append({"aaron", "Aaron Abbot", kNow - 5, 0, {}});
        Rewrite(users);
        m_pDoc->AddGroup(std::make_unique<CGroup>("zeta"));
        m_pView->FillList(false);
        QCOMPARE(RowOf("aaron"), m_pView->GetRowCount() - 1);
        QCOMPARE(RowOfGroup("zeta"), 0);
        // Groups the document let go of lose their rows.
        m_pDoc->DeleteAllGroups();
        m_pView->FillList(false);
        QCOMPARE(m_pView->GetRowObject(0).GetUser(), User("alice"));
        QCOMPARE(m_pView->GetRowCount(), 7);
    }

    void sortOrders_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QList<QByteArray>>("order");
        QTest::newRow("login, case ignored") << int(CUser::ColLogin)
            << QList<QByteArray>{"alice", "bob", "carol", "dave", "frank", "Gina"};
        QTest::newRow("logon, newest first") << int(CUser::ColLogon)
            << QList<QByteArray>{"Gina", "frank", "alice", "bob", "dave", "carol"};
        QTest::newRow("connected text, ties kept") << int(CUser::ColConnected)
            << QList<QByteArray>{"carol", "dave", "bob", "frank", "alice", "Gina"};
        QTest::newRow("system, highest first") << int(CUser::ColOS)
            << QList<QByteArray>{"carol", "dave", "frank", "alice", "bob", "Gina"};
        QTest::newRow("old version, all equal") << int(CUser::ColOldVersion)
            << QList<QByteArray>{"alice", "bob", "carol", "dave", "frank", "Gina"};
    }

    void sortOrders()
    {
        QFETCH(int, field);
        QFETCH(QList<QByteArray>, order);
        const int nColumn = ColumnOf(field);
        m_pView->SortByColumn(nColumn);
        QCOMPARE(UserOrder(), order);
        QCOMPARE(RowOfGroup("admins"), 0);
        QCOMPARE(RowOfGroup("Sales"), 1);
        for (int nRow = 0; nRow + 1 < m_pView->GetRowCount(); ++nRow)
            QVERIFY(Model()->CompareRows(nRow, nRow + 1, nColumn) <= 0);
        // A second click turns the users round; groups stay on top, and
        // rows that compare equal keep their order.
        m_pView->header()->sectionClicked(nColumn);
        QVERIFY(m_pView->IsSortReversed());
        QCOMPARE(RowOfGroup("admins"), 0);
        QCOMPARE(RowOfGroup("Sales"), 1);
        const int nFirstUser = 2;
        for (int nRow = nFirstUser; nRow + 1 < m_pView->GetRowCount(); ++nRow) {
            const int nCompare = Model()->CompareRows(nRow, nRow + 1, nColumn);
            QVERIFY(nCompare >= 0);
            if (nCompare == 0)
                QVERIFY(order.indexOf(m_pView->GetRowObject(nRow).GetUser()->GetLogin())
                        < order.indexOf(m_pView->GetRowObject(nRow + 1).GetUser()->GetLogin()));
        }
        // A third click is the first click's order again.
        m_pView->header()->sectionClicked(nColumn);
        QCOMPARE(UserOrder(), order);
        QVERIFY(!m_pView->IsSortReversed());
    }

    void sortKeepsTheSelection()
    {
        m_pView->selectionModel()->select(Model()->index(RowOf("bob"), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_pView->SortByColumn(ColumnOf(CUser::ColLogon));
        QList<CUser *> users;
        QCOMPARE(m_pView->GetSelectedUsers(users), 1);
        QCOMPARE(users.first(), User("bob"));
    }

    void selectionCollectsEachUserOnce()
    {
        QList<CUser *> users{User("dave")};
        QCOMPARE(m_pView->GetSelectedUsers(users), 0);
        QCOMPARE(users.size(), 1);
        QVERIFY(m_pView->GetFirstSelectedObject().IsNull());

        auto *pSelection = m_pView->selectionModel();
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        pSelection->select(Model()->index(RowOf("carol"), 0), rows);
        pSelection->select(Model()->index(RowOf("alice"), 0), rows);
        pSelection->select(Model()->index(RowOfGroup("Sales"), 0), rows);
        QCOMPARE(m_pView->GetFirstSelectedObject().GetGroup(), m_pDoc->FindGroup("Sales"));
        users = {User("bob")};
        // Sales brings alice, the hidden erin and bob (already there).
        QCOMPARE(m_pView->GetSelectedUsers(users), 4);
        QCOMPARE(users, (QList<CUser *>{User("bob"), User("alice"), User("erin"), User("carol")}));
    }

    void rightClickOnAGroupAddsItsMembers()
    {
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, {}, RowPoint(RowOf("dave")));
        QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          RowPoint(RowOfGroup("Sales")));
        QTest::mouseClick(m_pView->viewport(), Qt::RightButton, {}, RowPoint(RowOfGroup("Sales")));
        QList<CUser *> selected;
        for (const QModelIndex &index : m_pView->selectionModel()->selectedRows())
            if (CUser *pUser = m_pView->GetRowObject(index.row()).GetUser())
                selected.append(pUser);
        std::sort(selected.begin(), selected.end());
        QList<CUser *> expected{User("dave"), User("alice"), User("bob")};
        std::sort(expected.begin(), expected.end());
        QCOMPARE(selected, expected);
    }

    void selectionSignalsFollowTheFocusedRow()
    {
        QSignalSpy userSpy(m_pView.get(), &CAdminView::UserSelected);
        QSignalSpy stateSpy(m_pView.get(), &CAdminView::SelectionStateChanged);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, {}, RowPoint(RowOf("bob"), 2));
        QCOMPARE(userSpy.count(), 1);
        QCOMPARE(userSpy.last().first().value<CUser *>(), User("bob"));
        QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, {}, RowPoint(RowOfGroup("Sales")));
        QCOMPARE(userSpy.count(), 1);
        QTest::keyClick(m_pView.get(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(userSpy.count(), 2);
        QCOMPARE(userSpy.last().first().value<CUser *>(), User("alice"));
        QVERIFY(stateSpy.count() >= 3);
    }

    void markRowLendsTheWindowItsImage()
    {
        const QIcon own = QIcon(QPixmap(16, 16));
        m_pView->setWindowIcon(own);
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        const int nRow = RowOf("bob");
        QTest::mouseDClick(m_pView->viewport(), Qt::LeftButton, {}, RowPoint(nRow));
        QCOMPARE(m_pView->GetMarkedRow(), nRow);
        QCOMPARE(Model()->GetRowState(nRow) & CAdminView::kMarkMask, CAdminView::kMarkedState);
        const QImage shown = m_pView->windowIcon().pixmap(16, 16).toImage();
        QCOMPARE(shown, m_pView->GetSmallImages().GetIcon(CUserListModel::ImgNotConnected)
                            .pixmap(16, 16).toImage());
        // The mark follows the user through a sort.
        m_pView->SortByColumn(ColumnOf(CUser::ColLogon));
        QCOMPARE(m_pView->GetMarkedRow(), RowOf("bob"));
        m_pView->MarkRow(RowOf("bob"));
        QCOMPARE(m_pView->GetMarkedRow(), -1);
        QCOMPARE(m_pView->windowIcon().cacheKey(), own.cacheKey());
        QCOMPARE(Model()->GetRowState(RowOf("bob")) & CAdminView::kMarkMask,
                 CAdminView::kUnmarkedState);
    }

    void shortenedTextShowsWholeInATooltip()
    {
        m_pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pView.get()));
        const int nColumn = ColumnOf(CUser::ColFullName);
        m_pView->header()->resizeSection(nColumn, 40);
        const QPoint point = RowPoint(RowOf("alice"), nColumn);
        QHelpEvent help(QEvent::ToolTip, point, m_pView->viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(m_pView->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Alice Adams"));
    }

    void commandStates_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("enabledNow");
        QTest::addColumn<bool>("enabledWithHandler");
        QTest::newRow("Select All") << ID_EDIT_SELECT_ALL << true << true;
        QTest::newRow("Refresh") << ID_VIEW_REFRESH << true << true;
        QTest::newRow("Client Width Sel") << ID_VIEW_CLIENT_WIDTH_SEL << true << true;
        QTest::newRow("Options") << ID_VIEW_OPTIONS << false << true;
        QTest::newRow("Upgrade") << ID_ACTIONS_UPGRADE << false << true;
        QTest::newRow("Properties") << ID_VIEW_PROPERTIES << false << true;
        QTest::newRow("Restrictions") << ID_ACTIONS_RESTRICTIONS << false << true;
        QTest::newRow("Edit groups") << ID_EDIT_GROUPS << false << true;
        QTest::newRow("Edit user's groups") << ID_EDIT_USER_GROUPS << false << false;
        QTest::newRow("Apply groups") << ID_ACTIONS_APPLY_GROUPS << false << false;
        QTest::newRow("Configure") << ID_ACTIONS_CONFIGURE << false << true;
        QTest::newRow("Apply models") << ID_ACTIONS_APPLY_MODELS << false << false;
        QTest::newRow("Edit models") << ID_EDIT_MODELS << false << true;
    }

    void commandStates()
    {
        QFETCH(int, id);
        QFETCH(bool, enabledNow);
        QFETCH(bool, enabledWithHandler);
        CCmdRoute route;
        route.SetIdleUpdates(false);
        route.SetTarget(CCmdRoute::View, m_pView.get());
        CCmdUI now(id);
        route.QueryState(id, &now);
        QCOMPARE(now.IsEnabled(), enabledNow);
        // Apply models never gets a handler.
        if (id != ID_ACTIONS_APPLY_MODELS && !m_pView->HasCommandHandler(id))
            m_pView->InstallCommand(id, [] {});
        CCmdUI later(id);
        route.QueryState(id, &later);
        QCOMPARE(later.IsEnabled(), enabledWithHandler);
    }

    void propertiesIsCheckedWhileTheSheetShows()
    {
        m_pView->InstallCommand(ID_VIEW_PROPERTIES, [] {});
        auto *pSheet = new QWidget(nullptr, Qt::Window);
        m_pView->SetPropertySheet(pSheet);
        CCmdUI hidden(ID_VIEW_PROPERTIES);
        m_pView->OnUpdateCmdMsg(ID_VIEW_PROPERTIES, &hidden);
        QCOMPARE(hidden.GetCheck(), 0);
        pSheet->show();
        CCmdUI shown(ID_VIEW_PROPERTIES);
        m_pView->OnUpdateCmdMsg(ID_VIEW_PROPERTIES, &shown);
        QCOMPARE(shown.GetCheck(), 1);
        QVERIFY(shown.IsEnabled());
    }

    void selectAllAndClientWidthThroughTheRoute()
    {
        CCmdRoute route;
        route.SetIdleUpdates(false);
        route.SetTarget(CCmdRoute::View, m_pView.get());
        m_pView->selectionModel()->select(Model()->index(2, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(route.Execute(ID_EDIT_SELECT_ALL));
        QCOMPARE(m_pView->selectionModel()->selectedRows().size(), m_pView->GetRowCount());

        CCmdUI on(ID_VIEW_CLIENT_WIDTH_SEL);
        route.QueryState(ID_VIEW_CLIENT_WIDTH_SEL, &on);
        QCOMPARE(on.GetCheck(), 1);
        QVERIFY(route.Execute(ID_VIEW_CLIENT_WIDTH_SEL));
        QVERIFY(!m_pView->GetClientWidthSel());
        CCmdUI off(ID_VIEW_CLIENT_WIDTH_SEL);
        route.QueryState(ID_VIEW_CLIENT_WIDTH_SEL, &off);
        QCOMPARE(off.GetCheck(), 0);
        QVERIFY(off.IsEnabled());
    }

    void refreshCommandShowsAStatusChangeAtOnce()
    {
        CCmdRoute route;
        route.SetIdleUpdates(false);
        route.SetTarget(CCmdRoute::View, m_pView.get());
        QList<TestUser> users = StandardUsers();
        users[2].logon = kNow - 30; // carol logs on
        m_share->Write(users, kGroups);
        QVERIFY(route.Execute(ID_VIEW_REFRESH));
        QTRY_COMPARE(Model()->GetRowImage(RowOf("carol")), int(CUserListModel::ImgConnected));
        QCOMPARE(m_pView->GetRefreshTimers().GetInterval(CRefreshTimers::TimerRefresh), CRefreshTimers::kShortPeriodMs);
    }

    void refreshTimersAndBlinking()
    {
        CCmdRoute route;
        route.SetIdleUpdates(false);
        TestFrame frame(&route);
        CAdminView *pView = CAdminView::Create(&frame, m_pDoc.get());
        QCOMPARE(route.GetTarget(CCmdRoute::View), pView);
        QCOMPARE(frame.centralWidget(), pView);
        QVERIFY(pView->GetRefreshTimers().IsActive(CRefreshTimers::TimerRefresh));
        QCOMPARE(pView->GetRefreshTimers().GetInterval(CRefreshTimers::TimerRefresh), CRefreshTimers::kFirstRefreshMs);
        CToolBarEx *pBar = frame.m_pToolBar;
        const int nButton = CRefreshTimers::kRefreshButtonIndex;
        QCOMPARE(pBar->GetItemID(nButton), ID_VIEW_REFRESH);

        QVERIFY(route.Execute(ID_VIEW_REFRESH));
        QTRY_VERIFY(pView->GetRefreshTimers().IsActive(CRefreshTimers::TimerAnimationEnd));
        QCOMPARE(pBar->GetButtonImage(nButton), int(CRefreshTimers::ImgRefreshDark));
        QCOMPARE(pView->GetRefreshTimers().GetInterval(CRefreshTimers::TimerRefresh), CRefreshTimers::kShortPeriodMs);
        QTRY_COMPARE_WITH_TIMEOUT(pBar->GetButtonImage(nButton), int(CRefreshTimers::ImgRefreshBright), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(pBar->GetButtonImage(nButton), int(CRefreshTimers::ImgRefreshDark), 1000);
        // The short period is used once; after it the list refreshes every 20 s,
        // and each refresh blinks the button for 3 s from its start.
        QTRY_COMPARE_WITH_TIMEOUT(pView->GetRefreshTimers().GetInterval(CRefreshTimers::TimerRefresh),
                                  CRefreshTimers::kPeriodMs, 4000);
        QVERIFY(pView->GetRefreshTimers().IsActive(CRefreshTimers::TimerRefresh));
        QVERIFY(pView->GetRefreshTimers().GetAnimationPhase() != 0);
        QTRY_COMPARE_WITH_TIMEOUT(pView->GetRefreshTimers().GetAnimationPhase(), 0, 4000);
        QCOMPARE(pBar->GetButtonImage(nButton), int(CRefreshTimers::ImgRefreshRest));
        QTest::qWait(2 * CRefreshTimers::kAnimationStepMs);
        QCOMPARE(pBar->GetButtonImage(nButton), int(CRefreshTimers::ImgRefreshRest));
    }

    void displayPageRebuildsTheColumns()
    {
        CColumnArray &columns = CColumnArray::Shared();
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        m_pView->selectionModel()->select(Model()->index(RowOf("carol"), 0), rows);
        m_pView->selectionModel()->setCurrentIndex(Model()->index(RowOfGroup("Sales"), 0), rows);
        QVERIFY(m_pView->DeleteColumns());
        columns.RemoveAll();
        columns.Add(CColumn(CUser::ColLanguage, "Language", 0));
        CColumn login(CUser::ColLogin, "Login", "1/140/1");
        columns.Add(login);
        columns.Add(CColumn(CUser::ColOS, "OS", CColumn::kHiddenPosition));
        m_pView->InsertColumns();
        m_pView->FillList(false);
        QCOMPARE(Model()->columnCount(), 2);
        QCOMPARE(Text("alice", CUser::ColLanguage), QByteArray("English"));
        QCOMPARE(Model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Login"));
        QCOMPARE(m_pView->header()->sectionSize(1), 140);
        // The group name stays in the first cell whatever it shows for users.
        QCOMPARE(Model()->GetCellText(RowOfGroup("Sales"), 0), QByteArray("Sales"));
        // The selection and the focus survive the rebuild.
        QList<CUser *> selected;
        QCOMPARE(m_pView->GetSelectedUsers(selected), 4); // Sales: alice, erin, bob; carol
        QCOMPARE(m_pView->GetFirstSelectedObject().GetGroup(), m_pDoc->FindGroup("Sales"));
        QCOMPARE(m_pView->currentIndex().row(), RowOfGroup("Sales"));
        QCOMPARE(m_pView->selectionModel()->selectedRows(1).size(), 2);
        m_pView->header()->resizeSection(1, 77);
        m_pView->RecordColumnWidths();
        QCOMPARE(columns.FindColumnByPosition(1)->GetWidth(), 77);
    }

    void widthsAreSavedWhenTheViewGoes()
    {
        m_pView.reset();
        {
            CAdminView view(m_pDoc.get());
            view.OnInitialUpdate();
            view.header()->resizeSection(2, 64);
        }
        QSettings stored(QSettings::IniFormat, QSettings::UserScope, "Corvane", "Admin");
        QCOMPARE(stored.value("Columns/Logon").toString(), QStringLiteral("2/64/0"));
    }
};

QTEST_MAIN(TestCAdminView)
#include "tst_adminview.moc"
