#include "uilib/CRegistryAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString kAppKey = QStringLiteral("Software\\Corvane\\Admin");
const QString kColumnsKey = QStringLiteral("Software\\Corvane\\Admin\\Columns");
} // namespace

// Every case gets its own pair of settings directories, so nothing here can
// reach the real user's or machine's settings.
class TestRegistryAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void keyLandsInFileAndGroup_data();
    void keyLandsInFileAndGroup();
    void textRoundTrips_data();
    void textRoundTrips();
    void missingValueLeavesResultAlone();
    void openWithoutCreateNeedsExistingKey();
    void valueNamesWithSeparatorsAreRefused();
    void getValuesListsOnlyThisKey();
    void userHiveDoesNotSeeMachineValues();
    void machineValueFallsBackToUserScope();
    void userCopyIsReadFirstAndDroppedOnMachineWrite();
    void nothingWritableReportsFailure();

private:
    void UseDirs(const QString &system, const QString &user);
    QString SystemFile() const { return m_system + QStringLiteral("/Corvane/Admin.ini"); }
    QString UserFile() const { return m_user + QStringLiteral("/Corvane/Admin.ini"); }

    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_system;
    QString m_user;
};

void TestRegistryAccess::initTestCase()
{
    CRegistryAccess::SetFormat(QSettings::IniFormat);
}

void TestRegistryAccess::UseDirs(const QString &system, const QString &user)
{
    m_system = system;
    m_user = user;
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, system);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, user);
}

void TestRegistryAccess::init()
{
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
    UseDirs(m_pDir->filePath(QStringLiteral("system")), m_pDir->filePath(QStringLiteral("user")));
}

void TestRegistryAccess::cleanup()
{
    m_pDir.reset();
}

void TestRegistryAccess::keyLandsInFileAndGroup_data()
{
    QTest::addColumn<bool>("machine");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("iniKey");
    QTest::newRow("application key, machine") << true << kAppKey << QStringLiteral("Value");
    QTest::newRow("columns, user") << false << kColumnsKey << QStringLiteral("Columns/Value");
    QTest::newRow("other letter case") << false << QStringLiteral("software\\CORVANE\\admin\\Columns")
                                       << QStringLiteral("Columns/Value");
    QTest::newRow("trailing backslash") << true << kAppKey + QLatin1Char('\\')
                                        << QStringLiteral("Value");
    QTest::newRow("deeper key") << false << kColumnsKey + QStringLiteral("\\Wide")
                                << QStringLiteral("Columns/Wide/Value");
    QTest::newRow("foreign key") << true << QStringLiteral("Software\\Other")
                                 << QStringLiteral("Software/Other/Value");
}

void TestRegistryAccess::keyLandsInFileAndGroup()
{
    QFETCH(bool, machine);
    QFETCH(QString, keyPath);
    QFETCH(QString, iniKey);
    {
        CRegistryAccess registry(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, keyPath);
        QVERIFY(registry.OpenKey(1));
        QVERIFY(registry.SetValueData(QStringLiteral("Value"), QStringLiteral("x")));
        registry.CloseKey();
    }
    const QString file = machine ? SystemFile() : UserFile();
    const QString other = machine ? UserFile() : SystemFile();
    QVERIFY(QFile::exists(file));
    QVERIFY(!QFile::exists(other));
    QSettings ini(file, QSettings::IniFormat);
    QCOMPARE(ini.allKeys(), QStringList{iniKey});
    QCOMPARE(ini.value(iniKey).toString(), QStringLiteral("x"));
}

void TestRegistryAccess::textRoundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unc path") << QStringLiteral("\\\\server\\share\\corvane");
    QTest::newRow("drive root") << QStringLiteral("C:");
    QTest::newRow("comma") << QStringLiteral("D:\\data,old\\share");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  spaced  ");
    QTest::newRow("column data") << QStringLiteral("3/100/0");
    QTest::newRow("quotes and equals") << QStringLiteral("a=\"b\";c#d");
    QTest::newRow("non-ascii") << QStringLiteral("/srv/Données/Übung");
    QTest::newRow("empty") << QString();
}

void TestRegistryAccess::textRoundTrips()
{
    QFETCH(QString, text);
    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QVERIFY(registry.SetValueData(QStringLiteral("ShareDirectory"), text));
    }
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(registry.OpenKey(1));
    QString read = QStringLiteral("unchanged");
    QVERIFY(registry.GetValueData(QStringLiteral("ShareDirectory"), read, 1));
    QCOMPARE(read, text);
}

void TestRegistryAccess::missingValueLeavesResultAlone()
{
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QString read = QStringLiteral("before");
    QVERIFY(!registry.GetValueData(QStringLiteral("ShareDirectory"), read, 1)); // not open
    QVERIFY(registry.OpenKey(1));
    QVERIFY(!registry.GetValueData(QStringLiteral("ShareDirectory"), read, 1));
    QVERIFY(registry.SetValueData(QStringLiteral("ShareDirectory"), QStringLiteral("/x")));
    QVERIFY(!registry.GetValueData(QStringLiteral("ShareDirectory"), read, 4)); // not REG_SZ
    QCOMPARE(read, QStringLiteral("before"));
}

void TestRegistryAccess::openWithoutCreateNeedsExistingKey()
{
    CRegistryAccess columns(HKEY_CURRENT_USER, kColumnsKey);
    QVERIFY(!columns.OpenKey(0));
    QVERIFY(!columns.IsOpen());
    QVERIFY(columns.OpenKey(1));
    QVERIFY(columns.SetValueData(QStringLiteral("Login"), QStringLiteral("0/100/0")));
    columns.CloseKey();
    QVERIFY(columns.OpenKey(0));
}

