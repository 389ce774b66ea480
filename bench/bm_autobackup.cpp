// The automatic backup as the program closes: a verified copy of the
// 100,000-trip diary into the backups folder.

#include "BenchDiary.h"
#include "data/AutoBackup.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_AutoBackup(benchmark::State &state)
{
    QTemporaryDir dir;
    if (!tf::bench::makeBenchDiary(QDir(dir.path()).filePath(tf::kDatabaseFileName), int(state.range(0)))) {
        state.SkipWithError("cannot make the diary");
        return;
    }
    const QString backups = dir.filePath(QStringLiteral("Backups"));
    QDateTime when(QDate(2026, 12, 9), QTime(18, 0));
    for (auto _ : state) {
        // Each round finds a diary changed since the last copy and keeps the copy it makes.
        state.PauseTiming();
        QFile::remove(QDir(backups).filePath(QStringLiteral("last-copy")));
        when = when.addSecs(60);
        state.ResumeTiming();
        const tf::AutoBackupResult r = tf::makeAutomaticBackup(dir.path(), backups, when);
        if (r.outcome != tf::AutoBackupResult::Outcome::Made)
            state.SkipWithError(qPrintable(r.error));
    }
    state.counters["diary_MB"] = double(QFileInfo(QDir(dir.path()).filePath(tf::kDatabaseFileName)).size()) / 1e6;
}
BENCHMARK(BM_AutoBackup)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
