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
#include <vector>

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

// What a repair of a damaged file saved of one table.
struct TableRescue
{
    QString table;
    qint64 saved = 0;
    // Rows that could not be read; where a damaged page hid its keys this is the
    // width of the key range it covered, so at most this many.
    qint64 lost = 0;
    bool lostUnknown = false; // damage ran to the end of the table: how much is gone is not known
};

struct RepairResult
{
    Status status;
    qint64 newSize = -1; // length of the repaired tfn5.mdb, -1 when it cannot be read
    // The file was damaged: its rows were copied one by one into a new file.
    bool rescued = false;
    std::vector<TableRescue> tables; // when rescued, every table in schema order
    QString keptOriginal;            // file name the damaged original is kept under
    QString movedAside;              // file name an unfinished repair's tfn51.mdb was given
    // The file is damaged so badly that no row could be read; it was left as it was.
    bool nothingSaved = false;
};

// A healthy tfn5.mdb is compacted into tfn51.mdb, checked and renamed over
// tfn5.mdb. A damaged one has every row that can still be read copied into a new
// tfn51.mdb, which is checked and put in place; the damaged original is kept
// beside it under a dated name. A tfn51.mdb already there that is not a whole
// database of ours (an interrupted repair) is moved aside to a dated name first;
// a whole one may be the only copy of somebody's data and stops the repair.
RepairResult repairDatabase(const QString &programFolder);

} // namespace tf
