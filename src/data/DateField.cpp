#include "data/DateField.h"

#include "data/FieldValue.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

namespace tf {

DateField::DateField(QWidget *parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    // Every date a row can hold in its four-digit-year form.
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    setDisplayFormat(format);
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!m_setting)
            userChose();
    });
    // Picking the date the field already holds internally changes no value, but it is a choice.
    if (QCalendarWidget *calendar = calendarWidget())
        connect(calendar, &QCalendarWidget::clicked, this, [this] { userChose(); });
    refreshText();
}

void DateField::setStored(const QVariant &stored)
{
    m_stored = stored;
    m_changed = false;
    const QDate d = FieldValue::toDate(stored);
    m_empty = !d.isValid() || d < minimumDate() || d > maximumDate();
    m_setting = true;
    setDate(m_empty ? QDate(2000, 1, 1) : d);
    m_setting = false;
    refreshText();
}

void DateField::setChosenDate(const QDate &date)
{
    m_setting = true;
    setDate(date);
    m_setting = false;
    userChose();
}

QVariant DateField::stored() const
{
    if (!m_changed)
        return m_stored;
    const QString day = FieldValue::fromDate(date());
    // The time of day the row held stays with the date the user chose.
    static const QRegularExpression timeOfDay(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([ T]\\d{2}:\\d{2}(?::\\d{2})?)$"));
    const auto m = timeOfDay.match(m_stored.toString().trimmed());
    return m.hasMatch() ? day + m.captured(1) : day;
}

void DateField::stepBy(int steps)
{
    // An empty field starts from the date it shows when it is first stepped.
    if (m_empty) {
        userChose();
        return;
    }
    QDateEdit::stepBy(steps);
}

QString DateField::textFromDateTime(const QDateTime &dateTime) const
{
    return m_empty ? QString() : QDateEdit::textFromDateTime(dateTime);
}

void DateField::userChose()
{
    m_changed = true;
    if (m_empty) {
        m_empty = false;
        refreshText();
    }
}

void DateField::refreshText()
{
    lineEdit()->setText(textFromDateTime(dateTime()));
}

} // namespace tf
