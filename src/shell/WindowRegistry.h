#pragma once

// The program's windows by name. Each exists at most once: opening a window
// that is open brings the same one to the front. A window opened by another that
// minimized itself for it knows that opener and sets it back to normal when it
// closes.
//
// A window plugs in with one line in registerWindows() (WindowCatalog.cpp):
//     WindowRegistry::define<frmLogs>();
// and a menu opens it by name, so the menu can be built before the window is:
//     WindowRegistry::open(QStringLiteral("frmLogs"), this, OpenerState::Minimize);
// A name nobody has defined opens nothing.
//
// Hooks a window class may declare:
//   bool load();  called after construction, before showing; false means the
//                 window refused to open (it has said why) and is deleted.
//   static constexpr RestoreOpener restoreOpener = RestoreOpener::ByWindow;
//                 the window restores its opener itself, from the one command
//                 that does so, by calling WindowRegistry::restoreOpener(this).

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QWidget>
#include <concepts>
#include <functional>

namespace tf {

// What opening a window does to the window it was opened from.
enum class OpenerState { Keep, Minimize };
// When the opener is set back to normal: when the window closes, or when the window says.
enum class RestoreOpener { OnClose, ByWindow };

class WindowRegistry
{
public:
    using Factory = std::function<QWidget *()>;

    // Teaches the registry how to make the window called `name`. A later
    // definition of the same name replaces the earlier one.
    static void define(const QString &name, Factory make, RestoreOpener restore = RestoreOpener::OnClose);
    template <class W> static void define();
    static bool isDefined(const QString &name);
    static void undefine(const QString &name);

    // Opens (or brings to the front) the window called `name`; nullptr when the
    // name is not defined or the window refused to open.
    static QWidget *open(const QString &name, QWidget *opener = nullptr, OpenerState state = OpenerState::Keep);
    template <class W> static W *open(QWidget *opener = nullptr, OpenerState state = OpenerState::Keep);

    // The open window of that name, or nullptr.
    static QWidget *find(const QString &name);
    template <class W> static W *find() { return qobject_cast<W *>(find(nameOf<W>())); }
    // Every open window, in the order they were opened.
    static QList<QWidget *> openWindows();

    // Sets the window's opener back to normal now (for RestoreOpener::ByWindow windows).
    static void restoreOpener(QWidget *window);

    // Closes every open window of the program except `except`, each as if the
    // user had closed it; a window that refuses or fails is released anyway,
    // and its pending row with it. While this runs, closingAll() is true, so a
    // window can tell it must not ask questions or save.
    static void closeAll(QWidget *except = nullptr);
    static bool closingAll();

    // "tf::frmLogs" -> "frmLogs".
    template <class W> static QString nameOf();
    static QString nameOf(const QMetaObject &meta);

private:
    static void adopt(QWidget *window, const QString &name);
};

template <class W> QString WindowRegistry::nameOf()
{
    return nameOf(W::staticMetaObject);
}

template <class W> void WindowRegistry::define()
{
    RestoreOpener restore = RestoreOpener::OnClose;
    if constexpr (requires { W::restoreOpener; })
        restore = W::restoreOpener;
    define(
        nameOf<W>(),
        []() -> QWidget * {
            auto *w = new W();
            if constexpr (requires(W & x) {
                              {
                                  x.load()
                                  } -> std::convertible_to<bool>;
                          }) {
                if (!w->load()) {
                    delete w;
                    return nullptr;
                }
            }
            return w;
        },
        restore);
}

template <class W> W *WindowRegistry::open(QWidget *opener, OpenerState state)
{
    if (!isDefined(nameOf<W>()))
        define<W>();
    return qobject_cast<W *>(open(nameOf<W>(), opener, state));
}

} // namespace tf
