#pragma once

#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"
#include "pipeline/GeoTrack.h"

#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <string>
#include <vector>

// The road on a map, drawn from the files alone (no tiles): the GPS track, the 1-ft results
// coloured by value on the ramp of the class colours, section boundaries as ticks across the
// track, flags as numbered points, a scale bar in feet and miles, a north arrow and the legend
// with the class limits. The same drawing serves the map screen (a QImage) and the report (a
// PDF page): it takes only a QPainter, and sizes its lines and text in "pixels" of 1/96 inch
// of the target, so that they look alike on both.

// What the map shows, located once: a plain value that draws at any place and scale.
struct MapScene {
    struct TrackPoint {
        geo::Position position;
        double distance = 0.0; // feet
    };
    struct LocatedResult {
        geo::Position position;
        double distance = 0.0;
        double value = 0.0;
    };
    struct Boundary {
        geo::Position position;
        double distance = 0.0;
        double east = 1.0; // the road's direction there, a unit vector on the map
        double north = 0.0;
    };
    struct FlagMark {
        geo::Position position;
        double distance = 0.0; // of the peak
        int number = 0;
    };

    std::vector<TrackPoint> track;
    std::vector<LocatedResult> results; // in profile order
    std::vector<Boundary> boundaries;   // each section's start, and the last one's end
    std::vector<FlagMark> flags;        // at their peaks
    sections::ClassLimits limits;
    double meanLatitude = 0.0; // of the track points: the projection's standard parallel
    std::string problem;       // why there is no map; empty when there is a track to draw

    bool HasTrack() const { return problem.empty() && track.size() >= 2; }
};

// The scene of a road: everything located on the track as the exports locate it. Without a
// usable track the scene holds only the track's problem.
MapScene BuildMapScene(const sections::Profile& profile, const sections::Result& result,
                       const geo::GeoTrack& track, const sections::ClassLimits& limits);

// The size of a drawing pixel (1/96 inch) in the painter's coordinates: 1 on a screen image,
// 12.5 on a PDF page of 1200 dpi.
double MapPixelUnit(const QPainter& painter);

// Where the map lies in the target: an equirectangular projection about the track's mean
// latitude, whose centre is drawn at the middle of the area, at feetPerPixel feet of the
// ground per unit of the target.
class MapViewport {
public:
    MapViewport() = default;

    // The whole track in `area`, with room left for the legend and scale bar (sized for
    // pixelUnit, see MapPixelUnit).
    static MapViewport Fit(const MapScene& scene, const QRectF& area, double pixelUnit = 1.0);

    QPointF ToPixel(const geo::Position& position) const;
    geo::Position ToPosition(const QPointF& pixel) const;

    // The ground under `pixel` stays there while the scale changes by `factor` (above 1:
    // closer), within the scales the map allows.
    void ZoomAbout(const QPointF& pixel, double factor);
    // The ground moves with the mouse by `delta` units.
    void Pan(const QPointF& delta);
    // Another area of the same target (a resize): the centre and scale stay.
    void SetArea(const QRectF& area) { area_ = area; }

    const QRectF& Area() const { return area_; }
    double FeetPerPixel() const { return feetPerPixel_; }
    const geo::Position& Centre() const { return centre_; }

private:
    geo::Position centre_;
    double meanLatitude_ = 0.0;
    double feetPerPixel_ = 1.0;
    double fittedFeetPerPixel_ = 1.0; // the widest view the wheel goes to is a few times this
    QRectF area_;
};

// Draws the map into `area` (cleared to white, clipped to it); a scene without a track gives
// "No GPS track" and why.
void DrawMap(QPainter& painter, const QRectF& area, const MapScene& scene,
             const MapViewport& viewport);

// The index of the result nearest to `pixel` on the map, or -1 when none lies within
// maxPixels units.
int NearestMapResult(const MapScene& scene, const MapViewport& viewport, const QPointF& pixel,
                     double maxPixels);
