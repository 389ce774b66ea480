#include "TestFolder.h"
#include "data/DataSource.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <unistd.h>

using namespace tf;
using namespace tf::test;

namespace {
QStringList column(DataSource &ds, const QString &field)
{
    QStringList r;
    for (int i = 0; i < ds.recordCount(); ++i)
        r << ds.valueAt(i, ds.fieldIndex(field)).toString();
    return r;
}
} // namespace

class TestDataSource : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("tfn5-%1.mdb").arg(QTest::currentTestFunction()));
        QFile::remove(m_path);
        makeDatabase(m_path);
        QVERIFY(execSql(m_path, "INSERT INTO Log (Date, Lake, Notes, [Best Lure]) VALUES"
                                "('2024-05-01', 'pine lake', 'Big bass on the point', 'Spinnerbait'),"
                                "('2025-06-02', 'Anvil River', 'nothing much', 'Jig'),"
                                "('2023-01-15', '', 'ice fishing, one BASS', 'spoon'),"
                                "('2025-06-02', 'Cedar Lake', NULL, NULL),"
                                "(NULL, 'Birch Pond', 'no date kept', 'Crankbait')"));
    }

    void recordSourcesAndOrders_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("table order") << "Log"
                                     << "Lake"
                                     << QStringList{"pine lake", "Anvil River", "", "Cedar Lake", "Birch Pond"};
        QTest::newRow("newest first") << "Select * FROM Log Order By Date Desc"
                                      << "Date"
                                      << QStringList{"2025-06-02", "2025-06-02", "2024-05-01", "2023-01-15", ""};
        QTest::newRow("lake, case ignored, empty first")
            << "Select * FROM Log Order By Lake"
            << "Lake" << QStringList{"", "Anvil River", "Birch Pond", "Cedar Lake", "pine lake"};
        QTest::newRow("dated trips only")
            << "SELECT * FROM Log WHERE Date"
            << "Date" << QStringList{"2024-05-01", "2025-06-02", "2023-01-15", "2025-06-02"};
        QTest::newRow("keywords in any case")
            << "select * from LOG order by lake DESC"
            << "Lake" << QStringList{"pine lake", "Cedar Lake", "Birch Pond", "Anvil River", ""};
    }
    void recordSourcesAndOrders()
    {
        QFETCH(QString, source);
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        DataSource ds;
        QVERIFY2(ds.open(m_path, source), qPrintable(ds.errorText()));
        QCOMPARE(ds.recordCount(), expected.size());
        QCOMPARE(column(ds, field), expected);
        QVERIFY(!ds.fieldNames().contains(kKeyColumn));
        QCOMPARE(ds.fieldNames().size(), 35);
    }

    void everyProgramSourceOpensAndIsUpdatable_data()
    {
        QTest::addColumn<QString>("source");
        for (const char *s : {"Select * FROM Log Order By Date Desc",
                              "Select * FROM Log Order By Lake",
                              "Select * FROM Contacts Order By Name",
                              "Select * FROM Contacts Order By State",
                              "Select * FROM Reminders Order By Date Desc",
                              "Select * FROM Patterns Order By Lake",
                              "Select * FROM Patterns Order By Month",
                              "SELECT * FROM Log WHERE Date",
                              "Lakes",
                              "Ramps",
                              "Fish",
                              "Lures",
                              "Bestfish",
                              "Rods",
                              "Boat",
                              "Equipment",
                              "Patterns",
                              "Reminders",
                              "Contacts",
                              "Memberships",
                              "Register"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }
    void everyProgramSourceOpensAndIsUpdatable()
    {
        QFETCH(QString, source);
        DataSource ds;
        QVERIFY2(ds.open(m_path, source), qPrintable(ds.errorText()));
        const int before = ds.recordCount();
        const QString field = ds.fieldNames().first();
        QVERIFY(ds.addNew());
        QVERIFY(ds.setValue(field, "2026-12-08"));
        QVERIFY2(ds.update(), qPrintable(ds.errorText()));
        QCOMPARE(ds.recordCount(), before + 1);
        QVERIFY(ds.setBookmark(*ds.lastModified()));
        QCOMPARE(ds.value(field).toString(), QStringLiteral("2026-12-08"));
    }

    void patternsByMonthAreAlphabetical()
    {
        QString sql = "INSERT INTO Patterns (Lake, Month) VALUES ";
        const QStringList months{"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
        QStringList values;
        for (const QString &m : months)
            values << QStringLiteral("('L', '%1')").arg(m);
        QVERIFY(execSql(m_path, sql + values.join(',')));
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Patterns Order By Month"));
        QCOMPARE(column(ds, "Month"), (QStringList{"April", "August", "December", "February", "January", "July", "June",
                                                   "March", "May", "November", "October", "September"}));
    }

    void navigation()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Lakes"));
        QVERIFY(ds.bof() && ds.eof()); // empty
        QVERIFY(!ds.moveFirst());
        QVERIFY(!ds.bookmark());

        QVERIFY(ds.open(m_path, "Log"));
        QVERIFY(!ds.bof() && !ds.eof());
        QCOMPARE(ds.currentRow(), 0);
        QVERIFY(ds.movePrevious());
        QVERIFY(ds.bof());
        QVERIFY(!ds.movePrevious());
        QVERIFY(ds.moveLast());
        QCOMPARE(ds.value("Lake").toString(), QStringLiteral("Birch Pond"));
        QVERIFY(ds.moveNext());
        QVERIFY(ds.eof());
        QVERIFY(!ds.hasCurrent());
        QVERIFY(!ds.value("Lake").isValid());
        QVERIFY(ds.moveFirst());
        QCOMPARE(ds.value("lake").toString(), QStringLiteral("pine lake")); // names ignore case
    }

    void addedRowStaysAppendedUntilRequery()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        QVERIFY(ds.moveTo(2));
        const auto before = ds.bookmark();
        QVERIFY(ds.addNew());
        QCOMPARE(ds.editMode(), DataSource::EditMode::Adding);
        QVERIFY(!ds.value("Lake").isValid());
        QVERIFY(ds.setValue("Date", "2030-01-01"));
        QVERIFY(ds.setValue("Lake", "Newest Lake"));
        QVERIFY(ds.update());
        QCOMPARE(ds.recordCount(), 6);
        QCOMPARE(ds.bookmark(), before); // the row current before add-new stays current
        QCOMPARE(ds.rowOfBookmark(*ds.lastModified()), 5);
        QVERIFY(ds.setBookmark(*ds.lastModified()));
        QCOMPARE(ds.value("Lake").toString(), QStringLiteral("Newest Lake"));
        QVERIFY(ds.requery());
        QCOMPARE(ds.valueAt(0, ds.fieldIndex("Lake")).toString(), QStringLiteral("Newest Lake"));
    }

    void editCancelAndUpdate()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        QVERIFY(ds.moveTo(1));
        QVERIFY(ds.edit());
        QVERIFY(ds.setValue("Notes", "changed"));
        QCOMPARE(ds.value("Notes").toString(), QStringLiteral("changed"));
        ds.cancelUpdate();
        QCOMPARE(ds.value("Notes").toString(), QStringLiteral("nothing much"));

        // Values travel as parameters: quotes and SQL stay text.
        const QString nasty = QStringLiteral("it's \"odd\"; DROP TABLE Log; -- 100% \\ done ✓");
        QVERIFY(ds.edit());
        QVERIFY(ds.setValue("Notes", nasty));
        QVERIFY(ds.update());
        QCOMPARE(ds.recordCount(), 5);
        QCOMPARE(ds.value("Notes").toString(), nasty);
        QCOMPARE(ds.lastModified(), ds.bookmark());
        QCOMPARE(querySingle(m_path, "SELECT Notes FROM Log WHERE Lake = 'Anvil River'").toString(), nasty);
        QVERIFY(!ds.setValue("Notes", "x")); // no pending row
        QVERIFY(!ds.update());
    }

    // Another file put in place of the open one (a restore elsewhere): what the
    // connection would write goes into the old file, which is gone.
    void writesToAReplacedFileAreRefused_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("new row") << "new";
        QTest::newRow("edited row") << "edit";
        QTest::newRow("deleted row") << "delete";
    }
    void writesToAReplacedFileAreRefused()
    {
        QFETCH(QString, write);
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        const QString opened = m_path + ".opened", other = m_path + ".other";
        QFile::remove(opened);
        QVERIFY(::link(QFile::encodeName(m_path).constData(), QFile::encodeName(opened).constData()) == 0);
        makeDatabase(other);
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(m_path).constData()) == 0);
        QStringList told;
        setReplacedFileHandler([&](const QString &path) { told << path; });
        bool written = false;
        if (write == "new")
            written = ds.addNew() && ds.setValue("Lake", "Lake Ellen") && ds.update();
        else if (write == "edit")
            written = ds.edit() && ds.setValue("Lake", "Lake Ellen") && ds.update();
        else
            written = ds.deleteCurrent();
        setReplacedFileHandler({});
        QVERIFY(!written);
        QCOMPARE(ds.errorText(), replacedFileText(m_path));
        QCOMPARE(told, QStringList{m_path});
        QCOMPARE(ds.editMode() != DataSource::EditMode::None, write != "delete"); // the typing stays
        QCOMPARE(
            querySingle(opened, "SELECT group_concat(Lake, '|') FROM (SELECT Lake FROM Log ORDER BY _key)").toString(),
            QString("pine lake|Anvil River||Cedar Lake|Birch Pond"));
        QCOMPARE(querySingle(m_path, "SELECT count(*) FROM Log").toInt(), 0);
    }

    void deleteDropsExactlyThatRow()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Lake"));
        QVERIFY(ds.moveTo(2)); // Birch Pond
        QVERIFY(ds.deleteCurrent());
        QCOMPARE(ds.recordCount(), 4);
        QVERIFY(!ds.hasCurrent());
        QVERIFY(ds.moveNext());
        QCOMPARE(ds.value("Lake").toString(), QStringLiteral("Cedar Lake"));
        QCOMPARE(column(ds, "Lake"), (QStringList{"", "Anvil River", "Cedar Lake", "pine lake"}));
        QCOMPARE(querySingle(m_path, "SELECT count(*) FROM Log").toInt(), 4);
        // Deleting the last row leaves the position after the end.
        QVERIFY(ds.moveLast());
        QVERIFY(ds.deleteCurrent());
        QVERIFY(ds.moveNext());
        QVERIFY(ds.eof());
    }

    void bookmarksSurviveRequeryAndSort()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        QVERIFY(ds.moveTo(3));
        const auto mark = *ds.bookmark();
        const QString lake = ds.value("Lake").toString();
        QVERIFY(ds.setRecordSource("Select * FROM Log Order By Lake"));
        QVERIFY(ds.requery());
        QVERIFY(ds.setBookmark(mark));
        QCOMPARE(ds.value("Lake").toString(), lake);
        QVERIFY(!ds.setBookmark(987654));
    }

    void anotherSourceSeesWritesAfterRequery()
    {
        DataSource a, b;
        QVERIFY(a.open(m_path, "Log"));
        QVERIFY(b.open(m_path, "Log"));
        QCOMPARE(DataSource::openCount(m_path), 2);
        QVERIFY(a.addNew());
        QVERIFY(a.setValue("Lake", "Elm Lake"));
        QVERIFY(a.update());
        QCOMPARE(b.recordCount(), 5);
        QCOMPARE(b.tableRowCount(), 6); // the file, not the keyset
        QVERIFY(b.requery());
        QCOMPARE(b.recordCount(), 6);
        a.close();
        QCOMPARE(DataSource::openCount(m_path), 1);
    }

    void find_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QStringList>("lakes"); // every match, in order
        QTest::newRow("notes") << "Notes LIKE '*bass*'" << QStringList{"pine lake", ""};
        QTest::newRow("bracketed column") << "[Best Lure] LIKE '*SPIN*'" << QStringList{"pine lake"};
        QTest::newRow("empty text: every non-null")
            << "Notes LIKE '**'" << QStringList{"pine lake", "Anvil River", "", "Birch Pond"};
        QTest::newRow("no match") << "Notes LIKE '*pike*'" << QStringList{};
        QTest::newRow("quote in text") << "Notes LIKE '*it''s*'" << QStringList{};
    }
    void find()
    {
        QFETCH(QString, criterion);
        QFETCH(QStringList, lakes);
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        QVERIFY(ds.moveLast());
        QStringList found;
        QVERIFY(ds.findFirst(criterion));
        while (!ds.noMatch()) {
            found << ds.value("Lake").toString();
            QVERIFY(ds.findNext(criterion));
        }
        QCOMPARE(found, lakes);
        if (lakes.isEmpty())
            QCOMPARE(ds.currentRow(), 4); // a failed find leaves the row where it was
    }

    void badCriteria()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        QVERIFY(!ds.findFirst("Notes LIKE '*it's*'"));
        QVERIFY(!ds.errorText().isEmpty());
        QVERIFY(!ds.findFirst("[No Such] LIKE '*x*'"));
        QVERIFY(!ds.findFirst("Notes LIKE '*[x*'"));
        QCOMPARE(querySingle(m_path, "SELECT count(*) FROM Log").toInt(), 5);
    }

    void badRecordSources()
    {
        DataSource ds;
        QVERIFY(!ds.open(m_path, "NoTable"));
        QVERIFY(!ds.isOpen());
        QVERIFY(!ds.open(m_path, "Select * FROM Log Order By Nope"));
        QVERIFY(!ds.open(m_path, "Select * FROM Log; DROP TABLE Log"));
        QVERIFY(!ds.open(m_path, "DELETE FROM Log"));
        QCOMPARE(querySingle(m_path, "SELECT count(*) FROM Log").toInt(), 5);
        QCOMPARE(DataSource::openCount(m_path), 0);
    }

    void badFilesAreReportedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing") << "missing";
        QTest::newRow("zero bytes") << "empty";
        QTest::newRow("not a database") << "text";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("a folder") << "folder";
    }
    void badFilesAreReportedAndLeftAlone()
    {
        QFETCH(QString, damage);
        QString fill = "BEGIN;";
        for (int i = 0; i < 300; ++i)
            fill += QStringLiteral("INSERT INTO Log (Date, Lake, Notes) VALUES ('2020-01-01', 'L%1', '%2');")
                        .arg(i)
                        .arg(QString(300, QLatin1Char('n')));
        QVERIFY(execSql(m_path, fill + "COMMIT;"));
        const QByteArray full = readAll(m_path);
        if (damage == "missing")
            QFile::remove(m_path);
        else if (damage == "empty")
            writeAll(m_path, {});
        else if (damage == "text")
            writeAll(m_path, QByteArray(5000, 'x'));
        else if (damage == "truncated")
            writeAll(m_path, full.left(4096 * 2));
        else if (damage == "folder") {
            QFile::remove(m_path);
            QDir().mkpath(m_path);
        }
        const QByteArray before = readAll(m_path);
        DataSource ds;
        const bool opened = ds.open(m_path, "Select * FROM Log Order By Date Desc");
        // A truncated file may open its first pages; reading must then fail cleanly.
        if (opened) {
            for (int i = 0; i < ds.recordCount(); ++i)
                ds.valueAt(i, 0);
        } else {
            QVERIFY(!ds.errorText().isEmpty());
        }
        QVERIFY(damage == "truncated" || !opened);
        ds.close();
        QCOMPARE(readAll(m_path), before);
        QCOMPARE(QFileInfo::exists(m_path), damage != "missing");
        if (damage == "missing")
            QVERIFY(ds.errorText().contains("Cannot find"));
    }

    // A damaged table is never shown as rows of empty values: a row that cannot
    // be read gives no values, the failure is reported once, with the engine's
    // words, and the rows that cannot be read then leave the keyset, so a grid
    // never shows them blank. The file is left as it is.
    void damagedTableIsReported_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("why");
        QTest::newRow("root page") << "root"
                                   << "malformed";
        QTest::newRow("leaf page") << "leaf"
                                   << "malformed";
        // The date index still lists rows the table's lookup no longer finds.
        QTest::newRow("keys misrouted") << "misrouted"
                                        << "missing";
    }
    void damagedTableIsReported()
    {
        QFETCH(QString, damage);
        QFETCH(QString, why);
        QVERIFY(execSql(m_path, "DELETE FROM Log"));
        QVERIFY(execSql(m_path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                "INSERT INTO Log (Date, Lake, Notes) SELECT printf('2020-%02d-%02d', 1 + i % 12, "
                                "1 + i % 28), 'Lake ' || i, 'a trip of ' || i FROM n"));
        QCOMPARE(querySingle(m_path, "SELECT count(*) FROM Log").toInt(), 3000);
        if (damage == "misrouted")
            QVERIFY(misrouteTableKeys(QStringLiteral("Log"), m_path, 16));
        else
            QVERIFY(damageTablePage(QStringLiteral("Log"), m_path, damage == "leaf"));
        QVERIFY(querySingle(m_path, "PRAGMA quick_check").toString() != "ok");
        const QByteArray before = readAll(m_path);

        DataSource ds;
        QSignalSpy failed(&ds, &DataSource::readFailed);
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        QCOMPARE(ds.recordCount(), 3000);
        if (damage == "root") // the first row is read as the source opens
            QVERIFY(ds.readError().contains("malformed"));
        const int lake = ds.fieldIndex("Lake");
        int unreadable = 0;
        for (int row = 0; row < ds.recordCount(); ++row) {
            bool read = false;
            const QVariant v = ds.valueAt(row, lake, &read);
            if (read) {
                QVERIFY(v.toString().startsWith("Lake ")); // a row read is a whole row
            } else {
                ++unreadable;
                QVERIFY(!v.isValid()); // nothing, not an empty text
            }
        }
        QCOMPARE(unreadable == 3000, damage == "root");
        if (damage == "misrouted")
            QCOMPARE(unreadable, 16);
        QVERIFY(unreadable > 0);
        QVERIFY2(ds.readError().contains(why), qPrintable(ds.readError()));

        // Once reported, only rows that can be read are left, and each reads whole.
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(ds.recordCount(), 3000 - unreadable);
        QCOMPARE(ds.unreadableRows(), unreadable);
        QCOMPARE(ds.tableRowCount(), 3000 - unreadable);
        const QString said = failed.first().first().toString();
        QVERIFY(said.startsWith(ds.readError()));
        QVERIFY(said.contains(QStringLiteral("%1 rows of the table Log cannot be read").arg(unreadable)));
        for (int row = 0; row < ds.recordCount(); ++row) {
            bool read = false;
            QVERIFY(ds.valueAt(row, lake, &read).toString().startsWith("Lake "));
            QVERIFY(read);
        }
        if (ds.recordCount() > 0) {
            QVERIFY(ds.moveTo(ds.recordCount() - 1));
            QVERIFY(ds.edit());
            ds.cancelUpdate();
        }
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 1); // once, however many rows fail

        // A find over the damaged table fails as a read failure, not as "no match".
        if (why == "malformed") {
            QVERIFY(!ds.findFirst("Notes LIKE '*trip of 1*'"));
            QVERIFY(ds.errorText().contains("malformed"));
        }

        // Each requery starts afresh and reports again.
        QVERIFY(ds.requery());
        QCOMPARE(ds.recordCount(), 3000);
        for (int row = 0; row < ds.recordCount(); ++row)
            ds.valueAt(row, lake);
        QTRY_COMPARE(failed.count(), 2);
        QCOMPARE(ds.recordCount(), 3000 - unreadable);
        ds.close();
        QCOMPARE(readAll(m_path), before);
    }

    // A row another window deleted has no values until the next requery, but
    // the file is sound: that is no read failure.
    void rowDeletedElsewhereIsNoFailure()
    {
        QVERIFY(execSql(m_path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                                "INSERT INTO Log (Lake) SELECT 'Lake ' || i FROM n"));
        DataSource ds;
        QSignalSpy failed(&ds, &DataSource::readFailed);
        QVERIFY(ds.open(m_path, "Log"));
        const QString gone = ds.valueAt(150, ds.fieldIndex("Lake")).toString();
        const QString next = ds.valueAt(151, ds.fieldIndex("Lake")).toString();
        QVERIFY(ds.requery()); // nothing held in memory
        QVERIFY(execSql(m_path, QStringLiteral("DELETE FROM Log WHERE Lake = '%1'").arg(gone)));
        bool read = true;
        QVERIFY(!ds.valueAt(150, ds.fieldIndex("Lake"), &read).isValid());
        QVERIFY(!read);
        QCOMPARE(ds.valueAt(151, ds.fieldIndex("Lake"), &read).toString(), next);
        QVERIFY(read);
        QCoreApplication::processEvents();
        QVERIFY(ds.readError().isEmpty());
        QCOMPARE(failed.count(), 0);
    }

    // Repair is advised for damage only: a locked file or one the system will
    // not let us read is not mended by rewriting it.
    void problemText_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("advice");
        QTest::newRow("damaged") << "database disk image is malformed"
                                 << "cannot be read"
                                 << "\"Exit & Backup Database\" on the control panel can restore a backup copy or "
                                    "repair the file.";
        QTest::newRow("not a database") << "file is not a database"
                                        << "cannot be read"
                                        << "repair the file";
        QTest::newRow("locked") << "database is locked"
                                << "is locked"
                                << "Another program";
        QTest::newRow("permission denied") << "unable to open database file (Permission denied)"
                                           << "cannot be read"
                                           << "allowed to read and write";
    }
    void problemText()
    {
        QFETCH(QString, error);
        QFETCH(QString, first);
        QFETCH(QString, advice);
        const QString text = databaseProblemText("/home/ann/Tallyfin/tfn5.mdb", error);
        const QStringList lines = text.split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].contains(QDir::toNativeSeparators("/home/ann/Tallyfin/tfn5.mdb")));
        QVERIFY(lines[0].contains(first));
        QCOMPARE(lines[1], error);
        QVERIFY(lines[2].contains(advice));
        QCOMPARE(lines[2].contains("repair"), advice.contains("repair"));
        QVERIFY(lines[2].endsWith("Nothing has been changed."));
    }

    void lockedFileIsReported()
    {
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(m_path.toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        DataSource ds;
        QVERIFY(!ds.open(m_path, "Log"));
        QVERIFY(ds.errorText().contains("locked"));
        QCOMPARE(databaseTroubleOf(ds.errorText()), DatabaseTrouble::Locked);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QVERIFY(ds.open(m_path, "Log"));
    }

    void compact()
    {
        const QString dest = m_dir.filePath("compacted.mdb");
        QFile::remove(dest);
        QVERIFY(execSql(m_path, "DELETE FROM Log WHERE Lake = 'Anvil River'"));
        {
            DataSource holder;
            QVERIFY(holder.open(m_path, "Register"));
            QVERIFY(!DataSource::compact(m_path, dest).ok); // held open by this program
            QVERIFY(!QFileInfo::exists(dest));
        }
        QVERIFY(writeAll(dest, {}));
        QVERIFY(!DataSource::compact(m_path, dest).ok); // an empty file counts as existing
        QCOMPARE(readAll(dest).size(), 0);
        QFile::remove(dest);
        const Status s = DataSource::compact(m_path, dest);
        QVERIFY2(s.ok, qPrintable(s.error));
        QVERIFY(verifyDatabase(dest).ok);
        QCOMPARE(querySingle(dest, "SELECT count(*) FROM Log").toInt(), 4);
        QCOMPARE(querySingle(dest, "SELECT group_concat(_key) FROM Log").toString(),
                 querySingle(m_path, "SELECT group_concat(_key) FROM Log").toString());
        QVERIFY(!DataSource::compact(m_dir.filePath("absent.mdb"), m_dir.filePath("x.mdb")).ok);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("x.mdb")));
    }
};

TF_CORE_TEST_MAIN(TestDataSource)
#include "tst_datasource.moc"
