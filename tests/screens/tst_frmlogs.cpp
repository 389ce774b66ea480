// The fishing log driven as a user does: what it shows on opening, its lists,
// the layout in each state, New, Edit and Save with their warnings, sorting,
// the Number Fish Caught filter, scrolling, activation, the windows it opens,
// Print through the report engine, and a database it cannot read.

#include "ScreenTest.h"
#include "TestMain.h"
#include "data/FieldValue.h"
#include "reports/RunReport.h"
#include "screens/RecordCycle.h"
#include "screens/frmLogs.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QWheelEvent>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

namespace {

QString shownDate(const QDate &d)
{
    return FieldValue::toDisplayText(FieldValue::fromDate(d));
}

QStringList captionsIn(const QWidget *content)
{
    QStringList r;
    for (const QLabel *l : content->findChildren<QLabel *>())
        if (l->text().endsWith(QLatin1Char(':')))
            r << l->text();
    return r;
}

} // namespace

class TestLogs : public ScreenTest
{
    Q_OBJECT
private slots:
    void elements_data();
    void elements();
    void captionsOfBothPanels();
    void valueLists_data();
    void valueLists();
    void lookupListsReadAtLoadInTableOrder();
    void opensNewestFirstShowingEveryColumn();
    void choosingARowShowsIt();
    void sorting();
    void stateLayout_data();
    void stateLayout();
    void newSetsTodayAndFocusesDate();
    void newWithOlderDateThenSave();
    void typedLakeStoredAsTyped();
    void editKeepsStoredValuesAndFocusesLake();
    void emptyDateStaysEmpty();
    void numberFilter_data();
    void numberFilter();
    void numberMustBeWhole_data();
    void numberMustBeWhole();
    void scrolling_data();
    void scrolling();
    void wheelScrollsPastLists();
    void focusedFieldStaysInView();
    void activationRecounts();
    void printShowsTheLogReport();
    void opensOtherWindowsByName();
    void unreadableDatabase_data();
    void unreadableDatabase();
    void missingLookupTable();
    void damagedTableIsReported();
    void damagedTableShowsNoBlankRows_data();
    void damagedTableShowsNoBlankRows();
    void lockedDatabaseIsNotCalledDamaged();

private:
    frmLogs *openLogs() { return m_logs = open<frmLogs>(); }
    void addTrip(const QString &date, const QString &lake, const QString &ramp = {});

    QPointer<frmLogs> m_logs;

    void finish() override { WindowRegistry::undefine(QStringLiteral("frmSearch")); }
};

void TestLogs::addTrip(const QString &date, const QString &lake, const QString &ramp)
{
    QVERIFY(sql(QStringLiteral("INSERT INTO Log (Date, Lake, Ramp) VALUES ('%1', '%2', '%3')").arg(date, lake, ramp)));
}

// ---------------------------------------------------------------------------

void TestLogs::elements_data()
{
    textTable({
        {"cmdNew", "New", " Add a new Log "},
        {"cmdEdit", "Edit", " Edit this Log "},
        {"cmdDelete", "Delete", " Delete this Log "},
        {"cmdPrint", "Print", " Print Preview "},
        {"cmdSave", "Save", ""},
        {"cmdCancel", "Cancel", ""},
        {"cmdDate", "Date", " Sort List by Date "},
        {"cmdLake", "Lake / River", " Sort by Lake / River "},
        {"cmdNotebook", "Notebook", " Add additional notes "},
        {"cmdPicture", "   View Picture", " View Picture "},
        {"cmdFish", "  Fish Caught", " Show Fish Caught "},
        {"cmdSearch", "", " Search "},
        {"cmdExit", "", " Close "},
        {"cmdMinimize", "", " Minimize "},
        {"jcSort", "Sort By:", ""},
        {"jcFrames3", "Utilities", ""},
        {"jcMenu", "Menu", ""},
        {"Label1", "Click Save or Cancel before you can Exit.", ""},
        {"Label59", " Edit Mode ", ""},
    });
}

void TestLogs::elements()
{
    QVERIFY(openLogs());
    QCOMPARE(m_logs->windowTitle(), QStringLiteral("Fishing Logs"));
    checkText();
}

