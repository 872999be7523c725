#include "analysis/Smoothing.h"

#include "document/CVorlixDoc.h"

#include <cmath>
#include <cstdint>

namespace smoothing {

namespace {

constexpr int kFewestPoints = 100;
constexpr float kSameDistance = 0.01f;

} // namespace

void MovingAverage(CVorlixDoc& doc, int count) {
    if (doc.pointCount < kFewestPoints || count < 2)
        return;
    const float* r = doc.cycleRatio.data();
    const float* d = doc.cycleDistance.data();
    const long long C = doc.cycleCount;
    const long long w = 2 * (static_cast<long long>(count) / 2) + 1;
    const long long h = w / 2 + 1;
    // A window wider than the cycles yields no result (and reads nothing past them).
    if (w > C) {
        doc.resultCount = 0;
        return;
    }
    double sum = 0.0;
    for (long long i = 0; i < w; ++i)
        sum += r[i];
    doc.resultValue[0] = static_cast<float>(sum / static_cast<double>(w));
    doc.resultDistance[0] = d[h - 1];
    long long i = 0;
    while (i + h < C - h) {
        sum = sum - r[i] + r[i + w];
        ++i;
        doc.resultValue[i] = static_cast<float>(sum / static_cast<double>(w));
        doc.resultDistance[i] = d[i + h - 1];
    }
    // The value computed last is not counted.
    doc.resultCount = static_cast<int>(i);
}

void BlockAverage(CVorlixDoc& doc, int count) {
    if (doc.pointCount < kFewestPoints || count < 2)
        return;
    const float* r = doc.cycleRatio.data();
    const float* d = doc.cycleDistance.data();
    const std::int64_t C = doc.cycleCount;
    int c = 0;
    for (std::int64_t s = 0; s < C; s += count) {
        const std::int64_t cycles = std::min<std::int64_t>(count, C - s);
        double sum = 0.0;
        for (std::int64_t k = s; k < s + cycles; ++k)
            sum += r[k];
        const float x = d[s + cycles / 2];
        doc.resultValue[c] = static_cast<float>(sum / static_cast<double>(cycles));
        doc.resultDistance[c] = x;
        // A block whose middle is not beyond the previous kept one is overwritten by the next.
        if (c > 0 && x - doc.resultDistance[c - 1] < kSameDistance)
            continue;
        ++c;
    }
    doc.resultCount = c;
}

void DistanceAverage(CVorlixDoc& doc, float interval) {
    if (doc.pointCount < kFewestPoints || !(interval > 0.0f))
        return;
    const float* r = doc.cycleRatio.data();
    const float* d = doc.cycleDistance.data();
    const int C = doc.cycleCount;
    const double D = interval;
    int c = 0;
    if (C > 0) {
        // Whole feet by truncation, kept in double so that no distance can overflow an int.
        double base = std::trunc(static_cast<double>(d[0]));
        double sum = 0.0;
        int k = 0;
        for (int i = 0; i < C; ++i) {
            if (static_cast<double>(d[i]) - base >= D) {
                // An interval that no cycle joined stores nothing.
                if (k > 0) {
                    doc.resultValue[c] = static_cast<float>(sum / k);
                    doc.resultDistance[c] = static_cast<float>(base + D / 2.0);
                    ++c;
                }
                sum = 0.0;
                k = 0;
                base = std::trunc(static_cast<double>(d[i]));
            }
            sum += r[i];
            ++k;
        }
    }
    // The last interval, still open, is not stored.
    doc.resultCount = c;
}

SmoothingSettings SettingsOf(const CKVTcontrol& options) {
    return {options.smoothMethod, options.movingAverageCount, options.averageCount,
            options.averageDistance};
}

void SmoothResults(CVorlixDoc& doc, const SmoothingSettings& settings) {
    switch (settings.method) {
    case kMovingAverage:
        MovingAverage(doc, settings.movingAverageCount);
        break;
    case kBlockAverage:
        BlockAverage(doc, settings.averageCount);
        break;
    case kDistanceAverage:
        DistanceAverage(doc, settings.averageDistance);
        break;
    default:
        break;
    }
}

} // namespace smoothing
