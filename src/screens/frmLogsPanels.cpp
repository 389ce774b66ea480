// The two panels of the fishing log: the read-only panel of labels shown while
// browsing, and the editing panel of input fields shown while a trip is added
// or changed. Both are viewports of one size over a taller content area with
// their own scroll bar.

#include "data/DateField.h"
#include "platform/Platform.h"
#include "screens/FieldLock.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "screens/TwipsScroll.h"
#include "screens/frmLogs.h"
#include "shell/Art.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace tf {

namespace {

using kit::FieldKind;

// Both viewports, scroll bar included, on the window's right side.
constexpr QRect kPanelRect(388, 52, 352, 484);
constexpr int kScrollBarWidth = 16;
constexpr TwipsScroll kReadOnlyScroll{60, 5100, 100, 400};
constexpr TwipsScroll kEditScroll{60, 4100, 100, 400};

// A panel: a viewport, its content area (as tall as the viewport plus what the
// scroll range moves it) and its scroll bar.
QWidget *makeScrolledPanel(QWidget *window, const char *panel, const char *content, const char *bar,
                           const TwipsScroll &scroll, QWidget **contentOut)
{
    QFrame *viewport = look::makePanel(window, QLatin1String(panel), kPanelRect);
    auto *area = new QWidget(viewport);
    area->setObjectName(QLatin1String(content));
    area->setGeometry(0, 0, viewport->width() - kScrollBarWidth,
                      viewport->height() - contentTopPixels(scroll, scroll.maximum));
    auto *scrollBar = new QScrollBar(Qt::Vertical, viewport);
    scrollBar->setObjectName(QLatin1String(bar));
    look::styleScrollBar(scrollBar);
    scrollBar->setGeometry(viewport->width() - kScrollBarWidth - 2, 8, kScrollBarWidth, viewport->height() - 16);
    *contentOut = area;
    return viewport;
}

} // namespace

void frmLogs::buildReadOnlyPanel()
{
    QWidget *content = nullptr;
    QWidget *panel = makeScrolledPanel(this, "Picture3", "Picture4", "VScroll2", kReadOnlyScroll, &content);
    const kit::LabelDecl labels[] = {
        {"Label42", "Date Fished:", "Date"},
        {"Label43", "Lake / River:", "Lake"},
        {"Label44", "Marina / Ramp:", "Ramp"},
        {"Label45", "Number Fish Caught:", "Total Fish"},
        {"Label46", "Primary Fish:", "Fish Caught"},
        {"Label47", "Best Lure/Bait:", "Best Lure"},
        {"Label48", "Weather:", "Weather"},
        {"Label49", "Wind Direction:", "Wind Direction"},
        {"Label50", "Wind Speed:", "Wind Speed"},
        {"Label51", "Air Temperature:", "Air Temp"},
        {"Label52", "Water Temperature:", "Water Temp"},
        {"Label53", "Water Color:", "Water Color"},
        {"Label54", "Structure:", "Structure"},
        {"Label55", "Best Depth:", "Best Depth"},
        {"Label56", "Lure Color:", "Lure Color"},
        {"Label57", "Location Fished:", "Location"},
        {"Label58", "Moon Phase:", "Moon Phase"},
    };
    // Three groups of six, five and six rows, each under its heading.
    const struct
    {
        int first, count;
        const char *text;
        QString picture;
    } groups[] = {{0, 6, "Trip Information", art::tripHeading()},
                  {6, 6, "Weather Conditions", art::weatherHeading()},
                  {12, 5, "Fishing Conditions", art::conditionsHeading()}};
    int y = 8;
    for (const auto &g : groups) {
        look::makeHeading(content, QLatin1String(g.text), g.picture, y, content->width());
        kit::FormGeometry rows{y + 38, 28, 14, 150, 26, 8, 8};
        kit::addLabels(*m_cycle, content, std::span(labels).subspan(g.first, g.count), &rows);
        y += 38 + g.count * 28 + 6;
    }
    Label42 = content->findChild<QLabel *>(QStringLiteral("Label42"));
    const kit::FieldDecl remarks[] = {{"Text12", "Remarks:", "Notes", FieldKind::MultiLine}};
    kit::FormGeometry remarksRow{y - 6, 28, 14, 148, 24, 14, 8};
    auto *Text12 = static_cast<QPlainTextEdit *>(kit::addFields(*m_cycle, content, remarks, &remarksRow).first());
    // Always locked: it reads like the locked fields of the other screens.
    FieldLock::setLocked(Text12, true);
    attachTwipsScroll(panel->findChild<QScrollBar *>(), panel, content, kReadOnlyScroll);
    m_cycle->configure().readOnlyPanel = panel;
}

