#include "pipeline/ResultExport.h"

#include "document/AtomicFileWriter.h"
#include "document/CVorlixDoc.h"
#include "document/Capacities.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using namespace resultexport;

// Each read of the export records its segment as the document's current one; the segment
// the user was looking at is the current one again however the export ends.
class KeepShownSegment {
public:
    explicit KeepShownSegment(CKVTcontrol& options)
        : options_(options), shown_(options.currentSegment) {}
    ~KeepShownSegment() { options_.currentSegment = shown_; }
    KeepShownSegment(const KeepShownSegment&) = delete;
    KeepShownSegment& operator=(const KeepShownSegment&) = delete;

private:
    CKVTcontrol& options_;
    std::int32_t shown_;
};

// One segment's share of both files, made by the worker that read the segment and written by
// the caller in segment order.
struct SegmentOutput {
    bool ready = false;
    std::string failure; // why the export stops at this segment; empty when it was read
    std::string text;
    std::vector<std::uint8_t> records;
    std::vector<float> distance; // the results themselves, for a profile
    std::vector<float> value;
    std::int64_t resultCount = 0;
};

// What each segment's output holds: the lines and records of the files, the results as they
// are, or both.
struct OutputKinds {
    bool files = true;
    bool values = false;
};

// A text line of two numbers that fit their columns.
constexpr std::size_t kUsualLineLength = 24;

// The document's current results as text lines and binary records, and as they are.
void FormatResults(const CVorlixDoc& doc, OutputKinds kinds, SegmentOutput& out) {
    const int count = std::clamp(doc.resultCount, 0, static_cast<int>(kCycleCapacity));
    out.resultCount = count;
    if (kinds.values) {
        out.distance.assign(doc.resultDistance.data(), doc.resultDistance.data() + count);
        out.value.assign(doc.resultValue.data(), doc.resultValue.data() + count);
    }
    if (!kinds.files)
        return;
    out.records.resize(static_cast<std::size_t>(count) * kRdoRecordBytes);
    out.text.reserve(static_cast<std::size_t>(count) * kUsualLineLength);
    char line[128];
    for (int j = 0; j < count; ++j) {
        const float distance = doc.resultDistance[j];
        const float value = doc.resultValue[j];
        out.text.append(line, FormatResultLine(distance, value, line, sizeof line));
        StoreResultRecord(distance, value,
                          out.records.data() + static_cast<std::size_t>(j) * kRdoRecordBytes);
    }
}

// How a message on a segment begins.
std::string Where(int segment, int total) {
    return "Segment " + std::to_string(segment + 1) + " of " + std::to_string(total) + ": ";
}

// Reads segment `segment` of `total` into the document with `read` and formats its results.
SegmentOutput ReadSegmentOutput(CVorlixDoc& doc, const SegmentReader& read, int segment, int total,
                                OutputKinds kinds) {
    SegmentOutput out;
    const std::string where = Where(segment, total);
    // Results left from the previous segment must never be written a second time.
    doc.resultCount = 0;
    const LoadResult load = read(doc, segment, kExportSmoothing);
    if (load.analysisFailed) {
        out.failure = where + "analysis failed: " + load.message;
    } else if (!load.segmentRead) {
        out.failure = where + load.message;
    } else if (doc.options.currentSegment != segment || doc.options.segmentCount != total) {
        // A file that changed on disk gives another segment table; the loader would then read
        // some other segment than the one asked for.
        out.failure = where + "\"" + doc.rawPath + "\" changed during the export (now " +
                      std::to_string(doc.options.segmentCount) + " segments).";
    } else {
        FormatResults(doc, kinds, out);
    }
    return out;
}

// Takes one segment's output, in segment order; false with status.message to stop.
using OutputSink = std::function<bool(const SegmentOutput&, ExportStatus&)>;

// Appends one segment's results to a profile.
void AppendValues(const SegmentOutput& out, sections::Profile& profile) {
    profile.distance.insert(profile.distance.end(), out.distance.begin(), out.distance.end());
    profile.value.insert(profile.value.end(), out.value.begin(), out.value.end());
}

