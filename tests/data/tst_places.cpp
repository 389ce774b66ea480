// Positions of lakes: the ways people type degrees, and the table of places that an
// older diary gains on first use without anything else of the file changing.

#include "TestFolder.h"
#include "data/Coordinates.h"
#include "data/Places.h"
#include "data/Schema.h"

#include <QTemporaryDir>

using namespace tf;

class tst_Places : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void degreesMinutes();
    void oldDiaryGainsTable();
};

void tst_Places::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<double>("expected"); // NaN: refused
    QTest::addColumn<QString>("error");
    const double no = qQNaN();
    QTest::newRow("decimal") << "59.91" << true << 59.91 << "";
    QTest::newRow("decimal comma") << "-87,62" << false << -87.62 << "";
    QTest::newRow("degrees minutes N") << "59°54.6'N" << true << 59.91 << "";
    QTest::newRow("letter first, blanks") << "S 38 41.4" << true << -38.69 << "";
    QTest::newRow("d m s W") << "87° 37' 12\" W" << false << -87.62 << "";
    QTest::newRow("lower case e") << "176.07e" << false << 176.07 << "";
    QTest::newRow("exactly the pole") << "90" << true << 90.0 << "";
    QTest::newRow("past the pole") << "90.5" << true << no << "The latitude must lie between 90° S and 90° N.";
    QTest::newRow("past the pole, south") << "91 S" << true << no << "The latitude must lie between 90° S and 90° N.";
    QTest::newRow("longitude too far") << "-180.01" << false << no
                                       << "The longitude must lie between 180° W and 180° E.";
    QTest::newRow("E on a latitude") << "45 E" << true << no
                                     << "Type the latitude in degrees, such as 59.91 or 59°54.6' N.";
    QTest::newRow("minus and S") << "-45 S" << true << no
                                 << "Type the latitude in degrees, such as 59.91 or 59°54.6' N.";
    QTest::newRow("60 minutes") << "45 60" << true << no
                                << "Type the latitude in degrees, such as 59.91 or 59°54.6' N.";
    QTest::newRow("decimal degrees and minutes")
        << "45.5 10" << true << no << "Type the latitude in degrees, such as 59.91 or 59°54.6' N.";
    QTest::newRow("words") << "north" << true << no << "Type the latitude in degrees, such as 59.91 or 59°54.6' N.";
    QTest::newRow("blank") << "  " << false << no << "Please enter the longitude.";
}

void tst_Places::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, latitude);
    QFETCH(double, expected);
    const AngleParse p = parseAngle(text, latitude ? Axis::Latitude : Axis::Longitude);
    QTEST(p.error, "error");
    QCOMPARE(p.degrees.has_value(), !qIsNaN(expected));
    if (p.degrees)
        QVERIFY2(std::abs(*p.degrees - expected) < 1e-9, qPrintable(QString::number(*p.degrees, 'f', 9)));
}

void tst_Places::degreesMinutes()
{
    QCOMPARE(degreesMinutesText(59.91, Axis::Latitude), QStringLiteral("59° 54.600' N"));
    QCOMPARE(degreesMinutesText(-87.62, Axis::Longitude), QStringLiteral("87° 37.200' W"));
    // Rounding the minutes carries into the degrees rather than showing 60 minutes.
    QCOMPARE(degreesMinutesText(-38.9999999, Axis::Latitude), QStringLiteral("39° 0.000' S"));
    // What is shown reads back as what was stored.
    const AngleParse back = parseAngle(degreesMinutesText(-87.62, Axis::Longitude), Axis::Longitude);
    QVERIFY(back.degrees && std::abs(*back.degrees + 87.62) < 1e-9);
}

void tst_Places::oldDiaryGainsTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kDatabaseFileName);
    test::makeDatabase(path);
    const auto schemaOf14 = [&] {
        return test::querySingle(path, QStringLiteral("SELECT group_concat(sql, ';') FROM (SELECT sql FROM "
                                                      "sqlite_master WHERE name <> 'Places' ORDER BY name)"))
            .toString();
    };
    const QString before = schemaOf14();
    const QByteArray bytesBefore = test::readAll(path);

    // Reading an old diary finds no positions and leaves the file as it was.
    PlacesRead read = readPlaces(path);
    QVERIFY(read.ok);
    QVERIFY(read.positions.isEmpty());
    QVERIFY(read.homeWater.isEmpty());
    QCOMPARE(test::readAll(path), bytesBefore);

    QVERIFY(
        writePlacePosition(path, {QStringLiteral("Clear Lake"), 39.0, -122.8, QStringLiteral("America/Los_Angeles")}));
    QVERIFY(writeHomeWater(path, QStringLiteral("clear lake")));
    QVERIFY(writeHomeWater(path, QStringLiteral("Lake Without Position")));
    QVERIFY(writeHomeWater(path, QStringLiteral("Clear Lake")));
    // Saving again replaces, whatever the letter case.
    QVERIFY(writePlacePosition(path, {QStringLiteral("CLEAR LAKE "), 39.1, -122.9, QStringLiteral("UTC")}));

    read = readPlaces(path);
    QVERIFY(read.ok);
    QCOMPARE(read.positions.size(), 1);
    QCOMPARE(read.homeWater, QStringLiteral("Clear Lake"));
    const std::optional<PlacePosition> p = findPlace(read, QStringLiteral(" clear LAKE"));
    QVERIFY(p);
    QCOMPARE(p->latitude, 39.1);
    QCOMPARE(p->zone, QStringLiteral("UTC"));
    // A home water chosen and then changed leaves no stray row behind.
    QCOMPARE(test::querySingle(path, QStringLiteral("SELECT count(*) FROM Places")).toInt(), 1);

    // The position goes, the home water stays.
    QVERIFY(clearPlacePosition(path, QStringLiteral("Clear Lake")));
    read = readPlaces(path);
    QVERIFY(read.positions.isEmpty());
    QCOMPARE(read.homeWater, QStringLiteral("Clear Lake"));

    // Nothing else of the file changed, and it is still a whole diary of ours.
    QCOMPARE(schemaOf14(), before);
    QVERIFY(verifyDatabase(path).ok);
}

TF_CORE_TEST_MAIN(tst_Places)
#include "tst_places.moc"
