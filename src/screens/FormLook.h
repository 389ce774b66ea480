#pragma once

// Looks the contacts, memberships and options screens share beyond the kit's:
// the dark window the kit's light captions and glass bars are made for (on
// the ordinary framed windows), the window's own Minimize and Close picture
// buttons, and locked text boxes that read as values rather than as boxes
// waiting for typing.

#include "shell/WindowChrome.h"

#include <QString>

class QHBoxLayout;
class QWidget;

namespace tf::formlook {

void darkWindow(QWidget *window);
// cmdMinimize and cmdExit, added at the right end of `row`.
WindowButtons addWindowButtons(QWidget *window, QHBoxLayout *row);
// Style rules for a group of fields that are locked outside adding and editing.
QString lockedFieldRules();

} // namespace tf::formlook
