#include "stats/frmStatistics.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "shell/WindowChrome.h"
#include "stats/StatsChart.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

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

QString perTrip(const std::optional<double> &v)
{
    return v ? QString::number(*v, 'f', 2) : QStringLiteral("-");
}

QString share(const stats::Figures &f)
{
    const std::optional<double> s = f.blankShare();
    return s ? QStringLiteral("%1% (%2)").arg(QString::number(*s * 100, 'f', 0)).arg(f.blank) : QStringLiteral("-");
}

} // namespace

// The rows of one breakdown for a table view: a log of many lakes has many
// rows, so they are read on demand instead of made into items up front.
class BreakdownModel : public QAbstractTableModel
{
public:
    BreakdownModel(QStringList headers, QObject *parent) : QAbstractTableModel(parent), m_headers(std::move(headers)) {}

    void setRows(std::vector<stats::GroupRow> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 6; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
            return m_headers[section];
        return {};
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        if (role == Qt::TextAlignmentRole && index.column() > 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const stats::GroupRow &row = m_rows[size_t(index.row())];
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
            return perTrip(row.figures.fishPerTrip());
        default:
            return share(row.figures);
        }
    }

private:
    QStringList m_headers;
    std::vector<stats::GroupRow> m_rows;
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

QComboBox *makeChoice(const char *name, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setMinimumContentsLength(18);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

} // namespace

frmStatistics::frmStatistics(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Fishing Statistics"));

    auto *filter = new QGroupBox(QStringLiteral("Which trips"), this);
    filter->setObjectName(QStringLiteral("fraFilter"));
    dtpFrom = makeDateEdit("dtpFrom", filter);
    dtpTo = makeDateEdit("dtpTo", filter);
    cboLake = makeChoice("cboLake", filter);
    cboSpecies = makeChoice("cboSpecies", filter);
    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), filter);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh->setToolTip(QStringLiteral(" Read the fishing log again "));
    auto *filterRow = new QHBoxLayout(filter);
    const auto labelled = [filter, filterRow](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, filter);
        label->setBuddy(field);
        filterRow->addWidget(label);
        filterRow->addWidget(field);
    };
    labelled(QStringLiteral("&From"), dtpFrom);
    labelled(QStringLiteral("&To"), dtpTo);
    labelled(QStringLiteral("&Lake or River"), cboLake);
    labelled(QStringLiteral("&Species"), cboSpecies);
    filterRow->addStretch();
    filterRow->addWidget(cmdRefresh);

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblTotals->setWordWrap(true);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold;"));
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

    cmdExportChart = new QPushButton(QStringLiteral("Export Chart..."), this);
    cmdExportChart->setObjectName(QStringLiteral("cmdExportChart"));
    cmdExportChart->setToolTip(QStringLiteral(" Save the chart shown as a PNG picture or a PDF document "));
    cmdExportTable = new QPushButton(QStringLiteral("Export Table..."), this);
    cmdExportTable->setObjectName(QStringLiteral("cmdExportTable"));
    cmdExportTable->setToolTip(QStringLiteral(" Save the table shown as a CSV file "));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdExportChart);
    buttons->addWidget(cmdExportTable);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filter);
    layout->addWidget(lblTotals);
    layout->addWidget(lblProblem);
    layout->addWidget(tabBreakdowns, 1);
    layout->addLayout(buttons);
    resize(1100, 860);
    setOrdinaryFrame(this);

    connect(dtpFrom, &QDateEdit::dateChanged, this, &frmStatistics::recount);
    connect(dtpTo, &QDateEdit::dateChanged, this, &frmStatistics::recount);
    connect(cboLake, &QComboBox::currentIndexChanged, this, &frmStatistics::recount);
    connect(cboSpecies, &QComboBox::currentIndexChanged, this, &frmStatistics::recount);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmStatistics::readLog);
    connect(tabBreakdowns, &QTabWidget::currentChanged, this, &frmStatistics::updateButtons);
    connect(cmdExportChart, &QPushButton::clicked, this, &frmStatistics::exportChart);
    connect(cmdExportTable, &QPushButton::clicked, this, &frmStatistics::exportTable);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
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
    for (int c = 1; c < 6; ++c)
        page.table->setColumnWidth(c, page.table->fontMetrics().horizontalAdvance(
                                          page.model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                                          24);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // The chart first: an exported chart is as wide as it is here.
    splitter->setSizes({640, 420});
    return splitter;
}

