#include "shell/frmAbout.h"

#include "shell/Art.h"
#include "shell/WindowChrome.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

namespace {
QLabel *makeText(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}
} // namespace

frmAbout::frmAbout(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAbout"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(art::appIcon()).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblProduct = makeText(this, "lblProduct", QStringLiteral("Tallyfin"));
    QFont big = lblProduct->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lblProduct->setFont(big);
    lblVersion = makeText(this, "lblVersion", QStringLiteral("Version: 5.0"));
    lblLegal = makeText(this, "lblLegal",
                        QStringLiteral("Tallyfin is a diary for anglers. It is provided as it is, without warranty of "
                                       "any kind; the authors are not liable for any loss arising from its use. Keep "
                                       "backup copies of your diary: \"Exit & Backup Database\" on the control panel "
                                       "makes them."));
    lblMaker = makeText(this, "lblMaker", QStringLiteral("Made by the Tallyfin developers.\nhttps://tallyfin.example"));
    lblMaker->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    cmdExit = new QPushButton(QStringLiteral("OK"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setDefault(true);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto *text = new QVBoxLayout;
    text->addWidget(lblProduct);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblLegal);
    text->addSpacing(8);
    text->addWidget(lblMaker);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(buttons);
    lblLegal->setFixedWidth(340);
    setOrdinaryFrame(this);
}

} // namespace tf
