#pragma once

// Locking fields against typing in browse state: text boxes become read-only,
// lists and date pickers keep their drop-down shut and their value unchanged,
// and Tab still moves through them. A locked text box takes the look its
// window's style rules give ":read-only" at once.

class QWidget;

namespace tf::FieldLock {

void setLocked(QWidget *field, bool locked);
bool isLocked(const QWidget *field);
// A text box the user types into (not the line edit inside a list, date picker or grid cell).
bool isTextBox(const QWidget *widget);

} // namespace tf::FieldLock
