#include "shell/frmCredit.h"

#include "shell/Art.h"
#include "shell/WindowChrome.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

frmCredit::frmCredit(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCredit"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(art::creditPicture()));
    Image1->setAlignment(Qt::AlignCenter);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setText(QStringLiteral(
        "<p><b>The pictures in Tallyfin</b></p>"
        "<p>The lake at dusk behind the main windows, the picture buttons and the phases of the moon were drawn for "
        "Tallyfin by its own artwork generator, a small program that comes with Tallyfin's source. No photograph or "
        "painting by anyone else is used.</p>"
        "<p>The pictures belong to Tallyfin and travel with it. There are no prints for sale: if you would like the "
        "lake on your wall, the generator renders it at any size you ask for.</p>"));

    cmdExit = new QPushButton(QStringLiteral("Close"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Image1);
    layout->addWidget(Label1);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(520, 480);
    setOrdinaryFrame(this);
}

} // namespace tf
