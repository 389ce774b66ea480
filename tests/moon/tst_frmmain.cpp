// The moon phase window driven as a user drives it: picking days on the calendar, the
// month buttons, Now, the phase list and the one-second tick, with the clock set through
// the fake platform. Plus the texts a redraw is made of, on their own.

#include "FakePlatform.h"
#include "TestMain.h"
#include "moon/MoonInfo.h"
#include "moon/MoonPhase.h"
#include "moon/frmMain.h"
#include "shell/Art.h"
#include "shell/WindowRegistry.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <cmath>

using namespace tf;
using namespace tf::test;

namespace {

const QDateTime kDayZero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);

QDateTime at(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss), Qt::UTC);
}

// A date-time value from 30 December 1899 on as the wall-clock reading it stands for,
// worked out apart from the window's own conversion.
QDateTime readingOf(double v)
{
    return kDayZero.addMSecs(std::llround(v * 86400000.0));
}

// The general date form of an en_US user, written out by hand.
QString general(double v)
{
    const QDateTime t = kDayZero.addSecs(std::llround(v * 86400.0));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    return t.time() == QTime(0, 0) ? us.toString(t.date(), QStringLiteral("M/d/yyyy"))
                                   : us.toString(t, QStringLiteral("M/d/yyyy h:mm:ss AP"));
}

QString statusOf(QWidget *w)
{
    return w->findChild<QStatusBar *>("StatusBar1")->findChild<QLabel *>("Panel1")->text();
}

QString textOf(QWidget *w, const char *name)
{
    return w->findChild<QLabel *>(name)->text();
}

QStringList phaseLines(QWidget *w)
{
    return textOf(w, "Label2").split(QStringLiteral("\r\n"));
}

QCalendarWidget *calendarOf(QWidget *w)
{
    return w->findChild<QCalendarWidget *>("Calendar1");
}

void press(QWidget *w, const char *button)
{
    QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton);
}

void clickLabel(QWidget *w, const char *name)
{
    QTest::mouseClick(w->findChild<QLabel *>(name), Qt::LeftButton);
}

// One tick of the window's own timer, made to come at once.
void tick(QWidget *w)
{
    auto *timer = w->findChild<QTimer *>("Timer1");
    QSignalSpy fired(timer, &QTimer::timeout);
    timer->start(1);
    QVERIFY(fired.wait(5000));
    timer->stop();
    timer->setInterval(1000);
}

// Clicks a day of the calendar where the user would: on its cell, in its month's page.
void pick(QWidget *w, QDate day)
{
    QCalendarWidget *calendar = calendarOf(w);
    calendar->setCurrentPage(day.year(), day.month());
    auto *view = calendar->findChild<QTableView *>();
    QAbstractItemModel *model = view->model();
    int pass = 0; // 0: the days of the month before, 1: this month, 2: the month after
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int col = 0; col < model->columnCount(); ++col) {
            const QModelIndex index = model->index(row, col);
            bool isDay = false;
            const int shown = index.data().toInt(&isDay);
            if (!isDay)
                continue;
            if (shown == 1)
                ++pass;
            if (pass == 1 && shown == day.day()) {
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
                QCOMPARE(calendar->selectedDate(), day);
                return;
            }
        }
    }
    QFAIL("day not on the calendar page");
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captionsAndTimer();
    void keepsItsSizeWhileTextsChange();
    void loadShowsTodayAtMidnightThenFollowsClock();
    void pickDay_data();
    void pickDay();
    void phaseListNextAndPrevious();
    void previousModeSkipsPhaseOfTheLastDay();
    void captionAndPicture_data();
    void captionAndPicture();
    void monthStep_data();
    void monthStep();
    void calendarEndsShowWholeNights_data();
    void calendarEndsShowWholeNights();
    void midnight_data();
    void midnight();
    void redrawOvertakenByClickDrawsNewestState();
    void windowReleasedDuringRedraw();
    void instantBeyondLunationsKeepsWindowWorking();

    void dateValues_data();
    void dateValues();
    void texts_data();
    void texts();
    void percentage_data();
    void percentage();

private:
    frmMain *open(const QDateTime &clock);

    std::unique_ptr<FakePlatformScope> m_scope;
};

