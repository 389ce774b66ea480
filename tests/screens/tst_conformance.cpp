// The editing cycle every record screen shares, run against each screen from
// its own declaration (the cycle's parameters): New and Cancel, New and Save
// through the file and back, Edit and Cancel, Edit keeping what the screen does
// not show (a stored time of day, the earliest dates), the required field, the
// last row, the delete prompt and the row that becomes current, the count,
// everything off while editing, closing with a pending row (asked first),
// Ctrl+S and Escape on a pending row, a write that
// fails, a column the file lacks, long texts, a double click on Save, Print,
// and Exit putting back the menu that opened the screen.

#include "ScreenTest.h"
#include "TestMain.h"
#include "app/WindowCatalog.h"
#include "data/DateField.h"
#include "data/FieldBinding.h"
#include "data/Schema.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"
#include "shell/PendingRows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>

using namespace tf;
using namespace tf::test;

namespace {

// A column that holds a count takes only digits on the screens that show it.
QString valueFor(const QString &column, const QString &kind)
{
    if (column == QLatin1String("Total Fish"))
        return kind == QLatin1String("typed") ? QStringLiteral("7") : QStringLiteral("3");
    return kind + QLatin1Char(' ') + column;
}

} // namespace

class TestConformance : public ScreenTest
{
    Q_OBJECT
private slots:
    void initTestCase() { registerWindows(); }

    void newThenCancel_data() { screens(); }
    void newThenCancel();
    void newThenSaveRoundTrips_data() { screens(); }
    void newThenSaveRoundTrips();
    void editThenCancelRestores_data() { screens(); }
    void editThenCancelRestores();
    void editKeepsWhatIsNotShown_data() { screens(); }
    void editKeepsWhatIsNotShown();
    void requiredFieldKeepsTyping_data() { screens(); }
    void requiredFieldKeepsTyping();
    void lastRowAndDelete_data() { screens(); }
    void lastRowAndDelete();
    void closingWithPendingRowWritesNothing_data() { screens(); }
    void closingWithPendingRowWritesNothing();
    void keysSaveAndCancel_data() { screens(); }
    void keysSaveAndCancel();
    void writeFailureKeepsTyping_data() { screens(); }
    void writeFailureKeepsTyping();
    void missingColumnIsReported_data() { screens(); }
    void missingColumnIsReported();
    void typingIsKnownToExitAndBackup_data() { screens(); }
    void typingIsKnownToExitAndBackup();
    void doubleClickOnSave_data() { screens(); }
    void doubleClickOnSave();
    void printHandsOverItsReport_data() { screens(); }
    void printHandsOverItsReport();
    void exitPutsTheMenuBack_data() { screens(); }
    void exitPutsTheMenuBack();
    void oneLookForLockedFieldsAndHeadings_data() { screens(); }
    void oneLookForLockedFieldsAndHeadings();

private:
    void screens();
    RecordCycle *openCycle();
    const ScreenParams &p() const { return m_cycle->params(); } // the cycle of the window open now
    QString table() const { return m_table; }                   // known from the first open on
    const TableDef &tableDef() const { return *findTable(table()); }
    qint64 seedRow(int n, const QString &dateValue = {});
    QVariant fileValue(qint64 key, const QString &column) const;
    int fileRows() const;
    QList<QWidget *> editableFields() const;
    void fillEveryField(const QString &kind, int textLength = 0);
    bool startNewOrEdit();
    void checkDiscardQuestion(const RecordedMessage &asked) const;
    int discardQuestions() const; // how many times the user was asked to discard typing

    RecordCycle *m_cycle = nullptr;
    QString m_table;
};

