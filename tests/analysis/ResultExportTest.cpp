#include "analysis/ResultExport.h"
#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileLoader.h"
#include "support/RawFileBuilder.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

namespace {

using namespace resultexport;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ResultExportFormat, LineIsBlankDistanceBlankValueWithCrLf) {
    EXPECT_EQ(ResultLine(512.25f, 0.5f), "     512.25     0.5000\r\n");
    EXPECT_EQ(ResultLine(-3.125f, -12.34567f), "      -3.12   -12.3457\r\n");
    // Wider numbers push the columns on rather than being cut.
    EXPECT_EQ(ResultLine(123456789.0f, 1.0f), " 123456792.00     1.0000\r\n");
}

TEST(ResultExportFormat, RecordIsDistanceThenValueLittleEndian) {
    std::uint8_t record[8];
    StoreResultRecord(512.25f, 0.5f, record);
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 8),
              (std::vector<std::uint8_t>{0x00, 0x10, 0x00, 0x44, 0x00, 0x00, 0x00, 0x3F}));
}

// What a segment read saw of the document's settings.
struct ReadCall {
    int segment;
    int smoothMethod;
    float averageDistance;
    bool batchExportRunning;
};

class ResultExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        SetTestCalibration(doc->options);
        CKVTcontrol& o = doc->options;
        o.segmentGroups = 150; // 460 groups: segments of 150, 150 and 160 (150 read)
        o.smoothMethod = 0;
        o.averageDistance = 3.5f;
        builder.groups = 460;
        builder.distance = [](int g) { return 1000.0f + static_cast<float>(g); };
        rawPath = dir.File("run.KVT");
        txtPath = dir.File("out.TXT");
        rdoPath = dir.File("out.RDO");
    }

    // Opens the file and shows segment 1, as a user would before exporting.
    void OpenAtSegmentOne() {
        ASSERT_TRUE(builder.Write(rawPath));
        ASSERT_TRUE(loader.OpenNewFile(*doc, rawPath).segmentRead);
        ASSERT_EQ(doc->options.segmentCount, 3);
        doc->options.currentSegment = 1;
        ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
    }

    // A segment read that records the settings and gives two results per segment of its own:
    // at the segment's first distance + 0.5 and + 1.5, valued segment + 0.25 and + 0.75.
    SegmentReader RecordingReader(std::function<LoadResult(int)> override = {}) {
        return [this, override](CVorlixDoc& d) {
            calls.push_back({d.options.currentSegment, d.options.smoothMethod,
                             d.options.averageDistance, d.batchExportRunning});
            if (override) {
                LoadResult r = override(d.options.currentSegment);
                if (!r.segmentRead || r.analysisFailed)
                    return r;
            }
            LoadResult r = loader.ReloadCurrentFile(d);
            const float segment = static_cast<float>(d.options.currentSegment);
            for (int j = 0; j < 2; ++j) {
                d.resultDistance[j] = d.groupDistance[0] + 0.5f + static_cast<float>(j);
                d.resultValue[j] = segment + 0.25f + 0.5f * static_cast<float>(j);
            }
            d.resultCount = 2;
            return r;
        };
    }

    void ExpectSettingsRestored() {
        EXPECT_EQ(doc->options.smoothMethod, 0);
        EXPECT_EQ(doc->options.averageDistance, 3.5f);
        EXPECT_EQ(doc->options.currentSegment, 1);
        EXPECT_FALSE(doc->batchExportRunning);
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
    RawFileBuilder builder;
    std::string rawPath, txtPath, rdoPath;
    std::vector<ReadCall> calls;
};

