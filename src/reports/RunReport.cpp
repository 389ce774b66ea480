#include "reports/RunReport.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>
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

bool runReport(const QString &fileName, QWidget *parent)
{
    static bool running = false;
    if (running)
        return false;
    running = true;
    const QPointer<QWidget> owner(parent);

    report::BuildOptions options;
    options.definitionPath = report::reportPath(fileName);
    options.databasePath = programDatabasePath();
    options.printedAt = platform().now();
    {
        // The same printer the preview will use, so the pages come out at its size.
        QPrinter printer(QPrinter::HighResolution);
        options.page = report::PageSetup::fromPrinter(printer.pageLayout());
    }
    report::BuildResult result;
    {
        ProgressShown progress(parent);
        options.progress = [&progress](int percent) { return progress.update(percent); };
        result = report::buildReport(options);
    }
    running = false;
    QWidget *shownOver = owner.data();
    if (result.cancelled)
        return false;
    if (!result.document) {
        showMessage(shownOver, MessageIcon::Exclamation, result.error);
        return false;
    }
    report::DocumentPages pages(std::move(result.document));
    platform().previewReport(ReportPreviewRequest{QStringLiteral("Print Preview"), &pages}, shownOver);
    return true;
}

} // namespace tf
