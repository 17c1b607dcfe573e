#include "GroupsTestShare.h"

#include "groups/CEditGroupsDlg.h"
#include "groups/CGroupTreeModel.h"
#include "groups/CGroupTreeView.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

const QByteArray kUsersIni = "[Users]\r\nanna=Anna Berg\r\nbob=Bob Stone\r\ncarl=Carl Dunn\r\n"
                             "dora=Dora Eck\r\nx:y=Odd Login\r\n"
                             "[Groups]\r\nsales=bob,carl\r\nall=anna,dora\r\n";
const QByteArray kAnnaIni = "[Parameters]\r\nRefreshRate=5\r\n[Groups]\r\nSales=dora\r\n";

QString Question(const QString &group)
{
    return QStringLiteral("A group with the name %1 already exist.\n"
                          "Do you want to rename the group to upload?").arg(group);
}

} // namespace

class TestEditGroupsDlg : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GroupsTestShare> m_pShare;

    // Opens the editor on screen, with a model tester watching its tree.
    struct Editor
    {
        Editor(CAdminDoc *pDoc, CEditGroupsDlg::EMode eMode, CUser *pUser = nullptr)
            : dlg(pDoc, eMode, pUser),
              tester(dlg.GetModel(), QAbstractItemModelTester::FailureReportingMode::QtTest)
        {
            dlg.show();
            dlg.GetTree()->expandAll();
        }
        CGroupTreeModel *Model() const { return dlg.GetModel(); }
        CGroupTreeView *Tree() const { return dlg.GetTree(); }
        QModelIndex Group(const QByteArray &name) const
        {
            return Model()->FindGroup(GroupNamed(Model()->GetGroups(), name));
        }
        // A drag through the tree's steps; without onto it ends outside the tree.
        bool Drag(const QModelIndex &from, const QModelIndex &onto = {})
        {
            if (!Tree()->BeginDrag(from))
                return false;
            const bool bDone = onto.isValid() ? Tree()->DropAt(Tree()->visualRect(onto).center())
                                              : Tree()->DropOutside();
            Tree()->EndDrag();
            return bDone;
        }
        CEditGroupsDlg dlg;
        QAbstractItemModelTester tester;
    };

