#include "uilib/CAppMessageBox.h"
#include "uilib/CRegistryAccess.h"
#include "view/CColumnArray.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A settings format whose files can never be read, to play a settings store
// that is there but unusable.
bool ReadNothing(QIODevice &, QSettings::SettingsMap &)
{
    return false;
}

bool WriteNothing(QIODevice &, const QSettings::SettingsMap &)
{
    return false;
}

const QStringList kTitles = {"Login", "Real Name", "Logon", "Logoff", "Connected", "Version",
                             "Old Version", "Level", "OS", "Language", "Last Install"};

} // namespace

class TestCColumnArray : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    // The columns key as the settings hold it.
    std::unique_ptr<QSettings> Stored() const
    {
        auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                    "Corvane", "Admin");
        settings->beginGroup("Columns");
        return settings;
    }

    void Store(const QMap<QString, QString> &values) const
    {
        auto settings = Stored();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings->setValue(it.key(), it.value());
    }

    // index:position:width:alignment of every column, in the array's order.
    static QStringList Layout(const CColumnArray &columns)
    {
        QStringList layout;
        for (int i = 0; i < columns.GetSize(); ++i) {
            const CColumn *c = columns.GetAt(i);
            layout.append(QStringLiteral("%1:%2:%3:%4")
                              .arg(c->GetIndex())
                              .arg(c->GetPosition())
                              .arg(c->GetWidth())
                              .arg(c->GetAlignment()));
        }
        return layout;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        CRegistryAccess::SetFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_dir->filePath("sys"));
    }

    void storedTextIsParsedLikeTheRuntime_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("alignment");
        QTest::newRow("all three") << "3/100/0" << 3 << 100 << 0;
        QTest::newRow("two fields") << "2/150" << 2 << 150 << 0;
        QTest::newRow("letters only") << "abc" << 0 << 100 << 0;
        QTest::newRow("empty") << "" << -1000 << 100 << 0;
        QTest::newRow("only slashes") << "///" << -1000 << 100 << 0;
        QTest::newRow("empty field skipped") << "2//150" << 2 << 150 << 0;
        QTest::newRow("blanks and signs") << " +4/\t80 / 1" << 4 << 80 << 1;
        QTest::newRow("digits then junk") << "7px/120px/2x" << 7 << 120 << 2;
        QTest::newRow("hidden by Display page") << "-1000/230/1" << -1000 << 230 << 1;
        QTest::newRow("negative width") << "5/-20/1" << 5 << 100 << 1;
        QTest::newRow("absurd width") << "5/99999999999/1" << 5 << 100 << 1;
        QTest::newRow("unknown alignment") << "1/100/7" << 1 << 100 << 0;
        QTest::newRow("fourth field ignored") << "1/60/2/9" << 1 << 60 << 2;
        QTest::newRow("huge position") << "99999999999/50/0" << 10000 << 50 << 0;
        QTest::newRow("huge negative position") << "-99999999999/50/0" << -10000 << 50 << 0;
        QTest::newRow("garbage bytes") << QString::fromUtf8("\xc3\xa9\x01/\xe2\x82\xac") << 0 << 0
                                       << 0;
    }

    void storedTextIsParsedLikeTheRuntime()
    {
        QFETCH(QString, stored);
        QFETCH(int, position);
        QFETCH(int, width);
        QFETCH(int, alignment);
        const CColumn column(4, "Connected", stored);
        QCOMPARE(column.GetPosition(), position);
        QCOMPARE(column.GetWidth(), width);
        QCOMPARE(column.GetAlignment(), alignment);
        QCOMPARE(column.IsVisible(), position >= 0);
    }

    void addKeepsOrderByAbsolutePosition()
    {
        CColumnArray columns;
        for (auto [index, position] : {std::pair{0, 3}, {1, -1}, {2, 0}, {3, -1000}, {4, 2},
                                       {5, 1}, {6, -2}})
            columns.Add(CColumn(index, kTitles[index], position));
        // Equal absolute positions: the one added last comes first.
        QCOMPARE(Layout(columns), QStringList({"2:0:100:0", "5:1:100:0", "1:-1:100:0",
                                               "6:-2:100:0", "4:2:100:0", "0:3:100:0",
                                               "3:-1000:100:0"}));
        QCOMPARE(columns.FindColumnByPosition(2)->GetIndex(), 4);
        QCOMPARE(columns.FindColumnByPosition(-1)->GetIndex(), 1);
        QVERIFY(!columns.FindColumnByPosition(7));
        QCOMPARE(columns.GetVisibleFields(), QList<int>({2, 5, 4, 0}));
        columns.RemoveAll();
        QVERIFY(columns.IsEmpty());
    }

    void firstStartShowsAndWritesTheDefaults()
    {
        CColumnArray columns;
        QVERIFY(columns.LoadFromRegistry(nullptr));
        QCOMPARE(columns.GetVisibleFields(), QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        for (int i = 0; i < columns.GetSize(); ++i) {
            QCOMPARE(columns.GetAt(i)->GetTitle(), kTitles[i]);
            QCOMPARE(columns.GetAt(i)->GetWidth(), 100);
        }
        columns.GetAt(1)->SetWidth(180);
        QVERIFY(columns.SaveToRegistry());
        auto stored = Stored();
        QCOMPARE(stored->childKeys().size(), 11);
        QCOMPARE(stored->value("Login").toString(), QStringLiteral("0/100/0"));
        QCOMPARE(stored->value("Real Name").toString(), QStringLiteral("1/180/0"));
        QCOMPARE(stored->value("Last Install").toString(), QStringLiteral("10/100/0"));
    }

    void layoutSurvivesARoundTrip()
    {
        Store({{"Login", "1/90/0"}, {"Real Name", "0/200/0"}, {"Version", "2/70/1"},
               {"OS", "-1000/55/2"}});
        CColumnArray first;
        QVERIFY(first.LoadFromRegistry(nullptr));
        QVERIFY(first.SaveToRegistry());
        CColumnArray second;
        QVERIFY(second.LoadFromRegistry(nullptr));
        QCOMPARE(Layout(second), Layout(first));
        QCOMPARE(second.GetVisibleFields(), QList<int>({1, 0, 5}));
    }

    void titlesWithoutValueBecomeHidden()
    {
        Store({{"Login", "0/80/0"}, {"Logon", "1/120/1"}});
        CColumnArray columns;
        QVERIFY(columns.LoadFromRegistry(nullptr));
        QCOMPARE(columns.GetVisibleFields(), QList<int>({0, 2}));
        QCOMPARE(columns.GetSize(), 11);
        QVERIFY(columns.SaveToRegistry());
        auto stored = Stored();
        QCOMPARE(stored->value("Logon").toString(), QStringLiteral("1/120/1"));
        QCOMPARE(stored->value("Real Name").toString(), QStringLiteral("-1/100/0"));
        QCOMPARE(stored->value("Last Install").toString(), QStringLiteral("-1/100/0"));
    }

    void gapsAndSharedPlacesAreClosed()
    {
        Store({{"Login", "0/80/0"}, {"Logon", "5/90/0"}, {"OS", "5/60/0"}, {"Level", "-3/70/0"},
               {"Language", "abc"}});
        CColumnArray columns;
        QVERIFY(columns.LoadFromRegistry(nullptr));
        // Each list column has its own position, counted without gaps.
        for (int position = 0; position < columns.GetVisibleCount(); ++position)
            QVERIFY(columns.FindColumnByPosition(position));
        QCOMPARE(columns.GetVisibleFields(), QList<int>({9, 0, 8, 2}));
        QVERIFY(!columns.FindColumnByPosition(5));
    }

    void unknownValuesAreIgnoredAndKept()
    {
        Store({{"Login", "0/80/0"}, {"Obsolete Title", "1/100/0"}});
        CColumnArray columns;
        QVERIFY(columns.LoadFromRegistry(nullptr));
        QCOMPARE(columns.GetVisibleFields(), QList<int>({0}));
        QVERIFY(columns.SaveToRegistry());
        QCOMPARE(Stored()->value("Obsolete Title").toString(), QStringLiteral("1/100/0"));
    }

    void layoutWithNothingVisibleFallsBackToDefaults()
    {
        Store({{"Old Name", "0/100/0"}});
        CColumnArray columns;
        QVERIFY(columns.LoadFromRegistry(nullptr));
        QCOMPARE(columns.GetVisibleCount(), 11);
    }

    void unreadableSettingsAreReportedAndLeftAlone()
    {
        const QSettings::Format broken = QSettings::registerFormat("broken", ReadNothing,
                                                                   WriteNothing);
        QSettings::setPath(broken, QSettings::UserScope, m_dir->path());
        QDir(m_dir->path()).mkpath("Corvane");
        const QString file = m_dir->filePath("Corvane/Admin.broken");
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("[Columns]\nLogin=4/10/0\n");
        }
        CRegistryAccess::SetFormat(broken);
        CAppMessageBox::SetNextAnswer(QMessageBox::Ok);
        CColumnArray columns;
        QVERIFY(!columns.LoadFromRegistry(nullptr));
        CRegistryAccess::SetFormat(QSettings::IniFormat);
        QCOMPARE(CAppMessageBox::GetLastText(),
                 QStringLiteral("\nOpening Registry key "
                                "HKEY_CURRENT_USER\\Software\\Corvane\\Admin\\Columns failed!"));
        // The list is usable for this run, and the stored layout is not
        // overwritten by it at the end.
        QCOMPARE(columns.GetVisibleCount(), 11);
        QVERIFY(!columns.SaveToRegistry());
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), QByteArray("[Columns]\nLogin=4/10/0\n"));
    }
};

QTEST_MAIN(TestCColumnArray)
#include "tst_columnarray.moc"
