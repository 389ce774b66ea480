#include "screens/frmContacts.h"

#include "data/DataSource.h"
#include "data/RecordSources.h"
#include "platform/Platform.h"
#include "screens/FormLook.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

namespace tf {

namespace {

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kGridRect(26, 80, 350, 226);
constexpr QRect kFieldsRect(388, 56, 352, 480);

} // namespace

QUrl mailtoUrl(const QString &address)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(QString::fromLatin1(QUrl::toPercentEncoding(address, "@")), QUrl::StrictMode);
    return url;
}

frmContacts::frmContacts(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmContacts"));
    m_chrome = new WindowChrome(this);

    auto *Label1 = new QLabel(QStringLiteral("Fishing Contacts"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    look::styleCountCaption(Label1);
    Label1->setGeometry(28, 14, 350, 32);

    auto *Label15 = new QLabel(QStringLiteral("Store your fishing buddies and other Contacts information here."), this);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label15->setWordWrap(true);
    Label15->setStyleSheet(QStringLiteral("color: rgb(245, 240, 225);"));
    Label15->setGeometry(28, 46, 350, 32);

    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    buildBars();

    ScreenParams p;
    p.window = this;
    p.recordSource = QStringLiteral("Contacts");
    p.title = QStringLiteral("The list of contacts");
    p.requiredMessage = QStringLiteral("Please enter a Contact or click Cancel.");
    p.countLabel = Label1;
    p.countText = QStringLiteral(" Contacts are saved.");
    p.recordNoun = QStringLiteral("Contact");
    p.deleteSubject = [this] { return Text1->text() + QStringLiteral("?"); };
    p.deleteTitle = QStringLiteral("Delete Contact");
    p.reportFile = QStringLiteral("contacts.rpt");
    p.useBars(findChild<QWidget *>(QStringLiteral("jcMenu")), findChild<QWidget *>(QStringLiteral("jcSave")));
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.offWhileEditing = {findChild<QWidget *>(QStringLiteral("jcSort")),
                         findChild<QWidget *>(QStringLiteral("jcEmail"))};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Name"), QStringLiteral("Name")},
                     {QStringLiteral("Address"), QStringLiteral("Address")},
                     {QStringLiteral("City"), QStringLiteral("City")},
                     {QStringLiteral("State"), QStringLiteral("State")}};
    p.gridAcceptsTyping = true;
    p.readOnly = ReadOnlyMeans::LockTextBoxes;
    m_cycle = new RecordCycle(p);
    DBGrid1->setColumnWidth(0, 100);
    DBGrid1->setColumnWidth(1, 110);
    DBGrid1->setColumnWidth(2, 80);

    buildFields();
}

void frmContacts::buildBars()
{
    const int x = kGridRect.left();
    const int w = kGridRect.width();
    const kit::ButtonDecl sort[] = {
        {"cmdName", "Name", " Sort List by Name ", [this] { m_cycle->sortBy(RecordSources::kContactsByName); }},
        {"cmdState", "State", " Sort by State ", [this] { m_cycle->sortBy(RecordSources::kContactsByState); }},
    };
    kit::makeButtonBar(this, "jcSort", QStringLiteral("Sort By:"), sort)->setGeometry(x, 312, w, 70);

    const kit::ButtonDecl email[] = {{"cmdEmail", "Email", " Send Email to this Contact ", [this] { sendEmail(); }}};
    QGroupBox *jcEmail = kit::makeButtonBar(this, "jcEmail", QStringLiteral("Send Email"), email);
    jcEmail->setGeometry(x, 386, w, 70);
    auto *Label14 = new QLabel(QStringLiteral("Send Email to this Contact."), jcEmail);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label14->setStyleSheet(QStringLiteral("color: rgb(245, 240, 225); font-weight: normal;"));
    static_cast<QHBoxLayout *>(jcEmail->layout())->addWidget(Label14, 1);

    const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Contact "},
                                    {"cmdEdit", "Edit", " Edit this Contact "},
                                    {"cmdDelete", "Delete", " Delete this Contact "},
                                    {"cmdPrint", "Print", " Print Preview "}};
    QGroupBox *jcMenu = kit::makeButtonBar(this, "jcMenu", QStringLiteral("Menu"), menu);
    jcMenu->setGeometry(x, 460, w, 72);
    // The save bar takes the menu bar's place while a contact is being added or changed.
    kit::makeSaveBar(this, {.noteName = "Label13"})->setGeometry(jcMenu->geometry());
}

void frmContacts::buildFields()
{
    QGroupBox *jcFrames1 = makeBar(this, QStringLiteral("jcFrames1"), QStringLiteral("Contact"));
    jcFrames1->setGeometry(kFieldsRect);
    // Fields open for typing are white boxes on the glass; locked ones read as values.
    jcFrames1->setStyleSheet(jcFrames1->styleSheet() + formlook::fieldRules());
    QLabel *Label12 = look::makeEditModeLabel(jcFrames1, QStringLiteral("Label12"), QStringLiteral(" Edit Mode "));
    Label12->setGeometry(240, 22, 96, 22);
    Label12->hide();

    const kit::FieldDecl fields[] = {
        {"Text1", "Name:", "Name"},
        {"Text2", "Address:", "Address"},
        {"Text3", "City:", "City"},
        {"Text4", "State:", "State"},
        {"Text5", "Zip Code:", "Zip Code"},
        {"Text6", "Home Phone:", "Home Phone"},
        {"Text7", "Work Phone:", "Work Phone"},
        {"Text8", "Cell Phone:", "Mobile Phone"},
        {"Text9", "Email:", "Email"},
        {"Text10", "Remarks:", "Remarks", kit::FieldKind::MultiLine},
    };
    const kit::FormGeometry rows{50, 30, 12, 110, 24, 12, 10};
    const QList<QWidget *> made = kit::addFields(*m_cycle, jcFrames1, fields, &rows);
    Text1 = static_cast<QLineEdit *>(made[0]);
    Text9 = static_cast<QLineEdit *>(made[8]);

    ScreenParams &p = m_cycle->configure();
    p.requiredField = Text1;
    p.focusOnNew = Text1;
    p.focusOnEdit = Text1;
    p.editModeLabel = Label12;
}

bool frmContacts::load()
{
    m_cycle->open();
    return true;
}

void frmContacts::sendEmail()
{
    if (m_cycle->state() != CycleState::Browse)
        return;
    if (!m_cycle->source()->hasCurrent()) {
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("No contact is chosen. Choose a contact in the list, then click Email."));
        return;
    }
    const QString address = Text9->text();
    if (address.isEmpty()) {
        const QString name = Text1->text();
        showMessage(this, MessageIcon::Exclamation,
                    name.isEmpty() ? QStringLiteral("There is no email address for this contact.")
                                   : QStringLiteral("There is no email address for ") + name + QStringLiteral("."));
        return;
    }
    // The address goes to whatever mail program the desktop has; when none takes it, none is set up.
    if (!platform().openUrl(mailtoUrl(address)))
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("No e-mail program is set up on this computer, so no message to %1 can be "
                                   "started.\nSet up an e-mail program, then click Email again.")
                        .arg(address),
                    QStringLiteral("Email Program not found"));
}

} // namespace tf
