// The fishing notebook as a user meets it: its texts and shape, the trip
// following the grid, notes locked outside Edit, the required notes, the diary
// report, bringing the log back on closing, long notes, a trip changed in the
// log at the same time, and a write that fails.

#include "FakePlatform.h"
#include "TestMain.h"
#include "data/FieldValue.h"
#include "screens/RecordCycle.h"
#include "screens/frmLogs.h"
#include "screens/frmNotebook.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <sqlite3.h>

using namespace tf;
using namespace tf::test;

class TestNotebook : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void tripFollowsTheGrid();
    void requiredNotes_data();
    void requiredNotes();
    void printsTheDiary();
    void closingBringsBackTheLog();
    void longNotesComeBackWhole();
    void sameTripInTheLogAtOnce();
    void failedWriteKeepsTyping();

private:
    frmNotebook *openNotebook();
    void addTrip(const QString &date, const QString &lake, const QString &notes);
    template <class T = QWidget> T *get(const char *name) const { return m_book->findChild<T *>(QLatin1String(name)); }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    QPlainTextEdit *notes() const { return get<QPlainTextEdit>("Text1"); }

    std::unique_ptr<FakePlatformScope> m_scope;
    QString m_db;
    QPointer<frmNotebook> m_book;
};

void TestNotebook::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
}

void TestNotebook::cleanup()
{
    WindowRegistry::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_scope.reset();
}

frmNotebook *TestNotebook::openNotebook()
{
    m_book = WindowRegistry::open<frmNotebook>();
    if (m_book) {
        m_book->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(m_book);
    }
    return m_book;
}

void TestNotebook::addTrip(const QString &date, const QString &lake, const QString &notes)
{
    QVERIFY(execSql(
        m_db,
        QStringLiteral("INSERT INTO Log (Date, Lake, Notebook) VALUES ('%1', '%2', '%3')").arg(date, lake, notes)));
}

void TestNotebook::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("title") << "Label1"
                           << "Notebook"
                           << "";
    QTest::newRow("instruction")
        << "Label10"
        << "Select the fishing trip that you would like to add extra notes about and then click \"Edit\"."
        << "";
    QTest::newRow("date caption") << "Label4"
                                  << "Date:"
                                  << "";
    QTest::newRow("notes frame") << "jcFrames1"
                                 << "Extra Notes"
                                 << "";
    QTest::newRow("menu") << "jcFrames4"
                          << "Menu"
                          << "";
    QTest::newRow("edit") << "cmdEdit"
                          << "Edit"
                          << " Edit this Page ";
    QTest::newRow("sort date") << "cmdDate"
                               << "Date"
                               << " Sort by Date ";
    QTest::newRow("save note") << "Label8"
                               << "Click Save or Cancel before you can Exit."
                               << "";
    QTest::newRow("edit mode") << "Label9"
                               << " Edit Mode "
                               << "";
}

void TestNotebook::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    addTrip("2026-07-04", "Lake", "notes");
    QVERIFY(openNotebook());
    QCOMPARE(m_book->windowTitle(), QStringLiteral("Fishing Notebook"));
    QVERIFY(m_book->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(m_book->mask(), shapedRegion());
    QWidget *w = get(qPrintable(name));
    QVERIFY2(w, qPrintable(name));
    QString shown;
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        shown = b->text();
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        shown = g->title();
    else if (auto *l = qobject_cast<QLabel *>(w))
        shown = l->text();
    QCOMPARE(shown, text);
    QCOMPARE(w->toolTip(), toolTip);
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
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 1)).center());
    QCOMPARE(get<QLabel>("Label3")->text(), FieldValue::toDisplayText(FieldValue::fromDate(QDate(2026, 5, 2))));
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("Zander Lake"));
    QCOMPARE(notes()->toPlainText(), QStringLiteral("older notes"));
    click("cmdEdit");
    QVERIFY(!notes()->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), notes());
    QVERIFY(!grid->isEnabled() && !get("jcSort")->isEnabled() && !get("cmdMinimize")->isEnabled());
    QVERIFY(get("Label8")->isVisible() && get("Label9")->isVisible());
    // Sorting by lake shows the first lake's trip.
    click("cmdCancel");
    click("cmdLake");
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("Newer Lake"));
    QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("Newer Lake"));
}

void TestNotebook::requiredNotes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("emptied") << "" << false;
    QTest::newRow("blanks count as notes") << "   " << true;
    QTest::newRow("new notes") << "Caught two on a jig." << true;
}

