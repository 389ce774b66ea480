#include "moon/Solunar.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tf::solunar {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kMsPerDay = 86400000.0;
constexpr double kUnixEpochJd = 2440587.5;
constexpr double kJ2000 = 2451545.0;
constexpr double kEarthRadiusKm = 6378.14;
constexpr qint64 kHourMs = 3600000;

double reduceDegrees(double d)
{
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// Nutation in longitude and the obliquity of the ecliptic, both in radians, from the
// largest terms (good to about half an arc second).
struct Nutation
{
    double dpsi;
    double eps;
};

Nutation nutation(double T)
{
    const double om = kRad * (125.04452 - 1934.136261 * T);
    const double ls = kRad * (280.4665 + 36000.7698 * T);
    const double lm = kRad * (218.3165 + 481267.8813 * T);
    const double dpsi =
        (-17.20 * std::sin(om) - 1.32 * std::sin(2 * ls) - 0.23 * std::sin(2 * lm) + 0.21 * std::sin(2 * om)) / 3600;
    const double deps =
        (9.20 * std::cos(om) + 0.57 * std::cos(2 * ls) + 0.10 * std::cos(2 * lm) - 0.09 * std::cos(2 * om)) / 3600;
    const double eps0 = 23.439291 - T * (0.0130042 + T * (0.00000016 - T * 0.000000504));
    return {kRad * dpsi, kRad * (eps0 + deps)};
}

Equatorial fromEcliptic(double lambda, double beta, double eps, double distance)
{
    const double sl = std::sin(lambda), cl = std::cos(lambda);
    const double sb = std::sin(beta), cb = std::cos(beta);
    const double se = std::sin(eps), ce = std::cos(eps);
    Equatorial e;
    e.ra = std::atan2(sl * ce - (sb / cb) * se, cl);
    e.dec = std::asin(sb * ce + cb * se * sl);
    e.distance = distance;
    return e;
}

// cos and sin of an angle, multiplied as unit complex numbers (angles add).
struct Unit
{
    double c, s;
    Unit operator*(const Unit &o) const { return {c * o.c - s * o.s, s * o.c + c * o.s}; }
};

// The phasors of -4 to 4 times an angle.
class Phasors
{
public:
    explicit Phasors(double angle)
    {
        m_p[4] = {1, 0};
        m_p[5] = {std::cos(angle), std::sin(angle)};
        for (int k = 6; k < 9; ++k)
            m_p[k] = m_p[size_t(k - 1)] * m_p[5];
        for (int k = 1; k <= 4; ++k)
            m_p[size_t(4 - k)] = {m_p[size_t(4 + k)].c, -m_p[size_t(4 + k)].s};
    }
    const Unit &operator[](int multiple) const { return m_p[size_t(multiple + 4)]; }

private:
    std::array<Unit, 9> m_p;
};

// The main periodic terms of the moon's longitude (1e-6 degree) and distance (1e-3 km):
// multiples of D, M, M', F, then the two coefficients.
struct LonDistTerm
{
    signed char d, m, mp, f;
    int sl, sr;
};
constexpr LonDistTerm kLonDist[] = {
    {0, 0, 1, 0, 6288774, -20905355},
    {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},
    {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},
    {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},
    {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},
    {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},
    {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},
    {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},
    {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},
    {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},
    {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},
    {2, -2, 0, 0, 2236, -9884},
    {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},
    {2, -2, -1, 0, 2048, -4950},
    {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},
    {4, -1, -1, 0, 1215, -3958},
    {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},
    {2, 1, 1, 0, -810, 2616},
    {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},
    {2, 2, -1, 0, -700, 2354},
    {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},
    {4, 0, 1, 0, 549, -1423},
    {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},
    {1, 0, -2, 0, -487, -1739},
    {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},
    {1, 1, 1, 0, 351, 0},
    {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},
    {2, -1, 2, 0, 327, 0},
    {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},
    {2, 0, 3, 0, 294, 0},
    {2, 0, -1, -2, 0, 8752},
};

// The main periodic terms of the moon's latitude (1e-6 degree).
struct LatTerm
{
    signed char d, m, mp, f;
    int sb;
};
constexpr LatTerm kLat[] = {
    {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602},  {0, 0, 1, -1, 277693}, {2, 0, 0, -1, 173237}, {2, 0, -1, 1, 55413},
    {2, 0, -1, -1, 46271}, {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},   {2, 0, 1, -1, 9266},   {0, 0, 2, -1, 8822},
    {2, -1, 0, -1, 8216},  {2, 0, -2, -1, 4324},  {2, 0, 1, 1, 4200},    {2, 1, 0, -1, -3359},  {2, -1, -1, 1, 2463},
    {2, -1, 0, 1, 2211},   {2, -1, -1, -1, 2065}, {0, 1, -1, -1, -1870}, {4, 0, -1, -1, 1828},  {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},   {0, 1, -1, 1, -1565},  {1, 0, 0, 1, -1491},   {0, 1, 1, 1, -1475},   {0, 1, 1, -1, -1410},
    {0, 1, 0, -1, -1344},  {1, 0, 0, -1, -1335},  {0, 0, 3, 1, 1107},    {4, 0, 0, -1, 1021},   {4, 0, -1, 1, 833},
    {0, 0, 1, -3, 777},    {4, 0, -2, 1, 671},    {2, 0, 0, -3, 607},    {2, 0, 2, -1, 596},    {2, -1, 1, -1, 491},
    {2, 0, -2, 1, -451},   {0, 0, 3, -1, 439},    {2, 0, 2, 1, 422},     {2, 0, -3, -1, 421},   {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},    {4, 0, 0, 1, 331},     {2, -1, 1, 1, 315},    {2, -2, 0, -1, 302},   {0, 0, 1, 3, -283},
    {2, 1, 1, -1, -229},   {1, 1, 0, -1, 223},    {1, 1, 0, 1, 223},     {0, 1, -2, -1, -220},  {2, 1, -1, -1, -220},
    {1, 0, 1, 1, -185},    {2, -1, -2, -1, 181},  {0, 1, 2, 1, -177},    {4, 0, -2, -1, 176},   {4, -1, -1, -1, 166},
    {1, 0, 1, -1, -164},   {4, 0, 1, -1, 132},    {1, 0, -1, -1, -119},  {4, -1, 0, -1, 115},   {2, -2, 0, 1, 107},
};

// Apparent sidereal time at Greenwich, radians.
double siderealTime(double jdUT, const Nutation &n)
{
    const double d = jdUT - kJ2000;
    const double T = d / 36525;
    const double gmst = 280.46061837 + 360.98564736629 * d + T * T * (0.000387933 - T / 38710000);
    return kRad * reduceDegrees(gmst) + n.dpsi * std::cos(n.eps);
}

// The moon's geocentric position as a vector in kilometres, equatorial of date: smooth
// over hours, so it interpolates without the wrap of the right ascension.
struct Vec
{
    double x, y, z;
};

Vec toVector(const Equatorial &e)
{
    const double cd = std::cos(e.dec);
    return {e.distance * cd * std::cos(e.ra), e.distance * cd * std::sin(e.ra), e.distance * std::sin(e.dec)};
}

Equatorial fromVector(const Vec &v)
{
    Equatorial e;
    const double xy = std::hypot(v.x, v.y);
    e.ra = std::atan2(v.y, v.x);
    e.dec = std::atan2(v.z, xy);
    e.distance = std::hypot(xy, v.z);
    return e;
}

// A body's geocentric position evaluated in full every eight hours across the day and a
// margin around it; between nodes a cubic through four of them. For the moon, which moves
// fastest, the error stays below an arc second (a fraction of a second of time at the
// horizon), at a small part of the cost of the series at every step of the searches.
class Track
{
public:
    template <typename Position> Track(double jdStart, double jdEnd, const Position &position)
    {
        m_first = jdStart - kStep;
        m_count = std::min<int>(kMaxNodes, int(std::floor((jdEnd - m_first) / kStep)) + 3);
        for (int i = 0; i < m_count; ++i) {
            const double jd = m_first + i * kStep;
            m_nodes[size_t(i)] = toVector(position(jd + deltaT(jd) / 86400));
        }
    }

    Equatorial at(double jdUT) const
    {
        const double u = (jdUT - m_first) / kStep;
        const int i = std::clamp(int(std::floor(u)), 1, m_count - 3);
        const double p = u - i; // 0..1 between nodes i and i+1
        // Lagrange weights for nodes at -1, 0, 1, 2.
        const double w0 = -p * (p - 1) * (p - 2) / 6;
        const double w1 = (p + 1) * (p - 1) * (p - 2) / 2;
        const double w2 = -(p + 1) * p * (p - 2) / 2;
        const double w3 = (p + 1) * p * (p - 1) / 6;
        const Vec &a = m_nodes[size_t(i - 1)], &b = m_nodes[size_t(i)], &c = m_nodes[size_t(i + 1)],
                  &d = m_nodes[size_t(i + 2)];
        return fromVector({w0 * a.x + w1 * b.x + w2 * c.x + w3 * d.x, w0 * a.y + w1 * b.y + w2 * c.y + w3 * d.y,
                           w0 * a.z + w1 * b.z + w2 * c.z + w3 * d.z});
    }

private:
    static constexpr double kStep = 1.0 / 3; // days
    static constexpr int kMaxNodes = 10;
    double m_first = 0;
    int m_count = 0;
    std::array<Vec, kMaxNodes> m_nodes{};
};

struct Sky
{
    double sinAlt; // of the centre, geometric
    double hourAngle;
    double sinH0; // the altitude of rising and setting
};

enum class Body { Sun, Moon };

// The searches of one day. Both bodies are sampled once an hour, which is what finds
// every crossing, and only the hours that hold one are refined.
class DaySearch
{
public:
    DaySearch(const Place &place, double jd0, double jd1)
        : m_sinLat(std::sin(kRad * place.latitude)), m_cosLat(std::cos(kRad * place.latitude)),
          m_lon(kRad * place.longitude), m_jd0(jd0), m_jd1(jd1), m_nutation(nutation((jd0 - kJ2000) / 36525)),
          m_sun(jd0, jd1, sunPosition), m_moon(jd0, jd1, moonPosition)
    {
        m_steps = std::clamp(int(std::ceil((m_jd1 - m_jd0) * 24 - 1e-9)), 1, kMaxSteps);
        for (int i = 0; i <= m_steps; ++i) {
            m_t[size_t(i)] = i == m_steps ? m_jd1 : m_jd0 + i * (m_jd1 - m_jd0) / m_steps;
            m_skies[0][size_t(i)] = sky(Body::Sun, m_t[size_t(i)]);
            m_skies[1][size_t(i)] = sky(Body::Moon, m_t[size_t(i)]);
        }
    }

    Sky sky(Body body, double jdUT) const
    {
        Equatorial e;
        double sinH0;
        if (body == Body::Sun) {
            e = m_sun.at(jdUT);
            sinH0 = kSinSunH0;
        } else {
            e = m_moon.at(jdUT);
            const double parallax = std::asin(kEarthRadiusKm / e.distance);
            sinH0 = std::sin(0.7275 * parallax - 0.5667 * kRad);
        }
        // Nutation changes by a hundredth of an arc second in a day: once per day is enough.
        const double H = siderealTime(jdUT, m_nutation) + m_lon - e.ra;
        return {m_sinLat * std::sin(e.dec) + m_cosLat * std::cos(e.dec) * std::cos(H), H, sinH0};
    }

    // The first rise and set in the day, or which side of the horizon the body keeps.
    void riseSet(Body body, std::optional<double> *rise, std::optional<double> *set, AllDay *allDay) const
    {
        auto f = [&](double jd) {
            const Sky s = sky(body, jd);
            return s.sinAlt - s.sinH0;
        };
        const auto &skies = m_skies[body == Body::Sun ? 0 : 1];
        scan([&](int i) { return skies[size_t(i)].sinAlt - skies[size_t(i)].sinH0; },
             [&](double a, double fa, double b, double fb) {
                 std::optional<double> *target = fa < 0 ? rise : set;
                 if (!target->has_value())
                     *target = refine(f, a, fa, b, fb);
                 return rise->has_value() && set->has_value();
             });
        *allDay = AllDay::No;
        if (!rise->has_value() && !set->has_value())
            *allDay = skies[0].sinAlt >= skies[0].sinH0 ? AllDay::Up : AllDay::Down;
    }

    // The first upper and lower meridian passages of the moon in the day.
    void transits(std::optional<double> *upper, std::optional<double> *lower) const
    {
        auto f = [&](double jd) { return std::sin(sky(Body::Moon, jd).hourAngle); };
        const auto &skies = m_skies[1];
        scan([&](int i) { return std::sin(skies[size_t(i)].hourAngle); },
             [&](double a, double fa, double b, double fb) {
                 // The hour angle grows: sin H turns from negative to positive at the upper
                 // passage and from positive to negative at the lower one.
                 std::optional<double> *target = fa < 0 ? upper : lower;
                 if (!target->has_value())
                     *target = refine(f, a, fa, b, fb);
                 return upper->has_value() && lower->has_value();
             });
    }

private:
    static constexpr int kMaxSteps = 26; // hours of the longest day, with room to spare
    static inline const double kSinSunH0 = std::sin(-0.833 * kRad);

    // Hands each sign change between the hourly samples to found, which says whether
    // the search is over.
    template <typename Sample, typename Found> void scan(const Sample &sample, const Found &found) const
    {
        double fa = sample(0);
        for (int i = 1; i <= m_steps; ++i) {
            const double fb = sample(i);
            // The end of the day belongs to the next day.
            if ((fa < 0) != (fb < 0) && !(i == m_steps && fb == 0) && found(m_t[size_t(i - 1)], fa, m_t[size_t(i)], fb))
                return;
            fa = fb;
        }
    }

    // Regula falsi with the Illinois step, to a tenth of a second.
    template <typename F> static double refine(const F &f, double a, double fa, double b, double fb)
    {
        int side = 0;
        double c = a;
        for (int i = 0; i < 40 && b - a > 0.1 / 86400; ++i) {
            const double previous = c;
            c = (a * fb - b * fa) / (fb - fa);
            if (i > 0 && std::abs(c - previous) < 0.05 / 86400)
                return c;
            const double fc = f(c);
            if (fc == 0)
                return c;
            if ((fc < 0) == (fa < 0)) {
                a = c;
                fa = fc;
                if (side == -1)
                    fb /= 2;
                side = -1;
            } else {
                b = c;
                fb = fc;
                if (side == 1)
                    fa /= 2;
                side = 1;
            }
        }
        return c;
    }

    double m_sinLat, m_cosLat, m_lon; // lon in radians, east positive
    double m_jd0, m_jd1;
    Nutation m_nutation;
    Track m_sun;
    Track m_moon;
    int m_steps = 0;
    std::array<double, kMaxSteps + 1> m_t{};
    std::array<std::array<Sky, kMaxSteps + 1>, 2> m_skies{};
};

std::optional<qint64> toMsecs(const std::optional<double> &jd)
{
    if (!jd)
        return std::nullopt;
    return msecsOfJulianDay(*jd);
}

// Rounded to the minute, as every time is shown.
QString hhmm(const QTimeZone &zone, qint64 msecs)
{
    const qint64 rounded = (msecs + 30000) / 60000 * 60000;
    return QDateTime::fromMSecsSinceEpoch(rounded, zone).toString(QStringLiteral("HH:mm"));
}

} // namespace

