#include "data/Schema.h"

#include "platform/FileLocations.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <sqlite3.h>

namespace tf {

namespace {

QStringList numbered(const QString &stem, int n)
{
    QStringList r;
    for (int i = 1; i <= n; ++i)
        r << stem + QString::number(i);
    return r;
}

std::vector<TableDef> buildTables()
{
    QStringList logColumns = {"Date",      "Lake",       "Ramp",        "Total Fish",     "Fish Caught",
                              "Best Lure", "Lure Color", "Weather",     "Wind Direction", "Wind Speed",
                              "Air Temp",  "Water Temp", "Water Color", "Structure",      "Best Depth",
                              "Location",  "Moon Phase", "Notes",       "Notebook",       "Picture"};
    logColumns << numbered("Fish", 5) << numbered("Lure", 5) << numbered("Remarks", 5);
    return {
        {"Log", logColumns, {"Date"}},
        {"Lakes", {"Lakes"}, {}},
        {"Ramps", {"Ramps"}, {}},
        {"Fish", {"Fish"}, {}},
        {"Lures", {"Lure"}, {}},
        {"Bestfish", {"Fish", "Date", "Weight", "Length", "Girth", "Lure", "Location", "About", "BFPicture"}, {}},
        {"Rods",
         {"Rod Make", "Rod Model", "Rod Length", "Rod Note", "Reel Make", "Reel Model", "Reel Type", "Reel Note"},
         {}},
        {"Boat", {"Boat", "Serial", "Maint", "Motor", "SerialM", "MaintM"}, {}},
        {"Equipment", {"Item", "Make", "Model", "Serial No", "Price", "Remarks"}, {}},
        {"Patterns",
         {"Lake", "Month", "Air Temp", "Lure", "Structure", "Moon Phase", "Water Temp", "Lure Color", "Best Depth",
          "Pattern", "Remarks"},
         {}},
        {"Reminders", {"Date", "Reminder"}, {"Date"}},
        {"Contacts",
         {"Name", "Address", "City", "State", "Zip Code", "Home Phone", "Work Phone", "Mobile Phone", "Email",
          "Remarks"},
         {}},
        {"Memberships", {"Organization", "Member Number", "Expires On", "Dues", "Remarks"}, {}},
        {"Register", {"Name", "Address", "City"}, {}},
    };
}

// Text columns compare without regard to letter case, so every ORDER BY on
// them gives the order the screens promise.
QString createSql(const TableDef &t)
{
    QStringList cols{quoteIdentifier(kKeyColumn) + QStringLiteral(" INTEGER PRIMARY KEY")};
    for (const QString &c : t.columns)
        cols << quoteIdentifier(c) + QStringLiteral(" TEXT COLLATE NOCASE");
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(t.name), cols.join(QStringLiteral(", ")));
}

struct Db
{
    sqlite3 *handle = nullptr;
    ~Db() { sqlite3_close_v2(handle); }
};

QString sqliteError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

QString quoteIdentifier(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

const std::vector<TableDef> &schemaTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef *findTable(const QString &name)
{
    for (const TableDef &t : schemaTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

Status createDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        return Status::failure(QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(path)));
    // Built under a temporary name and renamed into place, so an interrupted
    // first start never leaves a half-made database behind under the real name.
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    {
        Db db;
        if (sqlite3_open_v2(temp.toUtf8().constData(), &db.handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            return Status::failure(
                QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(path), sqliteError(db.handle)));
        QString sql = QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2; BEGIN;")
                          .arg(kApplicationId)
                          .arg(kUserVersion);
        for (const TableDef &t : schemaTables())
            sql += createSql(t) + QLatin1Char(';');
        // Orders the screens ask for most; they keep large logs quick to open.
        sql += QStringLiteral("CREATE INDEX \"Log by Date\" ON \"Log\" (\"Date\");"
                              "CREATE INDEX \"Log by Lake\" ON \"Log\" (\"Lake\");"
                              "INSERT INTO \"Register\" (\"Name\", \"Address\", \"City\") VALUES ('', '', '');"
                              "COMMIT;");
        if (sqlite3_exec(db.handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            const QString e = sqliteError(db.handle);
            sqlite3_close_v2(db.handle);
            db.handle = nullptr;
            QFile::remove(temp);
            return Status::failure(QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(path), e));
        }
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return Status::failure(QStringLiteral("Cannot create %1.").arg(QDir::toNativeSeparators(path)));
    }
    return Status::success();
}

bool createDatabaseOnFirstStart(const QString &folder, QString *error)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(kDatabaseFileName)) || QFileInfo::exists(dir.filePath(kRepairFileName)))
        return false;
    const Status s = createDatabase(dir.filePath(kDatabaseFileName));
    if (!s.ok && error)
        *error = s.error;
    return s.ok;
}

Status verifyDatabase(const QString &path, const VerifyOptions &options)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return Status::failure(QStringLiteral("%1 does not exist.").arg(shown));
    if (!info.isFile())
        return Status::failure(QStringLiteral("%1 is not a file.").arg(shown));
    if (info.size() == 0)
        return Status::failure(QStringLiteral("%1 is empty.").arg(shown));
    {
        // Check the magic header before handing the file to the engine at all.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return Status::failure(QStringLiteral("%1 cannot be read.").arg(shown));
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            return Status::failure(QStringLiteral("%1 is not a Tallyfin database.").arg(shown));
    }
    Db db;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return Status::failure(QStringLiteral("%1 cannot be opened: %2").arg(shown, sqliteError(db.handle)));
    sqlite3_busy_timeout(db.handle, 2000);

    auto single = [&](const char *sql, QString *text, qint64 *number) -> bool {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db.handle, sql, -1, &st, nullptr) != SQLITE_OK)
            return false;
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            if (text)
                *text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            if (number)
                *number = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return rc == SQLITE_ROW;
    };

    QString integrity;
    if (!single("PRAGMA integrity_check", &integrity, nullptr))
        return Status::failure(QStringLiteral("%1 cannot be checked: %2").arg(shown, sqliteError(db.handle)));
    if (integrity != QLatin1String("ok"))
        return Status::failure(QStringLiteral("%1 is damaged: %2").arg(shown, integrity));

    qint64 appId = 0;
    single("PRAGMA application_id", nullptr, &appId);
    if (appId != kApplicationId && (options.requireApplicationId || appId != 0))
        return Status::failure(QStringLiteral("%1 is not a Tallyfin database.").arg(shown));

    for (const TableDef &t : schemaTables()) {
        const QString sql = QStringLiteral("SELECT name FROM pragma_table_info(%1)")
                                .arg(QLatin1Char('\'') + t.name + QLatin1Char('\''));
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db.handle, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return Status::failure(QStringLiteral("%1 cannot be checked: %2").arg(shown, sqliteError(db.handle)));
        QSet<QString> present;
        while (sqlite3_step(st) == SQLITE_ROW)
            present.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))).toLower());
        sqlite3_finalize(st);
        if (present.isEmpty())
            return Status::failure(QStringLiteral("%1 has no table %2.").arg(shown, t.name));
        for (const QString &c : t.columns)
            if (!present.contains(c.toLower()))
                return Status::failure(QStringLiteral("%1: table %2 has no column %3.").arg(shown, t.name, c));
    }
    return Status::success();
}

} // namespace tf

namespace tf {

QString programDatabasePath()
{
    return filePath(FileRole::UserData, kDatabaseFileName);
}

} // namespace tf
