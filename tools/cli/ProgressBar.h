#pragma once

#include "document/Progress.h"

#include <string>

// A one-line progress bar on stderr, drawn only when stderr is a terminal, so redirected
// output and logs stay clean.
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(long long done, long long total);
    // Clears the bar's line, so messages that follow start on a clean line.
    void Finish();
    // An Update callback for the export and conversion functions.
    ProgressCallback Callback();

    bool Enabled() const { return enabled_; }

private:
    std::string label_;
    bool enabled_ = false;
    bool drawn_ = false;
    int lastPermille_ = -1;
};
