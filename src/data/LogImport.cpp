#include "data/LogImport.h"

#include "data/DiaryConnection.h"
#include "data/Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <sqlite3.h>

namespace tf {

namespace {

void bind(sqlite3_stmt *s, int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// The mapping kept from one import to the next lives in the diary itself, in a
// table of its own, so it travels with the diary and needs no settings file.
const char *kMappingTable = "CREATE TABLE IF NOT EXISTS \"Import Headings\" (\"Heading\" TEXT PRIMARY KEY COLLATE "
                            "NOCASE, \"Column\" TEXT)";

QString normalized(const QString &heading)
{
    QString out;
    for (const QChar c : heading.toCaseFolded())
        out += c.isLetterOrNumber() ? c : QChar(u' ');
    return out.simplified();
}

const QHash<QString, QString> &commonHeadings()
{
    static const QHash<QString, QString> map = [] {
        const QList<QPair<QString, QStringList>> words = {
            {"Date", {"date", "day", "trip date", "date fished", "datum", "tag", "fangdatum"}},
            {"Lake",
             {"lake", "river", "water", "lake river", "waters", "gewässer", "gewaesser", "see", "fluss", "fangort"}},
            {"Ramp", {"ramp", "launch", "marina", "boat ramp", "launch ramp", "slip", "einstieg", "hafen"}},
            {"Total Fish",
             {"total fish", "number", "count", "catch", "fish count", "number of fish", "anzahl", "stück", "stueck",
              "fänge", "faenge", "fangzahl"}},
            {"Fish Caught", {"fish caught", "species", "fish", "fisch", "fischart", "art", "fischarten"}},
            {"Best Lure", {"best lure", "lure", "bait", "köder", "koeder", "kunstköder"}},
            {"Lure Color", {"lure color", "lure colour", "color", "colour", "farbe", "köderfarbe"}},
            {"Weather", {"weather", "wetter"}},
            {"Wind Direction", {"wind direction", "windrichtung"}},
            {"Wind Speed", {"wind speed", "wind", "windstärke", "windgeschwindigkeit"}},
            {"Air Temp", {"air temp", "air temperature", "air", "lufttemperatur", "luft"}},
            {"Water Temp", {"water temp", "water temperature", "wassertemperatur", "wassertemp"}},
            {"Water Color", {"water color", "water colour", "water clarity", "wasserfarbe", "trübung"}},
            {"Structure", {"structure", "struktur"}},
            {"Best Depth", {"best depth", "depth", "tiefe"}},
            {"Location", {"location", "area", "spot", "stelle", "platz", "angelplatz"}},
            {"Moon Phase", {"moon phase", "moon", "mond", "mondphase"}},
            {"Notes",
             {"notes", "note", "remarks", "comments", "comment", "bemerkung", "bemerkungen", "notizen", "kommentar",
              "notiz"}},
        };
        QHash<QString, QString> m;
        for (const auto &[column, list] : words)
            for (const QString &w : list)
                m.insert(normalized(w), column);
        for (const QString &c : findTable(QStringLiteral("Log"))->columns)
            m.insert(normalized(c), c);
        return m;
    }();
    return map;
}

int number(QStringView digits, bool *ok)
{
    *ok = !digits.isEmpty() && digits.size() <= 4;
    for (QChar c : digits)
        *ok = *ok && c.isDigit() && c.unicode() < 128;
    return *ok ? digits.toInt() : 0;
}

// The order of day, month and year in the locale's short date format.
QString dateOrder(const QLocale &locale)
{
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    QString order;
    for (QChar c : f)
        if ((c == u'd' || c == u'M' || c == u'y') && !order.contains(c))
            order += c;
    return order.size() == 3 ? order : QStringLiteral("Mdy");
}

QString timeOfDay(const QString &text, bool *ok)
{
    *ok = true;
    if (text.isEmpty())
        return {};
    const QStringList parts = text.split(u':');
    bool a = false, b = false, c = true;
    const int h = parts.value(0).toInt(&a);
    const int m = parts.value(1).toInt(&b);
    const int s = parts.size() > 2 ? QStringView(parts[2]).left(2).toInt(&c) : 0;
    if (parts.size() < 2 || parts.size() > 3 || !a || !b || !c || h > 23 || m > 59 || s > 59 || h < 0 || m < 0 ||
        s < 0) {
        *ok = false;
        return {};
    }
    return QStringLiteral(" %1:%2:%3").arg(h, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
}

bool isWholeNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    return true;
}

struct LookupColumn
{
    const char *table;
    const char *column;
    QStringList logColumns;
};

const std::vector<LookupColumn> &lookupColumns()
{
    static const std::vector<LookupColumn> list = {
        {"Lakes", "Lakes", {"Lake"}},
        {"Ramps", "Ramps", {"Ramp"}},
        {"Fish", "Fish", {"Fish Caught", "Fish1", "Fish2", "Fish3", "Fish4", "Fish5"}},
        {"Lures", "Lure", {"Best Lure", "Lure1", "Lure2", "Lure3", "Lure4", "Lure5"}},
    };
    return list;
}

// Whether the file writes the day or the month first. The user's locale says
// which, unless the file's own dates tell: "17.05.2025" can only be the 17th
// of May, so the file writes the day first and "03.05.2025" is the 3rd of May,
// whatever order the locale follows. Dates that tell both ways leave it to
// the locale.
QString fileDateOrder(const ForeignFile &file, const LogImportOptions &options, int source)
{
    csv::Reader reader(file.data, file.separator);
    csv::Record record;
    if (options.headings && !reader.next(record))
        return {};
    bool dayFirst = false, monthFirst = false;
    static const QRegularExpression numeric(QStringLiteral("^\\s*(\\d{1,2})[./-](\\d{1,2})[./-]\\d{2,4}\\b"));
    while (reader.next(record) && !(dayFirst && monthFirst)) {
        if (size_t(source) >= record.size())
            continue;
        const QRegularExpressionMatch m = numeric.match(csv::decode(record[size_t(source)].text, file.encoding));
        if (!m.hasMatch())
            continue;
        const int a = m.captured(1).toInt(), b = m.captured(2).toInt();
        dayFirst = dayFirst || (a > 12 && b <= 12);
        monthFirst = monthFirst || (b > 12 && a <= 12);
    }
    if (dayFirst == monthFirst)
        return {};
    return dayFirst ? QStringLiteral("dMy") : QStringLiteral("Mdy");
}

// One line of the file turned into log values, or the reason it is refused.
struct Converted
{
    std::vector<QString> values; // per mapped column
    bool refused = false;
};

class LineConverter
{
public:
    LineConverter(const ForeignFile &file, const LogImportOptions &options) : m_file(file), m_options(options)
    {
        for (int i = 0; i < options.mapping.size(); ++i)
            if (!options.mapping[i].isEmpty() && !m_columns.contains(options.mapping[i])) {
                m_columns << options.mapping[i];
                m_sources << i;
            }
        if (const qsizetype date = m_columns.indexOf(QLatin1String("Date")); date >= 0)
            m_dateOrder = fileDateOrder(file, options, m_sources[date]);
    }

    const QStringList &columns() const { return m_columns; }

    Converted convert(const csv::Record &record, qsizetype line, std::vector<RefusedLine> &refused) const
    {
        Converted out;
        out.values.reserve(size_t(m_columns.size()));
        if (record.size() != size_t(m_options.mapping.size())) {
            refused.push_back({line,
                               {},
                               QStringLiteral("%1 values where the file has %2 columns.")
                                   .arg(record.size())
                                   .arg(m_options.mapping.size())});
            out.refused = true;
            return out;
        }
        for (int k = 0; k < m_columns.size(); ++k) {
            const QString column = m_columns[k];
            QString value = csv::decode(record[size_t(m_sources[k])].text, m_file.encoding).trimmed();
            if (column == QLatin1String("Date")) {
                const QString stored = storedDate(value, m_options.locale, m_dateOrder);
                if (stored.isEmpty()) {
                    refused.push_back({line, column,
                                       value.isEmpty() ? QStringLiteral("No date.")
                                                       : QStringLiteral("\"%1\" is no date.").arg(value.left(40))});
                    out.refused = true;
                }
                value = stored;
            } else if (column == QLatin1String("Total Fish") && !value.isEmpty() && !isWholeNumber(value)) {
                refused.push_back(
                    {line, column, QStringLiteral("\"%1\" is no whole number of fish.").arg(value.left(40))});
                out.refused = true;
            } else if (column == QLatin1String("Lake") && value.isEmpty()) {
                refused.push_back({line, column, QStringLiteral("No lake or river.")});
                out.refused = true;
            }
            out.values.push_back(value);
        }
        return out;
    }

private:
    QString m_dateOrder;
    const ForeignFile &m_file;
    const LogImportOptions &m_options;
    QStringList m_columns;
    QList<int> m_sources;
};

bool blank(const csv::Record &r)
{
    return r.size() == 1 && r[0].isMissing();
}

// Runs through the file: converts every line, hands accepted ones to `accept`.
LogImportResult walk(const ForeignFile &file, const LogImportOptions &options, const LineConverter &converter,
                     const std::function<bool(const Converted &, qsizetype line)> &accept,
                     const ImportProgress &progress)
{
    LogImportResult result;
    if (!converter.columns().contains(QLatin1String("Date")) || !converter.columns().contains(QLatin1String("Lake"))) {
        result.error = QStringLiteral("Choose the file's columns that hold the Date and the Lake / River.");
        return result;
    }
    csv::Reader reader(file.data, file.separator);
    csv::Record record;
    if (options.headings && !reader.next(record)) {
        result.error = reader.error().isEmpty() ? QStringLiteral("The file is empty.") : reader.error();
        return result;
    }
    while (reader.next(record)) {
        if (blank(record))
            continue;
        const Converted c = converter.convert(record, reader.recordLine(), result.refused);
        if (c.refused) {
            if (options.stopAtRefusal) {
                result.error = QStringLiteral("Line %1 is refused: %2 Nothing was imported.")
                                   .arg(result.refused.back().line)
                                   .arg(result.refused.back().reason);
                return result;
            }
            continue;
        }
        if (!accept(c, reader.recordLine()))
            return result;
        ++result.accepted;
        if (progress && result.accepted % 4096 == 0 && !progress(reader.bytesRead(), file.data.size())) {
            result.cancelled = true;
            return result;
        }
    }
    if (!reader.error().isEmpty()) {
        result.error = reader.error() + QStringLiteral(" Nothing was imported.");
        return result;
    }
    result.ok = true;
    return result;
}

// Names of the lookup lists the accepted lines bring and the lists lack.
void collectNewNames(sqlite3 *db, const QStringList &columns, const std::vector<QSet<QString>> &seen,
                     LogImportResult &result)
{
    for (const LookupColumn &l : lookupColumns()) {
        QSet<QString> have;
        DiaryStatement s(db,
                         QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(l.column), quoteIdentifier(l.table)));
        while (s.stmt && sqlite3_step(s.stmt) == SQLITE_ROW)
            have.insert(s.text(0).toCaseFolded());
        QStringList fresh;
        QSet<QString> added;
        for (int k = 0; k < columns.size(); ++k)
            if (l.logColumns.contains(columns[k]))
                for (const QString &name : seen[size_t(k)])
                    if (!have.contains(name.toCaseFolded()) && !added.contains(name.toCaseFolded())) {
                        fresh << name;
                        added.insert(name.toCaseFolded());
                    }
        if (!fresh.isEmpty()) {
            fresh.sort(Qt::CaseInsensitive);
            result.newNames.insert(QString::fromLatin1(l.table), fresh);
        }
    }
}

bool isLookupColumn(const QString &column)
{
    for (const LookupColumn &l : lookupColumns())
        if (l.logColumns.contains(column))
            return true;
    return false;
}

} // namespace

ForeignFile readForeignFile(const QString &path)
{
    ForeignFile file;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        file.error = QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), f.errorString());
        return file;
    }
    file.data = f.readAll();
    file.encoding = csv::detectEncoding(file.data);
    if (file.encoding == csv::Encoding::Binary)
        file.error = QStringLiteral("%1 is not a text file of comma- or semicolon-separated values.")
                         .arg(QDir::toNativeSeparators(path));
    file.separator = csv::guessSeparator(file.data);
    return file;
}