// Every record screen, with which of its cycles is tried (in the order the window makes them).
void TestConformance::screens()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<QString>("selector"); // the button that brings that cycle's list into view
    QTest::addColumn<QString>("report");   // what its Print hands over, if it prints
    QTest::addColumn<QString>("noun");     // "This Log can not be deleted."
    QTest::addColumn<QString>("title");    // of the delete question
    // What the delete question asks about, for the second seeded row; "@name" stands for what control name shows.
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("required"); // what Save says when the required field is empty
    struct Row
    {
        const char *window;
        int cycle;
        const char *selector, *report, *noun, *title, *subject, *required;
    };
    const char *info = "Delete Information";
    for (const Row &r : std::initializer_list<Row>{
             {"frmLogs", 0, "", "log.rpt", "Log", info, "@Label42 ?", "Please enter a Lake or River or click Cancel."},
             {"frmFish", 0, "", "", "", "", "", ""}, // its Print asks which report first; it deletes nothing
             {"frmNotebook", 0, "", "diary.rpt", "", "", "", "Please enter some notes or click Cancel."},
             {"frmBestfish", 0, "", "Bestfish.rpt", "Best Fish", "Delete Best Fish", "stored2 Fish ?",
              "Please enter a Fish Caught or click Cancel."},
             {"frmGear", 0, "cmdRods", "rods.rpt", "Rod and Reel", info,
              "the Reel and Rod named stored2 Reel Make and stored2 Rod Make?", ""},
             {"frmGear", 1, "cmdBoat", "boat.rpt", "Boat and Motor", info, "the Boat named stored2 Boat?", ""},
             {"frmGear", 2, "cmdGear", "equipment.rpt", "Accessory", info, "the gear named stored2 Item?",
              "Please enter Item Name or click Cancel."},
             {"frmPatterns", 0, "", "patterns.rpt", "Pattern", info, "this Pattern for stored2 Lake ?",
              "Please enter a Lake or click Cancel."},
             {"frmReminders", 0, "", "reminder.rpt", "Reminder", info, "this Reminder for 4/2/2026 ?",
              "Please enter a Reminder or click Cancel."},
             {"frmContacts", 0, "", "contacts.rpt", "Contact", "Delete Contact", "stored2 Name?",
              "Please enter a Contact or click Cancel."},
             {"frmMember", 0, "", "memberships.rpt", "Membership", info, "stored2 Organization ?",
              "Please enter a Organization or click Cancel."},
             {"frmOptions", 0, "cmdLakes", "", "Lake / River", info, "stored2 Lakes ?",
              "Please enter a Lake or River or click Cancel."},
             {"frmOptions", 1, "cmdLaunch", "", "Ramp", info, "stored2 Ramps ?",
              "Please enter a Marina or Launch Area or click Cancel."},
             {"frmOptions", 2, "cmdFish", "", "Fish", info, "stored2 Fish ?", "Please enter a Fish or click Cancel."},
             {"frmOptions", 3, "cmdBait", "", "Lure / Bait", info, "stored2 Lure ?",
              "Please enter a Lure/Bait or click Cancel."},
         })
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(r.window)).arg(r.cycle)))
            << QString::fromLatin1(r.window) << r.cycle << QString::fromLatin1(r.selector)
            << QString::fromLatin1(r.report) << QString::fromLatin1(r.noun) << QString::fromLatin1(r.title)
            << QString::fromLatin1(r.subject) << QString::fromLatin1(r.required);
}

RecordCycle *TestConformance::openCycle()
{
    QFETCH(QString, window);
    QFETCH(int, cycle);
    QFETCH(QString, selector);
    QWidget *w = ui().open(window);
    if (!w)
        return nullptr;
    if (!selector.isEmpty() && !ui().click(selector))
        return nullptr;
    const auto cycles = w->findChildren<RecordCycle *>();
    m_cycle = cycle < cycles.size() ? cycles[cycle] : nullptr;
    if (m_cycle)
        m_table = m_cycle->source()->tableName();
    return m_cycle;
}

qint64 TestConformance::seedRow(int n, const QString &dateValue)
{
    // The table is known once a window has opened on it; seed through the file.
    const TableDef &def = tableDef();
    QStringList names, values;
    for (const QString &column : def.columns) {
        names << quoteIdentifier(column);
        const QString v = def.dateColumns.contains(column)
                              ? (dateValue.isEmpty() ? QStringLiteral("2026-04-0%1 06:30:00").arg(n) : dateValue)
                              : valueFor(column, QStringLiteral("stored%1").arg(n));
        values << QLatin1Char('\'') + QString(v).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
    }
    if (!sql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(quoteIdentifier(def.name), names.join(QLatin1Char(',')), values.join(QLatin1Char(',')))))
        return -1;
    return value(QStringLiteral("SELECT max(_key) FROM %1").arg(quoteIdentifier(def.name))).toLongLong();
}

