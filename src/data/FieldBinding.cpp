#include "data/FieldBinding.h"

#include "data/DateField.h"
#include "data/FieldValue.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tf {

void FieldBinding::bind(QWidget *widget, const QString &field)
{
    m_bound.append({widget, field});
}

QList<QWidget *> FieldBinding::widgets() const
{
    QList<QWidget *> r;
    for (const Bound &b : m_bound)
        if (b.widget)
            r << b.widget;
    return r;
}

QString FieldBinding::fieldOf(const QWidget *widget) const
{
    for (const Bound &b : m_bound)
        if (b.widget == widget)
            return b.field;
    return {};
}

void FieldBinding::setWidgetValue(QWidget *widget, const QVariant &stored)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(FieldValue::toDisplayText(stored));
    } else if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        line->setText(stored.toString());
        line->setCursorPosition(0);
    } else if (auto *text = qobject_cast<QTextEdit *>(widget)) {
        text->setPlainText(stored.toString());
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget)) {
        plain->setPlainText(stored.toString());
    } else if (auto *field = qobject_cast<DateField *>(widget)) {
        field->setStored(stored);
    } else if (auto *date = qobject_cast<QDateEdit *>(widget)) {
        const QDate d = FieldValue::toDate(stored);
        // An empty date shows the earliest date the control allows, never a stale one.
        date->setDate(d.isValid() ? d : date->minimumDate());
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const QString s = stored.toString();
        if (combo->isEditable()) {
            combo->setEditText(s);
        } else {
            const int i = combo->findText(s, Qt::MatchFixedString);
            combo->setCurrentIndex(i);
        }
    }
}

QVariant FieldBinding::widgetValue(const QWidget *widget)
{
    if (auto *line = qobject_cast<const QLineEdit *>(widget))
        return line->text();
    if (auto *text = qobject_cast<const QTextEdit *>(widget))
        return text->toPlainText();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return plain->toPlainText();
    if (auto *field = qobject_cast<const DateField *>(widget))
        return field->stored();
    if (auto *date = qobject_cast<const QDateEdit *>(widget))
        return FieldValue::fromDate(date->date());
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return {};
}

void FieldBinding::show() const
{
    const bool hasRow = m_source && (m_source->editMode() != DataSource::EditMode::None || m_source->hasCurrent());
    for (const Bound &b : m_bound)
        if (b.widget)
            setWidgetValue(b.widget, hasRow ? m_source->value(b.field) : QVariant());
}

bool FieldBinding::write() const
{
    if (!m_source || m_source->editMode() == DataSource::EditMode::None)
        return false;
    for (const Bound &b : m_bound) {
        if (!b.widget || qobject_cast<const QLabel *>(b.widget.data()))
            continue;
        QVariant v = widgetValue(b.widget);
        // An untouched empty field stays empty rather than becoming an empty text.
        if (v.toString().isEmpty() && m_source->value(b.field).isNull())
            continue;
        // The first field that cannot be written fails the save: its typing must not vanish quietly.
        if (!m_source->setValue(b.field, v))
            return false;
    }
    return true;
}

} // namespace tf
