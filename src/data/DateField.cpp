#include "data/DateField.h"

#include "data/FieldValue.h"

#include <QCalendarWidget>
#include <QKeyEvent>
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

void DateField::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool typing = text.size() == 1 && text.at(0).isPrint() &&
                        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typing) {
        m_movedOn = false;
        m_monthLetters.clear();
        QDateEdit::keyPressEvent(event);
        return;
    }
    const QChar c = text.at(0);
    event->accept();
    if (m_empty && c.isLetterOrNumber()) {
        // An empty field has no parts to type into: it shows a date first and
        // the typing starts at its first part.
        userChose();
        moveToSection(0);
    }
    if (c.isLetter()) {
        typeMonthLetter(c);
        return;
    }
    m_monthLetters.clear();
    if (!c.isDigit()) {
        // Any separator ends the part; after a part that moved on by itself it
        // is the part's own ending and is passed over.
        if (!m_movedOn)
            moveToSection(currentSectionIndex() + 1);
        m_movedOn = false;
        return;
    }
    const int before = currentSectionIndex();
    QDateEdit::keyPressEvent(event);
    m_movedOn = currentSectionIndex() != before;
}

void DateField::focusInEvent(QFocusEvent *event)
{
    m_movedOn = false;
    m_monthLetters.clear();
    QDateEdit::focusInEvent(event);
}

void DateField::typeMonthLetter(QChar letter)
{
    if (currentSection() != MonthSection)
        return;
    const QLocale shown = locale();
    const auto monthsStartingWith = [&shown](const QString &typed) {
        QList<int> months;
        for (int m = 1; m <= 12; ++m)
            for (const QString &name :
                 {shown.monthName(m), shown.monthName(m, QLocale::ShortFormat), shown.standaloneMonthName(m),
                  shown.standaloneMonthName(m, QLocale::ShortFormat)})
                if (name.startsWith(typed, Qt::CaseInsensitive)) {
                    months << m;
                    break;
                }
        return months;
    };
    m_monthLetters += letter;
    QList<int> months = monthsStartingWith(m_monthLetters);
    if (months.isEmpty()) {
        // A fresh start: the letters so far named no month.
        m_monthLetters = letter;
        months = monthsStartingWith(m_monthLetters);
    }
    if (months.size() != 1) {
        if (months.isEmpty())
            m_monthLetters.clear();
        return;
    }
    const QDate d = date();
    const QDate first(d.year(), months.first(), 1);
    setDate(QDate(d.year(), months.first(), qMin(d.day(), first.daysInMonth())));
    userChose();
    m_monthLetters.clear();
    moveToSection(currentSectionIndex() + 1);
    m_movedOn = true;
}

void DateField::moveToSection(int index)
{
    if (index < 0 || index >= sectionCount())
        return;
    setCurrentSectionIndex(index);
    setSelectedSection(sectionAt(index));
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
