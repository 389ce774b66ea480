#include "MoonSurface.h"

#include <algorithm>

namespace artgen {

namespace {

constexpr double kMoonRadiusKm = 1737.4;

double sq(double v)
{
    return v * v;
}

Vec3 eastAt(Vec3 c)
{
    const Vec3 e{c.z, 0, -c.x};
    return length(e) > 1e-9 ? normalized(e) : Vec3{1, 0, 0};
}

double wrapAngle(double a)
{
    while (a > kPi)
        a -= 2 * kPi;
    while (a < -kPi)
        a += 2 * kPi;
    return a;
}

} // namespace

MoonSurface::MoonSurface()
{
    // The maria where the real ones lie (latitude, longitude, half extents north
    // and east in degrees), Oceanus Procellarum and Mare Frigoris pieced from
    // overlapping patches. Shores are roughened by noise when rendering.
    addMare(33, -17, 17, 19, 0.46);  // Imbrium
    addMare(45, -31, 5, 7, 0.40);    // Sinus Iridum
    addMare(41, -50, 9, 12, 0.46);   // Procellarum, north
    addMare(27, -55, 12, 12, 0.48);  // Procellarum
    addMare(21, -37, 8, 8, 0.46);    // Procellarum, towards Imbrium
    addMare(13, -50, 13, 13, 0.50);  // Procellarum
    addMare(4, -62, 9, 8, 0.48);     // Procellarum, west
    addMare(1, -44, 10, 11, 0.47);   // Procellarum, south
    addMare(-9, -38, 8, 8, 0.44);    // Procellarum, southern tip
    addMare(51, -45, 4, 10, 0.38);   // Sinus Roris
    addMare(8, -29, 8, 9, 0.40);     // Insularum
    addMare(12, -8, 4, 5, 0.36);     // Sinus Aestuum
    addMare(-10, -23, 6, 7, 0.42);   // Cognitum
    addMare(-21, -17, 10, 11, 0.41); // Nubium
    addMare(-24, -39, 6, 6, 0.48);   // Humorum
    addMare(13, 4, 4, 6, 0.38);      // Vaporum
    addMare(2, 2, 3, 4, 0.30);       // Sinus Medii
    addMare(28, 18, 10, 11, 0.40);   // Serenitatis
    addMare(17, 26, 4, 4, 0.46);     // between Serenitatis and Tranquillitatis
    addMare(36, 30, 4, 5, 0.32);     // Lacus Somniorum
    addMare(9, 31, 10, 12, 0.54);    // Tranquillitatis
    addMare(2, 24, 5, 6, 0.50);      // Tranquillitatis, south-west bay
    addMare(17, 59, 8, 9, 0.52);     // Crisium
    addMare(-6, 52, 11, 7, 0.45);    // Fecunditatis
    addMare(-7, 40, 4, 5, 0.40);     // Sinus Asperitatis
    addMare(-15, 35, 5, 5, 0.46);    // Nectaris
    addMare(1, 65, 3, 3, 0.36);      // Spumans
    addMare(7, 69, 3, 3, 0.36);      // Undarum
    addMare(13, 86, 6, 4, 0.38);     // Marginis
    addMare(-1, 87, 6, 4, 0.40);     // Smythii
    addMare(55, -28, 4, 12, 0.28);   // Frigoris, west
    addMare(57, 0, 4, 12, 0.28);     // Frigoris
    addMare(56, 24, 4, 8, 0.26);     // Frigoris, east
    addMare(-21, 86, 6, 4, 0.30);    // Australe

    // The craters a viewer of the real Moon looks for: Tycho and Copernicus with
    // their rays, dark Plato and Grimaldi, the great walled plains.
    addCrater(-43.3, -11.2, 86, 1.0, 34, 0.95);    // Tycho
    addCrater(9.6, -20.1, 93, 0.9, 24, 0.45);      // Copernicus
    addCrater(8.1, -38.0, 31, 0.9, 14, 0.30);      // Kepler
    addCrater(23.7, -47.4, 40, 1.0, 10, 0.22);     // Aristarchus
    addCrater(16.1, 46.8, 28, 0.9, 8, 0.35);       // Proclus
    addCrater(-8.3, 60.3, 132, 0.6, 6, 0.30);      // Langrenus
    addCrater(51.6, -9.4, 101, 0.2, 0, 0, 0.45);   // Plato
    addCrater(-5.2, -68.6, 173, 0.1, 0, 0, 0.55);  // Grimaldi
    addCrater(-58.4, -14.4, 225, 0.2);             // Clavius
    addCrater(-9.3, -1.9, 153, 0.1, 0, 0, 0.12);   // Ptolemaeus
    addCrater(-13.4, -2.8, 108, 0.2);              // Alphonsus
    addCrater(-18.2, -1.9, 96, 0.4);               // Arzachel
    addCrater(-11.4, 26.4, 100, 0.3);              // Theophilus
    addCrater(-13.2, 24.0, 98, 0.3);               // Cyrillus
    addCrater(-18.0, 23.6, 100, 0.2);              // Catharina
    addCrater(-25.1, 60.4, 177, 0.4);              // Petavius
    addCrater(29.7, -4.0, 81, 0.3, 0, 0, 0.15);    // Archimedes
    addCrater(14.5, -11.3, 58, 0.6);               // Eratosthenes
    addCrater(-44.3, -55.3, 227, 0.1, 0, 0, 0.10); // Schickard
    addCrater(-49.6, -21.7, 145, 0.2);             // Longomontanus
    addCrater(-50.0, -6.2, 194, 0.1);              // Maginus
    addCrater(31.8, 29.9, 95, 0.2, 0, 0, 0.10);    // Posidonius
    addCrater(-32.7, 54.1, 74, 0.6);               // Stevinus
    addCrater(-33.5, 60.4, 125, 0.2);              // Furnerius
    addCrater(-29.2, -48.8, 56, 0.5);              // Mersenius
    addCrater(-36.1, -16.0, 100, 0.3);             // Pitatus
    addCrater(50.4, 48.8, 49, 0.7);                // Messala region, a fresh one in the north-east

    // The rest of the cratering from one seed: many small, few large, most of
    // them on the old highlands because the maria flooded theirs.
    Rng rng(0x0C0FFEEu);
    const double rMin = radians(0.45), rMax = radians(4.5);
    int made = 0;
    while (made < 2600) {
        const Vec3 c = rng.onSphere();
        if (c.z < -0.25)
            continue;
        const double u = rng.uniform();
        const double r = std::min(rMax, rMin * std::pow(1 - u, -1 / 1.7));
        const double cover = mareCover(c);
        if (rng.uniform() < cover * 0.9)
            continue;
        const double age = rng.uniform();
        // Young craters are few, and the large young ones are the named ones.
        const bool young = age < 0.06 && r < radians(1.0);
        craters_.push_back(makeCrater(c, r, young ? rng.uniform(0.5, 0.9) : rng.uniform(0.0, 0.35)));
        ++made;
    }
}

void MoonSurface::addMare(double lat, double lon, double rNorth, double rEast, double darkness)
{
    Mare m;
    m.centre = fromLatLon(lat, lon);
    m.east = eastAt(m.centre);
    m.north = cross(m.centre, m.east);
    m.radiusEast = radians(rEast);
    m.radiusNorth = radians(rNorth);
    m.darkness = darkness;
    maria_.push_back(m);
}

MoonSurface::Crater MoonSurface::makeCrater(Vec3 centre, double radius, double freshness) const
{
    Crater c;
    c.centre = centre;
    c.east = eastAt(centre);
    c.north = cross(centre, c.east);
    c.radius = radius;
    c.freshness = freshness;
    // Big craters are shallow with flat floors and central peaks; small fresh
    // ones are steep bowls. Depths are in units of the crater's own radius and
    // somewhat exaggerated so relief still reads at a few pixels.
    const double deg = radius * 180 / kPi;
    const double big = smoothstep(0.8, 3.0, deg);
    c.depth = mix(0.10, 0.34, freshness) * mix(1.0, 0.55, big);
    c.rim = mix(0.02, 0.09, freshness) * mix(1.0, 0.6, big);
    c.flatFloor = 0.5 * big;
    c.peak = 0.12 * big * (0.4 + freshness);
    c.floorDarkening = 0;
    c.rays = 0;
    c.rayLength = 0;
    return c;
}

void MoonSurface::addCrater(double lat, double lon, double diameterKm, double freshness, int rays, double rayLength,
                            double floorDarkening)
{
    Crater c = makeCrater(fromLatLon(lat, lon), diameterKm / 2 / kMoonRadiusKm, freshness);
    c.rays = rays;
    c.rayLength = rayLength;
    c.floorDarkening = floorDarkening;
    craters_.push_back(c);
}

double MoonSurface::mareCover(Vec3 p) const
{
    // The patches add up like a density, so neighbouring patches merge into one
    // sea the way the real maria run into each other; a patch alone ends near
    // its nominal extent. The falloff is steep enough that patches a little
    // more than their extents apart stay separate seas, with a bright range
    // between them. Noise roughens the shores.
    constexpr double kFalloff = 4;
    // The lava filled basins of every shape; warping the position before
    // measuring it against the patches bends their ovals into coastlines.
    const Vec3 warp{shoreNoise_.fbm(p * 3 + Vec3{1.7, 9.2, 4.4}, 4), shoreNoise_.fbm(p * 3 + Vec3{8.3, 2.8, 6.1}, 4),
                    shoreNoise_.fbm(p * 3 + Vec3{5.5, 7.1, 0.9}, 4)};
    p = normalized(p + warp * 0.07);
    double field = 0, tone = 0;
    for (const Mare &m : maria_) {
        const double along = dot(p, m.centre);
        if (along <= 0)
            continue;
        const double u = std::atan2(dot(p, m.east), along) / m.radiusEast;
        const double v = std::atan2(dot(p, m.north), along) / m.radiusNorth;
        const double c = std::exp(-kFalloff * (u * u + v * v));
        field += c;
        tone += c * m.darkness;
    }
    if (field <= 1e-6)
        return 0;
    const double kShore = std::exp(-kFalloff); // a lone patch's rim
    const double rough = field * std::exp(1.2 * shoreNoise_.fbm(p * 9, 4));
    return smoothstep(0.6 * kShore, 1.8 * kShore, rough) * (tone / field) / 0.5;
}

MoonMaps MoonSurface::render(int width, int height, double cx, double cy, double radius) const
{
    MoonMaps maps;
    maps.width = width;
    maps.height = height;
    maps.samples.resize(std::size_t(width) * height);
    std::vector<Vec3> slope(maps.samples.size());

    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            MoonSample &s = maps.samples[std::size_t(j) * width + i];
            const double x = (i + 0.5 - cx) / radius, y = -(j + 0.5 - cy) / radius;
            const double rr = x * x + y * y;
            if (rr >= 1)
                continue;
            s.inside = true;
            s.sphere = {x, y, std::sqrt(1 - rr)};
            const Vec3 p = s.sphere;

            // Highland brightness varies on several scales; maria are darker,
            // mottled, and each has its own tone.
            const double cover = mareCover(p);
            const double highland =
                1.0 + 0.14 * albedoNoise_.fbm(p * 2.2, 5) + 0.06 * albedoNoise_.fbm(p * 14 + Vec3{3, 1, 7}, 3);
            const double mottle = 1 + 0.3 * albedoNoise_.fbm(p * 4 + Vec3{-5, 2, 9}, 5) +
                                  0.15 * albedoNoise_.fbm(p * 11 + Vec3{8, -3, 1}, 3);
            s.albedo = highland * (1 - 0.5 * cover * mottle);

            // Fine roughness of the highlands; the maria are smooth lava plains.
            const double amp = 0.005 * (1 - 0.8 * std::min(cover, 1.0));
            const double e = 0.002;
            auto h = [&](Vec3 q) { return amp * reliefNoise_.fbm(q * 16, 4); };
            const double h0 = h(p);
            const Vec3 g{(h(p + Vec3{e, 0, 0}) - h0) / e, (h(p + Vec3{0, e, 0}) - h0) / e,
                         (h(p + Vec3{0, 0, e}) - h0) / e};
            slope[std::size_t(j) * width + i] = g - p * dot(p, g);
        }
    }

    for (std::size_t k = 0; k < craters_.size(); ++k) {
        applyCrater(craters_[k], maps, slope, cx, cy, radius);
        if (craters_[k].rays > 0)
            applyRays(craters_[k], k, maps);
    }

    for (std::size_t k = 0; k < maps.samples.size(); ++k) {
        MoonSample &s = maps.samples[k];
        // Relief right at the limb would show slopes turned away from us; the
        // real limb is a clean edge, so the relief fades out towards it.
        if (!s.inside)
            continue;
        Vec3 g = slope[k] * smoothstep(0.0, 0.3, s.sphere.z);
        // Exaggerated relief must still face us: no slope may tip past the line
        // of sight, or the limb would show black specks under a full Moon.
        if (g.z > 0.5 * s.sphere.z)
            g = g * (0.5 * s.sphere.z / g.z);
        s.normal = normalized(s.sphere - g);
    }
    return maps;
}

