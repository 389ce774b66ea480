// The statistics of a hand-made log. Every expected figure below was worked out by
// hand from the rows in makeLog(), not by the code under test.

#include "TestFolder.h"
#include "moon/MoonPhase.h"
#include "stats/StatsCore.h"

#include <QTemporaryDir>
#include <sqlite3.h>

using namespace tf;
using namespace tf::stats;
using namespace tf::test;

namespace {

struct Row
{
    const char *date, *fish, *lake, *species, *color;
};

// Moon ages are from the published instants (UT): new moons 7 Dec 1999 22:32,
// 6 Jan 2000 18:14, 25 Nov 2000 23:11, 25 Dec 2000 17:22; full moon 21 Jan 2000 04:40.
// Angle = age in days * 360 / 29.530589.
const Row kLog[] = {
    {"2000-01-04", "3", "Clear Lake", "Bass", "Red"},                      // age 27.56 d, 336.0: Waning Crescent
    {"2000-01-05", "0", "clear lake", "bass", "red"},                      // 28.56 d, 348.2: New Moon
    {"2000-01-08", "2.5", "CLEAR LAKE", "Bass", ""},                       // 1.74 d, 21.2: New Moon
    {"2000-01-09", "5", "Fox River", "Walleye", "Chartreuse"},             // 2.74 d, 33.4: Waxing Crescent
    {"2000-01-19", "", "Fox River", "walleye", ""},                        // 12.74 d, 155.3: Waxing Gibbous
    {"2000-01-20", "1/2", "Clear Lake", "Bass", "Red"},                    // 13.74 d, 167.5: Full Moon
    {"2000-01-22 06:30:00", "-3", "", "", ""},                             // noon counts: 15.74 d, 191.9: Full Moon
    {"2000-01-23", "99999999999999999999", "Fox River", "Walleye", "red"}, // 16.74 d, 204.1: Waning Gibbous
    {"", " 4 ", "Clear Lake", "Perch", "RED"},                             // no date
    {"2000-01-21", "ten", "Fox River", "Walleye", "Chartreuse"},           // 14.74 d, 179.7: Full Moon
    {"2000-12-25", "0", "Fox River", "Perch", "  "},                       // 29.53 d, 360.0: New Moon
};

struct Expect
{
    QString group;
    qint64 trips, known, fish, blank;
};

void insert(const QString &db, const QStringList &values)
{
    QStringList quoted;
    for (QString v : values)
        quoted << QLatin1Char('\'') + v.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
    QVERIFY(execSql(db, QStringLiteral("INSERT INTO Log (\"Date\", \"Total Fish\", \"Lake\", \"Fish Caught\", "
                                       "\"Lure Color\") VALUES (%1)")
                            .arg(quoted.join(QLatin1Char(',')))));
}

void compareRows(const Breakdown &b, const QList<Expect> &expected)
{
    QStringList got;
    for (const GroupRow &r : b.rows)
        got << QStringLiteral("%1 %2/%3/%4/%5")
                   .arg(r.group)
                   .arg(r.figures.trips)
                   .arg(r.figures.known)
                   .arg(r.figures.fish)
                   .arg(r.figures.blank);
    QStringList want;
    for (const Expect &e : expected)
        want << QStringLiteral("%1 %2/%3/%4/%5").arg(e.group).arg(e.trips).arg(e.known).arg(e.fish).arg(e.blank);
    QCOMPARE(got, want);
}

} // namespace

class TestStatsCore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void totals();
    void breakdowns();
    void ratios();
    void filters_data();
    void filters();
    void reversedRange();
    void emptyLog();
    void edgeDates();
    void hugeLakeName();
    void lockedDatabase();
    void moonPhaseAgreesWithFullComputation();
    void csv();
    void nameOrder_data();
    void nameOrder();
    void stopped();
    void catchRule_data();
    void catchRule();
    void caseFolding_data();
    void caseFolding();
    void bestTripTies_data();
    void bestTripTies();
    void missingColumns();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_db;
    TripLog m_log;
};

