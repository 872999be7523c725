#pragma once

#include "charts/Caxis.h"
#include "charts/ReadBack.h"
#include "charts/Rect.h"

class CVorlixDoc;
class Canvas;

// A zoom window on the result profile: the per-cycle result against distance for the cycles
// within `span` feet around centreDistance, as a blue polyline with a red circle at every
// cycle. The mouse handling re-centres it from a click and reads distances and values back.
// A window that cannot be placed keeps the previous one, so the next DrawChart redraws it.
class Csmalldetailchart {
public:
    virtual ~Csmalldetailchart();

    // Finds the cycles around centreDistance. Returns 0; -1 when the centre lies before the
    // first or after the last cycle (or there is no cycle); -2 when no two neighbouring cycles
    // bracket it (centreCycle is then -1). On -1 and -2 the window is left as it was.
    int Locate(const CVorlixDoc& doc);
    // Sets ratioMax and ratioMin from the finite results of the window; -1 when it is empty.
    int ComputeRange(const CVorlixDoc& doc);
    // Clears the background and draws the frame, the axes and the value grid.
    void DrawFrame(Canvas& dc, const CVorlixDoc& doc);
    // The frame and the curve; -1 (nothing drawn) when the window is empty.
    int DrawChart(Canvas& dc, const CVorlixDoc& doc);
    // Of the cycles in the window, the one whose column is nearest to x (the first of equals):
    // its distance or its result. 0 when the window is empty or no cycle is nearer than the
    // plot width.
    float NearestCycleValue(const CVorlixDoc& doc, int x, ReadBack what) const;
    // The distance under column x or the value under row y; 0 while the axis has no scale.
    float ValueAt(ReadBack what, int x, int y) const;

    Caxis yAxis;
    Caxis xAxis;
    int firstCycle = -1;
    int lastCycle = -1;
    int cycleSpan = 0;
    Rect plotRect;
    float centreDistance = 0.0f;
    int centreCycle = -1;
    float span = 15.0f;
    float actualSpan = 0.0f;
    float ratioMax = 0.0f;
    float ratioMin = 0.0f;
    int labelStyle = 2; // 2 or 3 clear 20 pixels above the plot, 1 or 3 clear 40 below

private:
    // A window located on another segment may reach past the cycles loaded now.
    bool WindowValid(const CVorlixDoc& doc) const;
    int Column(float distance) const;
    int Row(float ratio) const;
};
