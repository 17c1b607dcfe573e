#include "platform/CStringTable.h"
#include "platform/LocalTime.h"
#include "platform/ProfileFile.h"
#include "platform/ResourceIds.h"
#include "store/CUser.h"

#include <QTest>
#include <ctime>

namespace {

constexpr qint64 kT = 1700000000; // 11-14-2023 22:13:20 UTC

QByteArray Num(qint64 value)
{
    return QByteArray::number(value);
}

// Users.ini as the status reader sees it; a null text leaves the entry out.
ProfileFile UsersIniFor(const QByteArray &login, const QByteArray &logon,
                        const QByteArray &logoff, const QByteArray &infos = {})
{
    QByteArray text = "[Logon]\r\n";
    if (!logon.isNull())
        text += login + '=' + logon + "\r\n";
    text += "[Logoff]\r\n";
    if (!logoff.isNull())
        text += login + '=' + logoff + "\r\n";
    text += "[Infos]\r\n";
    if (!infos.isNull())
        text += login + '=' + infos + "\r\n";
    return ProfileFile::Parse(text);
}

} // namespace

class TestCUser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    void newUserShowsNothingKnown()
    {
        CUser user("alice", "Alice Martin");
        const QList<QByteArray> expected = {"alice", "Alice Martin", "-", "-", "-", "-",
                                            "-", "-", "-", "-", "-"};
        for (int column = 0; column < CUser::ColumnCount; ++column)
            QCOMPARE(user.GetColumnText(column, kT), expected[column]);
        QCOMPARE(user.GetColumnText(CUser::ColumnCount, kT), QByteArray());
        QCOMPARE(user.GetColumnText(-1, kT), QByteArray());
        QCOMPARE(user.GetOS(), quint16(0xFFFF));
        QCOMPARE(user.GetConnectionState(), CUser::Undetermined);
    }

    void infoRecordFillsColumns_data()
    {
        QTest::addColumn<QByteArray>("infos");
        // Version, Old Version, Language, Last Install, OS, Level
        QTest::addColumn<QList<QByteArray>>("texts");

        QTest::newRow("full record")
            << "21,340,20,300,x,English," + Num(kT) + ",2,3"
            << QList<QByteArray>{"2.1 (build 340)", "2.0 (build 300)", "English",
                                 " 11-14-2023 22:13:20", "Windows NT", "Corvane Pro"};
        QTest::newRow("empty field skipped")
            << QByteArray("21,,340") << QList<QByteArray>{"2.1 (build 340)", "-", "-", "-", "-", "-"};
        QTest::newRow("outer commas ignored")
            << QByteArray(",,21,340,,,") << QList<QByteArray>{"2.1 (build 340)", "-", "-", "-", "-", "-"};
        QTest::newRow("minus one is no version")
            << QByteArray("-1,-1,-1,-1") << QList<QByteArray>{"-", "-", "-", "-", "-", "-"};
        QTest::newRow("zero version with a build")
            << QByteArray("0,7") << QList<QByteArray>{"0.0 (build 7)", "-", "-", "-", "-", "-"};
        QTest::newRow("atoi rules")
            << QByteArray("  21abc,+340,x,y,z,Fr,12junk,1,2")
            << QList<QByteArray>{"2.1 (build 340)", "-", "Fr", " 01-01-1970 00:00:12",
                                 "Windows 95", "Corvane Standard"};
        QTest::newRow("16-bit fields keep their low bits")
            << QByteArray("65557,65876,0,0,0,De,0,65536,65537")
            << QList<QByteArray>{"2.1 (build 340)", "-", "De", "-", "Windows 3.x", "Corvane Light"};
        // The clients' atoi answers INT_MAX or INT_MIN beyond the int range.
        QTest::newRow("numbers beyond an int")
            << QByteArray("99999999999,-99999999999,4294967297,1,x,En,99999999999,4294967296,"
                          "-4294967296")
            << QList<QByteArray>{"6553.5 (build 0)", "6553.5 (build 1)", "En",
                                 " 01-19-2038 03:14:07", "-", "-"};
        QTest::newRow("unknown codes")
            << QByteArray("10,1,0,0,0,En,0,4,0")
            << QList<QByteArray>{"1.0 (build 1)", "-", "En", "-", "-", "-"};
        QTest::newRow("os 3 is NT")
            << QByteArray("1,1,1,1,1,En,1,3,9")
            << QList<QByteArray>{"0.1 (build 1)", "0.1 (build 1)", "En", " 01-01-1970 00:00:01",
                                 "Windows NT", "-"};
        QTest::newRow("empty record") << QByteArray("") << QList<QByteArray>{"-", "-", "-", "-", "-", "-"};
    }

    void infoRecordFillsColumns()
    {
        QFETCH(QByteArray, infos);
        QFETCH(QList<QByteArray>, texts);
        CUser user("alice", "Alice");
        user.ParseInfos(infos);
        const int columns[] = {CUser::ColVersion, CUser::ColOldVersion, CUser::ColLanguage,
                               CUser::ColLastInstall, CUser::ColOS, CUser::ColLevel};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(user.GetColumnText(columns[i], kT), texts[i]);
    }

    void namesAndTimeFormatComeFromTheStringTable()
    {
        // Level code, OS code, and the entries their names must come from.
        const int table[][4] = {{1, 0, IDS_LEVEL_LIGHT, IDS_OS_WIN3},
                                {2, 1, IDS_LEVEL_STANDARD, IDS_OS_WIN95},
                                {3, 2, IDS_LEVEL_PRO, IDS_OS_WINNT},
                                {3, 3, IDS_LEVEL_PRO, IDS_OS_WINNT}};
        const QByteArray format = CStringTable::Load(IDS_TIME_FORMAT).toLatin1();
        for (const auto &row : table) {
            CUser user("alice", "Alice");
            user.ParseInfos("0,0,0,0,0,x," + Num(kT) + ',' + Num(row[1]) + ',' + Num(row[0]));
            QCOMPARE(user.GetColumnText(CUser::ColLevel, kT), CStringTable::Load(row[2]).toLatin1());
            QCOMPARE(user.GetColumnText(CUser::ColOS, kT), CStringTable::Load(row[3]).toLatin1());
            QCOMPARE(user.GetColumnText(CUser::ColLastInstall, kT),
                     LocalTime::Format(kT, format.constData()).toLatin1());
        }
    }

    void shortRecordKeepsEarlierFields()
    {
        CUser user("alice", "Alice");
        user.ParseInfos("21,340,20,300,x,English," + Num(kT) + ",2,3");
        user.ParseInfos("22,400");
        QCOMPARE(user.GetColumnText(CUser::ColVersion, kT), QByteArray("2.2 (build 400)"));
        QCOMPARE(user.GetColumnText(CUser::ColOldVersion, kT), QByteArray("2.0 (build 300)"));
        QCOMPARE(user.GetColumnText(CUser::ColLanguage, kT), QByteArray("English"));
        QCOMPARE(user.GetOS(), quint16(2));
    }

    void connectedColumnAndState_data()
    {
        QTest::addColumn<QByteArray>("logon");  // null: no entry
        QTest::addColumn<QByteArray>("logoff");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<QByteArray>("connected");
        QTest::addColumn<int>("state");

        const QByteArray none;
        QTest::newRow("never logged on") << none << none << kT << QByteArray("-") << 2;
        QTest::newRow("logon zero") << QByteArray("0") << Num(kT) << kT << QByteArray("-") << 2;
        QTest::newRow("logged on, logoff later")
            << Num(kT - 100) << Num(kT - 50) << kT << QByteArray("No") << 0;
        QTest::newRow("logged on after logoff")
            << Num(kT - 50) << Num(kT - 100) << kT << QByteArray("Yes") << 1;
        QTest::newRow("equal times") << Num(kT - 50) << Num(kT - 50) << kT << QByteArray("No") << 0;
        QTest::newRow("no logoff yet") << Num(kT - 50) << none << kT << QByteArray("Yes") << 2;
        QTest::newRow("exactly five days")
            << Num(kT - 432000) << Num(kT - 500000) << kT << QByteArray("Yes") << 1;
        QTest::newRow("five days and a second")
            << Num(kT - 432001) << Num(kT - 500000) << kT << QByteArray("-") << 1;
        QTest::newRow("negative time is none") << QByteArray("-5") << none << kT << QByteArray("-") << 2;
    }

    void connectedColumnAndState()
    {
        QFETCH(QByteArray, logon);
        QFETCH(QByteArray, logoff);
        QFETCH(qint64, now);
        QFETCH(QByteArray, connected);
        QFETCH(int, state);
        CUser user("bob", "Bob");
        user.ReadStatus(UsersIniFor("bob", logon, logoff));
        QCOMPARE(user.GetColumnText(CUser::ColConnected, now), connected);
        QCOMPARE(int(user.GetConnectionState()), state);
        QVERIFY(!user.HasStatusReadFailed());
    }

    void statusReadFormatsTimes()
    {
        CUser user("bob", "Bob");
        user.ReadStatus(UsersIniFor("bob", Num(kT), Num(kT + 61), "21,340"));
        QCOMPARE(user.GetColumnText(CUser::ColLogon, kT), QByteArray(" 11-14-2023 22:13:20"));
        QCOMPARE(user.GetColumnText(CUser::ColLogoff, kT), QByteArray(" 11-14-2023 22:14:21"));
        QCOMPARE(user.GetColumnText(CUser::ColVersion, kT), QByteArray("2.1 (build 340)"));
    }

    void statusMatchesLoginWithoutRegardToCase()
    {
        // The clients' profile functions find "Bob" under "bob"; so does the tool.
        CUser user("bob", "Bob");
        user.ReadStatus(ProfileFile::Parse("[Logon]\r\nBOB=" + Num(kT) + "\r\n"));
        QCOMPARE(user.GetLogonTime(), kT);
    }

    void missingEntriesClearTimesButKeepInfos()
    {
        CUser user("bob", "Bob");
        user.ReadStatus(UsersIniFor("bob", Num(kT), Num(kT - 5), "21,340,0,0,0,Fr"));
        user.ReadStatus(UsersIniFor("bob", {}, {}, {}));
        QCOMPARE(user.GetLogonTime(), qint64(0));
        QCOMPARE(user.GetLogoffTime(), qint64(0));
        QCOMPARE(user.GetColumnText(CUser::ColLanguage, kT), QByteArray("Fr"));
    }

    void unreadableFileKeepsStatusAndSetsFlag()
    {
        CUser user("bob", "Bob");
        user.ReadStatus(UsersIniFor("bob", Num(kT), Num(kT - 5), "21,340"));
        user.ReadStatus(ProfileFile::Failed());
        QVERIFY(user.HasStatusReadFailed());
        QCOMPARE(user.GetLogonTime(), kT);
        user.ReadStatus(UsersIniFor("bob", Num(kT + 1), Num(kT - 5)));
        QVERIFY(!user.HasStatusReadFailed());
        QCOMPARE(user.GetLogonTime(), kT + 1);
    }

    void upgradePendingUntilVersionChanges_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("mark");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("pending");

        QTest::newRow("same version") << QByteArray("21,340") << true << QByteArray("21,340") << true;
        QTest::newRow("new build") << QByteArray("21,340") << true << QByteArray("21,341") << false;
        QTest::newRow("new version") << QByteArray("21,340") << true << QByteArray("22,340") << false;
        QTest::newRow("never asked") << QByteArray("21,340") << false << QByteArray("21,340") << false;
        QTest::newRow("unknown version") << QByteArray("-1,-1") << true << QByteArray("-1,-1") << false;
    }

    void upgradePendingUntilVersionChanges()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, mark);
        QFETCH(QByteArray, after);
        QFETCH(bool, pending);
        CUser user("bob", "Bob");
        user.ParseInfos(before);
        if (mark)
            user.MarkUpgradeRequested();
        user.ParseInfos(after);
        QCOMPARE(user.IsUpgradePending(), pending);
    }
};

QTEST_GUILESS_MAIN(TestCUser)
#include "tst_cuser.moc"
