#include "stats/frmStatistics.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "shell/WindowChrome.h"
#include "stats/SolunarStatsPage.h"
#include "stats/StatsChart.h"
#include "stats/StatsPrint.h"

#include <QAbstractTableModel>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace tf {

using stats::Dimension;

namespace {

const QString kAll = QStringLiteral("(all)");
const QString kAnyDate = QStringLiteral("(any)");
// The date edits' lowest date stands for "no bound".
const QDate kNoBound(100, 1, 1);
constexpr int kMostBars = 10;

// The four the angler asks about first, on the first page.
constexpr Dimension kGlance[] = {Dimension::Month, Dimension::Lake, Dimension::LureColor, Dimension::MoonPhase};

// A count shorter than this shows no busy look, so a quick filter change does not flicker.
constexpr int kBusyLookAfterMs = 150;

} // namespace

// What a request made on the window's thread comes back with.
struct frmStatistics::Outcome
{
    quint64 request = 0;
    stats::Filter filter;
    std::shared_ptr<const stats::TripLog> log; // set when the log was read
    QString readError;                         // why it could not be read
    std::shared_ptr<const stats::Result> result;
};

// The rows of one breakdown for a table view: a log of many lakes has many
// rows, so they are read on demand from the figures instead of made into items
// (or even copied) up front.
class BreakdownModel : public QAbstractTableModel
{
public:
    BreakdownModel(Dimension dimension, QStringList headers, QObject *parent)
        : QAbstractTableModel(parent), m_dimension(dimension), m_headers(std::move(headers))
    {
    }

