#pragma once

// Bars: the captioned groups of buttons and labels on the shaped windows. A bar
// is a QGroupBox, so hiding it hides everything in it and disabling it makes
// every control in it unusable while it stays in view; what this adds is the
// one fixed look all bars share over the lake picture. Labels in a bar keep
// their own palette, so each window colours its texts (white reads well).

#include <QString>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QWidget;

namespace tf {

// A new bar with its objectName and caption, in the shared look.
QGroupBox *makeBar(QWidget *parent, const QString &objectName, const QString &caption);
// Gives an existing group box (say, from a .ui file) the shared look.
void styleBar(QGroupBox *bar);
// The same look for a command button that stands on a shaped window's background.
void styleButton(QAbstractButton *button);
// The small framed picture (Image1) that opens the picture credit, centred on
// the column at x = 318..714 and with its top at y; the window installs its own
// click handling.
QLabel *makeCreditPicture(QWidget *window, int y);

} // namespace tf
