#include "ConfigureTestFiles.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "sheets/configure/CConfigureSheet.h"
#include "sheets/configure/CLogFileViewer.h"
#include "store/CAdminDoc.h"
#include "store/CLogFileWatcher.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CZoMessageBox.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>

namespace {

enum EClient { AnswersAfterDelay, AnswersAfterCancel, NeverAnswers };

// A client that writes its log a while after it sees the request, or only
// once the administrator has given up, or never.
class CStandInClient : public QThread
{
public:
    CStandInClient(QString iniPath, QString logPath, EClient eMode)
        : m_iniPath(std::move(iniPath)), m_logPath(std::move(logPath)), m_eMode(eMode)
    {
        start();
    }
    ~CStandInClient() override
    {
        m_bQuit = true;
        wait();
    }
    std::atomic<bool> m_bCancelled{false};
    std::atomic<bool> m_bWrote{false};

protected:
    void run() override
    {
        while (!m_bQuit && m_eMode != NeverAnswers && !ReadFileBytes(m_iniPath).contains("=AskForLogs"))
            msleep(20);
        while (!m_bQuit && m_eMode == AnswersAfterCancel && !m_bCancelled)
            msleep(20);
        // Well after the tool has looked for the log.
        msleep(400);
        if (m_bQuit || m_eMode == NeverAnswers)
            return;
        QFile log(m_logPath);
        m_bWrote = log.open(QIODevice::WriteOnly) && log.write("fresh log") > 0;
    }

private:
    QString m_iniPath, m_logPath;
    EClient m_eMode;
    std::atomic<bool> m_bQuit{false};
};

} // namespace

class TestLogFetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFileBytes(m_dir.filePath("Users.ini"), "[Users]\r\nalice=Alice Smith\r\n");
        QVERIFY(m_doc.OnNewDocument(m_dir.path()));
        m_pAlice = m_doc.FindUser("alice");
        m_iniPath = m_dir.filePath("alice.ini");
        m_logPath = m_dir.filePath("alice.log");
        CLogFileWatcher::SetPause(std::chrono::milliseconds(50));
        CLogFileViewer::SetOpener([this](const QString &path) {
            m_opened << QString::fromLatin1(ReadFileBytes(path));
            return path == m_logPath;
        });
    }
    void init()
    {
        QFile::remove(m_iniPath);
        QFile::remove(m_logPath);
        Profile::ClearCache();
        m_opened.clear();
        // Marks where the messages of this case begin.
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CAppMessageBox::Information(nullptr, "none");
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void fetchShowsWhatTheClientDelivers_data()
    {
        QTest::addColumn<int>("client");
        QTest::addColumn<bool>("oldLog");
        QTest::addColumn<bool>("failRequest");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("answer"); // to the last box
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QString>("message");
        const QString offer = "The client has not sent a new log file";
        QTest::newRow("client answers while the box waits")
            << int(AnswersAfterDelay) << true << false << false << int(QMessageBox::Ok)
            << QStringList("fresh log") << "none";
        QTest::newRow("client never answers: the old log is offered and taken")
            << int(NeverAnswers) << true << false << true << int(QMessageBox::Yes)
            << QStringList("old log") << offer;
        QTest::newRow("client never answers: the old log is offered and declined")
            << int(NeverAnswers) << true << false << true << int(QMessageBox::No)
            << QStringList() << offer;
        QTest::newRow("client answers after the administrator gave up")
            << int(AnswersAfterCancel) << true << false << true << int(QMessageBox::No)
            << QStringList() << offer;
        QTest::newRow("no log before and none sent")
            << int(NeverAnswers) << false << false << true << int(QMessageBox::Ok)
            << QStringList() << "Log file doesn't exist";
        QTest::newRow("request that cannot be written is not waited for")
            << int(NeverAnswers) << true << true << false << int(QMessageBox::Ok) << QStringList()
            << "The request for the log file could not be written";
    }
    void fetchShowsWhatTheClientDelivers()
    {
        QFETCH(int, client);
        QFETCH(bool, oldLog);
        QFETCH(bool, failRequest);
        QFETCH(bool, cancel);
        QFETCH(int, answer);
        QFETCH(QStringList, opened);
        QFETCH(QString, message);
        if (oldLog)
            WriteFileBytes(m_logPath, "old log");
        CStandInClient standIn(m_iniPath, m_logPath, EClient(client));
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, failRequest ? 1 : 0, EBUSY);
        CAppMessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));
        bool bCancelled = false;
        // An administrator who waits a while, then gives up.
        QTimer::singleShot(cancel ? 700 : 10000, [&] {
            if (auto *pBox = qobject_cast<CZoMessageBox *>(QApplication::activeModalWidget())) {
                Click(*pBox, "IDCANCEL");
                bCancelled = standIn.m_bCancelled = true;
            }
        });
        QWidget parent;
        CLogFileViewer::FetchAndShow(&parent, *m_pAlice);
        QCOMPARE(bCancelled, cancel);
        QCOMPARE(m_opened, opened);
        QVERIFY(CAppMessageBox::GetLastText().startsWith(message));
        if (!failRequest)
            QCOMPARE(SectionLines(m_iniPath, "ExternalControl").size(), 1);
        // Whatever happened, the old log is there until a new one replaces it.
        if (oldLog && client == NeverAnswers)
            QCOMPARE(ReadFileBytes(m_logPath), QByteArray("old log"));
        if (client == AnswersAfterCancel)
            QTRY_VERIFY(standIn.m_bWrote);
    }

    void logButtonsOfTheSheetActAtOnce()
    {
        CStandInClient standIn(m_iniPath, m_logPath, AnswersAfterDelay);
        QStringList opened;
        qint64 nSizeAfterClear = -1;
        const int nResult = RunModal<CPropertySheet>(
            [this] { return CConfigureSheet::Run(nullptr, &m_doc, m_pAlice); },
            [&](CPropertySheet &sheet) {
                QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
                QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(3).center());
                Click(sheet, "showLogButton");
                opened = m_opened;
                Click(sheet, "clearLogButton");
                nSizeAfterClear = QFileInfo(m_logPath).size();
                Click(sheet, "IDCANCEL");
            },
            [](CPropertySheet &sheet) { sheet.DestroyWindow(); });
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QCOMPARE(opened, QStringList("fresh log"));
        // Cancel takes back nothing the buttons did, and writes nothing else.
        QCOMPARE(nSizeAfterClear, 0);
        QVERIFY(QFile::exists(m_logPath));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), QList<QByteArray>());
    }

private:
    QTemporaryDir m_dir;
    CAdminDoc m_doc;
    CUser *m_pAlice = nullptr;
    QString m_iniPath, m_logPath;
    QStringList m_opened;
};

QTEST_MAIN(TestLogFetch)
#include "tst_logfetch.moc"
