// The log search window, driven as a user drives it: what it lists at load,
// which column each button searches, the matching rules, and the one warning
// for a text that cannot be searched for. The file is never written.

#include "ScreenTest.h"
#include "TestMain.h"
#include "search/frmSearch.h"
#include "shell/WindowRegistry.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using namespace tf;
using namespace tf::test;

namespace {

using Row = QList<QPair<QString, QVariant>>; // column, value (null QVariant for NULL)

QString sqlLiteral(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + v.toString().replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

bool addTrip(const QString &db, const Row &row)
{
    QStringList columns, values;
    for (const auto &[column, value] : row) {
        columns << QLatin1Char('[') + column + QLatin1Char(']');
        values << sqlLiteral(value);
    }
    return execSql(db, QStringLiteral("INSERT INTO Log (%1) VALUES (%2)").arg(columns.join(','), values.join(',')));
}

QStringList lines(QWidget *w)
{
    QStringList r;
    const QAbstractItemModel *model = w->findChild<QListView *>("List1")->model();
    for (int i = 0; i < model->rowCount(); ++i)
        r << model->index(i, 0).data().toString();
    return r;
}

const QString kLongText(100000, QLatin1Char('y'));

// Flips one bit of the type byte of the Log table's root page, or of the last
// leaf page it leads to, as a failing disk might; with `changed`, the file's
// change counter moves too, as when the damage comes while a window is open.
bool damageLog(const QString &path, bool leaf, bool changed)
{
    QByteArray file = readAll(path);
    const int pageSize = querySingle(path, "PRAGMA page_size").toInt();
    qint64 page = querySingle(path, "SELECT rootpage FROM sqlite_master WHERE name = 'Log'").toLongLong();
    auto byte = [&](qint64 offset) -> uchar & { return reinterpret_cast<uchar &>(file[offset]); };
    if (byte((page - 1) * pageSize) != 0x05)
        return false;
    while (leaf && byte((page - 1) * pageSize) == 0x05) {
        const qint64 right = (page - 1) * pageSize + 8;
        page =
            qint64(byte(right)) << 24 | qint64(byte(right + 1)) << 16 | qint64(byte(right + 2)) << 8 | byte(right + 3);
    }
    byte((page - 1) * pageSize) ^= 0x04;
    if (changed)
        ++byte(27);
    return writeAll(path, file);
}

bool addManyTrips(const QString &db, int count)
{
    return execSql(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                      "INSERT INTO Log (Date, Lake, Notes) SELECT '2024-01-01', 'Lake ' || i, "
                                      "'a bass on trip ' || i FROM n")
                           .arg(count));
}
} // namespace

class TestFrmSearch : public ScreenTest
{
    Q_OBJECT
private slots:
    void layoutAndCaptions();
    void listAtLoad();
    void eachButtonSearchesItsColumn_data();
    void eachButtonSearchesItsColumn();
    void searchText_data();
    void searchText();
    void keyboard();
    void tripsAddedLaterNeedReopening();
    void unreadableDatabase_data();
    void unreadableDatabase();
    void damageFoundWhileOpen();

private:
    frmSearch *open() { return ui().open<frmSearch>(); }
    // The log screen opens the window by name, as the program's catalog defines it.
    void prepare() override { WindowRegistry::define<frmSearch>(); }
    void search(frmSearch *w, const QString &button, const QString &text);
};