void TestFrmMain::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
}

void TestFrmMain::cleanup()
{
    WindowRegistry::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_scope.reset();
}

// Opens the window at that clock reading. The timer is held, so each test decides when
// a tick comes.
frmMain *TestFrmMain::open(const QDateTime &clock)
{
    m_scope->fake().setNow(clock);
    auto *w = WindowRegistry::open<frmMain>();
    if (w)
        w->findChild<QTimer *>("Timer1")->stop();
    return w;
}

void TestFrmMain::captionsAndTimer()
{
    m_scope->fake().setNow(at(2026, 12, 8, 9, 30));
    auto *w = WindowRegistry::open<frmMain>();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Lunar Calendar"));
    QCOMPARE(w->findChild<QPushButton *>("Command1")->text(), QStringLiteral("< Last Month"));
    QCOMPARE(w->findChild<QPushButton *>("Command2")->text(), QStringLiteral("Next Month >"));
    QCOMPARE(w->findChild<QPushButton *>("Command3")->text(), QStringLiteral("Now"));
    QCOMPARE(w->findChild<QLabel *>("Label2")->toolTip(), QStringLiteral("Click to select between next and previous"));
    QCOMPARE(w->findChild<QLabel *>("Picture1")->size(), QSize(100, 100));
    auto *timer = w->findChild<QTimer *>("Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
}

void TestFrmMain::keepsItsSizeWhileTextsChange()
{
    // In a large font the texts need more room than the smallest window gives them.
    struct FontScope
    {
        QFont normal = QApplication::font();
        FontScope()
        {
            QFont large = normal;
            large.setPointSize(normal.pointSize() * 2);
            QApplication::setFont(large);
        }
        ~FontScope() { QApplication::setFont(normal); }
    } fontScope;
    auto *w = open(at(2026, 12, 8, 9, 30));
    QCoreApplication::sendPostedEvents();
    const QSize size = w->size();
    for (const QDateTime &clock : {at(2026, 12, 17, 22, 58, 58), at(2888, 12, 28, 12, 0, 1), at(1999, 2, 3, 4, 5)}) {
        m_scope->fake().setNow(clock);
        press(w, "Command3");
        tick(w);
        clickLabel(w, "Label2");
        QCoreApplication::sendPostedEvents();
        QCOMPARE(w->size(), size);
    }
}

void TestFrmMain::loadShowsTodayAtMidnightThenFollowsClock()
{
    auto *w = open(at(2026, 12, 8, 9, 30, 12));
    QCOMPARE(calendarOf(w)->selectedDate(), QDate(2026, 12, 8));
    QCOMPARE(statusOf(w), QStringLiteral("Night of Tuesday December 8 2026 00:00"));
    QVERIFY(!w->previousMode());
    tick(w);
    QCOMPARE(statusOf(w), QStringLiteral("Night of Tuesday December 8 2026 09:30"));
    const QString angle = phaseLines(w).at(1);
    // A second later the moon has moved on; the minute shown has not.
    m_scope->fake().setNow(at(2026, 12, 8, 9, 30, 13));
    tick(w);
    QCOMPARE(statusOf(w), QStringLiteral("Night of Tuesday December 8 2026 09:30"));
    QVERIFY(phaseLines(w).at(1) != angle);
}

void TestFrmMain::pickDay_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("status");
    QTest::newRow("Monday before today") << QDate(2026, 12, 7) << "Night of Tuesday December 8 2026 00:00";
    QTest::newRow("today follows the clock") << QDate(2026, 12, 8) << "Night of Tuesday December 8 2026 09:30";
    QTest::newRow("same day, month before") << QDate(2026, 11, 8) << "Night of Monday November 9 2026 00:00";
    QTest::newRow("same day and month, year before") << QDate(2025, 12, 8) << "Night of Tuesday December 9 2025 00:00";
    QTest::newRow("last day of the year") << QDate(2026, 12, 31) << "Night of Friday January 1 2027 00:00";
}

