#include "moon/MoonPhase.h"

#include <cmath>
#include <limits>
#include <stdexcept>

// The phase formulas are written out term by term: the terms are summed into JDE one at a
// time in the order of the series and every polynomial keeps its own evaluation order, so
// rounding falls in the same places as in any other implementation that keeps that order
// and the instants agree far below a second.

namespace tf::MoonPhase {

namespace {

// Julian Days of day 0 (30 December 1899 00:00) for Gregorian days and, 10 days on, for
// days read in the Julian calendar; without the half day for the negative-value branch.
constexpr double kJdOfDayZero = 2415018.5;
constexpr double kJdOfDayZeroJulian = 2415028.5;
constexpr double kJdOfDayZeroWhole = 2415018.0;
constexpr double kJdOfDayZeroJulianWhole = 2415028.0;
constexpr double kJdOfSwitch = 2299160.5; // 15 October 1582 00:00
constexpr double kSwitchDate = -115858.0; // 15 October 1582 as a date-time value
constexpr double kLowestJd = 1757593.50001;
constexpr double kHighestJd = 5373484.49998843; // 31 December 9999 23:59:59

constexpr double kDegreesToRadians = 0.0174532925199433;

constexpr double kMeanMonth = 29.530589;              // for the first guess, age, angle and illumination
constexpr double kFirstGuessEpoch = 8388.51399305556; // 18 December 1922 12:20:09
constexpr double kGrace = 1.158e-05 / 2;              // half a second, in days

PhaseState state;
YieldHook yieldHook = nullptr;

Lunation toLunation(double v)
{
    if (!(v >= std::numeric_limits<Lunation>::min() && v <= std::numeric_limits<Lunation>::max()))
        throw std::overflow_error("lunation number out of range");
    return static_cast<Lunation>(v);
}

Lunation following(Lunation n)
{
    if (n == std::numeric_limits<Lunation>::max())
        throw std::overflow_error("lunation number out of range");
    return n + 1;
}

Lunation preceding(Lunation n)
{
    if (n == std::numeric_limits<Lunation>::min())
        throw std::overflow_error("lunation number out of range");
    return n - 1;
}

// Date-time values before day 0 carry their time of day with a negative sign, so within
// such a day a later time is a smaller number (-1.75 is 18:00 of the day -1.25 is 06:00
// of). Instants are therefore compared on a plain count of days: comparing the stored
// values directly would name a phase a few hours before x as the next one.
double timeline(double x)
{
    if (x >= 0)
        return x;
    const double day = std::trunc(x);
    return day - (x - day);
}

double nextPhase(double x, PhaseCode p)
{
    const Lunation n = FindLunation(x);
    const double t = JulianDayToDate(PhaseInstant(n, p));
    if (timeline(t) > timeline(x))
        return t;
    return JulianDayToDate(PhaseInstant(following(n), p));
}

double previousPhase(double x, PhaseCode p)
{
    const Lunation n = FindLunation(x);
    const double t = JulianDayToDate(PhaseInstant(n, p));
    if (timeline(t) < timeline(x))
        return t;
    return JulianDayToDate(PhaseInstant(preceding(n), p));
}

// The 25 periodic terms of a new or full moon; c holds the coefficient column.
double newOrFullTerms(double jde, const double (&c)[25])
{
    const double E = state.E, M = state.M, Mp = state.Mp, F = state.F, Om = state.Omega;
    jde = jde + c[0] * std::sin(Mp);
    jde = jde + c[1] * E * std::sin(M);
    jde = jde + c[2] * std::sin(2 * Mp);
    jde = jde + c[3] * std::sin(2 * F);
    jde = jde + c[4] * E * std::sin(Mp - M);
    jde = jde + c[5] * E * std::sin(Mp + M);
    jde = jde + c[6] * E * E * std::sin(2 * M);
    jde = jde + c[7] * std::sin(Mp - 2 * F);
    jde = jde + c[8] * std::sin(Mp + 2 * F);
    jde = jde + c[9] * E * std::sin(2 * Mp + M);
    jde = jde + c[10] * std::sin(3 * Mp);
    jde = jde + c[11] * E * std::sin(M + 2 * F);
    jde = jde + c[12] * E * std::sin(M - 2 * F);
    jde = jde + c[13] * E * std::sin(2 * Mp - M);
    jde = jde + c[14] * std::sin(Om);
    jde = jde + c[15] * std::sin(Mp + 2 * M);
    jde = jde + c[16] * std::sin(2 * Mp - 2 * F);
    jde = jde + c[17] * std::sin(3 * M);
    jde = jde + c[18] * std::sin(Mp + M - 2 * F);
    jde = jde + c[19] * std::sin(2 * Mp + 2 * F);
    jde = jde + c[20] * std::sin(Mp + M + 2 * F);
    jde = jde + c[21] * std::sin(Mp - M + 2 * F);
    jde = jde + c[22] * std::sin(Mp - M - 2 * F);
    jde = jde + c[23] * std::sin(3 * Mp + M);
    jde = jde + c[24] * std::sin(4 * Mp);
    return jde;
}

constexpr double kNewMoonCoefficients[25] = {-0.4072,  0.17241,  0.01608,  0.01039,  0.00739, -0.00514, 0.00208,
                                             -0.00111, -0.00057, 0.00056,  -0.00042, 0.00042, 0.00038,  -0.00024,
                                             -0.00017, -0.00007, 0.00004,  0.00004,  0.00003, 0.00003,  -0.00003,
                                             0.00003,  -0.00002, -0.00002, 0.00002};
constexpr double kFullMoonCoefficients[25] = {-0.40614, 0.17302,  0.01614,  0.01043,  0.00734, -0.00515, 0.00209,
                                              -0.00111, -0.00057, 0.00056,  -0.00042, 0.00042, 0.00038,  -0.00024,
                                              -0.00017, -0.00007, 0.00004,  0.00004,  0.00003, 0.00003,  -0.00003,
                                              0.00003,  -0.00002, -0.00002, 0.00002};

double quarterTerms(double jde)
{
    const double E = state.E, M = state.M, Mp = state.Mp, F = state.F, Om = state.Omega;
    jde = jde + -0.62801 * std::sin(Mp);
    jde = jde + 0.17172 * E * std::sin(M);
    jde = jde + -0.01183 * E * std::sin(Mp + M);
    jde = jde + 0.00862 * std::sin(2 * Mp);
    jde = jde + 0.00804 * std::sin(2 * F);
    jde = jde + 0.00454 * E * std::sin(Mp - M);
    jde = jde + 0.00204 * E * E * std::sin(2 * M);
    jde = jde + -0.0018 * std::sin(Mp - 2 * F);
    jde = jde + -0.0007 * std::sin(Mp + 2 * F);
    jde = jde + -0.0004 * std::sin(3 * Mp);
    jde = jde + -0.00034 * E * std::sin(2 * Mp - M);
    jde = jde + 0.00032 * E * std::sin(M + 2 * F);
    jde = jde + 0.00032 * E * std::sin(M - 2 * F);
    jde = jde + -0.00028 * E * E * std::sin(Mp + 2 * M);
    jde = jde + 0.00027 * E * std::sin(2 * Mp + M);
    jde = jde + -0.00017 * std::sin(Om);
    jde = jde + -0.00005 * std::sin(Mp - M - 2 * F);
    jde = jde + 0.00004 * std::sin(2 * Mp + 2 * F);
    jde = jde + -0.00004 * std::sin(Mp + M + 2 * F);
    jde = jde + 0.00004 * std::sin(Mp - 2 * M);
    jde = jde + 0.00003 * std::sin(Mp + M - 2 * F);
    jde = jde + 0.00003 * std::sin(3 * M);
    jde = jde + 0.00002 * std::sin(2 * Mp - 2 * F);
    jde = jde + 0.00002 * std::sin(Mp - M + 2 * F);
    jde = jde + -0.00002 * std::sin(3 * Mp + M);
    return jde;
}

double quarterCorrection()
{
    const double E = state.E, M = state.M, Mp = state.Mp, F = state.F;
    return 0.00306 - 0.00038 * E * std::cos(M) + 0.00026 * std::cos(Mp) - 0.00002 * std::cos(Mp - M) +
           0.00002 * std::cos(Mp + M) + 0.00002 * std::cos(2 * F);
}

double planetaryTerms(double jde)
{
    static constexpr double kCoefficients[14] = {0.000325, 0.000165, 0.000164, 0.000126, 0.00011,  0.000062, 0.00006,
                                                 0.000056, 0.000047, 0.000042, 0.00004,  0.000037, 0.000035, 0.000023};
    for (int i = 0; i < 14; ++i)
        jde = jde + kCoefficients[i] * std::sin(state.A[i]);
    return jde;
}

} // namespace

// ---- Date arithmetic -------------------------------------------------------------------

double DateToJulianDay(double x)
{
    if (x >= 0)
        return x + kJdOfDayZero;
    // A negative value keeps its time of day as a fraction with the value's sign, counted
    // forward from midnight, so the fraction is subtracted to add the time.
    const double w = std::trunc(x);
    const double f = x - w;
    if (w < kSwitchDate)
        return w + kJdOfDayZeroJulianWhole + 0.5 - f;
    return w + kJdOfDayZeroWhole + 0.5 - f;
}

bool IsJulianDayInRange(double jd)
{
    return kLowestJd <= jd && jd <= kHighestJd;
}

double JulianDayToDate(double jd)
{
    if (!IsJulianDayInRange(jd))
        return 0;
    const double a = jd < kJdOfSwitch ? jd - kJdOfDayZeroJulian : jd - kJdOfDayZero;
    if (a >= 0)
        return a;
    const double day = std::floor(a);
    if (day == a)
        return a;
    return day - (a - day);
}

bool IsPhaseDateValid(double x) noexcept
{
    // Written so that a NaN fails the first condition.
    if (!(-657418.176956019 < x && x <= 2958465.99999))
        return false;
    if (x == -657418.0)
        return false;
    return !(-115869.0 < x && x <= -115859.99999);
}

double ReduceModulo(double a, double b)
{
    return a - b * std::trunc(a / b);
}

double DegreesToRadians(double degrees)
{
    return ReduceModulo(degrees, 360.0) * kDegreesToRadians;
}

// ---- Phase computation -----------------------------------------------------------------

const PhaseState &CurrentPhaseState()
{
    return state;
}

double PhaseInstant(Lunation n, PhaseCode p)
{
    // In double from the start, so no lunation number can overflow here.
    const double k = p / 4.0 + (static_cast<double>(n) - 953.0);
    const double T = k / 1236.85;
    const double T2 = T * T;
    const double T3 = T2 * T;
    const double T4 = T3 * T;

    state.W = 0; // set again only for the quarters
    state.JDE = ((7.3e-10 * T - 1.5e-07) * T + 0.0001337) * T2 + (29.530588853 * k + 2451550.09765);
    state.E = 1 - 0.002516 * T - 0.0000074 * T2;
    state.M = 2.5534 + 29.10535669 * k - 0.0000218 * T2 - 0.00000011 * T3;
    state.Mp = 201.5643 + 385.81693528 * k + 0.0107438 * T2 + 0.00001239 * T3 - 0.000000058 * T4;
    state.F = 160.7108 + 390.67050274 * k - 0.0016341 * T2 - 0.00000227 * T3 + 0.000000011 * T4;
    state.Omega = 124.7746 - 1.5637558 * k + 0.0020691 * T2 + 0.00000215 * T3;

    static constexpr double kC[13] = {251.88, 251.83, 349.42, 84.66,  141.74, 207.14, 154.84,
                                      34.52,  207.19, 291.34, 161.72, 239.56, 331.55};
    static constexpr double kD[13] = {0.016321,  26.651886, 36.412478, 18.206239, 53.303771, 2.453732, 7.30686,
                                      27.261239, 0.121824,  1.844379,  24.198154, 25.513099, 3.592518};
    state.A[0] = 299.77 + 0.107408 * k - 0.009173 * T2;
    for (int i = 0; i < 13; ++i)
        state.A[i + 1] = kC[i] + kD[i] * k;

    state.M = DegreesToRadians(state.M);
    state.Mp = DegreesToRadians(state.Mp);
    state.F = DegreesToRadians(state.F);
    state.Omega = DegreesToRadians(state.Omega);
    for (double &a : state.A)
        a = DegreesToRadians(a);

    ApplyPhaseCorrections(p);
    return state.JDE;
}

void ApplyPhaseCorrections(PhaseCode p)
{
    // Each block is summed apart and kept only when it came out finite; a block that does
    // not ends the corrections with JDE as the last complete block left it.
    double jde = state.JDE;
    if (p == NewMoon || p == FullMoon) {
        jde = newOrFullTerms(jde, p == NewMoon ? kNewMoonCoefficients : kFullMoonCoefficients);
        if (!std::isfinite(jde))
            return;
        state.JDE = jde;
    } else if (p == FirstQuarter || p == LastQuarter) {
        jde = quarterTerms(jde);
        if (!std::isfinite(jde))
            return;
        state.JDE = jde;
        state.W = quarterCorrection();
        if (p == LastQuarter)
            state.W = -state.W;
        jde = state.JDE + state.W;
        if (!std::isfinite(jde))
            return;
        state.JDE = jde;
    }
    jde = planetaryTerms(state.JDE);
    if (!std::isfinite(jde))
        return;
    state.JDE = jde;
}

Lunation FindLunation(double x)
{
    if (!std::isfinite(x))
        throw std::overflow_error("date-time value is not a number");
    // The first guess counts mean months from a known new moon; the search then corrects
    // it by the true instants, usually in one pass.
    const double days = RoundHalfEven(x - kFirstGuessEpoch);
    Lunation n = toLunation(RoundHalfEven(days / kMeanMonth));
    const double t = DateToJulianDay(x) + kGrace;
    for (;;) {
        if (yieldHook)
            yieldHook();
        const double a = PhaseInstant(n, NewMoon);
        const double b = PhaseInstant(following(n), NewMoon);
        if (a > t)
            n = preceding(n);
        else if (b <= t)
            n = n + 1;
        else
            return n;
    }
}

double MoonAge(double x)
{
    return DateToJulianDay(x) - PhaseInstant(FindLunation(x), NewMoon);
}

float PhaseAngle(double x)
{
    return static_cast<float>(MoonAge(x) * 360 / kMeanMonth);
}

float IlluminationPercent(double x)
{
    return static_cast<float>((1 - std::cos(MoonAge(x) * 6.28318530718 / kMeanMonth)) / 2 * 100);
}

QString PhaseName(double x)
{
    if (!IsPhaseDateValid(x))
        return QString();
    const double t1 = timeline(JulianDayToDate(PhaseInstant(FindLunation(x), FirstQuarter)));
    const double t2 = timeline(JulianDayToDate(PhaseInstant(FindLunation(x), FullMoon)));
    const double t3 = timeline(JulianDayToDate(PhaseInstant(FindLunation(x), LastQuarter)));
    const double now = timeline(x);
    if (now >= t3)
        return QStringLiteral("Waning Crescent");
    if (now >= t2)
        return QStringLiteral("Waning Gibbous");
    if (now >= t1)
        return QStringLiteral("Waxing Gibbous");
    return QStringLiteral("Waxing Crescent");
}

double NextNewMoon(double x)
{
    return nextPhase(x, NewMoon);
}

double NextFirstQuarter(double x)
{
    return nextPhase(x, FirstQuarter);
}

double NextFullMoon(double x)
{
    return nextPhase(x, FullMoon);
}

double NextLastQuarter(double x)
{
    return nextPhase(x, LastQuarter);
}

double CurrentNewMoon(double x)
{
    return JulianDayToDate(PhaseInstant(FindLunation(x), NewMoon));
}

double PrevFirstQuarter(double x)
{
    return previousPhase(x, FirstQuarter);
}

double PrevFullMoon(double x)
{
    return previousPhase(x, FullMoon);
}

double PrevLastQuarter(double x)
{
    return previousPhase(x, LastQuarter);
}

// ---- Helpers ---------------------------------------------------------------------------

void SetYieldHook(YieldHook hook)
{
    yieldHook = hook;
}

double RoundHalfEven(double v)
{
    double r = std::round(v); // halves away from zero
    if (std::fabs(r - v) == 0.5)
        r = 2.0 * std::round(v / 2.0);
    return r;
}

} // namespace tf::MoonPhase
