#pragma once

class QPainter;
class QColor;

namespace artgen {

// A largemouth bass in side view, facing right, in a unit box: the tail at
// x = -0.08, the mouth at x = 1.02, the back near y = -0.2 and the belly near
// y = 0.19. Transform the painter to place it.
void paintBass(QPainter &p);

// The same fish as one flat shape, for silhouettes against the light.
void paintBassSilhouette(QPainter &p, const QColor &color);

} // namespace artgen
