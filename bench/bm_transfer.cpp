// The diary out to CSV and a large foreign log in, on the benchmark diary's sizes:
// 100,000 trips and 10,000 rows in every other table.

#include "data/DiaryTransfer.h"
#include "data/LogImport.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void reportPeakMemory(benchmark::State &state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

// Every table filled, texts of typical length, one note in ten quoted and on two lines.
QString diary(int trips)
{
    const QString path = scratch().filePath(QStringLiteral("full-%1.mdb").arg(trips));
    if (QFile::exists(path) || !tf::createDatabase(path).ok)
        return path;
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QString sql = QStringLiteral("BEGIN;");
    for (const tf::TableDef &t : tf::schemaTables()) {
        if (t.name == QLatin1String("Register"))
            continue;
        const int rows = t.name == QLatin1String("Log") ? trips : trips / 10;
        QStringList columns, values;
        for (const QString &c : t.columns) {
            columns << tf::quoteIdentifier(c);
            if (t.dateColumns.contains(c))
                values << QStringLiteral("printf('%04d-%02d-%02d 06:30:00', 1980 + i % 45, 1 + i % 12, 1 + i % 28)");
            else if (c == QLatin1String("Notes"))
                values << QStringLiteral("CASE WHEN i % 10 = 0 THEN 'Two \"largemouth\" bass, on a jig' || char(10) || "
                                         "'by the weeds' ELSE 'Slow morning along the points' END");
            else
                values << QStringLiteral("'%1 ' || (i * 7919 % %2)").arg(QString(c).replace('\'', "''")).arg(rows);
        }
        sql += QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "INSERT INTO %2 (%3) SELECT %4 FROM n;")
                   .arg(rows)
                   .arg(tf::quoteIdentifier(t.name), columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
    }
    sql += QStringLiteral("COMMIT;");
    sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

void BM_ExportAll(benchmark::State &state)
{
    const QString source = diary(int(state.range(0)));
    const QString folder = scratch().filePath(QStringLiteral("export"));
    for (auto _ : state) {
        const tf::TransferResult r = tf::exportDiary(source, folder);
        if (!r.ok)
            state.SkipWithError(qPrintable(r.error));
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_ExportAll)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A spreadsheet's export: German headings, semicolons, day.month.year dates.
QString foreignLog(int trips)
{
    const QString path = scratch().filePath(QStringLiteral("fangbuch-%1.csv").arg(trips));
    QByteArray text = "Datum;Gewässer;Anzahl;Fischart;Köder;Wetter;Bemerkungen\r\n";
    for (int i = 1; i <= trips; ++i)
        text += QStringLiteral("%1.%2.%3;See %4;%5;Hecht;Gummifisch %6;sonnig;\"Schilfkante; Wind aus West\"\r\n")
                    .arg(1 + i % 28)
                    .arg(1 + i % 12)
                    .arg(1980 + i % 45)
                    .arg(i * 7919 % 500)
                    .arg(i % 11)
                    .arg(i % 40)
                    .toUtf8();
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return path;
}

void BM_ImportLog(benchmark::State &state)
{
    const tf::ForeignFile file = tf::readForeignFile(foreignLog(int(state.range(0))));
    const QString empty = scratch().filePath(QStringLiteral("empty.mdb"));
    if (!QFile::exists(empty))
        tf::createDatabase(empty);
    const QString target = scratch().filePath(QStringLiteral("target.mdb"));
    tf::LogImportOptions options;
    options.locale = QLocale(QLocale::German, QLocale::Germany);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        QFile::copy(empty, target);
        state.ResumeTiming();
        options.mapping = tf::guessMapping(target, tf::previewLines(file, 1).front());
        const tf::LogImportResult r = tf::importLog(target, file, options);
        if (!r.ok || r.accepted != state.range(0))
            state.SkipWithError(qPrintable(r.error.isEmpty() ? QStringLiteral("lines refused") : r.error));
    }
    reportPeakMemory(state);
}
BENCHMARK(BM_ImportLog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
