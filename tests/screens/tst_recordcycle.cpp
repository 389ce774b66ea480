// The editing cycle on a bare screen over the Memberships table: the ways
// fields are locked, grids that accept typing, what Delete does afterwards,
// a write that fails, counting from the file, an empty table, the hooks, and
// which activations count as a switch between the program's windows.

#include "ScreenTest.h"
#include "TestMain.h"
#include "screens/ActivationWatch.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>

using namespace tf;
using namespace tf::test;

namespace {

struct Options
{
    ReadOnlyMeans means = ReadOnlyMeans::LockTextBoxes;
    bool lockLists = false;
    bool typingGrid = false;
    AfterDelete afterDelete = AfterDelete::RequeryThenFirst;
    CycleHooks hooks;
};

// A record screen with the bare minimum: a grid, three text boxes, a list,
// the bars, and Exit and Minimize.
class BareScreen : public QWidget
{
public:
    explicit BareScreen(Options o)
    {
        grid = new QTableView(this);
        count = new QLabel(QStringLiteral("Memberships"), this);
        menu = new QGroupBox(this);
        saveBar = new QGroupBox(this);
        cmdNew = new QPushButton(QStringLiteral("New"), menu);
        cmdEdit = new QPushButton(QStringLiteral("Edit"), menu);
        cmdDelete = new QPushButton(QStringLiteral("Delete"), menu);
        cmdSave = new QPushButton(QStringLiteral("Save"), saveBar);
        cmdCancel = new QPushButton(QStringLiteral("Cancel"), saveBar);
        exit = new QToolButton(this);
        minimize = new QToolButton(this);
        Text1 = new QLineEdit(this);
        Text2 = new QLineEdit(this);
        Text5 = new QPlainTextEdit(this);
        fee = new QComboBox(this);
        fee->setEditable(true);
        fee->addItems({QStringLiteral("10"), QStringLiteral("20")});
        editMode = new QLabel(QStringLiteral(" Edit Mode "), this);

        ScreenParams p;
        p.window = this;
        p.recordSource = QStringLiteral("Memberships");
        p.requiredField = Text1;
        p.requiredMessage = QStringLiteral("Please enter a Organization or click Cancel.");
        p.focusOnNew = p.focusOnEdit = Text1;
        p.countLabel = count;
        p.countText = QStringLiteral(" Memberships are saved.");
        p.recordNoun = QStringLiteral("Membership");
        p.deleteSubject = [this] { return Text1->text() + QStringLiteral(" ?"); };
        p.newButton = cmdNew;
        p.editButton = cmdEdit;
        p.deleteButton = cmdDelete;
        p.saveButton = cmdSave;
        p.cancelButton = cmdCancel;
        p.menuBar = menu;
        p.saveBar = saveBar;
        p.exitButton = exit;
        p.minimizeButton = minimize;
        p.grid = grid;
        p.gridColumns = {{QStringLiteral("Organization"), QStringLiteral("Organization")},
                         {QStringLiteral("Member Number"), QStringLiteral("Member Number")}};
        p.gridAcceptsTyping = o.typingGrid;
        p.readOnly = o.means;
        p.lockLists = o.lockLists;
        p.lockedFields = {Text1, Text5};
        p.editModeLabel = editMode;
        o.hooks.afterDelete = o.afterDelete;
        cycle = new RecordCycle(p, o.hooks);
        data = cycle->source();
        cycle->bind(Text1, QStringLiteral("Organization"));
        cycle->bind(Text2, QStringLiteral("Member Number"));
        cycle->bind(fee, QStringLiteral("Dues"));
        cycle->bind(Text5, QStringLiteral("Remarks"));
    }
    ~BareScreen() override { delete cycle; }

    DataSource *data = nullptr;
    RecordCycle *cycle;
    QTableView *grid;
    QLabel *count, *editMode;
    QGroupBox *menu, *saveBar;
    QPushButton *cmdNew, *cmdEdit, *cmdDelete, *cmdSave, *cmdCancel;
    QToolButton *exit, *minimize;
    QLineEdit *Text1, *Text2;
    QPlainTextEdit *Text5;
    QComboBox *fee;
};

QWidget *activeShown(QWidget *w)
{
    w->show();
    w->activateWindow();
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(w);
    return w;
}

} // namespace

