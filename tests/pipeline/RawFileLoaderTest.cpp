// Reading raw test files into the document: the channel table, segments, decoding, refusals,
// companion files, and the zeroed storage the segment is decoded into.
#include "pipeline/RawFileLoader.h"
#include "document/CVorlixDoc.h"
#include "document/CompanionFiles.h"
#include "document/RawFile.h"
#include "document/RawFileFormat.h"
#include "document/SegmentDecoder.h"
#include "pipeline/AnalysisChain.h"
#include "pipeline/SegmentStepping.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"
#include "synth/GpsWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A count as decoded with the scale of the load cell (2.5) or of a geophone's factor.
float Calibrated(float factor, int count, bool geophone = true) {
    const long double scale =
        geophone ? static_cast<long double>(rawfile::kGeophoneConstant) / factor : 2.5L;
    return static_cast<float>(scale * count / 3276.8L);
}

class RawFileLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { SetTestCalibration(doc->options); }
    std::string Write(const RawFileBuilder& builder, const std::string& name = "t.KVT") {
        EXPECT_TRUE(builder.Write(dir.File(name)));
        return dir.File(name);
    }
    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc = std::make_unique<CVorlixDoc>(dir.Path());
    RawFileLoader loader;
};

// Load cell and geophone calibrated (geophone 4 has no factor) over the whole count range, whose
// ends lie at the first and the last sample; one distance more, extrapolated (repeated for one
// group).
TEST_F(RawFileLoaderTest, DecodesTheSegmentCalibrated) {
    // clang-format off
    const struct { int select, groups; float factor; float extra; } cases[] = {
        {1, 6, 0.8f, 31.0f}, {2, 1, 1.25f, 1.0f}, {3, 2, 3.0f, 5.0f}, {4, 6, 1.0f, 31.0f},
        {1, 1700, 0.8f, 3401.0f}}; // more than one read of 4 MiB
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.select);
        doc->options.geophoneSelect = k.select;
        RawFileBuilder b;
        b.groups = k.groups;
        b.distance = [](int g) { return g == 5 ? 20.0f : 2.0f * static_cast<float>(g) + 1.0f; };
        b.sample = [last = k.groups - 1](int block, int g, int i) {
            return g + i == 0              ? std::int16_t(-32768)
                   : g == last && i == 249 ? std::int16_t(32767)
                                           : RawFileBuilder{}.sample(block, g, i);
        };
        const LoadResult r = loader.OpenNewFile(*doc, Write(b));
        ASSERT_TRUE(r.segmentRead) << r.message;
        EXPECT_TRUE(r.fileOpened && !r.analysisFailed && r.message.empty());
        EXPECT_EQ(r.title, rawfile::WindowTitle(k.groups, 1));
        EXPECT_EQ(doc->pointCount, 250 * k.groups);
        for (int p : {0, 249, 250, 1499})
            if (p < 250 * k.groups) {
                EXPECT_EQ(doc->loadSignal[p], Calibrated(0, b.sample(0, p / 250, p % 250), false));
                EXPECT_EQ(doc->geoSignal[p],
                          Calibrated(k.factor, b.sample(k.select, p / 250, p % 250)));
            }
        EXPECT_EQ((std::vector<float>{doc->loadMin, doc->loadMax, doc->geoMin, doc->geoMax}),
                  (std::vector<float>{Calibrated(0, -32768, false), Calibrated(0, 32767, false),
                                      Calibrated(k.factor, -32768), Calibrated(k.factor, 32767)}));
        EXPECT_EQ(doc->groupDistance[k.groups], k.extra);
    }
    // The samples a longer segment left after the end take no part in the ranges.
    RawFileBuilder small;
    small.groups = 1;
    small.sample = [](int block, int, int i) { return std::int16_t(block + (i % 2 ? 9 : -9)); };
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(small)).segmentRead);
    EXPECT_EQ((std::vector<float>{doc->loadMin, doc->loadMax, doc->geoMin, doc->geoMax}),
              (std::vector<float>{Calibrated(0, -9, false), Calibrated(0, 9, false),
                                  Calibrated(0.8f, -8), Calibrated(0.8f, 10)}));
}

