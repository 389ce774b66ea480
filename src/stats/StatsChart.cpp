#include "stats/StatsChart.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QValueAxis>

namespace tf {

namespace {

constexpr int kLongestName = 32;

QString barLabel(const stats::GroupRow &row)
{
    QString name = row.group.simplified();
    if (name.size() > kLongestName)
        name = name.left(kLongestName - 1) + QChar(0x2026);
    const qint64 trips = row.figures.trips;
    QString sample = trips == 1 ? QStringLiteral("1 trip") : QStringLiteral("%1 trips").arg(trips);
    if (row.figures.known == 0)
        sample += QStringLiteral(", catch unknown");
    else if (row.figures.known < trips)
        sample += QStringLiteral(", %1 known").arg(row.figures.known);
    return QStringLiteral("%1 (%2)").arg(name, sample);
}

} // namespace

StatsChart::StatsChart(QWidget *parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    chart()->setMargins(QMargins(4, 4, 4, 4));
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
    auto *set = new QBarSet(QStringLiteral("Fish per trip"));
    set->setColor(QColor(0x2e, 0x6f, 0x9e));
    set->setLabelColor(Qt::black);
    QStringList axisLabels;
    double top = 0;
    // Horizontal bars are drawn from the bottom up; the first group goes on top.
    for (int i = shown - 1; i >= 0; --i) {
        const stats::GroupRow &row = breakdown.rows[size_t(i)];
        const double value = row.figures.fishPerTrip().value_or(0);
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
    series->setLabelsPrecision(3);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
    c->addSeries(series);

    auto *groups = new QBarCategoryAxis;
    groups->append(axisLabels);
    c->addAxis(groups, Qt::AlignLeft);
    series->attachAxis(groups);
    auto *values = new QValueAxis;
    values->setRange(0, top > 0 ? top * 1.1 : 1);
    values->setTitleText(QStringLiteral("Fish per trip"));
    values->setLabelFormat(QStringLiteral("%.1f"));
    c->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
}

bool exportPicture(QWidget *widget, const QString &path, QString *error)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter painter;
        if (!painter.begin(&pdf)) {
            *error = QStringLiteral("The file could not be written.");
            return false;
        }
        // Drawn, not photographed: the chart stays sharp at any zoom.
        const QRect page = painter.viewport();
        const double scale = std::min(page.width() / double(widget->width()), page.height() / double(widget->height()));
        painter.scale(scale, scale);
        widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return painter.end();
    }
    QImageWriter writer(path, "png");
    if (!writer.write(widget->grab().toImage())) {
        *error = writer.errorString();
        return false;
    }
    return true;
}

} // namespace tf
