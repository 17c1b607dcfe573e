#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"

#include <QtTest>

class TestStringTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void subStrings_data();
    void subStrings();
    void commandNames_data();
    void commandNames();
};

void TestStringTable::subStrings_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    QTest::newRow("caption") << IDR_MAINFRAME << 0 << QStringLiteral("Corvane Administration Tool");
    QTest::newRow("empty document name") << IDR_MAINFRAME << 1 << QString();
    QTest::newRow("new-file name") << IDR_MAINFRAME << 2 << QStringLiteral("VirIve");
    QTest::newRow("type id") << IDR_MAINFRAME << 5 << QStringLiteral("Admin.Document");
    QTest::newRow("type name") << IDR_MAINFRAME << 6 << QStringLiteral("VirIve Document");
    QTest::newRow("past the last part") << IDR_MAINFRAME << 7 << QString();
    QTest::newRow("prompt status part") << ID_VIEW_REFRESH << 0 << QStringLiteral("Refresh display");
    QTest::newRow("prompt tooltip part") << ID_VIEW_REFRESH << 1 << QStringLiteral("Refresh");
    QTest::newRow("no tooltip part") << AFX_IDS_APP_TITLE << 1 << QString();
    QTest::newRow("unknown id") << 1 << 0 << QString();
    QTest::newRow("time format keeps its blank") << IDS_TIME_FORMAT << 0
                                                 << QStringLiteral(" %m-%d-%Y %H:%M:%S");
}

void TestStringTable::subStrings()
{
    QFETCH(int, id);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(CStringTable::SubString(id, index), expected);
}

void TestStringTable::commandNames_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("32801") << 32801 << QStringLiteral("ID_VIEW_REFRESH");
    QTest::newRow("32789") << 32789 << QStringLiteral("ID_FILE_DEFINE_SHARE_DIRECTORY");
    QTest::newRow("57642") << 57642 << QStringLiteral("ID_EDIT_SELECT_ALL");
    QTest::newRow("unknown") << 32790 << QString();
}

void TestStringTable::commandNames()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QCOMPARE(QString::fromLatin1(CommandIdName(id)), name);
}

QTEST_MAIN(TestStringTable)
#include "tst_stringtable.moc"