    void setResult(std::shared_ptr<const stats::Result> result)
    {
        beginResetModel();
        m_result = std::move(result);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_result ? 0 : int(rows().size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 6; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
            return m_headers[section];
        return {};
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        if (role == Qt::TextAlignmentRole && index.column() > 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const stats::GroupRow &row = rows()[size_t(index.row())];
        switch (index.column()) {
        case 0:
            return row.group.size() > 200 ? row.group.left(199) + QChar(0x2026) : row.group;
        case 1:
            return QString::number(row.figures.trips);
        case 2:
            return QString::number(row.figures.known);
        case 3:
            return QString::number(row.figures.fish);
        case 4:
            return stats::perTripText(row.figures);
        default:
            return stats::blankShareText(row.figures);
        }
    }

private:
    const std::vector<stats::GroupRow> &rows() const { return m_result->by(m_dimension).rows; }

    Dimension m_dimension;
    QStringList m_headers;
    std::shared_ptr<const stats::Result> m_result;
};

namespace {

QString capitalised(const QString &text)
{
    return text.left(1).toUpper() + text.mid(1);
}

int barsFor(Dimension d)
{
    return d == Dimension::Year || d == Dimension::Month || d == Dimension::MoonPhase ? 100 : kMostBars;
}

QString chartTitle(Dimension d, size_t groups)
{
    QString title = QStringLiteral("Fish per trip, ") + stats::dimensionTitle(d).toLower();
    if (int(groups) > barsFor(d))
        title += QStringLiteral(" (the %1 with most trips)").arg(barsFor(d));
    return title;
}

QDateEdit *makeDateEdit(const char *name, QWidget *parent)
{
    auto *e = new QDateEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setCalendarPopup(true);
    e->setDateRange(kNoBound, QDate(9999, 12, 31));
    e->setSpecialValueText(kAnyDate);
    e->setDate(kNoBound);
    return e;
}

// One click back to "(any)": the box itself only gets there by stepping down to its lowest date.
QToolButton *makeAnyButton(const char *name, QDateEdit *box, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(QStyle::SP_LineEditClearButton));
    b->setToolTip(QStringLiteral(" Any date: no bound "));
    b->setAutoRaise(true);
    b->setEnabled(false);
    QObject::connect(b, &QToolButton::clicked, box, [box] { box->setDate(kNoBound); });
    QObject::connect(box, &QDateEdit::dateChanged, b, [b](const QDate &d) { b->setEnabled(d != kNoBound); });
    return b;
}

QString missingColumnsText(const QStringList &missing)
{
    if (missing.isEmpty())
        return {};
    QString text = QStringLiteral("The table Log of the database lacks the column(s) %1; they count as empty in "
                                  "every trip.")
                       .arg(missing.join(QStringLiteral(", ")));
    if (missing.contains(stats::kNumberColumn))
        text += QStringLiteral(" Without %1 no trip's catch is known.").arg(stats::kNumberColumn);
    return text;
}

QComboBox *makeChoice(const char *name, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setMinimumContentsLength(14);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

} // namespace

frmStatistics::frmStatistics(QWidget *parent) : QWidget(parent), m_result(std::make_shared<stats::Result>())
{
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Fishing Statistics"));
    // One request at a time: a newer one waits for the older to notice it should stop.
    m_pool.setMaxThreadCount(1);

    auto *filter = fraFilter = new QGroupBox(QStringLiteral("Which trips"), this);
    filter->setObjectName(QStringLiteral("fraFilter"));
    dtpFrom = makeDateEdit("dtpFrom", filter);
    dtpTo = makeDateEdit("dtpTo", filter);
    cmdAnyFrom = makeAnyButton("cmdAnyFrom", dtpFrom, filter);
    cmdAnyTo = makeAnyButton("cmdAnyTo", dtpTo, filter);
    // The calendar of a box at "(any)" would open on January of the year 100.
    dtpFrom->calendarWidget()->installEventFilter(this);
    dtpTo->calendarWidget()->installEventFilter(this);
    cboLake = makeChoice("cboLake", filter);
    cboSpecies = makeChoice("cboSpecies", filter);
    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), filter);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh->setToolTip(QStringLiteral(" Read the fishing log again "));
    auto *filterRow = new QHBoxLayout(filter);
    const auto labelled = [filter, filterRow](const char *name, const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, filter);
        label->setObjectName(QLatin1String(name));
        label->setBuddy(field);
        // Never narrower than its text: at a scaled font the layout would otherwise cut the last letter.
        label->setMinimumWidth(label->sizeHint().width() + 2);
        filterRow->addWidget(label);
        filterRow->addWidget(field);
    };
    labelled("lblFrom", QStringLiteral("&From"), dtpFrom);
    filterRow->addWidget(cmdAnyFrom);
    filterRow->addSpacing(6);
    labelled("lblTo", QStringLiteral("&To"), dtpTo);
    filterRow->addWidget(cmdAnyTo);
    filterRow->addSpacing(6);
    labelled("lblLake", QStringLiteral("&Lake or River"), cboLake);
    labelled("lblSpecies", QStringLiteral("&Species"), cboSpecies);
    filterRow->addStretch();
    filterRow->addWidget(cmdRefresh);

    lblBusy = new QLabel(this);
    lblBusy->setObjectName(QStringLiteral("lblBusy"));
    prgBusy = new QProgressBar(this);
    prgBusy->setObjectName(QStringLiteral("prgBusy"));
    prgBusy->setRange(0, 0); // how long it takes is not known: the bar only moves
    prgBusy->setTextVisible(false);
    prgBusy->setMaximumWidth(240);
    auto *busyRow = new QHBoxLayout;
    busyRow->addWidget(lblBusy);
    busyRow->addWidget(prgBusy);
    busyRow->addStretch();
    lblBusy->hide();
    prgBusy->hide();
    m_busyLook = new QTimer(this);
    m_busyLook->setSingleShot(true);
    m_busyLook->setInterval(kBusyLookAfterMs);

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblTotals->setWordWrap(true);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setStyleSheet(QStringLiteral("color: rgb(255, 170, 150); font-weight: bold;"));
    lblProblem->setWordWrap(true);
    lblProblem->hide();

    tabBreakdowns = new QTabWidget(this);
    tabBreakdowns->setObjectName(QStringLiteral("tabBreakdowns"));
    m_glance = makeGlancePage();
    tabBreakdowns->addTab(m_glance, QStringLiteral("At a Glance"));
    for (int d = 0; d < stats::kDimensionCount; ++d)
        m_pages.push_back(Page{Dimension(d)});
    for (Page &page : m_pages)
        tabBreakdowns->addTab(makeBreakdownPage(page), capitalised(stats::dimensionTitle(page.dimension).mid(3)));
    m_solunarPage = new SolunarStatsPage(this);
    tabBreakdowns->addTab(m_solunarPage, QStringLiteral("Sun && Moon"));

    cmdExportChart = new QPushButton(QStringLiteral("Export Chart..."), this);
    cmdExportChart->setObjectName(QStringLiteral("cmdExportChart"));
    cmdExportChart->setToolTip(QStringLiteral(" Save the chart shown as a PNG picture or a PDF document "));
    cmdExportTable = new QPushButton(QStringLiteral("Export Table..."), this);
    cmdExportTable->setObjectName(QStringLiteral("cmdExportTable"));
    cmdExportTable->setToolTip(QStringLiteral(" Save the table shown as a CSV file "));
    cmdPrint = new QPushButton(QStringLiteral("Print..."), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setToolTip(QStringLiteral(" Print the totals and every table of the trips chosen "));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdExportChart);
    buttons->addWidget(cmdExportTable);
    buttons->addWidget(cmdPrint);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filter);
    layout->addLayout(busyRow);
    layout->addWidget(lblTotals);
    layout->addWidget(lblProblem);
    layout->addWidget(tabBreakdowns, 1);
    layout->addLayout(buttons);
    applyLook();
    // No larger than the screen, as at 125% on a small one.
    QSize size(1100, 860);
    if (const QScreen *where = screen())
        size = size.boundedTo(where->availableGeometry().size() - QSize(24, 48));
    resize(size);
    setOrdinaryFrame(this);

    connect(dtpFrom, &QDateEdit::dateChanged, this, &frmStatistics::recount);
    connect(dtpTo, &QDateEdit::dateChanged, this, &frmStatistics::recount);
    connect(cboLake, &QComboBox::currentIndexChanged, this, &frmStatistics::recount);
    connect(cboSpecies, &QComboBox::currentIndexChanged, this, &frmStatistics::recount);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmStatistics::readLog);
    connect(tabBreakdowns, &QTabWidget::currentChanged, this, &frmStatistics::updateButtons);
    connect(cmdExportChart, &QPushButton::clicked, this, &frmStatistics::exportChart);
    connect(cmdExportTable, &QPushButton::clicked, this, &frmStatistics::exportTable);
    connect(cmdPrint, &QPushButton::clicked, this, &frmStatistics::print);
    connect(m_busyLook, &QTimer::timeout, this, [this] {
        lblBusy->show();
        prgBusy->show();
        lblTotals->setEnabled(false);
        tabBreakdowns->setEnabled(false);
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

// The look of the program's other dark windows: light text on the deep blue,
// the filter on a glass panel, light tables with the dark header the record
// screens' grids have, and the charts as light cards.
void frmStatistics::applyLook()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(18, 40, 66));
    pal.setColor(QPalette::WindowText, QColor(245, 240, 225));
    setPalette(pal);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral(
        "QGroupBox#fraFilter { background: rgba(8, 22, 40, 210); border: 1px solid rgba(200, 225, 255, 150);"
        " border-radius: 9px; margin-top: 1.4ex; padding-top: 1.2ex; }"
        "QGroupBox#fraFilter::title { subcontrol-origin: margin; left: 10px; padding: 0 4px;"
        " color: rgb(240, 214, 140); font-weight: bold; }"
        "QGroupBox#fraFilter > QLabel { color: rgb(170, 200, 232); font-weight: bold; }"
        "QTabWidget::pane { border: 1px solid rgba(200, 225, 255, 150); background: rgb(12, 30, 52); top: -1px; }"
        "QTabBar::tab { background: rgb(30, 70, 110); color: rgb(225, 235, 248); padding: 4px 8px;"
        " border: 1px solid rgba(200, 225, 255, 110); border-bottom: 0; margin-right: 1px;"
        " border-top-left-radius: 4px; border-top-right-radius: 4px; }"
        "QTabBar::tab:selected { background: rgb(12, 30, 52); color: white; font-weight: bold; }"
        "QTabBar::tab:hover:!selected { background: rgb(38, 88, 138); }"
        "QSplitter::handle { background: rgb(12, 30, 52); }"));
    for (Page &page : m_pages) {
        page.table->setAlternatingRowColors(true);
        page.table->setStyleSheet(QStringLiteral(
            "QTableView { background: rgba(250, 252, 255, 240); alternate-background-color: rgb(230, 238, 247);"
            " gridline-color: rgb(195, 205, 220); color: rgb(20, 30, 45);"
            " selection-background-color: rgb(38, 88, 138); selection-color: white;"
            " border: 1px solid rgba(200, 225, 255, 150); }"
            "QHeaderView::section { background: rgb(30, 70, 110); color: white; font-weight: bold;"
            " padding: 3px 5px; border: 0; border-right: 1px solid rgb(70, 110, 150); }"));
    }
    // The calendars open in windows of their own: the light look every calendar of the program has.
    QPalette light = QGuiApplication::palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            light.setColor(group, QPalette::ColorRole(role), light.color(group, QPalette::ColorRole(role)));
    dtpFrom->calendarWidget()->setPalette(light);
    dtpTo->calendarWidget()->setPalette(light);
    QList<StatsChart *> charts;
    for (Page &page : m_pages)
        charts << page.chart;
    for (auto [d, chart] : m_glanceCharts)
        charts << chart;
    for (StatsChart *chart : charts) {
        chart->setBackgroundBrush(QColor(12, 30, 52));
        chart->chart()->setBackgroundBrush(QColor(250, 252, 255));
        chart->chart()->setBackgroundRoundness(6);
    }
}

