#include "ReportFixture.h"

#include "TestFolder.h"
#include "data/Schema.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <sqlite3.h>

namespace tf::test {

namespace {

// Inserts rows into a table: each row a list of column=value pairs.
void insertRows(sqlite3 *db, const QString &table, const QStringList &columns, const QList<QStringList> &rows)
{
    QStringList quotedColumns, marks;
    for (const QString &c : columns) {
        quotedColumns << QLatin1Char('"') + c + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                               .arg(table, quotedColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                               .toUtf8();
    sqlite3_stmt *st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            const QByteArray v = row[i].toUtf8();
            sqlite3_bind_text(st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        }
        QCOMPARE(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    sqlite3_finalize(st);
}

} // namespace

QString definitionsFolder()
{
    return QStringLiteral(TF_REPORT_DEFINITIONS);
}

void installDefinitions(const QString &folder)
{
    const QDir source(definitionsFolder());
    for (const QString &name : source.entryList({QStringLiteral("*.rpt")}, QDir::Files)) {
        QFile::remove(QDir(folder).filePath(name));
        QVERIFY(QFile::copy(source.filePath(name), QDir(folder).filePath(name)));
    }
}

void fillDiary(const QString &databasePath, const QString &pictureFolder)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(db,
                 "BEGIN; UPDATE Register SET Name = 'Pat Angler', Address = '12 Shore Road', "
                 "City = 'Lakeside, MN 55001';",
                 nullptr, nullptr, nullptr);
    const QStringList log = {"Date",        "Lake",      "Ramp",           "Total Fish", "Fish Caught", "Best Lure",
                             "Lure Color",  "Weather",   "Wind Direction", "Wind Speed", "Air Temp",    "Water Temp",
                             "Water Color", "Structure", "Best Depth",     "Location",   "Moon Phase",  "Notes",
                             "Notebook",    "Fish1",     "Lure1",          "Remarks1",   "Fish2",       "Lure2"};
    insertRows(
        db, QStringLiteral("Log"), log,
        {{"2025-06-14",
          "Lake Okee",
          "North Marina",
          "5",
          "Largemouth Bass",
          "Spinnerbait",
          "White",
          "Sunny",
          "Southwest",
          "Light",
          "70's",
          "60's",
          "Clear",
          "Docks",
          "Shallow",
          "Upper Lake",
          "Full Moon",
          "Early bite near the docks.\nSlow after noon.",
          "Took the new boat out for the first time.",
          "Crappie",
          "Jig",
          "Near the bridge",
          "Bluegill",
          "Worm"},
         {"2025-07-02",
          "Cedar River",
          "",
          "3",
          "Largemouth Bass",
          "Crankbait",
          "",
          "Overcast",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "largemouth bass",
          "",
          "",
          "",
          ""},
         {"2024-09-10",
          "Lake Okee",
          "",
          "2/3",
          "Walleye",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "",
          "Windy all day; kept two.",
          "Perch",
          "",
          "",
          "",
          ""},
         {"2024-05-01", "Cedar River",
          "",           "0",
          "",           "",
          "",           "Rain",
          "",           "",
          "",           "",
          "",           "",
          "",           "",
          "",           "",
          "",           "",
          "",           "",
          "",           ""},
         {"2023-04-20", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""},
         {"2023-08-08", "Lake Okee", "", "1.5", "Catfish", "", "", "", "", "", "", "",
          "",           "",          "", "",    "",        "", "", "", "", "", "", ""},
         {"2022-10-10", "Lake Okee", "", "12", "", "", "", "", "", "", "", "",
          "",           "",          "", "",   "", "", "", "", "", "", "", ""}});

    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(0x6a, 0x9f, 0xb5));
    {
        QPainter p(&photo);
        p.setBrush(QColor(0x4c, 0x6b, 0x2f));
        p.drawEllipse(QRect(120, 180, 400, 130));
    }
    const QString photoPath = QDir(pictureFolder).filePath(QStringLiteral("bass.png"));
    QVERIFY(photo.save(photoPath));
    const QString brokenPath = QDir(pictureFolder).filePath(QStringLiteral("broken.jpg"));
    QVERIFY(writeAll(brokenPath, "this is not a picture"));
    insertRows(db, QStringLiteral("Bestfish"),
               {"Fish", "Date", "Weight", "Length", "Girth", "Lure", "Location", "About", "BFPicture"},
               {{"Largemouth Bass", "2025-06-14", "8 lb 4 oz", "24 in", "18 in", "Spinnerbait", "Lake Okee",
                 "Caught at dawn off the north docks.", photoPath},
                {"Walleye", "5/2/2024", "6 lb", "", "", "Jig", "Cedar River", "", "/no/such/folder/walleye.jpg"},
                {"Northern Pike", "", "11 lb", "", "", "", "", "", ""},
                {"Catfish", "", "14 lb", "", "", "", "", "", brokenPath}});
    insertRows(db, QStringLiteral("Equipment"), {"Item", "Make", "Model", "Serial No", "Price", "Remarks"},
               {{"Fish finder", "Humbird", "Helix 5", "HX-1", "$1,250.50", ""},
                {"Net", "Frabill", "", "", "about 40", "Old one"},
                {"Pliers", "", "", "", "19.99", ""},
                {"Tackle box", "Plano", "3700", "", "125", ""},
                {"Waders", "", "", "", "gift", ""},
                {"Cooler", "", "", "", "", ""}});
    insertRows(db, QStringLiteral("Memberships"), {"Organization", "Member Number", "Expires On", "Dues", "Remarks"},
               {{"Bass Club", "1234", "2026-03-31", "25", ""}, {"Walleye League", "W-77", "", "30.00", "Family"}});
    insertRows(db, QStringLiteral("Contacts"),
               {"Name", "Address", "City", "State", "Zip Code", "Home Phone", "Mobile Phone", "Email"},
               {{"Bob Smith", "1 Pine St", "Duluth", "MN", "55802", "218-555-0101", "", "bob@example.com"},
                {"alice Jones", "", "Ely", "MN", "", "", "218-555-0199", ""},
                {"Carl Berg", "", "", "", "", "", "", ""}});
    insertRows(db, QStringLiteral("Boat"), {"Boat", "Serial", "Maint", "Motor", "SerialM", "MaintM"},
               {{"Lund Fury 1600", "LND-99", "New trailer tires 2025", "Mercury 40", "M40-1", "Oil change due"}});
    insertRows(db, QStringLiteral("Rods"),
               {"Rod Make", "Rod Model", "Rod Length", "Rod Note", "Reel Make", "Reel Model", "Reel Type", "Reel Note"},
               {{"St. Croix", "Avid", "6'6\"", "Medium heavy", "Shimano", "Curado", "Baitcast", "Needs cleaning"}});
    insertRows(db, QStringLiteral("Reminders"), {"Date", "Reminder"},
               {{"2026-12-20", "Renew the fishing license"}, {"2026-01-05", "Boat service"}, {"", "Buy new line"}});
    insertRows(db, QStringLiteral("Patterns"),
               {"Lake", "Month", "Air Temp", "Lure", "Lure Color", "Structure", "Best Depth", "Pattern"},
               {{"Lake Okee", "March", "50's", "Jig n Pig", "Brown", "Rocks", "Deep", "Slow along the rocks."},
                {"Lake Okee", "January", "30's", "", "", "", "", "Ice fishing at the point."},
                {"Lake Okee", "December", "", "", "", "", "", "First ice."},
                {"Lake Okee", "April", "", "Crankbait", "Red", "", "", ""},
                {"Cedar River", "July", "80's", "Popper", "", "Weeds", "Top Water", "Evenings on the weed line."}});
    QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

bool generateTrips(const QString &databasePath, int trips)
{
    // Every condition filled from the screens' own value lists, remarks of mixed
    // length, and a further fish on a third of the trips: a well-kept log.
    const QList<QStringList> values = {
        {"Lake Okee", "Cedar River", "Mille Lacs", "Leech Lake", "Rainy River"},
        {"North Marina", "Public Ramp", "", "Big Bay Launch"},
        {"0", "1", "2", "3", "4", "5", "6", "7"},
        {"Largemouth Bass", "Walleye", "Crappie", "Northern Pike", "Bluegill"},
        {"Crankbait", "Spinnerbait", "Jig n Pig", "Texas Rig Worm", "Popper"},
        {"Red", "Blue", "Brown", "Green", "Black", "White", "Yellow", "Shad", "Purple"},
        {"Sunny", "Partly Cloudy", "Overcast", "Rain", "Fog", "Freezing Rain", "Snow"},
        {"North", "Northeast", "East", "Southeast", "South", "Southwest", "West", "Northwest"},
        {"Calm", "Light", "Moderate", "Strong", "Gusty"},
        {"'Teens", "20's", "30's", "40's", "50's", "60's", "70's", "80's", "90's"},
        {"30's", "40's", "50's", "60's", "70's", "80's", "90's"},
        {"Clear", "Stained", "Muddy"},
        {"Banks", "Brush Piles", "Docks", "Coves", "Points", "Submerged Trees", "Stumps", "Logs", "Rocks", "Weeds"},
        {"Top Water", "Shallow", "Medium", "Deep"},
        {"Upper Lake", "Middle Lake", "Lower Lake", "Upper River", "Middle River", "Lower River"},
        {"Full Moon", "Half Moon", "Quarter Moon", "Dark Moon"},
        {"", "Good bite in the morning.", "Slow day.",
         "Fished the weed edges all afternoon and found them holding deeper than last week; the wind pushed bait "
         "onto the points.\nTry the north shore next time."},
    };
    const char *const sql = "INSERT INTO Log (Lake, Ramp, \"Total Fish\", \"Fish Caught\", \"Best Lure\", "
                            "\"Lure Color\", Weather, \"Wind Direction\", \"Wind Speed\", \"Air Temp\", "
                            "\"Water Temp\", \"Water Color\", Structure, \"Best Depth\", Location, \"Moon Phase\", "
                            "Notes, Date, Fish1, Lure1, Remarks1) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    QRandomGenerator rng(20261208);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK;
    const QDate start(2000, 1, 1);
    for (int i = 0; ok && i < trips; ++i) {
        int column = 0;
        const auto bind = [&](const QString &text) {
            const QByteArray v = text.toUtf8();
            sqlite3_bind_text(st, ++column, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        };
        for (const QStringList &list : values)
            bind(list[int(rng.bounded(quint32(list.size())))]);
        bind(start.addDays(rng.bounded(9000)).toString(Qt::ISODate));
        const bool further = rng.bounded(3) == 0;
        bind(further ? values[3][int(rng.bounded(5))] : QString());
        bind(further ? values[4][int(rng.bounded(5))] : QString());
        bind(further && rng.bounded(2) ? QStringLiteral("Took it on the drop.") : QString());
        ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ok = sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    sqlite3_close(db);
    return ok;
}

report::BuildResult buildNamed(const QString &fileName, const report::ProgressFn &progress)
{
    report::BuildOptions o;
    o.definitionPath = report::reportPath(fileName);
    o.databasePath = programFile(kDatabaseFileName);
    o.printedAt = platform().now();
    o.page = report::PageSetup::standard();
    o.progress = progress;
    return report::buildReport(o);
}

QString reportText(const report::Report &report)
{
    QString text;
    for (int i = 0; i < report.pageCount(); ++i)
        text += report.pageText(i);
    return text;
}

bool everyPageHeaded(const report::Report &report, const QString &title, QString *why)
{
    for (int i = 0; i < report.pageCount(); ++i) {
        const QString text = report.pageText(i);
        if (!text.startsWith(QStringLiteral("%1\tPage %2 of %3\n").arg(title).arg(i + 1).arg(report.pageCount()))) {
            *why = QStringLiteral("page %1 begins: %2").arg(i + 1).arg(text.left(80));
            return false;
        }
    }
    return true;
}

} // namespace tf::test
