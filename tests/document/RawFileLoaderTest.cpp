#include "document/RawFileLoader.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileFormat.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

class RawFileLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        SetTestCalibration(doc->options);
    }

    std::string Write(const RawFileBuilder& builder, const std::string& name = "t.KVT") {
        std::string path = dir.File(name);
        EXPECT_TRUE(builder.Write(path));
        return path;
    }

    static float Calibrated(long double scale, int count) {
        return static_cast<float>(scale * count / 3276.8L);
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
};

TEST_F(RawFileLoaderTest, DecodesLoadAndSelectedGeophoneCalibrated) {
    RawFileBuilder b;
    b.groups = 12;
    std::string path = Write(b);
    LoadResult r = loader.OpenNewFile(*doc, path);
    ASSERT_TRUE(r.segmentRead) << r.message;
    EXPECT_EQ(doc->groupCount, 12);
    EXPECT_EQ(doc->pointCount, 3000);
    EXPECT_EQ(doc->rawPath, path);
    const long double geoScale = 5.305169250814609L / 0.8L;
    for (int p : {0, 1, 249, 250, 1777, 2999}) {
        int g = p / 250, i = p % 250;
        EXPECT_EQ(doc->loadSignal[p], Calibrated(2.5L, b.sample(0, g, i))) << p;
        EXPECT_EQ(doc->geoSignal[p], Calibrated(geoScale, b.sample(1, g, i))) << p;
    }
    EXPECT_EQ(r.title, "Raw data file has 3000 point and 12 group. Current read segment is:1");
}

TEST_F(RawFileLoaderTest, GroupDistancesWithOneExtrapolatedEntry) {
    RawFileBuilder b;
    b.groups = 6;
    b.distance = [](int g) { return g == 5 ? 20.0f : 2.0f * static_cast<float>(g); };
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_EQ(doc->groupDistance[0], 0.0f);
    EXPECT_EQ(doc->groupDistance[4], 8.0f);
    EXPECT_EQ(doc->groupDistance[5], 20.0f);
    EXPECT_EQ(doc->groupDistance[6], 32.0f);
    EXPECT_EQ(doc->segmentStartDistance, 0.0f);
}

TEST_F(RawFileLoaderTest, SingleGroupRepeatsItsDistance) {
    RawFileBuilder b;
    b.groups = 1;
    b.distance = [](int) { return 7.5f; };
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_EQ(doc->groupDistance[1], 7.5f);
}

TEST_F(RawFileLoaderTest, MinimaAndMaximaOfTheSegment) {
    RawFileBuilder b;
    b.groups = 3;
    b.sample = [](int block, int g, int i) -> std::int16_t {
        if (block == 0 && g == 1 && i == 7)
            return 32767;
        if (block == 1 && g == 2 && i == 9)
            return -32768;
        return 0;
    };
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_EQ(doc->loadMax, Calibrated(2.5L, 32767));
    EXPECT_EQ(doc->loadMin, 0.0f);
    EXPECT_EQ(doc->geoMin, Calibrated(5.305169250814609L / 0.8L, -32768));
    EXPECT_EQ(doc->geoMax, 0.0f);
}

TEST_F(RawFileLoaderTest, ReadsTheChosenSegmentWithItsStartDistance) {
    doc->options.segmentGroups = 100;
    RawFileBuilder b;
    b.groups = 1000; // ten segments of 100 groups
    std::string path = Write(b);
    ASSERT_TRUE(loader.OpenNewFile(*doc, path).segmentRead);
    EXPECT_EQ(doc->options.segmentCount, 10);
    doc->options.currentSegment = 3;
    LoadResult r = loader.ReloadCurrentFile(*doc);
    ASSERT_TRUE(r.segmentRead);
    EXPECT_EQ(doc->options.currentSegment, 3);
    EXPECT_EQ(doc->groupCount, 100);
    EXPECT_EQ(doc->segmentStartDistance, b.distance(299));
    EXPECT_EQ(doc->groupDistance[0], b.distance(300));
    EXPECT_EQ(doc->loadSignal[0], Calibrated(2.5L, b.sample(0, 300, 0)));
    EXPECT_EQ(r.title, "Raw data file has 250000 point and 1000 group. Current read segment is:4");
}

TEST_F(RawFileLoaderTest, ReloadForChangedOptionsKeepsTheCurrentSegment) {
    doc->options.segmentGroups = 100;
    RawFileBuilder b;
    b.groups = 1000;
    std::string path = Write(b);
    ASSERT_TRUE(loader.OpenNewFile(*doc, path).segmentRead);
    doc->options.currentSegment = 6;
    ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
    doc->options.geophoneSelect = 2;
    doc->options.reloadRequested = true;
    ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
    EXPECT_EQ(doc->options.currentSegment, 6);
    EXPECT_FALSE(doc->options.reloadRequested);
    EXPECT_EQ(doc->geoSignal[5], Calibrated(5.305169250814609L / 1.25L, b.sample(2, 600, 5)));
}

