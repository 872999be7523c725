#pragma once

#include <map>
#include <string>
#include <vector>

// The files written by one run of a command over several raw files, so that a later raw file
// never silently replaces what an earlier one wrote (two files of one name from two folders
// with --out-dir, or NAME.KVT beside NAME.kvt). The same raw file named twice may write again.
class OutputLedger {
public:
    // The raw file that wrote one of `outputs` earlier in this run, when it is another file
    // than `input`; empty when there is none.
    std::string EarlierWriter(const std::string& input,
                              const std::vector<std::string>& outputs) const;
    void Record(const std::string& input, const std::vector<std::string>& outputs);

private:
    static std::string Normal(const std::string& path);

    std::map<std::string, std::string> writers_; // output, normalised -> raw file as given
};
