#pragma once

// One breakdown as a bar chart: a bar per group, its length the fish per trip,
// its label the group with the number of trips behind the figure, so three trips
// are never mistaken for a pattern.

#include "stats/StatsCore.h"

#include <QtCharts/QChartView>

namespace tf {

// A value axis from 0 that ends on a round number, with round steps between:
// 0, 2, 4, 6 rather than 0, 3.3, 6.6, 9.9. `top` is the largest value drawn.
struct RoundAxis
{
    double end = 1;
    double step = 0.2;
    int decimals = 1; // the fewest that write every step exactly
};
RoundAxis roundAxis(double top);

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
    // The value axis as drawn.
    RoundAxis axis() const { return m_axis; }

private:
    QStringList m_categories;
    RoundAxis m_axis;
};

// Writes a picture of a widget to a PNG or (by the name's ending) a PDF file.
// The file is written beside the target and put in its place only when whole,
// so a failure leaves a file already there as it was; false with the system's
// reason then.
bool exportPicture(QWidget *widget, const QString &path, QString *error);

} // namespace tf
