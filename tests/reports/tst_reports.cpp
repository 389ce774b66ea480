// The eleven report definitions on an empty and on a known diary, runReport as
// the Print buttons use it, and the report choice window frmPrintfish.

#include "FakePlatform.h"
#include "ReportFixture.h"
#include "TestMain.h"
#include "data/Schema.h"
#include "reports/ReportPages.h"
#include "reports/ReportStream.h"
#include "reports/RunReport.h"
#include "reports/frmPrintfish.h"
#include "shell/QtPlatform.h"
#include "shell/ReportPreview.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

using namespace tf;
using namespace tf::test;

namespace {

const QString kPrinted = QStringLiteral("Printed Tuesday, December 8, 2026");

// True when the texts appear in this order.
bool inOrder(const QString &text, const QStringList &parts)
{
    qsizetype at = 0;
    for (const QString &p : parts) {
        at = text.indexOf(p, at);
        if (at < 0)
            return false;
        at += p.size();
    }
    return true;
}

struct Diary
{
    FakePlatformScope scope;
    explicit Diary(bool filled)
    {
        installDefinitions(scope.folder());
        makeDatabase(scope.file(kDatabaseFileName));
        if (filled)
            fillDiary(scope.file(kDatabaseFileName), scope.folder());
    }
};

} // namespace

class TestReports : public QObject
{
    Q_OBJECT
private slots:
    void emptyDiary_data() { definitions(); }
    void emptyDiary();
    void knownDiary_data() { definitions(); }
    void knownDiary();
    void totalFishFigures();
    void pictures();
    void reportsNeverWrite();
    void runReportShowsPreview();
    void runReportExplainsFailures_data();
    void runReportExplainsFailures();
    void longReportShowsProgressAndCancels();
    void endlessQueryCancels_data();
    void endlessQueryCancels();
    void printfishWindow();
    void previewPaintsOnlyShownPages();
    void previewOpensBeforeCountingEnds();
    void previewSavesPdf();
    void fileDialogsOpenInDocuments();

private:
    static void definitions();
};

