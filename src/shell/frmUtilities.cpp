#include "shell/frmUtilities.h"

#include "shell/Art.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace tf {

namespace {

constexpr int kButtonX = 48;
constexpr int kFirstButtonY = 96;
constexpr int kButtonPitch = 52;
constexpr QSize kButtonSize{230, 40};

} // namespace

frmUtilities::frmUtilities(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmUtilities"));
    m_chrome = new WindowChrome(this);

    Label1 = new QLabel(QStringLiteral("Utilities"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont headingFont = Label1->font();
    headingFont.setPointSize(22);
    headingFont.setBold(true);
    Label1->setFont(headingFont);
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, Qt::white);
    Label1->setPalette(pal);
    Label1->setGeometry(44, 30, 420, 44);

    m_nextButtonY = kFirstButtonY;
    cmdMemberships =
        addButton("cmdMemberships", QStringLiteral("    Fishing Memberships"), QStringLiteral("frmMember"), true);
    cmdPatterns = addButton("cmdPatterns", QStringLiteral("Fishing Patterns"), QStringLiteral("frmPatterns"), true);
    cmdOptions = addButton("cmdOptions", QStringLiteral("   Database Options"), QStringLiteral("frmOptions"), true);
    cmdReminders = addButton("cmdReminders", QStringLiteral("Reminders"), QStringLiteral("frmReminders"), true);
    cmdCalendar = addButton("cmdCalendar", QStringLiteral("Calendar"), QStringLiteral("frmCalendar"), true);
    // The moon window sits beside the menu; the menu stays as it is.
    cmdLunar = addButton("cmdLunar", QStringLiteral("Lunar Calendar"), QStringLiteral("frmMain"), false);
    cmdStatistics = addButton("cmdStatistics", QStringLiteral("Statistics"), QStringLiteral("frmStatistics"), true);

    Image1 = makeCreditPicture(this, kFirstButtonY + 2 * kButtonPitch);
    Image1->installEventFilter(this);
}

QPushButton *frmUtilities::addButton(const char *name, const QString &caption, const QString &window, bool minimize)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    styleButton(b);
    b->setGeometry(QRect(QPoint(kButtonX, m_nextButtonY), kButtonSize));
    m_nextButtonY += kButtonPitch;
    const OpenerState state = minimize ? OpenerState::Minimize : OpenerState::Keep;
    connect(b, &QPushButton::clicked, this, [this, window, state] { WindowRegistry::open(window, this, state); });
    return b;
}

bool frmUtilities::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton && Image1->rect().contains(e->position().toPoint()))
            WindowRegistry::open(QStringLiteral("frmCredit"), this);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tf
