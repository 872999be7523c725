#include "charts/CLABEL.h"

#include "charts/Canvas.h"
#include "charts/GlyphStrip.h"

#include <algorithm>
#include <cstdio>

int CLABEL::CellCount() const {
    return std::clamp<int>(digitCount, 0, kMaxCells);
}

// Copies glyph cell `glyph` of the strip to cell `cell`, no further than the strip reaches.
void CLABEL::PaintGlyph(Canvas& dc, int cell, int glyph) {
    const QRect source =
        QRect(glyph * glyphWidth, 0, glyphWidth, glyphHeight).intersected(glyphs.rect());
    if (source.isEmpty())
        return;
    dc.DrawBlock(cellPos[cell].x(), cellPos[cell].y(), glyphs, source);
}

void CLABEL::Prepare(Canvas& dc) {
    boxHeight = static_cast<std::int16_t>(2 * border + glyphHeight);
    boxWidth =
        static_cast<std::int16_t>((glyphWidth + gap) * digitCount + 3 * border + extraWidth + gap);
    const int cells = CellCount();
    text.assign(std::max<int>(digitCount, 0), ' ');
    shown = text;
    for (int i = 0; i < kMaxCells; ++i)
        cellPos[i] = i < cells
                         ? QPoint(left + 2 * border + gap + i * (gap + glyphWidth), top + border)
                         : QPoint();
    bounds = {left, top, left + boxWidth, top + boxHeight};

    glyphs = GlyphStrip::ForId(bitmapId);
    for (int i = 0; i < cells; ++i)
        PaintGlyph(dc, i, GlyphStrip::kBlankCell);
    lastValue = 0.0;
}

void CLABEL::ShowValue(Canvas& dc, double value) {
    const int places = decimals >= 0 && decimals <= 10 ? decimals : 11;
    // The field is 12 characters; a wider number is recognised by its length and not shown.
    char field[64];
    const int length = std::snprintf(field, sizeof field, "%12.*f", places, value);
    if (digitCount < 0 || digitCount > kFieldWidth || length < kFieldWidth)
        return;
    text.assign(field + kFieldWidth - digitCount);
    if (length != kFieldWidth)
        return;
    if (shown.size() != text.size())
        shown.assign(text.size(), ' ');

    for (int i = 0; i < digitCount; ++i) {
        const char c = text[i];
        int glyph;
        if (c >= '0' && c <= '9')
            glyph = c - '0';
        else if (c == ' ')
            glyph = GlyphStrip::kBlankCell;
        else if (c == '.')
            glyph = GlyphStrip::kPointCell;
        else if (c == '-')
            glyph = GlyphStrip::kMinusCell;
        else
            continue; // nothing to paint it with: the cell keeps what it shows
        if (shown[i] == c)
            continue; // painted already: a mouse move repaints only what changed
        PaintGlyph(dc, i, glyph);
        shown[i] = c;
    }
    lastValue = value;
}

void CLABEL::ShowBlank(Canvas& dc) {
    const int cells = std::min(CellCount(), static_cast<int>(shown.size()));
    for (int i = 0; i < cells; ++i)
        if (shown[i] != ' ') {
            PaintGlyph(dc, i, GlyphStrip::kBlankCell);
            shown[i] = ' ';
        }
}
