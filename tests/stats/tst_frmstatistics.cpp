// The statistics window: it opens from the utilities menu, its filter changes the
// figures, a reversed range or a locked log is said while the window stays usable,
// the exports and the print write what the figures say; reading and counting run
// beside the window, so only the newest figures are shown and closing never waits
// for a whole count.

#include "FakePlatform.h"
#include "TestMain.h"
#include "data/Schema.h"
#include "reports/RunReport.h"
#include "shell/WindowRegistry.h"
#include "shell/frmUtilities.h"
#include "stats/StatsChart.h"
#include "stats/frmStatistics.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

namespace {

void release()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestFrmStatistics : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensFromUtilities();
    void filterChangesFigures();
    void reversedRangeIsSaid();
    void exportTable();
    void exportChart();
    void lockedLog();
    void newestFilterWins();
    void closingWhileReading();
    void printCarriesFigures();

private:
    // Waits as long as a slow build under a loaded machine may need; returns as soon as ready.
    frmStatistics *openWindow(int ms = 30000);
    // Waits for the figures of the filter as it is now.
    bool ready(int ms = 30000)
    {
        return QTest::qWaitFor([this] { return !m_window->busy(); }, ms);
    }
    template <class W> W *child(const char *name) { return m_window->findChild<W *>(QLatin1String(name)); }

    std::unique_ptr<FakePlatformScope> m_scope;
    frmStatistics *m_window = nullptr;
};

void TestFrmStatistics::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    const QString db = m_scope->file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(execSql(db, "INSERT INTO Log (Date, \"Total Fish\", Lake, \"Lure Color\") VALUES "
                        "('2024-05-04', '3', 'Clear Lake', 'Red'), ('2024-05-11', '0', 'clear lake', 'Red'), "
                        "('2024-06-01', '6', 'Fox River', 'Chartreuse'), ('2024-06-08', 'some', 'Fox River', ''), "
                        "('2024-07-20', '2', 'Lake \"Big\", north', 'Red')"));
    WindowRegistry::define<frmStatistics>();
    m_window = nullptr;
}

void TestFrmStatistics::cleanup()
{
    WindowRegistry::closeAll();
    release();
    WindowRegistry::undefine(QStringLiteral("frmStatistics"));
    m_scope.reset();
}

frmStatistics *TestFrmStatistics::openWindow(int ms)
{
    m_window = WindowRegistry::open<frmStatistics>();
    return m_window && ready(ms) ? m_window : nullptr;
}

void TestFrmStatistics::opensFromUtilities()
{
    auto *menu = WindowRegistry::open<frmUtilities>();
    QVERIFY(menu);
    QTest::mouseClick(menu->findChild<QPushButton *>("cmdStatistics"), Qt::LeftButton);
    m_window = WindowRegistry::find<frmStatistics>();
    QVERIFY(m_window);
    QVERIFY(m_window->isVisible());
    QVERIFY(ready());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Fishing Statistics"));
    QVERIFY(menu->windowState() & Qt::WindowMinimized);
    QCOMPARE(m_scope->fake().messages.size(), 0);
    QVERIFY(child<QLabel>("lblTotals")->text().startsWith(QLatin1String("<b>5</b> trips, <b>4</b> with a known")));
}

void TestFrmStatistics::filterChangesFigures()
{
    QVERIFY(openWindow());
    auto *lakes = child<QComboBox>("cboLake");
    // Both spellings of Clear Lake are one choice.
    QCOMPARE(lakes->count(), 4);
    QCOMPARE(lakes->itemText(0), QStringLiteral("(all)"));
    QCOMPARE(lakes->itemText(1), QStringLiteral("Clear Lake"));
    // Most fish per trip on top (the table goes by trips); n is the trips a bar's fish per
    // trip stands on; a group of none says so rather than show 0, and comes last.
    QCOMPARE(child<StatsChart>("cht_lure_color")->categories(),
             (QStringList{"Chartreuse (n=1)", "Red (n=3)", "(none) (catch unknown)"}));
    QCOMPARE(child<QTableView>("tbl_lure_color")->model()->index(0, 0).data().toString(), QStringLiteral("Red"));
    lakes->setCurrentIndex(1);
    QVERIFY(ready());
    QCOMPARE(m_window->result().totals.figures.trips, 2);
    QCOMPARE(m_window->result().totals.figures.fish, 3);
    QVERIFY(child<QLabel>("lblTotals")->text().contains(QLatin1String("<b>1.50</b> fish per trip over 2 trips")));
    const QAbstractItemModel *colours = child<QTableView>("tbl_lure_color")->model();
    QCOMPARE(colours->rowCount(), 1);
    QCOMPARE(colours->index(0, 0).data().toString(), QStringLiteral("Red"));
    QCOMPARE(colours->index(0, 5).data().toString(), QStringLiteral("50% (1)"));
    // The chart names the sample behind each bar.
    QCOMPARE(child<StatsChart>("cht_lure_color")->categories(), QStringList{"Red (n=2)"});
    lakes->setCurrentIndex(0);
    child<QDateEdit>("dtpFrom")->setDate(QDate(2024, 6, 1));
    QVERIFY(ready());
    QCOMPARE(m_window->result().totals.figures.trips, 3);
    QCOMPARE(child<StatsChart>("cht_month")->categories(), (QStringList{"June (n=1)", "July (n=1)"}));
}

