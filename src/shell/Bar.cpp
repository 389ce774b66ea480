#include "shell/Bar.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

#include "shell/Art.h"

namespace tf {

namespace {

// Dark translucent glass with a rounded frame and a lighter header tab, so
// white text stays readable on every part of the background.
const char *const kGroupRules = R"(
QGroupBox {
    color: white;
    font-weight: bold;
    border: 1px solid rgba(200, 225, 255, 150);
    border-radius: 9px;
    margin-top: 11px;
    padding: 12px 6px 6px 6px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                stop:0 rgba(22, 48, 78, 205), stop:1 rgba(8, 22, 40, 215));
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 12px;
    padding: 1px 8px;
    border: 1px solid rgba(200, 225, 255, 150);
    border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                stop:0 rgb(70, 122, 168), stop:1 rgb(30, 70, 110));
}
QGroupBox:disabled { color: rgb(150, 160, 170); }
QGroupBox::title:disabled { background: rgb(70, 80, 90); }
)";

// Buttons in bars and on the backgrounds share one look; disabled ones go grey.
// %1 is the selector the rules apply to.
const char *const kButtonRules = R"(
%1 {
    color: white;
    font-weight: bold;
    min-height: 24px;
    padding: 3px 10px;
    border: 1px solid rgba(200, 225, 255, 170);
    border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                stop:0 rgb(64, 112, 156), stop:1 rgb(26, 60, 96));
}
%1:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                stop:0 rgb(88, 140, 186), stop:1 rgb(38, 80, 122));
}
%1:pressed { background: rgb(22, 50, 80); }
%1:disabled { color: rgb(140, 150, 160); background: rgb(52, 62, 72); }
)";

} // namespace

void styleBar(QGroupBox *bar)
{
    bar->setStyleSheet(QString::fromLatin1(kGroupRules) +
                       QString::fromLatin1(kButtonRules).arg(QStringLiteral("QGroupBox QPushButton")));
}

QGroupBox *makeBar(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *bar = new QGroupBox(caption, parent);
    bar->setObjectName(objectName);
    styleBar(bar);
    return bar;
}

void styleButton(QAbstractButton *button)
{
    button->setStyleSheet(
        QString::fromLatin1(kButtonRules).arg(QString::fromLatin1(button->metaObject()->className())));
}

QLabel *makeCreditPicture(QWidget *window, int y)
{
    auto *image = new QLabel(window);
    image->setObjectName(QStringLiteral("Image1"));
    image->setToolTip(QStringLiteral(" Click for Picture Credit "));
    image->setCursor(Qt::PointingHandCursor);
    const QPixmap picture(art::creditThumbnail());
    image->setPixmap(picture);
    image->setGeometry(QRect(QPoint(0, 0), picture.isNull() ? QSize(150, 100) : picture.size()));
    image->move(318 + (396 - image->width()) / 2, y);
    return image;
}

} // namespace tf
