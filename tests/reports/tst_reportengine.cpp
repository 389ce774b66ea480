// The report engine: queries that would do more than read are refused and the
// file stays as it was; errors name the file and line; long reports break into
// pages that each begin with their header; progress and cancelling.

#include "FakePlatform.h"
#include "ReportFixture.h"
#include "TestFolder.h"
#include "data/Schema.h"
#include "reports/ReportDatabase.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

namespace {

QString definition(const QString &sql, const QString &parts = QStringLiteral("[table]\nquery = q\ncolumn = A | {a}\n"))
{
    return QStringLiteral("[report]\ntitle = Test\n[query q]\nsql = %1\n%2").arg(sql, parts);
}

report::BuildResult buildText(FakePlatformScope &scope, const QString &text, const report::ProgressFn &progress = {})
{
    writeAll(scope.file(QStringLiteral("test.rpt")), text.toUtf8());
    return buildNamed(QStringLiteral("test.rpt"), progress);
}

int pdfPages(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/"));
}

// The text of each page of a PDF file as a reader would copy it: the glyphs of
// every text run, through their font's table back to characters. Reads only
// the plain form our files are written in.
QStringList pdfPageTexts(const QByteArray &pdf)
{
    QHash<int, QByteArray> dict, data;
    static const QRegularExpression objectStart(QStringLiteral("(\\d+) 0 obj\n"));
    for (auto it = objectStart.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto m = it.next();
        const int number = m.captured(1).toInt();
        const qsizetype at = m.capturedEnd();
        const qsizetype stream = pdf.indexOf("stream\n", at), end = pdf.indexOf("endobj", at);
        if (stream < 0 || stream > end) {
            dict[number] = pdf.mid(at, end - at);
            continue;
        }
        const QByteArray d = pdf.mid(at, stream - at);
        dict[number] = d;
        static const QRegularExpression length(QStringLiteral("/Length (\\d+)"));
        QByteArray bytes = pdf.mid(stream + 7, length.match(QString::fromLatin1(d)).captured(1).toInt());
        if (d.contains("/FlateDecode"))
            bytes = qUncompress(QByteArray::fromHex("00100000") + bytes);
        data[number] = bytes;
    }
    auto ref = [](const QByteArray &d, const char *key) {
        static const QRegularExpression any(QStringLiteral("(\\d+) 0 R"));
        const qsizetype at = d.indexOf(key);
        return at < 0 ? 0 : any.match(QString::fromLatin1(d.mid(at))).captured(1).toInt();
    };
    QStringList pages;
    static const QRegularExpression kid(QStringLiteral("(\\d+) 0 R"));
    const QByteArray kids = dict.value(2).mid(dict.value(2).indexOf("/Kids"));
    for (auto k = kid.globalMatch(QString::fromLatin1(kids)); k.hasNext();) {
        const QByteArray page = dict.value(k.next().captured(1).toInt());
        // Each font's glyphs back to characters.
        QHash<QString, QHash<QString, QString>> fonts;
        static const QRegularExpression fontRef(QStringLiteral("/(F\\d+) (\\d+) 0 R"));
        for (auto f = fontRef.globalMatch(QString::fromLatin1(page)); f.hasNext();) {
            const auto m = f.next();
            const QByteArray cmap = data.value(ref(dict.value(m.captured(2).toInt()), "/ToUnicode"));
            static const QRegularExpression pair(QStringLiteral("<([0-9A-F]{4})> <([0-9A-F]+)>"));
            for (auto p = pair.globalMatch(QString::fromLatin1(cmap)); p.hasNext();) {
                const auto e = p.next();
                QString chars;
                for (int i = 0; i + 4 <= e.captured(2).size(); i += 4)
                    chars += QChar(e.captured(2).mid(i, 4).toUShort(nullptr, 16));
                fonts[m.captured(1)][e.captured(1)] = chars;
            }
        }
        QString text;
        static const QRegularExpression run(QStringLiteral("/(F\\d+) 1 Tf [^<]*<([0-9A-F]*)> Tj"));
        const QByteArray content = data.value(ref(page, "/Contents"));
        for (auto r = run.globalMatch(QString::fromLatin1(content)); r.hasNext();) {
            const auto m = r.next();
            for (int i = 0; i + 4 <= m.captured(2).size(); i += 4)
                text += fonts[m.captured(1)].value(m.captured(2).mid(i, 4), QStringLiteral("?"));
        }
        pages << text;
    }
    return pages;
}

// The paper of a PDF's first page, in points.
QSizeF paperOf(const QByteArray &pdf)
{
    static const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]"));
    const auto m = box.match(QString::fromLatin1(pdf));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// Every write to a file past `bytes` fails, as on a full disk, for root as for anyone.
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
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

QString withoutBlanks(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT
private slots:
    void refusesWriting_data();
    void refusesWriting();
    void helperFunctions();
    void missingOrForeignDatabase();
    void unknownFieldNamesItsLine();
    void sortKey();
    void groupsAndSubtotals();
    void longLogBreaksIntoPages();
    void cardsDrawnDirectlyLookAsLaidOut();
    void tallEntrySplits_data();
    void tallEntrySplits();
    void tableCaptionsRepeat();
    void progressAndCancel();
    void helpExampleWorks();
    void pdfGoesPageByPage();
    void pdfKeepsEveryScript();
    void pdfEmbedsFallbackFonts();
    void pdfNeverDestroysAFile_data();
    void pdfNeverDestroysAFile();
    void pdfPaper_data();
    void pdfPaper();
    void endlessQueryCancels();
    void refusesWhatNoPageHolds_data();
    void refusesWhatNoPageHolds();
};

void TestReportEngine::refusesWriting_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message"); // empty: the query is fine
    QTest::newRow("insert") << "INSERT INTO Log (Lake) VALUES ('x')"
                            << "INSERT statement";
    QTest::newRow("replace") << "REPLACE INTO Log (Lake) VALUES ('x')"
                             << "REPLACE statement";
    QTest::newRow("update") << "UPDATE Log SET Lake = 'x'"
                            << "UPDATE statement";
    QTest::newRow("delete") << "DELETE FROM Log"
                            << "DELETE statement";
    QTest::newRow("delete after comment") << "/* tidy */ -- up\n  DELETE FROM Log"
                                          << "DELETE statement";
    QTest::newRow("drop") << "DROP TABLE Log"
                          << "DROP statement";
    QTest::newRow("create") << "CREATE TEMP TABLE t (a)"
                            << "CREATE statement";
    QTest::newRow("attach") << "ATTACH DATABASE 'ATTACHED' AS other"
                            << "ATTACH statement";
    QTest::newRow("pragma") << "PRAGMA user_version = 5"
                            << "PRAGMA statement";
    QTest::newRow("vacuum into") << "VACUUM INTO 'ATTACHED'"
                                 << "VACUUM statement";
    QTest::newRow("begin") << "BEGIN"
                           << "BEGIN statement";
    QTest::newRow("two statements") << "SELECT 1 AS a; DELETE FROM Log"
                                    << "more than one statement";
    QTest::newRow("two selects") << "SELECT 1 AS a; SELECT 2"
                                 << "more than one statement";
    QTest::newRow("delete behind a WITH") << "WITH x AS (SELECT 1) DELETE FROM Log"
                                          << "uses DELETE";
    QTest::newRow("update behind a WITH") << "WITH x AS (SELECT 1) UPDATE Log SET Lake = 'x'"
                                          << "uses UPDATE";
    QTest::newRow("extension") << "SELECT load_extension('x') AS a"
                               << "forbidden function";
    QTest::newRow("pragma function") << "SELECT * FROM pragma_user_version AS a"
                                     << "may only read";
    QTest::newRow("syntax") << "SELEC 1"
                            << "not a SELECT";
    QTest::newRow("no such table") << "SELECT a FROM Logg"
                                   << "no such table: Logg";
    QTest::newRow("trailing comment is fine") << "SELECT 1 AS a; -- done\n  /* really */"
                                              << "";
    QTest::newRow("recursive query is fine")
        << "WITH RECURSIVE c(a) AS (SELECT 1 UNION ALL SELECT a + 1 FROM c WHERE a < 3) SELECT a FROM c"
        << "";
}

