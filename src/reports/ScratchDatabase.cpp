#include "reports/ScratchDatabase.h"

#include <sqlite3.h>

namespace tf::report {

ScratchDatabase::~ScratchDatabase()
{
    sqlite3_finalize(m_statement);
    sqlite3_close_v2(m_db);
}

bool ScratchDatabase::create(const QString &path, const char *schema)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr) != SQLITE_OK)
        return false;
    // Read once and thrown away: nothing to protect against a crash.
    return sqlite3_exec(m_db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;", nullptr, nullptr,
                        nullptr) == SQLITE_OK &&
           sqlite3_exec(m_db, schema, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool ScratchDatabase::insert(const char *sql, const QList<QVariant> &values)
{
    if (sql != m_sql) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_sql = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            return false;
        m_sql = sql;
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    int i = 1;
    for (const QVariant &v : values) {
        if (v.isNull()) {
            ++i; // left NULL
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(m_statement, i++, v.toLongLong());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(m_statement, i++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    return sqlite3_step(m_statement) == SQLITE_DONE;
}

bool ScratchDatabase::commit()
{
    return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString ScratchDatabase::error() const
{
    return QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
}

} // namespace tf::report
