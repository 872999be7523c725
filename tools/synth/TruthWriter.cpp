#include "synth/TruthWriter.h"

#include "document/AtomicFileWriter.h"

#include <cmath>
#include <cstdio>

namespace synth {

bool WriteTruthFile(const std::string& path, const Scenario& scenario, std::string* error) {
    const double first = std::floor(scenario.trajectory.StartDistance() / kTruthStepFt);
    const double last = std::ceil(scenario.trajectory.EndDistance() / kTruthStepFt);
    const bool steps = !scenario.profile.Steps().empty();
    std::string text =
        steps ? "distance_ft,true_ratio,section_factor\n" : "distance_ft,true_ratio\n";
    text.reserve(text.size() + static_cast<std::size_t>(last - first + 1) * 20);
    char line[64];
    for (double i = first; i <= last; i += 1.0) {
        const double x = i * kTruthStepFt;
        const int n =
            steps ? std::snprintf(line, sizeof line, "%.1f,%.5f,%.5f\n", x, scenario.profile.At(x),
                                  scenario.profile.SectionFactorAt(x))
                  : std::snprintf(line, sizeof line, "%.1f,%.5f\n", x, scenario.profile.At(x));
        text.append(line, static_cast<std::size_t>(n));
    }
    AtomicFileWriter out;
    if (!out.Open(path) || !out.Write(text.data(), text.size()) || !out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}

} // namespace synth
