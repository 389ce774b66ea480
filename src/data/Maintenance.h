#pragma once

// Backup, restore and repair of the database file as a whole, and the size
// display of the maintenance window. No widgets here: the window calls these and
// turns their outcome into its messages.
//
// Every operation keeps one promise: the program folder never loses its whole,
// valid tfn5.mdb. New contents are written to a temporary file beside the target,
// flushed to disk, checked, and only then renamed over the target in one atomic
// step; the old file is never deleted first.

#include "data/Schema.h"

#include <QLocale>
#include <QString>

namespace tf {

// A file's length in kilobytes as the maintenance window shows it: bytes / 1024
// in the shortest general form (up to 15 significant digits, no rounding to whole
// kilobytes, no group separator, the locale's decimal separator) and " KB".
// 123456 bytes give "120.5625 KB", 102400 bytes "100 KB".
QString formatSize(qint64 bytes, const QLocale &locale = QLocale());

// Copies the program folder's tfn5.mdb to tfn5.mdb in destinationFolder,
// replacing an earlier backup there only once the new copy is safely on disk.
// Fails for the program folder itself (the file would be copied onto itself).
Status backupDatabase(const QString &programFolder, const QString &destinationFolder);

// Installs sourceFolder's tfn5.mdb as the program folder's tfn5.mdb. The backup
// must be a whole database with every table (another program's file is refused);
// a copy is made beside the live file, checked again and renamed over it.
Status restoreDatabase(const QString &programFolder, const QString &sourceFolder);

struct RepairResult
{
    Status status;
    qint64 newSize = -1; // length of the repaired tfn5.mdb, -1 when it cannot be read
};

// Compacts tfn5.mdb into tfn51.mdb, checks the copy and renames it over tfn5.mdb.
// A tfn51.mdb already there (an earlier attempt's leftover) is never touched and
// makes the repair fail until the user has dealt with it.
RepairResult repairDatabase(const QString &programFolder);

} // namespace tf
