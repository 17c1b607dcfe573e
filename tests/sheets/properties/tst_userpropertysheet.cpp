#include "PropertiesTestShare.h"

#include "framework/ResourceIds.h"
#include "sheets/properties/CAdvancedWnd.h"
#include "sheets/properties/CGeneralWnd.h"
#include "sheets/properties/CPropertyIcons.h"
#include "sheets/properties/CUserPropertySheet.h"
#include "store/CGroup.h"

#include <algorithm>
#include <cerrno>

#include <QLabel>
#include <QPointer>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr qint64 kT = 1700000000;

const QByteArray kUsersIni =
    "[Users]\r\nalice=Alice Adams\r\nbob=Bob Brown\r\ncarol=Carol Clark\r\nerin=deleted\r\n"
    "sam=Sam Same\r\nfrank=Deleted\r\n"
    "[Logon]\r\nalice=1700000100\r\nbob=1700000100\r\ncarol=0\r\nerin=1700000100\r\n"
    "sam=1700000100\r\nfrank=1700000100\r\n"
    "[Logoff]\r\nalice=1700000050\r\nbob=1700000200\r\ncarol=1700000200\r\nerin=1700000050\r\n"
    "sam=1700000100\r\n"
    "[Infos]\r\nalice=21,340,20,300,x,English,0,2,3\r\nbob=10,5,0,0,x,French,1700000000,1,1\r\n"
    "[Groups]\r\nSales=alice,bob\r\n";

} // namespace

