#include "ConfigureTestFiles.h"

#include "framework/CCheckListBox.h"
#include "platform/Profile.h"
#include "sheets/configure/CEditModelsDlg.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

QStringList Entries(CCheckListBox *pList)
{
    QStringList entries;
    for (int i = 0; i < pList->GetCount(); ++i)
        entries << QStringLiteral("%1:%2").arg(pList->GetText(i)).arg(pList->GetCheck(i));
    return entries;
}

// Clicks an entry's box as often as asked, with the space bar on the entry.
void Toggle(CCheckListBox *pList, const QString &csText, int nTimes)
{
    const int nIndex = pList->FindStringExact(csText);
    QVERIFY2(nIndex >= 0, qPrintable(csText));
    pList->SetCurSel(nIndex);
    for (int i = 0; i < nTimes; ++i)
        QTest::keyClick(pList, Qt::Key_Space);
}

} // namespace

class TestEditModelsDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFileBytes(m_dir.filePath("Users.ini"), "[Users]\r\nalice=Alice Smith\r\n");
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_pAlice = m_doc.FindUser("alice");
        QVERIFY(m_pAlice);
        m_group.SetName("Sales");
        m_group.append(m_pAlice);
        for (const char *name : {"weekly.mod", "Report.mod", "x.y.mod", "notes.txt"})
            WriteFileBytes(m_dir.filePath(name), "");
    }
    void init()
    {
        m_iniPath = m_dir.filePath("alice.ini");
        QFile::remove(m_iniPath);
        Profile::ClearCache();
        m_status.clear();
    }

    void listsClientModelsThenModelFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("client reports none")
            << QByteArray() << QStringList({"Report:0", "weekly:0", "x.y:0"});
        QTest::newRow("models the client has are marked")
            << QByteArray("[ActiveModels]\r\nWeekly=1\r\ndaily=1\r\n")
            << QStringList({"daily:2", "Report:0", "Weekly:2", "x.y:0"});
    }
    void listsClientModelsThenModelFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        if (!file.isEmpty())
            WriteFileBytes(m_iniPath, file);
        QStringList shown;
        QString csTitle;
        const int nResult = Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            shown = Entries(dlg.m_pModelList);
            csTitle = dlg.windowTitle();
            QTest::mouseClick(dlg.findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
        });
        QCOMPARE(nResult, int(CEditModelsDlg::IDCANCEL));
        QCOMPARE(shown, entries);
        QCOMPARE(csTitle, QStringLiteral("Dialog"));
        QCOMPARE(ReadFileBytes(m_iniPath), file);
    }

    void uploadRequestsOnlyCheckedModels_data()
    {
        QTest::addColumn<QStringList>("clicks"); // "entry*times"
        QTest::addColumn<QList<QByteArray>>("models");
        QTest::newRow("nothing clicked") << QStringList() << QList<QByteArray>();
        QTest::newRow("a model the client lacks")
            << QStringList({"Report*1"}) << QList<QByteArray>({"Report=1"});
        QTest::newRow("again a model the client has")
            << QStringList({"Weekly*1"}) << QList<QByteArray>({"Weekly=1"});
        QTest::newRow("checked, then cleared")
            << QStringList({"Report*2", "Weekly*2"}) << QList<QByteArray>();
        QTest::newRow("back to the client's mark") << QStringList({"Weekly*3"}) << QList<QByteArray>();
        QTest::newRow("several, in list order")
            << QStringList({"x.y*1", "daily*1", "Report*1"})
            << QList<QByteArray>({"daily=1", "Report=1", "x.y=1"});
    }
    void uploadRequestsOnlyCheckedModels()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QList<QByteArray>, models);
        WriteFileBytes(m_iniPath, "[ActiveModels]\r\nWeekly=1\r\ndaily=1\r\n");
        const int nResult = Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            for (const QString &click : clicks)
                Toggle(dlg.m_pModelList, click.section('*', 0, 0), click.section('*', 1).toInt());
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        QCOMPARE(nResult, int(CEditModelsDlg::IDOK));
        QCOMPARE(SectionLines(m_iniPath, "Models"), models);
        // The client's own list is never written.
        QCOMPARE(SectionLines(m_iniPath, "ActiveModels"), QList<QByteArray>({"Weekly=1", "daily=1"}));
    }

    void uploadOverwritesAnEarlierRequest()
    {
        WriteFileBytes(m_iniPath, "[Models]\r\nReport=0\r\nweekly=1\r\n");
        Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            Toggle(dlg.m_pModelList, "Report", 1);
            QTest::mouseClick(dlg.findChild<QPushButton *>("uploadButton"), Qt::LeftButton);
        });
        QCOMPARE(SectionLines(m_iniPath, "Models"), QList<QByteArray>({"Report=1", "weekly=1"}));
    }

    void withoutAUserUploadDoesNothing_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("why");
        QTest::newRow("no row selected") << false << "No user is selected";
        QTest::newRow("group row first") << true << "the group \"Sales\"";
    }
    void withoutAUserUploadDoesNothing()
    {
        QFETCH(bool, group);
        QFETCH(QString, why);
        CConfigureTarget::Object object;
        if (group)
            object = &m_group;
        bool bStillOpen = false;
        int nCount = -1;
        const int nResult = Run(object, [&](CEditModelsDlg &dlg) {
            nCount = dlg.m_pModelList->GetCount();
            QTest::mouseClick(dlg.findChild<QPushButton *>("uploadButton"), Qt::LeftButton);
            bStillOpen = dlg.isVisible();
            dlg.reject();
        });
        QCOMPARE(nCount, 0);
        QVERIFY(bStillOpen);
        QCOMPARE(nResult, int(CEditModelsDlg::IDCANCEL));
        QVERIFY(!QFile::exists(m_iniPath));
        QVERIFY(!m_status.isEmpty());
        QVERIFY2(m_status.last().contains(why), qPrintable(m_status.last()));
    }

    void refusedRequestIsToldAfterClosing()
    {
        // A file name may hold what a key name cannot.
        const QString badModel = m_dir.filePath("a=b.mod");
        WriteFileBytes(badModel, "");
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        const int nResult = Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            Toggle(dlg.m_pModelList, "a=b", 1);
            Toggle(dlg.m_pModelList, "Report", 1);
            QTest::mouseClick(dlg.findChild<QPushButton *>("uploadButton"), Qt::LeftButton);
        });
        QFile::remove(badModel);
        QCOMPARE(nResult, int(CEditModelsDlg::IDOK));
        QVERIFY2(CAppMessageBox::GetLastText().contains("'='"), qPrintable(CAppMessageBox::GetLastText()));
        QCOMPARE(SectionLines(m_iniPath, "Models"), QList<QByteArray>({"Report=1"}));
    }

private:
    int Run(CConfigureTarget::Object object, const std::function<void(CEditModelsDlg &)> &action)
    {
        QTimer::singleShot(0, [action] {
            auto *pDlg = qobject_cast<CEditModelsDlg *>(QApplication::activeModalWidget());
            QVERIFY(pDlg);
            action(*pDlg);
            if (pDlg->isVisible())
                pDlg->reject();
        });
        return CEditModelsDlg::Run(nullptr, &m_doc, object,
                                   [this](const QString &csText) { m_status << csText; });
    }

    QTemporaryDir m_dir;
    CAdminDoc m_doc;
    CUser *m_pAlice = nullptr;
    CGroup m_group;
    QString m_iniPath;
    QStringList m_status;
};

QTEST_MAIN(TestEditModelsDlg)
#include "tst_editmodelsdlg.moc"