void TestReportEngine::refusesWriting()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    FakePlatformScope scope;
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(execSql(db, QStringLiteral("INSERT INTO Log (Lake) VALUES ('Lake Okee')")));
    const QString attached = scope.file(QStringLiteral("attached.mdb"));
    sql.replace(QStringLiteral("ATTACHED"), attached);
    const QByteArray before = readAll(db);

    const report::BuildResult r = buildText(scope, definition(sql));
    if (message.isEmpty()) {
        QVERIFY2(r.report, qPrintable(r.error));
        QVERIFY(reportText(*r.report).contains(QStringLiteral("Test\tPage 1 of 1")));
    } else {
        QVERIFY(!r.report);
        QVERIFY2(r.error.contains(QDir::toNativeSeparators(scope.file(QStringLiteral("test.rpt")))),
                 qPrintable(r.error));
        QVERIFY2(r.error.contains(QStringLiteral("Line 4: the query \"q\" cannot be used")), qPrintable(r.error));
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
    }
    QCOMPARE(readAll(db), before);
    QVERIFY(!QFileInfo::exists(attached));
    QCOMPARE(querySingle(db, QStringLiteral("SELECT group_concat(Lake) FROM Log")).toString(),
             QStringLiteral("Lake Okee"));
}

void TestReportEngine::helperFunctions()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    report::ReadOnlyDatabase db;
    QString e;
    QVERIFY2(db.open(scope.file(kDatabaseFileName), &e), qPrintable(e));
    report::Statement st;
    QVERIFY2(db.prepare(QStringLiteral("SELECT whole_number(' 12 '), whole_number('2/3'), whole_number(NULL), "
                                       "number('$1,250.50'), number('gift'), month_number('March'), "
                                       "month_number('x'), 'a' || char(9) || 'b' || char(13, 10) || 'c'"),
                        st, &e),
             qPrintable(e));
    report::Row row;
    QVERIFY(st.next(row));
    QCOMPARE(row, (report::Row{"12", "", "", "1250.5", "", "3", "", QStringLiteral("a b\u2028c")}));
}

