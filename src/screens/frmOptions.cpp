#include "screens/frmOptions.h"

#include "data/DataSource.h"
#include "data/LookupList.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "screens/FormLook.h"
#include "screens/PlacePanel.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tf {

struct frmOptions::ListDecl
{
    const char *selector;
    QString selectorCaption;
    const char *panel;
    QString groupCaption;
    QString table;
    QString column;
    const char *nameField;
    const char *grid;
    QString gridCaption;
    bool gridAcceptsTyping;
    const char *suffix; // ends the names of the list's bars and commands: jcMenulake, cmdNewlake, cmdSavelake, ...
    QString requiredMessage;
    QString noun; // "This Fish can not be deleted."
    QString title;
    bool focusAfterSave; // the name field gets the focus back after Save and Cancel
};

frmOptions::frmOptions(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setDarkBackground(this);

    static const ListDecl lists[] = {
        {"cmdLakes", "Lakes / Rivers", "PicLakes", "Lakes / Rivers Fished", "Lakes", "Lakes", "Text1", "DBGrid1",
         "Lakes / Rivers Fished", false, "lake", "Please enter a Lake or River or click Cancel.", "Lake / River",
         "The list of lakes and rivers", false},
        {"cmdLaunch", "Marinas / Ramps", "PicLaunch", "Marinas / Launch Areas", "Ramps", "Ramps", "Text3", "DBGrid3",
         "Marinas / Launch Ramps Used", true, "launch", "Please enter a Marina or Launch Area or click Cancel.", "Ramp",
         "The list of marinas and launch areas", true},
        {"cmdFish", "Fish Species", "PicFish", "Fish Species", "Fish", "Fish", "Text2", "DBGrid2", "Fish Species", true,
         "trail", "Please enter a Fish or click Cancel.", "Fish", "The list of fish species", false},
        {"cmdBait", "Lures / Bait", "PicLures", "Lures / Bait Used", "Lures", "Lure", "Text4", "DBGrid4",
         "Lures / Bait Used", true, "div", "Please enter a Lure/Bait or click Cancel.", "Lure / Bait",
         "The list of lures and baits", true},
    };

    auto *Label5 = new QLabel(QStringLiteral("Database Options"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    look::styleCountCaption(Label5);
    auto *Label6 = new QLabel(
        QStringLiteral("Enter the Species of Fish that you fish for and the Lures / Bait, Lakes, Rivers, and Launch "
                       "Areas that you use - to have them available in drop-down boxes when filling out other forms."),
        this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setWordWrap(true);

    kit::ButtonDecl selectors[4];
    m_lists = new QStackedWidget(this);
    for (int i = 0; i < 4; ++i) {
        QWidget *panel = buildList(lists[i]);
        m_lists->addWidget(panel);
        selectors[i] = {lists[i].selector, lists[i].selectorCaption, QString(),
                        [this, panel] { m_lists->setCurrentWidget(panel); }};
    }
    QGroupBox *jcSelect = kit::makeButtonBar(this, "jcSelect", QStringLiteral("Select"), selectors);
    jcSelect->setFixedHeight(72);

    auto *top = new QHBoxLayout;
    top->addWidget(Label5, 1);
    const WindowButtons corner = formlook::addWindowButtons(this, top);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(Label6);
    page->addWidget(jcSelect);
    page->addWidget(m_lists, 1);

    for (RecordCycle *cycle : std::as_const(m_cycles)) {
        ScreenParams &p = cycle->configure();
        p.exitButton = corner.exit;
        p.minimizeButton = corner.minimize;
        // One list at a time is out of browse state: the others stay out of reach until Save or Cancel.
        p.offWhileEditing = {jcSelect};
    }
    // The fish species are what the user comes here for most.
    m_lists->setCurrentIndex(2);

    resize(720, 520);
    setOrdinaryFrame(this);
}

QWidget *frmOptions::buildList(const ListDecl &decl)
{
    auto *panel = new QWidget;
    panel->setObjectName(QLatin1String(decl.panel));

    auto *grid = new QTableView(panel);
    grid->setObjectName(QLatin1String(decl.grid));
    look::styleGrid(grid);

    const kit::ButtonDecl menu[] = {{"cmdNew", "New", {}}, {"cmdEdit", "Edit", {}}, {"cmdDelete", "Delete", {}}};
    const QByteArray menuName = "jcMenu" + QByteArray(decl.suffix);
    const QByteArray saveName = "jcSave" + QByteArray(decl.suffix);
    QGroupBox *menuBar = kit::makeButtonBar(panel, menuName.constData(), QStringLiteral("Menu"), menu, decl.suffix);
    QGroupBox *saveBar = kit::makeSaveBar(panel, {.name = saveName.constData(),
                                                  .noteName = (saveName + "Note").constData(),
                                                  .note = QStringLiteral(" Must Save or Cancel before exiting. "),
                                                  .suffix = decl.suffix});
    for (QGroupBox *bar : {menuBar, saveBar})
        bar->setFixedHeight(72);

    QGroupBox *group = makeBar(panel, QString::fromLatin1(decl.panel) + QStringLiteral("Group"), decl.groupCaption);
    group->setStyleSheet(group->styleSheet() + formlook::fieldRules());

    ScreenParams p;
    p.window = this;
    p.recordSource = decl.table;
    p.title = decl.title;
    p.requiredMessage = decl.requiredMessage;
    p.recordNoun = decl.noun;
    p.useBars(menuBar, saveBar, decl.suffix);
    p.grid = grid;
    p.gridColumns = {{decl.gridCaption, decl.column}};
    p.gridAcceptsTyping = decl.gridAcceptsTyping;
    p.readOnly = ReadOnlyMeans::LockTextBoxes;
    CycleHooks hooks;
    // The grid keeps its rows where they are; nothing here is counted.
    hooks.afterDelete = AfterDelete::FirstWithoutRequery;
    const qsizetype index = m_cycles.size();
    hooks.checkBeforeSave = [this, &decl, index] {
        return nameIsNew(decl, m_cycles[index], findChild<QLineEdit *>(QLatin1String(decl.nameField)));
    };
    // Lakes and rivers may carry a position: shown for the lake in view, typed while
    // the lake is added or changed, and kept once the lake itself is saved.
    PlacePanel *place = nullptr;
    if (decl.table == QLatin1String("Lakes")) {
        place = new PlacePanel(panel);
        hooks.checkBeforeSave = [this, &decl, index, place] {
            return nameIsNew(decl, m_cycles[index], findChild<QLineEdit *>(QLatin1String(decl.nameField))) &&
                   place->checkTyped();
        };
        hooks.rowShown = [this, place, index] {
            place->showLake(m_cycles[index]->source()->value(QStringLiteral("Lakes")).toString());
        };
        // The lake in view is the one being changed; a new one starts blank (below).
        hooks.layoutChanged = [this, place, index](bool editing) {
            place->setEditing(editing, editing ? m_cycles[index]->source()->value(QStringLiteral("Lakes")).toString()
                                               : QString());
        };
    }
    auto *cycle = new RecordCycle(p, hooks);
    if (place) {
        cycle->configure().defaultsOfNew = [place] { place->setEditing(true, QString()); };
        // The lake's row is written (or, with nothing changed in it, let go) once the
        // checks passed: that is when its position is kept too.
        connect(cycle->source(), &DataSource::editModeChanged, place, [this, place, cycle, &decl] {
            if (cycle->source()->editMode() == DataSource::EditMode::None)
                place->savePosition(findChild<QLineEdit *>(QLatin1String(decl.nameField))->text());
        });
    }
    const kit::FieldDecl field[] = {{decl.nameField, "Name:", decl.column}};
    auto *name = static_cast<QLineEdit *>(kit::addFields(*cycle, group, field).first());
    ScreenParams &c = cycle->configure();
    c.requiredField = c.focusOnNew = c.focusOnEdit = name;
    if (decl.focusAfterSave)
        c.focusAfterSave = name;
    c.deleteSubject = [name] { return name->text() + QStringLiteral(" ?"); };
    m_cycles << cycle;

    auto *side = new QVBoxLayout;
    side->addWidget(group);
    if (place)
        side->addWidget(place);
    side->addWidget(menuBar);
    side->addWidget(saveBar);
    side->addStretch(1);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(grid, 1);
    row->addLayout(side, 1);
    return panel;
}

// A name that is already in the list would show twice in every drop-down box
// fed by it, and the two could never be told apart. Letter case and blanks
// around the name do not make another entry (the lists sort and match without
// regard to case either). Changing an entry may keep its own name.
bool frmOptions::nameIsNew(const ListDecl &decl, RecordCycle *cycle, QLineEdit *name)
{
    const QString typed = name->text().trimmed();
    if (typed.isEmpty())
        return true;
    QString error;
    const auto items = readLookupList(programDatabasePath(), decl.table, decl.column, &error);
    if (!items) {
        // Saving will meet the same trouble and say what it is.
        return true;
    }
    qsizetype same = 0;
    for (const QString &item : *items)
        if (item.trimmed().compare(typed, Qt::CaseInsensitive) == 0)
            ++same;
    if (cycle->state() == CycleState::Editing &&
        cycle->source()->value(decl.column).toString().trimmed().compare(typed, Qt::CaseInsensitive) == 0)
        --same;
    if (same <= 0)
        return true;
    showMessage(this, MessageIcon::Exclamation,
                QStringLiteral("%1 is already in the list.\nType another name, or click Cancel.").arg(typed));
    name->setFocus(Qt::OtherFocusReason);
    return false;
}

bool frmOptions::load()
{
    for (RecordCycle *cycle : std::as_const(m_cycles))
        cycle->open();
    return true;
}

} // namespace tf
