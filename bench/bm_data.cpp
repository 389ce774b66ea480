// Data source figures on a log of generated trips, beside the bare SQLite C API
// doing the same reads, so the figures read as ratios in one run.

#include "BenchDiary.h"
#include "FakePlatform.h"
#include "data/DataSource.h"
#include "data/Schema.h"
#include "search/frmSearch.h"
#include "shell/Resources.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

// One program folder per trip count, made once per run, its tfn5.mdb shared by
// every case. One trip in ten mentions bass.
QString logFile(int trips)
{
    static QTemporaryDir dir;
    const QString folder = dir.filePath(QString::number(trips));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(tf::kDatabaseFileName);
    if (QFile::exists(path))
        return path;
    return tf::bench::makeBenchDiary(path, trips) ? path : QString();
}

void reportPeakMemory(benchmark::State &state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_DataSourceOpen(benchmark::State &state)
{
    const QString path = logFile(int(state.range(0)));
    for (auto _ : state) {
        tf::DataSource ds;
        if (!ds.open(path, QStringLiteral("Select * FROM Log Order By Date Desc")))
            state.SkipWithError(qPrintable(ds.errorText()));
        for (int row = 0; row < 50; ++row)
            for (int f = 0; f < ds.fieldNames().size(); ++f)
                benchmark::DoNotOptimize(ds.valueAt(row, f));
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_DataSourceOpen)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DataSourceRequery(benchmark::State &state)
{
    const QString path = logFile(int(state.range(0)));
    tf::DataSource ds;
    ds.open(path, QStringLiteral("Select * FROM Log Order By Date Desc"));
    bool byLake = true;
    for (auto _ : state) {
        ds.setRecordSource(byLake ? QStringLiteral("Select * FROM Log Order By Lake")
                                  : QStringLiteral("Select * FROM Log Order By Date Desc"));
        if (!ds.requery())
            state.SkipWithError(qPrintable(ds.errorText()));
        byLake = !byLake;
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_DataSourceRequery)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FindAll(benchmark::State &state)
{
    const QString path = logFile(int(state.range(0)));
    tf::DataSource ds;
    ds.open(path, QStringLiteral("Select * FROM Log Order By Date Desc"));
    const QString criterion = QStringLiteral("Notes LIKE '*bass*'");
    int found = 0;
    for (auto _ : state) {
        found = 0;
        // A fresh criterion text each pass, so nothing is reused between passes.
        ds.findFirst(criterion);
        while (!ds.noMatch()) {
            ++found;
            ds.findNext(criterion);
        }
        state.PauseTiming();
        ds.requery();
        state.ResumeTiming();
    }
    state.counters["matches"] = found;
}
BENCHMARK(BM_FindAll)->Arg(100000)->Unit(benchmark::kMillisecond);

// The floor: the engine itself filtering and ordering the same trips.
void stepAll(benchmark::State &state, const char *sql)
{
    const QString path = logFile(int(state.range(0)));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        sqlite3_reset(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
            ++rows;
        }
    }
    state.counters["rows"] = rows;
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void BM_SqliteOrderedLike(benchmark::State &state)
{
    stepAll(state, "SELECT _key FROM Log WHERE Notes LIKE '%bass%' ORDER BY Date DESC, _key DESC");
}
BENCHMARK(BM_SqliteOrderedLike)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SqliteOrderedKeys(benchmark::State &state)
{
    stepAll(state, "SELECT _key FROM Log ORDER BY Date DESC, _key DESC");
}
BENCHMARK(BM_SqliteOrderedKeys)->Arg(100000)->Unit(benchmark::kMillisecond);

// One Remarks search of the search window as the user runs it: the word typed,
// the button clicked, the lines in view drawn.
void BM_SearchRemarks(benchmark::State &state)
{
    const QString path = logFile(int(state.range(0)));
    tf::test::FakePlatformScope scope;
    scope.fake().setProgramFolder(QFileInfo(path).absolutePath());
    tf::frmSearch window;
    if (!window.load()) {
        state.SkipWithError(qPrintable(scope.fake().lastMessageText()));
        return;
    }
    window.show();
    QCoreApplication::processEvents();
    auto *text = window.findChild<QLineEdit *>(QStringLiteral("Text1"));
    auto *remarks = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    auto *list = window.findChild<QListView *>(QStringLiteral("List1"));
    text->setText(QStringLiteral("bass"));
    int listed = 0;
    for (auto _ : state) {
        remarks->click();
        list->viewport()->repaint();
        listed = list->model()->rowCount();
    }
    state.counters["listed"] = listed;
    if (!scope.fake().messages.isEmpty())
        state.SkipWithError(qPrintable(scope.fake().lastMessageText()));
}
BENCHMARK(BM_SearchRemarks)->Arg(100000)->Unit(benchmark::kMillisecond);

// The search the issue timed at eleven seconds: five trips with 100 KB of "a"
// in their remarks, searched for 9,999 "a" and a "b".
void BM_SearchWorstCase(benchmark::State &state)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(tf::kDatabaseFileName);
    if (!QFile::exists(path)) {
        tf::createDatabase(path);
        sqlite3 *db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5) "
                     "INSERT INTO Log (Date, Lake, Notes) SELECT '2024-06-0' || i, 'Lake', "
                     "printf('%.100000c', 'a') FROM n",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    tf::test::FakePlatformScope scope;
    scope.fake().setProgramFolder(dir.path());
    tf::frmSearch window;
    if (!window.load()) {
        state.SkipWithError(qPrintable(scope.fake().lastMessageText()));
        return;
    }
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QString(9999, QLatin1Char('a')) + QLatin1Char('b'));
    auto *remarks = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    auto *list = window.findChild<QListView *>(QStringLiteral("List1"));
    for (auto _ : state) {
        remarks->click();
        list->viewport()->repaint();
    }
    state.counters["listed"] = list->model()->rowCount();
}
BENCHMARK(BM_SearchWorstCase)->Unit(benchmark::kMillisecond);

void BM_SaveRow(benchmark::State &state)
{
    const QString path = logFile(100000);
    tf::DataSource ds;
    ds.open(path, QStringLiteral("Select * FROM Log Order By Date Desc"));
    ds.moveTo(500);
    int n = 0;
    for (auto _ : state) {
        ds.edit();
        ds.setValue(QStringLiteral("Notes"), QStringLiteral("edited %1").arg(++n));
        if (!ds.update())
            state.SkipWithError(qPrintable(ds.errorText()));
    }
}
BENCHMARK(BM_SaveRow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Compact(benchmark::State &state)
{
    const QString path = logFile(int(state.range(0)));
    QTemporaryDir out;
    int n = 0;
    for (auto _ : state) {
        const QString dest = out.filePath(QStringLiteral("c%1.mdb").arg(++n));
        const tf::Status s = tf::DataSource::compact(path, dest);
        if (!s.ok)
            state.SkipWithError(qPrintable(s.error));
        state.PauseTiming();
        QFile::remove(dest);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Compact)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tf::initResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
