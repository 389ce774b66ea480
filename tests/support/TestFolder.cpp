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

// Flips one bit of the type byte of a page of a table, as a failing disk
// might: its root page, or the last leaf page the root leads to.
bool damageTablePage(const QString &table, const QString &path, bool leaf)
{
    QByteArray file = readAll(path);
    const int pageSize = querySingle(path, "PRAGMA page_size").toInt();
    qint64 page = querySingle(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(table))
                      .toLongLong();
    auto type = [&](qint64 p) -> char & { return file[(p - 1) * pageSize]; };
    if (type(page) != 0x05) // the table spans more than one page
        return false;
    while (leaf && type(page) == 0x05) {
        const auto *right = reinterpret_cast<const uchar *>(file.constData() + (page - 1) * pageSize + 8);
        page = qint64(right[0]) << 24 | qint64(right[1]) << 16 | qint64(right[2]) << 8 | right[3];
    }
    type(page) = char(type(page) ^ 0x04);
    return writeAll(path, file);
}

bool misrouteTableKeys(const QString &table, const QString &path, int rows)
{
    QByteArray file = readAll(path);
    const int pageSize = querySingle(path, "PRAGMA page_size").toInt();
    const qint64 root =
        querySingle(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(table))
            .toLongLong();
    auto *page = reinterpret_cast<uchar *>(file.data() + (root - 1) * pageSize);
    if (page[0] != 0x05)
        return false;
    const int cells = page[3] << 8 | page[4];
    const int middle = 12 + 2 * (cells / 2);
    uchar *key = page + (page[middle] << 8 | page[middle + 1]) + 4; // past the child's page number
    // One- and two-byte keys are all a test table needs.
    const bool twoBytes = key[0] & 0x80;
    const int old = twoBytes ? (key[0] & 0x7f) << 7 | key[1] : key[0];
    const int lowered = old - rows;
    if (lowered < (twoBytes ? 128 : 0))
        return false;
    if (twoBytes) {
        key[0] = uchar(0x80 | lowered >> 7);
        key[1] = uchar(lowered & 0x7f);
    } else {
        key[0] = uchar(lowered);
    }
    return writeAll(path, file);
}

} // namespace tf::test