TEST_F(ResultExportTest, WritesEverySegmentInOrderThenShowsTheSegmentLoadedBefore) {
    OpenAtSegmentOne();
    std::vector<std::pair<long long, long long>> progress;
    const ExportStatus status = ExportResultsWith(*doc, RecordingReader(), txtPath, rdoPath,
                                                  [&](long long done, long long total) {
                                                      progress.push_back({done, total});
                                                  });
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(status.segmentCount, 3);
    EXPECT_EQ(status.resultCount, 6);

    // Segments start at groups 0, 150 and 300: first distances 1000, 1150, 1300.
    EXPECT_EQ(ReadText(txtPath), "    1000.50     0.2500\r\n"
                                 "    1001.50     0.7500\r\n"
                                 "    1150.50     1.2500\r\n"
                                 "    1151.50     1.7500\r\n"
                                 "    1300.50     2.2500\r\n"
                                 "    1301.50     2.7500\r\n");
    const std::string rdo = ReadText(rdoPath);
    ASSERT_EQ(rdo.size(), 400u + 8 * 6);
    EXPECT_EQ(rdo.substr(0, 400), std::string(400, '\0'));
    const float expected[6][2] = {{1000.5f, 0.25f}, {1001.5f, 0.75f}, {1150.5f, 1.25f},
                                  {1151.5f, 1.75f}, {1300.5f, 2.25f}, {1301.5f, 2.75f}};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(byteorder::LoadLE<float>(rdo.data() + 400 + 8 * r), expected[r][0]) << r;
        EXPECT_EQ(byteorder::LoadLE<float>(rdo.data() + 404 + 8 * r), expected[r][1]) << r;
    }

    ASSERT_EQ(calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[i].segment, i);
        EXPECT_EQ(calls[i].smoothMethod, 2);
        EXPECT_EQ(calls[i].averageDistance, 1.0f);
        EXPECT_TRUE(calls[i].batchExportRunning);
    }
    // The final read: the segment shown before, with the user's own smoothing, drawn again.
    EXPECT_EQ(calls[3].segment, 1);
    EXPECT_EQ(calls[3].smoothMethod, 0);
    EXPECT_EQ(calls[3].averageDistance, 3.5f);
    EXPECT_FALSE(calls[3].batchExportRunning);
    EXPECT_TRUE(status.finalReloadRun);
    EXPECT_TRUE(status.finalLoad.segmentRead);
    EXPECT_EQ(doc->groupDistance[0], 1150.0f);
    ExpectSettingsRestored();
    EXPECT_EQ(progress,
              (std::vector<std::pair<long long, long long>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_TRUE(!dir.HasTemporaryFiles());
}

TEST_F(ResultExportTest, ExportWithoutResultsLeavesBothFilesEmpty) {
    OpenAtSegmentOne();
    WriteText(txtPath, "old");
    WriteText(rdoPath, "old");
    // Results left in the document from before must not be exported for segments giving none.
    doc->resultCount = 5;
    const ExportStatus status = ExportResultsWith(
        *doc, [this](CVorlixDoc& d) { return loader.ReloadCurrentFile(d); }, txtPath, rdoPath);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(status.resultCount, 0);
    EXPECT_EQ(std::filesystem::file_size(txtPath), 0u);
    EXPECT_EQ(std::filesystem::file_size(rdoPath), 0u);
}

TEST_F(ResultExportTest, RefusedSegmentStopsTheExportAndRestoresTheSettings) {
    OpenAtSegmentOne();
    WriteText(txtPath, "old text");
    WriteText(rdoPath, "old binary");
    const ExportStatus status = ExportResultsWith(*doc, RecordingReader([](int segment) {
        LoadResult r;
        r.segmentRead = segment != 2;
        r.message = "disk gone";
        return r;
    }),
                                                  txtPath, rdoPath);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, "Segment 3 of 3: disk gone");
    EXPECT_EQ(status.resultCount, 0);
    EXPECT_EQ(ReadText(txtPath), "old text");
    EXPECT_EQ(ReadText(rdoPath), "old binary");
    EXPECT_TRUE(!dir.HasTemporaryFiles());
    ExpectSettingsRestored();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls.back().segment, 1);
    EXPECT_EQ(calls.back().smoothMethod, 0);
    EXPECT_FALSE(calls.back().batchExportRunning);
}

