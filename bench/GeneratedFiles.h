#pragma once

#include "synth/Synth.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

// Raw files made by the generator once per benchmark run, in a folder removed at exit.
class GeneratedFiles {
public:
    static GeneratedFiles& Get() {
        static GeneratedFiles files;
        return files;
    }

    std::string Make(const std::string& name, int groups) {
        synth::Options options;
        options.outBase = dir_ + "/" + name;
        options.groups = groups;
        options.channels = 5;
        options.gpr = synth::Options::Gpr::None;
        options.pictures = 0;
        options.writeCompanions = false;
        std::string error;
        if (!synth::Generate(options, nullptr, &error))
            throw std::runtime_error("cannot generate " + name + ": " + error);
        return options.outBase + ".KVT";
    }

    const std::string& Dir() const { return dir_; }

private:
    GeneratedFiles() {
        char pattern[] = "/tmp/vorlix-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            throw std::runtime_error("cannot create a folder for the benchmark files");
        dir_ = made;
    }
    ~GeneratedFiles() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string dir_;
};
