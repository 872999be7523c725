#include "charts/CdetailChart.h"

#include "charts/Canvas.h"
#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr QRgb kRawColour = Rgb(0, 0, 240);
constexpr QRgb kFilteredColour = Rgb(120, 0, 80);
constexpr QRgb kMarkerColour = Rgb(0, 3, 81);

// Pixel coordinates are 16-bit: far values stop at the edge of that range instead of wrapping.
int Saturate(double v) {
    return static_cast<int>(std::clamp(v, -32767.0, 32767.0));
}

int Usable(int count, std::size_t capacity) {
    return std::clamp(count, 0, static_cast<int>(capacity));
}

void Widen(float v, float& lo, float& hi, bool& any) {
    if (std::isnan(v))
        return;
    if (!any) {
        lo = hi = v;
        any = true;
        return;
    }
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

} // namespace

void CdetailChart::MarkerRange(const int* points, int count, int from, int to, int& first,
                               int& last) {
    first = last = -1;
    int i = 0;
    while (i < count && points[i] < from)
        ++i;
    // An entry past the window is no entry in it: no marker may land right of the chart.
    if (i == count || points[i] > to)
        return;
    first = i;
    last = count - 1;
    for (int k = first + 1; k < count; ++k)
        if (points[k] > to) {
            last = k - 1;
            break;
        }
}

int CdetailChart::Locate(const CVorlixDoc& doc) {
    const int n = Usable(doc.pointCount, kSignalCapacity);
    if (centrePoint < 0 || centrePoint >= n || plotWidth < 1) {
        firstPoint = lastPoint = -1;
        loadPeakFirst = loadPeakLast = geoPeakFirst = geoPeakLast = -1;
        loadTroughFirst = loadTroughLast = geoTroughFirst = geoTroughLast = -1;
        return 0;
    }
    firstPoint = std::max(0, centrePoint - plotWidth / 2);
    const std::int64_t last = std::int64_t{firstPoint} + plotWidth - 1;
    if (last >= n) {
        lastPoint = n - 1;
        firstPoint = std::max(0, n - plotWidth); // a record shorter than the chart starts at 0
    } else {
        lastPoint = static_cast<int>(last);
    }

    const int loads = Usable(doc.loadCycleCount, kCycleCapacity);
    const int geos = Usable(doc.geoCycleCount, kCycleCapacity);
    MarkerRange(doc.loadPeakIndex.data(), loads, firstPoint, lastPoint, loadPeakFirst,
                loadPeakLast);
    MarkerRange(doc.loadTroughIndex.data(), loads, firstPoint, lastPoint, loadTroughFirst,
                loadTroughLast);
    MarkerRange(doc.geoPeakIndex.data(), geos, firstPoint, lastPoint, geoPeakFirst, geoPeakLast);
    MarkerRange(doc.geoTroughIndex.data(), geos, firstPoint, lastPoint, geoTroughFirst,
                geoTroughLast);
    return 0;
}

bool CdetailChart::WindowValid(const CVorlixDoc& doc) const {
    return firstPoint >= 0 && lastPoint >= firstPoint &&
           lastPoint < Usable(doc.pointCount, kSignalCapacity);
}

int CdetailChart::ComputeRange(const CVorlixDoc& doc) {
    if (!WindowValid(doc))
        return -1;
    bool anyLoad = false;
    bool anyGeo = false;
    loadMinValue = loadMaxValue = geoMinValue = geoMaxValue = 0.0f;
    for (int j = firstPoint; j <= lastPoint; ++j) {
        Widen(doc.loadSignal[j], loadMinValue, loadMaxValue, anyLoad);
        Widen(doc.loadFiltered[j], loadMinValue, loadMaxValue, anyLoad);
        Widen(doc.geoSignal[j], geoMinValue, geoMaxValue, anyGeo);
    }
    return 0;
}

void CdetailChart::DrawBackground(Canvas& dc) {
    const Rect& r = plotRect;
    const int above = labelStyle == 2 || labelStyle == 3 ? 20 : 5;
    const int below = labelStyle == 1 || labelStyle == 3 ? 40 : 5;
    dc.FillSolidRect(r.left - 40, r.top - above, r.right, r.bottom + below, Rgb(255, 255, 255));
    dc.Rectangle(r.left, r.top, r.right + 2, r.bottom);
    axis.Draw(dc, r.left, r.bottom, r.left, r.top);
    DrawGrid(dc, axis, r.left, r.top, r.right, r.bottom);
}

// One column per point from left + 1; a NaN sample is passed over.
void CdetailChart::DrawCurve(Canvas& dc, const float* values) {
    const double low = axis.axisLow;
    const double scale = axis.pixelsPerUnit;
    bool started = false;
    for (int j = firstPoint; j <= lastPoint; ++j) {
        if (std::isnan(values[j]))
            continue;
        const int x = Saturate(plotRect.left + 1.0 + (j - firstPoint));
        const int y = Saturate(std::trunc(plotRect.bottom - (values[j] - low) * scale));
        if (!started) {
            dc.MoveTo(x, y);
            started = true;
        }
        dc.LineTo(x, y);
    }
}

