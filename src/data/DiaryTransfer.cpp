#include "data/DiaryTransfer.h"

#include "data/CsvFile.h"
#include "data/DiaryConnection.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <memory>
#include <sqlite3.h>

namespace tf {

namespace {

QStringList tablesOf(sqlite3 *db)
{
    QStringList found;
    DiaryStatement s(db,
                     QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                    "ORDER BY name"));
    while (s.stmt && sqlite3_step(s.stmt) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)));
    QStringList ordered;
    for (const TableDef &t : schemaTables())
        for (const QString &name : found)
            if (name.compare(t.name, Qt::CaseInsensitive) == 0)
                ordered << name;
    for (const QString &name : found)
        if (!ordered.contains(name))
            ordered << name;
    return ordered;
}

// The table's columns as stored, without the hidden key.
QStringList columnsOf(sqlite3 *db, const QString &table, bool *hasKey = nullptr)
{
    QStringList columns;
    if (hasKey)
        *hasKey = false;
    DiaryStatement s(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(s.stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    while (s.stmt && sqlite3_step(s.stmt) == SQLITE_ROW) {
        const QString c = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)));
        if (c == kKeyColumn) {
            if (hasKey)
                *hasKey = true;
        } else {
            columns << c;
        }
    }
    return columns;
}

QStringList chosen(const QStringList &all, const QStringList &wanted)
{
    if (wanted.isEmpty())
        return all;
    QStringList r;
    for (const QString &t : all)
        if (wanted.contains(t, Qt::CaseInsensitive))
            r << t;
    return r;
}

QString fileFor(const QString &folder, const QString &table)
{
    return QDir(folder).filePath(table + QStringLiteral(".csv"));
}

QString readmeText(sqlite3 *db, const QStringList &tables)
{
    QString text = QStringLiteral(
        "Tallyfin diary, exported table by table.\r\n\r\n"
        "Each file holds one table: the first line names its columns exactly as the diary stores them, each\r\n"
        "further line is one row, in the order the rows were entered. The files are comma-separated text in\r\n"
        "UTF-8 (RFC 4180): a value holding a comma, a quote or a line break is in double quotes, quotes inside\r\n"
        "doubled. A value left out entirely (nothing between the commas) was never filled in; \"\" is an empty\r\n"
        "text. Dates are written as stored: year-month-day (ISO 8601), followed by the time of day where one was\r\n"
        "kept. Pictures are the paths of the picture files; the pictures themselves stay where they are.\r\n\r\n"
        "The database utility's Export / Import brings such a folder back into a diary: its rows are added to\r\n"
        "the rows already there.\r\n\r\nThe files:\r\n");
    for (const QString &t : tables)
        text += QStringLiteral("  %1.csv  %2\r\n").arg(t, columnsOf(db, t).join(QStringLiteral(", ")));
    return text;
}

// Reads a table's file whole; fills why it cannot be used.
bool readTableFile(const QString &path, QByteArray &data, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), f.errorString());
        return false;
    }
    data = f.readAll();
    switch (csv::detectEncoding(data)) {
    case csv::Encoding::Binary:
        *error = QStringLiteral("%1 is not a text file.").arg(QDir::toNativeSeparators(path));
        return false;
    case csv::Encoding::Latin1:
        *error = QStringLiteral("%1 is not UTF-8 text (it looks like Latin-1), so it was not written by Tallyfin's "
                                "export. Use \"Import a log from elsewhere\" for it.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    case csv::Encoding::Utf8:
        break;
    }
    return true;
}

// Writes every byte or fails: after a write that falls short the next one
// gives the system's reason (a full disk, a file too large).
bool writeWhole(QSaveFile &f, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += qsizetype(n);
    }
    return true;
}

bool blank(const csv::Record &r)
{
    return r.size() == 1 && r[0].isMissing();
}

void bindField(sqlite3_stmt *stmt, int index, const csv::Field &field)
{
    if (field.isMissing())
        sqlite3_bind_null(stmt, index);
    else
        sqlite3_bind_text(stmt, index, field.text.constData(), int(field.text.size()), SQLITE_TRANSIENT);
}

// Matches a heading to the table's columns, exactly or else ignoring case.
QString matchColumn(const QStringList &columns, const QString &heading)
{
    if (columns.contains(heading))
        return heading;
    for (const QString &c : columns)
        if (c.compare(heading, Qt::CaseInsensitive) == 0)
            return c;
    return {};
}

} // namespace

QStringList diaryTables(const QString &databasePath, QString *error)
{
    DiaryConnection c;
    QString e;
    if (!c.open(databasePath, SQLITE_OPEN_READONLY, &e)) {
        if (error)
            *error = e;
        return {};
    }
    return tablesOf(c.db);
}

