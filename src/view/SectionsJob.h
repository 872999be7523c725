#pragma once

#include "analysis/Sections.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The sections and flags of a whole raw file, computed on a worker thread: the export's own
// profile read (a document and loader of the worker's own), then the method. Progress and the
// outcome come back on the thread that owns the job. A new start or Cancel() drops the run in
// progress; its thread is left to stop at its next segment and joined later, so the window
// never waits for it.
class SectionsJob : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        bool ok = false;
        std::string message; // why there is no result
        std::string rawPath;
        sections::Result result;
        sections::Profile profile; // what the result was found in, for the map
        int segmentCount = 0;
    };

    // Called on the owner's thread, only for the run started last.
    std::function<void(long long done, long long total)> onProgress;
    std::function<void(const Outcome&)> onFinished;

    SectionsJob() = default;
    ~SectionsJob() override; // cancels and waits for every thread it started

    void Start(const std::string& rawPath, const std::string& workDirectory,
               const sections::Parameters& parameters);
    void Cancel();
    bool Running() const { return running_; }

    // The same computation on the caller's thread.
    static Outcome Compute(const std::string& rawPath, const std::string& workDirectory,
                           const sections::Parameters& parameters,
                           const std::function<void(long long, long long)>& progress = {},
                           const std::function<bool()>& cancelled = {});

private:
    struct Run {
        std::atomic<bool> cancelled{false};
        std::atomic<bool> done{false};
        std::thread thread;
    };
    void JoinFinished();

    std::vector<std::unique_ptr<Run>> runs_;
    unsigned generation_ = 0;
    bool running_ = false;
};
