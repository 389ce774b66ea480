#pragma once

// The reminder calendar: pick a day and start a new reminder on it in the
// reminders window (opened if need be, never a second one).

#include "shell/WindowRegistry.h"

#include <QWidget>

class QCalendarWidget;

namespace tf {

class frmCalendar : public QWidget
{
    Q_OBJECT
public:
    // Only Exit puts the utilities menu back; "Add a new Reminder" leaves it
    // minimized behind the reminders window, and so does closing by the frame.
    static constexpr RestoreOpener restoreOpener = RestoreOpener::ByWindow;

    explicit frmCalendar(QWidget *parent = nullptr);

private:
    void addReminder();

    QCalendarWidget *MonthView1 = nullptr;
};

} // namespace tf
