#pragma once

#include <QImage>

// The glyph strips of the digit readouts: cells side by side, each kCellWidth wide, holding
// the digits 0 to 9, the decimal point, a blank and a minus sign. Two strips exist, by the
// resource numbers the readouts name them with: 332 (dark red on yellow, 24 pixels high) and
// 314 (dark blue on cyan, 19 pixels high).
class GlyphStrip {
public:
    static constexpr int kPointCell = 10;
    static constexpr int kBlankCell = 11;
    static constexpr int kMinusCell = 12;
    static constexpr int kCellCount = 13;
    static constexpr int kCellWidth = 13;

    static constexpr int kYellowStrip = 332;
    static constexpr int kCyanStrip = 314;

    // The strip of a resource number, rendered on first use and kept until exit; a null image
    // for an unknown number. The digits need a QGuiApplication for their font: without one
    // the strip comes back blank and is not kept.
    static const QImage& ForId(int bitmapId);

    // Renders a strip: kCellCount cells of cellWidth x height, at least minWidth wide in all,
    // ink glyphs on paper.
    static QImage Render(int minWidth, int height, int cellWidth, QRgb ink, QRgb paper);
};
