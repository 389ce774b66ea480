#pragma once

// How a window says that its database cannot be used: one message, shown once
// the window is on screen (so it never comes up over a window not yet seen),
// never twice, and the window stays open so it can be closed.

#include <QString>

class QWidget;

namespace tf {

// "The fishing log cannot be opened." then the engine's error on its own line,
// then what the user can do about it.
QString cannotOpenText(const QString &what, const QString &engineError);

// Shows text (an exclamation warning) once the window has been shown; at once
// when it is already visible. A window reports at most one problem this way.
void reportWhenShown(QWidget *window, const QString &text);

} // namespace tf