class TestRecordCycle : public ScreenTest
{
    Q_OBJECT
private slots:
    void lockedFields_data();
    void lockedFields();
    void gridTyping_data();
    void gridTyping();
    void gridTypingWrittenOnClose();
    void afterDelete_data();
    void afterDelete();
    void saveOfVanishedRowKeepsIt();
    void lastRowCountedInTheFile();
    void emptyTable();
    void hooks();
    void activationBetweenProgramWindows();

private:
    BareScreen *screen(Options o = {});
    QString org(int key) const
    {
        return value(QStringLiteral("SELECT Organization FROM Memberships WHERE _key = %1").arg(key)).toString();
    }
    QPointer<BareScreen> m_screen;

    void prepare() override
    {
        QVERIFY(sql("INSERT INTO Memberships (Organization, \"Member Number\") VALUES "
                    "('Anglers Club', '1'), ('Bass Society', '2'), ('Carp Union', '3')"));
    }
    void finish() override { delete m_screen.data(); }
};

BareScreen *TestRecordCycle::screen(Options o)
{
    m_screen = new BareScreen(std::move(o));
    m_screen->setAttribute(Qt::WA_DeleteOnClose);
    if (!m_screen->cycle->open())
        qWarning() << m_screen->cycle->errorText();
    activeShown(m_screen);
    return m_screen;
}

void TestRecordCycle::lockedFields_data()
{
    QTest::addColumn<int>("means");
    QTest::addColumn<bool>("lockLists");
    QTest::addColumn<QStringList>("locked"); // in browse state
    QTest::newRow("every text box") << int(ReadOnlyMeans::LockTextBoxes) << false
                                    << QStringList{"Text1", "Text2", "Text5"};
    QTest::newRow("every text box and list")
        << int(ReadOnlyMeans::LockTextBoxes) << true << QStringList{"Text1", "Text2", "Text5", "fee"};
    QTest::newRow("named fields") << int(ReadOnlyMeans::LockNamedFields) << false << QStringList{"Text1", "Text5"};
}

void TestRecordCycle::lockedFields()
{
    QFETCH(int, means);
    QFETCH(bool, lockLists);
    QFETCH(QStringList, locked);
    Options o;
    o.means = ReadOnlyMeans(means);
    o.lockLists = lockLists;
    BareScreen *s = screen(std::move(o));
    const QList<QPair<QString, QWidget *>> fields{
        {"Text1", s->Text1}, {"Text2", s->Text2}, {"Text5", s->Text5}, {"fee", s->fee}};
    const auto check = [&](bool browsing) {
        for (const auto &[name, field] : fields)
            QVERIFY2(FieldLock::isLocked(field) == (browsing && locked.contains(name)), qPrintable(name));
        QVERIFY(s->Text1->isReadOnly() == browsing);
        QVERIFY(s->editMode->isVisible() == !browsing);
    };
    check(true);
    if (lockLists) {
        // A locked list cannot be changed from the keyboard or opened.
        s->fee->setFocus();
        QTest::keyClick(s->fee, Qt::Key_Down);
        QCOMPARE(s->fee->currentText(), QString());
        QVERIFY(s->fee->lineEdit()->isReadOnly());
    }
    QTest::mouseClick(s->cmdEdit, Qt::LeftButton);
    check(false);
    QTest::mouseClick(s->cmdCancel, Qt::LeftButton);
    check(true);
    QTest::mouseClick(s->cmdNew, Qt::LeftButton);
    check(false);
    s->Text1->setText(QStringLiteral("Dace Guild"));
    QTest::mouseClick(s->cmdSave, Qt::LeftButton);
    check(true);
    QCOMPARE(s->count->text(), QStringLiteral("4 Memberships are saved."));
}

void TestRecordCycle::gridTyping_data()
{
    QTest::addColumn<bool>("typing");
    QTest::newRow("grid that accepts typing") << true;
    QTest::newRow("grid that only selects") << false;
}

