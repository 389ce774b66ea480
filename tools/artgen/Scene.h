#pragma once

#include <QImage>

namespace artgen {

class MoonSurface;

// A calm lake after sunset: deep blue sky with the last glow low on the
// horizon, a young Moon, a wooded point on the left and far hills, still water
// with the sky and the shore mirrored in gentle ripples, reeds in the
// foreground and an angler's boat. Drawn for any size; the layout scales with
// the width and height, so the same picture serves as the window background
// and as the framed painting of the picture credit.
QImage renderLakeScene(int width, int height, const MoonSurface &moon);

} // namespace artgen
