#pragma once

// "Fishing Statistics": what the log says about where, when and how the fish bite.
// A filter at the top (dates, lake or river, primary species), the totals under
// it, then a page "At a Glance" with the months, the lakes, the lure colours and
// the moon phases side by side, and a page per breakdown with its chart and its
// table. Every figure carries the number of trips it stands on.
//
// The log is read when the window opens and on Refresh; a filter only recounts.
// A log that cannot be read (locked by another program, damaged) is said, and the
// window stays open with no figures, so Refresh can try again.

#include "stats/StatsCore.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace tf {

class BreakdownModel;

class StatsChart;

class frmStatistics : public QWidget
{
    Q_OBJECT
public:
    explicit frmStatistics(QWidget *parent = nullptr);

    // Reads the log; the window opens even when that fails (it says why).
    bool load();

    const stats::Result &result() const { return m_result; }

private:
    struct Page
    {
        stats::Dimension dimension;
        StatsChart *chart = nullptr;
        QTableView *table = nullptr;
        BreakdownModel *model = nullptr;
    };

    QWidget *makeGlancePage();
    QWidget *makeBreakdownPage(Page &page);
    void readLog();
    void fillFilterLists();
    void recount();
    void showTotals();
    void showBreakdowns();
    void exportChart();
    void exportTable();
    void updateButtons();
    const Page *currentPage() const;

    stats::TripLog m_log;
    stats::Result m_result;
    bool m_filling = false;
    QString m_loadError;

    QDateEdit *dtpFrom = nullptr;
    QDateEdit *dtpTo = nullptr;
    QComboBox *cboLake = nullptr;
    QComboBox *cboSpecies = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QLabel *lblTotals = nullptr;
    QLabel *lblProblem = nullptr;
    QTabWidget *tabBreakdowns = nullptr;
    QWidget *m_glance = nullptr;
    std::vector<std::pair<stats::Dimension, StatsChart *>> m_glanceCharts;
    std::vector<Page> m_pages;
    QPushButton *cmdExportChart = nullptr;
    QPushButton *cmdExportTable = nullptr;
    QPushButton *cmdClose = nullptr;
};

} // namespace tf