QVariant TestConformance::fileValue(qint64 key, const QString &column) const
{
    return value(QStringLiteral("SELECT %1 FROM %2 WHERE _key = %3")
                     .arg(quoteIdentifier(column), quoteIdentifier(table()))
                     .arg(key));
}

int TestConformance::fileRows() const
{
    return value(QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table()))).toInt();
}

QList<QWidget *> TestConformance::editableFields() const
{
    QList<QWidget *> fields;
    for (QWidget *w : m_cycle->binding().widgets())
        if (!qobject_cast<QLabel *>(w) && w->isEnabled() && w->isVisibleTo(m_cycle->params().window))
            if (auto *line = qobject_cast<QLineEdit *>(w); !line || !line->isReadOnly())
                fields << w;
    return fields;
}

// Types into every field the user can type into: a date, or a text (made
// `textLength` characters long, past the toolkit's default line limit).
void TestConformance::fillEveryField(const QString &kind, int textLength)
{
    for (QWidget *w : editableFields()) {
        const QString column = m_cycle->binding().fieldOf(w);
        if (auto *date = qobject_cast<DateField *>(w)) {
            date->setChosenDate(QDate(2025, 2, 3));
            continue;
        }
        QString text = valueFor(column, kind);
        if (textLength > text.size() && column != QLatin1String("Total Fish"))
            text += QString(textLength - text.size(), QLatin1Char('x'));
        ScreenDriver::paste(w, text);
    }
}

bool TestConformance::startNewOrEdit()
{
    return ui().click(p().newButton ? p().newButton : p().editButton);
}

// ---------------------------------------------------------------------------

void TestConformance::newThenCancel()
{
    QVERIFY(openCycle());
    if (!p().newButton)
        QSKIP("this screen adds no rows");
    seedRow(1);
    seedRow(2);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ScreenDriver::chooseRow(p().grid, 1));
    const auto before = m_cycle->source()->bookmark();
    const QString count = p().countLabel ? p().countLabel->text() : QString();
    QVERIFY(ui().click(p().newButton));
    QCOMPARE(m_cycle->state(), CycleState::Adding);
    // Everything that could leave the row is off while it is pending.
    for (QWidget *w : p().offWhileEditing + QList<QWidget *>{p().grid, p().exitButton, p().minimizeButton})
        if (w)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    if (p().menuBar && p().saveBar)
        QVERIFY(!p().menuBar->isVisible() && p().saveBar->isVisible());
    fillEveryField(QStringLiteral("typed"));
    QVERIFY(ui().click(p().cancelButton));
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    QCOMPARE(fileRows(), 2);
    QCOMPARE(m_cycle->source()->bookmark(), before);
    if (p().countLabel)
        QCOMPARE(p().countLabel->text(), count);
}

void TestConformance::newThenSaveRoundTrips()
{
    QVERIFY(openCycle());
    if (!p().newButton)
        QSKIP("this screen adds no rows");
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ui().click(p().newButton));
    const QList<QWidget *> fields = editableFields();
    QVERIFY(!fields.isEmpty());
    // Longer than a line edit takes by default: nothing may be cut.
    fillEveryField(QStringLiteral("typed"), 40000);
    QVERIFY(ui().click(p().saveButton));
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    QCOMPARE(fileRows(), 2);
    const auto key = m_cycle->source()->lastModified();
    QVERIFY(key);
    QCOMPARE(m_cycle->source()->bookmark(), key);
    if (p().countLabel)
        QCOMPARE(p().countLabel->text(), QStringLiteral("2") + p().countText);
    QMap<QString, QString> shown;
    for (QWidget *w : fields) {
        const QString column = m_cycle->binding().fieldOf(w);
        shown[column] = FieldBinding::widgetValue(w).toString();
        QCOMPARE(fileValue(*key, column).toString(), shown[column]);
        if (!qobject_cast<DateField *>(w) && column != QLatin1String("Total Fish"))
            QCOMPARE(shown[column].size(), 40000);
    }
    // Closed and opened again, the row shows what was saved.
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(m_cycle->source()->setBookmark(*key));
    if (p().editButton) {
        QVERIFY(ui().click(p().editButton));
        for (QWidget *w : editableFields())
            QCOMPARE(FieldBinding::widgetValue(w).toString(), shown[m_cycle->binding().fieldOf(w)]);
        QVERIFY(ui().click(p().cancelButton));
    }
}

