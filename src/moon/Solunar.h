#pragma once

// Sun and moon times at a place on a local day, and the solunar periods derived from
// them. Our own implementation of published low-precision algorithms: the sun from its
// mean elements with the equation of centre, the moon from the main periodic terms of
// its longitude, latitude and distance. A body rises or sets when its centre's geometric
// altitude crosses -0.833 degrees (the sun: refraction and semidiameter) or
// 0.7275 times the horizontal parallax less 0.5667 degrees (the moon: parallax,
// semidiameter and refraction), which is the upper limb at the horizon for an observer
// at sea level.
//
// The local day is the place's own: from its midnight to the next one in its time zone,
// so a day that changes to or from daylight-saving time lasts 23 or 25 hours and every
// time is its true instant. Each event is the first of its kind in that day; a body that
// does not rise, set or pass the meridian in it simply has no such event.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace tf::solunar {

struct Place
{
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    QTimeZone zone;
};

// Whether a body that neither rises nor sets in the day stays above or below the horizon.
enum class AllDay { No, Up, Down };

enum class PeriodKind { Major, Minor };

struct Period
{
    PeriodKind kind = PeriodKind::Major;
    qint64 start = 0; // milliseconds since the epoch, clipped to the day
    qint64 end = 0;
};

struct Day
{
    QDate date;
    QTimeZone zone;
    qint64 dayStart = 0; // milliseconds since the epoch (UTC): the local midnight
    qint64 dayEnd = 0;   // the next local midnight
    std::optional<qint64> sunrise, sunset, moonrise, moonset, moonUpper, moonLower;
    AllDay sunAllDay = AllDay::No;  // set only when the sun neither rises nor sets that day
    AllDay moonAllDay = AllDay::No; // likewise for the moon
    QList<Period> periods;          // in order of their start

    QList<Period> majors() const;
    // The day's "best day" rule: a major period that overlaps sunrise, or sunset.
    bool majorAtSunrise() const;
    bool majorAtSunset() const;
    // The kind of period the instant falls in (a major wins where the two overlap);
    // nothing when it falls in neither.
    std::optional<PeriodKind> periodAt(qint64 msecs) const;
};

// Everything for one place and one local date. A place whose zone is not valid is
// computed in UTC.
Day computeDay(const Place &place, QDate date);

// ---- Texts -----------------------------------------------------------------------------

// "06:42" in the day's zone; a time on another local date (never for events of the day)
// is not expected.
QString clockText(const Day &day, qint64 msecs);
// "06:42" for a rise or set, else "none" / "up all day" / "down all day".
QString eventText(const Day &day, const std::optional<qint64> &event, AllDay allDay);
// "05:10-07:10" for one period.
QString periodText(const Day &day, const Period &p);
// "Major 05:10-07:10, 17:35-19:35  Minor 11:02-12:02" (an empty group is left out).
QString periodsText(const Day &day);

// ---- Positions, exposed for the tests --------------------------------------------------

// Julian Day (UT) of an instant given in milliseconds since the epoch, and back.
double julianDay(qint64 msecs);
qint64 msecsOfJulianDay(double jd);

// Terrestrial minus Universal Time in seconds for a Julian Day (polynomial fits).
double deltaT(double jdUT);

// Geocentric apparent right ascension and declination (radians) and, for the moon, its
// distance in kilometres, at a Julian Day of Terrestrial Time.
struct Equatorial
{
    double ra = 0;
    double dec = 0;
    double distance = 0;
};
Equatorial sunPosition(double jdTT);
Equatorial moonPosition(double jdTT);

} // namespace tf::solunar