void TestReports::definitions()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("empty");
    QTest::addColumn<QStringList>("filled"); // found in this order in the known diary

    QTest::newRow("log") << "log.rpt"
                         << "Fishing Log"
                         << "No trips have been recorded yet."
                         << QStringList{"Wednesday, July 2, 2025 — Cedar River\n",
                                        "Saturday, June 14, 2025 — Lake Okee (North Marina)\n",
                                        "Fish caught\t5 Largemouth Bass\t",
                                        "Spinnerbait, White",
                                        "Full Moon",
                                        "Southwest, Light",
                                        "Clear, 60's",
                                        "Remarks\tEarly bite near the docks.\nSlow after noon.\n",
                                        "Also caught\tCrappie on Jig — Near the bridge\n\tBluegill on Worm\n",
                                        "Fish caught\t2/3 Walleye",
                                        "Thursday, April 20, 2023\n",
                                        "Monday, October 10, 2022 — Lake Okee\nFish caught\t12\n",
                                        "Trips in this log: 7"};
    QTest::newRow("total fish") << "totalfish.rpt"
                                << "Total Fish Caught"
                                << "No fish have been recorded yet."
                                << QStringList{"23 fish caught on 7 trips", "By species", "By lake or river", "By year",
                                               "How the fish are counted"};
    QTest::newRow("best fish") << "Bestfish.rpt"
                               << "Best Fish"
                               << "No best fish have been recorded yet."
                               << QStringList{"Catfish — 14 lb\n",
                                              "Largemouth Bass — 8 lb 4 oz, 24 in\n",
                                              "Date caught\tJun 14, 2025\n",
                                              "Lake / River\tLake Okee\n",
                                              "About\tCaught at dawn off the north docks.",
                                              "Northern Pike — 11 lb",
                                              "Walleye — 6 lb\n",
                                              "Date caught\t5/2/2024\n",
                                              "Best fish: 4"};
    QTest::newRow("boats") << "boat.rpt"
                           << "Boats and Motors"
                           << "No boats or motors have been recorded yet."
                           << QStringList{"Lund Fury 1600 with Mercury 40\n", "Serial no.\tLND-99",
                                          "Boat notes\tNew trailer tires 2025", "Serial no.\tM40-1",
                                          "Motor notes\tOil change due"};
    QTest::newRow("rods") << "rods.rpt"
                          << "Rods and Reels"
                          << "No rods or reels have been recorded yet."
                          << QStringList{"Rod\nLength\nReel\nReel type\nNotes\n",
                                         "St. Croix Avid\n6'6\"\nShimano Curado\nBaitcast\n"
                                         "Rod: Medium heavy; Reel: Needs cleaning",
                                         "Rods and reels: 1"};
    QTest::newRow("equipment") << "equipment.rpt"
                               << "Equipment"
                               << "No equipment has been recorded yet."
                               << QStringList{"Cooler\n",
                                              "Fish finder\nHumbird\nHelix 5\nHX-1\n$1,250.50\n",
                                              "Waders\n",
                                              "Total\n\n\n\n$1,395.49\n",
                                              "Not in the total of \"Price\": 2 entries that are not numbers "
                                              "(\"about 40\", \"gift\").",
                                              "Items: 6"};
    QTest::newRow("contacts") << "contacts.rpt"
                              << "Address Book"
                              << "No contacts have been recorded yet."
                              << QStringList{"\nA\nalice Jones\nAddress\tEly, MN\nCell\t218-555-0199",
                                             "\nB\nBob Smith\nAddress\t1 Pine St, Duluth, MN 55802\n",
                                             "E-mail\tbob@example.com", "\nC\nCarl Berg\n", "Contacts: 3"};
    QTest::newRow("memberships") << "memberships.rpt"
                                 << "Memberships"
                                 << "No memberships have been recorded yet."
                                 << QStringList{"Bass Club\n1234\nMar 31, 2026\n25\n", "Walleye League\nW-77\n\n30.00",
                                                "Total\n\n\n55.00\n", "Memberships: 2"};
    QTest::newRow("diary") << "diary.rpt"
                           << "Fishing Diary"
                           << "No notebook entries have been written yet."
                           << QStringList{"Tuesday, September 10, 2024 — Lake Okee\nWindy all day; kept two.\n",
                                          "Saturday, June 14, 2025 — Lake Okee (North Marina)\n"
                                          "Took the new boat out for the first time.\n",
                                          "Notebook entries: 2"};
    QTest::newRow("reminders") << "reminder.rpt"
                               << "Reminders"
                               << "No reminders have been recorded."
                               << QStringList{"January 2026\n",  "Mon, Jan 5\nBoat service\n",
                                              "December 2026\n", "Sun, Dec 20\nRenew the fishing license\n",
                                              "No date\n",       "\nBuy new line\n",
                                              "Reminders: 3"};
    QTest::newRow("patterns") << "patterns.rpt"
                              << "Fishing Patterns"
                              << "No fishing patterns have been recorded yet."
                              << QStringList{"Cedar River\nJuly\n",
                                             "Lure\tPopper",
                                             "Evenings on the weed line.",
                                             "Lake Okee\nJanuary\n",
                                             "Ice fishing at the point.",
                                             "\nMarch\n",
                                             "Jig n Pig, Brown",
                                             "\nApril\n",
                                             "Crankbait, Red",
                                             "\nDecember\n",
                                             "First ice.",
                                             "Patterns: 5"};
}

void TestReports::emptyDiary()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(QString, empty);
    Diary diary(false);
    const report::BuildResult r = buildNamed(file);
    QVERIFY2(r.report, qPrintable(r.error));
    QCOMPARE(r.pages, 1);
    const QString text = reportText(*r.report);
    QVERIFY2(text.startsWith(title + QStringLiteral("\tPage 1 of 1\n\t") + kPrinted + QLatin1Char('\n')),
             qPrintable(text));
    QVERIFY2(text.contains(empty), qPrintable(text));
}

