// Fishing statistics over a generated log of 100,000 trips across 45 years on 500 lakes:
// reading the log (grouping and moon phases included), every total and breakdown, and
// a change of lake filter. The same again on a log where no two trips share a text, so
// every breakdown but year, month and moon phase has 100,000 groups.

#include "data/Schema.h"
#include "stats/StatsCore.h"
#include "stats/StatsPrint.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QString makeLog(const QTemporaryDir &dir, int trips)
{
    const QString path = dir.filePath(QStringLiteral("tfn5.mdb"));
    if (!tf::createDatabase(path))
        return {};
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Log (Date, \"Total Fish\", Lake, \"Fish Caught\", \"Best Lure\", \"Lure Color\", "
                       "Weather, \"Wind Direction\", \"Water Temp\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    QRandomGenerator rng(12);
    const char *colors[] = {"Red", "red", "Chartreuse", "White", "", "Firetiger"};
    const char *species[] = {"Bass", "Walleye", "Perch", "Pike", "Crappie", "bass"};
    const QDate first(1981, 1, 1);
    for (int i = 0; i < trips; ++i) {
        const QByteArray values[] = {first.addDays(rng.bounded(45 * 365)).toString(Qt::ISODate).toUtf8(),
                                     rng.bounded(20) ? QByteArray::number(rng.bounded(10)) : QByteArray("some"),
                                     "Lake " + QByteArray::number(rng.bounded(500)),
                                     species[rng.bounded(6)],
                                     "Lure " + QByteArray::number(rng.bounded(40)),
                                     colors[rng.bounded(6)],
                                     rng.bounded(2) ? "Sunny" : "Cloudy",
                                     "NW",
                                     QByteArray::number(50 + rng.bounded(30))};
        for (int c = 0; c < 9; ++c)
            sqlite3_bind_text(st, c + 1, values[c].constData(), int(values[c].size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

// Every text of every trip its own: "Lake 1", "Lake 2", ...
QString makeDistinctLog(const QTemporaryDir &dir, int trips)
{
    const QString path = dir.filePath(QStringLiteral("tfn5.mdb"));
    if (!tf::createDatabase(path))
        return {};
    QStringList columns{QStringLiteral("\"Date\""), QStringLiteral("\"Total Fish\"")};
    QStringList values{QStringLiteral("printf('%04d-%02d-%02d', 1980 + i % 45, 1 + i % 12, 1 + i % 28)"),
                       QStringLiteral("i % 7")};
    for (const char *c : {"Lake", "Fish Caught", "Best Lure", "Lure Color", "Weather", "Wind Direction", "Wind Speed",
                          "Air Temp", "Water Temp", "Water Color", "Structure", "Best Depth"}) {
        columns << QStringLiteral("\"%1\"").arg(QLatin1String(c));
        values << QStringLiteral("'%1 ' || i").arg(QLatin1String(c));
    }
    const QString sql = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                       "INSERT INTO Log (%2) SELECT %3 FROM n")
                            .arg(trips)
                            .arg(columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok ? path : QString();
}

struct Fixture
{
    QTemporaryDir dir;
    QString path;
    tf::stats::TripLog log;
    Fixture(int trips, bool distinct) : path(distinct ? makeDistinctLog(dir, trips) : makeLog(dir, trips))
    {
        log.load(path, nullptr);
    }
};

Fixture &fixture(int trips)
{
    static Fixture f(trips, false);
    return f;
}

Fixture &distinctFixture(int trips)
{
    static Fixture f(trips, true);
    return f;
}

void timeLoad(benchmark::State &state, const Fixture &f)
{
    for (auto _ : state) {
        tf::stats::TripLog log;
        benchmark::DoNotOptimize(log.load(f.path, nullptr));
    }
}
void timeCompute(benchmark::State &state, Fixture &f)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(f.log.compute({}));
}

void BM_StatisticsLoad(benchmark::State &state)
{
    timeLoad(state, fixture(int(state.range(0))));
}
BENCHMARK(BM_StatisticsLoad)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Statistics(benchmark::State &state)
{
    Fixture &f = fixture(int(state.range(0)));
    timeCompute(state, f);
    state.counters["lunation_lookups"] = f.log.lunationLookups();
}
BENCHMARK(BM_Statistics)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StatisticsFilter(benchmark::State &state)
{
    Fixture &f = fixture(int(state.range(0)));
    int lake = 0;
    for (auto _ : state) {
        tf::stats::Filter filter;
        filter.lake = QStringLiteral("Lake %1").arg(lake++ % 500);
        benchmark::DoNotOptimize(f.log.compute(filter));
    }
}
BENCHMARK(BM_StatisticsFilter)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same over a log whose every text value is different.
void BM_StatisticsLoadDistinct(benchmark::State &state)
{
    timeLoad(state, distinctFixture(int(state.range(0))));
}
BENCHMARK(BM_StatisticsLoadDistinct)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StatisticsDistinct(benchmark::State &state)
{
    timeCompute(state, distinctFixture(int(state.range(0))));
}
BENCHMARK(BM_StatisticsDistinct)->Arg(100000)->Unit(benchmark::kMillisecond);

// Print writes every figure of the window into a scratch database for the report engine.
void BM_StatisticsPrintFile(benchmark::State &state)
{
    Fixture &f = distinctFixture(int(state.range(0)));
    const tf::stats::Result result = f.log.compute({});
    int n = 0;
    for (auto _ : state) {
        const QString path = f.dir.filePath(QStringLiteral("figures%1.db").arg(n++));
        QString error;
        if (!tf::stats::writeFigures(result, {}, f.path, path, &error))
            state.SkipWithError(qPrintable(error));
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StatisticsPrintFile)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
