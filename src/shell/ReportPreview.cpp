#include "shell/ReportPreview.h"

#include "platform/Platform.h"
#include "reports/ReportPages.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace tf {

// One page on white paper, scaled to the width of the view; painted when shown.
class PageView : public QWidget
{
public:
    PageView(const ReportPages &pages, QWidget *parent) : QWidget(parent), m_pages(pages) {}

    void setPage(int index)
    {
        m_index = index;
        m_cache = QPixmap();
        update();
    }
    int page() const { return m_index; }
    void setScale(qreal scale)
    {
        m_scale = scale;
        const QSizeF size = m_pages.pageSize() * scale;
        setFixedSize(size.toSize() + QSize(2 * kGap, 2 * kGap));
        m_cache = QPixmap();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().dark());
        const QRect paper(kGap, kGap, width() - 2 * kGap, height() - 2 * kGap);
        if (m_cache.isNull() || m_cache.size() != paper.size() * devicePixelRatioF()) {
            m_cache = QPixmap(paper.size() * devicePixelRatioF());
            m_cache.setDevicePixelRatio(devicePixelRatioF());
            m_cache.fill(Qt::white);
            QPainter page(&m_cache);
            page.setRenderHint(QPainter::Antialiasing);
            page.setRenderHint(QPainter::TextAntialiasing);
            page.scale(m_scale, m_scale);
            m_pages.paintPage(m_index, page);
        }
        p.drawPixmap(paper.topLeft(), m_cache);
    }

private:
    static constexpr int kGap = 12;
    const ReportPages &m_pages;
    int m_index = 0;
    qreal m_scale = 1;
    QPixmap m_cache;
};

namespace {

// A modal progress window with Cancel, for printing and saving many pages.
class PageProgress
{
public:
    PageProgress(const QString &text, QWidget *parent) : m_dialog(text, QStringLiteral("Cancel"), 0, 100, parent)
    {
        m_dialog.setObjectName(QStringLiteral("reportProgress"));
        m_dialog.setWindowTitle(kProgramTitle);
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(300);
        m_dialog.setAutoClose(false);
    }
    report::ProgressFn fn()
    {
        return [this](int percent) {
            m_dialog.setValue(percent);
            QCoreApplication::processEvents();
            return !m_dialog.wasCanceled();
        };
    }
    bool cancelled() const { return m_dialog.wasCanceled(); }

private:
    QProgressDialog m_dialog;
};

} // namespace

ReportPreview::ReportPreview(const QString &title, ReportPages &pages, QWidget *parent)
    : QDialog(parent), m_pages(pages)
{
    setObjectName(QStringLiteral("reportPreview"));
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    m_previous = new QPushButton(QStringLiteral("Previous"), this);
    m_previous->setObjectName(QStringLiteral("previousPage"));
    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName(QStringLiteral("nextPage"));
    m_page = new QSpinBox(this);
    m_page->setObjectName(QStringLiteral("pageNumber"));
    m_page->setRange(1, qMax(1, pages.pageCount()));
    m_of = new QLabel(QStringLiteral("of %1").arg(pages.pageCount()), this);
    auto *print = new QPushButton(QStringLiteral("Print..."), this);
    print->setObjectName(QStringLiteral("printReport"));
    auto *pdf = new QPushButton(QStringLiteral("Save as PDF..."), this);
    pdf->setObjectName(QStringLiteral("savePdf"));
    m_counting = new QProgressBar(this);
    m_counting->setObjectName(QStringLiteral("countingPages"));
    m_counting->setRange(0, 100);
    m_counting->setFormat(QStringLiteral("Counting pages %p%"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelReport"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closePreview"));
    bar->addWidget(m_previous);
    bar->addWidget(m_page);
    bar->addWidget(m_of);
    bar->addWidget(m_next);
    bar->addStretch();
    bar->addWidget(m_counting);
    bar->addWidget(m_cancel);
    bar->addWidget(print);
    bar->addWidget(pdf);
    bar->addWidget(close);
    layout->addLayout(bar);
    auto *scroll = new QScrollArea(this);
    scroll->setAlignment(Qt::AlignHCenter);
    m_view = new PageView(pages, scroll);
    m_view->setScale(1.25);
    scroll->setWidget(m_view);
    layout->addWidget(scroll, 1);
    resize(m_view->width() + 60, 900);

    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_page, &QSpinBox::valueChanged, this, [this](int n) { showPage(n - 1); });
    connect(print, &QPushButton::clicked, this, &ReportPreview::print);
    connect(pdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    showCount();
    showPage(0);
    if (!m_pages.complete()) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer] {
            countSome();
            if (m_pages.complete() || m_countFailed)
                timer->stop();
        });
        timer->start(0);
    }
}