void TestFrmSearch::search(frmSearch *w, const QString &button, const QString &text)
{
    w->findChild<QLineEdit *>("Text1")->setText(text);
    auto *b = w->findChild<QPushButton *>(button);
    b->setFocus();
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestFrmSearch::layoutAndCaptions()
{
    auto *w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Search Form"));
    QCOMPARE(w->findChild<QLabel *>("Label1")->text(), QStringLiteral("Search for:"));
    QCOMPARE(w->findChild<QLabel *>("Label3")->text(), QStringLiteral("Search in:"));
    QCOMPARE(w->findChild<QLabel *>("Label2")->text(), QStringLiteral("Fishing Logs that contain the search word."));
    QCOMPARE(w->findChild<QPushButton *>("cmdExit")->text(), QStringLiteral("Exit"));
    QVERIFY(w->findChild<QLineEdit *>("Text1")->text().isEmpty());

    // Sizable: the list takes the room the window gains, the buttons keep their height.
    auto *list = w->findChild<QListView *>("List1");
    auto *remarks = w->findChild<QPushButton *>("Command1");
    QVERIFY(w->minimumSize() != w->maximumSize());
    w->resize(640, 480);
    w->layout()->activate();
    const int listHeight = list->height(), buttonHeight = remarks->height();
    w->resize(900, 800);
    w->layout()->activate();
    QVERIFY(list->height() >= listHeight + 300);
    QCOMPARE(remarks->height(), buttonHeight);
    QVERIFY(w->findChild<QLineEdit *>("Text1")->width() > 600);

    QTest::mouseClick(w->findChild<QPushButton *>("cmdExit"), Qt::LeftButton);
    ScreenDriver::releaseClosed();
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmSearch")));
}

void TestFrmSearch::listAtLoad()
{
    // Table order, not date order; trips without a date are never listed.
    QVERIFY(addTrip(db(), {{"Date", "2024-05-01"}, {"Lake", "Pine Lake"}}));
    QVERIFY(addTrip(db(), {{"Date", QVariant()}, {"Lake", "No Date Pond"}}));
    QVERIFY(addTrip(db(), {{"Date", "2023-12-24"}, {"Lake", QVariant()}}));
    QVERIFY(addTrip(db(), {{"Date", ""}, {"Lake", "Empty Date Pond"}}));
    QVERIFY(addTrip(db(), {{"Date", "2025-11-30"}, {"Lake", ""}}));
    QVERIFY(addTrip(db(), {{"Date", "2024-06-02 06:30:00"}, {"Lake", "Озеро Рыбное"}}));
    QVERIFY(addTrip(db(), {{"Date", "2024-06-03 00:00:00"}, {"Lake", "Oak Lake"}}));
    const QByteArray before = readAll(db());

    auto *w = open();
    QVERIFY(w);
    QCOMPARE(lines(w), (QStringList{"5/1/24    (Pine Lake)", "12/24/23    ()", "11/30/25    ()",
                                    "6/2/24 6:30:00 AM    (Озеро Рыбное)", "6/3/24    (Oak Lake)"}));
    QVERIFY(fake().messages.isEmpty());
    w->close();
    QCOMPARE(readAll(db()), before);
}

void TestFrmSearch::eachButtonSearchesItsColumn_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("column");
    QTest::newRow("Command1") << "Command1"
                              << "Remarks"
                              << "Notes";
    QTest::newRow("Command2") << "Command2"
                              << "Lakes or Rivers"
                              << "Lake";
    QTest::newRow("Command3") << "Command3"
                              << "Lures"
                              << "Best Lure";
    QTest::newRow("Command4") << "Command4"
                              << "Notebook"
                              << "Notebook";
    QTest::newRow("Command5") << "Command5"
                              << "Lure Color"
                              << "Lure Color";
    QTest::newRow("Command6") << "Command6"
                              << "Water Temperature"
                              << "Water Temp";
    QTest::newRow("Command7") << "Command7"
                              << "Weather"
                              << "Weather";
    QTest::newRow("Command8") << "Command8"
                              << "Structure"
                              << "Structure";
    QTest::newRow("Command9") << "Command9"
                              << "Depth"
                              << "Best Depth";
    QTest::newRow("Command10") << "Command10"
                               << "Location"
                               << "Location";
}

void TestFrmSearch::eachButtonSearchesItsColumn()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, column);
    const QStringList searched = {"Notes",      "Lake",    "Best Lure", "Notebook",   "Lure Color",
                                  "Water Temp", "Weather", "Structure", "Best Depth", "Location"};
    // The word in this column only; in every other searched column of a second
    // trip; in this column of a trip without a date; and a null in a fourth trip.
    const QString hitLake = column == "Lake" ? QStringLiteral("Big QUOKKA Bay") : QStringLiteral("Hit Lake");
    QVERIFY(addTrip(db(), {{"Date", "2024-07-04"}, {"Lake", hitLake}, {column, "the Quokka one"}}));
    Row others{{"Date", "2024-07-05"}};
    for (const QString &c : searched)
        if (c != column)
            others << qMakePair(c, QVariant("quokka"));
    QVERIFY(addTrip(db(), others));
    QVERIFY(addTrip(db(), {{"Date", QVariant()}, {"Lake", "Undated"}, {column, "quokka"}}));
    QVERIFY(addTrip(db(), {{"Date", "2024-07-06"},
                           {"Lake", column == "Lake" ? QVariant() : QVariant("Null Lake")},
                           {column, QVariant()}}));
    const QByteArray before = readAll(db());

    auto *w = open();
    QVERIFY(w);
    QCOMPARE(w->findChild<QPushButton *>(button)->text(), caption);
    search(w, button, QStringLiteral("quokka"));
    QCOMPARE(lines(w), QStringList{QStringLiteral("7/4/24    (%1)").arg(hitLake)});
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(readAll(db()), before);
}

