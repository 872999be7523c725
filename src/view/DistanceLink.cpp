#include "view/DistanceLink.h"

#include "document/CVorlixDoc.h"
#include "view/DisplayObjects.h"

#include <algorithm>
#include <cmath>

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
    return static_cast<float>(x - chart.plotRect.left) / chart.xAxis.pixelsPerUnit +
           chart.xAxis.axisLow;
}

void DistanceLink::PickInResultChart(Canvas& dc, int x, int y) {
    Pick(dc, ResultDistanceAt(x, y), x);
}

void DistanceLink::PickDistance(Canvas& dc, float distance) {
    Pick(dc, distance, objects_.resultChart.ValueToX(distance));
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

// The detail and zoom charts of the screen, centred on the distance.
void DistanceLink::RecentreCharts(Canvas& dc, float distance) {
    const int point = doc_.PointAtDistance(distance);
    auto detail = [&](CdetailChart& chart) {
        objects_.ForgetCursorsIn(chart.plotRect);
        chart.centreDistance = distance;
        chart.centrePoint = point;
        chart.Locate(doc_);
        chart.ComputeRange(doc_);
        chart.DrawChart(dc, doc_);
    };
    auto zoom = [&](Csmalldetailchart& chart) {
        objects_.ForgetCursorsIn(chart.plotRect);
        chart.centreDistance = distance;
        chart.Locate(doc_);
        chart.ComputeRange(doc_);
        chart.DrawChart(dc, doc_);
    };
    switch (objects_.layout.layoutKind) {
    case LayoutKind::DataView4:
        detail(objects_.detailCharts[0]);
        detail(objects_.detailCharts[1]);
        break;
    case LayoutKind::DataView3:
        detail(objects_.detailCharts[0]);
        zoom(objects_.smallDetailCharts[1]);
        break;
    case LayoutKind::DataView1:
        zoom(objects_.smallDetailCharts[1]);
        zoom(objects_.smallDetailCharts[0]);
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
