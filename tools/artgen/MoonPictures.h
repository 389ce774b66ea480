#pragma once

#include "MoonSurface.h"

#include <QImage>
#include <QStringList>

namespace artgen {

// Geometry of the moon pictures: 100 × 100 pixels, the disc 77 pixels across
// covering columns 12 to 88 and rows 11 to 87, one picture per 2 degrees of
// phase angle from identifier 101 (new) through 191 (full) to 280.
constexpr int kMoonPictureSize = 100;
constexpr int kFirstMoonId = 101;
constexpr int kMoonPictureCount = 180;
constexpr int kDiscLeft = 12, kDiscRight = 88, kDiscTop = 11, kDiscBottom = 87;
constexpr double kUnlitShare = 1.0 / 6.0; // the dark side at a sixth of the lit brightness

inline double moonPhaseForId(int id)
{
    return 2.0 * (id - kFirstMoonId);
}

// Renders one fixed Moon at any phase with supersampling: the relief and albedo
// are sampled once, only the lighting changes between phases.
class MoonPainter
{
public:
    MoonPainter(const MoonSurface &surface, int imageSize, double cx, double cy, double radius, int supersample);

    // 8-bit grey picture on black: the lit part, and the unlit part at a sixth
    // of the full-moon brightness.
    QImage picture(double phaseDegrees) const;
    // The lit Moon alone on a transparent square, for artwork.
    QImage litDisc(double phaseDegrees) const;

private:
    double tone(double radiance) const;
    template <typename Fn> void eachPixel(double phaseDegrees, bool withUnlit, Fn &&fn) const;

    MoonMaps maps_;
    std::vector<double> fullTone_;
    int size_, ss_;
    double reference_ = 1;
};

// Writes moon/moon101.png ... moon/moon280.png under `resourceDir` and appends
// the paths written (relative to resourceDir) to `written`.
bool writeMoonPictures(const QString &resourceDir, QStringList &written);

} // namespace artgen
