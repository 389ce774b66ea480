#include "screens/frmMember.h"

#include "screens/FormLook.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tf {

frmMember::frmMember(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMember"));
    setDarkBackground(this);

    auto *Label6 = new QLabel(QStringLiteral("Memberships"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    look::styleCountCaption(Label6);
    auto *Label9 = new QLabel(QStringLiteral("List your memberships in fishing clubs, media subscriptions, or any type "
                                             "of organization that you belong to."),
                              this);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setWordWrap(true);

    auto *gridCaption = new QLabel(QStringLiteral("Click the left column to make a selection"), this);
    gridCaption->setObjectName(QStringLiteral("DBGrid1Caption"));
    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    look::styleGrid(DBGrid1);
    DBGrid1->setMinimumSize(380, 220);

    const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Membership "},
                                    {"cmdEdit", "Edit", " Edit this Membership "},
                                    {"cmdDelete", "Delete", " Delete this Membership "},
                                    {"cmdPrint", "Print", " Print Preview "}};
    QGroupBox *jcFrames4 = kit::makeButtonBar(this, "jcFrames4", QStringLiteral("Menu"), menu);
    // Takes the menu bar's place while a membership is being added or changed.
    QGroupBox *jcFrames2 = kit::makeSaveBar(this, {.name = "jcFrames2", .noteName = "Label7"});
    for (QGroupBox *bar : {jcFrames4, jcFrames2})
        bar->setFixedHeight(72);

    QGroupBox *jcFrames1 = makeBar(this, QStringLiteral("jcFrames1"), QStringLiteral("Memberships"));
    jcFrames1->setMinimumWidth(330);
    jcFrames1->setStyleSheet(jcFrames1->styleSheet() + formlook::fieldRules());
    auto *form = new QFormLayout(jcFrames1);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLabel *Label8 = look::makeEditModeLabel(jcFrames1, QStringLiteral("Label8"), QStringLiteral(" Edit Mode "));
    Label8->hide();
    form->addRow(Label8);

    auto *top = new QHBoxLayout;
    top->addWidget(Label6, 1);
    const WindowButtons corner = formlook::addWindowButtons(this, top);
    auto *left = new QVBoxLayout;
    left->addWidget(gridCaption);
    left->addWidget(DBGrid1, 1);
    left->addWidget(jcFrames4);
    left->addWidget(jcFrames2);
    auto *body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(jcFrames1);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(Label9);
    page->addLayout(body, 1);

    ScreenParams p;
    p.window = this;
    p.recordSource = QStringLiteral("Memberships");
    p.title = QStringLiteral("The list of memberships");
    p.requiredMessage = QStringLiteral("Please enter a Organization or click Cancel.");
    p.countLabel = Label6;
    p.countText = QStringLiteral(" Memberships are saved.");
    p.recordNoun = QStringLiteral("Membership");
    p.deleteSubject = [this] { return Text1->text() + QStringLiteral(" ?"); };
    p.reportFile = QStringLiteral("memberships.rpt");
    p.useBars(jcFrames4, jcFrames2);
    p.exitButton = corner.exit;
    p.minimizeButton = corner.minimize;
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Organization"), QStringLiteral("Organization")},
                     {QStringLiteral("Member Number"), QStringLiteral("Member Number")},
                     {QStringLiteral("Expires On"), QStringLiteral("Expires On")}};
    p.gridAcceptsTyping = true;
    p.readOnly = ReadOnlyMeans::LockNamedFields;
    p.editModeLabel = Label8;
    CycleHooks hooks;
    // Delete leaves the others where they are; the count comes from the file.
    hooks.afterDelete = AfterDelete::FirstWithoutRequery;
    m_cycle = new RecordCycle(p, hooks);
    DBGrid1->setColumnWidth(0, 140);
    DBGrid1->setColumnWidth(1, 130);

    // Expiry and fee are whatever the member card says: free text, never checked.
    const kit::FieldDecl fields[] = {
        {"Text1", "Organization:", "Organization"},
        {"Text2", "Member Number:", "Member Number"},
        {"Text3", "Expires On:", "Expires On"},
        {"Text4", "Membership Fee:", "Dues"},
        {"Text5", "Remarks:", "Remarks", kit::FieldKind::MultiLine},
    };
    const QList<QWidget *> made = kit::addFields(*m_cycle, jcFrames1, fields);
    Text1 = static_cast<QLineEdit *>(made[0]);
    ScreenParams &c = m_cycle->configure();
    c.requiredField = Text1;
    c.focusOnNew = Text1;
    c.focusOnEdit = Text1;
    c.focusAfterSave = Text1;
    c.lockedFields = made;

    resize(780, 500);
    setOrdinaryFrame(this);
}

bool frmMember::load()
{
    m_cycle->open();
    return true;
}

} // namespace tf
