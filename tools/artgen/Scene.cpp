#include "Scene.h"

#include "MoonPictures.h"
#include "Noise.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

namespace artgen {

namespace {

struct Rgb
{
    double r = 0, g = 0, b = 0;
};
Rgb operator+(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double s)
{
    return {a.r * s, a.g * s, a.b * s};
}
Rgb lerp(Rgb a, Rgb b, double t)
{
    return a * (1 - t) + b * t;
}
Rgb hex(unsigned v)
{
    return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
}
QRgb toRgb(Rgb c)
{
    auto ch = [](double v) { return int(std::lround(clamp01(v) * 255)); };
    return qRgb(ch(c.r), ch(c.g), ch(c.b));
}
Rgb fromRgb(QRgb c)
{
    return {qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0};
}
double sq(double v)
{
    return v * v;
}

// Everything is laid out on a 760 × 560 canvas and scaled to the target size.
struct Layout
{
    double sx, sy, s;
    double horizon;
    double glowX;
    double x(double v) const { return v * sx; }
    double y(double v) const { return v * sy; }
};

Rgb skyAt(const Layout &L, double x, double y)
{
    struct Stop
    {
        double t;
        unsigned c;
    };
    static const Stop stops[] = {{0.00, 0x080d28}, {0.35, 0x16214f}, {0.62, 0x2c3770},
                                 {0.80, 0x584d7c}, {0.92, 0x8e6272}, {1.00, 0xb87a5a}};
    const double t = std::clamp(y / L.horizon, 0.0, 1.0);
    Rgb c = hex(stops[0].c);
    for (std::size_t i = 1; i < std::size(stops); ++i) {
        if (t <= stops[i].t) {
            c = lerp(hex(stops[i - 1].c), hex(stops[i].c), (t - stops[i - 1].t) / (stops[i].t - stops[i - 1].t));
            break;
        }
    }
    // The sun has just set behind the far hills, right of centre.
    const double dx = (x - L.glowX) / L.s, dy = (y - L.horizon) / L.s;
    const double glow = 0.45 * std::exp(-sq(dx / 250) - sq(dy / 75)) + 0.35 * std::exp(-sq(dx / 80) - sq(dy / 24));
    return c + Rgb{0.55, 0.30, 0.12} * glow;
}

void paintSky(QImage &img, const Layout &L)
{
    const Noise3 clouds(0xC10D5);
    for (int j = 0; j < int(L.horizon) + 1 && j < img.height(); ++j) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(j));
        for (int i = 0; i < img.width(); ++i) {
            const double x = i + 0.5, y = j + 0.5;
            Rgb c = skyAt(L, x, y);
            // Long thin bands of cloud, their undersides catching the glow.
            const double band = smoothstep(0.35, 0.55, y / L.horizon) * (1 - smoothstep(0.78, 0.9, y / L.horizon));
            const double n = clouds.fbm({x / L.s / 260, y / L.s / 11, 0.3}, 5);
            const double density = smoothstep(0.05, 0.7, n) * band;
            if (density > 0) {
                const double lit = std::exp(-sq((x - L.glowX) / L.s / 300)) * smoothstep(0.4, 0.9, y / L.horizon);
                const Rgb cloud = lerp(hex(0x2a2748), hex(0xc27c72), lit);
                c = lerp(c, cloud, 0.6 * density);
            }
            line[i] = toRgb(c);
        }
    }

    Rng rng(0x57A25);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 140; ++k) {
        const double x = rng.uniform(0, img.width()), y = rng.uniform(0, L.horizon * 0.62);
        const double fade = 1 - y / (L.horizon * 0.65);
        const double b = rng.uniform(0.15, 0.75) * fade * fade;
        const double r = (rng.uniform() < 0.08 ? 1.1 : 0.6) * std::max(L.s, 0.6);
        p.setBrush(QColor::fromRgbF(0.9f, 0.92f, 1.0f, float(b)));
        p.drawEllipse(QPointF(x, y), r, r);
    }
}

