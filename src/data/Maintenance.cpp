#include "data/Maintenance.h"

#include "data/DataSource.h"
#include "data/PageReader.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QVariant>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace tf {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString lastSystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A file descriptor that closes itself.
class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    bool valid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    // Closes now and reports the outcome: a failed close can mean lost data.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool statPath(const QString &path, struct stat *st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

// Same file or folder on disk, however the two paths are spelled (symbolic
// links, hard links, "..", trailing separators).
bool sameEntry(const QString &a, const QString &b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return statPath(a, &sa) && statPath(b, &sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Makes a rename in the folder survive a power cut. A failure here comes after
// the rename has already happened, so it cannot be undone and is not reported.
void syncFolder(const QString &folder)
{
    Fd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Copies source into a new file in folder, flushed to disk, and returns its path.
// The new file takes the source's permissions rather than the private ones a
// temporary file is made with, since it is about to become the real file.
Status copyToTemporary(const QString &source, const QString &folder, QString *temporary)
{
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.valid())
        return Status::failure(QStringLiteral("Cannot read %1: %2").arg(shown(source), lastSystemError()));
    struct stat st
    {
    };
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Status::failure(QStringLiteral("%1 is not a file.").arg(shown(source)));

    QByteArray name = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".tfn5.mdb.XXXXXX")));
    Fd out(::mkostemp(name.data(), O_CLOEXEC));
    if (!out.valid())
        return Status::failure(QStringLiteral("Cannot write in %1: %2").arg(shown(folder), lastSystemError()));
    auto removeCopy = qScopeGuard([&] { ::unlink(name.constData()); });
    const QString target = QFile::decodeName(name);
    ::fchmod(out.get(), st.st_mode & 0666);

    std::vector<char> buffer(1 << 20);
    qint64 copied = 0;
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Status::failure(QStringLiteral("Cannot read %1: %2").arg(shown(source), lastSystemError()));
        if (n == 0)
            break;
        if (!writeAll(out.get(), buffer.data(), n))
            return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(target), lastSystemError()));
        copied += n;
    }
    if (copied != qint64(st.st_size))
        return Status::failure(QStringLiteral("%1 changed while it was copied.").arg(shown(source)));
    if (::fsync(out.get()) != 0 || !out.close())
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(target), lastSystemError()));
    removeCopy.dismiss();
    *temporary = target;
    return Status::success();
}

// Puts the finished file in place of target in one step; whoever looks sees
// either the old file or the new one, never neither.
Status replaceFile(const QString &finished, const QString &target)
{
    if (::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) != 0)
        return Status::failure(QStringLiteral("Cannot replace %1: %2").arg(shown(target), lastSystemError()));
    syncFolder(QFileInfo(target).absolutePath());
    return Status::success();
}

// The engine's complaint and, where a system call failed under it, the
// system's: "disk I/O error" alone does not tell the user the disk is full.
QString engineError(sqlite3 *db)
{
    QString e = QString::fromUtf8(sqlite3_errmsg(db));
    if (const int system = sqlite3_system_errno(db))
        e += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(system)));
    return e;
}

struct Db
{
    sqlite3 *handle = nullptr;
    ~Db() { sqlite3_close_v2(handle); }
    bool open(const QString &path)
    {
        return sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    }
    QString error() const { return engineError(handle); }
};

bool hasJournal(const QString &database)
{
    for (const char *suffix : {"-journal", "-wal"}) {
        const QFileInfo f(database + QLatin1String(suffix));
        if (f.exists() && f.size() > 0)
            return true;
    }
    return false;
}

