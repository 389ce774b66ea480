#include "shell/WindowChrome.h"

#include "shell/Art.h"
#include "shell/Bar.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

namespace tf {

namespace {

// x, y of the outline in order: a rectangle from (2, 3) to (757, 557) whose
// corners are rounded off by short stepped runs. It is deliberately not
// symmetric; the background's painted frame follows it.
constexpr int kOutline[52][2] = {
    {2, 15},    {3, 14},    {4, 11},    {5, 9},     {6, 8},     {7, 7},     {8, 6},     {10, 5},    {11, 4},
    {13, 3},    {14, 3},    {745, 3},   {746, 4},   {747, 4},   {748, 5},   {749, 5},   {751, 6},   {752, 7},
    {753, 8},   {754, 9},   {755, 10},  {755, 11},  {756, 12},  {756, 13},  {756, 14},  {757, 15},  {757, 17},
    {757, 544}, {756, 545}, {756, 547}, {755, 548}, {754, 550}, {754, 551}, {753, 552}, {752, 553}, {751, 554},
    {750, 554}, {749, 555}, {747, 556}, {746, 557}, {744, 557}, {15, 557},  {13, 556},  {10, 555},  {9, 554},
    {7, 553},   {6, 552},   {5, 550},   {4, 549},   {3, 547},   {2, 544},   {2, 16}};

struct KnownWindow
{
    const char *name;
    const char *caption;
    bool shaped;
    WindowFrame frame; // ordinary windows only
};

// Every window of the program with its caption; the shaped ones draw no caption,
// it names them in the task bar.
constexpr KnownWindow kWindows[] = {
    {"frmStart", "Tallyfin", true, WindowFrame::FixedSingle},
    {"frmLogs", "Fishing Logs", true, WindowFrame::FixedSingle},
    {"frmFish", "Fish Caught", true, WindowFrame::FixedSingle},
    {"frmBestfish", "Best Fish Caught", true, WindowFrame::FixedSingle},
    {"frmGear", "Fishing Gear Log", true, WindowFrame::FixedSingle},
    {"frmNotebook", "Fishing Notebook", true, WindowFrame::FixedSingle},
    {"frmContacts", "Fishing Contacts", true, WindowFrame::FixedSingle},
    {"frmUtilities", "Fishing Utilities", true, WindowFrame::FixedSingle},
    {"frmRegister", " Edit Name and Address", false, WindowFrame::FixedSingle},
    {"frmUpdate", "Check for Update", false, WindowFrame::FixedSingle},
    {"frmAbout", "About", false, WindowFrame::FixedSingle},
    {"frmMain", "Lunar Calendar", false, WindowFrame::FixedSingle},
    {"frmPrintfish", "Select a Report", false, WindowFrame::FixedSingle},
    {"frmDbutility", " Tallyfin Database Utility", false, WindowFrame::FixedSingle},
    {"frmSearch", "Search Form", false, WindowFrame::Sizable},
    {"frmCalendar", " Calendar", false, WindowFrame::Sizable},
    {"frmPicture", "Picture Viewer", false, WindowFrame::Sizable},
    {"frmReminders", "Reminders", false, WindowFrame::Sizable},
    {"frmMember", "Fishing Memberships", false, WindowFrame::Sizable},
    {"frmCredit", "Picture Credit", false, WindowFrame::Sizable},
    {"frmPatterns", "Fishing Patterns", false, WindowFrame::Sizable},
    {"frmOptions", "Database Options", false, WindowFrame::Sizable},
};

const KnownWindow *findWindow(const QString &name)
{
    for (const KnownWindow &w : kWindows)
        if (name == QLatin1String(w.name))
            return &w;
    return nullptr;
}

// Places a window in the middle of its screen the first time it is shown, then
// leaves it where the user puts it.
class CentreOnFirstShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *w = static_cast<QWidget *>(watched);
            centre(w);
            w->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void centre(QWidget *window)
{
    if (QScreen *screen = window->screen()) {
        QRect r(QPoint(), window->frameGeometry().size());
        r.moveCenter(screen->availableGeometry().center());
        window->move(r.topLeft());
    }
}

QToolButton *makePictureButton(QWidget *parent, const char *name, const QString &toolTip, const QString &picture)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(toolTip);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::PointingHandCursor);
    const QPixmap pm(picture);
    // From the file, so a screen with dense pixels gets the "@2x" twin.
    b->setIcon(QIcon(picture));
    b->setIconSize(pm.isNull() ? QSize(24, 24) : pm.deviceIndependentSize().toSize());
    b->setFixedSize(b->iconSize() + QSize(4, 4));
    // The picture is the whole button: no box around it, a soft glow under the
    // mouse and a darker one while pressed.
    const int radius = b->width() / 2;
    b->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"
                                    "QToolButton:hover { background: rgba(255, 235, 170, 60); border-radius: %1px; }"
                                    "QToolButton:pressed { background: rgba(0, 0, 0, 90); border-radius: %1px; }")
                         .arg(radius));
    return b;
}

