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

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtCharts/QValueAxis>
#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

namespace {

void release()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Files written meanwhile cannot grow past `bytes`: a full disk, for this program alone.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the program
        const rlimit limit{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};

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
    void failedExportKeepsOldFile_data();
    void failedExportKeepsOldFile();
    void dateBoxes();
    void doubtfulLogIsSaid_data();
    void doubtfulLogIsSaid();
    void sameFishAsTotalFishReport();
    void roundTicks_data();
    void roundTicks();

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
    // The value axis ends on a round number past the longest bar (Chartreuse's 6), a tick at every fish.
    const auto values = child<StatsChart>("cht_lure_color")->chart()->axes(Qt::Horizontal);
    QCOMPARE(values.size(), 1);
    const auto *drawn = qobject_cast<QValueAxis *>(values.first());
    QVERIFY(drawn && drawn->tickType() == QValueAxis::TicksDynamic);
    QCOMPARE(drawn->max(), 7.0);
    QCOMPARE(drawn->tickInterval(), 1.0);
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

// A write that fails leaves the file that was there as it was, with no scraps beside
// it, and the message gives the system's reason.
void TestFrmStatistics::failedExportKeepsOldFile_data()
{
    QTest::addColumn<QString>("page"); // the chart or table whose page is shown; empty: At a Glance
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("readOnlyFolder"); // else the disk is full
    QTest::addColumn<QString>("message");
    for (bool readOnly : {false, true}) {
        const char *how = readOnly ? "read-only folder" : "full disk";
        QTest::addRow("CSV, %s", how) << "tbl_lake"
                                      << "cmdExportTable"
                                      << "lakes.csv" << readOnly << "The table could not be exported.\n";
        QTest::addRow("PNG, %s", how) << ""
                                      << "cmdExportChart"
                                      << "glance.png" << readOnly << "The chart could not be exported.\n";
        QTest::addRow("PDF, %s", how) << "cht_month"
                                      << "cmdExportChart"
                                      << "months.pdf" << readOnly << "The chart could not be exported.\n";
    }
}

void TestFrmStatistics::failedExportKeepsOldFile()
{
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(QString, file);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, message);
    if (readOnlyFolder && geteuid() == 0)
        QSKIP("The superuser writes into a read-only folder.");
    QVERIFY(openWindow());
    if (!page.isEmpty())
        child<QTabWidget>("tabBreakdowns")->setCurrentWidget(child<QWidget>(qPrintable(page))->parentWidget());
    const QString folder = m_scope->file("out");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QLatin1Char('/') + file;
    const QByteArray old = "what was there before, and must stay";
    QVERIFY(writeAll(path, old));
    m_scope->fake().saveAnswers.enqueue(path);
    if (readOnlyFolder) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    } else {
        const FileSizeLimit full(16);
        QTest::mouseClick(child<QPushButton>(qPrintable(button)), Qt::LeftButton);
    }
    QCOMPARE(m_scope->fake().messages.size(), 1);
    const QString said = m_scope->fake().lastMessageText();
    QVERIFY2(said.startsWith(message), qPrintable(said));
    const QString reason = said.mid(message.size());
    QVERIFY2(!reason.isEmpty() && !reason.contains(QLatin1String("Unknown error")), qPrintable(said));
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{file});
}

// The calendar of a box at "(any)" opens on this month, and one click gives "(any)" back.
void TestFrmStatistics::dateBoxes()
{
    m_scope->fake().setNow(QDateTime(QDate(2024, 6, 20), QTime(8, 0)));
    QVERIFY(openWindow());
    auto *from = child<QDateEdit>("dtpFrom");
    auto *any = child<QToolButton>("cmdAnyFrom");
    QCOMPARE(from->text(), QStringLiteral("(any)"));
    QVERIFY(!any->isEnabled());
    QTest::mouseClick(from, Qt::LeftButton, {}, QPoint(from->width() - 6, from->height() / 2)); // the arrow
    QCalendarWidget *calendar = from->calendarWidget();
    QTRY_VERIFY(calendar->isVisible());
    QCOMPARE(calendar->yearShown(), 2024);
    QCOMPARE(calendar->monthShown(), 6);
    QTest::keyClick(calendar->window(), Qt::Key_Escape);
    from->setDate(QDate(2024, 6, 1));
    QVERIFY(ready());
    QCOMPARE(m_window->result().totals.figures.trips, 3);
    QVERIFY(any->isEnabled());
    QTest::mouseClick(any, Qt::LeftButton);
    QVERIFY(ready());
    QCOMPARE(from->text(), QStringLiteral("(any)"));
    QCOMPARE(m_window->result().totals.figures.trips, 5);
    QVERIFY(!any->isEnabled());
}