void paintMoon(QImage &img, const Layout &L, const MoonSurface &surface)
{
    const QPointF centre(L.x(612), L.y(84));
    const double radius = 11.5 * L.s;
    const int size = int(std::ceil(radius * 2 + 4));
    const MoonPainter painter(surface, size, size / 2.0, size / 2.0, radius, 4);
    const QImage crescent = painter.litDisc(38);

    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QRadialGradient halo(centre, radius * 5);
    halo.setColorAt(0, QColor(210, 215, 240, 46));
    halo.setColorAt(1, QColor(210, 215, 240, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, radius * 5, radius * 5);
    // Earthshine: the dark part of a young Moon is faintly visible.
    p.setBrush(QColor(120, 130, 170, 60));
    p.drawEllipse(centre, radius, radius);
    // The lit limb faces the Sun below the horizon at the glow.
    const double toSun = std::atan2(L.horizon - centre.y(), L.glowX - centre.x()) * 180 / kPi;
    p.translate(centre);
    p.rotate(toSun);
    // The crescent image is black where unlit; lighten keeps the earthshine.
    p.setCompositionMode(QPainter::CompositionMode_Lighten);
    p.drawImage(QPointF(-size / 2.0, -size / 2.0), crescent);
}

// Height of a hill line above the horizon at x, from one-dimensional noise.
double ridge(const Noise3 &n, const Layout &L, double x, double base, double amp, double scale)
{
    return L.horizon - L.s * (base + amp * (0.5 + 0.5 * n.fbm({x / L.s / scale, 0.5, 0.5}, 4)));
}

void paintSpruce(QPainterPath &path, double x, double bottom, double height, double width, Rng &rng)
{
    // A conifer seen against the light: a narrow spire with ragged tiers.
    const int tiers = std::max(4, int(height / 5));
    QPolygonF poly;
    poly << QPointF(x, bottom - height);
    for (int i = 1; i <= tiers; ++i) {
        const double t = double(i) / tiers;
        const double w = width * std::pow(t, 0.85) * rng.uniform(0.8, 1.1);
        poly << QPointF(x + w, bottom - height * (1 - t) + 1.2) << QPointF(x + w * 0.45, bottom - height * (1 - t));
    }
    poly << QPointF(x + width * 0.15, bottom) << QPointF(x - width * 0.15, bottom);
    for (int i = tiers; i >= 1; --i) {
        const double t = double(i) / tiers;
        const double w = width * std::pow(t, 0.85) * rng.uniform(0.8, 1.1);
        poly << QPointF(x - w * 0.45, bottom - height * (1 - t)) << QPointF(x - w, bottom - height * (1 - t) + 1.2);
    }
    path.addPolygon(poly);
    path.closeSubpath();
}

void paintShore(QImage &img, const Layout &L)
{
    const Noise3 n(0x41115);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double w = img.width();

    // Far hills in the haze, warmer where the glow is.
    QPainterPath far;
    far.moveTo(0, L.horizon + 1);
    for (double x = 0; x <= w; x += 2)
        far.lineTo(x, ridge(n, L, x, 16, 30, 160));
    far.lineTo(w, L.horizon + 1);
    QLinearGradient farFill(0, L.horizon - 50 * L.s, 0, L.horizon);
    farFill.setColorAt(0, QColor(0x4a, 0x44, 0x6c));
    farFill.setColorAt(1, QColor(0x6a, 0x55, 0x6e));
    p.setBrush(farFill);
    p.drawPath(far);

    // Nearer, darker hills on the right.
    QPainterPath near;
    near.moveTo(L.x(300), L.horizon + 1);
    for (double x = L.x(300); x <= w; x += 2)
        near.lineTo(x, std::max(ridge(n, L, x + 500, 4, 20, 90), L.horizon - L.s * 2 - (x - L.x(300)) * 0.25));
    near.lineTo(w, L.horizon + 1);
    p.setBrush(QColor(0x2b, 0x2a, 0x46));
    p.drawPath(near);

    // A wooded point on the left, tallest at the edge, and a low line of trees
    // along the right shore; the middle stays open over the glow.
    Rng rng(0x7EE5);
    QPainterPath trees;
    trees.setFillRule(Qt::WindingFill); // overlapping trees must not cancel out
    // The ground of the point slopes down into the lake at its tip.
    trees.addPolygon(QPolygonF({QPointF(0, L.horizon + 1), QPointF(0, L.horizon - 12 * L.s),
                                QPointF(L.x(250), L.horizon - 7 * L.s), QPointF(L.x(345), L.horizon + 1)}));
    trees.closeSubpath();
    for (double x = -4; x < L.x(320);) {
        const double envelope = 6 + 70 * smoothstep(L.x(330), L.x(60), x);
        const double h = L.s * envelope * rng.uniform(0.65, 1.0);
        paintSpruce(trees, x, L.horizon + 1, h, h * rng.uniform(0.22, 0.3), rng);
        x += L.s * rng.uniform(4, 9);
    }
    trees.addPolygon(QPolygonF({QPointF(L.x(545), L.horizon + 1), QPointF(L.x(620), L.horizon - 4 * L.s),
                                QPointF(w, L.horizon - 6 * L.s), QPointF(w, L.horizon + 1)}));
    trees.closeSubpath();
    for (double x = L.x(570); x < w + 4;) {
        const double envelope = 6 + 20 * smoothstep(L.x(560), L.x(740), x);
        const double h = L.s * envelope * rng.uniform(0.6, 1.0);
        paintSpruce(trees, x, L.horizon + 1, h, h * rng.uniform(0.24, 0.32), rng);
        x += L.s * rng.uniform(3, 7);
    }
    p.setBrush(QColor(0x10, 0x13, 0x20));
    p.drawPath(trees);

    // Evening mist over the water's edge.
    QLinearGradient mist(0, L.horizon - 14 * L.s, 0, L.horizon + 1);
    mist.setColorAt(0, QColor(150, 130, 165, 0));
    mist.setColorAt(1, QColor(150, 130, 165, 34));
    p.setBrush(mist);
    p.drawRect(QRectF(0, L.horizon - 14 * L.s, w, 14 * L.s + 1));

    // Three birds heading home.
    QPen birdPen(QColor(0x15, 0x17, 0x26), std::max(1.0, 1.1 * L.s));
    p.setPen(birdPen);
    p.setBrush(Qt::NoBrush);
    const QPointF birds[] = {{440, 150}, {462, 158}, {451, 141}};
    for (const QPointF &b : birds) {
        const double bx = L.x(b.x()), by = L.y(b.y()), span = 5 * L.s;
        QPainterPath wing;
        wing.moveTo(bx - span, by - span * 0.3);
        wing.quadTo(bx - span * 0.4, by - span * 0.6, bx, by);
        wing.quadTo(bx + span * 0.4, by - span * 0.6, bx + span, by - span * 0.3);
        p.drawPath(wing);
    }
}

// The water mirrors everything above the horizon. Ripples are laid out in
// perspective: each octave of the wave pattern is seen at a depth where it
// spans some rows; where it would span fewer than a few rows it is averaged
// away, so the water near the horizon is a clean mirror and the ripples grow
// towards the viewer. A ripple tilts the mirror and so shifts where the
// reflection is read from.
void paintWater(QImage &img, const Layout &L)
{
    const Noise3 waves(0x3A7E2);
    const QImage above = img.copy();
    const int H = int(std::ceil(L.horizon));
    auto sampleAbove = [&](double x, double y) {
        // Bilinear, so that the gently displaced reflection stays smooth.
        x = std::clamp(x - 0.5, 0.0, img.width() - 1.001);
        y = std::clamp(y - 0.5, 0.0, H - 1.001);
        const int xi = int(x), yi = int(y);
        const int x1 = std::min(xi + 1, img.width() - 1), y1 = std::min(yi + 1, H - 1);
        const double fx = x - xi, fy = y - yi;
        return lerp(lerp(fromRgb(above.pixel(xi, yi)), fromRgb(above.pixel(x1, yi)), fx),
                    lerp(fromRgb(above.pixel(xi, y1)), fromRgb(above.pixel(x1, y1)), fx), fy);
    };
    const double focal = 1125 * L.s; // rows per wave period at depth dy are dy * dy / focal
    auto surface = [&](double x, double dy) {
        const double depth = focal / dy;
        const double across = (x - img.width() / 2.0) / dy * 0.35;
        double h = 0, amp = 1;
        for (int o = 0; o < 4; ++o) {
            const double f = double(1 << o);
            const double rows = dy * dy / focal / f;
            h += amp * smoothstep(1.5, 5.0, rows) * waves({across * f, depth * f, 3.1 * o});
            amp *= 0.55;
        }
        return h;
    };
    const Rgb deep = hex(0x050b18);
    for (int j = H; j < img.height(); ++j) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(j));
        const double dy = j + 0.5 - L.horizon;
        for (int i = 0; i < img.width(); ++i) {
            const double x = i + 0.5;
            const double h0 = surface(x, dy);
            const double tiltRow = surface(x, dy + 0.5) - surface(x, std::max(0.25, dy - 0.5));
            const double tiltCol = surface(x + 0.5, dy) - surface(x - 0.5, dy);
            const double srcY = L.horizon - dy + tiltRow * dy * 1.3;
            const double srcX = x + tiltCol * dy * 0.5;
            const Rgb mirrored = sampleAbove(srcX, srcY);
            // Water reflects most at a grazing view and less at our feet.
            const double reflect = 0.40 + 0.48 * std::exp(-dy / (110 * L.s));
            Rgb c = lerp(deep, mirrored, reflect);
            // A faint sheen on the faces that tilt towards the bright sky.
            c = c + Rgb{0.04, 0.04, 0.07} * smoothstep(0.0, 0.5, h0 * 0.5 - tiltRow * 2);
            line[i] = toRgb(c);
        }
    }
}

