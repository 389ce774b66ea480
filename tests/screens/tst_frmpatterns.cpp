// The fishing patterns screen beyond the common cycle: its texts, the fixed
// lists, the count in the window title, fields locked while browsing, typed
// values and the month sort.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"
#include "screens/frmPatterns.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

using namespace tf;
using namespace tf::test;

namespace {

const char *const kFields[] = {"Text1",  "Combo1", "Combo2", "Combo3", "Combo4", "Combo5",
                               "Combo6", "Combo7", "Combo8", "Text2",  "Text3"};

} // namespace

class TestPatterns : public ScreenTest
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void fixedLists_data();
    void fixedLists();
    void countInTitle();
    void fieldsLockedWhileBrowsing();
    void typedMonthKeptAndSortedAsText();

private:
    frmPatterns *openPatterns() { return m_w = open<frmPatterns>(); }
    void addPattern(const QString &lake, const QString &month)
    {
        QVERIFY(sql(QStringLiteral("INSERT INTO Patterns (Lake, Month) VALUES ('%1', '%2')").arg(lake, month)));
    }

    QPointer<frmPatterns> m_w;
};

void TestPatterns::texts_data()
{
    textTable({
        {"cmdPrint", "Print", " Pattern Reports "},
        {"cmdMonth", "Month", " Sort by Month  "},
        {"cmdLake", "Lake / River", " Sort by Lake / River "},
        {"cmdMinimize", "", " Minimize "},
        {"jcSort", "Sort By:", ""},
        {"jcFrames3", "Menu", ""},
        {"Label12", " Edit Mode ", ""},
        {"DBGrid1Caption", "Click the left column to make a selection", ""},
        {"PatternDetails", "Pattern Details", ""},
    });
}

void TestPatterns::texts()
{
    QVERIFY(openPatterns());
    checkText();
}

void TestPatterns::fixedLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("Month") << "Combo1"
                           << QStringList{"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    QTest::newRow("Air Temp") << "Combo2"
                              << QStringList{"'Teens", "20's", "30's", "40's", "50's", "60's", "70's", "80's", "90's"};
    QTest::newRow("Lure") << "Combo3"
                          << QStringList{"Crankbait",      "Zara Spook",   "Popper",    "Buzz Bait",     "Spinnerbait",
                                         "Texas Rig Worm", "Carolina Rig", "Jig n Pig", "Floating Worm", "Rattle Trap"};
    QTest::newRow("Best Depth") << "Combo8" << QStringList{"Top Water", "Shallow", "Medium", "Deep"};
}

void TestPatterns::fixedLists()
{
    QFETCH(QString, list);
    QFETCH(QStringList, items);
    QVERIFY(openPatterns());
    QVERIFY(get<QComboBox>(list));
    QCOMPARE(itemsOf(get<QComboBox>(list)), items);
}

void TestPatterns::countInTitle()
{
    for (int i = 0; i < 5; ++i)
        addPattern(QStringLiteral("Lake %1").arg(i), QStringLiteral("May"));
    QVERIFY(openPatterns());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("  5 Fishing Patterns Saved"));
    QVERIFY(click("cmdNew"));
    get<QLineEdit>("Text1")->setText(QStringLiteral("Lake Six"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(m_w->windowTitle(), QStringLiteral("  6 Fishing Patterns Saved"));
    fake().messageAnswers.enqueue(MessageAnswer::Yes);
    QVERIFY(click("cmdDelete"));
    QCOMPARE(m_w->windowTitle(), QStringLiteral("  5 Fishing Patterns Saved"));
}

void TestPatterns::fieldsLockedWhileBrowsing()
{
    addPattern("Clear Lake", "May");
    QVERIFY(openPatterns());
    const auto lockedFields = [this] {
        int locked = 0;
        for (const char *name : kFields)
            locked += FieldLock::isLocked(get<QWidget>(name)) ? 1 : 0;
        return locked;
    };
    QCOMPARE(lockedFields(), 11);
    QVERIFY(!get<QLabel>("Label12")->isVisible());
    QVERIFY(click("cmdEdit"));
    QCOMPARE(lockedFields(), 0);
    QVERIFY(get<QLabel>("Label12")->isVisible());
    QVERIFY(!get<QWidget>("jcSort")->isEnabled());
    QVERIFY(click("cmdCancel"));
    QCOMPARE(lockedFields(), 11);
    QVERIFY(!get<QLabel>("Label12")->isVisible());
}

void TestPatterns::typedMonthKeptAndSortedAsText()
{
    addPattern("Clear Lake", "January");
    addPattern("Bass Pond", "April");
    QVERIFY(openPatterns());
    QVERIFY(click("cmdNew"));
    get<QLineEdit>("Text1")->setText(QStringLiteral("Mill Creek"));
    get<QComboBox>("Combo1")->setEditText(QStringLiteral("Early spring"));
    get<QComboBox>("Combo5")->setEditText(QStringLiteral("Gibbous"));
    QVERIFY(click("cmdSave"));
    QCOMPARE(value("SELECT Month || '|' || \"Moon Phase\" FROM Patterns WHERE Lake = 'Mill Creek'").toString(),
             QStringLiteral("Early spring|Gibbous"));
    QVERIFY(click("cmdMonth"));
    QCOMPARE(gridColumn(get<QTableView>("DBGrid1"), 1), (QStringList{"April", "Early spring", "January"}));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Bass Pond"));
}

TF_TEST_MAIN(TestPatterns)
#include "tst_frmpatterns.moc"