void TestReports::knownDiary()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(QStringList, filled);
    Diary diary(true);
    const report::BuildResult r = buildNamed(file);
    QVERIFY2(r.report, qPrintable(r.error));
    const QString text = reportText(*r.report);
    QVERIFY(text.startsWith(title + QStringLiteral("\tPage 1 of 1\nPat Angler\t") + kPrinted + QLatin1Char('\n')));
    QVERIFY2(inOrder(text, filled), qPrintable(text));
}

// Counted by hand from the known diary: see fillDiary.
void TestReports::totalFishFigures()
{
    Diary diary(true);
    const report::BuildResult r = buildNamed(QStringLiteral("totalfish.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    const QString text = reportText(*r.report);
    const QStringList expected = {
        "Trips\t7\tFish caught\t23\n",
        "With fish\t3\tWithout fish\t1\n",
        "Main species\t20\tFurther species\t3\n",
        // "2/3" (with a Perch named), "1.5" and the empty trip count no fish at all
        "Not counted\tTrips whose number of fish is missing, not a whole number or above 10,000: 3\n",
        "Too many\tOf these, trips whose number of fish is above 10,000: 0\n",
        // by species: fish, then trips; most fish first, "bass" and "Bass" together
        "Species\nFish\nTrips\n",
        "(species not named)\n12\n1\n",
        "Largemouth Bass\n9\n2\n",
        "Bluegill\n1\n1\n",
        "Crappie\n1\n1\n",
        "All species\n23\n\n",
        // by water: trips, trips with fish, fish
        "Lake Okee\n4\n2\n19\n",
        "Cedar River\n2\n1\n4\n",
        "(no lake or river given)\n1\n0\n0\n",
        "All waters\n7\n3\n23\n",
        // by year, newest first
        "2025\n2\n2\n11\n",
        "2024\n2\n0\n0\n",
        "2023\n2\n0\n0\n",
        "2022\n1\n1\n12\n",
        "All years\n7\n3\n23\n",
    };
    QVERIFY2(inOrder(text, expected), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Walleye"))); // its number "2/3" is not counted
    QVERIFY(!text.contains(QStringLiteral("Catfish"))); // nor "1.5"
    QVERIFY(!text.contains(QStringLiteral("Perch")));   // named on a trip that is not counted
}

void TestReports::pictures()
{
    Diary diary(true);
    const report::BuildResult r = buildNamed(QStringLiteral("Bestfish.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    const QString text = reportText(*r.report);
    QVERIFY(text.contains(QStringLiteral("Picture not found:\n/no/such/folder/walleye.jpg")));
    QVERIFY(
        text.contains(QStringLiteral("Picture cannot be read:\n") + diary.scope.file(QStringLiteral("broken.jpg"))));
    QVERIFY(text.contains(QStringLiteral("No picture")));
    // The one photograph that exists is drawn, scaled into its box (3.2 x 2.4 in at 96 dpi) keeping its shape.
    int images = 0;
    for (int page = 0; page < r.report->pageCount(); ++page) {
        const auto doc = r.report->pages().pageDocument(page);
        for (QTextBlock b = doc->document()->begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (!f.isImageFormat())
                    continue;
                ++images;
                const QTextImageFormat image = f.toImageFormat();
                QCOMPARE(qRound(image.width()), 307);
                QCOMPARE(qRound(image.height()), 230);
                const QImage pixels =
                    doc->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
                QVERIFY(!pixels.isNull());
                QVERIFY(pixels.width() <= 640);
            }
        }
    }
    QCOMPARE(images, 1);
    const QString out = qEnvironmentVariable("TF_REPORT_PDF");
    if (!out.isEmpty()) { // for a look at the pages: TF_REPORT_PDF=<folder>, then pdftoppm
        QVERIFY(report::writePdf(*r.report, out + QStringLiteral("/Bestfish.pdf")));
        const report::BuildResult log = buildNamed(QStringLiteral("log.rpt"));
        QVERIFY(report::writePdf(*log.report, out + QStringLiteral("/log.pdf")));
    }
}

void TestReports::reportsNeverWrite()
{
    Diary diary(true);
    const QString db = diary.scope.file(kDatabaseFileName);
    const QByteArray before = readAll(db);
    const QDateTime changed = QFileInfo(db).lastModified();
    for (const QString &name : QDir(definitionsFolder()).entryList({QStringLiteral("*.rpt")})) {
        // These read the figures their windows write for them, not the diary (printed in those windows' tests).
        if (name == QLatin1String("statistics.rpt") || name == QLatin1String("solunar.rpt"))
            continue;
        const report::BuildResult r = buildNamed(name);
        QVERIFY2(r.report, qPrintable(r.error));
    }
    QCOMPARE(readAll(db), before);
    QCOMPARE(QFileInfo(db).lastModified(), changed);
    QVERIFY(!QFileInfo::exists(db + QStringLiteral("-journal")));
}

void TestReports::runReportShowsPreview()
{
    Diary diary(true);
    FakePlatform &fake = diary.scope.fake();
    QVERIFY(runReport(QStringLiteral("\\log.rpt"), nullptr));
    QCOMPARE(fake.previewTitles, QList<QString>{QStringLiteral("Print Preview")});
    QVERIFY(fake.previewTexts[0].startsWith(QStringLiteral("Fishing Log\tPage 1 of 1\nPat Angler\t")));
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(fake.waitDepth, 0);

    // The file is read each time: a change by the user shows at the next print.
    QByteArray edited = readAll(diary.scope.file(QStringLiteral("log.rpt")));
    edited.replace("title = Fishing Log", "title = My Trips");
    QVERIFY(writeAll(diary.scope.file(QStringLiteral("log.rpt")), edited));
    QVERIFY(runReport(QStringLiteral("log.rpt"), nullptr));
    QVERIFY(fake.previewTexts[1].startsWith(QStringLiteral("My Trips\tPage 1 of 1")));
}

void TestReports::runReportExplainsFailures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: the file is missing
    QTest::addColumn<bool>("removeDatabase");
    QTest::addColumn<QStringList>("message");
    QTest::newRow("missing") << "nosuch.rpt" << QByteArray() << false << QStringList{"nosuch.rpt", "was not found"};
    QTest::newRow("not in the program folder")
        << "..\\..\\log.rpt" << QByteArray() << false << QStringList{"log.rpt", "Line 3:", "no setting"};
    QTest::newRow("malformed") << "log.rpt"
                               << QByteArray("[report]\ntitle = X\n[table]\nquery = nope\ncolumn = A | {a}\n") << false
                               << QStringList{"log.rpt", "cannot be used", "Line 4: there is no [query nope]"};
    QTest::newRow("writing query") << "log.rpt"
                                   << QByteArray("[report]\ntitle = X\n[query q]\nsql = DELETE FROM Log\n"
                                                 "[table]\nquery = q\ncolumn = A | {a}\n")
                                   << false << QStringList{"log.rpt", "Line 4:", "DELETE statement"};
    QTest::newRow("binary junk") << "log.rpt" << QByteArray("\x00\x01\x02\xff\xfe", 5) << false
                                 << QStringList{"log.rpt", "Line 1:"};
    QTest::newRow("no database") << "log.rpt" << QByteArray("keep") << true
                                 << QStringList{"Fishing Log", kDatabaseFileName, "does not exist"};
}

void TestReports::runReportExplainsFailures()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(bool, removeDatabase);
    QFETCH(QStringList, message);
    Diary diary(true);
    FakePlatform &fake = diary.scope.fake();
    if (QTest::currentDataTag() == QByteArray("not in the program folder")) {
        // The name is taken from the program folder only, so this is the folder's own log.rpt.
        QVERIFY(writeAll(diary.scope.file(QStringLiteral("log.rpt")), "[report]\ntitle = X\nno setting\n"));
    } else if (content.isEmpty()) {
        QFile::remove(diary.scope.file(file));
    } else if (content != "keep") {
        QVERIFY(writeAll(diary.scope.file(file), content));
    }
    if (removeDatabase)
        QVERIFY(QFile::remove(diary.scope.file(kDatabaseFileName)));
    QVERIFY(!runReport(file, nullptr));
    QVERIFY(fake.previewTitles.isEmpty());
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].icon, MessageIcon::Exclamation);
    for (const QString &part : message)
        QVERIFY2(fake.messages[0].text.contains(part), qPrintable(fake.messages[0].text));
    if (removeDatabase)
        QVERIFY(!QFileInfo::exists(diary.scope.file(kDatabaseFileName)));
}

