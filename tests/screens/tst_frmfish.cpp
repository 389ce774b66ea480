// The fish caught screen as a user meets it: its texts, the heading and the
// five groups following the grid, fields locked outside Edit, typed species
// kept, the scrolled groups, Print's report choice, and a trip changed in the
// fishing log at the same time.

#include "ScreenTest.h"
#include "TestMain.h"
#include "data/FieldValue.h"
#include "reports/frmPrintfish.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"
#include "screens/frmFish.h"
#include "screens/frmLogs.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

namespace {

const char *const kFields[] = {"DBCombo1", "DBCombo2", "Text1",     "DBCombo4", "DBCombo3",
                               "Text2",    "DBCombo6", "DBCombo5",  "Text3",    "DBCombo8",
                               "DBCombo7", "Text4",    "DBCombo10", "DBCombo9", "Text5"};

void setText(QWidget *w, const QString &text)
{
    if (auto *c = qobject_cast<QComboBox *>(w))
        c->setEditText(text);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(text);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        p->setPlainText(text);
}

} // namespace

class TestFish : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void headingAndGroupsFollowTheGrid();
    void fieldsLockedOutsideEdit_data();
    void fieldsLockedOutsideEdit();
    void typedNamesStoredAsTyped();
    void scrolledGroups();
    void printOpensReportChoice();
    void sortShowsTripsAddedElsewhere();
    void sameTripInTheLogAtOnce();
    void longRemarksComeBackWhole();
    void remarksTakeSeveralLines();
    void failedWriteKeepsTyping_data();
    void failedWriteKeepsTyping();

private:
    frmFish *openFish() { return m_fish = open<frmFish>(); }
    void addTrip(const QString &date, const QString &lake, const QString &fish1 = {}, const QString &fish5 = {});

    QPointer<frmFish> m_fish;

    void prepare() override
    {
        QVERIFY(sql(QStringLiteral("INSERT INTO Fish (Fish) VALUES ('Walleye'), ('Bass')")));
        QVERIFY(sql(QStringLiteral("INSERT INTO Lures (Lure) VALUES ('Jig')")));
        WindowRegistry::define<frmPrintfish>();
    }
};

void TestFish::addTrip(const QString &date, const QString &lake, const QString &fish1, const QString &fish5)
{
    QVERIFY(sql(QStringLiteral("INSERT INTO Log (Date, Lake, Fish1, Fish5) VALUES ('%1', '%2', '%3', '%4')")
                    .arg(date, lake, fish1, fish5)));
}

void TestFish::texts_data()
{
    textTable({
        {"cmdEdit", "Edit", " Edit this Page "},
        {"cmdPrint", "Print", " Print Preview "},
        {"cmdDate", "Date", " Sort by Date "},
        {"cmdLake", "Lake / River", " Sort by Lake / River "},
        {"Label8", "Click Save or Cancel before you can Exit.", ""},
        {"Label1", "Fish caught on:", ""},
        {"jcFrames6", "Fish # 1", ""},
        {"jcFrames10", "Fish # 5", ""},
        {"Label22", "Select from the drop-down boxes or type in your own description.", ""},
        {"Label23", "Record more fish in the Notebook.", ""},
        {"Label24", " Edit Mode ", ""},
    });
}

void TestFish::texts()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    QCOMPARE(m_fish->windowTitle(), QStringLiteral("Fish Caught"));
    checkText();
    // Trips are made and removed in the fishing log only.
    QVERIFY(!get("cmdNew") && !get("cmdDelete"));
}

