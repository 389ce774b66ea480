#pragma once

// A connection to the diary for whole-table work (export, import): opened
// without creating a missing file, closed and finalised on every exit path.
// What it writes is committed only while the file at the path is still the one
// it opened.

#include "data/DataSource.h"

#include <QDir>
#include <QString>
#include <sqlite3.h>

namespace tf {

struct DiaryConnection
{
    sqlite3 *db = nullptr;
    QString path;
    QByteArray identity;
    DiaryConnection() = default;
    DiaryConnection(const DiaryConnection &) = delete;
    DiaryConnection &operator=(const DiaryConnection &) = delete;
    ~DiaryConnection() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }

    // flags: SQLITE_OPEN_READONLY or SQLITE_OPEN_READWRITE.
    bool open(const QString &path, int flags, QString *why)
    {
        this->path = path;
        identity = fileIdentity(path);
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
            *why = QStringLiteral("The diary %1 cannot be opened: %2").arg(QDir::toNativeSeparators(path), error());
            return false;
        }
        sqlite3_busy_timeout(db, 2000);
        return true;
    }

    // Takes the write lock first, so a diary another program is writing is said
    // to be in use before anything is read or added.
    bool beginWriting(QString *why)
    {
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        const int code = sqlite3_errcode(db);
        *why = code == SQLITE_BUSY || code == SQLITE_LOCKED
                   ? QStringLiteral("The diary is in use by another program. Nothing was imported.")
                   : QStringLiteral("The diary cannot be written: %1 Nothing was imported.").arg(error());
        return false;
    }

    // Commits what was written since beginWriting, unless the diary was
    // replaced meanwhile; *why then says so, and the caller rolls back.
    bool commit(QString *why)
    {
        if (!isStillTheFileOpened(path, identity)) {
            *why = replacedFileText(path);
            return false;
        }
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        *why = QStringLiteral("The diary cannot be written: %1").arg(error());
        return false;
    }
};

struct DiaryStatement
{
    sqlite3_stmt *stmt = nullptr;
    DiaryStatement(sqlite3 *db, const QString &sql)
    {
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    }
    DiaryStatement(const DiaryStatement &) = delete;
    DiaryStatement &operator=(const DiaryStatement &) = delete;
    ~DiaryStatement() { sqlite3_finalize(stmt); }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
    }
};

// The owner's name, from the diary's first Register row, for the head of a
// printed page; empty when there is none or the diary cannot be read.
inline QString diaryOwnerName(const QString &diaryPath)
{
    DiaryConnection c;
    QString why;
    if (!c.open(diaryPath, SQLITE_OPEN_READONLY, &why))
        return {};
    const DiaryStatement s(c.db, QStringLiteral("SELECT Name FROM Register ORDER BY rowid LIMIT 1"));
    if (!s.stmt || sqlite3_step(s.stmt) != SQLITE_ROW)
        return {};
    return s.text(0);
}

} // namespace tf