void TestConformance::editThenCancelRestores()
{
    QVERIFY(openCycle());
    const qint64 key = seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ui().click(p().editButton));
    QCOMPARE(m_cycle->state(), CycleState::Editing);
    fillEveryField(QStringLiteral("typed"));
    QVERIFY(ui().click(p().cancelButton));
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    for (QWidget *w : m_cycle->binding().widgets()) {
        const QString column = m_cycle->binding().fieldOf(w);
        QVERIFY2(!FieldBinding::widgetValue(w).toString().startsWith(QLatin1String("typed")), qPrintable(column));
    }
    for (const QString &column : tableDef().columns)
        if (!tableDef().dateColumns.contains(column))
            QCOMPARE(fileValue(key, column).toString(), valueFor(column, QStringLiteral("stored1")));
}

void TestConformance::editKeepsWhatIsNotShown()
{
    QVERIFY(openCycle());
    if (tableDef().dateColumns.isEmpty())
        QSKIP("this table has no date");
    // A time of day, the earliest date a picker of old showed as "no date", and
    // a date no picker can show: each written back exactly as it was.
    const QStringList stored{QStringLiteral("2026-04-02 06:30:00"), QStringLiteral("1753-01-01"),
                             QStringLiteral("0099-12-31")};
    for (const QString &date : stored) {
        ui().close();
        QVERIFY(sql(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table()))));
        const qint64 key = seedRow(1, date);
        QVERIFY(openCycle());
        QVERIFY(ui().click(p().editButton));
        QVERIFY(ui().click(p().saveButton));
        QCOMPARE(m_cycle->state(), CycleState::Browse);
        for (const QString &column : tableDef().columns)
            QCOMPARE(fileValue(key, column).toString(),
                     tableDef().dateColumns.contains(column) ? date : valueFor(column, QStringLiteral("stored1")));
    }
    // A date the user changes keeps the time of day the row held.
    ui().close();
    QVERIFY(sql(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table()))));
    const qint64 key = seedRow(1, QStringLiteral("2026-04-02 06:30:00"));
    QVERIFY(openCycle());
    QVERIFY(ui().click(p().editButton));
    bool shown = false;
    for (QWidget *w : editableFields())
        if (auto *date = qobject_cast<DateField *>(w)) {
            date->setChosenDate(QDate(2026, 4, 3));
            shown = true;
        }
    QVERIFY(ui().click(p().saveButton));
    if (!shown)
        return; // the date is not the screen's to change
    for (const QString &column : tableDef().dateColumns)
        QCOMPARE(fileValue(key, column).toString(), QStringLiteral("2026-04-03 06:30:00"));
}

void TestConformance::requiredFieldKeepsTyping()
{
    QFETCH(QString, required);
    QVERIFY(openCycle());
    QCOMPARE(p().requiredField == nullptr, required.isEmpty());
    if (!p().requiredField)
        QSKIP("nothing is required here");
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    ScreenDriver::paste(p().requiredField, QString());
    QVERIFY(ui().click(p().saveButton));
    QCOMPARE(ui().lastMessage(), required);
    QCOMPARE(fake().messages.last().icon, MessageIcon::Exclamation);
    QVERIFY(m_cycle->state() != CycleState::Browse);
    QVERIFY(p().requiredField->hasFocus() || p().requiredField->isAncestorOf(QApplication::focusWidget()));
    for (QWidget *w : editableFields())
        if (w != p().requiredField && !qobject_cast<DateField *>(w))
            QCOMPARE(FieldBinding::widgetValue(w).toString(),
                     valueFor(m_cycle->binding().fieldOf(w), QStringLiteral("typed")));
    // Blanks count as filled.
    ScreenDriver::paste(p().requiredField, QStringLiteral(" "));
    QVERIFY(ui().click(p().saveButton));
    QCOMPARE(m_cycle->state(), CycleState::Browse);
}