void frmLogs::buildEditPanel()
{
    QWidget *content = nullptr;
    QWidget *panel = makeScrolledPanel(this, "Picture1", "Picture2", "VScroll1", kEditScroll, &content);
    QLabel *Label59 = look::makeEditModeLabel(content, QStringLiteral("Label59"), QStringLiteral(" Edit Mode "));
    Label59->setGeometry(14, 8, 96, 22);

    // The lists keep the order given: they are suggestions, and any text can be typed.
    using K = FieldKind;
    const kit::FieldDecl fields[] = {
        {"DTPicker1", "Date Fished:", "Date", K::Date},
        {"DBCombo1", "Lake / River:", "Lake", K::Lookup, {}, "Lakes", "Lakes"},
        {"DBCombo2", "Marina / Launch Area:", "Ramp", K::Lookup, {}, "Ramps", "Ramps"},
        {"Combo9", "Number Fish Caught:", "Total Fish", K::ValueList},
        {"DBCombo3", "Fish Caught:", "Fish Caught", K::Lookup, {}, "Fish", "Fish"},
        {"DBCombo4", "Best Lure/Bait:", "Best Lure", K::Lookup, {}, "Lures", "Lure"},
        {"Combo10", "Best Lure Color:", "Lure Color", K::ValueList},
        {"Combo1", "Weather:", "Weather", K::ValueList},
        {"Combo2", "Wind Direction:", "Wind Direction", K::ValueList},
        {"Combo3", "Wind Speed:", "Wind Speed", K::ValueList},
        {"Combo4", "Air Temperature:", "Air Temp", K::ValueList},
        {"Combo5", "Water Temperature:", "Water Temp", K::ValueList},
        {"Combo6", "Water Color:", "Water Color", K::ValueList},
        {"Combo7", "Structure:", "Structure", K::ValueList},
        {"Combo8", "Best Depth:", "Best Depth", K::ValueList},
        {"Combo12", "Area Fished:", "Location", K::ValueList},
        {"Combo11", "Moon Phase:", "Moon Phase", K::ValueList},
        {"Text9", "Remarks:", "Notes", K::MultiLine},
    };
    const kit::FormGeometry rows{40, 30, 12, 156, 24, 12, 8};
    const QList<QWidget *> made = kit::addFields(*m_cycle, content, fields, &rows);
    auto *DTPicker1 = static_cast<DateField *>(made[0]);
    Combo9 = static_cast<QComboBox *>(made[3]);
    // Number Fish Caught takes digits, "." and "/" (character codes 46 to 57) from the keyboard.
    kit::allowOnlyKeys(Combo9, QStringLiteral("./0123456789"), QStringLiteral("Please enter numbers only."));
    attachTwipsScroll(panel->findChild<QScrollBar *>(), panel, content, kEditScroll);
    panel->hide();

    ScreenParams &p = m_cycle->configure();
    p.editPanel = panel;
    p.requiredField = made[1];
    p.focusOnNew = DTPicker1;
    p.focusOnEdit = made[1];
    p.defaultsOfNew = [DTPicker1] { DTPicker1->setChosenDate(platform().today()); };
}

} // namespace tf