void TestReportEngine::missingOrForeignDatabase()
{
    FakePlatformScope scope;
    const QString db = scope.file(kDatabaseFileName);
    writeAll(scope.file(QStringLiteral("test.rpt")), definition(QStringLiteral("SELECT 1 AS a")).toUtf8());
    report::BuildResult r = buildNamed(QStringLiteral("test.rpt"));
    QVERIFY(!r.report);
    QVERIFY2(r.error.contains(QDir::toNativeSeparators(db)) && r.error.contains(QStringLiteral("does not exist")),
             qPrintable(r.error));
    QVERIFY(!QFileInfo::exists(db)); // never created by a report

    QVERIFY(writeAll(db, QByteArray(4096, 'x')));
    r = buildNamed(QStringLiteral("test.rpt"));
    QVERIFY(!r.report);
    QVERIFY2(r.error.contains(QStringLiteral("not a database")), qPrintable(r.error));
    QCOMPARE(readAll(db), QByteArray(4096, 'x'));
}

void TestReportEngine::unknownFieldNamesItsLine()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    const report::BuildResult r = buildText(
        scope, definition(QStringLiteral("SELECT * FROM Log"),
                          QStringLiteral("[cards]\nquery = q\ntitle = {Date}\n\nline = Lake | {Lake Name}\n")));
    QVERIFY(!r.report);
    QVERIFY2(r.error.contains(QStringLiteral("Line 9: the query \"q\" has no column \"Lake Name\"")),
             qPrintable(r.error));
}

void TestReportEngine::sortKey()
{
    FakePlatformScope scope;
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(
        execSql(db, QStringLiteral("INSERT INTO Log (Date, Lake) VALUES ('2024-01-01', 'b lake'), "
                                   "('2024-01-02', 'C lake'), ('2024-01-03', 'a lake'), ('2024-01-04', 'b lake')")));
    const QString parts = QStringLiteral("[table]\nquery = q\ncolumn = Lake | {Lake}\ncolumn = Date | {Date}\n");
    report::BuildResult r = buildText(
        scope, definition(QStringLiteral("SELECT * FROM Log;\nsort = Lake descending, \"Date\" desc"), parts));
    QVERIFY2(r.report, qPrintable(r.error));
    const QString text = reportText(*r.report);
    const QStringList order = {"C lake\n2024-01-02", "b lake\n2024-01-04", "b lake\n2024-01-01", "a lake\n2024-01-03"};
    qsizetype at = 0;
    for (const QString &row : order) {
        const qsizetype found = text.indexOf(row, at);
        QVERIFY2(found >= at, qPrintable(row));
        at = found;
    }
    r = buildText(scope, definition(QStringLiteral("SELECT * FROM Log\nsort = Lak"), parts));
    QVERIFY2(r.error.contains(QStringLiteral("Line 5: the query \"q\" has no column \"Lak\" to sort by")),
             qPrintable(r.error));
}