void TestLogs::captionsOfBothPanels()
{
    QVERIFY(openLogs());
    QCOMPARE(captionsIn(get<QWidget>("Picture4")),
             QStringList({"Date Fished:", "Lake / River:", "Marina / Ramp:", "Number Fish Caught:", "Primary Fish:",
                          "Best Lure/Bait:", "Weather:", "Wind Direction:", "Wind Speed:", "Air Temperature:",
                          "Water Temperature:", "Water Color:", "Structure:", "Best Depth:", "Lure Color:",
                          "Location Fished:", "Moon Phase:", "Remarks:"}));
    QCOMPARE(captionsIn(get<QWidget>("Picture2")),
             QStringList({"Date Fished:", "Lake / River:", "Marina / Launch Area:", "Number Fish Caught:",
                          "Fish Caught:", "Best Lure/Bait:", "Best Lure Color:", "Weather:", "Wind Direction:",
                          "Wind Speed:", "Air Temperature:", "Water Temperature:", "Water Color:", "Structure:",
                          "Best Depth:", "Area Fished:", "Moon Phase:", "Remarks:"}));
    QStringList headings;
    for (const QLabel *l : get<QWidget>("Picture4")->findChildren<QLabel *>())
        if (l->text().endsWith(QLatin1String("Information")) || l->text().endsWith(QLatin1String("Conditions")))
            headings << l->text();
    QCOMPARE(headings, QStringList({"Trip Information", "Weather Conditions", "Fishing Conditions"}));
    auto *grid = get<QTableView>("DBGrid1");
    QCOMPARE(gridHeadings(grid), QStringList({"Date", "Lake / River", "Marina / Launch Area"}));
    QVERIFY(get<QPlainTextEdit>("Text12")->isReadOnly());
    QVERIFY(!get<QPlainTextEdit>("Text9")->isReadOnly());
}

void TestLogs::valueLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("Number Fish Caught") << "Combo9"
                                        << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("Lure Color") << "Combo10" << QStringList{"Red",   "Blue",   "Brown", "Green", "Black",
                                                            "White", "Yellow", "Shad",  "Purple"};
    QTest::newRow("Weather") << "Combo1" << QStringList{"Sunny", "Partly Cloudy", "Overcast", "Rain",
                                                        "Fog",   "Freezing Rain", "Snow"};
    QTest::newRow("Wind Direction") << "Combo2" << QStringList{"North", "Northeast", "East", "Southeast",
                                                               "South", "Southwest", "West", "Northwest"};
    QTest::newRow("Wind Speed") << "Combo3" << QStringList{"Calm", "Light", "Moderate", "Strong", "Gusty"};
    QTest::newRow("Air Temp") << "Combo4"
                              << QStringList{"'Teens", "20's", "30's", "40's", "50's", "60's", "70's", "80's", "90's"};
    QTest::newRow("Water Temp") << "Combo5" << QStringList{"30's", "40's", "50's", "60's", "70's", "80's", "90's"};
    QTest::newRow("Water Color") << "Combo6" << QStringList{"Clear", "Stained", "Muddy"};
    QTest::newRow("Structure") << "Combo7"
                               << QStringList{"Banks",  "Brush Piles", "Docks", "Coves", "Points",   "Submerged Trees",
                                              "Stumps", "Logs",        "Rocks", "Weeds", "Lily Pads"};
    QTest::newRow("Best Depth") << "Combo8" << QStringList{"Top Water", "Shallow", "Medium", "Deep"};
    QTest::newRow("Location") << "Combo12" << QStringList{"Upper Lake",  "Middle Lake",  "Lower Lake",
                                                          "Upper River", "Middle River", "Lower River"};
    QTest::newRow("Moon Phase") << "Combo11" << QStringList{"Full Moon", "Half Moon", "Quarter Moon", "Dark Moon"};
}

void TestLogs::valueLists()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QVERIFY(openLogs());
    auto *list = get<QComboBox>(name);
    QVERIFY(list);
    QCOMPARE(itemsOf(list), items);
    QVERIFY(list->isEditable());
}

void TestLogs::lookupListsReadAtLoadInTableOrder()
{
    QVERIFY(sql("INSERT INTO Lakes (Lakes) VALUES ('Walleye Bay'), ('Acorn Lake'), ('Moose River');"
                "INSERT INTO Ramps (Ramps) VALUES ('North Ramp'), ('City Dock');"
                "INSERT INTO Fish (Fish) VALUES ('Walleye'), ('Bass');"
                "INSERT INTO Lures (Lure) VALUES ('Jig'), ('Crankbait'), ('Spoon');"));
    addTrip("2026-06-01", "Acorn Lake");
    QVERIFY(openLogs());
    QVERIFY(sql("INSERT INTO Lakes (Lakes) VALUES ('Added Later')"));
    m_logs->activateWindow();
    QCOMPARE(itemsOf(get<QComboBox>("DBCombo1")), QStringList({"Walleye Bay", "Acorn Lake", "Moose River"}));
    QCOMPARE(itemsOf(get<QComboBox>("DBCombo2")), QStringList({"North Ramp", "City Dock"}));
    QCOMPARE(itemsOf(get<QComboBox>("DBCombo3")), QStringList({"Walleye", "Bass"}));
    QCOMPARE(itemsOf(get<QComboBox>("DBCombo4")), QStringList({"Jig", "Crankbait", "Spoon"}));
    // Filling the lists left the trip's own lake in the field.
    QCOMPARE(get<QComboBox>("DBCombo1")->currentText(), QStringLiteral("Acorn Lake"));
}