std::vector<QStringList> previewLines(const ForeignFile &file, int lines, QString *error)
{
    std::vector<QStringList> out;
    csv::Reader reader(file.data, file.separator);
    csv::Record record;
    while (int(out.size()) < lines && reader.next(record)) {
        QStringList fields;
        for (const csv::Field &f : record)
            fields << csv::decode(f.text, file.encoding);
        out.push_back(fields);
    }
    if (error)
        *error = reader.error();
    return out;
}

QStringList guessMapping(const QString &databasePath, const QStringList &headings)
{
    QHash<QString, QString> kept;
    DiaryConnection c;
    QString error;
    if (c.open(databasePath, SQLITE_OPEN_READONLY, &error)) {
        DiaryStatement s(c.db, QStringLiteral("SELECT \"Heading\", \"Column\" FROM \"Import Headings\""));
        while (s.stmt && sqlite3_step(s.stmt) == SQLITE_ROW)
            kept.insert(normalized(s.text(0)), s.text(1));
    }
    QStringList mapping;
    for (const QString &h : headings) {
        const QString key = normalized(h);
        QString column = kept.value(key, commonHeadings().value(key));
        if (mapping.contains(column))
            column.clear();
        mapping << column;
    }
    return mapping;
}

QString storedDate(const QString &input, const QLocale &locale, const QString &orderGiven)
{
    QString text = input.trimmed();
    QString time;
    // A time of day after the date: "2026-12-08T06:30", "8.12.2026 06:30".
    static const QRegularExpression timeStart(QStringLiteral("[T ](?=\\d{1,2}:\\d{2})"));
    const qsizetype cut = text.contains(u':') ? text.indexOf(timeStart) : -1;
    if (cut > 0) {
        bool ok = false;
        time = timeOfDay(text.mid(cut + 1).trimmed(), &ok);
        if (!ok)
            return {};
        text = text.left(cut).trimmed();
    }
    QList<QStringView> parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == u'.' || text[i] == u'/' || text[i] == u'-') {
            parts << QStringView(text).mid(from, i - from);
            from = i + 1;
        }
    QDate date;
    if (parts.size() == 3) {
        bool a = false, b = false, c = false;
        const int p0 = number(parts[0], &a), p1 = number(parts[1], &b), p2 = number(parts[2], &c);
        if (a && b && c) {
            if (parts[0].size() == 4) {
                date = QDate(p0, p1, p2);
            } else {
                const QString order = orderGiven.isEmpty() ? dateOrder(locale) : orderGiven;
                const int v[3] = {p0, p1, p2};
                int y = v[order.indexOf(u'y')], m = v[order.indexOf(u'M')], d = v[order.indexOf(u'd')];
                if (parts[order.indexOf(u'y')].size() <= 2)
                    y += y < 50 ? 2000 : 1900;
                date = QDate(y, m, d);
            }
        }
    }
    if (!date.isValid())
        for (const QLocale::FormatType f : {QLocale::ShortFormat, QLocale::LongFormat})
            if (!date.isValid())
                date = locale.toDate(text, f);
    if (!date.isValid())
        for (const char *f : {"d MMMM yyyy", "d MMM yyyy", "MMMM d, yyyy", "MMM d, yyyy", "d. MMMM yyyy"})
            if (!date.isValid())
                date = locale.toDate(text, QString::fromLatin1(f));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return date.toString(QStringLiteral("yyyy-MM-dd")) + time;
}

