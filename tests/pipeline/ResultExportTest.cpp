#include "pipeline/ResultExport.h"
#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/ConversionExport.h"
#include "pipeline/RawFileLoader.h"
#include "support/RawFileBuilder.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using namespace resultexport;
// The result of a read of a segment, in the export or not.
using Fail = std::function<LoadResult(CVorlixDoc&, int segment, bool exporting)>;

std::string Record(float distance, float value) {
    std::uint8_t bytes[kRdoRecordBytes];
    StoreResultRecord(distance, value, bytes);
    return std::string(bytes, bytes + kRdoRecordBytes);
}

LoadResult Loaded(bool read, bool failed, const char* message) {
    LoadResult r;
    r.segmentRead = read, r.analysisFailed = failed, r.message = message;
    return r;
}

TEST(ResultExportFormat, TextLineAndBinaryRecordByteForByte) {
    EXPECT_EQ(ResultLine(-3.125f, -12.34567f), "      -3.12   -12.3457\r\n");
    // Wider numbers push the columns on rather than being cut.
    EXPECT_EQ(ResultLine(123456789.0f, 1.0f), " 123456792.00     1.0000\r\n");
    EXPECT_EQ(Record(512.25f, 0.5f), std::string("\x00\x10\x00\x44\x00\x00\x00\x3F", 8));
    // A short buffer takes what fits, always terminated. Size, then the length written.
    const std::size_t buffers[][2] = {{128, 24}, {127, 24}, {25, 24}, {24, 23}, {1, 0}, {0, 0}};
    for (const auto& [size, length] : buffers) {
        char out[128] = "x";
        EXPECT_EQ(FormatResultLine(512.25f, 0.5f, out, size), length);
        EXPECT_EQ(out, std::string(size ? "     512.25     0.5000\r\n" : "x", size ? length : 1));
    }
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    // Jobs asked, segments, then the workers an export uses.
    const int jobs[][3] = {{1, 6, 1}, {2, 6, 2}, {8, 5, 5},      {3, 1, 1},
                           {2, 0, 1}, {0, 1, 1}, {0, 64, cores}, {-4, 64, cores}};
    for (const auto& [asked, segments, used] : jobs)
        EXPECT_EQ(ExportJobs(asked, segments), used) << asked << " jobs, " << segments;
}

// A made-up file of 4 segments read without a file: segment s gives counts[s] results (none
// leaves the document's count alone) whose numbers carry the settings the read saw.
class ResultExportTest : public ::testing::Test {
protected:
    void Reset() {
        doc->rawPath = "raw.KVT", doc->options.segmentCount = 4, doc->options.currentSegment = 1;
        doc->options.smoothMethod = 0, doc->options.averageDistance = 3.5f;
        doc->loadFrequency = 25.0f, doc->sampleRate = 2000.0f;
        doc->resultCount = 5; // left from before: never exported
        reads.clear();
        std::ofstream(dir.File("out.TXT"), std::ios::binary) << "old text";
        std::ofstream(dir.File("out.RDO"), std::ios::binary) << "old binary";
    }

    // A read whose result `fail` may replace. The caller's (record) notes the segments read,
    // the final re-read (with the user's own smoothing) as 10 + segment; 99 for any other.
    SegmentReader Reader(Fail fail, bool record = true) {
        return [this, fail, record](CVorlixDoc& d, int s, const smoothing::SmoothingSettings& m) {
            d.options.currentSegment = s; // as the loader records it
            const bool exporting = m.method == 2 && m.averageDistance == 1.0f;
            const bool own = m.method == 0 && m.averageDistance == 3.5f;
            // The user's settings, in the caller's document and every worker's, stay as set.
            const bool untouched = d.options.smoothMethod == 0 && d.options.averageDistance == 3.5f;
            if (record)
                reads.push_back(!untouched ? 99 : exporting ? s : own ? 10 + s : 99);
            const LoadResult r = fail ? fail(d, s, exporting) : LoadResult{};
            for (int j = 0; r.message.empty() && j < counts[static_cast<std::size_t>(s)]; ++j) {
                d.resultDistance[j] = 100.0f * s + j + d.loadFrequency + d.sampleRate / 1000.0f;
                d.resultValue[j] = s + 0.25f * j + 10.0f * m.method + 100.0f * m.averageDistance +
                                   1000.0f * untouched + d.rawPath.size();
                d.resultCount = j + 1;
            }
            return r.message.empty() ? Loaded(true, false, "") : r;
        };
    }

