#include "view/DistanceLink.h"

#include "document/CVorlixDoc.h"
#include "view/DisplayObjects.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

constexpr float kBesideTheChart = -100.0f;
constexpr int kGprEdgeFeet = 20; // nearer the window's edge than this, the window moves

int WholeFeet(float distance) {
    if (!std::isfinite(distance))
        return static_cast<int>(kBesideTheChart);
    return static_cast<int>(std::clamp(distance, -2.0e9f, 2.0e9f));
}

} // namespace

bool DistanceLink::GprShown() const {
    return doc_.options.showGprColormap != 0 && ShowsGpr(objects_.layout.layoutKind);
}

float DistanceLink::ResultDistanceAt(int x, int y) const {
    const CkelGeneralChart& chart = objects_.resultChart;
    if (!chart.plotRect.Contains(x, y) || !chart.xAxis.HasScale() ||
        chart.xAxis.pixelsPerUnit == 0.0f)
        return kBesideTheChart;
    return chart.xAxis.ValueAt(x, chart.plotRect.left, Caxis::Growth::Right);
}

void DistanceLink::PickInResultChart(Canvas& dc, int x, int y) {
    Pick(dc, ResultDistanceAt(x, y), x);
}

void DistanceLink::PickDistance(Canvas& dc, float distance) {
    const CkelGeneralChart& chart = objects_.resultChart;
    const int x = chart.ValueToX(distance);
    const int y = (chart.plotRect.top + chart.plotRect.bottom) / 2;
    if (objects_.layout.resultRect.Contains(x, y))
        PickInResultChart(dc, x, y);
}

void DistanceLink::PickInGpr(Canvas& dc, int x, int y) {
    const Ccolormap& map = objects_.colourMap;
    const int distance = map.DistanceAtPoint(x, y);
    if (distance == -1)
        return;
    objects_.gprCursor.newPosition = x - map.imageRect.left;
    objects_.gprCursor.Draw(dc);
    gprCursorDistance_ = distance;
    MoveResultCursor(dc, static_cast<float>(distance));
}

void DistanceLink::PickInWideZoom(Canvas& dc, int x) {
    const Csmalldetailchart& wide = objects_.smallDetailCharts[0];
    Recentre(dc, objects_.smallDetailCharts[1],
             wide.NearestCycleValue(doc_, x, ReadBack::Distance));
}

void DistanceLink::MarkDetailColumn(Canvas& dc, int line, int x) {
    Cmoveline& cursor = objects_.cursorLines[static_cast<std::size_t>(line - 1)];
    cursor.newPosition = x - cursor.lineRect.left;
    cursor.Draw(dc);
}

void DistanceLink::Pick(Canvas& dc, float distance, int x) {
    Cmoveline& cursor1 = objects_.cursorLines[0];
    cursor1.newPosition = x - objects_.resultChart.plotRect.left;
    cursor1.Draw(dc);
    resultCursorDistance_ = distance;
    if (GprShown())
        FollowGpr(dc, WholeFeet(distance), GprFollow::Centre);
    RecentreCharts(dc, distance);
    CviewPicture& picture = objects_.picture;
    picture.GoToDistance(WholeFeet(distance), dc);
    picture.DrawButtons(dc);
}

// A detail or zoom chart centred on a distance and drawn again; the cursor lines over it
// forget what they saved there.
template <typename Chart> void DistanceLink::Recentre(Canvas& dc, Chart& chart, float distance) {
    objects_.ForgetCursorsIn(chart.plotRect);
    chart.centreDistance = distance;
    if constexpr (std::is_same_v<Chart, CdetailChart>) {
        chart.centrePoint = doc_.PointAtDistance(distance);
        objects_.detailShown[static_cast<std::size_t>(&chart - objects_.detailCharts.data())] =
            true;
    } else {
        objects_.zoomShown[static_cast<std::size_t>(&chart - objects_.smallDetailCharts.data())] =
            true;
    }
    chart.Locate(doc_);
    chart.ComputeRange(doc_);
    chart.DrawChart(dc, doc_);
}

