// The tool's profile writer against clients that write one file the way the
// Windows clients do (read it all, change it in memory, truncate, write it
// all again, no lock), each in a process of its own, and two such clients
// against each other: the floor no writer without a lock can beat.
//
// Every write of either side adds a key of its own, so at the end each one
// can be looked for. The file starts with 36 lines of its own ([Base]); a
// look of the tool that finds them gone counts a whole-file wipe (and puts
// them back, so that the next one is seen). A line that is neither a header,
// nor one of the keys written, nor blank is a spliced line.
//
// The table comes out as the counters of each run:
//   tool_done, tool_refused, tool_lost (done but gone at the end),
//   client_done, client_lost, wipes, spliced.
//
// The logon storm: 200 simulated clients log on within 5 s (each writes its
// logon time and information record into Users.ini, lockless) while the
// tool, on a share that adds 20 ms to every file operation, writes a request
// into one user file after another and saves the shared groups of Users.ini
// at every fifth write, until the storm is over: storm_tool_refused must be 0.
//
// CORVANE_WIN32_CLIENT may name a Win32 client (see bench/e2e/wine-client.sh)
// run as "$CORVANE_WIN32_CLIENT <file> <prefix> <count> <pause ms>"; its
// rows are added when it is set.

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "platform/ProfileFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kBaseLines = 36;
constexpr int kToolWrites = 400;
constexpr qint64 kToolSecondsAtMost = 20;

QByteArray BaseSection()
{
    QByteArray bytes = "[Base]\r\n";
    for (int i = 0; i < kBaseLines; ++i)
        bytes += "b" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    return bytes;
}

QList<QByteArray> BaseLines()
{
    QList<QByteArray> lines;
    for (int i = 0; i < kBaseLines; ++i)
        lines << "b" + QByteArray::number(i) + "=" + QByteArray::number(i);
    return lines;
}

QByteArray ReadRaw(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool BaseIntact(const ProfileFile &file)
{
    return file.Keys("Base").size() == kBaseLines;
}

// Whether the file lost its [Base] lines, as it is at rest: a look in the
// middle of a client's write (an empty or cut file) is no wipe.
bool Wiped(const QString &path)
{
    for (int look = 0; look < 200; ++look) {
        const QByteArray first = ReadRaw(path);
        QThread::usleep(2000);
        if (!first.isEmpty() && first.endsWith('\n') && ReadRaw(path) == first)
            return !BaseIntact(ProfileFile::Parse(first));
    }
    return false; // never at rest: not known
}

struct Client
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QByteArray prefix;
    qint64 written = 0;

    void Start(const QString &file, const QString &mode, const QByteArray &keyPrefix, int count,
               int paceUs, const QString &stopFile)
    {
        prefix = keyPrefix;
        const QByteArray win32 = qgetenv("CORVANE_WIN32_CLIENT");
        if (mode == QLatin1String("win32")) {
            const QStringList command = QString::fromLocal8Bit(win32).split(u' ', Qt::SkipEmptyParts);
            process->start(command.first(),
                           command.mid(1) + QStringList{QStringLiteral("Z:") + QString(file).replace(u'/', u'\\'),
                                                        QString::fromLatin1(keyPrefix),
                                                        QString::number(count),
                                                        QString::number(paceUs / 1000)});
        } else {
            process->start(QStringLiteral(LOCKLESS_WRITER_EXE),
                           {"--file", file, "--mode", mode, "--prefix", QString::fromLatin1(keyPrefix),
                            "--count", QString::number(count), "--pace-us", QString::number(paceUs),
                            "--stop-file", stopFile});
        }
        process->waitForStarted(30000);
    }
    bool Running() { return process->state() != QProcess::NotRunning && !process->waitForFinished(0); }
    void Finish()
    {
        process->waitForFinished(-1);
        const QByteArray out = process->readAllStandardOutput();
        const qsizetype at = out.indexOf("written=");
        if (at >= 0)
            written = out.mid(at + 8).trimmed().split('\n').first().toLongLong();
    }
};

struct Tally
{
    qint64 toolDone = 0, toolRefused = 0, toolLost = 0, clientDone = 0, clientLost = 0,
           wipes = 0, spliced = 0;
};

