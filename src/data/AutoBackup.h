#pragma once

// The automatic backup made as the program closes: a copy of the diary in a
// folder of its own under Backups/, named by the date and time it was made
// ("2026-12-09 14-05-31/tfn5.mdb", so Restore takes it as it takes any backup).
// It is made only when the diary changed since the last automatic copy, written
// and checked as Backup writes and checks its copy, and only then are older
// copies thinned out: the ten newest stay, and the newest of each of the last
// twelve months.

#include "data/Schema.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace tf {

struct AutoBackupResult
{
    enum class Outcome { Made, Unchanged, NoDiary, Failed };
    Outcome outcome = Outcome::Failed;
    QString copy;  // the new copy's path, when made
    QString error; // why it failed
};

// Copies dataFolder's tfn5.mdb into backupsFolder when it changed since the last
// automatic copy; `now` names the copy.
AutoBackupResult makeAutomaticBackup(const QString &dataFolder, const QString &backupsFolder, const QDateTime &now);

// The folder name a copy made at `when` gets, and back; an invalid date for a
// name that is no copy's.
QString backupFolderName(const QDateTime &when);
QDateTime backupTime(const QString &folderName);

// Of copies made at these times, the ones to remove at `now`: all but the ten
// newest and the newest of each of the last twelve months (this one included).
QList<QDateTime> backupsToRemove(QList<QDateTime> made, const QDateTime &now);

} // namespace tf