TEST_F(ResultExportTest, AnalysisErrorStopsTheExportAndRestoresTheSettings) {
    OpenAtSegmentOne();
    const ExportStatus status = ExportResultsWith(*doc, RecordingReader([](int segment) {
        LoadResult r;
        r.segmentRead = true;
        r.analysisFailed = segment == 0;
        r.message = "Math Exception: Order must be greater than zero.";
        return r;
    }),
                                                  txtPath, rdoPath);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message,
              "Segment 1 of 3: analysis failed: Math Exception: Order must be greater than zero.");
    EXPECT_FALSE(std::filesystem::exists(txtPath));
    EXPECT_FALSE(std::filesystem::exists(rdoPath));
    ExpectSettingsRestored();
}

TEST_F(ResultExportTest, InvalidBandFailsInTheFirstSegmentWithTheLibrarysMessage) {
    OpenAtSegmentOne();
    doc->options.bandpassLow = 40.0f;
    doc->options.bandpassHigh = 20.0f;
    const ExportStatus status = ExportResults(*doc, loader, txtPath, rdoPath);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message.rfind("Segment 1 of 3: analysis failed: Math Exception: ", 0), 0u)
        << status.message;
    EXPECT_FALSE(std::filesystem::exists(txtPath));
    EXPECT_FALSE(std::filesystem::exists(rdoPath));
    ExpectSettingsRestored();
    EXPECT_TRUE(status.finalLoad.analysisFailed);
}

// Segments read one after another, so the file changes between the first and the second.
constexpr ExportOptions kOneJob{.jobs = 1};

TEST_F(ResultExportTest, FileCutShortDuringTheExportFailsWithTheLoadersMessage) {
    OpenAtSegmentOne();
    const ExportStatus status =
        ExportResults(*doc, loader, txtPath, rdoPath, kOneJob, [&](long long done, long long) {
            if (done == 1)
                std::filesystem::resize_file(rawPath, 5000);
        });
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("Segment 2 of 3: "), std::string::npos) << status.message;
    EXPECT_NE(status.message.find("no whole group"), std::string::npos) << status.message;
    EXPECT_FALSE(std::filesystem::exists(txtPath));
    ExpectSettingsRestored();
    EXPECT_TRUE(status.finalReloadRun);
    EXPECT_FALSE(status.finalLoad.segmentRead);
}

// A file that shrank to one segment would otherwise be read as segment 0 again (the loader
// keeps the segment number inside the table) and exported twice.
TEST_F(ResultExportTest, FileShrinkingDuringTheExportIsNotExportedAsAnotherSegment) {
    OpenAtSegmentOne();
    const ExportStatus status =
        ExportResults(*doc, loader, txtPath, rdoPath, kOneJob, [&](long long done, long long) {
            if (done == 1)
                std::filesystem::resize_file(rawPath, 8000 + 2600 * 200);
        });
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("changed during the export"), std::string::npos)
        << status.message;
    EXPECT_FALSE(std::filesystem::exists(txtPath));
    EXPECT_EQ(doc->options.smoothMethod, 0);
    EXPECT_EQ(doc->options.averageDistance, 3.5f);
    EXPECT_FALSE(doc->batchExportRunning);
    // Segment 1 is gone: the final read shows the one segment left.
    EXPECT_TRUE(status.finalLoad.segmentRead);
    EXPECT_EQ(doc->options.segmentCount, 1);
    EXPECT_EQ(doc->options.currentSegment, 0);
}

TEST_F(ResultExportTest, NothingOpenIsRefusedBeforeAnySettingChanges) {
    const ExportStatus status = ExportResults(*doc, loader);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, "No raw data file is open.");
    EXPECT_FALSE(status.finalReloadRun);
    EXPECT_EQ(doc->options.smoothMethod, 0);
}

TEST_F(ResultExportTest, UnwritableFolderIsReportedWithoutTouchingTheDocument) {
    OpenAtSegmentOne();
    const ExportStatus status =
        ExportResultsWith(*doc, RecordingReader(), dir.File("missing/out.TXT"), rdoPath);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("missing/out.TXT"), std::string::npos) << status.message;
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(std::filesystem::exists(rdoPath));
}

