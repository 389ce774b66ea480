#pragma once

// Locking fields against typing in browse state: text boxes become read-only,
// lists and date pickers keep their drop-down shut and their value unchanged,
// and Tab still moves through them. Every locked field, on every screen, takes
// the one locked look at once and gives it up when it is unlocked.

#include <QColor>

class QWidget;

namespace tf::FieldLock {

// The locked look's fill and text.
inline const QColor kLockedFill{30, 54, 84};
inline const QColor kLockedText{245, 240, 225};

void setLocked(QWidget *field, bool locked);
bool isLocked(const QWidget *field);
// A text box the user types into (not the line edit inside a list, date picker or grid cell).
bool isTextBox(const QWidget *widget);

} // namespace tf::FieldLock
