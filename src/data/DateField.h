#pragma once

// A date picker for a date column. It can show "no date" without borrowing a
// real date for it, and it writes back exactly what the row held unless the
// user changed the date; a changed date keeps the time of day the row held
// ("2026-04-02 06:30:00" moved to the 3rd is "2026-04-03 06:30:00").
//
// A date is typed part by part in the order the display language writes it:
// digits fill the part the cursor is in and move on once it is full, a
// separator moves on from a part typed short ("1/5/2026"), and the month also
// takes its name or the start of it ("dec").

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
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void userChose();
    void refreshText();
    void typeMonthLetter(QChar letter);
    void moveToSection(int index);

    QVariant m_stored;
    bool m_empty = true;
    bool m_changed = false;
    bool m_setting = false;
    // The last key typed filled a part and moved on, so a separator typed
    // next belongs to that part and does not skip the one after it.
    bool m_movedOn = false;
    QString m_monthLetters;
};

} // namespace tf
