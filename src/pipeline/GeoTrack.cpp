#include "pipeline/GeoTrack.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace geo {

namespace {

std::string Degrees(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4);
    return result.ec == std::errc() ? std::string(text, result.ptr) : "?";
}

bool InDegrees(const Position& p) {
    return std::fabs(p.latitude) <= 90.0 && std::fabs(p.longitude) <= 180.0;
}

} // namespace

GeoTrack::GeoTrack(const CNMEA& gps) {
    const int n = std::min<int>(gps.trackCount, CNMEA::kTrackCapacity);
    const std::string file = gps.gpsPath.empty() ? "the GPS file" : gps.gpsPath;
    if (n < 2) {
        problem_ = "no GPS track: " + file + " is missing or holds fewer than 2 track points";
        return;
    }
    for (int i = 0; i < n; ++i) {
        const TrackPoint& t = gps.track[i];
        const Position position{t.latitude, t.longitude};
        if (!InDegrees(position)) {
            status_ = Status::NotDegrees;
            problem_ = "the GPS track of " + file + " is not in decimal degrees: track point " +
                       std::to_string(i + 1) + " has latitude " + Degrees(t.latitude) +
                       " and longitude " + Degrees(t.longitude) + " (NMEA ddmm.mmmm units?)";
            points_.clear();
            return;
        }
        points_.push_back({position, t.distance});
        ascending_ = ascending_ && (i == 0 || gps.track[i - 1].distance <= t.distance);
    }
    status_ = Status::Located;
}

std::optional<Position> GeoTrack::Locate(double distanceFt) const {
    if (!Usable())
        return std::nullopt;
    // The look-up's own steps, in its own precision, so that both give the same bits.
    const float x = static_cast<float>(distanceFt);
    if (x >= points_.back().distance)
        return points_.back().position;
    if (x <= points_.front().distance)
        return points_.front().position;
    auto i = points_.begin() + 1;
    if (ascending_) {
        i = std::lower_bound(i, points_.end(), x,
                             [](const Point& p, float d) { return p.distance < d; });
    } else {
        while (i != points_.end() && !((i - 1)->distance <= x && x <= i->distance))
            ++i;
        if (i == points_.end())
            return std::nullopt; // distances that are no numbers
    }
    const Point& a = *(i - 1);
    const Point& b = *i;
    const double span = static_cast<double>(b.distance) - a.distance;
    if (span < 0.001)
        return a.position;
    const double t = (static_cast<double>(x) - a.distance) / span;
    return Position{a.position.latitude + (b.position.latitude - a.position.latitude) * t,
                    a.position.longitude + (b.position.longitude - a.position.longitude) * t};
}

std::vector<Position> GeoTrack::Path(double fromFt, double toFt, double minSpacingFt) const {
    std::vector<Position> path;
    if (!Usable())
        return path;
    path.push_back(*Locate(fromFt));
    // Beyond an end of the track the path's end is that end: space the vertices from there.
    const double first = points_.front().distance, final = points_.back().distance;
    double last = std::clamp(fromFt, std::min(first, final), std::max(first, final));
    const double end = std::clamp(toFt, std::min(first, final), std::max(first, final));
    bool inner = false; // the last vertex is a track point
    // On a track that runs ahead only the points inside the span are visited: thousands of short
    // sections stay quick.
    auto p = points_.begin();
    if (ascending_)
        p = std::upper_bound(p, points_.end(), fromFt,
                             [](double d, const Point& q) { return d < q.distance; });
    for (; p != points_.end() && !(ascending_ && p->distance >= toFt); ++p) {
        if (p->distance > fromFt && p->distance < toFt && p->distance - last >= minSpacingFt) {
            path.push_back(p->position);
            last = p->distance;
            inner = true;
        }
    }
    if (inner && end - last < minSpacingFt)
        path.pop_back();
    path.push_back(*Locate(toFt));
    return path;
}

} // namespace geo
