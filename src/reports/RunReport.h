#pragma once

// What a Print button calls: makes the report named by its file ("log.rpt",
// or "\log.rpt" as the print commands write it) from the program folder and
// shows it in the preview titled "Print Preview", from which the user prints or
// saves a PDF. A long report shows its progress and can be cancelled; a missing
// or faulty definition is explained in a message naming the file and line.

#include <QString>

class QWidget;

namespace tf {

// True when the preview was shown; false when the report could not be made (the
// user has been told why), was cancelled, or another report is still being made.
// The queries read the diary, or the database file at `databasePath` when one is given.
bool runReport(const QString &fileName, QWidget *parent, const QString &databasePath = {});

} // namespace tf