void TestReportEngine::groupsAndSubtotals()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    fillDiary(scope.file(kDatabaseFileName), scope.folder());
    const QString sql = QStringLiteral("SELECT * FROM Log WHERE Lake <> '' ORDER BY Lake, Date");
    report::BuildResult r =
        buildText(scope, definition(sql, QStringLiteral("[table]\nquery = q\ngroup = {Lake}\n"
                                                        "group total = Subtotal for {Lake} ({count} trips)\n"
                                                        "column = Date | {Date} | 50%\n"
                                                        "column = Fish | {Total Fish} | 50% | right | sum whole\n"
                                                        "total = All\ncount = Trips: {count}\n")));
    QVERIFY2(r.report, qPrintable(r.error));
    QString text = reportText(*r.report);
    QVERIFY2(text.contains(QStringLiteral("Subtotal for Cedar River (2 trips)\n3")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Subtotal for Lake Okee (4 trips)\n17")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("All\n20")));
    QVERIFY(text.contains(QStringLiteral("Not in the total of \"Fish\": 2 entries that are not whole numbers "
                                         "(\"1.5\", \"2/3\").")));
    QVERIFY(text.contains(QStringLiteral("Trips: 6")));

    r = buildText(scope, definition(sql, QStringLiteral("[cards]\nquery = q\ngroup = {Lake:upper}\n"
                                                        "group heading = Water: {Lake}\ntitle = {Date:date}\n"
                                                        "group footer = {count} trips at {Lake}\n")));
    QVERIFY2(r.report, qPrintable(r.error));
    text = reportText(*r.report);
    QVERIFY(text.indexOf(QStringLiteral("Water: Cedar River\nMay 1, 2024\nJul 2, 2025\n2 trips at Cedar River\n")) > 0);
    QVERIFY(text.contains(QStringLiteral("Water: Lake Okee\nOct 10, 2022\n")));
    QVERIFY(text.contains(QStringLiteral("4 trips at Lake Okee")));
}

void TestReportEngine::longLogBreaksIntoPages()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    makeDatabase(scope.file(kDatabaseFileName));
    QVERIFY(generateTrips(scope.file(kDatabaseFileName), 400));
    const report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    QVERIFY(r.pages > 20);
    QCOMPARE(r.report->pageCount(), r.pages);
    QString why;
    QVERIFY2(everyPageHeaded(*r.report, QStringLiteral("Fishing Log"), &why), qPrintable(why));
    const QString text = reportText(*r.report);
    for (int page = 1; page <= r.pages; ++page)
        QVERIFY(text.contains(QStringLiteral("Fishing Log\tPage %1 of %2\n").arg(page).arg(r.pages)));
    QCOMPARE(int(text.count(QStringLiteral("Printed Tuesday, December 8, 2026"))), r.pages);
    QCOMPARE(int(text.count(QStringLiteral("Fish caught\t"))), 400);
    QVERIFY(text.contains(QStringLiteral("Trips in this log: 400")));

    // Printed, the report gives exactly its own pages.
    const QString pdf = qEnvironmentVariable("TF_REPORT_PDF", scope.folder()) + QStringLiteral("/long-log.pdf");
    QVERIFY(report::writePdf(*r.report, pdf));
    QCOMPARE(pdfPages(readAll(pdf)), r.pages);
}

// Cards drawn straight onto the page must give the pages, the text and the look
// of cards laid out in the document: the same breaks, the same words on each page.
void TestReportEngine::cardsDrawnDirectlyLookAsLaidOut()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(generateTrips(db, 300));
    // Remarks that wrap, values wide enough to take two slots of the grid, and a title in another script.
    QVERIFY(execSql(db, QStringLiteral("UPDATE Log SET Notes = substr('Windy morning, the fish came late in the "
                                       "afternoon along the weed edge near the old dock, slow retrieve. ', 1, "
                                       "rowid % 97) || Notes WHERE rowid % 3 = 0; "
                                       "UPDATE Log SET Structure = 'Rock pile with sunken timber and weeds' "
                                       "WHERE rowid % 5 = 0; UPDATE Log SET Lake = 'Озеро' WHERE rowid = 7")));
    // Pages are laid out again when drawn: each report is drawn as it was counted.
    auto laidOut = [](bool on) { report::ReportDocument::setCardsDrawnDirectly(!on); };
    auto render = [](const report::Report &r, int page) {
        QImage image((r.pageSize() * 96 / 72).toSize(), QImage::Format_Grayscale8);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(96.0 / 72, 96.0 / 72);
        r.paintPage(page, p);
        return image;
    };
    laidOut(true);
    const report::BuildResult laid = buildNamed(QStringLiteral("log.rpt"));
    laidOut(false);
    const report::BuildResult direct = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(laid.report && direct.report, qPrintable(laid.error + direct.error));
    QCOMPARE(direct.pages, laid.pages);
    for (int page = 0; page < laid.pages; ++page) {
        QCOMPARE(direct.report->pageText(page), laid.report->pageText(page));
        // Compared a little blurred: glyphs may sit a fraction of a pixel apart and be shaded differently.
        auto blurred = [](const QImage &i) {
            return i.scaled(i.size() / 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        };
        laidOut(true);
        const QImage a = blurred(render(*laid.report, page));
        laidOut(false);
        const QImage b = blurred(render(*direct.report, page));
        int differ = 0, ink = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const int pa = a.constScanLine(y)[x], pb = b.constScanLine(y)[x];
                ink += pa < 160;
                differ += qAbs(pa - pb) > 48;
            }
        QVERIFY2(differ * 50 < ink,
                 qPrintable(QStringLiteral("page %1: %2 pixels of %3 differ").arg(page).arg(differ).arg(ink)));
    }
}

