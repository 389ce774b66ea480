// Sun and moon times checked against a stored table from an independent ephemeris
// (solunar_reference.py writes it), the days that have no rise or set, daylight-saving
// days, and the periods built on the times.

#include "moon/Solunar.h"

#include <QFile>
#include <QTest>
#include <QTextStream>

using namespace tf::solunar;

namespace {

constexpr qint64 kToleranceMs = 120000; // two minutes
qint64 s_worstMs = 0;                   // the largest difference met, reported at the end
int s_compared = 0;

qint64 utcMsecs(const QString &text)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    t.setTimeZone(QTimeZone::utc());
    return t.toMSecsSinceEpoch();
}

Place place(double lat, double lon, const char *zone)
{
    return {lat, lon, QTimeZone(zone)};
}

} // namespace

class tst_Solunar : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase()
    {
        qInfo("%d times compared, worst %.1f s off the reference", s_compared, double(s_worstMs) / 1000);
    }
    void referenceTable_data();
    void referenceTable();
    void localTimes_data();
    void localTimes();
    void periods();
};

void tst_Solunar::referenceTable_data()
{
    QTest::addColumn<QStringList>("row");
    QFile f(QStringLiteral(TF_SOLUNAR_REFERENCE));
    QVERIFY2(f.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(f.fileName()));
    QTextStream in(&f);
    int rows = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty())
            continue;
        const QStringList row = line.split(QLatin1Char('\t'));
        QCOMPARE(row.size(), 13);
        QTest::addRow("%s %s", qPrintable(row[0]), qPrintable(row[4])) << row;
        ++rows;
    }
    QVERIFY(rows > 100);
}

void tst_Solunar::referenceTable()
{
    QFETCH(QStringList, row);
    const Place p = place(row[1].toDouble(), row[2].toDouble(), row[3].toLatin1().constData());
    QVERIFY(p.zone.isValid());
    const Day day = computeDay(p, QDate::fromString(row[4], Qt::ISODate));
    QCOMPARE(day.dayStart, utcMsecs(row[5]));
    QCOMPARE((day.dayEnd - day.dayStart) / 3600000, row[6].toLongLong());

    struct Field
    {
        const char *name;
        std::optional<qint64> mine;
        AllDay allDay;
        QString theirs;
    };
    const Field fields[] = {
        {"sunrise", day.sunrise, day.sunAllDay, row[7]},       {"sunset", day.sunset, day.sunAllDay, row[8]},
        {"moonrise", day.moonrise, day.moonAllDay, row[9]},    {"moonset", day.moonset, day.moonAllDay, row[10]},
        {"upper transit", day.moonUpper, AllDay::No, row[11]}, {"lower transit", day.moonLower, AllDay::No, row[12]}};
    for (const Field &f : fields) {
        if (f.theirs == QLatin1String("-") || f.theirs == QLatin1String("up") || f.theirs == QLatin1String("down")) {
            QVERIFY2(
                !f.mine,
                qPrintable(QStringLiteral("%1: none expected, got %2")
                               .arg(QLatin1String(f.name),
                                    QDateTime::fromMSecsSinceEpoch(*f.mine, QTimeZone::utc()).toString(Qt::ISODate))));
            if (f.theirs != QLatin1String("-"))
                QCOMPARE(f.allDay, f.theirs == QLatin1String("up") ? AllDay::Up : AllDay::Down);
            continue;
        }
        QVERIFY2(f.mine, qPrintable(QStringLiteral("%1: none computed, expected %2").arg(f.name, f.theirs)));
        const qint64 diff = *f.mine - utcMsecs(f.theirs);
        s_worstMs = std::max(s_worstMs, std::abs(diff));
        ++s_compared;
        QVERIFY2(std::abs(diff) <= kToleranceMs,
                 qPrintable(QStringLiteral("%1 off by %2 s").arg(QLatin1String(f.name)).arg(diff / 1000.0)));
    }
}

// What the user reads: local clock times across daylight-saving changes, and the words
// for a sun or moon that stays up or down.
void tst_Solunar::localTimes_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("sunrise");
    QTest::addColumn<QString>("sunset");
    QTest::addColumn<QString>("moonrise");

    // Times as the independent ephemeris gives them, read on the local clock.
    // Spring forward at 02:00: sunrise is already on summer time.
    QTest::newRow("Oslo, 23-hour day") << 59.91 << 10.75 << "Europe/Oslo" << QDate(2021, 3, 28) << "06:54"
                                       << "19:51"
                                       << "19:18";
    // Fall back at 02:00: the rest of the day is on standard time.
    QTest::newRow("Chicago, 25-hour day") << 41.88 << -87.62 << "America/Chicago" << QDate(2023, 11, 5) << "06:28"
                                          << "16:40"
                                          << "23:29";
    QTest::newRow("midnight sun") << 68.35 << 18.82 << "Europe/Stockholm" << QDate(2025, 6, 21) << "up all day"
                                  << "up all day"
                                  << "00:01";
    QTest::newRow("polar night, moon below")
        << 68.35 << 18.82 << "Europe/Stockholm" << QDate(2026, 12, 9) << "down all day"
        << "down all day"
        << "down all day";
    QTest::newRow("unknown zone is UTC") << 0.32 << 32.58 << "Nowhere/Else" << QDate(2026, 12, 9) << "03:39"
                                         << "15:45"
                                         << "03:47";
}

void tst_Solunar::localTimes()
{
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(QString, zone);
    QFETCH(QDate, date);
    const Day day = computeDay({lat, lon, QTimeZone(zone.toLatin1())}, date);
    QTEST(eventText(day, day.sunrise, day.sunAllDay), "sunrise");
    QTEST(eventText(day, day.sunset, day.sunAllDay), "sunset");
    QTEST(eventText(day, day.moonrise, day.moonAllDay), "moonrise");
}

// Majors are two hours around the moon's transits, minors one hour around its rise and
// set, all cut at the day's ends; a time in a major counts as major where both overlap.
void tst_Solunar::periods()
{
    for (int d = 1; d <= 31; ++d) {
        const Day day = computeDay(place(41.88, -87.62, "America/Chicago"), QDate(2023, 3, d));
        for (const Period &p : day.periods) {
            QVERIFY(p.start >= day.dayStart && p.end <= day.dayEnd);
            QVERIFY(p.end > p.start);
            const qint64 full = p.kind == PeriodKind::Major ? 7200000 : 3600000;
            const bool clipped = p.start == day.dayStart || p.end == day.dayEnd;
            QVERIFY(clipped || p.end - p.start == full);
        }
        QCOMPARE(day.majors().size(), int(day.moonUpper.has_value()) + int(day.moonLower.has_value()));
        QCOMPARE(day.periods.size() - day.majors().size(),
                 int(day.moonrise.has_value()) + int(day.moonset.has_value()));
        if (day.moonUpper)
            QCOMPARE(day.periodAt(*day.moonUpper), PeriodKind::Major);
    }

    Day day;
    day.dayStart = 0;
    day.dayEnd = 86400000;
    day.periods = {{PeriodKind::Minor, 3600000, 7200000}, {PeriodKind::Major, 5400000, 12600000}};
    QCOMPARE(day.periodAt(3600000), PeriodKind::Minor);
    QCOMPARE(day.periodAt(6000000), PeriodKind::Major);
    QCOMPARE(day.periodAt(12600000), std::nullopt);
    day.sunrise = 12000000;
    day.sunset = 60000000;
    QVERIFY(day.majorAtSunrise());
    QVERIFY(!day.majorAtSunset());
}

QTEST_GUILESS_MAIN(tst_Solunar)
#include "tst_solunar.moc"