void TestStatsCore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = m_dir->filePath(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
    if (QString(QTest::currentTestFunction()) == QLatin1String("emptyLog"))
        return;
    for (const Row &r : kLog)
        insert(m_db, {r.date, r.fish, r.lake, r.species, r.color});
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
}

void TestStatsCore::totals()
{
    const Result r = m_log.compute({});
    QVERIFY(r.ok);
    // Known catches: 3, 0, 5, 4 (blanks around ignored), 0. Unknown: 2.5, empty, 1/2, -3, 20 digits, ten.
    QCOMPARE(r.totals.figures.trips, 11);
    QCOMPARE(r.totals.figures.known, 5);
    QCOMPARE(r.totals.unknown(), 6);
    QCOMPARE(r.totals.figures.fish, 12);
    QCOMPARE(r.totals.figures.blank, 2);
    QVERIFY(r.totals.best);
    QCOMPARE(r.totals.best->fish, 5);
    QCOMPARE(r.totals.best->date, QDate(2000, 1, 9));
    QCOMPARE(r.totals.best->lake, QStringLiteral("Fox River"));
}

void TestStatsCore::breakdowns()
{
    const Result r = m_log.compute({});
    // Three spellings of Clear Lake; the most frequent names the group.
    compareRows(r.by(Dimension::Lake), {{"Clear Lake", 5, 3, 7, 1}, {"Fox River", 5, 2, 5, 1}, {"(none)", 1, 0, 0, 0}});
    compareRows(r.by(Dimension::Species),
                {{"Bass", 4, 2, 3, 1}, {"Walleye", 4, 1, 5, 0}, {"Perch", 2, 2, 4, 1}, {"(none)", 1, 0, 0, 0}});
    // Red and red are two apiece: the tie goes to "Red", first in code order. Blanks only are "(none)".
    compareRows(r.by(Dimension::LureColor), {{"Red", 5, 3, 7, 1}, {"(none)", 4, 1, 0, 1}, {"Chartreuse", 2, 1, 5, 0}});
    // The undated trip is left out of year, month and moon phase.
    compareRows(r.by(Dimension::Year), {{"2000", 10, 4, 8, 2}});
    compareRows(r.by(Dimension::Month), {{"January", 9, 3, 8, 1}, {"December", 1, 1, 0, 1}});
    compareRows(r.by(Dimension::MoonPhase), {{"New Moon", 3, 2, 0, 2},
                                             {"Waxing Crescent", 1, 1, 5, 0},
                                             {"Waxing Gibbous", 1, 0, 0, 0},
                                             {"Full Moon", 3, 0, 0, 0},
                                             {"Waning Gibbous", 1, 0, 0, 0},
                                             {"Waning Crescent", 1, 1, 3, 0}});
    // A column nobody filled in is one group of every trip.
    compareRows(r.by(Dimension::Weather), {{"(none)", 11, 5, 12, 2}});
}

void TestStatsCore::ratios()
{
    const Result r = m_log.compute({});
    QCOMPARE(*r.totals.figures.fishPerTrip(), 2.4); // 12 / 5
    QCOMPARE(*r.totals.figures.blankShare(), 0.4);  // 2 / 5
    const Figures clear = r.by(Dimension::Lake).rows.at(0).figures;
    QCOMPARE(*clear.fishPerTrip(), 7.0 / 3);
    QCOMPARE(*clear.blankShare(), 1.0 / 3);
    // No known catch: no ratio at all, rather than a misleading 0.
    const Figures none = r.by(Dimension::Lake).rows.at(2).figures;
    QVERIFY(!none.fishPerTrip());
    QVERIFY(!none.blankShare());
}

