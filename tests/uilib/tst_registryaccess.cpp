#include "uilib/CRegistryAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString kAppKey = QStringLiteral("Software\\Corvane\\Admin");
const QString kColumnsKey = QStringLiteral("Software\\Corvane\\Admin\\Columns");
const QString kShare = QStringLiteral("ShareDirectory");
} // namespace

// Every case gets its own pair of settings directories, so nothing here can
// reach the real user's or machine's settings.
class TestRegistryAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { CRegistryAccess::SetFormat(QSettings::IniFormat); }
    void init();
    void keyLandsInFileAndGroup_data();
    void keyLandsInFileAndGroup();
    void textRoundTrips_data();
    void textRoundTrips();
    void refusalsLeaveThingsAlone();
    void machineValueWhereWritable_data();
    void machineValueWhereWritable();
    void userCopyIsReadFirstAndDroppedOnMachineWrite();

private:
    void UseDirs(const QString &system, const QString &user);
    QString Blocked(const QString &name) const;
    QString SystemFile() const { return m_system + QStringLiteral("/Corvane/Admin.ini"); }
    QString UserFile() const { return m_user + QStringLiteral("/Corvane/Admin.ini"); }

    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_system;
    QString m_user;
};

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

// A directory below a plain file can never be created, whoever runs the
// test (root included).
QString TestRegistryAccess::Blocked(const QString &name) const
{
    QFile file(m_pDir->filePath(QStringLiteral("blocker")));
    file.open(QIODevice::WriteOnly);
    return file.fileName() + QLatin1Char('/') + name;
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
    }
    QVERIFY(!QFile::exists(machine ? UserFile() : SystemFile()));
    QSettings ini(machine ? SystemFile() : UserFile(), QSettings::IniFormat);
    QCOMPARE(ini.allKeys(), QStringList{iniKey});
    QCOMPARE(ini.value(iniKey).toString(), QStringLiteral("x"));

    // The user's hive does not answer with the machine's values. (The other
    // way round it does, by design: see the per-user stand-in.)
    if (machine) {
        CRegistryAccess user(HKEY_CURRENT_USER, keyPath);
        QVERIFY(user.OpenKey(1));
        QString read;
        QVERIFY(!user.GetValueData(QStringLiteral("Value"), read, 1));
    }
}

void TestRegistryAccess::textRoundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unc path") << QStringLiteral("\\\\server\\share\\corvane");
    QTest::newRow("comma") << QStringLiteral("D:\\data,old\\share");
    QTest::newRow("blanks and quotes") << QStringLiteral("  a=\"b\";c#d  ");
    QTest::newRow("non-ascii") << QStringLiteral("/srv/Données/Übung");
}

void TestRegistryAccess::textRoundTrips()
{
    QFETCH(QString, text);
    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QVERIFY(registry.SetValueData(kShare, text));
    }
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(registry.OpenKey(1));
    QString read = QStringLiteral("unchanged");
    QVERIFY(registry.GetValueData(kShare, read, 1));
    QCOMPARE(read, text);
}

void TestRegistryAccess::refusalsLeaveThingsAlone()
{
    CRegistryAccess columns(HKEY_CURRENT_USER, kColumnsKey);
    QString read = QStringLiteral("before");
    QVERIFY(!columns.GetValueData(QStringLiteral("Login"), read, 1)); // not open
    QVERIFY(!columns.OpenKey(0));                                     // no such key yet
    QVERIFY(columns.OpenKey(1));
    QVERIFY(!columns.GetValueData(QStringLiteral("Login"), read, 1)); // no such value
    // Names that would land in a subkey, and no name at all.
    QVERIFY(!columns.SetValueData(QStringLiteral("a/b"), QStringLiteral("1")));
    QVERIFY(!columns.SetValueData(QStringLiteral("a\\b"), QStringLiteral("1")));
    QVERIFY(!columns.SetValueData(QString(), QStringLiteral("1")));
    QVERIFY(columns.SetValueData(QStringLiteral("Login"), QStringLiteral("0/100/0")));
    QVERIFY(!columns.GetValueData(QStringLiteral("Login"), read, 4)); // only REG_SZ is read
    QCOMPARE(read, QStringLiteral("before"));
    columns.CloseKey();
    QVERIFY(columns.OpenKey(0));
}

void TestRegistryAccess::machineValueWhereWritable_data()
{
    QTest::addColumn<bool>("systemWritable");
    QTest::addColumn<bool>("userWritable");
    QTest::newRow("administrator") << true << true;
    QTest::newRow("ordinary user") << false << true;
    QTest::newRow("nothing writable") << false << false;
}

void TestRegistryAccess::machineValueWhereWritable()
{
    QFETCH(bool, systemWritable);
    QFETCH(bool, userWritable);
    UseDirs(systemWritable ? m_system : Blocked(QStringLiteral("system")),
            userWritable ? m_user : Blocked(QStringLiteral("user")));
    const bool bStored = systemWritable || userWritable;
    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QCOMPARE(registry.SetValueData(kShare, QStringLiteral("/srv/share")), bStored ? 1 : 0);
    }
    QCOMPARE(QFile::exists(SystemFile()), systemWritable);
    QCOMPARE(QFile::exists(UserFile()), !systemWritable && userWritable);

    // A later start reads it back through the machine hive.
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
    QVERIFY(registry.OpenKey(1));
    QString read;
    QCOMPARE(registry.GetValueData(kShare, read, 1), bStored ? 1 : 0);
    QCOMPARE(read, bStored ? QStringLiteral("/srv/share") : QString());
    QStringList names, data;
    QCOMPARE(registry.GetValues(names, data), 0);
    QCOMPARE(names, bStored ? QStringList{kShare} : QStringList());
}

void TestRegistryAccess::userCopyIsReadFirstAndDroppedOnMachineWrite()
{
    QDir().mkpath(m_system + QStringLiteral("/Corvane"));
    QDir().mkpath(m_user + QStringLiteral("/Corvane"));
    QSettings(SystemFile(), QSettings::IniFormat).setValue(kShare, QStringLiteral("/machine"));
    QSettings(UserFile(), QSettings::IniFormat).setValue(kShare, QStringLiteral("/user-copy"));
    {
        CRegistryAccess registry(HKEY_LOCAL_MACHINE, kAppKey);
        QVERIFY(registry.OpenKey(1));
        QString read;
        QVERIFY(registry.GetValueData(kShare, read, 1));
        QCOMPARE(read, QStringLiteral("/user-copy"));
        QVERIFY(registry.SetValueData(kShare, QStringLiteral("/new")));
    }
    QCOMPARE(QSettings(SystemFile(), QSettings::IniFormat).value(kShare).toString(),
             QStringLiteral("/new"));
    QVERIFY(!QSettings(UserFile(), QSettings::IniFormat).contains(kShare));
}

QTEST_GUILESS_MAIN(TestRegistryAccess)
#include "tst_registryaccess.moc"
