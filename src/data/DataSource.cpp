#include "data/DataSource.h"

#include "data/LikePattern.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <sqlite3.h>
#include <unordered_set>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tf {

namespace {

// Rows are read this many at a time, each block in one read of the file.
constexpr int kBlockRows = 64;
// Rows kept in memory: a few screenfuls of a grid.
constexpr int kCachedRows = 2048;

const QString kRowsMissing = QStringLiteral("Rows that the table's index lists are missing from the table.");

QMutex g_openMutex;
QHash<QString, int> g_openFiles; // canonical path -> data sources holding it

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                 sqlite3_column_bytes(st, i));
    }
}

int bindValue(sqlite3_stmt *st, int i, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return sqlite3_bind_null(st, i);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return sqlite3_bind_int64(st, i, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, i, v.toDouble());
    case QMetaType::QDate:
        return sqlite3_bind_text(st, i, v.toDate().toString(Qt::ISODate).toUtf8().constData(), -1, SQLITE_TRANSIENT);
    case QMetaType::QDateTime:
        return sqlite3_bind_text(st, i, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8(), -1,
                                 SQLITE_TRANSIENT);
    default: {
        const QByteArray utf8 = v.toString().toUtf8();
        return sqlite3_bind_text(st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

// A prepared statement that finalizes itself.
struct Statement
{
    sqlite3_stmt *st = nullptr;
    Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement() { sqlite3_finalize(st); }
    bool prepare(sqlite3 *db, const QString &sql)
    {
        sqlite3_finalize(st);
        st = nullptr;
        return sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK;
    }
};

} // namespace

// The record source, read into its parts: which table, which rows, which order.
struct DataSource::Query
{
    QString table;
    QString whereColumn; // rows with this column empty are left out
    QString orderColumn;
    bool descending = false;
    QString keyColumn;
    Statement rowByKey;
    Statement rowsByKeys; // kBlockRows keys
    Statement dataVersion;
};

struct DataSource::FindCache
{
    QString criterion;
    std::unordered_set<Bookmark> matches;
};

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::~DataSource()
{
    blockSignals(true);
    close();
}

bool DataSource::fail(const QString &e) const
{
    m_error = e;
    return false;
}

bool DataSource::exec(const QString &sql)
{
    char *msg = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        const QString e = QString::fromUtf8(msg ? msg : sqlite3_errmsg(m_db));
        sqlite3_free(msg);
        return fail(e);
    }
    return true;
}

bool DataSource::open(const QString &path, const QString &recordSource)
{
    close();
    m_error.clear();
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Cannot find the database file %1.").arg(shown));
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a database file.").arg(shown));
    // The engine would take an empty file for a new, empty database; it is not ours.
    if (info.size() == 0)
        return fail(QStringLiteral("The database file %1 is empty.").arg(shown));

    // Taken before the engine opens the file: a file replaced in between is
    // then taken for replaced, and refused, rather than written unseen.
    const QByteArray identity = fileIdentity(path);
    sqlite3 *db = nullptr;
    // Read-write but never create: a missing file is reported, not replaced.
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        QString e = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        // The system's reason ("Permission denied") says more than the engine's.
        if (const int system = db ? sqlite3_system_errno(db) : 0)
            e += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(system)));
        sqlite3_close_v2(db);
        return fail(QStringLiteral("Cannot open the database file %1: %2").arg(shown, e));
    }
    m_db = db;
    m_fileIdentity = identity;
    sqlite3_busy_timeout(m_db, 3000);
    sqlite3_extended_result_codes(m_db, 1);
    m_path = path;
    // synchronous=FULL: a save reported done survives a crash of the program or the machine.
    if (!exec(QStringLiteral("PRAGMA synchronous=FULL")) || !loadColumns()) {
        const QString e = m_error;
        close();
        return fail(QStringLiteral("Cannot open the database file %1: %2").arg(shown, e));
    }
    m_canonicalPath = canonical(path);
    {
        QMutexLocker lock(&g_openMutex);
        ++g_openFiles[m_canonicalPath];
    }
    if (!setRecordSource(recordSource) || !loadKeys()) {
        const QString e = m_error;
        close();
        return fail(e);
    }
    return true;
}

