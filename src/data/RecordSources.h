#pragma once

// The SQL texts the windows open their data sources on, in one place, so a
// window never reaches into another window for them. The data source accepts
// exactly these (and bare table names).

#include <QString>

namespace tf::RecordSources {

inline const QString kLogByDate = QStringLiteral("Select * FROM Log Order By Date Desc");
inline const QString kLogByLake = QStringLiteral("Select * FROM Log Order By Lake");
inline const QString kLogWithDate = QStringLiteral("SELECT * FROM Log WHERE Date");
inline const QString kContactsByName = QStringLiteral("Select * FROM Contacts Order By Name");
inline const QString kContactsByState = QStringLiteral("Select * FROM Contacts Order By State");
inline const QString kRemindersByDate = QStringLiteral("Select * FROM Reminders Order By Date Desc");
inline const QString kPatternsByLake = QStringLiteral("Select * FROM Patterns Order By Lake");
inline const QString kPatternsByMonth = QStringLiteral("Select * FROM Patterns Order By Month");

} // namespace tf::RecordSources