void TestFrmStatistics::reversedRangeIsSaid()
{
    QVERIFY(openWindow());
    child<QDateEdit>("dtpFrom")->setDate(QDate(2024, 7, 1));
    child<QDateEdit>("dtpTo")->setDate(QDate(2024, 6, 1));
    QVERIFY(ready());
    auto *problem = child<QLabel>("lblProblem");
    QVERIFY(!problem->isHidden());
    QCOMPARE(problem->text(), QStringLiteral("The date range is reversed: 7/1/24 comes after 6/1/24."));
    QCOMPARE(child<QTableView>("tbl_lake")->model()->rowCount(), 0);
    // Putting the range right brings the figures back.
    child<QDateEdit>("dtpTo")->setDate(QDate(2024, 7, 31));
    QVERIFY(ready());
    QVERIFY(problem->isHidden());
    QCOMPARE(child<QTableView>("tbl_lake")->model()->rowCount(), 1);
}

void TestFrmStatistics::exportTable()
{
    QVERIFY(openWindow());
    auto *tabs = child<QTabWidget>("tabBreakdowns");
    QVERIFY(!child<QPushButton>("cmdExportTable")->isEnabled()); // the glance page has no one table
    tabs->setCurrentWidget(child<QTableView>("tbl_lake")->parentWidget());
    const QString path = m_scope->file("lakes");
    m_scope->fake().saveAnswers.enqueue(path);
    QTest::mouseClick(child<QPushButton>("cmdExportTable"), Qt::LeftButton);
    QCOMPARE(m_scope->fake().saveRequests.last().initialName, QStringLiteral("statistics-lake.csv"));
    QCOMPARE(readAll(path + ".csv"), QByteArray("group,trips,known,fish,fish_per_trip,blank_share\r\n"
                                                "Clear Lake,2,2,3,1.500,0.500\r\n"
                                                "Fox River,2,1,6,6.000,0.000\r\n"
                                                "\"Lake \"\"Big\"\", north\",1,1,2,2.000,0.000\r\n"));
    // A folder that is not there is said, not taken for done.
    m_scope->fake().saveAnswers.enqueue(m_scope->file("no/such/folder/x.csv"));
    QTest::mouseClick(child<QPushButton>("cmdExportTable"), Qt::LeftButton);
    QVERIFY(m_scope->fake().lastMessageText().startsWith(QLatin1String("The table could not be exported.\n")));
}

void TestFrmStatistics::exportChart()
{
    QVERIFY(openWindow());
    const QString png = m_scope->file("glance.png");
    const QString pdf = m_scope->file("months.pdf");
    m_scope->fake().saveAnswers.enqueue(png);
    QTest::mouseClick(child<QPushButton>("cmdExportChart"), Qt::LeftButton);
    const QImage image(png);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), child<QWidget>("pagGlance")->size());
    child<QTabWidget>("tabBreakdowns")->setCurrentWidget(child<StatsChart>("cht_month")->parentWidget());
    m_scope->fake().saveAnswers.enqueue(pdf);
    QTest::mouseClick(child<QPushButton>("cmdExportChart"), Qt::LeftButton);
    QVERIFY(readAll(pdf).startsWith("%PDF"));
    QCOMPARE(m_scope->fake().messages.size(), 0);
}