void TestStatsCore::filters_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("lake");
    QTest::addColumn<QString>("species");
    QTest::addColumn<qint64>("trips");
    QTest::addColumn<qint64>("known");
    QTest::addColumn<qint64>("fish");
    QTest::newRow("lake, any spelling") << QDate() << QDate() << "FOX RIVER"
                                        << "" << 5LL << 2LL << 5LL;
    QTest::newRow("species") << QDate() << QDate() << ""
                             << "perch" << 2LL << 2LL << 4LL;
    QTest::newRow("lake and species") << QDate() << QDate() << "Clear Lake"
                                      << "Perch" << 1LL << 1LL << 4LL;
    // A date range leaves the undated trip out.
    QTest::newRow("range") << QDate(2000, 1, 5) << QDate(2000, 1, 9) << ""
                           << "" << 3LL << 2LL << 5LL;
    QTest::newRow("from only") << QDate(2000, 1, 21) << QDate() << ""
                               << "" << 4LL << 1LL << 0LL;
    QTest::newRow("to only") << QDate() << QDate(2000, 1, 4) << ""
                             << "" << 1LL << 1LL << 3LL;
    QTest::newRow("one day") << QDate(2000, 1, 9) << QDate(2000, 1, 9) << ""
                             << "" << 1LL << 1LL << 5LL;
    QTest::newRow("unknown lake") << QDate() << QDate() << "Nowhere"
                                  << "" << 0LL << 0LL << 0LL;
    QTest::newRow("no lake given") << QDate() << QDate() << "(none)"
                                   << "" << 1LL << 0LL << 0LL;
}

void TestStatsCore::filters()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, lake);
    QFETCH(QString, species);
    Filter f;
    if (from.isValid())
        f.from = from;
    if (to.isValid())
        f.to = to;
    f.lake = lake;
    f.species = species;
    const Result r = m_log.compute(f);
    QVERIFY(r.ok);
    QTEST(r.totals.figures.trips, "trips");
    QTEST(r.totals.figures.known, "known");
    QTEST(r.totals.figures.fish, "fish");
    qint64 byLake = 0;
    for (const GroupRow &g : r.by(Dimension::Lake).rows)
        byLake += g.figures.trips;
    QCOMPARE(byLake, r.totals.figures.trips);
}

void TestStatsCore::reversedRange()
{
    Filter f;
    f.from = QDate(2000, 2, 1);
    f.to = QDate(2000, 1, 1);
    const Result r = m_log.compute(f);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, QStringLiteral("The date range is reversed: 2/1/00 comes after 1/1/00."));
    QCOMPARE(r.totals.figures.trips, 0);
    QVERIFY(r.by(Dimension::Lake).rows.empty());
}

void TestStatsCore::emptyLog()
{
    TripLog log;
    QString error;
    QVERIFY(log.load(m_db, &error));
    const Result r = log.compute({});
    QVERIFY(r.ok);
    QCOMPARE(r.totals.figures.trips, 0);
    QVERIFY(!r.totals.figures.fishPerTrip());
    QVERIFY(!r.totals.best);
    for (const Breakdown &b : r.breakdowns)
        QVERIFY(b.rows.empty());
    QVERIFY(!log.firstDate().isValid());
    QCOMPARE(toCsv(r.by(Dimension::Month)), QByteArray("group,trips,known,fish,fish_per_trip,blank_share\r\n"));
}

void TestStatsCore::edgeDates()
{
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    insert(m_db, {"1900-01-01", "1", "A", "", ""});
    insert(m_db, {"9999-12-31", "2", "A", "", ""});
    insert(m_db, {"31/12/2020", "3", "A", "", ""}); // not a stored date: undated
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    const Result r = m_log.compute({});
    compareRows(r.by(Dimension::Year), {{"1900", 1, 1, 1, 0}, {"9999", 1, 1, 2, 0}});
    qint64 moonTrips = 0;
    for (const GroupRow &g : r.by(Dimension::MoonPhase).rows)
        moonTrips += g.figures.trips;
    QCOMPARE(moonTrips, 2);
    QCOMPARE(m_log.firstDate(), QDate(1900, 1, 1));
    QCOMPARE(m_log.lastDate(), QDate(9999, 12, 31));
}

