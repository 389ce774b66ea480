#pragma once

// Everything the moon window shows for one instant, worked out without touching a
// widget: the "Night of" line, the six lines of phases, the picture, the half angle and
// the caption. The window only puts the results on screen, so one redraw can be timed
// and tested on its own, and a redraw that was overtaken by newer input can be dropped
// before anything is drawn.
//
// Date-time values are days since 30 December 1899 00:00 (the moon arithmetic's own
// type); QDateTime appears only where a value meets the calendar, the clock or a text.
// Those QDateTimes carry the wall-clock reading as it is, in UTC, so no daylight-saving
// gap or overlap can shift a value on its way through.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace tf {

// ---- Date-time values at the edges -----------------------------------------------------

// The value of a wall-clock reading. Before 30 December 1899 the time of day is carried
// with the value's sign (-1.25 is 29 December 1899 06:00).
double toDateValue(const QDateTime &t);
double toDateValue(QDate day);
// The wall-clock reading of a value, to the millisecond; invalid for a value that is not
// finite or lies too far out for a calendar.
QDateTime fromDateValue(double v);

// ---- Texts -----------------------------------------------------------------------------

// The user's general date-and-time form: the short date (with the year in full, since the
// calendar spans eight centuries) followed by the long time without a time zone, the time
// left out at exactly midnight. Shown to the nearest second.
QString generalDateText(double v, const QLocale &locale = QLocale());
// A 32-bit float in its shortest form with at most seven significant digits ("49.87654",
// "100").
QString singleText(float v, const QLocale &locale = QLocale());
// "Night of " + the weekday + " " + "December 8 2026 00:00".
QString nightOfText(double s, const QLocale &locale = QLocale());

// ---- Form routines ---------------------------------------------------------------------

// part * 100 / whole; -1 when part exceeds whole or whole is 0, and 0 when part is 0.
float Percentage(std::int16_t part, std::int16_t whole);
// The phase caption for instant s whose half phase angle (degrees / 2, rounded) is h,
// such as "Waxing Crescent 23% of Full" or "Waning Gibbous 100% of Full".
QString PhaseCaption(double s, std::int16_t h);

// ---- One redraw ------------------------------------------------------------------------

struct MoonInfo
{
    QString statusLine;     // first panel of the status bar
    QString phaseList;      // six lines joined by CR LF
    QString caption;        // "Moon " + PhaseCaption
    int picture = 0;        // moon picture identifier, 101..280
    int halfAngle = 0;      // phase angle / 2, rounded halves to even
    float angle = 0;        // phase angle in degrees
    float illumination = 0; // percent
};

// The moon at instant s, with the next phases or (previousMode) the ones before it.
// Runs the lunation search, so it may call the moon arithmetic's yield hook; throws
// std::overflow_error for an instant whose lunation lies beyond 32 bits.
MoonInfo computeMoonInfo(double s, bool previousMode, const QLocale &locale = QLocale());

} // namespace tf
