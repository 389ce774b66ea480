#pragma once

// How values travel between the file and the screen. Dates are stored as ISO
// 8601 text ("2026-12-08", with " 06:30:00" when a time is kept) so they sort
// as dates; everything else is stored as typed.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace tf::FieldValue {

// The stored form of a date, or of a date and time.
QString fromDate(const QDate &date);
QString fromDateTime(const QDateTime &dateTime);

// A stored date read back; invalid for anything that is not a stored date.
QDate toDate(const QVariant &stored);
bool isStoredDate(const QVariant &stored);

// A stored value as one line of text; dates in the user's short date form.
QString toDisplayText(const QVariant &stored);

} // namespace tf::FieldValue