// The detail and zoom charts of the screen, in the order a pick draws them.
template <typename F> void DistanceLink::ForEachChart(F f) {
    auto& detail = objects_.detailCharts;
    auto& zoom = objects_.smallDetailCharts;
    switch (objects_.layout.layoutKind) {
    case LayoutKind::DataView4:
        f(detail[0], objects_.detailShown[0]);
        f(detail[1], objects_.detailShown[1]);
        break;
    case LayoutKind::DataView3:
        f(detail[0], objects_.detailShown[0]);
        f(zoom[1], objects_.zoomShown[1]);
        break;
    case LayoutKind::DataView1:
        f(zoom[1], objects_.zoomShown[1]);
        f(zoom[0], objects_.zoomShown[0]);
        break;
    default:
        break;
    }
}

// The detail and zoom charts of the screen, centred on the distance.
void DistanceLink::RecentreCharts(Canvas& dc, float distance) {
    ForEachChart([&](auto& chart, bool) { Recentre(dc, chart, distance); });
}

void DistanceLink::PictureShown(Canvas& dc, int distance, bool forwards) {
    MoveResultCursor(dc, static_cast<float>(distance));
    if (objects_.picture.IsPlaying() && GprShown())
        FollowGpr(dc, distance, forwards ? GprFollow::Centre : GprFollow::Start);
}

void DistanceLink::MoveResultCursor(Canvas& dc, float distance) {
    const CkelGeneralChart& chart = objects_.resultChart;
    Cmoveline& cursor1 = objects_.cursorLines[0];
    cursor1.newPosition = chart.ValueToX(distance) - chart.plotRect.left;
    cursor1.Draw(dc);
    resultCursorDistance_ = distance;
}

void DistanceLink::FollowGpr(Canvas& dc, int distance, GprFollow mode) {
    Ccolormap& map = objects_.colourMap;
    Cgprdata& data = doc_.gpr.gprData;
    if (distance < map.firstDistance + kGprEdgeFeet || distance > map.lastDistance - kGprEdgeFeet) {
        if (map.GoToDistance(data, distance, mode) == 0) {
            objects_.ForgetCursorsIn(map.imageRect);
            map.Draw(dc, data);
            map.colourBar.DrawBar(dc);
        }
    }
    objects_.gprCursor.newPosition = map.ColumnOfDistance(distance);
    objects_.gprCursor.Draw(dc);
    gprCursorDistance_ = distance;
}

float DistanceLink::DetailDistanceAt(int line, int x) const {
    const auto& detail = objects_.detailCharts;
    const auto& zoom = objects_.smallDetailCharts;
    const auto& detailShown = objects_.detailShown;
    const auto& zoomShown = objects_.zoomShown;
    auto inDetail = [&](int i) {
        const CdetailChart& chart = detail[static_cast<std::size_t>(i)];
        const int y = (chart.plotRect.top + chart.plotRect.bottom) / 2;
        return detailShown[static_cast<std::size_t>(i)]
                   ? chart.ValueAt(doc_, ReadBack::Distance, x, y)
                   : kNone;
    };
    auto inZoom = [&](int i) {
        const Csmalldetailchart& chart = zoom[static_cast<std::size_t>(i)];
        const int y = (chart.plotRect.top + chart.plotRect.bottom) / 2;
        return zoomShown[static_cast<std::size_t>(i)] ? chart.ValueAt(ReadBack::Distance, x, y)
                                                      : kNone;
    };
    switch (objects_.layout.layoutKind) {
    case LayoutKind::DataView1:
        return line == 2 ? inZoom(1) : inZoom(0);
    case LayoutKind::DataView3:
        return line == 2 ? inDetail(0) : inZoom(1);
    case LayoutKind::DataView4:
        return line == 2 ? inDetail(0) : inDetail(1);
    default:
        return kNone;
    }
}

// The column of the cursor's rectangle whose distance is nearest, when the distance lies
// within the rectangle's columns.
int DistanceLink::DetailColumnOf(int line, float distance) const {
    const Rect& rect = objects_.cursorLines[static_cast<std::size_t>(line - 1)].lineRect;
    const int first = rect.left;
    const int last = rect.right - 2; // the line stands one column right of its column
    if (!std::isfinite(distance) || last < first)
        return -1;
    const float a = DetailDistanceAt(line, first);
    const float b = DetailDistanceAt(line, last);
    if (!(std::min(a, b) <= distance && distance <= std::max(a, b)))
        return -1;
    int best = -1;
    float bestOff = std::numeric_limits<float>::infinity();
    for (int x = first; x <= last; ++x) {
        const float off = std::fabs(DetailDistanceAt(line, x) - distance);
        if (off < bestOff) {
            best = x;
            bestOff = off;
        }
    }
    return best;
}

