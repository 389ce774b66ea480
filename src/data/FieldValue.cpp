#include "data/FieldValue.h"

#include <QLocale>
#include <QRegularExpression>

namespace tf::FieldValue {

QString fromDate(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString fromDateTime(const QDateTime &dateTime)
{
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

namespace {
const QRegularExpression &storedDatePattern()
{
    static const QRegularExpression re(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[ T]\\d{2}:\\d{2}(?::\\d{2})?)?$"));
    return re;
}
} // namespace

QDate toDate(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().date();
    const auto m = storedDatePattern().match(stored.toString().trimmed());
    if (!m.hasMatch())
        return {};
    return QDate::fromString(m.captured(1), Qt::ISODate);
}

bool isStoredDate(const QVariant &stored)
{
    return toDate(stored).isValid();
}

QString toDisplayText(const QVariant &stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QDate) {
        const QDate d = toDate(stored);
        if (d.isValid())
            return QLocale().toString(d, QLocale::ShortFormat);
    }
    return stored.toString();
}

} // namespace tf::FieldValue
