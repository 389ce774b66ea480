// The fishing patterns screen beyond the common cycle: its texts, the fixed
// lists, the count in the window title, fields locked while browsing, typed
// values and the month sort, the delete prompt, long texts and print.

#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"
#include "screens/frmPatterns.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

using namespace tf;
using namespace tf::test;

namespace {

void releaseClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const char *const kFields[] = {"Text1",  "Combo1", "Combo2", "Combo3", "Combo4", "Combo5",
                               "Combo6", "Combo7", "Combo8", "Text2",  "Text3"};

} // namespace

class TestPatterns : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void fixedLists_data();
    void fixedLists();
    void countInTitle();
    void fieldsLockedWhileBrowsing();
    void typedMonthKeptAndSortedAsText();
    void deletePromptNamesTheLake();
    void megabyteOfText_data();
    void megabyteOfText();
    void printHandsOverPatternReport();

private:
    frmPatterns *openPatterns()
    {
        m_w = WindowRegistry::open<frmPatterns>();
        return m_w;
    }
    void addPattern(const QString &lake, const QString &month)
    {
        QVERIFY(
            execSql(m_db, QStringLiteral("INSERT INTO Patterns (Lake, Month) VALUES ('%1', '%2')").arg(lake, month)));
    }
    template <class T> T *get(const char *name) { return m_w ? m_w->findChild<T *>(QLatin1String(name)) : nullptr; }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    QVariant fileValue(const QString &sql) const { return querySingle(m_db, sql); }

    std::unique_ptr<FakePlatformScope> m_scope;
    QString m_db;
    QPointer<frmPatterns> m_w;
};

void TestPatterns::init()
{
    m_scope = std::make_unique<FakePlatformScope>();
    m_db = m_scope->file(QStringLiteral("tfn5.mdb"));
    makeDatabase(m_db);
}

void TestPatterns::cleanup()
{
    WindowRegistry::closeAll();
    releaseClosed();
    m_scope.reset();
}

void TestPatterns::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("cmdPrint") << "cmdPrint"
                              << "Print"
                              << " Pattern Reports ";
    QTest::newRow("cmdMonth") << "cmdMonth"
                              << "Month"
                              << " Sort by Month  ";
    QTest::newRow("cmdLake") << "cmdLake"
                             << "Lake / River"
                             << " Sort by Lake / River ";
    QTest::newRow("cmdMinimize") << "cmdMinimize"
                                 << ""
                                 << " Minimize ";
    QTest::newRow("sort bar") << "jcSort"
                              << "Sort By:"
                              << "";
    QTest::newRow("save bar") << "jcFrames3"
                              << "Menu"
                              << "";
    QTest::newRow("edit mode") << "Label12"
                               << " Edit Mode "
                               << "";
    QTest::newRow("grid caption") << "DBGrid1Caption"
                                  << "Click the left column to make a selection"
                                  << "";
    QTest::newRow("details") << "PatternDetails"
                             << "Pattern Details"
                             << "";
}

void TestPatterns::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QVERIFY(openPatterns());
    QWidget *w = m_w->findChild<QWidget *>(name);
    QVERIFY(w);
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        QCOMPARE(b->text(), text);
    else if (auto *l = qobject_cast<QLabel *>(w))
        QCOMPARE(l->text(), text);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        QCOMPARE(g->title(), text);
    QCOMPARE(w->toolTip(), toolTip);
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
    auto *combo = m_w->findChild<QComboBox *>(list);
    QVERIFY(combo);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    QCOMPARE(shown, items);
}

