// How long each window takes to open: made by its catalogue name, shown, and
// painted for the first time (its first rows in view), on one database of
// 100,000 trips and 10,000 rows in every other table. The fake platform
// answers every message at once, so no modal box stops the clock.
//
// The statistics window shows its figures after it opens: BM_StatisticsReady
// measures from opening until the figures are painted. Every text of a trip is
// its own, so each of its breakdowns by a text has 100,000 groups.

#include "FakePlatform.h"
#include "app/WindowCatalog.h"
#include "data/Schema.h"
#include "shell/Resources.h"
#include "shell/WindowRegistry.h"
#include "stats/frmStatistics.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

namespace {

// Every window the catalogue defines today; a new screen adds its name here.
const QStringList kWindows{
    QStringLiteral("frmStart"),     QStringLiteral("frmRegister"),   QStringLiteral("frmAbout"),
    QStringLiteral("frmUpdate"),    QStringLiteral("frmCredit"),     QStringLiteral("frmUtilities"),
    QStringLiteral("frmDbutility"), QStringLiteral("frmLogs"),       QStringLiteral("frmSearch"),
    QStringLiteral("frmPrintfish"), QStringLiteral("frmMain"),       QStringLiteral("frmFish"),
    QStringLiteral("frmNotebook"),  QStringLiteral("frmPicture"),    QStringLiteral("frmBestfish"),
    QStringLiteral("frmGear"),      QStringLiteral("frmPatterns"),   QStringLiteral("frmReminders"),
    QStringLiteral("frmCalendar"),  QStringLiteral("frmContacts"),   QStringLiteral("frmMember"),
    QStringLiteral("frmOptions"),   QStringLiteral("frmStatistics"),
};

constexpr int kTrips = 100000;
constexpr int kOtherRows = 10000;

// Fills a fresh database: every table but Register (which holds exactly the
// owner's one row) gets its rows; each value names its column and row, dates
// spread over the years, one trip in ten mentions bass.
bool fillDatabase(const QString &path, QString *error)
{
    const tf::Status made = tf::createDatabase(path);
    if (!made.ok) {
        *error = made.error;
        return false;
    }
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QString sql = QStringLiteral("BEGIN;");
    for (const tf::TableDef &table : tf::schemaTables()) {
        if (table.name == QLatin1String("Register"))
            continue;
        const int rows = table.name == QLatin1String("Log") ? kTrips : kOtherRows;
        QStringList columns, values;
        for (const QString &c : table.columns) {
            columns << tf::quoteIdentifier(c);
            if (table.dateColumns.contains(c))
                values << QStringLiteral("printf('%04d-%02d-%02d', 1980 + i % 45, 1 + i % 12, 1 + i % 28)");
            else if (c == QLatin1String("Notes"))
                values << QStringLiteral("CASE WHEN i % 10 = 0 THEN 'Two largemouth bass on a jig by the weeds' "
                                         "ELSE 'Slow morning along the points' END");
            else
                values << QStringLiteral("'%1 ' || (i * 7919 % %2)").arg(QString(c).replace('\'', "''")).arg(rows);
        }
        sql += QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "INSERT INTO %2 (%3) SELECT %4 FROM n;")
                   .arg(rows)
                   .arg(tf::quoteIdentifier(table.name), columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
    }
    sql += QStringLiteral("COMMIT;");
    char *message = nullptr;
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok)
        *error = QString::fromUtf8(message);
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

// Notes the first paint of any widget of one window.
class PaintWatch : public QObject
{
public:
    QWidget *window = nullptr;
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && window && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == window)
            painted = true;
        return false;
    }
};

void closeEverything()
{
    tf::WindowRegistry::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void BM_ScreenOpen(benchmark::State &state, const QString &name)
{
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        watch.painted = false;
        watch.window = tf::WindowRegistry::open(name);
        if (!watch.window) {
            state.SkipWithError("the window refused to open");
            break;
        }
        QElapsedTimer waited;
        waited.start();
        while (!watch.painted && waited.elapsed() < 10000)
            QCoreApplication::processEvents();
        // What the first paint queued (a delayed item layout, a late update) is drawn too.
        QCoreApplication::processEvents();
        if (!watch.painted) {
            state.SkipWithError("the window was never painted");
            break;
        }
        state.PauseTiming();
        watch.window = nullptr;
        closeEverything();
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    closeEverything();
}

// What checking the whole file as it opens would cost: the engine's quick
// check over the same diary the screens open.
void BM_QuickCheck(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(tf::programDatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
        if (sqlite3_step(st) != SQLITE_ROW || qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok"))
            state.SkipWithError("the check failed");
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
}

void BM_StatisticsReady(benchmark::State &state)
{
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        auto *window = tf::WindowRegistry::open<tf::frmStatistics>();
        if (!window) {
            state.SkipWithError("the window refused to open");
            break;
        }
        bool shown = false;
        QObject::connect(window, &tf::frmStatistics::figuresShown, window, [&] {
            shown = true;
            watch.painted = false;
        });
        watch.window = window;
        QElapsedTimer waited;
        waited.start();
        while (!(shown && watch.painted) && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        if (!shown || window->result().totals.figures.trips != kTrips) {
            state.SkipWithError("the figures were never shown");
            break;
        }
        state.PauseTiming();
        watch.window = nullptr;
        closeEverything();
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    closeEverything();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tf::initResources();
    QTemporaryDir folder;
    QString error;
    if (!fillDatabase(QDir(folder.path()).filePath(tf::kDatabaseFileName), &error)) {
        std::fprintf(stderr, "Cannot make the benchmark database: %s\n", qPrintable(error));
        return 1;
    }
    tf::setPlatform(std::make_unique<tf::test::FakePlatform>(folder.path()));
    tf::registerWindows();
    for (const QString &name : kWindows) {
        if (!tf::WindowRegistry::isDefined(name)) {
            std::fprintf(stderr, "%s is not in the catalogue: not measured\n", qPrintable(name));
            continue;
        }
        benchmark::RegisterBenchmark(qPrintable(QStringLiteral("BM_ScreenOpen/") + name), BM_ScreenOpen, name)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_QuickCheck/100000", BM_QuickCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
    if (tf::WindowRegistry::isDefined(QStringLiteral("frmStatistics")))
        benchmark::RegisterBenchmark("BM_StatisticsReady/100000", BM_StatisticsReady)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
