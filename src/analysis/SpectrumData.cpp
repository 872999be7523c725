#include "analysis/SpectrumData.h"

#include "analysis/AnalysisLibrary.h"
#include "analysis/CNiScalarVector.h"
#include "document/CVorlixDoc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>

namespace {

// The bin of a frequency, truncated; bins that do not fit an int are treated as "beyond".
int BinOf(double frequency, double df) {
    const double bin = std::trunc(frequency / df);
    return bin < static_cast<double>(std::numeric_limits<int>::max())
               ? static_cast<int>(bin)
               : std::numeric_limits<int>::max();
}

} // namespace

namespace spectrum {

int WindowLength(int start, int end) {
    const long long length = static_cast<long long>(end) - start;
    if (length <= 0)
        return 0;
    const long long even = length / 2 * 2;
    return static_cast<int>(even >= kMaxPoints ? kMaxPoints : even);
}

std::string Title(int mode, int start, int end, float startDistance, float endDistance) {
    const char* format = nullptr;
    if (mode == kLoadMode)
        format = "Load Power Spectrum from point:%d to %d or DMI from %s ft to  %s ft";
    else if (mode == kGeophoneMode)
        format = "Geophone Power Spectrum from point:%d to %d or DMI from %s ft to  %s ft";
    else
        return {};
    // A float in "%.2f" can take up to 39 digits before the point.
    char from[64], to[64];
    std::snprintf(from, sizeof from, "%.2f", static_cast<double>(startDistance));
    std::snprintf(to, sizeof to, "%.2f", static_cast<double>(endDistance));
    char title[256];
    std::snprintf(title, sizeof title, format, start, end, from, to);
    return title;
}

void FillSeries(const double* power, std::size_t count, double df, SpectrumData& out) {
    out.df = df;
    out.values.clear();
    out.minimum = kInitialMinimum;
    out.maximum = kInitialMaximum;
    out.firstBin = out.endBin = 0;
    if (std::isfinite(df) && df > 0.0) {
        out.firstBin = BinOf(kBandLow, df);
        out.endBin = BinOf(kBandHigh, df);
    }
    const long long available = static_cast<long long>(count);
    const long long end = out.endBin < available ? out.endBin : available;
    for (long long i = out.firstBin; i < end; ++i) {
        const float value = static_cast<float>(std::log10(power[i]));
        out.values.push_back(value);
        if (!std::isfinite(value))
            continue;
        if (value < out.minimum)
            out.minimum = value;
        if (value > out.maximum)
            out.maximum = value;
    }
    if (out.minimum > out.maximum)
        out.minimum = out.maximum = 0.0f;
    for (float& value : out.values)
        if (!std::isfinite(value))
            value = value > 0.0f ? out.maximum : out.minimum;

    out.xMinimum = out.firstBin * df;
    out.xMaximum = (static_cast<double>(out.endBin) - out.firstBin) * df;
    out.xStep = df;
}

} // namespace spectrum

bool ComputeSpectrum(const CVorlixDoc& doc, int mode, int start, int end, SpectrumData* out,
                     std::string* error) {
    using namespace spectrum;
    mode = mode == std::numeric_limits<int>::min() ? 0 : std::abs(mode);
    if (start < 0 || end > doc.pointCount || end <= start) {
        *error = "The spectrum window from point " + std::to_string(start) + " to " +
                 std::to_string(end) + " is not inside the loaded segment (0 to " +
                 std::to_string(doc.pointCount) + ").";
        return false;
    }
    const int n = WindowLength(start, end);
    if (n < 2) {
        *error = "The spectrum window from point " + std::to_string(start) + " to " +
                 std::to_string(end) + " needs at least 2 points.";
        return false;
    }

    SpectrumData data;
    data.mode = mode;
    data.start = start;
    data.end = end;
    data.pointCount = n;
    try {
        CNiScalarVector<double> x(n);
        const float* signal = mode == kLoadMode       ? doc.loadSignal.data()
                              : mode == kGeophoneMode ? doc.geoSignal.data()
                                                      : nullptr;
        if (signal)
            x.Assign(signal + start, n);
        CNiScalarVector<double> power;
        double df = 0.0;
        AutoPowerSpectrum(x, kSampleSpacing, power, df);
        FillSeries(power.Data(), power.Size(), df, data);
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
    data.title = Title(mode, start, end, doc.DistanceAtPoint(start), doc.DistanceAtPoint(end));
    *out = std::move(data);
    return true;
}
