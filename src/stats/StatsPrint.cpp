#include "stats/StatsPrint.h"

#include "data/DiaryConnection.h"
#include "reports/ScratchDatabase.h"

#include <QLocale>

namespace tf::stats {

namespace {

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
    report::ScratchDatabase db;
    const auto fail = [&] {
        *error = db.error();
        return false;
    };
    if (!db.create(path,
                   "CREATE TABLE Register (Name TEXT);"
                   "CREATE TABLE Totals (Filter TEXT, Trips INTEGER, Known INTEGER, Unknown INTEGER, Fish INTEGER,"
                   " \"Fish per trip\" TEXT, \"Blank trips\" TEXT, \"Best trip\" TEXT, Problem TEXT);"
                   "CREATE TABLE Breakdown (Dimension TEXT, Position INTEGER, \"Group\" TEXT, Trips INTEGER,"
                   " Known INTEGER, Fish INTEGER, \"Fish per trip\" TEXT, \"Blank share\" TEXT,"
                   " PRIMARY KEY (Dimension, Position)) WITHOUT ROWID;"))
        return fail();
    if (!db.insert("INSERT INTO Register (Name) VALUES (?)", {diaryOwnerName(diaryPath)}))
        return fail();
    const Totals &t = result.totals;
    const QVariant best =
        t.best ? QVariant(QStringLiteral("%1 fish, %2, %3")
                              .arg(t.best->fish)
                              .arg(t.best->date.isValid() ? shortDate(t.best->date) : QStringLiteral("no date"),
                                   t.best->lake))
               : QVariant();
    if (!db.insert("INSERT INTO Totals VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {describeFilter(filter), qint64(t.figures.trips), qint64(t.figures.known), qint64(t.unknown()),
                    qint64(t.figures.fish), perTripText(t.figures), blankShareText(t.figures), best,
                    result.ok ? QVariant() : QVariant(result.error)}))
        return fail();
    for (const Breakdown &b : result.breakdowns) {
        const QString key = dimensionKey(b.dimension);
        qint64 position = 0;
        for (const GroupRow &row : b.rows)
            if (!db.insert("INSERT INTO Breakdown VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                           {key, ++position, row.group, qint64(row.figures.trips), qint64(row.figures.known),
                            qint64(row.figures.fish), perTripText(row.figures), blankShareText(row.figures)}))
                return fail();
    }
    return db.commit() || fail();
}

} // namespace tf::stats
