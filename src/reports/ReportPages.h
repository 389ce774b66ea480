#pragma once

// Printing a report's pages and writing them to a PDF file, one page at a
// time, so nothing has to render every page up front.

#include "platform/Platform.h"
#include "reports/ReportDocument.h"

#include <QSizeF>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPainter;

namespace tf::report {

using PageSource = ReportPages;

// Paints the pages from..to (from 0, inclusive) onto a printer or PDF writer
// whose page layout is already set, one page at a time; false when the device
// cannot be painted on or progress (0 to 100) returned false.
bool printPages(const PageSource &pages, QPagedPaintDevice &device, const ProgressFn &progress, int from = 0,
                int to = -1);

// Writes every page to a PDF file (its title, when given, in the file's
// properties). The file is put in place only when whole: on cancel or failure
// nothing new is left behind and a file that was there before is untouched;
// `error` then tells the system's reason (empty when cancelled).
bool writePdf(const PageSource &pages, const QString &path, const ProgressFn &progress = {}, const QString &title = {},
              QString *error = nullptr);

} // namespace tf::report