// Appends one segment's results to both files; the binary header comes with the first record,
// so an export without results leaves both files empty.
bool WriteOutput(const SegmentOutput& out, AtomicFileWriter& txt, AtomicFileWriter& rdo,
                 ExportStatus& status) {
    if (out.resultCount == 0)
        return true;
    if (status.resultCount == 0) {
        const std::uint8_t header[kRdoHeaderBytes] = {};
        if (!rdo.Write(header, sizeof header)) {
            status.message = rdo.Error();
            return false;
        }
    }
    if (!txt.Write(out.text.data(), out.text.size())) {
        status.message = txt.Error();
        return false;
    }
    if (!rdo.Write(out.records.data(), out.records.size())) {
        status.message = rdo.Error();
        return false;
    }
    return true;
}

// The segments of one export, handed out in order to the workers, and their outputs until
// the caller writes them in order. A worker keeps at most `ahead` segments beyond the last one
// written, so the outputs waiting stay few however slow one segment is.
class SegmentQueue {
public:
    SegmentQueue(int total, int ahead)
        : outputs_(static_cast<std::size_t>(total)), limit_(total), ahead_(ahead) {}

    // The next segment to read, or -1 when none is left to hand out. A worker waits while it
    // would be too far ahead; the caller (wait false) does not and gets -1 instead.
    int Claim(bool wait) {
        std::unique_lock lock(mutex_);
        auto open = [this] { return next_ < written_ + ahead_; };
        if (wait)
            changed_.wait(lock, [&] { return next_ >= limit_ || open(); });
        if (next_ >= limit_ || !open())
            return -1;
        return next_++;
    }

    // Stores a segment's output. A failed segment stops the hand-out: the export ends there.
    void Finish(int segment, SegmentOutput output) {
        {
            std::lock_guard lock(mutex_);
            SegmentOutput& slot = outputs_[static_cast<std::size_t>(segment)];
            slot = std::move(output);
            slot.ready = true;
            if (!slot.failure.empty())
                limit_ = std::min(limit_, segment);
        }
        changed_.notify_all();
    }

    // Moves out the output of `segment` if it is ready.
    bool Take(int segment, SegmentOutput* out) {
        std::lock_guard lock(mutex_);
        SegmentOutput& slot = outputs_[static_cast<std::size_t>(segment)];
        if (!slot.ready)
            return false;
        *out = std::move(slot);
        slot = SegmentOutput();
        return true;
    }

    // Waits until the output of `segment`, handed out already, is ready.
    void WaitFor(int segment) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return outputs_[static_cast<std::size_t>(segment)].ready; });
    }

    // `count` segments are written: the workers may go further.
    void Written(int count) {
        {
            std::lock_guard lock(mutex_);
            written_ = count;
        }
        changed_.notify_all();
    }

    // No segment is handed out any more; the workers finish the one they read and end.
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            limit_ = 0;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SegmentOutput> outputs_;
    int next_ = 0;    // the next segment to hand out
    int limit_;       // no segment from here on is handed out
    int written_ = 0; // segments written
    int ahead_;
};

// The worker threads of one export, each with a document and a segment reader of its own.
// Stops and joins them however the export ends.
class SegmentWorkers {
public:
    SegmentWorkers(SegmentQueue& queue, int total, OutputKinds kinds)
        : queue_(queue), total_(total), kinds_(kinds) {}
    ~SegmentWorkers() {
        queue_.Stop();
        for (std::thread& t : threads_)
            t.join();
    }
    SegmentWorkers(const SegmentWorkers&) = delete;
    SegmentWorkers& operator=(const SegmentWorkers&) = delete;

    // Starts up to `count` workers reading the file of `doc` with its settings; fewer when
    // the memory or the threads for more are lacking. Returns how many run.
    int Start(const CVorlixDoc& doc, const SegmentReaderFactory& makeReader, int count) {
        for (int k = 0; k < count; ++k) {
            try {
                auto worker = std::make_unique<Worker>();
                worker->doc = std::make_unique<CVorlixDoc>(SettingsFolder(doc));
                TakeSettings(doc, *worker->doc);
                worker->read = makeReader();
                Worker& w = *worker;
                workers_.push_back(std::move(worker));
                threads_.emplace_back([this, &w] { Run(w); });
            } catch (const std::bad_alloc&) {
                break;
            } catch (const std::system_error&) {
                break;
            }
        }
        return static_cast<int>(threads_.size());
    }

private:
    struct Worker {
        std::unique_ptr<CVorlixDoc> doc;
        SegmentReader read;
    };

    static std::string SettingsFolder(const CVorlixDoc& doc) {
        const std::string folder =
            std::filesystem::path(doc.options.settingsPath).parent_path().string();
        return folder.empty() ? "." : folder;
    }