void TestFish::headingAndGroupsFollowTheGrid()
{
    addTrip("2026-05-02", "Older Lake", "Perch", "Pike");
    addTrip("2026-07-04", "Newer Lake", "Walleye", "Carp");
    QVERIFY(openFish());
    const QString newer = FieldValue::toDisplayText(FieldValue::fromDate(QDate(2026, 7, 4)));
    const QString older = FieldValue::toDisplayText(FieldValue::fromDate(QDate(2026, 5, 2)));
    QCOMPARE(shownText(get("Label3")), newer);
    QCOMPARE(shownText(get("Label5")), QStringLiteral("Newer Lake"));
    QCOMPARE(shownText(get("DBCombo1")), QStringLiteral("Walleye"));
    QCOMPARE(shownText(get("DBCombo10")), QStringLiteral("Carp"));
    auto *grid = get<QTableView>("DBGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 1)).center());
    QCOMPARE(shownText(get("Label3")), older);
    QCOMPARE(shownText(get("Label5")), QStringLiteral("Older Lake"));
    QCOMPARE(shownText(get("DBCombo1")), QStringLiteral("Perch"));
    QCOMPARE(shownText(get("DBCombo10")), QStringLiteral("Pike"));
    QCOMPARE(shownText(get("DBCombo2")), QString());
}

void TestFish::fieldsLockedOutsideEdit_data()
{
    QTest::addColumn<QString>("leaveBy");
    QTest::newRow("save") << "cmdSave";
    QTest::newRow("cancel") << "cmdCancel";
}

void TestFish::fieldsLockedOutsideEdit()
{
    QFETCH(QString, leaveBy);
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    const auto lockedCount = [this] {
        int n = 0;
        for (const char *name : kFields)
            n += FieldLock::isLocked(get(name)) ? 1 : 0;
        return n;
    };
    QCOMPARE(lockedCount(), 15);
    QVERIFY(click("cmdEdit"));
    QCOMPARE(lockedCount(), 0);
    QCOMPARE(QApplication::focusWidget(), get("DBCombo1"));
    QVERIFY(get("Label24")->isVisible());
    QVERIFY(!get("jcSort")->isEnabled() && !get("DBGrid1")->isEnabled() && !get("cmdExit")->isEnabled());
    QVERIFY(click(leaveBy));
    QCOMPARE(m_fish->cycle()->state(), CycleState::Browse);
    QCOMPARE(lockedCount(), 15);
    QVERIFY(!get("Label24")->isVisible());
    QVERIFY(get("jcSort")->isEnabled() && get("DBGrid1")->isEnabled() && get("cmdExit")->isEnabled());
    QVERIFY(fake().messages.isEmpty());
}

void TestFish::typedNamesStoredAsTyped()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    auto *species3 = get<QComboBox>("DBCombo6");
    // Every species list offers the Fish table, every lure list the Lures table.
    QCOMPARE(species3->count(), 2);
    QCOMPARE(get<QComboBox>("DBCombo9")->itemText(0), QStringLiteral("Jig"));
    QVERIFY(click("cmdEdit"));
    species3->setEditText(QStringLiteral("Sturgeon"));
    setText(get("DBCombo5"), QStringLiteral("Night crawler"));
    setText(get("Text3"), QStringLiteral("released"));
    setText(get("DBCombo1"), QStringLiteral("Bass"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(m_fish->cycle()->state(), CycleState::Browse);
    QCOMPARE(value("SELECT Fish3 || '/' || Lure3 || '/' || Remarks3 || '/' || Fish1 FROM Log").toString(),
             QStringLiteral("Sturgeon/Night crawler/released/Bass"));
    // Typed names are kept with the trip, not added to the lists.
    QCOMPARE(value("SELECT count(*) FROM Fish").toInt(), 2);
    // Nothing is required: emptying them all is saved too.
    QVERIFY(click("cmdEdit"));
    for (const char *name : kFields)
        setText(get(name), QString());
    QVERIFY(click("cmdSave"));
    QCOMPARE(m_fish->cycle()->state(), CycleState::Browse);
    QCOMPARE(value("SELECT coalesce(Fish3, '') || coalesce(Fish1, '') FROM Log").toString(), QString());
    QVERIFY(fake().messages.isEmpty());
}

void TestFish::scrolledGroups()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    auto *bar = get<QScrollBar>("VScroll1");
    QWidget *viewport = get("Picture1");
    QWidget *content = get("Picture2");
    QCOMPARE(bar->maximum(), 7200);
    QCOMPARE(bar->singleStep(), 100);
    QCOMPARE(bar->pageStep(), 500);
    QCOMPARE(content->y(), 2); // 30 twips
    const auto inView = [&](const char *name) {
        QWidget *w = get(name);
        return viewport->rect().contains(QRect(w->mapTo(viewport, QPoint(0, 0)), w->size()));
    };
    QVERIFY(!inView("Text5"));
    bar->setValue(7200);
    QCOMPARE(content->y(), qRound((30 - 7200) / 15.0));
    QVERIFY(inView("Text5") && inView("Label23"));
    // Moving through the fields with the keyboard brings each into view.
    QVERIFY(click("cmdEdit"));
    QVERIFY(inView("DBCombo1"));
    get("Text4")->setFocus();
    QVERIFY(inView("Text4"));
}

void TestFish::printOpensReportChoice()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    QVERIFY(click("cmdPrint"));
    QPointer<QWidget> choice = WindowRegistry::find(QStringLiteral("frmPrintfish"));
    QVERIFY(choice && choice->isVisible());
    QVERIFY(fake().reports.isEmpty());
    QCOMPARE(m_fish->cycle()->state(), CycleState::Browse);
    // Enter takes the report button that has the focus; Escape leaves the choice.
    QVERIFY(activate(choice));
    auto *log = choice->findChild<QPushButton *>(QStringLiteral("cmdPrintlog"));
    log->setFocus();
    QSignalSpy spy(log, &QPushButton::clicked);
    QTest::keyClick(log, Qt::Key_Return);
    QCOMPARE(spy.count(), 1);
    QTest::keyClick(log, Qt::Key_Escape);
    ScreenDriver::releaseClosed();
    QVERIFY(!choice);
}