DistanceLink::Marks DistanceLink::Kept() const {
    Marks marks;
    if (!IsDataView(objects_.layout.layoutKind))
        return marks;
    const auto& cursors = objects_.cursorLines;
    if (cursors[0].drawnPosition != -1)
        marks.cursors[0] = resultCursorDistance_;
    for (int line = 2; line <= 3; ++line) {
        const Cmoveline& cursor = cursors[static_cast<std::size_t>(line - 1)];
        if (cursor.drawnPosition != -1)
            marks.cursors[static_cast<std::size_t>(line - 1)] =
                DetailDistanceAt(line, cursor.lineRect.left + cursor.drawnPosition);
    }
    if (GprShown()) {
        marks.gprShown = true;
        marks.gprStart = objects_.colourMap.firstDistance;
        if (objects_.gprCursor.drawnPosition != -1)
            marks.gprCursor = static_cast<float>(gprCursorDistance_);
    }
    marks.picture = objects_.picture.current;
    marks.detailShown = objects_.detailShown;
    marks.zoomShown = objects_.zoomShown;
    return marks;
}

void DistanceLink::Restore(Canvas& dc, const Marks& marks) {
    dc.BeginCommand(); // drawn as the clicks drew them, not with what the screen left selected
    // Each chart a pick had drawn, at its own centre (data view 1's narrow zoom chart may have
    // been centred apart from the wide one).
    objects_.detailShown = marks.detailShown;
    objects_.zoomShown = marks.zoomShown;
    ForEachChart([&](auto& chart, bool shown) {
        if (shown)
            Recentre(dc, chart, chart.centreDistance);
    });
    if (marks.gprShown && GprShown()) {
        Ccolormap& map = objects_.colourMap;
        Cgprdata& data = doc_.gpr.gprData;
        if (map.GoToDistance(data, marks.gprStart, GprFollow::Start) == 0) {
            objects_.ForgetCursorsIn(map.imageRect);
            map.Draw(dc, data);
            map.colourBar.DrawBar(dc);
        }
        if (std::isfinite(marks.gprCursor)) {
            const int distance = static_cast<int>(marks.gprCursor);
            if (distance >= map.firstDistance && distance <= map.lastDistance) {
                objects_.gprCursor.newPosition = map.ColumnOfDistance(distance);
                objects_.gprCursor.Draw(dc);
                gprCursorDistance_ = distance;
            } else {
                FollowGpr(dc, distance, GprFollow::Centre); // a narrower window than before
            }
        }
    }
    CviewPicture& picture = objects_.picture;
    if (marks.picture >= 0 && marks.picture != picture.current) {
        picture.ShowImage(dc, marks.picture);
        picture.DrawButtons(dc);
    }
    RestoreCursors(dc, marks);
}

void DistanceLink::RestoreCursors(Canvas& dc, const Marks& marks) {
    const CkelGeneralChart& chart = objects_.resultChart;
    Cmoveline& cursor1 = objects_.cursorLines[0];
    const float d = marks.cursors[0];
    const int x = std::isfinite(d) ? chart.ValueToX(d) : -1;
    if (std::isfinite(d) && chart.plotRect.Contains(x, chart.plotRect.top))
        MoveResultCursor(dc, d);
    else {
        cursor1.newPosition = -1;
        cursor1.Draw(dc);
    }
    for (int line = 2; line <= 3; ++line) {
        const int column = DetailColumnOf(line, marks.cursors[static_cast<std::size_t>(line - 1)]);
        Cmoveline& cursor = objects_.cursorLines[static_cast<std::size_t>(line - 1)];
        if (column >= 0)
            MarkDetailColumn(dc, line, column);
        else {
            cursor.newPosition = -1;
            cursor.Draw(dc);
        }
    }
}
