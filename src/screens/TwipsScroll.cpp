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
}

} // namespace tf