// A crash during a save leaves a journal beside the database that the engine
// plays back on the next read. A different file renamed in under that journal
// would have the old file's pages played into it, and a byte copy taken before
// the play-back would be half a save. So the file is opened and read first,
// which plays back a journal that is hot. Whether it is hot is the engine's call,
// not ours: a save killed while its journal was being written leaves one with an
// empty header, which the engine ignores, and the database is whole. Such a
// journal is no unfinished save; it goes, while nobody else can write. A journal
// whose database is gone has nothing left to undo and is removed.
Status settleJournal(const QString &database)
{
    const QString journal = database + QLatin1String("-journal");
    if (!hasJournal(database))
        return Status::success();
    if (!QFileInfo::exists(database)) {
        QFile::remove(journal);
        QFile::remove(database + QLatin1String("-wal"));
        return Status::success();
    }
    QString engineError;
    bool damaged = false;
    {
        Db db;
        if (!db.open(database))
            return Status::failure(QStringLiteral("Cannot open %1: %2").arg(shown(database), db.error()));
        sqlite3_busy_timeout(db.handle, 2000);
        const int rc = sqlite3_exec(db.handle, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            QFile::remove(journal);
            sqlite3_exec(db.handle, "COMMIT", nullptr, nullptr, nullptr);
        } else if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB) {
            damaged = true;
        } else {
            engineError = db.error();
        }
        // A damaged file: the engine looks for a hot journal before it reads
        // any page, so one left now is not hot. It stays, beside its file.
    }
    if (!engineError.isEmpty())
        return Status::failure(QStringLiteral("%1 has an unfinished save that cannot be played back: %2")
                                   .arg(shown(database), engineError));
    if (!damaged && hasJournal(database))
        return Status::failure(
            QStringLiteral("%1 has an unfinished save that cannot be played back.").arg(shown(database)));
    return Status::success();
}

// A backup made before files carried our mark has none; the copy that becomes
// the live file gets it, so the checks of later repairs recognise the file.
Status markAsOurs(const QString &path)
{
    Db db;
    if (!db.open(path))
        return Status::failure(QStringLiteral("Cannot open %1: %2").arg(shown(path), db.error()));
    sqlite3_stmt *st = nullptr;
    qint64 id = -1;
    if (sqlite3_prepare_v2(db.handle, "PRAGMA application_id", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        id = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    if (id != 0)
        return Status::success(); // ours already, or foreign: verification decides
    const QString sql = QStringLiteral("PRAGMA synchronous=FULL; PRAGMA application_id = %1;").arg(kApplicationId);
    if (sqlite3_exec(db.handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(path), db.error()));
    return Status::success();
}

Status refuseWhenOpen(const QString &live)
{
    if (DataSource::openCount(live) > 0)
        return Status::failure(QStringLiteral("%1 is still open in a window of the program.").arg(shown(live)));
    return Status::success();
}

// A backup or restore killed midway leaves its temporary copy (a whole database's
// worth of disk) behind. Only files named exactly as copyToTemporary names them
// are ours to remove.
void removeOurLeftovers(const QString &folder)
{
    static const QRegularExpression ours(QStringLiteral("^\\.tfn5\\.mdb\\.[A-Za-z0-9]{6}$"));
    const QFileInfoList found = QDir(folder).entryInfoList(
        {QStringLiteral(".tfn5.mdb.*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &f : found)
        if (ours.match(f.fileName()).hasMatch())
            QFile::remove(f.filePath());
}

// "<stem> <date>.mdb" in folder, or with " (2)", " (3)"... when that is taken.
QString freeDatedName(const QString &folder, const QString &stem)
{
    const QString date = QDate::currentDate().toString(Qt::ISODate);
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? QStringLiteral("%1 %2.mdb").arg(stem, date)
                                    : QStringLiteral("%1 %2 (%3).mdb").arg(stem, date).arg(n);
        const QFileInfo f(QDir(folder).filePath(name));
        if (!f.exists() && !f.isSymLink())
            return name;
    }
}

// Gives the file a second name and keeps the first: a hard link, or a copy
// where the file system has none. Never replaces anything at newPath.
Status keepUnder(const QString &path, const QString &newPath)
{
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(newPath).constData()) == 0) {
        syncFolder(QFileInfo(newPath).absolutePath());
        return Status::success();
    }
    if (errno == EEXIST)
        return Status::failure(QStringLiteral("%1 already exists.").arg(shown(newPath)));
    QString copy;
    if (Status s = copyToTemporary(path, QFileInfo(newPath).absolutePath(), &copy); !s)
        return s;
    if (::link(QFile::encodeName(copy).constData(), QFile::encodeName(newPath).constData()) != 0 &&
        !QFile::rename(copy, newPath)) {
        QFile::remove(copy);
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(newPath), lastSystemError()));
    }
    QFile::remove(copy);
    syncFolder(QFileInfo(newPath).absolutePath());
    return Status::success();
}

