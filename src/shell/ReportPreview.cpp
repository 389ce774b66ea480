#include "shell/ReportPreview.h"

#include "platform/Platform.h"
#include "reports/ReportPages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPointer>
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

// A modal progress window with Cancel for work done on this thread (counting,
// printing, saving, a query that keeps the count waiting). It appears once the
// work has taken a moment; events are handled every few hundredths of a second,
// but the user's input only once the window is there to take it, so nothing
// else in the preview can start meanwhile.
class PageProgress
{
public:
    PageProgress(const QString &text, QWidget *parent) : m_text(text), m_parent(parent) { m_clock.start(); }
    ~PageProgress() { delete m_dialog; }
    PageProgress(const PageProgress &) = delete;
    PageProgress &operator=(const PageProgress &) = delete;

    bool update(int percent)
    {
        if (m_pumped.isValid() && m_pumped.elapsed() < 30)
            return !cancelled();
        m_pumped.start();
        if (!m_dialog && m_clock.elapsed() >= 300) {
            m_dialog = new QProgressDialog(m_text, QStringLiteral("Cancel"), 0, 100, m_parent);
            m_dialog->setObjectName(QStringLiteral("reportProgress"));
            m_dialog->setWindowTitle(kProgramTitle);
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->show();
        }
        if (m_dialog) {
            m_dialog->setValue(percent);
            QCoreApplication::processEvents();
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        return !cancelled();
    }
    report::ProgressFn fn()
    {
        return [this](int percent) { return update(percent); };
    }
    bool cancelled() const { return m_dialog && m_dialog->wasCanceled(); }

private:
    QString m_text;
    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    QElapsedTimer m_pumped;
};

// The paper a report is laid out on, by the name it is sold under.
QString paperName(const QSizeF &points)
{
    const QPageSize::PageSizeId id = QPageSize::id(points, QPageSize::Point, QPageSize::FuzzyMatch);
    switch (id) {
    case QPageSize::A4:
        return QStringLiteral("A4");
    case QPageSize::Letter:
        return QStringLiteral("Letter");
    case QPageSize::Legal:
        return QStringLiteral("Legal");
    case QPageSize::Custom:
        return QStringLiteral("%1 × %2 mm")
            .arg(qRound(points.width() * 25.4 / 72))
            .arg(qRound(points.height() * 25.4 / 72));
    default:
        return QPageSize::name(id);
    }
}

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
    m_counting->setMinimumWidth(m_counting->fontMetrics().horizontalAdvance(QStringLiteral("Counting pages 100%")) +
                                24);
    auto *paper = new QLabel(paperName(pages.pageSize()), this);
    paper->setObjectName(QStringLiteral("paperSize"));
    paper->setToolTip(QStringLiteral("The paper the report is laid out on"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelReport"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closePreview"));
    bar->addWidget(m_previous);
    bar->addWidget(m_page);
    bar->addWidget(m_of);
    bar->addWidget(m_next);
    bar->addStretch();
    bar->addWidget(paper);
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
    // A query that keeps the count waiting hands events on, and this timer with them.
    if (m_pages.complete() || m_countFailed || m_busy)
        return;
    m_busy = true;
    const int before = m_pages.pageCount();
    QString error;
    bool cancelled = false;
    {
        PageProgress waiting(QStringLiteral("Preparing the report..."), this);
        if (!m_pages.paginateMore(40, waiting.fn())) {
            m_countFailed = true;
            error = m_pages.error();
            cancelled = error.isEmpty();
        }
    }
    m_busy = false;
    if (cancelled) {
        reject(); // as the preview's own Cancel of the count does
        return;
    }
    if (!error.isEmpty())
        showMessage(this, MessageIcon::Exclamation, error);
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
    if (m_countFailed || m_busy)
        return false;
    m_busy = true;
    QString error;
    {
        PageProgress progress(QStringLiteral("Counting the pages..."), this);
        while (!m_pages.complete()) {
            if (!m_pages.paginateMore(50, progress.fn())) {
                m_countFailed = true;
                error = m_pages.error();
                break;
            }
            if (!progress.update(m_pages.percentDone()))
                break;
        }
    }
    m_busy = false;
    if (m_countFailed && error.isEmpty()) {
        reject(); // cancelled inside a query: the report itself has stopped
        return false;
    }
    if (!error.isEmpty())
        showMessage(this, MessageIcon::Exclamation, error);
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
    bool failed = false;
    {
        PageProgress progress(QStringLiteral("Printing the report..."), this);
        failed = !report::printPages(m_pages, printer, progress.fn(), from, to) && !progress.cancelled();
    }
    if (failed)
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("The report could not be printed."));
}

namespace {

// A file name from the report's title, without what no file name may hold.
QString pdfNameFor(const QString &title)
{
    QString name;
    for (const QChar c : title)
        name += QStringLiteral("\\/:*?\"<>|").contains(c) || c.category() == QChar::Other_Control ? QChar(u' ') : c;
    name = name.simplified();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return (name.isEmpty() ? QStringLiteral("Report") : name) + QStringLiteral(".pdf");
}

} // namespace

void ReportPreview::savePdf()
{
    if (!countAll())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save as PDF");
    request.initialName = pdfNameFor(m_pages.title());
    request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
    request.overwritePrompt = true;
    auto path = platform().saveFileName(request, this);
    if (!path || path->isEmpty())
        return;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QStringLiteral(".pdf");
    QString error;
    bool saved = false;
    bool cancelled = false;
    {
        PageProgress progress(QStringLiteral("Saving the report..."), this);
        saved = report::writePdf(m_pages, *path, progress.fn(), m_pages.title(), &error);
        cancelled = progress.cancelled();
    }
    // The modal progress window is gone by now, so the message can be answered.
    if (saved || cancelled)
        return;
    QString text = QStringLiteral("The report could not be saved as \"%1\".").arg(QDir::toNativeSeparators(*path));
    if (!error.isEmpty())
        text += QLatin1Char('\n') + error;
    showMessage(this, MessageIcon::Exclamation, text);
}

} // namespace tf
