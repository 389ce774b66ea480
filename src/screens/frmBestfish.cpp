#include "screens/frmBestfish.h"

#include "data/DataSource.h"
#include "platform/Platform.h"
#include "screens/PictureLoader.h"
#include "screens/RecordCycle.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/Bar.h"
#include "shell/WindowChrome.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace tf {

namespace {

using kit::FieldKind;

const QString kPictureColumn = QStringLiteral("BFPicture");
// Where the picture area begins inside its frame.
constexpr QPoint kPictureOrigin(4, 4);

// Where things sit on the 763 × 564 window, inside the painted frame.
constexpr QRect kGridRect(26, 56, 714, 170);
constexpr QRect kFieldsRect(26, 232, 714, 232);
constexpr QRect kMenuRect(26, 468, 714, 64);

} // namespace

frmBestfish::frmBestfish(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBestfish"));
    m_chrome = new WindowChrome(this);

    auto *Label10 = new QLabel(QStringLiteral("Best Fish"), this);
    Label10->setObjectName(QStringLiteral("Label10"));
    look::styleCountCaption(Label10);
    Label10->setGeometry(28, 18, 330, 32);

    Label9 = look::makeEditModeLabel(this, QStringLiteral("Label9"),
                                     QStringLiteral("  Click Save or Cancel when finished.  "));
    Label9->adjustSize();
    Label9->move(380, 26);
    Label9->hide();

    auto *DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(kGridRect);
    look::styleGrid(DBGrid1);

    buildMenu();

    ScreenParams p;
    p.window = this;
    p.recordSource = QStringLiteral("Bestfish");
    p.title = QStringLiteral("The best fish");
    p.requiredMessage = QStringLiteral("Please enter a Fish Caught or click Cancel.");
    p.countLabel = Label10;
    p.countText = QStringLiteral(" Best Fish are saved.");
    p.recordNoun = QStringLiteral("Best Fish");
    p.deleteSubject = [this] { return Text1->text() + QStringLiteral(" ?"); };
    p.deleteTitle = QStringLiteral("Delete Best Fish");
    p.reportFile = QStringLiteral("Bestfish.rpt");
    const auto button = [this](const char *name) { return kit::button(this, name); };
    p.newButton = button("cmdNew");
    p.editButton = button("cmdEdit");
    p.deleteButton = button("cmdDelete");
    p.printButton = button("cmdPrint");
    p.saveButton = button("cmdSave");
    p.cancelButton = button("cmdCancel");
    // No bars are swapped: the buttons of the one menu are switched on and off.
    p.exitButton = m_chrome->exitButton();
    p.minimizeButton = m_chrome->minimizeButton();
    p.grid = DBGrid1;
    p.gridColumns = {{QStringLiteral("Date"), QStringLiteral("Date")},
                     {QStringLiteral("Fish"), QStringLiteral("Fish")},
                     {QStringLiteral("Lake / River"), QStringLiteral("Location")}};
    p.gridAcceptsTyping = true;
    p.readOnly = ReadOnlyMeans::LockTextBoxes;
    p.editModeLabel = Label9;
    CycleHooks hooks;
    hooks.layoutChanged = [this](bool editing) { setEditingButtons(editing); };
    hooks.rowShown = [this] { rowShown(); };
    // The picture first; when it cannot be shown, its warning ends the
    // activation and the count waits for the next one.
    hooks.activated = [this] {
        m_activatedOnce = true;
        m_refreshQueued = false;
        if (refreshPicture())
            m_cycle->recount();
    };
    hooks.afterDelete = AfterDelete::NextElsePrevious;
    m_cycle = new RecordCycle(p, hooks);
    DBGrid1->setColumnWidth(0, 110);
    DBGrid1->setColumnWidth(1, 260);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);

    // The picture follows the row the data source moves to, and the grid's
    // current cell (another column of the same row too).
    connect(m_cycle->source(), &DataSource::currentChanged, this, &frmBestfish::refreshSoon);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentColumnChanged, this, &frmBestfish::refreshSoon);

    buildFields();
}

void frmBestfish::buildMenu()
{
    const kit::ButtonDecl menu[] = {
        {"cmdNew", "&New", " Add a new Best Fish "},
        {"cmdEdit", "&Edit", " Edit this Best Fish "},
        {"cmdDelete", "&Delete", " Delete this Best Fish "},
        {"cmdPrint", "&Print", " Show Print Preview "},
        {"cmdPicture", "P&icture", " Select a picture for this Best Fish ", [this] { choosePicture(); }},
        {"cmdSave", "&Save", " Save the information "},
        {"cmdCancel", "&Cancel", " Don't save the changes "},
    };
    kit::makeButtonBar(this, "jcFrames2", QStringLiteral("Menu"), menu)->setGeometry(kMenuRect);
}

