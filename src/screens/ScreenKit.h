#pragma once

// A record screen as a declaration: tables of its bars, fields, read-only
// labels and grid columns become widgets, captions, bindings and tab order
// here, so a screen's own code is only where it differs from every other.
//
//     const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Log "}, ...};
//     jcMenu = kit::makeButtonBar(this, "jcMenu", "Menu", menu);
//     jcSave = kit::makeSaveBar(this);
//     const kit::FieldDecl fields[] = {
//         {"DTPicker1", "Date Fished:", "Date", kit::FieldKind::Date},
//         {"DBCombo1", "Lake / River:", "Lake", kit::FieldKind::Lookup, {}, "Lakes", "Lakes"},
//         {"Combo6", "Water Color:", "Water Color", kit::FieldKind::ValueList},
//         {"Text9", "Remarks:", "Notes", kit::FieldKind::MultiLine}};
//     kit::addFields(*cycle, panel, fields, &geometry);

#include "data/GridModel.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <span>

class QAbstractButton;
class QAbstractItemView;
class QDate;
class QGroupBox;
class QLabel;
class QWidget;

namespace tf {

class RecordCycle;

namespace kit {

struct ButtonDecl
{
    const char *name;
    QString caption;
    QString toolTip;
    std::function<void()> command = {}; // empty: the cycle's own (New, Edit, ...) or connected later
};

// A captioned bar of push buttons in a row, each with its name, caption and tool tip.
// A window with several lists ends the names of each list's buttons with the
// list's suffix (cmdNew + "rod"), as it does for the list's save bar.
QGroupBox *makeButtonBar(QWidget *parent, const char *name, const QString &caption, std::span<const ButtonDecl> buttons,
                         const char *suffix = "");

struct SaveBarDecl
{
    const char *name = "jcSave";
    const char *noteName = "Label1";
    QString note = QStringLiteral("Click Save or Cancel before you can Exit.");
    const char *suffix = ""; // Save is cmdSave + suffix, Cancel cmdCancel + suffix
    QString saveTip = {};
    QString cancelTip = {};
};
// The save bar "Menu": Save, Cancel and the note beside them; hidden until the cycle shows it.
QGroupBox *makeSaveBar(QWidget *parent, const SaveBarDecl &decl = {});
// A button of a bar (or window) by name; nullptr when there is none.
QAbstractButton *button(const QWidget *parent, const char *name);

enum class FieldKind {
    Text,      // one line, no length limit
    MultiLine, // several lines with a vertical scroll bar; Tab moves on
    ValueList, // a drop-down of fixed values (the column's own list when none are given) that also takes typing
    Lookup,    // a drop-down of one column of a table, read at open, that also takes typing
    Date,      // a date picker that can be empty and keeps a stored time of day
    Number,    // one line of digits
};

struct FieldDecl
{
    const char *name;
    QString caption;
    QString column;
    FieldKind kind = FieldKind::Text;
    QStringList values = {};
    QString lookupTable = {};
    QString lookupColumn = {};
};

// Where fields sit on a panel of fixed size; without it they go into a form layout.
struct FormGeometry
{
    int top = 40;
    int rowHeight = 30;
    int captionX = 12;
    int captionWidth = 156;
    int fieldHeight = 24;
    int rightMargin = 12;
    int bottomMargin = 8; // a multi-line field takes the rest of the panel
};

// Creates each field with its caption on `form`, in order (which is the tab
// order), binds it to its column in the cycle and gives lists their values.
// Returns the fields in order.
QList<QWidget *> addFields(RecordCycle &cycle, QWidget *form, std::span<const FieldDecl> fields,
                           const FormGeometry *geometry = nullptr);

// A read-only panel: a value label per column, with its caption.
struct LabelDecl
{
    const char *name;
    QString caption;
    QString column;
};
QList<QLabel *> addLabels(RecordCycle &cycle, QWidget *panel, std::span<const LabelDecl> labels,
                          const FormGeometry *geometry = nullptr);

// Lets only the characters of `allowed` (and keys that type nothing: arrows,
// Tab, Backspace, Delete, shortcuts such as paste) be typed into a field; any
// other key is dropped with `warning`, and the field keeps the focus.
void allowOnlyKeys(QWidget *field, const QString &allowed, const QString &warning);

// One field made alone (not bound): for screens that place a field themselves.
QWidget *makeField(QWidget *parent, const FieldDecl &decl);

// The days a date picker can show; a typed date outside them is refused.
QDate firstDay();
QDate lastDay();
// A day in the user's short form with all four digits of the year ("12/24/2026").
QString dayText(const QDate &day);

// Makes `column` of a grid that takes typing a date column: the cell shows and
// takes a day in dayText's form (or the stored form, "2026-12-24"); the time of
// day the row held stays with a new day. Text that is no day between firstDay()
// and lastDay() is refused with a message saying it is no date `keeper` ("the
// reminders") can keep, and the row keeps its stored date. Clearing the cell
// clears the date.
void acceptTypedDates(QAbstractItemView *grid, int column, const QString &keeper);

} // namespace kit
} // namespace tf