void TestLogs::opensNewestFirstShowingEveryColumn()
{
    addTrip("2026-05-02", "Middle");
    QVERIFY(sql("INSERT INTO Log (Date, Lake, Ramp, \"Total Fish\", \"Fish Caught\", \"Best Lure\", "
                "Weather, \"Wind Direction\", \"Wind Speed\", \"Air Temp\", \"Water Temp\", \"Water Color\", "
                "Structure, \"Best Depth\", \"Lure Color\", Location, \"Moon Phase\", Notes) VALUES "
                "('2026-07-04', 'Newest Lake', 'East Ramp', '7', 'Walleye', 'Jig', 'Sunny', 'North', "
                "'Calm', '70''s', '60''s', 'Clear', 'Rocks', 'Deep', 'Shad', 'Upper Lake', 'Full Moon', "
                "'Great day')"));
    addTrip("2025-01-01", "Oldest");
    QVERIFY(openLogs());
    auto *grid = get<QTableView>("DBGrid1");
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("Newest Lake"));
    QCOMPARE(grid->model()->index(2, 1).data().toString(), QStringLiteral("Oldest"));
    QCOMPARE(grid->currentIndex().row(), 0);
    QVERIFY(get<QWidget>("Picture3")->isVisible());
    const QStringList expected{shownDate(QDate(2026, 7, 4)),
                               "Newest Lake",
                               "East Ramp",
                               "7",
                               "Walleye",
                               "Jig",
                               "Sunny",
                               "North",
                               "Calm",
                               "70's",
                               "60's",
                               "Clear",
                               "Rocks",
                               "Deep",
                               "Shad",
                               "Upper Lake",
                               "Full Moon"};
    for (int i = 0; i < expected.size(); ++i) {
        const QByteArray name = "Label" + QByteArray::number(42 + i);
        QCOMPARE(get<QLabel>(name.constData())->text(), expected[i]);
    }
    QCOMPARE(get<QPlainTextEdit>("Text12")->toPlainText(), QStringLiteral("Great day"));
    QCOMPARE(get<QLabel>("Label2")->text(), QStringLiteral("3 Fishing Logs"));
}

void TestLogs::choosingARowShowsIt()
{
    addTrip("2026-05-02", "Second", "Ramp B");
    addTrip("2026-07-04", "First", "Ramp A");
    QVERIFY(openLogs());
    auto *grid = get<QTableView>("DBGrid1");
    QVERIFY(!(grid->model()->flags(grid->model()->index(1, 1)) & Qt::ItemIsEditable));
    QVERIFY(ScreenDriver::chooseRow(grid, 1));
    QCOMPARE(get<QLabel>("Label43")->text(), QStringLiteral("Second"));
    QCOMPARE(get<QLabel>("Label44")->text(), QStringLiteral("Ramp B"));
    QCOMPARE(get<QComboBox>("DBCombo1")->currentText(), QStringLiteral("Second"));
}

void TestLogs::sorting()
{
    addTrip("2026-05-02", "bass pond");
    addTrip("2026-07-04", "Zander Lake");
    addTrip("2026-06-01", "Acorn Lake");
    QVERIFY(openLogs());
    auto *grid = get<QTableView>("DBGrid1");
    const auto lakes = [grid] {
        QStringList r;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            r << grid->model()->index(row, 1).data().toString();
        return r;
    };
    QCOMPARE(lakes(), QStringList({"Zander Lake", "Acorn Lake", "bass pond"}));
    grid->selectRow(2);
    QVERIFY(click("cmdLake"));
    QCOMPARE(lakes(), QStringList({"Acorn Lake", "bass pond", "Zander Lake"}));
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(get<QLabel>("Label43")->text(), QStringLiteral("Acorn Lake"));
    QVERIFY(click("cmdDate"));
    QCOMPARE(lakes(), QStringList({"Zander Lake", "Acorn Lake", "bass pond"}));
    QCOMPARE(get<QLabel>("Label43")->text(), QStringLiteral("Zander Lake"));
}

