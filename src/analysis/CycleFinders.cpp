#include "analysis/CycleFinders.h"

#include <algorithm>

namespace {

inline bool Inside(FilteredSignal s, int i) {
    return i >= 2 && i <= s.n - 3;
}

// Neighbours at distance 1 no lower, at distance 2 strictly higher.
inline bool IsMinimum(FilteredSignal s, int i) {
    const float* y = s.y;
    return Inside(s, i) && y[i - 1] >= y[i] && y[i + 1] >= y[i] && y[i - 2] > y[i] &&
           y[i + 2] > y[i];
}

inline bool IsMaximum(FilteredSignal s, int i) {
    const float* y = s.y;
    return Inside(s, i) && y[i - 1] <= y[i] && y[i + 1] <= y[i] && y[i - 2] < y[i] &&
           y[i + 2] < y[i];
}

// Every neighbour no lower (flat bottoms pass).
inline bool IsWideMinimum(FilteredSignal s, int i) {
    const float* y = s.y;
    return Inside(s, i) && y[i - 1] >= y[i] && y[i + 1] >= y[i] && y[i - 2] >= y[i] &&
           y[i + 2] >= y[i];
}

inline bool IsWideMaximum(FilteredSignal s, int i) {
    const float* y = s.y;
    return Inside(s, i) && y[i - 1] <= y[i] && y[i + 1] <= y[i] && y[i - 2] <= y[i] &&
           y[i + 2] <= y[i];
}

// Index arithmetic in 64 bits: a start near the int limit must not wrap.
template <typename Test> int FirstIn(long long from, long long to, Test test) {
    for (long long i = from < 0 ? 0 : from; i < to; ++i)
        if (test(static_cast<int>(i)))
            return static_cast<int>(i);
    return -1;
}

} // namespace

namespace {

// The three stages of the load finders; `passes(i, threshold)` is the extremum test with its
// threshold, scaled by 0.75 and 0.5 in the later stages.
template <typename Passes>
int FindLoadExtremum(FilteredSignal s, int a, double x, int L, Passes passes) {
    auto stage = [&](double threshold) {
        return [&, threshold](int i) { return passes(i, threshold); };
    };
    const long long from = a;
    const long long end = s.n;
    int i = FirstIn(from + L - 3, std::min(from + L, end), stage(x));
    if (i < 0)
        i = FirstIn(from + L / 2, std::min(from + L / 2 + 100, end), stage(0.75 * x));
    if (i < 0)
        i = FirstIn(from + L / 5, end - 5, stage(0.5 * x));
    return i;
}

} // namespace

int FindLoadTrough(FilteredSignal s, int a, double x, int L) {
    return FindLoadExtremum(
        s, a, x, L, [&](int i, double threshold) { return IsMinimum(s, i) && s.y[i] < threshold; });
}

int FindLoadPeak(FilteredSignal s, int a, double x, int L) {
    return FindLoadExtremum(
        s, a, x, L, [&](int i, double threshold) { return IsMaximum(s, i) && s.y[i] > threshold; });
}

namespace {
constexpr double kGeoThreshold = 0.04;
}

int FindGeoTrough(FilteredSignal s, int a, int L) {
    const long long from = a;
    const long long end = s.n;
    int i = FirstIn(from + L - 2, std::min(from + L + 2, end),
                    [&](int k) { return IsMinimum(s, k) && s.y[k] < -kGeoThreshold; });
    if (i < 0)
        i = FirstIn(from + L / 2 - 2, end,
                    [&](int k) { return IsWideMinimum(s, k) && s.y[k] < -kGeoThreshold; });
    return i;
}

int FindGeoPeak(FilteredSignal s, int a, int L) {
    const long long from = a;
    const long long end = s.n;
    int i = FirstIn(from + L - 2, std::min(from + L + 2, end),
                    [&](int k) { return IsMaximum(s, k) && s.y[k] > kGeoThreshold; });
    if (i < 0)
        i = FirstIn(from + L / 2 - 2, end,
                    [&](int k) { return IsWideMaximum(s, k) && s.y[k] > kGeoThreshold; });
    return i;
}

int FindFirstMinimum(FilteredSignal s, int from) {
    return FirstIn(from, s.n, [&](int k) { return IsMinimum(s, k); });
}
