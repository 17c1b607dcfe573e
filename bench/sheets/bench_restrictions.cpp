// The Restrictions command for many selected users against the raw cost of
// reading their files.
//
// Baseline: open and read each user file once, the least any reader must do.
// Open: the users' restrictions read, the six pages built and shown with
// their box states. Apply: one box changed, OK, and every user whose value
// differs gets its file written; it is also set against a synced rewrite of
// the same files, since a durable write costs far more than a read. Each iteration works on users that have not
// read their restrictions yet and on files without earlier requests, as the
// first Restrictions command after the tool starts does.
//
// Slow share: OK for 1,000 users that all get their file written, with a
// fixed delay added to every file operation as a file server's round trip
// would, written one file at a time and then with several files in flight.

#include "platform/FileSystem.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "sheets/restrictions/CRestrictionPage.h"
#include "sheets/restrictions/CRestrictionsSheet.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

QTemporaryDir *g_root = nullptr;

// The delay added to each file operation on the slow share.
constexpr qint64 kRoundTripUs = 5000;
bool g_allMayUseAlarms = false;

QByteArray UserFile(int i)
{
    // Half the users may not use alarms, so the sheet shows a mixed box.
    const bool alarms = g_allMayUseAlarms || i % 2 == 0;
    return "[Settings]\r\nsound=1\r\nvolume=40\r\n[ActiveRestrictions]\r\ncanusemodels=1\r\n"
           + QByteArray(alarms ? "canusealarm=1\r\n" : "canusealarm=0\r\n")
           + "candisplaylogoptions=0\r\n[Parameters]\r\nRefreshRate=30\r\n";
}

QString Path(int i)
{
    return g_root->filePath(QStringLiteral("user%1.ini").arg(i));
}

void WriteFiles(int users)
{
    for (int i = 0; i < users; ++i) {
        QFile file(Path(i));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(UserFile(i)) < 0)
            qFatal("cannot write the bench's user files");
    }
}

struct Selection
{
    std::vector<std::unique_ptr<CUser>> owned;
    QList<CUser *> users;

    explicit Selection(int count)
    {
        for (int i = 0; i < count; ++i) {
            owned.push_back(std::make_unique<CUser>("user" + QByteArray::number(i), "User"));
            users.append(owned.back().get());
        }
    }
};