void TestLogs::stateLayout_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("editing");
    QTest::newRow("browse") << "" << false;
    QTest::newRow("adding") << "cmdNew" << true;
    QTest::newRow("editing") << "cmdEdit" << true;
    QTest::newRow("after Save") << "cmdSave" << false;
    QTest::newRow("after Cancel") << "cmdCancel" << false;
}

void TestLogs::stateLayout()
{
    QFETCH(QString, command);
    QFETCH(bool, editing);
    addTrip("2026-07-04", "Acorn Lake");
    QVERIFY(openLogs());
    if (command == QLatin1String("cmdSave") || command == QLatin1String("cmdCancel"))
        QVERIFY(click("cmdEdit"));
    if (!command.isEmpty())
        QVERIFY(click(command));
    QCOMPARE(m_logs->cycle()->state() != CycleState::Browse, editing);

    // Shown in one state only.
    QCOMPARE(get<QWidget>("Picture3")->isVisible(), !editing);
    QCOMPARE(get<QWidget>("VScroll2")->isVisible(), !editing);
    QCOMPARE(get<QWidget>("Picture1")->isVisible(), editing);
    QCOMPARE(get<QWidget>("Label59")->isVisible(), editing);
    QCOMPARE(get<QWidget>("jcMenu")->isVisible(), !editing);
    QCOMPARE(get<QWidget>("jcSave")->isVisible(), editing);
    QCOMPARE(get<QWidget>("Label1")->isVisible(), editing);
    // Always shown, usable only while browsing.
    for (const char *name : {"jcSort", "jcFrames3", "cmdSearch", "cmdExit", "cmdMinimize", "DBGrid1"}) {
        QVERIFY2(get<QWidget>(name)->isVisible(), name);
        QVERIFY2(get<QWidget>(name)->isEnabled() == !editing, name);
    }
    for (const char *name : {"cmdDate", "cmdLake", "cmdNotebook", "cmdPicture", "cmdFish"})
        QVERIFY2(get<QWidget>(name)->isEnabled() == !editing, name);
    QVERIFY(get<QWidget>("Label2")->isVisible());
}

void TestLogs::newSetsTodayAndFocusesDate()
{
    QVERIFY(sql("INSERT INTO Log (Date, Lake, Weather, Notes, \"Total Fish\") "
                "VALUES ('2026-07-04', 'Old', 'Rain', 'old notes', '3')"));
    fake().setNow(QDateTime(QDate(2027, 3, 15), QTime(23, 59)));
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    QCOMPARE(get<QDateEdit>("DTPicker1")->date(), QDate(2027, 3, 15));
    QVERIFY(focusWithin(get<QDateEdit>("DTPicker1")));
    for (QComboBox *list : get<QWidget>("Picture2")->findChildren<QComboBox *>())
        QVERIFY2(list->currentText().isEmpty(), qPrintable(list->objectName()));
    QVERIFY(get<QPlainTextEdit>("Text9")->toPlainText().isEmpty());
    get<QComboBox>("DBCombo1")->setEditText(QStringLiteral("New Lake"));
    QVERIFY(click("cmdSave"));
    // A date without time of day.
    QCOMPARE(value("SELECT Date FROM Log WHERE Lake = 'New Lake'").toString(), QStringLiteral("2027-03-15"));
}

