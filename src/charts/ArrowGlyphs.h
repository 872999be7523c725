#pragma once

#include <QImage>

// The two handle arrows of the colour bar, by the resource numbers the bar names them with:
// 333 (blue, the lower handle) and 335 (red, the upper handle). Each is 4 x 7 pixels, a
// triangle pointing left on white, its tip on the middle row.
class ArrowGlyphs {
public:
    static constexpr int kWidth = 4;
    static constexpr int kHeight = 7;
    static constexpr int kBlueArrow = 333;
    static constexpr int kRedArrow = 335;

    // The arrow of a resource number; a null image for an unknown number.
    static QImage ForId(int bitmapId);
    // A left-pointing triangle in ink on white.
    static QImage Render(QRgb ink);
};
