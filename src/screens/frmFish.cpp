#include "screens/frmFish.h"

#include "data/RecordSources.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "screens/TwipsScroll.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"
#include "shell/WindowRegistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

namespace tf {

namespace {

using kit::FieldKind;

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kHeadingRect(26, 16, 350, 66);
constexpr QRect kGridRect(26, 90, 350, 288);
constexpr QRect kHintRect(388, 56, 352, 54);
constexpr QRect kViewportRect(388, 116, 352, 420);
constexpr int kScrollBarWidth = 16;
// The five groups are taller together than the viewport; the bar moves them.
constexpr TwipsScroll kGroupScroll{30, 7200, 100, 500};
constexpr int kGroupTop = 6;
constexpr int kGroupPitch = 170;
constexpr int kGroupHeight = 156;

// The five fish: group, then species, lure and remarks as the log's columns hold them.
struct FishGroup
{
    const char *group;
    const char *species;
    const char *lure;
    const char *remarks;
};
constexpr FishGroup kFish[] = {{"jcFrames6", "DBCombo1", "DBCombo2", "Text1"},
                               {"jcFrames7", "DBCombo4", "DBCombo3", "Text2"},
                               {"jcFrames8", "DBCombo6", "DBCombo5", "Text3"},
                               {"jcFrames9", "DBCombo8", "DBCombo7", "Text4"},
                               {"jcFrames10", "DBCombo10", "DBCombo9", "Text5"}};

QLabel *whiteLabel(QWidget *parent, const char *name, const QString &text)
{
    QLabel *label = look::makeValue(parent, QLatin1String(name));
    label->setText(text);
    return label;
}

} // namespace

frmFish::frmFish(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmFish"));
    m_chrome = new WindowChrome(this);

    // The heading names the trip the groups belong to.
    QGroupBox *jcFrames1 = makeBar(this, QStringLiteral("jcFrames1"), QString());
    jcFrames1->setGeometry(kHeadingRect);
    QLabel *Label1 = whiteLabel(jcFrames1, "Label1", QStringLiteral("Fish caught on:"));
    Label1->setGeometry(12, 10, 120, 22);
    QLabel *Label3 = whiteLabel(jcFrames1, "Label3", QString());
    Label3->setGeometry(136, 10, 200, 22);
    QLabel *Label5 = whiteLabel(jcFrames1, "Label5", QString());
    Label5->setGeometry(12, 34, 326, 22);
    for (QLabel *l : {Label1, Label3, Label5})
        l->setStyleSheet(QStringLiteral("font-weight: bold;"));

    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    QLabel *Label24 = look::makeEditModeLabel(this, QStringLiteral("Label24"), QStringLiteral(" Edit Mode "));
    Label24->setGeometry(kHintRect.left(), 24, 96, 22);

    buildBars();

    ScreenParams p;
    p.window = this;
    p.recordSource = RecordSources::kLogByDate;
    p.title = QStringLiteral("The fish caught");
    p.recordNoun = QStringLiteral("Log");
    p.useBars(findChild<QWidget *>(QStringLiteral("jcMenu")), findChild<QWidget *>(QStringLiteral("jcSave")));
    // Print opens the choice of reports instead of one report.
    p.printButton = nullptr;
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.offWhileEditing = {findChild<QWidget *>(QStringLiteral("jcSort"))};
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Lake / River"), QStringLiteral("Lake")},
                     {QStringLiteral("Marina / Launch Area"), QStringLiteral("Ramp")}};
    p.readOnly = ReadOnlyMeans::LockTextBoxes;
    p.lockLists = true;
    p.editModeLabel = Label24;
    CycleHooks hooks;
    // Another window (the fishing log above all) may have changed, added or
    // deleted trips: the heading names the trip as it is stored now, and a trip
    // deleted elsewhere cannot be chosen.
    hooks.rereadWhenActivated = true;
    m_cycle = new RecordCycle(p, hooks);
    m_cycle->bind(Label3, QStringLiteral("Date"));
    m_cycle->bind(Label5, QStringLiteral("Lake"));
    DBGrid1->setColumnWidth(0, 76);
    DBGrid1->setColumnWidth(1, 100);

    buildGroups();
    m_cycle->configure().focusOnEdit = m_cycle->configure().focusAfterSave = DBCombo1;
    // Tabbing through the fields brings each one into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { keepInView(now); });
}

void frmFish::buildBars()
{
    const int x = kGridRect.left();
    const int w = kGridRect.width();
    const kit::ButtonDecl sort[] = {
        {"cmdDate", "Date", " Sort by Date ", [this] { m_cycle->sortBy(RecordSources::kLogByDate); }},
        {"cmdLake", "Lake / River", " Sort by Lake / River ", [this] { m_cycle->sortBy(RecordSources::kLogByLake); }},
    };
    kit::makeButtonBar(this, "jcSort", QStringLiteral("Sort By:"), sort)->setGeometry(x, 386, w, 70);
    const kit::ButtonDecl menu[] = {
        {"cmdEdit", "Edit", " Edit this Page "},
        {"cmdPrint", "Print", " Print Preview ",
         [this] { WindowRegistry::open(QStringLiteral("frmPrintfish"), this, OpenerState::Keep); }},
    };
    QGroupBox *jcMenu = kit::makeButtonBar(this, "jcMenu", QStringLiteral("Menu"), menu);
    jcMenu->setGeometry(x, 460, w, 72);
    kit::makeSaveBar(this, {.noteName = "Label8"})->setGeometry(jcMenu->geometry());
}

