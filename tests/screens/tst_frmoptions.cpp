// The lookup lists window: four lists, one in view at a time, each with its
// own cycle and texts; names that are already in a list; Edit and Delete on an
// empty list.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/RecordCycle.h"
#include "screens/frmOptions.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>

using namespace tf;
using namespace tf::test;

class TestOptions : public ScreenTest
{
    Q_OBJECT
private slots:
    void opensOnFishAndSwitches();
    void eachList_data();
    void eachList();
    void duplicateNames_data();
    void duplicateNames();
    void emptyList_data();
    void emptyList();

private:
    frmOptions *openOptions() { return m_w = open<frmOptions>(); }
    QStringList gridRows(const QString &grid) const { return gridColumn(get<QTableView>(grid), 0); }

    QPointer<frmOptions> m_w;

    void prepare() override
    {
        QVERIFY(sql("INSERT INTO Lakes (Lakes) VALUES ('Moose River'), ('Acorn Lake');"
                    "INSERT INTO Ramps (Ramps) VALUES ('City Dock');"
                    "INSERT INTO Fish (Fish) VALUES ('Walleye'), ('Bass');"
                    "INSERT INTO Lures (Lure) VALUES ('Jig');"));
    }
};

void TestOptions::opensOnFishAndSwitches()
{
    QVERIFY(openOptions());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Database Options"));
    QCOMPARE(get<QGroupBox>("jcSelect")->title(), QStringLiteral("Select"));
    QVERIFY(get<QWidget>("PicFish")->isVisible());
    QVERIFY(!get<QWidget>("PicLakes")->isVisible());
    // Every name field is locked from the start: none can be typed into in browse state.
    for (const char *name : {"Text1", "Text2", "Text3", "Text4"})
        QVERIFY2(get<QLineEdit>(name)->isReadOnly(), name);

    auto *fishGrid = get<QTableView>("DBGrid2");
    QVERIFY(ScreenDriver::chooseRow(fishGrid, 1));
    QVERIFY(click("cmdLakes"));
    QVERIFY(get<QWidget>("PicLakes")->isVisible());
    QVERIFY(!get<QWidget>("PicFish")->isVisible());
    QCOMPARE(get<QTableView>("DBGrid1")->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Lakes / Rivers Fished"));
    QCOMPARE(gridRows("DBGrid1"), QStringList({"Moose River", "Acorn Lake"}));
    QVERIFY(click("cmdFish"));
    QCOMPARE(get<QLineEdit>("Text2")->text(), QStringLiteral("Bass")); // the list kept its row

    // The lakes grid only selects; the other three take typing.
    QVERIFY(!(get<QTableView>("DBGrid1")->model()->flags(get<QTableView>("DBGrid1")->model()->index(0, 0)) &
              Qt::ItemIsEditable));
    QVERIFY(fishGrid->model()->flags(fishGrid->model()->index(0, 0)) & Qt::ItemIsEditable);

    // While a list is being changed, no other list can be brought into view.
    QVERIFY(click("cmdEdittrail"));
    QVERIFY(!get<QWidget>("jcSelect")->isEnabled());
    QVERIFY(!get<QWidget>("cmdExit")->isEnabled());
    QVERIFY(!get<QLineEdit>("Text2")->isReadOnly());
    QVERIFY(click("cmdCanceltrail"));
    QVERIFY(get<QWidget>("jcSelect")->isEnabled());
    QVERIFY(get<QLineEdit>("Text2")->isReadOnly());
}

void TestOptions::eachList_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("query");
    QTest::newRow("lakes") << "cmdLakes"
                           << "lake"
                           << "Text1"
                           << "DBGrid1"
                           << "SELECT count(*) FROM Lakes WHERE Lakes = 'New One'";
    QTest::newRow("marinas") << "cmdLaunch"
                             << "launch"
                             << "Text3"
                             << "DBGrid3"
                             << "SELECT count(*) FROM Ramps WHERE Ramps = 'New One'";
    QTest::newRow("fish") << "cmdFish"
                          << "trail"
                          << "Text2"
                          << "DBGrid2"
                          << "SELECT count(*) FROM Fish WHERE Fish = 'New One'";
    QTest::newRow("lures") << "cmdBait"
                           << "div"
                           << "Text4"
                           << "DBGrid4"
                           << "SELECT count(*) FROM Lures WHERE Lure = 'New One'";
}