void TestFrmSearch::searchText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // lakes of the trips listed
    QTest::addColumn<bool>("warning");
    const QStringList none;
    QTest::newRow("lower finds any case") << "bass" << QStringList{"Bass", "Caps"} << false;
    QTest::newRow("upper finds any case") << "BASS" << QStringList{"Bass", "Caps"} << false;
    QTest::newRow("no match") << "muskie" << none << false;
    // Every trip whose notes hold any text, even an empty one: all but "None".
    const QStringList anyText = {"Bass",  "Caps",  "Slash", "Pct",  "Under", "Brack", "Digit",
                                 "World", "Quote", "Apos",  "Dads", "Empty", "Long"};
    QTest::newRow("empty text") << "" << anyText << false;
    QTest::newRow("star") << "*" << anyText << false;
    QTest::newRow("question mark") << "k?ep" << QStringList{"Apos"} << false;
    QTest::newRow("hash is a digit") << "# walleye" << QStringList{"Digit"} << false;
    QTest::newRow("digit set") << "[0-9]0%" << QStringList{"Pct"} << false;
    QTest::newRow("not-set") << "[!a-z ]walleye" << none << false;
    QTest::newRow("bracket as a set") << "[[]red]" << QStringList{"Brack"} << false;
    QTest::newRow("closing bracket") << "]" << QStringList{"Brack"} << false;
    QTest::newRow("backslash") << "\\tackle\\" << QStringList{"Slash"} << false;
    QTest::newRow("percent is plain") << "100%" << QStringList{"Pct"} << false;
    QTest::newRow("percent no wildcard") << "1%e" << none << false;
    QTest::newRow("underscore is plain") << "top_" << QStringList{"Under"} << false;
    QTest::newRow("underscore no wildcard") << "to_" << none << false;
    QTest::newRow("double quote") << "\"big one\"" << QStringList{"Quote"} << false;
    QTest::newRow("greek, other case") << "ΠΈΡΚΑ" << QStringList{"World"} << false;
    QTest::newRow("cyrillic, other case") << "окунь" << QStringList{"World"} << false;
    QTest::newRow("cjk") << "鲈鱼" << QStringList{"World"} << false;
    QTest::newRow("emoji") << "🐟" << QStringList{"World"} << false;
    QTest::newRow("emoji is one character") << "鱼 ?!" << QStringList{"World"} << false;
    QTest::newRow("long text found whole") << kLongText << QStringList{"Long"} << false;
    QTest::newRow("long text not found") << kLongText + "z" << none << false;
    QTest::newRow("long repetitive word") << QString(9999, QLatin1Char('y')) << QStringList{"Long"} << false;
    QTest::newRow("long repetitive word not found") << QString(9999, QLatin1Char('y')) + "z" << none << false;
    // Apostrophes are searched for as typed.
    QTest::newRow("apostrophe") << "it's" << QStringList{"Apos"} << false;
    QTest::newRow("possessive") << "Dad's" << QStringList{"Dads"} << false;
    QTest::newRow("decade") << "70's" << QStringList{"Dads"} << false;
    QTest::newRow("apostrophe alone") << "'" << QStringList{"Apos", "Dads"} << false;
    QTest::newRow("doubled apostrophe is two") << "it''s" << none << false;
    QTest::newRow("apostrophe trick") << "x' OR Lake LIKE '*" << none << false;
    QTest::newRow("long text with apostrophe") << kLongText + "'" << none << false;
    QTest::newRow("open bracket") << "[" << none << true;
    QTest::newRow("open not-bracket") << "[!" << none << true;
    QTest::newRow("backward range") << "[z-a]" << none << true;
}

