#pragma once

// The whole diary out to a folder of CSV files, one per table, and such a folder
// back in. No widgets: the export window drives these and shows what they say.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tf {

// Called as work goes on with the rows done and the rows in all; returning
// false cancels.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

struct TransferResult
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    qint64 rows = 0;
    QStringList notes; // things the user should know that are not failures
};

// Every table of the file, in the schema's order, then any tables the program
// added beside them.
QStringList diaryTables(const QString &databasePath, QString *error = nullptr);

// Writes <table>.csv for each named table (all when the list is empty) and a
// README.txt into folder. Each file is written under a temporary name and all
// are put in place together once everything was written: a cancelled or failed
// export leaves no file of its own, whole or half, under a final name.
TransferResult exportDiary(const QString &databasePath, const QString &folder, const QStringList &tables = {},
                           const TransferProgress &progress = {});

// The tables a folder holds files for, in the diary's order.
QStringList exportedTables(const QString &databasePath, const QString &folder);

// Which of the folder's tables already hold the rows the files bring (their
// first, middle and last rows are all found): importing them would double them.
QStringList tablesAlreadyHolding(const QString &databasePath, const QString &folder, const QStringList &tables = {});

// Adds the rows of the folder's files to the diary in one transaction: either
// every row is added or none. Rows are only ever added; the owner's details are
// taken from the file only while the diary's own are still empty.
TransferResult importDiary(const QString &databasePath, const QString &folder, const QStringList &tables = {},
                           const TransferProgress &progress = {});

} // namespace tf
