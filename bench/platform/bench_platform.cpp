// The platform's profile files against the raw cost of the same file work.
//
// Lookups: the Logon, Logoff and Infos entries of every user of a Users.ini
// with 10,000 users (sections Users, Logon, Logoff and Infos of 10,000 keys
// each), once through one snapshot (read, parse, 30,000 lookups) and once
// one call at a time through Profile::GetString on the unchanged file;
// baseline: reading the file and splitting it into lines.
// Writes: one value written into a 1 MiB file; baseline: copying that file
// to a new file of the same directory, as durably (write, fsync, rename).
// The summary prints every ratio against its limit.

#include "platform/Profile.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kUsers = 10000;
// Section names as callers keep them.
const QByteArray kLogon = QByteArrayLiteral("Logon");
const QByteArray kLogoff = QByteArrayLiteral("Logoff");
const QByteArray kInfos = QByteArrayLiteral("Infos");

QTemporaryDir *g_root = nullptr;
QString g_usersIni;
QString g_bigFile;
QList<QByteArray> g_logins;

QByteArray MakeUsersIni()
{
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
               infos = "[Infos]\r\n";
    for (int i = 0; i < kUsers; ++i) {
        const QByteArray login = "User" + QByteArray::number(i);
        g_logins.append(login);
        users += login + "=First" + QByteArray::number(i) + " Lastname\r\n";
        logons += login + '=' + QByteArray::number(1700000000 + i) + "\r\n";
        logoffs += login + '=' + QByteArray::number(1699990000 + i) + "\r\n";
        infos += login + "=21,340,20,300,0,English,1690000000,2,3\r\n";
    }
    return users + logons + logoffs + infos;
}

// About 1 MiB of user settings in a handful of sections.
QByteArray MakeBigFile()
{
    QByteArray text;
    for (int s = 0; text.size() < 1024 * 1024; ++s) {
        text += "[Section" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 1000; ++k)
            text += "key" + QByteArray::number(k) + "=some value of a setting " +
                    QByteArray::number(k * 7) + "\r\n";
    }
    return text;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void BM_ReadAndSplitBaseline(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(g_usersIni);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open Users.ini");
        const QList<QByteArray> lines = file.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
}

void BM_SnapshotLookups(benchmark::State &state)
{
    for (auto _ : state) {
        Profile::ClearCache();
        const auto file = Profile::Load(g_usersIni);
        for (const QByteArray &login : g_logins) {
            benchmark::DoNotOptimize(file->String(kLogon, login));
            benchmark::DoNotOptimize(file->String(kLogoff, login));
            benchmark::DoNotOptimize(file->String(kInfos, login));
        }
    }
}

void BM_GetStringLookups(benchmark::State &state)
{
    Profile::ClearCache();
    Profile::Load(g_usersIni);
    for (auto _ : state) {
        for (const QByteArray &login : g_logins) {
            benchmark::DoNotOptimize(Profile::GetString(g_usersIni, kLogon, login));
            benchmark::DoNotOptimize(Profile::GetString(g_usersIni, kLogoff, login));
            benchmark::DoNotOptimize(Profile::GetString(g_usersIni, kInfos, login));
        }
    }
}

// The status query that every GetString makes so as never to serve a
// changed file: one stat() per call.
void BM_StatBaseline(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(g_usersIni);
    struct stat st;
    for (auto _ : state) {
        for (int i = 0; i < 3 * kUsers; ++i)
            benchmark::DoNotOptimize(::stat(path.constData(), &st));
    }
}

void BM_CopyBaseline(benchmark::State &state)
{
    const QByteArray target = QFile::encodeName(g_bigFile + ".copy");
    const QByteArray temp = target + ".tmp";
    for (auto _ : state) {
        QFile in(g_bigFile);
        if (!in.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open the file");
        const QByteArray bytes = in.readAll();
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()
            || ::fsync(fd) != 0 || ::close(fd) != 0
            || ::rename(temp.constData(), target.constData()) != 0)
            state.SkipWithError("cannot copy the file");
    }
}

void BM_WriteValue(benchmark::State &state)
{
    int n = 0;
    for (auto _ : state) {
        // A new value each time, in a section in the middle of the file.
        const ProfileResult r = Profile::WriteString(g_bigFile, "Section12", "key500",
                                                     "value " + QByteArray::number(++n));
        if (!r)
            state.SkipWithError(qPrintable(r.message));
    }
}

BENCHMARK(BM_ReadAndSplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotLookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetStringLookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteValue)->Unit(benchmark::kMillisecond);

// Remembers the time per iteration of every run, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> seconds;
    std::set<std::string> medians;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        // With repetitions the median stands for the benchmark.
        for (const Run &run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                seconds[name] = run.GetAdjustedRealTime() / 1e3; // reported in ms
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !medians.count(name))
                seconds[name] = run.real_accumulated_time / double(run.iterations);
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintSummary(const RatioReporter &reporter)
{
    auto at = [&](const char *name) {
        const auto it = reporter.seconds.find(name);
        return it == reporter.seconds.end() ? 0.0 : it->second;
    };
    auto line = [&](const char *what, const char *measured, const char *baseline, double limit) {
        const double m = at(measured);
        const double b = at(baseline);
        if (m > 0 && b > 0)
            std::printf("  %-52s %8.3f ms / %8.3f ms = %5.2fx (limit %.0fx)%s\n", what, m * 1e3,
                        b * 1e3, m / b, limit, m / b <= limit ? "" : "  OVER");
    };
    std::printf("\nSummary (ratios against baselines measured in this run)\n");
    line("30,000 lookups through one snapshot vs read+split", "BM_SnapshotLookups",
         "BM_ReadAndSplitBaseline", 3);
    line("30,000 Profile::GetString calls vs the snapshot", "BM_GetStringLookups",
         "BM_SnapshotLookups", 2);
    line("one value written into 1 MiB vs copying it", "BM_WriteValue", "BM_CopyBaseline", 4);
    // Beyond the one stat() per call that the guarantee costs, what is left
    // of GetString is the lookup through the cached snapshot.
    const double stats = at("BM_StatBaseline");
    const double calls = at("BM_GetStringLookups");
    const double snapshot = at("BM_SnapshotLookups");
    if (stats > 0 && calls > 0 && snapshot > 0)
        std::printf("  %-52s %8.3f ms / %8.3f ms = %5.2fx (limit 2x)%s\n",
                    "GetString calls less 30,000 stat() vs the snapshot", (calls - stats) * 1e3,
                    snapshot * 1e3, (calls - stats) / snapshot,
                    (calls - stats) / snapshot <= 2 ? "" : "  OVER");
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    g_root = &root;
    g_usersIni = root.filePath("Users.ini");
    g_bigFile = root.filePath("big.ini");
    WriteFile(g_usersIni, MakeUsersIni());
    WriteFile(g_bigFile, MakeBigFile());
    // A file that changed in the last moments is read again at every call,
    // however unchanged it looks; the lookups measure the settled file.
    QThread::msleep(2200);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