// Reads the schema once, which is also where a damaged or foreign file shows itself.
bool DataSource::loadColumns()
{
    Statement st;
    if (!st.prepare(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master")) || sqlite3_step(st.st) != SQLITE_ROW)
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    return true;
}

void DataSource::close()
{
    const bool wasOpen = m_db != nullptr;
    if (wasOpen)
        emit rowsAboutToReset();
    m_query.reset();
    m_find.reset();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    if (!m_canonicalPath.isEmpty()) {
        QMutexLocker lock(&g_openMutex);
        if (--g_openFiles[m_canonicalPath] <= 0)
            g_openFiles.remove(m_canonicalPath);
        m_canonicalPath.clear();
    }
    m_keys.clear();
    m_rowOfKey.clear();
    m_rowOfKeyValid = false;
    m_cache.clear();
    m_fields.clear();
    m_fieldIndex.clear();
    m_pos = -1;
    m_currentDeleted = false;
    m_mode = EditMode::None;
    m_pending.clear();
    m_lastModified.reset();
    m_readError.clear();
    m_unreadableRows = 0;
    m_fileIdentity.clear();
    ++m_generation;
    if (wasOpen)
        emit rowsReset();
}

int DataSource::openCount(const QString &path)
{
    QMutexLocker lock(&g_openMutex);
    return g_openFiles.value(canonical(path), 0);
}

QString DataSource::tableName() const
{
    return m_query ? m_query->table : QString();
}

bool DataSource::setRecordSource(const QString &recordSource)
{
    if (!m_db)
        return fail(QStringLiteral("The data source is not open."));
    static const QRegularExpression bare(QStringLiteral("^\\s*(\\w+)\\s*$"));
    static const QRegularExpression select(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\w+|\\[[^\\]]+\\])"
                       "(?:\\s+where\\s+(\\w+|\\[[^\\]]+\\]))?"
                       "(?:\\s+order\\s+by\\s+(\\w+|\\[[^\\]]+\\])(?:\\s+(asc|desc))?)?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    auto unbracket = [](QString s) {
        if (s.startsWith(QLatin1Char('[')))
            s = s.mid(1, s.size() - 2);
        return s;
    };
    auto q = std::make_unique<Query>();
    if (const auto m = bare.match(recordSource); m.hasMatch()) {
        q->table = m.captured(1);
    } else if (const auto s = select.match(recordSource); s.hasMatch()) {
        q->table = unbracket(s.captured(1));
        q->whereColumn = unbracket(s.captured(2));
        q->orderColumn = unbracket(s.captured(3));
        q->descending = s.captured(4).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
    } else {
        return fail(QStringLiteral("The record source \"%1\" cannot be read.").arg(recordSource));
    }

    // The table's real columns, from the file itself.
    Statement info;
    if (!info.prepare(m_db, QStringLiteral("SELECT name, pk FROM pragma_table_info(?1)")))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_bind_text(info.st, 1, q->table.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    QStringList fields;
    int rc;
    while ((rc = sqlite3_step(info.st)) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.st, 0)));
        if (name.compare(kKeyColumn, Qt::CaseInsensitive) == 0)
            q->keyColumn = name;
        else
            fields << name;
    }
    if (rc != SQLITE_DONE)
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    if (fields.isEmpty())
        return fail(QStringLiteral("The database has no table %1.").arg(q->table));
    if (q->keyColumn.isEmpty())
        q->keyColumn = QStringLiteral("rowid");

    QHash<QString, int> index;
    for (int i = 0; i < fields.size(); ++i)
        index.insert(fields[i].toLower(), i);
    for (const QString &c : {q->whereColumn, q->orderColumn})
        if (!c.isEmpty() && !index.contains(c.toLower()))
            return fail(QStringLiteral("The table %1 has no column %2.").arg(q->table, c));

    QStringList cols{quoteIdentifier(q->keyColumn)};
    for (const QString &f : fields)
        cols << quoteIdentifier(f);
    if (!q->rowByKey.prepare(
            m_db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                      .arg(cols.join(QLatin1Char(',')), quoteIdentifier(q->table), quoteIdentifier(q->keyColumn))))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    QStringList marks;
    for (int i = 1; i <= kBlockRows; ++i)
        marks << QStringLiteral("?%1").arg(i);
    if (!q->rowsByKeys.prepare(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                                         .arg(cols.join(QLatin1Char(',')), quoteIdentifier(q->table),
                                              quoteIdentifier(q->keyColumn), marks.join(QLatin1Char(',')))))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    if (!q->dataVersion.prepare(m_db, QStringLiteral("PRAGMA data_version")))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));

    m_recordSource = recordSource;
    m_query = std::move(q);
    m_fields = fields;
    m_fieldIndex = index;
    m_cache.clear();
    return true;
}

