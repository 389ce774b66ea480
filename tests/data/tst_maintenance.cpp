#include "TestFolder.h"
#include "data/DataSource.h"
#include "data/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Enough trips that the file spans many pages.
bool addTrips(const QString &db, int count)
{
    return execSql(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                      "INSERT INTO Log (Lake, Notes) SELECT 'Lake ' || i, hex(zeroblob(150)) FROM n")
                           .arg(count));
}

bool setOwner(const QString &db, const QString &name)
{
    return execSql(db, QStringLiteral("UPDATE Register SET Name = '%1'").arg(name));
}

QString owner(const QString &db)
{
    return querySingle(db, "SELECT Name FROM Register").toString();
}

// Every write to a file past `bytes` fails, for root as for anyone: the way to
// make a copy that cannot be written when permissions do not bind (tests run as
// root, which writes into read-only folders anyway).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Leaves db as a crash in the middle of a save leaves it: the file already holds
// some of the new pages (the engine spilled them early) and db-journal the old.
void leaveCrashedSave(const QString &db)
{
    const QByteArray committed = readAll(db);
    const QString stash = db + QStringLiteral(".crashed");
    sqlite3 *h = nullptr;
    QCOMPARE(sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(h, "PRAGMA cache_size = 2; BEGIN; UPDATE Log SET Notes = 'uncommitted';", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    QVERIFY(QFile::copy(db, stash));
    QVERIFY(QFile::copy(db + "-journal", stash + "-journal"));
    sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    QVERIFY2(readAll(stash) != committed, "the save never reached the file; the fixture proves nothing");
    QVERIFY(QFile::remove(db));
    QVERIFY(QFile::rename(stash, db));
    QVERIFY(QFile::rename(stash + "-journal", db + "-journal"));
}

// The page numbers of a table's leaves, in key order.
QList<int> leafPages(const QString &db, const QString &table)
{
    QList<int> pages;
    sqlite3 *h = nullptr;
    sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "SELECT pageno FROM dbstat WHERE name = ?1 AND pagetype = 'leaf' ORDER BY path", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, table.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW)
        pages << sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return pages;
}

// Overwrites one 4096-byte page of the file (pages count from 1).
bool damagePage(const QString &db, int page, bool zero)
{
    QByteArray bytes = readAll(db);
    const qsizetype at = qsizetype(page - 1) * 4096;
    if (at + 4096 > bytes.size())
        return false;
    if (zero)
        bytes.replace(at, 4096, QByteArray(4096, '\0'));
    else
        bytes[at] = char(bytes[at] ^ 0x01); // the page type: no longer a table leaf
    return writeAll(db, bytes);
}

// The journal of a save killed while its header was being written: the engine
// sees an empty header and does not play it back.
bool leaveIgnoredJournal(const QString &db)
{
    QByteArray journal(4096 + 8, '\0');
    journal.replace(512, 4, QByteArray("\x00\x00\x00\x02", 4));
    journal.replace(516, 30, QByteArray(30, 'x'));
    return writeAll(db + "-journal", journal);
}

const TableRescue *rescueOf(const RepairResult &r, const QString &table)
{
    for (const TableRescue &t : r.tables)
        if (t.table == table)
            return &t;
    return nullptr;
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_program; // program folder with the live tfn5.mdb
    QString m_backup;  // the user's backup folder
    QString m_live;
    QByteArray m_liveBytes;

    QString backupFile() const { return QDir(m_backup).filePath(kDatabaseFileName); }
    QString repairFile() const { return QDir(m_program).filePath(kRepairFileName); }

    void liveUnchanged()
    {
        QCOMPARE(readAll(m_live), m_liveBytes);
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
    }

private slots:
    void init()
    {
        static int n = 0;
        ++n;
        m_program = m_root.filePath(QStringLiteral("program%1").arg(n));
        m_backup = m_root.filePath(QStringLiteral("backup%1").arg(n));
        QVERIFY(QDir().mkpath(m_program));
        QVERIFY(QDir().mkpath(m_backup));
        m_live = QDir(m_program).filePath(kDatabaseFileName);
        makeDatabase(m_live);
        QVERIFY(addTrips(m_live, 300));
        QVERIFY(setOwner(m_live, "Live Owner"));
        m_liveBytes = readAll(m_live);
    }

    void formatSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("fraction") << qint64(123456) << us << "120.5625 KB";
        QTest::newRow("whole kilobytes") << qint64(102400) << us << "100 KB";
        QTest::newRow("empty") << qint64(0) << us << "0 KB";
        QTest::newRow("one byte, no exponent") << qint64(1) << us << "0.0009765625 KB";
        QTest::newRow("fifteen digits, no grouping") << qint64(1234567890) << us << "1205632.70507813 KB";
        QTest::newRow("German comma") << qint64(123456) << de << "120,5625 KB";
        QTest::newRow("German, no grouping") << qint64(1234567890) << de << "1205632,70507813 KB";
    }
    void formatSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        QCOMPARE(tf::formatSize(bytes, locale), shown);
    }

    void formatSizeFollowsTheUsersLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString shown = tf::formatSize(123456);
        useTestLocale();
        QCOMPARE(shown, QStringLiteral("120,5625 KB"));
    }

    void restoreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"no tfn5.mdb", "text file", "truncated", "bit flipped", "another program's id", "none of our tables",
              "a table missing", "the live file itself", "folder is a file", "program folder cannot be written"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void restoreRefused()
    {
        QFETCH(QString, kind);
        QString folder = m_backup;
        makeDatabase(backupFile());
        QVERIFY(addTrips(backupFile(), 300));
        const QByteArray good = readAll(backupFile());
        if (kind == "no tfn5.mdb") {
            QVERIFY(QFile::rename(backupFile(), QDir(m_backup).filePath("other.mdb")));
        } else if (kind == "text file") {
            QVERIFY(writeAll(backupFile(), "These are my fishing notes.\n"));
        } else if (kind == "truncated") {
            QVERIFY(writeAll(backupFile(), good.left(good.size() / 2 + 100)));
        } else if (kind == "bit flipped") {
            // The type byte of the first table's root page: 4096-byte pages.
            QByteArray flipped = good;
            flipped[4096] = char(flipped[4096] ^ 0x01);
            QVERIFY(writeAll(backupFile(), flipped));
        } else if (kind == "another program's id") {
            QVERIFY(execSql(backupFile(), "PRAGMA application_id = 1234567"));
        } else if (kind == "none of our tables") {
            QVERIFY(QFile::remove(backupFile()));
            sqlite3 *h = nullptr;
            QCOMPARE(sqlite3_open(backupFile().toUtf8().constData(), &h), SQLITE_OK);
            QCOMPARE(sqlite3_exec(h, "CREATE TABLE Recipes (Name TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(h);
        } else if (kind == "a table missing") {
            QVERIFY(execSql(backupFile(), "DROP TABLE Boat"));
        } else if (kind == "the live file itself") {
            folder = m_program;
        } else if (kind == "folder is a file") {
            folder = QDir(m_backup).filePath("notes.txt");
            QVERIFY(writeAll(folder, "not a folder"));
        }

        Status s;
        if (kind == "program folder cannot be written") {
            const FileSizeLimit limit(8192);
            s = restoreDatabase(m_program, folder);
        } else {
            s = restoreDatabase(m_program, folder);
        }
        QVERIFY(!s.ok);
        QVERIFY(!s.error.isEmpty());
        liveUnchanged();
    }

    void restoreInstallsTheBackup_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"plain", "written before files were marked", "live file lost", "backup folder read-only"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void restoreInstallsTheBackup()
    {
        QFETCH(QString, kind);
        makeDatabase(backupFile());
        QVERIFY(setOwner(backupFile(), "Backup Owner"));
        if (kind == "written before files were marked")
            QVERIFY(execSql(backupFile(), "PRAGMA application_id = 0"));
        if (kind == "live file lost")
            QVERIFY(QFile::remove(m_live));
        const QByteArray backupBytes = readAll(backupFile());
        // Reading needs no write access (only binds when not run as root).
        if (kind == "backup folder read-only")
            QVERIFY(QFile::setPermissions(m_backup, QFile::ReadOwner | QFile::ExeOwner));

        const Status s = restoreDatabase(m_program, m_backup);
        QFile::setPermissions(m_backup, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(owner(m_live), QStringLiteral("Backup Owner"));
        QCOMPARE(querySingle(m_live, "PRAGMA application_id").toInt(), kApplicationId);
        QVERIFY(verifyDatabase(m_live).ok);
        QCOMPARE(readAll(backupFile()), backupBytes);
        if (kind != "written before files were marked")
            QCOMPARE(readAll(m_live), backupBytes);
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
        QCOMPARE(QFileInfo(m_live).permissions(), QFileInfo(backupFile()).permissions());
    }

    // The journal a crash left beside the live file belongs to that file: it
    // must never be played into the restored one.
    void restoreOverACrashedSave()
    {
        leaveCrashedSave(m_live);
        makeDatabase(backupFile());
        QVERIFY(setOwner(backupFile(), "Backup Owner"));
        const Status s = restoreDatabase(m_program, m_backup);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
        QVERIFY(verifyDatabase(m_live).ok);
        QCOMPARE(owner(m_live), QStringLiteral("Backup Owner"));
        QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log").toInt(), 0);
    }

    void backupCopiesAndReplacesAnEarlierOne()
    {
        Status s = backupDatabase(m_program, m_backup);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(readAll(backupFile()), m_liveBytes);
        QCOMPARE(entries(m_backup), QStringList{kDatabaseFileName});

        QVERIFY(setOwner(m_live, "Changed Owner"));
        s = backupDatabase(m_program, m_backup);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(readAll(backupFile()), readAll(m_live));
        QCOMPARE(owner(backupFile()), QStringLiteral("Changed Owner"));
        QCOMPARE(entries(m_backup), QStringList{kDatabaseFileName});
    }

    // A copy taken under a crash journal would hold half a save.
    void backupOfACrashedSaveHoldsTheLastCompleteSave()
    {
        leaveCrashedSave(m_live);
        const Status s = backupDatabase(m_program, m_backup);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(entries(m_backup), QStringList{kDatabaseFileName});
        QVERIFY(verifyDatabase(backupFile()).ok);
        QCOMPARE(querySingle(backupFile(), "SELECT count(*) FROM Log WHERE Notes = 'uncommitted'").toInt(), 0);
        QCOMPARE(querySingle(backupFile(), "SELECT count(*) FROM Log").toInt(), 300);
    }

    void backupRefused_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"program folder", "program folder by another path", "folder is a file",
                                 "folder does not exist", "copy cannot be written", "live file missing"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void backupRefused()
    {
        QFETCH(QString, kind);
        // An earlier backup that must survive whatever happens.
        makeDatabase(backupFile());
        QVERIFY(setOwner(backupFile(), "Earlier Backup"));
        const QByteArray earlier = readAll(backupFile());
        QString folder = m_backup;
        if (kind == "program folder") {
            folder = m_program;
        } else if (kind == "program folder by another path") {
            folder = m_root.filePath("link-to-program");
            QVERIFY(QFile::link(m_program, folder));
        } else if (kind == "folder is a file") {
            folder = QDir(m_backup).filePath("notes.txt");
            QVERIFY(writeAll(folder, "not a folder"));
        } else if (kind == "folder does not exist") {
            folder = m_root.filePath("missing/deeper");
        } else if (kind == "live file missing") {
            QVERIFY(QFile::rename(m_live, m_live + ".away"));
        }
        const QStringList before = entries(m_backup);

        Status s;
        if (kind == "copy cannot be written") {
            const FileSizeLimit limit(8192);
            s = backupDatabase(m_program, folder);
        } else {
            s = backupDatabase(m_program, folder);
        }
        QVERIFY(!s.ok);
        QCOMPARE(readAll(backupFile()), earlier);
        QCOMPARE(entries(m_backup), before);
        if (kind == "live file missing")
            QVERIFY(QFile::rename(m_live + ".away", m_live));
        liveUnchanged();
    }

    void repairCompacts()
    {
        QVERIFY(execSql(m_live, "DELETE FROM Log WHERE rowid > 10"));
        const qint64 before = QFileInfo(m_live).size();
        const RepairResult r = repairDatabase(m_program);
        QVERIFY2(r.status.ok, qPrintable(r.status.error));
        QCOMPARE(r.newSize, QFileInfo(m_live).size());
        QVERIFY(r.newSize < before);
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
        QVERIFY(verifyDatabase(m_live).ok);
        QCOMPARE(owner(m_live), QStringLiteral("Live Owner"));
        QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log").toInt(), 10);
    }

    // A save killed while writing its journal's header leaves the database whole
    // and a journal the engine does not play back; it must not block anything.
    void journalTheEngineIgnores_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("backup") << "backup";
        QTest::newRow("restore") << "restore";
        QTest::newRow("repair") << "repair";
    }
    void journalTheEngineIgnores()
    {
        QFETCH(QString, operation);
        QVERIFY(leaveIgnoredJournal(m_live));
        // The engine reads the file as it is, journal or not.
        QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log").toInt(), 300);
        QVERIFY(QFileInfo::exists(m_live + "-journal"));
        makeDatabase(backupFile());
        QVERIFY(setOwner(backupFile(), "Backup Owner"));
        Status s;
        if (operation == "backup") {
            QVERIFY(QFile::remove(backupFile()));
            s = backupDatabase(m_program, m_backup);
            QCOMPARE(readAll(backupFile()), m_liveBytes);
        } else if (operation == "restore") {
            s = restoreDatabase(m_program, m_backup);
            QCOMPARE(owner(m_live), QStringLiteral("Backup Owner"));
        } else {
            const RepairResult r = repairDatabase(m_program);
            s = r.status;
            QVERIFY(!r.rescued);
            QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log").toInt(), 300);
        }
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
    }

    // What an interrupted repair leaves as tfn51.mdb is moved aside under a dated
    // name, never destroyed, and the repair goes on.
    void repairMovesAnUnfinishedLeftoverAside_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"zero bytes", "junk", "half a compaction", "a rescue before its last step"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void repairMovesAnUnfinishedLeftoverAside()
    {
        QFETCH(QString, kind);
        if (kind == "zero bytes") {
            QVERIFY(writeAll(repairFile(), QByteArray()));
        } else if (kind == "junk") {
            QVERIFY(writeAll(repairFile(), "half a file"));
        } else if (kind == "half a compaction") {
            QVERIFY(writeAll(repairFile(), m_liveBytes.left(m_liveBytes.size() / 2)));
        } else {
            makeDatabase(repairFile());
            QVERIFY(addTrips(repairFile(), 5));
            QVERIFY(execSql(repairFile(), "PRAGMA application_id = 0"));
        }
        const QByteArray leftover = readAll(repairFile());
        const RepairResult r = repairDatabase(m_program);
        QVERIFY2(r.status.ok, qPrintable(r.status.error));
        const QString aside = QStringLiteral("tfn51 unfinished %1.mdb").arg(QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(r.movedAside, aside);
        QCOMPARE(entries(m_program), (QStringList{kDatabaseFileName, aside}));
        QCOMPARE(readAll(QDir(m_program).filePath(aside)), leftover);
        QVERIFY(verifyDatabase(m_live).ok);
        QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log").toInt(), 300);

        // A second one on the same day gets a name of its own.
        QVERIFY(writeAll(repairFile(), "again"));
        const RepairResult again = repairDatabase(m_program);
        QVERIFY2(again.status.ok, qPrintable(again.status.error));
        QCOMPARE(again.movedAside,
                 QStringLiteral("tfn51 unfinished %1 (2).mdb").arg(QDate::currentDate().toString(Qt::ISODate)));
        QCOMPARE(readAll(QDir(m_program).filePath(aside)), leftover);
    }

    // A damaged file: every row that can be read comes back, the original is
    // kept under a dated name, and the counts say what was saved and lost.
    void repairRescuesADamagedFile_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"a page of Log zeroed", "a Log page's type flipped", "two pages of Log zeroed",
                                 "truncated", "a table missing", "Log's root page damaged", "Log's keys misrouted",
                                 "Log's root page damaged after a delete"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void repairRescuesADamagedFile()
    {
        QFETCH(QString, kind);
        QVERIFY(execSql(m_live, "INSERT INTO Contacts (Name) VALUES ('Ray Reel')"));
        const QList<int> leaves = leafPages(m_live, "Log");
        QVERIFY(leaves.size() > 10);
        if (kind == "a page of Log zeroed") {
            QVERIFY(damagePage(m_live, leaves.at(5), true));
        } else if (kind == "a Log page's type flipped") {
            QVERIFY(damagePage(m_live, leaves.at(3), false));
        } else if (kind == "two pages of Log zeroed") {
            QVERIFY(damagePage(m_live, leaves.at(0), true));
            QVERIFY(damagePage(m_live, leaves.at(7), true));
        } else if (kind == "truncated") {
            const QByteArray bytes = readAll(m_live);
            QVERIFY(writeAll(m_live, bytes.left(qsizetype(leaves.at(leaves.size() - 3) - 1) * 4096)));
        } else if (kind.startsWith("Log's root page damaged")) {
            // Freed pages keep the deleted rows' bytes; they must not come back.
            if (kind.endsWith("delete"))
                QVERIFY(execSql(m_live, "PRAGMA secure_delete = OFF; DELETE FROM Log WHERE _key BETWEEN 101 AND 200"));
            QVERIFY(damageTablePage("Log", m_live, false));
        } else if (kind == "Log's keys misrouted") {
            QVERIFY(misrouteTableKeys("Log", m_live, 5));
        } else {
            QVERIFY(execSql(m_live, "DROP TABLE Boat"));
        }
        QVERIFY(!verifyDatabase(m_live).ok);
        const QByteArray damaged = readAll(m_live);

        const RepairResult r = repairDatabase(m_program);
        QVERIFY2(r.status.ok, qPrintable(r.status.error));
        QVERIFY(r.rescued);
        QCOMPARE(r.newSize, QFileInfo(m_live).size());
        const QString kept = QStringLiteral("tfn5 damaged %1.mdb").arg(QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(r.keptOriginal, kept);
        QCOMPARE(entries(m_program), (QStringList{kept, kDatabaseFileName}));
        QCOMPARE(readAll(QDir(m_program).filePath(kept)), damaged);
        QVERIFY(verifyDatabase(m_live).ok);
        QCOMPARE(int(r.tables.size()), int(schemaTables().size()));

        const int trips = querySingle(m_live, "SELECT count(*) FROM Log").toInt();
        const TableRescue *log = rescueOf(r, "Log");
        QVERIFY(log);
        QCOMPARE(log->saved, qint64(trips));
        QVERIFY2(trips >= 200, qPrintable(QString::number(trips)));
        if (kind == "a table missing" || kind.startsWith("Log's")) {
            // Every leaf page is whole: rows the tree no longer leads to are read from the pages.
            QCOMPARE(trips, kind.endsWith("delete") ? 200 : 300);
            QCOMPARE(log->lost, 0);
            QVERIFY(!log->lostUnknown);
        } else if (kind == "truncated") {
            QVERIFY(trips < 300);
            QVERIFY(log->lostUnknown || log->lost >= 300 - trips);
        } else {
            // Keys follow one another here, so what was stepped over is exactly what was lost.
            QVERIFY(!log->lostUnknown);
            QVERIFY(log->lost > 0);
            QCOMPARE(log->saved + log->lost, 300);
        }
        // Rows keep their keys, their texts, and the other tables come through whole.
        QCOMPARE(querySingle(m_live, "SELECT count(*) FROM Log WHERE Lake <> 'Lake ' || _key").toInt(), 0);
        QCOMPARE(owner(m_live), QStringLiteral("Live Owner"));
        QCOMPARE(querySingle(m_live, "SELECT Name FROM Contacts").toString(), QStringLiteral("Ray Reel"));
        QCOMPARE(rescueOf(r, "Contacts")->saved, 1);
        QCOMPARE(querySingle(m_live, "PRAGMA application_id").toInt(), kApplicationId);
    }

    // Nothing at all can be read: the file stays as it is, and the result says so.
    void repairOfAnUnreadableFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("first page zeroed") << QByteArray();
        QTest::newRow("not a database") << QByteArray(20000, 'x');
    }
    void repairOfAnUnreadableFile()
    {
        QFETCH(QByteArray, content);
        if (content.isEmpty())
            QVERIFY(damagePage(m_live, 1, true));
        else
            QVERIFY(writeAll(m_live, content));
        const QByteArray before = readAll(m_live);
        const RepairResult r = repairDatabase(m_program);
        QVERIFY(!r.status.ok);
        QVERIFY(r.nothingSaved);
        QVERIFY(!r.status.error.isEmpty());
        QCOMPARE(readAll(m_live), before);
        QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
    }

    // A backup or restore killed midway leaves its hidden copy; the next one into
    // that folder removes it, and only it.
    void ownLeftoversRemoved_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("backup") << "backup";
        QTest::newRow("restore") << "restore";
    }
    void ownLeftoversRemoved()
    {
        QFETCH(QString, operation);
        makeDatabase(backupFile());
        const QString folder = operation == "backup" ? m_backup : m_program;
        const QStringList others{".tfn5.mdb.notes", ".tfn5.mdb.AbC1234", "tfn5.mdb.AbC123", ".tfn5.mdbXAbC123"};
        for (const QString &name : others)
            QVERIFY(writeAll(QDir(folder).filePath(name), "keep me"));
        QVERIFY(writeAll(QDir(folder).filePath(".tfn5.mdb.AbC123"), m_liveBytes));
        QVERIFY(writeAll(QDir(folder).filePath(".tfn5.mdb.z9Y8x7"), m_liveBytes.left(5000)));
        const Status s =
            operation == "backup" ? backupDatabase(m_program, m_backup) : restoreDatabase(m_program, m_backup);
        QVERIFY2(s.ok, qPrintable(s.error));
        QStringList expected = others;
        expected << kDatabaseFileName;
        expected.sort();
        QCOMPARE(entries(folder), expected);
    }

    void repairRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("leftover"); // a tfn51.mdb was there before and must stay as it was
        QTest::newRow("leftover whole database") << "valid" << true;
        QTest::newRow("live file of another program") << "foreign" << false;
        QTest::newRow("copy cannot be written") << "limit" << false;
        QTest::newRow("damaged, rescue cannot be written") << "limit damaged" << false;
    }
    void repairRefused()
    {
        QFETCH(QString, kind);
        QFETCH(bool, leftover);
        if (kind == "valid")
            makeDatabase(repairFile());
        else if (kind == "foreign")
            QVERIFY(execSql(m_live, "PRAGMA application_id = 1234567"));
        else if (kind == "limit damaged")
            QVERIFY(damagePage(m_live, leafPages(m_live, "Log").at(5), true));
        m_liveBytes = readAll(m_live);
        const QByteArray leftoverBytes = readAll(repairFile());

        RepairResult r;
        if (kind.startsWith("limit")) {
            const FileSizeLimit limit(m_liveBytes.size() / 2);
            r = repairDatabase(m_program);
        } else {
            r = repairDatabase(m_program);
        }
        QVERIFY(!r.status.ok);
        QVERIFY(!r.nothingSaved);
        QCOMPARE(readAll(m_live), m_liveBytes);
        // The engine's reason goes along for the user to act on.
        if (kind.startsWith("limit"))
            QVERIFY2(r.status.error.contains("disk I/O error"), qPrintable(r.status.error));
        if (leftover) {
            // The user is told which file it is and what to do with it.
            QVERIFY2(r.status.error.contains(kRepairFileName) && r.status.error.contains("0 fishing logs") &&
                         r.status.error.contains("Then repair again."),
                     qPrintable(r.status.error));
            QCOMPARE(readAll(repairFile()), leftoverBytes);
            QCOMPARE(entries(m_program), (QStringList{kDatabaseFileName, kRepairFileName}));
        } else {
            // This attempt's own copy is gone again.
            QCOMPARE(entries(m_program), QStringList{kDatabaseFileName});
        }
    }

    void repairWithoutDatabase()
    {
        QVERIFY(QFile::remove(m_live));
        QVERIFY(!repairDatabase(m_program).status.ok);
        QVERIFY(entries(m_program).isEmpty());
    }

    void refusedWhileAWindowHoldsTheFile_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("backup") << "backup";
        QTest::newRow("restore") << "restore";
        QTest::newRow("repair") << "repair";
    }
    void refusedWhileAWindowHoldsTheFile()
    {
        QFETCH(QString, operation);
        makeDatabase(backupFile());
        const QByteArray backupBytes = readAll(backupFile());
        DataSource held;
        QVERIFY(held.open(m_live, "Register"));
        QCOMPARE(DataSource::openCount(m_live), 1);
        Status s;
        if (operation == "backup")
            s = backupDatabase(m_program, m_backup);
        else if (operation == "restore")
            s = restoreDatabase(m_program, m_backup);
        else
            s = repairDatabase(m_program).status;
        QVERIFY(!s.ok);
        held.close();
        liveUnchanged();
        QCOMPARE(readAll(backupFile()), backupBytes);
        QCOMPARE(entries(m_backup), QStringList{kDatabaseFileName});
    }
};

TF_CORE_TEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
