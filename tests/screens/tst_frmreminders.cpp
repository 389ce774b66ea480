// The reminders screen beyond the common cycle: its texts, the month view kept
// with the current reminder, dates at the edges of the calendar, dates typed
// into the grid, starting a reminder for a given day, closing with
// a reminder being edited, and sort.

#include "ScreenTest.h"
#include "TestMain.h"
#include "data/DateField.h"
#include "screens/RecordCycle.h"
#include "screens/frmReminders.h"
#include "shell/WindowRegistry.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

using namespace tf;
using namespace tf::test;

class TestReminders : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void datesKeptExactly_data();
    void datesKeptExactly();
    void monthViewFollowsTheReminder();
    void monthViewInBrowseChangesNothing();
    void gridDateTyping_data();
    void gridDateTyping();
    void startNewReminder();
    void startNewRefusedWhilePending();
    void dayPickerCannotShowIsRefused_data();
    void dayPickerCannotShowIsRefused();
    void closingWhileEditingThrowsItAway();
    void sortPutsLatestFirst();

private:
    frmReminders *openReminders() { return m_w = open<frmReminders>(); }
    void addReminder(const QString &date, const QString &text);

    QPointer<frmReminders> m_w;
};

void TestReminders::addReminder(const QString &date, const QString &text)
{
    QVERIFY(sql(QStringLiteral("INSERT INTO Reminders (Date, Reminder) VALUES ('%1', '%2')").arg(date, text)));
}

void TestReminders::texts_data()
{
    textTable({
        {"cmdNew", "New", " Add a new Reminder "},
        {"cmdPrint", "Print", " Print Preview "},
        {"cmdSort", "  Sort", " Sort by Date "},
        {"cmdExit", "", " Close "},
        {"Label2", "Must Save or Cancel before exiting. ", ""},
        {"Label3", "  Edit Mode  ", ""},
        {"Label1", "2 Reminders are listed.", ""},
        {"DBGrid1Caption", "Click the left column to make a selection", ""},
        {"jcFrames5", "Reminder", ""},
        {"jcFrames4", "Menu", ""},
    });
}

void TestReminders::texts()
{
    addReminder("2026-12-24", "Buy line");
    addReminder("2027-01-02", "Renew licence");
    QVERIFY(openReminders());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Reminders"));
    checkText();
}

void TestReminders::datesKeptExactly_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leap day") << QDate(2028, 2, 29) << "2028-02-29"
                              << "2/29/2028";
    QTest::newRow("1 January 1900") << QDate(1900, 1, 1) << "1900-01-01"
                                    << "1/1/1900";
    QTest::newRow("31 December 9999") << QDate(9999, 12, 31) << "9999-12-31"
                                      << "12/31/9999";
    QTest::newRow("first day the picker shows") << QDate(100, 1, 1) << "0100-01-01"
                                                << "1/1/0100";
}

void TestReminders::datesKeptExactly()
{
    QFETCH(QDate, day);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QVERIFY(openReminders());
    QVERIFY(m_w->startNewReminder(day));
    get<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("Edge"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(m_w->cycle()->state(), CycleState::Browse);
    QCOMPARE(value("SELECT Date FROM Reminders").toString(), stored);
    // Shown back the same way after the window is opened again.
    QVERIFY(m_w = reopen<frmReminders>());
    QCOMPARE(get<DateField>("DTPicker1")->date(), day);
    QCOMPARE(get<DateField>("DTPicker1")->text(), shown);
    QCOMPARE(get<QCalendarWidget>("MonthView1")->selectedDate(), day);
    // The grid's date cell shows the same four-digit year (1900 and 2000 must not both read "00").
    auto *grid = get<QTableView>("DBGrid1");
    const QModelIndex cell = grid->model()->index(0, 0);
    grid->edit(cell);
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), shown);
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(value("SELECT Date FROM Reminders").toString(), stored);
}

void TestReminders::monthViewFollowsTheReminder()
{
    addReminder("2026-12-24", "Buy line");
    addReminder("2027-03-15", "Spawn starts");
    QVERIFY(openReminders());
    auto *month = get<QCalendarWidget>("MonthView1");
    QCOMPARE(month->selectedDate(), QDate(2026, 12, 24));
    auto *grid = get<QTableView>("DBGrid1");
    grid->selectionModel()->setCurrentIndex(grid->model()->index(1, 1), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(month->selectedDate(), QDate(2027, 3, 15));
    // While adding, the date picker and the month view move together.
    QVERIFY(click("cmdNew"));
    QCOMPARE(month->selectedDate(), QDate(2026, 12, 8));
    emit month->clicked(QDate(2027, 4, 1));
    QCOMPARE(get<DateField>("DTPicker1")->date(), QDate(2027, 4, 1));
    get<DateField>("DTPicker1")->setChosenDate(QDate(2027, 5, 2));
    QCOMPARE(month->selectedDate(), QDate(2027, 5, 2));
}

// A day chosen on the month view while browsing is not a change to the reminder.
void TestReminders::monthViewInBrowseChangesNothing()
{
    addReminder("2026-12-24", "Buy line");
    QVERIFY(openReminders());
    auto *month = get<QCalendarWidget>("MonthView1");
    month->setSelectedDate(QDate(2026, 12, 1));
    emit month->clicked(QDate(2026, 12, 1));
    QCOMPARE(month->selectedDate(), QDate(2026, 12, 24));
    QCOMPARE(get<DateField>("DTPicker1")->date(), QDate(2026, 12, 24));
    QCOMPARE(m_w->cycle()->state(), CycleState::Browse);
    QCOMPARE(value("SELECT Date FROM Reminders").toString(), QStringLiteral("2026-12-24"));
}

void TestReminders::gridDateTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("refused");
    QTest::newRow("short form") << "2/29/2028"
                                << "2028-02-29 07:15:00" << false;
    QTest::newRow("stored form") << "9999-12-31"
                                 << "9999-12-31 07:15:00" << false;
    QTest::newRow("no such day") << "2/29/2027"
                                 << "2026-12-24 07:15:00" << true;
    QTest::newRow("not a date") << "next Tuesday"
                                << "2026-12-24 07:15:00" << true;
    QTest::newRow("before the picker's first day") << "0050-06-01"
                                                   << "2026-12-24 07:15:00" << true;
}

