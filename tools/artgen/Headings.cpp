#include "Icons.h"
#include "Noise.h"

#include <QPainter>
#include <QPainterPath>

namespace artgen {

namespace {

const QColor kCream(246, 238, 214);
const QColor kGold(236, 188, 84);
const QColor kWater(150, 196, 236);
const QColor kWood(196, 142, 70);

// Each glyph in a 100 × 100 design box. With `ink` valid everything is drawn
// in that one colour (for the halo); otherwise in the glyph's own colours.
void paintHeading(QPainter &p, HeadingGlyph glyph, const QColor &ink)
{
    auto colour = [&](const QColor &own) { return ink.isValid() ? ink : own; };
    auto pen = [&](const QColor &own, double width) {
        QPen q(colour(own), width);
        q.setCapStyle(Qt::RoundCap);
        q.setJoinStyle(Qt::RoundJoin);
        return q;
    };
    auto waves = [&](double y, double left, double right) {
        QPainterPath w;
        w.moveTo(left, y);
        for (double x = left; x < right; x += 16)
            w.quadTo(x + 4, y - 5, x + 8, y), w.quadTo(x + 12, y + 5, x + 16, y);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kWater, 5));
        p.drawPath(w);
    };

    switch (glyph) {
    case HeadingGlyph::Trip: {
        // A rowboat in side view, an oar dipping into the water.
        waves(84, 6, 94);
        p.setPen(pen(kCream, 6));
        p.drawLine(QPointF(30, 26), QPointF(64, 82));
        p.setPen(Qt::NoPen);
        p.setBrush(colour(kCream));
        p.save();
        p.translate(66, 85);
        p.rotate(59);
        p.drawEllipse(QPointF(0, 0), 9, 4.5);
        p.restore();
        QPainterPath hull;
        hull.moveTo(8, 50);
        hull.lineTo(78, 50);
        hull.quadTo(88, 48, 94, 40);
        hull.quadTo(88, 66, 70, 72);
        hull.lineTo(26, 72);
        hull.quadTo(12, 70, 8, 50);
        hull.closeSubpath();
        p.setPen(pen(QColor(70, 44, 18), 3));
        p.setBrush(colour(kWood));
        p.drawPath(hull);
        p.setPen(pen(kCream, 4));
        QPainterPath gunwale;
        gunwale.moveTo(11, 56);
        gunwale.lineTo(78, 56);
        gunwale.quadTo(86, 54, 90, 49);
        p.setBrush(Qt::NoBrush);
        p.drawPath(gunwale);
        break;
    }
    case HeadingGlyph::Weather: {
        // The sun half hidden by a cloud.
        p.setPen(pen(kGold, 6));
        for (int k = 0; k < 8; ++k) {
            const double a = k * kPi / 4;
            p.drawLine(QPointF(38 + 22 * std::cos(a), 38 + 22 * std::sin(a)),
                       QPointF(38 + 31 * std::cos(a), 38 + 31 * std::sin(a)));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(colour(kGold));
        p.drawEllipse(QPointF(38, 38), 16, 16);
        QPainterPath cloud;
        cloud.setFillRule(Qt::WindingFill); // the puffs merge into one outline
        cloud.addEllipse(QPointF(50, 60), 17, 17);
        cloud.addEllipse(QPointF(70, 55), 19, 19);
        cloud.addEllipse(QPointF(84, 68), 13, 13);
        cloud.addEllipse(QPointF(31, 70), 12, 12);
        cloud.addRoundedRect(QRectF(31, 62, 55, 20), 10, 10);
        cloud = cloud.simplified();
        p.setPen(pen(QColor(60, 70, 96), 3));
        p.setBrush(colour(kCream));
        p.drawPath(cloud);
        break;
    }
    case HeadingGlyph::Conditions: {
        // A fish hook hanging in the water.
        waves(74, 6, 94);
        waves(88, 14, 86);
        QPainterPath hook;
        hook.moveTo(56, 16);
        hook.lineTo(56, 58);
        hook.arcTo(QRectF(30, 44, 26, 28), 0, -220);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kCream, 7));
        p.drawPath(hook);
        // The barb at the point.
        p.setPen(Qt::NoPen);
        p.setBrush(colour(kCream));
        const QPointF tip = hook.currentPosition();
        p.drawPolygon(QPolygonF({tip + QPointF(-4, 2), tip + QPointF(1, -14), tip + QPointF(6, -1)}));
        // The eye, whipped to a line.
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kGold, 5));
        p.drawEllipse(QPointF(56, 11), 6, 6);
        p.drawLine(QPointF(56, 5), QPointF(56, 0));
        break;
    }
    }
}

} // namespace

QImage renderHeading(HeadingGlyph glyph, int size)
{
    const int big = size * 4;
    QImage img(big, big, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(big / 100.0, big / 100.0);
    // A dark halo: the glyph in black, smeared round a small circle.
    p.setOpacity(0.18);
    for (int k = 0; k < 8; ++k) {
        p.save();
        p.translate(4 * std::cos(k * kPi / 4), 4 * std::sin(k * kPi / 4) + 1);
        paintHeading(p, glyph, QColor(0, 0, 0));
        p.restore();
    }
    p.setOpacity(1);
    paintHeading(p, glyph, QColor());
    p.end();
    return img.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace artgen