bool DataSource::requery()
{
    if (!m_db || !m_query)
        return fail(QStringLiteral("The data source is not open."));
    // The old file's rows are still there to show; the window is opened again
    // on the new file once nobody types in it.
    isStillTheFileOpened(m_path, m_fileIdentity);
    // An open source that cannot read its keys again keeps the rows it had, and
    // a window that only recounts on activation would never tell the user.
    if (!loadKeys()) {
        readFailure(m_error, m_errorCode);
        return false;
    }
    return true;
}

bool DataSource::loadKeys()
{
    const Query &q = *m_query;
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(q.keyColumn), quoteIdentifier(q.table));
    if (!q.whereColumn.isEmpty())
        sql += QStringLiteral(" WHERE %1 IS NOT NULL AND %1 <> ''").arg(quoteIdentifier(q.whereColumn));
    // Ties keep the direction of the order, so an index serves the whole order.
    const QString dir = q.descending ? QStringLiteral(" DESC") : QString();
    if (!q.orderColumn.isEmpty())
        sql += QStringLiteral(" ORDER BY %1 COLLATE NOCASE%2, %3%2")
                   .arg(quoteIdentifier(q.orderColumn), dir, quoteIdentifier(q.keyColumn));
    else
        sql += QStringLiteral(" ORDER BY %1").arg(quoteIdentifier(q.keyColumn));

    Statement st;
    if (!st.prepare(m_db, sql)) {
        m_errorCode = sqlite3_extended_errcode(m_db);
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    std::vector<Bookmark> keys;
    int rc;
    while ((rc = sqlite3_step(st.st)) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(st.st, 0));
    if (rc != SQLITE_DONE) {
        m_errorCode = sqlite3_extended_errcode(m_db);
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    const qint64 version = dataVersion();

    if (m_mode != EditMode::None)
        cancelUpdate();
    emit rowsAboutToReset();
    m_keys = std::move(keys);
    m_rowOfKeyValid = false;
    m_cache.clear();
    m_find.reset();
    m_currentDeleted = false;
    m_pos = m_keys.empty() ? -1 : 0;
    m_readError.clear();
    m_unreadableRows = 0;
    m_keysVersion = version;
    ++m_generation;
    // The first row is shown at once; reading it now reports a damaged table
    // when the window opens rather than when the user first looks.
    if (!m_keys.empty())
        rowValues(0);
    emit rowsReset();
    emit currentChanged(m_pos);
    return true;
}

int DataSource::tableRowCount() const
{
    // A filtered source counts what it shows; so does one that has rows nobody
    // can read: the file's count would promise trips that cannot be shown.
    if (!m_db || !m_query || !m_query->whereColumn.isEmpty() || m_unreadableRows > 0)
        return recordCount();
    Statement st;
    if (!st.prepare(m_db, QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(m_query->table))) ||
        sqlite3_step(st.st) != SQLITE_ROW)
        return recordCount();
    return sqlite3_column_int(st.st, 0);
}

QStringList DataSource::fieldNames() const
{
    return m_fields;
}

int DataSource::fieldIndex(const QString &name) const
{
    return m_fieldIndex.value(name.toLower(), -1);
}

bool DataSource::bof() const
{
    return m_keys.empty() || m_pos < 0;
}

bool DataSource::eof() const
{
    return m_keys.empty() || m_pos >= int(m_keys.size());
}

int DataSource::currentRow() const
{
    return m_pos;
}

bool DataSource::hasCurrent() const
{
    return !m_currentDeleted && m_pos >= 0 && m_pos < int(m_keys.size());
}

void DataSource::setCurrent(int row)
{
    m_currentDeleted = false;
    m_pos = row;
    emit currentChanged(m_pos);
}

bool DataSource::moveFirst()
{
    if (m_keys.empty())
        return fail(QStringLiteral("No current record."));
    setCurrent(0);
    return true;
}

bool DataSource::moveLast()
{
    if (m_keys.empty())
        return fail(QStringLiteral("No current record."));
    setCurrent(int(m_keys.size()) - 1);
    return true;
}

