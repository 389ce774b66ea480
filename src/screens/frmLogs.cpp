#include "screens/frmLogs.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenLook.h"
#include "shell/Art.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace tf {

const QString frmLogs::kByDate = QStringLiteral("Select * FROM Log Order By Date Desc");
const QString frmLogs::kByLake = QStringLiteral("Select * FROM Log Order By Lake");

namespace {

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kGridRect(26, 56, 350, 250);

const QString kNumbersOnly = QStringLiteral("Please enter numbers only.");

QPushButton *barButton(QGroupBox *bar, const char *name, const QString &text, const QString &toolTip)
{
    auto *b = new QPushButton(text, bar);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(toolTip);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

frmLogs::frmLogs(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLogs"));
    m_chrome = new WindowChrome(this);
    build();
    setUpCycle();
}

frmLogs::~frmLogs()
{
    // The cycle and its grid model go before the data sources they watch.
    delete m_cycle;
}

void frmLogs::build()
{
    Label2 = new QLabel(QStringLiteral("Fishing Logs"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    look::styleCountCaption(Label2);
    Label2->setGeometry(28, 18, 300, 32);

    cmdSearch = new QToolButton(this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setToolTip(QStringLiteral(" Search "));
    cmdSearch->setAutoRaise(true);
    cmdSearch->setCursor(Qt::PointingHandCursor);
    const QPixmap searchPicture(art::searchButton());
    cmdSearch->setIcon(QIcon(searchPicture));
    cmdSearch->setIconSize(searchPicture.isNull() ? QSize(32, 32) : searchPicture.size());
    cmdSearch->setGeometry(334, 15, 38, 38);
    connect(cmdSearch, &QToolButton::clicked, this, [this] { openBeside(QStringLiteral("frmSearch")); });

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    buildBars();
    buildReadOnlyPanel();
    buildEditPanel();
}

void frmLogs::buildBars()
{
    const int x = kGridRect.left();
    const int w = kGridRect.width();
    jcSort = makeBar(this, QStringLiteral("jcSort"), QStringLiteral("Sort By:"));
    jcSort->setGeometry(x, 312, w, 70);
    cmdDate = barButton(jcSort, "cmdDate", QStringLiteral("Date"), QStringLiteral(" Sort List by Date "));
    cmdLake = barButton(jcSort, "cmdLake", QStringLiteral("Lake / River"), QStringLiteral(" Sort by Lake / River "));
    look::rowOfButtons(jcSort, {cmdDate, cmdLake});
    connect(cmdDate, &QPushButton::clicked, this, [this] { m_cycle->sortBy(kByDate); });
    connect(cmdLake, &QPushButton::clicked, this, [this] { m_cycle->sortBy(kByLake); });

    jcFrames3 = makeBar(this, QStringLiteral("jcFrames3"), QStringLiteral("Utilities"));
    jcFrames3->setGeometry(x, 386, w, 70);
    cmdNotebook =
        barButton(jcFrames3, "cmdNotebook", QStringLiteral("Notebook"), QStringLiteral(" Add additional notes "));
    cmdPicture =
        barButton(jcFrames3, "cmdPicture", QStringLiteral("   View Picture"), QStringLiteral(" View Picture "));
    cmdFish = barButton(jcFrames3, "cmdFish", QStringLiteral("  Fish Caught"), QStringLiteral(" Show Fish Caught "));
    look::rowOfButtons(jcFrames3, {cmdNotebook, cmdPicture, cmdFish});
    // Each opens beside this window on its own data, once that window exists.
    connect(cmdNotebook, &QPushButton::clicked, this, [this] { openBeside(QStringLiteral("frmNotebook")); });
    connect(cmdPicture, &QPushButton::clicked, this, [this] { openBeside(QStringLiteral("frmPicture")); });
    connect(cmdFish, &QPushButton::clicked, this, [this] { openBeside(QStringLiteral("frmFish")); });

    jcMenu = makeBar(this, QStringLiteral("jcMenu"), QStringLiteral("Menu"));
    jcMenu->setGeometry(x, 460, w, 72);
    cmdNew = barButton(jcMenu, "cmdNew", QStringLiteral("New"), QStringLiteral(" Add a new Log "));
    cmdEdit = barButton(jcMenu, "cmdEdit", QStringLiteral("Edit"), QStringLiteral(" Edit this Log "));
    cmdDelete = barButton(jcMenu, "cmdDelete", QStringLiteral("Delete"), QStringLiteral(" Delete this Log "));
    cmdPrint = barButton(jcMenu, "cmdPrint", QStringLiteral("Print"), QStringLiteral(" Print Preview "));
    look::rowOfButtons(jcMenu, {cmdNew, cmdEdit, cmdDelete, cmdPrint});

    // The save bar takes the menu bar's place while a trip is being added or changed.
    jcSave = makeBar(this, QStringLiteral("jcSave"), QStringLiteral("Menu"));
    jcSave->setGeometry(jcMenu->geometry());
    cmdSave = barButton(jcSave, "cmdSave", QStringLiteral("Save"), QString());
    cmdCancel = barButton(jcSave, "cmdCancel", QStringLiteral("Cancel"), QString());
    Label1 = new QLabel(QStringLiteral("Click Save or Cancel before you can Exit."), jcSave);
    Label1->setObjectName(QStringLiteral("Label1"));
    look::saveBarLayout(jcSave, cmdSave, cmdCancel, Label1);
    jcSave->hide();
}

void frmLogs::setUpCycle()
{
    ScreenParams p;
    p.window = this;
    p.recordSource = kByDate;
    p.requiredField = DBCombo1;
    p.requiredMessage = QStringLiteral("Please enter a Lake or River or click Cancel.");
    p.focusOnNew = DTPicker1;
    p.defaultsOfNew = [this] { DTPicker1->setDate(platform().today()); };
    p.focusOnEdit = DBCombo1;
    p.countLabel = Label2;
    p.countText = QStringLiteral(" Fishing Logs");
    p.recordNoun = QStringLiteral("Log");
    p.deleteSubject = [this] { return Label42->text() + QStringLiteral(" ?"); };
    p.deleteTitle = QStringLiteral("Delete Information");
    p.reportFile = QStringLiteral("log.rpt");
    p.newButton = cmdNew;
    p.editButton = cmdEdit;
    p.deleteButton = cmdDelete;
    p.printButton = cmdPrint;
    p.saveButton = cmdSave;
    p.cancelButton = cmdCancel;
    p.menuBar = jcMenu;
    p.saveBar = jcSave;
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.offWhileEditing = {jcSort, jcFrames3, cmdSearch};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Lake / River"), QStringLiteral("Lake")},
                     {QStringLiteral("Marina / Launch Area"), QStringLiteral("Ramp")}};
    p.readOnly = ReadOnlyMeans::PanelSwap;
    p.readOnlyPanel = Picture3;
    p.editPanel = Picture1;

    CycleHooks hooks;
    hooks.checkBeforeSave = [this] { return totalFishIsWholeNumber(); };
    m_cycle = new RecordCycle(&Data1, p, hooks);
    DBGrid1->setColumnWidth(0, 88);
    DBGrid1->setColumnWidth(1, 104);

    for (const auto &[field, column] : std::as_const(m_fields))
        m_cycle->bind(field, column);
}

bool frmLogs::load()
{
    QStringList problems;
    if (m_cycle->open()) {
        fillLookup(DatLakes, QStringLiteral("Lakes"), QStringLiteral("Lakes"), DBCombo1);
        fillLookup(DatRamps, QStringLiteral("Ramps"), QStringLiteral("Ramps"), DBCombo2);
        fillLookup(DatFish, QStringLiteral("Fish"), QStringLiteral("Fish"), DBCombo3);
        fillLookup(DatLures, QStringLiteral("Lures"), QStringLiteral("Lure"), DBCombo4);
        for (const DataSource *s : {&DatLakes, &DatRamps, &DatFish, &DatLures})
            if (!s->isOpen())
                problems << s->errorText();
        if (!problems.isEmpty())
            problems.prepend(QStringLiteral("Some lists of choices of the fishing log cannot be read:"));
    } else {
        problems << QStringLiteral("The fishing log cannot be opened.") << Data1.errorText()
                 << QStringLiteral("Nothing has been changed. \"Exit & Backup Database\" on the control panel can "
                                   "restore a backup copy or repair the file.");
        // Nothing here works without the trips; the window can still be closed.
        for (QWidget *w : std::initializer_list<QWidget *>{jcMenu, jcSort, jcFrames3, cmdSearch, DBGrid1})
            w->setEnabled(false);
    }
    m_problem = problems.join(QLatin1Char('\n'));
    return true;
}

void frmLogs::fillLookup(DataSource &source, const QString &table, const QString &column, QComboBox *list)
{
    if (!source.open(programFile(kDatabaseFileName), table))
        return;
    const int field = source.fieldIndex(column);
    const QString shown = list->currentText();
    for (int row = 0; row < source.recordCount(); ++row) {
        const QString item = source.valueAt(row, field).toString();
        if (!item.isEmpty())
            list->addItem(item);
    }
    // Filling a list must not change the text the trip shows in it.
    list->setEditText(shown);
}

void frmLogs::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_problem.isEmpty() && !m_problemReported)
        QTimer::singleShot(0, this, &frmLogs::reportProblem);
}

void frmLogs::reportProblem()
{
    if (m_problemReported)
        return;
    m_problemReported = true;
    showMessage(this, MessageIcon::Exclamation, m_problem);
}

void frmLogs::openBeside(const QString &windowName)
{
    // The log screen stays as it is behind the window it opens.
    WindowRegistry::open(windowName, this, OpenerState::Keep);
}

// Number Fish Caught takes only digits, "." and "/" from the keyboard (and
// backspace); any other typed character is dropped with a warning. Keys that
// type nothing (arrows, Delete, Tab) and shortcuts (paste) pass.
bool frmLogs::acceptNumberKey(QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        return true;
    default:
        break;
    }
    const QString text = key->text();
    if (text.isEmpty())
        return true;
    const ushort code = text.at(0).unicode();
    if (text.size() == 1 && (code == 8 || (code >= 46 && code <= 57)))
        return true;
    showMessage(this, MessageIcon::Exclamation, kNumbersOnly);
    Combo9->setFocus(Qt::OtherFocusReason);
    return false;
}

// The column holds a count of fish. A point or a slash gets past the typing
// filter (and anything can be pasted), so Save refuses what is not a whole
// number with the filter's own warning rather than storing "2.5" or "1/2".
bool frmLogs::totalFishIsWholeNumber()
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]*$"));
    if (wholeNumber.match(Combo9->currentText()).hasMatch())
        return true;
    showMessage(this, MessageIcon::Exclamation, kNumbersOnly);
    Combo9->setFocus(Qt::OtherFocusReason);
    return false;
}

bool frmLogs::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == Combo9 || watched == Combo9->lineEdit()))
        return !acceptNumberKey(event);
    return QWidget::eventFilter(watched, event);
}

} // namespace tf
