#include "screens/frmPicture.h"

#include "data/DataSource.h"
#include "data/GridModel.h"
#include "data/RecordSources.h"
#include "data/Schema.h"
#include "platform/Platform.h"
#include "screens/ActivationWatch.h"
#include "screens/FieldLock.h"
#include "screens/PictureLoader.h"
#include "screens/ScreenKit.h"
#include "screens/ScreenLook.h"
#include "shell/DatabaseNotice.h"
#include "shell/WindowChrome.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace tf {

namespace {

const QString kPictureColumn = QStringLiteral("Picture");
const QString kPleaseSelect = QStringLiteral("Please select a Picture");
// The frame the picture area sits in and is clipped by (7710 × 5805 twips).
constexpr QSize kFrameSize(514, 387);
constexpr double kTwipsPerPixel = 15.0;

QPushButton *addButton(QGroupBox *group, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, group);
    b->setObjectName(QLatin1String(name));
    group->layout()->addWidget(b);
    return b;
}

QGroupBox *makeGroup(QWidget *parent, const char *name, const QString &caption, QLayout *layout)
{
    auto *group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    group->setLayout(layout);
    return group;
}

} // namespace

QSize frmPicture::zoomedSize(const QSize &natural, double factor)
{
    // The picture's size in hundredths of a millimetre at 96 pixels per inch,
    // as a whole number, times the factor, read as twips.
    const auto side = [factor](int pixels) {
        const double himetric = std::round(pixels * 2540.0 / 96.0);
        return int(std::lround(himetric * factor / kTwipsPerPixel));
    };
    return {side(natural.width()), side(natural.height())};
}

frmPicture::frmPicture(QWidget *parent) : QWidget(parent), m_source(std::make_unique<DataSource>())
{
    setObjectName(QStringLiteral("frmPicture"));
    buildControls();
    applyProgramLook(this);
    connect(&ActivationWatch::instance(), &ActivationWatch::activated, this, [this](QWidget *window) {
        if (window == this)
            activate();
    });
    setOrdinaryFrame(this);
}

frmPicture::~frmPicture()
{
    // The grid must not read a model whose data source is gone.
    DBGrid1->setModel(nullptr);
    delete m_model;
}

