// The clients' code page: text in every offered code page, what a code page
// cannot hold, and the choice of code page.

#include "platform/CodePage.h"

#include <QTest>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class TestCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CodePage::SetCurrent(QString::fromLatin1(CodePage::kDefaultName)); }

    void everyOfferedCodePageIsUsable()
    {
        for (const QString &name : CodePage::OfferedNames())
            QVERIFY2(CodePage::Check(name).isEmpty(), qPrintable(name));
        QCOMPARE(CodePage::CurrentName(), QStringLiteral("windows-1252"));
    }

    void textTravelsBothWays_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1252 accents") << "windows-1252" << QByteArray("Zo\xe9 Fran\xe7ois")
                                      << QString::fromUtf8("Zoé François");
        QTest::newRow("1252 euro and quotes") << "windows-1252" << QByteArray("\x80 \x93ok\x94")
                                              << QString::fromUtf8("€ “ok”");
        QTest::newRow("1250 Czech") << "windows-1250" << QByteArray("\x8a\x9d\xec\xf8")
                                    << QString::fromUtf8("Šťěř");
        QTest::newRow("1251 Russian") << "windows-1251" << QByteArray("\xc8\xe2\xe0\xed")
                                      << QString::fromUtf8("Иван");
        QTest::newRow("932 Japanese") << "windows-932" << QByteArray("\x93\xfa\x96\x7b\x8c\xea")
                                      << QString::fromUtf8("日本語");
        QTest::newRow("936 Chinese") << "windows-936" << QByteArray("\xd6\xd0\xce\xc4")
                                     << QString::fromUtf8("中文");
        QTest::newRow("949 Korean") << "windows-949" << QByteArray("\xc7\xd1\xb1\xdb")
                                    << QString::fromUtf8("한글");
        QTest::newRow("950 Chinese") << "windows-950" << QByteArray("\xa4\xa4\xa4\xe5")
                                     << QString::fromUtf8("中文");
    }
    void textTravelsBothWays()
    {
        QFETCH(QString, codePage);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(CodePage::SetCurrent(codePage));
        QCOMPARE(CodePage::Decode(bytes), text);
        QCOMPARE(CodePage::Encode(text), std::optional(bytes));
        QVERIFY(CodePage::RoundTrips(bytes));
    }

    void whatTheCodePageCannotHoldIsRefused_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("missing");
        QTest::newRow("1252, Japanese") << "windows-1252" << QString::fromUtf8("a日本b日")
                                        << QString::fromUtf8("日本");
        QTest::newRow("1252, no best fit") << "windows-1252" << QString::fromUtf8("Āda")
                                           << QString::fromUtf8("Ā");
        QTest::newRow("1252, outside the BMP") << "windows-1252" << QString::fromUtf8("x😀")
                                               << QString::fromUtf8("😀");
        QTest::newRow("932, French") << "windows-932" << QString::fromUtf8("café")
                                     << QString::fromUtf8("é");
        QTest::newRow("1251, Greek") << "windows-1251" << QString::fromUtf8("Иαн")
                                     << QString::fromUtf8("α");
    }
    void whatTheCodePageCannotHoldIsRefused()
    {
        QFETCH(QString, codePage);
        QFETCH(QString, text);
        QFETCH(QString, missing);
        QVERIFY(CodePage::SetCurrent(codePage));
        QCOMPARE(CodePage::Encode(text), std::nullopt);
        QCOMPARE(CodePage::Unencodable(text), missing);
    }

    // Bytes that are not text in the code page show as something, but could
    // not be written back from what is shown.
    void bytesOutsideTheCodePageDoNotRoundTrip_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("roundTrips");
        QTest::newRow("1252, every byte") << "windows-1252" << QByteArray() << true;
        QTest::newRow("932, lone lead byte") << "windows-932" << QByteArray("ab\x82") << false;
        QTest::newRow("932, bad trail byte") << "windows-932" << QByteArray("\x82\x20") << false;
        QTest::newRow("936, lone lead byte") << "windows-936" << QByteArray("\xd6") << false;
    }
    void bytesOutsideTheCodePageDoNotRoundTrip()
    {
        QFETCH(QString, codePage);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, roundTrips);
        QVERIFY(CodePage::SetCurrent(codePage));
        if (bytes.isEmpty()) {
            for (int c = 0x20; c < 0x100; ++c)
                bytes += char(c);
        }
        QCOMPARE(CodePage::RoundTrips(bytes), roundTrips);
        QVERIFY(!CodePage::Decode(bytes).isEmpty());
    }

    void unusableCodePagesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown") << "windows-9999";
        QTest::newRow("empty") << "";
        QTest::newRow("UTF-16: not ASCII") << "UTF-16LE";
        QTest::newRow("EBCDIC: not ASCII") << "ibm-037";
    }
    void unusableCodePagesAreRefused()
    {
        QFETCH(QString, name);
        QVERIFY(CodePage::SetCurrent(QStringLiteral("windows-1250")));
        QVERIFY(!CodePage::Check(name).isEmpty());
        QVERIFY(!CodePage::SetCurrent(name));
        QCOMPARE(CodePage::CurrentName(), QStringLiteral("windows-1250"));
        QCOMPARE(CodePage::Decode("\x8a"), QString::fromUtf8("Š"));
    }

    // A thread that decoded before the change decodes with the new code page
    // after it.
    void otherThreadsFollowTheChange()
    {
        QString before, after;
        int stage = 0; // 1: the thread decoded once; 2: the code page changed
        QMutex mutex;
        QWaitCondition wake;
        auto waitFor = [&](int wanted) {
            QMutexLocker lock(&mutex);
            while (stage < wanted)
                wake.wait(&mutex);
        };
        auto advance = [&] {
            QMutexLocker lock(&mutex);
            ++stage;
            wake.wakeAll();
        };
        std::unique_ptr<QThread> thread(QThread::create([&] {
            before = CodePage::Decode("\xc8");
            advance();
            waitFor(2);
            after = CodePage::Decode("\xc8");
        }));
        thread->start();
        waitFor(1);
        QVERIFY(CodePage::SetCurrent(QStringLiteral("windows-1251")));
        advance();
        QVERIFY(thread->wait());
        QCOMPARE(before, QString::fromUtf8("È"));
        QCOMPARE(after, QString::fromUtf8("И"));
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
