#pragma once

// Best fish: one row of table Bestfish per record catch, with an optional
// photograph beside its fields. The editing cycle is RecordCycle's; the command
// buttons stay in one menu and are switched on and off instead of swapping bars,
// and the Picture command attaches a photograph to the current fish at once.

#include <QImage>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace tf {

class PictureArea;
class RecordCycle;
class WindowChrome;

class frmBestfish : public QWidget
{
    Q_OBJECT
public:
    explicit frmBestfish(QWidget *parent = nullptr);

    // Opens the best fish; the window opens even when the database cannot be
    // read, says why once it is on screen, and can be closed.
    bool load();
    RecordCycle *cycle() const { return m_cycle; }

    // Where a photograph is shown, as large as it fits in its proportions (3600 × 2835 twips).
    static constexpr QSize kPictureSize{240, 189};

private:
    void buildMenu();
    void buildFields();
    void setEditingButtons(bool editing);
    void rowShown();
    void refreshSoon();
    bool refreshPicture();
    void showPhotograph(QImage image);
    void choosePicture();

    WindowChrome *m_chrome = nullptr;
    RecordCycle *m_cycle = nullptr;
    QLineEdit *Text1 = nullptr;
    PictureArea *Image1 = nullptr;
    QLabel *Label11 = nullptr; // "No Picture Selected"
    QLabel *Label9 = nullptr;  // the edit hint
    bool m_activatedOnce = false;
    bool m_refreshQueued = false;
};

} // namespace tf