void TestReports::longReportShowsProgressAndCancels()
{
    Diary diary(false);
    QVERIFY(generateTrips(diary.scope.file(kDatabaseFileName), 4000));
    QElapsedTimer clock;
    bool sawDialog = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(w);
            if (dialog && dialog->isVisible() && dialog->objectName() == QLatin1String("reportProgress")) {
                sawDialog = true;
                QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
                dialog->cancel();
            }
        }
    });
    poll.start();
    clock.start();
    const bool shown = runReport(QStringLiteral("log.rpt"), nullptr);
    poll.stop();
    if (!sawDialog && clock.elapsed() < 400)
        QSKIP("The report was made too quickly to need a progress window on this machine.");
    QVERIFY(sawDialog); // the timer ran while the report was being made: the program stayed responsive
    QVERIFY(!shown);
    QVERIFY(diary.scope.fake().previewTitles.isEmpty());
    QVERIFY(diary.scope.fake().messages.isEmpty()); // cancelling is not an error
    QCOMPARE(diary.scope.fake().waitDepth, 0);
}

void TestReports::endlessQueryCancels_data()
{
    QTest::addColumn<bool>("inPreview"); // held up while the preview counts on, not while the report is made
    QTest::newRow("while the report is made") << false;
    QTest::newRow("while the preview counts") << true;
}

