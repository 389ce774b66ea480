#include "stats/SolunarStatsPage.h"

#include "data/Schema.h"
#include "stats/SolunarStats.h"
#include "stats/StatsPrint.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tf {

namespace {

QString tableHtml(const QString &heading, const std::vector<stats::GroupRow> &rows)
{
    QString html = QStringLiteral("<h3>%1</h3><table cellspacing='0' cellpadding='3' border='1'>"
                                  "<tr><th align='left'>Group</th><th>Trips</th><th>Known catch</th><th>Fish</th>"
                                  "<th>Fish per trip</th><th>Blank trips</th></tr>")
                       .arg(heading.toHtmlEscaped());
    for (const stats::GroupRow &r : rows)
        html += QStringLiteral("<tr><td>%1</td><td align='right'>%2</td><td align='right'>%3</td>"
                               "<td align='right'>%4</td><td align='right'>%5</td><td align='right'>%6</td></tr>")
                    .arg(r.group.toHtmlEscaped())
                    .arg(r.figures.trips)
                    .arg(r.figures.known)
                    .arg(r.figures.fish)
                    .arg(stats::perTripText(r.figures), stats::blankShareText(r.figures));
    return html + QStringLiteral("</table>");
}

} // namespace

SolunarStatsPage::SolunarStatsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pageSolunar"));
    lblSolunarStats = new QLabel(this);
    lblSolunarStats->setObjectName(QStringLiteral("lblSolunarStats"));
    lblSolunarStats->setTextFormat(Qt::RichText);
    lblSolunarStats->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblSolunarStats->setWordWrap(true);
    lblSolunarStats->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(lblSolunarStats);
    auto *box = new QVBoxLayout(this);
    box->addWidget(scroll);
}

void SolunarStatsPage::setFilter(const stats::Filter &filter)
{
    m_filter = filter;
    m_stale = true;
    if (isVisible())
        refresh();
}

void SolunarStatsPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale)
        refresh();
}

void SolunarStatsPage::refresh()
{
    m_stale = false;
    const stats::SolunarFigures f = stats::computeSolunarFigures(programDatabasePath(), m_filter);
    if (!f.ok) {
        lblSolunarStats->setText(QStringLiteral("The trips cannot be read: %1").arg(f.error.toHtmlEscaped()));
        return;
    }
    QString html =
        tableHtml(QStringLiteral("By a major period at sunrise or sunset (the day's solunar rating)"), f.dawnDusk);
    html += tableHtml(QStringLiteral("By the period the trip's time of day fell in"), f.timeOfDay);
    html += QStringLiteral("<p>Left out: %1 trip(s) without a date, %2 on a water without a position "
                           "(add one under Database Options, Lakes / Rivers). %3 trip(s) have a date without a "
                           "time of day and count only in the first table.</p>"
                           "<p>Major periods are the two hours around the moon's passage overhead and underfoot, "
                           "minor periods the hour around moonrise and moonset, at the trip's water.</p>")
                .arg(f.noDate)
                .arg(f.noPosition)
                .arg(f.noTime);
    lblSolunarStats->setText(html);
}

} // namespace tf
