#pragma once

// Positions of the lakes and rivers of the lookup list, and the owner's home water.
// Kept in their own table beside the fourteen, matched to a lake by its name (without
// regard to letter case, as the lists match). Reading never alters the file: a diary
// that has no such table yet simply has no positions.

#include "data/Schema.h"

#include <QList>
#include <QString>

#include <optional>

namespace tf {

struct PlacePosition
{
    QString lake;
    double latitude = 0;
    double longitude = 0;
    QString zone; // IANA name, such as "Europe/Oslo"
};

struct PlacesRead
{
    bool ok = true;
    QString error;
    QList<PlacePosition> positions; // every lake with a position, by name
    QString homeWater;              // empty when none is chosen
};

PlacesRead readPlaces(const QString &databasePath);
// The position of one lake; nullopt when it has none or the file cannot be read.
std::optional<PlacePosition> findPlace(const PlacesRead &places, const QString &lake);

// Sets or replaces the lake's position.
Status writePlacePosition(const QString &databasePath, const PlacePosition &position);
// The lake keeps no position (it may stay the home water).
Status clearPlacePosition(const QString &databasePath, const QString &lake);
// The one home water; an empty name chooses none.
Status writeHomeWater(const QString &databasePath, const QString &lake);

} // namespace tf