void TestStatsCore::hugeLakeName()
{
    const QString huge(1 << 20, QLatin1Char('x'));
    insert(m_db, {"2000-03-01", "1", huge, "", ""});
    insert(m_db, {"2000-03-02", "2", huge.toUpper(), "", ""});
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    Filter f;
    f.lake = huge;
    const Result r = m_log.compute(f);
    QCOMPARE(r.totals.figures.trips, 2);
    QCOMPARE(r.by(Dimension::Lake).rows.at(0).group.size(), huge.size());
}

void TestStatsCore::lockedDatabase()
{
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(m_db.toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    TripLog log;
    QString error;
    QVERIFY(!log.load(m_db, &error));
    QVERIFY2(error.contains(QLatin1String("locked")), qPrintable(error));
    QCOMPARE(log.tripCount(), 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QVERIFY(log.load(m_db, &error));
    QCOMPARE(log.tripCount(), 11);
}

// The walk over the log's new moons must name the same phase as the moon arithmetic
// computed afresh for each day, on every day of two years.
void TestStatsCore::moonPhaseAgreesWithFullComputation()
{
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    const QDate first(1999, 6, 1), last(2001, 5, 31);
    QString sql = QStringLiteral("INSERT INTO Log (\"Date\", \"Total Fish\") VALUES ");
    for (QDate d = first; d <= last; d = d.addDays(1))
        sql += QStringLiteral("('%1', '1'),").arg(d.toString(Qt::ISODate));
    sql.chop(1);
    QVERIFY(execSql(m_db, sql));
    QString error;
    QVERIFY(m_log.load(m_db, &error));
    // About one lookup per lunation of the range, not one per day.
    QVERIFY2(m_log.lunationLookups() <= 26, qPrintable(QString::number(m_log.lunationLookups())));
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        Filter f;
        f.from = f.to = d;
        const Breakdown moon = m_log.compute(f).by(Dimension::MoonPhase);
        QCOMPARE(moon.rows.size(), size_t(1));
        const double noon = double(QDate(1899, 12, 30).daysTo(d)) + 0.5;
        QCOMPARE(moon.rows.at(0).group, moonPhaseNames().at(moonPhaseOfAngle(MoonPhase::PhaseAngle(noon))));
    }
}

void TestStatsCore::csv()
{
    Breakdown b;
    b.dimension = Dimension::Lake;
    b.rows.push_back({QStringLiteral("Lake \"Big\", north\nshore"), Figures{3, 2, 5, 1}});
    b.rows.push_back({QStringLiteral("Åsen"), Figures{1, 0, 0, 0}});
    QCOMPARE(toCsv(b), QByteArray("group,trips,known,fish,fish_per_trip,blank_share\r\n"
                                  "\"Lake \"\"Big\"\", north\nshore\",3,2,5,2.500,0.500\r\n"
                                  "\xc3\x85sen,1,0,0,,\r\n"));
}

// Groups of equal trips are listed by name, letter case ignored, in the table
// and in the lake list alike, however much the names have in common.
void TestStatsCore::nameOrder_data()
{
    QTest::addColumn<QStringList>("lakes");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("numbers after a common start") << QStringList{"Lake 9", "lake 10", "Lake 100", "LAKE 1"}
                                                  << QStringList{"LAKE 1", "lake 10", "Lake 100", "Lake 9"};
    QTest::newRow("one name is the common start") << QStringList{"Lake Erie", "Lake", "Lake Ann", "Lake A"}
                                                  << QStringList{"Lake", "Lake A", "Lake Ann", "Lake Erie"};
    QTest::newRow("alike in the first letters only")
        << QStringList{"Bay 12345", "Cove", "Bay 12344"} << QStringList{"Bay 12344", "Bay 12345", "Cove"};
    QTest::newRow("no name") << QStringList{"Abc", "", "(x)"} << QStringList{"(none)", "(x)", "Abc"};
    QTest::newRow("beyond ASCII") << QStringList{"Åsen", "Zed", "ab"} << QStringList{"ab", "Zed", "Åsen"};
}

void TestStatsCore::nameOrder()
{
    QFETCH(QStringList, lakes);
    QFETCH(QStringList, order);
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    for (const QString &lake : lakes)
        insert(m_db, {"2000-03-01", "1", lake, "", ""});
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    const Result r = m_log.compute({});
    QStringList rows;
    for (const GroupRow &g : r.by(Dimension::Lake).rows)
        rows << g.group;
    QCOMPARE(rows, order);
    QCOMPARE(m_log.groupNames(Dimension::Lake), order);
}

// A read or count told to stop gives no figures that could be taken for the log's.
void TestStatsCore::stopped()
{
    StopFlag stop(true);
    TripLog log;
    QString error;
    QVERIFY(!log.load(m_db, &error, &stop));
    QCOMPARE(error, QStringLiteral("Stopped."));
    QCOMPARE(log.tripCount(), 0);
    const Result r = m_log.compute({}, &stop);
    QVERIFY(!r.ok);
    QCOMPARE(r.totals.figures.trips, 0);
    QVERIFY(r.by(Dimension::Lake).rows.empty());
}

// The catch of a trip: its number plus one for each fish named on the fish screen, when
// the number is a whole number up to the bound; otherwise nothing of the trip is counted.
void TestStatsCore::catchRule_data()
{
    QTest::addColumn<QStringList>("numbers"); // one trip each
    QTest::addColumn<int>("named");           // fish named on the fish screen of every trip
    QTest::addColumn<qint64>("known");
    QTest::addColumn<qint64>("fish");
    QTest::addColumn<qint64>("blank");
    QTest::addColumn<qint64>("tooMany");
    QTest::newRow("number alone") << QStringList{"3"} << 0 << 1LL << 3LL << 0LL << 0LL;
    QTest::newRow("named fish add one each") << QStringList{"3"} << 2 << 1LL << 5LL << 0LL << 0LL;
    QTest::newRow("none counted, one named") << QStringList{"0"} << 1 << 1LL << 1LL << 0LL << 0LL;
    QTest::newRow("at the bound") << QStringList{"10000"} << 0 << 1LL << 10000LL << 0LL << 0LL;
    QTest::newRow("above the bound") << QStringList{"10001"} << 1 << 0LL << 0LL << 0LL << 1LL;
    QTest::newRow("not whole: named left out too") << QStringList{"2/3"} << 1 << 0LL << 0LL << 0LL << 0LL;
    QTest::newRow("no number") << QStringList{""} << 2 << 0LL << 0LL << 0LL << 0LL;
    QStringList held(15, QStringLiteral("999999999999999999"));
    QTest::newRow("fifteen held keys") << (held << QStringLiteral("4") << QStringLiteral("0")) << 0 << 2LL << 4LL << 1LL
                                       << 15LL;
}

void TestStatsCore::catchRule()
{
    QFETCH(QStringList, numbers);
    QFETCH(int, named);
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    for (const QString &n : numbers)
        insert(m_db, {"2000-03-01", n, "A", "Bass", ""});
    for (int i = 1; i <= named; ++i)
        QVERIFY(execSql(m_db, QStringLiteral("UPDATE Log SET Fish%1 = ' Perch '").arg(i)));
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    const Totals t = m_log.compute({}).totals;
    QCOMPARE(t.figures.trips, numbers.size());
    QTEST(t.figures.known, "known");
    QTEST(t.figures.fish, "fish");
    QTEST(t.figures.blank, "blank");
    QTEST(t.tooMany, "tooMany");
}

// Names alike but for letter case are one lake, under Unicode's full folding; only case is ignored.
void TestStatsCore::caseFolding_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("sharp s") << "Großer Plöner See"
                             << "GROSSER PLÖNER SEE" << true;
    QTest::newRow("capital sharp s") << "GROẞER SEE"
                                     << "großer see" << true;
    QTest::newRow("ligature") << "\uFB01sh Creek"
                              << "FISH CREEK" << true;
    QTest::newRow("final sigma") << "ΛΙΜΝΗ ΔΟΙΡΑΝΗΣ"
                                 << "λιμνη δοιρανης" << true;
    QTest::newRow("iota subscript") << "\u1FB3"
                                    << "\u0391\u0399" << true;
    QTest::newRow("accents count") << "Plöner See"
                                   << "Ploner See" << false;
    QTest::newRow("letters count") << "Lake Ann"
                                   << "Lake Anne" << false;
}

