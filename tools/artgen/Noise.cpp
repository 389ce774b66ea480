#include "Noise.h"

namespace artgen {

namespace {

double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double grad(int hash, double x, double y, double z)
{
    const int h = hash & 15;
    const double u = h < 8 ? x : y;
    const double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

} // namespace

Noise3::Noise3(std::uint64_t seed)
{
    Rng rng(seed);
    std::array<int, 256> p{};
    for (int i = 0; i < 256; ++i)
        p[i] = i;
    for (int i = 255; i > 0; --i) {
        const int j = int(rng.next() % std::uint64_t(i + 1));
        std::swap(p[i], p[j]);
    }
    for (int i = 0; i < 512; ++i)
        perm_[i] = p[i & 255];
}

double Noise3::operator()(double x, double y, double z) const
{
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
    x -= fx;
    y -= fy;
    z -= fz;
    const double u = fade(x), v = fade(y), w = fade(z);
    const int A = perm_[X] + Y, AA = perm_[A] + Z, AB = perm_[A + 1] + Z;
    const int B = perm_[X + 1] + Y, BA = perm_[B] + Z, BB = perm_[B + 1] + Z;
    return mix(mix(mix(grad(perm_[AA], x, y, z), grad(perm_[BA], x - 1, y, z), u),
                   mix(grad(perm_[AB], x, y - 1, z), grad(perm_[BB], x - 1, y - 1, z), u), v),
               mix(mix(grad(perm_[AA + 1], x, y, z - 1), grad(perm_[BA + 1], x - 1, y, z - 1), u),
                   mix(grad(perm_[AB + 1], x, y - 1, z - 1), grad(perm_[BB + 1], x - 1, y - 1, z - 1), u), v),
               w);
}

double Noise3::fbm(Vec3 p, int octaves, double gain) const
{
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * (*this)(p);
        norm += amp;
        amp *= gain;
        // A fixed offset per octave keeps the lattice points of successive
        // octaves from lining up.
        p = p * 2.0 + Vec3{17.31, -9.73, 5.19};
    }
    return sum / norm * 1.6;
}

} // namespace artgen