WindowButtons makeWindowButtons(QWidget *window, bool withMinimize)
{
    WindowButtons b;
    if (withMinimize) {
        b.minimize = makePictureButton(window, "cmdMinimize", QStringLiteral(" Minimize "), art::minimizeButton());
        QObject::connect(b.minimize, &QToolButton::clicked, window, &QWidget::showMinimized);
    }
    b.exit = makePictureButton(window, "cmdExit", QStringLiteral(" Close "), art::closeButton());
    QObject::connect(b.exit, &QToolButton::clicked, window, &QWidget::close);
    return b;
}

const QPolygon &shapedOutline()
{
    static const QPolygon outline = [] {
        QPolygon p;
        for (const auto &v : kOutline)
            p << QPoint(v[0], v[1]);
        return p;
    }();
    return outline;
}

QRegion shapedRegion()
{
    return QRegion(shapedOutline(), Qt::OddEvenFill);
}

QString windowCaption(const QString &name)
{
    const KnownWindow *w = findWindow(name);
    return w ? QString::fromLatin1(w->caption) : QString();
}

QString windowName(const QWidget *window)
{
    if (!window)
        return {};
    if (!window->objectName().isEmpty())
        return window->objectName();
    QString cls = QString::fromLatin1(window->metaObject()->className());
    const int colons = cls.lastIndexOf(QLatin1String("::"));
    return colons >= 0 ? cls.mid(colons + 2) : cls;
}

WindowChrome::WindowChrome(QWidget *window) : QObject(window), m_window(window), m_background(art::background())
{
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window->setFixedSize(kShapedClientSize);
    const QString caption = windowCaption(windowName(window));
    if (!caption.isEmpty())
        window->setWindowTitle(caption);
    // Moves without a button held tell the window the pointer is back on the background.
    window->setMouseTracking(true);

    const WindowButtons buttons = makeWindowButtons(window);
    m_minimize = buttons.minimize;
    m_exit = buttons.exit;
    // Top right, inside the painted frame.
    m_exit->move(kShapedClientSize.width() - 30 - m_exit->width(), 26);
    m_minimize->move(m_exit->x() - 4 - m_minimize->width(), 26);

    applyShape();
    window->installEventFilter(this);
}

void WindowChrome::applyShape()
{
    m_window->setMask(shapedRegion());
}

bool WindowChrome::isBackground(const QPoint &pos) const
{
    return m_window->rect().contains(pos) && m_window->childAt(pos) == nullptr;
}

