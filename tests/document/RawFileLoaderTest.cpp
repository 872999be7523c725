// Reading raw test files into the document: the channel table, segments, decoding, refusals
// and companion files.
#include "document/RawFileLoader.h"
#include "document/CVorlixDoc.h"
#include "document/CompanionFiles.h"
#include "document/RawFile.h"
#include "document/RawFileFormat.h"
#include "document/SegmentDecoder.h"
#include "document/SegmentStepping.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Ranges = std::vector<std::pair<long long, long long>>;

float Calibrated(long double scale, int count) {
    return static_cast<float>(scale * count / 3276.8L);
}

long double GeoScale(float factor) {
    return static_cast<long double>(rawfile::kGeophoneConstant) / static_cast<long double>(factor);
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

// Load cell and selected geophone calibrated with their factors (geophone 4 has none), one
// distance per group plus one extrapolated (repeated for a single group), and the extremes.
TEST_F(RawFileLoaderTest, DecodesTheSegmentCalibrated) {
    const struct {
        int select, groups;
        float factor;
    } cases[] = {{1, 6, 0.8f}, {2, 1, 1.25f}, {3, 2, 3.0f}, {4, 6, 1.0f}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.select);
        doc->options.geophoneSelect = k.select;
        RawFileBuilder b;
        b.groups = k.groups;
        b.distance = [](int g) { return g == 5 ? 20.0f : 2.0f * static_cast<float>(g) + 1.0f; };
        const std::string path = Write(b);
        const LoadResult r = loader.OpenNewFile(*doc, path);
        ASSERT_TRUE(r.segmentRead) << r.message;
        EXPECT_TRUE(r.fileOpened && !r.analysisFailed && r.message.empty());
        EXPECT_EQ(r.title, rawfile::WindowTitle(k.groups, 1));
        EXPECT_EQ(doc->rawPath, path);
        EXPECT_EQ(doc->groupCount, k.groups);
        EXPECT_EQ(doc->pointCount, 250 * k.groups);
        const long double geoScale = GeoScale(k.factor);
        for (int p : {0, 249, 250, 1499}) {
            if (p >= 250 * k.groups)
                continue;
            EXPECT_EQ(doc->loadSignal[p], Calibrated(2.5L, b.sample(0, p / 250, p % 250))) << p;
            EXPECT_EQ(doc->geoSignal[p],
                      Calibrated(geoScale, b.sample(k.select, p / 250, p % 250)));
        }
        // Six groups hold every count -498..498 of a block, two -498..1, one -498..-249.
        const int top = k.groups == 1 ? -249 : k.groups == 2 ? 1 : 498;
        EXPECT_EQ(doc->loadMin, Calibrated(2.5L, -498));
        EXPECT_EQ(doc->loadMax, Calibrated(2.5L, top));
        EXPECT_EQ(doc->geoMin, Calibrated(geoScale, 1000 * k.select - 498));
        EXPECT_EQ(doc->geoMax, Calibrated(geoScale, 1000 * k.select + top));
        const float extra[] = {0.0f, 1.0f, 5.0f, 0.0f, 0.0f, 0.0f, 31.0f};
        EXPECT_EQ(doc->groupDistance[k.groups], extra[k.groups]);
        EXPECT_EQ(doc->segmentStartDistance, 0.0f);
    }
}

