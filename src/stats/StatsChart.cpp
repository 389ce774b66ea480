#include "stats/StatsChart.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tf {

namespace {

constexpr int kLongestName = 32;

// The group and n, the trips with a known catch its fish per trip stands on.
QString barLabel(const stats::GroupRow &row)
{
    QString name = row.group.simplified();
    if (name.size() > kLongestName)
        name = name.left(kLongestName - 1) + QChar(0x2026);
    if (row.figures.known == 0)
        return QStringLiteral("%1 (catch unknown)").arg(name);
    return QStringLiteral("%1 (n=%2)").arg(name).arg(row.figures.known);
}

} // namespace

RoundAxis roundAxis(double top)
{
    if (!(top > 0))
        return {};
    // Four to eight steps of 1, 2 or 5 times a power of ten.
    const double power = std::pow(10.0, std::floor(std::log10(top / 4)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (top / step <= 8)
            break;
    }
    RoundAxis axis;
    axis.step = step;
    // A bar that reaches the last tick would touch the frame: one step of air above it.
    axis.end = (std::floor(top / step + 1e-9) + 1) * step;
    axis.decimals = std::max(0, -int(std::floor(std::log10(step) + 1e-9)));
    return axis;
}

StatsChart::StatsChart(QWidget *parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    chart()->setMargins(QMargins(2, 0, 2, 0));
    chart()->setBackgroundRoundness(0);
    QFont titleFont = chart()->titleFont();
    titleFont.setBold(true);
    chart()->setTitleFont(titleFont);
    setMinimumSize(360, 240);
}

void StatsChart::setBreakdown(const stats::Breakdown &breakdown, int maxBars, const QString &title)
{
    QChart *c = chart();
    c->removeAllSeries();
    for (QAbstractAxis *axis : c->axes())
        c->removeAxis(axis);
    c->setTitle(title);
    m_categories.clear();

    const int shown = std::min<int>(maxBars, int(breakdown.rows.size()));
    std::vector<const stats::GroupRow *> bars;
    for (int i = 0; i < shown; ++i)
        bars.push_back(&breakdown.rows[size_t(i)]);
    const stats::Dimension d = breakdown.dimension;
    if (d != stats::Dimension::Year && d != stats::Dimension::Month && d != stats::Dimension::MoonPhase)
        std::stable_sort(bars.begin(), bars.end(), [](const stats::GroupRow *a, const stats::GroupRow *b) {
            return a->figures.fishPerTrip().value_or(-1) > b->figures.fishPerTrip().value_or(-1);
        });
    auto *set = new QBarSet(QStringLiteral("Fish per trip"));
    set->setColor(QColor(0x2e, 0x6f, 0x9e));
    set->setLabelColor(Qt::black);
    QStringList axisLabels;
    double top = 0;
    // Horizontal bars are drawn from the bottom up; the first group goes on top.
    for (int i = shown - 1; i >= 0; --i) {
        const stats::GroupRow &row = *bars[size_t(i)];
        const double value = std::round(row.figures.fishPerTrip().value_or(0) * 100) / 100;
        top = std::max(top, value);
        set->append(value);
        QString label = barLabel(row);
        // The axis keeps one bar per distinct label: shortened names must stay distinct.
        while (axisLabels.contains(label))
            label += QChar(0x200B);
        axisLabels << label;
    }
    for (auto it = axisLabels.crbegin(); it != axisLabels.crend(); ++it)
        m_categories << *it;

    auto *series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(6);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
    c->addSeries(series);

    auto *groups = new QBarCategoryAxis;
    groups->append(axisLabels);
    // A year of months must fit a quarter of the window without the axis eliding them.
    QFont small = groups->labelsFont();
    small.setPointSizeF(7.5);
    groups->setLabelsFont(small);
    c->addAxis(groups, Qt::AlignLeft);
    series->attachAxis(groups);
    m_axis = roundAxis(top);
    auto *values = new QValueAxis;
    values->setRange(0, m_axis.end);
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(m_axis.step);
    values->setLabelFormat(QStringLiteral("%.%1f").arg(m_axis.decimals));
    c->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
}

bool exportPicture(QWidget *widget, const QString &path, QString *error)
{
    // Made in memory first: the file is written in one piece, where a full disk is noticed.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        QPdfWriter pdf(&bytes);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&pdf)) {
            *error = QStringLiteral("The PDF document could not be started.");
            return false;
        }
        // Drawn, not photographed: the chart stays sharp at any zoom.
        const QRect page = painter.viewport();
        const double scale = std::min(page.width() / double(widget->width()), page.height() / double(widget->height()));
        painter.scale(scale, scale);
        widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.end();
    } else {
        QImageWriter writer(&bytes, "png");
        if (!writer.write(widget->grab().toImage())) {
            *error = writer.errorString();
            return false;
        }
    }
    return stats::saveWhole(path, bytes.data(), error);
}

} // namespace tf
