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
    if constexpr (std::is_same_v<Chart, CdetailChart>)
        chart.centrePoint = doc_.PointAtDistance(distance);
    chart.Locate(doc_);
    chart.ComputeRange(doc_);
    chart.DrawChart(dc, doc_);
}

// The detail and zoom charts of the screen, centred on the distance.
void DistanceLink::RecentreCharts(Canvas& dc, float distance) {
    auto& detail = objects_.detailCharts;
    auto& zoom = objects_.smallDetailCharts;
    switch (objects_.layout.layoutKind) {
    case LayoutKind::DataView4:
        Recentre(dc, detail[0], distance);
        Recentre(dc, detail[1], distance);
        break;
    case LayoutKind::DataView3:
        Recentre(dc, detail[0], distance);
        Recentre(dc, zoom[1], distance);
        break;
    case LayoutKind::DataView1:
        Recentre(dc, zoom[1], distance);
        Recentre(dc, zoom[0], distance);
        break;
    default:
        break;
    }
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
}
