#pragma once

#include "charts/Caxis.h"
#include "charts/Rect.h"

#include <QColor>
#include <QString>

#include <cstdint>

class Canvas;

// A general x-y chart: a plot rectangle with a y axis on its left edge and an x axis on its
// bottom edge, a frame, a dotted grid, curves and three titles. The owner sets the axis ranges
// and titles, then calls BeginChart, the curve operations and DrawTitles.
class CkelGeneralChart {
public:
    virtual ~CkelGeneralChart();

    // Stores rect as plotRect, measures charHeight and draws the frame, axes and grid, leaving
    // a 1-pixel blue pen and Arial 11 point selected. -1 (nothing drawn) for an empty rect.
    int BeginChart(const Rect& rect, Canvas& dc);
    // The frame, both axes and the grid in plotRect.
    void DrawFrame(Canvas& dc);
    // Curves through the points 0 ... last (last = count - 1: -1 draws nothing). NaN points
    // are left out; the curve goes on from the next valid point. Each returns 0.
    int DrawCurve(Canvas& dc, const float* xs, const float* ys, int last);       // 2 px blue
    int DrawSecondCurve(Canvas& dc, const float* xs, const float* ys, int last); // 2 px pink
    // values[i] at x = x0 + i * dx, 1 pixel green.
    int DrawSeries(Canvas& dc, const float* values, int last, double x0, double dx);
    void DrawTitles(Canvas& dc);
    // The pixel column of an x value, held to the plot's left and right edges.
    int ValueToX(float v) const;

    Rect plotRect;
    Caxis yAxis;
    Caxis xAxis;
    std::int16_t charHeight = 0;
    int yGridStyle = 4; // 1 solid, 2 to 49 a dot every that many pixels, 50 or more none
    int xGridStyle = 4;
    QString xTitle = QStringLiteral("xxxxxxxx");
    QString yTitle = QStringLiteral("yyyyyyyyy");
    QString title = QStringLiteral("askfhddskfhgjdsfgjkfdhgdkf");

private:
    int DrawPoints(Canvas& dc, const float* xs, const float* ys, int last, double x0, double dx,
                   int penWidth, QRgb colour);
};