void frmFish::buildGroups()
{
    QGroupBox *jcFrames5 = makeBar(this, QStringLiteral("jcFrames5"), QString());
    jcFrames5->setGeometry(kHintRect);
    QLabel *hint = whiteLabel(jcFrames5, "Label22",
                              QStringLiteral("Select from the drop-down boxes or type in your own description."));
    hint->setWordWrap(true);
    hint->setGeometry(10, 6, kHintRect.width() - 20, kHintRect.height() - 10);

    auto *Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(kViewportRect);
    auto *Picture2 = new QWidget(Picture1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(0, 0, kViewportRect.width() - kScrollBarWidth - 4,
                          kViewportRect.height() - contentTopPixels(kGroupScroll, kGroupScroll.maximum));
    auto *VScroll1 = new QScrollBar(Qt::Vertical, Picture1);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(kViewportRect.width() - kScrollBarWidth, 0, kScrollBarWidth, kViewportRect.height());

    const kit::FormGeometry rows{30, 32, 10, 104, 26, 10, 8};
    for (int i = 0; i < 5; ++i) {
        const FishGroup &g = kFish[i];
        const QString n = QString::number(i + 1);
        QGroupBox *group = makeBar(Picture2, QLatin1String(g.group), QStringLiteral("Fish # ") + n);
        group->setGeometry(0, kGroupTop + i * kGroupPitch, Picture2->width(), kGroupHeight);
        // The species and lure lists are read once, for the first fish, and
        // shared by the other four (shareListItems).
        const FieldKind list = i == 0 ? FieldKind::Lookup : FieldKind::ValueList;
        const kit::FieldDecl fields[] = {
            {g.species, "Fish Species:", QStringLiteral("Fish") + n, list, {}, "Fish", "Fish"},
            {g.lure, "Lure / Bait:", QStringLiteral("Lure") + n, list, {}, "Lures", "Lure"},
            {g.remarks, "Remarks:", QStringLiteral("Remarks") + n, FieldKind::MultiLine},
        };
        const QList<QWidget *> made = kit::addFields(*m_cycle, group, fields, &rows);
        // Remarks take several lines: beside their caption, down to the group's foot.
        const int top = rows.top + 2 * rows.rowHeight;
        const int left = rows.captionX + rows.captionWidth;
        made.last()->setGeometry(left, top, group->width() - left - rows.rightMargin,
                                 group->height() - top - rows.bottomMargin);
    }
    auto *Label23 = whiteLabel(Picture2, "Label23", QStringLiteral("Record more fish in the Notebook."));
    Label23->setGeometry(12, kGroupTop + 5 * kGroupPitch, Picture2->width() - 24, 24);

    DBCombo1 = Picture2->findChild<QComboBox *>(QStringLiteral("DBCombo1"));
    attachTwipsScroll(VScroll1, Picture1, Picture2, kGroupScroll);
    m_viewport = Picture1;
    m_content = Picture2;
    m_scroll = VScroll1;
}

bool frmFish::load()
{
    m_cycle->open();
    shareListItems();
    return true;
}

QString frmFish::databaseProblem() const
{
    return m_cycle->problem();
}

void frmFish::shareListItems()
{
    const auto share = [this](const char *from, std::initializer_list<const char *> to) {
        const auto *source = m_content->findChild<QComboBox *>(QLatin1String(from));
        QStringList items;
        for (int i = 0; i < source->count(); ++i)
            items << source->itemText(i);
        for (const char *name : to) {
            auto *list = m_content->findChild<QComboBox *>(QLatin1String(name));
            // Filling a list must not change the text the trip shows in it.
            const QString shown = list->currentText();
            list->addItems(items);
            list->setEditText(shown);
        }
    };
    share("DBCombo1", {"DBCombo4", "DBCombo6", "DBCombo8", "DBCombo10"});
    share("DBCombo2", {"DBCombo3", "DBCombo5", "DBCombo7", "DBCombo9"});
}

void frmFish::keepInView(QWidget *field)
{
    if (!field || !m_content || !m_content->isAncestorOf(field))
        return;
    const int margin = 8;
    const int top = field->mapTo(m_content, QPoint(0, 0)).y() - margin;
    const int bottom = top + field->height() + 2 * margin;
    const int shownTop = -m_content->y();
    const int shownBottom = shownTop + m_viewport->height();
    int wantedTop = shownTop;
    if (top < shownTop)
        wantedTop = top;
    else if (bottom > shownBottom)
        wantedTop = bottom - m_viewport->height();
    else
        return;
    // The content's top in pixels is (offset - value) / 15, so the value is offset + 15 × the hidden height.
    m_scroll->setValue(kGroupScroll.offset + wantedTop * kTwipsPerPixel);
}

} // namespace tf
