#pragma once

// Makes a report from its definition file: reads and checks the definition,
// refuses any query that does more than read, runs the queries on a read-only
// connection and lays the rows out into pages. No widgets: the window side
// (progress, preview) is RunReport.h.

#include "reports/ReportDocument.h"

#include <QDateTime>
#include <QString>
#include <memory>

class QTextDocument;

namespace tf::report {

struct BuildOptions
{
    QString definitionPath; // the .rpt file
    QString databasePath;   // tfn5.mdb
    PageSetup page = PageSetup::standard();
    QDateTime printedAt;
    ProgressFn progress; // 0 to 100; returning false stops the report
};

struct BuildResult
{
    std::unique_ptr<QTextDocument> document; // set when the report was made
    int pages = 0;
    bool cancelled = false;
    QString error; // what to tell the user when it was not made (and not cancelled)
};

BuildResult buildReport(const BuildOptions &options);

// The path of a report named as the print commands name it ("\log.rpt" or
// "log.rpt"): always a file directly in the program folder.
QString reportPath(const QString &fileName);

} // namespace tf::report
