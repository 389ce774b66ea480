#include "moon/SolunarTable.h"

#include "data/DiaryConnection.h"

#include "data/Coordinates.h"

#include <QLocale>
#include <QVariant>
#include <sqlite3.h>

#include <memory>

namespace tf::solunar {

namespace {

struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

struct Finalizer
{
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Prepared = std::unique_ptr<sqlite3_stmt, Finalizer>;

QString periodsOf(const Day &day, PeriodKind kind)
{
    QStringList texts;
    for (const Period &p : day.periods)
        if (p.kind == kind)
            texts << periodText(day, p);
    return texts.join(QStringLiteral(", "));
}

QString bestText(const Day &day)
{
    if (day.majorAtSunrise() && day.majorAtSunset())
        return QStringLiteral("both");
    if (day.majorAtSunrise())
        return QStringLiteral("sunrise");
    if (day.majorAtSunset())
        return QStringLiteral("sunset");
    return {};
}

} // namespace

Place placeOf(const PlacePosition &position)
{
    return {position.latitude, position.longitude, QTimeZone(position.zone.toUtf8())};
}

QString positionText(const PlacePosition &position)
{
    return degreesMinutesText(position.latitude, Axis::Latitude) + QStringLiteral(", ") +
           degreesMinutesText(position.longitude, Axis::Longitude);
}

QString zoneText(const PlacePosition &position)
{
    if (QTimeZone(position.zone.toUtf8()).isValid())
        return position.zone;
    return QStringLiteral("UTC (%1 is not known here)")
        .arg(position.zone.isEmpty() ? QStringLiteral("no time zone") : position.zone);
}

QList<Day> computeMonth(const Place &place, QDate month)
{
    QList<Day> days;
    const QDate first(month.year(), month.month(), 1);
    for (QDate d = first; d.month() == first.month(); d = d.addDays(1))
        days << computeDay(place, d);
    return days;
}

bool writeMonth(const PlacePosition &position, QDate month, const QString &diaryPath, const QString &path,
                QString *error)
{
    sqlite3 *raw = nullptr;
    const int opened = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
    const Connection db(raw);
    const auto fail = [&] {
        *error = QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : "out of memory");
        return false;
    };
    if (opened != SQLITE_OK)
        return fail();
    // A scratch file read once and thrown away: nothing to protect against a crash.
    if (sqlite3_exec(db.get(),
                     "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;"
                     "CREATE TABLE Register (Name TEXT);"
                     "CREATE TABLE Water (Water TEXT, Position TEXT, Zone TEXT, Month TEXT);"
                     "CREATE TABLE Days (Day INTEGER PRIMARY KEY, Date TEXT, Sunrise TEXT, Sunset TEXT,"
                     " Moonrise TEXT, Moonset TEXT, Overhead TEXT, Underfoot TEXT, Major TEXT, Minor TEXT,"
                     " Best TEXT);",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();

    auto insert = [&](const char *sql, const QList<QVariant> &values) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql, -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        const Prepared guard(stmt);
        int i = 1;
        for (const QVariant &v : values) {
            if (v.typeId() == QMetaType::Int) {
                sqlite3_bind_int(stmt, i++, v.toInt());
            } else {
                const QByteArray utf8 = v.toString().toUtf8();
                sqlite3_bind_text(stmt, i++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            }
        }
        return sqlite3_step(stmt) == SQLITE_DONE;
    };

    const QLocale locale;
    if (!insert("INSERT INTO Register VALUES (?)", {diaryOwnerName(diaryPath)}) ||
        !insert("INSERT INTO Water VALUES (?, ?, ?, ?)", {position.lake, positionText(position), zoneText(position),
                                                          locale.toString(month, QStringLiteral("MMMM yyyy"))}))
        return fail();
    for (const Day &day : computeMonth(placeOf(position), month)) {
        if (!insert("INSERT INTO Days VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {day.date.day(), locale.toString(day.date, QStringLiteral("ddd d")),
                     eventText(day, day.sunrise, day.sunAllDay), eventText(day, day.sunset, day.sunAllDay),
                     eventText(day, day.moonrise, day.moonAllDay), eventText(day, day.moonset, day.moonAllDay),
                     eventText(day, day.moonUpper, AllDay::No), eventText(day, day.moonLower, AllDay::No),
                     periodsOf(day, PeriodKind::Major), periodsOf(day, PeriodKind::Minor), bestText(day)}))
            return fail();
    }
    if (sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

} // namespace tf::solunar
