#pragma once

// Shows the current row of a data source in a window's fields and writes what
// the user typed into the pending row. Labels, line edits, text edits, combo
// boxes (with or without typing) and date edits are understood.

#include "data/DataSource.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tf {

class FieldBinding
{
public:
    explicit FieldBinding(DataSource *source) : m_source(source) {}

    // Binds a field; read-only widgets (labels) are only ever shown.
    void bind(QWidget *widget, const QString &field);

    // Fills every bound widget from the current (or pending) row; empty when there is none.
    void show() const;
    // Writes every editable bound widget into the pending row; false (with the
    // data source's errorText()) when any of them could not be written.
    bool write() const;

    DataSource *source() const { return m_source; }
    QList<QWidget *> widgets() const;
    // The column a bound widget shows; empty for a widget not bound here.
    QString fieldOf(const QWidget *widget) const;

    // The text a widget holds now, in the stored form (dates as ISO text).
    static QVariant widgetValue(const QWidget *widget);
    static void setWidgetValue(QWidget *widget, const QVariant &stored);

private:
    struct Bound
    {
        QPointer<QWidget> widget;
        QString field;
    };
    DataSource *m_source;
    QList<Bound> m_bound;
};

} // namespace tf
