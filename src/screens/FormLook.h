#pragma once

// Looks the contacts, memberships and options screens share beyond the kit's:
// the dark window the kit's light captions and glass bars are made for (on
// the ordinary framed windows), the window's own Minimize and Close picture
// buttons, and locked text boxes that read as values rather than as boxes
// waiting for typing.

#include <QString>

class QHBoxLayout;
class QToolButton;
class QWidget;

namespace tf::formlook {

void darkWindow(QWidget *window);
// cmdMinimize and cmdExit, added at the right end of `row`.
void addWindowButtons(QWidget *window, QHBoxLayout *row, QToolButton **minimize, QToolButton **exit);
// Style rules for a group of fields that are locked outside adding and editing.
QString lockedFieldRules();
// Style rules do not follow a change of read-only on their own: call this after locking or unlocking.
void restyleFields(QWidget *root);

} // namespace tf::formlook
