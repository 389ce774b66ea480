// The automatic backup as the program closes: a verified copy of the
// 100,000-trip diary into the backups folder.

#include "data/AutoBackup.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

// The benchmark diary: trips as the data benchmarks make them.
bool makeDiary(const QString &folder, int trips)
{
    const QString path = QDir(folder).filePath(tf::kDatabaseFileName);
    if (!tf::createDatabase(path).ok)
        return false;
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const QString sql =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO Log (Date, Lake, Ramp, [Total Fish], [Fish Caught], [Best Lure], [Lure Color], Weather, "
            "[Wind Direction], [Wind Speed], [Air Temp], [Water Temp], [Water Color], Structure, [Best Depth], "
            "Location, [Moon Phase], Notes) "
            "SELECT printf('%04d-%02d-%02d', 1980 + i % 45, 1 + i % 12, 1 + i % 28), 'Lake ' || (i * 7919 % 500), "
            "'Ramp ' || (i % 40), i % 11, 'Walleye', 'Jig', 'Red', 'Sunny', 'North', 'Calm', '60''s', '50''s', "
            "'Clear', 'Points', 'Medium', 'Upper Lake', 'Full Moon', "
            "CASE WHEN i % 10 = 0 THEN 'Fished the weed line, two largemouth Bass on a jig' "
            "ELSE 'Slow morning along the points, a few walleye after the wind picked up' END FROM n")
            .arg(trips);
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void BM_AutoBackup(benchmark::State &state)
{
    QTemporaryDir dir;
    if (!makeDiary(dir.path(), int(state.range(0)))) {
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