// Moves a file to a new name without replacing anything there.
Status moveAside(const QString &path, const QString &newPath)
{
    if (Status s = keepUnder(path, newPath); !s)
        return s;
    if (!QFile::remove(path))
        return Status::failure(QStringLiteral("Cannot remove %1: %2").arg(shown(path), lastSystemError()));
    syncFolder(QFileInfo(path).absolutePath());
    return Status::success();
}

struct Stmt
{
    sqlite3_stmt *st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
    bool prepare(sqlite3 *db, const QString &sql)
    {
        return sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK;
    }
};

enum class Seek { Row, End, Damaged };

// The first key at or after `from`, as far as the table's pages can be read.
Seek seekKey(sqlite3_stmt *keys, qint64 from, qint64 *key)
{
    sqlite3_reset(keys);
    sqlite3_bind_int64(keys, 1, from);
    const int rc = sqlite3_step(keys);
    if (rc == SQLITE_ROW) {
        *key = sqlite3_column_int64(keys, 0);
        return Seek::Row;
    }
    return rc == SQLITE_DONE ? Seek::End : Seek::Damaged;
}

qint64 halfway(qint64 lo, qint64 hi)
{
    return qint64(quint64(lo) + (quint64(hi) - quint64(lo)) / 2);
}

// Every key of a table that can still be reached, in order. Where the walk runs
// into a page that cannot be read, it looks ever further ahead until a seek
// succeeds, then narrows down to the first key after the damage and goes on
// from there. The keys stepped over count as lost: keys are handed out one after
// the other, so their range is at most the number of rows the damage took (it
// is exactly that where no row between was ever deleted).
// When the damage runs to the end of the table, *openFrom is the first key it may have taken.
std::vector<qint64> reachableKeys(sqlite3_stmt *keys, TableRescue *rescue, qint64 *openFrom)
{
    constexpr qint64 kFirst = std::numeric_limits<qint64>::min();
    constexpr qint64 kLast = std::numeric_limits<qint64>::max();
    std::vector<qint64> found;
    qint64 from = kFirst;
    for (;;) {
        sqlite3_reset(keys);
        sqlite3_bind_int64(keys, 1, from);
        const size_t before = found.size();
        int rc;
        while ((rc = sqlite3_step(keys)) == SQLITE_ROW)
            found.push_back(sqlite3_column_int64(keys, 0));
        if (rc == SQLITE_DONE)
            return found;
        if (found.size() > before && found.back() == kLast)
            return found;
        const qint64 damaged = found.size() > before ? found.back() + 1 : from;
        *openFrom = damaged;

        // Ahead in growing steps until a seek gets past the damage...
        qint64 bad = damaged;
        qint64 good = damaged;
        qint64 key = 0;
        Seek seek = Seek::Damaged;
        for (int shift = 0; seek == Seek::Damaged; ++shift) {
            if (good == kLast) {
                rescue->lostUnknown = true;
                return found;
            }
            bad = good;
            const quint64 room = quint64(kLast) - quint64(damaged);
            good =
                shift >= 64 || room < (quint64(1) << shift) ? kLast : qint64(quint64(damaged) + (quint64(1) << shift));
            seek = seekKey(keys, good, &key);
        }
        // ...then back to the first place it does.
        while (quint64(good) - quint64(bad) > 1) {
            const qint64 mid = halfway(bad, good);
            qint64 k = 0;
            const Seek s = seekKey(keys, mid, &k);
            if (s == Seek::Damaged) {
                bad = mid;
            } else {
                good = mid;
                seek = s;
                key = k;
            }
        }
        if (seek == Seek::End) {
            rescue->lostUnknown = true;
            return found;
        }
        // The program's keys start at 1: damage at the very start of a table
        // took the keys from there.
        rescue->lost += key - std::max<qint64>(damaged, 1);
        from = key;
    }
}

