#include "TestMain.h"
#include "data/FieldBinding.h"
#include "data/GridModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>

using namespace tf;
using namespace tf::test;

namespace {
// Flips one bit of the type byte of the Log table's root page.
bool damageLogRoot(const QString &path)
{
    QByteArray file = readAll(path);
    const int pageSize = querySingle(path, "PRAGMA page_size").toInt();
    const qint64 root = querySingle(path, "SELECT rootpage FROM sqlite_master WHERE name = 'Log'").toLongLong();
    file[(root - 1) * pageSize] = char(file[(root - 1) * pageSize] ^ 0x04);
    return writeAll(path, file);
}
} // namespace

class TestGridModel : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("%1.mdb").arg(QTest::currentTestFunction()));
        QFile::remove(m_path);
        makeDatabase(m_path);
        QVERIFY(execSql(m_path, "INSERT INTO Log (Date, Lake, Ramp) VALUES ('2024-05-01', 'Pine Lake', 'North Ramp'),"
                                "('2025-06-02', 'Anvil River', NULL), ('2023-01-15', 'Cedar Lake', 'Dock 4')"));
    }

    // Rows the file cannot give show nothing, not blank texts, and the view
    // painting them makes the data source report the failure once.
    void unreadableRowsShowNothing()
    {
        QVERIFY(execSql(m_path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                "INSERT INTO Log (Date, Lake, Ramp) SELECT '2020-01-01', 'Lake ' || i, 'R' FROM n"));
        QVERIFY(damageLogRoot(m_path));
        DataSource ds;
        QSignalSpy failed(&ds, &DataSource::readFailed);
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        GridModel model(&ds, {{"Date", "Date"}, {"Lake / River", "Lake"}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3003);
        for (const int role : {int(Qt::DisplayRole), int(Qt::EditRole)})
            QVERIFY(!model.index(0, 1).data(role).isValid());
        QTableView view;
        view.setModel(&model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains("malformed"));
        // No row of the damaged table can be read: none is left to show blank.
        QCOMPARE(model.rowCount(), 0);
        QTest::qWait(50);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QTest::qWait(50);
        QCOMPARE(failed.count(), 1);
    }

    // The model follows every change of its data source, checked by Qt's own model tester.
    void followsTheDataSource()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        GridModel model(&ds, {{"Date", "Date"}, {"Lake / River", "Lake"}, {"Marina / Launch Area", "Ramp"}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Lake / River"));
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("6/2/25")); // short date form
        QCOMPARE(model.index(0, 0).data(Qt::EditRole).toString(), QStringLiteral("2025-06-02"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("Pine Lake"));

        QVERIFY(ds.addNew());
        QVERIFY(ds.setValue("Lake", "Elm Lake"));
        QVERIFY(ds.update());
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(3, 1).data().toString(), QStringLiteral("Elm Lake"));

        QVERIFY(ds.moveTo(1));
        QVERIFY(ds.edit());
        QVERIFY(ds.setValue("Ramp", "West Launch"));
        QVERIFY(ds.update());
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("West Launch"));

        QVERIFY(ds.moveTo(0));
        QVERIFY(ds.deleteCurrent());
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(ds.setRecordSource("Select * FROM Log Order By Lake"));
        QVERIFY(ds.requery());
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Cedar Lake"));
        ds.close();
        QCOMPARE(model.rowCount(), 0);
    }

    void typingIntoAnEditableGridWritesTheRow()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        GridModel model(&ds, {{"Lake", "Lake"}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!model.setData(model.index(1, 0), "Typed"));
        QVERIFY(!(model.flags(model.index(1, 0)) & Qt::ItemIsEditable));
        model.setEditable(true);
        QVERIFY(model.flags(model.index(1, 0)) & Qt::ItemIsEditable);
        QVERIFY(model.setData(model.index(1, 0), "Typed Lake"));
        QCOMPARE(querySingle(m_path, "SELECT Lake FROM Log WHERE Date = '2025-06-02'").toString(),
                 QStringLiteral("Typed Lake"));
        QCOMPARE(ds.currentRow(), 1);
    }

    void bindingShowsAndWrites()
    {
        DataSource ds;
        QVERIFY(ds.open(m_path, "Log"));
        QLabel label;
        QLineEdit line;
        QTextEdit text;
        QComboBox combo;
        combo.setEditable(true);
        combo.addItems({"Pine Lake", "Cedar Lake"});
        QDateEdit date;
        FieldBinding binding(&ds);
        binding.bind(&label, "Date");
        binding.bind(&line, "Ramp");
        binding.bind(&text, "Notes");
        binding.bind(&combo, "Lake");
        binding.bind(&date, "Date");
        binding.show();
        QCOMPARE(label.text(), QStringLiteral("5/1/24"));
        QCOMPARE(line.text(), QStringLiteral("North Ramp"));
        QCOMPARE(combo.currentText(), QStringLiteral("Pine Lake"));
        QCOMPARE(date.date(), QDate(2024, 5, 1));

        QVERIFY(ds.edit());
        combo.setEditText("Not In The List");
        date.setDate(QDate(2024, 5, 3));
        text.setPlainText("two lines\nof notes");
        QVERIFY(binding.write());
        QVERIFY(ds.update());
        QCOMPARE(querySingle(m_path, "SELECT Lake || '|' || Date || '|' || Notes FROM Log WHERE Ramp = 'North Ramp'")
                     .toString(),
                 QStringLiteral("Not In The List|2024-05-03|two lines\nof notes"));

        // No current row: every field is emptied, nothing stale stays on screen.
        QVERIFY(ds.moveLast());
        QVERIFY(ds.moveNext());
        binding.show();
        QVERIFY(label.text().isEmpty());
        QVERIFY(line.text().isEmpty());
        QVERIFY(combo.currentText().isEmpty());
    }

    // A grid over a large table asks only for what it shows.
    void largeTableOpensQuickly()
    {
        QString sql = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                      "INSERT INTO Log (Date, Lake) SELECT printf('2000-01-%02d', 1 + i % 28), 'Lake ' || i FROM n";
        QVERIFY(execSql(m_path, sql));
        DataSource ds;
        QVERIFY(ds.open(m_path, "Select * FROM Log Order By Date Desc"));
        GridModel model(&ds, {{"Date", "Date"}, {"Lake / River", "Lake"}});
        QTableView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        QCOMPARE(model.rowCount(), 20003);
        QCOMPARE(model.index(20002, 1).data().toString().isEmpty(), false);
    }
};

TF_TEST_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
