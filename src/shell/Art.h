#pragma once

// Where the program's own pictures live among its resources. The pictures and
// resources/art.qrc are written by tools/artgen; windows ask here instead of
// spelling resource paths themselves. The start-up registers the collection
// (Q_INIT_RESOURCE(art)) before any window loads a picture.

#include <QString>

namespace tf::art {

// The common background of the shaped windows, 760 × 560, with the gilt frame
// drawn just inside the window outline.
inline QString background()
{
    return QStringLiteral(":/art/background.png");
}

// Picture buttons: Minimize and Close 20 × 20, About, Update and Search
// 32 × 32. Each has an "@2x" twin that QIcon picks up on dense screens.
inline QString minimizeButton()
{
    return QStringLiteral(":/art/minimize.png");
}
inline QString closeButton()
{
    return QStringLiteral(":/art/close.png");
}
inline QString aboutButton()
{
    return QStringLiteral(":/art/about.png");
}
inline QString updateButton()
{
    return QStringLiteral(":/art/update.png");
}
inline QString searchButton()
{
    return QStringLiteral(":/art/search.png");
}

// The small pictures beside the three headings of the trip log's read-only
// panel ("Trip Information", "Weather Conditions", "Fishing Conditions"),
// 32 × 32, light on transparent; each with an "@2x" twin.
inline QString tripHeading()
{
    return QStringLiteral(":/art/trip.png");
}
inline QString weatherHeading()
{
    return QStringLiteral(":/art/weather.png");
}
inline QString conditionsHeading()
{
    return QStringLiteral(":/art/conditions.png");
}

// The application and window icon, 256 × 256.
inline QString appIcon()
{
    return QStringLiteral(":/art/tallyfin.png");
}

// The framed painting: the small copy on the control panel and the utilities
// menu (150 × 100; a click opens the picture credit) and the large one in the
// picture credit window (360 × 240).
inline QString creditThumbnail()
{
    return QStringLiteral(":/art/picture.png");
}
inline QString creditPicture()
{
    return QStringLiteral(":/art/credit.png");
}

// The moon pictures: 100 × 100 grey pictures, identifier 101 + i showing the
// phase angle 2i degrees (101 new, 191 full, 280 just before new).
inline constexpr int kFirstMoonPicture = 101;
inline constexpr int kLastMoonPicture = 280;

// The resource path of moon picture `id`; empty for an identifier outside
// 101..280, so an arithmetic slip shows no picture rather than a wrong one.
inline QString moonPicture(int id)
{
    if (id < kFirstMoonPicture || id > kLastMoonPicture)
        return {};
    return QStringLiteral(":/moon/%1.png").arg(id);
}

} // namespace tf::art
