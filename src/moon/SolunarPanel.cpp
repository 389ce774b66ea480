#include "moon/SolunarPanel.h"

#include "data/Places.h"
#include "moon/SolunarTable.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace tf {

namespace {

constexpr int kPositionRole = Qt::UserRole;

QVariant toVariant(const PlacePosition &p)
{
    return QVariantList{p.lake, p.latitude, p.longitude, p.zone};
}

PlacePosition fromVariant(const QVariant &v)
{
    const QVariantList l = v.toList();
    return {l.value(0).toString(), l.value(1).toDouble(), l.value(2).toDouble(), l.value(3).toString()};
}

} // namespace

SolunarPanel::SolunarPanel(QWidget *parent) : QGroupBox(QStringLiteral("Sun and Moon"), parent)
{
    setObjectName(QStringLiteral("fraSolunar"));
    cboWater = new QComboBox(this);
    cboWater->setObjectName(QStringLiteral("cboWater"));
    cboWater->setToolTip(QStringLiteral(" The water whose times are shown "));
    cmdSolunarTable = new QPushButton(QStringLiteral("Print Month"), this);
    cmdSolunarTable->setObjectName(QStringLiteral("cmdSolunarTable"));
    cmdSolunarTable->setToolTip(QStringLiteral(" Print this month's solunar table for the water "));
    lblSolunar = new QLabel(this);
    lblSolunar->setObjectName(QStringLiteral("lblSolunar"));
    lblSolunar->setWordWrap(true);
    lblSolunar->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSolunar->setMinimumHeight(lblSolunar->fontMetrics().lineSpacing() * 6);
    lblSolunar->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(cboWater, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(cmdSolunarTable, &QPushButton::clicked, this, &SolunarPanel::printMonth);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Water:"), this));
    top->addWidget(cboWater, 1);
    top->addWidget(cmdSolunarTable);
    auto *box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(lblSolunar, 1);
}

void SolunarPanel::reload()
{
    if (!m_filterInstalled && window()) {
        // Positions are entered in another window: coming back to this one reads them again.
        window()->installEventFilter(this);
        m_filterInstalled = true;
    }
    const PlacesRead places = readPlaces(programDatabasePath());
    const QString chosen = cboWater->currentIndex() >= 0 ? cboWater->currentText() : QString();
    {
        const QSignalBlocker block(cboWater);
        cboWater->clear();
        for (const PlacePosition &p : places.positions)
            cboWater->addItem(p.lake, toVariant(p));
        int index = cboWater->findText(chosen, Qt::MatchFixedString);
        if (index < 0 && !places.homeWater.isEmpty())
            index = cboWater->findText(places.homeWater, Qt::MatchFixedString);
        cboWater->setCurrentIndex(index < 0 && cboWater->count() > 0 ? 0 : index);
    }
    if (!places.ok)
        m_hint = QStringLiteral("The waters cannot be read: %1").arg(places.error);
    else if (places.positions.isEmpty())
        m_hint = QStringLiteral("No water has a position yet. Add one under Database Options, Lakes / Rivers, and "
                                "choose your home water in the owner's details.");
    else if (!places.homeWater.isEmpty() && !findPlace(places, places.homeWater))
        m_hint = QStringLiteral("Your home water %1 has no position: add one under Database Options, Lakes / Rivers.")
                     .arg(places.homeWater);
    else
        m_hint.clear();
    m_shownKey.clear();
    refresh();
}

void SolunarPanel::showDay(QDate date)
{
    if (date == m_date)
        return;
    m_date = date;
    refresh();
}

void SolunarPanel::refresh()
{
    const bool hasWater = cboWater->currentIndex() >= 0;
    cboWater->setEnabled(cboWater->count() > 1);
    cmdSolunarTable->setEnabled(hasWater && m_date.isValid());
    if (!hasWater || !m_date.isValid()) {
        lblSolunar->setText(m_hint);
        m_shownKey.clear();
        return;
    }
    const PlacePosition water = fromVariant(cboWater->currentData(kPositionRole));
    const QString key = QStringLiteral("%1\t%2\t%3\t%4\t%5")
                            .arg(water.lake)
                            .arg(water.latitude, 0, 'g', 17)
                            .arg(water.longitude, 0, 'g', 17)
                            .arg(water.zone, m_date.toString(Qt::ISODate));
    if (key == m_shownKey)
        return;
    m_shownKey = key;
    const solunar::Day d = solunar::computeDay(solunar::placeOf(water), m_date);
    using solunar::AllDay;
    QStringList lines;
    lines << QStringLiteral("Sunrise %1   Sunset %2")
                 .arg(solunar::eventText(d, d.sunrise, d.sunAllDay), solunar::eventText(d, d.sunset, d.sunAllDay));
    lines << QStringLiteral("Moonrise %1   Moonset %2")
                 .arg(solunar::eventText(d, d.moonrise, d.moonAllDay), solunar::eventText(d, d.moonset, d.moonAllDay));
    lines << QStringLiteral("Moon overhead %1   underfoot %2")
                 .arg(solunar::eventText(d, d.moonUpper, AllDay::No), solunar::eventText(d, d.moonLower, AllDay::No));
    lines << solunar::periodsText(d);
    if (d.majorAtSunrise() || d.majorAtSunset())
        lines << QStringLiteral("A major period at %1.")
                     .arg(d.majorAtSunrise() && d.majorAtSunset() ? QStringLiteral("sunrise and sunset")
                          : d.majorAtSunrise()                    ? QStringLiteral("sunrise")
                                                                  : QStringLiteral("sunset"));
    lines << QStringLiteral("%1, times in %2").arg(solunar::positionText(water), solunar::zoneText(water));
    if (!m_hint.isEmpty())
        lines << m_hint;
    lblSolunar->setText(lines.join(QLatin1Char('\n')));
}

// The report engine prints what its queries read from a database file: the month goes
// into a scratch file of its own, gone once the preview closes.
void SolunarPanel::printMonth()
{
    if (cboWater->currentIndex() < 0 || !m_date.isValid())
        return;
    const PlacePosition water = fromVariant(cboWater->currentData(kPositionRole));
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("solunar.db"));
    QString error;
    if (!scratch.isValid() || !solunar::writeMonth(water, m_date, programDatabasePath(), path, &error)) {
        showMessage(window(), MessageIcon::Exclamation,
                    QStringLiteral("The solunar table could not be printed.\n") +
                        (scratch.isValid() ? error : scratch.errorString()));
        return;
    }
    platform().printReport(QStringLiteral("solunar.rpt"), window(), path);
}

bool SolunarPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && event->type() == QEvent::WindowActivate)
        reload();
    return QGroupBox::eventFilter(watched, event);
}

} // namespace tf
