#include "analysis/DeflectionAnalysis.h"

#include "analysis/AnalysisLibrary.h"
#include "analysis/ButterworthDesign.h"
#include "analysis/CycleFinders.h"
#include "analysis/SosFilter.h"
#include "analysis/SosPairCascade.h"
#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace deflection {

namespace {

constexpr double kLoadThreshold = 0.8;
constexpr int kFirstGeoTroughSearch = 100;
constexpr double kSmallestLoadAmplitude = 4.0;
constexpr double kRatioFactor = 10.0;
constexpr double kLeadingDistance = 0.001;
constexpr int kCapacity = static_cast<int>(kCycleCapacity);

int CycleLength(float sampleRate, double divisor) {
    return static_cast<int>(static_cast<double>(sampleRate) / divisor + 0.5);
}

} // namespace

int RepairStartup(float* filtered, const double* v, int n) {
    const int last = std::min(n - 3, kRepairSearchLimit);
    for (int b = kRepairSearchStart; b <= last; ++b) {
        if (v[b - 2] < v[b] && v[b + 2] < v[b]) {
            if (2 * b >= n)
                return -1;
            for (int k = 0; k <= b; ++k)
                filtered[b - k] = filtered[b + k];
            return b;
        }
    }
    return -1;
}

BandPass BandPassOf(const CKVTcontrol& options) {
    return {options.bandpassLow, options.bandpassHigh};
}

bool UsableBand(const BandPass& band) {
    const double low = band.low;
    const double high = band.high;
    return low > 0.0 && low < high && high < kFilterSampleRate / 2.0;
}

void FilterSignals(CVorlixDoc& doc, const BandPass& band, FilterWorkspace& workspace) {
    const int n = doc.pointCount;
    if (n < 2)
        return;
    SosFilter filter;
    CheckCode(
        DesignButterworthBandPass(kBandPassOrder, kFilterSampleRate, band.low, band.high, filter));
    SosPairCascade cascade(filter);
    // The repair decides on the double output, so the samples it can look at are filtered
    // into double and narrowed here; the rest goes float to float.
    const int head = std::min(n, kRepairReach);
    std::vector<double>& geo = workspace.geoHead;
    std::vector<double>& load = workspace.loadHead;
    geo.assign(doc.geoSignal.data(), doc.geoSignal.data() + head);
    load.assign(doc.loadSignal.data(), doc.loadSignal.data() + head);
    cascade.Filter(geo.data(), load.data(), geo.data(), load.data(), head);
    for (int i = 0; i < head; ++i) {
        doc.geoFiltered[i] = static_cast<float>(geo[i]);
        doc.loadFiltered[i] = static_cast<float>(load[i]);
    }
    cascade.Filter(doc.geoSignal.data() + head, doc.loadSignal.data() + head,
                   doc.geoFiltered.data() + head, doc.loadFiltered.data() + head,
                   static_cast<std::size_t>(n - head));
    RepairStartup(doc.geoFiltered.data(), geo.data(), n);
    RepairStartup(doc.loadFiltered.data(), load.data(), n);
}

int DetectLoadCycles(CVorlixDoc& doc) {
    const FilteredSignal y{doc.loadFiltered.data(), doc.pointCount};
    const int L = CycleLength(doc.sampleRate, 30.0);
    doc.cycleLength = L;
    int* troughs = doc.loadTroughIndex.data();
    int* peaks = doc.loadPeakIndex.data();
    doc.loadCycleCount = 0;

    int t = FindLoadTrough(y, 0, -kLoadThreshold, L);
    if (t < 0)
        return 0;
    troughs[0] = t;
    int p = FindLoadPeak(y, t - L / 2, kLoadThreshold, L);
    if (p < 0)
        return 0;
    peaks[0] = p;

    const double end = y.n - 1.5 * L;
    int k = 0;
    while (k + 1 < kCapacity) {
        t = FindLoadTrough(y, troughs[k], -kLoadThreshold, L);
        p = FindLoadPeak(y, peaks[k], kLoadThreshold, L);
        if (t < 0 || p < 0)
            break;
        ++k;
        peaks[k] = p;
        troughs[k] = t;
        if (t > end)
            break;
    }
    // The last three stored cycles are not counted.
    doc.loadCycleCount = std::max(k - 2, 0);
    return k + 1;
}

