#include "shell/QtPlatform.h"

#include "reports/RunReport.h"
#include "shell/ReportPreview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace tf {

namespace {
QtPlatform::HelpHandler g_helpHandler = nullptr;
}

void QtPlatform::setHelpHandler(HelpHandler handler)
{
    g_helpHandler = handler;
}

MessageAnswer QtPlatform::message(const MessageRequest &request, QWidget *parent)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.title.isEmpty() ? kProgramTitle : request.title);
    // Messages carry names, paths and remarks the user typed: shown as written,
    // never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    switch (request.icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::None:
        break;
    }
    switch (request.buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (request.defaultButton) {
        switch (*request.defaultButton) {
        case MessageAnswer::Ok:
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case MessageAnswer::Cancel:
            box.setDefaultButton(QMessageBox::Cancel);
            break;
        case MessageAnswer::Yes:
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case MessageAnswer::No:
            box.setDefaultButton(QMessageBox::No);
            break;
        }
    }
    // The wait pointer must not hide the pointer the user needs to answer.
    const bool overridden = QApplication::overrideCursor() != nullptr;
    if (overridden)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int r = box.exec();
    if (overridden)
        QApplication::restoreOverrideCursor();
    switch (r) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

QStringList QtPlatform::qtFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description = description.left(paren).trimmed();
        result << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return result;
}

QString QtPlatform::dialogFolder(const FileDialogRequest &request)
{
    if (!request.initialFolder.isEmpty())
        return request.initialFolder;
    // Never the folder the program happens to run in: that is where the live diary lies.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

static std::optional<QString> runDialog(const FileDialogRequest &request, QWidget *parent, bool save)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile
                            : (request.existingOnly ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtPlatform::qtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    dialog.setDirectory(QtPlatform::dialogFolder(request));
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPlatform::saveFileName(const FileDialogRequest &request, QWidget *parent)
{
    return runDialog(request, parent, true);
}

std::optional<QString> QtPlatform::openFileName(const FileDialogRequest &request, QWidget *parent)
{
    return runDialog(request, parent, false);
}

bool QtPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QDateTime QtPlatform::now() const
{
    return QDateTime::currentDateTime();
}

void QtPlatform::previewReport(const ReportPreviewRequest &request, QWidget *parent)
{
    if (!request.pages)
        return;
    ReportPreview preview(request.title, *request.pages, parent);
    preview.exec();
}

bool QtPlatform::printReport(const QString &reportFile, QWidget *parent, const QString &databasePath)
{
    return runReport(reportFile, parent, databasePath);
}

bool QtPlatform::printImage(const QImage &image, const QRectF &where, QWidget *parent)
{
    Q_UNUSED(parent);
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    if (!printer.isValid())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    if (!where.isEmpty()) {
        const double dpi = printer.resolution();
        painter.drawImage(QRectF(where.x() * dpi, where.y() * dpi, where.width() * dpi, where.height() * dpi), image);
        return painter.end();
    }
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    return painter.end();
}

bool QtPlatform::showHelp(const QString &helpFile, const QString &page, QWidget *parent)
{
    if (g_helpHandler)
        return g_helpHandler(helpFile, page, parent);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

void QtPlatform::beginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::endWait()
{
    QApplication::restoreOverrideCursor();
}

QString QtPlatform::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace tf