void BM_ReadFilesBaseline(benchmark::State &state)
{
    const int users = int(state.range(0));
    WriteFiles(users);
    for (auto _ : state) {
        qint64 bytes = 0;
        for (int i = 0; i < users; ++i) {
            QFile file(Path(i));
            if (!file.open(QIODevice::ReadOnly))
                state.SkipWithError("cannot read a user file");
            bytes += file.readAll().size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// The least a durable write of the same files costs: each file that OK
// changes written once, whole, to a temporary file that is synced and
// renamed over it.
void BM_WriteFilesBaseline(benchmark::State &state)
{
    const int users = int(state.range(0));
    WriteFiles(users);
    for (auto _ : state) {
        for (int i = 0; i < users; i += 2) {
            QSaveFile file(Path(i));
            if (!file.open(QIODevice::WriteOnly)
                || file.write(UserFile(i) + "[Restrictions]\r\ncanusealarm=0\r\n") < 0
                || !file.commit())
                state.SkipWithError("cannot write a user file");
        }
    }
}

void OpenAllPages(CRestrictionsSheet &sheet)
{
    sheet.SetModelessButtons(true);
    sheet.Create(false);
    for (int group = 0; group < CRestrictions::GroupCount; ++group)
        sheet.SetActivePage(group);
}

void BM_OpenSheet(benchmark::State &state)
{
    const int users = int(state.range(0));
    WriteFiles(users);
    for (auto _ : state) {
        state.PauseTiming();
        Profile::ClearCache();
        auto selection = std::make_unique<Selection>(users);
        state.ResumeTiming();
        CRestrictionsSheet sheet(selection->users);
        OpenAllPages(sheet);
        sheet.DestroyWindow();
    }
}

void BM_ApplySheet(benchmark::State &state)
{
    const int users = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        WriteFiles(users);
        Profile::ClearCache();
        auto selection = std::make_unique<Selection>(users);
        auto sheet = std::make_unique<CRestrictionsSheet>(selection->users);
        OpenAllPages(*sheet);
        state.ResumeTiming();
        // Forbid alarms for everybody: the half that may use them is written.
        sheet->GetRestrictionPage(1)
            ->findChild<QCheckBox *>(CRestrictionPage::BoxName(1030))
            ->setCheckState(Qt::Unchecked);
        sheet->findChild<QPushButton *>(QStringLiteral("IDOK"))->click();
        const QStringList problems = sheet->ApplyRequests();
        if (!problems.isEmpty())
            state.SkipWithError("a write failed");
    }
}

// Every user may use alarms and OK forbids them: each file is written.
void BM_ApplySlowShare(benchmark::State &state)
{
    const int users = 1000;
    const int inFlight = int(state.range(0));
    g_allMayUseAlarms = true;
    for (auto _ : state) {
        state.PauseTiming();
        WriteFiles(users);
        Profile::ClearCache();
        auto selection = std::make_unique<Selection>(users);
        auto sheet = std::make_unique<CRestrictionsSheet>(selection->users);
        OpenAllPages(*sheet);
        sheet->GetRestrictionPage(1)
            ->findChild<QCheckBox *>(CRestrictionPage::BoxName(1030))
            ->setCheckState(Qt::Unchecked);
        sheet->findChild<QPushButton *>(QStringLiteral("IDOK"))->click();
        const quint64 before = FileSystem::OperationCount();
        PlatformTestHooks::SetOperationDelay(kRoundTripUs);
        state.ResumeTiming();
        const QStringList problems = sheet->ApplyRequests(inFlight);
        state.PauseTiming();
        PlatformTestHooks::SetOperationDelay(0);
        state.counters["ops_per_file"] = double(FileSystem::OperationCount() - before) / users;
        if (!problems.isEmpty())
            state.SkipWithError("a write failed");
        state.ResumeTiming();
    }
    g_allMayUseAlarms = false;
}

BENCHMARK(BM_ReadFilesBaseline)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFilesBaseline)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenSheet)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplySheet)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ApplySlowShare)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->Iterations(1);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds[run.run_name.function_name + "/" + run.run_name.args] =
                    run.real_accumulated_time / double(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintSummary(const RatioReporter &reporter)
{
    auto at = [&](const std::string &name) {
        const auto it = reporter.seconds.find(name);
        return it == reporter.seconds.end() ? 0.0 : it->second;
    };
    const double one = at("BM_ApplySlowShare/1");
    const double pool = at("BM_ApplySlowShare/8");
    if (one > 0 && pool > 0)
        std::printf("\nSlow share (%lld us per file operation), OK writing 1,000 files:\n"
                    "  one file at a time %.0f ms, 8 in flight %.0f ms = %.3f of one at a time "
                    "(target <= 0.2)\n",
                    static_cast<long long>(kRoundTripUs), one * 1e3, pool * 1e3, pool / one);
    const double base = at("BM_ReadFilesBaseline/1000");
    if (base <= 0)
        return;
    std::printf("\nSummary, 1,000 selected users (ratios against the baseline of this run)\n");
    std::printf("  read each file once:        %7.2f ms\n", base * 1e3);
    std::printf("  open the sheet, all pages:  %7.2f ms = %.1fx\n", at("BM_OpenSheet/1000") * 1e3,
                at("BM_OpenSheet/1000") / base);
    const double write = at("BM_WriteFilesBaseline/1000");
    std::printf("  OK writing 500 files:       %7.2f ms = %.1fx; %.2fx a synced rewrite of those "
                "files (%.2f ms)\n",
                at("BM_ApplySheet/1000") * 1e3, at("BM_ApplySheet/1000") / base,
                write > 0 ? at("BM_ApplySheet/1000") / write : 0.0, write * 1e3);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
    g_shareDirectory.Set(root.path());
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