int bindVariant(sqlite3_stmt *st, int i, const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return sqlite3_bind_int64(st, i, v.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(st, i, v.toDouble());
    case QMetaType::QString: {
        const QByteArray utf8 = v.toString().toUtf8();
        return sqlite3_bind_text(st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        return sqlite3_bind_blob(st, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    default:
        return sqlite3_bind_null(st, i);
    }
}

// The damaged file's pages, read directly once a table's tree cannot be walked
// to the end; shared by every table of one repair.
class PageSalvage
{
public:
    PageSalvage(sqlite3 *db, QString path) : m_db(db), m_path(std::move(path)) {}

    std::optional<LeafRows> rowsOf(const QString &table)
    {
        if (!m_tried) {
            m_tried = true;
            m_ok = load();
        }
        return m_ok ? m_reader.tableRows(table) : std::nullopt;
    }

private:
    bool load()
    {
        std::vector<BTreeRoot> trees;
        Stmt st;
        if (!st.prepare(m_db,
                        QStringLiteral("SELECT s.type, s.name, s.rootpage, (SELECT count(*) FROM "
                                       "pragma_table_info(s.name)) FROM sqlite_master AS s WHERE s.rootpage > 0")))
            return false;
        int rc;
        while ((rc = sqlite3_step(st.st)) == SQLITE_ROW)
            trees.push_back({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.st, 1))),
                             sqlite3_column_int64(st.st, 2),
                             qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st.st, 0)), "table") == 0,
                             sqlite3_column_int(st.st, 3)});
        return rc == SQLITE_DONE && m_reader.open(m_path, trees);
    }

    sqlite3 *m_db;
    QString m_path;
    PageReader m_reader;
    bool m_tried = false;
    bool m_ok = false;
};

// Copies every row of one table that can still be read from the damaged file
// into the new one, keeping each row's key. Fails only when the new file cannot
// be written; what cannot be read is counted. Where the engine cannot walk the
// table to its end, the rows its leaf pages still hold are read from the pages.
Status rescueTable(sqlite3 *from, sqlite3 *to, const TableDef &table, TableRescue *rescue, PageSalvage *pages)
{
    const QString name = quoteIdentifier(table.name);
    Stmt exists;
    if (!exists.prepare(from, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                                             "COLLATE NOCASE"))) {
        rescue->lostUnknown = true;
        return Status::success();
    }
    sqlite3_bind_text(exists.st, 1, table.name.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    const int found = sqlite3_step(exists.st);
    if (found == SQLITE_DONE)
        return Status::success(); // the file never had this table: nothing of it is lost
    if (found != SQLITE_ROW) {
        rescue->lostUnknown = true;
        return Status::success();
    }

    // The columns both files know; a column the damaged file lacks stays empty.
    QStringList columns;
    std::vector<int> place; // each copied column's place in the damaged file's records
    {
        Stmt info;
        if (!info.prepare(from, QStringLiteral("SELECT name FROM pragma_table_info(?1)"))) {
            rescue->lostUnknown = true;
            return Status::success();
        }
        sqlite3_bind_text(info.st, 1, table.name.toUtf8().constData(), -1, SQLITE_TRANSIENT);
        QStringList present;
        while (sqlite3_step(info.st) == SQLITE_ROW)
            present << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.st, 0))).toLower();
        for (const QString &c : table.columns)
            if (const qsizetype at = present.indexOf(c.toLower()); at >= 0) {
                columns << quoteIdentifier(c);
                place.push_back(int(at));
            }
    }

    // NOT INDEXED: the walk must follow the table's own pages, whatever state its indexes are in.
    Stmt keys;
    Stmt row;
    if (!keys.prepare(from,
                      QStringLiteral("SELECT rowid FROM %1 NOT INDEXED WHERE rowid >= ?1 ORDER BY rowid").arg(name)) ||
        !row.prepare(from,
                     QStringLiteral("SELECT %1 FROM %2 NOT INDEXED WHERE rowid = ?1")
                         .arg(columns.isEmpty() ? QStringLiteral("NULL") : columns.join(QStringLiteral(", ")), name))) {
        rescue->lostUnknown = true;
        return Status::success();
    }
    QStringList places(columns.size() + 1, QString());
    for (int i = 0; i < places.size(); ++i)
        places[i] = QStringLiteral("?%1").arg(i + 1);
    Stmt insert;
    if (!insert.prepare(to,
                        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(name, (QStringList{quoteIdentifier(kKeyColumn)} + columns).join(QStringLiteral(", ")),
                                 places.join(QStringLiteral(", ")))))
        return Status::failure(engineError(to));

    qint64 openFrom = std::numeric_limits<qint64>::max();
    std::unordered_set<qint64> savedKeys;
    for (const qint64 key : reachableKeys(keys.st, rescue, &openFrom)) {
        sqlite3_reset(row.st);
        sqlite3_bind_int64(row.st, 1, key);
        if (sqlite3_step(row.st) != SQLITE_ROW) {
            ++rescue->lost;
            continue;
        }
        sqlite3_reset(insert.st);
        sqlite3_bind_int64(insert.st, 1, key);
        for (int i = 0; i < columns.size(); ++i)
            sqlite3_bind_value(insert.st, i + 2, sqlite3_column_value(row.st, i));
        if (sqlite3_step(insert.st) != SQLITE_DONE)
            return Status::failure(engineError(to));
        ++rescue->saved;
        savedKeys.insert(key);
    }
    if (rescue->lost == 0 && !rescue->lostUnknown)
        return Status::success();

    const std::optional<LeafRows> leaves = pages->rowsOf(table.name);
    if (!leaves)
        return Status::success();
    qint64 foundInGaps = 0;
    for (const PageRow &r : leaves->rows) {
        if (savedKeys.count(r.rowid))
            continue;
        sqlite3_reset(insert.st);
        sqlite3_clear_bindings(insert.st);
        sqlite3_bind_int64(insert.st, 1, r.rowid);
        for (int i = 0; i < columns.size(); ++i)
            bindVariant(insert.st, i + 2, r.values[size_t(place[size_t(i)])]);
        if (sqlite3_step(insert.st) != SQLITE_DONE)
            return Status::failure(engineError(to));
        ++rescue->saved;
        if (r.rowid < openFrom)
            ++foundInGaps;
    }
    if (leaves->unexplainedPages == 0) {
        // Every page of the file is accounted for: what the table's pages hold was read.
        rescue->lost = leaves->unreadableCells;
        rescue->lostUnknown = false;
    } else {
        rescue->lost = std::max<qint64>(0, rescue->lost - foundInGaps) + leaves->unreadableCells;
    }
    return Status::success();
}