void TestFish::sortShowsTripsAddedElsewhere()
{
    addTrip("2026-07-04", "Middle Lake");
    QVERIFY(openFish());
    addTrip("2026-01-01", "Alder Lake");
    QVERIFY(click("cmdLake"));
    auto *grid = get<QTableView>("DBGrid1");
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(shownText(get("Label5")), QStringLiteral("Alder Lake"));
    QVERIFY(click("cmdDate"));
    QCOMPARE(shownText(get("Label5")), QStringLiteral("Middle Lake"));
}

// The fish screen writes only the fish columns and the log only its own, so
// neither loses what the other saved; coming back to the fish screen shows the
// trip as the log left it.
void TestFish::sameTripInTheLogAtOnce()
{
    addTrip("2026-07-04", "Old Name", "Walleye");
    auto *logs = WindowRegistry::open<frmLogs>();
    QVERIFY(openFish());
    QVERIFY(click("cmdEdit"));
    setText(get("DBCombo1"), QStringLiteral("Bass"));
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdEdit"), Qt::LeftButton);
    logs->findChild<QComboBox *>("DBCombo1")->setEditText(QStringLiteral("New Name"));
    QVERIFY(click("cmdSave"));
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(value("SELECT Lake || '/' || Fish1 FROM Log").toString(), QStringLiteral("New Name/Bass"));

    QVERIFY(activate(logs));
    QCOMPARE(shownText(get("Label5")), QStringLiteral("Old Name"));
    QVERIFY(activate(m_fish));
    QCOMPARE(shownText(get("Label5")), QStringLiteral("New Name"));
    QCOMPARE(shownText(get("DBCombo1")), QStringLiteral("Bass"));
}

void TestFish::longRemarksComeBackWhole()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    const QString megabyte = QStringLiteral("Long remark with ümlauts. ").repeated(40330);
    QVERIFY(click("cmdEdit"));
    setText(get("Text2"), megabyte);
    QVERIFY(click("cmdSave"));
    QVERIFY(m_fish = reopen<frmFish>());
    QCOMPARE(shownText(get("Text2")), megabyte);
}

// Enter starts a new line of a remark; the lines are kept apart in the file and come back so.
void TestFish::remarksTakeSeveralLines()
{
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    QVERIFY(click("cmdEdit"));
    auto *remarks = get<QPlainTextEdit>("Text2");
    QVERIFY(remarks);
    QCOMPARE(remarks->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    remarks->setFocus();
    QTest::keyClicks(remarks, QStringLiteral("on a jig"));
    QTest::keyClick(remarks, Qt::Key_Return);
    QTest::keyClicks(remarks, QStringLiteral("released"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Remarks2 FROM Log").toString(), QStringLiteral("on a jig\nreleased"));
    QVERIFY(m_fish = reopen<frmFish>());
    QCOMPARE(get<QPlainTextEdit>("Text2")->toPlainText(), QStringLiteral("on a jig\nreleased"));
}

void TestFish::failedWriteKeepsTyping_data()
{
    QTest::addColumn<bool>("deleteTrip");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file held by another program") << false << "locked";
    QTest::newRow("trip deleted in the log") << true << "deleted by another window";
}

void TestFish::failedWriteKeepsTyping()
{
    QFETCH(bool, deleteTrip);
    QFETCH(QString, reason);
    addTrip("2026-07-04", "Lake");
    QVERIFY(openFish());
    QVERIFY(click("cmdEdit"));
    setText(get("Text1"), QStringLiteral("precious remark"));
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(db().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, deleteTrip ? "DELETE FROM Log" : "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(click("cmdSave"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const auto &messages = fake().messages;
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].text.startsWith(QLatin1String("This Log could not be saved:\n")),
             qPrintable(messages[0].text));
    QVERIFY2(messages[0].text.contains(reason), qPrintable(messages[0].text));
    QCOMPARE(m_fish->cycle()->state(), CycleState::Editing);
    QCOMPARE(shownText(get("Text1")), QStringLiteral("precious remark"));
    QVERIFY(get("jcSave")->isVisible());
}

TF_TEST_MAIN(TestFish)
#include "tst_frmfish.moc"
