// The user list at 100,000 users.
//
// Fill: the first fill of an empty list, against which an unchanged refresh
// (Users.ini not touched) and a status pass whose values did not change (the
// work after Users.ini was rewritten) are put in proportion. The unchanged
// refresh must stay under 1 % of the first fill.
//
// Sort: sorting the list by a column, against sorting the same rows' keys,
// made beforehand, in the same starting order. It must stay within 3 times.

#include "platform/CodePage.h"
#include "store/CAdminDoc.h"
#include "store/CUser.h"
#include "uilib/CRegistryAccess.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CUserListModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kUsers = 100000;
constexpr qint64 kNow = 1750000000;

QTemporaryDir *g_root = nullptr;
std::unique_ptr<CAdminDoc> g_doc;
std::unique_ptr<CAdminView> g_view;
double g_bytesPerRow = 0;

QByteArray MakeUsersIni(int count)
{
    std::mt19937 random(7);
    const char *const languages[] = {"English", "French", "German", "Danish", "Italian"};
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", logoffs = "[Logoff]\r\n",
               infos = "[Infos]\r\n", groups = "[Groups]\r\n";
    for (int i = 0; i < count; ++i) {
        // Logins and names in no particular order, so every sort has work.
        const QByteArray login = "u" + QByteArray::number(random() % 1000000000u) + "_"
                                 + QByteArray::number(i);
        users += login + "=Name" + QByteArray::number(random() % 100000u) + " Last\r\n";
        const qint64 logon = kNow - qint64(random() % 2000000u);
        if (i % 10 != 0)
            logons += login + '=' + QByteArray::number(logon) + "\r\n";
        logoffs += login + '=' + QByteArray::number(logon - 3600 + qint64(random() % 7200u)) + "\r\n";
        infos += login + '=' + QByteArray::number(20 + random() % 5) + ','
                 + QByteArray::number(random() % 500) + ",20,300,0," + languages[random() % 5] + ','
                 + QByteArray::number(kNow - qint64(random() % 9000000u)) + ','
                 + QByteArray::number(random() % 5) + ',' + QByteArray::number(random() % 4)
                 + "\r\n";
        if (i % 1000 == 0)
            groups += "Group" + QByteArray::number(i) + '=' + login + "\r\n";
    }
    return users + logons + logoffs + infos + groups;
}

CAdminDoc *Document()
{
    if (!g_doc) {
        const QString dir = g_root->filePath(QStringLiteral("share"));
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/Users.ini"));
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeUsersIni(kUsers)) < 0)
            qFatal("cannot write the bench's Users.ini");
        file.close();
        g_doc = std::make_unique<CAdminDoc>();
        g_doc->OnNewDocument(dir);
        g_doc->WaitForStatusReaders();
        QCoreApplication::processEvents();
    }
    return g_doc.get();
}

std::unique_ptr<CAdminView> NewView()
{
    auto view = std::make_unique<CAdminView>(Document());
    view->SetClock([] { return kNow; });
    view->resize(1000, 700);
    view->InsertColumns();
    return view;
}

CAdminView *FilledView()
{
    if (!g_view) {
        g_view = NewView();
        const size_t nBefore = mallinfo2().uordblks;
        g_view->FillList(false);
        g_bytesPerRow = double(mallinfo2().uordblks - nBefore) / g_view->GetRowCount();
    }
    return g_view.get();
}

int ColumnOf(int nField)
{
    return int(CColumnArray::Shared().GetVisibleFields().indexOf(nField));
}

void BM_FirstFill(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<CAdminView> view = NewView();
        state.ResumeTiming();
        view->FillList(false);
        state.PauseTiming();
        if (view->GetRowCount() < kUsers)
            state.SkipWithError("the list is not full");
        view.reset();
        state.ResumeTiming();
    }
}

void BM_UnchangedRefresh(benchmark::State &state)
{
    CAdminView *pView = FilledView();
    for (auto _ : state)
        pView->FillList(false);
}

// After Users.ini was rewritten the reader publishes a new status for every
// user; the list compares them all and finds nothing to show.
void BM_StatusPassNothingChanged(benchmark::State &state)
{
    CAdminView *pView = FilledView();
    for (auto _ : state) {
        state.PauseTiming();
        Document()->ReadAllUserStatus();
        state.ResumeTiming();
        pView->GetModel()->RefreshAllUsers(false, kNow);
    }
}

// k users, spread over the list, report another language; the list is on
// screen, so the view's own handling of the announcements is counted too.
void BM_RefreshSomeChanged(benchmark::State &state)
{
    CAdminView *pView = FilledView();
    pView->show();
    QCoreApplication::processEvents();
    const QList<CUser *> &users = Document()->GetUsers();
    const int nChanged = int(state.range(0));
    int nRound = 0;
    int nAnnounced = 0;
    const QMetaObject::Connection counter = QObject::connect(
        pView->GetModel(), &QAbstractItemModel::dataChanged, [&nAnnounced] { ++nAnnounced; });
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray infos = "21,340,20,300,0,Language" + QByteArray::number(++nRound);
        for (int i = 0; i < nChanged; ++i)
            users[qsizetype(i) * users.size() / nChanged]->ParseInfos(infos);
        state.ResumeTiming();
        pView->GetModel()->RefreshAllUsers(false, kNow);
    }
    QObject::disconnect(counter);
    state.counters["cells announced per pass"] = double(nAnnounced) / double(state.iterations());
    pView->hide();
}

