#pragma once

#include "charts/Rect.h"

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <string>

class Canvas;

// A numeric readout: a row of digit cells painted from a glyph strip (GlyphStrip). Prepare
// places the box and blanks the cells; ShowValue paints a value into them.
class CLABEL {
public:
    virtual ~CLABEL() = default;

    // Computes the box and the cell positions, takes the glyph strip of bitmapId and paints
    // every cell blank.
    void Prepare(Canvas& dc);
    // Paints the rightmost digitCount characters of value in a 12-character field with
    // `decimals` decimals. A value wider than the field, or more than 12 cells, shows nothing.
    void ShowValue(Canvas& dc, double value);
    // Blanks every cell (a value that cannot be told).
    void ShowBlank(Canvas& dc);

    static constexpr int kFieldWidth = 12;
    static constexpr int kMaxCells = 15;

    std::int16_t digitCount = 4;
    int left = 100;
    int top = 100;
    std::int16_t gap = 8;
    Rect bounds;
    std::int16_t glyphHeight = 80;
    std::int16_t glyphWidth = 71;
    std::string text;
    std::string shown;
    QPoint cellPos[kMaxCells];
    std::int16_t extraWidth = 60;
    std::int16_t decimals = 1;
    std::int16_t boxWidth = 0;
    std::int16_t boxHeight = 0;
    std::int16_t border = 2;
    QImage glyphs;
    double lastValue = 0.0;
    int bitmapId = 332;

private:
    int CellCount() const;
    void PaintGlyph(Canvas& dc, int cell, int glyph);
};
