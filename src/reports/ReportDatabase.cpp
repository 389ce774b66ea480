#include "reports/ReportDatabase.h"

#include "data/Schema.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace tf::report {

namespace {

QString errorText(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString textOf(sqlite3_value *v)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)));
}

void wholeNumberFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
        if (sqlite3_value_int64(argv[0]) >= 0)
            sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        else
            sqlite3_result_null(ctx);
        return;
    case SQLITE_TEXT: {
        // The same rule as parseWholeNumber, on the bytes: it runs for every trip of the log.
        const auto *p = sqlite3_value_text(argv[0]);
        const unsigned char *end = p + sqlite3_value_bytes(argv[0]);
        while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
            ++p;
        while (end > p && (end[-1] == ' ' || (end[-1] >= '\t' && end[-1] <= '\r')))
            --end;
        if (p == end || end - p > 18)
            break;
        qint64 n = 0;
        for (const unsigned char *d = p; d < end; ++d) {
            if (*d < '0' || *d > '9') {
                sqlite3_result_null(ctx);
                return;
            }
            n = n * 10 + (*d - '0');
        }
        sqlite3_result_int64(ctx, n);
        return;
    }
    default:
        break;
    }
    sqlite3_result_null(ctx);
}

void numberFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_value(ctx, argv[0]);
        return;
    case SQLITE_TEXT:
        if (const auto n = parseNumber(textOf(argv[0]))) {
            sqlite3_result_double(ctx, n->value);
            return;
        }
        break;
    default:
        break;
    }
    sqlite3_result_null(ctx);
}

void monthNumberFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const auto m = sqlite3_value_type(argv[0]) == SQLITE_NULL ? std::nullopt : monthNumber(textOf(argv[0]));
    if (m)
        sqlite3_result_int(ctx, *m);
    else
        sqlite3_result_null(ctx);
}

QString actionName(int action)
{
    switch (action) {
    case SQLITE_INSERT:
        return QStringLiteral("INSERT");
    case SQLITE_UPDATE:
        return QStringLiteral("UPDATE");
    case SQLITE_DELETE:
        return QStringLiteral("DELETE");
    case SQLITE_ATTACH:
        return QStringLiteral("ATTACH");
    case SQLITE_DETACH:
        return QStringLiteral("DETACH");
    case SQLITE_PRAGMA:
        return QStringLiteral("PRAGMA");
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return QStringLiteral("a transaction");
    case SQLITE_ALTER_TABLE:
        return QStringLiteral("ALTER");
    case SQLITE_FUNCTION:
        return QStringLiteral("a forbidden function");
    default:
        return action == SQLITE_DROP_TABLE || action == SQLITE_DROP_INDEX || action == SQLITE_DROP_VIEW ||
                       action == SQLITE_DROP_TRIGGER || action == SQLITE_DROP_TEMP_TABLE || action == SQLITE_DROP_VTABLE
                   ? QStringLiteral("DROP")
                   : QStringLiteral("CREATE or another change");
    }
}

// Skips blanks, semicolons and comments; true when nothing else is left.
bool onlyCommentsLeft(const char *p, const char *end)
{
    while (p < end) {
        if (*p == ';' || *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') {
            ++p;
        } else if (p + 1 < end && p[0] == '-' && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (p + 1 < end && p[0] == '/' && p[1] == '*') {
            p += 2;
            while (p + 1 < end && !(p[0] == '*' && p[1] == '/'))
                ++p;
            p = p + 1 < end ? p + 2 : end;
        } else {
            return false;
        }
    }
    return true;
}

// The first word of a statement, after blanks and comments, in upper case.
QString firstKeyword(const QByteArray &sql)
{
    const char *p = sql.constData();
    const char *end = p + sql.size();
    while (p < end) {
        if (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '(') {
            ++p;
        } else if (p + 1 < end && p[0] == '-' && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (p + 1 < end && p[0] == '/' && p[1] == '*') {
            p += 2;
            while (p + 1 < end && !(p[0] == '*' && p[1] == '/'))
                ++p;
            p = p + 1 < end ? p + 2 : end;
        } else {
            break;
        }
    }
    const char *start = p;
    while (p < end && ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')))
        ++p;
    return QString::fromLatin1(start, int(p - start)).toUpper();
}

} // namespace

ReadOnlyDatabase::~ReadOnlyDatabase()
{
    sqlite3_close_v2(m_db);
}

bool ReadOnlyDatabase::open(const QString &path, QString *error)
{
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("the file does not exist");
        return false;
    }
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = errorText(m_db);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 0);
    if (sqlite3_exec(m_db, "PRAGMA query_only = 1; SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        *error = errorText(m_db); // "file is not a database", a locked file, ...
        return false;
    }
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(m_db, "whole_number", 1, flags, nullptr, wholeNumberFunction, nullptr, nullptr);
    sqlite3_create_function(m_db, "number", 1, flags, nullptr, numberFunction, nullptr, nullptr);
    sqlite3_create_function(m_db, "month_number", 1, flags, nullptr, monthNumberFunction, nullptr, nullptr);
    sqlite3_set_authorizer(m_db, &ReadOnlyDatabase::authorize, this);
    sqlite3_progress_handler(m_db, 20000, &ReadOnlyDatabase::progress, this);
    return true;
}

int ReadOnlyDatabase::authorize(void *self, int action, const char *, const char *name, const char *, const char *)
{
    auto *db = static_cast<ReadOnlyDatabase *>(self);
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (name && qstricmp(name, "load_extension") != 0)
            return SQLITE_OK;
        break;
    default:
        break;
    }
    if (db->m_refusal.isEmpty())
        db->m_refusal = actionName(action);
    return SQLITE_DENY;
}

