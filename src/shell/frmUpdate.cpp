#include "shell/frmUpdate.h"

#include "platform/Platform.h"
#include "shell/WindowChrome.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

frmUpdate::frmUpdate(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmUpdate"));

    Frame1 = new QGroupBox(QStringLiteral("Software Update"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Click \"Check Now\" to open the Tallyfin web site in your web browser and see "
                                       "whether a newer version is there for you."),
                        Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("You need a connection to the internet. If a firewall asks, allow your web "
                                       "browser to connect."),
                        Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel *l : {Label1, Label2}) {
        l->setWordWrap(true);
        l->setFixedWidth(360);
    }
    auto *inner = new QVBoxLayout(Frame1);
    inner->addWidget(Label1);
    inner->addWidget(Label2);

    cmdUpdate = new QPushButton(QStringLiteral("Check Now"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdUpdate, &QPushButton::clicked, this, &frmUpdate::checkNow);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    setOrdinaryFrame(this);
}

void frmUpdate::checkNow()
{
    // A browser that does not start is said, with the address to type instead.
    if (!platform().openUrl(kUpdatePage))
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The update page could not be opened.\nVisit %1 in your web browser.")
                        .arg(kUpdatePage.toString()));
}

} // namespace tf