int DetectGeoCycles(CVorlixDoc& doc) {
    const FilteredSignal y{doc.geoFiltered.data(), doc.pointCount};
    const int L = CycleLength(doc.sampleRate, doc.loadFrequency);
    int* troughs = doc.geoTroughIndex.data();
    int* peaks = doc.geoPeakIndex.data();
    doc.geoCycleCount = 0;

    int first = FindFirstMinimum(y, kFirstGeoTroughSearch);
    if (first < 0)
        return 0;
    troughs[0] = first;
    peaks[0] = FindGeoPeak(y, first - L / 2, L);
    if (peaks[0] < 0)
        return 0;

    const double end = y.n - 1.5 * L;
    int j = 0;
    while (j + 1 < kCapacity) {
        int c = FindGeoTrough(y, troughs[j], L);
        int d = FindGeoPeak(y, peaks[j], L);
        if (c < 0 || d < 0)
            break;
        peaks[j + 1] = d;
        troughs[j + 1] = c;
        ++j;
        if (c > end)
            break;
    }
    doc.geoCycleCount = j;
    return j;
}

int PairCycles(CVorlixDoc& doc, int loadStored) {
    const int n = doc.pointCount;
    const int L = doc.cycleLength;
    const float* geo = doc.geoFiltered.data();
    const float* load = doc.loadFiltered.data();
    auto geoMiddle = [&](int j) { return (doc.geoPeakIndex[j] + doc.geoTroughIndex[j]) / 2; };
    auto loadMiddle = [&](int k) { return (doc.loadPeakIndex[k] + doc.loadTroughIndex[k]) / 2; };
    auto stored = [&](int k) { return k >= 0 && k < loadStored; };
    // The first stored load cycle from `from` up to `to` whose middle lies within `within`.
    auto findLoad = [&](int from, int to, int m, auto within) {
        for (int k = from; k <= to; ++k)
            if (stored(k) && within(std::abs(loadMiddle(k) - m)))
                return k;
        return -1;
    };

    doc.cycleCount = 0;
    if (loadStored <= 0 || doc.geoCycleCount <= 0)
        return 0;

    const int m0 = geoMiddle(0);
    int s = findLoad(0, doc.loadCycleCount - 1, m0, [&](int gap) { return gap < L; });
    if (s < 0)
        s = findLoad(0, doc.loadCycleCount - 1, m0, [&](int gap) { return gap < 2 * L; });
    if (s < 0)
        s = 0;

    int j = 0;
    for (; j < doc.geoCycleCount - 1 && j < kCapacity; ++j) {
        const double g = static_cast<double>(geo[doc.geoPeakIndex[j]]) - geo[doc.geoTroughIndex[j]];
        const int m = geoMiddle(j);
        if (m >= n - L / 2)
            break;
        auto near = [&](int gap) { return gap <= L; };
        int k = findLoad(s, s + 9, m, near);
        if (k < 0)
            k = findLoad(s - 10, s + 29, m, near);
        if (k >= 0)
            s = k;
        const double l =
            static_cast<double>(load[doc.loadPeakIndex[s]]) - load[doc.loadTroughIndex[s]];
        doc.cycleRatio[j] =
            l < kSmallestLoadAmplitude ? 0.0f : static_cast<float>(g * kRatioFactor / l);
        doc.cycleLoadAmplitude[j] = static_cast<float>(l);
        doc.cycleGeoAmplitude[j] = static_cast<float>(g);
        const float d = doc.DistanceAtPoint(m);
        doc.cycleDistance[j] = d;
        // No distance in the segment's last group: this cycle is written but not counted.
        if (std::fabs(static_cast<double>(d) + 100.0) < 0.0001)
            break;
    }
    int count = j;

    // Leading cycles without a distance are dropped.
    int f = 0;
    while (f < count && !(doc.cycleDistance[f] > kLeadingDistance))
        ++f;
    count -= f;
    if (f > 0 && count > 0) {
        const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(float);
        std::memmove(&doc.cycleLoadAmplitude[0], &doc.cycleLoadAmplitude[f], bytes);
        std::memmove(&doc.cycleGeoAmplitude[0], &doc.cycleGeoAmplitude[f], bytes);
        std::memmove(&doc.cycleRatio[0], &doc.cycleRatio[f], bytes);
        std::memmove(&doc.cycleDistance[0], &doc.cycleDistance[f], bytes);
    }
    doc.cycleCount = count;
    return count;
}

} // namespace deflection
