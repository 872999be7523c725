#pragma once

#include <QString>

#include <cstdint>

class Canvas;

// A numeric axis: from the owner's data range it picks a nice tick step, the first and last
// tick and the number of intervals, and draws ticks with their labels along a horizontal or
// vertical line. Every computed field is stored in single precision, as the charts read them.
class Caxis {
public:
    // Which way values grow on the screen: rightwards from a left edge, or upwards from a
    // bottom edge.
    enum class Growth { Right, Up };

    virtual ~Caxis();

    // The pixel of a value on a plot whose axisLow lies at pixel `origin`, truncated toward
    // zero and saturated as SaturatedPixel does.
    int PixelOf(double value, int origin, Growth growth) const;
    // The value at a pixel: the inverse, in single precision as the readouts show it. Callers
    // check first that pixelsPerUnit is usable.
    float ValueAt(int pixel, int origin, Growth growth) const;

    // Sets axisLow, axisHigh, step and intervalCount from minValue and maxValue. Returns 0, or
    // -1 when the range is not usable (reversed or not finite) and the previous scale is kept.
    int ComputeScale();
    // Sets step from the range: the first divisor whose quotient reads 1, 2 or 5 in its decade.
    // Leaves step alone for a range that is not positive and finite.
    void ChooseStep();
    // The label of one tick; the decimals follow the size of the axis' end values (magnitude).
    static QString FormatTickLabel(float value, float magnitude);
    // Stores the end points, recomputes the scale and draws ticks and labels with the current
    // pen. An axis runs from (x1, y1), where axisLow sits, to (x2, y2). Returns 0.
    int Draw(Canvas& dc, int x1, int y1, int x2, int y2);
    // True once a usable scale has been computed (an axis that never had one draws no ticks).
    bool HasScale() const;

    float maxValue = 0.0f;
    float minValue = 0.0f;
    float axisLow = 0.0f;
    float axisHigh = 0.0f;
    float step = 0.0f;
    float pixelsPerUnit = 0.0f;
    std::int16_t intervalCount = 0;
    std::int16_t orientation = 0; // 1 horizontal, 2 vertical
    std::int16_t preferFewerTicks = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    QString caption;
};

// Draws one grid line per tick of the axis' last Draw across the rectangle. Returns 0, or -1
// (nothing drawn) when the axis has no scale.
int DrawGrid(Canvas& dc, const Caxis& axis, int left, int top, int right, int bottom);

// A pixel coordinate truncated toward zero and saturated to +-32767, so that a value far off
// the chart never wraps round to the other side; NaN gives 0.
int SaturatedPixel(double v);
