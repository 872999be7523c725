#include "charts/CkelGeneralChart.h"

#include "charts/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

bool CanMap(const Caxis& axis) {
    return axis.HasScale() && std::isfinite(axis.pixelsPerUnit) && axis.pixelsPerUnit != 0.0f;
}

// Hands a polyline to the canvas. A result chart can have a hundred points per pixel column;
// the lines between consecutive points of one column are vertical, and together they cover
// the column from the run's lowest to its highest point, except its last point when that is
// an extreme reached for the first time (a line omits its last pixel). Drawing that union as
// one or two lines gives the same pixels as drawing every line, at a cost bounded by the
// chart's size instead of by the number of points.
class PolylineWriter {
public:
    explicit PolylineWriter(Canvas& dc) : dc_(dc), joinColumns_(dc.DevicePixelRatio() >= 1.0) {}

    void Add(int x, int y) {
        if (!down_) {
            dc_.MoveTo(x, y);
            StartRun(x, y);
            down_ = true;
            return;
        }
        if (x == runX_ && joinColumns_) {
            if (y == last_)
                return;
            lastCovered_ = y >= low_ && y <= high_;
            low_ = std::min(low_, y);
            high_ = std::max(high_, y);
            last_ = y;
            return;
        }
        Flush();
        dc_.LineTo(x, y);
        StartRun(x, y);
    }

    // A gap: the next point starts a new piece of the curve.
    void Break() {
        Flush();
        down_ = false;
    }

    void Finish() { Flush(); }

private:
    void StartRun(int x, int y) {
        runX_ = x;
        low_ = high_ = last_ = y;
        lastCovered_ = false;
    }

    // Draws the column's vertical lines, leaving the pen on the run's last point.
    void Flush() {
        if (!down_ || low_ == high_)
            return;
        if (lastCovered_) {
            dc_.MoveTo(runX_, low_);
            dc_.LineTo(runX_, high_);
            dc_.MoveTo(runX_, high_);
            dc_.LineTo(runX_, high_ - 1); // the top end, at any pixel ratio
        } else if (last_ == high_) {
            dc_.MoveTo(runX_, low_);
            dc_.LineTo(runX_, high_);
        } else {
            dc_.MoveTo(runX_, high_);
            dc_.LineTo(runX_, low_);
        }
        dc_.MoveTo(runX_, last_);
        low_ = high_ = last_;
    }

    Canvas& dc_;
    const bool joinColumns_; // column runs keep their pixels only if pixels do not merge
    bool down_ = false;
    int runX_ = 0;
    int low_ = 0;
    int high_ = 0;
    int last_ = 0;
    bool lastCovered_ = false;
};

void DrawDottedRow(Canvas& dc, int y, int left, int right, int style, QRgb colour) {
    for (int x = left; x < right; x += style)
        dc.SetPixel(x, y, colour);
}

void DrawDottedColumn(Canvas& dc, int x, int top, int bottom, int style, QRgb colour) {
    for (int y = top; y < bottom; y += style)
        dc.SetPixel(x, y, colour);
}

} // namespace

CkelGeneralChart::~CkelGeneralChart() = default;

int CkelGeneralChart::BeginChart(const Rect& rect, Canvas& dc) {
    if (rect.IsEmpty())
        return -1;
    plotRect = rect;
    dc.SelectPen(CanvasPen::Solid(1, Rgb(0, 0, 255)));
    dc.SelectFont(CanvasFont{110});
    charHeight = static_cast<std::int16_t>(dc.TextExtent(QStringLiteral("H")).height());
    DrawFrame(dc);
    return 0;
}

