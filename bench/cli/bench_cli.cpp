// users --format csv against the raw cost of its input and output.
//
// Baseline: read Users.ini once, split it into lines, and write as many
// bytes as the listing has to /dev/null. Measured: the whole program, run as
// a script runs it, printing every user as CSV to /dev/null. Wall-clock time,
// since the work is another process's; the summary prints the ratio.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

constexpr int kUsers = 100000;
QString g_share;
qint64 g_outputSize = 0;

QByteArray MakeUsersIni(int count)
{
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
               infos = "[Infos]\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray login = "user" + QByteArray::number(i);
        users += login + "=First" + QByteArray::number(i) + " Lastname\r\n";
        logons += login + '=' + QByteArray::number(1700000000 + i) + "\r\n";
        logoffs += login + '=' + QByteArray::number(1699990000 + i) + "\r\n";
        infos += login + "=21,340,20,300,0,English,1690000000,2,3\r\n";
    }
    return users + logons + logoffs + infos;
}

QStringList Arguments()
{
    return {"users", "--format", "csv", "--share", g_share};
}

void BM_ReadSplitWriteBaseline(benchmark::State &state)
{
    const QByteArray output(g_outputSize, 'x');
    for (auto _ : state) {
        QFile file(g_share + "/Users.ini");
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open Users.ini");
        const QList<QByteArray> lines = file.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
        QFile sink(QProcess::nullDevice());
        if (!sink.open(QIODevice::WriteOnly) || sink.write(output) != output.size())
            state.SkipWithError("cannot write to the null device");
    }
}

void BM_UsersCsv(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral(CORVANE_CLI), Arguments());
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            state.SkipWithError("the program failed");
    }
}

BENCHMARK(BM_ReadSplitWriteBaseline)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsersCsv)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> real;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                real[run.run_name.function_name] =
                    run.real_accumulated_time / double(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    g_share = root.path();
    QFile usersIni(g_share + "/Users.ini");
    if (!usersIni.open(QIODevice::WriteOnly) || usersIni.write(MakeUsersIni(kUsers)) < 0)
        qFatal("cannot write the bench's Users.ini");
    usersIni.close();
    // The size of the listing, measured once, for the baseline to write.
    QProcess probe;
    probe.start(QStringLiteral(CORVANE_CLI), Arguments());
    if (!probe.waitForFinished(-1) || probe.exitCode() != 0)
        qFatal("the program failed on the bench's share");
    g_outputSize = probe.readAllStandardOutput().size();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double base = reporter.real["BM_ReadSplitWriteBaseline"];
    const double users = reporter.real["BM_UsersCsv"];
    if (base > 0 && users > 0)
        std::printf("\nSummary: users --format csv of %d users = %.2fx read+split+write "
                    "(limit 3x), %lld bytes listed\n",
                    kUsers, users / base, static_cast<long long>(g_outputSize));
    benchmark::Shutdown();
    return 0;
}