    // What the segment read and the analysis take from the document besides the segment.
    static void TakeSettings(const CVorlixDoc& from, CVorlixDoc& to) {
        to.options = from.options;
        to.rawPath = from.rawPath;
        to.channels = from.channels;
        to.loadFrequency = from.loadFrequency;
        to.sampleRate = from.sampleRate;
    }

    SegmentOutput Failed(int segment, const std::string& why) const {
        SegmentOutput out;
        out.failure = Where(segment, total_) + why;
        return out;
    }

    void Run(Worker& w) {
        for (;;) {
            const int segment = queue_.Claim(true);
            if (segment < 0)
                return;
            // An exception, which would leave the caller's own read and the export, stops the
            // export at this segment instead.
            SegmentOutput out;
            try {
                out = ReadSegmentOutput(*w.doc, w.read, segment, total_, kinds_);
            } catch (const std::exception& e) {
                out = Failed(segment, e.what());
            } catch (...) {
                out = Failed(segment, "unexpected error");
            }
            queue_.Finish(segment, std::move(out));
        }
    }

    SegmentQueue& queue_;
    int total_;
    OutputKinds kinds_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::thread> threads_;
};

// Reads every segment, the caller's document taking its share, and hands them to `sink` in
// order.
bool ExportSegments(CVorlixDoc& doc, const SegmentReader& readSegment,
                    const SegmentReaderFactory& makeReader, int jobs, OutputKinds kinds,
                    const OutputSink& sink, const ProgressCallback& progress,
                    const CancelCheck& cancelled, ExportStatus& status) {
    const int total = doc.options.segmentCount;
    if (progress)
        progress(0, total);
    SegmentQueue queue(std::max(total, 0), 2 * jobs);
    SegmentWorkers workers(queue, total, kinds);
    status.jobs = 1 + (jobs > 1 && makeReader ? workers.Start(doc, makeReader, jobs - 1) : 0);
    for (int written = 0; written < total;) {
        if (cancelled && cancelled()) {
            status.message = kCancelledMessage;
            return false;
        }
        SegmentOutput out;
        if (queue.Take(written, &out)) {
            if (!out.failure.empty()) {
                status.message = out.failure;
                return false;
            }
            if (!sink(out, status))
                return false;
            status.resultCount += out.resultCount;
            queue.Written(++written);
            ++status.segmentCount;
            if (progress)
                progress(written, total);
            continue;
        }
        const int segment = queue.Claim(false);
        if (segment >= 0)
            queue.Finish(segment, ReadSegmentOutput(doc, readSegment, segment, total, kinds));
        else
            queue.WaitFor(written);
    }
    return true;
}

// The one path of the export and of the profile: every segment read with the export's
// smoothing, options.jobs at a time, handed to `sink` in order, the shown segment kept.
bool ReadEverySegment(CVorlixDoc& doc, const SegmentReader& readSegment,
                      const SegmentReaderFactory& makeReader, const ExportOptions& options,
                      OutputKinds kinds, const OutputSink& sink, const ProgressCallback& progress,
                      const CancelCheck& cancelled, ExportStatus& status) {
    const KeepShownSegment keep(doc.options);
    const int jobs = makeReader ? ExportJobs(options.jobs, doc.options.segmentCount) : 1;
    return ExportSegments(doc, readSegment, makeReader, jobs, kinds, sink, progress, cancelled,
                          status);
}

// Back to the segment the user was looking at, analysed with the user's own settings.
void ReloadShown(CVorlixDoc& doc, const SegmentReader& readSegment, int shown,
                 const ExportOptions& options, ExportStatus& status) {
    if (!options.reloadShownSegment)
        return;
    status.finalReloadRun = true;
    status.finalLoad = readSegment(doc, shown, smoothing::SettingsOf(doc.options));
}

SegmentReaderFactory LoaderReaders() {
    using smoothing::SmoothingSettings;
    return [] {
        auto own = std::make_shared<RawFileLoader>();
        return SegmentReader([own](CVorlixDoc& d, int segment, const SmoothingSettings& smoothing) {
            return own->ReadSegment(d, segment, smoothing);
        });
    };
}

SegmentReader LoaderReader(RawFileLoader& loader) {
    return [&loader](CVorlixDoc& d, int segment, const smoothing::SmoothingSettings& smoothing) {
        return loader.ReadSegment(d, segment, smoothing);
    };
}

} // namespace