// A query that never ends (some rows, then a recursion without end) does not
// freeze the program: the progress window comes up and its Cancel stops it.
void TestReports::endlessQueryCancels()
{
    QFETCH(bool, inPreview);
    Diary diary(false);
    const QString rows = inPreview ? QStringLiteral("x < 300 OR x < 0") : QStringLiteral("x < 0");
    QVERIFY(writeAll(diary.scope.file(QStringLiteral("endless.rpt")),
                     QStringLiteral("[report]\ntitle = Endless\n[query q]\nsql = WITH RECURSIVE c(x) AS (SELECT 1 "
                                    "UNION ALL SELECT x + 1 FROM c) SELECT x AS a FROM c WHERE %1\n[table]\nquery = "
                                    "q\ncolumn = A | {a}\n")
                         .arg(rows)
                         .toUtf8()));
    bool sawDialog = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(w);
            if (dialog && dialog->isVisible() && dialog->objectName() == QLatin1String("reportProgress")) {
                sawDialog = true;
                dialog->cancel();
            }
        }
    });
    QElapsedTimer clock;
    clock.start();
    if (!inPreview) {
        poll.start();
        QVERIFY(!runReport(QStringLiteral("endless.rpt"), nullptr));
        QVERIFY(diary.scope.fake().previewTitles.isEmpty());
    } else {
        report::BuildOptions o;
        o.definitionPath = report::reportPath(QStringLiteral("endless.rpt"));
        o.databasePath = programFile(kDatabaseFileName);
        o.printedAt = platform().now();
        QString error;
        const auto made = report::openReport(o, &error);
        QVERIFY2(made, qPrintable(error));
        QVERIFY(made->paginate({}, 1));
        ReportPreview preview(QStringLiteral("Print Preview"), *made);
        poll.start();
        QCOMPARE(preview.exec(), int(QDialog::Rejected));
        QVERIFY(made->cancelled());
    }
    QVERIFY(sawDialog);
    QVERIFY(diary.scope.fake().messages.isEmpty()); // cancelling is not an error
    QCOMPARE(diary.scope.fake().waitDepth, 0);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
}

