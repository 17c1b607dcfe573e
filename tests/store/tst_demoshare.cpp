// The demo shared directory, read back through the store: every state the
// list shows must be there, whenever the generator runs.

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QDir>
#include <algorithm>
#include <QDirIterator>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool Generate(const QString &dir, const QStringList &options)
{
    QProcess process;
    process.start(QStringLiteral(DEMO_SHARE_EXE), QStringList{dir} + options);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning() << process.readAllStandardError();
        return false;
    }
    return true;
}

QMap<QString, QByteArray> Contents(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files)) {
        QFile file(dir + '/' + name);
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

} // namespace

class TestDemoShare : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsEveryState()
    {
        QTemporaryDir dir;
        QVERIFY(Generate(dir.path(), {}));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(dir.path()));
        doc.WaitForStatusReaders();
        QVERIFY(doc.GetUsers().size() >= 50);

        QSet<QByteArray> connected, os, levels;
        int neverLoggedOn = 0, longAgo = 0, deleted = 0, capitalDeleted = 0, noPath = 0;
        for (const CUser *user : doc.GetUsers()) {
            const QByteArray state = user->GetColumnText(CUser::ColConnected);
            connected.insert(state);
            os.insert(user->GetColumnText(CUser::ColOS));
            levels.insert(user->GetColumnText(CUser::ColLevel));
            neverLoggedOn += user->GetLogonTime() == 0;
            longAgo += user->GetLogonTime() != 0 && state == "-";
            deleted += user->IsDeleted();
            capitalDeleted += user->GetFullName() == "Deleted";
            noPath += !user->UserFilePath().has_value();
        }
        QCOMPARE(connected, (QSet<QByteArray>{"Yes", "No", "-"}));
        QCOMPARE(os, (QSet<QByteArray>{"Windows 3.x", "Windows 95", "Windows NT", "-"}));
        QCOMPARE(levels, (QSet<QByteArray>{"Corvane Light", "Corvane Standard", "Corvane Pro", "-"}));
        QVERIFY(neverLoggedOn > 0);
        QVERIFY(longAgo > 0);
        QVERIFY(deleted > 0);
        QVERIFY(capitalDeleted > 0);
        QCOMPARE(noPath, 1);

        int upgrading = 0, notes = 0, missingNotes = 0, withRestrictions = 0;
        for (const CUser *user : doc.GetUsers()) {
            const std::optional<QString> path = user->UserFilePath();
            if (!path || !user->UserFileExists())
                continue;
            const auto file = Profile::Load(*path);
            upgrading += file->Value("Notes", "newver").has_value();
            withRestrictions += file->HasSection("ActiveRestrictions");
            for (const QByteArray &key : file->Keys("Notes")) {
                if (key == "newver")
                    continue;
                ++notes;
                missingNotes += !FileSystem::Exists(dir.filePath("note" + QString::fromLatin1(key)));
            }
        }
        QCOMPARE(upgrading, 1);
        QVERIFY(withRestrictions > 0);
        QVERIFY(missingNotes > 0);
        QVERIFY(missingNotes < notes);

        const CGroup *everyone = doc.FindGroup("Everyone");
        QVERIFY(everyone);
        QVERIFY(everyone->GetMemberList().size() > 255);
        QCOMPARE(everyone->size(), doc.GetUsers().size() - 1);
        QVERIFY(doc.FindGroup("Former staff")->isEmpty());
        QVERIFY(!doc.FindGroup("Sales")->isEmpty());

        QList<QByteArray> models;
        doc.ListModels(models);
        QVERIFY(models.contains("Holiday.Notice"));
        // Accented names as Windows-1252 clients write them: in the files
        // as single bytes, on the disk as the file system names them.
        QVERIFY(models.contains("R\xe9union"));
        QVERIFY(doc.FindGroup("Comit\xe9 de direction"));
        int accentedLogins = 0, accentedFiles = 0;
        for (const CUser *user : doc.GetUsers()) {
            const QByteArray login = user->GetLogin();
            if (std::all_of(login.begin(), login.end(), [](char c) { return uchar(c) < 0x80; }))
                continue;
            ++accentedLogins;
            accentedFiles += user->UserFileExists();
        }
        QVERIFY(accentedLogins > 0);
        QCOMPARE(accentedFiles, accentedLogins);
        QVERIFY(!QDir(dir.path()).entryList({QString::fromUtf8("*é*.ini")}).isEmpty());
        QVERIFY(models.size() >= 5);
        QVERIFY(!QDir(dir.path()).entryList({"*.log"}).isEmpty());
    }

    void sameSeedSameBytes()
    {
        QTemporaryDir first, second, third;
        const QStringList options = {"--seed", "42", "--now", "1790000000", "--users", "80"};
        QVERIFY(Generate(first.path(), options));
        QVERIFY(Generate(second.path(), options));
        QCOMPARE(Contents(first.path()), Contents(second.path()));
        QVERIFY(Generate(third.path(), {"--seed", "43", "--now", "1790000000", "--users", "80"}));
        QVERIFY(Contents(first.path()) != Contents(third.path()));
    }

    void refusesToOverwriteAShare()
    {
        QTemporaryDir dir;
        QVERIFY(Generate(dir.path(), {}));
        const auto before = Contents(dir.path());
        QVERIFY(!Generate(dir.path(), {"--seed", "9"}));
        QCOMPARE(Contents(dir.path()), before);
    }
};

QTEST_GUILESS_MAIN(TestDemoShare)
#include "tst_demoshare.moc"
