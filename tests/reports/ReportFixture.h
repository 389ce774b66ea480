#pragma once

// Databases for the report tests: a small diary whose totals are known by hand,
// and a generated log of any size for timing.

#include "reports/ReportEngine.h"

#include <QString>

namespace tf::test {

// The source copies of the eleven definitions.
QString definitionsFolder();
// Copies every definition into the folder (the program folder of a test).
void installDefinitions(const QString &folder);

// Fills a fresh database with the known diary; pictureFolder receives the
// one photograph that exists (best fish "Largemouth Bass").
void fillDiary(const QString &databasePath, const QString &pictureFolder);
// Adds `trips` generated trips (deterministic) to a database; false on failure.
bool generateTrips(const QString &databasePath, int trips);

// Builds a report of the program folder with the fake platform's clock.
report::BuildResult buildNamed(const QString &fileName, const report::ProgressFn &progress = {});
// The text of every page, one after the other.
QString reportText(const report::Report &report);
// Whether every page begins with its own header ("Fishing Log\tPage 3 of 40");
// the first that does not is named in `why`.
bool everyPageHeaded(const report::Report &report, const QString &title, QString *why);

} // namespace tf::test
