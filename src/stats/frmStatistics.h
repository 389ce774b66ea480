#pragma once

// "Fishing Statistics": what the log says about where, when and how the fish bite.
// A filter at the top (dates, lake or river, primary species), the totals under
// it, then a page "At a Glance" with the months, the lakes, the lure colours and
// the moon phases side by side, and a page per breakdown with its chart and its
// table. Every figure carries the number of trips it stands on.
//
// The log is read when the window opens and on Refresh; a filter only recounts.
// Both run on a thread of the window's own, so a diary of many years opens the
// window at once with "Reading the fishing log..." and the figures follow; a
// filter changed meanwhile is counted next and only the newest figures are
// shown. A log that cannot be read (locked by another program, damaged) is
// said, and the window stays open with no figures, so Refresh can try again.

#include "stats/StatsCore.h"

#include <QThreadPool>
#include <QWidget>
#include <memory>
#include <vector>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace tf {

class BreakdownModel;
class SolunarStatsPage;

class StatsChart;

class frmStatistics : public QWidget
{
    Q_OBJECT
public:
    explicit frmStatistics(QWidget *parent = nullptr);
    ~frmStatistics() override;

    // Starts reading the log; the window opens at once and the figures follow.
    bool load();

    // The figures shown; none until the first count is done.
    const stats::Result &result() const { return *m_result; }
    // Reading the log or counting: the figures shown are not yet those of the filter.
    bool busy() const { return m_busy; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The figures of the filter as it is now are on screen (or why there are none).
    void figuresShown();

private:
    struct Outcome;
    struct Page
    {
        stats::Dimension dimension;
        StatsChart *chart = nullptr;
        QTableView *table = nullptr;
        BreakdownModel *model = nullptr;
    };

    QWidget *makeGlancePage();
    void applyLook();
    QWidget *makeBreakdownPage(Page &page);
    void readLog();
    void fillFilterLists();
    void recount();
    void ask(bool reread);
    void take(const Outcome &outcome);
    void setBusy(bool busy);
    stats::Filter currentFilter() const;
    void showTotals();
    void showBreakdowns();
    void exportChart();
    void exportTable();
    void print();
    void updateButtons();
    const Page *currentPage() const;

    std::shared_ptr<const stats::TripLog> m_log;
    std::shared_ptr<const stats::Result> m_result;
    bool m_filling = false;
    QString m_loadError;
    QString m_missingNote; // the columns the log lacks, in words
    // The newest request: a count that finishes for an older one is thrown away.
    quint64 m_asked = 0;
    std::shared_ptr<stats::StopFlag> m_stop; // of the newest request
    bool m_reading = false;                  // the newest request reads the log
    bool m_busy = false;

    QDateEdit *dtpFrom = nullptr;
    QDateEdit *dtpTo = nullptr;
    QToolButton *cmdAnyFrom = nullptr;
    QToolButton *cmdAnyTo = nullptr;
    QComboBox *cboLake = nullptr;
    QComboBox *cboSpecies = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QGroupBox *fraFilter = nullptr;
    QLabel *lblBusy = nullptr;
    QProgressBar *prgBusy = nullptr;
    QTimer *m_busyLook = nullptr;
    QLabel *lblTotals = nullptr;
    QLabel *lblProblem = nullptr;
    QTabWidget *tabBreakdowns = nullptr;
    QWidget *m_glance = nullptr;
    SolunarStatsPage *m_solunarPage = nullptr; // the last page: trips against the solunar periods
    std::vector<std::pair<stats::Dimension, StatsChart *>> m_glanceCharts;
    std::vector<Page> m_pages;
    QPushButton *cmdExportChart = nullptr;
    QPushButton *cmdExportTable = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

    // Last, so it is the first to go: its destructor waits for the thread, which
    // a closing window has told to stop.
    QThreadPool m_pool;
};

} // namespace tf