LogImportResult checkLog(const QString &databasePath, const ForeignFile &file, const LogImportOptions &options)
{
    const LineConverter converter(file, options);
    std::vector<Converted> accepted;
    std::vector<QSet<QString>> seen(size_t(converter.columns().size()));
    LogImportResult result = walk(file, options, converter,
                                  [&](const Converted &c, qsizetype) {
                                      for (size_t k = 0; k < c.values.size(); ++k)
                                          if (!c.values[k].isEmpty() && isLookupColumn(converter.columns()[int(k)]))
                                              seen[k].insert(c.values[k]);
                                      accepted.push_back(c);
                                      return true;
                                  },
                                  {});
    if (!result.ok || accepted.empty())
        return result;
    DiaryConnection c;
    if (!c.open(databasePath, SQLITE_OPEN_READONLY, &result.error)) {
        result.ok = false;
        return result;
    }
    QStringList where;
    for (const QString &col : converter.columns())
        where << QStringLiteral("coalesce(%1, '') = ?").arg(quoteIdentifier(col));
    DiaryStatement find(
        c.db, QStringLiteral("SELECT 1 FROM \"Log\" WHERE %1 LIMIT 1").arg(where.join(QStringLiteral(" AND "))));
    bool all = find.stmt != nullptr;
    for (size_t i : {size_t(0), accepted.size() / 2, accepted.size() - 1}) {
        if (!all)
            break;
        sqlite3_reset(find.stmt);
        for (size_t k = 0; k < accepted[i].values.size(); ++k)
            bind(find.stmt, int(k + 1), accepted[i].values[k]);
        all = sqlite3_step(find.stmt) == SQLITE_ROW;
    }
    result.alreadyInDiary = all;
    collectNewNames(c.db, converter.columns(), seen, result);
    return result;
}

