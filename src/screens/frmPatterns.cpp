#include "screens/frmPatterns.h"

#include "data/RecordSources.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/WindowChrome.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tf {

namespace {

using kit::FieldKind;

// The lists are suggestions built into the window, in this order; anything typed is kept as typed.
const kit::FieldDecl kFields[] = {
    {"Text1", "Lake / River:", "Lake", FieldKind::Text},
    {"Combo1", "Month:", "Month", FieldKind::ValueList},
    {"Combo2", "Air Temperature:", "Air Temp", FieldKind::ValueList},
    {"Combo3", "Lure:", "Lure", FieldKind::ValueList},
    {"Combo4", "Structure:", "Structure", FieldKind::ValueList},
    {"Combo5", "Moon Phase:", "Moon Phase", FieldKind::ValueList},
    {"Combo6", "Water Temperature:", "Water Temp", FieldKind::ValueList},
    {"Combo7", "Lure Color:", "Lure Color", FieldKind::ValueList},
    {"Combo8", "Best Depth:", "Best Depth", FieldKind::ValueList},
    {"Text2", "Pattern:", "Pattern", FieldKind::MultiLine},
    {"Text3", "Remarks:", "Remarks", FieldKind::MultiLine},
};

QLabel *hint(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmPatterns::frmPatterns(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPatterns"));
    setDarkBackground(this);

    auto *gridCaption = new QLabel(QStringLiteral("Click the left column to make a selection"), this);
    gridCaption->setObjectName(QStringLiteral("DBGrid1Caption"));
    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    look::styleGrid(DBGrid1);

    const kit::ButtonDecl sort[] = {
        {"cmdLake", "Lake / River", " Sort by Lake / River ",
         [this] { m_cycle->sortBy(RecordSources::kPatternsByLake); }},
        {"cmdMonth", "Month", " Sort by Month  ", [this] { m_cycle->sortBy(RecordSources::kPatternsByMonth); }},
    };
    QGroupBox *jcSort = kit::makeButtonBar(this, "jcSort", QStringLiteral("Sort By:"), sort);
    const kit::ButtonDecl menu[] = {{"cmdNew", "New", " Add a new Pattern "},
                                    {"cmdEdit", "Edit", " Edit this Pattern "},
                                    {"cmdDelete", "Delete", " Delete this Pattern "},
                                    {"cmdPrint", "Print", " Pattern Reports "}};
    QGroupBox *jcFrames4 = kit::makeButtonBar(this, "jcFrames4", QStringLiteral("Menu"), menu);
    QGroupBox *jcFrames3 = kit::makeSaveBar(this, {.name = "jcFrames3"});
    for (QGroupBox *bar : {jcSort, jcFrames4, jcFrames3})
        bar->setMinimumHeight(64);

    const WindowButtons buttons = makeWindowButtons(this);

    ScreenParams p;
    p.window = this;
    p.recordSource = QStringLiteral("Patterns");
    p.title = QStringLiteral("The fishing patterns");
    p.requiredMessage = QStringLiteral("Please enter a Lake or click Cancel.");
    p.recordNoun = QStringLiteral("Pattern");
    p.reportFile = QStringLiteral("patterns.rpt");
    p.useBars(jcFrames4, jcFrames3);
    p.exitButton = buttons.exit;
    p.minimizeButton = buttons.minimize;
    p.offWhileEditing = {jcSort};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Lake / River"), QStringLiteral("Lake")},
                     {QStringLiteral("Month"), QStringLiteral("Month")}};
    p.readOnly = ReadOnlyMeans::LockNamedFields;
    CycleHooks hooks;
    // No count label here: the count goes into the window title.
    hooks.showCount = [this](int count) {
        setWindowTitle(QStringLiteral("  ") + QString::number(count) + QStringLiteral(" Fishing Patterns Saved"));
    };
    m_cycle = new RecordCycle(p, hooks);
    DBGrid1->setColumnWidth(0, 170);

    QWidget *details = buildDetails();

    auto *corner = new QHBoxLayout;
    corner->addStretch(1);
    corner->addWidget(buttons.minimize);
    corner->addWidget(buttons.exit);
    auto *left = new QVBoxLayout;
    left->addWidget(gridCaption);
    left->addWidget(DBGrid1, 1);
    left->addWidget(jcSort);
    auto *bars = new QGridLayout;
    // The menu bar and the save bar share one place.
    bars->addWidget(jcFrames4, 0, 0);
    bars->addWidget(jcFrames3, 0, 0);
    left->addLayout(bars);
    auto *right = new QVBoxLayout;
    right->addLayout(corner);
    right->addWidget(details, 1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 12);
    layout->setSpacing(14);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);

    setOrdinaryFrame(this);
    resize(940, 660);
}

QWidget *frmPatterns::buildDetails()
{
    auto *group = new QGroupBox(QStringLiteral("Pattern Details"), this);
    group->setObjectName(QStringLiteral("PatternDetails"));
    auto *column = new QVBoxLayout(group);
    column->addWidget(hint(group, QStringLiteral("Record general patterns for any lake or river. Could be useful for "
                                                 "future fishing trips.")));
    column->addWidget(
        hint(group, QStringLiteral("Make a selection from the drop-down boxes or type in your own description.")));
    QLabel *Label12 = look::makeEditModeLabel(group, QStringLiteral("Label12"), QStringLiteral(" Edit Mode "));
    // The fields stay where they are when the label comes and goes.
    QSizePolicy keepPlace = Label12->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Label12->setSizePolicy(keepPlace);
    Label12->hide();
    column->addWidget(Label12, 0, Qt::AlignLeft);

    auto *form = new QWidget(group);
    const QList<QWidget *> made = kit::addFields(*m_cycle, form, kFields);
    // The captions are drawn for dark glass; here they stand on the group.
    for (QLabel *caption : form->findChildren<QLabel *>())
        caption->setPalette(palette());
    column->addWidget(form, 1);

    ScreenParams &p = m_cycle->configure();
    p.requiredField = made[0];
    p.focusOnNew = made[0];
    p.focusOnEdit = made[0];
    p.lockedFields = made;
    p.editModeLabel = Label12;
    p.deleteSubject = [text = static_cast<QLineEdit *>(made[0])] {
        return QStringLiteral("this Pattern for ") + text->text() + QStringLiteral(" ?");
    };
    return group;
}

bool frmPatterns::load()
{
    m_cycle->open();
    return true;
}

} // namespace tf
