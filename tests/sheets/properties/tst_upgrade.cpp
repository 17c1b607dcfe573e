#include "PropertiesTestShare.h"

#include "framework/CPropertySheet.h"
#include "framework/ResourceIds.h"
#include "sheets/properties/CUpgradeCommand.h"
#include "sheets/properties/CUpgradeWnd.h"
#include "store/CGroup.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/GlobalVarsForDll.h"
#include "view/CUserListModel.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QByteArray kUsersIni =
    "[Users]\r\nalice=Alice Adams\r\nbob=Bob Brown\r\ncarol=Carol Clark\r\ndave=Dave Dunn\r\n"
    "erin=Erin Eames\r\nbad:name=Bad Name\r\n"
    "[Logon]\r\nalice=1700000100\r\nbob=1700000100\r\n"
    "[Logoff]\r\nalice=1700000050\r\nbob=1700000200\r\n"
    "[Infos]\r\nalice=21,340,20,300,x,English,0,2,3\r\nbob=21,340,20,300,x,English,0,2,3\r\n"
    "[Groups]\r\nSales=alice,bob,carol\r\n";

} // namespace

class TestUpgrade : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PropertiesTestShare> m_share;

    using Act = std::function<void(CPropertySheet *, CUpgradeWnd *)>;
    void Upgrade(const Act &pAct)
    {
        WhenModal([pAct](QWidget *pModal) {
            auto *pSheet = qobject_cast<CPropertySheet *>(pModal);
            QVERIFY(pSheet);
            auto *pPage = pSheet->findChild<CUpgradeWnd *>();
            QVERIFY(pPage && pPage->HasWindow());
            pAct(pSheet, pPage);
        });
        QVERIFY(m_share->Execute(ID_ACTIONS_UPGRADE));
    }
    static void Click(QWidget *pParent, const char *name)
    {
        pParent->findChild<QAbstractButton *>(QLatin1String(name))->click();
    }
    static QLineEdit *Edit(CUpgradeWnd *pPage) { return pPage->findChild<QLineEdit *>("directoryEdit"); }
    QByteArray Request(const char *login) const
    {
        return Profile::GetString(m_share->FilePath(QString::fromLatin1(login) + ".ini"), "Notes",
                                  "newver", "<none>");
    }
    int Image(const char *login) const
    {
        return m_share->View()->GetModel()->GetRowImage(
            m_share->View()->FindRow(CRowObject::User(m_share->User(login))));
    }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<PropertiesTestShare>();
        m_share->Open(kUsersIni);
        GlobalVarsForDll::ClearPathAnswers();
    }
    void cleanup()
    {
        GlobalVarsForDll::ClearPathAnswers();
        m_share.reset();
    }

    void okAtOnceAsksForAnUpgradeAtRestart()
    {
        m_share->Write("alice.ini", "[Notes]\r\n12=x\r\n");
        m_share->Select({m_share->User("alice"), m_share->User("bob")});
        QCOMPARE(Image("alice"), int(CUserListModel::ImgConnected));
        Upgrade([](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            QVERIFY(pSheet->windowTitle().isEmpty());
            QCOMPARE(pPage->windowTitle(), QString("Upgrade"));
            QVERIFY(pPage->findChild<QRadioButton *>("restartRadio")->isChecked());
            QVERIFY(!pPage->findChild<QRadioButton *>("nowRadio")->isChecked());
            QVERIFY(Edit(pPage)->text().isEmpty());
            Click(pSheet, "IDOK");
        });
        QCOMPARE(Request("alice"), QByteArray("at-restart"));
        QCOMPARE(Request("bob"), QByteArray("at-restart"));
        QCOMPARE(Request("carol"), QByteArray("<none>"));
        // The request waits with the notes; the list shows who waits for it.
        QCOMPARE(m_share->Read("alice.ini"), QByteArray("[Notes]\r\n12=x\r\nnewver=at-restart\r\n"));
        QCOMPARE(Image("alice"), int(CUserListModel::ImgUpgradePending));
        QCOMPARE(Image("bob"), int(CUserListModel::ImgUpgradePending));
        QCOMPARE(Image("carol"), int(CUserListModel::ImgNeverLoggedOn));
    }

    void requestCarriesModeAndDirectory_data()
    {
        QTest::addColumn<bool>("now");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("picked"); // a path, or invalid for a cancelled picker
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("immediately, picked") << true << QString() << QVariant("/srv/corvane new")
                                             << QByteArray("now,/srv/corvane new");
        QTest::newRow("typed") << false << QString("\\\\server\\share") << QVariant()
                               << QByteArray("at-restart,\\\\server\\share");
        QTest::newRow("picked replaces typed") << false << QString("/old") << QVariant("/new")
                                               << QByteArray("at-restart,/new");
        QTest::newRow("cancelled picker keeps typed")
            << true << QString("/kept") << QVariant(QString()) << QByteArray("now,/kept");
        QTest::newRow("blanks around kept") << true << QString(" /x ") << QVariant()
                                            << QByteArray("now, /x ");
        // In the clients' code page, as they read it.
        QTest::newRow("accents typed") << false << QString::fromUtf8("\\\\serveur\\mise à jour")
                                       << QVariant()
                                       << QByteArray("at-restart,\\\\serveur\\mise \xe0 jour");
        QTest::newRow("accents picked") << true << QString() << QVariant(QString::fromUtf8("/srv/éditions"))
                                        << QByteArray("now,/srv/\xe9" "ditions");
    }
    void requestCarriesModeAndDirectory()
    {
        QFETCH(bool, now);
        QFETCH(QString, typed);
        QFETCH(QVariant, picked);
        QFETCH(QByteArray, value);
        m_share->Select({m_share->User("carol")});
        Upgrade([&](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            if (now)
                Click(pPage, "nowRadio");
            QCOMPARE(pPage->m_nNow, now ? 1 : 0);
            QCOMPARE(pPage->m_nRestart, now ? 0 : 1);
            Edit(pPage)->setText(typed);
            if (picked.isValid()) {
                const QString csPicked = picked.toString();
                GlobalVarsForDll::SetNextPathAnswer(csPicked.isEmpty() ? std::nullopt
                                                                       : std::optional(csPicked));
                Click(pPage, "browseButton");
                QVERIFY(GlobalVarsForDll::GetLastPathPrompt().isEmpty());
            }
            Click(pSheet, "IDOK");
        });
        QCOMPARE(Request("carol"), value);
    }

    void cancelOrNoSelectionWritesNothing()
    {
        Upgrade([](CPropertySheet *pSheet, CUpgradeWnd *) { Click(pSheet, "IDOK"); });
        m_share->Select({m_share->User("alice")});
        Upgrade([](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            Click(pPage, "nowRadio");
            Edit(pPage)->setText("/srv");
            Click(pSheet, "IDCANCEL");
        });
        QCOMPARE(QDir(m_share->Path()).entryList({"*.ini"}, QDir::Files),
                 QStringList({"Users.ini"}));
        QVERIFY(!m_share->User("alice")->IsUpgradePending());
        QCOMPARE(Image("alice"), int(CUserListModel::ImgConnected));
    }

    void everySelectedUserOnceInItsOwnFile()
    {
        m_share->Write("dave.ini", "[Notes]\r\nnewver=now,/old\r\n");
        QHash<QString, int> replaced;
        PlatformTestHooks::SetBeforeReplace([&](const QString &path) {
            replaced[QFileInfo(path).fileName()] += 1;
        });
        // Sales (alice, bob, carol) and alice's own row, dave and erin.
        const int nGroupRow =
            m_share->View()->FindRow(CRowObject::Group(m_share->Doc()->FindGroup("Sales")));
        m_share->SelectRow(nGroupRow);
        m_share->Select({m_share->User("alice"), m_share->User("dave"), m_share->User("erin")},
                        QItemSelectionModel::Select);
        Upgrade([](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            Click(pPage, "nowRadio");
            Click(pSheet, "IDOK");
        });
        for (const char *login : {"alice", "bob", "carol", "dave", "erin"}) {
            QCOMPARE(Request(login), QByteArray("now"));
            QCOMPARE(replaced.value(QString::fromLatin1(login) + ".ini"), 1);
        }
        QCOMPARE(replaced.size(), 5);
    }

    void directoryWithALineBreakIsRefusedOnThePage()
    {
        m_share->Select({m_share->User("alice")});
        QString csMessage;
        Upgrade([&](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            GlobalVarsForDll::SetNextPathAnswer(QStringLiteral("/srv/new\nversion"));
            Click(pPage, "browseButton");
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(pSheet, "IDOK");
            csMessage = CAppMessageBox::GetLastText();
            QVERIFY(pSheet->isVisible());
            Edit(pPage)->setText("/srv/new version");
            Click(pSheet, "IDOK");
        });
        QVERIFY2(csMessage.contains("line break"), qPrintable(csMessage));
        QCOMPARE(Request("alice"), QByteArray("at-restart,/srv/new version"));
    }

    void directoryTheCodePageCannotHoldIsRefusedOnThePage()
    {
        m_share->Select({m_share->User("alice")});
        QString csMessage;
        bool bStillOpen = false;
        Upgrade([&](CPropertySheet *pSheet, CUpgradeWnd *pPage) {
            Edit(pPage)->setText(QString::fromUtf8("/srv/Ωmega"));
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
            Click(pSheet, "IDOK");
            csMessage = CAppMessageBox::GetLastText();
            bStillOpen = pSheet->isVisible();
            Click(pSheet, "IDCANCEL");
        });
        QVERIFY(bStillOpen);
        QVERIFY2(csMessage.contains(QString::fromUtf8("(windows-1252) cannot hold: Ω")),
                 qPrintable(csMessage));
        QCOMPARE(Request("alice"), QByteArray("<none>"));
    }

    void failedWritesAreNamedOnceAfterwards()
    {
        QVERIFY(QDir(m_share->Path()).mkdir("bob.ini"));
        m_share->Select({m_share->User("alice"), m_share->User("bob"), m_share->User("bad:name")});
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        const QString csBefore = CAppMessageBox::GetLastText();
        Upgrade([](CPropertySheet *pSheet, CUpgradeWnd *) { Click(pSheet, "IDOK"); });
        const QString csMessage = CAppMessageBox::GetLastText();
        QVERIFY(csMessage != csBefore);
        QVERIFY2(csMessage.contains("2 users"), qPrintable(csMessage));
        QVERIFY(csMessage.contains("\nbob: "));
        QVERIFY(csMessage.contains("\nbad:name: "));
        QVERIFY(!csMessage.contains("alice"));
        QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Critical);
        QCOMPARE(Request("alice"), QByteArray("at-restart"));
        // Only a request the client can find is waited for.
        QVERIFY(m_share->User("alice")->IsUpgradePending());
        QVERIFY(!m_share->User("bob")->IsUpgradePending());
    }
};

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
