#include "view/MapScreen.h"

#include "charts/Canvas.h"
#include "document/CVorlixDoc.h"
#include "view/DisplayObjects.h"
#include "view/Screens.h"

#include <cmath>
#include <utility>

namespace {

constexpr int kHeaderHeight = 92;
constexpr int kMargin = 10;
constexpr double kPickPixels = 12.0; // how near the track the mouse has to be
constexpr double kDragPixels = 4.0;  // a press that moves less is a click
constexpr double kZoomPerNotch = 1.25;

enum Readout { kDmi, kLat, kLot, kValue };

} // namespace

void MapScreen::SetScene(MapScene scene, bool sameTrack) {
    scene_ = std::move(scene);
    fitted_ = fitted_ && sameTrack && scene_.HasTrack();
}

Rect MapScreen::AreaOf(const Rect& client) {
    return {client.left + kMargin, client.top + kHeaderHeight, client.right - kMargin,
            client.bottom - kMargin};
}

void MapScreen::Draw(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc,
                     const QString& title, const QString& note) {
    dc.BeginCommand();
    screens::ClearClient(dc, objects);
    // The result view's frame places the readouts, right-aligned on the header's first line.
    Cfram& layout = objects.layout;
    layout.layoutKind = LayoutKind::Result;
    layout.clientRect = dc.ClientRect();
    layout.ComputeLayout(doc.options.showGprColormap != 0);
    screens::DrawReadoutBar(dc, objects);

    dc.SetTextAlign(HAlign::Left, VAlign::Top);
    dc.SetTransparentBackground(true);
    const CanvasFont old = dc.SelectFont(CanvasFont{140, QStringLiteral("Arial"), QFont::Bold});
    dc.TextOut(kMargin + 10, 40, title);
    dc.SelectFont(CanvasFont{90});
    dc.TextOut(kMargin + 10, 70, note);
    dc.SelectFont(old);
    DrawMap(dc);
}

void MapScreen::DrawMap(Canvas& dc) {
    const QRectF area = AreaOf(dc.ClientRect()).ToQRect();
    if (!fitted_) {
        viewport_ = MapViewport::Fit(scene_, area);
        fitted_ = scene_.HasTrack();
    }
    viewport_.SetArea(area);
    dc.Paint([&](QPainter& painter) { ::DrawMap(painter, area, scene_, viewport_); });
}

void MapScreen::FitWholeTrack(Canvas& dc) {
    fitted_ = false;
    DrawMap(dc);
}

void MapScreen::Zoom(Canvas& dc, const QPointF& at, double notches) {
    if (!scene_.HasTrack() || notches == 0.0)
        return;
    viewport_.ZoomAbout(at, std::pow(kZoomPerNotch, notches));
    DrawMap(dc);
}

void MapScreen::Press(const QPointF& at) {
    pressed_ = true;
    dragged_ = false;
    pressedAt_ = lastAt_ = at;
}

bool MapScreen::Drag(Canvas& dc, const QPointF& at) {
    if (!pressed_ || !scene_.HasTrack())
        return false;
    const QPointF moved = at - pressedAt_;
    dragged_ = dragged_ || std::hypot(moved.x(), moved.y()) > kDragPixels;
    if (!dragged_)
        return false;
    viewport_.Pan(at - lastAt_);
    lastAt_ = at;
    DrawMap(dc);
    return true;
}

int MapScreen::Release(const QPointF& at) {
    const bool click = pressed_ && !dragged_;
    pressed_ = dragged_ = false;
    return click ? ResultAt(at) : -1;
}

int MapScreen::ResultAt(const QPointF& at) const {
    if (!scene_.HasTrack() || !viewport_.Area().contains(at))
        return -1;
    return NearestMapResult(scene_, viewport_, at, kPickPixels);
}

bool MapScreen::ShowReadoutsAt(Canvas& dc, DisplayObjects& objects, const QPointF& at) const {
    const int index = ResultAt(at);
    if (index < 0)
        return false;
    const MapScene::LocatedResult& r = scene_.results[static_cast<std::size_t>(index)];
    auto& labels = objects.labels;
    labels[kDmi].ShowValue(dc, static_cast<float>(r.distance));
    labels[kLat].ShowValue(dc, r.position.latitude);
    labels[kLot].ShowValue(dc, r.position.longitude);
    labels[kValue].ShowValue(dc, static_cast<float>(r.value));
    return true;
}
