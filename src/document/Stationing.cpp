// Conversions between sample points, DMI distances, stations and cycles of the loaded segment.
#include "document/CVorlixDoc.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

constexpr long double kGroupPoints = kSamplesPerGroup;
constexpr double kFeetPerMile = 5280.0;

// groupDistance holds one entry more than the groups, so at most capacity - 1 groups are
// addressable; a larger count would read past the array.
int UsableGroups(int groupCount) {
    constexpr int kMaxGroups = static_cast<int>(kGroupCapacity) - 1;
    return groupCount < kMaxGroups ? groupCount : kMaxGroups;
}

int UsableCycles(int cycleCount) {
    constexpr int kMaxCycles = static_cast<int>(kCycleCapacity);
    return cycleCount < kMaxCycles ? cycleCount : kMaxCycles;
}

bool PastSegmentEnd(int point, int groups) {
    return static_cast<std::int64_t>(point) >= static_cast<std::int64_t>(kSamplesPerGroup) * groups;
}

// Narrows to float, going to infinity rather than past the float range.
float ToFloat(long double value) {
    constexpr long double kMax = std::numeric_limits<float>::max();
    if (value > kMax)
        return std::numeric_limits<float>::infinity();
    if (value < -kMax)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// Distance of a point inside the segment: the first group runs from the segment start to
// D(0), every later group k from D(k) to D(k + 1).
float InterpolatedDistance(int point, float segmentStart, const float* distances) {
    if (point < kSamplesPerGroup) {
        const long double start = segmentStart;
        return ToFloat(start + (distances[0] - start) * point / kGroupPoints);
    }
    const int k = point / kSamplesPerGroup;
    const long double from = distances[k];
    const long double offset = point - static_cast<long double>(kSamplesPerGroup) * k;
    return ToFloat(from + offset * (distances[k + 1] - from) / kGroupPoints);
}

std::string Format(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

float CVorlixDoc::DistanceAtPoint(int point) const {
    const int n = UsableGroups(groupCount);
    if (n < 1 || PastSegmentEnd(point, n))
        return 0.0f;
    // Callers take the last group as having no distance (the cycle analysis stops there).
    if (point >= kSamplesPerGroup && point / kSamplesPerGroup >= n - 1)
        return kNoDistance;
    return InterpolatedDistance(point, segmentStartDistance, groupDistance.data());
}

std::string CVorlixDoc::StationText(int point) const {
    const int n = UsableGroups(groupCount);
    if (PastSegmentEnd(point, n))
        return "Big";
    if (n < 1)
        return "No DMI";
    // The last group interpolates towards the extrapolated entry D(n).
    const float d = InterpolatedDistance(point, segmentStartDistance, groupDistance.data());
    if (d < kFeetPerMile)
        return Format("%.1f", static_cast<double>(d));
    const double miles = std::trunc(static_cast<double>(d) / kFeetPerMile);
    if (!(miles <= std::numeric_limits<int>::max())) // infinite, or too many miles for an int
        return Format("%.1f", static_cast<double>(d));
    const int m = static_cast<int>(miles);
    return Format("%d+%.1f", m, static_cast<double>(d) - kFeetPerMile * m);
}

int CVorlixDoc::PointAtDistance(float distance) const {
    const int n = UsableGroups(groupCount);
    if (n <= 1)
        return -1;
    const float* D = groupDistance.data();
    if (distance < D[0] || distance > D[n - 1])
        return -1;
    for (int i = 1; i < n; ++i) {
        if (!(D[i - 1] <= distance && distance <= D[i]))
            continue;
        const long double span = static_cast<long double>(D[i]) - D[i - 1];
        // A standing vehicle (span 0) or infinite distances give no usable fraction: take the
        // group's first point. The fraction of a group never exceeds the group.
        long double offset = 0.0L;
        if (span > 0.0L)
            offset = (distance - static_cast<long double>(D[i - 1])) * kGroupPoints / span;
        if (!(offset >= 0.0L))
            offset = 0.0L;
        if (offset > kGroupPoints)
            offset = kGroupPoints;
        return kSamplesPerGroup * (i - 1) + static_cast<int>(offset);
    }
    return -1;
}

int CVorlixDoc::CycleAtDistance(float distance) const {
    const int c = UsableCycles(cycleCount);
    if (c <= 1)
        return -1;
    const float* C = cycleDistance.data();
    if (distance < C[0] || distance > C[c - 1])
        return -1;
    for (int i = 1; i < c; ++i)
        if (C[i - 1] <= distance && distance <= C[i])
            return i;
    return -1;
}

int CVorlixDoc::FloorIndex(int hi, int lo, int key, const int* values) {
    while (hi >= lo) {
        if (key > values[hi])
            return hi;
        if (key < values[lo])
            return lo - 1;
        const int mid = static_cast<int>((static_cast<std::int64_t>(lo) + hi) / 2);
        if (values[mid] > key)
            hi = mid - 1;
        else if (values[mid] == key)
            return mid;
        else
            lo = mid + 1;
    }
    return -1;
}
