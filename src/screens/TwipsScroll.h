#pragma once

// A panel that is a window onto a taller content area, moved by a vertical
// scroll bar whose values are twips (1/1440 inch, 15 to a pixel): the content's
// top is a fixed offset minus the scroll value. The scroll bar keeps its twips
// range and steps, so what the user steps through is what the screens list.

class QScrollBar;
class QWidget;

namespace tf {

inline constexpr int kTwipsPerPixel = 15;

struct TwipsScroll
{
    int offset = 60; // content top at scroll value 0, twips
    int maximum = 0; // range 0..maximum, twips
    int smallStep = 100;
    int largeStep = 400;
};

// The content's top in pixels for a scroll value.
int contentTopPixels(const TwipsScroll &scroll, int value);

// Sets the bar's range and steps, places the content at value 0 and keeps it
// placed as the value changes. A mouse wheel over the viewport scrolls too
// (also over a list or date picker in it that does not have the focus), so
// call this once the content's fields exist. A field in the content that
// takes the focus is scrolled into view.
void attachTwipsScroll(QScrollBar *bar, QWidget *viewport, QWidget *content, const TwipsScroll &scroll);

} // namespace tf