void TestReportEngine::tallEntrySplits_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("rows"); // %1: the tall entry's text
    QTest::addColumn<int>("words");
    QTest::newRow("log card") << "log.rpt"
                              << "Fishing Log"
                              << "INSERT INTO Log (Date, Lake, Notes) VALUES ('2025-01-01', 'Short', 'Short trip.'), "
                                 "('2025-01-02', 'Long', '%1')"
                              << 3000;
    // The last row, "After", comes on the last page.
    QTest::newRow("reminders table row") << "reminder.rpt"
                                         << "Reminders"
                                         << "INSERT INTO Reminders (Date, Reminder) VALUES ('2026-01-01', 'Short'), "
                                            "('2026-01-02', '%1'), ('2026-01-03', 'After')"
                                         << 2500;
}

// An entry taller than a page cannot be kept on one: the layout carries it
// over at its lines, and the headers still tell the right page of the right total.
void TestReportEngine::tallEntrySplits()
{
    QFETCH(QString, report);
    QFETCH(QString, title);
    QFETCH(QString, rows);
    QFETCH(int, words);
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QStringList list;
    for (int i = 0; i < words; ++i)
        list << QStringLiteral("w%1").arg(i);
    QVERIFY(execSql(db, rows.arg(list.join(QLatin1Char(' ')))));
    const report::BuildResult r = buildNamed(report);
    QVERIFY2(r.report, qPrintable(r.error));
    QCOMPARE(r.pages, r.report->pageCount());
    QVERIFY(r.pages > 3);
    QString why;
    QVERIFY2(everyPageHeaded(*r.report, title, &why), qPrintable(why));
    const QString text = reportText(*r.report);
    QVERIFY(text.contains(QStringLiteral("%1\tPage 1 of %2\n").arg(title).arg(r.pages)));
    QVERIFY(text.contains(QStringLiteral("%1\tPage %2 of %2\n").arg(title).arg(r.pages)));
    // Every word is there once and in order, whatever the page breaks did to the paragraph.
    static const QRegularExpression word(QStringLiteral("\\bw(\\d+)\\b"));
    int expected = 0;
    for (auto it = word.globalMatch(text); it.hasNext();)
        QCOMPARE(it.next().captured(1).toInt(), expected++);
    QCOMPARE(expected, words);
}

void TestReportEngine::tableCaptionsRepeat()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(
        execSql(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
                                   "INSERT INTO Equipment (Item, Price) SELECT 'Lure ' || printf('%03d', i), '2.50' "
                                   "FROM n")));
    const report::BuildResult r = buildNamed(QStringLiteral("equipment.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    QVERIFY(r.pages >= 3);
    QString why;
    QVERIFY2(everyPageHeaded(*r.report, QStringLiteral("Equipment"), &why), qPrintable(why));
    const QString text = reportText(*r.report);
    QCOMPARE(int(text.count(QStringLiteral("Item\nMake\nModel\nSerial no.\nPrice\nRemarks\n"))), r.pages);
    QVERIFY(text.contains(QStringLiteral("Total\n\n\n\n375.00"))); // 150 x 2.50
    QVERIFY(text.indexOf(QStringLiteral("Lure 150")) > text.indexOf(QStringLiteral("Lure 149")));
}

void TestReportEngine::progressAndCancel()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    makeDatabase(scope.file(kDatabaseFileName));
    QVERIFY(generateTrips(scope.file(kDatabaseFileName), 300));
    QList<int> seen;
    report::BuildResult r = buildNamed(QStringLiteral("log.rpt"), [&](int p) {
        seen << p;
        return true;
    });
    QVERIFY(r.report);
    QVERIFY(seen.size() > 10);
    QCOMPARE(seen.last(), 100);
    for (int i = 1; i < seen.size(); ++i)
        QVERIFY2(seen[i] >= seen[i - 1] && seen[i] <= 100, qPrintable(QString::number(seen[i])));

    for (const int stopAt : {1, 30, 60, 90}) {
        int calls = 0;
        r = buildNamed(QStringLiteral("log.rpt"), [&](int p) { return ++calls < 3 || p < stopAt; });
        QVERIFY(r.cancelled);
        QVERIFY(!r.report);
        QVERIFY(r.error.isEmpty());
    }
}

// The example in the help page is a working definition.
void TestReportEngine::helpExampleWorks()
{
    const QString page = QString::fromUtf8(readAll(QStringLiteral(TF_HELP_FOLDER "/reports.html")));
    const qsizetype start = page.indexOf(QStringLiteral("<pre>"));
    const qsizetype end = page.indexOf(QStringLiteral("</pre>"));
    QVERIFY(start > 0 && end > start);
    QString example = page.mid(start + 5, end - start - 5);
    example.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    fillDiary(scope.file(kDatabaseFileName), scope.folder());
    const report::BuildResult r = buildText(scope, example);
    QVERIFY2(r.report, qPrintable(r.error));
    const QString text = reportText(*r.report);
    for (const char *expected :
         {"Lures I Use\tPage 1 of 1", "Lure\nTrips\n", "Crankbait\n1\n", "Spinnerbait\n1\n", "Total\n2"})
        QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(text));
}

