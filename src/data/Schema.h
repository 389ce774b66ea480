#pragma once

// The fourteen tables of the database file, their columns (names with blanks,
// exactly as the screens use them), and the creation and checking of the file.

#include <QString>
#include <QStringList>
#include <vector>

namespace tf {

struct TableDef
{
    QString name;
    QStringList columns; // in the order of the table
    QStringList dateColumns;
};

// Every table of the file, in a fixed order.
const std::vector<TableDef> &schemaTables();
const TableDef *findTable(const QString &name); // case-insensitive

// The hidden key column every table carries; never shown as a field.
inline const QString kKeyColumn = QStringLiteral("_key");

// Marks in the file header so our files can be told from others.
constexpr int kApplicationId = 0x54464E35; // "TFN5"
constexpr int kUserVersion = 1;

inline const QString kDatabaseFileName = QStringLiteral("tfn5.mdb");
inline const QString kRepairFileName = QStringLiteral("tfn51.mdb");

struct Status
{
    bool ok = true;
    QString error;
    static Status success() { return {}; }
    static Status failure(const QString &e) { return {false, e}; }
    explicit operator bool() const { return ok; }
};

// Tables beyond the fourteen are never part of a new or checked file: each is created
// where it is first written, so an older diary opens unchanged and gains it on first use.
// The lakes and rivers that carry a position, and which of them is the owner's home water.
inline const QString kPlacesTable = QStringLiteral("Places");
inline const QString kCreatePlacesSql =
    QStringLiteral("CREATE TABLE IF NOT EXISTS \"Places\" (\"_key\" INTEGER PRIMARY KEY, "
                   "\"Lake\" TEXT NOT NULL UNIQUE COLLATE NOCASE, \"Latitude\" REAL, \"Longitude\" REAL, "
                   "\"Zone\" TEXT, \"Home\" INTEGER NOT NULL DEFAULT 0)");

// An identifier in double quotes, safe for any table or column name.
QString quoteIdentifier(const QString &identifier);

// Creates a new database file with every table and the one Register row.
// Fails when anything already exists at the path.
Status createDatabase(const QString &path);

// A first start finds neither tfn5.mdb nor tfn51.mdb in the folder: create a
// fresh database there. Anything else is left alone (a leftover tfn51.mdb means
// an interrupted repair the user must see to). Returns true when it created one.
bool createDatabaseOnFirstStart(const QString &folder, QString *error = nullptr);

struct VerifyOptions
{
    // Our own application id must be present (files we wrote ourselves);
    // otherwise an id of zero is accepted too, but never another program's id.
    bool requireApplicationId = true;
};

// Opens the file read-only and checks it is a whole database of ours: an SQLite
// file that passes integrity_check and holds all fourteen tables with their columns.
Status verifyDatabase(const QString &path, const VerifyOptions &options = {});

} // namespace tf

namespace tf {

// The program's database: "tfn5.mdb" in the data folder. Every window opens this path.
QString programDatabasePath();

} // namespace tf
