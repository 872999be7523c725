#include "charts/Cfram.h"

#include <cstdint>

namespace {

// A fraction of a length in pixels, truncated toward zero.
int Part(double fraction, int length) {
    return static_cast<int>(fraction * length);
}

// r moved in by the given margins.
Rect Inset(const Rect& r, int left, int top, int right, int bottom) {
    return {r.left + left, r.top + top, r.right - right, r.bottom - bottom};
}

} // namespace

int Cfram::ComputeLayout(bool showGpr) {
    const int w = clientRect.Width();
    const int h0 = clientRect.Height();
    if (w <= 0 || h0 <= 0 || std::int64_t{w} * h0 < 100)
        return 12;
    if (w > kMaxSide || h0 > kMaxSide)
        return 14;

    innerRect = Inset(clientRect, Part(0.02, w), Part(0.02, h0), Part(0.02, w), Part(0.02, h0));
    const Rect& in = innerRect;
    const int h = in.Height();

    switch (layoutKind) {
    case LayoutKind::DataView3:
    case LayoutKind::DataView1:
    case LayoutKind::DataView4: {
        const bool noGpr = layoutKind == LayoutKind::DataView4;
        const bool gpr = showGpr && !noGpr;
        resultRect = in;
        resultRect.bottom = in.top + Part(gpr ? 0.35 : 0.5, h);
        if (gpr)
            gprRect = {resultRect.left, resultRect.bottom + 20, resultRect.right,
                       resultRect.bottom + 277};
        else if (!noGpr)
            gprRect = resultRect;
        // Data view 4 has no GPR strip: the picture starts under the result chart.
        const int above = noGpr ? resultRect.bottom : gprRect.bottom;
        pictureRect.left = in.left;
        pictureRect.top = above + 40;
        pictureRect.bottom = in.bottom;
        pictureRect.right = pictureRect.left + Part(1.35, pictureRect.bottom - pictureRect.top);
        detail2Rect = {pictureRect.right + 40, pictureRect.top, in.right,
                       static_cast<int>(in.bottom - 0.6 * (in.bottom - pictureRect.top))};
        detail1Rect = {detail2Rect.left, detail2Rect.bottom + (noGpr ? 9 : 22), in.right,
                       in.bottom};
        break;
    }
    case LayoutKind::Result:
        innerRect =
            Inset(clientRect, Part(0.05, w), Part(0.09, h0), Part(0.04, w), Part(0.085, h0));
        resultRect = innerRect;
        break;
    case LayoutKind::GpsTrack: {
        innerRect = Inset(clientRect, Part(0.03, w), Part(0.04, h0), Part(0.03, w), Part(0.03, h0));
        const int hh = innerRect.Height();
        temperatureRect = {innerRect.left, innerRect.top, innerRect.right,
                           innerRect.top + Part(0.25, hh)};
        levelRect.left = innerRect.left;
        levelRect.right = innerRect.right;
        levelRect.top = temperatureRect.bottom + 80;
        levelRect.bottom = levelRect.top + Part(0.25, hh);
        speedRect = {innerRect.left, levelRect.bottom + 80, innerRect.right, innerRect.bottom};
        break;
    }
    case LayoutKind::DataView2:
        resultRect = in;
        resultRect.bottom = in.top + Part(0.2, h);
        if (showGpr)
            gprRect = {resultRect.left, resultRect.bottom + 20, resultRect.right,
                       resultRect.bottom + 277};
        else
            gprRect = resultRect;
        pictureRect = {in.left, gprRect.bottom + 40, in.right - 250, in.bottom};
        anchor1Rect = {in.right - 240, gprRect.bottom + 40, in.right, gprRect.bottom + 60};
        anchor2Rect = {anchor1Rect.left, anchor1Rect.top + 120, in.right, anchor1Rect.top + 140};
        anchor3Rect = {anchor1Rect.left, anchor2Rect.top + 60, in.right, anchor2Rect.top + 80};
        break;
    case LayoutKind::Signal:
        break;
    }
    return 0;
}
