#pragma once

// Tells a record screen when it has become the active window *of the program*:
// when the user switches to it from another of our windows, or when it is shown
// for the first time — but not when the user comes back to it from another
// application.
//
// Qt sends QEvent::WindowActivate in all three cases. What tells them apart is
// which of our windows was active last: coming back from another application
// re-activates the very window that was active when the program lost the focus,
// while a switch inside the program activates a different one. So one watcher
// for the whole program sees every activation (an application event filter),
// remembers the last window activated, and reports an activation only when it
// differs from that one. Message boxes, dialogs and other modal windows are not
// remembered: closing a message box hands the activation back to the window
// that asked, which is no switch between the program's windows.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tf {

class ActivationWatch : public QObject
{
    Q_OBJECT
public:
    // The program's one watcher, installed on first use.
    static ActivationWatch &instance();

    // The program window activated last (nullptr before any, or once it is gone).
    QWidget *lastActivated() const { return m_last; }

signals:
    // `window` became the program's active window, coming from another of its windows.
    void activated(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ActivationWatch();
    static bool counts(const QWidget *window);
    QPointer<QWidget> m_last;
};

} // namespace tf