void TestLogs::newWithOlderDateThenSave()
{
    addTrip("2026-07-04", "First");
    addTrip("2026-05-02", "Third");
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    get<QDateEdit>("DTPicker1")->setDate(QDate(2026, 6, 1));
    get<QComboBox>("DBCombo1")->setEditText(QStringLiteral("Second"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(m_logs->cycle()->state(), CycleState::Browse);
    auto *grid = get<QTableView>("DBGrid1");
    // Saved rows stay where they were added until the next sort.
    QCOMPARE(grid->currentIndex().row(), 2);
    QVERIFY(grid->selectionModel()->isRowSelected(2, {}));
    QCOMPARE(grid->model()->index(2, 1).data().toString(), QStringLiteral("Second"));
    QCOMPARE(get<QLabel>("Label43")->text(), QStringLiteral("Second"));
    QCOMPARE(get<QLabel>("Label2")->text(), QStringLiteral("3 Fishing Logs"));
    QVERIFY(click("cmdDate"));
    QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("Second"));
}

void TestLogs::typedLakeStoredAsTyped()
{
    QVERIFY(sql("INSERT INTO Lakes (Lakes) VALUES ('Acorn Lake'), ('Moose River')"));
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    auto *lake = get<QComboBox>("DBCombo1");
    lake->lineEdit()->clear();
    QTest::keyClicks(lake->lineEdit(), QStringLiteral("Mystery Pond"));
    QTest::keyClick(lake->lineEdit(), Qt::Key_Return);
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Lake FROM Log").toString(), QStringLiteral("Mystery Pond"));
    QCOMPARE(value("SELECT count(*) FROM Lakes").toInt(), 2);
    QCOMPARE(itemsOf(lake), QStringList({"Acorn Lake", "Moose River"}));
}

void TestLogs::editKeepsStoredValuesAndFocusesLake()
{
    QVERIFY(sql("INSERT INTO Log (Date, Lake, Weather, Notes) VALUES "
                "('2026-07-04', 'Acorn Lake', 'Rain', 'kept'), ('2026-05-01', 'Other', '', '')"));
    QVERIFY(openLogs());
    QVERIFY(click("cmdEdit"));
    QCOMPARE(m_logs->cycle()->state(), CycleState::Editing);
    QVERIFY(focusWithin(get<QComboBox>("DBCombo1")));
    QCOMPARE(get<QComboBox>("DBCombo1")->currentText(), QStringLiteral("Acorn Lake"));
    QCOMPARE(get<QDateEdit>("DTPicker1")->date(), QDate(2026, 7, 4));
    QCOMPARE(get<QPlainTextEdit>("Text9")->toPlainText(), QStringLiteral("kept"));
    get<QComboBox>("Combo1")->setEditText(QStringLiteral("Snow"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Weather FROM Log WHERE Lake = 'Acorn Lake'").toString(), QStringLiteral("Snow"));
    QCOMPARE(value("SELECT Notes FROM Log WHERE Lake = 'Acorn Lake'").toString(), QStringLiteral("kept"));
    QCOMPARE(get<QTableView>("DBGrid1")->currentIndex().row(), 0);
    QCOMPARE(get<QLabel>("Label48")->text(), QStringLiteral("Snow"));
    QCOMPARE(rows("Log"), 2);
}

void TestLogs::emptyDateStaysEmpty()
{
    QVERIFY(sql("INSERT INTO Log (Lake) VALUES ('No Date')"));
    QVERIFY(openLogs());
    QVERIFY(click("cmdEdit"));
    QCOMPARE(get<QDateEdit>("DTPicker1")->text().trimmed(), QString());
    get<QComboBox>("Combo1")->setEditText(QStringLiteral("Sunny"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Weather FROM Log").toString(), QStringLiteral("Sunny"));
    QVERIFY(value("SELECT Date FROM Log").isNull());
}

void TestLogs::numberFilter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit") << int(Qt::Key_5) << "5" << true;
    QTest::newRow("point") << int(Qt::Key_Period) << "." << true;
    QTest::newRow("slash") << int(Qt::Key_Slash) << "/" << true;
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << false;
    QTest::newRow("blank") << int(Qt::Key_Space) << " " << false;
    QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << false;
    QTest::newRow("Enter") << int(Qt::Key_Return) << "\r" << false;
}

void TestLogs::numberFilter()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    auto *number = get<QComboBox>("Combo9");
    number->setEditText(QStringLiteral("1"));
    number->lineEdit()->end(false);
    // Typed into the list and into its text part alike.
    for (QWidget *target : {static_cast<QWidget *>(number), static_cast<QWidget *>(number->lineEdit())}) {
        const QString before = number->currentText();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        FakePlatform &fake = ScreenTest::fake();
        if (accepted) {
            QCOMPARE(number->currentText(), before + text);
            QVERIFY(fake.messages.isEmpty());
        } else {
            QCOMPARE(number->currentText(), before);
            QCOMPARE(fake.messages.size(), 1);
            QCOMPARE(fake.messages[0].text, QStringLiteral("Please enter numbers only."));
            QCOMPARE(fake.messages[0].icon, MessageIcon::Exclamation);
            QVERIFY(focusWithin(number));
            fake.messages.clear();
        }
    }
    QTest::keyClick(number->lineEdit(), Qt::Key_Backspace);
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(m_logs->cycle()->state(), CycleState::Adding);
}

void TestLogs::numberMustBeWhole_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("saved");
    QTest::newRow("whole") << "12" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("fraction with a point") << "2.5" << false;
    QTest::newRow("fraction with a slash") << "1/2" << false;
    QTest::newRow("pasted text") << "lots" << false;
}

void TestLogs::numberMustBeWhole()
{
    QFETCH(QString, number);
    QFETCH(bool, saved);
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    get<QComboBox>("DBCombo1")->setEditText(QStringLiteral("Acorn Lake"));
    get<QComboBox>("Combo9")->setEditText(number);
    QVERIFY(click("cmdSave"));
    QCOMPARE(rows("Log"), saved ? 1 : 0);
    if (saved) {
        QCOMPARE(value("SELECT \"Total Fish\" FROM Log").toString(), number);
        QCOMPARE(get<QLabel>("Label45")->text(), number);
    } else {
        QCOMPARE(fake().lastMessageText(), QStringLiteral("Please enter numbers only."));
        QCOMPARE(m_logs->cycle()->state(), CycleState::Adding);
        QVERIFY(focusWithin(get<QComboBox>("Combo9")));
    }
}

void TestLogs::scrolling_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("viewport");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("remarks");
    QTest::addColumn<int>("maximum");
    QTest::newRow("editing panel") << "VScroll1"
                                   << "Picture1"
                                   << "Picture2"
                                   << "Text9" << 4100;
    QTest::newRow("read-only panel") << "VScroll2"
                                     << "Picture3"
                                     << "Picture4"
                                     << "Text12" << 5100;
}

void TestLogs::scrolling()
{
    QFETCH(QString, bar);
    QFETCH(QString, viewport);
    QFETCH(QString, content);
    QFETCH(QString, remarks);
    QFETCH(int, maximum);
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    auto *scroll = get<QScrollBar>(bar);
    auto *view = get(viewport);
    auto *area = get(content);
    auto *text = get(remarks);
    QCOMPARE(scroll->minimum(), 0);
    QCOMPARE(scroll->maximum(), maximum);
    QCOMPARE(scroll->singleStep(), 100);
    QCOMPARE(scroll->pageStep(), 400);
    QCOMPARE(area->parentWidget(), view);
    QCOMPARE(area->y(), 60 / 15);
    // The remarks field lies below the viewport's bottom until scrolled to.
    const auto remarksRect = [&] { return QRect(text->mapTo(view, QPoint(0, 0)), text->size()); };
    QVERIFY(!view->rect().contains(remarksRect()));
    scroll->setValue(1000);
    QCOMPARE(area->y(), qRound((60 - 1000) / 15.0));
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(scroll->value(), 1100);
    scroll->setValue(maximum);
    QCOMPARE(area->y(), qRound((60 - maximum) / 15.0));
    QVERIFY(view->rect().contains(remarksRect()));
    scroll->setValue(0);
    QCOMPARE(area->y(), 4);
}

// New after scrolling starts at the panel's top ("Edit Mode", Date Fished),
// and every field Tab moves to is scrolled into view before it is typed into.
void TestLogs::focusedFieldStaysInView()
{
    addTrip("2026-07-04", "First");
    QVERIFY(openLogs());
    QVERIFY(activate(m_logs));
    auto *view = get("Picture1");
    auto *bar = get<QScrollBar>("VScroll1");
    const auto inView = [view](const QWidget *w) {
        return view->rect().contains(QRect(w->mapTo(view, QPoint(0, 0)), w->size()));
    };
    QVERIFY(click("cmdNew"));
    bar->setValue(bar->maximum());
    QVERIFY(click("cmdCancel"));
    QVERIFY(click("cmdNew"));
    QVERIFY(inView(get("Label59")));
    QVERIFY(inView(get("DTPicker1")));
    QVERIFY(focusWithin(get("DTPicker1")));
    // The date's parts first, then field after field down to Remarks.
    QWidget *field = nullptr;
    for (int i = 0; i < 30 && !(field && field->objectName() == QLatin1String("Text9")); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        field = QApplication::focusWidget();
        while (field && field->parentWidget() != get("Picture2"))
            field = field->parentWidget();
        QVERIFY2(field, "Tab left the editing panel");
        QVERIFY2(inView(field), qPrintable(field->objectName()));
    }
    QCOMPARE(field->objectName(), QStringLiteral("Text9"));
    QVERIFY(bar->value() > 0);
}

void TestLogs::wheelScrollsPastLists()
{
    QVERIFY(openLogs());
    QVERIFY(click("cmdNew"));
    auto *weather = get<QComboBox>("Combo1");
    auto *bar = get<QScrollBar>("VScroll1");
    weather->setEditText(QStringLiteral("Rain"));
    const auto turn = [](QWidget *w) {
        QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheel);
    };
    turn(weather);
    QVERIFY(bar->value() > 0);
    QCOMPARE(weather->currentText(), QStringLiteral("Rain"));
    // The list being worked in takes the wheel itself.
    const int value = bar->value();
    weather->setFocus();
    turn(weather);
    QCOMPARE(bar->value(), value);
    QVERIFY(weather->currentText() != QStringLiteral("Rain"));
}

