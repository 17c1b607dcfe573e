#include "app/CAdminApp.h"
#include "app/CMainFrame.h"
#include "framework/CCmdRoute.h"
#include "framework/CStatusBarEx.h"
#include "framework/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CRegistryAccess.h"
#include "uilib/GlobalVarsForDll.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kAppKey = QStringLiteral("Software\\Corvane\\Admin");

// Closes every modal box that comes up (as Escape would) and remembers its
// caption and text, so that a box nobody expected fails the test instead of
// hanging it.
struct ModalBoxes
{
    QStringList seen;
    QTimer timer;
    ModalBoxes()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *pDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!pDialog)
                return;
            auto *pBox = qobject_cast<QMessageBox *>(pDialog);
            seen.append(pDialog->windowTitle() + QStringLiteral(": ")
                        + (pBox ? pBox->text() : pDialog->objectName()));
            pDialog->reject();
        });
        timer.start(10);
    }
};

} // namespace

class TestAdminApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void startsWithTheStoredDirectory();
    void firstStartAsksAndStores_data();
    void firstStartAsksAndStores();
    void defineShareDirectory_data();
    void defineShareDirectory();
    void definedDirectoryPersistsWhereItCan_data();
    void definedDirectoryPersistsWhereItCan();
    void aboutShowsTheAboutBox();
    void noDisplayGivesPlainAdvice();
    void shareTroubleIsToldOnceAndShownUntilReadable();

private:
    void BlockDir(const QString &scopeName, QSettings::Scope scope);
    void StoreShareDirectory(const QString &path);
    QString StoredShareDirectory();

    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_share;
};

void TestAdminApp::initTestCase()
{
    CRegistryAccess::SetFormat(QSettings::IniFormat);
}

void TestAdminApp::init()
{
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                       m_pDir->filePath(QStringLiteral("system")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       m_pDir->filePath(QStringLiteral("user")));
    m_share = m_pDir->filePath(QStringLiteral("share"));
    QVERIFY(QDir().mkpath(m_share));
}

void TestAdminApp::cleanup()
{
    GlobalVarsForDll::ClearPathAnswers();
    m_pDir.reset();
}

void TestAdminApp::BlockDir(const QString &scopeName, QSettings::Scope scope)
{
    // Below a plain file nothing can be created, not even by root.
    const QString blocker = m_pDir->filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QSettings::setPath(QSettings::IniFormat, scope, blocker + QLatin1Char('/') + scopeName);
}

void TestAdminApp::StoreShareDirectory(const QString &path)
{
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(registry.OpenKey(1));
    QVERIFY(registry.SetValueData(QStringLiteral("ShareDirectory"), path));
}

QString TestAdminApp::StoredShareDirectory()
{
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QString path = QStringLiteral("<none>");
    if (registry.OpenKey(1))
        registry.GetValueData(QStringLiteral("ShareDirectory"), path, 1);
    return path;
}

void TestAdminApp::startsWithTheStoredDirectory()
{
    StoreShareDirectory(m_share);
    ModalBoxes boxes;
    CAdminApp app;
    QVERIFY(app.InitInstance());
    QCOMPARE(boxes.seen, QStringList());
    QCOMPARE(app.GetDocument()->GetShareDirectory(), m_share);
    QVERIFY(app.GetMainFrame()->isVisible());
    QCOMPARE(app.GetMainFrame()->windowTitle(), QStringLiteral("Corvane Administration Tool"));
    // The document's and the application's commands are on the route.
    QVERIFY(app.GetRoute()->GetAction(ID_FILE_DEFINE_SHARE_DIRECTORY)->isEnabled());
    QVERIFY(app.GetRoute()->GetAction(ID_APP_ABOUT)->isEnabled());
}

