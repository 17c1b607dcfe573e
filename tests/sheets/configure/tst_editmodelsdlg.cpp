#include "ConfigureTestFiles.h"

#include "framework/CCheckListBox.h"
#include "platform/Profile.h"
#include "sheets/configure/CEditModelsDlg.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"

#include <QTemporaryDir>

class TestEditModelsDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFileBytes(m_dir.filePath("Users.ini"), "[Users]\r\nalice=Alice Smith\r\n");
        // A file name may hold what a key name cannot.
        for (const char *name : {"weekly.mod", "Report.mod", "x.y.mod", "notes.txt", "a=b.mod"})
            WriteFileBytes(m_dir.filePath(name), "");
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_pAlice = m_doc.FindUser("alice");
        m_group.SetName("Sales");
        m_group.append(m_pAlice);
        m_iniPath = m_dir.filePath("alice.ini");
    }
    void init()
    {
        QFile::remove(m_iniPath);
        Profile::ClearCache();
        m_status.clear();
    }

    void uploadRequestsOnlyCheckedModels_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("clicks"); // entry, times its box is toggled
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<QByteArray>>("models");
        const QByteArray active = "[ActiveModels]\r\nWeekly=1\r\ndaily=1\r\n";
        const QStringList listed = {"a=b:0", "daily:2", "Report:0", "Weekly:2", "x.y:0"};
        QTest::newRow("client reports none, nothing clicked")
            << QByteArray() << QStringList() << QStringList({"a=b:0", "Report:0", "weekly:0", "x.y:0"})
            << QList<QByteArray>();
        QTest::newRow("a model the client lacks")
            << active << QStringList({"Report", "1"}) << listed << QList<QByteArray>({"Report=1"});
        QTest::newRow("again a model the client has")
            << active << QStringList({"Weekly", "1"}) << listed << QList<QByteArray>({"Weekly=1"});
        QTest::newRow("checked, then cleared, or back to mixed")
            << active << QStringList({"Report", "2", "Weekly", "2", "daily", "3"}) << listed
            << QList<QByteArray>();
        QTest::newRow("several, in list order, over an earlier request")
            << active + "[Models]\r\nReport=0\r\n" << QStringList({"x.y", "1", "daily", "1", "Report", "1"})
            << listed << QList<QByteArray>({"Report=1", "daily=1", "x.y=1"});
    }
    void uploadRequestsOnlyCheckedModels()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, entries);
        QFETCH(QList<QByteArray>, models);
        WriteFileBytes(m_iniPath, file);
        QStringList shown;
        QString csTitle;
        const int nResult = Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            CCheckListBox *pList = dlg.m_pModelList;
            for (int i = 0; i < pList->GetCount(); ++i)
                shown << QStringLiteral("%1:%2").arg(pList->GetText(i)).arg(pList->GetCheck(i));
            csTitle = dlg.windowTitle();
            for (int i = 0; i + 1 < clicks.size(); i += 2) {
                pList->SetCurSel(pList->FindStringExact(clicks[i]));
                for (int n = clicks[i + 1].toInt(); n > 0; --n)
                    QTest::keyClick(pList, Qt::Key_Space);
            }
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        QCOMPARE(nResult, int(CEditModelsDlg::IDOK));
        QCOMPARE(shown, entries);
        QCOMPARE(csTitle, QStringLiteral("Dialog"));
        QCOMPARE(SectionLines(m_iniPath, "Models"), models);
        QCOMPARE(ProfileFile::Parse(ReadFileBytes(m_iniPath)).SectionLines("ActiveModels"),
                 ProfileFile::Parse(file).SectionLines("ActiveModels"));
    }

    void cancelOrNoUserWritesNothing_data()
    {
        QTest::addColumn<int>("object");
        QTest::addColumn<QString>("why");
        QTest::newRow("cancel") << 0 << QString();
        QTest::newRow("no row selected") << 1 << "No user is selected";
        QTest::newRow("group row first") << 2 << "the group \"Sales\"";
    }
    void cancelOrNoUserWritesNothing()
    {
        QFETCH(int, object);
        QFETCH(QString, why);
        const CConfigureTarget::Object objects[] = {m_pAlice, std::monostate(), &m_group};
        bool bStillOpen = false;
        int nCount = -1;
        const int nResult = Run(objects[object], [&](CEditModelsDlg &dlg) {
            nCount = dlg.m_pModelList->GetCount();
            dlg.m_pModelList->SetCheck(0, 1);
            if (object != 0) {
                Click(dlg, "uploadButton");
                bStillOpen = dlg.isVisible();
            }
            Click(dlg, "cancelButton");
        });
        QCOMPARE(nResult, int(CEditModelsDlg::IDCANCEL));
        QCOMPARE(nCount, object == 0 ? 4 : 0);
        QCOMPARE(bStillOpen, object != 0);
        QVERIFY(!QFile::exists(m_iniPath));
        QCOMPARE(m_status.isEmpty(), why.isEmpty());
        QVERIFY(why.isEmpty() || m_status.last().contains(why));
    }

    void refusedRequestsAreToldAfterClosingEachByName()
    {
        // Two refused for the same reason, one for another.
        const QStringList extra = {m_dir.filePath("c=d.mod"), m_dir.filePath(";semi.mod")};
        for (const QString &path : extra)
            WriteFileBytes(path, "");
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        Run(m_pAlice, [&](CEditModelsDlg &dlg) {
            for (const char *name : {"a=b", "Report", "c=d", ";semi"})
                dlg.m_pModelList->SetCheck(dlg.m_pModelList->FindStringExact(name), 1);
            Click(dlg, "uploadButton");
        });
        for (const QString &path : extra)
            QFile::remove(path);
        QStringList refused;
        for (const QString &line : CAppMessageBox::GetLastText().split('\n'))
            if (line.startsWith("The model"))
                refused << line.section('"', 1, 1) + ": " + line.section(": ", 1);
        QCOMPARE(refused.size(), 3);
        QVERIFY2(refused[0].startsWith(";semi: ") && refused[0].contains("';'"), qPrintable(refused[0]));
        QVERIFY2(refused[1].startsWith("a=b: ") && refused[1].contains("'='"), qPrintable(refused[1]));
        QVERIFY2(refused[2].startsWith("c=d: ") && refused[2].contains("'='"), qPrintable(refused[2]));
        QCOMPARE(SectionLines(m_iniPath, "Models"), QList<QByteArray>({"Report=1"}));
    }

private:
    int Run(CConfigureTarget::Object object, const std::function<void(CEditModelsDlg &)> &action)
    {
        return RunModal<CEditModelsDlg>(
            [&] {
                return CEditModelsDlg::Run(nullptr, &m_doc, object,
                                           [this](const QString &csText) { m_status << csText; });
            },
            action, [](CEditModelsDlg &dlg) { dlg.reject(); });
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