void TestFrmMain::pickDay()
{
    QFETCH(QDate, day);
    QFETCH(QString, status);
    auto *w = open(at(2026, 12, 8, 9, 30, 45));
    pick(w, day);
    QCOMPARE(statusOf(w), status);
    // The tick keeps to the same rule.
    tick(w);
    QCOMPARE(statusOf(w), status);
}

void TestFrmMain::phaseListNextAndPrevious()
{
    auto *w = open(at(2026, 12, 8, 9, 30));
    pick(w, QDate(2026, 12, 20));
    const double s = 46377; // 21 December 2026 00:00
    QCOMPARE(readingOf(w->shownInstant()), at(2026, 12, 21));
    const QStringList next = phaseLines(w);
    QCOMPARE(next.size(), 6);
    QVERIFY(next.at(0).startsWith(QStringLiteral("Illumination: ")));
    QVERIFY(next.at(1).startsWith(QStringLiteral("Angle: ")));
    QCOMPARE(next.at(2), "Next Full Moon: " + general(MoonPhase::NextFullMoon(s)));
    QCOMPARE(next.at(3), "Next New Moon: " + general(MoonPhase::NextNewMoon(s)));
    QCOMPARE(next.at(4), "Next First Quarter: " + general(MoonPhase::NextFirstQuarter(s)));
    QCOMPARE(next.at(5), "Next Last Quarter: " + general(MoonPhase::NextLastQuarter(s)));

    clickLabel(w, "Label2");
    QVERIFY(w->previousMode());
    const QStringList previous = phaseLines(w);
    QCOMPARE(previous.mid(0, 2), next.mid(0, 2));
    QCOMPARE(previous.at(2), "Prev Full Moon: " + general(MoonPhase::PrevFullMoon(s - 1)));
    QCOMPARE(previous.at(3), "Prev New Moon: " + general(MoonPhase::CurrentNewMoon(s - 1)));
    QCOMPARE(previous.at(4), "Prev First Quarter: " + general(MoonPhase::PrevFirstQuarter(s - 1)));
    QCOMPARE(previous.at(5), "Prev Last Quarter: " + general(MoonPhase::PrevLastQuarter(s - 1)));

    clickLabel(w, "Label2");
    QCOMPARE(phaseLines(w), next);
}

void TestFrmMain::previousModeSkipsPhaseOfTheLastDay()
{
    // The full moon of 24 December 2026 falls in the early hours; its night is that of
    // the 24th, which ends less than a day after it.
    const double full = MoonPhase::NextFullMoon(46364);
    const QDate fullDay = readingOf(full).date();
    QCOMPARE(fullDay, QDate(2026, 12, 24));
    auto *w = open(at(2026, 12, 8, 9, 30));
    pick(w, fullDay);
    clickLabel(w, "Label2");
    const QString line = phaseLines(w).at(2);
    QVERIFY2(!line.contains(QStringLiteral("12/24/2026")), qPrintable(line));
    QVERIFY2(line.startsWith(QStringLiteral("Prev Full Moon: 11/24/2026 ")), qPrintable(line));
}

void TestFrmMain::captionAndPicture_data()
{
    QTest::addColumn<double>("instant"); // a date-time value
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("picture"); // 0: not checked

    const double newMoon = MoonPhase::CurrentNewMoon(46364); // 9 November 2026
    const double fullMoon = MoonPhase::NextFullMoon(46364);
    const double month = 29.530589;
    // Ages at which the illumination is 23.2% waxing and 63.2% waning.
    const double waxing23 = std::acos(1 - 2 * 0.232) / (2 * M_PI) * month;
    const double waning37 = (1 - std::acos(1 - 2 * 0.632) / (2 * M_PI)) * month;
    const double hour = 1.0 / 24;
    QTest::newRow("just after new moon") << newMoon + hour << "Moon Waxing Crescent 100% of New" << 101;
    QTest::newRow("waxing crescent") << newMoon + waxing23 << "Moon Waxing Crescent 23% of Full" << 130;
    QTest::newRow("just after full moon") << fullMoon + hour << "Moon Waning Gibbous 100% of Full" << 0;
    QTest::newRow("waning gibbous") << newMoon + waning37 << "Moon Waning Gibbous 37% of New" << 228;
    // 45 seconds before the new moon of 6 January 2000 the angle is about 363.5.
    QTest::newRow("angle past 359") << 36531 + (18 * 60 + 14) / 1440.0 << "Moon Waning Crescent 100% of New" << 101;
}

