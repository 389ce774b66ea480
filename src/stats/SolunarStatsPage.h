#pragma once

// The statistics window's page "Sun & Moon": the trips of the filter by how their day's
// major periods met sunrise and sunset, and by the period their time of day fell in.
// Worked out when the page is first looked at after the filter changed.

#include "stats/StatsCore.h"

#include <QWidget>

class QLabel;

namespace tf {

class SolunarStatsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SolunarStatsPage(QWidget *parent = nullptr);

    // The trips to count; counted now when the page is in view, else when it comes into view.
    void setFilter(const stats::Filter &filter);
    // Counts again from the diary (its trips or positions may have changed).
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *lblSolunarStats = nullptr;
    stats::Filter m_filter;
    bool m_stale = true;
};

} // namespace tf
