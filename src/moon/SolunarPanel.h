#pragma once

// The moon window's sun and moon times: for the day the window shows and a water with a
// position (the owner's home water unless another is chosen), sunrise and sunset,
// moonrise and moonset, the moon's passages and the four periods, and a month's table of
// them on paper. A diary without positions says where to add one.

#include <QDate>
#include <QGroupBox>

class QComboBox;
class QLabel;
class QPushButton;

namespace tf {

class SolunarPanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit SolunarPanel(QWidget *parent = nullptr);

    // Reads the waters with a position and the home water from the diary again.
    void reload();
    // Shows the times of a local date; nothing is worked out again for the day shown.
    void showDay(QDate date);
    // Prints the month of the day shown for the chosen water.
    void printMonth();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();

    QComboBox *cboWater = nullptr;
    QLabel *lblSolunar = nullptr;
    QPushButton *cmdSolunarTable = nullptr;
    QDate m_date;
    QString m_shownKey; // the water, position and date last worked out
    QString m_hint;     // why the home water shows nothing, when it does not
    bool m_filterInstalled = false;
};

} // namespace tf
