#include "document/ConversionExport.h"
#include "document/ByteOrder.h"
#include "document/Cchannel.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace {

using namespace conversion;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Value c of "_A.DAT" record r.
float AValue(const std::vector<std::uint8_t>& bytes, std::size_t record, int c) {
    return byteorder::LoadBE<float>(
        &bytes[record * kARecordBytes + 4 * static_cast<std::size_t>(c)]);
}

double CValue(const std::vector<std::uint8_t>& bytes, std::size_t record, int field) {
    return byteorder::LoadBE<double>(
        &bytes[record * kCRecordBytes + 8 * static_cast<std::size_t>(field)]);
}

float Converted(std::int16_t count) {
    return static_cast<float>(count / 3276.8);
}

std::array<float, 250> PulseTrain(std::int64_t pulses) {
    std::array<float, 250> channel{};
    ApplyPulseTrain(channel.data(), pulses);
    return channel;
}

int HighSamples(const std::array<float, 250>& channel) {
    int n = 0;
    for (float v : channel)
        n += v == 5.0f;
    return n;
}

TEST(ConversionPulses, OneFootGivesTwentyOnePulsesOfFiveSamples) {
    const std::int64_t p = PulseCount(101.0, 100.0);
    EXPECT_EQ(p, 21);
    const auto channel = PulseTrain(p);
    // m = 11, q = 2: high at 2..6, 13..17, ..., 222..226.
    for (int k = 0; k < 21; ++k)
        for (int s = 0; s < 11; ++s)
            EXPECT_EQ(channel[2 + 11 * k + s], s < 5 ? 5.0f : 0.0f) << "pulse " << k << " +" << s;
    EXPECT_EQ(channel[0], 0.0f);
    EXPECT_EQ(channel[1], 0.0f);
    EXPECT_EQ(HighSamples(channel), 21 * 5);
}

TEST(ConversionPulses, StandingOrBackwardMovementGivesNoPulses) {
    EXPECT_EQ(PulseCount(100.0, 100.0), 0);
    EXPECT_EQ(PulseCount(99.0, 100.0), -20);
    EXPECT_EQ(HighSamples(PulseTrain(0)), 0);
    EXPECT_EQ(HighSamples(PulseTrain(-20)), 0);
}

TEST(ConversionPulses, MoreThan250PulsesLeaveTheGroupUntouched) {
    EXPECT_EQ(PulseCount(100.0, 0.0), 2124);
    EXPECT_EQ(HighSamples(PulseTrain(251)), 0);
    EXPECT_EQ(HighSamples(PulseTrain(2124)), 0);
    // From 126 pulses on the pulse width (250 / p) / 2 is 0.
    EXPECT_EQ(HighSamples(PulseTrain(126)), 0);
    EXPECT_EQ(HighSamples(PulseTrain(125)), 125);
    EXPECT_EQ(HighSamples(PulseTrain(1)), 125); // samples 62..186
}

TEST(ConversionPulses, NanInfiniteAndHugeDistancesConvertWithoutOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PulseCount(nan, 0.0), 0);
    EXPECT_EQ(PulseCount(5.0, nan), 0);
    EXPECT_EQ(PulseCount(inf, 0.0), 0);
    EXPECT_EQ(PulseCount(-inf, 0.0), 0);
    EXPECT_EQ(PulseCount(3.0e38, -3.0e38), 0);
    EXPECT_EQ(PulseCount(-3.0e38, 3.0e38), 0);
}

TEST(ConversionNames, BaseDropsOnlyTheFileNamesExtension) {
    EXPECT_EQ(DefaultOutputBase("/data/run7.KVT"), "/data/run7");
    EXPECT_EQ(DefaultOutputBase("run.2.KVT"), "run.2");
    EXPECT_EQ(DefaultOutputBase("/data.v2/run7"), "/data.v2/run7");
    EXPECT_EQ(DefaultOutputBase("run7"), "run7");
    EXPECT_EQ(APath("/x/run7"), "/x/run7_A.DAT");
    EXPECT_EQ(CPath("/x/run7"), "/x/run7_C.DAT");
}

class ConversionExportTest : public ::testing::Test {
protected:
    std::string Write(const RawFileBuilder& b) {
        const std::string path = dir.File("t.KVT");
        EXPECT_TRUE(b.Write(path));
        return path;
    }
    ConversionStatus Convert(const std::string& path, Cchannel* channels = nullptr,
                             const ProgressCallback& progress = {},
                             const CancelCheck& cancelled = {}) {
        return ConvertRawFile(path, dir.File("t"), channels, progress, cancelled);
    }

    TempDir dir;
};

