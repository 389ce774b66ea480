#include "moon/frmMain.h"

#include "moon/MoonInfo.h"
#include "moon/MoonPhase.h"
#include "moon/SolunarPanel.h"
#include "platform/Platform.h"
#include "shell/Art.h"
#include "shell/WindowChrome.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <stdexcept>

namespace tf {

namespace {

void letEventsRun()
{
    QCoreApplication::processEvents();
}

// Lets pending window events run on each pass of the lunation search, for as long as it
// lives. Only a window on screen yields: one still loading is inside the code that
// opens it, which must not meet a second click on its own button half-way.
class YieldScope
{
public:
    explicit YieldScope(bool yield) : m_yield(yield)
    {
        if (m_yield)
            MoonPhase::SetYieldHook(&letEventsRun);
    }
    ~YieldScope()
    {
        if (m_yield)
            MoonPhase::SetYieldHook(nullptr);
    }
    YieldScope(const YieldScope &) = delete;
    YieldScope &operator=(const YieldScope &) = delete;

private:
    bool m_yield;
};

// The clock as the window uses it: the wall-clock reading to the whole second.
QDateTime clockNow()
{
    const QDateTime now = platform().now();
    const QTime t = now.time();
    return QDateTime(now.date(), QTime(t.hour(), t.minute(), t.second()), Qt::UTC);
}

} // namespace

QDate frmMain::firstDay()
{
    return QDate(1583, 1, 1);
}

QDate frmMain::lastDay()
{
    // The night of 30 November 9999 ends on 1 December 00:00, and its four next phases
    // all fall by 23 December 9999. From the night of 2 December on, one of them would
    // come after 31 December 9999, past what the date arithmetic converts.
    return QDate(9999, 11, 30);
}

frmMain::frmMain(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    build();
    setOrdinaryFrame(this);
}

void frmMain::build()
{
    Calendar1 = new QCalendarWidget(this);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setDateRange(firstDay(), lastDay());
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // A click (or Enter) is the user picking a day. Moving through the days with the
    // keys alone is taken up by the next tick, which applies the calendar rule.
    connect(Calendar1, &QCalendarWidget::clicked, this, &frmMain::Calendar1_DateClick);
    connect(Calendar1, &QCalendarWidget::activated, this, &frmMain::Calendar1_DateClick);

    Command1 = new QPushButton(QStringLiteral("< Last Month"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Next Month >"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3 = new QPushButton(QStringLiteral("Now"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(100, 100);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setStyleSheet(QStringLiteral("background: black;"));
    Picture1->setFocusPolicy(Qt::ClickFocus);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont captionFont = Label1->font();
    captionFont.setBold(true);
    Label1->setFont(captionFont);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setToolTip(QStringLiteral("Click to select between next and previous"));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->installEventFilter(this);
    // Wide enough for the longest caption and date line, so the window keeps its size
    // while the texts change every second.
    const QString widestDate = generalDateText(toDateValue(QDateTime(QDate(2888, 12, 28), QTime(22, 58, 58), Qt::UTC)));
    const int textWidth =
        qMax(Label1->fontMetrics().horizontalAdvance(QStringLiteral("Moon Waning Crescent 100% of Full")),
             Label2->fontMetrics().horizontalAdvance(QStringLiteral("Prev First Quarter: ") + widestDate));
    Label1->setFixedWidth(qMax(300, textWidth + 16));
    Label2->setFixedWidth(Label1->width());

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    m_panel1 = new QLabel(StatusBar1);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    StatusBar1->addWidget(m_panel1, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    // Every second on the second, so the midnight tick is not skipped by a coarse timer.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);

    auto *left = new QVBoxLayout;
    left->addWidget(Calendar1);
    left->addLayout(buttons);

    auto *pictureRow = new QHBoxLayout;
    pictureRow->addWidget(Picture1);
    pictureRow->addStretch();

    auto *right = new QVBoxLayout;
    right->addLayout(pictureRow);
    right->addWidget(Label1);
    right->addWidget(Label2, 1);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(10, 10, 10, 4);
    body->setSpacing(16);
    body->addLayout(left);
    body->addLayout(right);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(body);
    m_solunar = new SolunarPanel(this);
    auto *solunarRow = new QHBoxLayout;
    solunarRow->setContentsMargins(10, 0, 10, 4);
    solunarRow->addWidget(m_solunar);
    outer->addLayout(solunarRow);
    outer->addWidget(StatusBar1);
}

bool frmMain::load()
{
    const QDateTime now = clockNow();
    m_clockDay = now.date();
    m_shown = toDateValue(now.date());
    setCalendar(m_shown);
    m_solunar->reload();
    ShowMoonInfo();
    Timer1->start();
    return true;
}

void frmMain::ShowMoonInfo()
{
    if (m_drawing) {
        m_drawAgain = true;
        return;
    }
    const QPointer<frmMain> self(this);
    m_drawing = true;
    do {
        m_drawAgain = false;
        const double s = m_shown;
        const bool previous = m_previousMode;
        std::optional<MoonInfo> info;
        {
            const YieldScope yield(isVisible());
            try {
                info = computeMoonInfo(s, previous);
            } catch (const std::overflow_error &) {
                // An instant no lunation number can reach; the window stays usable.
                info.reset();
            }
        }
        // The events that ran meanwhile may have closed and released the window.
        if (!self)
            return;
        if (m_drawAgain)
            continue; // overtaken: draw the newer state instead
        if (info)
            display(*info);
        else
            showFailure(s);
    } while (m_drawAgain);
    m_drawing = false;
}

void frmMain::display(const MoonInfo &info)
{
    m_panel1->setText(info.statusLine);
    Label2->setText(info.phaseList);
    Label1->setText(info.caption);
    Picture1->setPixmap(QPixmap(art::moonPicture(info.picture)));
    m_solunar->showDay(Calendar1->selectedDate());
}

void frmMain::showFailure(double s)
{
    m_panel1->setText(nightOfText(s));
    Label2->setText(QStringLiteral("The moon cannot be worked out for this day."));
    Label1->setText(QStringLiteral("Moon"));
    Picture1->clear();
    m_solunar->showDay(Calendar1->selectedDate());
}

void frmMain::setCalendar(double instant)
{
    const QDateTime t = fromDateValue(instant);
    if (t.isValid())
        Calendar1->setSelectedDate(t.date()); // clamped to the calendar's range
}

void frmMain::applyCalendarRule(const QDateTime &now)
{
    const QDate day = Calendar1->selectedDate();
    // Another day shows its night: midnight at its end.
    m_shown = day != now.date() ? toDateValue(day.addDays(1)) : toDateValue(now);
}

void frmMain::goToToday(const QDateTime &now)
{
    Picture1->setFocus();
    m_clockDay = now.date();
    m_shown = toDateValue(now.date());
    setCalendar(m_shown);
    ShowMoonInfo();
}

void frmMain::stepMonth(int months)
{
    Picture1->setFocus();
    QDateTime t = fromDateValue(m_shown).addMonths(months);
    // At either end of the calendar the step stops there, time of day kept, so the
    // buttons never take the window where the calendar cannot follow.
    if (t.date() < firstDay())
        t.setDate(firstDay());
    else if (t.date() > lastDay())
        t.setDate(lastDay());
    m_shown = toDateValue(t);
    setCalendar(m_shown);
    ShowMoonInfo();
}

void frmMain::Command1_Click()
{
    stepMonth(-1);
}

void frmMain::Command2_Click()
{
    stepMonth(1);
}

void frmMain::Command3_Click()
{
    goToToday(clockNow());
}

void frmMain::Calendar1_DateClick()
{
    const QDateTime now = clockNow();
    m_clockDay = now.date();
    applyCalendarRule(now);
    ShowMoonInfo();
}

void frmMain::Label2_Click()
{
    m_previousMode = !m_previousMode;
    ShowMoonInfo();
}

void frmMain::Timer1_Timer()
{
    const QDateTime now = clockNow();
    applyCalendarRule(now);
    // The first tick of a new day moves the calendar to it. That is the tick at 00:00:00
    // when there is one; a tick that comes late and skips that second must not leave the
    // window on yesterday for good. A day the user picked after midnight stays picked.
    const bool midnight = now.time() == QTime(0, 0);
    const bool newDay = m_clockDay.isValid() && now.date() != m_clockDay;
    m_clockDay = now.date();
    if (midnight || newDay)
        goToToday(now);
    ShowMoonInfo();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease) {
        const auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton && Label2->rect().contains(e->position().toPoint()))
            Label2_Click();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tf