// The Date cell takes typing while browsing; what is stored must still be a date.
void TestReminders::gridDateTyping()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, refused);
    addReminder("2026-12-24 07:15:00", "Buy line");
    QVERIFY(openReminders());
    auto *grid = get<QTableView>("DBGrid1");
    const QModelIndex cell = grid->model()->index(0, 0);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("12/24/2026"));
    editor->setText(typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid hands the typed text over once the editor has closed.
    QTRY_VERIFY(!grid->viewport()->findChild<QLineEdit *>() ||
                !grid->viewport()->findChild<QLineEdit *>()->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(value("SELECT Date FROM Reminders").toString(), stored);
    QCOMPARE(fake().messages.size(), refused ? 1 : 0);
    if (refused)
        QVERIFY(fake().lastMessageText().contains(QStringLiteral("1/1/0100 to 12/31/9999")));
}

void TestReminders::startNewReminder()
{
    addReminder("2026-12-24", "Buy line");
    QVERIFY(openReminders());
    QVERIFY(m_w->startNewReminder(QDate(2027, 6, 1)));
    QCOMPARE(m_w->cycle()->state(), CycleState::Adding);
    QCOMPARE(get<DateField>("DTPicker1")->date(), QDate(2027, 6, 1));
    QVERIFY(get<QWidget>("Text1")->hasFocus() || QApplication::focusWidget() == nullptr);
    get<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("Opening day"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(rows("Reminders"), 2);
    QCOMPARE(value("SELECT Date FROM Reminders WHERE Reminder = 'Opening day'").toString(),
             QStringLiteral("2027-06-01"));
    // The row that was current is untouched.
    QCOMPARE(value("SELECT Date FROM Reminders WHERE Reminder = 'Buy line'").toString(), QStringLiteral("2026-12-24"));
}

void TestReminders::startNewRefusedWhilePending()
{
    addReminder("2026-12-24", "Buy line");
    QVERIFY(openReminders());
    QVERIFY(click("cmdEdit"));
    get<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("Buy 20 lb line"));
    QVERIFY(!m_w->startNewReminder(QDate(2027, 6, 1)));
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].icon, MessageIcon::Exclamation);
    // The reminder being edited keeps what was typed and its own date.
    QCOMPARE(m_w->cycle()->state(), CycleState::Editing);
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("Buy 20 lb line"));
    QCOMPARE(get<DateField>("DTPicker1")->date(), QDate(2026, 12, 24));
    QVERIFY(click("cmdSave"));
    QCOMPARE(rows("Reminders"), 1);
    QCOMPARE(value("SELECT Reminder FROM Reminders").toString(), QStringLiteral("Buy 20 lb line"));
}

void TestReminders::dayPickerCannotShowIsRefused_data()
{
    QTest::addColumn<QDate>("day");
    QTest::newRow("year 50") << QDate(50, 1, 1);
    QTest::newRow("before the common era") << QDate(-44, 3, 15);
    QTest::newRow("year 10000") << QDate(10000, 1, 1);
    QTest::newRow("no day") << QDate();
}

void TestReminders::dayPickerCannotShowIsRefused()
{
    QFETCH(QDate, day);
    addReminder("2026-12-24", "Buy line");
    QVERIFY(openReminders());
    QVERIFY(!m_w->startNewReminder(day));
    QCOMPARE(m_w->cycle()->state(), CycleState::Browse);
    QCOMPARE(fake().messages.size(), 1);
    QVERIFY(fake().lastMessageText().startsWith(QStringLiteral("The date picker cannot show this date.")));
    QCOMPARE(rows("Reminders"), 1);
}

// Closing by the frame while a reminder is being edited: thrown away, never half-written.
void TestReminders::closingWhileEditingThrowsItAway()
{
    addReminder("2026-12-24", "Buy line");
    QVERIFY(openReminders());
    QVERIFY(click("cmdEdit"));
    get<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("Half typed"));
    get<DateField>("DTPicker1")->setChosenDate(QDate(2027, 1, 1));
    m_w->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!m_w);
    QCOMPARE(rows("Reminders"), 1);
    QCOMPARE(value("SELECT Date || '|' || Reminder FROM Reminders").toString(), QStringLiteral("2026-12-24|Buy line"));
}

void TestReminders::sortPutsLatestFirst()
{
    addReminder("2026-12-24", "Middle");
    addReminder("2027-03-15", "Latest");
    addReminder("1999-01-01", "Earliest");
    QVERIFY(openReminders());
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("Middle"));
    QVERIFY(click("cmdSort"));
    QCOMPARE(get<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("Latest"));
    auto *model = get<QTableView>("DBGrid1")->model();
    QCOMPARE(model->index(2, 1).data().toString(), QStringLiteral("Earliest"));
}

TF_TEST_MAIN(TestReminders)
#include "tst_frmreminders.moc"
