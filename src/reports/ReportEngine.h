#pragma once

// Makes a report from its definition file: reads and checks the definition,
// refuses any query that does more than read, runs the queries on a read-only
// connection and breaks the rows into pages as it reads them. No widgets: the
// window side (progress, preview) is RunReport.h.

#include "platform/Platform.h"
#include "reports/ReportDocument.h"

#include <QDateTime>
#include <QString>
#include <memory>

namespace tf::report {

struct BuildOptions
{
    QString definitionPath; // the .rpt file
    QString databasePath;   // tfn5.mdb
    PageSetup page = PageSetup::standard();
    QDateTime printedAt;
    ProgressFn progress; // 0 to 100; returning false stops the report
};

class Runner;
class StreamPages;

// A report made a stretch at a time: its pages are counted as its rows are
// read, and each page is laid out only when it is painted or read.
class Report : public ReportPages
{
public:
    ~Report() override;
    int pageCount() const override;
    bool complete() const override;
    bool paginateMore(int milliseconds, const ProgressFn &progress) override;
    int percentDone() const override;
    QString error() const override; // empty when cancelled
    QSizeF pageSize() const override;
    void paintPage(int index, QPainter &painter) const override;
    QString pageText(int index) const override;
    bool paintsConcurrently() const override { return true; }
    QString title() const override;

    // Counts on until complete (pages < 0) or until that many pages are ready;
    // false when cancelled (progress returned false) or on an error.
    bool paginate(const ProgressFn &progress, int pages = -1);
    bool cancelled() const;
    const StreamPages &pages() const;

private:
    friend std::unique_ptr<Report> openReport(const BuildOptions &, QString *, bool *);
    explicit Report(std::unique_ptr<Runner> runner);
    std::unique_ptr<Runner> m_runner;
};

// Reads the definition, opens the database and checks every query; no page is
// made yet. Null when the report cannot be made (error says why, empty when
// the progress callback cancelled).
std::unique_ptr<Report> openReport(const BuildOptions &options, QString *error, bool *cancelled = nullptr);

struct BuildResult
{
    std::unique_ptr<Report> report; // set when the report was made, every page counted
    int pages = 0;
    bool cancelled = false;
    QString error; // what to tell the user when it was not made (and not cancelled)
};

// Makes the whole report (every page counted, none laid out).
BuildResult buildReport(const BuildOptions &options);

// The path of a report named as the print commands name it ("\log.rpt" or
// "log.rpt"): the user's own copy in the data folder, else the shipped one.
QString reportPath(const QString &fileName);

} // namespace tf::report