// 1300 groups of 500 per segment: two segments, the last with the 300 left over joined, but
// read 500 groups long. Stepping moves between them; a file that shrank is read as it is now.
TEST_F(RawFileLoaderTest, StepsThroughATwoSegmentFile) {
    doc->options.segmentGroups = 500;
    RawFileBuilder b;
    b.activeChannels = 2;
    b.groups = 1300;
    const std::string path = Write(b);
    ASSERT_TRUE(loader.OpenNewFile(*doc, path).segmentRead);
    CKVTcontrol& o = doc->options;
    EXPECT_EQ(o.segmentCount, 2);
    EXPECT_FALSE(StepToPreviousSegment(o));
    ASSERT_TRUE(StepToNextSegment(o));
    LoadResult r = loader.ReloadCurrentFile(*doc);
    ASSERT_TRUE(r.segmentRead);
    EXPECT_EQ(r.title, "Raw data file has 325000 point and 1300 group. Current read segment is:2");
    EXPECT_EQ(o.currentSegment, 1);
    EXPECT_EQ(doc->groupCount, 500);
    EXPECT_EQ(doc->segmentStartDistance, b.distance(499));
    EXPECT_EQ(doc->groupDistance[0], b.distance(500));
    EXPECT_EQ(doc->loadSignal[0], Calibrated(2.5L, b.sample(0, 500, 0)));
    EXPECT_EQ(doc->geoSignal[250 * 500 - 1], Calibrated(GeoScale(0.8f), b.sample(1, 999, 249)));
    EXPECT_FALSE(StepToNextSegment(o));
    EXPECT_EQ(o.currentSegment, 1);

    // Cut to 700 groups: one segment, and the current one is kept inside it.
    fs::resize_file(path, 8000 + 1100 * 700 + 50);
    r = loader.ReloadCurrentFile(*doc);
    ASSERT_TRUE(r.segmentRead);
    EXPECT_EQ(r.title, "Raw data file has 175000 point and 700 group. Current read segment is:1");
    EXPECT_EQ(o.segmentCount, 1);
    EXPECT_EQ(o.currentSegment, 0);
    EXPECT_EQ(doc->groupCount, 500);
    EXPECT_EQ(doc->segmentStartDistance, 0.0f);
    EXPECT_FALSE(StepToNextSegment(o));

    // Cut below one group: refused, and the document keeps the segment it shows.
    fs::resize_file(path, 8000 + 1099);
    r = loader.ReloadCurrentFile(*doc);
    EXPECT_FALSE(r.fileOpened || r.segmentRead);
    EXPECT_EQ(r.message, "\"" + path + "\" holds no whole group of samples (9099 bytes).");
    EXPECT_EQ(doc->groupCount, 500);
    EXPECT_EQ(o.segmentCount, 1);
}

