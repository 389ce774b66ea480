#pragma once

// The figures a window hands to a report to print: a database file made for
// one printing, which the report's queries read and which is thrown away after.

#include <QList>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace tf::report {

class ScratchDatabase
{
public:
    ScratchDatabase() = default;
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    // Makes the file, which must not exist yet, with the tables of `schema`, and begins writing it.
    bool create(const QString &path, const char *schema);
    // Adds a row: whole numbers as integers, a null value as NULL, anything else as text.
    bool insert(const char *sql, const QList<QVariant> &values);
    bool commit();
    // Why the last step failed.
    QString error() const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr; // the last insert's, kept for the rows that follow
    const char *m_sql = nullptr;
};

} // namespace tf::report
