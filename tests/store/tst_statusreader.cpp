#include "StoreTestFiles.h"

#include "store/CAdminDoc.h"
#include "store/CUser.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

namespace {

constexpr qint64 kBase = 1600000000;

// Users.ini of generation g: every field of every user's status is derived
// from g, so a status that mixes two generations gives itself away.
QByteArray Generation(int users, int g)
{
    QByteArray names = "[Users]\r\n", logon = "[Logon]\r\n", logoff = "[Logoff]\r\n",
               infos = "[Infos]\r\n";
    for (int i = 0; i < users; ++i) {
        const QByteArray login = "user" + QByteArray::number(i);
        const QByteArray n = QByteArray::number(g);
        names += login + "=Name " + QByteArray::number(i) + "\r\n";
        logon += login + '=' + QByteArray::number(kBase + 2 * g) + "\r\n";
        logoff += login + '=' + QByteArray::number(kBase + 2 * g - 1) + "\r\n";
        infos += login + '=' + n + ',' + n + ',' + n + ',' + n + ",0,L" + n + ','
            + QByteArray::number(kBase + 2 * g) + ",2,3\r\n";
    }
    return names + logon + logoff + infos;
}

// Whether a status is the initial one or wholly one generation's.
bool IsWhole(const CUserStatus &s)
{
    if (s.logonTime == 0)
        return s.logoffTime == 0 && s.version == 0 && s.language == "-";
    const qint64 g = (s.logonTime - kBase) / 2;
    return s.logoffTime == s.logonTime - 1 && s.version == g && s.build == g
        && s.oldVersion == g && s.oldBuild == g && s.lastInstallTime == s.logonTime
        && s.language == "L" + QByteArray::number(g);
}

} // namespace

class TestStatusReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readersNeverShowAHalfWrittenStatus()
    {
        QTemporaryDir dir;
        const QString usersIni = dir.filePath("Users.ini");
        int users = 300;
        WriteFileBytes(usersIni, Generation(users, 1));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(dir.path()));

        // The list's side: reads statuses on another thread all along.
        std::atomic_bool done{false};
        std::atomic_int torn{0};
        std::vector<CUser *> watched(doc.GetUsers().cbegin(), doc.GetUsers().cend());
        std::thread watcher([&] {
            while (!done)
                for (const CUser *user : watched)
                    if (!IsWhole(*user->GetStatus()))
                        ++torn;
        });

        // Reloads follow each other faster than the passes, and the roster
        // grows while passes walk it.
        const int generations = 40;
        for (int g = 2; g <= generations; ++g) {
            users += 25;
            WriteFileBytes(usersIni, Generation(users, g));
            doc.LoadRoster();
            QCoreApplication::processEvents();
        }
        doc.WaitForStatusReaders();
        done = true;
        watcher.join();

        QCOMPARE(torn.load(), 0);
        QCOMPARE(doc.GetUsers().size(), users);
        for (const CUser *user : doc.GetUsers()) {
            QVERIFY(IsWhole(*user->GetStatus()));
            QCOMPARE(user->GetLogonTime(), kBase + 2 * generations);
        }
    }

    void documentDestroyedWhileReadersRun_data()
    {
        QTest::addColumn<int>("reloads");
        QTest::newRow("one pass") << 1;
        QTest::newRow("a pass and one waiting") << 2;
        QTest::newRow("many reloads") << 8;
    }

    void documentDestroyedWhileReadersRun()
    {
        QFETCH(int, reloads);
        QTemporaryDir dir;
        const QString usersIni = dir.filePath("Users.ini");
        for (int round = 0; round < 5; ++round) {
            WriteFileBytes(usersIni, Generation(20000, 1));
            auto doc = std::make_unique<CAdminDoc>();
            QVERIFY(doc->OnNewDocument(dir.path()));
            for (int r = 1; r < reloads; ++r) {
                WriteFileBytes(usersIni, Generation(20000 + r, r + 1));
                doc->LoadRoster();
            }
            doc.reset(); // must stop and join the reader before the users go
            QCoreApplication::processEvents();
        }
    }

    void statusReadRaisedOncePerCompletedPass()
    {
        QTemporaryDir dir;
        const QString usersIni = dir.filePath("Users.ini");
        WriteFileBytes(usersIni, Generation(50, 1));
        CAdminDoc doc;
        QSignalSpy read(&doc, &CAdminDoc::StatusRead);
        QVERIFY(doc.OnNewDocument(dir.path()));
        QVERIFY(read.wait(10000));
        WriteFileBytes(usersIni, Generation(50, 2));
        doc.LoadRoster();
        QVERIFY(read.wait(10000));
        QCOMPARE(read.count(), 2);
        QCOMPARE(doc.GetUsers().first()->GetLogonTime(), kBase + 4);
    }
};

QTEST_GUILESS_MAIN(TestStatusReader)
#include "tst_statusreader.moc"
