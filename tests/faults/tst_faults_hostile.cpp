// A shared directory someone set traps in: a roster, user files and logs
// that are FIFOs, devices or links to files outside. The document opens
// without blocking and lists nothing read through a link; no save, request
// or log clear goes through one, and each failure says what the file is.
#include "FaultTestShare.h"
#include "tests/platform/HostileFiles.h"

#include "store/CLogFile.h"

#include <csignal>
#include <optional>

using namespace HostileFiles;

class TestFaultsHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { std::signal(SIGPIPE, SIG_IGN); }

    void startUpNeverBlocksOnTheRoster_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("FIFO") << 0;
        QTest::newRow("link to /dev/zero") << 1;
        QTest::newRow("link to a roster outside") << 2;
    }

    void startUpNeverBlocksOnTheRoster()
    {
        QFETCH(int, kind);
        FaultTestShare share;
        const QString roster = share.FilePath(QStringLiteral("Users.ini"));
        const QString outside = share.Path() + QStringLiteral("/../outside.ini");
        QFile::remove(roster);
        QFile out(outside);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(FaultTestShare::kUsersIni);
        out.close();
        switch (kind) {
        case 0: QVERIFY(Fifo(roster)); break;
        case 1: QVERIFY(Symlink("/dev/zero", roster)); break;
        default: QVERIFY(Symlink("../outside.ini", roster)); break;
        }
        std::optional<FifoWatch> watch;
        if (kind == 0)
            watch.emplace(roster);

        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        doc.LoadRoster();
        QVERIFY(doc.GetUsers().isEmpty());
        QVERIFY(doc.GetGroups().isEmpty());
        if (watch)
            QCOMPARE(watch->Stop(), 0);
    }

    void userFilesAndLogsBehindTrapsAreLeftAlone()
    {
        FaultTestShare share;
        const QString outside = share.Path() + QStringLiteral("/../outside.ini");
        const QByteArray outsideBytes = "[Parameters]\r\nRefreshRate=5\r\n";
        QFile out(outside);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(outsideBytes);
        out.close();
        QFile::remove(share.FilePath(QStringLiteral("alice.ini")));
        QVERIFY(Symlink(Native(outside), share.FilePath(QStringLiteral("alice.ini"))));
        QVERIFY(Symlink("../outside.ini", share.FilePath(QStringLiteral("alice.log"))));
        QVERIFY(Fifo(share.FilePath(QStringLiteral("bob.ini"))));
        QVERIFY(Fifo(share.FilePath(QStringLiteral("carol.log"))));
        FifoWatch bobWatch(share.FilePath(QStringLiteral("bob.ini")));
        FifoWatch carolWatch(share.FilePath(QStringLiteral("carol.log")));

        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share.Path()));
        doc.WaitForStatusReaders();
        CUser *alice = doc.FindUser("alice");
        CUser *bob = doc.FindUser("bob");
        CUser *carol = doc.FindUser("carol");
        QVERIFY(alice && bob && carol);
        alice->LoadGroups(doc);
        bob->LoadGroups(doc);

        const struct
        {
            ProfileResult result;
            QString file;
            QString words;
        } outcomes[] = {
            {alice->SetRefreshRate(30), "alice.ini", "symbolic link"},
            {alice->SaveGroups(), "alice.ini", ""},
            {CLogFile::Request(*alice, 1700000000), "alice.ini", "symbolic link"},
            {CLogFile::Clear(*alice), "alice.log", "symbolic link"},
            {bob->SetRefreshRate(30), "bob.ini", "FIFO"},
            {CLogFile::Clear(*carol), "carol.log", "FIFO"},
        };
        for (const auto &outcome : outcomes) {
            QVERIFY(!outcome.result.ok);
            QVERIFY2(outcome.result.message.contains(outcome.file)
                         && outcome.result.message.contains(outcome.words),
                     qPrintable(outcome.result.message));
        }
        QCOMPARE(bobWatch.Stop(), 0);
        QCOMPARE(carolWatch.Stop(), 0);
        QFile check(outside);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), outsideBytes);
        QVERIFY(QFileInfo(share.FilePath(QStringLiteral("alice.log"))).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestFaultsHostile)
#include "tst_faults_hostile.moc"
