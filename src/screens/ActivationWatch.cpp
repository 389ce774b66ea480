#include "screens/ActivationWatch.h"

#include <QCoreApplication>
#include <QEvent>

namespace tf {

ActivationWatch::ActivationWatch()
{
    // Owned by the application, so it goes before the widgets' library does.
    setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(this);
}

ActivationWatch &ActivationWatch::instance()
{
    // One per application object: tests may run several in turn.
    static QPointer<ActivationWatch> watch;
    if (!watch)
        watch = new ActivationWatch();
    return *watch;
}

bool ActivationWatch::counts(const QWidget *window)
{
    switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return false;
    default:
        break;
    }
    return !window->isModal();
}

bool ActivationWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::WindowActivate || !watched->isWidgetType())
        return false;
    auto *window = static_cast<QWidget *>(watched);
    if (!window->isWindow() || !counts(window))
        return false;
    if (m_last == window)
        return false; // back from another application
    m_last = window;
    emit activated(window);
    return false;
}

} // namespace tf
