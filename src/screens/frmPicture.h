#pragma once

// The picture viewer: one picture file per fishing trip, shown whole in the
// frame, at its own size or stretched to one of three zoom sizes, and printed.
// It keeps its own list of the trips (newest first) and changes only a trip's
// picture path, which it writes when the user moves to another trip or closes
// the window.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QTableView;

namespace tf {

class DataSource;
class GridModel;
class PictureArea;

class frmPicture : public QWidget
{
    Q_OBJECT
public:
    explicit frmPicture(QWidget *parent = nullptr);
    ~frmPicture() override;

    // Opens the trips; the window opens even when the database cannot be read,
    // says why once it is on screen, and can be closed.
    bool load();
    DataSource *source() const { return m_source.get(); }

    // Zoom factors of the three stretched sizes, applied to the picture's size in
    // hundredths of a millimetre and taken as twips.
    static constexpr double kZoom25 = 0.2;
    static constexpr double kZoom50 = 0.25;
    static constexpr double kZoom75 = 0.32;
    // The area a zoom factor gives a picture of `natural` pixels.
    static QSize zoomedSize(const QSize &natural, double factor);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void chooseRow(int row);
    QString currentPath() const;
    void showPath();
    void refresh();
    void activate();
    bool showPicture(const QString &path);
    void failed();
    void zoom(double factor);
    void fullSize();
    void fit();
    void selectPicture();
    void print();
    bool storePendingPath();

    std::unique_ptr<DataSource> m_source;
    GridModel *m_model = nullptr;
    QTableView *DBGrid1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    PictureArea *Image1 = nullptr;
    QLabel *Label4 = nullptr;
    // Fit: a picture larger than the frame is shrunk to show it whole, in its
    // proportions (the mode at open); Natural: its own size, clipped by the
    // frame; Stretched: the size the last zoom button set.
    enum class Zoom { Fit, Natural, Stretched };
    Zoom m_zoom = Zoom::Fit;
    QString m_shownPath; // the file the area shows now; empty when it shows none
    // A chosen picture not yet written to its trip.
    std::optional<QString> m_pendingPath;
    qint64 m_pendingTrip = 0;
    bool m_open = false;
};

} // namespace tf