// 1300 groups, 500 a segment: two, the 300 left over joined but not read. A file that shrank is
// read as it is now; cut below a group it is refused and the document keeps its segment.
TEST_F(RawFileLoaderTest, StepsThroughATwoSegmentFileThatShrinks) {
    doc->options.segmentGroups = 500;
    RawFileBuilder b;
    b.activeChannels = 2, b.groups = 1300;
    const std::string path = Write(b);
    ASSERT_TRUE(loader.OpenNewFile(*doc, path, OpenOptions{false}).fileOpened);
    CKVTcontrol& o = doc->options;
    EXPECT_EQ(o.segmentCount, 2);
    EXPECT_FALSE(StepToPreviousSegment(o));
    ASSERT_TRUE(StepToNextSegment(o));
    LoadResult r = loader.ReloadCurrentFile(*doc);
    EXPECT_EQ(r.title, "Raw data file has 325000 point and 1300 group. Current read segment is:2");
    EXPECT_EQ(doc->groupCount, 500);
    EXPECT_EQ(doc->segmentStartDistance, b.distance(499));
    EXPECT_EQ(doc->groupDistance[0], b.distance(500));
    EXPECT_EQ(doc->loadSignal[0], Calibrated(0, b.sample(0, 500, 0), false));
    EXPECT_EQ(doc->geoSignal[250 * 500 - 1], Calibrated(0.8f, b.sample(1, 999, 249)));
    EXPECT_FALSE(StepToNextSegment(o));
    EXPECT_EQ(o.currentSegment, 1);
    EXPECT_TRUE(StepToPreviousSegment(o) && StepToNextSegment(o));
    fs::resize_file(path, 8000 + 1100 * 700 + 50);
    r = loader.ReloadCurrentFile(*doc);
    EXPECT_EQ(r.title, "Raw data file has 175000 point and 700 group. Current read segment is:1");
    EXPECT_EQ(std::pair(o.segmentCount, o.currentSegment), std::pair(1, 0));
    EXPECT_EQ(doc->groupCount, 500);
    EXPECT_EQ(doc->segmentStartDistance, 0.0f);
    EXPECT_FALSE(StepToNextSegment(o) || StepToPreviousSegment(o));
    fs::resize_file(path, 8000 + 1099);
    r = loader.ReloadCurrentFile(*doc);
    EXPECT_FALSE(r.fileOpened || r.segmentRead);
    EXPECT_EQ(r.message, "\"" + path + "\" holds no whole group of samples (9099 bytes).");
    EXPECT_EQ(doc->groupCount, 500);
}

