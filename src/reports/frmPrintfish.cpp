#include "reports/frmPrintfish.h"

#include "reports/RunReport.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tf {

namespace {

// A sheet with a magnifier: "preview this report".
QIcon previewIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x44, 0x55, 0x58), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 2.5, 18, 24));
    p.setPen(QPen(QColor(0x8a, 0x9a, 0x9e), 1));
    for (int y = 8; y <= 20; y += 4)
        p.drawLine(QPointF(9, y), QPointF(20, y));
    p.setPen(QPen(QColor(0x1f, 0x5f, 0x6b), 2.2));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(19, 19), 5.5, 5.5);
    p.drawLine(QPointF(23, 23), QPointF(29, 29));
    return QIcon(pm);
}

QPushButton *reportButton(QWidget *parent, const char *name, const QIcon &icon)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setIconSize(QSize(32, 32));
    b->setToolTip(QStringLiteral(" Show Report "));
    b->setAutoDefault(true);
    return b;
}

QLabel *description(QWidget *parent, const char *name, const QString &text, QPushButton *buddy)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmPrintfish::frmPrintfish(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmPrintfish"));
    setWindowTitle(QStringLiteral("Select a Report"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QGroupBox(QStringLiteral("Fish Reports"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    const QIcon icon = previewIcon();
    cmdPrintlog = reportButton(Frame1, "cmdPrintlog", icon);
    cmdPrinttotal = reportButton(Frame1, "cmdPrinttotal", icon);
    Label1 =
        description(Frame1, "Label1", QStringLiteral("Preview Log Report - which shows the fish caught."), cmdPrintlog);
    Label2 = description(Frame1, "Label2", QStringLiteral("Preview Total Fish Caught Report."), cmdPrinttotal);
    auto *grid = new QGridLayout(Frame1);
    grid->setHorizontalSpacing(12);
    grid->addWidget(cmdPrintlog, 0, 0);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(cmdPrinttotal, 1, 0);
    grid->addWidget(Label2, 1, 1);

    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdPrintlog, &QPushButton::clicked, this, [this] { runReport(QStringLiteral("log.rpt"), this); });
    connect(cmdPrinttotal, &QPushButton::clicked, this, [this] { runReport(QStringLiteral("totalfish.rpt"), this); });
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // A choice like a dialog's: Enter presses the focused report button, Escape leaves as Exit does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, cmdExit, &QPushButton::click);
}

} // namespace tf