void TestLogs::activationRecounts()
{
    addTrip("2026-07-04", "First");
    QVERIFY(openLogs());
    auto *count = get<QLabel>("Label2");
    QCOMPARE(count->text(), QStringLiteral("1 Fishing Logs"));

    QWidget other;
    other.setObjectName(QStringLiteral("frmOther"));
    other.show();
    QVERIFY(activate(&other));
    addTrip("2026-07-05", "Added Elsewhere");
    QCOMPARE(count->text(), QStringLiteral("1 Fishing Logs"));
    QVERIFY(activate(m_logs));
    QCOMPARE(count->text(), QStringLiteral("2 Fishing Logs"));

    // Away to another application and back: no recount.
    QApplication::setActiveWindow(nullptr);
    addTrip("2026-07-06", "Added While Away");
    QApplication::setActiveWindow(m_logs);
    QVERIFY(m_logs->isActiveWindow());
    QCOMPARE(count->text(), QStringLiteral("2 Fishing Logs"));
}

// Through the report engine itself, with the program's own definition.
void TestLogs::printShowsTheLogReport()
{
    const QString definition = QStringLiteral(TF_PROGRAM_FOLDER "/log.rpt");
    if (!QFileInfo::exists(definition))
        QSKIP("the build has not placed log.rpt in the program folder");
    QVERIFY(QFile::copy(definition, file(QStringLiteral("log.rpt"))));
    addTrip("2026-07-04", "Printed Lake");
    fake().reportMaker = &runReport;
    QVERIFY(openLogs());
    QVERIFY(click("cmdPrint"));
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.previewTitles, QStringList{"Print Preview"});
    QVERIFY(fake.previewTexts[0].contains(QLatin1String("Printed Lake")));
}

