#pragma once

// Reminders: dated free-text notes, one row of table Reminders each. A grid of
// the reminders (both cells take typing while browsing), a date picker and a
// month view that show the current reminder's day, and the reminder's text.
// The editing cycle is RecordCycle's; the reminder calendar starts new
// reminders here through startNewReminder().

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QPlainTextEdit;

namespace tf {

class DateField;
class RecordCycle;

class frmReminders : public QWidget
{
    Q_OBJECT
public:
    explicit frmReminders(QWidget *parent = nullptr);

    bool load();
    RecordCycle *cycle() const { return m_cycle; }

    // Starts a new reminder on `day`, as New followed by choosing the day on
    // the date picker. Refused, with a message, while another reminder is being
    // added or edited (it would be a second pending row) and for a day the date
    // picker cannot show; false then, and nothing has changed.
    bool startNewReminder(const QDate &day);

    // The days the date picker and the month view can show.
    static QDate firstDay() { return QDate(100, 1, 1); }
    static QDate lastDay() { return QDate(9999, 12, 31); }
    // A month view (MonthView1) of those days.
    static QCalendarWidget *makeMonthView(QWidget *parent);

private:
    void buildFields(QWidget *group);
    void followRow();
    void dayChosenOnMonthView(const QDate &day);
    void chooseDay(const QDate &day);

    RecordCycle *m_cycle = nullptr;
    DateField *DTPicker1 = nullptr;
    QCalendarWidget *MonthView1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
};

// A day as the reminders show it, with all four digits of the year.
QString reminderDayText(const QDate &day);

} // namespace tf