TEST_F(ConversionExportTest, FourGroupsOfThreeChannelsGiveAThousandRecordsAndOneTimeStamp) {
    RawFileBuilder b;
    b.activeChannels = 3;
    b.groups = 4;
    b.distance = [](int g) { return 100.0f + static_cast<float>(g); };
    Cchannel channels;
    const ConversionStatus status = Convert(Write(b), &channels);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_TRUE(status.message.empty());
    EXPECT_EQ(channels.activeCount, 3);
    EXPECT_EQ(status.groupCount, 4);
    EXPECT_EQ(status.aRecords, 1000);
    EXPECT_EQ(status.cRecords, 1);

    const auto a = ReadBytes(dir.File("t_A.DAT"));
    ASSERT_EQ(a.size(), 1000u * 36);
    for (int g = 0; g < 4; ++g) {
        // Group 0 starts 100 ft from 0: 2124 pulses, none drawn. Later groups moved 1 ft each.
        const auto pulses = PulseTrain(g == 0 ? 2124 : 21);
        for (int j = 0; j < 250; ++j) {
            const std::size_t r = 250u * g + j;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(AValue(a, r, c), Converted(b.sample(c, g, j))) << r << " " << c;
            for (int c = 3; c < 9; ++c)
                ASSERT_EQ(AValue(a, r, c), c == 7 ? pulses[j] : 0.0f) << r << " " << c;
        }
    }
    EXPECT_EQ(AValue(a, 250 + 2, 7), 5.0f);
    EXPECT_EQ(AValue(a, 250 + 7, 7), 0.0f);

    const auto c = ReadBytes(dir.File("t_C.DAT"));
    ASSERT_EQ(c.size(), 16u);
    EXPECT_EQ(CValue(c, 0, 0), 100.0);
    EXPECT_EQ(CValue(c, 0, 1), 8024.0);
}

TEST_F(ConversionExportTest, EveryFourthGroupGetsATimeStampRecord) {
    RawFileBuilder b;
    b.groups = 5;
    b.distance = [](int g) { return 0.5f * static_cast<float>(g); };
    ASSERT_TRUE(Convert(Write(b)).ok);
    const auto c = ReadBytes(dir.File("t_C.DAT"));
    ASSERT_EQ(c.size(), 32u);
    EXPECT_EQ(CValue(c, 0, 0), 0.0);
    EXPECT_EQ(CValue(c, 0, 1), 8024.0);
    EXPECT_EQ(CValue(c, 1, 0), 2.0);
    EXPECT_EQ(CValue(c, 1, 1), 8025.0);
    EXPECT_EQ(ReadBytes(dir.File("t_A.DAT")).size(), 5u * 250 * 36);
}

TEST_F(ConversionExportTest, ValuesAreBigEndianOnDisk) {
    RawFileBuilder b;
    b.activeChannels = 1;
    b.groups = 1;
    b.sample = [](int, int, int) { return std::int16_t{16384}; }; // 5.0
    b.distance = [](int) { return 0.0f; };
    ASSERT_TRUE(Convert(Write(b)).ok);
    const auto a = ReadBytes(dir.File("t_A.DAT"));
    ASSERT_EQ(a.size(), 250u * 36);
    EXPECT_EQ(std::vector<std::uint8_t>(a.begin(), a.begin() + 8),
              (std::vector<std::uint8_t>{0x40, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    const auto c = ReadBytes(dir.File("t_C.DAT"));
    EXPECT_EQ(c, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, //
                                            0x40, 0xBF, 0x58, 0, 0, 0, 0, 0}));
}

TEST_F(ConversionExportTest, ChannelsBeyondTheNinthAreDroppedAndChannelSevenKeepsItsSamples) {
    RawFileBuilder b;
    b.activeChannels = 12;
    b.groups = 2;
    b.distance = [](int g) { return g == 0 ? 0.0f : 0.5f; }; // 11 pulses in group 1
    ASSERT_TRUE(Convert(Write(b)).ok);
    const auto a = ReadBytes(dir.File("t_A.DAT"));
    ASSERT_EQ(a.size(), 500u * 36);
    const auto pulses = PulseTrain(PulseCount(0.5, 0.0));
    for (int g = 0; g < 2; ++g)
        for (int j = 0; j < 250; ++j)
            for (int c = 0; c < 9; ++c) {
                float expected = Converted(b.sample(c, g, j));
                if (c == 7 && g == 1 && pulses[j] == 5.0f)
                    expected = 5.0f;
                ASSERT_EQ(AValue(a, 250u * g + j, c), expected) << g << " " << j << " " << c;
            }
}

TEST_F(ConversionExportTest, ReadsAcrossItsInputBlocks) {
    RawFileBuilder b;
    b.activeChannels = 12; // 6100-byte groups: 687 of them fill one 4 MiB block
    b.groups = 700;
    b.distance = [](int g) { return static_cast<float>(g); };
    std::vector<std::int64_t> progress;
    const ConversionStatus status =
        Convert(Write(b), nullptr, [&](long long done, long long) { progress.push_back(done); });
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(progress, (std::vector<std::int64_t>{0, 687, 700}));
    const auto a = ReadBytes(dir.File("t_A.DAT"));
    ASSERT_EQ(a.size(), 700u * 250 * 36);
    for (int g : {686, 687, 699})
        for (int j : {0, 249})
            EXPECT_EQ(AValue(a, 250u * g + j, 0), Converted(b.sample(0, g, j))) << g;
    const auto c = ReadBytes(dir.File("t_C.DAT"));
    ASSERT_EQ(c.size(), 175u * 16);
    EXPECT_EQ(CValue(c, 172, 0), 688.0);
    EXPECT_EQ(CValue(c, 174, 1), 8024.0 + 0.25 * 696);
}

TEST_F(ConversionExportTest, FileWithoutAWholeGroupGivesEmptyOutputsAndANote) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{3000}, std::size_t{7999}, std::size_t{8000 + 2599}}) {
        RawFileBuilder b;
        b.groups = 0;
        auto bytes = b.Build();
        bytes.resize(size, 0);
        const std::string path = dir.File("t.KVT");
        ASSERT_TRUE(RawFileBuilder::WriteBytes(path, bytes));
        WriteText(dir.File("t_A.DAT"), "old");
        WriteText(dir.File("t_C.DAT"), "old");
        const ConversionStatus status = Convert(path);
        ASSERT_TRUE(status.ok) << size << ": " << status.message;
        EXPECT_FALSE(status.message.empty()) << size;
        EXPECT_EQ(status.aRecords, 0);
        EXPECT_EQ(std::filesystem::file_size(dir.File("t_A.DAT")), 0u) << size;
        EXPECT_EQ(std::filesystem::file_size(dir.File("t_C.DAT")), 0u) << size;
    }
}

