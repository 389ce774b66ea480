#pragma once

// The trips the search window lists, as an item model over its record set: it
// holds the record set's row numbers and makes each line when the list shows
// it, so a log of a hundred thousand trips lists at once, and a line shows the
// trip as the file holds it now, as a record set does.

#include <QAbstractListModel>
#include <QLocale>
#include <vector>

namespace tf {

class DataSource;

// A listed trip: its date in the user's short date form (with the time of day
// when one is kept), four blanks, and its lake in parentheses.
class TripLineFormat
{
public:
    TripLineFormat();
    QString line(const QVariant &date, const QVariant &lake) const;

private:
    QString dateText(const QVariant &stored) const;

    QLocale m_locale;
    QString m_timeFormat;
};

class TripLines : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit TripLines(const DataSource *trips, QObject *parent = nullptr);

    // Rows of the record set to list, in the order given.
    void setRows(std::vector<int> rows);
    void clear() { setRows({}); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const DataSource *m_trips;
    std::vector<int> m_rows;
    TripLineFormat m_format;
};

} // namespace tf
