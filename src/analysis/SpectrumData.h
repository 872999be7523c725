#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CVorlixDoc;

// The power spectrum of a window of the raw load or geophone signal between 3 Hz and 75 Hz,
// as the log10 values and axis settings that the spectrum chart draws.
namespace spectrum {

inline constexpr int kLoadMode = 5;
inline constexpr int kGeophoneMode = 6;
inline constexpr int kMaxPoints = 262'144;
inline constexpr double kSampleSpacing = 0.001; // seconds
inline constexpr double kBandLow = 3.0;         // Hz
inline constexpr double kBandHigh = 75.0;       // Hz
inline constexpr float kInitialMinimum = 10000.0f;
inline constexpr float kInitialMaximum = -10000.0f;

// Points of the window from start to end: its length rounded down to even, at most 262,144.
int WindowLength(int start, int end);

// The chart title; empty for a mode other than 5 (load) or 6 (geophone).
std::string Title(int mode, int start, int end, float startDistance, float endDistance);

} // namespace spectrum

struct SpectrumData {
    int mode = 0;  // 5 load, 6 geophone, anything else an empty (zero) signal
    int start = 0; // window as asked for; the title shows these
    int end = 0;
    int pointCount = 0; // points used: the window's even length, at most 262,144
    double df = 0.0;    // spacing of the spectrum's frequencies
    int firstBin = 0;   // i0 = trunc(3 / df)
    int endBin = 0;     // i1 = trunc(75 / df), exclusive

    // log10 of the power at frequency (firstBin + k) x df for k = 0 .. endBin - firstBin - 1.
    // A power of 0 (logarithm minus infinity) or any other value without a finite logarithm
    // takes no part in minimum and maximum and is stored as `minimum` (as `maximum` for
    // plus infinity), so it is drawn at the axis edge.
    std::vector<float> values;
    float minimum = spectrum::kInitialMinimum; // y-axis range: the extremes of the finite
    float maximum = spectrum::kInitialMaximum; // values; both 0 when there is none

    double xMinimum = 0.0; // i0 x df
    double xMaximum = 0.0; // (i1 - i0) x df: the band's width, as the chart has always shown it
    double xStep = 0.0;    // df

    std::string title;
    std::string xTitle = "frequency (Hz)";
    std::string yTitle = "Power Spectrum in Log10";

    // The real frequency of values[k].
    double FrequencyAt(std::size_t k) const { return (firstBin + static_cast<double>(k)) * df; }
};

namespace spectrum {

// Fills values, extremes and x settings of `out` from the single-sided power spectrum
// power[0 .. count - 1] with frequency spacing df. Bins beyond `count` are not used.
void FillSeries(const double* power, std::size_t count, double df, SpectrumData& out);

} // namespace spectrum

// The spectrum of doc's loadSignal (mode 5) or geoSignal (mode 6) from point start to end
// (the mode's sign is ignored). The window must lie inside the loaded segment and hold at
// least two points. Returns false with *error set for a bad window or an analysis error.
bool ComputeSpectrum(const CVorlixDoc& doc, int mode, int start, int end, SpectrumData* out,
                     std::string* error);
