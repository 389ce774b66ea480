// Typing a date into a date box, part by part in the order the display
// language writes it (month, day, year here): digits, separators after full
// or short parts, and month names or their starts.

#include "TestMain.h"
#include "data/DateField.h"

#include <QTest>

using namespace tf;

class TestDateField : public QObject
{
    Q_OBJECT
private slots:
    void typedDate_data();
    void typedDate();
};

void TestDateField::typedDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("before"); // what the row held
    QTest::addColumn<QString>("after");  // what the row gets
    QTest::newRow("full parts") << "12/25/2026" << QDate(2026, 12, 25) << ""
                                << "2026-12-25";
    QTest::newRow("short parts") << "1/5/2026" << QDate(2026, 1, 5) << ""
                                 << "2026-01-05";
    QTest::newRow("no separators") << "12252026" << QDate(2026, 12, 25) << ""
                                   << "2026-12-25";
    QTest::newRow("month start") << "dec 25 2026" << QDate(2026, 12, 25) << ""
                                 << "2026-12-25";
    QTest::newRow("month name") << "September 9, 2026" << QDate(2026, 9, 9) << ""
                                << "2026-09-09";
    QTest::newRow("month told apart late") << "May 1 1999" << QDate(1999, 5, 1) << ""
                                           << "1999-05-01";
    QTest::newRow("over a date and time") << "12/25/2026" << QDate(2026, 12, 25) << "2024-03-04 06:30:00"
                                          << "2026-12-25 06:30:00";
}

void TestDateField::typedDate()
{
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QWidget window;
    auto *field = new DateField(&window);
    auto *other = new DateField(&window);
    other->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setStored(before.isEmpty() ? QVariant() : QVariant(before));
    other->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(other, Qt::Key_Tab); // Tab into the field, as a user does
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, typed);
    QCOMPARE(field->date(), date);
    QCOMPARE(field->stored().toString(), after);
}

TF_TEST_MAIN(TestDateField)
#include "tst_datefield.moc"
