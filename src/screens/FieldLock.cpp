#include "screens/FieldLock.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tf::FieldLock {

namespace {

const char *const kLockedProperty = "tfLocked";
const char *const kOwnStyleProperty = "tfStyleWhenUnlocked";

// One look for a locked field on every screen, whatever lies behind it and
// whatever kind of field it is: the value in light text on a solid dark fill
// with a faint rim, and no drop-down arrow, so it reads as a value and is
// never taken for a box waiting for typing.
const QString kLockedRules = QStringLiteral(
    "QLineEdit, QPlainTextEdit, QTextEdit, QComboBox, QAbstractSpinBox {"
    " background: rgb(%1, %2, %3); color: rgb(%4, %5, %6); border: 1px solid rgb(96, 122, 154); border-radius: 3px;"
    " selection-background-color: rgb(70, 110, 150); selection-color: white; }"
    "QComboBox, QAbstractSpinBox { padding: 1px 4px; }"
    "QComboBox QLineEdit, QAbstractSpinBox QLineEdit { background: transparent; border: none; padding: 0; }"
    "QComboBox::drop-down, QDateTimeEdit::drop-down { width: 0; border: none; }"
    "QComboBox::down-arrow, QDateTimeEdit::down-arrow { image: none; width: 0; }"
    "QAbstractSpinBox::up-button, QAbstractSpinBox::down-button { width: 0; border: none; }");

const QString &lockedRules()
{
    static const QString rules = kLockedRules.arg(kLockedFill.red())
                                     .arg(kLockedFill.green())
                                     .arg(kLockedFill.blue())
                                     .arg(kLockedText.red())
                                     .arg(kLockedText.green())
                                     .arg(kLockedText.blue());
    return rules;
}

// Lists and date pickers have no read-only state of their own that also keeps
// the drop-down shut; this swallows what would change them while locked.
class LockFilter : public QObject
{
public:
    static LockFilter &instance()
    {
        static LockFilter filter;
        return filter;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->property(kLockedProperty).toBool())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            return false;
        }
    }
};

// The locked look sits on the field itself, so no rule of the window's can
// tell it apart; unlocking gives back the field's own rules.
void showLocked(QWidget *field, bool locked)
{
    if (locked == field->property(kOwnStyleProperty).isValid())
        return;
    if (locked) {
        field->setProperty(kOwnStyleProperty, field->styleSheet());
        field->setStyleSheet(lockedRules());
    } else {
        field->setStyleSheet(field->property(kOwnStyleProperty).toString());
        field->setProperty(kOwnStyleProperty, QVariant());
    }
}

} // namespace

bool isTextBox(const QWidget *w)
{
    if (qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w))
        return true;
    if (!qobject_cast<const QLineEdit *>(w))
        return false;
    // The line edits inside lists, date pickers and grid cells belong to those.
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p) ||
            qobject_cast<const QAbstractItemView *>(p))
            return false;
    return true;
}

void setLocked(QWidget *field, bool locked)
{
    if (!field)
        return;
    showLocked(field, locked);
    field->setProperty(kLockedProperty, locked);
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setReadOnly(locked);
    } else if (auto *text = qobject_cast<QTextEdit *>(field)) {
        text->setReadOnly(locked);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->setReadOnly(locked);
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(field)) {
        spin->setReadOnly(locked);
        field->removeEventFilter(&LockFilter::instance());
        field->installEventFilter(&LockFilter::instance());
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        if (combo->lineEdit())
            combo->lineEdit()->setReadOnly(locked);
        field->removeEventFilter(&LockFilter::instance());
        field->installEventFilter(&LockFilter::instance());
    }
}

bool isLocked(const QWidget *field)
{
    return field && field->property(kLockedProperty).toBool();
}

} // namespace tf::FieldLock