void TestOptions::eachList()
{
    QFETCH(QString, selector);
    QFETCH(QString, suffix);
    QFETCH(QString, field);
    QFETCH(QString, grid);
    QFETCH(QString, query);
    QVERIFY(openOptions());
    QVERIFY(click(selector));
    QVERIFY(click("cmdNew" + suffix));
    QVERIFY(get<QWidget>("jcSave" + suffix)->isVisible());
    QVERIFY(get<QLineEdit>(field)->hasFocus());
    get<QLineEdit>(field)->setText(QStringLiteral("New One"));
    QVERIFY(click("cmdSave" + suffix));
    QVERIFY(messages().isEmpty());
    QCOMPARE(value(query).toInt(), 1);
    QVERIFY(get<QWidget>("jcMenu" + suffix)->isVisible());
    auto *view = get<QTableView>(grid);
    QCOMPARE(view->model()->index(view->currentIndex().row(), 0).data().toString(), QStringLiteral("New One"));
    for (const char *name : {"Text1", "Text2", "Text3", "Text4"})
        QVERIFY2(get<QLineEdit>(name)->isReadOnly(), name);
}

void TestOptions::duplicateNames_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("new, same name") << "cmdNewtrail"
                                    << "Walleye" << true;
    QTest::newRow("new, other case and blanks") << "cmdNewtrail"
                                                << " walleye " << true;
    QTest::newRow("new, another name") << "cmdNewtrail"
                                       << "Walleye Pike" << false;
    QTest::newRow("edit, keeping its own name") << "cmdEdittrail"
                                                << "WALLEYE" << false;
    QTest::newRow("edit, to another entry's name") << "cmdEdittrail"
                                                   << "Bass" << true;
}

// Each name once: a second "Walleye" would show twice in the drop-down boxes it feeds.
void TestOptions::duplicateNames()
{
    QFETCH(QString, command);
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    QVERIFY(openOptions());
    QCOMPARE(get<QLineEdit>("Text2")->text(), QStringLiteral("Walleye"));
    QVERIFY(click(command));
    get<QLineEdit>("Text2")->setText(typed);
    QVERIFY(click("cmdSavetrail"));
    FakePlatform &fake = ScreenTest::fake();
    QCOMPARE(fake.messages.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(fake.messages[0].text,
                 typed.trimmed() + QStringLiteral(" is already in the list.\nType another name, or click Cancel."));
        QCOMPARE(fake.messages[0].icon, MessageIcon::Exclamation);
        QVERIFY(m_w->cycles()[2]->state() != CycleState::Browse);
        QCOMPARE(get<QLineEdit>("Text2")->text(), typed);
    }
    const int rows = command == QLatin1String("cmdNewtrail") && !refused ? 3 : 2;
    QCOMPARE(value("SELECT count(*) FROM Fish").toInt(), rows);
}

void TestOptions::emptyList_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("said");
    QTest::newRow("Edit") << "cmdEditdiv"
                          << "There is no Lure / Bait to edit.";
    QTest::newRow("Delete") << "cmdDeletediv"
                            << "There is no Lure / Bait to delete.";
}

void TestOptions::emptyList()
{
    QFETCH(QString, command);
    QFETCH(QString, said);
    QVERIFY(sql("DELETE FROM Lures"));
    QVERIFY(openOptions());
    QVERIFY(click("cmdBait"));
    QVERIFY(click(command));
    FakePlatform &fake = ScreenTest::fake();
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages[0].text, said);
    QCOMPARE(m_w->cycles()[3]->state(), CycleState::Browse);
    QVERIFY(get<QWidget>("jcSelect")->isEnabled());
    // The list can still be filled.
    QVERIFY(click("cmdNewdiv"));
    get<QLineEdit>("Text4")->setText(QStringLiteral("Spoon"));
    QVERIFY(click("cmdSavediv"));
    QCOMPARE(value("SELECT Lure FROM Lures").toString(), QStringLiteral("Spoon"));
}

TF_TEST_MAIN(TestOptions)
#include "tst_frmoptions.moc"
