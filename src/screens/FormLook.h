#pragma once

// Looks the contacts, memberships and options screens share beyond the kit's:
// the window's own Minimize and Close picture buttons, and the open boxes of fields on a bar.

#include "shell/WindowChrome.h"

#include <QString>

class QHBoxLayout;
class QWidget;

namespace tf::formlook {

// cmdMinimize and cmdExit, added at the right end of `row`.
WindowButtons addWindowButtons(QWidget *window, QHBoxLayout *row);
// Style rules for a group of fields on a bar: white boxes with a rim (locked
// ones take the locked look of their own).
QString fieldRules();

} // namespace tf::formlook
