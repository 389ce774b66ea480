#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QHash>
#include <QPointer>

namespace tf {

namespace {

struct Kind
{
    WindowRegistry::Factory make;
    RestoreOpener restore = RestoreOpener::OnClose;
};

struct Entry
{
    QWidget *window = nullptr; // identity only: compared when it is destroyed
    QPointer<QWidget> alive;
    QString name;
    QPointer<QWidget> opener; // set when opening this window minimized the opener
    RestoreOpener restore = RestoreOpener::OnClose;
};

// Like the forms collection of a windowed program: which windows exist is
// program-wide by nature.
struct State
{
    QHash<QString, Kind> kinds;
    QList<Entry> entries;
    bool closingAll = false;
};

State &state()
{
    static State s;
    return s;
}

Entry *entryOf(const QWidget *window)
{
    for (Entry &e : state().entries)
        if (e.window == window)
            return &e;
    return nullptr;
}

void setNormal(QWidget *window)
{
    // An opener the user has closed meanwhile is not brought back: the program
    // ends when its last window closes, and nothing is left running unseen.
    if (!window || !window->isVisible())
        return;
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

void bringToFront(QWidget *window)
{
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

void forget(QObject *object)
{
    State &s = state();
    for (int i = 0; i < s.entries.size(); ++i) {
        if (s.entries[i].window != object)
            continue;
        const Entry e = s.entries.takeAt(i);
        if (!s.closingAll && e.restore == RestoreOpener::OnClose)
            setNormal(e.opener);
        return;
    }
}

} // namespace

QString WindowRegistry::nameOf(const QMetaObject &meta)
{
    const QString cls = QString::fromLatin1(meta.className());
    const int colons = cls.lastIndexOf(QLatin1String("::"));
    return colons >= 0 ? cls.mid(colons + 2) : cls;
}

void WindowRegistry::define(const QString &name, Factory make, RestoreOpener restore)
{
    state().kinds.insert(name, Kind{std::move(make), restore});
}

bool WindowRegistry::isDefined(const QString &name)
{
    return state().kinds.contains(name);
}

void WindowRegistry::undefine(const QString &name)
{
    state().kinds.remove(name);
}

void WindowRegistry::adopt(QWidget *window, const QString &name)
{
    window->setObjectName(name);
    // A closed window is released, and its data sources with it.
    window->setAttribute(Qt::WA_DeleteOnClose);
    const Kind kind = state().kinds.value(name);
    state().entries.append(Entry{window, window, name, nullptr, kind.restore});
    QObject::connect(window, &QObject::destroyed, window, [](QObject *o) { forget(o); });
}

QWidget *WindowRegistry::open(const QString &name, QWidget *opener, OpenerState openerState)
{
    QWidget *window = find(name);
    if (window) {
        bringToFront(window);
    } else {
        const auto it = state().kinds.constFind(name);
        if (it == state().kinds.constEnd() || !it->make)
            return nullptr;
        window = it->make();
        if (!window)
            return nullptr;
        adopt(window, name);
        window->show();
    }
    if (opener && opener != window && openerState == OpenerState::Minimize) {
        if (Entry *e = entryOf(window))
            e->opener = opener;
        opener->setWindowState(opener->windowState() | Qt::WindowMinimized);
    }
    return window;
}

QWidget *WindowRegistry::find(const QString &name)
{
    for (const Entry &e : state().entries)
        if (e.alive && e.name == name)
            return e.alive;
    return nullptr;
}

QList<QWidget *> WindowRegistry::openWindows()
{
    QList<QWidget *> r;
    for (const Entry &e : state().entries)
        if (e.alive)
            r << e.alive;
    return r;
}

void WindowRegistry::restoreOpener(QWidget *window)
{
    if (const Entry *e = entryOf(window))
        setNormal(e->opener);
}

bool WindowRegistry::closingAll()
{
    return state().closingAll;
}

void WindowRegistry::closeAll(QWidget *except)
{
    State &s = state();
    const bool wasClosing = s.closingAll;
    s.closingAll = true;
    // Newest first, so a window goes before the one that opened it.
    QList<QPointer<QWidget>> windows;
    for (const Entry &e : s.entries)
        windows.prepend(e.alive);
    for (const QPointer<QWidget> &w : windows) {
        if (!w || w == except)
            continue;
        w->close();
        // Released at once rather than later, so no data source of it still
        // holds the file when the caller goes on.
        delete w.data();
    }
    // Windows outside the registry (help, a report preview) close as well.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w == except || !w->isVisible() || !w->isWindow())
            continue;
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen)
            continue;
        w->close();
    }
    s.closingAll = wasClosing;
}

} // namespace tf
