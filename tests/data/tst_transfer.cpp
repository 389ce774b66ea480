#include "TestFolder.h"
#include "data/DataSource.h"
#include "data/DiaryTransfer.h"
#include "data/LogImport.h"
#include "data/Schema.h"

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

namespace {

// Every cell of every table in entry order, NULL told apart from empty text.
QStringList cells(const QString &path)
{
    QStringList out;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const TableDef &t : schemaTables()) {
        QStringList cols;
        for (const QString &c : t.columns)
            cols << quoteIdentifier(c);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db,
                           QStringLiteral("SELECT %1 FROM %2 ORDER BY _key")
                               .arg(cols.join(','), quoteIdentifier(t.name))
                               .toUtf8()
                               .constData(),
                           -1, &s, nullptr);
        int row = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int i = 0; i < int(cols.size()); ++i)
                out << QStringLiteral("%1[%2].%3=%4")
                           .arg(t.name)
                           .arg(row)
                           .arg(t.columns[i],
                                sqlite3_column_type(s, i) == SQLITE_NULL
                                    ? QStringLiteral("<null>")
                                    : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i))));
            ++row;
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return out;
}

int rowCount(const QString &db, const QString &table)
{
    return querySingle(db, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_diary;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        m_diary = path("original.mdb");
        makeDatabase(m_diary);
        // Texts a spreadsheet would mangle: separators, quotes, both kinds of line
        // break, blanks at the ends, non-Latin script, a value of 10 MB, a stored
        // time of day, and an empty text beside a value never filled in.
        QVERIFY(execSql(m_diary, "UPDATE Register SET Name = 'Ann \"Pike\" Berg', Address = '', City = NULL"));
        QVERIFY(execSql(m_diary, "INSERT INTO Log (Date, Lake, [Total Fish], Notes, Picture, Remarks1) VALUES "
                                 "('2026-12-08 06:30:00', 'Großer Plöner See', '3', 'a, b; \"c\"\r\nline two\nthree ', "
                                 "'/home/ann/Pictures/pike, big.jpg', ''),"
                                 "('1999-01-31', 'Lake  ', NULL, '湖 🎣', '', NULL),"
                                 "('2026-02-01', ',', '0', printf('%.10000000c', 'x'), NULL, '\"')"));
        for (const TableDef &t : schemaTables())
            if (t.name != "Log" && t.name != "Register")
                QVERIFY(
                    execSql(m_diary, QStringLiteral("INSERT INTO %1 (%2) VALUES ('%3, \"one\"\n')")
                                         .arg(quoteIdentifier(t.name), quoteIdentifier(t.columns.first()), t.name)));
    }

    void exportedDiaryComesBackEqual()
    {
        const QString folder = path("out");
        const TransferResult out = exportDiary(m_diary, folder);
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(QFile::exists(QDir(folder).filePath("README.txt")));
        QCOMPARE(readAll(QDir(folder).filePath("Lakes.csv")), QByteArray("Lakes\r\n\"Lakes, \"\"one\"\"\n\"\r\n"));

        const QString copy = path("copy.mdb");
        makeDatabase(copy);
        QVERIFY(tablesAlreadyHolding(copy, folder).isEmpty());
        const TransferResult in = importDiary(copy, folder);
        QVERIFY2(in.ok, qPrintable(in.error));
        QCOMPARE(cells(copy), cells(m_diary));

        // Into a diary that has rows, rows are only added; doubling is said first.
        const QStringList doubled = tablesAlreadyHolding(copy, folder);
        QVERIFY(doubled.contains("Log") && doubled.contains("Contacts") && !doubled.contains("Register"));
        const TransferResult again = importDiary(copy, folder);
        QVERIFY2(again.ok, qPrintable(again.error));
        QCOMPARE(rowCount(copy, "Log"), 6);
        QCOMPARE(rowCount(copy, "Register"), 1);
        QCOMPARE(querySingle(copy, "SELECT Name FROM Register").toString(), QString("Ann \"Pike\" Berg"));
        QVERIFY(again.notes.join(' ').contains("owner's details"));
    }

    void badFilesImportNothing_data()
    {
        QTest::addColumn<QByteArray>("logFile");
        QTest::addColumn<QString>("said");
        QTest::newRow("quote never closed") << QByteArray("Date,Lake\r\n2026-01-01,\"Pike\r\n2026-01-02,Bass\r\n")
                                            << "Line 2: a quoted field is never closed.";
        QTest::newRow("too many fields") << QByteArray("Date,Lake\r\n2026-01-01,Pike\r\n2026-01-02,Bass,extra\r\n")
                                         << "line 3: 3 values where the first line names 2";
        QTest::newRow("too few fields") << QByteArray("Date,Lake\r\n2026-01-01\r\n") << "line 2: 1 values";
        QTest::newRow("Latin-1") << QByteArray("Date,Lake\r\n2026-01-01,Pl\xF6n\r\n") << "looks like Latin-1";
        QTest::newRow("not text") << QByteArray("SQLite format 3\0\0\0", 18) << "is not a text file";
        QTest::newRow("unknown column") << QByteArray("Date,Depth of Lake\r\n2026-01-01,3\r\n")
                                        << "has no column \"Depth of Lake\"";
    }
    void badFilesImportNothing()
    {
        QFETCH(QByteArray, logFile);
        QFETCH(QString, said);
        QTemporaryDir folder;
        // A good file beside the bad one: all or nothing keeps it out too.
        QVERIFY(writeAll(QDir(folder.path()).filePath("Lakes.csv"), "Lakes\r\nErie\r\n"));
        QVERIFY(writeAll(QDir(folder.path()).filePath("Log.csv"), logFile));
        const QString db = path(QStringLiteral("bad-%1.mdb").arg(QTest::currentDataTag()).replace(' ', '-'));
        makeDatabase(db);
        const TransferResult r = importDiary(db, folder.path());
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(said), qPrintable(r.error));
        QCOMPARE(rowCount(db, "Log") + rowCount(db, "Lakes"), 0);
    }

    void failedOrCancelledExportKeepsOldFiles()
    {
        QTemporaryDir folder;
        const QString oldLog = QDir(folder.path()).filePath("Log.csv");
        QVERIFY(writeAll(oldLog, "an earlier export"));
        // A folder where a file must go: the system refuses that file.
        QVERIFY(QDir(folder.path()).mkdir("Lakes.csv"));
        const TransferResult failed = exportDiary(m_diary, folder.path());
        QVERIFY(!failed.ok);
        QVERIFY2(failed.error.contains("Lakes.csv could not be written: "), qPrintable(failed.error));
        QCOMPARE(readAll(oldLog), QByteArray("an earlier export"));

        QVERIFY(QDir(folder.path()).rmdir("Lakes.csv"));
        {
            // A disk that fills while the 10 MB note is written.
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1 << 20, old.rlim_max};
            setrlimit(RLIMIT_FSIZE, &limit);
            const TransferResult full = exportDiary(m_diary, folder.path());
            setrlimit(RLIMIT_FSIZE, &old);
            QVERIFY(!full.ok);
            QVERIFY2(full.error.contains("Log.csv could not be written: "), qPrintable(full.error));
            QCOMPARE(readAll(oldLog), QByteArray("an earlier export"));
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Log.csv"});
        }
        const TransferResult cancelled =
            exportDiary(m_diary, folder.path(), {}, [](qint64 done, qint64) { return done < 1; });
        QVERIFY(cancelled.cancelled);
        QCOMPARE(readAll(oldLog), QByteArray("an earlier export"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Log.csv"});
    }

    void datesAsSpreadsheetsWriteThem_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ISO") << "en_US"
                             << "2026-12-08"
                             << "2026-12-08";
        QTest::newRow("ISO with time") << "de_DE"
                                       << "2026-12-08T06:30"
                                       << "2026-12-08 06:30:00";
        QTest::newRow("German") << "de_DE"
                                << "8.12.2026"
                                << "2026-12-08";
        QTest::newRow("German two-digit year, time") << "de_DE"
                                                     << "08.12.26 17:05:09"
                                                     << "2026-12-08 17:05:09";
        QTest::newRow("US") << "en_US"
                            << "12/8/2026"
                            << "2026-12-08";
        QTest::newRow("month name") << "de_DE"
                                    << "8. Dezember 2026"
                                    << "2026-12-08";
        QTest::newRow("no such day") << "en_US"
                                     << "2/30/2026"
                                     << "";
        QTest::newRow("words") << "en_US"
                               << "next week"
                               << "";
        QTest::newRow("bad time") << "en_US"
                                  << "2026-12-08 25:00"
                                  << "";
    }
    void datesAsSpreadsheetsWriteThem()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(storedDate(text, QLocale(locale)), stored);
    }

    void foreignLogMappedCheckedAndAdded()
    {
        const QString db = path("foreign.mdb");
        makeDatabase(db);
        QVERIFY(execSql(db, "INSERT INTO Lakes (Lakes) VALUES ('Müritz')"));
        const QString csvPath = path("fangbuch.csv");
        QVERIFY(writeAll(csvPath, "Datum;Gewässer;Anzahl;Fischart;Köder;Bemerkungen;Wetterlage\r\n"
                                  "3.5.2025;Müritz;2;Hecht;Gummifisch;\"Schilfkante; windig\";sonnig\r\n"
                                  "31.2.2025;Müritz;1;Barsch;Spinner;;\r\n"
                                  "4.5.2025;Plauer See;viele;Barsch;Spinner;;\r\n"
                                  "5.5.2025;Plauer See;0;;;;\r\n"));
        const ForeignFile file = readForeignFile(csvPath);
        QCOMPARE(file.separator, ';');
        LogImportOptions options;
        options.locale = QLocale(QLocale::German, QLocale::Germany);
        options.mapping = guessMapping(db, previewLines(file, 1).front());
        QCOMPARE(options.mapping, (QStringList{"Date", "Lake", "Total Fish", "Fish Caught", "Best Lure", "Notes", ""}));

        const LogImportResult checked = checkLog(db, file, options);
        QVERIFY(checked.ok);
        QCOMPARE(checked.accepted, 2);
        QCOMPARE(checked.refused.size(), size_t(2));
        QCOMPARE(checked.refused[0].line, 3);
        QCOMPARE(checked.refused[0].column, QString("Date"));
        QCOMPARE(checked.refused[1].line, 4);
        QCOMPARE(checked.refused[1].reason, QString("\"viele\" is no whole number of fish."));
        QCOMPARE(checked.newNames.value("Lakes"), QStringList{"Plauer See"});
        QVERIFY(!checked.alreadyInDiary);

        options.stopAtRefusal = true;
        QVERIFY(!importLog(db, file, options).ok);
        QCOMPARE(rowCount(db, "Log"), 0);
        options.stopAtRefusal = false;
        const LogImportResult added = importLog(db, file, options);
        QVERIFY2(added.ok, qPrintable(added.error));
        QCOMPARE(rowCount(db, "Log"), 2);
        QCOMPARE(querySingle(db, "SELECT Date || '|' || Notes FROM Log WHERE Lake = 'Müritz'").toString(),
                 QString("2025-05-03|Schilfkante; windig"));
        QVERIFY(checkLog(db, file, options).alreadyInDiary);
        // The mapping is kept: a renamed column is remembered from last time.
        QVERIFY(execSql(db, "UPDATE \"Import Headings\" SET \"Column\" = 'Weather' WHERE Heading = 'Wetterlage'"));
        QCOMPARE(guessMapping(db, {"Wetterlage"}), QStringList{"Weather"});
    }

    void lockedDiaryImportsNothing()
    {
        const QString folder = path("out");
        const QString db = path("locked.mdb");
        makeDatabase(db);
        sqlite3 *other = nullptr;
        sqlite3_open(db.toUtf8().constData(), &other);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        const TransferResult r = importDiary(db, folder, {"Log"});
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QString("The diary is in use by another program. Nothing was imported."));
        QCOMPARE(rowCount(db, "Log"), 0);
    }

    // A restore in another program renames its file over the diary part way
    // through: the rows went into the old file, which is gone, so none count.
    void diaryReplacedDuringImportImportsNothing()
    {
        const QString folder = path("many");
        QVERIFY(QDir().mkpath(folder));
        QByteArray log = "Lake\r\n";
        for (int i = 0; i < 2048; ++i)
            log += "Pine Lake\r\n";
        QVERIFY(writeAll(QDir(folder).filePath("Log.csv"), log));
        const QString db = path("replaced.mdb"), opened = path("replaced-old.mdb"), other = path("restored.mdb");
        makeDatabase(db);
        makeDatabase(other);
        QVERIFY(::link(QFile::encodeName(db).constData(), QFile::encodeName(opened).constData()) == 0);
        bool replaced = false;
        const TransferResult r = importDiary(db, folder, {"Log"}, [&](qint64, qint64) {
            if (!replaced)
                replaced = ::rename(QFile::encodeName(other).constData(), QFile::encodeName(db).constData()) == 0;
            return true;
        });
        QVERIFY(replaced);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, replacedFileText(db) + " Nothing was imported.");
        QCOMPARE(rowCount(opened, "Log"), 0);
        QCOMPARE(rowCount(db, "Log"), 0);
    }
};

TF_CORE_TEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
