#include "GroupsTestShare.h"

#include "groups/CGroupTreeModel.h"
#include "groups/CGroupTreeView.h"
#include "store/CUser.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>

#include <algorithm>

namespace {

const QByteArray kUsersIni = "[Users]\r\nanna=Anna Berg\r\nBob=Bob Stone\r\ncarl=Carl Dunn\r\n"
                             "dora=Dora Eck\r\n"
                             "[Groups]\r\nsales=Bob,carl\r\nall=anna,dora\r\ndup=anna,Bob,anna\r\n";

QStringList ChildTexts(const QAbstractItemModel &model, const QModelIndex &parent = {})
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts << model.index(row, 0, parent).data().toString();
    return texts;
}

} // namespace

class TestGroupTree : public QObject
{
    Q_OBJECT

private:
    // The item a test names: "group:<name>", "user:<login>",
    // "member:<group>/<login>", "empty" (below the last item) or "none".
    QModelIndex Item(const QString &path) const
    {
        const QString kind = path.section(':', 0, 0);
        const QByteArray rest = path.section(':', 1).toUtf8();
        if (kind == "group" || kind == "member") {
            CGroup *pGroup = GroupNamed(m_pModel->GetGroups(), rest.split('/').value(0));
            if (kind == "group")
                return m_pModel->FindGroup(pGroup);
            return m_pModel->FindMember(pGroup, m_pShare->User(rest.split('/').value(1)));
        }
        if (kind == "user")
            return m_pModel->FindRootUser(m_pShare->User(rest));
        return {};
    }
    QPoint PointOf(const QString &path) const
    {
        if (path == "empty")
            return QPoint(10, m_pTree->viewport()->height() - 20);
        return m_pTree->visualRect(Item(path)).center();
    }
    // Every group shows exactly its members, in login order.
    void VerifyTreeShowsGroups() const
    {
        for (CGroup *pGroup : m_pModel->GetGroups()) {
            QStringList members;
            for (CUser *pUser : *pGroup)
                members << QString::fromLatin1(pUser->GetLogin());
            std::stable_sort(members.begin(), members.end(), [](const QString &a, const QString &b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
            QCOMPARE(ChildTexts(*m_pModel, m_pModel->FindGroup(pGroup)), members);
        }
    }

    std::unique_ptr<GroupsTestShare> m_pShare;
    std::unique_ptr<CGroupTreeView> m_pTree;
    CGroupTreeModel *m_pModel = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_pTester;

private Q_SLOTS:
    void init()
    {
        m_pShare = std::make_unique<GroupsTestShare>(kUsersIni);
        QVERIFY(m_pShare->IsValid());
        m_pTree = std::make_unique<CGroupTreeView>();
        m_pModel = new CGroupTreeModel(m_pShare->Doc()->GetUsers(), m_pShare->Doc()->GetGroups(),
                                       m_pTree.get());
        m_pTester = std::make_unique<QAbstractItemModelTester>(
            m_pModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_pTree->setModel(m_pModel);
        m_pTree->resize(300, 600);
        m_pTree->expandAll();
        m_pTree->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pTree.get()));
    }
    void cleanup()
    {
        m_pTester.reset();
        m_pTree.reset();
        m_pShare.reset();
    }

    void showsGroupsNewestFirstThenUsersInLoginOrder()
    {
        QCOMPARE(ChildTexts(*m_pModel),
                 QStringList({"dup", "all", "sales", "anna", "Bob", "carl", "dora"}));
        QCOMPARE(ChildTexts(*m_pModel, Item("group:dup")), QStringList({"anna", "anna", "Bob"}));
        QCOMPARE(Item("group:all").data(CGroupTreeModel::ImageRole).toInt(),
                 int(CGroupTreeModel::ImgGroup));
        QCOMPARE(Item("member:all/dora").data(CGroupTreeModel::ImageRole).toInt(),
                 int(CGroupTreeModel::ImgUser));
        QCOMPARE(Item("user:carl").data(Qt::ToolTipRole).toString(), QString("Carl Dunn"));
        // The editor's groups are copies: the document's stay as they were.
        QVERIFY(m_pModel->GetGroups().first() != m_pShare->Doc()->GetGroups().first());
        QVERIFY(!m_pModel->setData(Item("user:anna"), "zed"));
    }

    void dragAndDrop_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target"); // an item, "empty", or "outside"
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QList<QByteArray>>("groups");

        const QList<QByteArray> unchanged = Lines("sales=Bob,carl|all=anna,dora|dup=anna,Bob,anna");
        QTest::newRow("user onto a group") << "user:anna" << "group:sales" << 1 << true << false
            << Lines("sales=Bob,carl,anna|all=anna,dora|dup=anna,Bob,anna");
        QTest::newRow("same user twice stands twice") << "user:anna" << "group:sales" << 2 << true
            << false << Lines("sales=Bob,carl,anna,anna|all=anna,dora|dup=anna,Bob,anna");
        QTest::newRow("member onto another group") << "member:sales/Bob" << "group:all" << 1
            << true << false << Lines("sales=Bob,carl|all=anna,dora,Bob|dup=anna,Bob,anna");
        QTest::newRow("group onto a group adds its members") << "group:sales" << "group:all" << 1
            << true << false << Lines("sales=Bob,carl|all=anna,dora,Bob,carl|dup=anna,Bob,anna");
        QTest::newRow("group onto itself") << "group:sales" << "group:sales" << 1 << false << false
                                           << unchanged;
        QTest::newRow("user onto a user") << "user:anna" << "user:carl" << 1 << false << false
                                          << unchanged;
        QTest::newRow("user onto a member") << "user:anna" << "member:sales/carl" << 1 << false
                                            << false << unchanged;
        QTest::newRow("user onto no item") << "user:anna" << "empty" << 1 << false << false
                                           << unchanged;
        QTest::newRow("member out of the tree") << "member:sales/Bob" << "outside" << 1 << true
            << false << Lines("sales=carl|all=anna,dora|dup=anna,Bob,anna");
        QTest::newRow("doubled member out loses its last place") << "member:dup/anna" << "outside"
            << 1 << true << false << Lines("sales=Bob,carl|all=anna,dora|dup=anna,Bob");
        QTest::newRow("group out of the tree") << "group:all" << "outside" << 1 << true << false
            << Lines("sales=Bob,carl|dup=anna,Bob,anna");
        QTest::newRow("user of the roster out of the tree") << "user:anna" << "outside" << 1
            << false << true << unchanged;
    }
    void dragAndDrop()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(int, times);
        QFETCH(bool, changed);
        QFETCH(bool, refused);
        QFETCH(QList<QByteArray>, groups);

