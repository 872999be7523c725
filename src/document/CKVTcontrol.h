#pragma once

#include <array>
#include <cstdint>
#include <string>

// The analysis options: the live record of every analysis setting that all parts of the program
// read directly. Part of it persists in the 1240-byte settings file "Vorlixcontrol.dat".
// Chart rows are indexed 0..3 for the dialog's rows 1..4; row 4 (index 3) is the result chart.
class CKVTcontrol {
public:
    static constexpr const char* kSettingsFileName = "Vorlixcontrol.dat";
    static constexpr int kSettingsFileSize = 1240;
    static constexpr int kResultChartRow = 3;

    CKVTcontrol() = default;
    virtual ~CKVTcontrol() = default;

    // Reads the settings file at settingsPath. A missing file leaves every field as it is; a
    // short file keeps the current values of the fields beyond its end. Returns false when
    // the file could not be opened.
    bool LoadSettings();
    // Writes the whole settings file atomically (temporary file, then rename), so a failed
    // write never destroys the previous settings. Returns false and sets *error on failure.
    bool SaveSettings(std::string* error = nullptr) const;

    // The geophone number of a combo-box text: "Geophone-1".."Geophone-4" give 1..4,
    // anything else unknownValue (1 on OK, 0 for a selection change).
    static int GeophoneNumberFromName(const std::string& name, int unknownValue);

    std::string settingsPath = kSettingsFileName;
    std::string reservedText1;
    std::string reservedText2;
    std::int32_t reservedValue = 2;
    std::int32_t geophoneSelect = 1;
    std::int32_t segmentGroups = 12'800;
    std::int32_t currentSegment = 0;

    float bandpassHigh = 0.0f;
    float bandpassLow = 0.0f;
    float centerFactor = 0.0f;
    float frontFactor = 0.0f;
    float rearFactor = 0.0f;
    float loadFactor = 0.0f;
    float lowpassCutoff = 0.0f;
    std::array<float, 4> chartMin{};
    std::array<float, 4> chartMax{};
    std::array<std::string, 4> chartTitle;  // at most 79 characters stored
    std::array<std::string, 4> chartXLabel; // at most 39 characters stored
    std::array<std::string, 4> chartYLabel; // at most 39 characters stored
    std::string geophoneName;               // at most 39 characters stored
    std::int32_t segmentCount = 0;
    float videoOffset = 0.0f;
    std::int32_t movingAverageCount = 20;
    float averageDistance = 1.0f;
    std::int32_t averageCount = 30;
    std::int32_t smoothMethod = 0;
    std::int32_t showGprColormap = 0;
};
