#pragma once

// Staged searches for the troughs and peaks of a filtered signal. A test that would read a
// sample outside 0 .. n - 1 fails, as does a comparison with a value that is not a number.
// Each finder returns the sample index found, or -1.
struct FilteredSignal {
    const float* y;
    int n;
};

// Load cycles: thresholds x (-0.8 for troughs, +0.8 for peaks) scaled by 0.75 and 0.5 in the
// later stages; L is the cycle length in samples.
int FindLoadTrough(FilteredSignal s, int a, double x, int cycleLength);
int FindLoadPeak(FilteredSignal s, int a, double x, int cycleLength);

// Geophone cycles: fixed thresholds of -0.04 and +0.04.
int FindGeoTrough(FilteredSignal s, int a, int cycleLength);
int FindGeoPeak(FilteredSignal s, int a, int cycleLength);

// The first index from `from` with a local minimum (neighbours at 1 no lower, at 2 higher).
int FindFirstMinimum(FilteredSignal s, int from);