int ReadOnlyDatabase::progress(void *self)
{
    auto *db = static_cast<ReadOnlyDatabase *>(self);
    return db->m_keepGoing && !db->m_keepGoing() ? 1 : 0;
}

void ReadOnlyDatabase::setInterrupt(std::function<bool()> keepGoing)
{
    m_keepGoing = std::move(keepGoing);
}

bool ReadOnlyDatabase::prepare(const QString &sql, Statement &out, QString *error)
{
    const QByteArray utf8 = sql.toUtf8();
    const QString keyword = firstKeyword(utf8);
    if (keyword != QLatin1String("SELECT") && keyword != QLatin1String("WITH") && keyword != QLatin1String("VALUES")) {
        *error = keyword.isEmpty() ? QStringLiteral("it is not a SELECT statement; a report may only read the database")
                                   : QStringLiteral("it is a %1 statement, not a SELECT; a report may only read the "
                                                    "database")
                                         .arg(keyword);
        return false;
    }
    m_refusal.clear();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        *error = m_refusal.isEmpty() ? QStringLiteral("the database cannot run it: %1").arg(errorText(m_db))
                                     : QStringLiteral("it uses %1; a report may only read the database").arg(m_refusal);
        sqlite3_finalize(stmt);
        return false;
    }
    if (!stmt) {
        *error = QStringLiteral("it is empty");
        return false;
    }
    if (!onlyCommentsLeft(tail, utf8.constData() + utf8.size())) {
        sqlite3_finalize(stmt);
        *error = QStringLiteral("it holds more than one statement; a query must be a single SELECT");
        return false;
    }
    if (!sqlite3_stmt_readonly(stmt)) {
        sqlite3_finalize(stmt);
        *error = QStringLiteral("it would change the database; a report may only read it");
        return false;
    }
    Statement s;
    s.m_stmt = stmt;
    s.m_sql = QString::fromUtf8(utf8.constData(), int(tail - utf8.constData()));
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i)
        s.m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    out = std::move(s);
    return true;
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_columns(std::move(other.m_columns)),
      m_sql(std::move(other.m_sql)), m_error(std::move(other.m_error))
{
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_columns = std::move(other.m_columns);
        m_sql = std::move(other.m_sql);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool Statement::next(Row &row)
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW) {
        m_error = rc == SQLITE_INTERRUPT ? QStringLiteral("interrupted")
                                         : QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
        return false;
    }
    const int n = int(m_columns.size());
    row.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        QString &v = row[size_t(i)];
        switch (sqlite3_column_type(m_stmt, i)) {
        case SQLITE_INTEGER:
            v = QString::number(sqlite3_column_int64(m_stmt, i));
            break;
        case SQLITE_FLOAT:
            v = QString::number(sqlite3_column_double(m_stmt, i), 'g', 15);
            break;
        case SQLITE_TEXT:
            v = cleanValue(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i)),
                                             sqlite3_column_bytes(m_stmt, i)));
            break;
        default:
            v.clear(); // null, or a picture stored in the file: nothing to print
            break;
        }
    }
    return true;
}

namespace {
// A statement's text fit to stand inside parentheses.
QString innerSql(const QString &sql)
{
    QString inner = sql.trimmed();
    while (inner.endsWith(u';'))
        inner = inner.chopped(1).trimmed();
    return inner;
}
} // namespace

QString countSql(const QString &sql)
{
    return QStringLiteral("SELECT count(*) FROM (\n%1\n)").arg(innerSql(sql));
}

QString sortedSql(const QString &sql, const QStringList &columns, const std::vector<bool> &descending)
{
    const QString inner = innerSql(sql);
    QStringList keys;
    for (int i = 0; i < columns.size(); ++i)
        keys << quoteIdentifier(columns[i]) + (descending[size_t(i)] ? QStringLiteral(" DESC") : QString());
    return QStringLiteral("SELECT * FROM (\n%1\n) ORDER BY %2").arg(inner, keys.join(QStringLiteral(", ")));
}

} // namespace tf::report
