#include "view/CListHeader.h"
#include "view/CListViewEx.h"

#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QTest>

// Every character is 10 pixels wide, the dots 3 x 4; widths are then exact.
static int FixedWidth(QStringView text)
{
    int nWidth = 0;
    for (QChar c : text)
        nWidth += c == u'.' ? 4 : 10;
    return nWidth;
}

// What the header hands the style for a section.
class HeaderProbe : public CListHeader
{
public:
    using CListHeader::CListHeader;
    QStyleOptionHeader Option(int nSection) const
    {
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, nSection);
        return option;
    }
};

class TestCListViewEx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shortStringKeepsLongestFittingPrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("shown");
        // "abcdef" is 60 wide, "..." 12.
        QTest::newRow("empty") << "" << 0 << 12 << "";
        QTest::newRow("fits exactly with the offset") << "abcdef" << 72 << 12 << "abcdef";
        QTest::newRow("one pixel short") << "abcdef" << 71 << 12 << "abcd...";
        QTest::newRow("label offset") << "abcdef" << 64 << 4 << "abcdef";
        QTest::newRow("label one short") << "abcdef" << 63 << 4 << "abcd...";
        QTest::newRow("room for three") << "abcdef" << 54 << 12 << "abc...";
        QTest::newRow("room for one") << "abcdef" << 34 << 12 << "a...";
        QTest::newRow("no room keeps first") << "abcdef" << 0 << 12 << "a...";
        QTest::newRow("negative width") << "abcdef" << -20 << 4 << "a...";
        QTest::newRow("single char too wide") << "x" << 5 << 12 << "x...";
        QTest::newRow("dots in the text") << "a.b.c.d" << 30 << 4 << "a....";
    }

    void shortStringKeepsLongestFittingPrefix()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, offset);
        QFETCH(QString, shown);
        QCOMPARE(CListViewEx::MakeShortString(&FixedWidth, text, width, offset), shown);
    }

    void shortStringNeverSplitsASurrogatePair()
    {
        // U+1F600 is two UTF-16 units; a cut between them would leave half.
        const QString text = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + "bcdef";
        for (int width = 0; width < 120; ++width) {
            const QString shown = CListViewEx::MakeShortString(&FixedWidth, text, width, 4);
            for (qsizetype i = 0; i < shown.size(); ++i)
                if (shown.at(i).isHighSurrogate())
                    QVERIFY2(i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate(),
                             qPrintable(QString::number(width)));
        }
    }

    void narrowHeaderTitleIsShortenedAndStartsLeft_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("right aligned, wide") << 300 << int(Qt::AlignRight) << false;
        QTest::newRow("right aligned, narrow") << 40 << int(Qt::AlignRight) << true;
        QTest::newRow("centred, narrow") << 40 << int(Qt::AlignHCenter) << true;
        QTest::newRow("left aligned, wide") << 300 << int(Qt::AlignLeft) << false;
    }
    void narrowHeaderTitleIsShortenedAndStartsLeft()
    {
        QFETCH(int, width);
        QFETCH(int, alignment);
        QFETCH(bool, shortened);
        QStandardItemModel model(1, 2);
        model.setHorizontalHeaderLabels({"Login", "Version"});
        model.setHeaderData(1, Qt::Horizontal, alignment | Qt::AlignVCenter, Qt::TextAlignmentRole);
        CListViewEx view;
        QVERIFY(qobject_cast<CListHeader *>(view.header()));
        auto *pHeader = new HeaderProbe(&view);
        view.setHeader(pHeader);
        view.setModel(&model);
        view.resize(400, 100);
        view.show();
        pHeader->resizeSection(1, width);
        const QStyleOptionHeader option = pHeader->Option(1);
        const Qt::Alignment horizontal = option.textAlignment & Qt::AlignHorizontal_Mask;
        if (!shortened) {
            QCOMPARE(option.text, QStringLiteral("Version"));
            QCOMPARE(int(horizontal), alignment);
            return;
        }
        QVERIFY2(option.text.startsWith(u'V') && option.text.endsWith(QStringLiteral("...")),
                 qPrintable(option.text));
        QVERIFY(option.fontMetrics.horizontalAdvance(option.text) <= width);
        QCOMPARE(int(horizontal), int(Qt::AlignLeft));
    }

    void cellAlignment_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("shortened");
        QTest::addColumn<int>("horizontal");
        QTest::newRow("left") << 1 << 0 << false << int(Qt::AlignLeft);
        QTest::newRow("right") << 1 << 1 << false << int(Qt::AlignRight);
        QTest::newRow("centred") << 3 << 2 << false << int(Qt::AlignHCenter);
        QTest::newRow("unknown format") << 3 << 7 << false << int(Qt::AlignLeft);
        QTest::newRow("shortened right") << 1 << 1 << true << int(Qt::AlignLeft);
        QTest::newRow("shortened centred") << 2 << 2 << true << int(Qt::AlignLeft);
        QTest::newRow("first column right") << 0 << 1 << false << int(Qt::AlignLeft);
        QTest::newRow("first column centred") << 0 << 2 << false << int(Qt::AlignLeft);
    }

    void cellAlignment()
    {
        QFETCH(int, column);
        QFETCH(int, format);
        QFETCH(bool, shortened);
        QFETCH(int, horizontal);
        const Qt::Alignment alignment = CListViewEx::CellAlignment(column, format, shortened);
        QCOMPARE(int(alignment & Qt::AlignHorizontal_Mask), horizontal);
        QVERIFY(alignment & Qt::AlignVCenter);
    }

    void highlightRect_data()
    {
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<int>("labelLeft");
        QTest::addColumn<int>("client");
        QTest::addColumn<bool>("clientWidthSel");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("stretched to the client edge")
            << QRect(0, 10, 300, 18) << 20 << 500 << true << QRect(20, 10, 480, 18);
        QTest::newRow("ends at the last column when off")
            << QRect(0, 10, 300, 18) << 20 << 500 << false << QRect(20, 10, 280, 18);
        QTest::newRow("wider than the client stays")
            << QRect(-50, 10, 800, 18) << -30 << 500 << true << QRect(-30, 10, 780, 18);
        QTest::newRow("exactly the client width")
            << QRect(0, 0, 500, 18) << 20 << 500 << true << QRect(20, 0, 480, 18);
    }

    void highlightRect()
    {
        QFETCH(QRect, bounds);
        QFETCH(int, labelLeft);
        QFETCH(int, client);
        QFETCH(bool, clientWidthSel);
        QFETCH(QRect, expected);
        QCOMPARE(CListViewEx::HighlightRect(bounds, labelLeft, client, clientWidthSel), expected);
    }
};

QTEST_MAIN(TestCListViewEx)
#include "tst_listviewex.moc"