void TestPatterns::countInTitle()
{
    for (int i = 0; i < 5; ++i)
        addPattern(QStringLiteral("Lake %1").arg(i), QStringLiteral("May"));
    QVERIFY(openPatterns());
    QCOMPARE(m_w->windowTitle(), QStringLiteral("  5 Fishing Patterns Saved"));
    click("cmdNew");
    get<QLineEdit>("Text1")->setText(QStringLiteral("Lake Six"));
    click("cmdSave");
    QCOMPARE(m_w->windowTitle(), QStringLiteral("  6 Fishing Patterns Saved"));
    m_scope->fake().messageAnswers.enqueue(MessageAnswer::Yes);
    click("cmdDelete");
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
    click("cmdEdit");
    QCOMPARE(lockedFields(), 0);
    QVERIFY(get<QLabel>("Label12")->isVisible());
    QVERIFY(!get<QWidget>("jcSort")->isEnabled());
    click("cmdCancel");
    QCOMPARE(lockedFields(), 11);
    QVERIFY(!get<QLabel>("Label12")->isVisible());
}

void TestPatterns::typedMonthKeptAndSortedAsText()
{
    addPattern("Clear Lake", "January");
    addPattern("Bass Pond", "April");
    QVERIFY(openPatterns());
    click("cmdNew");
    get<QLineEdit>("Text1")->setText(QStringLiteral("Mill Creek"));
    get<QComboBox>("Combo1")->setEditText(QStringLiteral("Early spring"));
    get<QComboBox>("Combo5")->setEditText(QStringLiteral("Gibbous"));
    click("cmdSave");
    QCOMPARE(fileValue("SELECT Month || '|' || \"Moon Phase\" FROM Patterns WHERE Lake = 'Mill Creek'").toString(),
             QStringLiteral("Early spring|Gibbous"));
    click("cmdMonth");
    auto *model = get<QTableView>("DBGrid1")->model();
    QStringList months;
    for (int r = 0; r < model->rowCount(); ++r)
        months << model->index(r, 1).data().toString();
    QCOMPARE(months, (QStringList{"April", "Early spring", "January"}));
    QCOMPARE(get<QLineEdit>("Text1")->text(), QStringLiteral("Bass Pond"));
}

void TestPatterns::deletePromptNamesTheLake()
{
    addPattern("Clear Lake", "May");
    addPattern("Bass Pond", "June");
    QVERIFY(openPatterns());
    m_scope->fake().messageAnswers.enqueue(MessageAnswer::No);
    click("cmdDelete");
    QCOMPARE(m_scope->fake().messages.last().title, QStringLiteral("Delete Information"));
    QCOMPARE(m_scope->fake().lastMessageText(),
             QStringLiteral("Are you sure you want to delete this Pattern for Clear Lake ?"));
    QCOMPARE(fileValue("SELECT count(*) FROM Patterns").toInt(), 2);
}

void TestPatterns::megabyteOfText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("column");
    QTest::newRow("Pattern") << "Text2"
                             << "Pattern";
    QTest::newRow("Remarks") << "Text3"
                             << "Remarks";
}

void TestPatterns::megabyteOfText()
{
    QFETCH(QString, field);
    QFETCH(QString, column);
    addPattern("Clear Lake", "May");
    QVERIFY(openPatterns());
    QString text;
    while (text.size() < 1024 * 1024)
        text += QStringLiteral("Slow roll a spinnerbait past the %1 stumps on the north point.\n").arg(text.size());
    click("cmdEdit");
    m_w->findChild<QPlainTextEdit *>(field)->setPlainText(text);
    click("cmdSave");
    QCOMPARE(fileValue(QStringLiteral("SELECT \"%1\" FROM Patterns").arg(column)).toString(), text);
    m_w->close();
    releaseClosed();
    QVERIFY(openPatterns());
    QCOMPARE(m_w->findChild<QPlainTextEdit *>(field)->toPlainText(), text);
}

void TestPatterns::printHandsOverPatternReport()
{
    addPattern("Clear Lake", "May");
    QVERIFY(openPatterns());
    click("cmdPrint");
    QCOMPARE(m_scope->fake().reports.size(), 1);
    QCOMPARE(m_scope->fake().reports[0].first, QStringLiteral("patterns.rpt"));
}

TF_TEST_MAIN(TestPatterns)
#include "tst_frmpatterns.moc"