void TestStatsCore::caseFolding()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    insert(m_db, {"2000-03-01", "1", a, "", ""});
    insert(m_db, {"2000-03-02", "2", b, "", ""});
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    QCOMPARE(m_log.groupNames(Dimension::Lake).size(), same ? 1 : 2);
    Filter f;
    f.lake = b.toUpper();
    QCOMPARE(m_log.compute(f).totals.figures.trips, same ? 2 : 1);
}

// Two trips of most fish on one date: the earlier time of day, then the first entered.
void TestStatsCore::bestTripTies_data()
{
    QTest::addColumn<QStringList>("dates"); // in the order entered, each "date|fish|lake"
    QTest::addColumn<QString>("best");
    QTest::newRow("earlier time, entered later")
        << QStringList{"2024-05-04 14:00:00|5|Noon", "2024-05-04 06:30:00|5|Dawn"} << "Dawn";
    QTest::newRow("no time is midnight") << QStringList{"2024-05-04 06:30:00|5|Dawn", "2024-05-04|5|Day"} << "Day";
    QTest::newRow("same time: first entered")
        << QStringList{"2024-05-04 06:30|5|First", "2024-05-04 06:30|5|Second"} << "First";
    QTest::newRow("date before time") << QStringList{"2024-05-05 01:00:00|5|Late", "2024-05-04 23:00:00|5|Early"}
                                      << "Early";
    QTest::newRow("dated before undated") << QStringList{"|5|Undated", "2024-05-04 23:00:00|5|Dated"} << "Dated";
    QTest::newRow("most fish first") << QStringList{"2024-05-04 06:00:00|5|Five", "2024-05-09 23:00:00|6|Six"} << "Six";
}

