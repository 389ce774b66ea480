#include "moon/SolunarTable.h"

#include "data/Coordinates.h"
#include "data/DiaryConnection.h"
#include "reports/ScratchDatabase.h"

#include <QLocale>
#include <QVariant>

namespace tf::solunar {

namespace {

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
    report::ScratchDatabase db;
    const auto fail = [&] {
        *error = db.error();
        return false;
    };
    if (!db.create(path, "CREATE TABLE Register (Name TEXT);"
                         "CREATE TABLE Water (Water TEXT, Position TEXT, Zone TEXT, Month TEXT);"
                         "CREATE TABLE Days (Day INTEGER PRIMARY KEY, Date TEXT, Sunrise TEXT, Sunset TEXT,"
                         " Moonrise TEXT, Moonset TEXT, Overhead TEXT, Underfoot TEXT, Major TEXT, Minor TEXT,"
                         " Best TEXT);"))
        return fail();
    const QLocale locale;
    if (!db.insert("INSERT INTO Register VALUES (?)", {diaryOwnerName(diaryPath)}) ||
        !db.insert("INSERT INTO Water VALUES (?, ?, ?, ?)", {position.lake, positionText(position), zoneText(position),
                                                             locale.toString(month, QStringLiteral("MMMM yyyy"))}))
        return fail();
    for (const Day &day : computeMonth(placeOf(position), month)) {
        if (!db.insert("INSERT INTO Days VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       {day.date.day(), locale.toString(day.date, QStringLiteral("ddd d")),
                        eventText(day, day.sunrise, day.sunAllDay), eventText(day, day.sunset, day.sunAllDay),
                        eventText(day, day.moonrise, day.moonAllDay), eventText(day, day.moonset, day.moonAllDay),
                        eventText(day, day.moonUpper, AllDay::No), eventText(day, day.moonLower, AllDay::No),
                        periodsOf(day, PeriodKind::Major), periodsOf(day, PeriodKind::Minor), bestText(day)}))
            return fail();
    }
    return db.commit() || fail();
}

} // namespace tf::solunar