void TestReports::printfishWindow()
{
    Diary diary(true);
    FakePlatform &fake = diary.scope.fake();
    QPointer<frmPrintfish> window = new frmPrintfish;
    window->show();
    QCOMPARE(window->windowTitle(), QStringLiteral("Select a Report"));
    QCOMPARE(window->minimumSize(), window->maximumSize()); // a fixed window
    auto *group = window->findChild<QGroupBox *>(QStringLiteral("Frame1"));
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("Fish Reports"));
    auto *log = window->findChild<QPushButton *>(QStringLiteral("cmdPrintlog"));
    auto *total = window->findChild<QPushButton *>(QStringLiteral("cmdPrinttotal"));
    auto *exit = window->findChild<QPushButton *>(QStringLiteral("cmdExit"));
    QVERIFY(log && total && exit);
    QCOMPARE(log->toolTip(), QStringLiteral(" Show Report "));
    QCOMPARE(total->toolTip(), QStringLiteral(" Show Report "));
    const auto labels = group->findChildren<QLabel *>();
    QStringList texts;
    for (QLabel *l : labels)
        texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("Preview Log Report - which shows the fish caught.")));
    QVERIFY(texts.contains(QStringLiteral("Preview Total Fish Caught Report.")));

    QTest::mouseClick(log, Qt::LeftButton);
    QCOMPARE(fake.previewTitles, QList<QString>{QStringLiteral("Print Preview")});
    QVERIFY(fake.previewTexts[0].startsWith(QStringLiteral("Fishing Log\t")));
    QTest::mouseClick(total, Qt::LeftButton);
    QCOMPARE(fake.previewTitles.size(), 2);
    QCOMPARE(fake.previewTitles[1], QStringLiteral("Print Preview"));
    QVERIFY(fake.previewTexts[1].startsWith(QStringLiteral("Total Fish Caught\t")));
    QVERIFY(window->isVisible()); // it stays open after a report
    QVERIFY(fake.messages.isEmpty());

    QTest::mouseClick(exit, Qt::LeftButton);
    QTRY_VERIFY(window.isNull()); // closed, and gone
}

namespace {

// Pages that remember which of them were painted.
class CountedPages : public ReportPages
{
public:
    explicit CountedPages(ReportPages &pages) : m_pages(pages) {}
    int pageCount() const override { return m_pages.pageCount(); }
    bool complete() const override { return m_pages.complete(); }
    bool paginateMore(int milliseconds, const report::ProgressFn &progress) override
    {
        return m_pages.paginateMore(milliseconds, progress);
    }
    int percentDone() const override { return m_pages.percentDone(); }
    QSizeF pageSize() const override { return m_pages.pageSize(); }
    void paintPage(int index, QPainter &painter) const override
    {
        painted << index;
        if (onPaint)
            onPaint(index);
        m_pages.paintPage(index, painter);
    }
    QString pageText(int index) const override { return m_pages.pageText(index); }
    QString title() const override { return m_pages.title(); }
    mutable QList<int> painted;
    std::function<void(int)> onPaint; // called as each page is painted

private:
    ReportPages &m_pages;
};

} // namespace

