#include "view/DataViewMouse.h"

#include "document/CVorlixDoc.h"
#include "view/DisplayObjects.h"
#include "view/DistanceLink.h"

namespace {

constexpr int kMinimumPoints = 100;
enum Readout { kDmi, kLat, kLot, kValue };

} // namespace

bool DataViewMouse::Active() const {
    return doc_.pointCount >= kMinimumPoints && IsDataView(objects_.layout.layoutKind);
}

void DataViewMouse::LeftDown(Canvas& dc, int x, int y) {
    if (!Active())
        return;
    const Cfram& layout = objects_.layout;
    const LayoutKind kind = layout.layoutKind;
    if (layout.detail1Rect.Contains(x, y) && kind != LayoutKind::DataView2)
        link_.MarkDetailColumn(dc, 2, x);
    if (link_.GprShown()) {
        Ccolorbar& bar = objects_.colourMap.colourBar;
        if (bar.hitRect.Contains(x, y))
            bar.HitHandle(x, y);
        if (layout.gprRect.Contains(x, y))
            link_.PickInGpr(dc, x, y);
    }
    if (layout.detail2Rect.Contains(x, y) && kind != LayoutKind::DataView2)
        link_.MarkDetailColumn(dc, 3, x);

    if (layout.resultRect.Contains(x, y))
        link_.PickInResultChart(dc, x, y);
    else if (layout.pictureRect.Contains(x, y))
        objects_.picture.OnPictureClick(dc, x, y);

    if (kind == LayoutKind::DataView1 && objects_.smallDetailCharts[0].plotRect.Contains(x, y))
        link_.PickInWideZoom(dc, x);
}

void DataViewMouse::Move(Canvas& dc, int x, int y, bool shift) {
    Ccolorbar& bar = objects_.colourMap.colourBar;
    if (DragsColourBar() && (bar.dragState == 1 || bar.dragState == 2))
        bar.DragFeedback(dc, bar.dragState, y);
    if (!Active())
        return;

    const Cfram& layout = objects_.layout;
    if (layout.resultRect.Contains(x, y)) {
        const float distance = link_.ResultDistanceAt(x, y);
        if (!shift) {
            const CkelGeneralChart& chart = objects_.resultChart;
            const Caxis& axis = chart.yAxis;
            const bool known = axis.HasScale() && axis.pixelsPerUnit != 0.0f;
            const float value =
                known ? axis.ValueAt(y, chart.plotRect.bottom, Caxis::Growth::Up) : 0.0f;
            ShowReadouts(dc, distance, value, known);
        } else {
            const int cycle = doc_.CycleAtDistance(distance);
            const bool known = cycle >= 0 && cycle < doc_.cycleCount;
            ShowReadouts(dc, distance, known ? doc_.cycleRatio[cycle] : 0.0f, known);
        }
        return;
    }

    auto detail = [&](const CdetailChart& chart) {
        const float distance = chart.ValueAt(doc_, ReadBack::Distance, x, y);
        const float value = shift ? chart.PointValueAt(doc_, ReadBack::Value, x)
                                  : chart.ValueAt(doc_, ReadBack::Value, x, y);
        ShowReadouts(dc, distance, value, true);
    };
    auto zoom = [&](const Csmalldetailchart& chart) {
        if (shift)
            ShowReadouts(dc, chart.NearestCycleValue(doc_, x, ReadBack::Distance),
                         chart.NearestCycleValue(doc_, x, ReadBack::Value), true);
        else
            ShowReadouts(dc, chart.ValueAt(ReadBack::Distance, x, y),
                         chart.ValueAt(ReadBack::Value, x, y), true);
    };
    const LayoutKind kind = layout.layoutKind;
    const bool inDetail1 = layout.detail1Rect.Contains(x, y);
    const bool inDetail2 = layout.detail2Rect.Contains(x, y);
    if ((kind == LayoutKind::DataView3 || kind == LayoutKind::DataView4) && inDetail1)
        detail(objects_.detailCharts[0]);
    else if (kind == LayoutKind::DataView3 && inDetail2)
        zoom(objects_.smallDetailCharts[1]);
    else if (kind == LayoutKind::DataView4 && inDetail2)
        detail(objects_.detailCharts[1]);
    else if (kind == LayoutKind::DataView1 && inDetail1)
        zoom(objects_.smallDetailCharts[1]);
    else if (kind == LayoutKind::DataView1 && inDetail2)
        zoom(objects_.smallDetailCharts[0]);
}

// Data view 2 keeps its colour bar's drag even with the GPR display off.
bool DataViewMouse::DragsColourBar() const {
    return objects_.layout.layoutKind == LayoutKind::DataView2 || link_.GprShown();
}

void DataViewMouse::LeftUp(Canvas& dc, int x, int y) {
    if (!DragsColourBar())
        return;
    Ccolormap& map = objects_.colourMap;
    Ccolorbar& bar = map.colourBar;
    if (bar.dragState == 0)
        return;
    bar.DragFeedback(dc, bar.dragState, y);
    bar.EndDrag(dc, x, y);
    // The working palette is rebuilt from the new handles before the image is drawn with it,
    // so the image shows the drag at once.
    bar.DrawBar(dc);
    map.drawn = 0;
    objects_.ForgetCursorsIn(map.imageRect);
    map.Draw(dc, doc_.gpr.gprData);
}

void DataViewMouse::ShowReadouts(Canvas& dc, float distance, float value, bool valueKnown) {
    CNMEA& gps = doc_.gps;
    gps.LookupByDistance(distance);
    auto& labels = objects_.labels;
    labels[kDmi].ShowValue(dc, distance);
    if (valueKnown)
        labels[kValue].ShowValue(dc, value);
    else
        labels[kValue].ShowBlank(dc);
    labels[kLat].ShowValue(dc, gps.latitudeAt);
    labels[kLot].ShowValue(dc, gps.longitudeAt);
}