void TestLogs::opensOtherWindowsByName()
{
    QVERIFY(openLogs());
    // Windows not built yet are simply not there to open.
    for (const char *name : {"cmdNotebook", "cmdPicture", "cmdFish", "cmdSearch"})
        QVERIFY2(click(name), name);
    QCOMPARE(WindowRegistry::openWindows().size(), 1);

    WindowRegistry::define(QStringLiteral("frmSearch"), [] { return new QWidget; });
    QVERIFY(click("cmdSearch"));
    QWidget *search = WindowRegistry::find(QStringLiteral("frmSearch"));
    QVERIFY(search && search->isVisible());
    QVERIFY(!(m_logs->windowState() & Qt::WindowMinimized));
}

void TestLogs::unreadableDatabase_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("damaged") << QByteArray("This is not a database at all, just some words in a file.\n").repeated(50);
}

void TestLogs::unreadableDatabase()
{
    QFETCH(QByteArray, contents);
    QFile::remove(db());
    if (!contents.isEmpty())
        QVERIFY(writeAll(db(), contents));
    QVERIFY(openLogs());
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].icon, MessageIcon::Exclamation);
    QVERIFY(fake.messages[0].text.startsWith(QLatin1String("The fishing log cannot be opened.\n")));
    QVERIFY(fake.messages[0].text.contains(QLatin1String("Nothing has been changed.")));
    QVERIFY(!get<QWidget>("cmdNew")->isEnabled());
    QVERIFY(!get<QWidget>("cmdDate")->isEnabled());
    QVERIFY(!get<QWidget>("cmdSearch")->isEnabled());
    QVERIFY(get<QWidget>("cmdExit")->isEnabled());
    QCOMPARE(get<QLabel>("Label2")->text(), QStringLiteral("Fishing Logs"));
    QVERIFY(click("cmdExit"));
    ScreenDriver::releaseClosed();
    QVERIFY(!m_logs);
    QCOMPARE(QFileInfo::exists(db()), !contents.isEmpty());
    if (!contents.isEmpty())
        QCOMPARE(readAll(db()), contents);
    QCOMPARE(fake.messages.size(), 1);
}

