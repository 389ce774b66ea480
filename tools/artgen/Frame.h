#pragma once

#include <QImage>
#include <QPolygonF>

namespace artgen {

// The outline every shaped window is cut to, in window pixels: a rectangle
// from x = 2 to 757 and y = 3 to 557 with its corners rounded off by short
// stepped runs; not symmetric, filled with the even-odd rule.
QPolygonF windowOutline();

// Draws a gilded moulding just inside `outline`, so that the picture, once the
// window is cut to the outline, ends in a frame that follows the cut exactly;
// outside the outline the picture is filled with the frame's dark outer edge.
// `scale` 1 is the windows' moulding, about 12 pixels wide with a shadow and a
// fine gilt line inside it; smaller values give narrower frames.
void drawFrame(QImage &img, const QPolygonF &outline, double scale = 1.0);

} // namespace artgen