void Count(const QString &path, const QList<Client *> &clients, const QList<qint64> &toolKeys,
           Tally &t)
{
    Profile::ClearCache();
    const std::shared_ptr<const ProfileFile> file = Profile::Load(path);
    if (!BaseIntact(*file))
        ++t.wipes;
    for (qint64 key : toolKeys)
        if (file->Value("Tool", "t" + QByteArray::number(key)) != QByteArray::number(key))
            ++t.toolLost;
    for (Client *c : clients) {
        t.clientDone += c->written;
        for (qint64 i = 0; i < c->written; ++i)
            if (file->Value("Client", c->prefix + QByteArray::number(i)) != QByteArray::number(i))
                ++t.clientLost;
    }
    static const QRegularExpression whole(QStringLiteral(
        "^(\\[(Base|Client|Tool)\\]|b(\\d+)=\\3|[cdt](\\d+)=\\4|)$"));
    for (QByteArray line : ReadRaw(path).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!whole.match(QString::fromLatin1(line)).hasMatch() && ++t.spliced <= 3)
            std::fprintf(stderr, "spliced line: %s\n", line.left(80).toPercentEncoding(" =[]").constData());
    }
}

// Every run's figures, printed whole at the end (the counters above come out
// rounded to thousands).
QList<std::pair<std::string, QByteArray>> &Table()
{
    static QList<std::pair<std::string, QByteArray>> rows;
    return rows;
}

// The name of the run under way, for the table.
std::string g_run;

void Report(benchmark::State &state, const Tally &t, bool tool)
{
    QByteArray row;
    if (tool)
        row += QByteArray::number(t.toolDone) + '\t' + QByteArray::number(t.toolRefused) + '\t'
            + QByteArray::number(t.toolLost) + '\t';
    else
        row += "-\t-\t-\t";
    row += QByteArray::number(t.clientLost) + " of " + QByteArray::number(t.clientDone) + '\t'
        + QByteArray::number(t.wipes) + '\t' + QByteArray::number(t.spliced);
    Table().append({g_run, row});
    if (tool) {
        state.counters["tool_done"] = double(t.toolDone);
        state.counters["tool_refused"] = double(t.toolRefused);
        state.counters["tool_lost"] = double(t.toolLost);
    }
    state.counters["client_done"] = double(t.clientDone);
    state.counters["client_lost"] = double(t.clientLost);
    state.counters["wipes"] = double(t.wipes);
    state.counters["spliced"] = double(t.spliced);
}

// The tool's writes against one client: mode, pause between the client's
// writes in microseconds, the client's writes.
void BM_ToolAgainstClient(benchmark::State &state, const QString &mode, int paceUs, int count)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("user.ini"));
        const QString stop = dir.filePath(QStringLiteral("stop"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(BaseSection() + "[Client]\r\n[Tool]\r\n");
        f.close();
        Client client;
        client.Start(path, mode, "c", count, paceUs, stop);
        Tally t;
        QList<qint64> done;
        QElapsedTimer clock;
        clock.start();
        for (qint64 i = 0; i < kToolWrites && client.Running()
                           && clock.elapsed() < kToolSecondsAtMost * 1000; ++i) {
            // A standing request, as the tool's requests are.
            if (Profile::WriteString(path, "Tool", "t" + QByteArray::number(i), QByteArray::number(i),
                                     Profile::StandingRequest())) {
                ++t.toolDone;
                done << i;
            } else {
                ++t.toolRefused;
            }
            if (Wiped(path)) {
                ++t.wipes;
                Profile::WriteSection(path, "Base", BaseLines());
            }
        }
        QFile(stop).open(QIODevice::WriteOnly);
        client.Finish();
        Count(path, {&client}, done, t);
        Report(state, t, true);
    }
}

// Two clients against each other, no tool.
void BM_ClientAgainstClient(benchmark::State &state, const QString &mode, int paceUs, int count)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("user.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(BaseSection() + "[Client]\r\n");
        f.close();
        Client a, b;
        a.Start(path, mode, "c", count, paceUs, dir.filePath(QStringLiteral("stop")));
        b.Start(path, mode, "d", count, paceUs, dir.filePath(QStringLiteral("stop")));
        a.Finish();
        b.Finish();
        Tally t;
        Count(path, {&a, &b}, {}, t);
        Report(state, t, false);
    }
}