// A count too large to be a catch, or a column the file lacks, is said in words.
void TestFrmStatistics::doubtfulLogIsSaid_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("totals");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("held key")
        << "INSERT INTO Log (Date, \"Total Fish\", Lake) VALUES ('2024-08-01', "
           "'999999999999999999', 'Fox River')"
        << "<b>6</b> trips, <b>4</b> with a known catch (2 unknown, left out of the catch "
           "figures; 1 of them with more than 10,000 fish, too many to be a catch). <b>11</b> fish"
        << "";
    QTest::newRow("no Total Fish column")
        << "ALTER TABLE Log DROP COLUMN \"Total Fish\""
        << "<b>5</b> trips, <b>0</b> with a known catch (5 unknown, left out of the catch figures). <b>0</b> fish"
        << "The table Log of the database lacks the column(s) Total Fish; they count as empty in every trip. "
           "Without Total Fish no trip's catch is known.";
}

void TestFrmStatistics::doubtfulLogIsSaid()
{
    QFETCH(QString, sql);
    QFETCH(QString, totals);
    QFETCH(QString, message);
    QVERIFY(execSql(m_scope->file(kDatabaseFileName), sql));
    QVERIFY(openWindow());
    const QString shown = child<QLabel>("lblTotals")->text();
    QVERIFY2(shown.startsWith(totals), qPrintable(shown));
    if (message.isEmpty()) {
        QCOMPARE(m_scope->fake().messages.size(), 0);
        QVERIFY(child<QLabel>("lblProblem")->isHidden());
    } else {
        QCOMPARE(m_scope->fake().lastMessageText(), message);
        QCOMPARE(child<QLabel>("lblProblem")->text(), message);
        QVERIFY(!child<QLabel>("lblProblem")->isHidden());
    }
}

// The Total Fish Caught report and the window give a diary one total of fish, whatever
// its trips hold: fish named on the fish screen, numbers that are not whole, too large or none.
void TestFrmStatistics::sameFishAsTotalFishReport()
{
    const QString db = m_scope->file(kDatabaseFileName);
    QVERIFY(execSql(db, "INSERT INTO Log (Date, \"Total Fish\", Lake, Fish1, Fish2) VALUES "
                        "('2024-08-01', '4', 'Fox River', 'Perch', ' Bass '), ('2024-08-02', '2/3', 'Fox River', "
                        "'Perch', ''), ('2024-08-03', '', 'Clear Lake', 'Pike', ''), ('2024-08-04', "
                        "'123456789012345678', '', 'Pike', ''), ('2024-08-05', '0', 'Clear Lake', 'Pike', NULL)"));
    QVERIFY(QFile::copy(QStringLiteral(TF_REPORT_DEFINITIONS "/totalfish.rpt"), m_scope->file("totalfish.rpt")));
    m_scope->fake().reportMaker = [](const QString &file, QWidget *parent, const QString &database) {
        return runReport(file, parent, database);
    };
    QVERIFY(openWindow());
    // 3 + 0 + 6 + 2 from the first five trips; then 4 + 2 named, and 0 + 1 named.
    QCOMPARE(m_window->result().totals.figures.fish, 18);
    QVERIFY(platform().printReport(QStringLiteral("totalfish.rpt"), m_window));
    const QString text = m_scope->fake().previewTexts.value(0);
    QVERIFY2(text.contains(QLatin1String("18 fish caught on 10 trips")), qPrintable(text.left(2000)));
    QVERIFY(text.contains(QLatin1String("Too many\tOf these, trips whose number of fish is above 10,000: 1\n")));
}

void TestFrmStatistics::roundTicks_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("end");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::newRow("9.9") << 9.9 << 10.0 << 2.0 << 0;
    QTest::newRow("on a tick") << 6.0 << 7.0 << 1.0 << 0;
    QTest::newRow("2.4") << 2.4 << 2.5 << 0.5 << 1;
    QTest::newRow("a third") << 0.33 << 0.35 << 0.05 << 2;
    QTest::newRow("hundreds") << 150.0 << 160.0 << 20.0 << 0;
    QTest::newRow("no fish") << 0.0 << 1.0 << 0.2 << 1;
}

void TestFrmStatistics::roundTicks()
{
    QFETCH(double, top);
    const RoundAxis axis = roundAxis(top);
    QTEST(axis.end, "end");
    QTEST(axis.step, "step");
    QTEST(axis.decimals, "decimals");
}

TF_TEST_MAIN(TestFrmStatistics)
#include "tst_frmstatistics.moc"
