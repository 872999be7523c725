#pragma once

#include "document/CNMEA.h"

#include <optional>
#include <string>
#include <vector>

// The GPS track as the map outputs see it: a distance along the road is located as
// CNMEA::LookupByDistance locates it (linear interpolation between track points, the end point
// beyond either end), but only on a track of 2 points or more in decimal degrees.
namespace geo {

struct Position {
    double latitude = 0.0;
    double longitude = 0.0;
};

class GeoTrack {
public:
    enum class Status { Located, NoTrack, NotDegrees };

    // Copies the track of gps, which may change or go away afterwards.
    explicit GeoTrack(const CNMEA& gps);

    Status State() const { return status_; }
    bool Usable() const { return status_ == Status::Located; }
    // Why nothing is located: no track, or not decimal degrees (NMEA's ddmm.mmmm is the usual
    // case); "" when distances are located.
    const std::string& Problem() const { return problem_; }

    // Where distanceFt (taken as a float, as the look-up takes it) lies; nothing when the
    // track is not usable.
    std::optional<Position> Locate(double distanceFt) const;

    // The road from fromFt to toFt on the map: both ends located, and between them the track
    // points whose distances lie strictly inside, none closer than minSpacingFt along the road
    // to the vertex before it or to the end. Empty when the track is not usable.
    std::vector<Position> Path(double fromFt, double toFt, double minSpacingFt = 10.0) const;

    struct Point {
        Position position;
        float distance = 0.0f; // feet
    };
    // The track points, in file order; empty when the track is not usable.
    const std::vector<Point>& Points() const { return points_; }

private:
    std::vector<Point> points_;
    bool ascending_ = true; // distances never fall: the look-up may search by halves
    Status status_ = Status::NoTrack;
    std::string problem_;
};

} // namespace geo