LogImportResult importLog(const QString &databasePath, const ForeignFile &file, const LogImportOptions &options,
                          const ImportProgress &progress)
{
    LogImportResult result;
    DiaryConnection c;
    if (!c.open(databasePath, SQLITE_OPEN_READWRITE, &result.error))
        return result;
    if (!c.beginWriting(&result.error))
        return result;
    const LineConverter converter(file, options);
    QStringList quoted, marks;
    for (const QString &col : converter.columns()) {
        quoted << quoteIdentifier(col);
        marks << QStringLiteral("?");
    }
    DiaryStatement insert(c.db, QStringLiteral("INSERT INTO \"Log\" (%1) VALUES (%2)")
                                    .arg(quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    QString failure;
    result = walk(
        file, options, converter,
        [&](const Converted &row, qsizetype line) {
            for (size_t k = 0; k < row.values.size(); ++k)
                bind(insert.stmt, int(k + 1), row.values[k]);
            const bool done = insert.stmt && sqlite3_step(insert.stmt) == SQLITE_DONE;
            sqlite3_reset(insert.stmt);
            if (!done)
                failure = QStringLiteral("Line %1 cannot be added: %2 Nothing was imported.").arg(line).arg(c.error());
            return done;
        },
        progress);
    if (!failure.isEmpty()) {
        result.ok = false;
        result.error = failure;
    }
    if (result.ok) {
        // Keep the mapping: the next file from the same spreadsheet maps itself.
        QStringList headings;
        if (options.headings) {
            csv::Reader reader(file.data, file.separator);
            csv::Record first;
            if (reader.next(first))
                for (const csv::Field &f : first)
                    headings << csv::decode(f.text, file.encoding);
        }
        bool kept = sqlite3_exec(c.db, kMappingTable, nullptr, nullptr, nullptr) == SQLITE_OK;
        DiaryStatement keep(c.db, QStringLiteral("INSERT OR REPLACE INTO \"Import Headings\" VALUES (?, ?)"));
        for (int i = 0; kept && i < headings.size() && i < options.mapping.size(); ++i) {
            if (headings[i].trimmed().isEmpty())
                continue;
            bind(keep.stmt, 1, headings[i].trimmed());
            bind(keep.stmt, 2, options.mapping[i]);
            kept = sqlite3_step(keep.stmt) == SQLITE_DONE;
            sqlite3_reset(keep.stmt);
        }
        if (QString why; !c.commit(&why)) {
            result.ok = false;
            result.error = why + QStringLiteral(" Nothing was imported.");
        }
    }
    if (!result.ok) {
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        result.accepted = 0;
    } else if (progress) {
        progress(file.data.size(), file.data.size());
    }
    return result;
}

bool addLookupNames(const QString &databasePath, const QString &table, const QStringList &names, QString *error)
{
    const LookupColumn *target = nullptr;
    for (const LookupColumn &l : lookupColumns())
        if (table == QLatin1String(l.table))
            target = &l;
    DiaryConnection c;
    if (!target || !c.open(databasePath, SQLITE_OPEN_READWRITE, error))
        return false;
    sqlite3_exec(c.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    DiaryStatement insert(c.db, QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                                    .arg(quoteIdentifier(table), quoteIdentifier(QString::fromLatin1(target->column))));
    for (const QString &n : names) {
        bind(insert.stmt, 1, n);
        if (sqlite3_step(insert.stmt) != SQLITE_DONE) {
            *error = c.error();
            sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        sqlite3_reset(insert.stmt);
    }
    if (!c.commit(error)) {
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

} // namespace tf