    void ExpectSettingsKept() {
        const CKVTcontrol& o = doc->options;
        EXPECT_EQ(std::tuple(o.smoothMethod, o.averageDistance, o.currentSegment),
                  std::tuple(0, 3.5f, 1));
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc = std::make_unique<CVorlixDoc>(dir.Path());
    std::vector<int> counts = {0, 2, 0, 1, 0, 0, 0, 0};
    std::vector<int> reads;
};

// Segments are written in order whoever reads them: the caller alone, or workers each with a
// document of its own (and the caller's settings), the first segment coming last.
TEST_F(ResultExportTest, WritesEverySegmentInOrderThenRereadsTheSegmentShown) {
    const Fail firstLate = [](CVorlixDoc&, int segment, bool) {
        std::this_thread::sleep_for(std::chrono::milliseconds(segment == 0) * 5);
        return LoadResult{};
    };
    for (int jobs : {1, 2, 4, 9}) {
        SCOPED_TRACE(jobs);
        Reset();
        std::string progress;
        const ExportStatus status = ExportResultsWith(
            *doc, Reader(firstLate), [&] { return Reader(firstLate, false); }, dir.File("out.TXT"),
            dir.File("out.RDO"), ExportOptions{.jobs = jobs},
            [&](long long done, long long total) {
                progress += std::to_string(done) + "/" + std::to_string(total) + " ";
            });
        ASSERT_TRUE(status.ok) << status.message;
        EXPECT_EQ(std::tuple(status.segmentCount, status.resultCount, status.jobs),
                  std::tuple(4, 3, std::min(jobs, 4)));
        // Smoothing 2 with 1 ft, the user's untouched, "raw.KVT": values 1127 + s + 0.25 j.
        EXPECT_EQ(ReadFile(dir.File("out.TXT")), "     127.00  1128.0000\r\n"
                                                 "     128.00  1128.2500\r\n"
                                                 "     327.00  1130.0000\r\n");
        EXPECT_EQ(ReadFile(dir.File("out.RDO")), std::string(400, '\0') + Record(127, 1128) +
                                                     Record(128, 1128.25f) + Record(327, 1130));
        EXPECT_TRUE(jobs > 1 ? std::is_sorted(reads.begin(), reads.end()) && reads[0] >= 0
                             : reads == std::vector<int>({0, 1, 2, 3, 11}));
        EXPECT_TRUE(reads.back() == 11 && status.finalReloadRun && status.finalLoad.segmentRead);
        ExpectSettingsKept();
        EXPECT_EQ(progress, "0/4 1/4 2/4 3/4 4/4 ");
    }
    // No results at all: both files empty, without the binary header.
    counts = {0, 0, 0, 0};
    const ExportStatus none =
        ExportResultsWith(*doc, Reader(nullptr), dir.File("out.TXT"), dir.File("out.RDO"));
    EXPECT_TRUE(none.ok && none.resultCount == 0) << none.message;
    EXPECT_EQ(ReadFile(dir.File("out.TXT")) + ReadFile(dir.File("out.RDO")), "");
}

// The profile of the sections is what the export writes, whether the export writes files or
// only reads the segments; empty when a segment fails.
TEST_F(ResultExportTest, ProfileHoldsWhatTheExportWrites) {
    const sections::Profile written{{127, 128, 327}, {1128, 1128.25, 1130}};
    const auto failAt3 = [](CVorlixDoc&, int s, bool) {
        return s == 3 ? Loaded(false, false, "disk gone") : LoadResult{};
    };
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        Reset();
        sections::Profile exported{{1}, {1}}, collected{{1}, {1}};
        const auto workers = [&] { return Reader(nullptr, false); };
        EXPECT_TRUE(ExportResultsWith(*doc, Reader(nullptr), workers, dir.File("out.TXT"),
                                      dir.File("out.RDO"), {.jobs = jobs, .profile = &exported})
                        .ok);
        EXPECT_TRUE(
            CollectResultsWith(*doc, Reader(nullptr), workers, collected, {.jobs = jobs}).ok);
        EXPECT_EQ(std::tie(exported.distance, exported.value, collected.distance, collected.value),
                  std::tie(written.distance, written.value, written.distance, written.value));
        EXPECT_EQ(reads.back(), 11); // the shown segment re-read after each
        // Not re-read, the segment shown stays the one the user chose.
        EXPECT_TRUE(CollectResultsWith(*doc, Reader(nullptr), workers, collected,
                                       {.jobs = jobs, .reloadShownSegment = false})
                        .ok);
        ExpectSettingsKept();

        const auto failing = [&] { return Reader(failAt3, false); };
        EXPECT_FALSE(ExportResultsWith(*doc, Reader(failAt3), failing, dir.File("out.TXT"),
                                       dir.File("out.RDO"), {.jobs = jobs, .profile = &exported})
                         .ok);
        const ExportStatus failed =
            CollectResultsWith(*doc, Reader(failAt3), failing, collected, {.jobs = jobs});
        EXPECT_EQ(std::pair(failed.message, failed.resultCount),
                  std::pair(std::string("Segment 4 of 4: disk gone"), std::int64_t{0}));
        EXPECT_TRUE(exported.value.empty() && collected.value.empty() &&
                    collected.distance.empty());
    }
}