bool DataSource::moveNext()
{
    // After a delete the position already names the row that followed (or the end).
    if (m_currentDeleted) {
        setCurrent(m_pos);
        return true;
    }
    if (eof())
        return fail(QStringLiteral("No current record."));
    setCurrent(m_pos + 1);
    return true;
}

bool DataSource::movePrevious()
{
    if (m_currentDeleted) {
        setCurrent(m_pos - 1);
        return true;
    }
    if (bof())
        return fail(QStringLiteral("No current record."));
    setCurrent(m_pos - 1);
    return true;
}

bool DataSource::moveTo(int row)
{
    if (row < 0 || row >= int(m_keys.size()))
        return fail(QStringLiteral("No such row."));
    setCurrent(row);
    return true;
}

// Reads the rows [first, last) of the keyset in one statement, so one lock of
// the file serves them all: a list filled row by row, or a grid scrolled,
// costs one read per block, not one per row. False when the read failed.
bool DataSource::readBlock(int first, int last) const
{
    sqlite3_stmt *st = m_query->rowsByKeys.st;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (int row = first; row < last; ++row)
        sqlite3_bind_int64(st, row - first + 1, m_keys[size_t(row)]);
    if (m_cache.size() + kBlockRows > kCachedRows)
        m_cache.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<QVariant> values;
        values.reserve(size_t(m_fields.size()));
        for (int i = 0; i < m_fields.size(); ++i)
            values.push_back(columnValue(st, i + 1));
        m_cache.insert(sqlite3_column_int64(st, 0), std::move(values));
    }
    sqlite3_reset(st);
    return rc == SQLITE_DONE;
}

const std::vector<QVariant> *DataSource::rowValues(int row) const
{
    const Bookmark key = m_keys[size_t(row)];
    if (auto it = m_cache.constFind(key); it != m_cache.constEnd())
        return &it.value();
    if (!m_query)
        return nullptr;
    // Walking backwards (the next row is known), the block ends here.
    const int count = int(m_keys.size());
    const bool backwards = row + 1 < count && m_cache.contains(m_keys[size_t(row + 1)]);
    const int first = backwards ? std::max(0, row - kBlockRows + 1) : row;
    if (readBlock(first, std::min(count, first + kBlockRows))) {
        const auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd())
            return &it.value();
        rowMissing();
        return nullptr;
    }
    // A block that failed may hold rows that can be read: this one is read on
    // its own, so only a row that truly cannot be read is reported.
    sqlite3_stmt *st = m_query->rowByKey.st;
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, key);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        const int code = sqlite3_extended_errcode(m_db);
        const QString e = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_reset(st);
        if (e.isEmpty()) {
            rowMissing();
        } else {
            m_error = e;
            readFailure(e, code);
        }
        return nullptr;
    }
    std::vector<QVariant> values;
    values.reserve(size_t(m_fields.size()));
    for (int i = 0; i < m_fields.size(); ++i)
        values.push_back(columnValue(st, i + 1));
    sqlite3_reset(st);
    if (m_cache.size() >= kCachedRows)
        m_cache.clear();
    return &m_cache.insert(key, std::move(values)).value();
}

qint64 DataSource::dataVersion() const
{
    sqlite3_stmt *st = m_query->dataVersion.st;
    sqlite3_reset(st);
    const qint64 version = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_reset(st);
    return version;
}

// The keys came from the order's index, the values from the table. A row the
// index names that the table lacks was deleted by another window, or the table
// is damaged (its pages lead the lookup astray): with no other window's commit
// since the keys were read, only damage is left.
bool DataSource::missingMeansDamage() const
{
    const qint64 version = dataVersion();
    return version >= 0 && version == m_keysVersion;
}

void DataSource::rowMissing() const
{
    if (m_readError.isEmpty() && missingMeansDamage())
        readFailure(kRowsMissing, SQLITE_CORRUPT);
}

void DataSource::readFailure(const QString &error, int code) const
{
    if (!m_readError.isEmpty())
        return;
    m_readError = error.isEmpty() ? QStringLiteral("The database file cannot be read.") : error;
    auto *self = const_cast<DataSource *>(this);
    // Another program's lock passes; damage stays, so its rows leave the keyset.
    const bool damage = (code & 0xff) != SQLITE_BUSY && (code & 0xff) != SQLITE_LOCKED;
    QMetaObject::invokeMethod(
        self,
        [self, damage, generation = m_generation] {
            if (self->m_generation != generation)
                return;
            const int dropped = damage ? self->dropUnreadableRows() : 0;
            // readError() stays the engine's words, which callers compare with errorText().
            emit self->readFailed(
                dropped == 0
                    ? self->m_readError
                    : self->m_readError + QStringLiteral("\n%1 rows of the table %2 cannot be read and are not shown.")
                                              .arg(dropped)
                                              .arg(self->tableName()));
        },
        Qt::QueuedConnection);
}

