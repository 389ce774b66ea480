#pragma once

// A date picker for a date column. It can show "no date" without borrowing a
// real date for it, and it writes back exactly what the row held unless the
// user changed the date; a changed date keeps the time of day the row held
// ("2026-04-02 06:30:00" moved to the 3rd is "2026-04-03 06:30:00").

#include <QDateEdit>
#include <QVariant>

namespace tf {

class DateField : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateField(QWidget *parent = nullptr);

    // Shows a stored value (a date, a date and time, or nothing) as untouched.
    void setStored(const QVariant &stored);
    // What the row gets: the stored value itself while the date is untouched.
    QVariant stored() const;
    // Puts a date in as if the user had chosen it (the defaults of New).
    void setChosenDate(const QDate &date);

    bool isEmpty() const { return m_empty; }
    bool isChanged() const { return m_changed; }

    void stepBy(int steps) override;

protected:
    QString textFromDateTime(const QDateTime &dateTime) const override;

private:
    void userChose();
    void refreshText();

    QVariant m_stored;
    bool m_empty = true;
    bool m_changed = false;
    bool m_setting = false;
};

} // namespace tf
