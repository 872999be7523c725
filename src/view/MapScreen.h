#pragma once

#include "charts/MapDrawing.h"
#include "charts/Rect.h"

#include <QPointF>
#include <QString>

class Canvas;
class CVorlixDoc;
struct DisplayObjects;

// The map screen: a header with the title, a note and the four readouts, and the map of the
// whole road below it. It keeps the scene and the part of the map looked at: the wheel zooms
// about the mouse, a drag pans, Home fits the whole track again; moving over the track fills
// the readouts with the nearest result, and a click on it names that result.
class MapScreen {
public:
    // A new scene. Another file's is fitted whole at the next draw; the same file's (its
    // sections arrived or changed) keeps the part looked at.
    void SetScene(MapScene scene, bool sameTrack);
    const MapScene& Scene() const { return scene_; }
    const MapViewport& Viewport() const { return viewport_; }

    // Where the map lies in a client area.
    static Rect AreaOf(const Rect& client);

    // The whole screen.
    void Draw(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, const QString& title,
              const QString& note);
    // The map alone, after a move of the view.
    void DrawMap(Canvas& dc);

    void FitWholeTrack(Canvas& dc);
    // notches of the wheel, positive away from the user: closer.
    void Zoom(Canvas& dc, const QPointF& at, double notches);
    void Press(const QPointF& at);
    // The mouse moved with the left button down: a drag pans. True when the map moved.
    bool Drag(Canvas& dc, const QPointF& at);
    // The index in the scene of the result under a click that did not drag, or -1.
    int Release(const QPointF& at);
    // The readouts of the result nearest the mouse, when one lies within a few pixels.
    bool ShowReadoutsAt(Canvas& dc, DisplayObjects& objects, const QPointF& at) const;
    // The index of the result within a few pixels of `at`, or -1.
    int ResultAt(const QPointF& at) const;

private:
    MapScene scene_;
    MapViewport viewport_;
    bool fitted_ = false;
    bool pressed_ = false;
    bool dragged_ = false;
    QPointF pressedAt_;
    QPointF lastAt_;
};
