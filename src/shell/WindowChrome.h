#pragma once

// The look every main window shares: no frame or title bar, the common lake
// picture, the rounded outline, dragging by the background and its own Minimize
// and Close buttons. It is one helper object each shaped window owns, not a base
// class: it watches its window's events and leaves the window's own code alone.
//
// Ordinary (framed) windows get their caption and frame from one table here too.

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QPolygon>
#include <QRegion>
#include <QSize>

class QToolButton;
class QWidget;

namespace tf {

// Client area of a shaped window, in pixels.
inline constexpr QSize kShapedClientSize{763, 564};

// The 52-vertex outline every shaped window is cut to, in window pixels.
const QPolygon &shapedOutline();
// The outline filled with the even-odd rule: what the window keeps of its rectangle.
QRegion shapedRegion();

// The caption of a window the program knows by name ("frmStart" -> "Tallyfin");
// empty for a name it does not know.
QString windowCaption(const QString &windowName);
// The name a window goes by: its objectName, else its class name without namespace.
QString windowName(const QWidget *window);

// Minimize (cmdMinimize) and Close (cmdExit): the picture buttons of a window's
// top right corner, wired to the window. Windows without a Minimize leave it out.
struct WindowButtons
{
    QToolButton *minimize = nullptr;
    QToolButton *exit = nullptr;
};
WindowButtons makeWindowButtons(QWidget *window, bool withMinimize = true);

class WindowChrome : public QObject
{
    Q_OBJECT
public:
    // Shapes `window` (a top-level QWidget): frameless, fixed client size, the
    // background, the outline, the two picture buttons, the caption of its name.
    explicit WindowChrome(QWidget *window);

    QWidget *window() const { return m_window; }
    QToolButton *minimizeButton() const { return m_minimize; }
    QToolButton *exitButton() const { return m_exit; }
    // Where a button last went down on the background, in window pixels.
    QPoint dragAnchor() const { return m_anchor; }

signals:
    // The mouse moved over the window background (not over a control).
    void backgroundHovered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isBackground(const QPoint &pos) const;
    void applyShape();

    QWidget *m_window;
    QPixmap m_background;
    QToolButton *m_minimize;
    QToolButton *m_exit;
    QPoint m_anchor;
    bool m_pressedOnBackground = false;
    bool m_placed = false;
};

// A picture button of a shaped window: the picture alone, with its tool tip.
QToolButton *makePictureButton(QWidget *parent, const char *objectName, const QString &toolTip, const QString &picture);

// Moves a window to the middle of its screen.
void centre(QWidget *window);

// Frames of the ordinary windows: a fixed dialog-like frame, or a sizable one.
enum class WindowFrame { FixedSingle, Sizable };

// Gives an ordinary window its caption and frame from the table of windows, by
// its name. Call it at the end of the window's constructor, once its layout is
// set: a fixed frame takes the size the layout asks for and keeps it. The
// window opens in the middle of the screen.
void setOrdinaryFrame(QWidget *window);
// The frame of an ordinary window by name; nullopt-like false when it has none.
bool ordinaryFrameOf(const QString &windowName, WindowFrame *frame);

// The dark look of the framed windows: one background colour and one text
// colour for every window that has no lake picture.
inline const QColor kDarkWindowColour{18, 40, 66};
inline const QColor kDarkWindowText{245, 240, 225};
void setDarkBackground(QWidget *window);
// Style rules for scroll bars: a dark handle on a light track with no arrows,
// seen on light rows and on dark panels alike. `bar` selects the scroll bars
// ("QTableView QScrollBar").
QString scrollBarRules(const QString &bar);
// The program's look for a framed window built of plain controls: the dark
// background, its captioned groups as bars and its other command buttons in
// the bars' look, its lists' scroll bars in the grids' look. Call it once the
// window's controls exist.
void applyProgramLook(QWidget *window);

} // namespace tf
