#pragma once

#include <QImage>

namespace artgen {

class MoonSurface;

enum class ButtonGlyph { Minimize, Close, About, Update, Search };

// A round picture button: a gilt ring around dark blue glass, matching the
// window frame, with a light glyph. `size` is the side in pixels.
QImage renderButton(ButtonGlyph glyph, int size);

enum class HeadingGlyph { Trip, Weather, Conditions };

// A small picture beside a heading of the trip log's read-only panel: a boat
// for the trip, sun and cloud for the weather, a hook for the fishing
// conditions. Light on transparent, with a dark halo so it reads on the
// background picture.
QImage renderHeading(HeadingGlyph glyph, int size);

// The application icon: a bass leaping across the full Moon over dark water,
// in a gilt ring; transparent outside the ring.
QImage renderAppIcon(int size, const MoonSurface &moon);

// The painting the picture credit is about: the lake at dusk with a bass
// breaking the surface. Unframed; see framePicture.
QImage renderPainting(int width, int height, const MoonSurface &moon);

// Puts a gilt frame round the whole picture; `scale` 1 is the moulding of the
// windows, smaller values a narrower one for small copies.
void framePicture(QImage &img, double scale);

} // namespace artgen