TEST_F(ResultExportTest, DefaultsToTheDocumentsCompanionNames) {
    OpenAtSegmentOne();
    EXPECT_EQ(doc->txtPath, dir.File("run.TXT"));
    const ExportStatus status = ExportResults(*doc, loader);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_TRUE(std::filesystem::exists(dir.File("run.TXT")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("run.RDO")));
}

// The export writes exactly what reading each segment with the 1-foot distance average gives.
TEST_F(ResultExportTest, ExportMatchesTheResultsOfEachSegmentReadOnItsOwn) {
    builder.sample = [](int block, int g, int i) {
        const double t = (g * 250 + i) / 1000.0;
        const double amplitude = block == 0 ? 12000.0 : 3000.0 + 20.0 * (g % 7);
        return static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * 30.0 * t + 0.4 * block)));
    };
    builder.distance = [](int g) { return 500.0f + 0.8f * static_cast<float>(g); };
    OpenAtSegmentOne();

    std::string expectedText;
    std::int64_t expectedCount = 0;
    doc->options.smoothMethod = 2;
    doc->options.averageDistance = 1.0f;
    for (int i = 0; i < 3; ++i) {
        doc->options.currentSegment = i;
        const LoadResult r = loader.ReloadCurrentFile(*doc);
        ASSERT_TRUE(r.segmentRead && !r.analysisFailed) << r.message;
        for (int j = 0; j < doc->resultCount; ++j)
            expectedText += ResultLine(doc->resultDistance[j], doc->resultValue[j]);
        expectedCount += doc->resultCount;
    }
    ASSERT_GT(expectedCount, 100); // about one result per group
    doc->options.smoothMethod = 0;
    doc->options.averageDistance = 3.5f;
    doc->options.currentSegment = 1;
    ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);

    const ExportStatus status = ExportResults(*doc, loader, txtPath, rdoPath);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(status.resultCount, expectedCount);
    EXPECT_EQ(ReadText(txtPath), expectedText);
    EXPECT_EQ(std::filesystem::file_size(rdoPath),
              expectedCount == 0 ? 0u : 400u + 8u * static_cast<std::uintmax_t>(expectedCount));
    ExpectSettingsRestored();
}

// The command-line tool opens without reading a segment and skips the final re-read: each
// segment is read once, and the files are those of the window's export.
TEST_F(ResultExportTest, OpenWithoutReadingThenExportReadsEachSegmentOnceForTheSameFiles) {
    OpenAtSegmentOne();
    ASSERT_TRUE(ExportResults(*doc, loader, txtPath, rdoPath).ok);

    auto cliDoc = std::make_unique<CVorlixDoc>(dir.Path());
    cliDoc->options = doc->options;
    cliDoc->resultCount = 7; // left from an earlier file: must not count as this file's
    RawFileLoader cliLoader;
    const LoadResult opened =
        cliLoader.OpenNewFile(*cliDoc, rawPath, OpenOptions{.readFirstSegment = false});
    ASSERT_TRUE(opened.fileOpened) << opened.message;
    EXPECT_FALSE(opened.segmentRead);
    EXPECT_EQ(opened.title, "Raw data file has 115000 point and 460 group. Current read segment "
                            "is:1");
    EXPECT_EQ(cliDoc->options.segmentCount, 3);
    EXPECT_EQ(cliDoc->options.currentSegment, 0);
    EXPECT_EQ(cliDoc->pointCount, 0);
    EXPECT_EQ(cliDoc->resultCount, 0);
    EXPECT_EQ(cliDoc->txtPath, dir.File("run.TXT"));

    std::vector<int> reads;
    const ExportStatus status = ExportResultsWith(
        *cliDoc,
        [&](CVorlixDoc& d) {
            reads.push_back(d.options.currentSegment);
            return cliLoader.ReloadCurrentFile(d);
        },
        {}, dir.File("cli.TXT"), dir.File("cli.RDO"), ExportOptions{.reloadShownSegment = false});
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(reads, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(status.finalReloadRun);
    EXPECT_EQ(ReadText(dir.File("cli.TXT")), ReadText(txtPath));
    EXPECT_EQ(ReadText(dir.File("cli.RDO")), ReadText(rdoPath));
}

TEST(ResultExportJobs, RequestedOrOnePerCoreAtMostOnePerSegment) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const struct {
        int requested, segments, expected;
    } cases[] = {{1, 6, 1}, {2, 6, 2}, {8, 5, 5},      {3, 1, 1},
                 {2, 0, 1}, {0, 1, 1}, {0, 64, cores}, {-4, 64, cores}};
    for (const auto& c : cases)
        EXPECT_EQ(ExportJobs(c.requested, c.segments), c.expected)
            << c.requested << " jobs, " << c.segments << " segments";
}