void CdetailChart::DrawDistanceLabels(Canvas& dc, const CVorlixDoc& doc) {
    if (labelSpacing < 1)
        return;
    const CanvasFont previousFont = dc.SelectFont(CanvasFont{80});
    dc.SetTextAlign(HAlign::Centre, VAlign::Top);
    const int t = dc.TextExtent(QStringLiteral("H")).height();
    const bool above = labelStyle == 2 || labelStyle == 3;
    const bool below = labelStyle == 1 || labelStyle == 3;
    for (std::int64_t j = firstPoint; j <= lastPoint; j += labelSpacing) {
        const int x = Saturate(plotRect.left + 1.0 + static_cast<double>(j - firstPoint));
        char label[64];
        std::snprintf(label, sizeof label, "%.1f",
                      static_cast<double>(doc.DistanceAtPoint(static_cast<int>(j))));
        const QString text = QString::fromLatin1(label);
        if (above) {
            dc.MoveTo(x, plotRect.top);
            dc.LineTo(x, plotRect.top - 5);
            dc.TextOut(x, plotRect.top - t - 4, text);
        }
        if (below) {
            dc.MoveTo(x, plotRect.bottom);
            dc.LineTo(x, plotRect.bottom + 5);
            dc.TextOut(x, plotRect.bottom + 10, text);
        }
    }
    dc.SelectFont(previousFont);
}

void CdetailChart::DrawMarkers(Canvas& dc, const float* filtered, const int* points, int first,
                               int last, int pointCount) {
    if (first < 0 || last < 0)
        return;
    const double low = axis.axisLow;
    const double scale = axis.pixelsPerUnit;
    for (int i = first; i <= last; ++i) {
        const int p = points[i];
        if (p < 0 || p >= pointCount || std::isnan(filtered[p]))
            continue;
        const int x = Saturate(plotRect.left + static_cast<double>(p - firstPoint) + 1.0);
        const int y = Saturate(std::trunc(plotRect.bottom - (filtered[p] - low) * scale));
        dc.Ellipse(x - 2, y - 2, x + 2, y + 2);
    }
}

int CdetailChart::DrawChart(Canvas& dc, const CVorlixDoc& doc) {
    if (!WindowValid(doc))
        return -1;
    const bool load = signal == 1;
    axis.maxValue = load ? loadMaxValue : geoMaxValue;
    axis.minValue = load ? loadMinValue : geoMinValue;
    DrawBackground(dc);

    const float* raw = load ? doc.loadSignal.data() : doc.geoSignal.data();
    const float* filtered = load ? doc.loadFiltered.data() : doc.geoFiltered.data();
    const CanvasPen previous = dc.SelectPen(CanvasPen::Solid(1, kRawColour));
    DrawCurve(dc, raw);
    dc.SelectPen(CanvasPen::Solid(1, kFilteredColour));
    DrawCurve(dc, filtered);
    DrawDistanceLabels(dc, doc);

    dc.SelectPen(CanvasPen::Solid(1, kMarkerColour));
    const int n = Usable(doc.pointCount, kSignalCapacity);
    const int peakFirst = load ? loadPeakFirst : geoPeakFirst;
    const int peakLast = load ? loadPeakLast : geoPeakLast;
    const int* peaks = load ? doc.loadPeakIndex.data() : doc.geoPeakIndex.data();
    const int* troughs = load ? doc.loadTroughIndex.data() : doc.geoTroughIndex.data();
    DrawMarkers(dc, filtered, peaks, peakFirst, peakLast, n);
    // Troughs only beside valid peaks.
    if (peakFirst != -1 && peakLast != -1)
        DrawMarkers(dc, filtered, troughs, load ? loadTroughFirst : geoTroughFirst,
                    load ? loadTroughLast : geoTroughLast, n);
    dc.SelectPen(previous);
    return 0;
}

int CdetailChart::PointAtColumn(int x) const {
    const std::int64_t p = std::int64_t{firstPoint} + x - plotRect.left - 1;
    return static_cast<int>(std::clamp<std::int64_t>(p, INT32_MIN, INT32_MAX));
}

float CdetailChart::ValueAt(const CVorlixDoc& doc, ReadBack what, int x, int y) const {
    switch (what) {
    case ReadBack::Distance:
        return doc.DistanceAtPoint(PointAtColumn(x));
    case ReadBack::Value:
        if (axis.pixelsPerUnit == 0.0f || !std::isfinite(axis.pixelsPerUnit))
            return 0.0f;
        return axis.ValueAt(y, plotRect.bottom, Caxis::Growth::Up);
    }
    return 0.0f;
}

float CdetailChart::PointValueAt(const CVorlixDoc& doc, ReadBack what, int x) const {
    const int p = PointAtColumn(x);
    if (p < 0 || p >= Usable(doc.pointCount, kSignalCapacity))
        return 0.0f;
    switch (what) {
    case ReadBack::Distance:
        return doc.DistanceAtPoint(p);
    case ReadBack::Value:
        return signal == 1 ? doc.loadFiltered[p] : doc.geoFiltered[p];
    }
    return 0.0f;
}
