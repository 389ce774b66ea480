#include "shell/frmStart.h"

#include "data/Schema.h"
#include "platform/FileLocations.h"
#include "platform/Platform.h"
#include "shell/Art.h"
#include "shell/Bar.h"
#include "shell/DatabaseNotice.h"
#include "shell/PendingRows.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"
#include "shell/frmCredit.h"
#include "shell/frmRegister.h"
#include "shell/frmUpdate.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace tf {

namespace {

const QString kNamePlaceholder = QStringLiteral("Your Name");
const QString kAddressPlaceholder = QStringLiteral("Your Address");
const QString kCityPlaceholder = QStringLiteral("City, State, Zipcode");

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int pointSize, bool bold)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont f = label->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, colour);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    w->setPalette(pal);
}

} // namespace

frmStart::frmStart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStart"));
    // The panel often waits behind the window it opened; its tips (which box
    // edits the owner's details, what a picture button does) show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_chrome = new WindowChrome(this);
    build();
    connect(m_chrome, &WindowChrome::backgroundHovered, this, [this] { setNameHighlighted(false); });
    openData();
}

void frmStart::build()
{
    Label1 = makeLabel(this, "Label1", QStringLiteral("Control Panel"), 22, true);
    setTextColour(Label1, Qt::white);
    Label1->setGeometry(44, 30, 420, 44);

    const struct
    {
        QPushButton **button;
        const char *name;
        const char *text;
        const char *window;
    } mainWindows[] = {
        {&cmdLogs, "cmdLogs", "Fishing Logs", "frmLogs"},
        {&cmdBestfish, "cmdBestfish", "Best Fish", "frmBestfish"},
        {&cmdGear, "cmdGear", "Fishing Gear", "frmGear"},
        {&cmdContacts, "cmdContacts", "Fishing Contacts", "frmContacts"},
        {&cmdUtilities, "cmdUtilities", "Fishing Utilities", "frmUtilities"},
    };
    int y = 96;
    for (const auto &m : mainWindows) {
        auto *b = new QPushButton(QString::fromLatin1(m.text), this);
        b->setObjectName(QLatin1String(m.name));
        styleButton(b);
        b->setGeometry(48, y, 230, 40);
        const QString window = QString::fromLatin1(m.window);
        connect(b, &QPushButton::clicked, this, [this, window] { openMainWindow(window); });
        *m.button = b;
        y += 52;
    }
    cmdBackup = new QPushButton(QStringLiteral("      Exit && Backup Database"), this);
    cmdBackup->setObjectName(QStringLiteral("cmdBackup"));
    styleButton(cmdBackup);
    cmdBackup->setGeometry(48, y + 14, 230, 40);
    connect(cmdBackup, &QPushButton::clicked, this, &frmStart::exitAndBackup);

    jcFrames1 = makeBar(this, QStringLiteral("jcFrames1"), QStringLiteral("Fishing Logs of:"));
    jcFrames1->setToolTip(QStringLiteral(" Click on Your Name to edit this information. "));
    jcFrames1->setGeometry(318, 96, 396, 134);
    // The whole box edits the owner's details, so it looks clickable wherever
    // the pointer is in it, even while the labels are still empty.
    jcFrames1->setCursor(Qt::PointingHandCursor);
    Label2 = makeLabel(jcFrames1, "Label2", kNamePlaceholder, 14, true);
    Label2->setToolTip(QStringLiteral(" Click Here "));
    Label2->setGeometry(16, 30, 364, 28);
    Label4 = makeLabel(jcFrames1, "Label4", kAddressPlaceholder, 11, false);
    Label4->setGeometry(16, 64, 364, 24);
    Label5 = makeLabel(jcFrames1, "Label5", kCityPlaceholder, 11, false);
    Label5->setGeometry(16, 92, 364, 24);
    setNameHighlighted(false);
    setTextColour(Label4, Qt::white);
    setTextColour(Label5, Qt::white);
    // The labels pass their clicks on to the box.
    jcFrames1->installEventFilter(this);
    Label2->installEventFilter(this);
    m_owner.bind(Label2, QStringLiteral("Name"));
    m_owner.bind(Label4, QStringLiteral("Address"));
    m_owner.bind(Label5, QStringLiteral("City"));

    Image1 = makeCreditPicture(this, 262);
    Image1->installEventFilter(this);

    Label3 = makeLabel(this, "Label3", QStringLiteral("Press F1 Key for Help"), 10, true);
    setTextColour(Label3, QColor(235, 225, 190));
    Label3->setGeometry(48, 500, 260, 24);

    cmdAbout = makePictureButton(this, "cmdAbout", QStringLiteral(" About "), art::aboutButton());
    cmdUpdate = makePictureButton(this, "cmdUpdate", QStringLiteral(" Check for Update "), art::updateButton());
    cmdAbout->move(714 - cmdAbout->width(), 494);
    cmdUpdate->move(cmdAbout->x() - 8 - cmdUpdate->width(), 494);
    connect(cmdAbout, &QToolButton::clicked, this, [this] { WindowRegistry::open<frmAbout>(this); });
    connect(cmdUpdate, &QToolButton::clicked, this, [this] { WindowRegistry::open<frmUpdate>(this); });
}

