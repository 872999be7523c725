#include "charts/SectionOverlay.h"

#include "charts/CkelGeneralChart.h"

#include <algorithm>
#include <cmath>

namespace sectionoverlay {
namespace {

constexpr int kDash = 6;
constexpr int kDashGap = 4;

bool CanMap(const Caxis& axis) {
    return axis.HasScale() && std::isfinite(axis.pixelsPerUnit) && axis.pixelsPerUnit != 0.0f;
}

// Pixel columns and rows of the chart's axes, as its curves are drawn.
struct Mapping {
    const CkelGeneralChart& chart;
    int X(double distance) const {
        return SaturatedPixel((distance - chart.xAxis.axisLow) * chart.xAxis.pixelsPerUnit +
                              chart.plotRect.left);
    }
    int Y(double value) const {
        return SaturatedPixel(chart.plotRect.bottom -
                              (value - chart.yAxis.axisLow) * chart.yAxis.pixelsPerUnit);
    }
    // The columns of [start, end] clipped to [from, to] and to the plot; false when none.
    bool Span(double start, double end, double from, double to, int* left, int* right) const {
        start = std::max(start, from);
        end = std::min(end, to);
        if (!(start <= end))
            return false;
        *left = std::max(X(start), chart.plotRect.left);
        *right = std::min(X(end) + 1, chart.plotRect.right);
        return *left < *right;
    }
};

bool Usable(const CkelGeneralChart& chart) {
    return !chart.plotRect.IsEmpty() && CanMap(chart.xAxis) && CanMap(chart.yAxis);
}

void DashedColumn(Canvas& dc, int x, const Rect& plot) {
    for (int y = plot.top; y < plot.bottom; y += kDash + kDashGap) {
        dc.MoveTo(x, y);
        dc.LineTo(x, std::min(y + kDash, plot.bottom));
    }
}

void Row(Canvas& dc, int y, int left, int right, const Rect& plot) {
    if (y < plot.top || y >= plot.bottom)
        return;
    dc.MoveTo(left, y);
    dc.LineTo(right, y);
}

} // namespace

void DrawFlags(Canvas& dc, const CkelGeneralChart& chart, const sections::Result& result,
               double from, double to) {
    if (!Usable(chart))
        return;
    const Mapping map{chart};
    const Rect& plot = chart.plotRect;
    for (const sections::Flag& flag : result.flags) {
        int left = 0, right = 0;
        if (map.Span(flag.startFt, flag.endFt, from, to, &left, &right))
            dc.BlendRect(Rect{left, plot.top, right, plot.bottom}, kFlagColour, kFlagAlpha);
    }
}

void DrawSections(Canvas& dc, const CkelGeneralChart& chart, const sections::Result& result,
                  double from, double to) {
    if (!Usable(chart))
        return;
    const Mapping map{chart};
    const Rect& plot = chart.plotRect;
    const CanvasPen previous = dc.SelectPen(CanvasPen::Solid(1, kBoundaryColour));
    // A boundary is the start of every section but the road's first.
    for (std::size_t i = 1; i < result.sections.size(); ++i) {
        const double start = result.sections[i].startFt;
        const int x = map.X(start);
        if (start >= from && start <= to && x >= plot.left && x < plot.right)
            DashedColumn(dc, x, plot);
    }
    for (const sections::Section& section : result.sections) {
        int left = 0, right = 0;
        if (!map.Span(section.startFt, section.endFt, from, to, &left, &right))
            continue;
        dc.SelectPen(CanvasPen::Solid(2, kMeanColour));
        Row(dc, map.Y(section.mean), left, right, plot);
        dc.SelectPen(CanvasPen::Solid(2, kCharacteristicColour));
        Row(dc, map.Y(section.characteristic), left, right, plot);
    }
    dc.SelectPen(previous);
}

} // namespace sectionoverlay
