#include "GroupsTestShare.h"

#include "framework/CCheckListBox.h"
#include "groups/CApplyGroupsDlg.h"
#include "platform/FileSystem.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"

#include <QPushButton>

namespace {

const QByteArray kUsersIni = "[Users]\r\nanna=Anna Berg\r\nbob=Bob Stone\r\ncarl=Carl Dunn\r\n"
                             "dora=Dora Eck\r\nx:y=Odd Login\r\n"
                             "[Groups]\r\nteam=anna,bob\r\nsales=carl\r\n";

QString Question(const QString &user, const QString &group)
{
    return QStringLiteral("The user %1 already defines a group with the name %2.\n"
                          "Do you want to rename the group to apply?").arg(user, group);
}

} // namespace

class TestApplyGroupsDlg : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GroupsTestShare> m_pShare;
    QList<CUser *> m_selection;

    void Select(const QStringList &logins)
    {
        m_selection.clear();
        for (const QString &login : logins)
            m_selection.append(m_pShare->User(login.toLatin1()));
    }
    std::unique_ptr<CApplyGroupsDlg> MakeDlg()
    {
        return std::make_unique<CApplyGroupsDlg>(m_pShare->Doc(), [this] { return m_selection; });
    }
    static QStringList Entries(const CApplyGroupsDlg &dlg)
    {
        QStringList entries;
        CCheckListBox *pList = dlg.GetGroupList();
        for (int i = 0; i < pList->GetCount(); ++i)
            entries << QStringLiteral("%1:%2").arg(pList->GetText(i)).arg(pList->GetCheck(i));
        return entries;
    }
    static void SetCheck(CApplyGroupsDlg &dlg, const QByteArray &name, int nCheck)
    {
        const int nEntry = dlg.FindEntry(name);
        QVERIFY2(nEntry >= 0, name.constData());
        QVERIFY(dlg.GetGroupList()->SetCheck(nEntry, nCheck));
    }

