#pragma once

// The sun and moon of one trip: its date (and time of day, when one is stored) read as
// the wall clock at its lake, and that lake's position.

#include "data/Places.h"
#include "moon/Solunar.h"

#include <QDateTime>
#include <QVariant>

#include <optional>

namespace tf::solunar {

struct TripMoment
{
    QDate date;                // invalid when the trip has no date
    std::optional<QTime> time; // only when the stored date carries a time of day
};

// A stored trip date: "2026-12-08" or "2026-12-08 06:30:00" (a QDate or QDateTime as the
// data layer hands it over is read too).
TripMoment readTripMoment(const QVariant &stored);

struct TripSolunar
{
    enum class Status { Ok, NoDate, NoLake, NoPosition };
    Status status = Status::NoDate;
    Day day;                  // when Ok
    std::optional<qint64> at; // the trip's instant, when it carries a time of day
};

TripSolunar solunarOfTrip(const PlacesRead &places, const QString &lake, const QVariant &storedDate);

// The log screen's line beside the date: the day's periods, or a hint why there are none
// ("" for a trip without a date or lake).
QString tripLine(const PlacesRead &places, const QString &lake, const QVariant &storedDate);

} // namespace tf::solunar
