#include "Frame.h"

#include "Noise.h"

#include <algorithm>

namespace artgen {

QPolygonF windowOutline()
{
    static const int xy[52][2] = {
        {2, 15},    {3, 14},    {4, 11},    {5, 9},     {6, 8},     {7, 7},     {8, 6},     {10, 5},    {11, 4},
        {13, 3},    {14, 3},    {745, 3},   {746, 4},   {747, 4},   {748, 5},   {749, 5},   {751, 6},   {752, 7},
        {753, 8},   {754, 9},   {755, 10},  {755, 11},  {756, 12},  {756, 13},  {756, 14},  {757, 15},  {757, 17},
        {757, 544}, {756, 545}, {756, 547}, {755, 548}, {754, 550}, {754, 551}, {753, 552}, {752, 553}, {751, 554},
        {750, 554}, {749, 555}, {747, 556}, {746, 557}, {744, 557}, {15, 557},  {13, 556},  {10, 555},  {9, 554},
        {7, 553},   {6, 552},   {5, 550},   {4, 549},   {3, 547},   {2, 544},   {2, 16}};
    QPolygonF poly;
    for (const auto &p : xy)
        poly << QPointF(p[0], p[1]);
    return poly;
}

namespace {

struct Rgb
{
    double r, g, b;
};

// Nearest point of the outline to q: distance and the unit vector pointing
// from the outline towards q.
void nearestEdge(const QPolygonF &poly, QPointF q, double &dist, QPointF &away)
{
    dist = 1e9;
    for (int k = 0; k < poly.size(); ++k) {
        const QPointF a = poly[k], b = poly[(k + 1) % poly.size()];
        const QPointF ab = b - a;
        const double len2 = QPointF::dotProduct(ab, ab);
        const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(q - a, ab) / len2, 0.0, 1.0) : 0.0;
        const QPointF n = a + ab * t;
        const QPointF v = q - n;
        const double d = std::sqrt(QPointF::dotProduct(v, v));
        if (d < dist) {
            dist = d;
            away = d > 1e-9 ? v / d : QPointF(0, 0);
        }
    }
}

// The moulding's cross-section, from the outer edge inwards: a dark lip, a
// broad gilded bead, a groove, a narrow bead and a dark fillet. Returns false
// past the moulding; otherwise the base colour and the slope of the section
// (rise per pixel moving inwards).
bool moulding(double d, Rgb &base, double &slope)
{
    auto bead = [&](double centre, double half) {
        const double t = std::clamp((d - centre) / half, -0.97, 0.97);
        slope = -t / std::sqrt(1 - t * t);
    };
    slope = 0;
    if (d < 1.2) {
        base = {0.17, 0.12, 0.06};
    } else if (d < 7.2) {
        base = {0.78, 0.60, 0.28};
        bead(4.2, 3.0);
    } else if (d < 8.2) {
        base = {0.16, 0.11, 0.05};
    } else if (d < 10.8) {
        base = {0.84, 0.69, 0.38};
        bead(9.5, 1.3);
    } else if (d < 11.8) {
        base = {0.12, 0.09, 0.05};
    } else {
        return false;
    }
    return true;
}

} // namespace

void drawFrame(QImage &img, const QPolygonF &outline, double scale)
{
    constexpr double kShadow = 18;                   // inner shadow cast on the picture
    constexpr double kMatLine = 21;                  // a fine gilt line inside the shadow
    const int band = int(std::ceil(26 * scale)) + 1; // no part of the frame lies further in
    constexpr int kSub = 4;                          // supersampling per axis
    const Vec3 light = normalized({-1.0, -1.3, 1.6});
    const Vec3 halfway = normalized(light + Vec3{0, 0, 1});
    const QRectF box = outline.boundingRect();
    const QImage picture = img.copy();

    for (int j = 0; j < img.height(); ++j) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(j));
        for (int i = 0; i < img.width(); ++i) {
            const bool nearBorder =
                i < box.left() + band || i > box.right() - band || j < box.top() + band || j > box.bottom() - band;
            if (!nearBorder)
                continue;
            const QRgb src = picture.pixel(i, j);
            double r = 0, g = 0, b = 0;
            for (int sj = 0; sj < kSub; ++sj) {
                for (int si = 0; si < kSub; ++si) {
                    const QPointF q(i + (si + 0.5) / kSub, j + (sj + 0.5) / kSub);
                    Rgb c;
                    if (!outline.containsPoint(q, Qt::OddEvenFill)) {
                        c = {0.10, 0.07, 0.04};
                    } else {
                        double d;
                        QPointF away;
                        nearestEdge(outline, q, d, away);
                        d /= scale;
                        Rgb base;
                        double slope;
                        if (moulding(d, base, slope)) {
                            const Vec3 n = normalized({-slope * away.x(), -slope * away.y(), 1});
                            const double diffuse = std::max(0.0, dot(n, light));
                            const double shine = std::pow(std::max(0.0, dot(n, halfway)), 28);
                            c = {base.r * (0.25 + 0.95 * diffuse) + 0.55 * shine,
                                 base.g * (0.25 + 0.95 * diffuse) + 0.50 * shine,
                                 base.b * (0.25 + 0.95 * diffuse) + 0.38 * shine};
                        } else {
                            const double shade = 0.35 + 0.65 * smoothstep(11.8, kShadow, d);
                            c = {qRed(src) / 255.0 * shade, qGreen(src) / 255.0 * shade, qBlue(src) / 255.0 * shade};
                            const double mat = 0.6 * std::max(0.0, 1 - std::abs(d - kMatLine) / 0.7);
                            c = {mix(c.r, 0.80, mat), mix(c.g, 0.64, mat), mix(c.b, 0.34, mat)};
                        }
                    }
                    r += c.r;
                    g += c.g;
                    b += c.b;
                }
            }
            const double n = kSub * kSub;
            line[i] = qRgb(int(std::lround(clamp01(r / n) * 255)), int(std::lround(clamp01(g / n) * 255)),
                           int(std::lround(clamp01(b / n) * 255)));
        }
    }
}

} // namespace artgen