bool frmStatistics::load()
{
    readLog();
    return true;
}

void frmStatistics::readLog()
{
    WaitPointer wait;
    QString error;
    const bool ok = m_log.load(programDatabasePath(), &error);
    m_loadError = ok ? QString() : QStringLiteral("The fishing log could not be read.\n") + error;
    fillFilterLists();
    recount();
    wait.end();
    if (!ok)
        showMessage(this, MessageIcon::Exclamation, m_loadError);
}

void frmStatistics::fillFilterLists()
{
    m_filling = true;
    for (auto [box, d] : {std::pair{cboLake, Dimension::Lake}, std::pair{cboSpecies, Dimension::Species}}) {
        const QString chosen = box->currentText();
        box->clear();
        box->addItem(kAll);
        box->addItems(m_log.groupNames(d));
        box->setCurrentIndex(std::max(0, box->findText(chosen, Qt::MatchFixedString | Qt::MatchCaseSensitive)));
    }
    m_filling = false;
}

void frmStatistics::recount()
{
    if (m_filling)
        return;
    stats::Filter f;
    if (dtpFrom->date() != kNoBound)
        f.from = dtpFrom->date();
    if (dtpTo->date() != kNoBound)
        f.to = dtpTo->date();
    if (cboLake->currentIndex() > 0)
        f.lake = cboLake->currentText();
    if (cboSpecies->currentIndex() > 0)
        f.species = cboSpecies->currentText();
    m_result = m_log.compute(f);
    if (!m_result.ok) {
        lblProblem->setText(m_result.error);
        lblProblem->show();
    } else {
        lblProblem->setText(m_loadError);
        lblProblem->setVisible(!m_loadError.isEmpty());
    }
    showTotals();
    showBreakdowns();
    updateButtons();
}

void frmStatistics::showTotals()
{
    const stats::Totals &t = m_result.totals;
    const stats::Figures &f = t.figures;
    if (!m_result.ok) {
        lblTotals->setText(QStringLiteral("No figures for this choice of trips."));
        return;
    }
    QString text = QStringLiteral("<b>%1</b> trips, <b>%2</b> with a known catch").arg(f.trips).arg(f.known);
    if (t.unknown() > 0)
        text += QStringLiteral(" (%1 unknown, left out of the catch figures)").arg(t.unknown());
    text += QStringLiteral(". <b>%1</b> fish, <b>%2</b> fish per trip").arg(f.fish).arg(perTrip(f.fishPerTrip()));
    if (f.known > 0)
        text += QStringLiteral(" over %1 trips").arg(f.known);
    text += QStringLiteral(". Blank trips: <b>%1</b>").arg(share(f));
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
        chart->setBreakdown(m_result.by(d), barsFor(d), chartTitle(d, m_result.by(d).rows.size()));
    for (Page &page : m_pages) {
        const stats::Breakdown &b = m_result.by(page.dimension);
        page.chart->setBreakdown(b, barsFor(page.dimension), chartTitle(page.dimension, b.rows.size()));
        page.model->setRows(b.rows);
    }
}

const frmStatistics::Page *frmStatistics::currentPage() const
{
    const int i = tabBreakdowns->currentIndex() - 1;
    return i >= 0 && i < int(m_pages.size()) ? &m_pages[size_t(i)] : nullptr;
}

void frmStatistics::updateButtons()
{
    cmdExportTable->setEnabled(currentPage() != nullptr);
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
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(stats::toCsv(m_result.by(page->dimension))) < 0 ||
        !file.commit())
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The table could not be exported.\n") + file.errorString());
}

} // namespace tf