void frmBestfish::buildFields()
{
    QGroupBox *jcFrames1 = makeBar(this, QStringLiteral("jcFrames1"), QStringLiteral("Best Fish"));
    jcFrames1->setGeometry(kFieldsRect);
    // Two columns of fields, then the photograph.
    QWidget *left = look::makePanel(jcFrames1, QStringLiteral("Picture2"), QRect(8, 26, 218, 196));
    QWidget *right = look::makePanel(jcFrames1, QStringLiteral("Picture3"), QRect(232, 26, 218, 196));
    const kit::FieldDecl first[] = {
        {"Text1", "Fish Caught:", "Fish"}, {"Text2", "Date Caught:", "Date"}, {"Text3", "Weight:", "Weight"},
        {"Text4", "Length:", "Length"},    {"Text5", "Girth:", "Girth"},
    };
    const kit::FieldDecl second[] = {
        {"Text6", "Lure Used:", "Lure"},
        {"Text7", "Lake / River:", "Location"},
        {"Text8", "Remarks:", "About", FieldKind::MultiLine},
    };
    const kit::FormGeometry rows{8, 36, 8, 90, 26, 8, 8};
    Text1 = static_cast<QLineEdit *>(kit::addFields(*m_cycle, left, first, &rows).first());
    kit::addFields(*m_cycle, right, second, &rows);
    // The path of the photograph: never typed into, written by the Picture command.
    auto *Text9 = new QLineEdit(jcFrames1);
    Text9->setObjectName(QStringLiteral("Text9"));
    Text9->hide();
    m_cycle->bind(Text9, kPictureColumn);

    auto *frame =
        look::makePanel(jcFrames1, QStringLiteral("Picture1"), QRect(QPoint(460, 26), kPictureSize + QSize(8, 8)));
    Image1 = new PictureArea(frame);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(QRect(kPictureOrigin, kPictureSize));
    Label11 = look::makeCaption(frame, QStringLiteral("No Picture Selected"));
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->adjustSize();
    Label11->move((frame->width() - Label11->width()) / 2, (frame->height() - Label11->height()) / 2);
    Label11->hide();

    ScreenParams &p = m_cycle->configure();
    p.requiredField = Text1;
    p.focusOnNew = Text1;
    p.focusOnEdit = Text1;
}

bool frmBestfish::load()
{
    m_cycle->open();
    return true;
}

void frmBestfish::setEditingButtons(bool editing)
{
    for (const char *name : {"cmdNew", "cmdEdit", "cmdDelete", "cmdPrint", "cmdPicture"})
        kit::button(this, name)->setEnabled(!editing);
    for (const char *name : {"cmdSave", "cmdCancel"})
        kit::button(this, name)->setEnabled(editing);
    if (editing)
        return;
    // Back to browsing (Save, Cancel): the fish's picture again, the focus on its name.
    refreshSoon();
    if (isVisible())
        Text1->setFocus(Qt::OtherFocusReason);
}

void frmBestfish::rowShown()
{
    // A new fish has no photograph yet; the label is left as it was.
    if (m_cycle->state() == CycleState::Adding)
        Image1->clear();
}

// One refresh once the command that moved the row has finished, so a Delete that
// steps past the end and back, or a Save that moves to the saved row, shows (or
// warns about) only the row it ends on.
void frmBestfish::refreshSoon()
{
    if (!m_activatedOnce || m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        if (!m_refreshQueued)
            return;
        m_refreshQueued = false;
        if (m_cycle->state() == CycleState::Browse)
            refreshPicture();
    });
}

bool frmBestfish::refreshPicture()
{
    const QString path = m_cycle->source()->value(kPictureColumn).toString();
    if (path.isEmpty()) {
        Image1->clear();
        Label11->show();
        return true;
    }
    QImage image = PictureLoader::readFitted(path, kPictureSize, true);
    if (image.isNull()) {
        // Never another fish's photograph beside this fish: the area is emptied
        // before the warning, whose answer the user gives while looking at it.
        Image1->clear();
        Label11->show();
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("Picture not available."));
        return false;
    }
    showPhotograph(std::move(image));
    Label11->hide();
    return true;
}

// Whole and in its proportions, in the middle of the picture area.
void frmBestfish::showPhotograph(QImage image)
{
    QRect where(QPoint(0, 0), image.size());
    where.moveCenter(QRect(kPictureOrigin, kPictureSize).center());
    Image1->setGeometry(where);
    Image1->setImage(std::move(image));
}

// Attaches a photograph to the current fish and stores it at once; a chooser
// cancelled or a file that is no picture changes nothing and says nothing.
void frmBestfish::choosePicture()
{
    DataSource *source = m_cycle->source();
    if (m_cycle->state() != CycleState::Browse || !source->hasCurrent())
        return;
    const std::optional<QString> chosen = PictureLoader::askForFile(this);
    if (!chosen)
        return;
    QImage image = PictureLoader::readFitted(*chosen, kPictureSize, true);
    if (image.isNull())
        return;
    if (!source->edit() || !source->setValue(kPictureColumn, *chosen) || !source->update()) {
        const QString error = source->errorText();
        source->cancelUpdate();
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The picture could not be kept for this Best Fish:\n%1").arg(error));
        return;
    }
    showPhotograph(std::move(image));
    Label11->hide();
}

} // namespace tf