double julianDay(qint64 msecs)
{
    return kUnixEpochJd + double(msecs) / kMsPerDay;
}

qint64 msecsOfJulianDay(double jd)
{
    return qint64(std::llround((jd - kUnixEpochJd) * kMsPerDay));
}

double deltaT(double jdUT)
{
    const double y = 2000 + (jdUT - kJ2000) / 365.25;
    if (y >= 1900 && y < 1920) {
        const double t = y - 1900;
        return -2.79 + t * (1.494119 + t * (-0.0598939 + t * (0.0061966 - t * 0.000197)));
    }
    if (y >= 1920 && y < 1941) {
        const double t = y - 1920;
        return 21.20 + t * (0.84493 + t * (-0.076100 + t * 0.0020936));
    }
    if (y >= 1941 && y < 1961) {
        const double t = y - 1950;
        return 29.07 + t * (0.407 + t * (-1.0 / 233 + t / 2547));
    }
    if (y >= 1961 && y < 1986) {
        const double t = y - 1975;
        return 45.45 + t * (1.067 + t * (-1.0 / 260 - t / 718));
    }
    if (y >= 1986 && y < 2005) {
        const double t = y - 2000;
        return 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
    }
    if (y >= 2005 && y < 2050) {
        const double t = y - 2000;
        return 62.92 + t * (0.32217 + t * 0.005589);
    }
    const double u = (y - 1820) / 100;
    if (y >= 2050 && y < 2150)
        return -20 + 32 * u * u - 0.5628 * (2150 - y);
    return -20 + 32 * u * u;
}

