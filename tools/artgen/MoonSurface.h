#pragma once

// A generated Moon as seen from the northern hemisphere of the Earth, north up,
// the lunar east (Mare Crisium) on the right. The face is fixed: the maria sit
// where the real ones do, the craters come from one seed, so every rendering,
// whatever its size or lighting, shows the same Moon.

#include "Noise.h"

#include <vector>

namespace artgen {

// One sample of a rendered disc: where it lies on the sphere, the surface
// normal including the relief, and the albedo (about 1 for bright highland).
struct MoonSample
{
    bool inside = false;
    Vec3 sphere; // unit vector; also the smooth normal
    Vec3 normal;
    double albedo = 0;
};

struct MoonMaps
{
    int width = 0, height = 0;
    std::vector<MoonSample> samples; // row by row
    const MoonSample &at(int x, int y) const { return samples[std::size_t(y) * width + x]; }
};

class MoonSurface
{
public:
    MoonSurface();

    // Samples a disc of radius `radius` centred at (cx, cy) on a width × height
    // grid; sample (i, j) stands for the point (i + 0.5, j + 0.5).
    MoonMaps render(int width, int height, double cx, double cy, double radius) const;

    // Reflected light of one sample lit from direction `sun` (unit vector, same
    // frame as the samples; the viewer looks along -z). A lunar-Lambert law: the
    // full Moon is nearly flat but a little darker at the limb.
    static double radiance(const MoonSample &s, Vec3 sun);

    // Sun direction for a phase angle in degrees, 0 new moon, 90 first quarter
    // (right half lit), 180 full, 270 last quarter (left half lit).
    static Vec3 sunForPhase(double phaseDegrees);

private:
    struct Mare
    {
        Vec3 centre, east, north;
        double radiusEast, radiusNorth, darkness;
    };
    struct Crater
    {
        Vec3 centre, east, north;
        double radius; // radians
        double depth, rim, peak, flatFloor;
        double freshness; // 0 worn down .. 1 young and bright
        double floorDarkening;
        int rays; // number of bright rays, 0 for most
        double rayLength;
    };

    void addMare(double lat, double lon, double rNorth, double rEast, double darkness);
    void addCrater(double lat, double lon, double diameterKm, double freshness, int rays = 0, double rayLength = 0,
                   double floorDarkening = 0);
    Crater makeCrater(Vec3 centre, double radius, double freshness) const;
    double mareCover(Vec3 p) const;
    void applyCrater(const Crater &c, MoonMaps &maps, std::vector<Vec3> &slope, double cx, double cy,
                     double radius) const;
    void applyRays(const Crater &c, std::size_t index, MoonMaps &maps) const;

    std::vector<Mare> maria_;
    std::vector<Crater> craters_;
    Noise3 shoreNoise_{0x5EA5u};
    Noise3 albedoNoise_{0xA1BEu};
    Noise3 reliefNoise_{0x7E11Fu};
};

} // namespace artgen
