#pragma once

#include <cstdint>

class CKVTcontrol;
class CVorlixDoc;

// Smoothing of the per-cycle ratios along the road into resultValue/resultDistance/resultCount.
// A method does nothing while fewer than 100 points are loaded or while its parameter is out
// of use; the results then stay as they were.
namespace smoothing {

inline constexpr int kMovingAverage = 0;
inline constexpr int kBlockAverage = 1;
inline constexpr int kDistanceAverage = 2;

// Moving average over an odd window of 2 x (count / 2) + 1 cycles.
void MovingAverage(CVorlixDoc& doc, int count);
// Means of consecutive blocks of `count` cycles placed at each block's middle cycle; the last,
// shorter block averages only the cycles it has.
void BlockAverage(CVorlixDoc& doc, int count);
// Means over distance intervals of `interval` feet starting at whole feet.
void DistanceAverage(CVorlixDoc& doc, float interval);

// A smoothing method and the parameters of all three methods.
struct SmoothingSettings {
    std::int32_t method = kMovingAverage;
    std::int32_t movingAverageCount = 20;
    std::int32_t averageCount = 30;
    float averageDistance = 1.0f;
};

// The smoothing the user chose in the options.
SmoothingSettings SettingsOf(const CKVTcontrol& options);

// The method chosen by settings.method with its parameter; another value does nothing.
void SmoothResults(CVorlixDoc& doc, const SmoothingSettings& settings);

} // namespace smoothing