void TestFrmStatistics::lockedLog()
{
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(m_scope->file(kDatabaseFileName).toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    m_window = WindowRegistry::open<frmStatistics>();
    QVERIFY(m_window);
    // The window is there while the read waits for the lock, and says what it is doing.
    QVERIFY(m_window->isVisible());
    QTRY_VERIFY(child<QLabel>("lblBusy")->isVisible());
    QCOMPARE(child<QLabel>("lblBusy")->text(), QStringLiteral("Reading the fishing log..."));
    QVERIFY(!child<QWidget>("fraFilter")->isEnabled());
    QVERIFY(ready());
    QCOMPARE(m_scope->fake().messages.size(), 1);
    QCOMPARE(m_scope->fake().messages.last().text, QStringLiteral("The fishing log could not be read.\n"
                                                                  "database is locked"));
    QVERIFY(!child<QLabel>("lblProblem")->isHidden());
    QVERIFY(!child<QLabel>("lblBusy")->isVisible());
    QCOMPARE(m_window->result().totals.figures.trips, 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QTest::mouseClick(child<QPushButton>("cmdRefresh"), Qt::LeftButton);
    QVERIFY(ready());
    QCOMPARE(m_window->result().totals.figures.trips, 5);
    QVERIFY(child<QLabel>("lblProblem")->isHidden());
    QVERIFY(child<QWidget>("fraFilter")->isEnabled());
}

// Two filter changes in quick succession: the figures of the first are never
// shown, not even for a moment, and those of the second are.
void TestFrmStatistics::newestFilterWins()
{
    QVERIFY(openWindow());
    QList<qint64> shown;
    connect(m_window, &frmStatistics::figuresShown, this, [&] { shown << m_window->result().totals.figures.trips; });
    auto *lakes = child<QComboBox>("cboLake");
    lakes->setCurrentIndex(1); // Clear Lake: 2 trips
    lakes->setCurrentIndex(3); // Lake "Big", north: 1 trip
    QVERIFY(m_window->busy());
    QVERIFY(!child<QPushButton>("cmdExportChart")->isEnabled());
    QVERIFY(ready());
    QCOMPARE(shown, QList<qint64>{1});
    QCOMPARE(m_window->result().totals.figures.fish, 2);
    QCOMPARE(child<QTableView>("tbl_lake")->model()->index(0, 0).data().toString(),
             QStringLiteral("Lake \"Big\", north"));
    QVERIFY(child<QPushButton>("cmdExportChart")->isEnabled());
}

// On a log of many different names, closing the window at once takes a small
// part of what reading the whole log takes: the read is told to stop.
void TestFrmStatistics::closingWhileReading()
{
    QString sql = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60000) "
                                 "INSERT INTO Log (Date, \"Total Fish\"");
    QString values = QStringLiteral("printf('%04d-%02d-01', 1980 + i % 40, 1 + i % 12), i % 5");
    for (const char *c : {"Lake", "Fish Caught", "Best Lure", "Lure Color", "Weather", "Structure"}) {
        sql += QStringLiteral(", \"%1\"").arg(QLatin1String(c));
        values += QStringLiteral(", '%1 ' || i").arg(QLatin1String(c));
    }
    QVERIFY(execSql(m_scope->file(kDatabaseFileName), sql + QStringLiteral(") SELECT ") + values + " FROM n"));

    QElapsedTimer clock;
    clock.start();
    QVERIFY(openWindow(180000)); // 60,000 trips: seconds in the sanitizer build
    const qint64 whole = clock.elapsed();
    QCOMPARE(m_window->result().totals.figures.trips, 60005);
    WindowRegistry::closeAll();
    release();

    m_window = WindowRegistry::open<frmStatistics>();
    QVERIFY(m_window && m_window->busy());
    clock.restart();
    m_window->close();
    release();
    const qint64 closing = clock.elapsed();
    QVERIFY(!WindowRegistry::find<frmStatistics>());
    QVERIFY2(closing * 3 < whole, qPrintable(QStringLiteral("closing %1 ms, reading %2 ms").arg(closing).arg(whole)));
    QCOMPARE(m_scope->fake().messages.size(), 0);
    // A window opened again reads and counts as before.
    QVERIFY(openWindow(180000));
    QCOMPARE(m_window->result().totals.figures.trips, 60005);
}

// Print hands the report engine a database of the figures of the filter shown;
// the program's own definition prints them.
void TestFrmStatistics::printCarriesFigures()
{
    QVERIFY(QFile::copy(QStringLiteral(TF_REPORT_DEFINITIONS "/statistics.rpt"), m_scope->file("statistics.rpt")));
    QVERIFY(execSql(m_scope->file(kDatabaseFileName), "UPDATE Register SET Name = 'Pat Angler'"));
    FakePlatform &fake = m_scope->fake();
    QString figures;
    fake.reportMaker = [&figures](const QString &file, QWidget *parent, const QString &database) {
        figures = database;
        return runReport(file, parent, database);
    };
    QVERIFY(openWindow());
    child<QComboBox>("cboLake")->setCurrentIndex(2); // Fox River
    QVERIFY(ready());
    QTest::mouseClick(child<QPushButton>("cmdPrint"), Qt::LeftButton);
    QCOMPARE(fake.reports.size(), 1);
    QCOMPARE(fake.reports[0].first, QStringLiteral("statistics.rpt"));
    QVERIFY(!figures.isEmpty() && figures != m_scope->file(kDatabaseFileName));
    QVERIFY(!QFileInfo::exists(figures)); // a scratch file, gone after printing
    QCOMPARE(fake.previewTitles, QStringList{"Print Preview"});
    const QString text = fake.previewTexts.value(0);
    QVERIFY2(text.contains(QLatin1String("Trips on Fox River")), qPrintable(text.left(2000)));
    QVERIFY(text.contains(QLatin1String("Pat Angler")));
    // Fox River: 2 trips, one of known catch with 6 fish, none blank; its colours Chartreuse and none.
    QVERIFY2(text.contains(QLatin1String("Fox River\n2\n1\n6\n6.00\n0% (0)")), qPrintable(text.left(3000)));
    QVERIFY(text.contains(QLatin1String("Chartreuse\n1\n1\n6\n6.00\n0% (0)")));
    QVERIFY(!text.contains(QLatin1String("Clear Lake")));
    QCOMPARE(fake.messages.size(), 0);
}

TF_TEST_MAIN(TestFrmStatistics)
#include "tst_frmstatistics.moc"
