#pragma once

// The look the record screens share over the lake picture: count captions,
// the dark glass panels that carry fields, captions and values, lists that
// also take typing, grids, and how buttons sit in a bar. Only looks; no
// behaviour lives here.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QScrollBar;
class QTableView;
class QWidget;

namespace tf::look {

// The count caption in the window's top left corner.
void styleCountCaption(QLabel *label);
// A panel of fields: dark translucent glass with a light rim, so white text
// reads on any part of the background.
QFrame *makePanel(QWidget *parent, const QString &objectName, const QRect &geometry);
// A caption beside a field ("Lake / River:") and a value label on a panel.
QLabel *makeCaption(QWidget *parent, const QString &text);
QLabel *makeValue(QWidget *parent, const QString &objectName);
// A heading on a panel, with its small picture.
QLabel *makeHeading(QWidget *parent, const QString &text, const QString &picture, int y, int width);
// The " Edit Mode " indicator.
QLabel *makeEditModeLabel(QWidget *parent, const QString &objectName, const QString &text);
// A drop-down list that also accepts typing: the items are suggestions and
// whatever is typed is kept as typed (never added to the list).
QComboBox *makeList(QWidget *parent, const QString &objectName, const QStringList &items = {});
// A grid's look, scroll bars included.
void styleGrid(QTableView *grid);
// The grids' scroll bar look for a scroll bar of its own.
void styleScrollBar(QScrollBar *bar);
// Widens every column but the last (which takes the rest) to show its whole heading.
void fitColumnsToHeadings(QTableView *grid);
// Buttons in a row across a bar.
void rowOfButtons(QGroupBox *bar, const QList<QAbstractButton *> &buttons);
// A save bar: the two buttons, then the note beside them.
void saveBarLayout(QGroupBox *bar, QAbstractButton *save, QAbstractButton *cancel, QLabel *note);

} // namespace tf::look
