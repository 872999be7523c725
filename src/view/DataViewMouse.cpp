#include "view/DataViewMouse.h"

#include "document/CVorlixDoc.h"
#include "view/DisplayObjects.h"
#include "view/DistanceLink.h"

namespace {

constexpr int kMinimumPoints = 100;
enum Readout { kDmi, kLat, kLot, kValue };

bool IsDataView(int kind) {
    return kind == 1 || kind == 3 || kind == 8 || kind == 9;
}

} // namespace

bool DataViewMouse::Active() const {
    return doc_.pointCount >= kMinimumPoints && IsDataView(objects_.layout.layoutKind);
}

void DataViewMouse::LeftDown(Canvas& dc, int x, int y) {
    if (!Active())
        return;
    const Cfram& layout = objects_.layout;
    const int kind = layout.layoutKind;
    auto& cursors = objects_.cursorLines;
    auto moveCursor = [&dc, x](Cmoveline& line) {
        line.newPosition = x - line.lineRect.left;
        line.Draw(dc);
    };

    if (layout.detail1Rect.Contains(x, y) && kind != 8)
        moveCursor(cursors[1]);
    if ((kind == 8 || kind == 9) && link_.GprShown()) {
        Ccolormap& map = objects_.colourMap;
        if (map.colourBar.hitRect.Contains(x, y))
            map.colourBar.HitHandle(x, y);
        if (layout.gprRect.Contains(x, y)) {
            const int distance = map.DistanceAtPoint(x, y);
            if (distance != -1) {
                objects_.gprCursor.newPosition = x - map.imageRect.left;
                objects_.gprCursor.Draw(dc);
                link_.MoveResultCursor(dc, static_cast<float>(distance));
            }
        }
    }
    if (layout.detail2Rect.Contains(x, y) && kind != 8)
        moveCursor(cursors[2]);

    if (layout.resultRect.Contains(x, y))
        link_.PickInResultChart(dc, x, y);
    else if (layout.pictureRect.Contains(x, y))
        objects_.picture.OnPictureClick(dc, x, y);

    Csmalldetailchart& wide = objects_.smallDetailCharts[0];
    if (kind == 9 && wide.plotRect.Contains(x, y)) {
        Csmalldetailchart& narrow = objects_.smallDetailCharts[1];
        narrow.centreDistance = wide.NearestCycleValue(doc_, x, 1);
        objects_.ForgetCursorsIn(narrow.plotRect);
        narrow.Locate(doc_);
        narrow.ComputeRange(doc_);
        narrow.DrawChart(dc, doc_);
    }
}

void DataViewMouse::Move(Canvas& dc, int x, int y, bool shift) {
    const int kind = objects_.layout.layoutKind;
    Ccolorbar& bar = objects_.colourMap.colourBar;
    if ((kind == 8 || (kind == 9 && link_.GprShown())) &&
        (bar.dragState == 1 || bar.dragState == 2))
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
                known ? static_cast<float>(chart.plotRect.bottom - y) / axis.pixelsPerUnit +
                            axis.axisLow
                      : 0.0f;
            ShowReadouts(dc, distance, value, known);
        } else {
            const int cycle = doc_.CycleAtDistance(distance);
            const bool known = cycle >= 0 && cycle < doc_.cycleCount;
            ShowReadouts(dc, distance, known ? doc_.cycleRatio[cycle] : 0.0f, known);
        }
        return;
    }

    auto detail = [&](const CdetailChart& chart) {
        const float distance = chart.ValueAt(doc_, 1, x, y);
        const float value = shift ? chart.PointValueAt(doc_, 2, x) : chart.ValueAt(doc_, 2, x, y);
        ShowReadouts(dc, distance, value, true);
    };
    auto zoom = [&](const Csmalldetailchart& chart) {
        if (shift)
            ShowReadouts(dc, chart.NearestCycleValue(doc_, x, 1),
                         chart.NearestCycleValue(doc_, x, 2), true);
        else
            ShowReadouts(dc, chart.ValueAt(1, x, y), chart.ValueAt(2, x, y), true);
    };
    const bool inDetail1 = layout.detail1Rect.Contains(x, y);
    const bool inDetail2 = layout.detail2Rect.Contains(x, y);
    if ((kind == 1 || kind == 3) && inDetail1)
        detail(objects_.detailCharts[0]);
    else if (kind == 1 && inDetail2)
        zoom(objects_.smallDetailCharts[1]);
    else if (kind == 3 && inDetail2)
        detail(objects_.detailCharts[1]);
    else if (kind == 9 && inDetail1)
        zoom(objects_.smallDetailCharts[1]);
    else if (kind == 9 && inDetail2)
        zoom(objects_.smallDetailCharts[0]);
}

void DataViewMouse::LeftUp(Canvas& dc, int x, int y) {
    const int kind = objects_.layout.layoutKind;
    if (!(kind == 8 || (kind == 9 && link_.GprShown())))
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