void BM_LogonStorm(benchmark::State &state)
{
    constexpr int kClients = 200;
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString users = dir.filePath(QStringLiteral("Users.ini"));
        QList<QByteArray> roster;
        for (int i = 0; i < kClients; ++i)
            roster << "user" + QByteArray::number(i) + "=User " + QByteArray::number(i);
        Profile::WriteSection(users, "Users", roster);
        QProcess simulator;
        simulator.start(QStringLiteral(SIMULATOR_EXE),
                        {"--share", dir.path(), "--clients", QString::number(kClients), "--rate",
                         "0.2", "--rounds", "1", "--logoff-percent", "0", "--writes", "inplace"});
        simulator.waitForStarted(30000);
        PlatformTestHooks::SetOperationDelay(20000);
        qint64 done = 0, refused = 0, groups = 0;
        QList<QByteArray> groupLines;
        for (int i = 0; simulator.state() != QProcess::NotRunning && !simulator.waitForFinished(0); ++i) {
            ProfileResult r;
            if (i % 5 == 4) {
                groupLines << "g" + QByteArray::number(groups++) + "=user" + QByteArray::number(i % kClients);
                r = Profile::WriteSection(users, "Groups", groupLines, {}, Profile::StandingRequest());
            } else {
                r = Profile::WriteString(dir.filePath(QStringLiteral("user%1.ini").arg(i % kClients)),
                                         "Models", "m" + QByteArray::number(i), "1",
                                         Profile::StandingRequest());
            }
            r ? ++done : ++refused;
            if (!r)
                std::fprintf(stderr, "%s\n", qPrintable(r.message));
        }
        PlatformTestHooks::SetOperationDelay(0);
        Table().append({g_run, QByteArray::number(done) + '\t' + QByteArray::number(refused)
                                          + "\t-\t-\t-\t-"});
        state.counters["storm_tool_done"] = double(done);
        state.counters["storm_tool_refused"] = double(refused);
        state.counters["storm_group_saves"] = double(groups);
    }
}

void Register()
{
    benchmark::RegisterBenchmark("logon_storm_20ms_share", [](benchmark::State &s) {
        g_run = "logon_storm_20ms_share";
        BM_LogonStorm(s);
    })
        ->Iterations(1)->Unit(benchmark::kSecond);
    struct Row { const char *name; const char *mode; int paceUs; int count; };
    QList<Row> rows = {
        {"inplace/full", "inplace", 0, 3000},  {"reopen/full", "reopen", 0, 3000},
        {"held/full", "held", 0, 3000},        {"append/full", "append", 0, 3000},
        {"inplace/2ms", "inplace", 2000, 1500}, {"reopen/2ms", "reopen", 2000, 1500},
        {"held/2ms", "held", 2000, 1500},       {"append/2ms", "append", 2000, 1500},
        {"inplace/demo", "inplace", 200000, 50},
    };
    if (!qEnvironmentVariableIsEmpty("CORVANE_WIN32_CLIENT")) {
        rows << Row{"win32/full", "win32", 0, 3000} << Row{"win32/2ms", "win32", 2000, 1500};
    }
    for (const Row &row : rows) {
        const QString mode = QString::fromLatin1(row.mode);
        const std::string tool = std::string("tool_vs_") + row.name;
        benchmark::RegisterBenchmark(tool.c_str(), [=](benchmark::State &s) {
            g_run = tool;
            BM_ToolAgainstClient(s, mode, row.paceUs, row.count);
        })
            ->Iterations(1)->Unit(benchmark::kSecond);
        if (QByteArray(row.name).endsWith("demo"))
            continue;
        const std::string floor = std::string("client_vs_client_") + row.name;
        benchmark::RegisterBenchmark(floor.c_str(), [=](benchmark::State &s) {
            g_run = floor;
            BM_ClientAgainstClient(s, mode, row.paceUs, row.count);
        })
            ->Iterations(1)->Unit(benchmark::kSecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n%-40s\t%s\n", "run", "tool done\trefused\tlost\tclient lost\twipes\tspliced");
    for (const auto &[name, row] : Table())
        std::printf("%-40s\t%s\n", name.c_str(), row.constData());
    return 0;
}
