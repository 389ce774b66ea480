#include "data/Coordinates.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace tf {

namespace {

QString axisName(Axis axis)
{
    return axis == Axis::Latitude ? QStringLiteral("latitude") : QStringLiteral("longitude");
}

AngleParse failure(const QString &text)
{
    return {std::nullopt, text};
}

AngleParse unreadable(Axis axis)
{
    return failure(axis == Axis::Latitude
                       ? QStringLiteral("Type the latitude in degrees, such as 59.91 or 59°54.6' N.")
                       : QStringLiteral("Type the longitude in degrees, such as -87.62 or 87°37.2' W."));
}

} // namespace

AngleParse parseAngle(const QString &text, Axis axis)
{
    QString t = text.trimmed().toUpper();
    if (t.isEmpty())
        return failure(QStringLiteral("Please enter the %1.").arg(axisName(axis)));

    // A hemisphere letter at either end; only the two that belong to the axis.
    int sign = 1;
    bool lettered = false;
    const QString letters = axis == Axis::Latitude ? QStringLiteral("NS") : QStringLiteral("EW");
    for (QChar end : {t.front(), t.back()}) {
        if (!end.isLetter())
            continue;
        if (!letters.contains(end) || lettered)
            return unreadable(axis);
        lettered = true;
        if (end == letters[1])
            sign = -1;
    }
    if (lettered)
        t = (t.front().isLetter() ? t.mid(1) : t.chopped(1)).trimmed();

    // One comma and no point: a decimal comma. Otherwise commas separate the parts.
    if (t.count(QLatin1Char(',')) == 1 && !t.contains(QLatin1Char('.')))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t = t.mid(1).trimmed();
    }
    // A minus sign and a letter for the southern or western half would contradict each
    // other or say the same thing twice; neither is taken as a guess.
    if (negative && lettered)
        return unreadable(axis);

    static const QRegularExpression separators(QStringLiteral("[°º'′\"″,\\s]+"));
    const QStringList parts = t.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 3)
        return unreadable(axis);
    double value = 0;
    double scale = 1;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const double v = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < 0)
            return unreadable(axis);
        // Only the last part may carry decimals; minutes and seconds stay below 60.
        if ((i + 1 < parts.size() && parts[i].contains(QLatin1Char('.'))) || (i > 0 && v >= 60))
            return unreadable(axis);
        value += v / scale;
        scale *= 60;
    }
    value *= (negative ? -1 : 1) * sign;

    const double limit = axis == Axis::Latitude ? 90 : 180;
    if (std::abs(value) > limit)
        return failure(axis == Axis::Latitude ? QStringLiteral("The latitude must lie between 90° S and 90° N.")
                                              : QStringLiteral("The longitude must lie between 180° W and 180° E."));
    return {value, {}};
}

QString decimalDegreesText(double degrees)
{
    return QString::number(degrees, 'f', 6);
}

QString degreesMinutesText(double degrees, Axis axis)
{
    const QString letters = axis == Axis::Latitude ? QStringLiteral("NS") : QStringLiteral("EW");
    const QChar letter = degrees < 0 ? letters[1] : letters[0];
    // Thousandths of a minute, rounded once, so 59.99999 reads 60° 0.000' and not 59° 60.000'.
    const qint64 thousandths = std::llround(std::abs(degrees) * 60000);
    const qint64 whole = thousandths / 60000;
    const double minutes = double(thousandths % 60000) / 1000;
    return QStringLiteral("%1° %2' %3").arg(whole).arg(minutes, 0, 'f', 3).arg(letter);
}

} // namespace tf