void TestConformance::lastRowAndDelete()
{
    QFETCH(QString, noun);
    QFETCH(QString, title);
    QFETCH(QString, subject);
    QVERIFY(openCycle());
    QCOMPARE(p().deleteButton == nullptr, noun.isEmpty());
    if (!p().deleteButton)
        QSKIP("this screen deletes no rows");
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ui().click(p().deleteButton));
    QCOMPARE(ui().lastMessage(), QStringLiteral("This %1 can not be deleted.\nYou can edit this %1.\n"
                                                "At least one record has to be present at all times.")
                                     .arg(noun));
    QCOMPARE(fileRows(), 1);

    seedRow(2);
    seedRow(3);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ScreenDriver::chooseRow(p().grid, 1));
    const auto chosen = m_cycle->source()->bookmark();
    if (subject.startsWith(QLatin1Char('@'))) {
        const QString name = subject.section(QLatin1Char(' '), 0, 0);
        subject.replace(name, shownText(get(name.mid(1))));
    }
    ui().answerNext(MessageAnswer::No);
    QVERIFY(ui().click(p().deleteButton));
    QCOMPARE(fileRows(), 3);
    const RecordedMessage &asked = fake().messages.last();
    QCOMPARE(asked.text, QStringLiteral("Are you sure you want to delete ") + subject);
    QCOMPARE(asked.title, title);
    QCOMPARE(asked.icon, MessageIcon::Question);
    QCOMPARE(asked.buttons, MessageButtons::YesNo);
    QCOMPARE(asked.defaultButton, MessageAnswer::No); // Enter keeps the row
    ui().answerNext(MessageAnswer::Yes);
    QVERIFY(ui().click(p().deleteButton));
    QCOMPARE(fileRows(), 2);
    QVERIFY(m_cycle->source()->bookmark() != chosen);
    if (m_cycle->hooks().afterDelete == AfterDelete::NextElsePrevious)
        QCOMPARE(m_cycle->source()->currentRow(), 1);
    else
        QCOMPARE(m_cycle->source()->currentRow(), 0);
    if (p().countLabel)
        QCOMPARE(p().countLabel->text(), QStringLiteral("2") + p().countText);
}

// Closing the window (its frame, Alt+F4) asks before typing goes: No keeps
// the window with the typing, Yes closes it and writes nothing.
void TestConformance::closingWithPendingRowWritesNothing()
{
    QVERIFY(openCycle());
    const qint64 key = seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    QPointer<QWidget> window = p().window;
    const int before = ui().messageCount();
    ui().answerNext(MessageAnswer::No);
    ui().close();
    QVERIFY(window && window->isVisible());
    QCOMPARE(ui().messageCount(), before + 1);
    checkDiscardQuestion(fake().messages.last());
    QVERIFY(m_cycle->state() != CycleState::Browse);
    QVERIFY(m_cycle->hasTypedPendingRow());
    ui().answerNext(MessageAnswer::Yes);
    ui().close();
    QVERIFY(!window);
    QCOMPARE(fileRows(), 1);
    for (const QString &column : tableDef().columns)
        QVERIFY(!fileValue(key, column).toString().startsWith(QLatin1String("typed")));
    // With nothing typed there is nothing to ask about.
    QVERIFY(openCycle());
    QVERIFY(startNewOrEdit());
    ui().close();
    QCOMPARE(discardQuestions(), 2);
}

int TestConformance::discardQuestions() const
{
    return int(std::count_if(fake().messages.begin(), fake().messages.end(),
                             [](const RecordedMessage &m) { return m.text.startsWith(QLatin1String("Discard the")); }));
}

void TestConformance::checkDiscardQuestion(const RecordedMessage &asked) const
{
    QVERIFY(!p().recordNoun.isEmpty());
    QCOMPARE(asked.text, QStringLiteral("Discard the %1 you are typing?").arg(p().recordNoun));
    QCOMPARE(asked.icon, MessageIcon::Question);
    QCOMPARE(asked.buttons, MessageButtons::YesNo);
    QCOMPARE(asked.defaultButton, MessageAnswer::No);
}