// A generated road of 4,500 groups read in segments of 1,000: five segments, the last one
// short (500 groups), opened as the command-line tool opens it.
class ParallelExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        synth::Options options = SmallSynthOptions();
        options.groups = 4'500;
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        doc->options.segmentGroups = 1'000;
        const LoadResult opened =
            loader.OpenNewFile(*doc, files.kvt, OpenOptions{.readFirstSegment = false});
        ASSERT_TRUE(opened.fileOpened) << opened.message;
        ASSERT_EQ(doc->options.segmentCount, 5);
    }

    std::string Txt(const std::string& name) const { return dir.File(name + ".TXT"); }
    std::string Rdo(const std::string& name) const { return dir.File(name + ".RDO"); }

    ExportStatus Export(int jobs, const std::string& name) {
        return ExportResults(*doc, loader, Txt(name), Rdo(name),
                             ExportOptions{.jobs = jobs, .reloadShownSegment = false});
    }

    // A reader on a loader of its own (or the fixture's) that fails where `fail` says.
    SegmentReader Reader(RawFileLoader* own, std::function<LoadResult(int)> fail) {
        return [own, fail](CVorlixDoc& d) {
            LoadResult r = fail(d.options.currentSegment);
            return r.message.empty() ? own->ReloadCurrentFile(d) : r;
        };
    }
    SegmentReaderFactory Readers(std::function<LoadResult(int)> fail) {
        return [this, fail] {
            workerLoaders.push_back(std::make_unique<RawFileLoader>());
            return Reader(workerLoaders.back().get(), fail);
        };
    }

    TempDir dir;
    SynthFiles files;
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
    std::vector<std::unique_ptr<RawFileLoader>> workerLoaders;
};

TEST_F(ParallelExportTest, SegmentsAnalysedAtOnceGiveTheFilesOfTheSerialExportByteForByte) {
    const ExportStatus serial = Export(1, "serial");
    ASSERT_TRUE(serial.ok) << serial.message;
    EXPECT_EQ(serial.jobs, 1);
    const std::string text = ReadText(Txt("serial"));
    const std::string binary = ReadText(Rdo("serial"));
    ASSERT_GT(serial.resultCount, 3000); // results in every segment, about one per foot
    ASSERT_EQ(binary.size(), 400u + 8u * static_cast<std::size_t>(serial.resultCount));
    // The short last segment (from group 4,000 on) is exported too.
    doc->options.currentSegment = 4;
    ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
    EXPECT_GT(byteorder::LoadLE<float>(binary.data() + binary.size() - 8), doc->groupDistance[0]);

    for (int jobs : {2, 3, 5}) {
        const std::string name = "jobs" + std::to_string(jobs);
        const ExportStatus status = Export(jobs, name);
        ASSERT_TRUE(status.ok) << status.message;
        EXPECT_EQ(status.jobs, jobs);
        EXPECT_EQ(status.segmentCount, 5);
        EXPECT_EQ(status.resultCount, serial.resultCount);
        EXPECT_TRUE(ReadText(Txt(name)) == text) << jobs << " jobs";
        EXPECT_TRUE(ReadText(Rdo(name)) == binary) << jobs << " jobs";
    }
    EXPECT_EQ(doc->options.smoothMethod, 0);
    EXPECT_FALSE(doc->batchExportRunning);
    EXPECT_FALSE(dir.HasTemporaryFiles());
}

