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
// Writes the document as a PDF with the page the standard setup assumes.
bool writePdf(QTextDocument *doc, const QString &path);

} // namespace tf::test
