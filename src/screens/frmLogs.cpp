#include "screens/frmLogs.h"

#include "data/DateField.h"
#include "data/Places.h"
#include "data/RecordSources.h"
#include "data/Schema.h"
#include "moon/SolunarTrip.h"
#include "platform/Platform.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Art.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

namespace tf {

namespace {

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kGridRect(26, 56, 350, 250);

const QString kNumbersOnly = QStringLiteral("Please enter numbers only.");

} // namespace

frmLogs::frmLogs(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLogs"));
    m_chrome = new WindowChrome(this);

    auto *Label2 = new QLabel(QStringLiteral("Fishing Logs"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    look::styleCountCaption(Label2);
    Label2->setGeometry(28, 18, 300, 32);

    auto *cmdSearch = makePictureButton(this, "cmdSearch", QStringLiteral(" Search "), art::searchButton());
    cmdSearch->setGeometry(334, 15, 38, 38);
    connect(cmdSearch, &QToolButton::clicked, this, [this] { openBeside(QStringLiteral("frmSearch")); });

    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    buildBars();

    ScreenParams p;
    p.window = this;
    p.recordSource = RecordSources::kLogByDate;
    p.title = QStringLiteral("The fishing log");
    p.requiredMessage = QStringLiteral("Please enter a Lake or River or click Cancel.");
    p.countLabel = Label2;
    p.countText = QStringLiteral(" Fishing Logs");
    p.recordNoun = QStringLiteral("Log");
    p.deleteSubject = [this] { return Label42->text() + QStringLiteral(" ?"); };
    p.reportFile = QStringLiteral("log.rpt");
    p.useBars(findChild<QWidget *>(QStringLiteral("jcMenu")), findChild<QWidget *>(QStringLiteral("jcSave")));
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.offWhileEditing = {findChild<QWidget *>(QStringLiteral("jcSort")),
                         findChild<QWidget *>(QStringLiteral("jcFrames3")), cmdSearch};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Lake / River"), QStringLiteral("Lake")},
                     {QStringLiteral("Marina / Launch Area"), QStringLiteral("Ramp")}};
    p.readOnly = ReadOnlyMeans::PanelSwap;
    CycleHooks hooks;
    hooks.checkBeforeSave = [this] { return totalFishIsWholeNumber(); };
    // Adding or changing a trip starts at the top of the editing panel, where
    // "Edit Mode" and the first field are, whatever was scrolled to before.
    hooks.layoutChanged = [this](bool editing) {
        if (auto *bar = findChild<QScrollBar *>(QStringLiteral("VScroll1")); bar && editing)
            bar->setValue(0);
    };
    hooks.rowShown = [this] { showSolunar(); };
    m_cycle = new RecordCycle(p, hooks);
    // Narrow enough for the last heading, "Marina / Launch Area", to show whole.
    DBGrid1->setColumnWidth(0, 76);
    DBGrid1->setColumnWidth(1, 100);

    buildReadOnlyPanel();
    buildEditPanel();

    // The trip day's periods, small, in the free band over the trip's panel and next to
    // its date: the panel's rows have no room to spare for them.
    lblSolunar = new QLabel(this);
    lblSolunar->setObjectName(QStringLiteral("lblSolunar"));
    QFont small = lblSolunar->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblSolunar->setFont(small);
    lblSolunar->setStyleSheet(QStringLiteral("color: #f0e6c8;"));
    lblSolunar->setWordWrap(true);
    lblSolunar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblSolunar->setGeometry(384, 12, 290, 42);
}

void frmLogs::buildBars()
{
    const int x = kGridRect.left();
    const int w = kGridRect.width();
    const kit::ButtonDecl sort[] = {
        {"cmdDate", "Date", " Sort List by Date ", [this] { m_cycle->sortBy(RecordSources::kLogByDate); }},
        {"cmdLake", "Lake / River", " Sort by Lake / River ", [this] { m_cycle->sortBy(RecordSources::kLogByLake); }},
    };
    kit::makeButtonBar(this, "jcSort", QStringLiteral("Sort By:"), sort)->setGeometry(x, 312, w, 70);
    // Each opens beside this window on its own data.
    const kit::ButtonDecl utilities[] = {
        {"cmdNotebook", "Notebook", " Add additional notes ", [this] { openBeside(QStringLiteral("frmNotebook")); }},
        {"cmdPicture", "   View Picture", " View Picture ", [this] { openBeside(QStringLiteral("frmPicture")); }},
        {"cmdFish", "  Fish Caught", " Show Fish Caught ", [this] { openBeside(QStringLiteral("frmFish")); }},
    };
    kit::makeButtonBar(this, "jcFrames3", QStringLiteral("Utilities"), utilities)->setGeometry(x, 386, w, 70);
    const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Log "},
                                    {"cmdEdit", "Edit", " Edit this Log "},
                                    {"cmdDelete", "Delete", " Delete this Log "},
                                    {"cmdPrint", "Print", " Print Preview "}};
    QGroupBox *jcMenu = kit::makeButtonBar(this, "jcMenu", QStringLiteral("Menu"), menu);
    jcMenu->setGeometry(x, 460, w, 72);
    // The save bar takes the menu bar's place while a trip is being added or changed.
    kit::makeSaveBar(this)->setGeometry(jcMenu->geometry());
}

bool frmLogs::load()
{
    m_cycle->open();
    return true;
}

QString frmLogs::databaseProblem() const
{
    return m_cycle->problem();
}

void frmLogs::openBeside(const QString &windowName)
{
    // The log screen stays as it is behind the window it opens.
    WindowRegistry::open(windowName, this, OpenerState::Keep);
}

// The periods of the trip's day at its lake, or where to give the lake a position.
void frmLogs::showSolunar()
{
    if (!lblSolunar)
        return;
    const DataSource *source = m_cycle->source();
    const QString lake = source->hasCurrent() ? source->value(QStringLiteral("Lake")).toString() : QString();
    const QString line = source->hasCurrent() ? solunar::tripLine(readPlaces(programDatabasePath()), lake,
                                                                  source->value(QStringLiteral("Date")))
                                              : QString();
    // Majors on one line, minors on the next.
    lblSolunar->setText(QString(line).replace(QStringLiteral("  Minor"), QStringLiteral("\nMinor")));
    lblSolunar->setToolTip(line);
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

} // namespace tf