QWidget *frmStatistics::makeGlancePage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("pagGlance"));
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(4);
    int i = 0;
    for (Dimension d : kGlance) {
        auto *chart = new StatsChart(page);
        chart->setObjectName(QStringLiteral("chtGlance_") + stats::dimensionKey(d));
        grid->addWidget(chart, i / 2, i % 2);
        m_glanceCharts.emplace_back(d, chart);
        ++i;
    }
    return page;
}

QWidget *frmStatistics::makeBreakdownPage(Page &page)
{
    const QString key = stats::dimensionKey(page.dimension);
    auto *splitter = new QSplitter(this);
    page.chart = new StatsChart(splitter);
    page.chart->setObjectName(QStringLiteral("cht_") + key);
    page.table = new QTableView(splitter);
    page.table->setObjectName(QStringLiteral("tbl_") + key);
    page.model = new BreakdownModel(
        page.dimension,
        {stats::dimensionTitle(page.dimension).mid(3, 1).toUpper() + stats::dimensionTitle(page.dimension).mid(4),
         QStringLiteral("Trips"), QStringLiteral("Known catch"), QStringLiteral("Fish"),
         QStringLiteral("Fish per trip"), QStringLiteral("Blank trips")},
        page.table);
    page.table->setModel(page.model);
    page.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.table->setSelectionBehavior(QAbstractItemView::SelectRows);
    page.table->verticalHeader()->hide();
    // Columns sized once by what fits a header, not by measuring every row of a large log.
    page.table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    page.table->horizontalHeader()->setStretchLastSection(false);
    page.table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    // The headers are bold.
    QFont header = page.table->font();
    header.setBold(true);
    const QFontMetrics metrics(header);
    for (int c = 1; c < 6; ++c)
        page.table->setColumnWidth(
            c, metrics.horizontalAdvance(page.model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 24);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    // The five figures take some 370 pixels; the names need room of their own.
    splitter->setSizes({540, 540});
    return splitter;
}

frmStatistics::~frmStatistics()
{
    if (m_stop)
        m_stop->store(true);
    m_pool.waitForDone();
    // The figures of a log of many different names take a while to free; a
    // closing window need not wait for that.
    for (Page &page : m_pages)
        page.model->setResult(nullptr);
    QThreadPool::globalInstance()->start([log = std::move(m_log), result = std::move(m_result)]() mutable {
        result.reset();
        log.reset();
    });
}

bool frmStatistics::load()
{
    ask(true);
    return true;
}

bool frmStatistics::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show)
        for (QDateEdit *box : {dtpFrom, dtpTo})
            if (watched == box->calendarWidget() && box->date() == kNoBound) {
                const QDate today = platform().today();
                box->calendarWidget()->setCurrentPage(today.year(), today.month());
            }
    return QWidget::eventFilter(watched, event);
}

