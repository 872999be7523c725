#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"

#include <algorithm>
#include <cmath>

namespace sections {

ClassLimits DefaultClassLimits(const std::vector<Section>& sections) {
    std::vector<double> values;
    for (const Section& s : sections)
        if (std::isfinite(s.characteristic))
            values.push_back(s.characteristic);
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {Percentile(values, 25.0), Percentile(values, 50.0), Percentile(values, 75.0)};
}

int ClassOf(double value, const ClassLimits& limits) {
    if (value <= limits.a)
        return 1;
    if (value <= limits.b)
        return 2;
    return value <= limits.c ? 3 : 4;
}

std::uint32_t ClassColour(int classNumber) {
    return kClassColours[static_cast<std::size_t>(std::clamp(classNumber, 1, kClassCount) - 1)];
}

std::uint32_t RampColour(double value, const ClassLimits& limits) {
    const double middles[kClassCount] = {limits.a - (limits.b - limits.a) / 2,
                                         (limits.a + limits.b) / 2, (limits.b + limits.c) / 2,
                                         limits.c + (limits.c - limits.b) / 2};
    if (!(value > middles[0]))
        return kClassColours[0];
    for (int i = 1; i < kClassCount; ++i) {
        if (value > middles[i])
            continue;
        const double t = (value - middles[i - 1]) / (middles[i] - middles[i - 1]);
        std::uint32_t rgb = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const double from = (kClassColours[static_cast<std::size_t>(i - 1)] >> shift) & 0xFF;
            const double to = (kClassColours[static_cast<std::size_t>(i)] >> shift) & 0xFF;
            rgb |= static_cast<std::uint32_t>(std::lround(from + (to - from) * t)) << shift;
        }
        return rgb;
    }
    return kClassColours[kClassCount - 1];
}

std::string ColourHex(std::uint32_t rgb) {
    static const char* const kDigits = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        text += kDigits[(rgb >> shift) & 0xF];
    return text;
}

} // namespace sections
