#include "screens/PlacePanel.h"

#include "data/Coordinates.h"
#include "data/Places.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>

#include <utility>

namespace tf {

namespace {

QString systemZone()
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    return id.isEmpty() ? QStringLiteral("UTC") : QString::fromUtf8(id);
}

} // namespace

PlacePanel::PlacePanel(QWidget *parent) : QGroupBox(QStringLiteral("Position"), parent)
{
    setObjectName(QStringLiteral("fraPosition"));
    txtLatitude = new QLineEdit(this);
    txtLatitude->setObjectName(QStringLiteral("txtLatitude"));
    txtLatitude->setToolTip(QStringLiteral(" Degrees north, such as 59.91 or 59°54.6' N; south is negative or S "));
    txtLongitude = new QLineEdit(this);
    txtLongitude->setObjectName(QStringLiteral("txtLongitude"));
    txtLongitude->setToolTip(QStringLiteral(" Degrees east, such as 10.75 or 10°45' E; west is negative or W "));
    cboZone = new QComboBox(this);
    cboZone->setObjectName(QStringLiteral("cboZone"));
    cboZone->setToolTip(QStringLiteral(" The time zone of the water's clock "));
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds())
        cboZone->addItem(QString::fromUtf8(id));
    lblPosition = new QLabel(this);
    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblPosition->setWordWrap(true);

    connect(txtLatitude, &QLineEdit::textChanged, this, &PlacePanel::updateReading);
    connect(txtLongitude, &QLineEdit::textChanged, this, &PlacePanel::updateReading);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Latitude:"), txtLatitude);
    form->addRow(QStringLiteral("Longitude:"), txtLongitude);
    form->addRow(QStringLiteral("Time zone:"), cboZone);
    auto *box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(lblPosition);
    showLake({});
}

void PlacePanel::showLake(const QString &lake)
{
    m_lake = lake.trimmed();
    const std::optional<PlacePosition> p = findPlace(readPlaces(programDatabasePath()), m_lake);
    txtLatitude->setText(p ? decimalDegreesText(p->latitude) : QString());
    txtLongitude->setText(p ? decimalDegreesText(p->longitude) : QString());
    const QString zone = p && !p->zone.isEmpty() ? p->zone : systemZone();
    // A zone stored on another system that this one does not know stays as it was.
    if (cboZone->findText(zone) < 0)
        cboZone->addItem(zone);
    cboZone->setCurrentText(zone);
    setTitle(m_lake.isEmpty() ? QStringLiteral("Position") : QStringLiteral("Position of %1").arg(m_lake));
    updateReading();
}

void PlacePanel::updateReading()
{
    if (txtLatitude->text().trimmed().isEmpty() && txtLongitude->text().trimmed().isEmpty()) {
        lblPosition->setText(m_lake.isEmpty() ? QString()
                                              : QStringLiteral("No position: sun and moon times need one."));
        return;
    }
    const AngleParse lat = parseAngle(txtLatitude->text(), Axis::Latitude);
    const AngleParse lon = parseAngle(txtLongitude->text(), Axis::Longitude);
    QStringList lines;
    lines << (lat.degrees ? decimalDegreesText(*lat.degrees) + QStringLiteral("° = ") +
                                degreesMinutesText(*lat.degrees, Axis::Latitude)
                          : lat.error);
    lines << (lon.degrees ? decimalDegreesText(*lon.degrees) + QStringLiteral("° = ") +
                                degreesMinutesText(*lon.degrees, Axis::Longitude)
                          : lon.error);
    lblPosition->setText(lines.join(QLatin1Char('\n')));
}

void PlacePanel::setEditing(bool editing, const QString &lake)
{
    // The text boxes are locked and unlocked with the list's own; the list of zones has
    // no such lock, so it is only open while the lake is.
    cboZone->setEnabled(editing);
    m_editedName = editing ? lake.trimmed() : QString();
    m_checked.reset();
    if (editing && lake.trimmed().isEmpty()) {
        txtLatitude->clear();
        txtLongitude->clear();
        setTitle(QStringLiteral("Position"));
    }
}

bool PlacePanel::checkTyped()
{
    m_checked.reset();
    if (txtLatitude->text().trimmed().isEmpty() && txtLongitude->text().trimmed().isEmpty()) {
        m_checked = Typed{};
        return true;
    }
    const AngleParse lat = parseAngle(txtLatitude->text(), Axis::Latitude);
    const AngleParse lon = parseAngle(txtLongitude->text(), Axis::Longitude);
    for (const auto &[parse, field] : {std::pair{&lat, txtLatitude}, std::pair{&lon, txtLongitude}}) {
        if (!parse->degrees) {
            showMessage(window(), MessageIcon::Exclamation, parse->error);
            field->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    m_checked = Typed{lat.degrees, lon.degrees, cboZone->currentText()};
    return true;
}

bool PlacePanel::savePosition(const QString &lake)
{
    // What was checked is kept: showing the saved row reads the fields afresh.
    const std::optional<Typed> typed = std::exchange(m_checked, std::nullopt);
    const QString edited = std::exchange(m_editedName, QString());
    if (!typed)
        return false;
    const QString name = lake.trimmed();
    const QString path = programDatabasePath();
    Status s = Status::success();
    if (!edited.isEmpty() && edited.compare(name, Qt::CaseInsensitive) != 0)
        s = clearPlacePosition(path, edited);
    if (s && typed->latitude && typed->longitude)
        s = writePlacePosition(path, {name, *typed->latitude, *typed->longitude, typed->zone});
    else if (s && findPlace(readPlaces(path), name))
        s = clearPlacePosition(path, name);
    if (!s)
        showMessage(window(), MessageIcon::Exclamation,
                    QStringLiteral("The position of %1 could not be saved.\n").arg(name) + s.error);
    showLake(name);
    return s.ok;
}

} // namespace tf