// Every refusal says why and leaves the document as it was: its file, segment and tables.
TEST_F(RawFileLoaderTest, UnusableFilesAreRefusedAndTheDocumentKeepsWhatItHad) {
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(RawFileBuilder{}, "good.KVT")).segmentRead);
    const float firstSample = doc->loadSignal[0];
    const std::string bad = dir.File("bad.KVT"), missing = dir.File("missing.KVT");
    const std::string quoted = "\"" + bad + "\"";
    const std::string notGeophone =
        " is not a geophone of the test (1 to 4); choose one in the options.";
    const std::string noFactor =
        "The calibration factor of Geophone-1 is not set; enter it in the options.";
    // clang-format off
    const struct { std::string path; int channels; std::size_t size; int select; float factor;
                   std::string message; } cases[] = {
        {bad, 5, 0, 1, 0.8f, quoted + " holds no whole group of samples (0 bytes)."},
        {bad, 5, 10'599, 1, 0.8f, quoted + " holds no whole group of samples (10599 bytes)."},
        {bad, 5, 10'600, 0, 0.8f, "Geophone 0" + notGeophone},
        {bad, 5, 10'600, 5, 0.8f, "Geophone 5" + notGeophone},
        {bad, 2, 9'100, 2, 1.25f, quoted + " has 2 active channels: no block for Geophone-2."},
        {bad, 0, 8'100, 1, 0.8f, quoted + " has 0 active channels: no block for Geophone-1."},
        {bad, 2, 9'100, 1, 0.0f, noFactor},
        {bad, 2, 9'100, 1, std::nanf(""), noFactor},
        {missing, 5, 0, 1, 0.8f, "Cannot open \"" + missing + "\": " + std::strerror(ENOENT)},
        {dir.Path(), 5, 0, 1, 0.8f, "Cannot open \"" + dir.Path() + "\": not a file"}};
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.message);
        RawFileBuilder b;
        b.activeChannels = k.channels;
        Bytes bytes = b.Build();
        bytes.resize(k.size);
        ASSERT_TRUE(RawFileBuilder::WriteBytes(bad, bytes));
        doc->options.geophoneSelect = k.select, doc->options.centerFactor = k.factor;
        const LoadResult r = loader.OpenNewFile(*doc, k.path);
        EXPECT_FALSE(r.fileOpened || r.segmentRead);
        EXPECT_EQ(r.message, k.message);
        EXPECT_EQ(doc->rawPath, dir.File("good.KVT"));
        EXPECT_EQ(doc->groupCount + doc->channels.activeCount, 10 + 5);
        EXPECT_EQ(doc->loadSignal[0], firstSample);
    }
    CVorlixDoc fresh(dir.Path());
    EXPECT_EQ(loader.ReloadCurrentFile(fresh).message, "No raw data file is open.");
    // Decoding past the end fails; group 0 has no distance before it (the header's is none).
    RawFile file;
    std::string error;
    Bytes bytes = RawFileBuilder{}.Build();
    std::fill(&bytes[3500], &bytes[8000], 0xFF);
    ASSERT_TRUE(RawFileBuilder::WriteBytes(bad, bytes) && file.Open(bad, 100, &error));
    SegmentDecoder decoder;
    for (auto [first, groups] : {std::pair{0, 11}, std::pair{11, 1}, std::pair{10, 1}}) {
        EXPECT_FALSE(decoder.Decode(*doc, file, first, groups, CalibrationOf(doc->options), &error))
            << first;
        EXPECT_EQ(error, "Cannot read " + quoted + ": the file ended early.");
    }
    for (int first : {0, 1}) {
        EXPECT_TRUE(decoder.Decode(*doc, file, first, 1, CalibrationOf(doc->options), &error));
        EXPECT_EQ(doc->segmentStartDistance, first * RawFileBuilder{}.distance(0));
    }
}

// A band the analysis refuses: the segment is read and the failure said.
// The loader refuses such a band before it reads; the chain itself says so when it meets one.
TEST_F(RawFileLoaderTest, TheAnalysisChainSaysWhenTheBandFails) {
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(RawFileBuilder{})).segmentRead);
    AnalysisSettings settings = AnalysisSettingsOf(doc->options);
    settings.band = {40.0f, 20.0f};
    deflection::FilterWorkspace workspace;
    std::string error;
    EXPECT_FALSE(RunAnalysisChain(*doc, settings, workspace, &error));
    EXPECT_EQ(error, "Math Exception: Invalid band specification.");
}

// A file cut short while its companions are read (its GPS track is a pipe whose writer cuts
// it): nothing of the segment before is left shown.
TEST_F(RawFileLoaderTest, AFileCutShortBeforeItsSegmentIsReadLeavesNothingShown) {
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(RawFileBuilder{}, "good.KVT")).segmentRead);
    doc->cycleCount = doc->resultCount = doc->loadCycleCount = doc->geoCycleCount = 3;
    const std::string path = Write(RawFileBuilder{}), gps = dir.File("t.GPS");
    ASSERT_EQ(mkfifo(gps.c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = -1; // opens once the loader reads, or gives up after 10 s
        for (int i = 0; i < 10'000 && (fd = open(gps.c_str(), O_WRONLY | O_NONBLOCK)) < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        fs::resize_file(path, 8000 + 2600 * 5);
        close(fd);
    });
    const LoadResult r = loader.OpenNewFile(*doc, path);
    writer.join();
    EXPECT_TRUE(r.fileOpened && !r.segmentRead);
    EXPECT_EQ(r.message, "Cannot read \"" + path + "\": the file ended early.");
    EXPECT_EQ((std::vector<int>{doc->pointCount, doc->groupCount, doc->cycleCount, doc->resultCount,
                                doc->loadCycleCount, doc->geoCycleCount}),
              std::vector<int>(6, 0));
}

// Companion files found ignoring case, and what was wrong with them, in the load's note; a
// new file opened without a segment holds none of the one before.
TEST_F(RawFileLoaderTest, CompanionFilesAndTheirNote) {
    doc->options.segmentGroups = 0; // a damaged setting reads one group
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.img"), {1, 2, 3}));
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("T.Dat"), {'n', 'o'}));
    Bytes track; // 6 points, 10 ft apart, each with a temperature
    for (int i = 0; i < 6; ++i)
        for (const Bytes& entry : {synth::GpsTrackEntry(38.1, -91.2, 700, 10.0f * i, 36000.0f + i),
                                   synth::GpsTemperatureEntry(80.0f + i, 10.0f * i)})
            track.insert(track.end(), entry.begin(), entry.end());
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.GPS"), track));
    const std::string path = Write(RawFileBuilder{});
    const std::string images =
        "The road images \"" + dir.File("t.img") + "\" are too short for their header.";
    const std::string gpr =
        " \"" + dir.File("T.Dat") +
        "\" is not a GPR file: it starts with neither \"QXR-GPR\" nor \"PULSE07\".";
    for (bool readSegment : {true, false}) {
        SCOPED_TRACE(readSegment);
        doc->options.showGprColormap = readSegment; // GPR scans only when shown
        const LoadResult r = loader.OpenNewFile(*doc, path, OpenOptions{readSegment});
        EXPECT_TRUE(r.fileOpened && r.segmentRead == readSegment);
        EXPECT_EQ(r.companionNote, readSegment ? images + gpr : images);
        EXPECT_EQ(r.title, "Raw data file has 2500 point and 10 group. Current read segment is:1");
        EXPECT_EQ((std::vector<std::string>{doc->images.imgPath, doc->gpr.gprData.path,
                                            doc->gps.gpsPath, doc->rdoPath, doc->txtPath}),
                  (std::vector<std::string>{dir.File("t.img"), dir.File("T.Dat"), dir.File("t.GPS"),
                                            dir.File("t.RDO"), dir.File("t.TXT")}));
        EXPECT_EQ(doc->pointCount + doc->groupCount, readSegment ? 250 + 1 : 0);
        EXPECT_EQ(doc->gps.distanceEnd, 50.0f); // the track's ranges
        EXPECT_TRUE(readSegment || doc->cycleCount + doc->loadCycleCount == 0);
        doc->cycleCount = doc->loadCycleCount = 1; // stale counts of another file
    }
    // Without a dot in the file name, dotted extensions: a dot in a folder name would name the
    // files of another test. The derived name wins, else the first spelling in name order.
    EXPECT_EQ(DeriveCompanionNames("/d/road").txt, "/d/road.TXT");
    EXPECT_EQ(DeriveCompanionNames("/d/run.1/road").img, "/d/run.1/road.IMG");
    EXPECT_EQ(DeriveCompanionNames("run.1/road.x").gps, "run.1/road.GPS");
    for (const char* name : {"u.iMG", "u.Img", "u.IMG"}) {
        ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File(name), {1}));
        EXPECT_EQ(FindCompanionFile(dir.File("u.IMG")), dir.File(name));
    }
}

