#pragma once

#include "charts/Ccolormap.h"

#include <array>
#include <limits>

class Canvas;
class CVorlixDoc;
struct DisplayObjects;

// The one place where a distance picked on the road moves the linked charts: cursor 1 on the
// result chart, the GPR window and its cursor, the detail and zoom charts of the screen and
// the road picture. No chart reaches into another; they are all moved from here.
class DistanceLink {
public:
    static constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

    // What the picks left on a data view, as distances and indices rather than pixels, so
    // that the screen can be drawn anew with them.
    struct Marks {
        std::array<float, 3> cursors{kNone, kNone, kNone}; // NaN: hidden or marking nothing
        float gprCursor = kNone;
        int gprStart = 0; // distance of the GPR window's first column
        bool gprShown = false;
        int picture = -1;
        std::array<bool, 2> detailShown{};
        std::array<bool, 2> zoomShown{};
    };
    // The marks of the screen as drawn now (before it is drawn again or another is drawn).
    Marks Kept() const;
    // After the same data view was drawn anew (a resize): the charts the picks showed, at
    // their centres, the picture, the GPR window, and every cursor line whose distance is
    // still in view.
    void Restore(Canvas& dc, const Marks& marks);
    // The cursor lines alone, each shown again only where its distance is in view; the others
    // stay hidden.
    void RestoreCursors(Canvas& dc, const Marks& marks);

    DistanceLink(DisplayObjects& objects, CVorlixDoc& doc) : objects_(objects), doc_(doc) {}

    // A click in the result rectangle at column x: the distance under it (-100 beside the
    // plot) moves cursor 1 to x and everything else to the distance.
    void PickInResultChart(Canvas& dc, int x, int y);
    // A click in the result chart's middle row at the column of a distance in feet: the
    // column's distance is the one picked. Nothing happens off the chart's columns.
    void PickDistance(Canvas& dc, float distance);
    // A click on the GPR image: the GPR cursor to the column, cursor 1 to its scan's distance.
    void PickInGpr(Canvas& dc, int x, int y);
    // A click in the wide zoom chart of data view 1: the narrow one centres on the nearest
    // cycle.
    void PickInWideZoom(Canvas& dc, int x);
    // A click in a detail rectangle: its cursor line (2 or 3) to column x.
    void MarkDetailColumn(Canvas& dc, int line, int x);
    // A picture shown by the viewer's buttons or play: cursor 1 follows, and while playing
    // the GPR window too (forwards centred on the distance, backwards starting at it).
    void PictureShown(Canvas& dc, int distance, bool forwards);
    // Cursor 1 to the column of a distance on the result chart.
    void MoveResultCursor(Canvas& dc, float distance);
    // The GPR cursor to the column of a distance (whole feet), re-centring the GPR window
    // first when the distance lies near or beyond its edges.
    void FollowGpr(Canvas& dc, int distance, GprFollow mode);

    bool GprShown() const;
    float ResultDistanceAt(int x, int y) const; // -100 beside the result chart's plot

private:
    // The chart beneath cursor line 2 or 3 on this screen, when a pick has drawn it; the
    // distance under a column of it, and the column of a distance (-1 out of view).
    float DetailDistanceAt(int line, int x) const;
    int DetailColumnOf(int line, float distance) const;
    void Pick(Canvas& dc, float distance, int x);
    void RecentreCharts(Canvas& dc, float distance);
    template <typename F> void ForEachChart(F f);
    template <typename Chart> void Recentre(Canvas& dc, Chart& chart, float distance);

    DisplayObjects& objects_;
    CVorlixDoc& doc_;
    float resultCursorDistance_ = kNone; // valid while cursor 1 is drawn
    int gprCursorDistance_ = 0;          // valid while the GPR cursor is drawn
};