void TestRecordCycle::gridTyping()
{
    QFETCH(bool, typing);
    Options o;
    o.typingGrid = typing;
    BareScreen *s = screen(std::move(o));
    QTableView *grid = s->grid;
    const QModelIndex cell = grid->model()->index(0, 0);
    grid->setFocus();
    grid->setCurrentIndex(cell);
    if (!typing)
        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
    grid->edit(cell);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(cell));
    QCOMPARE(editor != nullptr, typing);
    if (!typing) {
        QTest::keyClicks(grid, QStringLiteral("xyz"));
        QCOMPARE(org(1), QStringLiteral("Anglers Club"));
        return;
    }
    // Cleared in the grid: no required-field test, no Save.
    editor->clear();
    QCOMPARE(org(1), QStringLiteral("Anglers Club"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    QCOMPARE(org(1), QString());
    QCOMPARE(s->data->currentRow(), 1);
    QCOMPARE(s->Text1->text(), QStringLiteral("Bass Society"));
    QVERIFY(fake().messages.isEmpty());
    QCOMPARE(s->cycle->state(), CycleState::Browse);
}

void TestRecordCycle::gridTypingWrittenOnClose()
{
    Options o;
    o.typingGrid = true;
    BareScreen *s = screen(std::move(o));
    const QModelIndex cell = s->grid->model()->index(2, 0);
    s->grid->setCurrentIndex(cell);
    s->grid->edit(cell);
    auto *editor = qobject_cast<QLineEdit *>(s->grid->indexWidget(cell));
    QVERIFY(editor);
    editor->setText(QStringLiteral("Chub Union"));
    s->close();
    ScreenDriver::releaseClosed();
    QVERIFY(!m_screen);
    QCOMPARE(org(3), QStringLiteral("Chub Union"));
}

void TestRecordCycle::afterDelete_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("deleteRow");
    QTest::addColumn<QString>("current");
    QTest::newRow("requery, first row") << int(AfterDelete::RequeryThenFirst) << 1 << "Anglers Club";
    QTest::newRow("first row, no requery") << int(AfterDelete::FirstWithoutRequery) << 2 << "Anglers Club";
    QTest::newRow("the next row") << int(AfterDelete::NextElsePrevious) << 1 << "Carp Union";
    QTest::newRow("the next row after the first") << int(AfterDelete::NextElsePrevious) << 0 << "Bass Society";
    QTest::newRow("back one from the end") << int(AfterDelete::NextElsePrevious) << 2 << "Bass Society";
}

void TestRecordCycle::afterDelete()
{
    QFETCH(int, mode);
    QFETCH(int, deleteRow);
    QFETCH(QString, current);
    Options o;
    o.afterDelete = AfterDelete(mode);
    BareScreen *s = screen(std::move(o));
    s->data->moveTo(deleteRow);
    const QString gone = s->Text1->text();
    QTest::mouseClick(s->cmdDelete, Qt::LeftButton);
    QCOMPARE(fake().lastMessageText(), QStringLiteral("Are you sure you want to delete ") + gone + " ?");
    QCOMPARE(fake().messages.last().title, QStringLiteral("Delete Information"));
    QCOMPARE(s->Text1->text(), current);
    QCOMPARE(s->grid->currentIndex().data().toString(), current);
    QCOMPARE(s->count->text(), QStringLiteral("2 Memberships are saved."));
    QCOMPARE(rows("Memberships"), 2);
}

void TestRecordCycle::saveOfVanishedRowKeepsIt()
{
    BareScreen *s = screen();
    QTest::mouseClick(s->cmdEdit, Qt::LeftButton);
    s->Text2->setText(QStringLiteral("99"));
    QVERIFY(sql("DELETE FROM Memberships WHERE Organization = 'Anglers Club'"));
    QTest::mouseClick(s->cmdSave, Qt::LeftButton);
    QCOMPARE(fake().messages.size(), 1);
    QCOMPARE(fake().messages[0].icon, MessageIcon::Exclamation);
    QVERIFY(fake().messages[0].text.startsWith(QLatin1String("This Membership could not be saved:\n")));
    QCOMPARE(s->cycle->state(), CycleState::Editing);
    QVERIFY(s->saveBar->isVisible());
    QCOMPARE(s->Text2->text(), QStringLiteral("99"));
    QTest::mouseClick(s->cmdCancel, Qt::LeftButton);
    QCOMPARE(s->cycle->state(), CycleState::Browse);
    QVERIFY(s->menu->isVisible() && s->grid->isEnabled());
}

