#include "synth/SettingsWriter.h"

#include "document/CKVTcontrol.h"

namespace synth {

bool WriteSettingsFile(const std::string& path, const Options& options, std::string* error) {
    CKVTcontrol settings;
    settings.settingsPath = path;
    settings.geophoneSelect = 1;
    settings.geophoneName = "Geophone-1";
    settings.loadFactor = kLoadFactor;
    settings.centerFactor = kCenterFactor;
    settings.frontFactor = kFrontFactor;
    settings.rearFactor = kRearFactor;
    settings.bandpassLow = 25.0f;
    settings.bandpassHigh = 35.0f;
    settings.lowpassCutoff = 5.0f;
    settings.movingAverageCount = 20;
    settings.videoOffset = 0.0f;
    settings.showGprColormap = options.writeCompanions && options.gpr != Options::Gpr::None;
    const char* titles[4] = {"Dynamic load", "Static load", "Dynamic geophone",
                             "Deflection ratio (geophone x 10 / load)"};
    const char* yLabels[4] = {"Load (kips)", "Load (kips)", "Geophone", "Ratio"};
    const float minima[4] = {0.0f, 0.0f, -6.0f, 0.0f};
    const float maxima[4] = {20.0f, 20.0f, 6.0f, 12.0f};
    for (int row = 0; row < 4; ++row) {
        settings.chartTitle[row] = titles[row];
        settings.chartXLabel[row] = "Distance (ft)";
        settings.chartYLabel[row] = yLabels[row];
        settings.chartMin[row] = minima[row];
        settings.chartMax[row] = maxima[row];
    }
    std::string why;
    if (!settings.SaveSettings(&why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

} // namespace synth
