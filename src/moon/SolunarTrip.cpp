#include "moon/SolunarTrip.h"

#include "moon/SolunarTable.h"

namespace tf::solunar {

TripMoment readTripMoment(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QDate)
        return {stored.toDate(), std::nullopt};
    if (stored.typeId() == QMetaType::QDateTime) {
        const QDateTime t = stored.toDateTime();
        return {t.date(), t.time()};
    }
    const QString text = stored.toString().trimmed();
    TripMoment m{QDate::fromString(text.left(10), Qt::ISODate), std::nullopt};
    if (m.date.isValid() && text.size() > 10) {
        const QString rest = text.mid(11).trimmed();
        QTime t = QTime::fromString(rest, QStringLiteral("HH:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(rest, QStringLiteral("HH:mm"));
        if (t.isValid())
            m.time = t;
    }
    return m;
}

TripSolunar solunarOfTrip(const PlacesRead &places, const QString &lake, const QVariant &storedDate)
{
    TripSolunar r;
    const TripMoment moment = readTripMoment(storedDate);
    if (!moment.date.isValid())
        return r;
    if (lake.trimmed().isEmpty()) {
        r.status = TripSolunar::Status::NoLake;
        return r;
    }
    const std::optional<PlacePosition> position = findPlace(places, lake);
    if (!position) {
        r.status = TripSolunar::Status::NoPosition;
        return r;
    }
    r.status = TripSolunar::Status::Ok;
    r.day = computeDay(placeOf(*position), moment.date);
    if (moment.time)
        r.at = QDateTime(moment.date, *moment.time, r.day.zone).toMSecsSinceEpoch();
    return r;
}

QString tripLine(const PlacesRead &places, const QString &lake, const QVariant &storedDate)
{
    const TripSolunar s = solunarOfTrip(places, lake, storedDate);
    switch (s.status) {
    case TripSolunar::Status::Ok:
        return periodsText(s.day);
    case TripSolunar::Status::NoPosition:
        return QStringLiteral("No position for %1: add one under Database Options, Lakes / Rivers.")
            .arg(lake.trimmed());
    case TripSolunar::Status::NoDate:
    case TripSolunar::Status::NoLake:
        break;
    }
    return {};
}

} // namespace tf::solunar