void MoonSurface::applyCrater(const Crater &c, MoonMaps &maps, std::vector<Vec3> &slope, double cx, double cy,
                              double radius) const
{
    constexpr double kExtent = 2.5; // ejecta reach, in crater radii
    const double reach = kExtent * c.radius;
    if (c.centre.z < -std::sin(reach))
        return;
    // An orthographic view never enlarges distances, so the cap fits in a square
    // of half-side equal to its chord.
    const double half = radius * 2 * std::sin(std::min(reach, kPi) / 2) + 1;
    const double px = cx + radius * c.centre.x, py = cy - radius * c.centre.y;
    const int i0 = std::max(0, int(px - half)), i1 = std::min(maps.width - 1, int(px + half));
    const int j0 = std::max(0, int(py - half)), j1 = std::min(maps.height - 1, int(py + half));

    auto profile = [&](double d) {
        double h;
        if (d < 1) {
            const double s = clamp01((d - c.flatFloor) / (1 - c.flatFloor));
            h = -c.depth + (c.depth + c.rim) * s * s;
        } else {
            h = c.rim * std::pow(d, -4.0) * (1 - smoothstep(1.8, kExtent, d));
        }
        return h + c.peak * std::exp(-sq(d / 0.16));
    };

    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const std::size_t k = std::size_t(j) * maps.width + i;
            MoonSample &s = maps.samples[k];
            if (!s.inside)
                continue;
            const double cosA = std::clamp(dot(s.sphere, c.centre), -1.0, 1.0);
            const double d = std::acos(cosA) / c.radius;
            if (d >= kExtent)
                continue;
            const Vec3 away = s.sphere * cosA - c.centre;
            if (length(away) > 1e-12) {
                const double dd = 0.01;
                const double rise =
                    (profile(d + dd) - profile(std::max(0.0, d - dd))) / (d + dd - std::max(0.0, d - dd));
                slope[k] = slope[k] + normalized(away) * rise;
            }
            const double fresh = c.freshness * c.freshness;
            double f = 1 + fresh * (0.4 * smoothstep(1.25, 0.85, d) + 0.2 * smoothstep(kExtent, 1.0, d));
            f *= 1 - c.floorDarkening * smoothstep(0.95, 0.75, d);
            s.albedo *= f;
        }
    }
}