void paintBoat(QImage &img, const Layout &L)
{
    // An angler in a small boat, well away from the middle of the picture.
    const double waterline = L.horizon + 40 * L.s;
    const double bx = L.x(232);
    QImage layer(img.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(bx, waterline);
        p.scale(L.s, L.s);
        const QColor ink(0x0b, 0x0e, 0x18);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath hull;
        hull.moveTo(-26, -6);
        hull.lineTo(24, -7);
        hull.quadTo(20, 0, 14, 0.5);
        hull.lineTo(-20, 0.5);
        hull.quadTo(-25, -1, -26, -6);
        p.drawPath(hull);
        // The angler, seated, leaning a little forward.
        QPainterPath body;
        body.moveTo(-4, -6);
        body.quadTo(-6, -14, -2, -20);
        body.lineTo(3, -19);
        body.quadTo(4, -12, 3, -6);
        body.closeSubpath();
        p.drawPath(body);
        p.drawEllipse(QPointF(0.5, -22.5), 2.6, 2.8);
        // A brimmed hat.
        p.drawRect(QRectF(-3.5, -25.2, 8, 1.2));
        p.drawRect(QRectF(-1.5, -27.5, 4, 2.6));
        // The rod, bending under its own weight, and the line to the water.
        QPen rod(ink, 0.9);
        p.setPen(rod);
        p.setBrush(Qt::NoBrush);
        QPainterPath rodPath;
        rodPath.moveTo(3, -14);
        rodPath.quadTo(22, -30, 44, -30);
        p.drawPath(rodPath);
        QPen line(QColor(0x8a, 0x80, 0x98, 150), 0.4);
        p.setPen(line);
        QPainterPath linePath;
        linePath.moveTo(44, -30);
        linePath.quadTo(48, -12, 50, 0);
        p.drawPath(linePath);
        // The rings where the line enters the water.
        p.setPen(QPen(QColor(0xb0, 0x9a, 0xa8, 90), 0.5));
        p.drawEllipse(QPointF(50, 0.5), 5, 0.9);
        p.drawEllipse(QPointF(50, 0.5), 9, 1.6);
    }

    // The boat's reflection, broken up by the ripples.
    QPainter p(&img);
    const int top = int(waterline - 31 * L.s), wl = int(waterline);
    for (int j = 1; j < wl - top; ++j) {
        const int src = wl - j, dst = wl + j;
        if (dst >= img.height() || src < 0)
            break;
        const double shift = std::sin(j * 1.7) * 0.8 * L.s + std::sin(j * 0.6) * 0.6 * L.s;
        p.setOpacity(0.55 * (1 - double(j) / (wl - top)));
        p.drawImage(QPointF(shift, dst), layer, QRectF(0, src, layer.width(), 1));
    }
    p.setOpacity(1);
    p.drawImage(0, 0, layer);
}

