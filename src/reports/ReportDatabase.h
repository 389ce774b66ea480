#pragma once

// The reports' own connection to the database file: opened read-only, with
// query_only set and an authorizer that lets nothing but reading through, so a
// definition file, which anyone can edit, can never change the diary. Every
// statement is also checked with sqlite3_stmt_readonly, and a query holding more
// than one statement is refused before anything runs.
//
// Three functions help the definitions: whole_number(text) and number(text)
// (the counting rules of ReportTemplate.h, NULL when the text is not one) and
// month_number(name) (1 to 12, so months can be put in calendar order).

#include "reports/ReportTemplate.h"

#include <QString>
#include <QStringList>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace tf::report {

class Statement;

class ReadOnlyDatabase
{
public:
    ReadOnlyDatabase() = default;
    ~ReadOnlyDatabase();
    ReadOnlyDatabase(const ReadOnlyDatabase &) = delete;
    ReadOnlyDatabase &operator=(const ReadOnlyDatabase &) = delete;

    // Never creates a missing file.
    bool open(const QString &path, QString *error);

    // Prepares one reading statement; false with a message for anything else.
    bool prepare(const QString &sql, Statement &out, QString *error);

    // Called now and then while a statement runs; returning false interrupts it.
    void setInterrupt(std::function<bool()> keepGoing);

    sqlite3 *handle() const { return m_db; }

private:
    static int authorize(void *self, int action, const char *a, const char *b, const char *c, const char *d);
    static int progress(void *self);

    sqlite3 *m_db = nullptr;
    QString m_refusal; // what the authorizer refused during the last prepare
    std::function<bool()> m_keepGoing;
};

class Statement
{
public:
    Statement() = default;
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;

    bool isValid() const { return m_stmt != nullptr; }
    const QStringList &columns() const { return m_columns; }
    // The statement's own text, without what followed it (comments, a semicolon).
    const QString &sql() const { return m_sql; }
    // The next row into `row` (values cleaned for printing); false at the end or
    // on an error, which error() then describes.
    bool next(Row &row);
    const QString &error() const { return m_error; }

private:
    friend class ReadOnlyDatabase;
    sqlite3_stmt *m_stmt = nullptr;
    QStringList m_columns;
    QString m_sql;
    QString m_error;
};

// The text of a query with an outer ORDER BY on the given columns (already
// checked against the query's columns), quoted safely.
QString sortedSql(const QString &sql, const QStringList &columns, const std::vector<bool> &descending);
// The text of a query that counts the rows of another.
QString countSql(const QString &sql);

} // namespace tf::report