// Printing and PDF files go through the pages one at a time, each page its own
// text; a cancelled PDF leaves no half-written file behind.
void TestReportEngine::pdfGoesPageByPage()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    makeDatabase(scope.file(kDatabaseFileName));
    QVERIFY(generateTrips(scope.file(kDatabaseFileName), 200));
    report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    const report::Report &pages = *r.report;
    QCOMPARE(pages.pageCount(), r.pages);
    QVERIFY(r.pages > 10);
    int trips = 0;
    for (int i = 0; i < pages.pageCount(); ++i) {
        const QString text = pages.pageText(i);
        QVERIFY2(text.startsWith(QStringLiteral("Fishing Log\tPage %1 of %2\n").arg(i + 1).arg(r.pages)),
                 qPrintable(text.left(80)));
        trips += int(text.count(QStringLiteral("Fish caught\t")));
    }
    QCOMPARE(trips, 200); // every trip on exactly one page

    const QString pdf = scope.file(QStringLiteral("log.pdf"));
    QList<int> seen;
    QVERIFY(report::writePdf(pages, pdf, [&](int p) {
        seen << p;
        return true;
    }));
    QCOMPARE(pdfPages(readAll(pdf)), r.pages);
    // Painted on several threads, every page is in its place with its own text, which a reader can copy.
    const QStringList texts = pdfPageTexts(readAll(pdf));
    QCOMPARE(texts.size(), r.pages);
    for (int i = 0; i < r.pages; ++i)
        QCOMPARE(withoutBlanks(texts[i]), withoutBlanks(pages.pageText(i)));
    QCOMPARE(seen.size(), r.pages);
    QCOMPARE(seen.last(), 100);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));

    QVERIFY(QFile::remove(pdf));
    QVERIFY(!report::writePdf(pages, pdf, [](int p) { return p < 50; }));
    QVERIFY(!QFileInfo::exists(pdf));
}

// Text the embedded fonts cannot set as it is (scripts that need shaping,
// characters from other fonts) is drawn as outlines; the rest stays text.
void TestReportEngine::pdfKeepsEveryScript()
{
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    const QString db = scope.file(kDatabaseFileName);
    makeDatabase(db);
    QVERIFY(execSql(db, QStringLiteral("INSERT INTO Log (Date, Lake, Notes, Fish1) VALUES ('2025-05-01', "
                                       "'Озеро Ладога', 'بحيرة هادئة', '鯉 🎣 Åsa')")));
    const report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    const QString pdf = scope.file(QStringLiteral("scripts.pdf"));
    QVERIFY(report::writePdf(*r.report, pdf, {}, QStringLiteral("Fishing Log")));
    const QByteArray bytes = readAll(pdf);
    const QStringList texts = pdfPageTexts(bytes);
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].contains(QStringLiteral("ОзероЛадога")) || texts[0].contains(QStringLiteral("Озеро Ладога")),
             qPrintable(texts[0]));
    QVERIFY(texts[0].contains(QStringLiteral("Åsa")));
    QVERIFY(!texts[0].contains(QStringLiteral("?")));
    QVERIFY(bytes.endsWith("%%EOF\n"));
    QVERIFY(bytes.contains("/Title <FEFF"));
}

// Characters the report's font lacks come from a fallback font, which goes
// into the file as a subset like the main font: the text stays text, and a
// report full of them stays near the size of a plain one.
void TestReportEngine::pdfEmbedsFallbackFonts()
{
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("DejaVu Serif")) || !families.contains(QStringLiteral("DejaVu Sans")))
        QSKIP("The DejaVu fonts are not installed.");
    FakePlatformScope scope;
    const QString db = scope.file(kDatabaseFileName);
    QSizeF size[2];
    for (const bool mixed : {false, true}) {
        makeDatabase(db);
        // U+1F600 and the Arabic are not in DejaVu Serif: fontconfig finds them in DejaVu Sans.
        const QString remark = mixed ? QStringLiteral("Tôt le matin 😀 Озеро ⇄ Ηλιος ⇆ بحيرة هادئة %1")
                                     : QStringLiteral("Early in the day, smile, lake, sun %1");
        QString sql = QStringLiteral("INSERT INTO Log (Date, Lake, Notes) VALUES ");
        for (int i = 0; i < 300; ++i)
            sql += QStringLiteral("('2025-05-01', 'Lake', '%1'),").arg(remark.arg(i));
        sql.chop(1);
        QVERIFY(execSql(db, sql));
        const report::BuildResult r = buildText(
            scope, QStringLiteral("[report]\ntitle = Remarks\nfont = DejaVu Serif\n[query q]\nsql = SELECT Notes FROM "
                                  "Log\n[table]\nquery = q\ncolumn = Remark | {Notes}\n"));
        QVERIFY2(r.report, qPrintable(r.error));
        const QString pdf = scope.file(QStringLiteral("remarks.pdf"));
        QVERIFY(report::writePdf(*r.report, pdf));
        const QByteArray bytes = readAll(pdf);
        size[mixed] = QSizeF(bytes.size(), r.pages);
        QVERIFY(QFile::remove(db));
        if (!mixed)
            continue;
        const QStringList texts = pdfPageTexts(bytes);
        QVERIFY2(texts.value(0).contains(QStringLiteral("matin 😀 Озеро ⇄ Ηλιος ⇆")), qPrintable(texts.value(0)));
        QVERIFY(bytes.contains("+DejaVuSans-Book"));
    }
    // Per page, the mixed report is within a few times the plain one (drawn as outlines it was many times).
    const qreal plain = size[0].width() / size[0].height(), mixed = size[1].width() / size[1].height();
    QVERIFY2(mixed < 3 * plain, qPrintable(QStringLiteral("%1 against %2 bytes a page").arg(mixed).arg(plain)));
}