void frmStatistics::readLog()
{
    ask(true);
}

void frmStatistics::fillFilterLists()
{
    m_filling = true;
    for (auto [box, d] : {std::pair{cboLake, Dimension::Lake}, std::pair{cboSpecies, Dimension::Species}}) {
        const QString chosen = box->currentText();
        box->clear();
        box->addItems(QStringList{kAll} + m_log->groupNames(d));
        box->setCurrentIndex(std::max(0, box->findText(chosen, Qt::MatchFixedString | Qt::MatchCaseSensitive)));
    }
    m_filling = false;
}

stats::Filter frmStatistics::currentFilter() const
{
    stats::Filter f;
    if (dtpFrom->date() != kNoBound)
        f.from = dtpFrom->date();
    if (dtpTo->date() != kNoBound)
        f.to = dtpTo->date();
    if (cboLake->currentIndex() > 0)
        f.lake = cboLake->currentText();
    if (cboSpecies->currentIndex() > 0)
        f.species = cboSpecies->currentText();
    return f;
}

void frmStatistics::recount()
{
    if (!m_filling)
        ask(false);
}

// Reads the log (when asked, or when no log has been read yet) and counts the
// filter as it is now, on the window's thread. The request before is told to
// stop; whatever it still brings back is thrown away.
void frmStatistics::ask(bool reread)
{
    reread = reread || m_reading || !m_log;
    if (m_stop)
        m_stop->store(true);
    m_stop = std::make_shared<stats::StopFlag>(false);
    m_reading = reread;
    const quint64 request = ++m_asked;
    const stats::Filter filter = currentFilter();
    std::shared_ptr<const stats::TripLog> log = reread ? nullptr : m_log;
    const QString path = programDatabasePath();
    const std::shared_ptr<stats::StopFlag> stop = m_stop;
    auto *watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        take(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, [request, filter, log, path, stop]() mutable {
        Outcome out{request, filter, nullptr, QString(), nullptr};
        if (!log) {
            auto fresh = std::make_shared<stats::TripLog>();
            fresh->load(path, &out.readError, stop.get()); // a failed read leaves an empty log
            out.log = log = std::move(fresh);
        }
        out.result = std::make_shared<const stats::Result>(log->compute(filter, stop.get()));
        return out;
    }));
    setBusy(true);
}