void TestFrmMain::captionAndPicture()
{
    QFETCH(double, instant);
    QFETCH(QString, caption);
    QFETCH(int, picture);
    auto *w = open(at(2026, 12, 8, 9, 30));
    m_scope->fake().setNow(readingOf(instant));
    press(w, "Command3");
    tick(w);
    QCOMPARE(textOf(w, "Label1"), caption);
    if (picture) {
        const QImage shown = w->findChild<QLabel *>("Picture1")->pixmap().toImage();
        QCOMPARE(shown, QPixmap(art::moonPicture(picture)).toImage());
        QVERIFY(shown != QPixmap(art::moonPicture(picture == 101 ? 280 : picture + 1)).toImage());
    }
}

void TestFrmMain::monthStep_data()
{
    QTest::addColumn<QDateTime>("clock");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QDateTime>("stepped");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QDate>("again"); // the calendar after a second step
    QTest::newRow("back from 31 March") << at(2026, 3, 31, 10, 15, 30) << "Command1" << at(2026, 2, 28, 10, 15, 30)
                                        << "Night of Saturday February 28 2026 10:15" << QDate(2026, 1, 28);
    QTest::newRow("on to a leap day") << at(2028, 1, 31, 22, 5, 0) << "Command2" << at(2028, 2, 29, 22, 5, 0)
                                      << "Night of Tuesday February 29 2028 22:05" << QDate(2028, 3, 29);
    QTest::newRow("stops at the calendar's end")
        << at(9999, 11, 15, 12, 0, 0) << "Command2" << at(9999, 11, 30, 12, 0, 0)
        << "Night of Tuesday November 30 9999 12:00" << QDate(9999, 11, 30);
    QTest::newRow("stops at the calendar's start") << at(1583, 1, 15, 6, 0, 0) << "Command1" << at(1583, 1, 1, 6, 0, 0)
                                                   << "Night of Saturday January 1 1583 06:00" << QDate(1583, 1, 1);
}

void TestFrmMain::monthStep()
{
    QFETCH(QDateTime, clock);
    QFETCH(QString, button);
    QFETCH(QDateTime, stepped);
    QFETCH(QString, status);
    QFETCH(QDate, again);
    auto *w = open(clock);
    tick(w); // the calendar is on today: the clock's time of day is shown
    press(w, qPrintable(button));
    QCOMPARE(fromDateValue(w->shownInstant()), stepped);
    QCOMPARE(calendarOf(w)->selectedDate(), stepped.date());
    QCOMPARE(statusOf(w), status);
    QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->findChild<QLabel *>("Picture1")));
    press(w, qPrintable(button));
    QCOMPARE(calendarOf(w)->selectedDate(), again);
    QCOMPARE(fromDateValue(w->shownInstant()).time(), clock.time());
    // The next tick shows the night of the calendar's day.
    tick(w);
    QCOMPARE(fromDateValue(w->shownInstant()), QDateTime(again.addDays(1), QTime(0, 0), Qt::UTC));
}

void TestFrmMain::calendarEndsShowWholeNights_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("previous");
    QTest::newRow("first day, previous phases") << frmMain::firstDay() << true;
    QTest::newRow("last day, next phases") << frmMain::lastDay() << false;
}

void TestFrmMain::calendarEndsShowWholeNights()
{
    QFETCH(QDate, day);
    QFETCH(bool, previous);
    auto *w = open(at(2026, 12, 8, 9, 30));
    pick(w, day);
    if (previous)
        clickLabel(w, "Label2");
    // No phase beyond the arithmetic's range, which would show as 30 December 1899.
    const QStringList lines = phaseLines(w);
    for (const QString &line : lines.mid(2)) {
        QVERIFY2(!line.contains(QStringLiteral("1899")), qPrintable(line));
        QVERIFY2(line.contains(QString::number(day.year())) || line.contains(QString::number(day.year() - 1)),
                 qPrintable(line));
    }
    QVERIFY(!textOf(w, "Label1").contains(QStringLiteral("  ")));
}

