#include "reports/ReportPages.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tf::report {

bool printPages(const PageSource &pages, QPagedPaintDevice &device, const ProgressFn &progress, int from, int to)
{
    const int last = to < 0 ? pages.pageCount() - 1 : qMin(to, pages.pageCount() - 1);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The device's page in its own pixels, the report's page in points.
    const QSizeF paper(device.width(), device.height());
    const QSizeF size = pages.pageSize();
    const qreal scale = qMin(paper.width() / size.width(), paper.height() / size.height());
    for (int i = from; i <= last; ++i) {
        if (i > from && !device.newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        pages.paintPage(i, painter);
        painter.restore();
        if (progress && !progress(last > from ? 100 * (i - from + 1) / (last - from + 1) : 100)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

bool writePdf(const PageSource &pages, const QString &path, const ProgressFn &progress)
{
    bool ok = false;
    {
        QPdfWriter pdf(path);
        pdf.setCreator(QStringLiteral("Tallyfin"));
        pdf.setPageLayout(QPageLayout(QPageSize(pages.pageSize(), QPageSize::Point), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        ok = printPages(pages, pdf, progress);
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}

} // namespace tf::report
