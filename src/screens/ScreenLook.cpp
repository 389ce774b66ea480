#include "screens/ScreenLook.h"

#include "shell/WindowChrome.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <limits>

namespace tf::look {

namespace {

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(g, QPalette::WindowText, colour);
    w->setPalette(pal);
}

void setPointSize(QWidget *w, int size, bool bold)
{
    QFont f = w->font();
    f.setPointSize(size);
    f.setBold(bold);
    w->setFont(f);
}

} // namespace

void styleScrollBar(QScrollBar *bar)
{
    bar->setStyleSheet(scrollBarRules(QStringLiteral("QScrollBar")));
}

void styleCountCaption(QLabel *label)
{
    setPointSize(label, 16, true);
    setTextColour(label, QColor(245, 240, 225));
}

QFrame *makePanel(QWidget *parent, const QString &objectName, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(objectName);
    panel->setGeometry(geometry);
    panel->setStyleSheet(QStringLiteral("QFrame#%1 { background: rgba(8, 22, 40, 210);"
                                        " border: 1px solid rgba(200, 225, 255, 150); border-radius: 9px; }")
                             .arg(objectName));
    return panel;
}

QLabel *makeCaption(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    setPointSize(label, 9, true);
    setTextColour(label, QColor(170, 200, 232));
    return label;
}

QLabel *makeValue(QWidget *parent, const QString &objectName)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    setPointSize(label, 10, false);
    setTextColour(label, Qt::white);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *makeHeading(QWidget *parent, const QString &text, const QString &picture, int y, int width)
{
    auto *image = new QLabel(parent);
    image->setPixmap(QPixmap(picture));
    image->setGeometry(8, y, 32, 32);
    auto *heading = new QLabel(text, parent);
    setPointSize(heading, 12, true);
    setTextColour(heading, QColor(240, 214, 140));
    heading->setGeometry(48, y + 4, width - 56, 24);
    // A hairline under the heading sets the group off from the one above.
    auto *rule = new QFrame(parent);
    rule->setGeometry(48, y + 30, width - 60, 1);
    rule->setStyleSheet(QStringLiteral("background: rgba(240, 214, 140, 110);"));
    return heading;
}

QLabel *makeEditModeLabel(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel { color: rgb(30, 20, 0); background: rgb(245, 205, 90);"
                                        " border-radius: 5px; font-weight: bold; padding: 1px 6px; }"));
    return label;
}

QComboBox *makeList(QWidget *parent, const QString &objectName, const QStringList &items)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(objectName);
    list->setEditable(true);
    // What is typed is stored, not made an item of the list.
    list->setInsertPolicy(QComboBox::NoInsert);
    // The toolkit cuts a line of text at 32,767 characters; the file has no such limit.
    list->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    list->setMaxVisibleItems(12);
    list->addItems(items);
    list->setCurrentIndex(-1);
    // Suggest matching items without silently completing what the user types.
    if (QCompleter *completer = list->completer()) {
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return list;
}

void styleGrid(QTableView *grid)
{
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->setStyleSheet(
        QLatin1String(
            "QTableView { background: rgba(250, 252, 255, 240); alternate-background-color: rgb(230, 238, 247);"
            " gridline-color: rgb(195, 205, 220); color: rgb(20, 30, 45);"
            " selection-background-color: rgb(38, 88, 138); selection-color: white;"
            " border: 1px solid rgba(200, 225, 255, 150); }"
            "QTableView:disabled { color: rgb(120, 128, 140); selection-background-color: rgb(120, 140, 160); }"
            "QHeaderView::section { background: rgb(30, 70, 110); color: white; font-weight: bold;"
            " padding: 3px; border: 0; border-right: 1px solid rgb(70, 110, 150); }") +
        scrollBarRules(QStringLiteral("QTableView QScrollBar")));
}

void fitColumnsToHeadings(QTableView *grid)
{
    QHeaderView *header = grid->horizontalHeader();
    // The headings' measure comes from the grid's style rules (bold, padded).
    header->ensurePolished();
    for (int i = 0; i + 1 < header->count(); ++i)
        header->resizeSection(i, qMax(header->sectionSize(i), header->sectionSizeHint(i)));
}

void rowOfButtons(QGroupBox *bar, const QList<QAbstractButton *> &buttons)
{
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 2, 8, 0);
    row->setSpacing(6);
    for (QAbstractButton *b : buttons)
        row->addWidget(b);
    // Captions keep their leading blanks; narrow side padding lets three fit a bar.
    bar->setStyleSheet(bar->styleSheet() + QStringLiteral("QGroupBox QPushButton { padding: 3px 4px; }"));
}

void saveBarLayout(QGroupBox *bar, QAbstractButton *save, QAbstractButton *cancel, QLabel *note)
{
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 2, 8, 0);
    row->setSpacing(6);
    row->addWidget(save);
    row->addWidget(cancel);
    note->setWordWrap(true);
    setTextColour(note, QColor(245, 240, 225));
    row->addWidget(note, 1);
}

} // namespace tf::look
