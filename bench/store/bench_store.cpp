// Roster load and status pass against the raw cost of reading Users.ini.
//
// Baseline: read the file and split it into lines, the least any reader of
// the file must do. Measured: a status pass over every user (one parse of the
// file plus three lookups and a record parse per user), and a whole document
// start (roster load and status pass) at 1,000, 10,000 and 100,000 users. The
// summary prints the ratios and the memory kept per user.

#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CUser.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

QTemporaryDir *g_root = nullptr;
std::map<int, QString> g_shares; // users -> shared directory

QByteArray MakeUsersIni(int count)
{
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
               infos = "[Infos]\r\n", groups = "[Groups]\r\nEveryone=";
    for (int i = 0; i < count; ++i) {
        const QByteArray login = "user" + QByteArray::number(i);
        users += login + "=First" + QByteArray::number(i) + " Lastname\r\n";
        logons += login + '=' + QByteArray::number(1700000000 + i) + "\r\n";
        logoffs += login + '=' + QByteArray::number(1699990000 + i) + "\r\n";
        infos += login + "=21,340,20,300,0,English,1690000000,2,3\r\n";
        if (i < 50)
            groups += (i ? "," : "") + login;
    }
    return users + logons + logoffs + infos + groups + "\r\n";
}

const QString &Share(int users)
{
    QString &dir = g_shares[users];
    if (dir.isEmpty()) {
        dir = g_root->filePath(QString::number(users));
        QDir().mkpath(dir);
        QFile file(dir + "/Users.ini");
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeUsersIni(users)) < 0)
            qFatal("cannot write the bench's Users.ini");
    }
    return dir;
}

void BM_ReadAndSplitBaseline(benchmark::State &state)
{
    const QString path = Share(int(state.range(0))) + "/Users.ini";
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open Users.ini");
        const QList<QByteArray> lines = file.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
}

// The platform's share of the work: reading and parsing the file.
void BM_ProfileLoad(benchmark::State &state)
{
    const QString path = Share(int(state.range(0))) + "/Users.ini";
    for (auto _ : state) {
        Profile::ClearCache();
        benchmark::DoNotOptimize(Profile::Load(path).get());
    }
}

void BM_StatusPass(benchmark::State &state)
{
    CAdminDoc doc;
    doc.OnNewDocument(Share(int(state.range(0))));
    doc.WaitForStatusReaders();
    for (auto _ : state) {
        // Every pass parses the file again, as after a client's write.
        Profile::ClearCache();
        doc.ReadAllUserStatus();
    }
}

void BM_LoadRosterAndStatus(benchmark::State &state)
{
    const QString &share = Share(int(state.range(0)));
    for (auto _ : state) {
        Profile::ClearCache();
        auto doc = std::make_unique<CAdminDoc>();
        doc->OnNewDocument(share);
        doc->WaitForStatusReaders();
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// CPU time is the process's, so that the status reader's thread counts and
// other programs on the machine do not.
#define STORE_BENCHMARK(name)                                                                      \
    BENCHMARK(name)->Arg(1000)->Arg(10000)->Arg(100000)->MeasureProcessCPUTime()->Unit(           \
        benchmark::kMillisecond)
STORE_BENCHMARK(BM_ReadAndSplitBaseline);
STORE_BENCHMARK(BM_ProfileLoad);
STORE_BENCHMARK(BM_StatusPass);
STORE_BENCHMARK(BM_LoadRosterAndStatus);

// Remembers the times per iteration of every run, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    struct Times
    {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> times;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.run_name.function_name + '/' + run.run_name.args] = {
                    run.real_accumulated_time / double(run.iterations),
                    run.cpu_accumulated_time / double(run.iterations)};
        ConsoleReporter::ReportRuns(runs);
    }
};

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// Bytes kept per user by a started document beyond the size of Users.ini:
// with the platform's cached parse of the file, and by the store alone.
std::pair<double, double> MemoryPerUser(int users)
{
    const QString &share = Share(users);
    const qint64 fileSize = QFileInfo(share + "/Users.ini").size();
    Profile::ClearCache();
    const size_t before = HeapInUse();
    auto doc = std::make_unique<CAdminDoc>();
    doc->OnNewDocument(share);
    doc->WaitForStatusReaders();
    const size_t withCache = HeapInUse();
    Profile::ClearCache();
    const size_t storeOnly = HeapInUse();
    return {(double(withCache) - double(before) - double(fileSize)) / users,
            (double(storeOnly) - double(before)) / users};
}

void PrintSummary(const RatioReporter &reporter)
{
    auto at = [&](const char *name, int users) {
        const auto it = reporter.times.find(std::string(name) + '/' + std::to_string(users));
        return it == reporter.times.end() ? RatioReporter::Times{} : it->second;
    };
    std::printf("\nSummary: ratios against the baseline measured in this run, "
                "process CPU time (wall-clock time)\n");
    for (int users : {1000, 10000, 100000}) {
        const auto base = at("BM_ReadAndSplitBaseline", users);
        const auto pass = at("BM_StatusPass", users);
        const auto load = at("BM_LoadRosterAndStatus", users);
        if (base.cpu > 0 && pass.cpu > 0 && load.cpu > 0)
            std::printf("  %6d users: status pass %.2fx read+split (%.2fx), limit 4x; "
                        "load+status %.0f ns/user (%.0f)\n",
                        users, pass.cpu / base.cpu, pass.real / base.real,
                        load.cpu * 1e9 / users, load.real * 1e9 / users);
    }
    const auto small = at("BM_LoadRosterAndStatus", 10000);
    const auto large = at("BM_LoadRosterAndStatus", 100000);
    const auto baseSmall = at("BM_ReadAndSplitBaseline", 10000);
    const auto baseLarge = at("BM_ReadAndSplitBaseline", 100000);
    if (small.cpu > 0 && large.cpu > 0 && baseSmall.cpu > 0 && baseLarge.cpu > 0)
        std::printf("  load+status 100,000 users = %.2fx 10,000 users (%.2fx), limit 12x; "
                    "read+split alone %.2fx (%.2fx)\n",
                    large.cpu / small.cpu, large.real / small.real,
                    baseLarge.cpu / baseSmall.cpu, baseLarge.real / baseSmall.real);
    const auto [withCache, storeOnly] = MemoryPerUser(100000);
    std::printf("  memory kept at 100,000 users: %.0f bytes/user beyond the file (limit 1024), "
                "of which the store's own %.0f\n", withCache, storeOnly);
}

} // namespace

int main(int argc, char **argv)
{
    // One heap arena, so that the reader thread's allocations are counted.
    mallopt(M_ARENA_MAX, 1);
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
