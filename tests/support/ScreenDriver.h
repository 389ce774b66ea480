#pragma once

// Drives a window as a user does: opens it by its catalogue name, finds
// controls by name, clicks, types and pastes, chooses grid rows, scripts the
// answer to the next message, and closes and releases windows.

#include "FakePlatform.h"
#include "shell/WindowRegistry.h"

#include <QPointer>
#include <QWidget>

class QAbstractItemView;

namespace tf::test {

class ScreenDriver
{
public:
    explicit ScreenDriver(FakePlatform &fake) : m_fake(fake) {}
    ~ScreenDriver();

    // Opens (or brings up) the window called name and waits until it is active.
    QWidget *open(const QString &windowName);
    // The same for the window of class W, defined first where nobody has.
    template <class W> W *open()
    {
        if (!WindowRegistry::isDefined(WindowRegistry::nameOf<W>()))
            WindowRegistry::define<W>();
        return qobject_cast<W *>(open(WindowRegistry::nameOf<W>()));
    }
    QWidget *window() const { return m_window; }
    // Drives a window that something else opened (a menu, another window) from now on.
    template <class W> W *drive(W *w)
    {
        m_window = w;
        return w;
    }

    template <class T = QWidget> T *get(const QString &name) const
    {
        return m_window ? m_window->findChild<T *>(name) : nullptr;
    }

    // A mouse click on a visible, enabled control; false when it could not be clicked.
    bool click(const QString &name) const;
    bool click(QWidget *control) const;
    // Replaces what a field holds, as pasting over a selection does (line
    // edits, lists that take typing, multi-line texts).
    static void paste(QWidget *field, const QString &text);
    // Makes row the current row of a grid by clicking its first cell.
    static bool chooseRow(QAbstractItemView *grid, int row);

    // The answer to the next message box (Yes, No, Ok, Cancel).
    void answerNext(MessageAnswer answer) { m_fake.messageAnswers.enqueue(answer); }
    int messageCount() const { return int(m_fake.messages.size()); }
    QString lastMessage() const { return m_fake.lastMessageText(); }

    // Closes the window as the frame's close button does, and releases it.
    void close();
    // Deletes windows that were closed (deferred deletes), as the event loop would.
    static void releaseClosed();

private:
    FakePlatform &m_fake;
    QPointer<QWidget> m_window;
};

} // namespace tf::test