// Every way an export fails, with workers too: the message says why (the first failing segment
// in order, as the serial export would); out.TXT and out.RDO keep an earlier export's bytes.
TEST_F(ResultExportTest, FailedExportSaysWhyAndReplacesNothing) {
    // `result` for the read of `segment` in the export; a count changes the segment table, as
    // a file changed on disk does (the loader then reads another segment).
    auto at = [](int segment, LoadResult result, int count = 0, int current = 0) {
        return Fail([=](CVorlixDoc& d, int s, bool exporting) {
            if (!exporting || s != segment)
                return LoadResult{};
            d.options.segmentCount = count ? count : d.options.segmentCount;
            d.options.currentSegment = count ? current : segment;
            return result;
        });
    };
    const Fail lateAndEarly = [&](CVorlixDoc& d, int s, bool exporting) {
        std::this_thread::sleep_for(std::chrono::milliseconds(s == 1) * 20);
        const LoadResult r =
            at(1, Loaded(true, true, "Math Exception: Invalid band."))(d, s, exporting);
        return r.message.empty() ? at(2, Loaded(false, false, "disk gone"))(d, s, exporting) : r;
    };
    // A worker's exception stops the export at its segment; the caller waits for it.
    std::atomic<int> thrownAt = -1;
    const Fail throwing = [&](CVorlixDoc&, int s, bool) -> LoadResult {
        thrownAt = s;
        throw std::runtime_error("bad block");
    };
    const Fail waitForWorker = [&](CVorlixDoc&, int, bool) {
        for (int i = 0; i < 1000 && thrownAt < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return LoadResult{};
    };
    const std::string d = dir.Path() + "/", T = "out.TXT", R = "out.RDO";
    // A folder appearing under the text's name during the export: its rename fails.
    const Fail mkdir = [&](CVorlixDoc&, int, bool) {
        std::filesystem::create_directory(d + "late");
        return LoadResult{};
    };
    const char *all = "0 1 2 3 11", *none = "";
    const struct Case {
        Fail fail;
        std::size_t cancelAfter; // progress calls before a cancel
        rlim_t fileSize;         // above 100 kB segment 1 gives more than the writer's buffer
        std::string message;     // "@" stands for the segment a worker threw at
        const char* reads;       // by the caller; null with workers
        std::string txt = "out.TXT", rdo = "out.RDO";
        int jobs = 1;
        Fail workerFail = nullptr;
        int segments = 4;
    } cases[] = {
        {at(2, Loaded(false, false, "disk gone")), 0, 0, "Segment 3 of 4: disk gone", "0 1 2 11"},
        {at(0, Loaded(true, true, "Math Exception: Order must be > 0.")), 0, 0,
         "Segment 1 of 4: analysis failed: Math Exception: Order must be > 0.", "0 11"},
        // A file that shrank once had its last segment exported twice.
        {at(1, Loaded(true, false, "-"), 1, 0), 0, 0,
         "Segment 2 of 4: \"raw.KVT\" changed during the export (now 1 segments).", "0 1 11"},
        {at(3, Loaded(true, false, "-"), 5, 3), 0, 0,
         "Segment 4 of 4: \"raw.KVT\" changed during the export (now 5 segments).", all},
        {at(2, Loaded(true, false, "-"), 4, 1), 0, 0,
         "Segment 3 of 4: \"raw.KVT\" changed during the export (now 4 segments).", "0 1 2 11"},
        // Cancelled once the first segment is written: no further segment is read.
        {nullptr, 2, 0, kCancelledMessage, "0 11"},
        {nullptr, 0, 0, "No raw data file is open.", none},
        {nullptr, 0, 0, "The export needs two different file names.", none, T, T},
        {nullptr, 0, 0, "Cannot create \"" + d + "no/out.TXT\": No such file or directory", none,
         "no/out.TXT"},
        {nullptr, 0, 0, "Cannot create \"" + d + "no/out.RDO\": No such file or directory", none, T,
         "no/out.RDO"},
        {nullptr, 0, 0, "Cannot write \"" + d + "dir\": Is a directory", none, "dir"},
        // The text was renamed into place before the binary file's rename failed.
        {nullptr, 0, 0, "Cannot write \"" + d + "dir\": Is a directory", none, T, "dir"},
        {mkdir, 0, 0, "Cannot write \"" + d + "late\": Is a directory", all, "late"},
        {nullptr, 0, 50, "Cannot write \"" + d + "out.TXT\": File too large", all},
        // The text (72 bytes) was renamed into place before the binary file (424) failed.
        {nullptr, 0, 200, "Cannot write \"" + d + "out.RDO\": File too large", all},
        {nullptr, 0, 1'000'000, "Cannot write \"" + d + "out.TXT\": File too large", "0 1 11"},
        {lateAndEarly, 0, 0, "Segment 2 of 4: analysis failed: Math Exception: Invalid band.",
         nullptr, T, R, 2},
        // The worker waiting for room beyond the segments written ends too.
        {nullptr, 3, 0, kCancelledMessage, nullptr, T, R, 2, nullptr, 8},
        {waitForWorker, 0, 0, "@: bad block", nullptr, T, R, 2, throwing}};
    std::filesystem::create_directory(dir.File("dir"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Reset();
        thrownAt = -1;
        doc->options.segmentCount = c.segments;
        if (c.message == "No raw data file is open.")
            doc->rawPath.clear();
        counts[1] = c.fileSize > 100'000 ? 60'000 : 2;
        std::vector<long long> progress;
        // RLIMIT_FSIZE fails a write beyond the size with EFBIG, as a full device would.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{c.fileSize ? c.fileSize : saved.rlim_cur, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        const ExportStatus status = ExportResultsWith(
            *doc, Reader(c.fail), [&] { return Reader(c.workerFail ?: c.fail, false); }, d + c.txt,
            d + c.rdo, ExportOptions{.jobs = c.jobs},
            [&](long long done, long long) { progress.push_back(done); },
            [&] { return c.cancelAfter > 0 && progress.size() >= c.cancelAfter; });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        std::string message = c.message, seen;
        if (message[0] == '@')
            message = "Segment " + std::to_string(thrownAt + 1) + " of 4" + c.message.substr(1);
        for (int r : reads)
            seen += std::string(seen.empty() ? "" : " ") + std::to_string(r);
        EXPECT_EQ(std::tuple(status.ok, status.message, status.resultCount, status.jobs),
                  std::tuple(false, message, 0, c.reads && !*c.reads ? 0 : c.jobs));
        EXPECT_EQ(seen, c.reads ? c.reads : seen);
        EXPECT_EQ(status.finalReloadRun, !seen.empty());
        EXPECT_EQ(ReadFile(d + "out.TXT") + ReadFile(d + "out.RDO"), "old textold binary");
        EXPECT_FALSE(dir.HasTemporaryFiles());
        ExpectSettingsKept();
    }
}

// The whole chain on a generated road of 4,000 groups in segments of 1,500, exported as the
// window does (its own names, one worker per core): results per foot, the true ratio's.
TEST(ResultExportEndToEnd, ExportedResultsFollowTheTrueRatioInSegmentOrder) {
    TempDir dir;
    const SynthFiles files = GenerateSynthFiles(dir, PlainRoad(4000));
    ASSERT_TRUE(files.ok) << files.error;
    auto doc = std::make_unique<CVorlixDoc>(dir.Path());
    doc->options.segmentGroups = 1500;
    doc->options.smoothMethod = smoothing::kBlockAverage; // the user's, not the export's
    doc->options.averageDistance = 2.5f;
    RawFileLoader loader;
    ASSERT_TRUE(loader.OpenNewFile(*doc, files.kvt).segmentRead);
    const ExportStatus status = ExportResults(*doc, loader);
    ASSERT_TRUE(status.ok && status.segmentCount == 3) << status.message;
    std::istringstream text(ReadFile(doc->txtPath));
    std::vector<std::pair<double, double>> results;
    for (double distance, value; text >> distance >> value;)
        results.push_back({distance, value});
    ASSERT_EQ(static_cast<std::int64_t>(results.size()), status.resultCount);
    EXPECT_GT(results.size(), 0.95 * (results.back().first - results.front().first));
    EXPECT_TRUE(std::is_sorted(results.begin(), results.end()));
    // Results lie ahead of the truth by about one group plus the filter's delay (5 to 8 ft).
    double bestOffset = 0.0, bestError = 1.0;
    for (double offset = 4.0; offset <= 9.0; offset += 0.25) {
        std::vector<double> errors;
        for (const auto& [distance, value] : results) {
            const double truth = synth::TrueRatioAt(files.options, distance - offset);
            errors.push_back(std::abs(value - truth) / truth);
        }
        std::nth_element(errors.begin(), errors.begin() + errors.size() / 2, errors.end());
        if (errors[errors.size() / 2] < bestError)
            std::tie(bestError, bestOffset) = std::pair(errors[errors.size() / 2], offset);
    }
    EXPECT_TRUE(bestOffset > 4.5 && bestOffset < 8.0 && bestError < 0.03)
        << bestError << " at " << bestOffset << " ft";
    // The segment shown is back, smoothed as the user chose, whose settings were never touched.
    const std::vector<float> shown(&doc->resultValue[0], &doc->resultValue[0] + doc->resultCount);
    ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
    EXPECT_EQ(shown,
              std::vector<float>(&doc->resultValue[0], &doc->resultValue[0] + doc->resultCount));
    EXPECT_EQ(std::tuple(doc->options.currentSegment, doc->options.smoothMethod,
                         doc->options.averageDistance),
              std::tuple(0, smoothing::kBlockAverage, 2.5f));
    // A band the library cannot design stops the export in its first segment.
    doc->options.bandpassLow = 40.0f, doc->options.bandpassHigh = 20.0f;
    const ExportStatus bad = ExportResults(*doc, loader, dir.File("b.TXT"), dir.File("b.RDO"),
                                           ExportOptions{.jobs = 1, .reloadShownSegment = false});
    EXPECT_EQ(bad.message,
              "Segment 1 of 3: analysis failed: Math Exception: Invalid band specification.");
}

// The raw file goes or shrinks while it is exported: the export stops at the segment it could
// not read and replaces nothing; the document holds only a segment it could read again.
TEST(ResultExportOfAChangingFile, StopsSaysWhyAndKeepsTheDocumentTrue) {
    // clang-format off
    const struct { const char* name; long long size; std::string message; int points, segments; }
        cases[] = {{"gone", -1, "Cannot open \"@\": No such file or directory", 0, 2},
        {"one segment left", 8000 + 1100 * 700, "\"@\" changed during the export (now 1 segments).",
         500 * 250, 1},
        {"no whole group left", 8000, "\"@\" holds no whole group of samples (8000 bytes).", 0, 2}};
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        TempDir dir;
        RawFileBuilder b;
        b.activeChannels = 2, b.groups = 1300;
        const std::string raw = dir.File("t.KVT");
        ASSERT_TRUE(b.Write(raw));
        auto doc = std::make_unique<CVorlixDoc>(dir.Path());
        SetTestCalibration(doc->options);
        doc->options.segmentGroups = 500;
        RawFileLoader loader;
        ASSERT_TRUE(loader.OpenNewFile(*doc, raw).segmentRead);
        std::ofstream(doc->txtPath) << "old text", std::ofstream(doc->rdoPath) << "old binary";
        const auto change = [&](long long done, long long) {
            if (done == 1 && k.size < 0)
                std::filesystem::remove(raw);
            else if (done == 1)
                std::filesystem::resize_file(raw, k.size);
        };
        const ExportStatus status =
            ExportResults(*doc, loader, doc->txtPath, doc->rdoPath, {.jobs = 1}, change);
        std::string message = "Segment 2 of 2: " + k.message;
        message.replace(message.find('@'), 1, raw);
        EXPECT_EQ(std::tuple(status.ok, status.message), std::tuple(false, message));
        EXPECT_EQ(ReadFile(doc->txtPath) + ReadFile(doc->rdoPath), "old textold binary");
        EXPECT_FALSE(dir.HasTemporaryFiles());
        EXPECT_EQ((std::vector<int>{doc->pointCount, doc->options.segmentCount,
                                    doc->options.currentSegment}),
                  (std::vector<int>{k.points, k.segments, 0}));
        if (k.points == 0) {
            EXPECT_EQ((std::vector<int>{doc->groupCount, doc->cycleCount, doc->resultCount,
                                        doc->loadCycleCount, doc->geoCycleCount}),
                      std::vector<int>(5, 0));
        }
    }
}

