// Laying out reports over generated logs.
//   BM_LogReport/N     every page of log.rpt over N trips (issue budget: 5 s for 5,000)
//   BM_TotalFish/N     totalfish.rpt, whose queries add up the whole log
// peak_MB is the process's peak resident memory after the case.

#include "FakePlatform.h"
#include "ReportFixture.h"
#include "data/Schema.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sys/resource.h>

using namespace tf;

namespace {

// One program folder per log size, made once and shared by the cases.
const QString &folderWith(int trips)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    static std::map<int, QString> paths;
    auto &dir = folders[trips];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        const QString db = dir->filePath(kDatabaseFileName);
        if (!createDatabase(db).ok || !test::generateTrips(db, trips))
            qFatal("cannot make the benchmark database");
        for (const QString &name : QDir(test::definitionsFolder()).entryList({QStringLiteral("*.rpt")}))
            QFile::copy(QDir(test::definitionsFolder()).filePath(name), dir->filePath(name));
        paths[trips] = dir->path();
    }
    return paths[trips];
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void run(benchmark::State &state, const QString &report)
{
    const QString folder = folderWith(int(state.range(0)));
    report::BuildOptions o;
    o.definitionPath = QDir(folder).filePath(report);
    o.databasePath = QDir(folder).filePath(kDatabaseFileName);
    o.printedAt = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    int pages = 0;
    for (auto _ : state) {
        report::BuildResult r = report::buildReport(o);
        if (!r.document)
            state.SkipWithError(qPrintable(r.error));
        pages = r.pages;
        benchmark::DoNotOptimize(r.document.get());
    }
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = peakMegabytes();
}

void BM_LogReport(benchmark::State &state)
{
    run(state, QStringLiteral("log.rpt"));
}
void BM_TotalFish(benchmark::State &state)
{
    run(state, QStringLiteral("totalfish.rpt"));
}

} // namespace

BENCHMARK(BM_LogReport)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TotalFish)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