Equatorial sunPosition(double jdTT)
{
    const double T = (jdTT - kJ2000) / 36525;
    const double L0 = 280.46646 + T * (36000.76983 + T * 0.0003032);
    const double M = kRad * (357.52911 + T * (35999.05029 - T * 0.0001537));
    const double C = (1.914602 - T * (0.004817 + T * 0.000014)) * std::sin(M) +
                     (0.019993 - T * 0.000101) * std::sin(2 * M) + 0.000289 * std::sin(3 * M);
    const double omega = kRad * (125.04 - 1934.136 * T);
    const double lambda = kRad * (L0 + C - 0.00569 - 0.00478 * std::sin(omega));
    const double eps =
        kRad * (23.439291 - T * (0.0130042 + T * (0.00000016 - T * 0.000000504)) + 0.00256 * std::cos(omega));
    return fromEcliptic(lambda, 0, eps, 149597870.7);
}

Equatorial moonPosition(double jdTT)
{
    const double T = (jdTT - kJ2000) / 36525;
    const double Lp = 218.3164477 + T * (481267.88123421 + T * (-0.0015786 + T * (1 / 538841.0 - T / 65194000)));
    const double D =
        kRad * (297.8501921 + T * (445267.1114034 + T * (-0.0018819 + T * (1 / 545868.0 - T / 113065000))));
    const double M = kRad * (357.5291092 + T * (35999.0502909 + T * (-0.0001536 + T / 24490000)));
    const double Mp = kRad * (134.9633964 + T * (477198.8675055 + T * (0.0087414 + T * (1 / 69699.0 - T / 14712000))));
    const double F =
        kRad * (93.2720950 + T * (483202.0175233 + T * (-0.0036539 + T * (-1 / 3526000.0 + T / 863310000))));
    const double A1 = kRad * (119.75 + 131.849 * T);
    const double A2 = kRad * (53.09 + 479264.290 * T);
    const double A3 = kRad * (313.45 + 481266.484 * T);
    const double E = 1 - T * (0.002516 + T * 0.0000074);
    const double eFactor[3] = {1, E, E * E};

    // Every term's argument is a sum of small multiples of four angles: its sine and cosine
    // come from products of the multiples' unit phasors, a few multiplications instead of
    // a sine per term.
    const Phasors pd(D), pm(M), pmp(Mp), pf(F);
    double sl = 0, sr = 0, sb = 0;
    for (const LonDistTerm &t : kLonDist) {
        const Unit z = pd[t.d] * pm[t.m] * pmp[t.mp] * pf[t.f];
        const double e = eFactor[std::abs(t.m)];
        sl += t.sl * e * z.s;
        sr += t.sr * e * z.c;
    }
    for (const LatTerm &t : kLat)
        sb += t.sb * eFactor[std::abs(t.m)] * (pd[t.d] * pm[t.m] * pmp[t.mp] * pf[t.f]).s;
    // Venus, Jupiter and the flattening of the Earth.
    const double LpR = kRad * Lp;
    sl += 3958 * std::sin(A1) + 1962 * std::sin(LpR - F) + 318 * std::sin(A2);
    sb += -2235 * std::sin(LpR) + 382 * std::sin(A3) + 175 * std::sin(A1 - F) + 175 * std::sin(A1 + F) +
          127 * std::sin(LpR - Mp) - 115 * std::sin(LpR + Mp);

    const Nutation n = nutation(T);
    const double lambda = kRad * (Lp + sl / 1e6) + n.dpsi;
    const double beta = kRad * (sb / 1e6);
    return fromEcliptic(lambda, beta, n.eps, 385000.56 + sr / 1000);
}

