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

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace {

// A client that writes its log some time after it sees the request, or
// only once the administrator has given up, or never.
class CStandInClient : public QThread
{
public:
    enum EMode { AnswerAfterDelay, AnswerAfterCancel, NeverAnswer };

    CStandInClient(QString iniPath, QString logPath, EMode eMode)
        : m_iniPath(std::move(iniPath)), m_logPath(std::move(logPath)), m_eMode(eMode)
    {
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
        if (m_eMode == NeverAnswer)
            return;
        while (!m_bQuit && !ReadFileBytes(m_iniPath).contains("=AskForLogs"))
            msleep(20);
        if (m_eMode == AnswerAfterDelay)
            msleep(400);
        if (m_eMode == AnswerAfterCancel) {
            while (!m_bQuit && !m_bCancelled)
                msleep(20);
            // Well after the tool has looked for the log.
            msleep(300);
        }
        if (m_bQuit)
            return;
        QFile log(m_logPath);
        if (log.open(QIODevice::WriteOnly))
            log.write("fresh log\r\n");
        m_bWrote = true;
    }

private:
    QString m_iniPath;
    QString m_logPath;
    EMode m_eMode;
    std::atomic<bool> m_bQuit{false};
};

// Presses Cancel on the waiting box after a while, as an administrator
// who gives up would.
class CBoxCanceller : public QObject
{
public:
    explicit CBoxCanceller(int nAfterMs, std::atomic<bool> *pCancelled = nullptr)
        : m_pCancelled(pCancelled)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *pBox = qobject_cast<CZoMessageBox *>(QApplication::activeModalWidget());
            if (!pBox)
                return;
            m_bPressed = true;
            m_csText = pBox->GetMessage();
            QTest::mouseClick(pBox->findChild<QPushButton *>("IDCANCEL"), Qt::LeftButton);
            if (m_pCancelled)
                *m_pCancelled = true;
        });
        m_timer.start(nAfterMs);
    }
    bool m_bPressed = false;
    QString m_csText;

