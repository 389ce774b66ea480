// The reminder calendar: a new reminder started on the picked day in the one
// reminders window, never a second pending row, and which way of closing puts
// the utilities menu back.

#include "ScreenTest.h"
#include "TestMain.h"
#include "data/DateField.h"
#include "screens/RecordCycle.h"
#include "screens/frmCalendar.h"
#include "screens/frmReminders.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

using namespace tf;
using namespace tf::test;

namespace {

bool minimized(const QWidget *w)
{
    return w->windowState() & Qt::WindowMinimized;
}

} // namespace

class TestCalendar : public ScreenTest
{
    Q_OBJECT
private slots:
    void opensOnTodayWithItsTexts();
    void addsReminderOnPickedDay();
    void usesTheOpenRemindersWindow();
    void refusedWhileReminderPending();
    void pickerRangeIsTheRemindersRange();
    void closing_data();
    void closing();

private:
    void pick(const QDate &day) { m_calendar->findChild<QCalendarWidget *>("MonthView1")->setSelectedDate(day); }
    void press(const char *name) { QTest::mouseClick(m_calendar->findChild<QPushButton *>(name), Qt::LeftButton); }
    void prepare() override;

    QWidget *m_menu = nullptr; // stands in for the utilities menu
    QPointer<frmCalendar> m_calendar;
};

void TestCalendar::prepare()
{
    QVERIFY(sql(QStringLiteral("INSERT INTO Reminders (Date, Reminder) VALUES ('2026-12-24', 'Buy line')")));
    WindowRegistry::define(QStringLiteral("frmUtilities"), [] { return new QWidget; });
    m_menu = WindowRegistry::open(QStringLiteral("frmUtilities"));
    m_calendar = WindowRegistry::open<frmCalendar>(m_menu, OpenerState::Minimize);
    QVERIFY(m_calendar);
    QVERIFY(minimized(m_menu));
}

void TestCalendar::opensOnTodayWithItsTexts()
{
    QCOMPARE(m_calendar->windowTitle(), QStringLiteral(" Calendar"));
    QCOMPARE(m_calendar->findChild<QGroupBox *>("jcFrames1")->title(),
             QStringLiteral("Select a Date to add a new Reminder"));
    QCOMPARE(m_calendar->findChild<QPushButton *>("cmdReminder")->text(), QStringLiteral("Add a new Reminder"));
    QCOMPARE(m_calendar->findChild<QPushButton *>("cmdExit")->text(), QStringLiteral("    Exit"));
    QCOMPARE(m_calendar->findChild<QCalendarWidget *>("MonthView1")->selectedDate(), QDate(2026, 12, 8));
}

void TestCalendar::addsReminderOnPickedDay()
{
    pick(QDate(2028, 2, 29));
    press("cmdReminder");
    ScreenDriver::releaseClosed();
    QVERIFY(!m_calendar);
    auto *reminders = WindowRegistry::find<frmReminders>();
    QVERIFY(reminders);
    QCOMPARE(reminders->cycle()->state(), CycleState::Adding);
    QCOMPARE(reminders->findChild<DateField *>("DTPicker1")->date(), QDate(2028, 2, 29));
    // The menu stays out of the way behind the reminders window.
    QVERIFY(minimized(m_menu));
    reminders->findChild<QPlainTextEdit *>("Text1")->setPlainText(QStringLiteral("Leap day trip"));
    QTest::mouseClick(reminders->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(value(QStringLiteral("SELECT Date FROM Reminders WHERE Reminder = 'Leap day trip'")).toString(),
             QStringLiteral("2028-02-29"));
    // The day went into the new row, not into the one that was current.
    QCOMPARE(value(QStringLiteral("SELECT Date FROM Reminders WHERE Reminder = 'Buy line'")).toString(),
             QStringLiteral("2026-12-24"));
    // Closing the reminders puts the menu back.
    reminders->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!minimized(m_menu));
}

void TestCalendar::usesTheOpenRemindersWindow()
{
    auto *open = WindowRegistry::open<frmReminders>(m_menu, OpenerState::Minimize);
    QVERIFY(open);
    pick(QDate(2027, 7, 4));
    press("cmdReminder");
    QCOMPARE(WindowRegistry::find<frmReminders>(), open);
    int windows = 0;
    for (QWidget *w : WindowRegistry::openWindows())
        windows += qobject_cast<frmReminders *>(w) ? 1 : 0;
    QCOMPARE(windows, 1);
    QCOMPARE(open->cycle()->state(), CycleState::Adding);
    QCOMPARE(open->findChild<DateField *>("DTPicker1")->date(), QDate(2027, 7, 4));
}

// Never two pending rows: the press is refused and the reminder being written stays as typed.
void TestCalendar::refusedWhileReminderPending()
{
    auto *open = WindowRegistry::open<frmReminders>(m_menu, OpenerState::Minimize);
    QTest::mouseClick(open->findChild<QPushButton *>("cmdNew"), Qt::LeftButton);
    open->findChild<QPlainTextEdit *>("Text1")->setPlainText(QStringLiteral("Half written"));
    pick(QDate(2027, 7, 4));
    press("cmdReminder");
    QCOMPARE(fake().messages.size(), 1);
    QVERIFY(fake().lastMessageText().contains(QStringLiteral("Click Save or Cancel")));
    QVERIFY(m_calendar); // still there for another try
    QCOMPARE(open->cycle()->state(), CycleState::Adding);
    QCOMPARE(open->findChild<QPlainTextEdit *>("Text1")->toPlainText(), QStringLiteral("Half written"));
    QCOMPARE(open->findChild<DateField *>("DTPicker1")->date(), QDate(2026, 12, 8));
    QTest::mouseClick(open->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(rows("Reminders"), 2);
    // Once that one is saved, the calendar's day starts the next.
    press("cmdReminder");
    QCOMPARE(open->cycle()->state(), CycleState::Adding);
    QCOMPARE(open->findChild<DateField *>("DTPicker1")->date(), QDate(2027, 7, 4));
}

void TestCalendar::pickerRangeIsTheRemindersRange()
{
    auto *month = m_calendar->findChild<QCalendarWidget *>("MonthView1");
    QCOMPARE(month->minimumDate(), frmReminders::firstDay());
    QCOMPARE(month->maximumDate(), frmReminders::lastDay());
    month->setSelectedDate(QDate(50, 1, 1));
    QCOMPARE(month->selectedDate(), frmReminders::firstDay());
}

void TestCalendar::closing_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::addColumn<bool>("menuRestored");
    QTest::newRow("Exit") << true << true;
    QTest::newRow("frame") << false << false;
}

void TestCalendar::closing()
{
    QFETCH(bool, byExit);
    QFETCH(bool, menuRestored);
    if (byExit)
        press("cmdExit");
    else
        m_calendar->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!m_calendar);
    QCOMPARE(!minimized(m_menu), menuRestored);
    QVERIFY(!WindowRegistry::find<frmReminders>());
}

TF_TEST_MAIN(TestCalendar)
#include "tst_frmcalendar.moc"
