#pragma once

#include <optional>
#include <string>
#include <vector>

// Uniform sections and weak spots of a result profile.
//
// Sections: binary segmentation of the cumulative difference from the mean, split while the
// largest excursion exceeds a Kolmogorov-Smirnov threshold, never below minLength results.
// Flags: runs of results above a limit (an absolute threshold, or the characteristic value of
// the section that holds them), joined across short gaps, short ones dropped.
namespace sections {

// The whole file's 1-ft result profile, in export order: float32 values widened to double.
struct Profile {
    std::vector<double> distance; // feet
    std::vector<double> value;
};

struct SectionParameters {
    double minLength = 500.0; // feet: shortest section (one result per foot)
    double alpha = 0.05;      // significance of a split
    double k = 2.0;           // characteristic = mean + k * sd
    double merge = 0.0;       // join neighbours whose means differ by less; 0 never
};

struct FlagParameters {
    std::optional<double> threshold; // none: each result against its section's characteristic
    double gap = 5.0;                // feet: runs closer than this are joined
    int minFlag = 3;                 // shortest flag, in results
};

struct Parameters {
    SectionParameters section;
    FlagParameters flag;
};

struct Section {
    int first = 0; // profile index of its first result
    int last = 0;  // profile index of its last result
    double startFt = 0.0;
    double endFt = 0.0;
    std::string startStation;
    std::string endStation;
    int results = 0;
    double mean = 0.0;
    double sd = 0.0;  // divisor n - 1; 0 for one result
    double cov = 0.0; // sd / mean
    double characteristic = 0.0;
    double p90 = 0.0;
    double p95 = 0.0;
    double min = 0.0;
    double max = 0.0;
};

struct Flag {
    int number = 0; // from 1 along the road
    int first = 0;  // profile index of the span's first result
    int last = 0;   // and of its last
    double startFt = 0.0;
    double endFt = 0.0;
    std::string startStation;
    std::string endStation;
    int results = 0; // last - first + 1, below-limit results inside included
    double peak = 0.0;
    double peakFt = 0.0;
    double mean = 0.0;
};

struct Result {
    std::vector<Section> sections;
    std::vector<Flag> flags;
};

// The station text of a distance in feet: "%d+%.1f" of whole miles and remaining feet, "%.1f"
// below a mile.
std::string StationOf(double feet);

// The value at position (n - 1) * q / 100 of the sorted values (at least one), linearly
// interpolated: p90 and p95 of a section, the default class limits.
double Percentile(const std::vector<double>& sorted, double q);

std::vector<Section> FindSections(const Profile& profile, const SectionParameters& parameters);
std::vector<Flag> FindFlags(const Profile& profile, const std::vector<Section>& sections,
                            const FlagParameters& parameters);
Result Analyse(const Profile& profile, const Parameters& parameters);

} // namespace sections
