#include "Icons.h"

#include "Fish.h"
#include "Frame.h"
#include "MoonPictures.h"
#include "Scene.h"

#include <QPainter>
#include <QPainterPath>

namespace artgen {

namespace {

constexpr int kOversample = 4; // drawn large, then averaged down for clean edges

QImage downsample(const QImage &big, int size)
{
    return big.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// Gilt ring and dark glass in a 100 × 100 design box.
void paintBadge(QPainter &p)
{
    QLinearGradient ring(10, 6, 90, 94);
    ring.setColorAt(0.0, QColor(250, 226, 150));
    ring.setColorAt(0.45, QColor(196, 150, 64));
    ring.setColorAt(1.0, QColor(92, 62, 22));
    p.setPen(QPen(QColor(40, 26, 10), 2.5));
    p.setBrush(ring);
    p.drawEllipse(QPointF(50, 50), 47.5, 47.5);

    QRadialGradient glass(QPointF(40, 34), 62);
    glass.setColorAt(0.0, QColor(58, 82, 140));
    glass.setColorAt(0.55, QColor(22, 36, 78));
    glass.setColorAt(1.0, QColor(8, 14, 34));
    p.setPen(QPen(QColor(60, 40, 14), 2.0));
    p.setBrush(glass);
    p.drawEllipse(QPointF(50, 50), 38.5, 38.5);

    // The gloss of the glass, upper half.
    QLinearGradient gloss(0, 13, 0, 52);
    gloss.setColorAt(0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(22, 14, 56, 34));
}

void paintGlyph(QPainter &p, ButtonGlyph glyph, const QColor &ink)
{
    auto stroke = [&](double width) {
        QPen pen(ink, width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    };
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case ButtonGlyph::Minimize:
        p.setPen(stroke(12));
        p.drawLine(QPointF(32, 62), QPointF(68, 62));
        break;
    case ButtonGlyph::Close:
        p.setPen(stroke(11));
        p.drawLine(QPointF(35, 35), QPointF(65, 65));
        p.drawLine(QPointF(65, 35), QPointF(35, 65));
        break;
    case ButtonGlyph::About: {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(51, 29), 7, 7);
        QPainterPath stem;
        stem.moveTo(40, 42);
        stem.lineTo(56, 42);
        stem.lineTo(56, 68);
        stem.lineTo(62, 68);
        stem.lineTo(62, 75);
        stem.lineTo(39, 75);
        stem.lineTo(39, 68);
        stem.lineTo(45, 68);
        stem.lineTo(45, 49);
        stem.lineTo(40, 49);
        stem.closeSubpath();
        p.drawPath(stem);
        break;
    }
    case ButtonGlyph::Update: {
        // Two arrows chasing each other round: fetch what is new.
        p.setPen(stroke(8));
        const QRectF circle(29, 29, 42, 42);
        p.drawArc(circle, 30 * 16, 130 * 16);
        p.drawArc(circle, 210 * 16, 130 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        auto head = [&](QPointF tip, double angleDeg) {
            p.save();
            p.translate(tip);
            p.rotate(angleDeg);
            p.drawPolygon(QPolygonF({QPointF(9, 0), QPointF(-6, -9), QPointF(-6, 9)}));
            p.restore();
        };
        // Arrow heads at the ends of the arcs (160 and 340 degrees), pointing on
        // round the circle.
        head(QPointF(50 + 21 * std::cos(kPi * 160 / 180), 50 - 21 * std::sin(kPi * 160 / 180)), 110);
        head(QPointF(50 + 21 * std::cos(kPi * 340 / 180), 50 - 21 * std::sin(kPi * 340 / 180)), -70);
        break;
    }
    case ButtonGlyph::Search:
        p.setPen(stroke(8));
        p.drawEllipse(QPointF(45, 45), 15, 15);
        p.setPen(stroke(12));
        p.drawLine(QPointF(57, 57), QPointF(68, 68));
        break;
    }
}

} // namespace

QImage renderButton(ButtonGlyph glyph, int size)
{
    const int big = size * kOversample;
    QImage img(big, big, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(big / 100.0, big / 100.0);
    paintBadge(p);
    // A soft shadow under the glyph keeps it crisp on the glass.
    p.save();
    p.translate(1.2, 1.8);
    p.setOpacity(0.45);
    paintGlyph(p, glyph, QColor(0, 0, 0));
    p.restore();
    paintGlyph(p, glyph, QColor(250, 242, 220));
    p.end();
    return downsample(img, size);
}

QImage renderAppIcon(int size, const MoonSurface &moon)
{
    const int big = size * 2;
    QImage img(big, big, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const double k = big / 256.0;
    p.scale(k, k);

    // Gilt ring.
    QLinearGradient ring(20, 10, 236, 246);
    ring.setColorAt(0.0, QColor(252, 230, 156));
    ring.setColorAt(0.45, QColor(200, 154, 66));
    ring.setColorAt(1.0, QColor(90, 60, 20));
    p.setPen(QPen(QColor(40, 26, 10), 4));
    p.setBrush(ring);
    p.drawEllipse(QPointF(128, 128), 124, 124);

    // Night sky over water, clipped to the inner disc.
    QPainterPath disc;
    disc.addEllipse(QPointF(128, 128), 110, 110);
    p.save();
    p.setClipPath(disc);
    QLinearGradient sky(0, 18, 0, 170);
    sky.setColorAt(0.0, QColor(8, 14, 44));
    sky.setColorAt(0.7, QColor(36, 48, 104));
    sky.setColorAt(1.0, QColor(120, 92, 128));
    p.fillRect(QRectF(0, 0, 256, 170), sky);
    QLinearGradient water(0, 170, 0, 240);
    water.setColorAt(0.0, QColor(40, 46, 92));
    water.setColorAt(1.0, QColor(6, 12, 30));
    p.fillRect(QRectF(0, 170, 256, 90), water);

    // The full Moon with its glow, and its broken path of light on the water.
    const QPointF moonCentre(128, 104);
    const double moonRadius = 66;
    QRadialGradient halo(moonCentre, moonRadius * 1.7);
    halo.setColorAt(0.55, QColor(220, 226, 255, 90));
    halo.setColorAt(1.0, QColor(220, 226, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(moonCentre, moonRadius * 1.7, moonRadius * 1.7);
    const int moonPixels = int(std::ceil(moonRadius * 2 * k)) + 2;
    const MoonPainter painter(moon, moonPixels, moonPixels / 2.0, moonPixels / 2.0, moonRadius * k, 3);
    p.save();
    p.resetTransform();
    p.drawImage(QPointF(moonCentre.x() * k - moonPixels / 2.0, moonCentre.y() * k - moonPixels / 2.0),
                painter.litDisc(180));
    p.restore();
    Rng rng(0x6117);
    for (int i = 0; i < 46; ++i) {
        const double t = rng.uniform();
        const double y = 174 + t * 62;
        const double spread = 10 + t * 34;
        const double x = 128 + rng.uniform(-1, 1) * spread;
        const double w = rng.uniform(4, 10) * (1 + t * 1.5);
        p.setBrush(QColor(226, 230, 255, int(200 * (1 - 0.6 * t) * (1 - std::abs(x - 128) / (spread + 8)))));
        p.drawRoundedRect(QRectF(x - w / 2, y, w, 1.6 + t * 1.6), 1, 1);
    }
    p.restore();

    // The bass leaps across the Moon, dark against its light, rim-lit by it.
    p.save();
    p.translate(58, 170);
    p.rotate(-30);
    p.scale(150, 150);
    p.save();
    p.translate(0.006, -0.008);
    paintBassSilhouette(p, QColor(236, 232, 210, 170));
    p.restore();
    paintBassSilhouette(p, QColor(10, 14, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 204, 150));
    p.drawEllipse(QPointF(0.875, -0.06), 0.024, 0.024);
    p.setBrush(QColor(8, 8, 8));
    p.drawEllipse(QPointF(0.878, -0.06), 0.013, 0.013);
    p.restore();

    // Spray where the tail has just left the water, and the first ring.
    p.setPen(QPen(QColor(230, 236, 255, 170), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(36, 181, 54, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 236, 255, 220));
    const QPointF drops[] = {{50, 172}, {72, 166}, {61, 160}, {84, 174}, {43, 164}};
    const double radii[] = {2.6, 2.2, 1.8, 2.0, 1.6};
    for (std::size_t i = 0; i < std::size(drops); ++i)
        p.drawEllipse(drops[i], radii[i], radii[i]);
    p.end();
    return img.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QImage renderPainting(int width, int height, const MoonSurface &moon)
{
    QImage img = renderLakeScene(width, height, moon);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing);
    const double s = std::min(width / 760.0, height / 560.0);
    // A bass breaking the surface in the foreground, the rings spreading.
    const QPointF jump(width * 0.58, height * 0.80);
    p.setBrush(Qt::NoBrush);
    for (int r = 1; r <= 3; ++r) {
        p.setPen(QPen(QColor(190, 180, 210, 110 - r * 25), 1.4 * std::max(s, 0.5)));
        p.drawEllipse(jump + QPointF(-40 * s, 0), 70.0 * s * r, 11.0 * s * r);
    }
    // The fish is painted in daylight colours, then toned down to the dusk
    // light of the scene.
    QImage fish(img.size(), QImage::Format_ARGB32_Premultiplied);
    fish.fill(Qt::transparent);
    {
        QPainter f(&fish);
        f.setRenderHint(QPainter::Antialiasing);
        f.translate(jump + QPointF(-150 * s, -10 * s));
        f.rotate(-24);
        f.scale(260 * s, 260 * s);
        paintBass(f);
        f.resetTransform();
        f.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        f.fillRect(fish.rect(), QColor(30, 30, 80, 120));
    }
    p.drawImage(0, 0, fish);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 226, 250, 200));
    const QPointF drops[] = {{-90, -20}, {-70, -44}, {-112, -36}, {-40, -30}, {-128, -12}};
    for (const QPointF &d : drops)
        p.drawEllipse(jump + d * s, 3.2 * s + 0.4, 3.2 * s + 0.4);
    p.end();
    return img;
}

void framePicture(QImage &img, double scale)
{
    QPolygonF outline;
    outline << QPointF(0, 0) << QPointF(img.width(), 0) << QPointF(img.width(), img.height())
            << QPointF(0, img.height());
    drawFrame(img, outline, scale);
}

} // namespace artgen