// Reads every row of the keyset once and keeps only those that can be read, so
// a grid never shows a damaged row as a blank one. Rows another window deleted
// stay until the next requery, as they always do.
int DataSource::dropUnreadableRows()
{
    if (!m_query)
        return 0;
    const bool missingIsDamage = missingMeansDamage();
    std::vector<Bookmark> kept;
    kept.reserve(m_keys.size());
    int keptBefore = 0; // rows kept ahead of the current one
    std::unordered_set<Bookmark> found;
    sqlite3_stmt *block = m_query->rowsByKeys.st;
    sqlite3_stmt *one = m_query->rowByKey.st;
    for (size_t first = 0; first < m_keys.size(); first += kBlockRows) {
        const size_t last = std::min(m_keys.size(), first + kBlockRows);
        sqlite3_reset(block);
        sqlite3_clear_bindings(block);
        for (size_t i = first; i < last; ++i)
            sqlite3_bind_int64(block, int(i - first + 1), m_keys[i]);
        found.clear();
        int rc;
        while ((rc = sqlite3_step(block)) == SQLITE_ROW)
            found.insert(sqlite3_column_int64(block, 0));
        sqlite3_reset(block);
        for (size_t i = first; i < last; ++i) {
            const Bookmark key = m_keys[i];
            bool readable = found.count(key) > 0;
            if (!readable && rc != SQLITE_DONE) {
                // The block failed somewhere: this row on its own.
                sqlite3_reset(one);
                sqlite3_bind_int64(one, 1, key);
                const int r = sqlite3_step(one);
                sqlite3_reset(one);
                readable = r == SQLITE_ROW || (r == SQLITE_DONE && !missingIsDamage);
            } else if (!readable) {
                readable = !missingIsDamage;
            }
            if (readable) {
                kept.push_back(key);
                if (int(i) < m_pos)
                    ++keptBefore;
            }
        }
    }
    const int dropped = int(m_keys.size() - kept.size());
    if (dropped == 0)
        return 0;
    const bool afterLast = m_pos >= int(m_keys.size());
    emit rowsAboutToReset();
    m_keys = std::move(kept);
    m_rowOfKeyValid = false;
    m_find.reset();
    m_unreadableRows += dropped;
    // The current row stays current; one that was dropped gives way to the row that followed it.
    const int count = int(m_keys.size());
    if (afterLast)
        m_pos = count;
    else if (m_pos >= 0)
        m_pos = count == 0 ? -1 : std::min(keptBefore, count - 1);
    m_currentDeleted = false;
    emit rowsReset();
    emit currentChanged(m_pos);
    return dropped;
}

void DataSource::invalidateCache(Bookmark key) const
{
    m_cache.remove(key);
}

QVariant DataSource::value(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return {};
    if (m_mode != EditMode::None)
        return m_pending[size_t(field)];
    if (!hasCurrent())
        return {};
    const auto *row = rowValues(m_pos);
    return row ? (*row)[size_t(field)] : QVariant();
}

QVariant DataSource::value(const QString &field) const
{
    return value(fieldIndex(field));
}

QVariant DataSource::valueAt(int row, int field, bool *ok) const
{
    if (ok)
        *ok = false;
    if (row < 0 || row >= int(m_keys.size()) || field < 0 || field >= m_fields.size())
        return {};
    const auto *values = rowValues(row);
    if (!values)
        return {};
    if (ok)
        *ok = true;
    return (*values)[size_t(field)];
}

std::optional<DataSource::Bookmark> DataSource::bookmark() const
{
    if (!hasCurrent())
        return std::nullopt;
    return m_keys[size_t(m_pos)];
}

int DataSource::rowOfBookmark(Bookmark b) const
{
    if (!m_rowOfKeyValid) {
        m_rowOfKey.clear();
        m_rowOfKey.reserve(qsizetype(m_keys.size()));
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_rowOfKey.insert(m_keys[i], int(i));
        m_rowOfKeyValid = true;
    }
    return m_rowOfKey.value(b, -1);
}

