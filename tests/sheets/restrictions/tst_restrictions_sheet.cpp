#include "RestrictionTestShare.h"

#include "platform/FileSystem.h"
#include "sheets/restrictions/CRestrictionPage.h"
#include "sheets/restrictions/CRestrictionPicture.h"
#include "sheets/restrictions/CRestrictionsSheet.h"
#include "sheets/restrictions/CThreeStateCheckBox.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CBulkProgressDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QLabel>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace {

const QString kNoMessage = QStringLiteral("(no message)");

QCheckBox *Box(CRestrictionsSheet *sheet, int group, int controlId)
{
    return sheet->GetRestrictionPage(group)->findChild<QCheckBox *>(
        CRestrictionPage::BoxName(controlId));
}

// Clicks given as "group:control:clicks" separated by ','.
void Click(CRestrictionsSheet *sheet, const QByteArray &clicks)
{
    for (const QByteArray &click : clicks.split(',')) {
        const QList<QByteArray> parts = click.split(':');
        if (parts.size() != 3)
            continue;
        const int group = parts[0].toInt();
        sheet->SetActivePage(group);
        QCheckBox *box = Box(sheet, group, parts[1].toInt());
        QVERIFY2(box, click.constData());
        for (int i = 0; i < parts[2].toInt(); ++i)
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
}

// Runs the Restrictions command; action runs inside the sheet's loop and
// must end it. A sheet still open afterwards is cancelled, so a failed check
// cannot hang the test. Returns the text of the message shown after it.
QString RunCommand(const QList<CUser *> &users,
                   const std::function<void(CRestrictionsSheet *)> &action)
{
    CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
    CAppMessageBox::Information(nullptr, kNoMessage);
    bool ran = false;
    QTimer::singleShot(0, qApp, [&] {
        auto *sheet = qobject_cast<CRestrictionsSheet *>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        ran = true;
        action(sheet);
        if (QApplication::activeModalWidget() == sheet)
            sheet->findChild<QPushButton *>(QStringLiteral("IDCANCEL"))->click();
    });
    CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
    CRestrictionsSheet::Run(nullptr, users);
    if (!ran)
        QTest::qFail("the sheet never ran modally", __FILE__, __LINE__);
    return CAppMessageBox::GetLastText();
}

void PressOk(CRestrictionsSheet *sheet)
{
    sheet->findChild<QPushButton *>(QStringLiteral("IDOK"))->click();
}

} // namespace

class TestRestrictionsSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxesShowAllNoneOrSome_data()
    {
        QTest::addColumn<QByteArrayList>("users"); // each user's ActiveRestrictions lines
        QTest::addColumn<int>("group");
        QTest::addColumn<QList<int>>("states");

        QTest::newRow("one user allowed everything")
            << QByteArrayList{""} << 3 << QList<int>{1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("alarm allowed for one of two")
            << QByteArrayList{"", "canusealarm=0\r\n"} << 1 << QList<int>{2};
        QTest::newRow("three users agree") << QByteArrayList{"", "", ""} << 2
                                           << QList<int>{1, 1, 1, 1, 1};
        QTest::newRow("nobody may")
            << QByteArrayList{"canusemodels=0\r\n", "canusemodels=0\r\n"} << 0 << QList<int>{1, 0};
        QTest::newRow("one key differs among three")
            << QByteArrayList{"", "canrescanlist=0\r\n", ""} << 2 << QList<int>{1, 1, 1, 2, 1};
        QTest::newRow("last tab of options")
            << QByteArrayList{"candisplaylogoptions=0\r\ncandisplayusersoptions=0\r\n"} << 5
            << QList<int>{0, 1, 1, 1, 1, 1, 1, 0};
        QTest::newRow("no selection") << QByteArrayList{} << 5 << QList<int>(8, 0);
    }

    void boxesShowAllNoneOrSome()
    {
        QFETCH(QByteArrayList, users);
        QFETCH(int, group);
        QFETCH(QList<int>, states);
        RestrictionTestShare share;
        QList<CUser *> selection;
        for (int i = 0; i < users.size(); ++i)
            selection.append(share.AddUser("u" + QByteArray::number(i), users[i]));

        CRestrictionsSheet sheet(selection);
        QVERIFY(sheet.Create(false));
        QVERIFY(sheet.SetActivePage(group));
        CRestrictionPage *page = sheet.GetRestrictionPage(group);
        QCOMPARE(page->GetBoxes().size(), states.size());
        const Qt::CheckState shown[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
        for (int i = 0; i < states.size(); ++i) {
            QCOMPARE(page->GetBoxState(i), states[i]);
            QCOMPARE(Box(&sheet, group, page->GetBoxes()[i].nControlId)->checkState(),
                     shown[states[i]]);
        }
        sheet.DestroyWindow();
    }

    void clickCyclesCheckedThenMixed()
    {
        CThreeStateCheckBox box(QStringLiteral("Use Alarms"));
        QList<Qt::CheckState> seen;
        for (int i = 0; i < 3; ++i) {
            box.click();
            seen.append(box.checkState());
        }
        QCOMPARE(seen, (QList<Qt::CheckState>{Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked}));
    }

    void okWritesWhatTheOpenedPagesAsk_data()
    {
        QTest::addColumn<QByteArrayList>("users");
        QTest::addColumn<QByteArray>("clicks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArrayList>("written"); // each user's Restrictions section

        const QByteArrayList twoAlarms = {"", "canusealarm=0\r\n"};
        QTest::newRow("ok without changes") << QByteArrayList{""} << QByteArray() << true
                                            << QByteArrayList{""};
        QTest::newRow("mixed left keeps each") << twoAlarms << QByteArray("1:1030:0") << true
                                               << QByteArrayList{"", ""};
        QTest::newRow("unchecked alarm written where it differs")
            << twoAlarms << QByteArray("1:1030:1") << true
            << QByteArrayList{"canusealarm=0", ""};
        QTest::newRow("checked allows the forbidden")
            << QByteArrayList{"canusemodels=0\r\n", ""} << QByteArray("0:1029:2") << true
            << QByteArrayList{"canusemodels=1", ""};
        QTest::newRow("unopened pages untouched")
            << QByteArrayList{"", ""} << QByteArray("1:1030:2") << true
            << QByteArrayList{"canusealarm=0", "canusealarm=0"};
        QTest::newRow("several pages")
            << QByteArrayList{"", "canusealarm=0\r\n"}
            << QByteArray("5:1038:2,1:1030:2,3:1035:2") << true
            << QByteArrayList{"cansavedefault=0;candisplaylogoptions=0",
                              "canusealarm=1;cansavedefault=0;candisplaylogoptions=0"};
        QTest::newRow("cancel writes nothing")
            << QByteArrayList{"", ""} << QByteArray("1:1030:2,5:1039:2") << false
            << QByteArrayList{"", ""};
    }

    void okWritesWhatTheOpenedPagesAsk()
    {
        QFETCH(QByteArrayList, users);
        QFETCH(QByteArray, clicks);
        QFETCH(bool, ok);
        QFETCH(QByteArrayList, written);
        RestrictionTestShare share;
        QList<CUser *> selection;
        QByteArrayList before;
        for (int i = 0; i < users.size(); ++i) {
            selection.append(share.AddUser("u" + QByteArray::number(i), users[i]));
            before.append(share.Read("u" + QByteArray::number(i)));
        }

        const QString message = RunCommand(selection, [&](CRestrictionsSheet *sheet) {
            QCOMPARE(sheet->GetActiveIndex(), 0);
            Click(sheet, clicks);
            if (ok)
                PressOk(sheet);
            else
                sheet->findChild<QPushButton *>(QStringLiteral("IDCANCEL"))->click();
        });
        QCOMPARE(message, kNoMessage);
        for (int i = 0; i < users.size(); ++i) {
            const QByteArray login = "u" + QByteArray::number(i);
            QCOMPARE(share.Requests(login), written[i]);
            if (written[i].isEmpty())
                QCOMPARE(share.Read(login), before[i]);
        }
    }

    void selectionTakesEachUserOnce()
    {
        RestrictionTestShare share;
        CUser *alice = share.AddUser("alice", "");
        CUser *bob = share.AddUser("bob", "canusealarm=0\r\n");
        // Alice selected directly and again as a member of a selected group.
        CRestrictionsSheet sheet({alice, bob, nullptr, alice, bob});
        QCOMPARE(sheet.GetUsers(), (QList<CUser *>{alice, bob}));
        for (int group = 0; group < CRestrictions::GroupCount; ++group)
            QCOMPARE(sheet.GetRestrictionPage(group)->GetRestrictions().size(), 2);
    }

    void problemsNamedOnceAfterTheSheetCloses()
    {
        RestrictionTestShare share;
        CUser *alice = share.AddUser("alice", "");
        CUser *bob = share.AddUser("bob", "");
        CUser *carol = share.AddUser("carol", "canusealarm=0\r\ncanaskdisplaynotification=0\r\n");
        CUser *unusable = share.AddUser("dave/x");
        CUser *dan = share.AddUser("dan");
        QDir(share.Dir().path()).mkdir(QStringLiteral("dan.ini")); // a file nobody can read
        const QList<CUser *> selection = {alice, bob, carol, unusable, alice, dan};

        auto forbidAlarms = [&](CRestrictionsSheet *sheet) {
            QCOMPARE(sheet->GetUsers(), (QList<CUser *>{alice, bob, carol, unusable}));
            Click(sheet, "1:1030:1,3:1043:1");
            PlatformTestHooks::FailNext(PlatformTestHooks::Operation::Write, 1000, EACCES);
            PressOk(sheet);
            // The message must wait for the sheet to be gone.
            QCOMPARE(CAppMessageBox::GetLastText(), kNoMessage);
        };
        const QString message = RunCommand(selection, forbidAlarms);
        PlatformTestHooks::Reset();

        const QStringList lines = message.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const char *login : {"alice", "bob", "dave/x", "dan"})
            QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^%1: ").arg(login))).size(), 1);
        QVERIFY2(!message.contains(QStringLiteral("carol")), qPrintable(message));
        QVERIFY(message.contains(unusable->UnusableLoginMessage()));
        QCOMPARE(alice->GetActiveRestrictions(1), quint16(1));
        QCOMPARE(share.Requests("carol"), QByteArray());

        // The same request again is not taken as done: it is written now.
        const QString again = RunCommand({alice, bob, carol}, [](CRestrictionsSheet *sheet) {
            Click(sheet, "1:1030:1");
            PressOk(sheet);
        });
        QCOMPARE(again, kNoMessage);
        QCOMPARE(share.Requests("alice"), QByteArray("canusealarm=0"));
        QCOMPARE(share.Requests("bob"), QByteArray("canusealarm=0"));
    }

    void manyUsersReadOnceAndWrittenOnce()
    {
        constexpr int kUsers = 1000;
        RestrictionTestShare share;
        QList<CUser *> selection;
        for (int i = 0; i < kUsers; ++i)
            selection.append(share.AddUser("user" + QByteArray::number(i),
                                           i % 2 ? "canusealarm=0\r\n" : ""));

        // What reading each file once costs: finding it and reading it.
        Profile::ClearCache();
        quint64 start = FileSystem::OperationCount();
        for (const CUser *user : std::as_const(selection))
            Profile::Load(*user->UserFilePath());
        const quint64 readOnce = FileSystem::OperationCount() - start;
        Profile::ClearCache();

        quint64 opened = 0;
        share.CountReplacements();
        start = FileSystem::OperationCount();
        RunCommand(selection, [&](CRestrictionsSheet *sheet) {
            opened = FileSystem::OperationCount() - start;
            for (int group = 0; group < CRestrictions::GroupCount; ++group)
                sheet->SetActivePage(group);
            Click(sheet, "1:1030:1");
            PressOk(sheet);
        });
        QVERIFY2(opened <= readOnce, qPrintable(QStringLiteral("%1 operations to open, %2 to read")
                                                   .arg(opened).arg(readOnce)));
        QCOMPARE(share.TotalReplacements(), kUsers / 2);
        for (int i = 0; i < kUsers; i += 2)
            QCOMPARE(share.Replacements("user" + QByteArray::number(i)), 1);
    }

    void cancelledWriteNamesWhatWasWritten()
    {
        // More users than files in flight. Every write holds just before it
        // replaces its file until Cancel has been pressed on the progress
        // dialog: the writes already started finish, the others never start.
        constexpr int kUsers = 3 * CBulkWriter::kDefaultInFlight;
        RestrictionTestShare share;
        QList<CUser *> selection;
        QHash<QByteArray, QByteArray> before;
        for (int i = 0; i < kUsers; ++i) {
            const QByteArray login = "user" + QByteArray::number(i);
            selection.append(share.AddUser(login, ""));
            before.insert(login, share.Read(login));
        }
        std::mutex mutex;
        std::condition_variable cancelled;
        bool bPosted = false;
        bool bCancelled = false;
        QString csCount;
        PlatformTestHooks::SetBeforeReplace([&](const QString &) {
            std::unique_lock lock(mutex);
            if (!std::exchange(bPosted, true)) {
                QMetaObject::invokeMethod(qApp, [&] {
                    for (QWidget *pWindow : QApplication::topLevelWidgets())
                        if (auto *pDlg = qobject_cast<CBulkProgressDlg *>(pWindow)) {
                            pDlg->adjustSize();
                            const QString shots = qEnvironmentVariable("CORVANE_SCREENSHOTS");
                            if (!shots.isEmpty())
                                pDlg->grab().save(shots + QStringLiteral("/bulk-progress.png"));
                            pDlg->findChild<QPushButton *>(QStringLiteral("cancel"))->click();
                            csCount = pDlg->findChild<QLabel *>(QStringLiteral("count"))->text();
                        }
                    std::lock_guard lock(mutex);
                    bCancelled = true;
                    cancelled.notify_all();
                }, Qt::QueuedConnection);
            }
            cancelled.wait_for(lock, std::chrono::minutes(1), [&] { return bCancelled; });
        });
        const QString message = RunCommand(selection, [](CRestrictionsSheet *sheet) {
            Click(sheet, "1:1030:2"); // from allowed, past mixed, to forbidden
            PressOk(sheet);
        });
        PlatformTestHooks::SetBeforeReplace(nullptr);

        QVERIFY2(csCount.contains(QStringLiteral(" of %1 users").arg(kUsers)), qPrintable(csCount));
        QStringList written;
        for (const CUser *pUser : std::as_const(selection)) {
            const QByteArray login = pUser->GetLogin();
            const bool bNamed = message.contains(QRegularExpression(
                QStringLiteral("\\n%1(\\n|$)").arg(QString::fromLatin1(login))));
            if (share.Requests(login) == "canusealarm=0") {
                written.append(QString::fromLatin1(login));
                QVERIFY2(bNamed, qPrintable(login + " was written but not named:\n" + message));
            } else {
                // Not a byte changed, and not named as written.
                QCOMPARE(share.Read(login), before.value(login));
                QVERIFY2(!bNamed, qPrintable(login + " was named but not written:\n" + message));
            }
        }
        QVERIFY(!written.isEmpty());
        QVERIFY(written.size() <= CBulkWriter::kDefaultInFlight);
        QCOMPARE(CBulkProgressDlg::Summary(QStringLiteral("Restrictions sent to"), 998, 2, 0),
                 QStringLiteral("Restrictions sent to 998 users; 2 could not be written"));
        QCOMPARE(CBulkProgressDlg::Summary(QStringLiteral("Restrictions sent to"), 1, 0, 23),
                 QStringLiteral("Restrictions sent to 1 user; cancelled, 23 left unchanged"));
        QVERIFY2(message.contains(QStringLiteral("The files of %1 users were not touched")
                                      .arg(kUsers - written.size())),
                 qPrintable(message));
    }

    void pagesFitTheirLabelsAndMarkers()
    {
        RestrictionTestShare share;
        CRestrictionsSheet sheet({share.AddUser("alice", "canusealarm=0\r\n")});
        sheet.SetModelessButtons(true);
        QVERIFY(sheet.Create(true));
        const QString shots = qEnvironmentVariable("CORVANE_SCREENSHOTS");
        const QStringList titles = {"Note Creation", "Alarm",  "Send Recipients",
                                    "Send Options",  "Models", "Options"};
        for (int group = 0; group < CRestrictions::GroupCount; ++group) {
            QVERIFY(sheet.SetActivePage(group));
            QApplication::processEvents();
            CRestrictionPage *page = sheet.GetRestrictionPage(group);
            QCOMPARE(page->windowTitle(), titles[group]);
            const auto *picture = page->findChild<CRestrictionPicture *>();
            QVERIFY(picture && picture->isVisible());
            const QList<CRestrictionPicture::Marker> markers = CRestrictionPicture::GetMarkers(group);
            QCOMPARE(markers.size(), page->GetBoxes().size());
            const QRectF canvas(QPointF(0, 0), QSizeF(picture->sizeHint()));
            QList<QRect> taken = {picture->geometry()};
            for (int i = 0; i < page->GetBoxes().size(); ++i) {
                const CRestrictionPage::Box &box = page->GetBoxes()[i];
                // The number a label starts with is the number its marker shows.
                const QString label = QString::fromLatin1(box.pszLabel);
                QCOMPARE(CRestrictionPicture::MarkerText(group, box.nBit),
                         QRegularExpression(QStringLiteral("^(\\d+)\\. ")).match(label).captured(1));
                QCOMPARE(box.nBit, i);
                QVERIFY(canvas.adjusted(8, 8, -8, -8).contains(markers[i].centre));
                for (int j = 0; j < i; ++j)
                    QVERIFY(QLineF(markers[i].centre, markers[j].centre).length() >= 16);

                const QCheckBox *widget = Box(&sheet, group, box.nControlId);
                QVERIFY2(widget->width() >= widget->sizeHint().width(), box.pszLabel);
                for (const QRect &other : std::as_const(taken))
                    QVERIFY2(!other.intersects(widget->geometry()), box.pszLabel);
                taken.append(widget->geometry());
            }
            if (!shots.isEmpty())
                sheet.grab().save(QStringLiteral("%1/restrictions-%2.png").arg(shots).arg(group));
        }
        sheet.DestroyWindow();
    }
};

QTEST_MAIN(TestRestrictionsSheet)
#include "tst_restrictions_sheet.moc"