// The preview paints the page it shows and no other, so a long report opens at once.
void TestReports::previewPaintsOnlyShownPages()
{
    Diary diary(false);
    QVERIFY(generateTrips(diary.scope.file(kDatabaseFileName), 120));
    report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    report::Report &pages = *r.report;
    QVERIFY(pages.pageCount() > 5);
    CountedPages counted(pages);
    ReportPreview preview(QStringLiteral("Print Preview"), counted);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.windowTitle(), QStringLiteral("Print Preview"));
    preview.grab();
    QCOMPARE(counted.painted, QList<int>{0});
    auto *next = preview.findChild<QPushButton *>(QStringLiteral("nextPage"));
    auto *previous = preview.findChild<QPushButton *>(QStringLiteral("previousPage"));
    QVERIFY(next && previous);
    QVERIFY(!previous->isEnabled());
    QTest::mouseClick(next, Qt::LeftButton);
    preview.grab();
    QCOMPARE(preview.currentPage(), 1);
    QCOMPARE(counted.painted, (QList<int>{0, 1}));
    preview.showPage(pages.pageCount() + 10); // past the end: the last page
    QCOMPARE(preview.currentPage(), pages.pageCount() - 1);
    QVERIFY(!next->isEnabled());

    // Saved as PDF, every page is painted once more on this thread (this source does not
    // say it may be painted on others; the page on screen may be repainted meanwhile), and
    // the file holds them all.
    const QString pdf = diary.scope.file(QStringLiteral("saved.pdf"));
    diary.scope.fake().saveAnswers.enqueue(pdf);
    counted.painted.clear();
    QTest::mouseClick(preview.findChild<QPushButton *>(QStringLiteral("savePdf")), Qt::LeftButton);
    for (int i = 0; i < pages.pageCount(); ++i)
        QVERIFY(counted.painted.contains(i));
    QCOMPARE(int(readAll(pdf).count("/Type /Page ")), pages.pageCount());
    // A report that may be painted anywhere gives its title to the file.
    ReportPreview direct(QStringLiteral("Print Preview"), pages);
    diary.scope.fake().saveAnswers.enqueue(pdf);
    QTest::mouseClick(direct.findChild<QPushButton *>(QStringLiteral("savePdf")), Qt::LeftButton);
    QVERIFY(readAll(pdf).contains("/Title <FEFF0046006900730068")); // "Fish..."
    QCOMPARE(int(readAll(pdf).count("/Type /Page ")), pages.pageCount());
}

// A long report opens at its first page: the preview counts the rest between
// events, shows how far it has come, and puts the total in the headers when done;
// Cancel stops it and closes the preview.
void TestReports::previewOpensBeforeCountingEnds()
{
    Diary diary(false);
    // Enough trips that counting them takes many of the preview's steps, so Cancel comes before the end.
    QVERIFY(generateTrips(diary.scope.file(kDatabaseFileName), 6000));
    report::BuildOptions o;
    o.definitionPath = report::reportPath(QStringLiteral("log.rpt"));
    o.databasePath = programFile(kDatabaseFileName);
    o.printedAt = platform().now();
    for (const bool cancel : {false, true}) {
        QString error;
        const auto made = report::openReport(o, &error);
        QVERIFY2(made, qPrintable(error));
        QVERIFY(made->paginate({}, 1));
        QVERIFY(!made->complete());
        const int early = made->pageCount();
        QVERIFY(early >= 1);
        QVERIFY2(made->pageText(0).startsWith(QStringLiteral("Fishing Log\tPage 1\n")),
                 qPrintable(made->pageText(0).left(60)));
        ReportPreview preview(QStringLiteral("Print Preview"), *made);
        auto *counting = preview.findChild<QWidget *>(QStringLiteral("countingPages"));
        auto *stop = preview.findChild<QPushButton *>(QStringLiteral("cancelReport"));
        auto *of = preview.findChildren<QLabel *>().value(0);
        QVERIFY(counting && stop && of);
        QVERIFY(!counting->isHidden());
        QVERIFY2(of->text().endsWith(QStringLiteral("...")), qPrintable(of->text()));
        if (cancel) {
            QTimer::singleShot(0, stop, [stop] { stop->click(); });
            QCOMPARE(preview.exec(), int(QDialog::Rejected));
            QVERIFY(!made->complete()); // stopped where it was
            continue;
        }
        preview.show();
        QTRY_VERIFY_WITH_TIMEOUT(made->complete(), 60000);
        QVERIFY(made->pageCount() > early);
        QVERIFY(counting->isHidden());
        QCOMPARE(of->text(), QStringLiteral("of %1").arg(made->pageCount()));
        QVERIFY(made->pageText(made->pageCount() - 1)
                    .startsWith(QStringLiteral("Fishing Log\tPage %1 of %1\n").arg(made->pageCount())));
        int trips = 0;
        for (int page = 0; page < made->pageCount(); page += 20) // a sample: every page is slow under sanitizers
            trips += int(made->pageText(page).count(QStringLiteral("Fish caught\t")));
        QVERIFY(trips > 0);
    }
}

