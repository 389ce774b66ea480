// Laying out reports over generated logs.
//   BM_LogReport/N        every page of log.rpt over N trips, written to a PDF file
//   BM_ReportFirstPage/N  log.rpt over N trips until its first page is painted, as the preview first shows it
//   BM_LogCount/N         log.rpt over N trips, every page counted and none painted
//   BM_TotalFish/N        totalfish.rpt, whose queries add up the whole log
//   BM_MixedRemarks/N     as BM_LogReport, every remark mixing scripts and emoji
// peak_MB is the process's peak resident memory after the case, pdf_MB the size of the PDF file.

#include "FakePlatform.h"
#include "ReportFixture.h"
#include "TestFolder.h"
#include "data/Schema.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sys/resource.h>

using namespace tf;

namespace {

// One program folder per log size (and kind of remark), made once and shared by the cases.
const QString &folderWith(int trips, bool mixedScripts = false)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<QTemporaryDir>> folders;
    static std::map<std::pair<int, bool>, QString> paths;
    const std::pair<int, bool> key(trips, mixedScripts);
    auto &dir = folders[key];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        const QString db = dir->filePath(kDatabaseFileName);
        if (!createDatabase(db).ok || !test::generateTrips(db, trips))
            qFatal("cannot make the benchmark database");
        if (mixedScripts &&
            !test::execSql(
                db, QStringLiteral("UPDATE Log SET Notes = coalesce(Notes, '') || ' Tôt le matin 😀🎣 Озеро, ψάρι, "
                                   "بحيرة هادئة, אגם שקט, 鯉 ⇄ ☀'")))
            qFatal("cannot make the benchmark database");
        for (const QString &name : QDir(test::definitionsFolder()).entryList({QStringLiteral("*.rpt")}))
            QFile::copy(QDir(test::definitionsFolder()).filePath(name), dir->filePath(name));
        paths[key] = dir->path();
    }
    return paths[key];
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

enum class Output { None, Pdf, FirstPage };

void run(benchmark::State &state, const QString &report, Output output = Output::None, bool mixedScripts = false)
{
    const QString folder = folderWith(int(state.range(0)), mixedScripts);
    report::BuildOptions o;
    o.definitionPath = QDir(folder).filePath(report);
    o.databasePath = QDir(folder).filePath(kDatabaseFileName);
    o.printedAt = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    int pages = 0;
    qint64 pdfBytes = 0;
    for (auto _ : state) {
        if (output == Output::FirstPage) {
            // As the preview opens: the report is counted only as far as its first page.
            QString error;
            const auto made = report::openReport(o, &error);
            if (!made || !made->paginate({}, 1)) {
                state.SkipWithError(qPrintable(made ? made->error() : error));
                break;
            }
            pages = made->pageCount();
            QImage screen((made->pageSize() * 1.25).toSize(), QImage::Format_ARGB32_Premultiplied);
            screen.fill(Qt::white);
            QPainter p(&screen);
            p.scale(1.25, 1.25);
            made->paintPage(0, p);
            continue;
        }
        report::BuildResult r = report::buildReport(o);
        if (!r.report) {
            state.SkipWithError(qPrintable(r.error));
            break;
        }
        pages = r.pages;
        if (output == Output::Pdf) {
            const QString pdf = QDir(folder).filePath(QStringLiteral("bench.pdf"));
            if (!report::writePdf(*r.report, pdf))
                state.SkipWithError("the PDF file could not be written");
            pdfBytes = QFileInfo(pdf).size();
            QFile::remove(pdf);
        }
    }
    state.counters["pages"] = pages;
    if (output == Output::Pdf)
        state.counters["pdf_MB"] = double(pdfBytes) / (1024 * 1024);
    state.counters["peak_MB"] = peakMegabytes();
}

void BM_LogReport(benchmark::State &state)
{
    run(state, QStringLiteral("log.rpt"), Output::Pdf);
}
void BM_ReportFirstPage(benchmark::State &state)
{
    run(state, QStringLiteral("log.rpt"), Output::FirstPage);
}
void BM_LogCount(benchmark::State &state)
{
    run(state, QStringLiteral("log.rpt"));
}
void BM_TotalFish(benchmark::State &state)
{
    run(state, QStringLiteral("totalfish.rpt"));
}
void BM_MixedRemarks(benchmark::State &state)
{
    run(state, QStringLiteral("log.rpt"), Output::Pdf, true);
}

} // namespace

// Pages are measured and painted on worker threads: the time is the wall
// clock's, the CPU time that of the whole process.
void onWorkerThreads(benchmark::internal::Benchmark *b)
{
    b->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->MeasureProcessCPUTime();
}
BENCHMARK(BM_LogReport)->Apply(onWorkerThreads);
BENCHMARK(BM_ReportFirstPage)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LogCount)->Apply(onWorkerThreads);
BENCHMARK(BM_TotalFish)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MixedRemarks)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
