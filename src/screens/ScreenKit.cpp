#include "screens/ScreenKit.h"

#include "data/DateField.h"
#include "data/FieldValue.h"
#include "data/ValueLists.h"
#include "platform/Platform.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <limits>

namespace tf::kit {

namespace {

// The toolkit cuts a line of text at 32,767 characters; the file has no such limit.
constexpr int kNoLengthLimit = std::numeric_limits<int>::max();

QPushButton *barButton(QGroupBox *bar, const char *name, const char *suffix, const QString &caption,
                       const QString &toolTip)
{
    auto *b = new QPushButton(caption, bar);
    b->setObjectName(QLatin1String(name) + QLatin1String(suffix));
    b->setToolTip(toolTip);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QFormLayout *formLayoutOf(QWidget *form)
{
    if (auto *layout = qobject_cast<QFormLayout *>(form->layout()))
        return layout;
    auto *layout = new QFormLayout(form);
    layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return layout;
}

// Places a caption and its field on row `row` of a panel of fixed size, or
// appends them to the panel's form layout.
void place(QWidget *form, const FormGeometry *g, int row, QLabel *caption, QWidget *field, bool fillsRest)
{
    if (!g) {
        formLayoutOf(form)->addRow(caption, field);
        return;
    }
    const int y = g->top + row * g->rowHeight;
    const int fieldX = g->captionX + g->captionWidth;
    if (fillsRest) {
        // The caption above, the text below it down to the panel's foot.
        caption->setGeometry(g->captionX, y + 4, g->captionWidth, g->fieldHeight - 2);
        field->setGeometry(g->captionX, y + 28, form->width() - g->captionX - g->rightMargin,
                           form->height() - y - 28 - g->bottomMargin);
        return;
    }
    caption->setGeometry(g->captionX, y, g->captionWidth, g->fieldHeight);
    field->setGeometry(fieldX, y, form->width() - fieldX - g->rightMargin, g->fieldHeight);
}

class KeyFilter : public QObject
{
public:
    KeyFilter(QWidget *field, QString allowed, QString warning)
        : QObject(field), m_field(field), m_allowed(std::move(allowed)), m_warning(std::move(warning))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = key->text();
        if (text.isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
            key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        if (text.size() == 1 && m_allowed.contains(text.at(0)))
            return false;
        showMessage(m_field, MessageIcon::Exclamation, m_warning);
        m_field->setFocus(Qt::OtherFocusReason);
        return true;
    }

private:
    QWidget *m_field;
    QString m_allowed;
    QString m_warning;
};

// The user's short date form with all four digits of the year, as the date picker shows it.
QString dayFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QDate parseTypedDay(const QString &text)
{
    QDate d = QLocale().toDate(text, dayFormat());
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    return d;
}

// Free text in a date column would break the order by date, leave the date
// picker blank and lose the trip's date: a typed cell is a day or is refused.
// Four-digit years are shown, as 1900 and 2000 must not both read "00".
class DayDelegate : public QStyledItemDelegate
{
public:
    DayDelegate(QAbstractItemView *grid, QString keeper) : QStyledItemDelegate(grid), m_grid(grid), m_keeper(keeper) {}

    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = shown(index.data(Qt::EditRole));
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setText(shown(index.data(Qt::EditRole)));
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return;
        const QVariant stored = index.data(Qt::EditRole);
        const QString typed = line->text().trimmed();
        if (typed == shown(stored))
            return; // untouched: the stored value (and its time of day) stays as it is
        if (typed.isEmpty()) {
            model->setData(index, QString());
            return;
        }
        const QDate day = parseTypedDay(typed);
        if (!day.isValid() || day < firstDay() || day > lastDay()) {
            showMessage(m_grid->window(), MessageIcon::Exclamation,
                        QStringLiteral("\"%1\" is not a date %2 can keep.\n").arg(typed.left(40), m_keeper) +
                            QStringLiteral("The date picker cannot show this date.\nChoose a day from %1 to %2.")
                                .arg(dayText(firstDay()), dayText(lastDay())));
            return;
        }
        static const QRegularExpression timeOfDay(
            QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([ T]\\d{2}:\\d{2}(?::\\d{2})?)$"));
        const auto m = timeOfDay.match(stored.toString().trimmed());
        model->setData(index, FieldValue::fromDate(day) + (m.hasMatch() ? m.captured(1) : QString()));
    }

private:
    static QString shown(const QVariant &stored)
    {
        const QDate d = FieldValue::toDate(stored);
        return d.isValid() ? dayText(d) : FieldValue::toDisplayText(stored);
    }

    QAbstractItemView *m_grid;
    QString m_keeper;
};

} // namespace

QDate firstDay()
{
    return QDate(100, 1, 1);
}

QDate lastDay()
{
    return QDate(9999, 12, 31);
}

QString dayText(const QDate &day)
{
    return QLocale().toString(day, dayFormat());
}

void acceptTypedDates(QAbstractItemView *grid, int column, const QString &keeper)
{
    grid->setItemDelegateForColumn(column, new DayDelegate(grid, keeper));
}

void allowOnlyKeys(QWidget *field, const QString &allowed, const QString &warning)
{
    auto *filter = new KeyFilter(field, allowed, warning);
    field->installEventFilter(filter);
    if (auto *combo = qobject_cast<QComboBox *>(field)) {
        // Keys typed while a completer's popup is open would reach the field unfiltered.
        combo->setCompleter(nullptr);
        combo->lineEdit()->installEventFilter(filter);
    } else if (auto *spin = field->findChild<QLineEdit *>()) {
        spin->installEventFilter(filter);
    }
}

QGroupBox *makeButtonBar(QWidget *parent, const char *name, const QString &caption, std::span<const ButtonDecl> buttons,
                         const char *suffix)
{
    QGroupBox *bar = makeBar(parent, QLatin1String(name), caption);
    QList<QAbstractButton *> row;
    for (const ButtonDecl &decl : buttons) {
        QPushButton *b = barButton(bar, decl.name, suffix, decl.caption, decl.toolTip);
        if (decl.command)
            QObject::connect(b, &QPushButton::clicked, bar, [command = decl.command] { command(); });
        row << b;
    }
    look::rowOfButtons(bar, row);
    return bar;
}

QGroupBox *makeSaveBar(QWidget *parent, const SaveBarDecl &decl)
{
    QGroupBox *bar = makeBar(parent, QLatin1String(decl.name), QStringLiteral("Menu"));
    QPushButton *save = barButton(bar, "cmdSave", decl.suffix, QStringLiteral("Save"), decl.saveTip);
    QPushButton *cancel = barButton(bar, "cmdCancel", decl.suffix, QStringLiteral("Cancel"), decl.cancelTip);
    auto *label = new QLabel(decl.note, bar);
    label->setObjectName(QLatin1String(decl.noteName));
    look::saveBarLayout(bar, save, cancel, label);
    bar->hide();
    return bar;
}

QAbstractButton *button(const QWidget *parent, const char *name)
{
    return parent ? parent->findChild<QAbstractButton *>(QLatin1String(name)) : nullptr;
}

QWidget *makeField(QWidget *parent, const FieldDecl &decl)
{
    const QString name = QLatin1String(decl.name);
    switch (decl.kind) {
    case FieldKind::MultiLine: {
        auto *text = new QPlainTextEdit(parent);
        text->setObjectName(name);
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        text->setTabChangesFocus(true);
        return text;
    }
    case FieldKind::ValueList:
    case FieldKind::Lookup:
        return look::makeList(parent, name,
                              decl.values.isEmpty() && decl.kind == FieldKind::ValueList ? valueList(decl.column)
                                                                                         : decl.values);
    case FieldKind::Date: {
        auto *date = new DateField(parent);
        date->setObjectName(name);
        return date;
    }
    case FieldKind::Number:
    case FieldKind::Text:
        break;
    }
    auto *line = new QLineEdit(parent);
    line->setObjectName(name);
    line->setMaxLength(kNoLengthLimit);
    if (decl.kind == FieldKind::Number)
        line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
    return line;
}

QList<QWidget *> addFields(RecordCycle &cycle, QWidget *form, std::span<const FieldDecl> fields,
                           const FormGeometry *geometry)
{
    QList<QWidget *> made;
    QWidget *previous = nullptr;
    int row = 0;
    for (const FieldDecl &decl : fields) {
        QWidget *field = makeField(form, decl);
        const bool fillsRest = decl.kind == FieldKind::MultiLine && geometry && &decl == &fields.back();
        place(form, geometry, row++, look::makeCaption(form, decl.caption), field, fillsRest);
        cycle.bind(field, decl.column);
        if (decl.kind == FieldKind::Lookup)
            cycle.addLookup(static_cast<QComboBox *>(field), decl.lookupTable, decl.lookupColumn);
        if (previous)
            QWidget::setTabOrder(previous, field);
        previous = field;
        made << field;
    }
    return made;
}

QList<QLabel *> addLabels(RecordCycle &cycle, QWidget *panel, std::span<const LabelDecl> labels,
                          const FormGeometry *geometry)
{
    QList<QLabel *> made;
    int row = 0;
    for (const LabelDecl &decl : labels) {
        QLabel *value = look::makeValue(panel, QLatin1String(decl.name));
        place(panel, geometry, row++, look::makeCaption(panel, decl.caption), value, false);
        cycle.bind(value, decl.column);
        made << value;
    }
    return made;
}

} // namespace tf::kit
