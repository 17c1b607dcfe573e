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

    void failedUploadLeavesWhatTheFileHolds_data()
    {
        QTest::addColumn<QByteArray>("personal");
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<int>("mode");
        QTest::newRow("free name") << QByteArray("team=anna,bob") << 0
                                   << int(CEditGroupsDlg::UserGroups);
        QTest::newRow("Yes: a copy") << QByteArray("Sales=dora") << int(QMessageBox::Yes)
                                     << int(CEditGroupsDlg::UserGroups);
        QTest::newRow("No: overwrite") << QByteArray("Sales=dora") << int(QMessageBox::No)
                                       << int(CEditGroupsDlg::UserGroups);
        QTest::newRow("Yes in shared mode") << QByteArray("Sales=dora") << int(QMessageBox::Yes)
                                            << int(CEditGroupsDlg::SharedGroups);
    }
    void failedUploadLeavesWhatTheFileHolds()
    {
        QFETCH(QByteArray, personal);
        QFETCH(int, answer);
        QFETCH(int, mode);
        m_pShare->Write("anna.ini", "[Groups]\r\n" + personal + "\r\n");
        const QByteArray usersIni = m_pShare->Read("Users.ini");
        const QList<QByteArray> before = Describe(m_pShare->Doc()->GetGroups());
        UnexpectedModalGuard guard;
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::EMode(mode), m_pShare->User("anna"));
        const QList<QByteArray> tree = Describe(editor.Model()->GetGroups());
        const QByteArray name = mode == CEditGroupsDlg::SharedGroups
                                    ? QByteArray("sales")
                                    : personal.left(personal.indexOf('='));
        editor.Tree()->setCurrentIndex(editor.Group(name));

        const QString gone = m_pShare->Dir() + "-gone";
        QVERIFY(QDir().rename(m_pShare->Dir(), gone));
        int nErrorsClosed = 0;
        if (answer) {
            // The question takes the preset answer; the error that follows
            // is shown, and closed from its own loop.
            CAppMessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));
            QTimer::singleShot(0, [&nErrorsClosed] {
                if (QWidget *pBox = QApplication::activeModalWidget()) {
                    ++nErrorsClosed;
                    pBox->close();
                }
            });
        } else {
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            nErrorsClosed = 1;
        }
        editor.dlg.OnUpload();
        QCOMPARE(nErrorsClosed, 1);
        QVERIFY(QDir().rename(gone, m_pShare->Dir()));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
        QCOMPARE(Describe(m_pShare->Doc()->GetGroups()), before);
        QCOMPARE(Describe(editor.Model()->GetGroups()), tree);

        // Nothing of the failed upload comes with the next save.
        editor.dlg.reject();
        QVERIFY(m_pShare->Doc()->SaveGroups());
        QCOMPARE(m_pShare->Read("Users.ini"), usersIni);
        QCOMPARE(guard.Closed(), 0);
    }

    void dragLetGoOutsideTheDialog_data()
    {
        QTest::addColumn<QByteArray>("dragged"); // "group", "group/member" or a root user
        QTest::addColumn<int>("where");          // 0 far away, 1 over the tree
        QTest::addColumn<bool>("buttonDown");    // the drag was cancelled
        QTest::addColumn<bool>("dialogTookIt");  // the dialog had the drop first
        QTest::addColumn<QList<QByteArray>>("tree");
        // sales holds bob twice, so that a removal done twice would show.
        const QList<QByteArray> unchanged = Lines("sales=bob,carl,bob|all=anna,dora");
        const QList<QByteArray> oneBobLess = Lines("sales=bob,carl|all=anna,dora");
        QTest::newRow("member onto the desktop") << QByteArray("sales/bob") << 0 << false << false
                                                 << oneBobLess;
        QTest::newRow("group onto another window") << QByteArray("all") << 0 << false << false
                                                   << Lines("sales=bob,carl,bob");
        QTest::newRow("root user stays") << QByteArray("anna") << 0 << false << false << unchanged;
        QTest::newRow("cancelled with the button down")
            << QByteArray("sales/bob") << 0 << true << false << unchanged;
        QTest::newRow("let go over the tree") << QByteArray("sales/bob") << 1 << false << false
                                              << unchanged;
        QTest::newRow("the dialog took it: once only")
            << QByteArray("sales/bob") << 0 << false << true << oneBobLess;
    }
    void dragLetGoOutsideTheDialog()
    {
        QFETCH(QByteArray, dragged);
        QFETCH(int, where);
        QFETCH(bool, buttonDown);
        QFETCH(bool, dialogTookIt);
        QFETCH(QList<QByteArray>, tree);
        m_pShare = std::make_unique<GroupsTestShare>(
            QByteArray(kUsersIni).replace("sales=bob,carl", "sales=bob,carl,bob"));
        QVERIFY(m_pShare->IsValid());
        UnexpectedModalGuard guard;
        Editor editor(m_pShare->Doc(), CEditGroupsDlg::SharedGroups);
        QModelIndex index;
        if (dragged.contains('/')) {
            const QList<QByteArray> parts = dragged.split('/');
            CGroup *pGroup = GroupNamed(editor.Model()->GetGroups(), parts.at(0));
            index = editor.Model()->FindMember(pGroup, m_pShare->User(parts.at(1)));
        } else if (GroupNamed(editor.Model()->GetGroups(), dragged)) {
            index = editor.Group(dragged);
        } else {
            index = editor.Model()->FindRootUser(m_pShare->User(dragged));
        }
        QVERIFY(index.isValid());
        QSignalSpy refused(editor.Tree(), &CGroupTreeView::RemovalRefused);
        const QPoint outside = editor.dlg.mapToGlobal(QPoint(-500, -500));
        const QPoint overTree = editor.Tree()->mapToGlobal(editor.Tree()->rect().center());

        QVERIFY(editor.Tree()->BeginDrag(index));
        if (dialogTookIt)
            editor.Tree()->DropOutside();
        editor.Tree()->FinishDrag(where ? overTree : outside,
                                  buttonDown ? Qt::LeftButton : Qt::NoButton);
        editor.Tree()->EndDrag();
        QCOMPARE(Describe(editor.Model()->GetGroups()), tree);
        QCOMPARE(refused.count(), dragged == "anna" ? 1 : 0);
        QCOMPARE(guard.Closed(), 0);
    }

    void okOverGroupsReadMeanwhileIsRefused()
    {
        // The share's Users.ini is away when the editor opens, and back
        // before OK: the tree was built without the file's groups.
        QTemporaryDir dir;
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(dir.path()));
        UnexpectedModalGuard guard;
        Editor editor(&doc, CEditGroupsDlg::SharedGroups);
        editor.dlg.OnNewGroup();
        const QByteArray file = "[Users]\r\nanna=Anna\r\n[Groups]\r\nSales=anna\r\nBoard=anna\r\n";
        QFile users(dir.filePath("Users.ini"));
        QVERIFY(users.open(QIODevice::WriteOnly));
        users.write(file);
        users.close();
        doc.LoadRoster();
        doc.WaitForStatusReaders();
        QCOMPARE(Describe(doc.GetGroups()), Lines("Sales=anna|Board=anna"));

        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        editor.dlg.accept();
        QVERIFY(editor.dlg.isVisible());
        QVERIFY(CAppMessageBox::GetLastText().contains("read again"));
        QCOMPARE(Describe(doc.GetGroups()), Lines("Sales=anna|Board=anna"));
        QFile check(dir.filePath("Users.ini"));
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), file);
        QCOMPARE(guard.Closed(), 0);
    }
};

QTEST_MAIN(TestEditGroupsDlg)
#include "tst_editgroupsdlg.moc"
