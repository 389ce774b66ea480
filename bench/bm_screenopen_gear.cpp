// Opening the gear log on a large diary: 10,000 rows in each of its three tables.

#include "FakePlatform.h"
#include "TestFolder.h"
#include "screens/frmGear.h"
#include "shell/Resources.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

std::unique_ptr<tf::test::FakePlatformScope> g_scope;

void makeBenchDatabase()
{
    g_scope = std::make_unique<tf::test::FakePlatformScope>();
    const QString db = g_scope->file(QStringLiteral("tfn5.mdb"));
    tf::test::makeDatabase(db);
    const QString rows =
        QStringLiteral("BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) ");
    tf::test::execSql(db, rows + QStringLiteral("INSERT INTO Rods (\"Reel Make\", \"Reel Model\", \"Rod Make\", "
                                                "\"Rod Model\", \"Rod Note\") SELECT 'Reel ' || i, 'Model ' || i, "
                                                "'Rod ' || i, 'R' || i, 'Notes on rod ' || i FROM n;COMMIT;"));
    tf::test::execSql(db, rows + QStringLiteral("INSERT INTO Boat (Boat, Motor, Maint) SELECT 'Boat ' || i, "
                                                "'Motor ' || i, 'Waxed' FROM n;COMMIT;"));
    tf::test::execSql(db, rows + QStringLiteral("INSERT INTO Equipment (Item, Make, Model, Price) SELECT 'Item ' || i, "
                                                "'Make', 'Model', i FROM n;COMMIT;"));
}

void BM_ScreenOpen(benchmark::State &state)
{
    for (const char *table : {"Rods", "Boat", "Equipment"})
        if (tf::test::querySingle(g_scope->file(QStringLiteral("tfn5.mdb")),
                                  QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)))
                .toInt() != 10000)
            state.SkipWithError("the benchmark diary was not filled");
    for ([[maybe_unused]] auto _ : state) {
        auto *gear = new tf::frmGear;
        gear->load();
        gear->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete gear;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ScreenOpen)->Name("BM_ScreenOpen/frmGear")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tf::initResources();
    makeBenchDatabase();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_scope.reset();
    return 0;
}
