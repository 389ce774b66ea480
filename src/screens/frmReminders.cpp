#include "screens/frmReminders.h"

#include "data/DateField.h"
#include "data/RecordSources.h"
#include "platform/Platform.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tf {

namespace {

QString outOfRangeText()
{
    return QStringLiteral("The date picker cannot show this date.\nChoose a day from %1 to %2.")
        .arg(reminderDayText(frmReminders::firstDay()), reminderDayText(frmReminders::lastDay()));
}

} // namespace

QCalendarWidget *frmReminders::makeMonthView(QWidget *parent)
{
    auto *view = new QCalendarWidget(parent);
    view->setObjectName(QStringLiteral("MonthView1"));
    view->setDateRange(firstDay(), lastDay());
    view->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    view->setGridVisible(true);
    view->setAutoFillBackground(true);
    view->setPalette(QPalette());
    return view;
}

QString reminderDayText(const QDate &day)
{
    return kit::dayText(day);
}

frmReminders::frmReminders(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmReminders"));
    setDarkBackground(this);

    auto *Label1 = new QLabel(QStringLiteral("Reminders are listed."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    look::styleCountCaption(Label1);

    auto *gridCaption = new QLabel(QStringLiteral("Click the left column to make a selection"), this);
    gridCaption->setObjectName(QStringLiteral("DBGrid1Caption"));
    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    look::styleGrid(DBGrid1);

    const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Reminder "},
                                    {"cmdEdit", "Edit", " Edit this Reminder "},
                                    {"cmdDelete", "Delete", " Delete this Reminder "},
                                    {"cmdPrint", "Print", " Print Preview "}};
    QGroupBox *jcFrames3 = kit::makeButtonBar(this, "jcFrames3", QStringLiteral("Menu"), menu);
    QGroupBox *jcFrames4 = kit::makeSaveBar(
        this,
        {.name = "jcFrames4", .noteName = "Label2", .note = QStringLiteral("Must Save or Cancel before exiting. ")});
    auto *cmdSort = new QPushButton(QStringLiteral("  Sort"), this);
    cmdSort->setObjectName(QStringLiteral("cmdSort"));
    cmdSort->setToolTip(QStringLiteral(" Sort by Date "));
    styleButton(cmdSort);
    QToolButton *cmdExit = makeWindowButtons(this, false).exit;

    auto *jcFrames5 = new QGroupBox(QStringLiteral("Reminder"), this);
    jcFrames5->setObjectName(QStringLiteral("jcFrames5"));

    ScreenParams p;
    p.window = this;
    p.recordSource = QStringLiteral("Reminders");
    p.title = QStringLiteral("The reminders");
    p.requiredMessage = QStringLiteral("Please enter a Reminder or click Cancel.");
    p.countLabel = Label1;
    p.countText = QStringLiteral(" Reminders are listed.");
    p.recordNoun = QStringLiteral("Reminder");
    p.deleteSubject = [this] {
        return QStringLiteral("this Reminder for ") + DTPicker1->text() + QStringLiteral(" ?");
    };
    p.reportFile = QStringLiteral("reminder.rpt");
    p.useBars(jcFrames3, jcFrames4);
    p.exitButton = cmdExit;
    p.offWhileEditing = {cmdSort};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Reminder"), QStringLiteral("Reminder")}};
    p.gridAcceptsTyping = true;
    p.readOnly = ReadOnlyMeans::LockNamedFields;
    CycleHooks hooks;
    // The date picker is switched off rather than locked while browsing.
    hooks.layoutChanged = [this](bool editing) { DTPicker1->setEnabled(editing); };
    hooks.rowShown = [this] { followRow(); };
    hooks.afterDelete = AfterDelete::FirstWithoutRequery;
    m_cycle = new RecordCycle(p, hooks);
    DBGrid1->setColumnWidth(0, 96);
    connect(cmdSort, &QPushButton::clicked, this, [this] { m_cycle->sortBy(RecordSources::kRemindersByDate); });

    buildFields(jcFrames5);

    auto *commands = new QHBoxLayout;
    commands->addWidget(cmdSort);
    commands->addStretch(1);
    commands->addWidget(cmdExit);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(14, 10, 14, 12);
    layout->setHorizontalSpacing(14);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(gridCaption, 1, 0);
    layout->addWidget(DBGrid1, 2, 0);
    layout->addWidget(jcFrames5, 1, 1, 2, 1);
    // The menu bar and the save bar share one place.
    layout->addWidget(jcFrames3, 3, 0);
    layout->addWidget(jcFrames4, 3, 0);
    layout->addLayout(commands, 3, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(2, 1);
    jcFrames3->setMinimumHeight(64);
    jcFrames4->setMinimumHeight(64);

    setOrdinaryFrame(this);
    resize(860, 600);
}

void frmReminders::buildFields(QWidget *group)
{
    auto *Label3 = look::makeEditModeLabel(group, QStringLiteral("Label3"), QStringLiteral("  Edit Mode  "));
    const kit::FieldDecl fields[] = {{"DTPicker1", "Date:", "Date", kit::FieldKind::Date},
                                     {"Text1", "Reminder:", "Reminder", kit::FieldKind::MultiLine}};
    auto *form = new QWidget(group);
    const QList<QWidget *> made = kit::addFields(*m_cycle, form, fields);
    DTPicker1 = static_cast<DateField *>(made[0]);
    Text1 = static_cast<QPlainTextEdit *>(made[1]);
    // The captions are drawn for dark glass; here they stand on the group.
    for (QLabel *caption : form->findChildren<QLabel *>())
        caption->setPalette(palette());

    MonthView1 = makeMonthView(group);

    auto *column = new QVBoxLayout(group);
    column->addWidget(Label3, 0, Qt::AlignRight);
    column->addWidget(form);
    column->addWidget(MonthView1);
    column->setStretch(1, 1);
    // The fields stay where they are when the label comes and goes.
    QSizePolicy keepPlace = Label3->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Label3->setSizePolicy(keepPlace);
    Label3->hide();

    // The date picker and the month view show the same day.
    connect(DTPicker1, &QDateEdit::dateChanged, this, [this] { followRow(); });
    connect(MonthView1, &QCalendarWidget::clicked, this, &frmReminders::dayChosenOnMonthView);
    connect(MonthView1, &QCalendarWidget::activated, this, &frmReminders::dayChosenOnMonthView);

    ScreenParams &p = m_cycle->configure();
    p.requiredField = Text1;
    p.focusOnNew = Text1;
    p.focusOnEdit = Text1;
    // The date is also disabled while browsing; locked too, it looks like every other locked field.
    p.lockedFields = {Text1, DTPicker1};
    p.editModeLabel = Label3;
    p.defaultsOfNew = [this] { chooseDay(platform().today()); };
}

bool frmReminders::load()
{
    m_cycle->open();
    return true;
}

// The month view shows the day of the date picker (and so of the current reminder).
void frmReminders::followRow()
{
    if (DTPicker1->isEmpty())
        return;
    MonthView1->setSelectedDate(DTPicker1->date());
}

// While a reminder is added or changed, a day chosen on the month view is its
// date. While browsing, the month view only shows the current reminder's day:
// choosing another changes no reminder, and the view goes back to that day.
void frmReminders::dayChosenOnMonthView(const QDate &day)
{
    if (m_cycle->state() == CycleState::Browse) {
        followRow();
        return;
    }
    chooseDay(day);
}

void frmReminders::chooseDay(const QDate &day)
{
    DTPicker1->setChosenDate(day);
    // The picker changed its date before it counted as chosen, so the month view follows now.
    followRow();
}

bool frmReminders::startNewReminder(const QDate &day)
{
    if (m_cycle->state() != CycleState::Browse) {
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("A Reminder is already being added or edited here.\n"
                                   "Click Save or Cancel before you add a new Reminder."));
        Text1->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (!day.isValid() || day < firstDay() || day > lastDay()) {
        showMessage(this, MessageIcon::Exclamation, outOfRangeText());
        return false;
    }
    // New first, so that the day lands in the new row and not in the one that was current.
    kit::button(this, "cmdNew")->click();
    if (m_cycle->state() != CycleState::Adding)
        return false;
    chooseDay(day);
    return true;
}

} // namespace tf