void MoonSurface::applyRays(const Crater &c, std::size_t index, MoonMaps &maps) const
{
    struct Ray
    {
        double azimuth, width, length, strength;
    };
    Rng rng(0xBA5E0000u + index);
    std::vector<Ray> rays;
    for (int k = 0; k < c.rays; ++k)
        rays.push_back({rng.uniform(-kPi, kPi), rng.uniform(0.004, 0.013), c.rayLength * rng.uniform(0.3, 1.0),
                        rng.uniform(0.2, 1.0)});

    for (MoonSample &s : maps.samples) {
        if (!s.inside)
            continue;
        const double cosA = std::clamp(dot(s.sphere, c.centre), -1.0, 1.0);
        const double angle = std::acos(cosA);
        if (angle > c.rayLength || angle < 1e-9)
            continue;
        const double az = std::atan2(dot(s.sphere, c.north), dot(s.sphere, c.east));
        double v = 0;
        for (const Ray &r : rays) {
            const double lateral = std::sin(angle) * wrapAngle(az - r.azimuth);
            v += r.strength * std::exp(-sq(lateral / r.width)) * (1 - smoothstep(0.3 * r.length, r.length, angle));
        }
        v *= smoothstep(1.2 * c.radius, 4.0 * c.radius, angle);
        // A bright nimbus of fine ejecta around the crater itself.
        v += 0.35 * std::exp(-sq((angle - 1.8 * c.radius) / (1.4 * c.radius)));
        v *= clamp01(0.5 + 0.8 * albedoNoise_.fbm(s.sphere * 22, 3));
        s.albedo *= 1 + 0.45 * std::min(v, 1.5);
    }
}

double MoonSurface::radiance(const MoonSample &s, Vec3 sun)
{
    if (!s.inside)
        return 0;
    const double cosI = dot(s.normal, sun);
    if (cosI <= 0)
        return 0;
    const double cosE = std::max(s.normal.z, 0.05);
    constexpr double kLommel = 0.75;
    // Past the smooth terminator the curvature of the globe hides the Sun even
    // from slopes that face it; blending over a narrow band also gives the
    // terminator its slight softness.
    const double horizon = smoothstep(-0.035, 0.035, dot(s.sphere, sun));
    return s.albedo * (kLommel * 2 * cosI / (cosI + cosE) + (1 - kLommel) * cosI) * horizon;
}

Vec3 MoonSurface::sunForPhase(double phaseDegrees)
{
    const double a = radians(phaseDegrees);
    return {std::sin(a), 0, -std::cos(a)};
}

} // namespace artgen