TransferResult exportDiary(const QString &databasePath, const QString &folder, const QStringList &tables,
                           const TransferProgress &progress)
{
    TransferResult result;
    DiaryConnection c;
    if (!c.open(databasePath, SQLITE_OPEN_READONLY, &result.error))
        return result;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    // One read transaction: every file shows the diary at the same moment.
    sqlite3_exec(c.db, "BEGIN", nullptr, nullptr, nullptr);
    const QStringList names = chosen(tablesOf(c.db), tables);
    qint64 total = 0;
    for (const QString &t : names) {
        DiaryStatement count(c.db, QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(t)));
        if (count.stmt && sqlite3_step(count.stmt) == SQLITE_ROW)
            total += sqlite3_column_int64(count.stmt, 0);
    }

    std::vector<std::unique_ptr<QSaveFile>> files;
    auto fail = [&](QSaveFile &f) {
        result.error =
            QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(f.fileName()), f.errorString());
        return result;
    };
    QByteArray buffer;
    for (const QString &t : names) {
        if (progress && !progress(result.rows, total)) {
            result.cancelled = true;
            return result;
        }
        auto &f = files.emplace_back(std::make_unique<QSaveFile>(fileFor(folder, t)));
        // Unbuffered, so a disk that fills part way is seen at the write that
        // falls short, not lost in a flush that reports success.
        if (!f->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(*f);
        bool hasKey = false;
        const QStringList columns = columnsOf(c.db, t, &hasKey);
        buffer.clear();
        QStringList quoted;
        for (int i = 0; i < columns.size(); ++i) {
            if (i)
                buffer.append(',');
            const QByteArray name = columns[i].toUtf8();
            csv::appendField(buffer, name.constData(), name.size(), false);
            quoted << quoteIdentifier(columns[i]);
        }
        csv::endRecord(buffer);
        DiaryStatement rows(c.db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                      .arg(quoted.join(QLatin1Char(',')), quoteIdentifier(t),
                                           hasKey ? quoteIdentifier(kKeyColumn) : QStringLiteral("rowid")));
        if (!rows.stmt) {
            result.error = QStringLiteral("The table %1 cannot be read: %2").arg(t, c.error());
            return result;
        }
        const int n = int(columns.size());
        int step;
        while ((step = sqlite3_step(rows.stmt)) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) {
                if (i)
                    buffer.append(',');
                const bool missing = sqlite3_column_type(rows.stmt, i) == SQLITE_NULL;
                const char *text = reinterpret_cast<const char *>(sqlite3_column_text(rows.stmt, i));
                csv::appendField(buffer, text, sqlite3_column_bytes(rows.stmt, i), missing);
            }
            csv::endRecord(buffer);
            ++result.rows;
            if (buffer.size() > (1 << 20)) {
                if (!writeWhole(*f, buffer))
                    return fail(*f);
                buffer.clear();
            }
            if (progress && result.rows % 2048 == 0 && !progress(result.rows, total)) {
                result.cancelled = true;
                return result;
            }
        }
        if (step != SQLITE_DONE) {
            result.error = QStringLiteral("The table %1 cannot be read: %2").arg(t, c.error());
            return result;
        }
        if (!writeWhole(*f, buffer))
            return fail(*f);
    }
    auto &readme = files.emplace_back(std::make_unique<QSaveFile>(QDir(folder).filePath(QStringLiteral("README.txt"))));
    if (!readme->open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !writeWhole(*readme, readmeText(c.db, names).toUtf8()))
        return fail(*readme);
    for (auto &f : files)
        if (!f->commit())
            return fail(*f);
    if (progress)
        progress(total, total);
    result.ok = true;
    return result;
}

QStringList exportedTables(const QString &databasePath, const QString &folder)
{
    QStringList r;
    for (const QString &t : diaryTables(databasePath))
        if (QFile::exists(fileFor(folder, t)))
            r << t;
    return r;
}

QStringList tablesAlreadyHolding(const QString &databasePath, const QString &folder, const QStringList &tables)
{
    QStringList doubled;
    DiaryConnection c;
    QString error;
    if (!c.open(databasePath, SQLITE_OPEN_READONLY, &error))
        return doubled;
    for (const QString &t : chosen(exportedTables(databasePath, folder), tables)) {
        if (t.compare(QStringLiteral("Register"), Qt::CaseInsensitive) == 0)
            continue;
        QByteArray data;
        if (!readTableFile(fileFor(folder, t), data, &error))
            continue;
        csv::Reader reader(data);
        csv::Record heading, record;
        if (!reader.next(heading))
            continue;
        std::vector<csv::Record> rows;
        while (reader.next(record))
            if (!blank(record))
                rows.push_back(std::move(record));
        if (rows.empty())
            continue;
        const QStringList columns = columnsOf(c.db, t);
        QStringList where;
        for (const csv::Field &h : heading)
            where << quoteIdentifier(matchColumn(columns, QString::fromUtf8(h.text))) + QStringLiteral(" IS ?");
        DiaryStatement find(c.db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                      .arg(quoteIdentifier(t), where.join(QStringLiteral(" AND "))));
        if (!find.stmt)
            continue;
        bool all = true;
        for (size_t i : {size_t(0), rows.size() / 2, rows.size() - 1}) {
            sqlite3_reset(find.stmt);
            const csv::Record &r = rows[i];
            for (size_t k = 0; k < heading.size(); ++k)
                bindField(find.stmt, int(k + 1), k < r.size() ? r[k] : csv::Field{});
            all = all && sqlite3_step(find.stmt) == SQLITE_ROW;
        }
        if (all)
            doubled << t;
    }
    return doubled;
}

