#include "data/LookupList.h"

#include "data/Schema.h"

#include <sqlite3.h>

namespace tf {

std::optional<QStringList> readLookupList(const QString &databasePath, const QString &table, const QString &column,
                                          QString *error)
{
    sqlite3 *db = nullptr;
    const auto fail = [&](const QString &e) -> std::optional<QStringList> {
        if (error)
            *error = e;
        sqlite3_close(db);
        return std::nullopt;
    };
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("%1: %2").arg(databasePath, QString::fromUtf8(sqlite3_errmsg(db))));
    sqlite3_busy_timeout(db, 5000);
    const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                            .arg(quoteIdentifier(column), quoteIdentifier(table), quoteIdentifier(kKeyColumn));
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    QStringList items;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        if (text && *text)
            items << QString::fromUtf8(text);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
    return items;
}

} // namespace tf