void TestFrmSearch::searchText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QFETCH(bool, warning);
    const QList<QPair<QString, QVariant>> notes = {{"Bass", "Two bass on a jig"},
                                                   {"None", QVariant()},
                                                   {"Caps", "BIG BASS"},
                                                   {"Slash", "C:\\tackle\\box"},
                                                   {"Pct", "100% sure"},
                                                   {"Under", "top_water frog"},
                                                   {"Brack", "lure [red] head"},
                                                   {"Digit", "caught 3 walleye"},
                                                   {"World", "Окунь и πέρκα, 鲈鱼 🐟!"},
                                                   {"Quote", "said \"big one\""},
                                                   {"Apos", "it's a keeper"},
                                                   {"Dads", "Dad's lure from the 70's"},
                                                   {"Empty", ""},
                                                   {"Long", kLongText}};
    int day = 1;
    for (const auto &[lake, note] : notes)
        QVERIFY(addTrip(db(), {{"Date", QStringLiteral("2024-08-%1").arg(day++, 2, 10, QLatin1Char('0'))},
                               {"Lake", lake},
                               {"Notes", note}}));
    QVERIFY(addTrip(db(), {{"Date", QVariant()}, {"Lake", "Undated"}, {"Notes", text}}));
    const QByteArray before = readAll(db());

    auto *w = open();
    QVERIFY(w);
    QAbstractItemModelTester tester(w->findChild<QListView *>("List1")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList want;
    for (int i = 0; i < notes.size(); ++i)
        if (expected.contains(notes[i].first))
            want << QStringLiteral("8/%1/24    (%2)").arg(i + 1).arg(notes[i].first);
    // A search that lists something first, so the list must be cleared.
    search(w, "Command2", "a");
    QVERIFY(!lines(w).isEmpty());
    search(w, "Command1", text);
    QCOMPARE(w->findChild<QLineEdit *>("Text1")->text(), text);
    QCOMPARE(lines(w), want);
    const auto &messages = fake().messages;
    QCOMPARE(messages.size(), warning ? 1 : 0);
    if (warning) {
        QCOMPARE(messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(messages[0].title, QStringLiteral("Search Error"));
        QCOMPARE(messages[0].text,
                 QStringLiteral("A [ in the search text starts a set of letters that must end with ], such as [a-z]; a "
                                "range runs from low to high.\nTo search for a [ itself, type [[]."));
        QCOMPARE(messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(w->focusWidget(), w->findChild<QLineEdit *>("Text1"));
    } else {
        QCOMPARE(w->focusWidget(), w->findChild<QPushButton *>("Command1"));
    }
    w->close();
    QCOMPARE(readAll(db()), before);
}

void TestFrmSearch::keyboard()
{
    QVERIFY(addTrip(db(), {{"Date", "2024-05-01"}, {"Lake", "Pine Lake"}, {"Weather", "Rain"}}));
    QVERIFY(addTrip(db(), {{"Date", "2024-05-02"}, {"Lake", "Oak Lake"}, {"Weather", "Sun"}}));
    auto *w = open();
    QVERIFY(w);
    auto *text = w->findChild<QLineEdit *>("Text1");
    QTest::keyClicks(text, "rain");
    // Enter in the search text chooses no column: nothing happens.
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(lines(w).size(), 2);
    // Enter or Space on a focused button runs its search.
    auto *weather = w->findChild<QPushButton *>("Command7");
    weather->setFocus();
    QTest::keyClick(weather, Qt::Key_Return);
    QCOMPARE(lines(w), QStringList{"5/1/24    (Pine Lake)"});
    text->setText("sun");
    QTest::keyClick(weather, Qt::Key_Space);
    QCOMPARE(lines(w), QStringList{"5/2/24    (Oak Lake)"});
    // Tab goes from the search text through the buttons in order.
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), w->findChild<QPushButton *>("Command1"));
    QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), w->findChild<QPushButton *>("Command2"));
}

