// Two writers on the same files: the tool's store writes requests into 200
// user files and the shared groups of Users.ini while the simulated clients,
// in their own process, rewrite the same user files and Users.ini the way the
// Windows clients do (read, truncate, rewrite in place, no lock). Every write
// of either side carries a key or value of its own, so at the end each one
// can be looked for. The tool may lose none of the writes it reported done
// and may refuse none at this pace, no file may be torn, and neither process
// may have crashed. A client write that lands in the few microseconds
// between the tool's last look and its own write is lost, as it would be to
// another client; that floor is what bench_lockless measures, and here no
// more than one client write in a hundred may go.
//
// CORVANE_SOAK_ROUNDS sets the steps of each client (20 by default, a few
// seconds), CORVANE_SOAK_RATE their steps per second (4), CORVANE_SOAK_WRITES
// how they write (inplace; see corvane-simulator --help).

#include "CWriteJournal.h"
#include "SimulatorProcess.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kUsers = 200;

QByteArray Login(int i)
{
    return "user" + QByteArray::number(i).rightJustified(3, '0');
}

QByteArray Fold(const QByteArray &name)
{
    return name.toLower();
}

// A line a profile writer can leave behind: a header, key=value, or blank,
// each ended by CRLF. Anything else is a write cut short or two mixed.
QStringList TornLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {path + QStringLiteral(": cannot be read")};
    const QByteArray bytes = file.readAll();
    QStringList torn;
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
        torn << path + QStringLiteral(": does not end with a whole line");
    for (const QByteArray &line : bytes.split('\n')) {
        const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
        const bool ok = text.isEmpty() || (text.startsWith('[') && text.endsWith(']'))
            || (text.indexOf('=') > 0 && !text.contains('\0') && !text.contains('\r'));
        if (!ok)
            torn << path + QStringLiteral(": ") + QString::fromLatin1(text);
    }
    return torn;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothSidesKeepEveryWrite()
    {
        bool set = false;
        const int asked = qEnvironmentVariableIntValue("CORVANE_SOAK_ROUNDS", &set);
        const int rounds = set && asked > 0 ? asked : 20;
        const int rateAsked = qEnvironmentVariableIntValue("CORVANE_SOAK_RATE", &set);
        const int rate = set && rateAsked > 0 ? rateAsked : 4;
        const QString writes = qEnvironmentVariableIsEmpty("CORVANE_SOAK_WRITES")
            ? QStringLiteral("inplace")
            : qEnvironmentVariable("CORVANE_SOAK_WRITES");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString share = dir.path() + QStringLiteral("/share");
        QVERIFY(QDir().mkpath(share));
        const QString journal = dir.path() + QStringLiteral("/journal.txt");
        QList<QByteArray> users;
        for (int i = 0; i < kUsers; ++i)
            users << Login(i) + "=User " + QByteArray::number(i);
        QVERIFY(Profile::WriteSection(share + QStringLiteral("/Users.ini"), "Users", users));

        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(share));
        doc.WaitForStatusReaders();
        QCOMPARE(doc.GetUsers().size(), kUsers);

        // Every attempt of the tool's writes to replace a file passes here
        // once; attempts beyond one per write were redone on fresh text.
        int replaceAttempts = 0;
        PlatformTestHooks::SetBeforeReplace([&](const QString &) { ++replaceAttempts; });

        SimulatorProcess simulator;
        QVERIFY(simulator.Start({"--share", share, "--clients", QString::number(kUsers), "--rate",
                                 QString::number(rate), "--rounds", QString::number(rounds),
                                 "--seed", "11", "--writes", writes, "--journal", journal}));

        // The tool side: per pass, a model of its own and a new code for
        // every user, and one more shared group.
        QHash<QByteArray, QByteArray> lastCode;
        QList<QByteArray> models;
        quint64 toolWrites = 0;
        QStringList toolFailures;
        const auto tool = [&](const ProfileResult &result) {
            ++toolWrites;
            if (!result.ok)
                toolFailures << result.message;
            return result.ok;
        };
        int pass = 0;
        while (!simulator.HasEnded()) {
            for (CUser *user : doc.GetUsers()) {
                const QByteArray tag = QByteArray::number(pass) + '-' + user->GetLogin();
                const QByteArray model = "m" + tag;
                const bool modelOk = tool(user->SetModel(model, 1));
                const bool codeOk = tool(user->SetYourKey("k" + tag));
                if (modelOk)
                    models << user->GetLogin() + '/' + model;
                if (codeOk)
                    lastCode[user->GetLogin()] = "k" + tag;
                if (simulator.HasEnded())
                    break;
            }
            auto group = std::make_unique<CGroup>("g" + QByteArray::number(pass));
            group->append(doc.GetUsers().at(pass % kUsers));
            doc.AddGroup(std::move(group));
            tool(doc.SaveGroups());
            ++pass;
        }
        PlatformTestHooks::Reset();
        QVERIFY2(simulator.EndedCleanly(), simulator.Errors().constData());
        const QMap<QByteArray, qint64> counts = simulator.Counts();
        Profile::ClearCache();

        // Nothing torn.
        QStringList torn;
        for (const QString &name : QDir(share).entryList({"*.ini"}, QDir::Files))
            torn << TornLines(share + u'/' + name);

        // Every write of the tool is there.
        QStringList lostTool;
        for (const QByteArray &entry : models) {
            const QByteArray login = entry.left(entry.indexOf('/'));
            const QByteArray model = entry.mid(entry.indexOf('/') + 1);
            if (Profile::GetString(share + u'/' + QString::fromLatin1(login) + ".ini", "Models",
                                   model) != "1")
                lostTool << QString::fromLatin1(entry);
        }
        for (auto it = lastCode.cbegin(); it != lastCode.cend(); ++it) {
            if (Profile::GetString(share + u'/' + QString::fromLatin1(it.key()) + ".ini",
                                   "Parameters", "YourKey") != it.value())
                lostTool << QString::fromLatin1(it.key() + "/YourKey=" + it.value());
        }
        const std::shared_ptr<const ProfileFile> roster = Profile::Load(doc.GetUsersIniPath());
        for (int g = 0; g < pass; ++g) {
            if (!roster->Value("Groups", "g" + QByteArray::number(g)))
                lostTool << QStringLiteral("Users.ini/Groups/g%1").arg(g);
        }

        // Every change of the clients is there: the last one each made to a
        // key, since the tool never writes the keys the clients write.
        QFile journalFile(journal);
        QVERIFY(journalFile.open(QIODevice::ReadOnly));
        QHash<QByteArray, CWriteJournal::Entry> last;
        qint64 clientChanges = 0;
        for (const QByteArray &line : journalFile.readAll().split('\n')) {
            CWriteJournal::Entry entry;
            if (!CWriteJournal::ParseLine(line, entry))
                continue;
            ++clientChanges;
            last.insert(entry.fileName.toUtf8() + '\t' + Fold(entry.section) + '\t'
                            + Fold(entry.key),
                        entry);
        }
        QStringList lostClient;
        for (const CWriteJournal::Entry &entry : last) {
            const std::optional<QByteArray> now =
                Profile::Load(share + u'/' + entry.fileName)->Value(entry.section, entry.key);
            const bool kept = entry.removed ? !now : now == entry.value;
            if (!kept)
                lostClient << entry.fileName + u'/' + QString::fromLatin1(entry.section + '/'
                                                                          + entry.key);
        }
        // Every model a client took up was one the tool asked for and is
        // still asked for (the clients leave requests in place).
        qInfo("soak: %d rounds of %d clients, %d passes of the tool", rounds, kUsers, pass);
        qInfo("soak: tool writes %llu (failed %lld), client writes %lld (journal %lld, failed %lld)",
              toolWrites, qint64(toolFailures.size()), counts.value("writes"), clientChanges,
              counts.value("failedwrites"));
        qInfo("soak: tool writes redone on fresh text after their last check: %d",
              replaceAttempts - int(toolWrites - toolFailures.size()));
        qInfo("soak: lost writes: tool %lld, clients %lld; torn lines %lld; refused: tool %lld, "
              "clients %lld",
              qint64(lostTool.size()), qint64(lostClient.size()), qint64(torn.size()),
              qint64(toolFailures.size()), counts.value("failedwrites"));
        qInfo("soak: clients took %lld models, %lld parameters, %lld logons, %lld logoffs",
              counts.value("models"), counts.value("parameters"), counts.value("logons"),
              counts.value("logoffs"));

        QVERIFY2(torn.isEmpty(), qPrintable(torn.join(u'\n')));
        QCOMPARE(clientChanges, counts.value("writes"));
        QVERIFY2(toolFailures.isEmpty(), qPrintable(toolFailures.mid(0, 5).join(u'\n')));
        QCOMPARE(counts.value("failedwrites"), 0);
        QVERIFY(counts.value("models") > 0);
        QVERIFY2(lostTool.isEmpty(), qPrintable(lostTool.mid(0, 20).join(u'\n')));
        QVERIFY2(lostClient.size() * 100 <= qMax<qsizetype>(last.size(), 1),
                 qPrintable(lostClient.mid(0, 20).join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