// Segment 3 fails late and segment 4 early: the export reports the first one in segment order,
// as the serial export would, and replaces nothing.
TEST_F(ParallelExportTest, FirstFailingSegmentInOrderStopsTheExportWithItsMessage) {
    WriteText(Txt("out"), "old text");
    auto fail = [](int segment) {
        LoadResult r;
        if (segment == 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            r.segmentRead = true;
            r.analysisFailed = true;
            r.message = "Math Exception: Invalid band specification.";
        } else if (segment == 3) {
            r.message = "disk gone";
        }
        return r;
    };
    const ExportStatus status =
        ExportResultsWith(*doc, Reader(&loader, fail), Readers(fail), Txt("out"), Rdo("out"),
                          ExportOptions{.jobs = 2, .reloadShownSegment = false});
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.jobs, 2);
    EXPECT_EQ(status.message,
              "Segment 3 of 5: analysis failed: Math Exception: Invalid band specification.");
    EXPECT_EQ(status.resultCount, 0);
    EXPECT_EQ(ReadText(Txt("out")), "old text");
    EXPECT_FALSE(std::filesystem::exists(Rdo("out")));
    EXPECT_FALSE(dir.HasTemporaryFiles());
    EXPECT_EQ(doc->options.smoothMethod, 0);
    EXPECT_FALSE(doc->batchExportRunning);
}

// The window's progress dialog is asked from its own thread only, and a cancel stops the
// workers and leaves the files of an earlier export in place.
TEST_F(ParallelExportTest, CancelStopsTheWorkersAndReplacesNothing) {
    WriteText(Txt("out"), "earlier export");
    WriteText(Rdo("out"), "earlier binary");
    doc->options.currentSegment = 3;
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> otherThreadCalls = 0;
    std::vector<long long> progress;
    const ExportStatus status = ExportResults(
        *doc, loader, Txt("out"), Rdo("out"), ExportOptions{.jobs = 2},
        [&](long long done, long long) {
            otherThreadCalls += std::this_thread::get_id() != caller;
            progress.push_back(done);
        },
        [&] {
            otherThreadCalls += std::this_thread::get_id() != caller;
            return progress.size() >= 3; // 0, then two segments written
        });
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, kCancelledMessage);
    EXPECT_EQ(progress, (std::vector<long long>{0, 1, 2}));
    EXPECT_EQ(otherThreadCalls, 0);
    EXPECT_EQ(ReadText(Txt("out")), "earlier export");
    EXPECT_EQ(ReadText(Rdo("out")), "earlier binary");
    EXPECT_FALSE(dir.HasTemporaryFiles());
    // The segment shown before is read again with the user's settings, as in the window.
    EXPECT_TRUE(status.finalReloadRun);
    EXPECT_TRUE(status.finalLoad.segmentRead);
    EXPECT_EQ(doc->options.currentSegment, 3);
    EXPECT_EQ(doc->options.smoothMethod, 0);
    EXPECT_FALSE(doc->batchExportRunning);
}

} // namespace

TEST_F(ResultExportTest, CancelledExportReplacesNoFileAndRestoresTheSettings) {
    OpenAtSegmentOne();
    std::ofstream(txtPath, std::ios::binary) << "earlier export\r\n";
    int steps = 0;
    const ExportStatus status = ExportResultsWith(*doc, RecordingReader(), txtPath, rdoPath, {},
                                                  [&] { return ++steps > 2; });
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, kCancelledMessage);
    EXPECT_EQ(ReadText(txtPath), "earlier export\r\n");
    EXPECT_FALSE(std::filesystem::exists(rdoPath));
    EXPECT_TRUE(status.finalReloadRun);
    ExpectSettingsRestored();
    EXPECT_TRUE(!dir.HasTemporaryFiles());
}
