#include "charts/Caxis.h"

#include "charts/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

bool FitsFloat(double v) {
    return std::isfinite(v) && std::fabs(v) <= kFloatMax;
}

// The first divisor whose quotient, brought into [1, 10), truncates to 1, 2 or 5 gives the
// step: that digit in the quotient's decade. 0 when the range is not positive and finite.
float NiceStep(double range, bool preferFewer) {
    static constexpr int kMoreTicks[] = {10, 9, 8, 7, 6, 5, 4};
    static constexpr int kFewerTicks[] = {4, 5, 6, 7, 8, 9, 10};
    if (!(range > 0.0) || !std::isfinite(range))
        return 0.0f;
    // The range is kept in single precision like the axis fields, unless only a double
    // holds it (the two ends near the float limits with opposite signs).
    const bool asFloat = FitsFloat(range);
    const float rangeF = static_cast<float>(range);
    for (const int divisor : preferFewer ? kFewerTicks : kMoreTicks) {
        float q =
            asFloat ? rangeF / static_cast<float>(divisor) : static_cast<float>(range / divisor);
        if (!(q > 0.0f) || !std::isfinite(q))
            continue;
        const float g = q >= 10.0f ? 0.1f : 10.0f;
        int j = 0;
        while (q < 1.0f || q >= 10.0f) {
            q *= g;
            ++j;
        }
        const int m = static_cast<int>(q);
        if (std::abs(m - 1) < 0.01 || std::abs(m - 2) < 0.01 || std::abs(m - 5) < 0.01) {
            float s = static_cast<float>(m);
            for (int k = 0; k < j; ++k)
                s /= g;
            return s;
        }
    }
    return 0.0f;
}

} // namespace

int SaturatedPixel(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 32767.0)
        return 32767;
    if (v <= -32767.0)
        return -32767;
    return static_cast<int>(v);
}

Caxis::~Caxis() = default;

int Caxis::PixelOf(double value, int origin, Growth growth) const {
    const double pixels = (value - axisLow) * pixelsPerUnit;
    return SaturatedPixel(growth == Growth::Right ? pixels + origin : origin - pixels);
}

float Caxis::ValueAt(int pixel, int origin, Growth growth) const {
    const double pixels = growth == Growth::Right ? static_cast<double>(pixel) - origin
                                                  : static_cast<double>(origin) - pixel;
    return static_cast<float>(pixels) / pixelsPerUnit + axisLow;
}

bool Caxis::HasScale() const {
    return intervalCount >= 1 && step > 0.0f && std::isfinite(step) && std::isfinite(axisLow) &&
           std::isfinite(axisHigh) && axisHigh > axisLow;
}

void Caxis::ChooseStep() {
    const float s = NiceStep(static_cast<double>(maxValue) - minValue, preferFewerTicks != 0);
    if (s > 0.0f)
        step = s;
}

int Caxis::ComputeScale() {
    // A range that is not finite would loop for ever looking for a step: keep the old scale.
    if (!std::isfinite(minValue) || !std::isfinite(maxValue))
        return -1;
    // In double: the difference of two large floats of opposite sign overflows float.
    const double d = static_cast<double>(maxValue) - minValue;
    float low, high, newStep;
    int count;
    if (std::fabs(d) < 1e-14) {
        newStep = 1.0f;
        low = minValue - 1.0f;
        high = maxValue + 1.0f;
        count = 2;
    } else {
        if (d <= 0.0)
            return -1;
        newStep = NiceStep(d, preferFewerTicks != 0);
        if (!(newStep > 0.0f))
            return -1;
        const double s = newStep;
        double v = s * std::trunc(minValue / s - 0.5);
        if (!FitsFloat(v))
            return -1;
        low = static_cast<float>(v);
        // A positive minimum on a multiple of the step goes one step lower; 0 stays 0.
        if (minValue < low) {
            v = static_cast<double>(low) - s;
            if (!FitsFloat(v))
                return -1;
            low = static_cast<float>(v);
        }
        v = s * std::trunc(maxValue / s + 0.5);
        if (!FitsFloat(v))
            return -1;
        high = static_cast<float>(v);
        if (maxValue > high) {
            v = static_cast<double>(high) + s;
            if (!FitsFloat(v))
                return -1;
            high = static_cast<float>(v);
        }
        const double intervals = std::trunc((static_cast<double>(high) - low) / s + 0.5);
        if (!(intervals >= 1.0 && intervals <= std::numeric_limits<std::int16_t>::max()))
            return -1;
        count = static_cast<int>(intervals);
    }
    // Near the float limits the ends can round onto each other; such a scale is unusable.
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high))
        return -1;
    axisLow = low;
    axisHigh = high;
    step = newStep;
    intervalCount = static_cast<std::int16_t>(count);
    return 0;
}