void TestRegistryAccess::valueNamesWithSeparatorsAreRefused()
{
    CRegistryAccess registry(HKEY_CURRENT_USER, kColumnsKey);
    QVERIFY(registry.OpenKey(1));
    QVERIFY(!registry.SetValueData(QStringLiteral("a/b"), QStringLiteral("1")));
    QVERIFY(!registry.SetValueData(QStringLiteral("a\\b"), QStringLiteral("1")));
    QVERIFY(!registry.SetValueData(QString(), QStringLiteral("1")));
    QStringList names, data;
    QCOMPARE(registry.GetValues(names, data), 0);
    QVERIFY(names.isEmpty());
}

void TestRegistryAccess::getValuesListsOnlyThisKey()
{
    {
        CRegistryAccess app(HKEY_CURRENT_USER, kAppKey);
        QVERIFY(app.OpenKey(1));
        QVERIFY(app.SetValueData(QStringLiteral("Elsewhere"), QStringLiteral("no")));
        CRegistryAccess columns(HKEY_CURRENT_USER, kColumnsKey);
        QVERIFY(columns.OpenKey(1));
        QVERIFY(columns.SetValueData(QStringLiteral("Login"), QStringLiteral("0/100/0")));
        QVERIFY(columns.SetValueData(QStringLiteral("Real Name"), QStringLiteral("1/120/0")));
        QVERIFY(columns.SetValueData(QStringLiteral("OS"), QStringLiteral("-1/100/0")));
    }
    CRegistryAccess columns(HKEY_CURRENT_USER, kColumnsKey);
    QStringList names, data;
    QVERIFY(columns.GetValues(names, data) != 0); // not open yet
    QVERIFY(columns.OpenKey(1));
    QCOMPARE(columns.GetValues(names, data), 0);
    QCOMPARE(names.size(), 3);
    QCOMPARE(data.size(), 3);
    const int nRealName = names.indexOf(QStringLiteral("Real Name"));
    QVERIFY(nRealName >= 0);
    QCOMPARE(data.at(nRealName), QStringLiteral("1/120/0"));
    QVERIFY(!names.contains(QStringLiteral("Elsewhere")));
}

void TestRegistryAccess::userHiveDoesNotSeeMachineValues()
{
    {
        CRegistryAccess machine(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(machine.OpenKey(1));
        QVERIFY(machine.SetValueData(QStringLiteral("ShareDirectory"), QStringLiteral("/m")));
    }
    CRegistryAccess user(HKEY_CURRENT_USER, kAppKey);
    QVERIFY(user.OpenKey(1));
    QString read;
    QVERIFY(!user.GetValueData(QStringLiteral("ShareDirectory"), read, 1));
}

void TestRegistryAccess::machineValueFallsBackToUserScope()
{
    // A system directory below a plain file can never be created, whoever
    // runs the test (root included).
    const QString blocker = m_pDir->filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    UseDirs(blocker + QStringLiteral("/system"), m_user);

    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QVERIFY(registry.SetValueData(QStringLiteral("ShareDirectory"), QStringLiteral("/srv/share")));
    }
    QVERIFY(!QFile::exists(SystemFile()));
    QSettings ini(UserFile(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("ShareDirectory")).toString(), QStringLiteral("/srv/share"));

    // A later start reads it back through the machine hive.
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(registry.OpenKey(1));
    QString read;
    QVERIFY(registry.GetValueData(QStringLiteral("ShareDirectory"), read, 1));
    QCOMPARE(read, QStringLiteral("/srv/share"));
    QStringList names, data;
    QCOMPARE(registry.GetValues(names, data), 0);
    QCOMPARE(names, QStringList{QStringLiteral("ShareDirectory")});
}

void TestRegistryAccess::userCopyIsReadFirstAndDroppedOnMachineWrite()
{
    {
        QDir().mkpath(m_system + QStringLiteral("/Corvane"));
        QDir().mkpath(m_user + QStringLiteral("/Corvane"));
        QSettings system(SystemFile(), QSettings::IniFormat);
        system.setValue(QStringLiteral("ShareDirectory"), QStringLiteral("/machine"));
        QSettings user(UserFile(), QSettings::IniFormat);
        user.setValue(QStringLiteral("ShareDirectory"), QStringLiteral("/user-copy"));
    }
    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QString read;
        QVERIFY(registry.GetValueData(QStringLiteral("ShareDirectory"), read, 1));
        QCOMPARE(read, QStringLiteral("/user-copy"));
        QVERIFY(registry.SetValueData(QStringLiteral("ShareDirectory"), QStringLiteral("/new")));
    }
    QSettings system(SystemFile(), QSettings::IniFormat);
    QCOMPARE(system.value(QStringLiteral("ShareDirectory")).toString(), QStringLiteral("/new"));
    QSettings user(UserFile(), QSettings::IniFormat);
    QVERIFY(!user.contains(QStringLiteral("ShareDirectory")));
}

void TestRegistryAccess::nothingWritableReportsFailure()
{
    const QString blocker = m_pDir->filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    UseDirs(blocker + QStringLiteral("/system"), blocker + QStringLiteral("/user"));

    CRegistryAccess machine(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(machine.OpenKey(1));
    QVERIFY(!machine.SetValueData(QStringLiteral("ShareDirectory"), QStringLiteral("/x")));
    CRegistryAccess user(HKEY_CURRENT_USER, kColumnsKey);
    QVERIFY(user.OpenKey(1));
    QVERIFY(!user.SetValueData(QStringLiteral("Login"), QStringLiteral("0/100/0")));
}

QTEST_GUILESS_MAIN(TestRegistryAccess)
#include "tst_registryaccess.moc"
