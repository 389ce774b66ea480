#include "search/frmSearch.h"

#include "data/Schema.h"
#include "platform/Platform.h"
#include "search/TripLines.h"
#include "shell/WindowChrome.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>
#include <numeric>

namespace tf {

namespace {

// The record set: every trip that has a date, in the order the trips were entered.
const QString kRecordSource = QStringLiteral("SELECT * FROM Log WHERE Date");

struct SearchButton
{
    const char *name;
    const char *caption;
    // The criterion is this, the search text as typed, then "*'".
    const char *criterionPrefix;
};

constexpr SearchButton kButtons[] = {
    {"Command1", "Remarks", "Notes LIKE '*"},           {"Command2", "Lakes or Rivers", "Lake LIKE '*"},
    {"Command3", "Lures", "[Best Lure] LIKE '*"},       {"Command4", "Notebook", "Notebook LIKE '*"},
    {"Command5", "Lure Color", "[Lure Color] LIKE '*"}, {"Command6", "Water Temperature", "[Water Temp] LIKE '*"},
    {"Command7", "Weather", "Weather LIKE '*"},         {"Command8", "Structure", "Structure LIKE '*"},
    {"Command9", "Depth", "[Best Depth] LIKE '*"},      {"Command10", "Location", "Location LIKE '*"},
};

const QString kSearchErrorTitle = QStringLiteral("Search Error");
// Apostrophes and punctuation are searched for as typed; only a set of letters
// in brackets can be written wrongly.
const QString kSearchErrorText =
    QStringLiteral("A [ in the search text starts a set of letters that must end with ], such as [a-z]; a range runs "
                   "from low to high.\nTo search for a [ itself, type [[].");

} // namespace

frmSearch::frmSearch(QWidget *parent) : QWidget(parent), m_lines(new TripLines(&m_trips, this))
{
    setObjectName(QStringLiteral("frmSearch"));

    Label1 = new QLabel(QStringLiteral("Search for:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    // No length limit: whatever is typed or pasted is searched for whole.
    Text1->setMaxLength(std::numeric_limits<int>::max());
    Label1->setBuddy(Text1);

    Label3 = new QLabel(QStringLiteral("Search in:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    auto *buttons = new QGridLayout;
    constexpr int kColumns = 5;
    for (int i = 0; i < kSearchButtons; ++i) {
        auto *b = new QPushButton(QString::fromLatin1(kButtons[i].caption), this);
        b->setObjectName(QLatin1String(kButtons[i].name));
        // Enter on a button that has the focus runs it, as Space does.
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, i] { search(i); });
        buttons->addWidget(b, i / kColumns, i % kColumns);
        m_searchButtons[size_t(i)] = b;
    }
    for (int c = 0; c < kColumns; ++c)
        buttons->setColumnStretch(c, 1);

    Label2 = new QLabel(QStringLiteral("Fishing Logs that contain the search word."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    List1 = new QListView(this);
    List1->setObjectName(QStringLiteral("List1"));
    // Lines are made as they come into view; every line is one text row.
    List1->setUniformItemSizes(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setModel(m_lines);
    Label2->setBuddy(List1);

    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(true);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto *searchFor = new QHBoxLayout;
    searchFor->addWidget(Label1);
    searchFor->addWidget(Text1, 1);
    auto *exitRow = new QHBoxLayout;
    exitRow->addStretch();
    exitRow->addWidget(cmdExit);

    // The list takes whatever room the window gains; the rest keeps its height.
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchFor);
    layout->addSpacing(6);
    layout->addWidget(Label3);
    layout->addLayout(buttons);
    layout->addSpacing(6);
    layout->addWidget(Label2);
    layout->addWidget(List1, 1);
    layout->addLayout(exitRow);

    resize(640, 480);
    applyProgramLook(this);
    setOrdinaryFrame(this);
}

bool frmSearch::load()
{
    WaitPointer wait;
    const QString path = programDatabasePath();
    // A log whose first trip cannot be read is damaged where every line would
    // come from: the window does not open on a list of nothing.
    const bool opened = m_trips.open(path, kRecordSource);
    if (!opened || !m_trips.readError().isEmpty()) {
        const QString why = opened ? m_trips.readError() : m_trips.errorText();
        m_trips.close();
        wait.end();
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("The fishing logs cannot be searched now.\n") + databaseProblemText(path, why));
        return false;
    }
    // Damage further into the file shows when its lines come into view or a
    // search reads them.
    connect(&m_trips, &DataSource::readFailed, this, [this](const QString &error) {
        if (!m_readProblemShown)
            reportReadProblem(error);
    });
    std::vector<int> rows(size_t(m_trips.recordCount()));
    std::iota(rows.begin(), rows.end(), 0);
    m_lines->setRows(std::move(rows));
    return true;
}

void frmSearch::search(int index)
{
    m_lines->clear();
    // The search text goes into the criterion as typed: its wildcards keep their
    // meaning, and a set that cannot be read ("[") is answered below. An
    // apostrophe is doubled, so "Dad's" is searched for as written; the criterion
    // is only ever matched, never run as SQL, so no text can do more.
    QString text = Text1->text();
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    const QString criterion = QLatin1String(kButtons[index].criterionPrefix) + text + QStringLiteral("*'");
    std::vector<int> rows;
    bool ok = m_trips.findFirst(criterion);
    while (ok && !m_trips.noMatch()) {
        rows.push_back(m_trips.currentRow());
        ok = m_trips.findNext(criterion);
    }
    m_lines->setRows(std::move(rows));
    if (!ok) {
        // A file that cannot be read is not the user's typing: say what is wrong
        // with the file, every time a search runs into it.
        if (!m_trips.readError().isEmpty() && m_trips.errorText() == m_trips.readError())
            reportReadProblem(m_trips.errorText());
        else
            showMessage(this, MessageIcon::Exclamation, kSearchErrorText, kSearchErrorTitle);
        Text1->setFocus();
    }
}

void frmSearch::reportReadProblem(const QString &error)
{
    m_readProblemShown = true;
    showMessage(this, MessageIcon::Exclamation, databaseProblemText(m_trips.databasePath(), error));
}

void frmSearch::closeEvent(QCloseEvent *event)
{
    m_trips.close();
    event->accept();
}

} // namespace tf
