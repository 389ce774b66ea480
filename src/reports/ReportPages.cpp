#include "reports/ReportPages.h"

#include "reports/PdfFile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QThread>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

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

namespace {

std::unique_ptr<PdfPage> paintOne(const PageSource &pages, PdfFonts &fonts, int index)
{
    auto page = std::make_unique<PdfPage>(fonts, pages.pageSize());
    QPainter painter(page.get());
    pages.paintPage(index, painter);
    painter.end();
    return page;
}

// Pages are painted on worker threads, a few ahead of the one being written,
// and written in order on this thread, which also reports progress.
bool writePages(const PageSource &pages, PdfFile &pdf, const ProgressFn &progress)
{
    const int count = pages.pageCount();
    const int workers =
        pages.paintsConcurrently() && pages.complete() && count > 1 ? qBound(1, QThread::idealThreadCount(), 4) : 0;
    auto report = [&](int written) { return !progress || progress(count ? 100 * written / count : 100); };
    if (workers == 0) {
        for (int i = 0; i < count; ++i)
            if (!pdf.addPage(*paintOne(pages, pdf.fonts(), i)) || !report(i + 1))
                return false;
        return true;
    }
    std::mutex lock;
    std::condition_variable changed;
    std::map<int, std::unique_ptr<PdfPage>> painted;
    int next = 0, written = 0;
    bool stop = false;
    const int ahead = 3 * workers;
    auto work = [&] {
        for (;;) {
            int index = 0;
            {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [&] { return stop || next >= count || next < written + ahead; });
                if (stop || next >= count)
                    return;
                index = next++;
            }
            auto page = paintOne(pages, pdf.fonts(), index);
            {
                std::lock_guard<std::mutex> hold(lock);
                painted[index] = std::move(page);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        std::unique_ptr<PdfPage> page;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return painted.count(i) > 0; });
            page = std::move(painted[i]);
            painted.erase(i);
            written = i + 1;
        }
        changed.notify_all();
        ok = pdf.addPage(*page) && report(i + 1);
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        stop = true;
    }
    changed.notify_all();
    for (std::thread &t : threads)
        t.join();
    return ok;
}

} // namespace

bool writePdf(const PageSource &pages, const QString &path, const ProgressFn &progress, const QString &title,
              QString *error)
{
    PdfFile pdf(path);
    const bool ok = pdf.open() && writePages(pages, pdf, progress) && pdf.finish(title);
    if (!ok && error)
        *error = pdf.error();
    return ok;
}

} // namespace tf::report
