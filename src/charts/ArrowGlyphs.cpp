#include "charts/ArrowGlyphs.h"

#include "charts/Canvas.h"

#include <cstdlib>

QImage ArrowGlyphs::Render(QRgb ink) {
    QImage arrow(kWidth, kHeight, QImage::Format_RGB32);
    arrow.fill(Rgb(255, 255, 255));
    const int middle = kHeight / 2;
    for (int y = 0; y < kHeight; ++y) {
        // The row at the tip is full; each row further off loses a pixel at the left.
        const int from = std::abs(y - middle);
        auto* row = reinterpret_cast<QRgb*>(arrow.scanLine(y));
        for (int x = from; x < kWidth; ++x)
            row[x] = ink;
    }
    return arrow;
}

QImage ArrowGlyphs::ForId(int bitmapId) {
    if (bitmapId == kBlueArrow)
        return Render(Rgb(0, 0, 255));
    if (bitmapId == kRedArrow)
        return Render(Rgb(255, 0, 0));
    return QImage();
}