// More than 200,000 groups (16 segments): every segment is exported, the results running on
// along the road to the end of the file.
TEST(ResultExportEndToEnd, AFileOfMoreThan200000GroupsExportsEverySegment) {
    TempDir dir;
    synth::Options options = PlainRoad(12'800); // 16 times below: more than the generator makes
    options.channels = 2, options.writeCompanions = false;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    // The road again and again, its distances running on from the last one.
    const std::string road = ReadFile(files.kvt);
    constexpr std::size_t kGroupBytes = 2 * 500 + 100;
    const float end = byteorder::LoadLE<float>(&road[road.size() - kGroupBytes + 12]);
    std::string copies = road.substr(0, 8000);
    for (int copy = 0; copy < 16; ++copy) {
        std::string groups = road.substr(8000);
        for (std::size_t at = 12; at < groups.size(); at += kGroupBytes)
            byteorder::StoreLE(&groups[at], byteorder::LoadLE<float>(&groups[at]) + copy * end);
        copies += groups;
    }
    std::ofstream(files.kvt, std::ios::binary) << copies;
    auto doc = std::make_unique<CVorlixDoc>(dir.Path());
    RawFileLoader loader;
    ASSERT_TRUE(loader.OpenNewFile(*doc, files.kvt, OpenOptions{false}).fileOpened);
    const ExportStatus status = ExportResults(*doc, loader, doc->txtPath, doc->rdoPath,
                                              ExportOptions{.reloadShownSegment = false});
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(std::tuple(status.segmentCount, doc->options.segmentCount), std::tuple(16, 16));
    std::istringstream text(ReadFile(doc->txtPath));
    double first = -1.0, last = 0.0, widestGap = 0.0;
    std::int64_t count = 0;
    for (double distance, value; text >> distance >> value; ++count) {
        first = first < 0.0 ? distance : first;
        widestGap = std::max(widestGap, distance - (count ? last : distance));
        last = distance;
    }
    EXPECT_EQ(count, status.resultCount);
    // A segment is about 47,000 ft of road; the filter settles within a few feet of each start.
    EXPECT_TRUE(first < 20.0 && widestGap < 20.0 && last > 16.0 * end - 20.0)
        << first << " " << widestGap << " " << last << " of " << 16.0 * end;
}

// Folders and names with spaces or letters beyond ASCII, a lower-case extension, none in a
// folder whose name has a dot: every companion is read, every output and the settings are
// written beside the raw file, under its name, and nothing elsewhere.
TEST(OddPaths, EveryFileIsReadAndWrittenWhereItsNameSays) {
    namespace fs = std::filesystem;
    const std::string cases[][3] = {{"a road", "run 1", "run 1.KVT"},
                                    {"Straße ä", "Ölweg", "Ölweg.kvt"},
                                    {"run.1", "road", "road"}};
    for (const auto& [folder, stem, name] : cases) {
        SCOPED_TRACE(name);
        TempDir top;
        const std::string dir = top.File(folder), raw = dir + "/" + name;
        fs::create_directory(dir);
        const SynthFiles files = GenerateSynthFiles(top, SmallSynthOptions(), folder + "/" + stem);
        ASSERT_TRUE(files.ok) << files.error;
        fs::rename(files.kvt, raw);
        auto doc = std::make_unique<CVorlixDoc>(dir);
        doc->options.showGprColormap = 1;
        RawFileLoader loader;
        const LoadResult r = loader.OpenNewFile(*doc, raw);
        ASSERT_TRUE(r.segmentRead) << r.message;
        EXPECT_EQ(r.companionNote, "");
        EXPECT_TRUE(doc->gps.trackCount > 0 && doc->images.pictureCount > 0 &&
                    doc->gpr.gprData.scanCount > 0);
        EXPECT_TRUE(ExportResults(*doc, loader).ok);
        EXPECT_TRUE(ConvertRawFile(raw, conversion::DefaultOutputBase(raw), nullptr).ok);
        doc->options.videoOffset = 12.5f;
        EXPECT_TRUE(doc->options.SaveSettings());
        EXPECT_EQ(CVorlixDoc(dir).options.videoOffset, 12.5f);
        std::set<std::string> written;
        for (const auto& entry : fs::recursive_directory_iterator(top.Path()))
            written.insert(fs::relative(entry.path(), top.Path()).string());
        const std::string f = folder + "/";
        EXPECT_EQ(written, (std::set<std::string>{folder, f + name, f + stem + ".GPS",
                                                  f + stem + ".IMG", f + stem + ".DAT",
                                                  f + stem + ".truth.csv", f + "Vorlixcontrol.dat",
                                                  f + stem + ".TXT", f + stem + ".RDO",
                                                  f + stem + "_A.DAT", f + stem + "_C.DAT"}));
    }
}

} // namespace
