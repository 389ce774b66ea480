#pragma once

#include "platform/Platform.h"

namespace tf {

// The real platform: Qt's message boxes, file dialogs, desktop services,
// print preview and printer, the system clock and the executable's folder.
class QtPlatform : public Platform
{
public:
    MessageAnswer message(const MessageRequest &request, QWidget *parent) override;
    std::optional<QString> saveFileName(const FileDialogRequest &request, QWidget *parent) override;
    std::optional<QString> openFileName(const FileDialogRequest &request, QWidget *parent) override;
    bool openUrl(const QUrl &url) override;
    QDateTime now() const override;
    void previewReport(const ReportPreviewRequest &request, QWidget *parent) override;
    using Platform::printReport;
    bool printReport(const QString &reportFile, QWidget *parent, const QString &databasePath) override;
    bool printImage(const QImage &image, const QRectF &where, QWidget *parent) override;
    bool showHelp(const QString &helpFile, const QString &page, QWidget *parent) override;
    void beginWait() override;
    void endWait() override;
    QString programFolder() const override;

    // The folder a file dialog opens in: the request's, else the user's documents folder.
    static QString dialogFolder(const FileDialogRequest &request);
    // Turns "Database Files (*.mdb*)|*.mdb" into Qt's filter list.
    static QStringList qtFilters(const QString &filter);

    // Who opens help: set by the help module once it exists.
    using HelpHandler = bool (*)(const QString &helpFile, const QString &page, QWidget *parent);
    static void setHelpHandler(HelpHandler handler);
};

} // namespace tf