void CkelGeneralChart::DrawFrame(Canvas& dc) {
    const int left = plotRect.left;
    const int top = plotRect.top;
    const int right = plotRect.right;
    const int bottom = plotRect.bottom;
    const CanvasPen previous = dc.SelectPen(CanvasPen::Solid(1, Rgb(100, 100, 100)));
    dc.Rectangle(left, top, right, bottom);
    yAxis.Draw(dc, left, bottom, left, top);
    xAxis.Draw(dc, left, bottom, right, bottom);
    dc.SelectPen(CanvasPen::Solid(2, Rgb(0, 0, 120)));
    dc.Rectangle(left - 1, top - 1, right + 1, bottom + 1);
    dc.SelectPen(previous);

    // The outermost divisions fall on the frame and get no grid line.
    if (yAxis.HasScale() && yGridStyle >= 1 && yGridStyle < 50) {
        const float dy = static_cast<float>(bottom - top) / yAxis.intervalCount;
        for (int i = 1; i < yAxis.intervalCount; ++i) {
            const int y = top + SaturatedPixel(i * static_cast<double>(dy));
            if (yGridStyle == 1) {
                dc.MoveTo(left, y);
                dc.LineTo(right, y);
            } else {
                DrawDottedRow(dc, y, left, right, yGridStyle, Rgb(100, 100, 100));
            }
        }
    }
    if (xAxis.HasScale() && xGridStyle >= 1 && xGridStyle < 50) {
        const float dx = static_cast<float>(right - left) / xAxis.intervalCount;
        for (int i = 1; i < xAxis.intervalCount; ++i) {
            const int x = left + SaturatedPixel(i * static_cast<double>(dx));
            if (xGridStyle == 1) {
                dc.MoveTo(x, top);
                dc.LineTo(x, bottom);
            } else {
                DrawDottedColumn(dc, x, top, bottom, xGridStyle, Rgb(150, 150, 150));
            }
        }
    }
}

int CkelGeneralChart::DrawCurve(Canvas& dc, const float* xs, const float* ys, int last) {
    if (xs == nullptr)
        return 0;
    return DrawPoints(dc, xs, ys, last, 0.0, 0.0, 2, Rgb(0, 0, 255));
}

int CkelGeneralChart::DrawSecondCurve(Canvas& dc, const float* xs, const float* ys, int last) {
    if (xs == nullptr)
        return 0;
    return DrawPoints(dc, xs, ys, last, 0.0, 0.0, 2, Rgb(255, 0, 123));
}

int CkelGeneralChart::DrawSeries(Canvas& dc, const float* values, int last, double x0, double dx) {
    return DrawPoints(dc, nullptr, values, last, x0, dx, 1, Rgb(0, 255, 0));
}

// xs == nullptr: the x of point i is x0 + i * dx.
int CkelGeneralChart::DrawPoints(Canvas& dc, const float* xs, const float* ys, int last, double x0,
                                 double dx, int penWidth, QRgb colour) {
    if (ys == nullptr || last < 0 || !CanMap(xAxis) || !CanMap(yAxis))
        return 0;
    const double xLow = xAxis.axisLow;
    const double xScale = xAxis.pixelsPerUnit;
    const double yLow = yAxis.axisLow;
    const double yScale = yAxis.pixelsPerUnit;
    const double left = plotRect.left;
    const double bottom = plotRect.bottom;
    const CanvasPen previous = dc.SelectPen(CanvasPen::Solid(penWidth, colour));
    PolylineWriter line(dc);
    for (int i = 0; i <= last; ++i) {
        const double x = xs ? static_cast<double>(xs[i]) : x0 + i * dx;
        const double y = ys[i];
        if (std::isnan(x) || std::isnan(y)) {
            line.Break();
            continue;
        }
        line.Add(SaturatedPixel((x - xLow) * xScale + left),
                 SaturatedPixel(bottom - (y - yLow) * yScale));
    }
    line.Finish();
    dc.SelectPen(previous);
    return 0;
}

void CkelGeneralChart::DrawTitles(Canvas& dc) {
    const int left = plotRect.left;
    const int top = plotRect.top;
    const int right = plotRect.right;
    const int bottom = plotRect.bottom;
    const CanvasFont previous = dc.SelectFont(CanvasFont{170});
    dc.SetTextAlign(HAlign::Centre, VAlign::Top);
    dc.TextOut((left + right) / 2, bottom + 35, xTitle);
    dc.SetTextAlign(HAlign::Left, VAlign::Top);
    dc.TextOut(left, top - 25, yTitle);
    dc.SelectFont(CanvasFont{210});
    dc.SetTextAlign(HAlign::Centre, VAlign::Top);
    dc.TextOut((left + right) / 2, top - 50, title);
    dc.SelectFont(previous);
}

int CkelGeneralChart::ValueToX(float v) const {
    if (std::isnan(v) || v <= xAxis.axisLow)
        return plotRect.left;
    if (v >= xAxis.axisHigh)
        return plotRect.right;
    return xAxis.PixelOf(v, plotRect.left, Caxis::Growth::Right);
}
