#pragma once

#include "charts/Caxis.h"
#include "charts/ReadBack.h"
#include "charts/Rect.h"

class CVorlixDoc;
class Canvas;

// A detail chart: a window of consecutive raw points around centrePoint, one pixel column per
// point, with the raw and the filtered load (signal 1) or geophone (signal 2) curve, the cycle
// peak and trough markers, distance labels and a y axis. The mouse handling re-centres it and
// reads values back from it.
class CdetailChart {
public:
    virtual ~CdetailChart() = default;

    // Sets the point window from centrePoint and plotWidth, and the marker ranges. Returns 0.
    int Locate(const CVorlixDoc& doc);
    // The load and geophone value ranges of the window; -1 when the window is empty.
    int ComputeRange(const CVorlixDoc& doc);
    // Draws the chart into plotRect; -1 (nothing drawn) when the window is empty.
    int DrawChart(Canvas& dc, const CVorlixDoc& doc);
    // The distance in feet of the point under column x, or the y value under row y.
    float ValueAt(const CVorlixDoc& doc, ReadBack what, int x, int y) const;
    // The distance as ValueAt, or the filtered signal at the point under column x. 0 for a
    // column outside the loaded points.
    float PointValueAt(const CVorlixDoc& doc, ReadBack what, int x) const;

    // The point under pixel column x.
    int PointAtColumn(int x) const;

    Caxis axis;
    int firstPoint = -1;
    int lastPoint = -1;
    int loadPeakFirst = -1;
    int loadPeakLast = -1;
    int geoPeakFirst = -1;
    int geoPeakLast = -1;
    int loadTroughFirst = -1;
    int loadTroughLast = -1;
    int geoTroughFirst = -1;
    int geoTroughLast = -1;
    Rect plotRect;
    int plotWidth = 0;
    float centreDistance = 0.0f;
    int centrePoint = -1;
    int labelSpacing = 50;
    float loadMinValue = 0.0f;
    float loadMaxValue = 0.0f;
    float geoMinValue = 0.0f;
    float geoMaxValue = 0.0f;
    int signal = 2;
    int labelStyle = 1;

    // Entries [first, last] of an ascending list of point indices that fall in the window
    // [from, to]; both -1 when none does.
    static void MarkerRange(const int* points, int count, int from, int to, int& first, int& last);

private:
    bool WindowValid(const CVorlixDoc& doc) const;
    void DrawBackground(Canvas& dc);
    void DrawCurve(Canvas& dc, const float* values);
    void DrawDistanceLabels(Canvas& dc, const CVorlixDoc& doc);
    void DrawMarkers(Canvas& dc, const float* filtered, const int* points, int first, int last,
                     int pointCount);
};