// A page of the trips that cannot be read is said once, never shown as blank trips.
void TestLogs::damagedTableIsReported()
{
    QVERIFY(sql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                               "INSERT INTO Log (Date, Lake, Notes) SELECT printf('2020-01-%02d', i % 28 + 1), "
                               "'Lake ' || i, hex(randomblob(40)) FROM n")));
    QVERIFY(damageTablePage(QStringLiteral("Log"), db(), true));
    QVERIFY(openLogs());
    auto *grid = get<QTableView>("DBGrid1");
    grid->scrollToBottom();
    for (int row = grid->model()->rowCount() - 40; row < grid->model()->rowCount(); ++row)
        grid->model()->data(grid->model()->index(row, 1));
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.messages.size(), 1);
    QVERIFY(fake.lastMessageText().contains(QLatin1String("cannot be read")));
    QVERIFY(fake.lastMessageText().contains(QLatin1String("Exit & Backup Database")));
    // Reading on says nothing more.
    grid->scrollToTop();
    grid->scrollToBottom();
    QTest::qWait(20);
    QCOMPARE(fake.messages.size(), 1);
}

// Rows the file cannot give are left out of the grid and the caption, and the
// message says how many; every row left shows its trip.
void TestLogs::damagedTableShowsNoBlankRows_data()
{
    QTest::addColumn<bool>("rootPage");
    QTest::addColumn<int>("lost");
    QTest::newRow("keys misrouted in an interior page") << false << 16;
    QTest::newRow("root page damaged") << true << 3000;
}

void TestLogs::damagedTableShowsNoBlankRows()
{
    QFETCH(bool, rootPage);
    QFETCH(int, lost);
    QVERIFY(sql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                               "INSERT INTO Log (Date, Lake, Notes) SELECT printf('2020-01-%02d', i % 28 + 1), "
                               "'Lake ' || i, 'trip ' || i FROM n")));
    QVERIFY(rootPage ? damageTablePage(QStringLiteral("Log"), db(), false)
                     : misrouteTableKeys(QStringLiteral("Log"), db(), lost));
    QVERIFY(openLogs());
    auto *grid = get<QTableView>("DBGrid1");
    // Paging through the whole grid.
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        grid->model()->data(grid->model()->index(row, 1));
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.messages.size(), 1);
    const QString text = fake.lastMessageText();
    QVERIFY(text.contains(QLatin1String("cannot be read")));
    QVERIFY(text.contains(QLatin1String("Exit & Backup Database")));
    QVERIFY2(text.contains(QStringLiteral("%1 rows of the table Log cannot be read").arg(lost)), qPrintable(text));
    QCOMPARE(get<QLabel>("Label2")->text(), QStringLiteral("%1 Fishing Logs").arg(3000 - lost));
    QCOMPARE(grid->model()->rowCount(), 3000 - lost);
    const QStringList lakes = gridColumn(grid, 1);
    QCOMPARE(lakes.size(), 3000 - lost);
    QCOMPARE(lakes.filter(QRegularExpression(QStringLiteral("^Lake \\d+$"))).size(), lakes.size());
    QCOMPARE(fake.messages.size(), 1);
}

// Another program holding the file is said as such, without sending the user to repair it.
void TestLogs::lockedDatabaseIsNotCalledDamaged()
{
    addTrip("2026-07-04", "Stored");
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(db().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(openLogs());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.messages.size(), 1);
    const QString text = fake.lastMessageText();
    QVERIFY(text.startsWith(QLatin1String("The fishing log cannot be opened.\n")));
    QVERIFY(text.contains(QLatin1String("locked")));
    QVERIFY(text.contains(QLatin1String("Another program")));
    QVERIFY(!text.contains(QLatin1String("repair"), Qt::CaseInsensitive));
}

void TestLogs::missingLookupTable()
{
    addTrip("2026-07-04", "Stored");
    QVERIFY(sql("DROP TABLE Lures"));
    QVERIFY(openLogs());
    FakePlatform &fake = ScreenTest::fake();
    QTRY_COMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages[0].text.startsWith(QLatin1String("Part of the fishing log cannot be read:\n")));
    QVERIFY(fake.messages[0].text.contains(QLatin1String("Lures")));
    // The trips themselves still work.
    QVERIFY(get<QWidget>("cmdNew")->isEnabled());
    QCOMPARE(get<QLabel>("Label43")->text(), QStringLiteral("Stored"));
    QCOMPARE(get<QComboBox>("DBCombo4")->count(), 0);
}

TF_TEST_MAIN(TestLogs)
#include "tst_frmlogs.moc"
