#include "view/SectionsJob.h"

#include "pipeline/SectionsExport.h"

#include <QThread>

#include <algorithm>
#include <utility>

SectionsJob::~SectionsJob() {
    for (auto& run : runs_)
        run->cancelled = true;
    for (auto& run : runs_)
        if (run->thread.joinable())
            run->thread.join();
}

SectionsJob::Outcome SectionsJob::Compute(const std::string& rawPath,
                                          const std::string& workDirectory,
                                          const sections::Parameters& parameters,
                                          const std::function<void(long long, long long)>& progress,
                                          const std::function<bool()>& cancelled) {
    Outcome outcome;
    outcome.rawPath = rawPath;
    ExportOptions options;
    // One core stays with the window.
    options.jobs = std::max(1, QThread::idealThreadCount() - 1);
    options.reloadShownSegment = false;
    sectionsexport::ProfileStatus status =
        sectionsexport::CollectProfileOf(rawPath, workDirectory, options, progress, cancelled);
    outcome.segmentCount = status.segmentCount;
    if (!status.ok) {
        outcome.message = status.message;
        return outcome;
    }
    outcome.result = sections::Analyse(status.profile, parameters);
    outcome.profile = std::move(status.profile);
    outcome.ok = true;
    return outcome;
}

void SectionsJob::Start(const std::string& rawPath, const std::string& workDirectory,
                        const sections::Parameters& parameters) {
    Cancel();
    JoinFinished();
    const unsigned generation = ++generation_;
    running_ = true;
    auto run = std::make_unique<Run>();
    Run* shared = run.get();
    // The thread touches the job only through queued calls, which Qt drops once the job is
    // gone; the destructor joins it before that can happen.
    run->thread = std::thread([this, shared, generation, rawPath, workDirectory, parameters] {
        auto progress = [this, generation](long long done, long long total) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation == generation_ && running_ && onProgress)
                        onProgress(done, total);
                },
                Qt::QueuedConnection);
        };
        auto cancelled = [shared] { return shared->cancelled.load(); };
        Outcome outcome = Compute(rawPath, workDirectory, parameters, progress, cancelled);
        const bool dropped = shared->cancelled.load();
        shared->done = true;
        if (dropped)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, outcome = std::move(outcome)] {
                if (generation != generation_ || !running_)
                    return;
                running_ = false;
                JoinFinished();
                if (onFinished)
                    onFinished(outcome);
            },
            Qt::QueuedConnection);
    });
    runs_.push_back(std::move(run));
}

void SectionsJob::Cancel() {
    for (auto& run : runs_)
        run->cancelled = true;
    running_ = false;
}

void SectionsJob::JoinFinished() {
    for (auto it = runs_.begin(); it != runs_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = runs_.erase(it);
        } else {
            ++it;
        }
    }
}
