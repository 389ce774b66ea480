#include "search/TripLines.h"

#include "data/DataSource.h"
#include "data/FieldValue.h"

#include <QTime>

namespace tf {

namespace {

// The user's long time form without its time zone: a trip's time of day is
// local to the lake, not to any zone.
QString timeOfDayFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.simplified();
}

} // namespace

TripLineFormat::TripLineFormat() : m_timeFormat(timeOfDayFormat(m_locale)) {}

QString TripLineFormat::line(const QVariant &date, const QVariant &lake) const
{
    return dateText(date) + QStringLiteral("    (") + (lake.isNull() ? QString() : lake.toString()) + QLatin1Char(')');
}

QString TripLineFormat::dateText(const QVariant &stored) const
{
    const QDate day = FieldValue::toDate(stored);
    if (!day.isValid())
        return FieldValue::toDisplayText(stored);
    QString text = m_locale.toString(day, QLocale::ShortFormat);
    // A stored date is "yyyy-MM-dd", with " HH:mm[:ss]" when a time is kept;
    // midnight is a date without a time.
    const QString s = stored.toString().trimmed();
    const QTime time = s.size() > 10 ? QTime::fromString(s.mid(11), Qt::ISODate) : QTime();
    if (time.isValid() && time != QTime(0, 0))
        text += QLatin1Char(' ') + m_locale.toString(time, m_timeFormat);
    return text;
}

TripLines::TripLines(const DataSource *trips, QObject *parent) : QAbstractListModel(parent), m_trips(trips) {}

void TripLines::setRows(std::vector<int> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int TripLines::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TripLines::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int row = m_rows[size_t(index.row())];
    bool read = false;
    const QVariant date = m_trips->valueAt(row, m_trips->fieldIndex(QStringLiteral("Date")), &read);
    // A trip the file cannot give is not listed as "    ()": the data source reports it.
    if (!read)
        return {};
    return m_format.line(date, m_trips->valueAt(row, m_trips->fieldIndex(QStringLiteral("Lake"))));
}

} // namespace tf