void TestStatsCore::bestTripTies()
{
    QFETCH(QStringList, dates);
    QVERIFY(execSql(m_db, "DELETE FROM Log"));
    for (const QString &trip : dates) {
        const QStringList parts = trip.split(QLatin1Char('|'));
        insert(m_db, {parts[0], parts[1], parts[2], "", ""});
    }
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    const Result r = m_log.compute({});
    QVERIFY(r.totals.best);
    QTEST(r.totals.best->lake, "best");
}

// A column the file's table lacks is named and read as empty, not as the text of its name.
void TestStatsCore::missingColumns()
{
    QVERIFY(execSql(m_db, "DROP INDEX \"Log by Lake\"; ALTER TABLE Log DROP COLUMN \"Total Fish\";"
                          "ALTER TABLE Log DROP COLUMN Lake"));
    QString error;
    QVERIFY2(m_log.load(m_db, &error), qPrintable(error));
    QCOMPARE(m_log.missingColumns(), (QStringList{"Total Fish", "Lake"}));
    const Result r = m_log.compute({});
    QCOMPARE(r.totals.figures.trips, 11);
    QCOMPARE(r.totals.unknown(), 11);
    compareRows(r.by(Dimension::Lake), {{"(none)", 11, 0, 0, 0}});
    // The rest of the log still counts.
    QCOMPARE(r.by(Dimension::Species).rows.size(), size_t(4));
}

TF_CORE_TEST_MAIN(TestStatsCore)
#include "tst_statscore.moc"
