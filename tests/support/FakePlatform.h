#pragma once

// A platform for tests: records every message, dialog, URL, preview, print and
// help request, answers from scripted queues, and keeps a settable clock.

#include "platform/Platform.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <functional>

namespace tf::test {

struct RecordedMessage
{
    MessageIcon icon;
    QString title;
    QString text;
    MessageButtons buttons;
    MessageAnswer answer;
    int waitDepth;                              // how many wait pointers were shown when the box came up
    std::optional<MessageAnswer> defaultButton; // what Enter would have answered, if the box set it
};

class FakePlatform : public Platform
{
public:
    explicit FakePlatform(QString folder) : m_folder(std::move(folder)) {}

    MessageAnswer message(const MessageRequest &request, QWidget *parent) override;
    std::optional<QString> saveFileName(const FileDialogRequest &request, QWidget *parent) override;
    std::optional<QString> openFileName(const FileDialogRequest &request, QWidget *parent) override;
    bool openUrl(const QUrl &url) override;
    QDateTime now() const override { return m_now; }
    void previewReport(const ReportPreviewRequest &request, QWidget *parent) override;
    using Platform::printReport;
    bool printReport(const QString &reportFile, QWidget *parent, const QString &databasePath) override;
    bool printImage(const QImage &image, const QRectF &where, QWidget *parent) override;
    bool showHelp(const QString &helpFile, const QString &page, QWidget *parent) override;
    void beginWait() override;
    void endWait() override;
    QString programFolder() const override { return m_folder; }

    // Scripts: answers are taken in order; an empty queue answers the first
    // button (Ok or Yes) for messages and cancel for dialogs.
    QQueue<MessageAnswer> messageAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QQueue<std::optional<QString>> openAnswers;
    bool printResult = true;
    bool urlOpens = true; // false: no browser or mail program takes the address
    // Makes the report a Print button asked for; unset, the request is only recorded.
    // It runs while the database it was given is still there.
    std::function<bool(const QString &reportFile, QWidget *parent, const QString &databasePath)> reportMaker;

    // What was asked.
    QList<RecordedMessage> messages;
    QList<FileDialogRequest> saveRequests;
    QList<FileDialogRequest> openRequests;
    QList<QUrl> urls;
    QList<QString> previewTitles;
    QList<QString> previewTexts; // the text of every page of each previewed report
    QList<QImage> printedImages;
    QList<QRectF> printedPlaces;              // where on the page each picture went, in inches
    QList<QPair<QString, QWidget *>> reports; // report file and the window that asked
    QList<QString> reportDatabases;           // the database each report read; empty for the diary
    QList<QPair<QString, QString>> helpRequests;
    int waitDepth = 0;
    int waitShown = 0; // how many times the wait pointer was shown

    void setNow(const QDateTime &t) { m_now = t; }
    void setProgramFolder(const QString &f) { m_folder = f; }
    QString lastMessageText() const { return messages.isEmpty() ? QString() : messages.last().text; }

private:
    QString m_folder;
    QDateTime m_now = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
};

// Installs a FakePlatform over a fresh temporary program folder for the life of
// the object and puts the previous platform back afterwards.
class FakePlatformScope
{
public:
    FakePlatformScope();
    ~FakePlatformScope();
    FakePlatform &fake() { return *m_fake; }
    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    FakePlatform *m_fake;
    std::unique_ptr<Platform> m_previous;
};

} // namespace tf::test