QList<Period> Day::majors() const
{
    QList<Period> r;
    for (const Period &p : periods)
        if (p.kind == PeriodKind::Major)
            r << p;
    return r;
}

bool Day::majorAtSunrise() const
{
    if (!sunrise)
        return false;
    return std::any_of(periods.begin(), periods.end(), [&](const Period &p) {
        return p.kind == PeriodKind::Major && p.start <= *sunrise && *sunrise <= p.end;
    });
}

bool Day::majorAtSunset() const
{
    if (!sunset)
        return false;
    return std::any_of(periods.begin(), periods.end(), [&](const Period &p) {
        return p.kind == PeriodKind::Major && p.start <= *sunset && *sunset <= p.end;
    });
}

std::optional<PeriodKind> Day::periodAt(qint64 msecs) const
{
    std::optional<PeriodKind> r;
    for (const Period &p : periods) {
        if (msecs < p.start || msecs >= p.end)
            continue;
        if (p.kind == PeriodKind::Major)
            return PeriodKind::Major;
        r = PeriodKind::Minor;
    }
    return r;
}

Day computeDay(const Place &place, QDate date)
{
    Day day;
    day.date = date;
    day.zone = place.zone.isValid() ? place.zone : QTimeZone::utc();
    day.dayStart = date.startOfDay(day.zone).toMSecsSinceEpoch();
    day.dayEnd = date.addDays(1).startOfDay(day.zone).toMSecsSinceEpoch();
    const double jd0 = julianDay(day.dayStart);
    const double jd1 = julianDay(day.dayEnd);

    const DaySearch search(place, jd0, jd1);
    std::optional<double> rise, set, upper, lower;
    search.riseSet(Body::Sun, &rise, &set, &day.sunAllDay);
    day.sunrise = toMsecs(rise);
    day.sunset = toMsecs(set);
    rise.reset();
    set.reset();
    search.riseSet(Body::Moon, &rise, &set, &day.moonAllDay);
    day.moonrise = toMsecs(rise);
    day.moonset = toMsecs(set);
    search.transits(&upper, &lower);
    day.moonUpper = toMsecs(upper);
    day.moonLower = toMsecs(lower);

    auto add = [&](PeriodKind kind, const std::optional<qint64> &centre, qint64 half) {
        if (centre)
            day.periods << Period{kind, std::max(day.dayStart, *centre - half), std::min(day.dayEnd, *centre + half)};
    };
    add(PeriodKind::Major, day.moonUpper, kHourMs);
    add(PeriodKind::Major, day.moonLower, kHourMs);
    add(PeriodKind::Minor, day.moonrise, kHourMs / 2);
    add(PeriodKind::Minor, day.moonset, kHourMs / 2);
    std::sort(day.periods.begin(), day.periods.end(),
              [](const Period &a, const Period &b) { return a.start < b.start; });
    return day;
}