void frmPicture::buildControls()
{
    DBGrid1 = new QTableView;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_model = new GridModel(m_source.get(), {{QStringLiteral("Date"), QStringLiteral("Date")},
                                             {QStringLiteral("Lake / River"), QStringLiteral("Lake")}});
    m_model->setEditable(true); // typing into a cell changes that trip's date or lake
    DBGrid1->setModel(m_model);
    kit::acceptTypedDates(DBGrid1, 0, QStringLiteral("the fishing log"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    look::styleGrid(DBGrid1);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            chooseRow(current.row());
    });
    auto *Label2 = new QLabel(QStringLiteral("Click left column to select a Fishing Trip to view picture."));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    auto *Label3 = new QLabel(QStringLiteral("To browse a folder of pictures, click Select a Picture and choose one "
                                             "picture after another."));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    auto *tripLayout = new QVBoxLayout;
    tripLayout->addWidget(DBGrid1, 1);
    tripLayout->addWidget(Label2);
    tripLayout->addWidget(Label3);
    QGroupBox *trips = makeGroup(this, "Frame1", QStringLiteral("Select a Fishing Trip"), tripLayout);

    Text1 = new QPlainTextEdit;
    Text1->setObjectName(QStringLiteral("Text1"));
    FieldLock::setLocked(Text1, true);
    Text1->setFixedHeight(48);
    auto *Label1 = new QLabel(QStringLiteral("The picture that is displayed when you close this form will be saved as "
                                             "the default picture for the above Fishing Trip."));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    auto *pathLayout = new QVBoxLayout;
    pathLayout->addWidget(Text1);
    pathLayout->addWidget(Label1);
    QGroupBox *pathGroup = makeGroup(this, "Frame2", QStringLiteral("Picture Path:"), pathLayout);

    QGroupBox *menu = makeGroup(this, "Frame3", QStringLiteral("Menu"), new QHBoxLayout);
    connect(addButton(menu, "cmdSelect", QStringLiteral("&Select a Picture")), &QPushButton::clicked, this,
            &frmPicture::selectPicture);
    connect(addButton(menu, "cmdPrint", QStringLiteral("&Print")), &QPushButton::clicked, this, &frmPicture::print);
    connect(addButton(menu, "cmdExit", QStringLiteral("&Close")), &QPushButton::clicked, this, &QWidget::close);
    QGroupBox *zoomGroup = makeGroup(this, "Frame4", QStringLiteral("Zoom Control"), new QHBoxLayout);
    connect(addButton(zoomGroup, "Command5", QStringLiteral("Fit")), &QPushButton::clicked, this, &frmPicture::fit);
    connect(addButton(zoomGroup, "Command1", QStringLiteral("25%")), &QPushButton::clicked, this,
            [this] { zoom(kZoom25); });
    connect(addButton(zoomGroup, "Command2", QStringLiteral("50%")), &QPushButton::clicked, this,
            [this] { zoom(kZoom50); });
    connect(addButton(zoomGroup, "Command3", QStringLiteral("75%")), &QPushButton::clicked, this,
            [this] { zoom(kZoom75); });
    connect(addButton(zoomGroup, "Command4", QStringLiteral("Full Size")), &QPushButton::clicked, this,
            &frmPicture::fullSize);

    // The frame clips the picture area; there are no scroll bars.
    auto *Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(kFrameSize);
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setStyleSheet(
        QStringLiteral("QFrame#Picture1 { background: rgb(8, 22, 40); border: 1px solid rgba(200, 225, 255, 150); }"));
    Image1 = new PictureArea(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 0, 0);
    Label4 = new QLabel(QStringLiteral("No Picture Selected"), Picture1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->adjustSize();
    Label4->move((kFrameSize.width() - Label4->width()) / 2, (kFrameSize.height() - Label4->height()) / 2);
    Label4->hide();

    auto *left = new QVBoxLayout;
    left->addWidget(trips, 1);
    left->addWidget(pathGroup);
    auto *right = new QVBoxLayout;
    right->addWidget(Picture1);
    right->addWidget(menu);
    right->addWidget(zoomGroup);
    right->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    resize(900, 580);
}

bool frmPicture::load()
{
    if (!m_source->open(programDatabasePath(), RecordSources::kLogByDate)) {
        DBGrid1->setEnabled(false);
        findChild<QWidget *>(QStringLiteral("cmdSelect"))->setEnabled(false);
        reportWhenShown(this, cannotOpenText(QStringLiteral("The fishing log"), m_source->errorText()));
        return true;
    }
    if (m_source->fieldIndex(kPictureColumn) < 0)
        reportWhenShown(this, QStringLiteral("The table Log of the database lacks the column Picture; a picture "
                                             "chosen here cannot be saved."));
    m_open = true;
    if (m_source->hasCurrent()) {
        const QSignalBlocker quiet(DBGrid1->selectionModel());
        DBGrid1->selectionModel()->setCurrentIndex(m_model->index(m_source->currentRow(), 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    showPath();
    return true;
}

QString frmPicture::currentPath() const
{
    if (m_pendingPath)
        return *m_pendingPath;
    return m_source->value(kPictureColumn).toString();
}

void frmPicture::showPath()
{
    Text1->setPlainText(currentPath());
}

void frmPicture::chooseRow(int row)
{
    if (!m_open)
        return;
    if (row != m_source->currentRow()) {
        storePendingPath();
        m_source->moveTo(row);
    }
    refresh();
}

// The grid moved (to another trip or another column): show the trip's picture.
void frmPicture::refresh()
{
    showPath();
    const QString path = currentPath();
    if (!showPicture(path)) {
        failed();
        return;
    }
    Label4->setVisible(path.isEmpty());
}

void frmPicture::activate()
{
    if (!m_open)
        return;
    if (!showPicture(currentPath()))
        failed();
}

bool frmPicture::showPicture(const QString &path)
{
    if (path.isEmpty()) {
        // The empty picture: nothing to show, and nothing wrong.
        Image1->clear();
        if (m_zoom != Zoom::Stretched)
            Image1->setGeometry(0, 0, 0, 0);
        m_shownPath.clear();
        return true;
    }
    // One decoded copy at a time: the old picture goes before the new one is read.
    Image1->clear();
    QImage image;
    switch (m_zoom) {
    case Zoom::Stretched: {
        // Decoded straight at the area's size; an area of no size still checks the file.
        const QSize area = Image1->size();
        image = PictureLoader::read(path, area.isEmpty() ? QSize(1, 1) : area);
        break;
    }
    case Zoom::Natural:
        image = PictureLoader::read(path);
        if (!image.isNull())
            Image1->setGeometry(QRect(QPoint(0, 0), image.size()));
        break;
    case Zoom::Fit:
        // Decoded at the size shown, so a camera's photograph stays small in memory.
        image = PictureLoader::readFitted(path, kFrameSize, false);
        if (!image.isNull()) {
            QRect where(QPoint(0, 0), image.size());
            where.moveCenter(QRect(QPoint(0, 0), kFrameSize).center());
            Image1->setGeometry(where);
        }
        break;
    }
    if (image.isNull())
        return false;
    Image1->setImage(std::move(image));
    m_shownPath = path;
    return true;
}

void frmPicture::failed()
{
    showMessage(this, MessageIcon::None, kPleaseSelect);
    Image1->clear();
    if (m_zoom != Zoom::Stretched)
        Image1->setGeometry(0, 0, 0, 0);
    m_shownPath.clear();
}

void frmPicture::zoom(double factor)
{
    const QString path = currentPath();
    QSize natural; // the empty picture has no size
    if (!path.isEmpty()) {
        natural = PictureLoader::uprightSize(path);
        if (natural.isEmpty()) {
            failed();
            return;
        }
    }
    m_zoom = Zoom::Stretched;
    Image1->setGeometry(QRect(QPoint(0, 0), zoomedSize(natural, factor)));
    if (!showPicture(path))
        failed();
}

void frmPicture::fullSize()
{
    m_zoom = Zoom::Natural;
    // The area takes the shown picture's own size; only its smaller copy is kept, so it is read again.
    QImage image = m_shownPath.isEmpty() ? QImage() : PictureLoader::read(m_shownPath);
    Image1->clear();
    Image1->setGeometry(QRect(QPoint(0, 0), image.size()));
    Image1->setImage(std::move(image));
    if (Image1->image().isNull())
        m_shownPath.clear();
}

// The picture of the trip again, whole in the frame; like the zoom buttons, it
// says so when the file cannot be shown.
void frmPicture::fit()
{
    m_zoom = Zoom::Fit;
    if (!showPicture(currentPath()))
        failed();
}

void frmPicture::selectPicture()
{
    if (!m_open || !m_source->hasCurrent())
        return;
    const std::optional<QString> chosen = PictureLoader::askForFile(this);
    if (!chosen)
        return;
    // The trip keeps the new path even when the file shows nothing; it is written
    // when the user moves to another trip or closes the window.
    m_pendingPath = *chosen;
    m_pendingTrip = m_source->bookmark().value_or(0);
    showPath();
    // A file that is no picture leaves the area as it was.
    const QRect area = Image1->geometry();
    const QImage previous = Image1->image();
    const QString previousPath = m_shownPath;
    if (showPicture(*chosen)) {
        Label4->hide();
        return;
    }
    Image1->setGeometry(area);
    Image1->setImage(previous);
    m_shownPath = previousPath;
}

// Writes a chosen picture's path into its trip. A path that cannot be written is
// said, so the user knows the trip did not keep it.
bool frmPicture::storePendingPath()
{
    if (!m_pendingPath)
        return true;
    const QString path = *std::exchange(m_pendingPath, std::nullopt);
    if (m_source->bookmark() != m_pendingTrip && !m_source->setBookmark(m_pendingTrip)) {
        showMessage(this, MessageIcon::Exclamation,
                    QStringLiteral("The picture could not be kept for its trip:\n%1").arg(m_source->errorText()));
        return false;
    }
    if (m_source->edit() && m_source->setValue(kPictureColumn, path) && m_source->update())
        return true;
    const QString error = m_source->errorText();
    m_source->cancelUpdate();
    showMessage(this, MessageIcon::Exclamation,
                QStringLiteral("The picture could not be kept for its trip:\n%1\n%2").arg(path, error));
    return false;
}

void frmPicture::print()
{
    // The picture as shown: its own size, or the zoom size it is stretched to.
    // At 200 twips from the page's corner, as large as it is on screen (15 twips to a pixel).
    const QImage &shown = Image1->image();
    constexpr double kTwipsPerInch = 1440.0;
    const QRectF where(200 / kTwipsPerInch, 200 / kTwipsPerInch, shown.width() * 15 / kTwipsPerInch,
                       shown.height() * 15 / kTwipsPerInch);
    if (shown.isNull() || !platform().printImage(shown, where, this))
        showMessage(this, MessageIcon::None, QStringLiteral("There was a problem printing to your printer."));
}

void frmPicture::closeEvent(QCloseEvent *event)
{
    storePendingPath();
    event->accept();
}

} // namespace tf
