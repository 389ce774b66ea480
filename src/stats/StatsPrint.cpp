#include "stats/StatsPrint.h"

#include "data/DiaryConnection.h"

#include <QLocale>
#include <sqlite3.h>

#include <memory>

namespace tf::stats {

namespace {

struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

struct Finalizer
{
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Prepared = std::unique_ptr<sqlite3_stmt, Finalizer>;

void bindText(sqlite3_stmt *stmt, int column, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString shortDate(const QDate &date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

} // namespace

QString describeFilter(const Filter &filter)
{
    QStringList parts;
    if (filter.from && filter.to)
        parts << QStringLiteral("from %1 to %2").arg(shortDate(*filter.from), shortDate(*filter.to));
    else if (filter.from)
        parts << QStringLiteral("from %1 on").arg(shortDate(*filter.from));
    else if (filter.to)
        parts << QStringLiteral("up to %1").arg(shortDate(*filter.to));
    if (!filter.lake.isEmpty())
        parts << QStringLiteral("on %1").arg(filter.lake);
    if (!filter.species.isEmpty())
        parts << QStringLiteral("for %1").arg(filter.species);
    return parts.isEmpty() ? QStringLiteral("All trips") : QStringLiteral("Trips ") + parts.join(QLatin1Char(' '));
}

QString perTripText(const Figures &figures)
{
    const std::optional<double> v = figures.fishPerTrip();
    return v ? QString::number(*v, 'f', 2) : QStringLiteral("-");
}

QString blankShareText(const Figures &figures)
{
    const std::optional<double> s = figures.blankShare();
    return s ? QStringLiteral("%1% (%2)").arg(QString::number(*s * 100, 'f', 0)).arg(figures.blank)
             : QStringLiteral("-");
}

bool writeFigures(const Result &result, const Filter &filter, const QString &diaryPath, const QString &path,
                  QString *error)
{
    sqlite3 *raw = nullptr;
    const int opened = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
    const Connection db(raw);
    const auto fail = [&] {
        *error = QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : "out of memory");
        return false;
    };
    if (opened != SQLITE_OK)
        return fail();
    // A scratch file read once and thrown away: nothing to protect against a crash.
    if (sqlite3_exec(db.get(),
                     "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;"
                     "CREATE TABLE Register (Name TEXT);"
                     "CREATE TABLE Totals (Filter TEXT, Trips INTEGER, Known INTEGER, Unknown INTEGER, Fish INTEGER,"
                     " \"Fish per trip\" TEXT, \"Blank trips\" TEXT, \"Best trip\" TEXT, Problem TEXT);"
                     "CREATE TABLE Breakdown (Dimension TEXT, Position INTEGER, \"Group\" TEXT, Trips INTEGER,"
                     " Known INTEGER, Fish INTEGER, \"Fish per trip\" TEXT, \"Blank share\" TEXT,"
                     " PRIMARY KEY (Dimension, Position)) WITHOUT ROWID;",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();

    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO Register (Name) VALUES (?)", -1, &stmt, nullptr) != SQLITE_OK)
        return fail();
    Prepared owner(stmt);
    bindText(stmt, 1, diaryOwnerName(diaryPath));
    if (sqlite3_step(stmt) != SQLITE_DONE)
        return fail();

    const Totals &t = result.totals;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO Totals VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return fail();
    Prepared totals(stmt);
    bindText(stmt, 1, describeFilter(filter));
    sqlite3_bind_int64(stmt, 2, t.figures.trips);
    sqlite3_bind_int64(stmt, 3, t.figures.known);
    sqlite3_bind_int64(stmt, 4, t.unknown());
    sqlite3_bind_int64(stmt, 5, t.figures.fish);
    bindText(stmt, 6, perTripText(t.figures));
    bindText(stmt, 7, blankShareText(t.figures));
    if (t.best)
        bindText(stmt, 8,
                 QStringLiteral("%1 fish, %2, %3")
                     .arg(t.best->fish)
                     .arg(t.best->date.isValid() ? shortDate(t.best->date) : QStringLiteral("no date"), t.best->lake));
    if (!result.ok)
        bindText(stmt, 9, result.error);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        return fail();

    if (sqlite3_prepare_v2(db.get(), "INSERT INTO Breakdown VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return fail();
    Prepared rows(stmt);
    for (const Breakdown &b : result.breakdowns) {
        const QByteArray key = dimensionKey(b.dimension).toUtf8();
        sqlite3_int64 position = 0;
        for (const GroupRow &row : b.rows) {
            sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
            sqlite3_bind_int64(stmt, 2, ++position);
            bindText(stmt, 3, row.group);
            sqlite3_bind_int64(stmt, 4, row.figures.trips);
            sqlite3_bind_int64(stmt, 5, row.figures.known);
            sqlite3_bind_int64(stmt, 6, row.figures.fish);
            bindText(stmt, 7, perTripText(row.figures));
            bindText(stmt, 8, blankShareText(row.figures));
            if (sqlite3_step(stmt) != SQLITE_DONE)
                return fail();
            sqlite3_reset(stmt);
        }
    }
    if (sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

} // namespace tf::stats
