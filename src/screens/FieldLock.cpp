#include "screens/FieldLock.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>

namespace tf::FieldLock {

namespace {

const char *const kLockedProperty = "tfLocked";

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

// Style rules that tell read-only text boxes apart (":read-only") are not
// applied again when read-only changes; polishing the box anew applies them.
void repolish(QWidget *w)
{
    w->style()->unpolish(w);
    w->style()->polish(w);
    w->update();
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
    field->setProperty(kLockedProperty, locked);
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setReadOnly(locked);
        repolish(line);
    } else if (auto *text = qobject_cast<QTextEdit *>(field)) {
        text->setReadOnly(locked);
        repolish(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->setReadOnly(locked);
        repolish(plain);
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
