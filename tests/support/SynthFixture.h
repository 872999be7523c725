#pragma once

#include "support/TempDir.h"
#include "synth/Synth.h"

#include <string>

// Generated test files in a temporary folder, for tests that need real raw and companion files.
struct SynthFiles {
    bool ok = false;
    std::string error;
    std::string base; // folder/name without extension
    std::string kvt, gps, img, dat, truth;
    std::string settings; // Vorlixcontrol.dat, in the same folder unless options.workDir is set
    synth::Options options;
};

// A short test (100 s, about 1500 ft at 10 mph) with a few pictures: quick to write and read.
inline synth::Options SmallSynthOptions() {
    synth::Options options;
    options.groups = 400, options.pictures = 8;
    return options;
}

// A test of `groups` groups without pictures or GPR scans, which the analysis alone needs.
inline synth::Options PlainRoad(int groups) {
    synth::Options options = SmallSynthOptions();
    options.groups = groups, options.pictures = 0, options.gpr = synth::Options::Gpr::None;
    return options;
}

// Writes the files of `options` (outBase replaced by dir/name) into dir. Small by default:
// pass options with more groups when a test needs a longer road.
inline SynthFiles GenerateSynthFiles(const TempDir& dir,
                                     synth::Options options = SmallSynthOptions(),
                                     const std::string& name = "road") {
    SynthFiles files;
    files.base = dir.File(name);
    options.outBase = files.base;
    files.options = options, files.kvt = files.base + ".KVT", files.gps = files.base + ".GPS";
    files.img = files.base + ".IMG", files.dat = files.base + ".DAT";
    files.truth = files.base + ".truth.csv";
    files.settings =
        (options.workDir.empty() ? dir.Path() : options.workDir) + "/Vorlixcontrol.dat";
    files.ok = synth::Generate(options, nullptr, &files.error);
    return files;
}