bool DataSource::setBookmark(Bookmark b)
{
    const int row = rowOfBookmark(b);
    if (row < 0)
        return fail(QStringLiteral("Not a valid bookmark."));
    setCurrent(row);
    return true;
}

bool DataSource::addNew()
{
    if (!m_query)
        return fail(QStringLiteral("The data source is not open."));
    if (m_mode != EditMode::None)
        cancelUpdate();
    m_pending.assign(size_t(m_fields.size()), QVariant());
    m_pendingTouched.assign(size_t(m_fields.size()), false);
    m_mode = EditMode::Adding;
    emit editModeChanged();
    return true;
}

bool DataSource::edit()
{
    if (!m_query || !hasCurrent())
        return fail(QStringLiteral("No current record."));
    const auto *row = rowValues(m_pos);
    if (!row)
        return fail(m_error.isEmpty() ? QStringLiteral("The record was deleted by another window.") : m_error);
    if (m_mode != EditMode::None)
        cancelUpdate();
    m_pending = *row;
    m_pendingTouched.assign(size_t(m_fields.size()), false);
    m_mode = EditMode::Editing;
    emit editModeChanged();
    return true;
}

bool DataSource::setValue(int field, const QVariant &v)
{
    if (m_mode == EditMode::None)
        return fail(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (field < 0 || field >= m_fields.size())
        return fail(QStringLiteral("Item not found in this collection."));
    m_pending[size_t(field)] = v;
    m_pendingTouched[size_t(field)] = true;
    return true;
}

bool DataSource::setValue(const QString &field, const QVariant &v)
{
    return setValue(fieldIndex(field), v);
}

bool DataSource::update()
{
    if (m_mode == EditMode::None || !m_query)
        return fail(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (refuseReplacedFile())
        return false;
    const Query &q = *m_query;
    QStringList cols;
    std::vector<int> which;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_pendingTouched[size_t(i)]) {
            cols << quoteIdentifier(m_fields[i]);
            which.push_back(i);
        }
    Statement st;
    QString sql;
    if (m_mode == EditMode::Adding) {
        if (cols.isEmpty())
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(q.table));
        else {
            QStringList marks;
            for (size_t i = 0; i < which.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdentifier(q.table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
    } else {
        if (cols.isEmpty()) {
            // Nothing typed: the row stays as it is.
            m_lastModified = m_keys[size_t(m_pos)];
            m_mode = EditMode::None;
            m_pending.clear();
            emit editModeChanged();
            return true;
        }
        QStringList sets;
        for (size_t i = 0; i < which.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(cols[qsizetype(i)]).arg(i + 1);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                  .arg(quoteIdentifier(q.table), sets.join(QLatin1Char(',')), quoteIdentifier(q.keyColumn))
                  .arg(which.size() + 1);
    }
    if (!st.prepare(m_db, sql))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    for (size_t i = 0; i < which.size(); ++i)
        bindValue(st.st, int(i + 1), m_pending[size_t(which[i])]);
    Bookmark key = 0;
    if (m_mode == EditMode::Editing) {
        if (!hasCurrent())
            return fail(QStringLiteral("No current record."));
        key = m_keys[size_t(m_pos)];
        sqlite3_bind_int64(st.st, int(which.size() + 1), key);
    }
    if (sqlite3_step(st.st) != SQLITE_DONE)
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    if (m_mode == EditMode::Editing && sqlite3_changes(m_db) == 0)
        return fail(QStringLiteral("The record was deleted by another window."));

    const EditMode was = m_mode;
    m_mode = EditMode::None;
    m_pending.clear();
    m_find.reset();
    if (was == EditMode::Adding) {
        key = sqlite3_last_insert_rowid(m_db);
        // The new row stays at the end until the next requery puts it in order.
        emit rowAboutToBeAppended(int(m_keys.size()));
        m_keys.push_back(key);
        if (m_rowOfKeyValid)
            m_rowOfKey.insert(key, int(m_keys.size()) - 1);
        m_lastModified = key;
        emit editModeChanged();
        emit rowAppended(int(m_keys.size()) - 1);
    } else {
        invalidateCache(key);
        m_lastModified = key;
        emit editModeChanged();
        emit rowChanged(m_pos);
    }
    return true;
}

void DataSource::cancelUpdate()
{
    if (m_mode == EditMode::None)
        return;
    m_mode = EditMode::None;
    m_pending.clear();
    m_pendingTouched.clear();
    emit editModeChanged();
}

bool DataSource::deleteCurrent()
{
    if (!m_query || !hasCurrent())
        return fail(QStringLiteral("No current record."));
    if (refuseReplacedFile())
        return false;
    if (m_mode != EditMode::None)
        cancelUpdate();
    const Bookmark key = m_keys[size_t(m_pos)];
    Statement st;
    if (!st.prepare(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1")
                              .arg(quoteIdentifier(m_query->table), quoteIdentifier(m_query->keyColumn))))
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_bind_int64(st.st, 1, key);
    if (sqlite3_step(st.st) != SQLITE_DONE)
        return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    const int row = m_pos;
    emit rowAboutToBeRemoved(row);
    m_keys.erase(m_keys.begin() + row);
    m_rowOfKeyValid = false;
    invalidateCache(key);
    m_find.reset();
    if (m_lastModified == key)
        m_lastModified.reset();
    // The deleted row stays current (without values) until the next move.
    m_currentDeleted = true;
    emit rowRemoved(row);
    return true;
}

bool DataSource::refuseReplacedFile()
{
    if (isStillTheFileOpened(m_path, m_fileIdentity))
        return false;
    fail(replacedFileText(m_path));
    return true;
}

bool DataSource::findFirst(const QString &criterion)
{
    m_find.reset();
    return find(criterion, 0);
}

bool DataSource::findNext(const QString &criterion)
{
    int from = m_currentDeleted ? m_pos : m_pos + 1;
    if (from < 0)
        from = 0;
    return find(criterion, from);
}

bool DataSource::find(const QString &criterion, int from)
{
    m_noMatch = true;
    if (!m_query)
        return fail(QStringLiteral("The data source is not open."));

    // A find first reads the column afresh; find next keeps stepping through
    // what it read, like the keyset itself, until this source writes or requeries.
    // So stepping through all matches stays linear.
    if (!m_find || m_find->criterion != criterion) {
        m_find.reset();
        const auto parsed = parseLikeCriterion(criterion, &m_error);
        if (!parsed)
            return false;
        const int field = fieldIndex(parsed->column);
        if (field < 0)
            return fail(QStringLiteral("The table %1 has no column %2.").arg(m_query->table, parsed->column));
        const auto pattern = LikePattern::compile(parsed->pattern, &m_error);
        if (!pattern)
            return false;
        auto cache = std::make_unique<FindCache>();
        cache->criterion = criterion;
        Statement st;
        if (!st.prepare(m_db, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %2 IS NOT NULL")
                                  .arg(quoteIdentifier(m_query->keyColumn), quoteIdentifier(m_fields[field]),
                                       quoteIdentifier(m_query->table))))
            return fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        int rc;
        while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.st, 1));
            if (pattern->matchesUtf8(text, sqlite3_column_bytes(st.st, 1)))
                cache->matches.insert(sqlite3_column_int64(st.st, 0));
        }
        if (rc != SQLITE_DONE) {
            const QString e = QString::fromUtf8(sqlite3_errmsg(m_db));
            readFailure(e, sqlite3_extended_errcode(m_db));
            return fail(e);
        }
        m_find = std::move(cache);
    }
    for (int row = from; row < int(m_keys.size()); ++row) {
        if (m_find->matches.count(m_keys[size_t(row)])) {
            m_noMatch = false;
            setCurrent(row);
            return true;
        }
    }
    return true;
}

Status DataSource::compact(const QString &source, const QString &destination)
{
    const QString shownSource = QDir::toNativeSeparators(source);
    const QString shownDest = QDir::toNativeSeparators(destination);
    // Even an empty file counts: a leftover of an earlier attempt is never overwritten.
    if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
        return Status::failure(QStringLiteral("%1 already exists.").arg(shownDest));
    const QFileInfo info(source);
    if (!info.exists())
        return Status::failure(QStringLiteral("Cannot find %1.").arg(shownSource));
    if (info.size() == 0)
        return Status::failure(QStringLiteral("%1 is empty.").arg(shownSource));
    if (openCount(source) > 0)
        return Status::failure(QStringLiteral("%1 is still open in another window.").arg(shownSource));

    sqlite3 *db = nullptr;
    auto closeDb = qScopeGuard([&] { sqlite3_close_v2(db); });
    if (sqlite3_open_v2(source.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return Status::failure(
            QStringLiteral("Cannot open %1: %2").arg(shownSource, QString::fromUtf8(sqlite3_errmsg(db))));
    // Exclusive access proves no other program is writing the file right now.
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(
            QStringLiteral("%1 is in use: %2").arg(shownSource, QString::fromUtf8(sqlite3_errmsg(db))));
    // Claim the destination name first (the engine writes into an empty file),
    // so a file that appears meanwhile is never ours to remove.
    const int claim = ::open(QFile::encodeName(destination).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (claim < 0)
        return Status::failure(QStringLiteral("Cannot create %1.").arg(shownDest));
    ::close(claim);
    Statement st;
    if (!st.prepare(db, QStringLiteral("VACUUM INTO ?1"))) {
        QFile::remove(destination);
        return Status::failure(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_bind_text(st.st, 1, destination.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st.st) != SQLITE_DONE) {
        const QString e = QString::fromUtf8(sqlite3_errmsg(db));
        QFile::remove(destination);
        return Status::failure(QStringLiteral("Cannot compact %1: %2").arg(shownSource, e));
    }
    // The copy is on disk before anyone relies on it.
    const int fd = ::open(QFile::encodeName(destination).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        QFile::remove(destination);
        return Status::failure(QStringLiteral("Cannot write %1.").arg(shownDest));
    }
    ::close(fd);
    return Status::success();
}

namespace {
QMutex g_replacedMutex;
std::function<void(const QString &)> g_replacedHandler;
} // namespace

QByteArray fileIdentity(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
}

bool isStillTheFileOpened(const QString &path, const QByteArray &identity)
{
    if (identity.isEmpty() || fileIdentity(path) == identity)
        return true;
    QMutexLocker lock(&g_replacedMutex);
    if (g_replacedHandler)
        g_replacedHandler(path);
    return false;
}

void setReplacedFileHandler(std::function<void(const QString &)> handler)
{
    QMutexLocker lock(&g_replacedMutex);
    g_replacedHandler = std::move(handler);
}

QString replacedFileText(const QString &path)
{
    return QStringLiteral("The diary %1 is no longer the file that was opened (another file was put in its place, "
                          "or it was removed).")
        .arg(QDir::toNativeSeparators(path));
}

DatabaseTrouble databaseTroubleOf(const QString &engineError)
{
    const auto names = [&](std::initializer_list<const char *> texts) {
        return std::any_of(texts.begin(), texts.end(), [&](const char *t) {
            return engineError.contains(QString::fromUtf8(t), Qt::CaseInsensitive);
        });
    };
    if (names({sqlite3_errstr(SQLITE_BUSY), sqlite3_errstr(SQLITE_LOCKED)}))
        return DatabaseTrouble::Locked;
    if (names({sqlite3_errstr(SQLITE_CANTOPEN), sqlite3_errstr(SQLITE_PERM), sqlite3_errstr(SQLITE_READONLY),
               std::strerror(EACCES), std::strerror(EPERM)}))
        return DatabaseTrouble::NoAccess;
    return DatabaseTrouble::Damaged;
}

QString databaseAdvice(const QString &engineError)
{
    switch (databaseTroubleOf(engineError)) {
    case DatabaseTrouble::Locked:
        return QStringLiteral("Another program (or another copy of Tallyfin) is using the file: close it, then "
                              "open this window again.");
    case DatabaseTrouble::NoAccess:
        return QStringLiteral("Check that you are allowed to read and write the file and its folder.");
    case DatabaseTrouble::Damaged:
        break;
    }
    return QStringLiteral("\"Exit & Backup Database\" on the control panel can restore a backup copy or repair "
                          "the file.");
}

QString databaseProblemText(const QString &path, const QString &engineError)
{
    const QString file = QDir::toNativeSeparators(path);
    const QString first = databaseTroubleOf(engineError) == DatabaseTrouble::Locked
                              ? QStringLiteral("The database file %1 is locked.").arg(file)
                              : QStringLiteral("The database file %1 cannot be read.").arg(file);
    return QStringList{first, engineError.trimmed(),
                       databaseAdvice(engineError) + QStringLiteral(" Nothing has been changed.")}
        .join(QLatin1Char('\n'));
}

} // namespace tf
