#include "PropertiesTestShare.h"

#include "framework/ResourceIds.h"
#include "sheets/properties/CAdvancedWnd.h"
#include "sheets/properties/CGeneralWnd.h"
#include "sheets/properties/CPropertyIcons.h"
#include "sheets/properties/CUserPropertySheet.h"
#include "store/CGroup.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cerrno>

namespace {

const QByteArray kUsersIni =
    "[Users]\r\nalice=Alice Adams\r\nbob=Bob Brown\r\ncarol=Carol Clark\r\nerin=deleted\r\n"
    "sam=Sam Same\r\nfrank=Deleted\r\n\xe9lise=Zo\xe9 Fran\xe7ois\r\n"
    "[Logon]\r\nalice=1700000100\r\nbob=1700000100\r\ncarol=0\r\nerin=1700000100\r\n"
    "sam=1700000100\r\nfrank=1700000100\r\n\xe9lise=1700000100\r\n"
    "[Logoff]\r\nalice=1700000050\r\nbob=1700000200\r\ncarol=1700000200\r\nerin=1700000050\r\n"
    "sam=1700000100\r\n\xe9lise=1700000050\r\n"
    "[Infos]\r\nalice=21,340,20,300,x,English,0,2,3\r\nbob=10,5,0,0,x,French,1700000000,1,1\r\n"
    "\xe9lise=21,340,20,300,x,Fran\xe7" "ais,0,2,3\r\n"
    "[Groups]\r\nSales=alice,bob\r\n";

const QStringList kNoFile{"No", "0", "Yes", "0", "All is right."};

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
    QStringList Texts(const QList<const char *> &names) const
    {
        QStringList texts;
        for (const char *name : names) {
            if (auto *pLabel = Sheet()->findChild<QLabel *>(QLatin1String(name)))
                texts << pLabel->text();
            else
                texts << Sheet()->findChild<QPlainTextEdit *>(QLatin1String(name))->toPlainText();
        }
        return texts;
    }
    QString Text(const char *name) const { return Texts({name}).first(); }
    QStringList AdvancedTexts() const
    {
        return Texts({"userFileText", "notesText", "notesExistText", "notificationsText",
                      "moreInfoText"});
    }
    int ShownIcon() const { return Sheet()->GetGeneralPage()->GetShownIcon(); }
    int RightEdge(const char *name) const
    {
        const QWidget *pField = Sheet()->findChild<QLabel *>(QLatin1String(name));
        return pField->mapTo(Sheet(), QPoint(pField->width(), 0)).x();
    }
    void ClickTab(int nIndex)
    {
        QTabBar *pBar = Sheet()->findChild<QTabWidget *>()->tabBar();
        QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(nIndex).center());
    }
    void Properties() { QVERIFY(m_share->Execute(ID_VIEW_PROPERTIES)); }
    void Select(const char *login) { m_share->Select({m_share->User(login)}); }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<PropertiesTestShare>();
        m_share->Open(kUsersIni);
        m_share->View()->SetShowDeleted(true);
    }
    void cleanup() { m_share.reset(); }

    void commandTogglesTheSheetThatFollowsTheList()
    {
        Properties();
        QVERIFY(Sheet()->IsShown());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 1);
        QCOMPARE(Sheet()->windowTitle(), QString("Properties"));
        QVERIFY(!Sheet()->findChild<QWidget *>("IDOK")->isVisible());
        QVERIFY(Sheet()->testAttribute(Qt::WA_ShowWithoutActivating));
        // Nothing selected: nothing shown.
        QCOMPARE(Texts({"loginText", "fullNameText", "logonText", "logoffText", "previousText",
                        "currentText", "osText", "languageText", "installText"}),
                 QStringList(9, QString()));
        QCOMPARE(ShownIcon(), -1);
        // The connection fields end where the version fields do, with or
        // without an icon beside them.
        QCOMPARE(RightEdge("logonText"), RightEdge("currentText"));
        Properties();
        QVERIFY(!Sheet()->isVisible());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 0);
        // Hidden, it still follows the list.
        Select("carol");
        QCOMPARE(Text("loginText"), QString("carol"));
        m_share->Select({m_share->User("bob"), m_share->User("alice")});
        Properties();
        QVERIFY(Sheet()->IsShown());
        // The first selected row, not the current one.
        QCOMPARE(Text("loginText"), QString("alice"));
        QVERIFY(ShownIcon() >= 0);
        QCOMPARE(RightEdge("logonText"), RightEdge("currentText"));
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
            << QByteArray("carol") << int(CPropertyIcons::IconUnknown) << QStringList(4, "-");
        QTest::newRow("same second is logged off")
            << QByteArray("sam") << int(CPropertyIcons::IconDisconnected) << QStringList(4, "-");
        QTest::newRow("logoff never recorded")
            << QByteArray("frank") << int(CPropertyIcons::IconUnknown) << QStringList(4, "-");
        QTest::newRow("accented, as the clients write it")
            << QByteArray("\xe9lise") << int(CPropertyIcons::IconConnected)
            << QStringList{"2.0 (build 300)", "2.1 (build 340)", "Windows NT",
                           QString::fromUtf8("Français")};
        QTest::newRow("deleted, whatever the times")
            << QByteArray("erin") << int(CPropertyIcons::IconDeleted) << QStringList(4, "-");
    }
    void generalPageShowsTheUser()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, icon);
        QFETCH(QStringList, texts);
        Select("alice");
        Properties();
        Select(login);
        const CUser *pUser = m_share->User(login);
        QCOMPARE(Texts({"loginText", "fullNameText"}),
                 QStringList({QString::fromLatin1(login), QString::fromLatin1(pUser->GetFullName())}));
        // A recorded time begins with a blank; none at all is "-".
        QCOMPARE(Text("logonText").startsWith(' '), pUser->GetLogonTime() != 0);
        QCOMPARE(Texts({"previousText", "currentText", "osText", "languageText"}), texts);
        QCOMPARE(ShownIcon(), icon);
        const QList<QLabel *> icons =
            Sheet()->GetGeneralPage()->findChildren<QLabel *>(QRegularExpression("Icon$"));
        QCOMPARE(icons.size(), 4);
        QCOMPARE(std::count_if(icons.begin(), icons.end(), [](QLabel *p) { return !p->isHidden(); }),
                 1);
    }

    void groupRowLeavesTheUserShown()
    {
        Select("bob");
        Properties();
        CGroup *pGroup = m_share->Doc()->FindGroup("Sales");
        m_share->SelectRow(m_share->View()->FindRow(CRowObject::Group(pGroup)));
        Properties();
        Properties();
        QCOMPARE(Text("loginText"), QString("bob"));
        QCOMPARE(Sheet()->SetUser(CRowObject::Group(pGroup)), 0);
        QCOMPARE(Sheet()->SetUser(m_share->User("alice")), 2);
    }

    void advancedPageReports_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QStringList>("noteFiles");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("no user file") << QByteArray() << QStringList{} << kNoFile;
        QTest::newRow("two notes missing, in file order")
            << QByteArray("[Notes]\r\n3=a\r\n40=b\r\n12=c\r\n[Notifications]\r\nx=1\r\ny=2\r\n")
            << QStringList{"note40"}
            << QStringList{"Yes", "3", "No", "2",
                           "Some note files are missing :\nnote3 doesn't exist !\n"
                           "note12 doesn't exist !\n"};
        QTest::newRow("pending upgrade waits but is no missing note")
            << QByteArray("[Notes]\r\nnewver=now\r\n40=b\r\n") << QStringList{"note40"}
            << QStringList{"Yes", "2", "Yes", "0", "All is right."};
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
        Select("alice");
        Properties();
        // Never opened, so never filled; the first look fills it.
        QVERIFY(!Sheet()->GetAdvancedPage()->HasWindow());
        ClickTab(1);
        QCOMPARE(AdvancedTexts(), texts);
        // Another user replaces every text, a report included.
        Select("carol");
        QCOMPARE(AdvancedTexts(), kNoFile);
        ClickTab(0);
        QCOMPARE(Text("loginText"), QString("carol"));
    }

    void unreadableUserFileIsSaidSo()
    {
        m_share->Write("alice.ini", "[Notes]\r\n3=a\r\n");
        Select("alice");
        Properties();
        ClickTab(1);
        Profile::ClearCache();
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Read, 10, EIO);
        Sheet()->SetUser(m_share->User("alice"));
        const QStringList texts = AdvancedTexts();
        QCOMPARE(texts.mid(1, 3), QStringList(3, "-"));
        QVERIFY(texts.last().contains("could not be read"));
    }

    void closeBoxEndsTheWindowAndTheCommandMakesANewOne()
    {
        Select("alice");
        Properties();
        CUserPropertySheet *pSheet = Sheet();
        QVERIFY(pSheet->close());
        QVERIFY(!pSheet->HasWindow());
        QVERIFY(!pSheet->GetGeneralPage()->HasWindow());
        QCOMPARE(m_share->CheckOf(ID_VIEW_PROPERTIES), 0);
        Select("bob");
        QCOMPARE(pSheet->GetUser(), m_share->User("bob"));
        Properties();
        QCOMPARE(Sheet(), pSheet);
        QVERIFY(pSheet->IsShown());
        QCOMPARE(Text("loginText"), QString("bob"));
        QCOMPARE(ShownIcon(), int(CPropertyIcons::IconDisconnected));
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