// Ctrl+S saves a pending row as Save does; Escape cancels it, asking first when it holds typing.
void TestConformance::keysSaveAndCancel()
{
    QVERIFY(openCycle());
    const qint64 key = seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    const auto press = [this](QKeyCombination keys) {
        QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : p().window;
        QTest::keyClick(to, keys.key(), keys.keyboardModifiers());
    };
    QVERIFY(startNewOrEdit());
    press(Qt::Key_Escape); // nothing typed: cancelled without a question
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    QCOMPARE(discardQuestions(), 0);
    const int before = ui().messageCount();
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    ui().answerNext(MessageAnswer::No);
    press(Qt::Key_Escape);
    QCOMPARE(ui().messageCount(), before + 1);
    checkDiscardQuestion(fake().messages.last());
    QVERIFY(m_cycle->hasTypedPendingRow());
    ui().answerNext(MessageAnswer::Yes);
    press(Qt::Key_Escape);
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    QCOMPARE(fileRows(), 1);
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    press(Qt::CTRL | Qt::Key_S);
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    const auto saved = m_cycle->source()->lastModified();
    QVERIFY(saved);
    QCOMPARE(fileRows(), p().newButton ? 2 : 1);
    if (!p().newButton)
        QCOMPARE(*saved, key);
    for (QWidget *w : editableFields())
        if (!qobject_cast<DateField *>(w))
            QCOMPARE(fileValue(*saved, m_cycle->binding().fieldOf(w)).toString(),
                     valueFor(m_cycle->binding().fieldOf(w), QStringLiteral("typed")));
    QCOMPARE(discardQuestions(), 2);
}

void TestConformance::writeFailureKeepsTyping()
{
    QVERIFY(openCycle());
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    // The file refuses the write as a full disk or a locked file would.
    for (const char *when : {"INSERT", "UPDATE"})
        QVERIFY(sql(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON %2 BEGIN "
                                   "SELECT RAISE(ABORT, 'database or disk is full'); END")
                        .arg(QLatin1String(when), quoteIdentifier(table()))));
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    QVERIFY(ui().click(p().saveButton));
    QVERIFY(ui().lastMessage().contains(QLatin1String("could not be saved")));
    QVERIFY(ui().lastMessage().contains(QLatin1String("database or disk is full")));
    QVERIFY(m_cycle->state() != CycleState::Browse);
    for (QWidget *w : editableFields())
        if (!qobject_cast<DateField *>(w))
            QCOMPARE(FieldBinding::widgetValue(w).toString(),
                     valueFor(m_cycle->binding().fieldOf(w), QStringLiteral("typed")));
    // Once the file takes writes again, the same Save goes through.
    QVERIFY(sql(QStringLiteral("DROP TRIGGER refuse_INSERT")));
    QVERIFY(sql(QStringLiteral("DROP TRIGGER refuse_UPDATE")));
    QVERIFY(ui().click(p().saveButton));
    QCOMPARE(m_cycle->state(), CycleState::Browse);
}

void TestConformance::missingColumnIsReported()
{
    QVERIFY(openCycle());
    QString dropped;
    for (QWidget *w : editableFields()) {
        const QString column = m_cycle->binding().fieldOf(w);
        if (w != p().requiredField && !tableDef().dateColumns.contains(column))
            dropped = column;
    }
    if (dropped.isEmpty())
        QSKIP("no optional field to take away");
    seedRow(1);
    ui().close();
    QVERIFY(
        sql(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteIdentifier(table()), quoteIdentifier(dropped))));
    const int before = ui().messageCount();
    QVERIFY(openCycle());
    QTRY_VERIFY(ui().messageCount() > before);
    const auto &messages = fake().messages;
    QVERIFY(std::any_of(messages.begin() + before, messages.end(),
                        [&](const RecordedMessage &m) { return m.text.contains(dropped); }));
    // What is typed there is not thrown away quietly at Save.
    QVERIFY(startNewOrEdit());
    fillEveryField(QStringLiteral("typed"));
    QVERIFY(ui().click(p().saveButton));
    QVERIFY(ui().lastMessage().contains(QLatin1String("could not be saved")));
    QVERIFY(m_cycle->state() != CycleState::Browse);
}

// Exit & Backup closes every window; it asks first about a row with typing in it.
void TestConformance::typingIsKnownToExitAndBackup()
{
    QVERIFY(openCycle());
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(PendingRows::describeAll().isEmpty());
    QVERIFY(startNewOrEdit());
    // A pending row with nothing typed is nothing to ask about.
    QVERIFY(PendingRows::describeAll().isEmpty());
    fillEveryField(QStringLiteral("typed"));
    const QStringList pending = PendingRows::describeAll();
    QCOMPARE(pending.size(), 1);
    QVERIFY(!pending[0].isEmpty());
    QVERIFY(ui().click(p().cancelButton));
    QVERIFY(PendingRows::describeAll().isEmpty());
}