int ExportJobs(int requested, int segmentCount) {
    const int jobs =
        requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min(jobs, segmentCount));
}

ExportStatus ExportResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                               const SegmentReaderFactory& makeReader, const std::string& txtPath,
                               const std::string& rdoPath, const ExportOptions& options,
                               const ProgressCallback& progress, const CancelCheck& cancelled) {
    ExportStatus status;
    if (doc.rawPath.empty()) {
        status.message = "No raw data file is open.";
        return status;
    }
    if (txtPath.empty() || rdoPath.empty() || txtPath == rdoPath) {
        status.message = "The export needs two different file names.";
        return status;
    }
    // Refused before the work rather than at the end of it.
    for (const std::string* path : {&txtPath, &rdoPath}) {
        status.message = AtomicFileWriter::FolderInTheWay(*path);
        if (!status.message.empty())
            return status;
    }
    AtomicFileWriter txt, rdo;
    if (!txt.Open(txtPath)) {
        status.message = txt.Error();
        return status;
    }
    if (!rdo.Open(rdoPath)) {
        status.message = rdo.Error();
        return status;
    }

    const int shown = doc.options.currentSegment;
    sections::Profile* profile = options.profile;
    if (profile)
        *profile = {};
    const OutputSink write = [&](const SegmentOutput& out, ExportStatus& s) {
        if (!WriteOutput(out, txt, rdo, s))
            return false;
        if (profile)
            AppendValues(out, *profile);
        return true;
    };
    status.ok = ReadEverySegment(doc, readSegment, makeReader, options,
                                 OutputKinds{.files = true, .values = profile != nullptr}, write,
                                 progress, cancelled, status);
    if (status.ok && !AtomicFileWriter::CommitBoth(txt, rdo, &status.message))
        status.ok = false;
    if (!status.ok) {
        status.resultCount = 0;
        if (profile)
            *profile = {};
    }
    txt.Abandon();
    rdo.Abandon();
    ReloadShown(doc, readSegment, shown, options, status);
    return status;
}

ExportStatus CollectResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                                const SegmentReaderFactory& makeReader, sections::Profile& profile,
                                const ExportOptions& options, const ProgressCallback& progress,
                                const CancelCheck& cancelled) {
    ExportStatus status;
    profile = {};
    if (doc.rawPath.empty()) {
        status.message = "No raw data file is open.";
        return status;
    }
    const int shown = doc.options.currentSegment;
    const OutputSink collect = [&profile](const SegmentOutput& out, ExportStatus&) {
        AppendValues(out, profile);
        return true;
    };
    status.ok = ReadEverySegment(doc, readSegment, makeReader, options,
                                 OutputKinds{.files = false, .values = true}, collect, progress,
                                 cancelled, status);
    if (!status.ok) {
        status.resultCount = 0;
        profile = {};
    }
    ReloadShown(doc, readSegment, shown, options, status);
    return status;
}

ExportStatus CollectResults(CVorlixDoc& doc, RawFileLoader& loader, sections::Profile& profile,
                            const ExportOptions& options, const ProgressCallback& progress,
                            const CancelCheck& cancelled) {
    return CollectResultsWith(doc, LoaderReader(loader), LoaderReaders(), profile, options,
                              progress, cancelled);
}

ExportStatus ExportResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                               const std::string& txtPath, const std::string& rdoPath,
                               const ProgressCallback& progress, const CancelCheck& cancelled) {
    return ExportResultsWith(doc, readSegment, {}, txtPath, rdoPath, ExportOptions{}, progress,
                             cancelled);
}

ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const std::string& txtPath,
                           const std::string& rdoPath, const ExportOptions& options,
                           const ProgressCallback& progress, const CancelCheck& cancelled) {
    return ExportResultsWith(doc, LoaderReader(loader), LoaderReaders(), txtPath, rdoPath, options,
                             progress, cancelled);
}

ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const std::string& txtPath,
                           const std::string& rdoPath, const ProgressCallback& progress,
                           const CancelCheck& cancelled) {
    return ExportResults(doc, loader, txtPath, rdoPath, ExportOptions{}, progress, cancelled);
}

ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const ProgressCallback& progress,
                           const CancelCheck& cancelled) {
    return ExportResults(doc, loader, doc.txtPath, doc.rdoPath, progress, cancelled);
}
