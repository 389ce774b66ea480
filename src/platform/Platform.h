#pragma once

// The one place where the program touches the world outside itself: message
// boxes, file dialogs, URLs, the clock, report preview, printing, help, the wait
// pointer and the program folder. Windows call platform() instead of Qt's
// dialogs directly, so tests can install a fake that records what was asked and
// answers from a script.

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QWidget;

namespace tf {

enum class MessageIcon { None, Information, Exclamation, Question, Critical };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest
{
    MessageIcon icon = MessageIcon::None;
    QString title; // empty means the program's title
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    // The button Enter presses; unset, the box's first button (Ok or Yes).
    std::optional<MessageAnswer> defaultButton;
};

struct FileDialogRequest
{
    QString title;
    QString initialName;
    // In the "Description (*.ext)|*.ext" form: pairs of description and pattern
    // separated by "|"; the first pair is selected.
    QString filter;
    bool overwritePrompt = false; // save dialogs
    bool existingOnly = false;    // open dialogs
    QString initialFolder;        // empty: the user's documents folder
};

// A report's pages, painted one at a time as they are asked for.
class ReportPages
{
public:
    virtual ~ReportPages() = default;
    // The pages ready so far; all of them once complete().
    virtual int pageCount() const = 0;
    // A long report is shown while its later pages are still being counted.
    virtual bool complete() const { return true; }
    // Counts on for about this long; false when it stopped on an error (error() says why)
    // or was cancelled. A query can hold the count up for much longer: meanwhile `progress`
    // (may be empty) is called now and then with how far it has come, and returning false
    // cancels the report.
    virtual bool paginateMore(int milliseconds, const std::function<bool(int percent)> &progress)
    {
        Q_UNUSED(milliseconds);
        Q_UNUSED(progress);
        return true;
    }
    // How far the counting has come, 0 to 100.
    virtual int percentDone() const { return 100; }
    virtual QString error() const { return {}; }
    // The paper, in points.
    virtual QSizeF pageSize() const = 0;
    // Paints page `index` (from 0) with its top left at the painter's origin, one point to a unit.
    virtual void paintPage(int index, QPainter &painter) const = 0;
    // The text of a page, in reading order.
    virtual QString pageText(int index) const = 0;
    // Pages may be painted on several threads at once (each with its own painter).
    virtual bool paintsConcurrently() const { return false; }
    // The title printed at the top of every page (for a saved file's properties).
    virtual QString title() const { return {}; }
};

struct ReportPreviewRequest
{
    QString title; // window title of the preview
    ReportPages *pages = nullptr;
};

class Platform
{
public:
    virtual ~Platform() = default;

    virtual MessageAnswer message(const MessageRequest &request, QWidget *parent) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest &request, QWidget *parent) = 0;
    virtual std::optional<QString> openFileName(const FileDialogRequest &request, QWidget *parent) = 0;
    virtual bool openUrl(const QUrl &url) = 0;

    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }

    // Shows a laid-out report for the user to print or save.
    virtual void previewReport(const ReportPreviewRequest &request, QWidget *parent) = 0;
    // Makes the report of a definition file in the program folder ("log.rpt")
    // and shows its preview; false when it could not (the user has been told why).
    bool printReport(const QString &reportFile, QWidget *parent) { return printReport(reportFile, parent, QString()); }
    // The same with the definition's queries run on another database file than
    // the diary (empty: the diary): figures the program worked out and wrote
    // down to be printed.
    virtual bool printReport(const QString &reportFile, QWidget *parent, const QString &databasePath) = 0;
    // Prints a picture on the default printer; false when nothing was printed.
    // `where` is in inches from the page's top left corner; an empty one fits the picture to the page.
    virtual bool printImage(const QImage &image, const QRectF &where, QWidget *parent) = 0;
    // Opens the help file at a page (empty: its default page).
    virtual bool showHelp(const QString &helpFile, const QString &page, QWidget *parent) = 0;

    // The wait pointer shown during long file work; calls nest.
    virtual void beginWait() = 0;
    virtual void endWait() = 0;

    // The folder of the program: the database, reports and help live here.
    virtual QString programFolder() const = 0;
};

// The platform in force. Before any is installed this is a real one built on Qt
// (installed by the GUI library's start-up) — tests install their fake.
Platform &platform();
void setPlatform(std::unique_ptr<Platform> p);
// Swap in a platform and get the old one back (tests restore it afterwards).
std::unique_ptr<Platform> replacePlatform(std::unique_ptr<Platform> p);

// The program's title, shown on a message box that has none of its own.
inline const QString kProgramTitle = QStringLiteral("Tallyfin");

// Path of a file in the program folder ("\tfn5.mdb" in the old notation).
QString programFile(const QString &name);

// Scoped wait pointer: shown while alive, the normal pointer is back on every exit path.
class WaitPointer
{
public:
    WaitPointer() { platform().beginWait(); }
    ~WaitPointer() { end(); }
    void end()
    {
        if (m_active) {
            m_active = false;
            platform().endWait();
        }
    }
    WaitPointer(const WaitPointer &) = delete;
    WaitPointer &operator=(const WaitPointer &) = delete;

private:
    bool m_active = true;
};

// Convenience wrappers used by every window.
MessageAnswer showMessage(QWidget *parent, MessageIcon icon, const QString &text, const QString &title = {},
                          MessageButtons buttons = MessageButtons::Ok,
                          std::optional<MessageAnswer> defaultButton = std::nullopt);
// A Yes/No question whose Yes deletes or throws something away; No is the
// default button, so a hurried Enter loses nothing. True when the answer is Yes.
bool askBeforeLoss(QWidget *parent, const QString &text, const QString &title = {});

} // namespace tf