void frmStatistics::take(const Outcome &outcome)
{
    if (outcome.request != m_asked)
        return; // a newer request is under way: its figures follow
    QString readError;
    if (outcome.log) {
        m_log = outcome.log;
        m_reading = false;
        readError = outcome.readError;
        m_loadError =
            readError.isEmpty() ? QString() : QStringLiteral("The fishing log could not be read.\n") + readError;
        m_missingNote = missingColumnsText(m_log->missingColumns());
        fillFilterLists();
    }
    const stats::Filter now = currentFilter();
    if (now.from != outcome.filter.from || now.to != outcome.filter.to || now.lake != outcome.filter.lake ||
        now.species != outcome.filter.species) {
        // The log read has no group of the lake or species chosen before: count what the filter says now.
        ask(false);
    } else {
        const std::shared_ptr<const stats::Result> old = std::exchange(m_result, outcome.result);
        if (!m_result->ok) {
            lblProblem->setText(m_result->error);
            lblProblem->show();
        } else {
            const QString problem = m_loadError.isEmpty() ? m_missingNote : m_loadError;
            lblProblem->setText(problem);
            lblProblem->setVisible(!problem.isEmpty());
        }
        showTotals();
        showBreakdowns();
        setBusy(false);
        emit figuresShown();
    }
    if (!readError.isEmpty())
        showMessage(this, MessageIcon::Exclamation, m_loadError);
    else if (outcome.log && !m_missingNote.isEmpty())
        showMessage(this, MessageIcon::Exclamation, m_missingNote);
}

void frmStatistics::setBusy(bool busy)
{
    m_busy = busy;
    fraFilter->setEnabled(!m_reading);
    if (busy) {
        lblBusy->setText(m_reading ? QStringLiteral("Reading the fishing log...") : QStringLiteral("Counting..."));
        // Reading a log of many years takes a while: say so at once.
        if (m_reading)
            m_busyLook->start(0);
        else if (!m_busyLook->isActive() && !prgBusy->isVisible())
            m_busyLook->start();
    } else {
        m_busyLook->stop();
        lblBusy->hide();
        prgBusy->hide();
        lblTotals->setEnabled(true);
        tabBreakdowns->setEnabled(true);
    }
    updateButtons();
}