void ReportPreview::countSome()
{
    if (m_pages.complete() || m_countFailed)
        return;
    const int before = m_pages.pageCount();
    if (!m_pages.paginateMore(40)) {
        m_countFailed = true;
        if (!m_pages.error().isEmpty())
            showMessage(this, MessageIcon::Exclamation, m_pages.error());
    }
    showCount();
    if (m_pages.complete())
        m_view->setPage(currentPage()); // its header now tells the number of pages
    else if (before == 0 && m_pages.pageCount() > 0)
        showPage(0);
}

void ReportPreview::showCount()
{
    const bool counting = !m_pages.complete() && !m_countFailed;
    m_counting->setVisible(counting);
    m_cancel->setVisible(counting);
    m_counting->setValue(m_pages.percentDone());
    const int pages = m_pages.pageCount();
    m_page->setRange(1, qMax(1, pages));
    m_of->setText(counting ? QStringLiteral("of %1...").arg(pages) : QStringLiteral("of %1").arg(pages));
    m_next->setEnabled(currentPage() + 1 < pages);
}

bool ReportPreview::countAll()
{
    if (m_pages.complete())
        return true;
    if (m_countFailed)
        return false;
    {
        PageProgress progress(QStringLiteral("Counting the pages..."), this);
        const auto fn = progress.fn();
        while (!m_pages.complete()) {
            if (!m_pages.paginateMore(50)) {
                m_countFailed = true;
                if (!m_pages.error().isEmpty())
                    showMessage(this, MessageIcon::Exclamation, m_pages.error());
                break;
            }
            if (!fn(m_pages.percentDone()))
                break;
        }
    }
    showCount();
    if (m_pages.complete())
        m_view->setPage(currentPage());
    return m_pages.complete();
}

int ReportPreview::currentPage() const
{
    return m_view->page();
}

void ReportPreview::showPage(int index)
{
    index = qBound(0, index, qMax(0, m_pages.pageCount() - 1));
    if (m_view->page() != index)
        m_view->setPage(index);
    const QSignalBlocker quiet(m_page);
    m_page->setValue(index + 1);
    m_previous->setEnabled(index > 0);
    m_next->setEnabled(index + 1 < m_pages.pageCount());
}

void ReportPreview::print()
{
    if (!countAll())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(m_pages.pageSize(), QPageSize::Point));
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, m_pages.pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    int from = 0, to = m_pages.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        from = qMax(1, printer.fromPage()) - 1;
        to = printer.toPage() > 0 ? printer.toPage() - 1 : to;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = currentPage();
    }
    PageProgress progress(QStringLiteral("Printing the report..."), this);
    if (!report::printPages(m_pages, printer, progress.fn(), from, to) && !progress.cancelled())
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("The report could not be printed."));
}

void ReportPreview::savePdf()
{
    if (!countAll())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save as PDF");
    request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
    request.overwritePrompt = true;
    const auto path = platform().saveFileName(request, this);
    if (!path)
        return;
    PageProgress progress(QStringLiteral("Saving the report..."), this);
    if (!report::writePdf(m_pages, *path, progress.fn(), m_pages.title()) && !progress.cancelled())
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The report could not be saved as \"%1\".").arg(QDir::toNativeSeparators(*path)));
}

} // namespace tf
