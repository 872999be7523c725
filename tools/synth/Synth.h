#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Synthetic test files for Vorlix: a raw .KVT record with its companion .GPS, .IMG and .DAT
// files, a matching settings file and the true deflection ratio the analysis should find.
namespace synth {

struct Options {
    std::string outBase; // OUT/NAME without extension
    int groups = 2000;
    int channels = 5; // active channels: load, geophones 1..3, then auxiliary inputs
    std::uint64_t seed = 1;
    double speedMph = 10;
    bool stops = false;
    double startFt = 0;
    double noise = 1.0; // noise scale; 0 gives clean signals
    enum class Gpr { None, Pulse, Qxr } gpr = Gpr::Qxr;
    int pictures = -1;           // -1: one per about 25 ft (at most 1000); 0: no .IMG file
    std::string workDir;         // folder of Vorlixcontrol.dat; empty: folder of outBase
    bool writeCompanions = true; // false: no .GPS, .IMG or .DAT
    int sections = 0;            // steps of the true ratio (factors 0.7..1.4), kMaxSections at most
};

struct Written {
    std::vector<std::string> files;
};

// Writes the files; on failure returns false with a message in *error (either may be null).
bool Generate(const Options&, Written* written, std::string* error);
// The true ratio (10 x geophone / load amplitude of the centre geophone) at a distance in feet.
// With sections it works out the vehicle's whole run on each call: read the truth file instead
// for many distances.
double TrueRatioAt(const Options&, double distanceFt);
// Checks the options' ranges; returns an empty text when they are usable.
std::string ValidateOptions(const Options&);

// Calibration written to the settings file; the raw counts are made with these values.
constexpr float kLoadFactor = 2.5f;
constexpr float kCenterFactor = 5.6f;
constexpr float kFrontFactor = 5.0f;
constexpr float kRearFactor = 5.3f;
constexpr int kMaxGroups = 130'000;
constexpr int kMaxPictures = 90'000;
constexpr int kMaxSections = 1000;

} // namespace synth