void TestAdminApp::firstStartAsksAndStores_data()
{
    QTest::addColumn<QString>("stored"); // what the settings hold before the start
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("suffix"); // added to the chosen directory
    QTest::newRow("nothing stored") << QStringLiteral("<none>") << false << QString();
    QTest::newRow("empty value") << QString() << false << QString();
    QTest::newRow("chosen with backslash") << QStringLiteral("<none>") << false << "\\";
    QTest::newRow("chosen with slash") << QStringLiteral("<none>") << false << "/";
    QTest::newRow("cancel ends the program") << QStringLiteral("<none>") << true << QString();
}

void TestAdminApp::firstStartAsksAndStores()
{
    QFETCH(QString, stored);
    QFETCH(bool, cancel);
    QFETCH(QString, suffix);
    if (stored != QLatin1String("<none>"))
        StoreShareDirectory(stored);
    ModalBoxes boxes;
    GlobalVarsForDll::SetNextPathAnswer(cancel ? std::nullopt
                                               : std::optional<QString>(m_share + suffix));

    CAdminApp app;
    QCOMPARE(app.InitInstance(), !cancel);
    // Said, under the program's name, before the picker came up.
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen.at(0).startsWith(QStringLiteral("Admin: No shared directory is defined.")));
    QCOMPARE(GlobalVarsForDll::GetLastPathPrompt(), QStringLiteral("Define the shared directory."));
    QCOMPARE(app.GetMainFrame() != nullptr, !cancel);
    QCOMPARE(StoredShareDirectory(), cancel ? stored : m_share);
    if (!cancel)
        QCOMPARE(app.GetDocument()->GetShareDirectory(), m_share);
}

void TestAdminApp::defineShareDirectory_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("trailing backslash") << false << QStringLiteral("C:\\corvane\\share\\")
                                        << QStringLiteral("C:\\corvane\\share");
    QTest::newRow("no trailing backslash") << false << QStringLiteral("C:\\corvane\\share")
                                           << QStringLiteral("C:\\corvane\\share");
    QTest::newRow("server share") << false << QStringLiteral("\\\\server\\corvane\\")
                                  << QStringLiteral("\\\\server\\corvane");
    QTest::newRow("only one backslash goes") << false << QStringLiteral("D:\\x\\\\")
                                             << QStringLiteral("D:\\x\\");
    QTest::newRow("cancelled") << true << QString() << QString();
}

void TestAdminApp::defineShareDirectory()
{
    QFETCH(bool, cancel);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    if (cancel)
        expected = m_share;
    StoreShareDirectory(m_share);
    ModalBoxes boxes;
    CAdminApp app;
    QVERIFY(app.InitInstance());

    GlobalVarsForDll::SetNextPathAnswer(cancel ? std::nullopt : std::optional<QString>(answer));
    app.GetRoute()->GetAction(ID_FILE_DEFINE_SHARE_DIRECTORY)->trigger();
    QCOMPARE(GlobalVarsForDll::GetLastPathPrompt(), QStringLiteral("Define the shared directory."));
    QCOMPARE(app.GetDocument()->GetShareDirectory(), expected);
    QCOMPARE(StoredShareDirectory(), expected);
    QCOMPARE(app.GetMainFrame()->windowTitle(), QStringLiteral("Corvane Administration Tool"));
    QCOMPARE(boxes.seen, QStringList());
}

void TestAdminApp::definedDirectoryPersistsWhereItCan_data()
{
    QTest::addColumn<bool>("userWritable");
    QTest::newRow("ordinary user") << true;
    QTest::newRow("nothing writable") << false;
}

