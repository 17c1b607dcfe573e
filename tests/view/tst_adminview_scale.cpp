#include "ViewTestShare.h"

#include "store/CAdminDoc.h"
#include "store/CUser.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CUserListModel.h"

#include <QSignalSpy>
#include <QTest>

// The list at its full size: 100,000 users. Counts what a refresh announces,
// not how long it takes (that is the benchmark's business).
class TestCAdminViewScale : public QObject
{
    Q_OBJECT

private:
    static constexpr int kUsers = 100000;
    static constexpr qint64 kNow = 1750000000;

    static QList<TestUser> Users()
    {
        QList<TestUser> users;
        users.reserve(kUsers);
        for (int i = 0; i < kUsers; ++i)
            users.append({"user" + QByteArray::number(i), "User " + QByteArray::number(i),
                          kNow - 1000 - i, kNow - 2000, "21,340,20,300,0,English,1700000000,2,3"});
        return users;
    }

private Q_SLOTS:
    void refreshAnnouncesOnlyWhatChanged()
    {
        ViewTestShare share;
        QList<TestUser> users = Users();
        share.Write(users);
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        QCoreApplication::processEvents();
        CAdminView view(&doc);
        view.SetClock([] { return kNow; });
        CColumnArray::Shared().LoadFromRegistry(nullptr);
        view.InsertColumns();
        view.FillList(false);
        QCOMPARE(view.GetRowCount(), kUsers);

        QSignalSpy data(view.GetModel(), &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(view.GetModel(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(view.GetModel(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy layout(view.GetModel(), &QAbstractItemModel::layoutChanged);
        QSignalSpy reset(view.GetModel(), &QAbstractItemModel::modelReset);
        view.FillList(false);
        view.FillList(false);
        QCOMPARE(data.count() + inserted.count() + removed.count() + layout.count()
                     + reset.count(),
                 0);

        // Three users log off; Users.ini is rewritten as a whole.
        const QList<int> changed = {7, 50000, 99999};
        for (int i : changed)
            users[i].logoff = kNow - 10;
        share.Write(users);
        view.FillList(false);
        doc.WaitForStatusReaders();
        QCoreApplication::processEvents();
        QSet<int> rows;
        for (const QList<QVariant> &args : std::as_const(data)) {
            const auto topLeft = args[0].value<QModelIndex>();
            const auto bottomRight = args[1].value<QModelIndex>();
            QCOMPARE(topLeft.row(), bottomRight.row());
            rows.insert(topLeft.row());
        }
        QCOMPARE(rows, QSet<int>(changed.cbegin(), changed.cend()));
        // Image (first cell), Logoff and Connected: three runs per row at most.
        QVERIFY(data.count() <= 3 * changed.size());
        QCOMPARE(inserted.count() + removed.count() + layout.count() + reset.count(), 0);
        QCOMPARE(view.GetModel()->GetRowImage(50000), int(CUserListModel::ImgNotConnected));
    }
};

QTEST_MAIN(TestCAdminViewScale)
#include "tst_adminview_scale.moc"
