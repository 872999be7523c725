#pragma once

// The window of raw points whose power spectrum is shown, and its moves by the paging
// commands. The window always lies inside the segment of n points.
struct SpectrumWindow {
    int start = 0;
    int end = 5000;
    bool operator==(const SpectrumWindow&) const = default;
};

namespace spectrumwindow {

inline constexpr int kStep = 5000;
inline constexpr int kMinimumPoints = 100; // fewer points are not drawn

SpectrumWindow Previous(SpectrumWindow window, int n);
SpectrumWindow Next(SpectrumWindow window, int n);
// The first window, 0 to 5000, cut to the segment.
SpectrumWindow First(int n);

} // namespace spectrumwindow