// Without rights on the machine's settings the choice is kept for this user
// and found again at the next start; where nothing can be written the
// administrator is told, and the directory serves this session only.
void TestAdminApp::definedDirectoryPersistsWhereItCan()
{
    QFETCH(bool, userWritable);
    StoreShareDirectory(m_share);
    const QString other = m_pDir->filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(other));
    {
        ModalBoxes boxes;
        CAdminApp app;
        QVERIFY(app.InitInstance());
        BlockDir(QStringLiteral("system"), QSettings::SystemScope);
        GlobalVarsForDll::SetNextPathAnswer(other);
        if (!userWritable) {
            BlockDir(QStringLiteral("user"), QSettings::UserScope);
            CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        }
        QVERIFY(app.GetRoute()->Execute(ID_FILE_DEFINE_SHARE_DIRECTORY));
        QCOMPARE(app.GetDocument()->GetShareDirectory(), other);
        QCOMPARE(CAppMessageBox::GetLastText().contains(QStringLiteral("could not be saved")),
                 !userWritable);
        QCOMPARE(boxes.seen, QStringList());
    }
    if (!userWritable)
        return;
    ModalBoxes boxes;
    CAdminApp app;
    QVERIFY(app.InitInstance());
    QCOMPARE(boxes.seen, QStringList());
    QCOMPARE(app.GetDocument()->GetShareDirectory(), other);
}

void TestAdminApp::aboutShowsTheAboutBox()
{
    StoreShareDirectory(m_share);
    CAdminApp app;
    QVERIFY(app.InitInstance());
    bool bSeen = false;
    QTimer::singleShot(0, &app, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget *pModal = QApplication::activeModalWidget();
        bSeen = pModal->objectName() == QLatin1String("AboutDlg");
        const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
        if (!dir.isEmpty() && QDir().mkpath(dir))
            pModal->grab().save(dir + QStringLiteral("/about.png"));
        QVERIFY(!pModal->findChild<QLabel *>(QStringLiteral("AboutIcon"))->pixmap().isNull());
        QCOMPARE(pModal->findChild<QLabel *>(QStringLiteral("AboutName"))->text(),
                 QStringLiteral("<b>Corvane Administration Tool</b>"));
        QCOMPARE(pModal->parentWidget(), app.GetMainFrame());
        qobject_cast<QDialog *>(pModal)->accept();
    });
    app.GetRoute()->GetAction(ID_APP_ABOUT)->trigger();
    QVERIFY(bSeen);
}

void TestAdminApp::noDisplayGivesPlainAdvice()
{
#if !defined(Q_OS_UNIX) || defined(Q_OS_MACOS)
    QSKIP("Only X11 and Wayland systems can lack a display this way");
#endif
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(CORVANE_ADMIN_EXE), {});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.contains(QStringLiteral("no display")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("xvfb-run -a ")), qPrintable(error));
}

void TestAdminApp::shareTroubleIsToldOnceAndShownUntilReadable()
{
    const QString usersIni = m_share + QStringLiteral("/Users.ini");
    QVERIFY(QDir().mkdir(usersIni)); // there, but no file to read
    StoreShareDirectory(m_share);
    ModalBoxes boxes;
    CAdminApp app;
    QVERIFY(app.InitInstance());
    CStatusBarEx *pBar = app.GetMainFrame()->GetStatusBar();
    QVERIFY(pBar->GetIdleText().contains(usersIni + QStringLiteral(": a directory")));
    QTRY_COMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen.at(0).contains(usersIni));

    // Still failing: no second message, the text stays.
    QAction *pRefresh = app.GetRoute()->GetAction(ID_VIEW_REFRESH);
    pRefresh->trigger();
    QTest::qWait(50);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(pBar->GetIdleText().contains(usersIni));

    QVERIFY(QDir().rmdir(usersIni));
    QFile file(usersIni);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Users]\r\nalice=Alice\r\n");
    file.close();
    pRefresh->trigger();
    QTRY_VERIFY(!pBar->GetIdleText().contains(QStringLiteral("unavailable")));
    QVERIFY(pBar->GetIdleText().contains(QStringLiteral("1 user")));

    // The share goes away while the tool runs: told again, with the reason.
    QVERIFY(QDir().rename(m_share, m_share + QStringLiteral("-away")));
    pRefresh->trigger();
    QTRY_VERIFY(pBar->GetIdleText().contains(QStringLiteral("does not exist")));
    QTRY_COMPARE(boxes.seen.size(), 2);
    QVERIFY(QDir().rename(m_share + QStringLiteral("-away"), m_share));
}

QTEST_MAIN(TestAdminApp)
#include "tst_adminapp.moc"