TEST_F(ConversionExportTest, PartialLastGroupIsNotConverted) {
    RawFileBuilder b;
    b.groups = 3;
    b.trailingBytes = 2000;
    const ConversionStatus status = Convert(Write(b));
    ASSERT_TRUE(status.ok);
    EXPECT_EQ(status.aRecords, 750);
    EXPECT_EQ(std::filesystem::file_size(dir.File("t_A.DAT")), 750u * 36);
}

TEST_F(ConversionExportTest, MissingInputChangesNothing) {
    Cchannel channels;
    channels.activeCount = 7;
    WriteText(dir.File("t_A.DAT"), "old");
    const ConversionStatus status = Convert(dir.File("missing.KVT"), &channels);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("missing.KVT"), std::string::npos) << status.message;
    EXPECT_EQ(channels.activeCount, 7);
    EXPECT_EQ(ReadText(dir.File("t_A.DAT")), "old");
    EXPECT_FALSE(std::filesystem::exists(dir.File("t_C.DAT")));
}

TEST_F(ConversionExportTest, OutputFolderMissingIsReported) {
    RawFileBuilder b;
    const ConversionStatus status =
        ConvertRawFile(Write(b), dir.File("no-such-folder/t"), nullptr, {});
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("no-such-folder"), std::string::npos) << status.message;
}

TEST_F(ConversionExportTest, InputShrinkingMidConversionLeavesNoHalfWrittenFile) {
    RawFileBuilder b;
    b.activeChannels = 12;
    b.groups = 1400; // three input blocks
    const std::string path = Write(b);
    WriteText(dir.File("t_A.DAT"), "old A");
    WriteText(dir.File("t_C.DAT"), "old C");
    const ConversionStatus status = Convert(path, nullptr, [&](long long done, long long) {
        if (done > 0)
            std::filesystem::resize_file(path, 8000 + 6100 * 800);
    });
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("ended early"), std::string::npos) << status.message;
    EXPECT_EQ(ReadText(dir.File("t_A.DAT")), "old A");
    EXPECT_EQ(ReadText(dir.File("t_C.DAT")), "old C");
    EXPECT_TRUE(!dir.HasTemporaryFiles());
}

} // namespace

TEST_F(ConversionExportTest, CancelledConversionWritesNothing) {
    RawFileBuilder b;
    b.groups = 8;
    const ConversionStatus status = Convert(Write(b), nullptr, {}, [] { return true; });
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, kCancelledMessage);
    EXPECT_FALSE(std::filesystem::exists(dir.File("t_A.DAT")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t_C.DAT")));
    EXPECT_FALSE(dir.HasTemporaryFiles());
}