void TestFrmMain::midnight_data()
{
    QTest::addColumn<QDate>("picked"); // invalid: the calendar stays on today
    QTest::addColumn<QDateTime>("lastTick");
    QTest::addColumn<QDate>("calendar");
    QTest::addColumn<QString>("status");
    QTest::newRow("tick at midnight") << QDate() << at(2026, 12, 9) << QDate(2026, 12, 9)
                                      << "Night of Wednesday December 9 2026 00:00";
    QTest::newRow("tick late after midnight")
        << QDate() << at(2026, 12, 9, 0, 0, 1) << QDate(2026, 12, 9) << "Night of Wednesday December 9 2026 00:00";
    QTest::newRow("another day picked") << QDate(2026, 12, 20) << at(2026, 12, 9) << QDate(2026, 12, 9)
                                        << "Night of Wednesday December 9 2026 00:00";
    QTest::newRow("no midnight") << QDate(2026, 12, 20) << at(2026, 12, 8, 23, 59, 59) << QDate(2026, 12, 20)
                                 << "Night of Monday December 21 2026 00:00";
}

void TestFrmMain::midnight()
{
    QFETCH(QDate, picked);
    QFETCH(QDateTime, lastTick);
    QFETCH(QDate, calendar);
    QFETCH(QString, status);
    auto *w = open(at(2026, 12, 8, 23, 59, 58));
    if (picked.isValid())
        pick(w, picked);
    tick(w);
    m_scope->fake().setNow(lastTick);
    tick(w);
    QCOMPARE(calendarOf(w)->selectedDate(), calendar);
    QCOMPARE(statusOf(w), status);
    // From then on the window follows the new day's clock.
    if (calendar == lastTick.date()) {
        m_scope->fake().setNow(lastTick.addSecs(125));
        tick(w);
        QCOMPARE(statusOf(w), QStringLiteral("Night of Wednesday December 9 2026 00:02"));
    }
}