void TestReportEngine::pdfNeverDestroysAFile_data()
{
    QTest::addColumn<QString>("folder"); // beneath the test's folder
    QTest::addColumn<QString>("reason"); // part of the system's reason
    QTest::newRow("full disk") << "out"
                               << "File too large";
    QTest::newRow("folder that is not there") << "gone/away"
                                              << "No such file or directory";
    QTest::newRow("read-only folder") << "locked"
                                      << "ermission denied";
}

// A save that fails leaves the file that was there exactly as it was, and says why.
void TestReportEngine::pdfNeverDestroysAFile()
{
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    const bool readOnly = QTest::currentDataTag() == QByteArray("read-only folder");
    if (readOnly && ::geteuid() == 0)
        QSKIP("Permissions do not bind root.");
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    makeDatabase(scope.file(kDatabaseFileName));
    QVERIFY(generateTrips(scope.file(kDatabaseFileName), 100));
    const report::BuildResult r = buildNamed(QStringLiteral("log.rpt"));
    QVERIFY2(r.report, qPrintable(r.error));
    const QDir dir(scope.file(folder));
    const QString pdf = dir.filePath(QStringLiteral("old.pdf"));
    const QByteArray old("%PDF-1.4 the report of last year");
    if (!folder.startsWith(QStringLiteral("gone"))) {
        QVERIFY(QDir().mkpath(dir.path()));
        QVERIFY(writeAll(pdf, old));
    }
    if (readOnly)
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    bool saved = false;
    {
        std::optional<FileSizeLimit> full;
        if (QTest::currentDataTag() == QByteArray("full disk"))
            full.emplace(4000); // the report takes far more
        saved = report::writePdf(*r.report, pdf, {}, {}, &error);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!saved);
    QVERIFY2(error.contains(reason), qPrintable(error));
    if (dir.exists()) {
        QCOMPARE(readAll(pdf), old);
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.pdf")});
    } else {
        QVERIFY(!QFileInfo::exists(pdf));
    }
}

void TestReportEngine::pdfPaper_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("printerMargin"); // points the printer cannot print on; -1: no printer
    QTest::addColumn<QSizeF>("paper");
    const QSizeF a4(595, 842), letter(612, 792); // as Qt gives them, in whole points
    QTest::newRow("United States") << "en_US" << -1 << letter;
    QTest::newRow("Canada") << "en_CA" << -1 << letter;
    QTest::newRow("Mexico") << "es_MX" << -1 << letter;
    QTest::newRow("Germany") << "de_DE" << -1 << a4;
    QTest::newRow("United Kingdom") << "en_GB" << -1 << a4;
    QTest::newRow("A4 printer with margins") << "en_US" << 10 << a4;
    QTest::newRow("printer with wide margins") << "de_DE" << 60 << a4;
}

// A saved report measures the paper it is for, A4 or Letter, not the part a printer can print on.
void TestReportEngine::pdfPaper()
{
    QFETCH(QString, locale);
    QFETCH(int, printerMargin);
    QFETCH(QSizeF, paper);
    FakePlatformScope scope;
    installDefinitions(scope.folder());
    makeDatabase(scope.file(kDatabaseFileName));
    QVERIFY(generateTrips(scope.file(kDatabaseFileName), 20));
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    report::BuildOptions o;
    o.definitionPath = report::reportPath(QStringLiteral("log.rpt"));
    o.databasePath = programFile(kDatabaseFileName);
    o.printedAt = platform().now();
    o.page = printerMargin < 0 ? report::PageSetup::standard()
                               : report::PageSetup::fromPrinter(QPageLayout(
                                     QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(printerMargin, printerMargin, printerMargin, printerMargin)));
    QLocale::setDefault(before);
    // The text keeps clear of what the printer cannot print on.
    QVERIFY(o.page.margins.left() >= printerMargin + 8 && o.page.margins.top() >= printerMargin + 8);
    const report::BuildResult r = report::buildReport(o);
    QVERIFY2(r.report, qPrintable(r.error));
    const QString pdf = scope.file(QStringLiteral("paper.pdf"));
    QVERIFY(report::writePdf(*r.report, pdf));
    const QSizeF saved = paperOf(readAll(pdf));
    QVERIFY2(qAbs(saved.width() - paper.width()) < 0.01 && qAbs(saved.height() - paper.height()) < 0.01,
             qPrintable(QStringLiteral("%1 x %2").arg(saved.width()).arg(saved.height())));
}

