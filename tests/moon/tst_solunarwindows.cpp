// Where the user meets the sun and moon times: a lake's position typed in the options,
// the moon window and its printed month, the log's line beside the date, and the
// statistics of trips against the periods. The times expected are those of the stored
// independent ephemeris for the Oslofjord on 9 December 2026 (solunar_reference.tsv),
// read on the Oslo clock: sunrise 09:05, sunset 15:13, moonrise 10:45, moonset 14:13,
// the moon overhead 12:29 and underfoot 00:03.

#include "FakePlatform.h"
#include "ScreenTest.h"
#include "TestMain.h"
#include "data/Places.h"
#include "moon/frmMain.h"
#include "reports/RunReport.h"
#include "screens/frmLogs.h"
#include "screens/frmOptions.h"
#include "stats/SolunarStats.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace tf;
using namespace tf::test;

class TestSolunarWindows : public ScreenTest
{
    Q_OBJECT
private slots:
    void positionTypedInOptions();
    void moonWindowAndMonth();
    void logLine_data();
    void logLine();
    void statistics();

private:
    void prepare() override
    {
        QVERIFY(sql("INSERT INTO Lakes (Lakes) VALUES ('Oslofjord'), ('Mill Pond');"));
        fake().setNow(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    }
    void placeOslofjord() const
    {
        QVERIFY(writePlacePosition(db(), {QStringLiteral("Oslofjord"), 59.91, 10.75, QStringLiteral("Europe/Oslo")}));
    }
};

void TestSolunarWindows::positionTypedInOptions()
{
    QVERIFY(open<frmOptions>());
    QVERIFY(click("cmdLakes"));
    QVERIFY(chooseRow("DBGrid1", 1)); // Mill Pond
    QVERIFY(get<QLineEdit>("txtLatitude")->isReadOnly());
    QVERIFY(click("cmdEditlake"));
    ScreenDriver::paste(get<QLineEdit>("txtLatitude"), QStringLiteral("95 N"));
    ScreenDriver::paste(get<QLineEdit>("txtLongitude"), QStringLiteral("10,75"));
    get<QComboBox>("cboZone")->setCurrentText(QStringLiteral("Europe/Oslo"));
    QVERIFY(click("cmdSavelake"));
    // Refused with a message; the typing and the editing stay.
    QCOMPARE(lastMessage(), QStringLiteral("The latitude must lie between 90° S and 90° N."));
    QCOMPARE(get<QLineEdit>("txtLatitude")->text(), QStringLiteral("95 N"));
    QVERIFY(get<QWidget>("cmdSavelake")->isVisible());
    QCOMPARE(value("SELECT count(*) FROM sqlite_master WHERE name = 'Places'").toInt(), 0);

    ScreenDriver::paste(get<QLineEdit>("txtLatitude"), QStringLiteral("59°54.6'N"));
    QVERIFY(get<QLabel>("lblPosition")->text().contains(QStringLiteral("59.910000° = 59° 54.600' N")));
    QVERIFY(click("cmdSavelake"));
    QCOMPARE(messages().size(), 1);
    QCOMPARE(
        value("SELECT Latitude || ' ' || Longitude || ' ' || Zone FROM Places WHERE Lake = 'Mill Pond'").toString(),
        QStringLiteral("59.91 10.75 Europe/Oslo"));

    // A renamed lake keeps its position under its new name.
    QVERIFY(click("cmdEditlake"));
    ScreenDriver::paste(get<QLineEdit>("Text1"), QStringLiteral("Mill Lake"));
    QVERIFY(click("cmdSavelake"));
    QCOMPARE(value("SELECT group_concat(Lake) FROM Places").toString(), QStringLiteral("Mill Lake"));
}

void TestSolunarWindows::moonWindowAndMonth()
{
    // Without any position the window says where to add one.
    QVERIFY(open<frmMain>());
    QVERIFY(get<QLabel>("lblSolunar")->text().contains(QStringLiteral("Database Options, Lakes / Rivers")));
    QVERIFY(!get<QWidget>("cmdSolunarTable")->isEnabled());
    ui().close();

    placeOslofjord();
    QVERIFY(writeHomeWater(db(), QStringLiteral("Oslofjord")));
    QVERIFY(open<frmMain>());
    const QString shown = get<QLabel>("lblSolunar")->text();
    for (const char *part :
         {"Sunrise 09:05   Sunset 15:13", "Moonrise 10:45   Moonset 14:13", "Moon overhead 12:29   underfoot 00:03",
          "Major 00:00-01:03, 11:29-13:29", "Minor 10:15-11:15, 13:43-14:43", "times in Europe/Oslo"})
        QVERIFY2(shown.contains(QLatin1String(part)), qPrintable(shown));

    QVERIFY(QFile::copy(QStringLiteral(TF_REPORT_DEFINITIONS "/solunar.rpt"), file("solunar.rpt")));
    fake().reportMaker = [](const QString &report, QWidget *parent, const QString &database) {
        return runReport(report, parent, database);
    };
    QVERIFY(click("cmdSolunarTable"));
    QCOMPARE(fake().reports.size(), 1);
    QCOMPARE(fake().reports[0].first, QStringLiteral("solunar.rpt"));
    const QString text = fake().previewTexts.join(QLatin1Char('\n'));
    for (const char *part : {"Solunar Table", "Oslofjord", "December 2026", "59° 54.600' N, 10° 45.000' E",
                             "Wed 9\n09:05\n15:13\n10:45\n14:13\n12:29\n00:03", "Thu 31"})
        QVERIFY2(text.contains(QString::fromUtf8(part)),
                 qPrintable(QString::fromUtf8(part) + QLatin1Char('\n') + text));
    QCOMPARE(messages().size(), 0);
}

void TestSolunarWindows::logLine_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("lake");
    QTest::addColumn<QString>("line");
    QTest::newRow("lake with a position") << "2026-12-09"
                                          << "oslofjord "
                                          << "Major 00:00-01:03, 11:29-13:29\nMinor 10:15-11:15, 13:43-14:43";
    QTest::newRow("with a time of day") << "2026-12-09 06:30:00"
                                        << "Oslofjord"
                                        << "Major 00:00-01:03, 11:29-13:29\nMinor 10:15-11:15, 13:43-14:43";
    QTest::newRow("no position") << "2026-12-09"
                                 << "Mill Pond"
                                 << "No position for Mill Pond: add one under Database Options, Lakes / Rivers.";
    QTest::newRow("no date") << ""
                             << "Oslofjord"
                             << "";
}

