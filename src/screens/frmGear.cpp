#include "screens/frmGear.h"

#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <array>
#include <span>
#include <vector>

namespace tf {

namespace {

using kit::FieldKind;

// Where things sit on the 763 × 564 window, inside the painted frame. The
// three list panels share one place; inside each, the grid and its bars on
// the left and the field groups on the right.
constexpr QRect kListRect(26, 90, 712, 444);
constexpr QRect kGridRect(0, 0, 346, 360);
constexpr QRect kBarRect(0, 366, 346, 78);
constexpr int kFieldsX = 358;
constexpr int kFieldsWidth = 354;
constexpr int kGroupGap = 10;

const QString kTitle = QStringLiteral("The fishing gear log");

struct GroupDecl
{
    const char *name;
    QString caption;
    std::span<const kit::FieldDecl> fields;
};

// Everything in which the three lists differ; the code below builds each list
// from its row.
struct ListDecl
{
    const char *selector;
    QString selectorCaption;
    QString selectorTip;
    const char *panel;
    QString table;
    const char *grid;
    QList<GridColumn> columns;
    bool gridAcceptsTyping;
    std::vector<GroupDecl> groups;
    const char *menuBar;
    const char *saveBar;
    // Ends the names of the list's commands: cmdNewrod, cmdSaverod, ...
    const char *suffix;
    // Tool tips of New, Edit, Delete.
    std::array<QString, 3> tips;
    const char *focusField;
    // Empty at Save: stored as "None".
    std::vector<const char *> noneFields;
    const char *requiredField;
    QString requiredMessage;
    QString noun;
    // The delete prompt's subject: the lead, then the named fields' texts joined by " and ", then "?".
    QString deleteLead;
    std::vector<const char *> deleteFields;
    QString countText;
    QColor countColour;
    QString reportFile;
};

const kit::FieldDecl kReelFields[] = {{"Text1", "Make:", "Reel Make"},
                                      {"Text2", "Model:", "Reel Model"},
                                      {"Text3", "Type:", "Reel Type"},
                                      {"Text4", "Remarks:", "Reel Note", FieldKind::MultiLine}};
const kit::FieldDecl kRodFields[] = {{"Text5", "Make:", "Rod Make"},
                                     {"Text6", "Model:", "Rod Model"},
                                     {"Text7", "Length:", "Rod Length"},
                                     {"Text8", "Remarks:", "Rod Note", FieldKind::MultiLine}};
const kit::FieldDecl kBoatFields[] = {{"Text9", "Make & Model:", "Boat"},
                                      {"Text10", "Serial No:", "Serial"},
                                      {"Text11", "Notes:", "Maint", FieldKind::MultiLine}};
const kit::FieldDecl kMotorFields[] = {{"Text12", "Make & Model:", "Motor"},
                                       {"Text13", "Serial No:", "SerialM"},
                                       {"Text14", "Notes:", "MaintM", FieldKind::MultiLine}};
const kit::FieldDecl kItemFields[] = {
    {"Text20", "Item:", "Item"},   {"Text15", "Make:", "Make"},
    {"Text16", "Model:", "Model"}, {"Text17", "Serial No:", "Serial No"},
    {"Text18", "Price:", "Price"}, {"Text19", "Remarks:", "Remarks", FieldKind::MultiLine}};

const std::array<ListDecl, frmGear::kListCount> &gearLists()
{
    static const std::array<ListDecl, frmGear::kListCount> lists{{
        {"cmdRods",
         "Rods / Reels",
         " Show Rods and Reels ",
         "PicRods",
         "Rods",
         "DBGrid1",
         {{"Reel Make", "Reel Make"},
          {"Reel Model", "Reel Model"},
          {"Rod Make", "Rod Make"},
          {"Rod Model", "Rod Model"}},
         false,
         {{"FrameReels", "Reels", kReelFields}, {"FrameRods", "Rods", kRodFields}},
         "jcMenu",
         "jcSave",
         "rod",
         {" Add a new Rod or Reel ", " Edit this Rod or Reel ", " Delete this Rod and Reel "},
         "Text1",
         {"Text1", "Text5"},
         nullptr,
         {},
         "Rod and Reel",
         "the Reel and Rod named ",
         {"Text1", "Text5"},
         " Rods and Reels are saved.",
         QColor(0, 0, 0),
         "rods.rpt"},
        {"cmdBoat",
         "Boat / Motor",
         " Show Boats and Motors ",
         "PicBoat",
         "Boat",
         "DBGrid2",
         {{"Boat", "Boat"}, {"Motor", "Motor"}},
         true,
         {{"FrameBoat", "Boat", kBoatFields}, {"FrameMotor", "Motor", kMotorFields}},
         "jcMenub",
         "jcSaveb",
         "boat",
         {" Add a new Boat or Motor ", " Edit this Boat or Motor ", " Delete this Boat and Motor "},
         "Text9",
         {"Text9", "Text12"},
         nullptr,
         {},
         "Boat and Motor",
         "the Boat named ",
         {"Text9"},
         " Boats and Motors are saved.",
         QColor(0, 0, 192),
         "boat.rpt"},
        {"cmdGear",
         "Accessories",
         " Show Accessories ",
         "PicGear",
         "Equipment",
         "DBGrid3",
         {{"Item", "Item"}, {"Make", "Make"}, {"Model", "Model"}},
         false,
         {{"FrameAccessories", "Accessories", kItemFields}},
         "jcMenua",
         "jcSavea",
         "gear",
         {" Add a new Item ", " Edit this Item ", " Delete this Item "},
         "Text20",
         {},
         "Text20",
         "Please enter Item Name or click Cancel.",
         "Accessory",
         "the gear named ",
         {"Text20"},
         " Equipment Items are saved.",
         QColor(255, 255, 0),
         "equipment.rpt"},
    }};
    return lists;
}

// A field group on the right of a list: a glass panel with its heading.
QWidget *makeGroup(QWidget *panel, const GroupDecl &group, const QRect &geometry)
{
    QFrame *frame = look::makePanel(panel, QLatin1String(group.name), geometry);
    auto *heading = new QLabel(group.caption, frame);
    heading->setGeometry(12, 6, geometry.width() - 24, 24);
    heading->setStyleSheet(QStringLiteral("QLabel { color: rgb(240, 214, 140); font-weight: bold; font-size: 12pt;"
                                          " border-bottom: 1px solid rgba(240, 214, 140, 110); }"));
    return frame;
}

} // namespace

frmGear::frmGear(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGear"));
    m_chrome = new WindowChrome(this);

    auto *Label28 = new QLabel(QStringLiteral("Fishing Gear Log"), this);
    Label28->setObjectName(QStringLiteral("Label28"));
    look::styleCountCaption(Label28);
    Label28->setGeometry(28, 14, 330, 34);

    Label22 = new QLabel(QStringLiteral("Rods and Reels"), this);
    Label22->setObjectName(QStringLiteral("Label22"));
    look::styleCountCaption(Label22);
    QFont smaller = Label22->font();
    smaller.setPointSize(12);
    Label22->setFont(smaller);
    Label22->move(26, 52);

    std::array<kit::ButtonDecl, kListCount> selectors;
    for (int i = 0; i < kListCount; ++i) {
        const ListDecl &decl = gearLists()[i];
        selectors[i] = {decl.selector, decl.selectorCaption, decl.selectorTip,
                        [this, i] { showList(static_cast<List>(i)); }};
    }
    QGroupBox *select = kit::makeButtonBar(this, "jcSelect", QStringLiteral("Select"), selectors);
    select->setGeometry(340, 8, 338, 72);
    // The button of the list on screen stays down.
    select->setStyleSheet(select->styleSheet() +
                          QStringLiteral("QGroupBox QPushButton:checked { color: rgb(30, 20, 0);"
                                         " background: rgb(240, 214, 140); border-color: white; }"));
    jcSelect = select;
    auto *selected = new QButtonGroup(this);
    for (int i = 0; i < kListCount; ++i) {
        QAbstractButton *b = kit::button(select, gearLists()[i].selector);
        b->setCheckable(true);
        selected->addButton(b);
        m_lists[i].selector = b;
    }

    for (int i = 0; i < kListCount; ++i)
        buildList(static_cast<List>(i));
    showList(Rods);
    // Until the first count the caption keeps its opening text, in black.
    Label22->setText(QStringLiteral("Rods and Reels"));
    Label22->adjustSize();
}

void frmGear::buildList(List list)
{
    const ListDecl &decl = gearLists()[list];
    auto *panel = new QWidget(this);
    panel->setObjectName(QLatin1String(decl.panel));
    panel->setGeometry(kListRect);

    auto *grid = new QTableView(panel);
    grid->setObjectName(QLatin1String(decl.grid));
    grid->setGeometry(kGridRect);
    look::styleGrid(grid);
    // Room for a vertical scroll bar, so the last heading stays whole when the rows outgrow the grid.
    grid->horizontalHeader()->setDefaultSectionSize((kGridRect.width() - 30) / int(decl.columns.size()));

    const auto name = [&decl](const char *role) { return QByteArray(role) + decl.suffix; };
    const kit::ButtonDecl menu[] = {{"cmdNew", "New", decl.tips[0]},
                                    {"cmdEdit", "Edit", decl.tips[1]},
                                    {"cmdDelete", "Delete", decl.tips[2]},
                                    {"cmdPrint", "Print", QStringLiteral(" Print Preview ")}};
    QGroupBox *menuBar = kit::makeButtonBar(panel, decl.menuBar, QStringLiteral("Menu"), menu, decl.suffix);
    menuBar->setGeometry(kBarRect);
    // The save bar takes the menu bar's place while a row is added or changed.
    QGroupBox *saveBar = kit::makeSaveBar(panel, {.name = decl.saveBar,
                                                  .noteName = name("Label1").constData(),
                                                  .suffix = decl.suffix,
                                                  .saveTip = QStringLiteral(" Save the information  "),
                                                  .cancelTip = QStringLiteral(" Do not Save ")});
    saveBar->setGeometry(kBarRect);
    QLabel *editMode = look::makeEditModeLabel(saveBar, QLatin1String(name("LabelMode")), QStringLiteral("Edit Mode"));
    if (auto *row = qobject_cast<QHBoxLayout *>(saveBar->layout()))
        row->insertWidget(2, editMode);

    ScreenParams p;
    p.window = this;
    p.recordSource = decl.table;
    p.title = kTitle;
    p.countLabel = Label22;
    p.countText = decl.countText;
    p.recordNoun = decl.noun;
    p.deleteSubject = [this, &decl] {
        QStringList named;
        for (const char *field : decl.deleteFields)
            named << findChild<QLineEdit *>(QLatin1String(field))->text();
        return decl.deleteLead + named.join(QStringLiteral(" and ")) + QStringLiteral("?");
    };
    p.reportFile = decl.reportFile;
    p.useBars(menuBar, saveBar, decl.suffix);
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    // At most one list is ever out of browse state: the others cannot be reached meanwhile.
    p.offWhileEditing = {jcSelect};
    p.grid = grid;
    p.gridColumns = decl.columns;
    p.gridAcceptsTyping = decl.gridAcceptsTyping;
    // Every text box of the window, on all three panels, is locked while browsing.
    p.readOnly = ReadOnlyMeans::LockTextBoxes;
    p.editModeLabel = editMode;

    CycleHooks hooks;
    hooks.showCount = [this, list](int count) { showCount(list, count); };
    // Coming back to the window recounts the rods alone, and only while they are shown.
    hooks.activated = [this, list] {
        if (list == Rods && m_current == Rods)
            m_lists[Rods].cycle->recount();
    };
    if (!decl.noneFields.empty())
        hooks.checkBeforeSave = [this, list] { return fillNoneFields(list); };
    auto *cycle = new RecordCycle(p, hooks);
    look::fitColumnsToHeadings(grid);

    int y = 0;
    const int groupHeight = (kListRect.height() - kGroupGap * (int(decl.groups.size()) - 1)) / int(decl.groups.size());
    const kit::FormGeometry rows{40, 30, 12, 112, 24, 12, 10};
    for (const GroupDecl &group : decl.groups) {
        QWidget *frame = makeGroup(panel, group, QRect(kFieldsX, y, kFieldsWidth, groupHeight));
        kit::addFields(*cycle, frame, group.fields, &rows);
        y += groupHeight + kGroupGap;
    }

    ListParts &parts = m_lists[list];
    parts.panel = panel;
    parts.cycle = cycle;
    ScreenParams &late = cycle->configure();
    late.focusOnNew = late.focusOnEdit = late.focusAfterSave =
        panel->findChild<QWidget *>(QLatin1String(decl.focusField));
    if (decl.requiredField) {
        late.requiredField = panel->findChild<QWidget *>(QLatin1String(decl.requiredField));
        late.requiredMessage = decl.requiredMessage;
    }
}

bool frmGear::load()
{
    bool anyOpen = false;
    for (ListParts &parts : m_lists) {
        parts.cycle->open();
        anyOpen = anyOpen || parts.cycle->source()->isOpen();
    }
    // A list whose table cannot be read stays switched off; the others stay in reach.
    jcSelect->setEnabled(anyOpen);
    return true;
}

QString frmGear::databaseProblem() const
{
    for (const ListParts &parts : m_lists)
        if (!parts.cycle->problem().isEmpty())
            return parts.cycle->problem();
    return {};
}

void frmGear::showList(List list)
{
    for (const ListParts &parts : m_lists)
        if (parts.cycle && parts.cycle->state() != CycleState::Browse)
            return;
    m_current = list;
    for (int i = 0; i < kListCount; ++i) {
        m_lists[i].selector->setChecked(i == list);
        m_lists[i].panel->setVisible(i == list);
    }
    m_lists[list].selector->setFocus(Qt::OtherFocusReason);
    if (m_lists[list].cycle)
        m_lists[list].cycle->recount();

    // The caption sits on a plate that keeps its colour readable over the night sky.
    const QColor colour = gearLists()[list].countColour;
    Label22->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border-radius: 6px; padding: 1px 8px; }")
                               .arg(colour.name(), colour.lightness() < 128 ? QStringLiteral("rgba(236, 232, 220, 230)")
                                                                            : QStringLiteral("rgba(8, 22, 40, 210)")));
    Label22->adjustSize();
}

void frmGear::showCount(List list, int count)
{
    // One caption serves all three lists: only the list on screen writes it.
    if (list != m_current)
        return;
    Label22->setText(QString::number(count) + gearLists()[list].countText);
    Label22->adjustSize();
}

bool frmGear::fillNoneFields(List list)
{
    for (const char *name : gearLists()[list].noneFields) {
        auto *field = m_lists[list].panel->findChild<QLineEdit *>(QLatin1String(name));
        if (field->text().isEmpty())
            field->setText(QStringLiteral("None"));
    }
    return true;
}

} // namespace tf
