#include "data/Places.h"

#include <QVariant>
#include <sqlite3.h>

#include <functional>

namespace tf {

namespace {

struct Connection
{
    sqlite3 *db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
};

bool tableExists(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Places'", -1, &st,
                           nullptr) != SQLITE_OK)
        return false;
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

QString columnText(sqlite3_stmt *st, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
}

// Runs the statements in one transaction on a file that already exists, creating the
// table first where this diary has never had one.
Status write(const QString &databasePath, const std::function<bool(sqlite3 *)> &statements)
{
    Connection c;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return Status::failure(c.error());
    sqlite3_busy_timeout(c.db, 5000);
    const QByteArray create = kCreatePlacesSql.toUtf8();
    if (sqlite3_exec(c.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(c.error());
    if (sqlite3_exec(c.db, create.constData(), nullptr, nullptr, nullptr) != SQLITE_OK || !statements(c.db)) {
        const QString e = c.error();
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        return Status::failure(e);
    }
    if (sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(c.error());
    return Status::success();
}

// Binds the texts and numbers in order and runs one statement.
bool run(sqlite3 *db, const char *sql, const QList<QVariant> &values)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        return false;
    int i = 1;
    for (const QVariant &v : values) {
        if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(st, i++, v.toDouble());
        } else {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(st, i++, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    sqlite3_finalize(st);
    return ok;
}

} // namespace

PlacesRead readPlaces(const QString &databasePath)
{
    PlacesRead r;
    Connection c;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &c.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        r.ok = false;
        r.error = c.error();
        return r;
    }
    sqlite3_busy_timeout(c.db, 5000);
    if (!tableExists(c.db))
        return r;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(c.db,
                           "SELECT \"Lake\", \"Latitude\", \"Longitude\", \"Zone\", \"Home\" FROM \"Places\" "
                           "ORDER BY \"Lake\"",
                           -1, &st, nullptr) != SQLITE_OK) {
        r.ok = false;
        r.error = c.error();
        return r;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString lake = columnText(st, 0);
        if (sqlite3_column_int(st, 4) != 0)
            r.homeWater = lake;
        if (sqlite3_column_type(st, 1) == SQLITE_NULL || sqlite3_column_type(st, 2) == SQLITE_NULL)
            continue;
        r.positions << PlacePosition{lake, sqlite3_column_double(st, 1), sqlite3_column_double(st, 2),
                                     columnText(st, 3)};
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        r.ok = false;
        r.error = c.error();
    }
    return r;
}

std::optional<PlacePosition> findPlace(const PlacesRead &places, const QString &lake)
{
    const QString name = lake.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    for (const PlacePosition &p : places.positions)
        if (p.lake.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return std::nullopt;
}

Status writePlacePosition(const QString &databasePath, const PlacePosition &position)
{
    return write(databasePath, [&](sqlite3 *db) {
        return run(db,
                   "INSERT INTO \"Places\" (\"Lake\", \"Latitude\", \"Longitude\", \"Zone\") VALUES (?, ?, ?, ?) "
                   "ON CONFLICT (\"Lake\") DO UPDATE SET \"Latitude\" = excluded.\"Latitude\", "
                   "\"Longitude\" = excluded.\"Longitude\", \"Zone\" = excluded.\"Zone\"",
                   {position.lake.trimmed(), position.latitude, position.longitude, position.zone});
    });
}

Status clearPlacePosition(const QString &databasePath, const QString &lake)
{
    return write(databasePath, [&](sqlite3 *db) {
        return run(db,
                   "UPDATE \"Places\" SET \"Latitude\" = NULL, \"Longitude\" = NULL, \"Zone\" = NULL "
                   "WHERE \"Lake\" = ?",
                   {lake.trimmed()}) &&
               run(db, "DELETE FROM \"Places\" WHERE \"Latitude\" IS NULL AND \"Home\" = 0", {});
    });
}

Status writeHomeWater(const QString &databasePath, const QString &lake)
{
    return write(databasePath, [&](sqlite3 *db) {
        if (!run(db, "UPDATE \"Places\" SET \"Home\" = 0 WHERE \"Home\" <> 0", {}) ||
            !run(db, "DELETE FROM \"Places\" WHERE \"Latitude\" IS NULL AND \"Home\" = 0", {}))
            return false;
        if (lake.trimmed().isEmpty())
            return true;
        return run(db,
                   "INSERT INTO \"Places\" (\"Lake\", \"Home\") VALUES (?, 1) "
                   "ON CONFLICT (\"Lake\") DO UPDATE SET \"Home\" = 1",
                   {lake.trimmed()});
    });
}

} // namespace tf