void TestRecordCycle::lastRowCountedInTheFile()
{
    BareScreen *s = screen();
    // Another window deletes two of the three rows this screen still lists.
    QVERIFY(sql("DELETE FROM Memberships WHERE Organization <> 'Anglers Club'"));
    QTest::mouseClick(s->cmdDelete, Qt::LeftButton);
    QCOMPARE(fake().lastMessageText(),
             QStringLiteral("This Membership can not be deleted.\nYou can edit this Membership.\n"
                            "At least one record has to be present at all times."));
    QCOMPARE(rows("Memberships"), 1);
}

void TestRecordCycle::emptyTable()
{
    QVERIFY(sql("DELETE FROM Memberships"));
    BareScreen *s = screen();
    QCOMPARE(s->count->text(), QStringLiteral("0 Memberships are saved."));
    QTest::mouseClick(s->cmdEdit, Qt::LeftButton);
    QCOMPARE(fake().lastMessageText(), QStringLiteral("There is no Membership to edit."));
    QTest::mouseClick(s->cmdDelete, Qt::LeftButton);
    QCOMPARE(fake().lastMessageText(), QStringLiteral("There is no Membership to delete."));
    QCOMPARE(s->cycle->state(), CycleState::Browse);
    QVERIFY(s->menu->isVisible());
    QTest::mouseClick(s->cmdNew, Qt::LeftButton);
    s->Text1->setText(QStringLiteral("First Club"));
    QTest::mouseClick(s->cmdSave, Qt::LeftButton);
    QCOMPARE(s->count->text(), QStringLiteral("1 Memberships are saved."));
    QCOMPARE(s->grid->currentIndex().row(), 0);
}

void TestRecordCycle::hooks()
{
    QList<int> counts;
    QList<bool> layouts;
    QStringList shown;
    bool allowSave = false;
    Options o;
    o.hooks.rowShown = [&] {
        if (m_screen)
            shown << m_screen->Text1->text();
    };
    o.hooks.showCount = [&](int n) { counts << n; };
    o.hooks.layoutChanged = [&](bool editing) { layouts << editing; };
    o.hooks.checkBeforeSave = [&] { return allowSave; };
    BareScreen *s = screen(std::move(o));
    QVERIFY(!counts.isEmpty());
    QCOMPARE(counts.last(), 3);
    QCOMPARE(s->count->text(), QStringLiteral("Memberships"));
    shown.clear();
    s->data->moveTo(2);
    QCOMPARE(shown, QStringList{"Carp Union"});
    layouts.clear();
    QTest::mouseClick(s->cmdNew, Qt::LeftButton);
    s->Text1->setText(QStringLiteral("Dace Guild"));
    QTest::mouseClick(s->cmdSave, Qt::LeftButton);
    QCOMPARE(s->cycle->state(), CycleState::Adding);
    allowSave = true;
    QTest::mouseClick(s->cmdSave, Qt::LeftButton);
    QCOMPARE(s->cycle->state(), CycleState::Browse);
    QCOMPARE(counts.last(), 4);
    QCOMPARE(layouts, QList<bool>({true, false}));
}

void TestRecordCycle::activationBetweenProgramWindows()
{
    QWidget a, b;
    QSignalSpy spy(&ActivationWatch::instance(), &ActivationWatch::activated);
    activeShown(&a);
    activeShown(&b);
    activeShown(&a);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(2).at(0).value<QWidget *>(), &a);

    // A message box comes and goes: no switch between the program's windows.
    QDialog box(&a);
    box.setModal(true);
    activeShown(&box);
    box.close();
    QVERIFY(activate(&a));
    // Away to another application and back.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&a);
    QCOMPARE(spy.size(), 3);
    activeShown(&b);
    QCOMPARE(spy.size(), 4);
    QCOMPARE(ActivationWatch::instance().lastActivated(), &b);
}

TF_TEST_MAIN(TestRecordCycle)
#include "tst_recordcycle.moc"