void TestFrmSearch::tripsAddedLaterNeedReopening()
{
    QVERIFY(addTrip(db(), {{"Date", "2024-05-01"}, {"Lake", "Pine Lake"}, {"Notes", "bass"}}));
    auto *w = open();
    QVERIFY(w);
    QVERIFY(addTrip(db(), {{"Date", "2024-05-02"}, {"Lake", "Oak Lake"}, {"Notes", "more bass"}}));
    search(w, "Command1", "bass");
    QCOMPARE(lines(w), QStringList{"5/1/24    (Pine Lake)"});
    w->close();
    ScreenDriver::releaseClosed();
    w = open();
    QVERIFY(w);
    search(w, "Command1", "bass");
    QCOMPARE(lines(w), (QStringList{"5/1/24    (Pine Lake)", "5/2/24    (Oak Lake)"}));
}

void TestFrmSearch::unreadableDatabase_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("truncated") << "truncated";
    QTest::newRow("no Log table") << "nolog";
    QTest::newRow("damaged root page") << "root";
    QTest::newRow("damaged leaf page") << "leaf";
}

void TestFrmSearch::unreadableDatabase()
{
    QFETCH(QString, damage);
    if (damage == "missing") {
        QVERIFY(QFile::remove(db()));
    } else if (damage == "garbage") {
        QVERIFY(writeAll(db(), QByteArray(8192, 'x')));
    } else if (damage == "truncated") {
        QVERIFY(sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                    "INSERT INTO Log (Date, Lake, Notes) SELECT '2024-01-01', 'Lake ' || i, "
                    "printf('%.500c', 'n') FROM n"));
        const QByteArray whole = readAll(db());
        QVERIFY(writeAll(db(), whole.left(whole.size() / 2)));
    } else if (damage == "root" || damage == "leaf") {
        QVERIFY(addManyTrips(db(), 3000));
        QVERIFY(damageLog(db(), damage == "leaf", false));
    } else {
        QVERIFY(sql("DROP TABLE Log"));
    }
    const QByteArray before = readAll(db());

    QVERIFY(!open());
    QVERIFY(!WindowRegistry::find(QStringLiteral("frmSearch")));
    const auto &messages = fake().messages;
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].icon, MessageIcon::Exclamation);
    QVERIFY2(messages[0].text.startsWith(QStringLiteral("The fishing logs cannot be searched now.\n")),
             qPrintable(messages[0].text));
    // Which file, and where the user can mend it.
    QVERIFY(messages[0].text.contains(QDir::toNativeSeparators(db())));
    QVERIFY(messages[0].text.contains(QStringLiteral("\"Exit & Backup Database\"")));
    if (damage == "root" || damage == "leaf")
        QVERIFY2(messages[0].text.contains(QStringLiteral("\ndatabase disk image is malformed\n")),
                 qPrintable(messages[0].text));
    QCOMPARE(QFile::exists(db()), damage != "missing");
    QCOMPARE(readAll(db()), before);
}

// The file is damaged after the window opened: a search that runs into it says
// the file cannot be read (not that the text was wrong), every time; reading
// the lines does not say it again, and lists no trip as blanks.
void TestFrmSearch::damageFoundWhileOpen()
{
    QVERIFY(addManyTrips(db(), 3000));
    auto *w = open();
    QVERIFY(w);
    QCOMPARE(lines(w).size(), 3000);
    QVERIFY(damageLog(db(), true, true));
    const QByteArray before = readAll(db());
    const auto &messages = fake().messages;

    search(w, "Command1", "bass");
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].text.contains(QStringLiteral("cannot be read.\ndatabase disk image is malformed\n")),
             qPrintable(messages[0].text));
    QVERIFY(messages[0].title != QStringLiteral("Search Error"));
    QCOMPARE(w->focusWidget(), w->findChild<QLineEdit *>("Text1"));
    QCoreApplication::processEvents();
    QCOMPARE(messages.size(), 1);

    search(w, "Command1", "bass");
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1].text, messages[0].text);
    // A bad text is still the user's to mend.
    search(w, "Command1", "[");
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[2].title, QStringLiteral("Search Error"));
    for (const QString &line : lines(w))
        QVERIFY(!line.endsWith(QStringLiteral("    ()")));
    QCoreApplication::processEvents();
    QCOMPARE(messages.size(), 3);
    w->close();
    QCOMPARE(readAll(db()), before);
}

TF_TEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
