#include "store/CUser.h"
#include "view/CSortKey.h"

#include <QTest>

class TestCSortKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textsIgnoreCase_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("case only") << QByteArray("Gina") << QByteArray("gina") << 0;
        QTest::newRow("upper after lower letter") << QByteArray("frank") << QByteArray("Gina") << -1;
        QTest::newRow("prefix first") << QByteArray("ann") << QByteArray("Anna") << -1;
        QTest::newRow("dash before letters") << QByteArray("-") << QByteArray("No") << -1;
        QTest::newRow("accented, case only")
            << QString::fromUtf8("\xc3\x89mile").toLocal8Bit()
            << QString::fromUtf8("\xc3\xa9mile").toLocal8Bit() << 0;
        QTest::newRow("empty first") << QByteArray() << QByteArray("a") << -1;
    }

    void textsIgnoreCase()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        QCOMPARE(CSortKey::CompareTexts(a, b), order);
        QCOMPARE(CSortKey::CompareTexts(b, a), -order);
    }

    void packedKeysOrderLikeTheirTexts()
    {
        // Around the eight packed bytes: shorter, equal, longer, and texts
        // that differ only after them.
        const QList<QByteArray> texts = {"",          "a",          "abcdefg",   "abcdefgh",
                                         "abcdefghi", "abcdefghij", "abcdefgha", "abcdefgz",
                                         "b",         "abcdefgh",   "zz",        "abcdefghij"};
        for (qsizetype i = 0; i < texts.size(); ++i)
            for (qsizetype j = 0; j < texts.size(); ++j) {
                const auto a = CSortKey::Packed::Make(texts[i], int(i));
                const auto b = CSortKey::Packed::Make(texts[j], int(j));
                const bool expected = texts[i] < texts[j] || (texts[i] == texts[j] && i < j);
                QVERIFY2((a < b) == expected, texts[i] + " / " + texts[j]);
            }
    }

    void fieldsSortTheirWay_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("kind");
        using K = CSortKey::Kind;
        QTest::newRow("login") << int(CUser::ColLogin) << int(K::Text);
        QTest::newRow("connected") << int(CUser::ColConnected) << int(K::Text);
        QTest::newRow("logoff") << int(CUser::ColLogoff) << int(K::Time);
        QTest::newRow("last install") << int(CUser::ColLastInstall) << int(K::Time);
        QTest::newRow("os") << int(CUser::ColOS) << int(K::Number);
        QTest::newRow("old version") << int(CUser::ColOldVersion) << int(K::None);
        QTest::newRow("no such field") << 11 << int(K::None);
    }

    void fieldsSortTheirWay()
    {
        QFETCH(int, field);
        QFETCH(int, kind);
        QCOMPARE(int(CSortKey::KindOf(field)), kind);
    }
};

QTEST_MAIN(TestCSortKey)
#include "tst_sortkey.moc"
