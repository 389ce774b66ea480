#include "shell/Help.h"

#include "platform/Platform.h"
#include "shell/HelpViewer.h"
#include "shell/WindowChrome.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace tf::Help {

namespace {

QString &helpFile()
{
    static QString path;
    return path;
}

// The program's window a widget belongs to: a message box or dialog standing
// over one of the program's windows counts as that window.
QWidget *owningWindow(QWidget *widget)
{
    QWidget *window = widget ? widget->window() : nullptr;
    while (window && !windowName(window).startsWith(QLatin1String("frm")) && window->parentWidget())
        window = window->parentWidget()->window();
    return window;
}

class HelpKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        // A held key repeats; one help window is enough.
        if (!key->isAutoRepeat()) {
            auto *widget = qobject_cast<QWidget *>(watched);
            showFor(owningWindow(widget ? widget : QApplication::activeWindow()));
        }
        return true;
    }
};

} // namespace

void setFile(const QString &path)
{
    helpFile() = path;
}

QString file()
{
    return helpFile();
}

void installKey()
{
    static QPointer<HelpKey> installed;
    if (installed || !qApp)
        return;
    installed = new HelpKey(qApp);
    qApp->installEventFilter(installed);
}

QString pageFor(const QWidget *window)
{
    const QString name = windowName(window);
    return name.isEmpty() ? QString() : name + QStringLiteral(".html");
}

bool showFor(QWidget *window)
{
    return platform().showHelp(file(), pageFor(window), window);
}

bool showInViewer(const QString &helpFile, const QString &page, QWidget *parent)
{
    static QPointer<HelpViewer> viewer;
    if (!viewer || viewer->helpFile() != helpFile) {
        auto *v = new HelpViewer();
        if (!v->openFile(helpFile)) {
            delete v;
            showMessage(parent, MessageIcon::Exclamation,
                        QStringLiteral("The help file %1 cannot be opened.").arg(QDir::toNativeSeparators(helpFile)));
            return false;
        }
        if (viewer)
            viewer->close();
        viewer = v;
    }
    viewer->showPage(page);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

} // namespace tf::Help
