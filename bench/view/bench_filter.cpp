// One keystroke in the filter box at 100,000 users: the rows matched again
// and hidden or shown, and the list laid out for them. The baseline is one
// scan of every cell text of every row for the same text, the least work a
// filter can do. A keystroke must stay within 2 times of it.
//
//   hide all      ""       -> "q"       no row matches: every row is hidden
//   narrow        "name1"  -> "name12"  most of the rows shown are hidden
//   clear         "q"      -> ""        every row comes back

#include "store/CAdminDoc.h"
#include "uilib/CRegistryAccess.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CRowFilter.h"
#include "view/CUserListModel.h"
#include "view/CViewFilter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

QByteArray MakeUsersIni(int count)
{
    std::mt19937 random(11);
    const char *const languages[] = {"English", "French", "German", "Danish", "Italian"};
    QByteArray users = "[Users]\r\n", logons = "[Logon]\r\n", infos = "[Infos]\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray login = "u" + QByteArray::number(random() % 1000000000u) + "_"
                                 + QByteArray::number(i);
        users += login + "=Name" + QByteArray::number(random() % 100000u) + " Last\r\n";
        logons += login + '=' + QByteArray::number(kNow - qint64(random() % 2000000u)) + "\r\n";
        infos += login + '=' + QByteArray::number(20 + random() % 5) + ','
                 + QByteArray::number(random() % 500) + ",20,300,0," + languages[random() % 5]
                 + ',' + QByteArray::number(kNow - qint64(random() % 9000000u)) + ",2,1\r\n";
    }
    return users + logons + infos;
}

CAdminView *View()
{
    if (!g_view) {
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
        g_view = std::make_unique<CAdminView>(g_doc.get());
        g_view->SetClock([] { return kNow; });
        g_view->resize(1000, 700);
        g_view->InsertColumns();
        g_view->FillList(false);
        g_view->show();
        g_view->doItemsLayout();
    }
    return g_view.get();
}

// The filter set to text and the list laid out as the next paint would.
void Type(CAdminView *pView, const QString &text)
{
    pView->GetFilter()->SetText(text);
    pView->doItemsLayout();
}

void BM_ScanCellTexts(benchmark::State &state)
{
    const CUserListModel *pModel = View()->GetModel();
    CRowFilter filter;
    filter.SetText(QStringLiteral("q"));
    const int nRows = pModel->rowCount();
    const int nColumns = pModel->columnCount();
    for (auto _ : state) {
        int nFound = 0;
        for (int nRow = 0; nRow < nRows; ++nRow)
            for (int nColumn = 0; nColumn < nColumns; ++nColumn)
                nFound += filter.Contains(pModel->GetCellView(nRow, nColumn)) ? 1 : 0;
        benchmark::DoNotOptimize(nFound);
    }
}

void Keystroke(benchmark::State &state, const QString &from, const QString &to)
{
    CAdminView *pView = View();
    int nShown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Type(pView, from);
        state.ResumeTiming();
        Type(pView, to);
        nShown = pView->GetFilter()->GetShownUserCount();
    }
    state.counters["users shown"] = nShown;
}

void BM_KeystrokeHideAll(benchmark::State &state)
{
    Keystroke(state, {}, QStringLiteral("q"));
}

void BM_KeystrokeNarrow(benchmark::State &state)
{
    Keystroke(state, QStringLiteral("name1"), QStringLiteral("name12"));
}

void BM_KeystrokeClear(benchmark::State &state)
{
    Keystroke(state, QStringLiteral("q"), {});
}

BENCHMARK(BM_ScanCellTexts)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_KeystrokeHideAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_KeystrokeNarrow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_KeystrokeClear)->Unit(benchmark::kMillisecond)->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }

    // Processor time: on a busy machine the wall clock counts other programs too.
    void PrintRatios() const
    {
        const double base = m_cpu.count("BM_ScanCellTexts") ? m_cpu.at("BM_ScanCellTexts") : 0;
        std::printf("\n");
        for (const char *name : {"BM_KeystrokeHideAll", "BM_KeystrokeNarrow", "BM_KeystrokeClear"})
            if (base > 0 && m_cpu.count(name))
                std::printf("%-22s / one scan of the cell texts: %5.2fx (must stay within 2x)\n",
                            name, m_cpu.at(name) / base);
    }

private:
    std::map<std::string, double> m_cpu;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
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
