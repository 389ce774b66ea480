#pragma once

// A month of sun and moon times for one water, as the report "solunar.rpt" prints it.
// The report engine prints what its queries read from a database file, so the month is
// written into a small database file of its own:
//
//   Register (Name)                          whose diary it is, for the page heading
//   Water (Water, Position, Zone, Month)     one row
//   Days (Day, Date, Sunrise, Sunset, Moonrise, Moonset, Overhead, Underfoot, Major,
//         Minor, Best)                       a row per day of the month, Day from 1

#include "data/Places.h"
#include "moon/Solunar.h"

#include <QDate>
#include <QList>
#include <QString>

namespace tf::solunar {

// The place of a stored position; a zone this system does not know leaves the place's
// zone invalid, which computeDay reads as UTC.
Place placeOf(const PlacePosition &position);

// "59° 54.600' N, 10° 45.000' E"
QString positionText(const PlacePosition &position);
// The zone as the user reads it: "Europe/Oslo", or "UTC (Mars/Olympus is not known
// here)" when this system has no such zone.
QString zoneText(const PlacePosition &position);

// The days of the month holding `month`, first to last.
QList<Day> computeMonth(const Place &place, QDate month);

// Writes the month into a new database file at `path` (which must not exist); the
// owner's name is copied from the diary at `diaryPath` when it can be read.
bool writeMonth(const PlacePosition &position, QDate month, const QString &diaryPath, const QString &path,
                QString *error);

} // namespace tf::solunar