private Q_SLOTS:
    void init()
    {
        m_pShare = std::make_unique<GroupsTestShare>(kUsersIni);
        QVERIFY(m_pShare->IsValid());
        m_pShare->Write("anna.ini", "[Groups]\r\nteam=carl\r\n");
        m_pShare->Write("carl.ini", "[Groups]\r\nsales=dora\r\nteam=anna\r\n");
        m_pShare->Write("dora.ini", "[Groups]\r\nSALES=anna\r\n");
        m_selection.clear();
    }
    void cleanup() { m_pShare.reset(); }

    void checksShowWhoHasEachGroup_data()
    {
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("nobody selected") << QStringList() << QStringList({"sales:0", "team:0"});
        QTest::newRow("one user who has team")
            << QStringList({"anna"}) << QStringList({"sales:0", "team:1"});
        QTest::newRow("two users who differ") << QStringList({"anna", "bob"})
                                              << QStringList({"sales:0", "team:2"});
        QTest::newRow("one user with both") << QStringList({"carl"})
                                            << QStringList({"sales:1", "team:1"});
        QTest::newRow("mixed and checked together") << QStringList({"anna", "carl"})
                                                    << QStringList({"sales:2", "team:1"});
        QTest::newRow("a name in other case is the same group")
            << QStringList({"dora"}) << QStringList({"sales:1", "team:0"});
    }
    void checksShowWhoHasEachGroup()
    {
        QFETCH(QStringList, selection);
        QFETCH(QStringList, entries);
        Select(selection);
        const auto pDlg = MakeDlg();
        QCOMPARE(Entries(*pDlg), entries);
        QCOMPARE(pDlg->windowTitle(), QString("Apply Groups"));
        QVERIFY(!pDlg->isVisible());
    }

    void followsTheSelectionWhileShown()
    {
        UnexpectedModalGuard guard;
        Select({"anna"});
        const auto pDlg = MakeDlg();
        pDlg->ShowOrHide();
        QVERIFY(pDlg->isVisible());
        QCOMPARE(Entries(*pDlg), QStringList({"sales:0", "team:1"}));

        Select({"bob"});
        pDlg->OnSelectionChanged();
        QTRY_COMPARE(Entries(*pDlg), QStringList({"sales:0", "team:0"}));

        // The files are read again: a client may have changed its groups.
        m_pShare->Write("anna.ini", "[Groups]\r\nsales=bob\r\n");
        Select({"anna"});
        pDlg->OnSelectionChanged();
        QTRY_COMPARE(Entries(*pDlg), QStringList({"sales:1", "team:0"}));

        // Hidden, it reads nothing until shown again.
        pDlg->ShowOrHide();
        QVERIFY(!pDlg->isVisible());
        Select({"carl"});
        const quint64 nOperations = FileSystem::OperationCount();
        pDlg->OnSelectionChanged();
        QTest::qWait(20);
        QCOMPARE(FileSystem::OperationCount(), nOperations);
        QCOMPARE(Entries(*pDlg), QStringList({"sales:1", "team:0"}));
        pDlg->ShowOrHide();
        QCOMPARE(Entries(*pDlg), QStringList({"sales:1", "team:1"}));
        QCOMPARE(guard.Closed(), 0);
    }

    void withNobodySelectedNothingChanges()
    {
        Select({"anna"});
        const auto pDlg = MakeDlg();
        Select({});
        pDlg->Refresh(false);
        QCOMPARE(Entries(*pDlg), QStringList({"sales:0", "team:1"}));
        const QByteArray anna = m_pShare->Read("anna.ini");
        pDlg->OnApply();
        QCOMPARE(m_pShare->Read("anna.ini"), anna);
        QVERIFY(!QFile::exists(m_pShare->Path("bob.ini")));
    }

    void applyAsksAboutAGroupTheUserHas_data()
    {
        QTest::addColumn<QByteArray>("annaIni");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<QByteArray>>("groups");
        const QByteArray plain = "[Groups]\r\nteam=carl\r\n";
        QTest::newRow("Yes adds a copy under a new name")
            << plain << int(QMessageBox::Yes) << Lines("team=carl|Copy of team=anna,bob");
        QTest::newRow("Yes numbers a copy name already taken")
            << QByteArray("[Groups]\r\nteam=carl\r\ncopy of TEAM=dora\r\n") << int(QMessageBox::Yes)
            << Lines("team=carl|copy of TEAM=dora|Copy of team (2)=anna,bob");
        QTest::newRow("No overwrites the user's group")
            << plain << int(QMessageBox::No) << Lines("team=anna,bob");
        QTest::newRow("Cancel leaves it") << plain << int(QMessageBox::Cancel) << Lines("team=carl");
    }
    void applyAsksAboutAGroupTheUserHas()
    {
        QFETCH(QByteArray, annaIni);
        QFETCH(int, answer);
        QFETCH(QList<QByteArray>, groups);
        UnexpectedModalGuard guard;
        m_pShare->Write("anna.ini", annaIni);
        Select({"anna"});
        const auto pDlg = MakeDlg();
        QCOMPARE(Entries(*pDlg), QStringList({"sales:0", "team:1"}));
        CAppMessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));
        pDlg->OnApply();
        QCOMPARE(guard.Closed(), 0);
        QCOMPARE(CAppMessageBox::GetLastText(), Question("Anna Berg", "team"));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Warning);
        QCOMPARE(m_pShare->GroupLines("anna.ini"), groups);
        QCOMPARE(Describe(m_pShare->User("anna")->GetGroups()), groups);
        // The shared group is copied, never moved.
        QCOMPARE(Describe(m_pShare->Doc()->GetGroups()), Lines("team=anna,bob|sales=carl"));
    }

    void cancelSkipsOneGroupForOneUser()
    {
        UnexpectedModalGuard guard;
        Select({"anna", "bob"});
        const auto pDlg = MakeDlg();
        // Mixed and unchecked entries are passed over: no question, no group.
        QCOMPARE(Entries(*pDlg), QStringList({"sales:0", "team:2"}));
        pDlg->OnApply();
        QVERIFY(m_pShare->GroupLines("bob.ini").isEmpty());
        SetCheck(*pDlg, "team", CApplyGroupsDlg::Checked);
        SetCheck(*pDlg, "sales", CApplyGroupsDlg::Checked);
        CAppMessageBox::SetNextAnswer(QMessageBox::Cancel);
        pDlg->OnApply();
        QCOMPARE(guard.Closed(), 0);
        QCOMPARE(m_pShare->GroupLines("anna.ini"), Lines("team=carl|sales=carl"));
        QCOMPARE(m_pShare->GroupLines("bob.ini"), Lines("sales=carl|team=anna,bob"));
    }

    void nameInOtherCaseIsAskedAbout()
    {
        UnexpectedModalGuard guard;
        Select({"dora"});
        const auto pDlg = MakeDlg();
        CAppMessageBox::SetNextAnswer(QMessageBox::No);
        pDlg->OnApply();
        QCOMPARE(CAppMessageBox::GetLastText(), Question("Dora Eck", "SALES"));
        QCOMPARE(m_pShare->GroupLines("dora.ini"), Lines("sales=carl"));
        QCOMPARE(guard.Closed(), 0);
    }

    void groupsReplacedByTheEditorAreFoundByName()
    {
        UnexpectedModalGuard guard;
        Select({"bob"});
        const auto pDlg = MakeDlg();
        SetCheck(*pDlg, "team", CApplyGroupsDlg::Checked);
        SetCheck(*pDlg, "sales", CApplyGroupsDlg::Checked);
        // What the group editor's OK does to the shared groups.
        CAdminDoc *pDoc = m_pShare->Doc();
        pDoc->DeleteAllGroups();
        std::vector<std::unique_ptr<CGroup>> groups;
        groups.push_back(std::make_unique<CGroup>("team"));
        groups.back()->append(m_pShare->User("dora"));
        groups.push_back(std::make_unique<CGroup>("club"));
        pDoc->AddGroups(std::move(groups));

        pDlg->OnApply();
        QCOMPARE(m_pShare->GroupLines("bob.ini"), Lines("team=dora"));
        pDlg->Refresh(false);
        QCOMPARE(Entries(*pDlg), QStringList({"club:0", "team:1"}));
        QCOMPARE(guard.Closed(), 0);
    }

    void applyKeepsMembersTheListDoesNotKnowYet()
    {
        UnexpectedModalGuard guard;
        Select({"anna"});
        const auto pDlg = MakeDlg();
        // Since the checks were shown, anna's client rewrote her groups, and
        // newcomer's entry landed in Users.ini; ghost has none at all.
        m_pShare->Write("anna.ini", "[Groups]\r\nfriends=newcomer,bob,ghost\r\n");
        QByteArray usersIni = kUsersIni;
        m_pShare->Write("Users.ini", usersIni.replace("dora=", "newcomer=New\r\ndora="));
        SetCheck(*pDlg, "sales", CApplyGroupsDlg::Checked);
        SetCheck(*pDlg, "team", CApplyGroupsDlg::Unchecked);
        pDlg->OnApply();
        QCOMPARE(guard.Closed(), 0);
        QVERIFY(m_pShare->User("newcomer"));
        QCOMPARE(m_pShare->GroupLines("anna.ini"), Lines("friends=newcomer,bob,ghost|sales=carl"));
        // newcomer is a member now; ghost is only kept for the file.
        const CGroup *pFriends = m_pShare->User("anna")->FindGroup("friends");
        QCOMPARE(pFriends->size(), 2);
        QCOMPARE(pFriends->GetKeptLogins(), QList<QByteArray>({"ghost"}));
    }

    void failedSaveIsToldAndOthersAreSaved()
    {
        UnexpectedModalGuard guard;
        Select({"x:y", "bob"});
        const auto pDlg = MakeDlg();
        SetCheck(*pDlg, "team", CApplyGroupsDlg::Checked);
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        pDlg->OnApply();
        QCOMPARE(guard.Closed(), 0);
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
        QVERIFY2(CAppMessageBox::GetLastText().contains("\"x:y\""),
                 qPrintable(CAppMessageBox::GetLastText()));
        QCOMPARE(m_pShare->GroupLines("bob.ini"), Lines("team=anna,bob"));
    }

    void cancelHidesAndTheCommandToggles()
    {
        const auto pDlg = MakeDlg();
        pDlg->ShowOrHide();
        QVERIFY(pDlg->isVisible());
        pDlg->findChild<QPushButton *>("cancelButton")->click();
        QVERIFY(!pDlg->isVisible());
        pDlg->ShowOrHide();
        QVERIFY(pDlg->isVisible());
    }
};

QTEST_MAIN(TestApplyGroupsDlg)
#include "tst_applygroupsdlg.moc"