void TestConformance::doubleClickOnSave()
{
    QVERIFY(openCycle());
    if (!p().newButton || !p().menuBar || !p().saveBar)
        QSKIP("no bars that take each other's place");
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(ui().click(p().newButton));
    fillEveryField(QStringLiteral("typed"));
    // A double click on Save, as the window system delivers it: the second
    // press (a double click) lands on New, which now stands where Save stood.
    const auto send = [](QWidget *to, QEvent::Type type, quint64 time) {
        const QPointF at = QRectF(to->rect()).center();
        QMouseEvent e(type, at, to->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        e.setTimestamp(time);
        QApplication::sendEvent(to, &e);
    };
    QWidget *save = p().saveButton;
    QWidget *newButton = p().newButton;
    send(save, QEvent::MouseButtonPress, 100000);
    send(save, QEvent::MouseButtonRelease, 100080);
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    send(newButton, QEvent::MouseButtonDblClick, 100160);
    send(newButton, QEvent::MouseButtonRelease, 100220);
    QCOMPARE(m_cycle->state(), CycleState::Browse);
    QCOMPARE(fileRows(), 2);
    // A click that comes later is a click of its own.
    send(newButton, QEvent::MouseButtonPress, 101000);
    send(newButton, QEvent::MouseButtonRelease, 101050);
    QCOMPARE(m_cycle->state(), CycleState::Adding);
}

// Print hands the screen's own report to the platform, asked for by this window, and only while browsing.
void TestConformance::printHandsOverItsReport()
{
    QFETCH(QString, report);
    QVERIFY(openCycle());
    if (report.isEmpty())
        QSKIP("this list prints no report of its own");
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    QVERIFY(startNewOrEdit());
    QVERIFY(!ui().click(p().printButton));
    QVERIFY(ui().click(p().cancelButton));
    QVERIFY(ui().click(p().printButton));
    QCOMPARE(fake().reports.size(), 1);
    QCOMPARE(fake().reports[0].first, report);
    QCOMPARE(fake().reports[0].second, p().window);
    QCOMPARE(m_cycle->state(), CycleState::Browse);
}

// Opened by a menu that steps aside for it, the screen's Exit puts the menu back.
void TestConformance::exitPutsTheMenuBack()
{
    QFETCH(QString, window);
    QFETCH(int, cycle);
    if (cycle > 0)
        QSKIP("the window was tried with its first list");
    QVERIFY(openCycle());
    seedRow(1);
    ui().close();
    auto menu = std::make_unique<QWidget>();
    menu->show();
    QPointer<QWidget> screen = WindowRegistry::open(window, menu.get(), OpenerState::Minimize);
    QVERIFY(screen);
    QVERIFY(menu->windowState() & Qt::WindowMinimized);
    QVERIFY(ui().click(screen->findChild<QWidget *>(QStringLiteral("cmdExit"))));
    ScreenDriver::releaseClosed();
    QVERIFY(!screen);
    QVERIFY(!(menu->windowState() & Qt::WindowMinimized));
}

// Every locked field shows the same fill, whatever screen and background it
// is on, and no grid cuts a column heading short.
void TestConformance::oneLookForLockedFieldsAndHeadings()
{
    QVERIFY(openCycle());
    seedRow(1);
    ui().close();
    QVERIFY(openCycle());
    int locked = 0;
    for (QWidget *w : p().window->findChildren<QWidget *>()) {
        if (!FieldLock::isLocked(w) || !w->isVisible())
            continue;
        ++locked;
        const QImage shown = w->grab().toImage();
        QCOMPARE(shown.pixelColor(3, shown.height() - 4), FieldLock::kLockedFill);
    }
    QVERIFY(locked > 0 || p().readOnly == ReadOnlyMeans::PanelSwap);
    const QHeaderView *headings = qobject_cast<QTableView *>(p().grid)->horizontalHeader();
    for (int i = 0; i < headings->count(); ++i)
        QVERIFY2(headings->sectionSize(i) >= headings->sectionSizeHint(i),
                 qPrintable(p().grid->model()->headerData(i, Qt::Horizontal).toString()));
}

TF_TEST_MAIN(TestConformance)
#include "tst_conformance.moc"