        QSignalSpy refusals(m_pTree.get(), &CGroupTreeView::RemovalRefused);
        for (int i = 0; i < times; ++i) {
            QVERIFY(m_pTree->BeginDrag(Item(dragged)));
            bool bChanged = false;
            if (target == "outside") {
                m_pTree->DragLeave();
                bChanged = m_pTree->DropOutside();
            } else {
                const QPoint point = PointOf(target);
                // Coming from another group, so that a stale highlight would show.
                m_pTree->DragMoveTo(PointOf("group:dup"));
                QCOMPARE(m_pTree->DragMoveTo(point), changed);
                QCOMPARE(m_pTree->GetDropTarget(), changed ? Item(target) : QModelIndex());
                bChanged = m_pTree->DropAt(point);
            }
            m_pTree->EndDrag();
            QCOMPARE(bChanged, changed);
        }
        QCOMPARE(Describe(m_pModel->GetGroups()), groups);
        QCOMPARE(refusals.count(), refused ? 1 : 0);
        VerifyTreeShowsGroups();
        QVERIFY(!m_pTree->IsDragging());
        QVERIFY(!m_pTree->GetDropTarget().isValid());
    }

    void dragNearAnEdgeScrolls()
    {
        QByteArray usersIni = "[Users]\r\n";
        for (int i = 0; i < 120; ++i)
            usersIni += "user" + QByteArray::number(1000 + i) + "=User\r\n";
        usersIni += "[Groups]\r\ng=\r\n";
        GroupsTestShare share(usersIni);
        QVERIFY(share.IsValid());
        CGroupTreeModel model(share.Doc()->GetUsers(), share.Doc()->GetGroups());
        CGroupTreeView tree;
        tree.setModel(&model);
        tree.resize(200, 160);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QScrollBar *pBar = tree.verticalScrollBar();
        QCOMPARE(pBar->value(), 0);

        QVERIFY(tree.BeginDrag(model.index(5, 0)));
        const int nBottom = tree.viewport()->height() - 3;
        tree.DragMoveTo(QPoint(20, nBottom));
        QVERIFY(pBar->value() > 0);
        // Holding still near the edge keeps scrolling.
        QTRY_VERIFY(pBar->value() >= 4);
        tree.DragMoveTo(QPoint(20, tree.viewport()->height() / 2));
        const int nStopped = pBar->value();
        QTest::qWait(3 * CGroupTreeView::kScrollIntervalMs);
        QCOMPARE(pBar->value(), nStopped);

        tree.DragMoveTo(QPoint(20, 2));
        QVERIFY(pBar->value() < nStopped);
        tree.EndDrag();
    }

    void dragScrollStepsOverAGroupWithItsMembers()
    {
        QByteArray usersIni = "[Users]\r\n";
        QByteArray members;
        for (int i = 0; i < 60; ++i) {
            usersIni += "user" + QByteArray::number(1000 + i) + "=User\r\n";
            if (i < 20)
                members += QByteArray(i ? "," : "") + "user" + QByteArray::number(1000 + i);
        }
        usersIni += "[Groups]\r\ng=" + members + "\r\nh=\r\n";
        GroupsTestShare share(usersIni);
        QVERIFY(share.IsValid());
        CGroupTreeModel model(share.Doc()->GetUsers(), share.Doc()->GetGroups());
        CGroupTreeView tree;
        tree.setModel(&model);
        tree.resize(200, 160);
        tree.expandAll();
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        const auto top = [&tree] { return tree.indexAt(QPoint(0, 0)); };
        QCOMPARE(top().data().toString(), QString("h"));

        QVERIFY(tree.BeginDrag(model.index(30, 0)));
        const QPoint bottom(20, tree.viewport()->height() - 3);
        tree.DragMoveTo(bottom);
        QCOMPARE(top().data().toString(), QString("g"));
        tree.DragMoveTo(QPoint(20, tree.viewport()->height() / 2));
        tree.DragMoveTo(bottom);
        // Past g and its twenty members at once, to the next root item.
        QCOMPARE(top().data().toString(), QString("user1000"));
        QVERIFY(!top().parent().isValid());
        tree.DragMoveTo(QPoint(20, tree.viewport()->height() / 2));
        tree.DragMoveTo(QPoint(20, 2));
        QCOMPARE(top().data().toString(), QString("g"));
        tree.EndDrag();
    }

    void staleOrForeignDragIsRefused()
    {
        CGroupTreeModel other(m_pShare->Doc()->GetUsers(), m_pShare->Doc()->GetGroups());
        const std::unique_ptr<QMimeData> pForeign(other.mimeData({other.index(0, 0)}));
        const std::unique_ptr<QMimeData> pStale(m_pModel->mimeData({Item("group:dup")}));
        QVERIFY(m_pModel->RemoveItem(Item("group:dup")));
        for (const QMimeData *pData : {pForeign.get(), pStale.get()})
            QVERIFY(!m_pModel->dropMimeData(pData, Qt::CopyAction, -1, -1, Item("group:all")));
        QCOMPARE(Describe(m_pModel->GetGroups()), Lines("sales=Bob,carl|all=anna,dora"));
    }

    void renameGroup_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("name"); // the name afterwards
        QTest::addColumn<QString>("why");     // a part of the refusal, empty when accepted

        QTest::newRow("own name in other case") << "SALES" << QByteArray("SALES") << QString();
        QTest::newRow("outer blanks go") << "  Team  " << QByteArray("Team") << QString();
        QTest::newRow("empty") << "" << QByteArray("sales") << "needs a name";
        QTest::newRow("another group's name in other case")
            << "ALL" << QByteArray("sales") << "already a group named \"ALL\"";
        QTest::newRow("another group's name with blanks")
            << " all " << QByteArray("sales") << "already a group named \"all\"";
        QTest::newRow("equals sign") << "a=b" << QByteArray("sales") << "'='";
        QTest::newRow("longest a client reads") << QString(255, 'x') << QByteArray(255, 'x')
                                                << QString();
        QTest::newRow("too long for a client") << QString(256, 'x') << QByteArray("sales")
                                               << "at most 255 characters";
    }
    void renameGroup()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, name);
        QFETCH(QString, why);
        QSignalSpy refusals(m_pModel, &CGroupTreeModel::RenameRefused);
        const QModelIndex sales = Item("group:sales");
        QCOMPARE(m_pModel->setData(sales, text), why.isEmpty());
        QCOMPARE(m_pModel->GetGroup(sales)->GetName(), name);
        QCOMPARE(sales.data().toString(), QString::fromLatin1(name));
        QCOMPARE(refusals.count(), why.isEmpty() ? 0 : 1);
        if (!why.isEmpty())
            QVERIFY2(refusals.first().first().toString().contains(why),
                     qPrintable(refusals.first().first().toString()));
    }

    void renameEndedWithEscapeTakesTheEditBoxText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("name"); // the name afterwards
        QTest::newRow("a free name") << "Team" << QByteArray("Team");
        QTest::newRow("another group's name is still refused") << "all" << QByteArray("sales");
        QTest::newRow("no name is still refused") << "" << QByteArray("sales");
    }
    void renameEndedWithEscapeTakesTheEditBoxText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, name);
        QSignalSpy refusals(m_pModel, &CGroupTreeModel::RenameRefused);
        const QModelIndex sales = Item("group:sales");
        m_pTree->setCurrentIndex(sales);
        m_pTree->edit(sales);
        auto *pEdit = m_pTree->findChild<QLineEdit *>();
        QVERIFY(pEdit);
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QTest::keyClicks(pEdit, text);
        QTest::keyClick(pEdit, Qt::Key_Escape);
        QCOMPARE(m_pModel->GetGroup(sales)->GetName(), name);
        QCOMPARE(refusals.count(), name == text.toLatin1() ? 0 : 1);
        QTRY_VERIFY(!m_pTree->findChild<QLineEdit *>());
    }

    void linesJoinSiblingsAtTheRoot()
    {
        // Between two users of the roster, in the middle of the branch
        // column, a dotted line runs from the top of the row to its bottom.
        const QModelIndex bob = Item("user:Bob");
        const QRect row = m_pTree->visualRect(bob);
        const int nMidX = row.left() - m_pTree->indentation() / 2 - 1;
        const QImage image = m_pTree->viewport()->grab().toImage();
        const QColor base = m_pTree->palette().color(QPalette::Base);
        int nDrawn = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = nMidX - 1; x <= nMidX + 2; ++x)
                nDrawn += image.pixelColor(x, y) != base;
        QVERIFY2(nDrawn >= row.height() / 3, qPrintable(QString::number(nDrawn)));
    }
};

QTEST_MAIN(TestGroupTree)
#include "tst_grouptree.moc"
