#pragma once

#include "charts/Ccolorrainbowl.h"
#include "charts/Rect.h"

#include <QImage>

#include <cstdint>

class Canvas;

// The narrow colour bar beside the GPR image, with two handle arrows the user drags to stretch
// the palette: the lower handle (blue arrow) and the upper one (red arrow). Drawing the bar
// rebuilds the working palette the image takes its colours from.
class Ccolorbar {
public:
    static constexpr int kHandleReach = 8;   // a press this near a handle (or nearer) takes it
    static constexpr int kMiddleMargin = 12; // a handle keeps this far from the bar's middle

    Ccolorbar();
    virtual ~Ccolorbar() = default;

    // Paints the bar from the handles, rebuilds the working palette, draws the arrows and sets
    // hitRect. Returns 0.
    int DrawBar(Canvas& dc);
    // Paints the bar line by line from the handles and draws the arrows; the working palette is
    // left as it is. Returns 0.
    int RepaintBar(Canvas& dc);
    void DrawHandles(Canvas& dc);
    // 2 (and a drag of the upper handle) when (x, y) is on the upper handle, 1 on the lower
    // one, else 0. The upper handle wins when both are near. A bar that was never placed
    // takes no drag.
    int HitHandle(int x, int y);
    // Moves the arrow of the handle being dragged (state 1 lower, 2 upper) to row y.
    void DragFeedback(Canvas& dc, int state, int y);
    // Sets the dragged handle from row y, ends the drag and repaints the bar. Returns 1 when no
    // drag was in progress, else 0.
    int EndDrag(Canvas& dc, int x, int y);

    // Rows above the bar's bottom of a handle value on a bar `height` pixels high.
    static int HandlePixels(int value, int height, int colourCount);
    // At least a pixel high, with a palette of two colours or more.
    bool Placed() const;

    Ccolorrainbowl palette;
    Rect barRect;
    std::int16_t dragState = 0;
    QImage upperArrow;
    QImage lowerArrow;
    Rect hitRect;

private:
    void Line(Canvas& dc, int y, QRgb colour);
    void PlaceHandles();
};
