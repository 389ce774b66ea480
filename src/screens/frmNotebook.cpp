#include "screens/frmNotebook.h"

#include "data/RecordSources.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tf {

namespace {

using kit::FieldKind;

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kGridRect(26, 104, 350, 274);
constexpr QRect kTripRect(388, 56, 352, 480);

QLabel *caption(QWidget *parent, const char *name, const QString &text)
{
    QLabel *label = look::makeCaption(parent, text);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

frmNotebook::frmNotebook(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmNotebook"));
    m_chrome = new WindowChrome(this);

    auto *Label1 = new QLabel(QStringLiteral("Notebook"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    look::styleCountCaption(Label1);
    Label1->setGeometry(28, 18, 300, 32);

    QLabel *Label10 = look::makeValue(this, QStringLiteral("Label10"));
    Label10->setText(QStringLiteral(
        "Select the fishing trip that you would like to add extra notes about and then click \"Edit\"."));
    Label10->setWordWrap(true);
    Label10->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Label10->setGeometry(28, 56, 346, 44);

    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    QLabel *Label9 = look::makeEditModeLabel(this, QStringLiteral("Label9"), QStringLiteral(" Edit Mode "));
    Label9->setGeometry(kTripRect.left(), 24, 96, 22);

    // The trip on the right: its date and lake, read-only, above its notes.
    QFrame *trip = look::makePanel(this, QStringLiteral("Picture1"), kTripRect);
    QLabel *Label4 = caption(trip, "Label4", QStringLiteral("Date:"));
    Label4->setGeometry(14, 12, 60, 24);
    QLabel *Label3 = look::makeValue(trip, QStringLiteral("Label3"));
    Label3->setGeometry(76, 12, kTripRect.width() - 90, 24);
    QLabel *Label6 = caption(trip, "Label6", QStringLiteral("Lake:"));
    Label6->setGeometry(14, 40, 60, 24);
    QLabel *Label5 = look::makeValue(trip, QStringLiteral("Label5"));
    Label5->setGeometry(76, 40, kTripRect.width() - 90, 24);
    QGroupBox *jcFrames1 = makeBar(trip, QStringLiteral("jcFrames1"), QStringLiteral("Extra Notes"));
    jcFrames1->setGeometry(8, 72, kTripRect.width() - 16, kTripRect.height() - 80);
    auto *Text1 = static_cast<QPlainTextEdit *>(
        kit::makeField(jcFrames1, {"Text1", QString(), QStringLiteral("Notebook"), FieldKind::MultiLine}));
    auto *notesLayout = new QVBoxLayout(jcFrames1);
    notesLayout->setContentsMargins(4, 8, 4, 4);
    notesLayout->addWidget(Text1);

    buildBars();

    ScreenParams p;
    p.window = this;
    p.recordSource = RecordSources::kLogByDate;
    p.title = QStringLiteral("The fishing notebook");
    p.recordNoun = QStringLiteral("Log");
    p.requiredField = Text1;
    p.requiredMessage = QStringLiteral("Please enter some notes or click Cancel.");
    p.focusOnEdit = Text1;
    p.reportFile = QStringLiteral("diary.rpt");
    p.useBars(findChild<QWidget *>(QStringLiteral("jcFrames4")), findChild<QWidget *>(QStringLiteral("jcFrames2")));
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.offWhileEditing = {findChild<QWidget *>(QStringLiteral("jcSort"))};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Lake"), QStringLiteral("Lake")},
                     {QStringLiteral("Marina / Launch Area"), QStringLiteral("Ramp")}};
    p.readOnly = ReadOnlyMeans::LockNamedFields;
    p.lockedFields = {Text1};
    p.editModeLabel = Label9;
    CycleHooks hooks;
    // Another window may have changed, added or deleted trips (the date and lake are the fishing log's to change).
    hooks.rereadWhenActivated = true;
    m_cycle = new RecordCycle(p, hooks);
    m_cycle->bind(Label3, QStringLiteral("Date"));
    m_cycle->bind(Label5, QStringLiteral("Lake"));
    m_cycle->bind(Text1, QStringLiteral("Notebook"));
    DBGrid1->setColumnWidth(0, 76);
    DBGrid1->setColumnWidth(1, 100);
}

void frmNotebook::buildBars()
{
    const int x = kGridRect.left();
    const int w = kGridRect.width();
    const kit::ButtonDecl sort[] = {
        {"cmdDate", "Date", " Sort by Date ", [this] { m_cycle->sortBy(RecordSources::kLogByDate); }},
        {"cmdLake", "Lake / River", " Sort by Lake / River ", [this] { m_cycle->sortBy(RecordSources::kLogByLake); }},
    };
    kit::makeButtonBar(this, "jcSort", QStringLiteral("Sort By:"), sort)->setGeometry(x, 386, w, 70);
    const kit::ButtonDecl menu[] = {{"cmdEdit", "Edit", " Edit this Page "}, {"cmdPrint", "Print", " Print Preview "}};
    QGroupBox *jcFrames4 = kit::makeButtonBar(this, "jcFrames4", QStringLiteral("Menu"), menu);
    jcFrames4->setGeometry(x, 460, w, 72);
    kit::makeSaveBar(this, {.name = "jcFrames2", .noteName = "Label8"})->setGeometry(jcFrames4->geometry());
}

bool frmNotebook::load()
{
    m_cycle->open();
    return true;
}

QString frmNotebook::databaseProblem() const
{
    return m_cycle->problem();
}

void frmNotebook::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted() || WindowRegistry::closingAll())
        return;
    // The notebook belongs to the fishing log: closing it brings the log back.
    QWidget *logs = WindowRegistry::find(QStringLiteral("frmLogs"));
    if (logs && logs->isVisible() && (logs->windowState() & Qt::WindowMinimized))
        logs->setWindowState(logs->windowState() & ~Qt::WindowMinimized);
}

} // namespace tf