// Builds a new database at `target` from whatever can still be read of the
// damaged `source`. The new file carries our mark only once every row is in:
// a repair killed before that leaves a file the next repair knows as unfinished.
Status rescueInto(const QString &source, const QString &target, RepairResult *result)
{
    if (Status s = createDatabase(target); !s)
        return s;
    Db to;
    if (!to.open(target))
        return Status::failure(QStringLiteral("Cannot open %1: %2").arg(shown(target), to.error()));
    if (sqlite3_exec(to.handle, "PRAGMA application_id = 0; PRAGMA synchronous = FULL; BEGIN; DELETE FROM Register;",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(target), to.error()));

    sqlite3 *from = nullptr;
    auto closeFrom = qScopeGuard([&] { sqlite3_close_v2(from); });
    const int opened = sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    QString unreadable;
    if (opened == SQLITE_OK) {
        // Each page's cells are checked as it is read, so damage shows up as an
        // error rather than as wrong rows; a file shorter than its header says
        // is read as far as it goes instead of being refused outright.
        sqlite3_exec(from, "PRAGMA cell_size_check = ON; PRAGMA writable_schema = ON", nullptr, nullptr, nullptr);
        if (sqlite3_exec(from, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
            unreadable = QString::fromUtf8(sqlite3_errmsg(from));
    } else {
        unreadable = QString::fromUtf8(sqlite3_errmsg(from));
    }

    qint64 saved = 0;
    PageSalvage pages(from, source);
    for (const TableDef &t : schemaTables()) {
        TableRescue rescue;
        rescue.table = t.name;
        if (unreadable.isEmpty()) {
            if (Status s = rescueTable(from, to.handle, t, &rescue, &pages); !s)
                return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(target), s.error));
        } else {
            rescue.lostUnknown = true;
        }
        saved += rescue.saved;
        result->tables.push_back(rescue);
    }
    if (saved == 0) {
        result->nothingSaved = true;
        return Status::failure(unreadable.isEmpty()
                                   ? QStringLiteral("No row of %1 could be read.").arg(shown(source))
                                   : QStringLiteral("%1 cannot be read: %2").arg(shown(source), unreadable));
    }
    // The owner's row is the one row the program never adds; a diary without it
    // could not show or edit whose it is, so the empty one a new file has comes back.
    const QString finish = QStringLiteral("INSERT INTO Register (Name, Address, City) SELECT '', '', '' "
                                          "WHERE NOT EXISTS (SELECT 1 FROM Register); COMMIT; "
                                          "PRAGMA application_id = %1;")
                               .arg(kApplicationId);
    if (sqlite3_exec(to.handle, finish.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(shown(target), to.error()));
    return Status::success();
}

// A tfn51.mdb already there: an interrupted repair's unfinished file is moved
// out of the way under a dated name; a whole database of ours may be the only
// copy of somebody's diary (a repair that stopped before its last step) and is
// left for the user, with what to do about it.
Status clearRepairFile(const QString &programFolder, RepairResult *result)
{
    const QString compacted = QDir(programFolder).filePath(kRepairFileName);
    const QFileInfo info(compacted);
    if (!info.exists() && !info.isSymLink())
        return Status::success();
    if (info.isFile() && !info.isSymLink() && !verifyDatabase(compacted)) {
        const QString aside = freeDatedName(programFolder, QStringLiteral("tfn51 unfinished"));
        if (Status s = moveAside(compacted, QDir(programFolder).filePath(aside)); !s)
            return s;
        result->movedAside = aside;
        return Status::success();
    }
    const QVariant trips = [&]() -> QVariant {
        Db db;
        if (sqlite3_open_v2(compacted.toUtf8().constData(), &db.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return {};
        Stmt st;
        if (!st.prepare(db.handle, QStringLiteral("SELECT count(*) FROM Log")) || sqlite3_step(st.st) != SQLITE_ROW)
            return {};
        return sqlite3_column_int64(st.st, 0);
    }();
    return Status::failure(
        QStringLiteral("%1 is a whole diary (%2 fishing logs) left by an earlier repair. If it holds your latest "
                       "trips, give it the name %3 in place of the one there now; if not, move it out of this "
                       "folder. Then repair again.")
            .arg(shown(compacted), trips.isValid() ? trips.toString() : QStringLiteral("?"), kDatabaseFileName));
}

} // namespace

QString formatSize(qint64 bytes, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(l.numberOptions() | QLocale::OmitGroupSeparator);
    return l.toString(double(bytes) / 1024.0, 'g', 15) + QStringLiteral(" KB");
}

Status backupDatabase(const QString &programFolder, const QString &destinationFolder)
{
    const QString live = QDir(programFolder).filePath(kDatabaseFileName);
    const QString target = QDir(destinationFolder).filePath(kDatabaseFileName);
    if (Status s = refuseWhenOpen(live); !s)
        return s;
    if (!QFileInfo(live).isFile())
        return Status::failure(QStringLiteral("Cannot find %1.").arg(shown(live)));
    if (sameEntry(programFolder, destinationFolder) || sameEntry(live, target))
        return Status::failure(
            QStringLiteral("%1 cannot be copied onto itself: choose a folder other than Tallyfin's own.")
                .arg(shown(live)));
    if (!QFileInfo(destinationFolder).isDir())
        return Status::failure(QStringLiteral("%1 is not a folder.").arg(shown(destinationFolder)));
    if (Status s = settleJournal(live); !s)
        return s;
    // Before the new copy, so a full drive has the room back.
    removeOurLeftovers(destinationFolder);

    QString copy;
    if (Status s = copyToTemporary(live, destinationFolder, &copy); !s)
        return s;
    auto removeCopy = qScopeGuard([&] { QFile::remove(copy); });
    if (Status s = replaceFile(copy, target); !s)
        return s;
    removeCopy.dismiss();
    return Status::success();
}

Status restoreDatabase(const QString &programFolder, const QString &sourceFolder)
{
    const QString live = QDir(programFolder).filePath(kDatabaseFileName);
    const QString backup = QDir(sourceFolder).filePath(kDatabaseFileName);
    if (Status s = refuseWhenOpen(live); !s)
        return s;
    if (!QFileInfo::exists(backup))
        return Status::failure(QStringLiteral("There is no %1.").arg(shown(backup)));
    if (sameEntry(programFolder, sourceFolder) || sameEntry(live, backup))
        return Status::failure(QStringLiteral("%1 is the database in use.").arg(shown(backup)));
    // Files written before our mark existed are accepted; other programs' files are not.
    if (Status s = verifyDatabase(backup, VerifyOptions{.requireApplicationId = false}); !s)
        return s;
    removeOurLeftovers(programFolder);

    QString copy;
    if (Status s = copyToTemporary(backup, programFolder, &copy); !s)
        return s;
    auto removeCopy = qScopeGuard([&] { QFile::remove(copy); });
    // The copy is checked again: the backup may have changed, or been read
    // wrongly, since it was checked.
    if (Status s = markAsOurs(copy); !s)
        return s;
    if (Status s = verifyDatabase(copy); !s)
        return s;
    if (Status s = settleJournal(live); !s)
        return s;
    if (Status s = replaceFile(copy, live); !s)
        return s;
    removeCopy.dismiss();
    return Status::success();
}

RepairResult repairDatabase(const QString &programFolder)
{
    const QString live = QDir(programFolder).filePath(kDatabaseFileName);
    const QString compacted = QDir(programFolder).filePath(kRepairFileName);
    RepairResult result;
    auto fail = [&](Status s) {
        result.status = std::move(s);
        result.newSize = -1;
        return result;
    };
    if (Status s = refuseWhenOpen(live); !s)
        return fail(s);
    if (!QFileInfo(live).isFile())
        return fail(Status::failure(QStringLiteral("Cannot find %1.").arg(shown(live))));
    if (Status s = clearRepairFile(programFolder, &result); !s)
        return fail(s);
    if (Status s = settleJournal(live); !s)
        return fail(s);

    // Another program's file is not ours to rewrite, damaged or not.
    {
        Db db;
        qint64 id = 0;
        if (sqlite3_open_v2(live.toUtf8().constData(), &db.handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            Stmt st;
            if (st.prepare(db.handle, QStringLiteral("PRAGMA application_id")) && sqlite3_step(st.st) == SQLITE_ROW)
                id = sqlite3_column_int64(st.st, 0);
        }
        if (id != 0 && id != kApplicationId)
            return fail(Status::failure(QStringLiteral("%1 is not a Tallyfin database.").arg(shown(live))));
    }

    auto removeCompacted = qScopeGuard([&] { QFile::remove(compacted); });
    result.rescued = !verifyDatabase(live, VerifyOptions{.requireApplicationId = false});
    if (!result.rescued) {
        if (Status s = DataSource::compact(live, compacted); !s)
            return fail(s);
        if (Status s = markAsOurs(compacted); !s)
            return fail(s);
    } else if (Status s = rescueInto(live, compacted, &result); !s) {
        return fail(s);
    }
    if (Status s = verifyDatabase(compacted); !s)
        return fail(s);

    if (result.rescued) {
        // The damaged original is never deleted: it keeps a dated name, and a
        // journal the engine left beside it goes with it.
        const QString kept = freeDatedName(programFolder, QStringLiteral("tfn5 damaged"));
        const QString keptPath = QDir(programFolder).filePath(kept);
        if (Status s = keepUnder(live, keptPath); !s)
            return fail(s);
        result.keptOriginal = kept;
        if (QFileInfo::exists(live + QLatin1String("-journal")))
            QFile::rename(live + QLatin1String("-journal"), keptPath + QLatin1String("-journal"));
    }
    if (Status s = replaceFile(compacted, live); !s)
        return fail(s);
    removeCompacted.dismiss();

    const QFileInfo repaired(live);
    result.newSize = repaired.exists() ? repaired.size() : -1;
    return result;
}

} // namespace tf
