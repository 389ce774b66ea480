#pragma once

// A report's pages as something that paints one page at a time: the preview
// paints only the pages it shows, and printing or a PDF file goes page by page
// through the printer, so nothing has to render every page up front.

#include "platform/Platform.h"
#include "reports/ReportDocument.h"

#include <QSizeF>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace tf::report {

using PageSource = ReportPages;

// The pages of a laid-out report document.
class DocumentPages : public PageSource
{
public:
    explicit DocumentPages(std::unique_ptr<QTextDocument> document);
    ~DocumentPages() override;
    int pageCount() const override;
    QSizeF pageSize() const override;
    void paintPage(int index, QPainter &painter) const override;
    QString pageText(int index) const override;
    QTextDocument *document() const { return m_doc.get(); }

private:
    std::unique_ptr<QTextDocument> m_doc;
    qreal m_pxPerPoint = 1;
};

// Paints the pages from..to (from 0, inclusive) onto a printer or PDF writer
// whose page layout is already set, one page at a time; false when the device
// cannot be painted on or progress (0 to 100) returned false.
bool printPages(const PageSource &pages, QPagedPaintDevice &device, const ProgressFn &progress, int from = 0,
                int to = -1);

// Writes every page to a PDF file; on cancel or failure no file is left behind.
bool writePdf(const PageSource &pages, const QString &path, const ProgressFn &progress = {});

} // namespace tf::report
