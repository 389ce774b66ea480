#include "stats/SolunarStats.h"

#include "data/Places.h"
#include "moon/SolunarTable.h"
#include "moon/SolunarTrip.h"

#include <QHash>
#include <sqlite3.h>

namespace tf::stats {

namespace {

// The catch as every other figure reads it: digits only, blanks around ignored.
std::optional<qint64> catchOf(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 18)
        return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return t.toLongLong();
}

void add(Figures &f, const std::optional<qint64> &fish)
{
    ++f.trips;
    if (!fish)
        return;
    ++f.known;
    f.fish += *fish;
    if (*fish == 0)
        ++f.blank;
}

bool sameGroup(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString text(sqlite3_stmt *st, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
}

} // namespace

SolunarFigures computeSolunarFigures(const QString &databasePath, const Filter &filter)
{
    SolunarFigures r;
    for (const char *g : {"Major at sunrise and sunset", "Major at sunrise", "Major at sunset", "Neither"})
        r.dawnDusk.push_back({QString::fromLatin1(g), {}});
    for (const char *g : {"In a major period", "In a minor period", "In neither"})
        r.timeOfDay.push_back({QString::fromLatin1(g), {}});

    const PlacesRead places = readPlaces(databasePath);
    if (!places.ok) {
        r.ok = false;
        r.error = places.error;
        return r;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        r.ok = false;
        r.error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return r;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT \"Date\", \"Lake\", \"Total Fish\", \"Fish Caught\" FROM \"Log\"", -1, &st,
                           nullptr) != SQLITE_OK) {
        r.ok = false;
        r.error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return r;
    }
    // Many trips share a water and a day: each is worked out once.
    QHash<QString, solunar::Day> days;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString lake = text(st, 1);
        if ((!filter.lake.isEmpty() && !sameGroup(lake, filter.lake)) ||
            (!filter.species.isEmpty() && !sameGroup(text(st, 3), filter.species)))
            continue;
        const solunar::TripMoment moment = solunar::readTripMoment(text(st, 0));
        if ((filter.from || filter.to) && (!moment.date.isValid() || (filter.from && moment.date < *filter.from) ||
                                           (filter.to && moment.date > *filter.to)))
            continue;
        if (!moment.date.isValid()) {
            ++r.noDate;
            continue;
        }
        const std::optional<PlacePosition> position = findPlace(places, lake);
        if (!position) {
            ++r.noPosition;
            continue;
        }
        const QString key = position->lake.toCaseFolded() + QLatin1Char('\t') + moment.date.toString(Qt::ISODate);
        auto it = days.find(key);
        if (it == days.end())
            it = days.insert(key, solunar::computeDay(solunar::placeOf(*position), moment.date));
        const solunar::Day &day = *it;
        const std::optional<qint64> fish = catchOf(text(st, 2));
        const bool rise = day.majorAtSunrise(), set = day.majorAtSunset();
        add(r.dawnDusk[rise && set ? 0 : rise ? 1 : set ? 2 : 3].figures, fish);
        if (!moment.time) {
            ++r.noTime;
            continue;
        }
        const qint64 at = QDateTime(moment.date, *moment.time, day.zone).toMSecsSinceEpoch();
        const std::optional<solunar::PeriodKind> kind = day.periodAt(at);
        add(r.timeOfDay[!kind ? 2 : *kind == solunar::PeriodKind::Major ? 0 : 1].figures, fish);
    }
    if (rc != SQLITE_DONE) {
        r.ok = false;
        r.error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

} // namespace tf::stats
