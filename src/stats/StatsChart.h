#pragma once

// One breakdown as a bar chart: a bar per group, its length the fish per trip,
// its label the group with the number of trips behind the figure, so three trips
// are never mistaken for a pattern.

#include "stats/StatsCore.h"

#include <QtCharts/QChartView>

namespace tf {

class StatsChart : public QChartView
{
    Q_OBJECT
public:
    explicit StatsChart(QWidget *parent = nullptr);

    // Draws the breakdown, at most `maxBars` groups (the first ones of its order).
    // Years, months and moon phases keep their calendar order; the groups of any
    // other breakdown are drawn best first, most fish per trip on top, so where
    // the fish bite shows at a glance (groups of unknown catch last).
    void setBreakdown(const stats::Breakdown &breakdown, int maxBars, const QString &title);
    // The bar labels as shown, top to bottom (for tests and for reading back).
    QStringList categories() const { return m_categories; }

private:
    QStringList m_categories;
};

// Writes a picture of a widget to a PNG or (by the name's ending) a PDF file;
// false with the reason when the file cannot be written.
bool exportPicture(QWidget *widget, const QString &path, QString *error);

} // namespace tf
