#pragma once

#include "charts/Canvas.h"
#include "charts/Rect.h"

#include <QImage>
#include <QPoint>

// A vertical cursor line across lineRect that moves or hides without redrawing what lies
// beneath: it keeps the column of pixels it covers and writes them back before it moves.
class Cmoveline {
public:
    virtual ~Cmoveline() = default;

    // Writes the saved column back, then draws the line at newPosition (an offset from
    // lineRect.left; the line stands at left + offset + 1) or, for -1, leaves it hidden.
    void Draw(Canvas& dc);
    // Drops the saved column without writing it back: for when what lies beneath was redrawn.
    void Forget();

    // The saved column holds this many rows; a taller rectangle gets a line this long.
    static constexpr int kMaxRows = 1000;

    Rect lineRect;
    int newPosition = -1;
    int drawnPosition = -1;
    CanvasPen pen = CanvasPen::Solid(1, Rgb(255, 0, 0));
    QImage savedColumn; // the pixels under the drawn line, taken at savedAt
    QPoint savedAt;
    QRgb lineColour = Rgb(255, 0, 0);
};