TransferResult importDiary(const QString &databasePath, const QString &folder, const QStringList &tables,
                           const TransferProgress &progress)
{
    TransferResult result;
    DiaryConnection c;
    if (!c.open(databasePath, SQLITE_OPEN_READWRITE, &result.error))
        return result;
    if (!c.beginWriting(&result.error))
        return result;
    auto rollback = [&] {
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        result.rows = 0;
        return result;
    };
    QStringList present;
    for (const QString &t : tablesOf(c.db))
        if (QFile::exists(fileFor(folder, t)))
            present << t;
    const QStringList names = chosen(present, tables);
    if (names.isEmpty()) {
        result.error = QStringLiteral("%1 holds no table of a Tallyfin diary.").arg(QDir::toNativeSeparators(folder));
        return rollback();
    }
    // Read and check every file before the diary is touched.
    std::vector<QByteArray> data(size_t(names.size()));
    qint64 total = 0;
    for (int i = 0; i < names.size(); ++i) {
        if (!readTableFile(fileFor(folder, names[i]), data[size_t(i)], &result.error))
            return rollback();
        total += data[size_t(i)].size();
    }
    qint64 doneBefore = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString &t = names[i];
        const QString file = QDir::toNativeSeparators(fileFor(folder, t));
        const QStringList columns = columnsOf(c.db, t);
        csv::Reader reader(data[size_t(i)]);
        csv::Record heading, record;
        if (!reader.next(heading)) {
            doneBefore += data[size_t(i)].size();
            continue;
        }
        QStringList target;
        for (const csv::Field &h : heading) {
            const QString name = QString::fromUtf8(h.text);
            const QString column = matchColumn(columns, name);
            if (column.isEmpty() || target.contains(column)) {
                result.error =
                    QStringLiteral("%1: the table %2 has no column \"%3\". Nothing was imported.").arg(file, t, name);
                return rollback();
            }
            target << quoteIdentifier(column);
        }
        const bool owner = t.compare(QStringLiteral("Register"), Qt::CaseInsensitive) == 0;
        bool ownerEmpty = false;
        if (owner) {
            DiaryStatement s(c.db,
                             QStringLiteral("SELECT count(*), count(CASE WHEN trim(coalesce(\"Name\", '') || "
                                            "coalesce(\"Address\", '') || coalesce(\"City\", '')) <> '' THEN 1 END) "
                                            "FROM \"Register\""));
            ownerEmpty = s.stmt && sqlite3_step(s.stmt) == SQLITE_ROW && sqlite3_column_int(s.stmt, 0) <= 1 &&
                         sqlite3_column_int(s.stmt, 1) == 0;
        }
        QStringList marks(target.size(), QStringLiteral("?"));
        DiaryStatement insert(
            c.db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdentifier(t), target.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        if (!insert.stmt) {
            result.error = QStringLiteral("%1 cannot be added to the table %2: %3").arg(file, t, c.error());
            return rollback();
        }
        int ownerRows = 0;
        while (reader.next(record)) {
            if (blank(record))
                continue;
            if (record.size() != heading.size()) {
                result.error = QStringLiteral("%1, line %2: %3 values where the first line names %4. Nothing was "
                                              "imported.")
                                   .arg(file)
                                   .arg(reader.recordLine())
                                   .arg(record.size())
                                   .arg(heading.size());
                return rollback();
            }
            // The diary has one owner: the file's takes the place of an empty one only.
            if (owner && (!ownerEmpty || ownerRows++ > 0))
                continue;
            if (owner)
                sqlite3_exec(c.db, "DELETE FROM \"Register\"", nullptr, nullptr, nullptr);
            for (size_t k = 0; k < record.size(); ++k)
                bindField(insert.stmt, int(k + 1), record[k]);
            if (sqlite3_step(insert.stmt) != SQLITE_DONE) {
                result.error =
                    QStringLiteral("%1, line %2 cannot be added: %3").arg(file).arg(reader.recordLine()).arg(c.error());
                return rollback();
            }
            sqlite3_reset(insert.stmt);
            ++result.rows;
            if (progress && result.rows % 2048 == 0 && !progress(doneBefore + reader.bytesRead(), total)) {
                result.cancelled = true;
                return rollback();
            }
        }
        if (!reader.error().isEmpty()) {
            result.error = QStringLiteral("%1: %2 Nothing was imported.").arg(file, reader.error());
            return rollback();
        }
        if (owner && !ownerEmpty)
            result.notes << QStringLiteral("The owner's details already in the diary were kept.");
        doneBefore += data[size_t(i)].size();
    }
    if (!c.commit(&result.error)) {
        result.error += QStringLiteral(" Nothing was imported.");
        return rollback();
    }
    if (progress)
        progress(total, total);
    result.ok = true;
    return result;
}

} // namespace tf
