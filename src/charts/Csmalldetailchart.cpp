#include "charts/Csmalldetailchart.h"

#include "charts/Canvas.h"
#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr QRgb kLineColour = Rgb(0, 0, 255);
constexpr QRgb kCircleColour = Rgb(255, 0, 0);

int CycleCount(const CVorlixDoc& doc) {
    return std::clamp(doc.cycleCount, 0, static_cast<int>(kCycleCapacity));
}

} // namespace

Csmalldetailchart::~Csmalldetailchart() = default;

bool Csmalldetailchart::WindowValid(const CVorlixDoc& doc) const {
    return firstCycle >= 0 && lastCycle >= firstCycle && lastCycle < CycleCount(doc);
}

int Csmalldetailchart::Column(float distance) const {
    return xAxis.PixelOf(distance, plotRect.left, Caxis::Growth::Right);
}

int Csmalldetailchart::Row(float ratio) const {
    return yAxis.PixelOf(ratio, plotRect.bottom, Caxis::Growth::Up);
}

int Csmalldetailchart::Locate(const CVorlixDoc& doc) {
    const int n = CycleCount(doc);
    if (n < 1)
        return -1;
    const float* d = doc.cycleDistance.data();
    const float centre = centreDistance;
    if (d[0] > centre || d[n - 1] < centre)
        return -1;

    centreCycle = -1;
    for (int i = 1; i < n; ++i)
        if (d[i - 1] <= centre && centre <= d[i]) {
            centreCycle = i;
            break;
        }
    if (centreCycle < 0)
        return -2;

    const double half = span * 0.5;
    int first = 0;
    for (int k = centreCycle; k >= 0; --k)
        if (d[k] <= centre - half) {
            first = k;
            break;
        }
    int last = n - 1;
    for (int k = centreCycle; k < n; ++k)
        if (d[k] >= centre + half) {
            last = k;
            break;
        }

    // Cut short at an end of the profile: reach the full span into the other direction.
    if (span * 0.8 > d[last] - d[first]) {
        if (first < 2) {
            for (int k = last; k < n; ++k)
                if (d[k] >= d[first] + span) {
                    last = k;
                    break;
                }
        } else if (last > n - 2) {
            for (int k = first; k >= 0; --k)
                if (d[k] <= d[last] - span) {
                    first = k;
                    break;
                }
        }
    }
    firstCycle = first;
    lastCycle = last;
    cycleSpan = last - first;
    actualSpan = d[last] - d[first];
    return 0;
}

int Csmalldetailchart::ComputeRange(const CVorlixDoc& doc) {
    if (!WindowValid(doc))
        return -1;
    // A NaN or infinite result would leave the value axis without a scale: range the others.
    bool any = false;
    float high = 0.0f;
    float low = 0.0f;
    for (int i = firstCycle; i <= lastCycle; ++i) {
        const float v = doc.cycleRatio[i];
        if (!std::isfinite(v))
            continue;
        if (!any) {
            high = low = v;
            any = true;
        }
        high = std::max(high, v);
        low = std::min(low, v);
    }
    ratioMax = high;
    ratioMin = low;
    return 0;
}

void Csmalldetailchart::DrawFrame(Canvas& dc, const CVorlixDoc& doc) {
    const Rect& r = plotRect;
    const int above = labelStyle == 2 || labelStyle == 3 ? 20 : 5;
    const int below = labelStyle == 1 || labelStyle == 3 ? 40 : 20;
    dc.FillSolidRect(r.left - 40, r.top - above, r.right, r.bottom + below, Rgb(255, 255, 255));
    dc.Rectangle(r.left, r.top, r.right + 1, r.bottom);
    if (!WindowValid(doc))
        return;

    const float* d = doc.cycleDistance.data();
    float from = d[firstCycle];
    float to = d[lastCycle];
    if (!std::isfinite(from) || !std::isfinite(to)) {
        // An end without a distance: span the distances the window does have.
        bool any = false;
        for (int i = firstCycle; i <= lastCycle; ++i) {
            if (!std::isfinite(d[i]))
                continue;
            from = any ? std::min(from, d[i]) : d[i];
            to = any ? std::max(to, d[i]) : d[i];
            any = true;
        }
        if (!any)
            from = to = 0.0f;
    }
    yAxis.maxValue = ratioMax;
    yAxis.minValue = ratioMin;
    xAxis.maxValue = to;
    xAxis.minValue = from;
    yAxis.Draw(dc, r.left, r.bottom, r.left, r.top);
    xAxis.Draw(dc, r.left, r.bottom, r.right, r.bottom);
    DrawGrid(dc, yAxis, r.left, r.top, r.right, r.bottom);
}

int Csmalldetailchart::DrawChart(Canvas& dc, const CVorlixDoc& doc) {
    if (!WindowValid(doc))
        return -1;
    DrawFrame(dc, doc);

    const float* d = doc.cycleDistance.data();
    const float* c = doc.cycleRatio.data();
    const auto drawn = [&](int i) { return !std::isnan(d[i]) && !std::isnan(c[i]); };
    const CanvasPen previous = dc.SelectPen(CanvasPen::Solid(1, kLineColour));
    bool started = false;
    for (int i = firstCycle; i <= lastCycle; ++i) {
        if (!drawn(i))
            continue;
        const int x = Column(d[i]);
        const int y = Row(c[i]);
        if (!started) {
            dc.MoveTo(x, y);
            started = true;
        }
        dc.LineTo(x, y);
    }
    dc.SelectPen(CanvasPen::Solid(1, kCircleColour));
    for (int i = firstCycle; i <= lastCycle; ++i) {
        if (!drawn(i))
            continue;
        const int x = Column(d[i]);
        const int y = Row(c[i]);
        dc.Ellipse(x - 2, y - 2, x + 2, y + 2);
    }
    dc.SelectPen(previous);
    return 0;
}

float Csmalldetailchart::NearestCycleValue(const CVorlixDoc& doc, int x, ReadBack what) const {
    if (!WindowValid(doc) || (what != ReadBack::Distance && what != ReadBack::Value))
        return 0.0f;
    const float* d = doc.cycleDistance.data();
    std::int64_t best = std::int64_t{plotRect.right} - plotRect.left;
    int nearest = -1;
    for (int i = firstCycle; i <= lastCycle; ++i) {
        if (std::isnan(d[i]))
            continue;
        const std::int64_t gap = std::llabs(std::int64_t{Column(d[i])} - x);
        if (gap < best) { // strictly: the first of equally near cycles stays
            best = gap;
            nearest = i;
        }
    }
    if (nearest < 0)
        return 0.0f;
    return what == ReadBack::Distance ? d[nearest] : doc.cycleRatio[nearest];
}

float Csmalldetailchart::ValueAt(ReadBack what, int x, int y) const {
    const bool distance = what == ReadBack::Distance;
    const Caxis& axis = distance ? xAxis : yAxis;
    if ((!distance && what != ReadBack::Value) || axis.pixelsPerUnit == 0.0f ||
        !std::isfinite(axis.pixelsPerUnit))
        return 0.0f; // never drawn: no scale to divide by
    return distance ? axis.ValueAt(x, plotRect.left, Caxis::Growth::Right)
                    : axis.ValueAt(y, plotRect.bottom, Caxis::Growth::Up);
}
