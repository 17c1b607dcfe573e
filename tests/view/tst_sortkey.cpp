#include "view/CSortKey.h"

#include <QTest>

class TestCSortKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_MAIN(TestCSortKey)
#include "tst_sortkey.moc"