QString Caxis::FormatTickLabel(float value, float magnitude) {
    const double s = 10.0 * magnitude;
    if (s >= 100.0) {
        const double whole = std::trunc(value);
        if (whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max())
            return QString::number(static_cast<int>(whole));
        return QString::asprintf("%.0f", whole); // past int: the same digits, never wrapped
    }
    if (s >= 10.0)
        return QString::asprintf("%.1f", static_cast<double>(value));
    if (s >= 1.0)
        return QString::asprintf("%.2f", static_cast<double>(value));
    return QString::asprintf("%.3f", static_cast<double>(value));
}

int Caxis::Draw(Canvas& dc, int ax1, int ay1, int ax2, int ay2) {
    if (ax1 == ax2 && ay1 == ay2)
        return 0;
    x1 = ax1;
    y1 = ay1;
    x2 = ax2;
    y2 = ay2;
    ComputeScale();
    if (ax1 == ax2)
        orientation = 2;
    else if (ay1 == ay2)
        orientation = 1;
    else
        return 0; // only horizontal and vertical axes are drawn
    if (!HasScale())
        return 0; // no range was ever usable: no ticks, no labels

    const bool horizontal = orientation == 1;
    const double span = static_cast<double>(axisHigh) - axisLow;
    const double length =
        horizontal ? static_cast<double>(ax2) - ax1 : static_cast<double>(ay2) - ay1;
    pixelsPerUnit = static_cast<float>(
        (horizontal ? static_cast<double>(ax2) - ax1 : static_cast<double>(ay1) - ay2) / span);
    const float p = static_cast<float>(length / intervalCount);

    const CanvasFont oldFont = dc.SelectFont(CanvasFont{80});
    const int h = dc.TextExtent(QStringLiteral("H")).height();
    for (int i = 0; i <= intervalCount; ++i) {
        if (horizontal) {
            const int x = SaturatedPixel(ax1 + i * static_cast<double>(p));
            dc.MoveTo(x, ay1);
            dc.LineTo(x, ay1 + h / 3);
        } else {
            const int y = SaturatedPixel(ay1 + i * static_cast<double>(p));
            dc.MoveTo(ax1, y);
            dc.LineTo(SaturatedPixel(ax1 - 0.4 * h), y);
        }
    }

    dc.SetTransparentBackground(true);
    const float magnitude = std::max(std::fabs(axisHigh), std::fabs(axisLow));
    for (int k = 1; k <= intervalCount + 1; ++k) {
        const float value = static_cast<float>((k - 1) * static_cast<double>(step) + axisLow);
        const QString text = FormatTickLabel(value, magnitude);
        const int t = dc.TextExtent(text).height();
        if (horizontal) {
            dc.SetTextAlign(HAlign::Centre, VAlign::Top);
            dc.TextOut(SaturatedPixel(ax1 + (k - 1) * static_cast<double>(p)), ay1 + t / 2, text);
        } else {
            dc.SetTextAlign(HAlign::Right, VAlign::Top);
            dc.TextOut(ax1 - t / 2, SaturatedPixel(ay1 + (k - 1) * static_cast<double>(p) - t / 3),
                       text);
        }
    }
    dc.SelectFont(oldFont);
    return 0;
}

int DrawGrid(Canvas& dc, const Caxis& axis, int left, int top, int right, int bottom) {
    const int n = axis.intervalCount;
    const int orientation = std::abs(axis.orientation);
    if (!axis.HasScale() || n < 1 || (orientation != 1 && orientation != 2))
        return -1;
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, Rgb(180, 180, 180)));
    if (orientation == 1) {
        const float p = static_cast<float>((static_cast<double>(right) - left) / n);
        for (int i = 0; i <= n; ++i) {
            const int x = SaturatedPixel(left + i * static_cast<double>(p));
            dc.MoveTo(x, bottom);
            dc.LineTo(x, top);
        }
    } else {
        const float p = static_cast<float>((static_cast<double>(bottom) - top) / n);
        for (int i = 0; i <= n; ++i) {
            const int y = SaturatedPixel(top + i * static_cast<double>(p));
            dc.MoveTo(left, y);
            dc.LineTo(right, y);
        }
    }
    dc.SelectPen(oldPen);
    return 0;
}
