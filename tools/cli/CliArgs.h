#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// Command-line words: positional arguments, "--name value" or "--flag" options, and short
// options "-x value" or "-xvalue" that stand for a long name.
class CliArgs {
public:
    // flagOptions take no value; every other "--name" takes the next word. shortOptions maps
    // a letter to the long name it stands for; any other "-x" word is refused.
    bool Parse(int argc, char** argv, int first, const std::vector<std::string>& flagOptions,
               std::string* error, const std::map<char, std::string>& shortOptions = {});

    const std::vector<std::string>& Positional() const { return positional_; }
    bool Has(const std::string& name) const { return options_.count(name) > 0; }
    std::optional<std::string> Value(const std::string& name) const;
    // The option as it was written ("-j" or "--jobs"), for messages.
    std::string Spelling(const std::string& name) const;
    // Checks that every option given is one of `known`.
    bool OnlyKnown(const std::vector<std::string>& known, std::string* error) const;
    // An integer option; false with a message when it is not a whole number.
    bool IntValue(const std::string& name, int fallback, int* value, std::string* error) const;
    // -j/--jobs: segments read at a time, 0 (one per core) when not given; false with a message
    // when it is not a whole number of 1 or more.
    bool JobsValue(int* jobs, std::string* error) const;

    // The working directory: --workdir, else the current directory.
    std::string WorkDirectory() const;
    // defaultPath itself, or its file name inside the folder given with --out-dir.
    std::string OutputPath(const std::string& defaultPath) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
    std::map<std::string, std::string> spellings_;
};
