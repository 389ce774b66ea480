#include "Fish.h"

#include <QPainter>
#include <QPainterPath>

namespace artgen {

namespace {

QPainterPath body()
{
    QPainterPath b;
    b.moveTo(1.00, 0.00);
    b.cubicTo(0.97, -0.10, 0.89, -0.15, 0.79, -0.16); // forehead
    b.cubicTo(0.61, -0.19, 0.40, -0.17, 0.22, -0.09); // back
    b.cubicTo(0.15, -0.06, 0.10, -0.045, 0.07, -0.045);
    b.lineTo(0.07, 0.045);
    b.cubicTo(0.12, 0.05, 0.20, 0.08, 0.30, 0.12); // belly
    b.cubicTo(0.50, 0.19, 0.70, 0.18, 0.85, 0.12);
    b.cubicTo(0.93, 0.09, 0.99, 0.06, 1.02, 0.035); // lower jaw
    b.lineTo(0.93, 0.012);                          // the gape
    b.closeSubpath();
    return b;
}

QPainterPath tail()
{
    QPainterPath t;
    t.moveTo(0.10, -0.04);
    t.cubicTo(0.04, -0.07, -0.02, -0.14, -0.08, -0.17);
    t.quadTo(-0.02, 0.0, -0.08, 0.17);
    t.cubicTo(-0.02, 0.14, 0.04, 0.07, 0.10, 0.04);
    t.closeSubpath();
    return t;
}

QPainterPath spinyDorsal()
{
    // Spines with the membrane dipping between them.
    QPainterPath d;
    d.moveTo(0.66, -0.175);
    const double xs[] = {0.62, 0.575, 0.53, 0.485, 0.44, 0.40};
    const double hs[] = {0.25, 0.29, 0.285, 0.26, 0.23, 0.20};
    for (int k = 0; k < 6; ++k) {
        d.lineTo(xs[k] + 0.01, -hs[k]);
        d.lineTo(xs[k] - 0.015, -hs[k] + 0.018);
    }
    d.lineTo(0.37, -0.17);
    d.closeSubpath();
    return d;
}

QPainterPath softFins()
{
    QPainterPath f;
    // Soft dorsal.
    f.moveTo(0.37, -0.17);
    f.cubicTo(0.33, -0.26, 0.24, -0.25, 0.19, -0.08);
    f.closeSubpath();
    // Anal fin.
    f.moveTo(0.34, 0.13);
    f.cubicTo(0.30, 0.23, 0.22, 0.21, 0.17, 0.075);
    f.closeSubpath();
    // Pelvic fin.
    f.moveTo(0.66, 0.175);
    f.cubicTo(0.64, 0.25, 0.58, 0.26, 0.55, 0.18);
    f.closeSubpath();
    return f;
}

QPainterPath pectoral()
{
    QPainterPath f;
    f.moveTo(0.74, 0.05);
    f.cubicTo(0.66, 0.03, 0.60, 0.08, 0.59, 0.11);
    f.cubicTo(0.64, 0.11, 0.70, 0.09, 0.74, 0.07);
    f.closeSubpath();
    return f;
}

} // namespace

void paintBassSilhouette(QPainter &p, const QColor &color)
{
    QPainterPath all = body().united(tail()).united(spinyDorsal()).united(softFins());
    p.fillPath(all, color);
}

void paintBass(QPainter &p)
{
    p.save();
    const QColor finColor(104, 112, 58, 215);
    p.fillPath(tail(), finColor);
    p.fillPath(spinyDorsal(), finColor);
    p.fillPath(softFins(), finColor);
    // Fin rays.
    p.setPen(QPen(QColor(50, 56, 26, 150), 0.004));
    for (double x = 0.41; x < 0.66; x += 0.045)
        p.drawLine(QPointF(x, -0.17), QPointF(x + 0.005, -0.255));
    for (double y = -0.14; y <= 0.141; y += 0.035)
        p.drawLine(QPointF(0.09, y * 0.3), QPointF(-0.05, y));

    const QPainterPath b = body();
    QLinearGradient skin(0, -0.19, 0, 0.19);
    skin.setColorAt(0.0, QColor(46, 70, 32));
    skin.setColorAt(0.35, QColor(110, 138, 64));
    skin.setColorAt(0.62, QColor(176, 184, 112));
    skin.setColorAt(1.0, QColor(236, 230, 190));
    p.fillPath(b, skin);

    p.save();
    p.setClipPath(b);
    // The dark, broken band along the flank.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 48, 20, 150));
    const double blotches[][3] = {{0.14, 0.0, 0.03},    {0.22, -0.01, 0.04},  {0.31, -0.015, 0.045},
                                  {0.40, -0.02, 0.05},  {0.50, -0.02, 0.045}, {0.59, -0.025, 0.04},
                                  {0.67, -0.03, 0.035}, {0.76, -0.035, 0.025}};
    for (const auto &bl : blotches)
        p.drawEllipse(QPointF(bl[0], bl[1]), bl[2] * 1.2, bl[2] * 0.75);
    // A sheen along the back.
    QLinearGradient sheen(0, -0.2, 0, 0.0);
    sheen.setColorAt(0, QColor(255, 255, 230, 0));
    sheen.setColorAt(0.6, QColor(255, 255, 230, 50));
    sheen.setColorAt(1, QColor(255, 255, 230, 0));
    p.setBrush(sheen);
    p.drawRect(QRectF(0.2, -0.2, 0.7, 0.2));
    // Gill cover.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 52, 24, 170), 0.008));
    QPainterPath gill;
    gill.moveTo(0.80, -0.125);
    gill.cubicTo(0.74, -0.06, 0.74, 0.05, 0.80, 0.11);
    p.drawPath(gill);
    p.restore();

    p.fillPath(pectoral(), QColor(150, 150, 80, 200));
    // Eye.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(196, 150, 40));
    p.drawEllipse(QPointF(0.875, -0.06), 0.028, 0.028);
    p.setBrush(QColor(10, 10, 10));
    p.drawEllipse(QPointF(0.878, -0.06), 0.016, 0.016);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(0.870, -0.068), 0.006, 0.006);
    // The edge of the body.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 40, 18, 160), 0.006));
    p.drawPath(b);
    p.restore();
}

} // namespace artgen
