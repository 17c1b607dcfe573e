// The parsed view and the text edits, on what the call vectors leave open:
// whole-section reads, names with NUL bytes or of the longest length, the
// line table the edits work on, and every value surviving a round trip.

#include "platform/ProfileEditor.h"
#include "platform/ProfileFile.h"

#include <QRandomGenerator>
#include <QTest>

using Entries = QList<std::pair<QByteArray, QByteArray>>;

class TestProfileFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entriesOfFirstSectionOnly()
    {
        const ProfileFile f = ProfileFile::Parse("k=top\r\n[Groups]\r\nSales=a,b\r\n;c=1\r\n"
                                                 "bare\r\nsales=dup\r\n Q = \"x y\" \r\n"
                                                 "[groups]\r\nlater=1\r\n");
        QCOMPARE(f.Entries("GROUPS"), (Entries{{"Sales", "a,b"}, {"sales", "dup"}, {"Q", "x y"}}));
        QCOMPARE(f.Keys("groups"), (QList<QByteArray>{"Sales", "sales", "Q"}));
        QCOMPARE(f.Sections(), (QList<QByteArray>{"Groups", "groups"}));
        QCOMPARE(f.SectionLines("Groups"),
                 (QList<QByteArray>{"Sales=a,b", "bare", "sales=dup", "Q=\"x y\""}));
        QVERIFY(f.HasSection(" groups "));
        QVERIFY(!f.HasSection(""));
        QCOMPARE(f.String("Groups", "later", "none"), QByteArray("none"));
        QCOMPARE(f.String("", "k", "none"), QByteArray("none"));
    }

    void missingAndFailedFiles()
    {
        const ProfileFile missing;
        QCOMPARE(missing.GetState(), ProfileFile::State::Missing);
        QCOMPARE(missing.String("s", "k", "d  "), QByteArray("d"));
        QCOMPARE(missing.Int("s", "k", 7), 7u);
        QVERIFY(missing.Lines().empty());
        const ProfileFile failed = ProfileFile::Failed();
        QVERIFY(failed.HasError());
        QVERIFY(failed.Sections().isEmpty());
        QVERIFY(ProfileFile::Parse("").Exists());
    }

    void nulBytesEndNamesAndValues()
    {
        const ProfileFile f = ProfileFile::Parse(QByteArray("[s\0x]\r\nk\0y=v\0w\r\nq=\"a\0b\"\r\n", 26));
        QCOMPARE(f.Sections(), QList<QByteArray>{"s"});
        QCOMPARE(f.Value("s", "k"), std::optional<QByteArray>("v"));
        QCOMPARE(f.Value("s", "q"), std::optional<QByteArray>("a"));
        QCOMPARE(f.Value("s", QByteArray("k\0zzz", 5)), std::optional<QByteArray>("v"));

        // A NUL after blanks leaves the name without them, like any other name.
        const ProfileFile cut = ProfileFile::Parse(QByteArray("[Gp \0\r\nA \0x=a,b\r\nA=c\r\n"
                                                              "B\t\0y=d\r\n", 30));
        QCOMPARE(cut.Sections(), QList<QByteArray>{"Gp"});
        QCOMPARE(cut.Keys("Gp"), (QList<QByteArray>{"A", "A", "B"}));
        QCOMPARE(cut.Value("Gp", "A"), std::optional<QByteArray>("a,b"));
        QCOMPARE(cut.LineName(*cut.KeyLine(cut.FindSection("Gp"), "B")), QByteArray("B"));
    }

    void longestNameArgument()
    {
        const QByteArray longest(ProfileFile::MaxArgumentLength, 'n');
        const QByteArray tooLong = longest + 'n';
        const ProfileFile f = ProfileFile::Parse("[s]\r\n" + longest + "=1\r\n" + tooLong + "=2\r\n");
        QCOMPARE(f.Value("s", longest), std::optional<QByteArray>("1"));
        QCOMPARE(f.Value("s", tooLong), std::nullopt);
        QCOMPARE(f.Keys("s").size(), 2);
    }

    void intValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("upper-case prefix is not one") << QByteArray("0X1A") << 0u;
        QTest::newRow("negative hex") << QByteArray("-0x10") << 0xFFFFFFF0u;
        QTest::newRow("hex digits stop") << QByteArray("0x1G") << 1u;
        QTest::newRow("binary stops at 2") << QByteArray("0b1012") << 5u;
        QTest::newRow("blanks inside quotes") << QByteArray("\"  -5\"") << quint32(-5);
        QTest::newRow("sign alone") << QByteArray("+") << 0u;
        QTest::newRow("max") << QByteArray("4294967295") << 4294967295u;
        QTest::newRow("long wraps") << QByteArray("18446744073709551617") << 1u;
        QTest::newRow("empty quotes give default") << QByteArray("\"\"") << 77u;
    }
    void intValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(quint32, expected);
        QCOMPARE(ProfileFile::Parse("[s]\r\nk=" + value + "\r\n").Int("s", "k", 77), expected);
    }

    // The line table agrees with the lookups it is built beside.
    void linesMatchLookups()
    {
        const QByteArray text = "; c\n[A]\rk1 = v1\r\n\r\n[B]\nk2=\"v2\"\nother\n[a]\r\nk1=x";
        const ProfileFile f = ProfileFile::Parse(text);
        const auto &lines = f.Lines();
        QCOMPARE(lines.size(), size_t(9));
        QCOMPARE(lines.back().next, text.size());
        const qsizetype s = f.FindSection("b");
        QCOMPARE(f.SectionList()[size_t(s)].name, QByteArray("B"));
        const qsizetype k = f.FindKeyLine(s, "K2");
        QCOMPARE(f.LineName(lines[size_t(k)]), QByteArray("k2"));
        QCOMPARE(f.LineValue(lines[size_t(k)]), QByteArray("v2"));
        QCOMPARE(f.FindKeyLine(f.FindSection("A"), "k1"), qsizetype(2));
        // Single lines worked out alone are the table's lines.
        const std::optional<ProfileFile::Line> alone = f.KeyLine(s, "k2");
        QVERIFY(alone);
        QCOMPARE(alone->begin, lines[size_t(k)].begin);
        QCOMPARE(alone->next, lines[size_t(k)].next);
        QCOMPARE(f.LastKeyLine(f.FindSection("A"))->valueEnd, lines[2].valueEnd);
        QVERIFY(!f.LastKeyLine(f.FindSection("nothing")));
        QCOMPARE(f.LineAt(f.SectionList()[size_t(s)].headerBegin).next, lines[4].next);
        QVERIFY(!f.SectionList()[3].first);
    }

    // Whatever a value holds (short of a line break or NUL), writing it and
    // reading it back gives it again, and only its line changes.
    void randomValuesRoundTrip()
    {
        const QByteArray before = "[a]\nx=1\n[s]\r\n; keep\r\nk=old\r\n[z]\r\n";
        QRandomGenerator rng(12345);
        const char alphabet[] = " \t\x0b\"'=;[]#abc\x80\xff";
        for (int i = 0; i < 2000; ++i) {
            QByteArray value;
            const int length = int(rng.bounded(6));
            for (int j = 0; j < length; ++j)
                value += alphabet[rng.bounded(int(sizeof alphabet) - 1)];
            const ProfileFile f = ProfileFile::Parse(before);
            const std::optional<QByteArray> after = ProfileEditor::SetValue(f, "s", "k", value);
            const QByteArray text = after.value_or(before);
            QCOMPARE(ProfileFile::Parse(text).Value("s", "k"), std::optional(value));
            QVERIFY(text.startsWith("[a]\nx=1\n[s]\r\n; keep\r\nk="));
            QVERIFY(text.endsWith("\r\n[z]\r\n"));
        }
    }

    void replaceSectionKeepsItsNeighbours()
    {
        const ProfileFile f = ProfileFile::Parse("[s]\r\na=1\r\n;c\r\nb=2\r\n\r\n[t]\r\nx=1\r\n");
        QCOMPARE(ProfileEditor::ReplaceSection(f, "S", {{"n", " 1"}, {"m", "2"}}),
                 std::optional<QByteArray>("[s]\r\nn=\" 1\"\r\nm=2\r\n\r\n[t]\r\nx=1\r\n"));
        QCOMPARE(ProfileEditor::ReplaceSection(f, "new", {}),
                 std::optional<QByteArray>("[s]\r\na=1\r\n;c\r\nb=2\r\n\r\n[t]\r\nx=1\r\n[new]\r\n"));
        const ProfileFile bare = ProfileFile::Parse("[s]");
        QCOMPARE(ProfileEditor::ReplaceSection(bare, "s", {{"k", "v"}}),
                 std::optional<QByteArray>("[s]\r\nk=v\r\n"));
    }

    void removeSectionKeepsCommentsAndBlanks()
    {
        const ProfileFile f = ProfileFile::Parse("[s]\r\na=1\r\n\r\n; why\r\nbare\r\n[t]\r\nx=1");
        QCOMPARE(ProfileEditor::RemoveSection(f, "s"),
                 std::optional<QByteArray>("\r\n; why\r\n[t]\r\nx=1"));
        QCOMPARE(ProfileEditor::RemoveSection(f, "t"),
                 std::optional<QByteArray>("[s]\r\na=1\r\n\r\n; why\r\nbare\r\n"));
        QCOMPARE(ProfileEditor::RemoveSection(f, "u"), std::nullopt);
        QCOMPARE(ProfileEditor::RemoveKey(f, "t", "x"),
                 std::optional<QByteArray>("[s]\r\na=1\r\n\r\n; why\r\nbare\r\n[t]\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