QString clockText(const Day &day, qint64 msecs)
{
    return hhmm(day.zone, msecs);
}

QString eventText(const Day &day, const std::optional<qint64> &event, AllDay allDay)
{
    if (event)
        return clockText(day, *event);
    switch (allDay) {
    case AllDay::Up:
        return QStringLiteral("up all day");
    case AllDay::Down:
        return QStringLiteral("down all day");
    case AllDay::No:
        break;
    }
    return QStringLiteral("none");
}

QString periodText(const Day &day, const Period &p)
{
    // A period clipped at the end of the day ends at midnight, shown as 24:00 rather than
    // as the next day's 00:00.
    const QString end = p.end >= day.dayEnd ? QStringLiteral("24:00") : clockText(day, p.end);
    return clockText(day, p.start) + QLatin1Char('-') + end;
}

QString periodsText(const Day &day)
{
    QStringList groups;
    for (PeriodKind kind : {PeriodKind::Major, PeriodKind::Minor}) {
        QStringList texts;
        for (const Period &p : day.periods)
            if (p.kind == kind)
                texts << periodText(day, p);
        if (!texts.isEmpty())
            groups << (kind == PeriodKind::Major ? QStringLiteral("Major ") : QStringLiteral("Minor ")) +
                          texts.join(QStringLiteral(", "));
    }
    return groups.isEmpty() ? QStringLiteral("No periods") : groups.join(QStringLiteral("  "));
}

} // namespace tf::solunar
