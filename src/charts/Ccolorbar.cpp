#include "charts/Ccolorbar.h"

#include "charts/ArrowGlyphs.h"
#include "charts/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A palette index from a real value: truncated, within 0 ... n - 1.
int PaletteIndex(double value, int n) {
    if (!(value > 0.0))
        return 0;
    if (value >= n - 1)
        return n - 1;
    return static_cast<int>(value);
}

} // namespace

Ccolorbar::Ccolorbar() {
    palette.scheme = Ccolorrainbowl::kRainbow;
    palette.spare = 14;
    palette.Build();
    upperArrow = ArrowGlyphs::ForId(ArrowGlyphs::kRedArrow);
    lowerArrow = ArrowGlyphs::ForId(ArrowGlyphs::kBlueArrow);
}

int Ccolorbar::HandlePixels(int value, int height, int colourCount) {
    if (colourCount < 2)
        return 0;
    return static_cast<int>(static_cast<long long>(value) * height / (colourCount - 1));
}

bool Ccolorbar::Placed() const {
    return barRect.Height() >= 1 && palette.colourCount >= 2;
}

void Ccolorbar::PlaceHandles() {
    const int h = barRect.Height();
    palette.upperPix =
        static_cast<std::int16_t>(HandlePixels(palette.upper, h, palette.colourCount));
    palette.lowerPix =
        static_cast<std::int16_t>(HandlePixels(palette.lower, h, palette.colourCount));
}

void Ccolorbar::Line(Canvas& dc, int y, QRgb colour) {
    dc.SelectPen(CanvasPen::Solid(1, colour));
    dc.MoveTo(barRect.left, y);
    dc.LineTo(barRect.right, y);
}

int Ccolorbar::DrawBar(Canvas& dc) {
    palette.RebuildWorking();
    if (!Placed()) {
        hitRect = Rect{};
        return 0;
    }
    const int n = palette.colourCount;
    const int h = barRect.Height();
    const int left = barRect.left, right = barRect.right, top = barRect.top;
    const int bottom = barRect.bottom;
    PlaceHandles();
    const int upperPix = palette.upperPix;
    const int lowerPix = palette.lowerPix;
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, palette.master[0]));
    const CanvasBrush oldBrush = dc.SelectBrush(CanvasBrush::Solid(palette.master[0]));

    if (lowerPix != 0)
        dc.Rectangle(left, bottom - lowerPix, right, bottom);
    if (upperPix < h) {
        dc.SelectPen(CanvasPen::Solid(1, palette.master[n - 1]));
        dc.SelectBrush(CanvasBrush::Solid(palette.master[n - 1]));
        dc.Rectangle(left, top, right, bottom - upperPix + 1);
    }
    // Lower ramp: the master's lower half from the lower handle up to the middle.
    const double lowerSpan = h * 0.5 - lowerPix;
    for (int r = lowerPix; r <= h / 2; ++r) {
        const double t = lowerSpan > 0.0 ? (r - lowerPix) * n / lowerSpan * 0.5 : 0.0;
        Line(dc, bottom - r, palette.master[PaletteIndex(t, n)]);
    }
    // Upper ramp: its upper half from the middle up to the upper handle.
    const double upperSpan = upperPix - h * 0.5;
    for (int r = h / 2; r <= upperPix - 1; ++r) {
        const double t = upperSpan > 0.0 ? n * ((r - h * 0.5) / upperSpan * 0.5 + 0.5) : n - 1;
        Line(dc, bottom - r, palette.master[PaletteIndex(t, n)]);
    }
    DrawHandles(dc);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    hitRect = Rect{right - 1, top - kHandleReach, right + 9, bottom + kHandleReach};
    return 0;
}

int Ccolorbar::RepaintBar(Canvas& dc) {
    if (!Placed())
        return 0;
    const int n = palette.colourCount;
    const int h = barRect.Height();
    const int bottom = barRect.bottom;
    PlaceHandles();
    const int upperPix = palette.upperPix;
    const int lowerPix = palette.lowerPix;
    // Both spans are positive wherever their factor is used.
    const double lowerSpan = h * 0.5 - lowerPix;
    const double upperSpan = upperPix - h * 0.5;
    const float f1 = lowerSpan > 0.0 ? static_cast<float>(n * 0.5 / lowerSpan) : 0.0f;
    const float f2 = upperSpan > 0.0 ? static_cast<float>(n * 0.5 / upperSpan) : 0.0f;
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, palette.master[0]));
    for (int r = 0; r < h / 2; ++r) {
        const int t = r < lowerPix ? 0 : PaletteIndex((r - lowerPix) * f1, n);
        Line(dc, bottom - r, palette.master[t]);
    }
    for (int r = h / 2; r < h; ++r) {
        const int t = r >= upperPix ? n - 1 : PaletteIndex((r - h * 0.5) * f2 + n / 2, n);
        Line(dc, bottom - r, palette.master[t]);
    }
    DrawHandles(dc);
    dc.SelectPen(oldPen);
    return 0;
}

void Ccolorbar::DrawHandles(Canvas& dc) {
    dc.DrawBlock(barRect.right + 1, barRect.bottom - palette.upperPix - 3, upperArrow);
    dc.DrawBlock(barRect.right + 1, barRect.bottom - palette.lowerPix - 3, lowerArrow);
}

int Ccolorbar::HitHandle(int x, int y) {
    if (!Placed() || std::abs(x - barRect.right) >= kHandleReach)
        return 0;
    if (std::abs(y - (barRect.bottom - palette.upperPix)) < kHandleReach) {
        dragState = 2;
        return 2;
    }
    if (std::abs(y - (barRect.bottom - palette.lowerPix)) < kHandleReach) {
        dragState = 1;
        return 1;
    }
    return 0;
}

void Ccolorbar::DragFeedback(Canvas& dc, int state, int y) {
    if (!Placed() || (state != 1 && state != 2))
        return;
    const int top = barRect.top, bottom = barRect.bottom, right = barRect.right;
    const int half = (bottom - top) / 2;
    const int mid = (top + bottom) / 2;
    y = std::clamp(y, top, bottom);
    const QRgb white = Rgb(255, 255, 255);
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, white));
    const CanvasBrush oldBrush = dc.SelectBrush(CanvasBrush::Solid(white));
    if (state == 2) {
        dc.Rectangle(right + 1, top - kHandleReach, right + 7, top + half);
        dc.DrawBlock(right + 1, std::min(y, mid - kMiddleMargin) - 3, upperArrow);
    } else {
        y = std::max(y, mid + kMiddleMargin);
        dc.Rectangle(right + 1, top + half, right + 7, bottom + kHandleReach);
        dc.DrawBlock(right + 1, y - 3, lowerArrow);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

int Ccolorbar::EndDrag(Canvas& dc, int /*x*/, int y) {
    if (dragState == 0)
        return 1;
    if (!Placed()) {
        dragState = 0;
        return 1;
    }
    const int n = palette.colourCount;
    const int top = barRect.top, bottom = barRect.bottom;
    const int mid = (top + bottom) / 2;
    const long long h = bottom - top;
    if (dragState == 1) {
        y = std::max(y, mid + kMiddleMargin);
        palette.lower = static_cast<std::int16_t>(std::max<long long>(0, (bottom - y) * n / h));
    } else if (dragState == 2) {
        y = std::min(y, mid - kMiddleMargin);
        palette.upper = static_cast<std::int16_t>(std::min<long long>(n - 1, (bottom - y) * n / h));
    }
    dragState = 0;
    RepaintBar(dc);
    return 0;
}
