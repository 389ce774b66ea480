#include "TestFolder.h"
#include "data/Schema.h"

#include <QTemporaryDir>

using namespace tf;
using namespace tf::test;

class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    void freshDatabaseHasEveryTableAndColumn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tfn5.mdb");
        makeDatabase(path);
        QCOMPARE(schemaTables().size(), size_t(14));
        for (const TableDef &t : schemaTables())
            for (const QString &c : t.columns) {
                const QString sql =
                    QStringLiteral("SELECT count(*) FROM pragma_table_info('%1') WHERE name = '%2'").arg(t.name, c);
                QVERIFY2(querySingle(path, sql).toInt() == 1, qPrintable(t.name + "." + c));
            }
        QCOMPARE(querySingle(path, "SELECT count(*) FROM Register").toInt(), 1);
        QCOMPARE(querySingle(path, "PRAGMA application_id").toInt(), kApplicationId);
        QCOMPARE(querySingle(path, "PRAGMA user_version").toInt(), kUserVersion);
        QVERIFY(verifyDatabase(path).ok);
    }

    void columnsWithBlanksAreExact()
    {
        const TableDef *log = findTable("log");
        QVERIFY(log);
        for (const char *c : {"Total Fish", "Fish Caught", "Best Lure", "Lure Color", "Wind Direction", "Moon Phase"})
            QVERIFY2(log->columns.contains(QString::fromLatin1(c)), c);
        QVERIFY(findTable("Contacts")->columns.contains("Zip Code"));
        QVERIFY(findTable("Lures")->columns == QStringList{"Lure"});
    }

    void createRefusesExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tfn5.mdb");
        QVERIFY(writeAll(path, QByteArray()));
        QVERIFY(!createDatabase(path).ok);
        QCOMPARE(readAll(path).size(), 0);
    }

    void firstStart()
    {
        QTemporaryDir dir;
        QVERIFY(createDatabaseOnFirstStart(dir.path()));
        QVERIFY(QFileInfo::exists(dir.filePath("tfn5.mdb")));
        const QByteArray before = readAll(dir.filePath("tfn5.mdb"));
        QVERIFY(!createDatabaseOnFirstStart(dir.path())); // second start leaves it alone
        QCOMPARE(readAll(dir.filePath("tfn5.mdb")), before);

        // An interrupted repair left only tfn51.mdb: nothing may be created over the user's data.
        QTemporaryDir dir2;
        QVERIFY(writeAll(dir2.filePath("tfn51.mdb"), "x"));
        QVERIFY(!createDatabaseOnFirstStart(dir2.path()));
        QVERIFY(!QFileInfo::exists(dir2.filePath("tfn5.mdb")));
    }

    void verifyRefuses_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("text") << "text";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("bit flipped") << "flipped";
        QTest::newRow("other program") << "otherapp";
        QTest::newRow("missing table") << "droptable";
    }
    void verifyRefuses()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath("tfn5.mdb");
        makeDatabase(path);
        // Enough rows that the file has several pages to damage.
        QString fill = "BEGIN;";
        for (int i = 0; i < 400; ++i)
            fill += QStringLiteral("INSERT INTO Log (Date, Lake, Notes) VALUES ('2020-01-01', 'Lake %1', '%2');")
                        .arg(i)
                        .arg(QString(200, QLatin1Char('n')));
        QVERIFY(execSql(path, fill + "COMMIT;"));
        QByteArray bytes = readAll(path);
        if (damage == "missing")
            QFile::remove(path);
        else if (damage == "empty")
            writeAll(path, {});
        else if (damage == "text")
            writeAll(path, "this is not a database, just some text\n");
        else if (damage == "truncated")
            writeAll(path, bytes.left(bytes.size() / 2));
        else if (damage == "flipped") {
            // Damage a b-tree page header in the middle of the file.
            for (int i = 0; i < 64; ++i)
                bytes[4096 * 3 + i] = char(bytes[4096 * 3 + i] ^ 0x5A);
            writeAll(path, bytes);
        } else if (damage == "otherapp")
            QVERIFY(execSql(path, "PRAGMA application_id = 12345"));
        else if (damage == "droptable")
            QVERIFY(execSql(path, "DROP TABLE Memberships"));
        const Status s = verifyDatabase(path, VerifyOptions{false});
        QVERIFY(!s.ok);
        QVERIFY(!s.error.isEmpty());
    }

    void verifyAcceptsUnmarkedFileOnlyWhenAsked()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tfn5.mdb");
        makeDatabase(path);
        QVERIFY(execSql(path, "PRAGMA application_id = 0"));
        QVERIFY(!verifyDatabase(path).ok);
        QVERIFY(verifyDatabase(path, VerifyOptions{false}).ok);
    }
};

TF_CORE_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