TEST_F(RawFileLoaderTest, GeophoneFourReadsItsBlockUnscaled) {
    doc->options.geophoneSelect = 4;
    RawFileBuilder b;
    b.groups = 2;
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_EQ(doc->geoSignal[3], Calibrated(5.305169250814609L, b.sample(4, 0, 3)));
}

TEST_F(RawFileLoaderTest, PartialLastGroupIsIgnored) {
    RawFileBuilder b;
    b.groups = 4;
    b.trailingBytes = 1234;
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_EQ(doc->groupCount, 4);
}

TEST_F(RawFileLoaderTest, NanDistancesLoadWithoutFault) {
    RawFileBuilder b;
    b.groups = 5;
    b.distance = [](int) { return std::nanf(""); };
    ASSERT_TRUE(loader.OpenNewFile(*doc, Write(b)).segmentRead);
    EXPECT_TRUE(std::isnan(doc->groupDistance[5]));
}

// Every refusal leaves the document as it was: signals, counts and the open file.
TEST_F(RawFileLoaderTest, UnusableFilesAreRefusedAndTheDocumentKeepsWhatItHad) {
    RawFileBuilder good;
    good.groups = 8;
    std::string goodPath = Write(good, "good.KVT");
    ASSERT_TRUE(loader.OpenNewFile(*doc, goodPath).segmentRead);
    const float firstSample = doc->loadSignal[0];

    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> bad;
    bad.push_back({"empty", {}});
    bad.push_back({"header only", std::vector<std::uint8_t>(7999, 0)});
    bad.push_back({"all 0xFF", std::vector<std::uint8_t>(8000 + 6100 * 3, 0xFF)});
    std::mt19937 random(5);
    std::vector<std::uint8_t> noise(50'000);
    for (auto& byte : noise)
        byte = static_cast<std::uint8_t>(random());
    bad.push_back({"random", noise});
    RawFileBuilder oneChannel;
    oneChannel.activeChannels = 1;
    bad.push_back({"no geophone block", oneChannel.Build()});
    RawFileBuilder noChannel;
    noChannel.activeChannels = 0;
    bad.push_back({"no active channel", noChannel.Build()});

    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        std::string path = dir.File("bad.KVT");
        ASSERT_TRUE(RawFileBuilder::WriteBytes(path, bytes));
        LoadResult r = loader.OpenNewFile(*doc, path);
        if (name == "all 0xFF" || name == "random") {
            // Such files may still decode (every flag set): they must never fault.
            if (r.segmentRead) {
                ASSERT_TRUE(loader.OpenNewFile(*doc, goodPath).segmentRead);
                continue;
            }
        }
        EXPECT_FALSE(r.segmentRead);
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(doc->rawPath, goodPath);
        EXPECT_EQ(doc->groupCount, 8);
        EXPECT_EQ(doc->loadSignal[0], firstSample);
    }

    LoadResult missing = loader.OpenNewFile(*doc, dir.File("missing.KVT"));
    EXPECT_FALSE(missing.segmentRead);
    EXPECT_NE(missing.message.find("Cannot open"), std::string::npos);
    EXPECT_FALSE(loader.OpenNewFile(*doc, dir.Path()).segmentRead);
    EXPECT_EQ(doc->rawPath, goodPath);
}

TEST_F(RawFileLoaderTest, MissingGeophoneFactorIsRefusedWithAMessage) {
    doc->options.centerFactor = 0.0f;
    RawFileBuilder b;
    LoadResult r = loader.OpenNewFile(*doc, Write(b));
    EXPECT_FALSE(r.segmentRead);
    EXPECT_NE(r.message.find("Geophone-1"), std::string::npos);
    EXPECT_EQ(doc->pointCount, 0);
}

TEST_F(RawFileLoaderTest, AllFfHeaderReadsAbsurdNameLengthsInsideTheDescriptor) {
    // Twelve active channels whose name lengths (255 each) overrun the descriptor.
    std::vector<std::uint8_t> bytes(8000 + 6100 * 2, 0xFF);
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("ff.KVT"), bytes));
    LoadResult r = loader.OpenNewFile(*doc, dir.File("ff.KVT"));
    ASSERT_TRUE(r.segmentRead) << r.message;
    EXPECT_EQ(doc->channels.activeCount, 12);
    EXPECT_EQ(doc->groupCount, 2);
    EXPECT_EQ(doc->channels.dataChannels[0].names[0].size(), 195u);
    EXPECT_TRUE(doc->channels.dataChannels[0].names[1].empty());
}

} // namespace
