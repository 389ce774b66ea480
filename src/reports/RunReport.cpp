#include "reports/RunReport.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QWidget>

namespace tf {

namespace {

// Keeps the program alive while a report is made on the one thread: events are
// handled every few hundredths of a second, and after 300 ms a modal progress
// window with Cancel appears (modal, so no other window can start anything).
class ProgressShown
{
public:
    explicit ProgressShown(QWidget *parent) : m_parent(parent) { m_clock.start(); }
    ~ProgressShown() { delete m_dialog; }

    bool update(int percent)
    {
        if (m_pumped.isValid() && m_pumped.elapsed() < 30)
            return !m_cancelled;
        m_pumped.start();
        if (!m_dialog && m_clock.elapsed() >= 300) {
            m_dialog = new QProgressDialog(QStringLiteral("Preparing the report..."), QStringLiteral("Cancel"), 0, 100,
                                           m_parent);
            m_dialog->setObjectName(QStringLiteral("reportProgress"));
            m_dialog->setWindowTitle(kProgramTitle);
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->show();
            m_wait.end(); // the user needs the normal pointer for Cancel
        }
        if (m_dialog) {
            m_dialog->setValue(percent);
            QCoreApplication::processEvents();
            m_cancelled = !m_dialog || m_dialog->wasCanceled();
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        return !m_cancelled;
    }

private:
    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    QElapsedTimer m_pumped;
    WaitPointer m_wait;
    bool m_cancelled = false;
};

} // namespace

bool runReport(const QString &fileName, QWidget *parent, const QString &databasePath)
{
    static bool running = false;
    if (running)
        return false;
    running = true;
    const QPointer<QWidget> owner(parent);

    report::BuildOptions options;
    options.definitionPath = report::reportPath(fileName);
    options.databasePath = databasePath.isEmpty() ? programDatabasePath() : databasePath;
    options.printedAt = platform().now();
    // The paper of the default printer, so the pages print as they are shown and
    // saved; with no printer, the paper of the user's locale.
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        options.page = report::PageSetup::standard();
    } else {
        QPrinter printer(defaultPrinter, QPrinter::HighResolution);
        options.page = report::PageSetup::fromPrinter(printer.pageLayout());
    }
    std::unique_ptr<report::Report> made;
    QString error;
    bool cancelled = false;
    {
        ProgressShown progress(parent);
        options.progress = [&progress](int percent) { return progress.update(percent); };
        made = report::openReport(options, &error, &cancelled);
        // A short report is counted whole; a long one opens at its first page after
        // a second, and the preview counts the rest while the user reads.
        QElapsedTimer clock;
        clock.start();
        while (made && !made->complete() && (made->pageCount() == 0 || clock.elapsed() < 1000)) {
            if (!made->paginateMore(50, options.progress)) {
                error = made->error();
                cancelled = error.isEmpty();
                made.reset();
            } else if (!progress.update(made->percentDone())) {
                cancelled = true;
                made.reset();
            }
        }
    }
    running = false;
    QWidget *shownOver = owner.data();
    if (cancelled)
        return false;
    if (!made) {
        showMessage(shownOver, MessageIcon::Exclamation, error);
        return false;
    }
    platform().previewReport(ReportPreviewRequest{QStringLiteral("Print Preview"), made.get()}, shownOver);
    return true;
}

} // namespace tf
