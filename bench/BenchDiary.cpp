#include "BenchDiary.h"

#include "data/Schema.h"

#include <sqlite3.h>

namespace tf::bench {

bool makeBenchDiary(const QString &path, int trips)
{
    if (!createDatabase(path).ok)
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

} // namespace tf::bench
