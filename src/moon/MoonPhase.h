#pragma once

// Moon arithmetic: conversions between date-time values (days since 30 December 1899
// 00:00, the fraction being the time of day) and Julian Days, and the moon phase
// computation built on them (mean phase plus periodic and planetary corrections).
//
// Everything here is plain arithmetic on the user-interface thread. No time zone and no
// Dynamical-Time correction is applied: a local clock reading is treated as Universal
// Time and a phase instant is shown as the same number read back.

#include <QString>

#include <cstdint>

namespace tf::MoonPhase {

using Lunation = std::int32_t;  // synodic months; lunation 953 has its new moon on 6 January 2000
using PhaseCode = std::int16_t; // 0 new moon, 1 first quarter, 2 full moon, 3 last quarter

enum : PhaseCode { NewMoon = 0, FirstQuarter = 1, FullMoon = 2, LastQuarter = 3 };

// ---- Date arithmetic -------------------------------------------------------------------

// Days on or after 15 October 1582 are Gregorian; earlier days are read as Julian-calendar
// dates, a constant 10 days behind.
double DateToJulianDay(double x);
// The inverse of DateToJulianDay; 0 (30 December 1899) for a Julian Day out of range.
double JulianDayToDate(double jd);
bool IsJulianDayInRange(double jd);
// Whether a date-time value may be named by PhaseName: 17 January 100 to 31 December 9999,
// outside the days skipped by the Gregorian switch. Never throws; a malformed value is invalid.
bool IsPhaseDateValid(double x) noexcept;
// a - b * trunc(a / b): the remainder with the sign of a.
double ReduceModulo(double a, double b);
// The angle reduced modulo 360 degrees, in radians.
double DegreesToRadians(double degrees);

// ---- Phase computation -----------------------------------------------------------------

// The record of one phase computation. PhaseInstant fills it afresh and reads JDE back
// before anything else runs, so no result depends on an earlier call. Angles are in
// degrees while the polynomials are evaluated and in reduced radians afterwards.
struct PhaseState
{
    double JDE = 0;    // the instant, a Julian Day
    double E = 0;      // eccentricity factor
    double M = 0;      // Sun's mean anomaly
    double Mp = 0;     // Moon's mean anomaly (M')
    double F = 0;      // Moon's argument of latitude
    double Omega = 0;  // longitude of the ascending node
    double A[14] = {}; // planetary arguments A1..A14 at A[0]..A[13]
    double W = 0;      // quarter correction
};
const PhaseState &CurrentPhaseState();

// Julian Day (Dynamical Time) of phase p of lunation n.
double PhaseInstant(Lunation n, PhaseCode p);
// Adds the periodic, quarter and planetary corrections for phase p to the state's JDE.
// The state's angles must already be in radians. A block of terms that does not yield a
// finite number is dropped and ends the corrections quietly.
void ApplyPhaseCorrections(PhaseCode p);

// The lunation whose new moon is the last at or before x, with half a second of grace.
// Throws std::overflow_error when x is not finite or its lunation is beyond 32 bits.
Lunation FindLunation(double x);
// Days since the new moon of x's lunation; slightly negative in the half second of grace,
// and above a mean month shortly before a long lunation ends.
double MoonAge(double x);
float PhaseAngle(double x);          // degrees; may exceed 360 just before a new moon
float IlluminationPercent(double x); // 0 at new moon, 100 half a mean month later
// "Waxing Crescent", "Waxing Gibbous", "Waning Gibbous", "Waning Crescent"; empty when
// IsPhaseDateValid(x) is false.
QString PhaseName(double x);

// The first such phase strictly after x (a phase exactly at x does not count).
double NextNewMoon(double x);
double NextFirstQuarter(double x);
double NextFullMoon(double x);
double NextLastQuarter(double x);
// The new moon that opened x's lunation.
double CurrentNewMoon(double x);
// The last such phase strictly before x.
double PrevFirstQuarter(double x);
double PrevFullMoon(double x);
double PrevLastQuarter(double x);

// ---- Helpers ---------------------------------------------------------------------------

// Called at the start of every pass of the lunation search, so a long search can let
// pending window events run. Results never depend on it. nullptr (the default) for none.
// The hook may itself run complete moon computations.
using YieldHook = void (*)();
void SetYieldHook(YieldHook hook);

// Nearest integer, halves to the even one, whatever the floating-point environment.
double RoundHalfEven(double v);

} // namespace tf::MoonPhase
