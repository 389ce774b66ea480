#include "TestFolder.h"

#include "data/Schema.h"

#include <QFile>
#include <sqlite3.h>

namespace tf::test {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

void makeDatabase(const QString &path)
{
    const Status s = createDatabase(path);
    QVERIFY2(s.ok, qPrintable(s.error));
}

bool execSql(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QVariant querySingle(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QVariant result;
    // Read-write, so a journal left by a killed writer is rolled back as any reader would.
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            switch (sqlite3_column_type(st, 0)) {
            case SQLITE_INTEGER:
                result = qint64(sqlite3_column_int64(st, 0));
                break;
            case SQLITE_FLOAT:
                result = sqlite3_column_double(st, 0);
                break;
            case SQLITE_NULL:
                result = QVariant();
                break;
            default:
                result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

} // namespace tf::test
