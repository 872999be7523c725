#include "synth/Synth.h"

#include "synth/GprWriter.h"
#include "synth/GpsWriter.h"
#include "synth/KvtWriter.h"
#include "synth/RoadImageWriter.h"
#include "synth/Scenario.h"
#include "synth/SettingsWriter.h"
#include "synth/TruthWriter.h"

#include "document/CKVTcontrol.h"

#include <filesystem>

namespace synth {

namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

std::string SettingsFolder(const Options& options) {
    if (!options.workDir.empty())
        return options.workDir;
    const std::filesystem::path parent = std::filesystem::path(options.outBase).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool MakeFolder(const std::string& folder, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder))
        return Fail(error, "Cannot create the folder \"" + folder + "\": " + ec.message());
    return true;
}

} // namespace

std::string ValidateOptions(const Options& o) {
    if (o.outBase.empty() || std::filesystem::path(o.outBase).filename().empty())
        return "the output name OUT/NAME is missing";
    if (o.groups < 1 || o.groups > kMaxGroups)
        return "--groups must be from 1 to " + std::to_string(kMaxGroups);
    if (o.channels < 2 || o.channels > 12)
        return "--channels must be from 2 (load and geophone) to 12";
    if (!(o.speedMph > 0.0 && o.speedMph <= 100.0))
        return "--speed-mph must be above 0 and at most 100";
    if (!(o.startFt >= 0.0 && o.startFt <= 1.0e6))
        return "--start-ft must be from 0 to 1000000";
    if (!(o.noise >= 0.0 && o.noise <= 100.0))
        return "--noise must be from 0 to 100";
    if (o.pictures < -1 || o.pictures > kMaxPictures)
        return "--pictures must be from 0 to " + std::to_string(kMaxPictures);
    if (o.sections < 0 || o.sections > kMaxSections)
        return "--sections must be from 0 to " + std::to_string(kMaxSections);
    return "";
}

double TrueRatioAt(const Options& options, double distanceFt) {
    if (options.sections > 0)
        return Scenario(options).profile.At(distanceFt);
    return RatioProfile(options.seed).At(distanceFt);
}

bool Generate(const Options& options, Written* written, std::string* error) {
    const std::string invalid = ValidateOptions(options);
    if (!invalid.empty())
        return Fail(error, invalid);
    const std::string outFolder = std::filesystem::path(options.outBase).parent_path().string();
    const std::string settingsFolder = SettingsFolder(options);
    if ((!outFolder.empty() && !MakeFolder(outFolder, error)) || !MakeFolder(settingsFolder, error))
        return false;

    const Scenario scenario(options);
    const std::string& base = options.outBase;
    Written done;
    auto step = [&](const std::string& path, auto&& write) {
        if (!write(path, scenario, error))
            return false;
        done.files.push_back(path);
        return true;
    };
    bool ok = step(base + ".KVT", WriteKvtFile);
    if (ok && options.writeCompanions) {
        ok = step(base + ".GPS", WriteGpsFile);
        if (ok && options.pictures != 0)
            ok = step(base + ".IMG", WriteImageFile);
        if (ok && options.gpr != Options::Gpr::None)
            ok = step(base + ".DAT", WriteGprFile);
    }
    if (ok) {
        const std::string settingsPath =
            (std::filesystem::path(settingsFolder) / CKVTcontrol::kSettingsFileName).string();
        ok = WriteSettingsFile(settingsPath, options, error);
        if (ok)
            done.files.push_back(settingsPath);
    }
    if (ok)
        ok = step(base + ".truth.csv", WriteTruthFile);
    if (written)
        *written = done;
    return ok;
}

} // namespace synth