void TestFrmMain::redrawOvertakenByClickDrawsNewestState()
{
    auto *w = open(at(2026, 12, 8, 9, 30));
    tick(w);
    QCOMPARE(statusOf(w), QStringLiteral("Night of Tuesday December 8 2026 09:30"));
    // A click on the phase list waits in the queue; "Now" starts a redraw, whose lunation
    // search lets it through.
    auto *label = w->findChild<QLabel *>("Label2");
    const QPointF point(label->rect().center());
    QCoreApplication::postEvent(label, new QMouseEvent(QEvent::MouseButtonPress, point, label->mapToGlobal(point),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(label, new QMouseEvent(QEvent::MouseButtonRelease, point, label->mapToGlobal(point),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QString statusWhenClicked;
    double instantWhenClicked = 0;
    struct Filter : QObject
    {
        frmMain *window;
        QString *status;
        double *instant;
        Filter(frmMain *w, QString *s, double *i) : window(w), status(s), instant(i) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::MouseButtonRelease) {
                *status = statusOf(window);
                *instant = window->shownInstant();
            }
            return false;
        }
    } filter(w, &statusWhenClicked, &instantWhenClicked);
    label->installEventFilter(&filter);
    press(w, "Command3");
    label->removeEventFilter(&filter);
    // The click came while the redraw of "Now" was under way: the instant was already
    // today at 00:00 and the screen still showed the last tick...
    QCOMPARE(instantWhenClicked, 46364.0);
    QCOMPARE(statusWhenClicked, QStringLiteral("Night of Tuesday December 8 2026 09:30"));
    // ...and what is on screen is the newest state: today at 00:00, previous phases.
    QVERIFY(w->previousMode());
    QCOMPARE(statusOf(w), QStringLiteral("Night of Tuesday December 8 2026 00:00"));
    QVERIFY2(phaseLines(w).at(2).startsWith(QStringLiteral("Prev Full Moon: ")), qPrintable(phaseLines(w).at(2)));
}

void TestFrmMain::windowReleasedDuringRedraw()
{
    QPointer<frmMain> w = open(at(2026, 12, 8, 9, 30));
    // Another window's command closes every window while the moon is being worked out.
    QTimer::singleShot(0, [] { WindowRegistry::closeAll(); });
    w->ShowMoonInfo();
    QVERIFY(w.isNull());
}

void TestFrmMain::instantBeyondLunationsKeepsWindowWorking()
{
    auto *w = open(at(2026, 12, 8, 9, 30));
    // A clock two hundred million years on: no 32-bit lunation number reaches it.
    m_scope->fake().setNow(at(200000000, 1, 1));
    press(w, "Command3");
    QCOMPARE(textOf(w, "Label1"), QStringLiteral("Moon"));
    QVERIFY(w->findChild<QLabel *>("Picture1")->pixmap().isNull());
    m_scope->fake().setNow(at(2026, 12, 8, 9, 30));
    press(w, "Command3");
    QVERIFY(textOf(w, "Label1").startsWith(QStringLiteral("Moon Waning Crescent ")));
    QCOMPARE(phaseLines(w).size(), 6);
}

void TestFrmMain::dateValues_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QDateTime>("reading");
    QTest::newRow("day 0") << 0.0 << at(1899, 12, 30);
    QTest::newRow("before day 0, morning") << -1.25 << at(1899, 12, 29, 6, 0);
    QTest::newRow("before day 0, evening") << -2.75 << at(1899, 12, 28, 18, 0);
    QTest::newRow("after day 0") << 0.75 << at(1899, 12, 30, 18, 0);
    QTest::newRow("a Tuesday") << 46364.0 << at(2026, 12, 8);
    QTest::newRow("first calendar day") << -115780.25 << at(1583, 1, 1, 6, 0);
    QTest::newRow("last second") << 2958465 + 86399 / 86400.0 << at(9999, 12, 31, 23, 59, 59);
}

void TestFrmMain::dateValues()
{
    QFETCH(double, value);
    QFETCH(QDateTime, reading);
    QCOMPARE(fromDateValue(value), reading);
    QCOMPARE(toDateValue(reading), value);
    // One day back keeps the time of day on both sides of day 0.
    QCOMPARE(fromDateValue(value).addDays(-1).time(), reading.time());
}

void TestFrmMain::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("date at midnight") << generalDateText(46364, us) << "12/8/2026";
    QTest::newRow("date and time") << generalDateText(46364.5, us) << "12/8/2026 12:00:00 PM";
    QTest::newRow("to the nearest second") << generalDateText(46364.25 + 0.6 / 86400, us) << "12/8/2026 6:00:01 AM";
    QTest::newRow("year in full") << generalDateText(-115780.25, us) << "1/1/1583 6:00:00 AM";
    QTest::newRow("no time zone in a zone's locale")
        << generalDateText(46364.75, QLocale(QLocale::German, QLocale::Germany)) << "08.12.2026 18:00:00";
    QTest::newRow("float, seven digits") << singleText(49.876543f, us) << "49.87654";
    QTest::newRow("float, whole") << singleText(100.0f, us) << "100";
    QTest::newRow("float, no group separator") << singleText(1234.5f, us) << "1234.5";
    QTest::newRow("weekday whatever the first day of week")
        << nightOfText(46364, QLocale(QLocale::English, QLocale::UnitedKingdom))
        << "Night of Tuesday December 8 2026 00:00";
    // Past 31 December 9999 the phase has no name; the caption keeps its blank.
    QTest::newRow("caption without a phase name") << PhaseCaption(2958467.5, 10) << " 2% of Full";
}

void TestFrmMain::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestFrmMain::percentage_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("whole");
    QTest::addColumn<float>("expected");
    QTest::newRow("plain") << 23 << 100 << 23.0f;
    QTest::newRow("a third") << 1 << 3 << float(100.0 / 3);
    QTest::newRow("nothing") << 0 << 100 << 0.0f;
    QTest::newRow("part above whole") << 101 << 100 << -1.0f;
    QTest::newRow("no whole") << 5 << 0 << -1.0f;
    QTest::newRow("large, no overflow") << 30000 << 32000 << 93.75f;
}

void TestFrmMain::percentage()
{
    QFETCH(int, part);
    QFETCH(int, whole);
    QFETCH(float, expected);
    QCOMPARE(Percentage(std::int16_t(part), std::int16_t(whole)), expected);
}

TF_TEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
