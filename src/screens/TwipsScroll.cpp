#include "screens/TwipsScroll.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

namespace tf {

namespace {

// Hands wheel turns over the viewport (or anything in it that does not use
// them) to the scroll bar. A list or date picker the wheel passes over on its
// way down the panel is not changed by it: only the one being worked in (with
// the focus) takes the wheel for itself.
class WheelToBar : public QObject
{
public:
    WheelToBar(QScrollBar *bar, QObject *parent) : QObject(parent), m_bar(bar) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *field = qobject_cast<QWidget *>(watched);
        if (field && field != parent() && (field->hasFocus() || field->isAncestorOf(QApplication::focusWidget())))
            return false;
        QCoreApplication::sendEvent(m_bar, event);
        return true;
    }

private:
    QScrollBar *m_bar;
};

// The field that holds `focus` among the content's own children: the list or
// date picker around an inner line edit, so the whole box comes into view.
QWidget *fieldOf(QWidget *focus, const QWidget *content)
{
    QWidget *field = focus;
    while (field && field->parentWidget() != content)
        field = field->parentWidget();
    return field;
}

// The scroll value nearest to `value` (in whole small steps) at which content
// rows top..bottom (pixels) lie inside a viewport of the given height; a row
// taller than the viewport shows its top.
int valueShowing(const TwipsScroll &scroll, int value, int viewportHeight, int top, int bottom)
{
    // Room kept between the field and the viewport's edge, in pixels.
    constexpr int kMargin = 8;
    const int shownTop = contentTopPixels(scroll, value) + top;
    const int shownBottom = contentTopPixels(scroll, value) + bottom;
    // Whole steps, rounded the way that still shows the field.
    if (shownTop < kMargin || bottom - top > viewportHeight - 2 * kMargin) {
        const int wanted = scroll.offset + (top - kMargin) * kTwipsPerPixel;
        value = wanted / scroll.smallStep * scroll.smallStep;
    } else if (shownBottom > viewportHeight - kMargin) {
        const int wanted = scroll.offset + (bottom - viewportHeight + kMargin) * kTwipsPerPixel;
        value = (wanted + scroll.smallStep - 1) / scroll.smallStep * scroll.smallStep;
    }
    return qBound(0, value, scroll.maximum);
}

} // namespace

int contentTopPixels(const TwipsScroll &scroll, int value)
{
    return qRound(double(scroll.offset - value) / kTwipsPerPixel);
}

void attachTwipsScroll(QScrollBar *bar, QWidget *viewport, QWidget *content, const TwipsScroll &scroll)
{
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, scroll.maximum);
    bar->setSingleStep(scroll.smallStep);
    bar->setPageStep(scroll.largeStep);
    bar->setValue(0);
    content->move(content->x(), contentTopPixels(scroll, 0));
    QObject::connect(bar, &QScrollBar::valueChanged, content,
                     [content, scroll](int value) { content->move(content->x(), contentTopPixels(scroll, value)); });
    auto *wheel = new WheelToBar(bar, viewport);
    viewport->installEventFilter(wheel);
    for (QWidget *field : content->findChildren<QWidget *>())
        if (qobject_cast<QComboBox *>(field) || qobject_cast<QAbstractSpinBox *>(field))
            field->installEventFilter(wheel);
    // Typing never lands in a field out of sight: the field that takes the
    // focus (Tab, a click on its caption, the first field of New) is scrolled to.
    QObject::connect(qApp, &QApplication::focusChanged, content,
                     [bar, viewport, content, scroll](QWidget *, QWidget *now) {
                         QWidget *field = now && content->isAncestorOf(now) ? fieldOf(now, content) : nullptr;
                         if (!field)
                             return;
                         bar->setValue(valueShowing(scroll, bar->value(), viewport->height(), field->y(),
                                                    field->y() + field->height()));
                     });
}

} // namespace tf
