// The fishing notebook as a user meets it: its texts and shape, the trip
// following the grid, notes locked outside Edit, bringing the log back on closing, long notes, a trip changed in the
// log at the same time, and a write that fails.

#include "ScreenTest.h"
#include "TestMain.h"
#include "data/FieldValue.h"
#include "screens/RecordCycle.h"
#include "screens/frmLogs.h"
#include "screens/frmNotebook.h"
#include "shell/WindowChrome.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

class TestNotebook : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void tripFollowsTheGrid();
    void closingBringsBackTheLog();
    void longNotesComeBackWhole();
    void sameTripInTheLogAtOnce();
    void failedWriteKeepsTyping();

private:
    frmNotebook *openNotebook() { return m_book = open<frmNotebook>(); }
    void addTrip(const QString &date, const QString &lake, const QString &notes);
    QPlainTextEdit *notes() const { return get<QPlainTextEdit>("Text1"); }

    QPointer<frmNotebook> m_book;
};

void TestNotebook::addTrip(const QString &date, const QString &lake, const QString &notes)
{
    QVERIFY(
        sql(QStringLiteral("INSERT INTO Log (Date, Lake, Notebook) VALUES ('%1', '%2', '%3')").arg(date, lake, notes)));
}

void TestNotebook::texts_data()
{
    textTable({
        {"Label1", "Notebook", ""},
        {"Label10", "Select the fishing trip that you would like to add extra notes about and then click \"Edit\".",
         ""},
        {"Label4", "Date:", ""},
        {"jcFrames1", "Extra Notes", ""},
        {"jcFrames4", "Menu", ""},
        {"cmdEdit", "Edit", " Edit this Page "},
        {"cmdDate", "Date", " Sort by Date "},
        {"Label8", "Click Save or Cancel before you can Exit.", ""},
        {"Label9", " Edit Mode ", ""},
    });
}

void TestNotebook::texts()
{
    addTrip("2026-07-04", "Lake", "notes");
    QVERIFY(openNotebook());
    QCOMPARE(m_book->windowTitle(), QStringLiteral("Fishing Notebook"));
    QVERIFY(m_book->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(m_book->mask(), shapedRegion());
    checkText();
    QVERIFY(!get("cmdNew") && !get("cmdDelete"));
}

void TestNotebook::tripFollowsTheGrid()
{
    addTrip("2026-05-02", "Zander Lake", "older notes");
    addTrip("2026-07-04", "Newer Lake", "newer notes");
    QVERIFY(openNotebook());
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("Newer Lake"));
    QCOMPARE(notes()->toPlainText(), QStringLiteral("newer notes"));
    QVERIFY(notes()->isReadOnly());
    auto *grid = get<QTableView>("DBGrid1");
    QVERIFY(ScreenDriver::chooseRow(grid, 1));
    QCOMPARE(get<QLabel>("Label3")->text(), FieldValue::toDisplayText(FieldValue::fromDate(QDate(2026, 5, 2))));
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("Zander Lake"));
    QCOMPARE(notes()->toPlainText(), QStringLiteral("older notes"));
    QVERIFY(click("cmdEdit"));
    QVERIFY(!notes()->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), notes());
    QVERIFY(!grid->isEnabled() && !get("jcSort")->isEnabled() && !get("cmdMinimize")->isEnabled());
    QVERIFY(get("Label8")->isVisible() && get("Label9")->isVisible());
    // Sorting by lake shows the first lake's trip.
    QVERIFY(click("cmdCancel"));
    QVERIFY(click("cmdLake"));
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("Newer Lake"));
    QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("Newer Lake"));
}

void TestNotebook::closingBringsBackTheLog()
{
    addTrip("2026-07-04", "Lake", "notes");
    auto *logs = WindowRegistry::open<frmLogs>();
    QVERIFY(openNotebook());
    logs->showMinimized();
    QVERIFY(logs->windowState() & Qt::WindowMinimized);
    QVERIFY(click("cmdExit"));
    QVERIFY(!(logs->windowState() & Qt::WindowMinimized));
}

void TestNotebook::longNotesComeBackWhole()
{
    addTrip("2026-07-04", "Lake", "short");
    QVERIFY(openNotebook());
    const QString megabyte = QStringLiteral("Line of notes with ümlauts\n").repeated(38840);
    QVERIFY(click("cmdEdit"));
    notes()->setPlainText(megabyte);
    QVERIFY(click("cmdSave"));
    QVERIFY(m_book = reopen<frmNotebook>());
    QCOMPARE(notes()->toPlainText(), megabyte);
}

// The notebook writes only the notes, the log never them: both edits of one
// trip are kept, and coming back to the notebook shows the lake the log saved.
void TestNotebook::sameTripInTheLogAtOnce()
{
    addTrip("2026-07-04", "Old Name", "old notes");
    auto *logs = WindowRegistry::open<frmLogs>();
    QVERIFY(openNotebook());
    QVERIFY(click("cmdEdit"));
    notes()->setPlainText(QStringLiteral("new notes"));
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdEdit"), Qt::LeftButton);
    logs->findChild<QComboBox *>("DBCombo1")->setEditText(QStringLiteral("New Name"));
    logs->findChild<QPlainTextEdit *>("Text9")->setPlainText(QStringLiteral("log remarks"));
    QVERIFY(click("cmdSave"));
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(value("SELECT Lake || '/' || Notes || '/' || Notebook FROM Log").toString(),
             QStringLiteral("New Name/log remarks/new notes"));

    QVERIFY(activate(logs));
    QVERIFY(activate(m_book));
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("New Name"));
    QCOMPARE(notes()->toPlainText(), QStringLiteral("new notes"));
}

void TestNotebook::failedWriteKeepsTyping()
{
    addTrip("2026-07-04", "Lake", "old notes");
    QVERIFY(openNotebook());
    QVERIFY(click("cmdEdit"));
    notes()->setPlainText(QStringLiteral("precious notes"));
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(db().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(click("cmdSave"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const auto &messages = fake().messages;
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].text.startsWith(QLatin1String("This Log could not be saved:\n")),
             qPrintable(messages[0].text));
    QCOMPARE(m_book->cycle()->state(), CycleState::Editing);
    QCOMPARE(notes()->toPlainText(), QStringLiteral("precious notes"));
    QVERIFY(!get("cmdExit")->isEnabled());
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Notebook FROM Log").toString(), QStringLiteral("precious notes"));
}

TF_TEST_MAIN(TestNotebook)
#include "tst_frmnotebook.moc"
