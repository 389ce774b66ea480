#include "data/Maintenance.h"

#include "data/DataSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

struct Db
{
    sqlite3 *handle = nullptr;
    ~Db() { sqlite3_close_v2(handle); }
    bool open(const QString &path)
    {
        return sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(handle)); }
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
// the play-back would be half a save. So the journal is played back first; one
// whose database is gone has nothing left to undo and is removed.
Status settleJournal(const QString &database)
{
    if (!hasJournal(database))
        return Status::success();
    if (QFileInfo::exists(database)) {
        Db db;
        if (db.open(database)) {
            sqlite3_busy_timeout(db.handle, 2000);
            sqlite3_exec(db.handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        }
    } else {
        QFile::remove(database + QLatin1String("-journal"));
        QFile::remove(database + QLatin1String("-wal"));
    }
    if (hasJournal(database))
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
        return Status::failure(QStringLiteral("%1 cannot be copied onto itself.").arg(shown(live)));
    if (Status s = settleJournal(live); !s)
        return s;

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
    if (Status s = refuseWhenOpen(live); !s)
        return {s};
    if (!QFileInfo(live).isFile())
        return {Status::failure(QStringLiteral("Cannot find %1.").arg(shown(live)))};
    // A leftover may be the only copy of somebody's data: it is never overwritten
    // or removed here.
    if (QFileInfo::exists(compacted) || QFileInfo(compacted).isSymLink())
        return {Status::failure(QStringLiteral("%1 is left from an earlier repair.").arg(shown(compacted)))};

    if (Status s = DataSource::compact(live, compacted); !s)
        return {s};
    auto removeCompacted = qScopeGuard([&] { QFile::remove(compacted); });
    if (Status s = markAsOurs(compacted); !s)
        return {s};
    if (Status s = verifyDatabase(compacted); !s)
        return {s};
    if (Status s = settleJournal(live); !s)
        return {s};
    if (Status s = replaceFile(compacted, live); !s)
        return {s};
    removeCompacted.dismiss();

    const QFileInfo repaired(live);
    return {Status::success(), repaired.exists() ? repaired.size() : -1};
}

} // namespace tf