// A query without end (a recursive one that never stops) is reached by
// Cancel: the progress is called while it runs, and stopping it stops the report.
void TestReportEngine::endlessQueryCancels()
{
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    writeAll(scope.file(QStringLiteral("test.rpt")),
             definition(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                       "SELECT count(*) AS a FROM c"))
                 .toUtf8());
    report::BuildOptions o;
    o.definitionPath = report::reportPath(QStringLiteral("test.rpt"));
    o.databasePath = programFile(kDatabaseFileName);
    o.printedAt = platform().now();
    QString error;
    QElapsedTimer clock;
    clock.start();
    const auto made = report::openReport(o, &error); // counting its rows gives up soon
    QVERIFY2(made, qPrintable(error));
    int calls = 0;
    QVERIFY(!made->paginateMore(50, [&](int) { return ++calls < 20; }));
    QCOMPARE(calls, 20);
    QVERIFY(made->cancelled());
    QVERIFY(made->error().isEmpty());
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
}

void TestReportEngine::refusesWhatNoPageHolds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // after the file name: "Line N: ..."

    auto words = [](int count) {
        QStringList w;
        for (int i = 0; i < count; ++i)
            w << QStringLiteral("word%1").arg(i);
        return w.join(QLatin1Char(' '));
    };
    const QString rest = QStringLiteral("[query q]\nsql = SELECT 1 AS a\n[table]\nquery = q\ncolumn = A | {a}\n");
    QTest::newRow("title line of a megabyte")
        << QStringLiteral("[report]\ntitle = %1\n").arg(QString(1000000, u'x')) + rest
        << "Line 2: the line has 1000008 characters; a line may have at most 4000";
    QTest::newRow("long line in the SQL") << QStringLiteral("[report]\ntitle = T\n[query q]\nsql = SELECT '%1' AS a\n"
                                                            "[table]\nquery = q\ncolumn = A | {a}\n")
                                                 .arg(QString(5000, u'y'))
                                          << "Line 4: the line has 5020 characters";
    QTest::newRow("title of many continued lines")
        << QStringLiteral("[report]\ntitle = T\n") + QStringLiteral("  %1\n").arg(QString(3000, u'z')).repeated(40) +
               rest
        << "Line 2: the value of \"title\" runs on past 32000 characters";
    QTest::newRow("title taller than a header") << QStringLiteral("[report]\ntitle = %1\n").arg(words(400)) + rest
                                                << "Line 2: the title is too long to stand at the top of every page";
    QTest::newRow("title as continued lines") << QStringLiteral("[report]\n# the title\ntitle = Trips\n") +
                                                     QStringLiteral("  %1\n").arg(words(100)).repeated(6) + rest
                                              << "Line 3: the title is too long";
    QTest::newRow("column captions")
        << QStringLiteral("[report]\ntitle = T\n[query q]\nsql = SELECT 1 AS a\n[table]\nquery = q\n"
                          "column = A | {a} | 10%\ncolumn = %1 | {a} | 10%\ncolumn = C | {a}\n")
               .arg(words(300))
        << "Line 8: the column captions are too long to stand at the top of every page of the table";
}

// A title or caption that no page can hold is a mistake in the definition,
// told like any other, and found before anything is laid out.
void TestReportEngine::refusesWhatNoPageHolds()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    FakePlatformScope scope;
    makeDatabase(scope.file(kDatabaseFileName));
    QElapsedTimer clock;
    clock.start();
    const report::BuildResult r = buildText(scope, text);
    QVERIFY(!r.report);
    QVERIFY(!r.cancelled);
    QVERIFY2(r.error.startsWith(QStringLiteral("The report definition \"%1\" cannot be used.\n")
                                    .arg(QDir::toNativeSeparators(scope.file(QStringLiteral("test.rpt"))))),
             qPrintable(r.error.left(300)));
    QVERIFY2(r.error.contains(message), qPrintable(r.error.left(300)));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

    // A long title that still leaves the page its rows is printed in full.
    const report::BuildResult fine =
        buildText(scope, QStringLiteral("[report]\ntitle = %1\n[text]\ntext = body\n").arg(QString(60, u't')));
    QVERIFY2(fine.report, qPrintable(fine.error));
    QVERIFY(reportText(*fine.report).startsWith(QString(60, u't')));
}

TF_CORE_TEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