// Descriptors of 250 bytes from byte 500: every field, names back to back and cut at the end
// of the descriptor (an all-0xFF header once read past it), a table cut short read as zeros.
TEST(ChannelTable, ReadsEveryFieldAndCutsNameLengthsThatOverrunTheDescriptor) {
    Bytes bytes(3500, 0);
    for (int i = 0; i < 12; ++i) {
        std::uint8_t* d = &bytes[500 + 250 * i];
        for (int k = 0; k < 34; ++k)
            d[k] = static_cast<std::uint8_t>(i * 16 + k + 1);
        d[25] = i % 3 == 0 ? 0 : 1;
        std::memcpy(d + 50, "\x03\x00\x02\x09\xFF", 5); // name lengths, the last too long
        std::memcpy(d + 55, "abcde", 5);
        std::memset(d + 60, 'z', 190);
    }
    Cchannel c;
    c.ReadChannelTable(bytes.data(), 500 + 250 * 11 + 25);
    c.ReadChannelTable(bytes.data(), 500 + 250 * 11 + 25); // read again: the same list
    EXPECT_EQ(std::vector<int>(c.activeList, c.activeList + c.activeCount),
              (std::vector<int>{1, 2, 4, 5, 7, 8, 10}));
    const Cdatachannel& d = c.dataChannels[1];
    EXPECT_EQ((std::vector<int>{d.field0, d.field4, d.field5, d.field6, d.field7, d.field9,
                                d.field13, d.field17, d.field21}),
              (std::vector<int>{0x14131211, 0x15, 0x16, 0x17, 0x1918, 0x1D1C1B1A, 0x21201F1E,
                                0x25242322, 0x29282726}));
    EXPECT_EQ(Bytes(d.field26, d.field26 + 8),
              (Bytes{0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32}));
    const std::string names[5] = {"abc", "", "de", std::string(9, 'z'), std::string(181, 'z')};
    EXPECT_TRUE(std::equal(names, names + 5, d.names));
    EXPECT_EQ(c.dataChannels[11].field21, static_cast<std::int32_t>(0xC9C8C7C6));
    EXPECT_EQ(c.dataChannels[11].active, 0);
}

// More than 400 groups left over form a segment of their own; fewer join the last one.
TEST(RawFileFormat, SegmentTablesAndGroupCounts) {
    using Ranges = std::vector<std::pair<long long, long long>>;
    // clang-format off
    const std::pair<long long, Ranges> cases[] = {{0, {}}, {400, {{0, 400}}}, {401, {{0, 401}}},
        {13200, {{0, 13200}}}, {13201, {{0, 12800}, {12800, 13201}}}};
    // clang-format on
    for (const auto& [groups, expected] : cases) {
        Ranges table;
        for (const auto& s : rawfile::BuildSegmentTable(groups, 12800))
            table.emplace_back(s.first, s.end);
        EXPECT_EQ(table, expected) << groups;
    }
    EXPECT_TRUE(rawfile::BuildSegmentTable(10, 0).empty());
    EXPECT_EQ(rawfile::GroupCountOfFile(7999, 5), 0);
    EXPECT_EQ(rawfile::GroupCountOfFile(8000 + 2600 * 3 + 2599, 5), 3);
    EXPECT_EQ(rawfile::GroupCountOfFile(8000 + 1000, 0), 10); // no channel: 100-byte groups
}

} // namespace