namespace {

// Notes which progress windows still exist when a message comes up.
class WatchingPlatform : public FakePlatform
{
public:
    using FakePlatform::FakePlatform;
    MessageAnswer message(const MessageRequest &request, QWidget *parent) override
    {
        for (QWidget *w : QApplication::allWidgets())
            if (w->objectName() == QLatin1String("reportProgress"))
                progressAtMessage << w->isVisible();
        return FakePlatform::message(request, parent);
    }
    QList<bool> progressAtMessage;
};

} // namespace

// "Save as PDF" proposes the report's title as the name, adds ".pdf" to a name
// typed without it, saves on the paper the preview names; a save that fails
// closes its progress window before it says why, and leaves no file behind.
void TestReports::previewSavesPdf()
{
    Diary diary(true);
    auto *watching = new WatchingPlatform(diary.scope.folder());
    auto previous = replacePlatform(std::unique_ptr<Platform>(watching));
    const auto restore = qScopeGuard([&] { replacePlatform(std::move(previous)); });
    report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    CountedPages pages(*r.report);
    ReportPreview preview(QStringLiteral("Print Preview"), pages);
    auto *paper = preview.findChild<QLabel *>(QStringLiteral("paperSize"));
    QVERIFY(paper);
    QCOMPARE(paper->text(), QStringLiteral("Letter")); // the tests' locale is en_US
    auto *save = preview.findChild<QPushButton *>(QStringLiteral("savePdf"));

    watching->saveAnswers.enqueue(diary.scope.file(QStringLiteral("My trips")));
    save->click();
    QCOMPARE(watching->saveRequests.last().initialName, QStringLiteral("Fishing Log.pdf"));
    const QByteArray saved = readAll(diary.scope.file(QStringLiteral("My trips.pdf")));
    QVERIFY(saved.contains("/MediaBox [0 0 612 792]"));
    QVERIFY(!QFileInfo::exists(diary.scope.file(QStringLiteral("My trips"))));
    QVERIFY(watching->messages.isEmpty());

    // The folder goes away while the last page is painted, after the progress window came up.
    const QString folder = diary.scope.file(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(folder));
    pages.onPaint = [&](int index) {
        QThread::msleep(unsigned(400 / pages.pageCount() + 1));
        if (index == pages.pageCount() - 1)
            QDir(folder).removeRecursively();
    };
    watching->saveAnswers.enqueue(folder + QStringLiteral("/log.pdf"));
    save->click();
    QCOMPARE(watching->messages.size(), 1);
    const QString text = watching->messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("The report could not be saved as \"%1\".\n")
                                 .arg(QDir::toNativeSeparators(folder + QStringLiteral("/log.pdf")))),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("No such file or directory")), qPrintable(text));
    QCOMPARE(watching->progressAtMessage, QList<bool>{}); // closed and gone before the message
    QVERIFY(!QFileInfo::exists(folder));
}

// File dialogs open in the user's documents folder, never in the folder the
// program runs in, where a backup would be proposed over the live diary.
void TestReports::fileDialogsOpenInDocuments()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    const QString before = QDir::currentPath();
    QDir::setCurrent(scope.folder());
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString expected = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QtPlatform qt;
    QString opened;
    FileDialogRequest request;
    request.title = QStringLiteral("Save Database Backup");
    request.initialName = kDatabaseFileName;
    for (const QString &folder : {QString(), scope.folder()}) {
        request.initialFolder = folder;
        opened.clear();
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            opened = dialog->directory().absolutePath();
            dialog->reject();
        });
        QVERIFY(!qt.saveFileName(request, nullptr));
        QCOMPARE(opened, QDir(folder.isEmpty() ? expected : folder).absolutePath());
    }
}

TF_TEST_MAIN(TestReports)
#include "tst_reports.moc"
