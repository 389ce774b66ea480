#include "moon/MoonInfo.h"

#include "moon/MoonPhase.h"

#include <QStringList>
#include <QTime>

#include <cmath>

namespace tf {

namespace {

const QDate kDayZero(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
// Far beyond any calendar the window offers, yet well inside what QDate can count.
constexpr double kFarthestDay = 1e11;

// The day and the time of day (in whole units of msPerUnit milliseconds, rounded to the
// nearest) that a date-time value stands for.
bool splitValue(double v, qint64 msPerUnit, QDate *day, qint64 *units)
{
    if (!std::isfinite(v) || std::fabs(v) > kFarthestDay)
        return false;
    // Before day 0 the fraction carries the time of day with the value's sign, so the day
    // is the whole part toward zero either way and the time its distance from it.
    const double whole = std::trunc(v);
    const qint64 perDay = kMsPerDay / msPerUnit;
    qint64 u = std::llround(std::fabs(v - whole) * double(perDay));
    qint64 d = qint64(whole);
    if (u >= perDay) {
        u -= perDay;
        ++d;
    }
    *day = kDayZero.addDays(d);
    *units = u;
    return day->isValid();
}

// Format patterns of the user's general date-and-time form.
struct GeneralForm
{
    QString date;
    QString time;
};

// The locale's long time without its time-zone field: the moon's instants are wall-clock
// readings that belong to no zone.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
                ++i;
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

GeneralForm generalForm(const QLocale &locale)
{
    GeneralForm form{locale.dateFormat(QLocale::ShortFormat), withoutTimeZone(locale.timeFormat(QLocale::LongFormat))};
    // A two-digit year would leave 1626 and 2026 looking alike.
    if (!form.date.contains(QLatin1String("yyyy")))
        form.date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return form;
}

// The pattern "###": the whole number nearest v (halves away from zero), nothing for 0.
QString hashPattern(double v)
{
    const double r = std::round(v);
    return r == 0 ? QString() : QString::number(qint64(r));
}

QString captionOf(const QString &name, float illumination, std::int16_t h)
{
    const QString blank = QStringLiteral(" ");
    if (h >= 90) {
        // The waning half counts down toward the new moon.
        const auto dark = static_cast<std::int16_t>(100 - MoonPhase::RoundHalfEven(illumination));
        const QString v = hashPattern(Percentage(dark, 100));
        if (!v.isEmpty())
            return name + blank + v + QStringLiteral("%") + QStringLiteral(" of New");
        return name + blank + QStringLiteral("100%") + QStringLiteral(" of Full");
    }
    const QString v = hashPattern(illumination);
    if (!v.isEmpty())
        return name + blank + v + QStringLiteral("%") + QStringLiteral(" of Full");
    return name + blank + QStringLiteral("100%") + QStringLiteral(" of New");
}

// The same wall-clock time one calendar day earlier. Plain subtraction would go wrong
// across 30 December 1899, where the sign of the stored fraction flips.
double dayBefore(double s)
{
    const QDateTime t = fromDateValue(s);
    return t.isValid() ? toDateValue(t.addDays(-1)) : s - 1;
}

} // namespace

double toDateValue(const QDateTime &t)
{
    const double days = double(kDayZero.daysTo(t.date()));
    const double fraction = double(t.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    return days >= 0 ? days + fraction : days - fraction;
}

double toDateValue(QDate day)
{
    return double(kDayZero.daysTo(day));
}

QDateTime fromDateValue(double v)
{
    QDate day;
    qint64 ms = 0;
    if (!splitValue(v, 1, &day, &ms))
        return {};
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

QString generalDateText(double v, const QLocale &locale)
{
    QDate day;
    qint64 seconds = 0;
    if (!splitValue(v, 1000, &day, &seconds))
        return {};
    const GeneralForm form = generalForm(locale);
    QString text = locale.toString(day, form.date);
    if (seconds != 0)
        text += QLatin1Char(' ') + locale.toString(QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)), form.time);
    return text;
}

QString singleText(float v, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(double(v), 'g', 7);
}

QString nightOfText(double s, const QLocale &locale)
{
    const QString prefix = QStringLiteral("Night of ");
    const QDateTime t = fromDateValue(s);
    if (!t.isValid())
        return prefix;
    return prefix + locale.dayName(t.date().dayOfWeek(), QLocale::LongFormat) + QLatin1Char(' ') +
           locale.toString(t, QStringLiteral("MMMM d yyyy hh:mm"));
}

float Percentage(std::int16_t part, std::int16_t whole)
{
    if (part > whole)
        return -1;
    if (part == 0)
        return 0;
    if (whole == 0)
        return -1;
    // In 32 bits the product of two 16-bit numbers cannot overflow.
    return static_cast<float>(double(std::int32_t(part) * 100) / double(whole));
}

QString PhaseCaption(double s, std::int16_t h)
{
    return captionOf(MoonPhase::PhaseName(s), MoonPhase::IlluminationPercent(s), h);
}

MoonInfo computeMoonInfo(double s, bool previousMode, const QLocale &locale)
{
    using namespace MoonPhase;
    MoonInfo info;
    info.statusLine = nightOfText(s, locale);
    info.illumination = IlluminationPercent(s);
    info.angle = PhaseAngle(s);

    QStringList lines{QStringLiteral("Illumination: ") + singleText(info.illumination, locale),
                      QStringLiteral("Angle: ") + singleText(info.angle, locale)};
    if (!previousMode) {
        lines << QStringLiteral("Next Full Moon: ") + generalDateText(NextFullMoon(s), locale)
              << QStringLiteral("Next New Moon: ") + generalDateText(NextNewMoon(s), locale)
              << QStringLiteral("Next First Quarter: ") + generalDateText(NextFirstQuarter(s), locale)
              << QStringLiteral("Next Last Quarter: ") + generalDateText(NextLastQuarter(s), locale);
    } else {
        // A day back, so a phase of the last day is not listed as the previous one.
        const double d = dayBefore(s);
        lines << QStringLiteral("Prev Full Moon: ") + generalDateText(PrevFullMoon(d), locale)
              << QStringLiteral("Prev New Moon: ") + generalDateText(CurrentNewMoon(d), locale)
              << QStringLiteral("Prev First Quarter: ") + generalDateText(PrevFirstQuarter(d), locale)
              << QStringLiteral("Prev Last Quarter: ") + generalDateText(PrevLastQuarter(d), locale);
    }
    info.phaseList = lines.join(QStringLiteral("\r\n"));

    // One picture per 2 degrees. Past 359 degrees (a long lunation's last hours) and in the
    // half second of grace before a new moon the angle leaves 0..359; both are new moons.
    const double idx = RoundHalfEven(double(info.angle) / 2 + 101);
    info.picture = (idx < 101 || idx > 280) ? 101 : int(idx);
    info.halfAngle = static_cast<std::int16_t>(RoundHalfEven(info.angle / 2.0f));
    info.caption =
        QStringLiteral("Moon ") + captionOf(PhaseName(s), info.illumination, static_cast<std::int16_t>(info.halfAngle));
    return info;
}

} // namespace tf