// Puts the list into an order that is not that of nColumn.
void Scramble(CAdminView *pView, int nColumn)
{
    const int nOther = nColumn == ColumnOf(CUser::ColLogin) ? ColumnOf(CUser::ColLogon)
                                                            : ColumnOf(CUser::ColLogin);
    pView->SortByColumn(nOther);
}

void BM_Sort(benchmark::State &state)
{
    CAdminView *pView = FilledView();
    const int nColumn = ColumnOf(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Scramble(pView, nColumn);
        state.ResumeTiming();
        pView->SortByColumn(nColumn);
    }
}

// The baseline: the same rows' keys, made beforehand, sorted in place.
void BM_SortPrecomputedKeys(benchmark::State &state)
{
    CAdminView *pView = FilledView();
    CUserListModel *pModel = pView->GetModel();
    const int nField = int(state.range(0));
    const int nColumn = ColumnOf(nField);
    const bool bText = nField == CUser::ColLogin || nField == CUser::ColFullName
                       || nField == CUser::ColLanguage || nField == CUser::ColVersion;
    for (auto _ : state) {
        state.PauseTiming();
        Scramble(pView, nColumn);
        std::vector<std::pair<QString, int>> texts;
        std::vector<std::pair<qint64, int>> numbers;
        for (int nRow = 0; nRow < pModel->rowCount(); ++nRow) {
            if (bText) {
                texts.emplace_back(
                    CodePage::Decode(pModel->GetCellText(nRow, nColumn)).toCaseFolded(), nRow);
            } else {
                const auto status = pModel->GetRowObject(nRow).GetUser()
                                        ? pModel->GetRowObject(nRow).GetUser()->GetStatus()
                                        : nullptr;
                numbers.emplace_back(status ? -status->logonTime : 0, nRow);
            }
        }
        state.ResumeTiming();
        std::sort(texts.begin(), texts.end());
        std::sort(numbers.begin(), numbers.end());
        benchmark::DoNotOptimize(texts.data());
        benchmark::DoNotOptimize(numbers.data());
    }
}

BENCHMARK(BM_FirstFill)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UnchangedRefresh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusPassNothingChanged)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RefreshSomeChanged)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(10)->Arg(1000);
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond)->Iterations(5)
    ->Arg(CUser::ColLogin)->Arg(CUser::ColFullName)->Arg(CUser::ColLogon)->Arg(CUser::ColLanguage);
BENCHMARK(BM_SortPrecomputedKeys)->Unit(benchmark::kMillisecond)->Iterations(5)
    ->Arg(CUser::ColLogin)->Arg(CUser::ColFullName)->Arg(CUser::ColLogon)->Arg(CUser::ColLanguage);

// Keeps each run's time per iteration (ns) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] = {
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit),
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit)};
    }

    // Both clocks: on a busy machine the wall clock also counts other
    // programs, while the work measured here runs on one thread.
    void PrintRatios() const
    {
        const auto print = [this](const char *what, const std::string &measured,
                                  const std::string &baseline, double scale, const char *unit,
                                  const char *limit) {
            const Times m = Find(measured);
            const Times b = Find(baseline);
            std::printf("%-44s wall %9.4f%s  cpu %9.4f%s  %s\n", what, scale * m.real / b.real,
                        unit, scale * m.cpu / b.cpu, unit, limit);
        };
        std::printf("\nmemory held by the list: %.0f bytes per row\n", g_bytesPerRow);
        print("unchanged refresh / first fill", "BM_UnchangedRefresh", "BM_FirstFill/iterations:3",
              100.0, " %", "(must stay under 1 %)");
        print("status pass, nothing changed / first fill",
              "BM_StatusPassNothingChanged/iterations:5", "BM_FirstFill/iterations:3", 100.0, " %",
              "");
        for (int nField : {CUser::ColLogin, CUser::ColFullName, CUser::ColLogon,
                           CUser::ColLanguage}) {
            const std::string arg = "/" + std::to_string(nField) + "/iterations:5";
            const std::string what = "sort by " + CColumnArray::GetTitle(nField).toStdString()
                                     + " / sorting the keys";
            print(what.c_str(), "BM_Sort" + arg, "BM_SortPrecomputedKeys" + arg, 1.0, "x",
                  "(must stay within 3x)");
        }
    }

private:
    struct Times
    {
        double real = 0;
        double cpu = 0;
    };

    Times Find(const std::string &name) const
    {
        const auto it = m_times.find(name);
        return it == m_times.end() ? Times{} : it->second;
    }

    std::map<std::string, Times> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
    // Nothing of the person running the bench is read or written.
    CRegistryAccess::SetFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath("settings"));
    CColumnArray::Shared().LoadDefaults();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    g_view.reset();
    g_doc.reset();
    return 0;
}
