#include "reports/ReportPages.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>

Q_GUI_EXPORT int qt_defaultDpiY();

namespace tf::report {

DocumentPages::DocumentPages(std::unique_ptr<QTextDocument> document) : m_doc(std::move(document))
{
    // The document is laid out in pixels of the default resolution (see ReportDocument).
    m_pxPerPoint = qt_defaultDpiY() / 72.0;
}

DocumentPages::~DocumentPages() = default;

int DocumentPages::pageCount() const
{
    return m_doc->pageCount();
}

QSizeF DocumentPages::pageSize() const
{
    return m_doc->pageSize() / m_pxPerPoint;
}

void DocumentPages::paintPage(int index, QPainter &painter) const
{
    const QSizeF page = m_doc->pageSize();
    painter.save();
    painter.scale(1 / m_pxPerPoint, 1 / m_pxPerPoint);
    painter.translate(0, -index * page.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(QPointF(0, index * page.height()), page);
    painter.setClipRect(context.clip);
    m_doc->documentLayout()->draw(&painter, context);
    painter.restore();
}

QString DocumentPages::pageText(int index) const
{
    const qreal height = m_doc->pageSize().height();
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    QString text;
    // Blocks of the root frame and of tables alike, in reading order.
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        const int page = int(layout->blockBoundingRect(b).top() / height);
        if (page == index)
            text += b.text() + QLatin1Char('\n');
        else if (page > index)
            break;
    }
    return text;
}

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
