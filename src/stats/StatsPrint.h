#pragma once

// The statistics window's figures on paper. The report engine prints what its
// queries read from a database file, so the figures of a count are written
// into a small database file of their own, which the definition
// "statistics.rpt" reads:
//
//   Register (Name)           whose diary it is, for the page heading
//   Totals (Filter, Trips, Known, Unknown, Fish, "Fish per trip", "Blank trips",
//           "Best trip", Problem)                                     one row
//   Breakdown (Dimension, Position, "Group", Trips, Known, Fish, "Fish per trip",
//              "Blank share")    a row per group; Dimension is the key of
//                                dimensionKey() ("lure_color"), Position the
//                                group's place in the window's order from 1

#include "stats/StatsCore.h"

namespace tf::stats {

// Which trips a filter chooses, in words: "All trips", "Trips from 5/4/24 to
// 7/20/24 on Clear Lake for Bass".
QString describeFilter(const Filter &filter);

// Fish per trip ("2.50") and the blank share ("50% (1)") as the window shows
// them; "-" when no trip has a known catch.
QString perTripText(const Figures &figures);
QString blankShareText(const Figures &figures);

// Writes the figures into a new database file at `path` (which must not exist);
// the owner's name is copied from the diary at `diaryPath` when it can be read.
// False with the reason when the file cannot be written.
bool writeFigures(const Result &result, const Filter &filter, const QString &diaryPath, const QString &path,
                  QString *error);

} // namespace tf::stats