private Q_SLOTS:
    void init()
    {
        m_pShare = std::make_unique<GroupsTestShare>(kUsersIni);
        QVERIFY(m_pShare->IsValid());
        m_pShare->Write("anna.ini", kAnnaIni);
    }
    void cleanup() { m_pShare.reset(); }

    void okSavesTheTreeAsTheSharedGroups()
    {
        UnexpectedModalGuard guard;
        CAdminDoc *pDoc = m_pShare->Doc();
        Editor editor(pDoc, CEditGroupsDlg::SharedGroups);
        QSignalSpy replacing(&editor.dlg, &CEditGroupsDlg::SharedGroupsAboutToBeReplaced);
        QVERIFY(editor.dlg.windowTitle().isEmpty());
        QSignalSpy changed(&editor.dlg, &CEditGroupsDlg::SharedGroupChanged);

        QVERIFY(editor.Drag(editor.Model()->FindRootUser(m_pShare->User("anna")),
                            editor.Group("sales")));
        QVERIFY(editor.Drag(editor.Group("all")));
        // A name another group has is refused, with a box that says why.
        const QModelIndex created = editor.dlg.OnNewGroup();
        const QString defaultName = created.data().toString();
        auto *pEdit = editor.Tree()->findChild<QLineEdit *>();
        QVERIFY(pEdit);
        pEdit->setText("SALES");
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(pEdit, Qt::Key_Return);
        QTRY_VERIFY(CAppMessageBox::GetLastText().contains("already a group named \"SALES\""));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Warning);
        QCOMPARE(created.data().toString(), defaultName);
        editor.Tree()->edit(created);
        pEdit = editor.Tree()->findChild<QLineEdit *>();
        QVERIFY(pEdit);
        pEdit->setText("Team");
        QTest::keyClick(pEdit, Qt::Key_Return);
        QTRY_COMPARE(created.data().toString(), QString("Team"));
        // Until OK the document and the file keep the old groups.
        QCOMPARE(Describe(pDoc->GetGroups()), Lines("sales=bob,carl|all=anna,dora"));

        editor.dlg.accept();
        QCOMPARE(editor.dlg.result(), int(QDialog::Accepted));
        QCOMPARE(m_pShare->GroupLines("Users.ini"), Lines("sales=bob,carl,anna|Team="));
        QCOMPARE(Describe(pDoc->GetGroups()), Lines("sales=bob,carl,anna|Team="));
        QCOMPARE(replacing.count(), 1);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).value<CGroup *>(), pDoc->GetGroups().at(0));
        QCOMPARE(changed.at(1).at(0).value<CGroup *>(), pDoc->GetGroups().at(1));
        QCOMPARE(guard.Closed(), 0);
    }

    void newGroupNumbersCountOnAcrossOpenings()
    {
        CAdminDoc *pDoc = m_pShare->Doc();
        int nFirst = 0;
        {
            Editor editor(pDoc, CEditGroupsDlg::SharedGroups);
            auto *pUpload = editor.dlg.findChild<QPushButton *>("uploadButton");
            QVERIFY(!pUpload->isEnabled());
            const QModelIndex index = editor.dlg.OnNewGroup();
            const QByteArray name = editor.Model()->GetGroup(index)->GetName();
            QVERIFY2(name.startsWith("New group #"), name.constData());
            nFirst = name.mid(11).toInt();
            QVERIFY(nFirst >= 1);
            QCOMPARE(index.row(), 0);
            QCOMPARE(editor.Tree()->currentIndex(), index);
            // Its label is open for editing.
            QVERIFY(editor.Tree()->indexWidget(index) || editor.Tree()->findChild<QLineEdit *>());
            QVERIFY(pUpload->isEnabled());
            editor.dlg.reject();
        }
        {
            Editor editor(pDoc, CEditGroupsDlg::UserGroups, m_pShare->User("anna"));
            const QModelIndex index = editor.dlg.OnNewGroup();
            QCOMPARE(editor.Model()->GetGroup(index)->GetName(),
                     "New group #" + QByteArray::number(nFirst + 1));
            editor.dlg.reject();
        }
        {
            // A name already in the tree, in any case, is passed over.
            Editor editor(pDoc, CEditGroupsDlg::SharedGroups);
            editor.Model()->AddGroup(
                std::make_unique<CGroup>("NEW GROUP #" + QByteArray::number(nFirst + 3)));
            editor.dlg.OnNewGroup();
            editor.dlg.OnNewGroup();
            QCOMPARE(Describe(editor.Model()->GetGroups()).mid(3),
                     QList<QByteArray>({"New group #" + QByteArray::number(nFirst + 2) + '=',
                                        "New group #" + QByteArray::number(nFirst + 4) + '='}));
            editor.dlg.reject();
        }
    }

    void uploadOnlyFromAGroup()
    {
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::SharedGroups);
        auto *pUpload = editor.dlg.findChild<QPushButton *>("uploadButton");
        const QModelIndex sales = editor.Group("sales");
        const QModelIndex items[] = {editor.Model()->FindRootUser(m_pShare->User("carl")),
                                     sales, editor.Model()->index(0, 0, sales), QModelIndex()};
        for (const QModelIndex &item : items) {
            editor.Tree()->setCurrentIndex(item);
            QCOMPARE(pUpload->isEnabled(), item == sales);
        }
        const QByteArray usersIni = m_pShare->Read("Users.ini");
        editor.dlg.OnUpload();
        QCOMPARE(m_pShare->Read("Users.ini"), usersIni);
    }

    void uploadOfAPersonalGroup_data()
    {
        QTest::addColumn<QByteArray>("personal");   // anna's group
        QTest::addColumn<QByteArray>("extraShared"); // more lines of Users.ini
        QTest::addColumn<int>("answer");             // 0: no question expected
        QTest::addColumn<QList<QByteArray>>("shared");

        QTest::newRow("free name: no question")
            << QByteArray("Team=dora") << QByteArray() << 0
            << Lines("sales=bob,carl|all=anna,dora|Team=dora");
        QTest::newRow("Yes uploads a copy under a new name")
            << QByteArray("Sales=dora") << QByteArray() << int(QMessageBox::Yes)
            << Lines("sales=bob,carl|all=anna,dora|Copy of Sales=dora");
        QTest::newRow("Yes numbers a copy name already taken")
            << QByteArray("Sales=dora") << QByteArray("copy of sales=anna\r\n")
            << int(QMessageBox::Yes)
            << Lines("sales=bob,carl|all=anna,dora|copy of sales=anna|Copy of Sales (2)=dora");
        QTest::newRow("No overwrites the shared group")
            << QByteArray("Sales=dora") << QByteArray() << int(QMessageBox::No)
            << Lines("Sales=dora|all=anna,dora");
        QTest::newRow("Cancel uploads nothing")
            << QByteArray("Sales=dora") << QByteArray() << int(QMessageBox::Cancel)
            << Lines("sales=bob,carl|all=anna,dora");
    }
    void uploadOfAPersonalGroup()
    {
        QFETCH(QByteArray, personal);
        QFETCH(QByteArray, extraShared);
        QFETCH(int, answer);
        QFETCH(QList<QByteArray>, shared);

        m_pShare = std::make_unique<GroupsTestShare>(kUsersIni + extraShared);
        QVERIFY(m_pShare->IsValid());
        m_pShare->Write("anna.ini", "[Groups]\r\n" + personal + "\r\n");
        const QByteArray usersIni = m_pShare->Read("Users.ini");
        UnexpectedModalGuard guard;
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::UserGroups, m_pShare->User("anna"));
        QSignalSpy changed(&editor.dlg, &CEditGroupsDlg::SharedGroupChanged);
        const QByteArray name = personal.left(personal.indexOf('='));
        editor.Tree()->setCurrentIndex(editor.Group(name));

        if (answer)
            CAppMessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));
        editor.dlg.OnUpload();
        QCOMPARE(guard.Closed(), 0);
        if (answer) {
            QCOMPARE(CAppMessageBox::GetLastText(), Question(QString::fromLatin1(name)));
            QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Warning);
        }
        QCOMPARE(Describe(m_pShare->Doc()->GetGroups()), shared);
        if (answer == QMessageBox::Cancel) {
            QCOMPARE(m_pShare->Read("Users.ini"), usersIni);
            QCOMPARE(changed.count(), 0);
        } else {
            QCOMPARE(m_pShare->GroupLines("Users.ini"), shared);
            QCOMPARE(changed.count(), 1);
            QVERIFY(m_pShare->Doc()->GetGroups().contains(changed.at(0).at(0).value<CGroup *>()));
        }
        // The personal group itself is not touched by an upload.
        QCOMPARE(Describe(editor.Model()->GetGroups()), QList<QByteArray>({personal}));
    }

    void copyUploadedInSharedModeSurvivesOk()
    {
        UnexpectedModalGuard guard;
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::SharedGroups);
        editor.Tree()->setCurrentIndex(editor.Group("sales"));
        CAppMessageBox::SetNextAnswer(QMessageBox::Yes);
        editor.dlg.OnUpload();
        QCOMPARE(editor.Model()->index(0, 0).data().toString(), QString("Copy of sales"));
        editor.dlg.accept();
        QCOMPARE(m_pShare->GroupLines("Users.ini"),
                 Lines("sales=bob,carl|all=anna,dora|Copy of sales=bob,carl"));
        QCOMPARE(guard.Closed(), 0);
    }

    void okInUserModeWritesTheUserFile()
    {
        UnexpectedModalGuard guard;
        CUser *pAnna = m_pShare->User("anna");
        const QByteArray usersIni = m_pShare->Read("Users.ini");
        // ghost, whom the roster does not know, stays in the file.
        m_pShare->Write("anna.ini", QByteArray(kAnnaIni).replace("dora", "dora,ghost"));
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::UserGroups, pAnna);
        QSignalSpy replacing(&editor.dlg, &CEditGroupsDlg::SharedGroupsAboutToBeReplaced);
        QVERIFY(editor.dlg.windowTitle().isEmpty());
        QCOMPARE(Describe(editor.Model()->GetGroups()), Lines("Sales=dora,ghost"));
        QVERIFY(editor.Drag(editor.Model()->FindRootUser(m_pShare->User("bob")),
                            editor.Group("Sales")));
        editor.dlg.accept();
        QCOMPARE(editor.dlg.result(), int(QDialog::Accepted));
        QCOMPARE(m_pShare->Read("anna.ini"),
                 QByteArray("[Parameters]\r\nRefreshRate=5\r\n[Groups]\r\nSales=dora,bob,ghost\r\n"));
        QCOMPARE(Describe(pAnna->GetGroups()), Lines("Sales=dora,bob,ghost"));
        QCOMPARE(m_pShare->Read("Users.ini"), usersIni);
        QCOMPARE(replacing.count(), 0);
        QCOMPARE(guard.Closed(), 0);
    }

    void failedSaveIsToldAndTheDialogStays_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::newRow("shared directory gone") << true;
        QTest::newRow("login that cannot name a file") << false;
    }
    void failedSaveIsToldAndTheDialogStays()
    {
        QFETCH(bool, shared);
        UnexpectedModalGuard guard;
        CAdminDoc *pDoc = m_pShare->Doc();
        CUser *pOdd = m_pShare->User("x:y");
        QVERIFY(pOdd);
        Editor editor(pDoc, shared ? CEditGroupsDlg::SharedGroups : CEditGroupsDlg::UserGroups,
                      pOdd);
        editor.dlg.OnNewGroup();
        const QString gone = m_pShare->Dir() + "-gone";
        if (shared)
            QVERIFY(QDir().rename(m_pShare->Dir(), gone));
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        editor.dlg.accept();
        if (shared)
            QVERIFY(QDir().rename(gone, m_pShare->Dir()));
        QVERIFY(editor.dlg.isVisible());
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
        QVERIFY(!CAppMessageBox::GetLastText().isEmpty());
        // What was held before stays held; the edits stay in the dialog.
        QCOMPARE(Describe(pDoc->GetGroups()), Lines("sales=bob,carl|all=anna,dora"));
        QVERIFY(pOdd->GetGroups().isEmpty());
        QCOMPARE(editor.Model()->GetGroups().size(), shared ? 3 : 1);
        QCOMPARE(guard.Closed(), 0);
    }

};

QTEST_MAIN(TestEditGroupsDlg)
#include "tst_editgroupsdlg.moc"