class TestUserPropertySheet : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PropertiesTestShare> m_share;

    CUserPropertySheet *Sheet() const
    {
        return qobject_cast<CUserPropertySheet *>(m_share->View()->GetPropertySheet());
    }
    QString Text(const char *name) const
    {
        if (auto *pLabel = Sheet()->findChild<QLabel *>(QLatin1String(name)))
            return pLabel->text();
        return Sheet()->findChild<QPlainTextEdit *>(QLatin1String(name))->toPlainText();
    }
    QStringList GeneralTexts() const
    {
        QStringList texts;
        for (const char *name : {"loginText", "fullNameText", "logonText", "logoffText",
                                 "previousText", "currentText", "osText", "languageText",
                                 "installText"})
            texts << Text(name);
        return texts;
    }
    QStringList AdvancedTexts() const
    {
        QStringList texts;
        for (const char *name : {"userFileText", "notesText", "notesExistText",
                                 "notificationsText", "moreInfoText"})
            texts << Text(name);
        return texts;
    }
    void ClickTab(int nIndex)
    {
        QTabBar *pBar = Sheet()->findChild<QTabWidget *>()->tabBar();
        QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(nIndex).center());
    }
    void Properties() { QVERIFY(m_share->Execute(ID_VIEW_PROPERTIES)); }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<PropertiesTestShare>();
        m_share->Open(kUsersIni);
    }
    void cleanup() { m_share.reset(); }

    void firstCommandWithoutSelectionShowsAnEmptySheet()
    {
        QVERIFY(!Sheet());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 0);
        Properties();
        QVERIFY(Sheet());
        QVERIFY(Sheet()->IsShown());
        QCOMPARE(Sheet()->windowTitle(), QString("Properties"));
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 1);
        QCOMPARE(GeneralTexts(), QStringList(9, QString()));
        QCOMPARE(Sheet()->GetGeneralPage()->GetShownIcon(), -1);
        // A display only: nothing to confirm or cancel.
        QVERIFY(!Sheet()->findChild<QWidget *>("IDOK")->isVisible());
        QVERIFY(Sheet()->testAttribute(Qt::WA_ShowWithoutActivating));
    }

    void commandTogglesAndShowsTheFirstSelectedUser()
    {
        m_share->Select({m_share->User("bob"), m_share->User("alice")});
        Properties();
        // Rows in list order: alice's row comes before bob's.
        QCOMPARE(Text("loginText"), QString("alice"));
        Properties();
        QVERIFY(!Sheet()->isVisible());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 0);
        // While hidden the sheet still follows the list.
        m_share->Select({m_share->User("carol")});
        QCOMPARE(Text("loginText"), QString("carol"));
        Properties();
        QVERIFY(Sheet()->IsShown());
        QCOMPARE(Text("loginText"), QString("carol"));
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 1);
    }

    void generalPageShowsTheUser_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("texts"); // versions, OS, language
        QTest::newRow("connected") << QByteArray("alice") << int(CPropertyIcons::IconConnected)
                                   << QStringList{"2.0 (build 300)", "2.1 (build 340)",
                                                  "Windows NT", "English"};
        QTest::newRow("logged off") << QByteArray("bob") << int(CPropertyIcons::IconDisconnected)
                                    << QStringList{"-", "1.0 (build 5)", "Windows 95", "French"};
        QTest::newRow("never logged on, whatever the logoff")
            << QByteArray("carol") << int(CPropertyIcons::IconUnknown)
            << QStringList{"-", "-", "-", "-"};
        QTest::newRow("same second is logged off")
            << QByteArray("sam") << int(CPropertyIcons::IconDisconnected)
            << QStringList{"-", "-", "-", "-"};
        QTest::newRow("logoff never recorded") << QByteArray("frank")
                                               << int(CPropertyIcons::IconUnknown)
                                               << QStringList{"-", "-", "-", "-"};
    }
    void generalPageShowsTheUser()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, icon);
        QFETCH(QStringList, texts);
        m_share->Select({m_share->User(login)});
        Properties();
        const CUser *pUser = m_share->User(login);
        QCOMPARE(Text("loginText"), QString::fromLatin1(login));
        QCOMPARE(Text("fullNameText"), QString::fromLatin1(pUser->GetFullName()));
        QCOMPARE(Text("logonText"), QString::fromLocal8Bit(pUser->GetColumnText(CUser::ColLogon)));
        // A recorded time begins with a blank; none at all is "-".
        QCOMPARE(Text("logonText").startsWith(' '), pUser->GetLogonTime() != 0);
        QCOMPARE(QStringList({Text("previousText"), Text("currentText"), Text("osText"),
                              Text("languageText")}),
                 texts);
        QCOMPARE(Sheet()->GetGeneralPage()->GetShownIcon(), icon);
        // At most one of the stacked icons is ever visible.
        const QList<QLabel *> icons =
            Sheet()->GetGeneralPage()->findChildren<QLabel *>(QRegularExpression("Icon$"));
        QCOMPARE(icons.size(), 4);
        QCOMPARE(std::count_if(icons.begin(), icons.end(), [](QLabel *p) { return !p->isHidden(); }),
                 1);
    }

    void deletedUserShowsOnlyTheEmptySocket()
    {
        m_share->View()->SetShowDeleted(true);
        m_share->Select({m_share->User("erin")});
        Properties();
        QCOMPARE(Text("fullNameText"), QString("deleted"));
        QCOMPARE(Sheet()->GetGeneralPage()->GetShownIcon(), int(CPropertyIcons::IconDeleted));
        // Switching to a connected user swaps the icon, not adds one.
        m_share->Select({m_share->User("alice")});
        QCOMPARE(Sheet()->GetGeneralPage()->GetShownIcon(), int(CPropertyIcons::IconConnected));
    }

    void groupRowLeavesTheUserShown()
    {
        m_share->Select({m_share->User("bob")});
        Properties();
        const int nGroupRow = m_share->View()->FindRow(
            CRowObject::Group(m_share->Doc()->FindGroup("Sales")));
        QVERIFY(nGroupRow >= 0);
        m_share->SelectRow(nGroupRow);
        Properties();
        Properties();
        QCOMPARE(Text("loginText"), QString("bob"));
        QCOMPARE(Sheet()->SetUser(CRowObject::Group(m_share->Doc()->FindGroup("Sales"))), 0);
        QCOMPARE(Sheet()->SetUser(m_share->User("alice")), 2);
    }

    void advancedPageReports_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QStringList>("noteFiles");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("no user file")
            << QByteArray() << QStringList{}
            << QStringList{"No", "0", "Yes", "0", "All is right."};
        QTest::newRow("two notes missing, in file order")
            << QByteArray("[Notes]\r\n3=a\r\n40=b\r\n12=c\r\n[Notifications]\r\nx=1\r\ny=2\r\n")
            << QStringList{"note40"}
            << QStringList{"Yes", "3", "No", "2",
                           "Some note files are missing :\nnote3 doesn't exist !\n"
                           "note12 doesn't exist !\n"};
        QTest::newRow("every note there")
            << QByteArray("[Notes]\r\n40=b\r\n") << QStringList{"note40"}
            << QStringList{"Yes", "1", "Yes", "0", "All is right."};
        QTest::newRow("pending upgrade waits but is no missing note")
            << QByteArray("[Notes]\r\nnewver=now\r\n") << QStringList{}
            << QStringList{"Yes", "1", "Yes", "0", "All is right."};
    }
    void advancedPageReports()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(QStringList, noteFiles);
        QFETCH(QStringList, texts);
        if (!userFile.isNull())
            m_share->Write("alice.ini", userFile);
        for (const QString &name : noteFiles)
            m_share->Write(name, "text");
        m_share->Select({m_share->User("alice")});
        Properties();
        // Never opened, so never filled; the first look fills it.
        QVERIFY(!Sheet()->GetAdvancedPage()->HasWindow());
        ClickTab(1);
        QCOMPARE(AdvancedTexts(), texts);
    }

    void switchingUserReplacesTheWholeReport()
    {
        m_share->Write("alice.ini", "[Notes]\r\n3=a\r\n[Notifications]\r\nx=1\r\n");
        m_share->Write("bob.ini", "[Groups]\r\n");
        m_share->Select({m_share->User("alice")});
        Properties();
        ClickTab(1);
        QCOMPARE(AdvancedTexts().last(), QString("Some note files are missing :\n"
                                                 "note3 doesn't exist !\n"));
        m_share->Select({m_share->User("bob")});
        QCOMPARE(AdvancedTexts(), QStringList({"Yes", "0", "Yes", "0", "All is right."}));
        // The General page, not on screen, follows too.
        ClickTab(0);
        QCOMPARE(Text("loginText"), QString("bob"));
    }

    void unreadableUserFileIsSaidSo()
    {
        m_share->Write("alice.ini", "[Notes]\r\n3=a\r\n");
        m_share->Select({m_share->User("alice")});
        Properties();
        ClickTab(1);
        Profile::ClearCache();
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 10, EIO);
        Sheet()->SetUser(m_share->User("alice"));
        const QStringList texts = AdvancedTexts();
        QCOMPARE(texts.mid(1, 3), QStringList({"-", "-", "-"}));
        QVERIFY(texts.last().contains("could not be read"));
    }

    void closeBoxEndsTheWindowAndTheCommandMakesANewOne()
    {
        m_share->Select({m_share->User("alice")});
        Properties();
        ClickTab(1);
        CUserPropertySheet *pSheet = Sheet();
        QVERIFY(pSheet->close());
        QVERIFY(!pSheet->HasWindow());
        QVERIFY(!pSheet->GetGeneralPage()->HasWindow());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 0);
        // Without a window the sheet still takes the selection.
        m_share->Select({m_share->User("bob")});
        QCOMPARE(pSheet->GetUser(), m_share->User("bob"));
        Properties();
        QCOMPARE(Sheet(), pSheet);
        QVERIFY(pSheet->IsShown());
        QCOMPARE(Text("notesText"), QString("0"));
        ClickTab(0);
        QCOMPARE(Text("loginText"), QString("bob"));
        QCOMPARE(Sheet()->GetGeneralPage()->GetShownIcon(), int(CPropertyIcons::IconDisconnected));
    }

    void sheetGoesWithTheView()
    {
        Properties();
        QPointer<CUserPropertySheet> pSheet = Sheet();
        m_share.reset();
        QVERIFY(!pSheet);
    }
};

QTEST_MAIN(TestUserPropertySheet)
#include "tst_userpropertysheet.moc"
