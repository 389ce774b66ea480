#pragma once

// Latitudes and longitudes as people type and read them: decimal degrees ("59.91",
// "-87,62") or degrees and minutes, with or without seconds, degree and minute signs
// and a hemisphere letter ("59°54.6'N", "87 37 12 W", "S 38 41.4").

#include <QString>

#include <optional>

namespace tf {

enum class Axis { Latitude, Longitude };

struct AngleParse
{
    std::optional<double> degrees; // north and east positive
    QString error;                 // a sentence for the user when degrees is empty
};

// Blank text is an error too: a position needs both numbers.
AngleParse parseAngle(const QString &text, Axis axis);

// "59.910000"
QString decimalDegreesText(double degrees);
// "59° 54.600' N", "87° 37.200' W"
QString degreesMinutesText(double degrees, Axis axis);

} // namespace tf
