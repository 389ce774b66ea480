#pragma once

// The moon phase window, "Lunar Calendar": the moon's picture, phase, illumination and
// angle for one instant and the dates of the phases after it (or before it). While the
// calendar shows today the window follows the clock, once a second; a chosen day shows
// the moon at the end of that day, its night.
//
// The clock is read only through platform().now(), so any instant can be shown.

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;

namespace tf {

struct MoonInfo;
class SolunarPanel;

class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);

    // The window's load: today at 00:00 on the calendar and on screen, the timer running.
    bool load();

    // Redraws everything from the shown instant. The lunation search lets pending events
    // run meanwhile; one of them asking for a redraw of its own is not run inside this
    // one but makes this one start over, so what ends on screen always matches the
    // window's latest state.
    void ShowMoonInfo();

    // The instant shown, a date-time value (days since 30 December 1899).
    double shownInstant() const { return m_shown; }
    bool previousMode() const { return m_previousMode; }

    // The days the calendar offers: from the first whole Gregorian year to the last day
    // whose night still has all four next phases within 31 December 9999.
    static QDate firstDay();
    static QDate lastDay();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void display(const MoonInfo &info);
    void showFailure(double s);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Calendar1_DateClick();
    void Label2_Click();
    void Timer1_Timer();

    void stepMonth(int months);
    void goToToday(const QDateTime &now);
    void applyCalendarRule(const QDateTime &now);
    void setCalendar(double instant);

    QCalendarWidget *Calendar1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Picture1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *m_panel1 = nullptr; // the status bar's first panel
    QTimer *Timer1 = nullptr;
    SolunarPanel *m_solunar = nullptr; // sun and moon times at a water, beside the phases

    double m_shown = 0;
    bool m_previousMode = false;
    bool m_drawing = false;
    bool m_drawAgain = false;
    QDate m_clockDay; // the clock's date when the window last read it
};

} // namespace tf