void frmStart::openData()
{
    if (Data1.open(programDatabasePath(), QStringLiteral("Register")))
        showOwner();
    else
        m_dataError = Data1.errorText();
}

// The owner's row, with the placeholders where nothing is filled in yet: the
// name always has one, since it is what the owner clicks; the address lines
// only while the whole row is empty, so an owner who leaves them out sees none.
// A diary without the row shows nothing to fill in.
void frmStart::showOwner()
{
    m_owner.show();
    if (!Data1.hasCurrent())
        return;
    const bool empty = Label2->text().isEmpty() && Label4->text().isEmpty() && Label5->text().isEmpty();
    const struct
    {
        QLabel *label;
        const QString &placeholder;
        bool shown;
    } lines[] = {{Label2, kNamePlaceholder, Label2->text().isEmpty()},
                 {Label4, kAddressPlaceholder, empty},
                 {Label5, kCityPlaceholder, empty}};
    for (const auto &line : lines) {
        if (line.shown)
            line.label->setText(line.placeholder);
        QFont f = line.label->font();
        f.setItalic(line.shown);
        line.label->setFont(f);
    }
}

bool frmStart::ownerRowUntouched() const
{
    if (!Data1.isOpen() || !Data1.hasCurrent())
        return false;
    for (const char *column : {"Name", "Address", "City"})
        if (!Data1.value(QLatin1String(column)).toString().isEmpty())
            return false;
    return true;
}

void frmStart::welcomeNewDiary()
{
    if (ownerRowUntouched())
        openOwnerEditor();
}

QString frmStart::databaseProblem() const
{
    if (m_dataError.isEmpty())
        return {};
    const QString path = programDatabasePath();
    QStringList lines{QStringLiteral("Tallyfin cannot open its database."), m_dataError};
    if (!m_startupProblem.isEmpty())
        lines << m_startupProblem;
    if (!QFileInfo::exists(path) && QFileInfo::exists(filePath(FileRole::UserData, kRepairFileName)))
        lines << QStringLiteral("A repair was interrupted: the database lies in %1. Give that file the name %2 "
                                "again, then start Tallyfin.")
                     .arg(kRepairFileName, kDatabaseFileName);
    else if (QFileInfo::exists(path) && databaseTroubleOf(m_dataError) != DatabaseTrouble::Damaged)
        lines << databaseAdvice(m_dataError);
    else if (QFileInfo::exists(path))
        lines << QStringLiteral("The file may be damaged. \"Exit & Backup Database\" can restore a backup copy "
                                "or repair it.");
    lines << QStringLiteral("Your details cannot be shown until then; nothing has been changed.");
    return lines.join(QLatin1Char('\n'));
}

void frmStart::refreshOwner()
{
    if (!Data1.isOpen())
        return;
    Data1.requery();
    showOwner();
}

void frmStart::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Said once the panel is on screen, so the user sees what it is about.
    if (!m_dataError.isEmpty())
        reportWhenShown(this, databaseProblem());
}

void frmStart::closeEvent(QCloseEvent *event)
{
    // The panel lets go of the file as it closes; the maintenance window may
    // need it to itself straight after.
    Data1.close();
    event->accept();
}

bool frmStart::eventFilter(QObject *watched, QEvent *event)
{
    const bool leftClick =
        event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
        static_cast<QWidget *>(watched)->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint());
    if (watched == Label2 && event->type() == QEvent::Enter)
        setNameHighlighted(true);
    else if (watched == jcFrames1 && leftClick)
        openOwnerEditor();
    else if (watched == Image1 && leftClick)
        WindowRegistry::open<frmCredit>(this);
    return QWidget::eventFilter(watched, event);
}

void frmStart::setNameHighlighted(bool on)
{
    setTextColour(Label2, on ? QColor(Qt::yellow) : QColor(Qt::white));
}

void frmStart::openMainWindow(const QString &name)
{
    // A window not built yet is simply not there to open.
    WindowRegistry::open(name, this, OpenerState::Minimize);
}

void frmStart::openOwnerEditor()
{
    if (auto *editor = WindowRegistry::open<frmRegister>(this))
        connect(editor, &frmRegister::saved, this, &frmStart::refreshOwner, Qt::UniqueConnection);
}

void frmStart::exitAndBackup()
{
    // Closing discards every row still being typed; that is the user's call, not ours.
    const QStringList pending = PendingRows::describeAll();
    if (!pending.isEmpty()) {
        QStringList text{QStringLiteral("A row you are typing has not been saved in:")};
        for (const QString &window : pending)
            text << QStringLiteral("    ") + window;
        text << QStringLiteral("Exit & Backup Database closes every window, and this typing will be lost.")
             << QStringLiteral("Close them anyway?");
        if (!askBeforeLoss(this, text.join(QLatin1Char('\n'))))
            return;
    }
    // Between the last of these windows closing and the maintenance window
    // opening, no window is open; that must not end the program.
    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    WindowRegistry::closeAll(this);
    close();
    QWidget *utility = WindowRegistry::open(QStringLiteral("frmDbutility"));
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
    if (!utility)
        QCoreApplication::quit();
}

} // namespace tf