bool WindowChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Paint: {
        // Drawn before the window's own painting, which may add to it.
        QPainter painter(m_window);
        painter.drawPixmap(0, 0, m_background);
        break;
    }
    case QEvent::Show:
        if (!m_placed) {
            m_placed = true;
            centre(m_window);
        }
        applyShape();
        break;
    case QEvent::WindowStateChange:
        // Some window systems forget a shape when a window is iconified; giving
        // it again costs nothing.
        applyShape();
        break;
    case QEvent::MouseButtonPress: {
        // A press on a control reaches here only when the control ignored it;
        // it never starts a drag, and any drag anchored earlier ends.
        const auto *e = static_cast<QMouseEvent *>(event);
        const QPoint pos = e->position().toPoint();
        m_pressedOnBackground = isBackground(pos);
        if (m_pressedOnBackground)
            m_anchor = pos;
        break;
    }
    case QEvent::MouseMove: {
        const auto *e = static_cast<QMouseEvent *>(event);
        const QPoint pos = e->position().toPoint();
        const bool overBackground = isBackground(pos);
        if (overBackground && e->buttons() == Qt::NoButton)
            emit backgroundHovered();
        // A drag belongs to the press that began it on the background; the
        // window keeps the pointer until the release, so a control the
        // pointer crosses does not stop it.
        if (m_pressedOnBackground && e->buttons() == Qt::LeftButton) {
            // Keep the anchor under the pointer. Working from the pointer's
            // screen position keeps the motion exact even while the window
            // system is still catching up with the previous move.
            m_window->move(e->globalPosition().toPoint() - m_anchor);
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton)
            m_pressedOnBackground = false;
        break;
    default:
        break;
    }
    return false;
}

bool ordinaryFrameOf(const QString &windowName, WindowFrame *frame)
{
    const KnownWindow *w = findWindow(windowName);
    if (!w || w->shaped)
        return false;
    if (frame)
        *frame = w->frame;
    return true;
}

void setOrdinaryFrame(QWidget *window)
{
    const QString name = windowName(window);
    WindowFrame frame = WindowFrame::Sizable;
    ordinaryFrameOf(name, &frame);
    const QString caption = windowCaption(name);
    if (!caption.isEmpty())
        window->setWindowTitle(caption);
    if (frame == WindowFrame::FixedSingle) {
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::MSWindowsFixedSizeDialogHint);
        if (QLayout *layout = window->layout())
            layout->setSizeConstraint(QLayout::SetFixedSize);
        else
            window->setFixedSize(window->size());
    } else {
        window->setWindowFlags(Qt::Window);
    }
    window->installEventFilter(new CentreOnFirstShow(window));
}

void setDarkBackground(QWidget *window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, kDarkWindowColour);
    pal.setColor(QPalette::WindowText, kDarkWindowText);
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

QString scrollBarRules(const QString &bar)
{
    return QStringLiteral("%1 { background: rgb(214, 224, 236); border: 0; border-radius: 4px; }"
                          "%1:vertical { width: 14px; }"
                          "%1:horizontal { height: 14px; }"
                          "%1::handle { background: rgb(58, 98, 140); border-radius: 4px; margin: 2px; }"
                          "%1::handle:hover { background: rgb(38, 88, 138); }"
                          "%1::handle:vertical { min-height: 24px; }"
                          "%1::handle:horizontal { min-width: 24px; }"
                          "%1::add-line, %1::sub-line { width: 0; height: 0; border: 0; }"
                          "%1::add-page, %1::sub-page { background: none; }")
        .arg(bar);
}

void applyProgramLook(QWidget *window)
{
    setDarkBackground(window);
    for (QGroupBox *group : window->findChildren<QGroupBox *>())
        if (group->styleSheet().isEmpty())
            styleBar(group);
    // A label under a bar's style rules no longer takes the window's text
    // colour; each is given it.
    for (QLabel *label : window->findChildren<QLabel *>()) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, kDarkWindowText);
        label->setPalette(pal);
    }
    // Buttons in a bar take the bar's rules; the others get the same look of their own.
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        bool inBar = false;
        for (QWidget *p = button->parentWidget(); p && p != window; p = p->parentWidget())
            inBar = inBar || qobject_cast<QGroupBox *>(p);
        if (!inBar && button->styleSheet().isEmpty())
            styleButton(button);
    }
    for (QAbstractItemView *list : window->findChildren<QAbstractItemView *>())
        if (list->styleSheet().isEmpty())
            list->setStyleSheet(scrollBarRules(QStringLiteral("QScrollBar")));
}

} // namespace tf