private:
    QTimer m_timer;
    std::atomic<bool> *m_pCancelled;
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
        QVERIFY(m_pAlice);
        m_iniPath = m_dir.filePath("alice.ini");
        m_logPath = m_dir.filePath("alice.log");
        CLogFileWatcher::SetPause(std::chrono::milliseconds(50));
        CLogFileViewer::SetOpener([this](const QString &path) {
            m_opened << path + QLatin1Char(':') + QString::fromLatin1(ReadFileBytes(path).trimmed());
            return true;
        });
    }
    void cleanupTestCase() { CLogFileViewer::SetOpener({}); }
    void init()
    {
        QFile::remove(m_iniPath);
        QFile::remove(m_logPath);
        Profile::ClearCache();
        m_opened.clear();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void fetchShowsWhatTheClientDelivers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("oldLog");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("opened");
        QTest::newRow("client answers while the box waits")
            << int(CStandInClient::AnswerAfterDelay) << true << false << "fresh log";
        QTest::newRow("client never answers") << int(CStandInClient::NeverAnswer) << true << true
                                              << QString();
        QTest::newRow("client answers after the administrator gave up")
            << int(CStandInClient::AnswerAfterCancel) << false << true << QString();
    }
    void fetchShowsWhatTheClientDelivers()
    {
        QFETCH(int, mode);
        QFETCH(bool, oldLog);
        QFETCH(bool, cancel);
        QFETCH(QString, opened);
        if (oldLog)
            WriteFileBytes(m_logPath, "old log");
        CStandInClient client(m_iniPath, m_logPath, CStandInClient::EMode(mode));
        client.start();
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CAppMessageBox::Information(nullptr, "before");
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CBoxCanceller canceller(cancel ? 700 : 10000, &client.m_bCancelled);
        QWidget parent;
        CLogFileViewer::FetchAndShow(&parent, *m_pAlice);

        QCOMPARE(canceller.m_bPressed, cancel);
        QCOMPARE(SectionLines(m_iniPath, "ExternalControl").size(), 1);
        QVERIFY(SectionLines(m_iniPath, "ExternalControl").first().endsWith("=AskForLogs"));
        if (opened.isEmpty()) {
            QCOMPARE(m_opened, QStringList());
            QCOMPARE(CAppMessageBox::GetLastText(), QStringLiteral("Log file doesn't exist"));
            QCOMPARE(CAppMessageBox::GetLastIcon(), QMessageBox::Warning);
        } else {
            QCOMPARE(m_opened, QStringList({m_logPath + ':' + opened}));
            QCOMPARE(CAppMessageBox::GetLastText(), QStringLiteral("before"));
        }
        if (mode == CStandInClient::AnswerAfterCancel)
            QTRY_VERIFY(client.m_bWrote);
    }

    void logThatCannotBeDeletedEndsTheWaitAtOnce()
    {
        WriteFileBytes(m_logPath, "old log");
        // The removal fails, so the log is there before the box comes up.
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1, EBUSY);
        CBoxCanceller canceller(10000);
        QElapsedTimer timer;
        timer.start();
        CLogFileViewer::FetchAndShow(nullptr, *m_pAlice);
        QVERIFY(!canceller.m_bPressed);
        QCOMPARE(m_opened, QStringList({m_logPath + ":old log"}));
        QVERIFY(timer.elapsed() < 5000);
    }

    void unwritableRequestIsToldAndNotWaitedFor()
    {
        // The removal of the missing log and the request both fail.
        PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 2, EACCES);
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CBoxCanceller canceller(5000);
        CLogFileViewer::FetchAndShow(nullptr, *m_pAlice);
        QVERIFY(!canceller.m_bPressed);
        QVERIFY2(CAppMessageBox::GetLastText().startsWith("The request for the log file could not"),
                 qPrintable(CAppMessageBox::GetLastText()));
        QCOMPARE(m_opened, QStringList());
    }

    void logButtonsOfTheSheetActAtOnce()
    {
        CStandInClient client(m_iniPath, m_logPath, CStandInClient::AnswerAfterDelay);
        client.start();
        CBoxCanceller canceller(10000);
        QStringList opened;
        qint64 nSizeAfterClear = -1;
        const int nResult = RunSheet([&](CPropertySheet &sheet) {
            QTabBar *pBar = sheet.findChild<QTabWidget *>()->tabBar();
            QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(3).center());
            QTest::mouseClick(sheet.findChild<QPushButton *>("showLogButton"), Qt::LeftButton);
            opened = m_opened;
            QTest::mouseClick(sheet.findChild<QPushButton *>("clearLogButton"), Qt::LeftButton);
            nSizeAfterClear = QFileInfo(m_logPath).size();
            QTest::mouseClick(sheet.findChild<QPushButton *>("IDCANCEL"), Qt::LeftButton);
        });
        QCOMPARE(nResult, int(CPropertySheet::IDCANCEL));
        QVERIFY(!canceller.m_bPressed);
        QCOMPARE(opened, QStringList({m_logPath + ":fresh log"}));
        QCOMPARE(nSizeAfterClear, 0);
        // Cancel takes back nothing the buttons did, and writes nothing else.
        QVERIFY(QFile::exists(m_logPath));
        QCOMPARE(SectionLines(m_iniPath, "Parameters"), QList<QByteArray>());
    }

private:
    int RunSheet(const std::function<void(CPropertySheet &)> &action)
    {
        QTimer::singleShot(0, [action] {
            auto *pSheet = qobject_cast<CPropertySheet *>(QApplication::activeModalWidget());
            QVERIFY(pSheet);
            action(*pSheet);
            if (pSheet->isVisible())
                pSheet->DestroyWindow();
        });
        return CConfigureSheet::Run(nullptr, &m_doc, m_pAlice);
    }

    QTemporaryDir m_dir;
    CAdminDoc m_doc;
    CUser *m_pAlice = nullptr;
    QString m_iniPath;
    QString m_logPath;
    QStringList m_opened;
};

QTEST_MAIN(TestLogFetch)
#include "tst_logfetch.moc"
