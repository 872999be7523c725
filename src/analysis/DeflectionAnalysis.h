#pragma once

#include <vector>

class CKVTcontrol;
class CVorlixDoc;

// The per-segment deflection analysis: band-pass filtering, load- and geophone-cycle
// detection, and pairing into per-cycle results. Each step reads and writes the document.
namespace deflection {

inline constexpr double kFilterSampleRate = 1000.0;
inline constexpr int kBandPassOrder = 9;
inline constexpr int kRepairSearchStart = 1500;
inline constexpr int kRepairSearchLimit = 32'767;

// The start-up repair reads the filter's double output up to this sample (exclusive).
inline constexpr int kRepairReach = kRepairSearchLimit + 3;

// The filter's double output over the first kRepairReach samples, which the start-up repair
// compares, kept from segment to segment so that its storage is allocated once.
struct FilterWorkspace {
    std::vector<double> geoHead;
    std::vector<double> loadHead;
};

// The pass band of the signal filter, in Hz.
struct BandPass {
    float low = 0.0f;
    float high = 0.0f;
};

// The band the user chose in the options.
BandPass BandPassOf(const CKVTcontrol& options);

// Whether the filter can be designed for the band: 0 < low < high < half the sampling rate.
bool UsableBand(const BandPass& band);

// Band-passes geoSignal into geoFiltered and loadSignal into loadFiltered (one design, both
// signals at once), then repairs the filters' start-up transient. Fewer than 2 samples: nothing.
// Throws AnalysisError when the band is not valid; the filtered arrays then keep their values.
void FilterSignals(CVorlixDoc& doc, const BandPass& band, FilterWorkspace& workspace);

// Mirrors the start-up transient: finds the first local maximum at distance 2 from sample 1500
// (v is the filter's double output, read below min(n, kRepairReach) only) and copies the
// samples after it over those before it. Returns the peak index, or -1 when there is none or
// the mirror would not fit.
int RepairStartup(float* filtered, const double* v, int n);

// Load cycles into loadTroughIndex/loadPeakIndex; returns the number of stored index pairs
// (loadCycleCount is that less 3, and 0 when no cycle is found).
int DetectLoadCycles(CVorlixDoc& doc);
// Geophone cycles into geoTroughIndex/geoPeakIndex and geoCycleCount; returns geoCycleCount.
int DetectGeoCycles(CVorlixDoc& doc);
// Pairs each geophone cycle with the load cycle at its place and fills the per-cycle arrays
// and cycleCount. loadStored is what DetectLoadCycles returned.
int PairCycles(CVorlixDoc& doc, int loadStored);

} // namespace deflection