// Every refusal says why and leaves the document as it was: its file, segment and tables.
TEST_F(RawFileLoaderTest, UnusableFilesAreRefusedAndTheDocumentKeepsWhatItHad) {
    RawFileBuilder goodFile;
    goodFile.groups = 8;
    const std::string good = Write(goodFile, "good.KVT");
    ASSERT_TRUE(loader.OpenNewFile(*doc, good).segmentRead);
    const float firstSample = doc->loadSignal[0];
    const std::string bad = dir.File("bad.KVT");
    auto file = [](int channels, std::size_t size) {
        RawFileBuilder b;
        b.activeChannels = channels;
        Bytes bytes = b.Build();
        bytes.resize(size);
        return bytes;
    };
    auto noGroup = [&](int size) {
        return "\"" + bad + "\" holds no whole group of samples (" + std::to_string(size) +
               " bytes).";
    };
    auto noBlock = [&](int channels, int select) {
        return "\"" + bad + "\" has " + std::to_string(channels) +
               " active channels: no block for Geophone-" + std::to_string(select) + ".";
    };
    auto notGeophone = [](int select) {
        return "Geophone " + std::to_string(select) +
               " is not a geophone of the test (1 to 4); choose one in the options.";
    };
    const std::string noFactor =
        "The calibration factor of Geophone-1 is not set; enter it in the options.";
    // clang-format off
    const struct { const char* name; Bytes bytes; int select; float factor; std::string message; }
    cases[] = {
        {"empty", {}, 1, 0.8f, noGroup(0)},
        {"partial group", file(5, 10'599), 1, 0.8f, noGroup(10'599)},
        {"geophone 0", file(5, 10'600), 0, 0.8f, notGeophone(0)},
        {"geophone 5", file(5, 10'600), 5, 0.8f, notGeophone(5)},
        {"no block for the geophone", file(2, 9'100), 2, 1.25f, noBlock(2, 2)},
        {"no active channel", file(0, 8'100), 1, 0.8f, noBlock(0, 1)},
        {"no factor", file(2, 9'100), 1, 0.0f, noFactor},
        {"factor not a number", file(2, 9'100), 1, std::nanf(""), noFactor},
    };
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(RawFileBuilder::WriteBytes(bad, k.bytes));
        doc->options.geophoneSelect = k.select;
        doc->options.centerFactor = k.factor;
        const LoadResult r = loader.OpenNewFile(*doc, bad);
        EXPECT_FALSE(r.fileOpened || r.segmentRead);
        EXPECT_EQ(r.message, k.message);
        EXPECT_EQ(doc->rawPath, good);
        EXPECT_EQ(doc->groupCount, 8);
        EXPECT_EQ(doc->channels.activeCount, 5);
        EXPECT_EQ(doc->loadSignal[0], firstSample);
    }
    doc->options.geophoneSelect = 1;
    doc->options.centerFactor = 0.8f;
    const std::string missing = dir.File("missing.KVT");
    EXPECT_EQ(loader.OpenNewFile(*doc, missing).message,
              "Cannot open \"" + missing + "\": " + std::strerror(ENOENT));
    EXPECT_EQ(loader.OpenNewFile(*doc, dir.Path()).message,
              "Cannot open \"" + dir.Path() + "\": not a file");
    EXPECT_EQ(doc->rawPath, good);
    CVorlixDoc fresh(dir.Path());
    EXPECT_EQ(loader.ReloadCurrentFile(fresh).message, "No raw data file is open.");
}

// Decoding past the end of a file fails with a message, for the groups and for the distance
// before the first group.
TEST_F(RawFileLoaderTest, DecodingPastTheEndOfTheFileFails) {
    RawFileBuilder b;
    b.groups = 3;
    RawFile file;
    std::string error;
    ASSERT_TRUE(file.Open(Write(b), 100, &error));
    SegmentDecoder decoder;
    for (auto [first, groups] : {std::pair{0, 4}, std::pair{4, 1}, std::pair{3, 1}}) {
        error.clear();
        EXPECT_FALSE(decoder.Decode(*doc, file, first, groups, &error)) << first;
        EXPECT_EQ(error, "Cannot read \"" + dir.File("t.KVT") + "\": the file ended early.");
    }
    EXPECT_TRUE(decoder.Decode(*doc, file, 2, 1, &error));
    EXPECT_EQ(doc->segmentStartDistance, b.distance(1));
}

// Companion files found ignoring case, and what was wrong with them, in the load's note; a
// new file opened without a segment holds none of the one before.
TEST_F(RawFileLoaderTest, CompanionFilesAndTheirNote) {
    doc->options.showGprColormap = 1;
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.img"), {1, 2, 3}));
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("T.Dat"), {'n', 'o'}));
    RawFileBuilder b;
    const std::string path = Write(b);
    const std::string note =
        "The road images \"" + dir.File("t.img") + "\" are too short for their header. \"" +
        dir.File("T.Dat") +
        "\" is not a GPR file: it starts with neither \"QXR-GPR\" nor \"PULSE07\".";
    for (bool readSegment : {true, false}) {
        SCOPED_TRACE(readSegment);
        doc->options.reloadRequested = true;
        const LoadResult r = loader.OpenNewFile(*doc, path, OpenOptions{readSegment});
        EXPECT_TRUE(r.fileOpened);
        EXPECT_EQ(r.segmentRead, readSegment);
        EXPECT_EQ(r.companionNote, note);
        EXPECT_EQ(r.title, "Raw data file has 2500 point and 10 group. Current read segment is:1");
        EXPECT_FALSE(doc->options.reloadRequested);
        EXPECT_EQ(doc->images.imgPath, dir.File("t.img"));
        EXPECT_EQ(doc->gpr.gprData.path, dir.File("T.Dat"));
        EXPECT_EQ(doc->gps.gpsPath, dir.File("t.GPS"));
        EXPECT_EQ(doc->rdoPath, dir.File("t.RDO"));
        EXPECT_EQ(doc->txtPath, dir.File("t.TXT"));
        EXPECT_EQ(doc->options.segmentCount, 1);
        EXPECT_EQ(doc->pointCount + doc->groupCount, readSegment ? 2500 + 10 : 0);
        const int counts =
            doc->cycleCount + doc->resultCount + doc->loadCycleCount + doc->geoCycleCount;
        EXPECT_TRUE(readSegment || counts == 0) << counts;
        doc->cycleCount = doc->resultCount = doc->loadCycleCount = doc->geoCycleCount = 1;
    }
    // A name without a dot gets dotted extensions; a dot in a folder name counts.
    EXPECT_EQ(DeriveCompanionNames("/d/road").txt, "/d/road.TXT");
    EXPECT_EQ(DeriveCompanionNames("/d/run.1/road").img, "/d/run.IMG");
    // The derived name wins; else the first spelling in name order.
    for (const char* name : {"u.iMG", "u.Img", "u.IMG"}) {
        ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File(name), {1}));
        EXPECT_EQ(FindCompanionFile(dir.File("u.IMG")), dir.File(name));
    }
}

// Descriptors of 250 bytes from byte 500: every field where it belongs, names back to back and
// cut at the descriptor's end, a table cut short read as zeros.
TEST(ChannelTable, ReadsEveryFieldAndCutsNameLengthsThatOverrunTheDescriptor) {
    Bytes bytes(3500, 0);
    for (int i = 0; i < 12; ++i) {
        std::uint8_t* d = &bytes[500 + 250 * i];
        for (int k = 0; k < 34; ++k)
            d[k] = static_cast<std::uint8_t>(i * 16 + k + 1);
        d[25] = i % 3 == 0 ? 0 : 1;
        const std::uint8_t lengths[5] = {3, 0, 2, 255, 9};
        std::memcpy(d + 50, lengths, 5);
        std::memcpy(d + 55, "abcde", 5);
        std::memset(d + 60, 'z', 190);
    }
    Cchannel c;
    c.ReadChannelTable(bytes.data(), 500 + 250 * 11 + 25);
    EXPECT_EQ(c.activeCount, 7);
    EXPECT_EQ(std::vector<int>(c.activeList, c.activeList + 7),
              (std::vector<int>{1, 2, 4, 5, 7, 8, 10}));
    const Cdatachannel& d = c.dataChannels[1];
    EXPECT_EQ(d.field0, 0x14131211);
    EXPECT_EQ(std::vector<int>({d.field4, d.field5, d.field6, d.field7}),
              (std::vector<int>{0x15, 0x16, 0x17, 0x1918}));
    EXPECT_EQ(std::vector<int>({d.field9, d.field13, d.field17, d.field21}),
              (std::vector<int>{0x1D1C1B1A, 0x21201F1E, 0x25242322, 0x29282726}));
    EXPECT_EQ(Bytes(d.field26, d.field26 + 8),
              (Bytes{0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32}));
    const std::string names[5] = {"abc", "", "de", std::string(190, 'z'), ""};
    EXPECT_TRUE(std::equal(names, names + 5, d.names));
    // The last descriptor ends before its active flag, which reads as zero.
    EXPECT_EQ(c.dataChannels[11].field21, static_cast<std::int32_t>(0xC9C8C7C6));
    EXPECT_EQ(c.dataChannels[11].active, 0);
}

TEST(RawFileFormat, SegmentTablesGroupCountsAndTitle) {
    // More than 400 groups left over form a segment of their own; fewer join the last one.
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
    EXPECT_EQ(rawfile::WindowTitle(13201, 2),
              "Raw data file has 3300250 point and 13201 group. Current read segment is:2");
}

} // namespace