void TestNotebook::requiredNotes()
{
    QFETCH(QString, typed);
    QFETCH(bool, saved);
    addTrip("2026-07-04", "Lake", "stored notes");
    QVERIFY(openNotebook());
    click("cmdEdit");
    notes()->setPlainText(typed);
    click("cmdSave");
    const auto &messages = m_scope->fake().messages;
    const QString stored = querySingle(m_db, "SELECT Notebook FROM Log").toString();
    if (saved) {
        QVERIFY(messages.isEmpty());
        QCOMPARE(m_book->cycle()->state(), CycleState::Browse);
        QCOMPARE(stored, typed);
        return;
    }
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Please enter some notes or click Cancel."));
    QCOMPARE(messages[0].icon, MessageIcon::Exclamation);
    QCOMPARE(m_book->cycle()->state(), CycleState::Editing);
    QCOMPARE(QApplication::focusWidget(), notes());
    QCOMPARE(stored, QStringLiteral("stored notes"));
    click("cmdCancel");
    QCOMPARE(notes()->toPlainText(), QStringLiteral("stored notes"));
}

void TestNotebook::printsTheDiary()
{
    addTrip("2026-07-04", "Lake", "notes");
    QVERIFY(openNotebook());
    click("cmdPrint");
    const auto &reports = m_scope->fake().reports;
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports[0].first, QStringLiteral("diary.rpt"));
    QCOMPARE(reports[0].second, m_book.data());
}

void TestNotebook::closingBringsBackTheLog()
{
    addTrip("2026-07-04", "Lake", "notes");
    auto *logs = WindowRegistry::open<frmLogs>();
    QVERIFY(openNotebook());
    logs->showMinimized();
    QVERIFY(logs->windowState() & Qt::WindowMinimized);
    click("cmdExit");
    QVERIFY(!(logs->windowState() & Qt::WindowMinimized));
}

void TestNotebook::longNotesComeBackWhole()
{
    addTrip("2026-07-04", "Lake", "short");
    QVERIFY(openNotebook());
    const QString megabyte = QStringLiteral("Line of notes with ümlauts\n").repeated(38840);
    click("cmdEdit");
    notes()->setPlainText(megabyte);
    click("cmdSave");
    m_book->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(openNotebook());
    QCOMPARE(notes()->toPlainText(), megabyte);
}

// The notebook writes only the notes, the log never them: both edits of one
// trip are kept, and coming back to the notebook shows the lake the log saved.
void TestNotebook::sameTripInTheLogAtOnce()
{
    addTrip("2026-07-04", "Old Name", "old notes");
    auto *logs = WindowRegistry::open<frmLogs>();
    QVERIFY(openNotebook());
    click("cmdEdit");
    notes()->setPlainText(QStringLiteral("new notes"));
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdEdit"), Qt::LeftButton);
    logs->findChild<QComboBox *>("DBCombo1")->setEditText(QStringLiteral("New Name"));
    logs->findChild<QPlainTextEdit *>("Text9")->setPlainText(QStringLiteral("log remarks"));
    click("cmdSave");
    QTest::mouseClick(logs->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(querySingle(m_db, "SELECT Lake || '/' || Notes || '/' || Notebook FROM Log").toString(),
             QStringLiteral("New Name/log remarks/new notes"));

    logs->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(logs));
    m_book->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_book));
    QCOMPARE(get<QLabel>("Label5")->text(), QStringLiteral("New Name"));
    QCOMPARE(notes()->toPlainText(), QStringLiteral("new notes"));
}

void TestNotebook::failedWriteKeepsTyping()
{
    addTrip("2026-07-04", "Lake", "old notes");
    QVERIFY(openNotebook());
    click("cmdEdit");
    notes()->setPlainText(QStringLiteral("precious notes"));
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(m_db.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    click("cmdSave");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const auto &messages = m_scope->fake().messages;
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].text.startsWith(QLatin1String("This Log could not be saved:\n")),
             qPrintable(messages[0].text));
    QCOMPARE(m_book->cycle()->state(), CycleState::Editing);
    QCOMPARE(notes()->toPlainText(), QStringLiteral("precious notes"));
    QVERIFY(!get("cmdExit")->isEnabled());
    click("cmdSave");
    QCOMPARE(querySingle(m_db, "SELECT Notebook FROM Log").toString(), QStringLiteral("precious notes"));
}

TF_TEST_MAIN(TestNotebook)
#include "tst_frmnotebook.moc"
