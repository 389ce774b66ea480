#pragma once

// Small numeric helpers shared by the renderers: a 3-vector, a seeded random
// source whose sequence is the same on every compiler (std distributions are
// not), and gradient noise. Every picture is rendered from fixed seeds, so a
// rebuild gives byte-identical files.

#include <array>
#include <cmath>
#include <cstdint>

namespace artgen {

struct Vec3
{
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a)
{
    return std::sqrt(dot(a, a));
}
inline Vec3 normalized(Vec3 a)
{
    const double l = length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

constexpr double kPi = 3.14159265358979323846;
inline double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

inline double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

// Unit vector of a selenographic (or any spherical) position: x to the east
// (right as seen from Earth), y to the north (up), z towards the viewer.
inline Vec3 fromLatLon(double latDeg, double lonDeg)
{
    const double la = radians(latDeg), lo = radians(lonDeg);
    return {std::cos(la) * std::sin(lo), std::sin(la), std::cos(la) * std::cos(lo)};
}

// splitmix64: tiny, well mixed, and identical everywhere.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // A direction uniformly distributed over the sphere.
    Vec3 onSphere()
    {
        const double z = uniform(-1, 1), a = uniform(0, 2 * kPi), r = std::sqrt(1 - z * z);
        return {r * std::cos(a), r * std::sin(a), z};
    }

private:
    std::uint64_t state_;
};

// Improved gradient noise in three dimensions, values roughly in [-1, 1].
class Noise3
{
public:
    explicit Noise3(std::uint64_t seed);
    double operator()(double x, double y, double z) const;
    double operator()(Vec3 p) const { return (*this)(p.x, p.y, p.z); }
    // Fractal sum of `octaves` layers, each at twice the frequency and `gain`
    // times the amplitude of the one before; normalised to about [-1, 1].
    double fbm(Vec3 p, int octaves, double gain = 0.5) const;

private:
    std::array<int, 512> perm_{};
};

} // namespace artgen