void TestSolunarWindows::logLine()
{
    QFETCH(QString, date);
    QFETCH(QString, lake);
    placeOslofjord();
    QVERIFY(execSql(
        db(), QStringLiteral("INSERT INTO Log (Date, Lake) VALUES (%1, '%2')")
                  .arg(date.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + date + QLatin1Char('\''), lake)));
    QVERIFY(open<frmLogs>());
    QTEST(get<QLabel>("lblSolunar")->text(), "line");
}

void TestSolunarWindows::statistics()
{
    placeOslofjord();
    QVERIFY(sql("INSERT INTO Log (Date, Lake, \"Total Fish\") VALUES"
                " ('2026-12-09 12:00:00', 'Oslofjord', '4')," // in the major period 11:29-13:29
                " ('2026-12-09 14:00:00', 'Oslofjord', '0')," // in the minor period 13:43-14:43
                " ('2026-12-09 18:00:00', 'Oslofjord', 'x')," // in neither, catch unknown
                " ('2026-12-09', 'OSLOFJORD', '2'),"          // no time of day
                " ('2026-12-09', 'Mill Pond', '1'),"          // no position
                " (NULL, 'Oslofjord', '1')"));
    const stats::SolunarFigures f = stats::computeSolunarFigures(db(), {});
    QVERIFY(f.ok);
    // That day no major period takes in sunrise (09:05) or sunset (15:13).
    QCOMPARE(f.dawnDusk[3].figures.trips, 4);
    QCOMPARE(f.dawnDusk[3].figures.known, 3);
    QCOMPARE(f.dawnDusk[3].figures.fish, 6);
    QCOMPARE(f.dawnDusk[0].figures.trips + f.dawnDusk[1].figures.trips + f.dawnDusk[2].figures.trips, 0);
    QCOMPARE(f.timeOfDay[0].figures.fish, 4);
    QCOMPARE(f.timeOfDay[1].figures.blank, 1);
    QCOMPARE(f.timeOfDay[2].figures.trips, 1);
    QCOMPARE(f.timeOfDay[2].figures.known, 0);
    QCOMPARE(f.noTime, 1);
    QCOMPARE(f.noPosition, 1);
    QCOMPARE(f.noDate, 1);

    // A date range leaves out the trips without a date; another lake leaves out all of these.
    stats::Filter range;
    range.from = QDate(2026, 12, 1);
    QCOMPARE(stats::computeSolunarFigures(db(), range).noDate, 0);
    stats::Filter mill;
    mill.lake = QStringLiteral("mill pond");
    const stats::SolunarFigures m = stats::computeSolunarFigures(db(), mill);
    QCOMPARE(m.noPosition, 1);
    QCOMPARE(m.dawnDusk[3].figures.trips, 0);
}

TF_TEST_MAIN(TestSolunarWindows)
#include "tst_solunarwindows.moc"
