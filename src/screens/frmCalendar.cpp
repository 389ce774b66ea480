#include "screens/frmCalendar.h"

#include "platform/Platform.h"
#include "screens/frmReminders.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

frmCalendar::frmCalendar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setDarkBackground(this);

    QGroupBox *jcFrames1 =
        makeBar(this, QStringLiteral("jcFrames1"), QStringLiteral("Select a Date to add a new Reminder"));
    // Only days the reminders' date picker can show.
    MonthView1 = frmReminders::makeMonthView(jcFrames1);
    MonthView1->setSelectedDate(platform().today());
    auto *inside = new QVBoxLayout(jcFrames1);
    inside->addWidget(MonthView1);

    auto *cmdReminder = new QPushButton(QStringLiteral("Add a new Reminder"), this);
    cmdReminder->setObjectName(QStringLiteral("cmdReminder"));
    auto *cmdExit = new QPushButton(QStringLiteral("    Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    for (QPushButton *b : {cmdReminder, cmdExit})
        styleButton(b);
    connect(cmdReminder, &QPushButton::clicked, this, &frmCalendar::addReminder);
    connect(cmdExit, &QPushButton::clicked, this, [this] {
        WindowRegistry::restoreOpener(this);
        close();
    });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdReminder);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(jcFrames1, 1);
    layout->addLayout(buttons);

    setOrdinaryFrame(this);
    resize(420, 360);
}

void frmCalendar::addReminder()
{
    const QDate day = MonthView1->selectedDate();
    // The reminders window puts the utilities menu back when it closes, however it was opened.
    QWidget *menu = WindowRegistry::find(QStringLiteral("frmUtilities"));
    auto *reminders = WindowRegistry::open<frmReminders>(menu, menu ? OpenerState::Minimize : OpenerState::Keep);
    if (!reminders)
        return;
    // Refused while a reminder is already pending there: this window stays, so
    // the day can be added once that one is saved or cancelled.
    if (!reminders->startNewReminder(day))
        return;
    close();
}

} // namespace tf
