// The two panels of the fishing log: the read-only panel of labels shown while
// browsing, and the editing panel of input fields shown while a trip is added
// or changed. Both are viewports of one size over a taller content area with
// their own scroll bar.

#include "screens/ScreenLook.h"
#include "screens/TwipsScroll.h"
#include "screens/frmLogs.h"
#include "shell/Art.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace tf {

namespace {

// Both viewports, scroll bar included, on the window's right side.
constexpr QRect kPanelRect(388, 52, 352, 484);
constexpr int kScrollBarWidth = 16;
constexpr TwipsScroll kReadOnlyScroll{60, 5100, 100, 400};
constexpr TwipsScroll kEditScroll{60, 4100, 100, 400};

// Captions and value lists of the editing panel, top to bottom.
const QStringList kLureColors{"Red", "Blue", "Brown", "Green", "Black", "White", "Yellow", "Shad", "Purple"};
const QStringList kWeather{"Sunny", "Partly Cloudy", "Overcast", "Rain", "Fog", "Freezing Rain", "Snow"};
const QStringList kWindDirections{"North", "Northeast", "East", "Southeast", "South", "Southwest", "West", "Northwest"};
const QStringList kWindSpeeds{"Calm", "Light", "Moderate", "Strong", "Gusty"};
const QStringList kAirTemps{"'Teens", "20's", "30's", "40's", "50's", "60's", "70's", "80's", "90's"};
const QStringList kWaterTemps{"30's", "40's", "50's", "60's", "70's", "80's", "90's"};
const QStringList kWaterColors{"Clear", "Stained", "Muddy"};
const QStringList kStructures{"Banks",  "Brush Piles", "Docks", "Coves", "Points",   "Submerged Trees",
                              "Stumps", "Logs",        "Rocks", "Weeds", "Lily Pads"};
const QStringList kDepths{"Top Water", "Shallow", "Medium", "Deep"};
const QStringList kAreas{"Upper Lake", "Middle Lake", "Lower Lake", "Upper River", "Middle River", "Lower River"};
const QStringList kMoonPhases{"Full Moon", "Half Moon", "Quarter Moon", "Dark Moon"};

// The content area: as tall as the viewport plus what the scroll range moves it.
QWidget *makeContent(QFrame *viewport, const QString &objectName, const TwipsScroll &scroll)
{
    auto *content = new QWidget(viewport);
    content->setObjectName(objectName);
    const int height = viewport->height() - contentTopPixels(scroll, scroll.maximum);
    content->setGeometry(0, 0, viewport->width() - kScrollBarWidth, height);
    return content;
}

QScrollBar *makeScrollBar(QFrame *viewport, const QString &objectName)
{
    auto *bar = new QScrollBar(Qt::Vertical, viewport);
    bar->setObjectName(objectName);
    bar->setGeometry(viewport->width() - kScrollBarWidth - 2, 8, kScrollBarWidth, viewport->height() - 16);
    return bar;
}

QPlainTextEdit *makeRemarks(QWidget *content, const QString &objectName, int top)
{
    auto *text = new QPlainTextEdit(content);
    text->setObjectName(objectName);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setGeometry(14, top, content->width() - 28, content->height() - top - 8);
    return text;
}

} // namespace

void frmLogs::buildReadOnlyPanel()
{
    auto *panel = look::makePanel(this, QStringLiteral("Picture3"), kPanelRect);
    Picture3 = panel;
    Picture4 = makeContent(panel, QStringLiteral("Picture4"), kReadOnlyScroll);
    VScroll2 = makeScrollBar(panel, QStringLiteral("VScroll2"));

    const struct
    {
        const char *caption;
        const char *label;
        const char *column;
    } rows[] = {
        {"Date Fished:", "Label42", "Date"},
        {"Lake / River:", "Label43", "Lake"},
        {"Marina / Ramp:", "Label44", "Ramp"},
        {"Number Fish Caught:", "Label45", "Total Fish"},
        {"Primary Fish:", "Label46", "Fish Caught"},
        {"Best Lure/Bait:", "Label47", "Best Lure"},
        {"Weather:", "Label48", "Weather"},
        {"Wind Direction:", "Label49", "Wind Direction"},
        {"Wind Speed:", "Label50", "Wind Speed"},
        {"Air Temperature:", "Label51", "Air Temp"},
        {"Water Temperature:", "Label52", "Water Temp"},
        {"Water Color:", "Label53", "Water Color"},
        {"Structure:", "Label54", "Structure"},
        {"Best Depth:", "Label55", "Best Depth"},
        {"Lure Color:", "Label56", "Lure Color"},
        {"Location Fished:", "Label57", "Location"},
        {"Moon Phase:", "Label58", "Moon Phase"},
    };
    // Headings before the first, seventh and thirteenth row.
    const struct
    {
        int beforeRow;
        const char *text;
        QString picture;
    } headings[] = {{0, "Trip Information", art::tripHeading()},
                    {6, "Weather Conditions", art::weatherHeading()},
                    {12, "Fishing Conditions", art::conditionsHeading()}};

    const int width = Picture4->width();
    int y = 8;
    int next = 0;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        if (next < int(std::size(headings)) && headings[next].beforeRow == i) {
            if (i > 0)
                y += 6;
            look::makeHeading(Picture4, QLatin1String(headings[next].text), headings[next].picture, y, width);
            y += 38;
            ++next;
        }
        look::makeCaption(Picture4, QLatin1String(rows[i].caption))->setGeometry(14, y, 148, 26);
        QLabel *value = look::makeValue(Picture4, QLatin1String(rows[i].label));
        value->setGeometry(164, y, width - 172, 26);
        m_fields.append({value, QLatin1String(rows[i].column)});
        if (i == 0)
            Label42 = value;
        y += 28;
    }
    look::makeCaption(Picture4, QStringLiteral("Remarks:"))->setGeometry(14, y + 4, 148, 22);
    Text12 = makeRemarks(Picture4, QStringLiteral("Text12"), y + 28);
    Text12->setReadOnly(true);
    look::styleReadOnlyText(Text12);
    m_fields.append({Text12, QStringLiteral("Notes")});

    attachTwipsScroll(VScroll2, Picture3, Picture4, kReadOnlyScroll);
}

