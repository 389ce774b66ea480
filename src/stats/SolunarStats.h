#pragma once

// Do the solunar periods pay off? The trips of a filter counted by how their day's
// major periods meet sunrise and sunset (the solunar tables' own rule of a "best day"),
// and, for trips whose date carries a time of day, by the period that time fell in.
// Only trips on a lake or river with a position count; how many were left out, and why,
// is counted too. The figures are those of every breakdown (trips, known catch, fish,
// blanks), so each group shows the number of trips it stands on.

#include "stats/StatsCore.h"

namespace tf::stats {

struct SolunarFigures
{
    bool ok = true;
    QString error;
    // "Major at sunrise and sunset", "Major at sunrise", "Major at sunset", "Neither",
    // always in this order (groups without trips too).
    std::vector<GroupRow> dawnDusk;
    // "In a major period", "In a minor period", "In neither".
    std::vector<GroupRow> timeOfDay;
    qint64 noDate = 0;     // trips without a date
    qint64 noPosition = 0; // dated trips on a water without a position (or none)
    qint64 noTime = 0;     // counted by day only: no time of day stored
};

SolunarFigures computeSolunarFigures(const QString &databasePath, const Filter &filter);

} // namespace tf::stats
