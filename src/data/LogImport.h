#pragma once

// Trips kept elsewhere (a spreadsheet, another program's export) brought into
// the log: the file's columns mapped onto the log's, each line checked, the
// accepted lines added in one transaction. No widgets.

#include "data/CsvFile.h"

#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tf {

struct ForeignFile
{
    QByteArray data;
    csv::Encoding encoding = csv::Encoding::Utf8;
    char separator = ',';
    QString error; // the file cannot be used at all
};

// Reads a file whole and works out its encoding and separator.
ForeignFile readForeignFile(const QString &path);

// The first lines of the file, split into fields (at most `lines` of them).
std::vector<QStringList> previewLines(const ForeignFile &file, int lines, QString *error = nullptr);

// The log column each heading most likely means (empty: leave that column out),
// from the mapping kept at the last import first, then from common headings in
// English and German.
QStringList guessMapping(const QString &databasePath, const QStringList &headings);

// A day as it may be written in a file: ISO 8601 (with a time of day), or the
// locale's order of day, month and year with dots, slashes or dashes, two- or
// four-digit years, month names. Gives the stored form ("2026-12-08" or
// "2026-12-08 06:30:00"), or an empty text when it is no real day. `order`
// ("dMy", "Mdy"): the order the file's own dates settled, instead of the locale's.
QString storedDate(const QString &text, const QLocale &locale, const QString &order = {});

struct LogImportOptions
{
    QStringList mapping;  // per column of the file: a column of the log, or empty
    bool headings = true; // the first line names the columns
    QLocale locale;
    bool stopAtRefusal = false; // a refused line stops the import and nothing is added
};

struct RefusedLine
{
    qsizetype line = 0;
    QString column;
    QString reason;
};

struct LogImportResult
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    qint64 accepted = 0;
    std::vector<RefusedLine> refused;
    bool alreadyInDiary = false;         // the accepted lines' first, middle and last trips are there already
    QMap<QString, QStringList> newNames; // lookup table -> names the file brings that it lacks
};

using ImportProgress = std::function<bool(qint64 done, qint64 total)>;

// Checks every line without writing: what would be accepted, refused and doubled.
LogImportResult checkLog(const QString &databasePath, const ForeignFile &file, const LogImportOptions &options);

// Adds every accepted line in one transaction (none when it fails, is cancelled,
// or a line is refused and options.stopAtRefusal is set) and keeps the mapping
// for the next import.
LogImportResult importLog(const QString &databasePath, const ForeignFile &file, const LogImportOptions &options,
                          const ImportProgress &progress = {});

// Adds names to a lookup table (Lakes, Ramps, Fish, Lures).
bool addLookupNames(const QString &databasePath, const QString &table, const QStringList &names, QString *error);

} // namespace tf