QWidget *frmLogs::addEditField(QWidget *content, int row, const QString &caption, QWidget *field, const QString &column)
{
    const int y = 40 + row * 30;
    look::makeCaption(content, caption)->setGeometry(12, y, 156, 24);
    field->setGeometry(168, y, content->width() - 180, 24);
    m_fields.append({field, column});
    return field;
}

void frmLogs::buildEditPanel()
{
    auto *panel = look::makePanel(this, QStringLiteral("Picture1"), kPanelRect);
    Picture1 = panel;
    Picture2 = makeContent(panel, QStringLiteral("Picture2"), kEditScroll);
    VScroll1 = makeScrollBar(panel, QStringLiteral("VScroll1"));

    Label59 = look::makeEditModeLabel(Picture2, QStringLiteral("Label59"), QStringLiteral(" Edit Mode "));
    Label59->setGeometry(14, 8, 96, 22);

    DTPicker1 = new QDateEdit(Picture2);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setCalendarPopup(true);
    // The earliest date stands for "no date": it shows as a blank and is never written.
    DTPicker1->setMinimumDate(QDate(1753, 1, 1));
    DTPicker1->setSpecialValueText(QStringLiteral(" "));
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    DTPicker1->setDisplayFormat(format);
    DBCombo1 = look::makeList(Picture2, QStringLiteral("DBCombo1"));
    DBCombo2 = look::makeList(Picture2, QStringLiteral("DBCombo2"));
    QStringList counts;
    for (int i = 0; i <= 10; ++i)
        counts << QString::number(i);
    Combo9 = look::makeList(Picture2, QStringLiteral("Combo9"), counts);
    // Keys typed while a completer's popup is open would reach the field without
    // passing the number filter; eleven counts need no completion anyway.
    Combo9->setCompleter(nullptr);
    Combo9->installEventFilter(this);
    Combo9->lineEdit()->installEventFilter(this);
    DBCombo3 = look::makeList(Picture2, QStringLiteral("DBCombo3"));
    DBCombo4 = look::makeList(Picture2, QStringLiteral("DBCombo4"));

    const struct
    {
        const char *caption;
        QWidget *field;
        const char *column;
    } fields[] = {
        {"Date Fished:", DTPicker1, "Date"},
        {"Lake / River:", DBCombo1, "Lake"},
        {"Marina / Launch Area:", DBCombo2, "Ramp"},
        {"Number Fish Caught:", Combo9, "Total Fish"},
        {"Fish Caught:", DBCombo3, "Fish Caught"},
        {"Best Lure/Bait:", DBCombo4, "Best Lure"},
        {"Best Lure Color:", look::makeList(Picture2, QStringLiteral("Combo10"), kLureColors), "Lure Color"},
        {"Weather:", look::makeList(Picture2, QStringLiteral("Combo1"), kWeather), "Weather"},
        {"Wind Direction:", look::makeList(Picture2, QStringLiteral("Combo2"), kWindDirections), "Wind Direction"},
        {"Wind Speed:", look::makeList(Picture2, QStringLiteral("Combo3"), kWindSpeeds), "Wind Speed"},
        {"Air Temperature:", look::makeList(Picture2, QStringLiteral("Combo4"), kAirTemps), "Air Temp"},
        {"Water Temperature:", look::makeList(Picture2, QStringLiteral("Combo5"), kWaterTemps), "Water Temp"},
        {"Water Color:", look::makeList(Picture2, QStringLiteral("Combo6"), kWaterColors), "Water Color"},
        {"Structure:", look::makeList(Picture2, QStringLiteral("Combo7"), kStructures), "Structure"},
        {"Best Depth:", look::makeList(Picture2, QStringLiteral("Combo8"), kDepths), "Best Depth"},
        {"Area Fished:", look::makeList(Picture2, QStringLiteral("Combo12"), kAreas), "Location"},
        {"Moon Phase:", look::makeList(Picture2, QStringLiteral("Combo11"), kMoonPhases), "Moon Phase"},
    };
    QWidget *previous = nullptr;
    for (int i = 0; i < int(std::size(fields)); ++i) {
        addEditField(Picture2, i, QLatin1String(fields[i].caption), fields[i].field, QLatin1String(fields[i].column));
        if (previous)
            setTabOrder(previous, fields[i].field);
        previous = fields[i].field;
    }
    const int remarksTop = 40 + int(std::size(fields)) * 30;
    look::makeCaption(Picture2, QStringLiteral("Remarks:"))->setGeometry(12, remarksTop + 4, 156, 22);
    Text9 = makeRemarks(Picture2, QStringLiteral("Text9"), remarksTop + 28);
    Text9->setTabChangesFocus(true);
    setTabOrder(previous, Text9);
    m_fields.append({Text9, QStringLiteral("Notes")});

    attachTwipsScroll(VScroll1, Picture1, Picture2, kEditScroll);
    Picture1->hide();
}

} // namespace tf
