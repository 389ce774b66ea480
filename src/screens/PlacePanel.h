#pragma once

// The position of the lake or river shown in the Options window's list: latitude and
// longitude (typed as decimal degrees or degrees and minutes, read back in both forms)
// and the time zone its clock keeps, chosen from the zones this system knows. Kept in
// the diary's table of places, apart from the list itself; typed while the lake is added
// or changed and saved with it.

#include <QGroupBox>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tf {

class PlacePanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit PlacePanel(QWidget *parent = nullptr);

    // Shows the position stored for the lake; an empty name (an empty list) shows none.
    void showLake(const QString &lake);
    // The lake's editing begins (the name it has now) or ends.
    void setEditing(bool editing, const QString &lake);
    // Before the lake is saved: false, after saying why, when a number cannot be read or
    // lies out of range, or only one of the two is typed; the typing stays as it was.
    bool checkTyped();
    // Once the lake is saved under `lake`: keeps the typed position for it (none when both
    // numbers are blank), moving it from the name the lake had before. Only after
    // checkTyped() passed and before the editing ended: a Cancel keeps nothing.
    bool savePosition(const QString &lake);

private:
    void updateReading();

    QLineEdit *txtLatitude = nullptr;
    QLineEdit *txtLongitude = nullptr;
    QComboBox *cboZone = nullptr;
    QLabel *lblPosition = nullptr;
    QString m_lake;
    QString m_editedName; // the lake's name when its editing began; empty for a new one
    struct Typed
    {
        std::optional<double> latitude, longitude; // both or neither
        QString zone;
    };
    std::optional<Typed> m_checked; // what passed checkTyped() in this editing
};

} // namespace tf