void frmStatistics::showTotals()
{
    const stats::Totals &t = m_result->totals;
    const stats::Figures &f = t.figures;
    if (!m_result->ok) {
        lblTotals->setText(QStringLiteral("No figures for this choice of trips."));
        return;
    }
    QString text = QStringLiteral("<b>%1</b> trips, <b>%2</b> with a known catch").arg(f.trips).arg(f.known);
    if (t.tooMany > 0)
        text += QStringLiteral(" (%1 unknown, left out of the catch figures; %2 of them with more than %3 fish, "
                               "too many to be a catch)")
                    .arg(t.unknown())
                    .arg(t.tooMany)
                    .arg(QLocale().toString(stats::kMostFishPerTrip));
    else if (t.unknown() > 0)
        text += QStringLiteral(" (%1 unknown, left out of the catch figures)").arg(t.unknown());
    text += QStringLiteral(". <b>%1</b> fish, <b>%2</b> fish per trip").arg(f.fish).arg(stats::perTripText(f));
    if (f.known > 0)
        text += QStringLiteral(" over %1 trips").arg(f.known);
    text += QStringLiteral(". Blank trips: <b>%1</b>").arg(stats::blankShareText(f));
    if (t.best) {
        const QString day =
            t.best->date.isValid() ? QLocale().toString(t.best->date, QLocale::ShortFormat) : QStringLiteral("no date");
        QString lake = t.best->lake;
        if (lake.size() > 60)
            lake = lake.left(59) + QChar(0x2026);
        text += QStringLiteral(". Best trip: <b>%1</b> fish, %2, %3").arg(t.best->fish).arg(day, lake.toHtmlEscaped());
    }
    lblTotals->setText(text + QLatin1Char('.'));
}

void frmStatistics::showBreakdowns()
{
    for (auto [d, chart] : m_glanceCharts)
        chart->setBreakdown(m_result->by(d), barsFor(d), chartTitle(d, m_result->by(d).rows.size()));
    for (Page &page : m_pages) {
        const stats::Breakdown &b = m_result->by(page.dimension);
        page.chart->setBreakdown(b, barsFor(page.dimension), chartTitle(page.dimension, b.rows.size()));
        page.model->setResult(m_result);
    }
    m_solunarPage->setFilter(currentFilter());
}

const frmStatistics::Page *frmStatistics::currentPage() const
{
    const int i = tabBreakdowns->currentIndex() - 1;
    return i >= 0 && i < int(m_pages.size()) ? &m_pages[size_t(i)] : nullptr;
}

void frmStatistics::updateButtons()
{
    // While a count runs the figures shown are not those of the filter shown.
    cmdExportChart->setEnabled(!m_busy && tabBreakdowns->currentWidget() != m_solunarPage);
    cmdExportTable->setEnabled(!m_busy && currentPage() != nullptr);
    cmdPrint->setEnabled(!m_busy);
    cmdRefresh->setEnabled(!m_reading);
}

void frmStatistics::exportChart()
{
    const Page *page = currentPage();
    FileDialogRequest request;
    request.title = QStringLiteral("Export Chart");
    request.initialName =
        QStringLiteral("statistics-%1.png").arg(page ? stats::dimensionKey(page->dimension) : QStringLiteral("glance"));
    request.filter = QStringLiteral("PNG picture (*.png)|*.png|PDF document (*.pdf)|*.pdf");
    request.overwritePrompt = true;
    std::optional<QString> path = platform().saveFileName(request, this);
    if (!path || path->isEmpty())
        return;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QStringLiteral(".png");
    QString error;
    if (!exportPicture(page ? static_cast<QWidget *>(page->chart) : m_glance, *path, &error))
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("The chart could not be exported.\n") + error);
}

void frmStatistics::exportTable()
{
    const Page *page = currentPage();
    if (!page)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Export Table");
    request.initialName = QStringLiteral("statistics-%1.csv").arg(stats::dimensionKey(page->dimension));
    request.filter = QStringLiteral("CSV file (*.csv)|*.csv");
    request.overwritePrompt = true;
    std::optional<QString> path = platform().saveFileName(request, this);
    if (!path || path->isEmpty())
        return;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QStringLiteral(".csv");
    QString error;
    if (!stats::saveWhole(*path, stats::toCsv(m_result->by(page->dimension)), &error))
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("The table could not be exported.\n") + error);
}

// The report engine prints what its queries read from a database file: the
// figures go into a scratch file of their own, gone once the preview closes.
void frmStatistics::print()
{
    if (m_busy)
        return;
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("statistics.db"));
    QString error;
    WaitPointer wait;
    const bool written =
        scratch.isValid() && stats::writeFigures(*m_result, currentFilter(), programDatabasePath(), path, &error);
    wait.end();
    if (!written) {
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The figures could not be printed.\n") +
                        (scratch.isValid() ? error : scratch.errorString()));
        return;
    }
    platform().printReport(QStringLiteral("statistics.rpt"), this, path);
}

} // namespace tf