void paintReeds(QImage &img, const Layout &L)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(0x2EED5);
    const double bottom = img.height() + 2;
    const QColor ink(0x05, 0x08, 0x10);

    auto clump = [&](double left, double right, int blades, int cattails, double tall) {
        for (int k = 0; k < blades; ++k) {
            const double x = rng.uniform(left, right);
            const double h = L.s * tall * rng.uniform(0.35, 1.0);
            const double lean = L.s * rng.uniform(-28, 28);
            const double w = L.s * rng.uniform(1.6, 3.2);
            QPainterPath blade;
            blade.moveTo(x - w, bottom);
            blade.quadTo(x - w * 0.6 + lean * 0.3, bottom - h * 0.6, x + lean, bottom - h);
            blade.quadTo(x + w * 0.4 + lean * 0.3, bottom - h * 0.6, x + w, bottom);
            blade.closeSubpath();
            p.fillPath(blade, ink);
        }
        for (int k = 0; k < cattails; ++k) {
            const double x = rng.uniform(left, right);
            const double h = L.s * tall * rng.uniform(0.7, 1.05);
            const double lean = L.s * rng.uniform(-10, 10);
            QPen stem(ink, 1.4 * L.s);
            p.setPen(stem);
            p.setBrush(Qt::NoBrush);
            QPainterPath path;
            path.moveTo(x, bottom);
            path.quadTo(x, bottom - h * 0.5, x + lean, bottom - h);
            p.drawPath(path);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x0c, 0x0a, 0x0d));
            const QPointF head(x + lean * 0.93, bottom - h * 0.86);
            p.save();
            p.translate(head);
            p.rotate(std::atan2(lean, h) * 180 / kPi);
            p.drawRoundedRect(QRectF(-2.6 * L.s, -10 * L.s, 5.2 * L.s, 20 * L.s), 2.6 * L.s, 2.6 * L.s);
            p.restore();
        }
    };
    clump(L.x(4), L.x(120), 26, 3, 170);
    clump(L.x(110), L.x(175), 9, 1, 80);
    clump(L.x(640), L.x(756), 22, 2, 140);

    // Lily pads resting on the water at the left.
    p.setPen(QPen(QColor(0x3a, 0x40, 0x55, 120), 0.8 * L.s));
    p.setBrush(QColor(0x0a, 0x12, 0x16));
    const QPointF pads[] = {{168, 520}, {205, 533}, {150, 540}, {232, 512}};
    const double sizes[] = {16, 12, 20, 9};
    for (std::size_t k = 0; k < std::size(pads); ++k) {
        const double r = sizes[k] * L.s;
        QPainterPath pad;
        const QPointF c(L.x(pads[k].x()), L.y(pads[k].y()));
        pad.moveTo(c);
        pad.arcTo(QRectF(c.x() - r, c.y() - r * 0.3, 2 * r, r * 0.6), 20 + k * 40, 330);
        pad.closeSubpath();
        p.drawPath(pad);
    }
}

void vignette(QImage &img)
{
    const double cx = img.width() / 2.0, cy = img.height() / 2.0;
    for (int j = 0; j < img.height(); ++j) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(j));
        for (int i = 0; i < img.width(); ++i) {
            const double r = std::sqrt(sq((i + 0.5 - cx) / cx) + sq((j + 0.5 - cy) / cy));
            line[i] = toRgb(fromRgb(line[i]) * (1 - 0.32 * smoothstep(0.6, 1.4, r)));
        }
    }
}

} // namespace

QImage renderLakeScene(int width, int height, const MoonSurface &moon)
{
    Layout L;
    L.sx = width / 760.0;
    L.sy = height / 560.0;
    L.s = std::min(L.sx, L.sy);
    L.horizon = L.y(262);
    L.glowX = L.x(500);

    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::black);
    paintSky(img, L);
    paintMoon(img, L, moon);
    paintShore(img, L);
    paintWater(img, L);
    paintBoat(img, L);
    paintReeds(img, L);
    vignette(img);
    return img;
}

} // namespace artgen
