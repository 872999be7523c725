// The generator's files, read back by byte offsets.
#include "support/SynthFixture.h"
#include "tools/SynthTestUtil.h"

#include "analysis/CKVTcontrol.h"
#include "synth/GprWriter.h"

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using synthtest::At;
using synthtest::Kvt;
using synthtest::ReadBytes;

namespace {

synth::Options Small(int groups = 120) {
    synth::Options o = SmallSynthOptions();
    o.groups = groups;
    return o;
}

std::string DescriptorName(const std::vector<std::uint8_t>& bytes, int channel, int which) {
    const std::size_t d = 500 + 250 * static_cast<std::size_t>(channel);
    std::size_t at = d + 55;
    for (int k = 0; k < which; ++k)
        at += bytes[d + 50 + k];
    return std::string(reinterpret_cast<const char*>(&bytes[at]), bytes[d + 50 + which]);
}

} // namespace

TEST(SynthFiles, SameSeedGivesIdenticalBytesAndOtherSeedDiffers) {
    TempDir a, b, c;
    synth::Options options = Small(80);
    options.stops = true;
    SynthFiles first = GenerateSynthFiles(a, options);
    SynthFiles second = GenerateSynthFiles(b, options);
    options.seed = 2;
    SynthFiles other = GenerateSynthFiles(c, options);
    ASSERT_TRUE(first.ok && second.ok && other.ok) << first.error << second.error << other.error;
    for (const char* name :
         {"road.KVT", "road.GPS", "road.IMG", "road.DAT", "road.truth.csv", "Vorlixcontrol.dat"}) {
        const auto bytes = ReadBytes(a.File(name));
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, ReadBytes(b.File(name))) << name;
    }
    EXPECT_NE(ReadBytes(a.File("road.KVT")), ReadBytes(c.File("road.KVT")));
    EXPECT_NE(ReadBytes(a.File("road.truth.csv")), ReadBytes(c.File("road.truth.csv")));
}

TEST(SynthFiles, KvtSizeHeaderAndDescriptorsForEveryChannelCount) {
    for (int channels : {2, 5, 12}) {
        TempDir dir;
        synth::Options options = Small(37);
        options.channels = channels;
        SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        Kvt kvt(files.kvt);
        EXPECT_EQ(kvt.bytes.size(), 8000u + 37u * (channels * 500u + 100u)) << channels;
        EXPECT_EQ(kvt.channels, channels);
        for (int c = 0; c < 12; ++c)
            EXPECT_EQ(kvt.bytes[500 + 250 * c + 25] != 0, c < channels) << c;
        EXPECT_EQ(DescriptorName(kvt.bytes, 0, 0), "Load");
        EXPECT_EQ(DescriptorName(kvt.bytes, 0, 1), "kips");
        EXPECT_EQ(DescriptorName(kvt.bytes, 1, 0), "Geophone-1");
        if (channels == 12) {
            EXPECT_EQ(DescriptorName(kvt.bytes, 11, 0), "Aux-12");
        }
        // The group distance field is the DMI distance reached by the end of the group.
        EXPECT_GT(kvt.Distance(0), 0.0f);
        for (int g = 1; g < kvt.groups; ++g)
            EXPECT_GT(kvt.Distance(g), kvt.Distance(g - 1));
    }
}

TEST(SynthFiles, GpsEntriesParseBackToBackWithTrackAndTemperature) {
    TempDir dir;
    SynthFiles files = GenerateSynthFiles(dir, Small(200));
    ASSERT_TRUE(files.ok) << files.error;
    const auto bytes = ReadBytes(files.gps);
    // The reader's loop: a tag byte, then the body right after the 3-byte lead-in.
    std::vector<float> trackDistance, trackTime, temperatureDistance, temperature;
    std::vector<double> latitude;
    std::size_t pos = 0;
    while (pos + 1 < bytes.size()) {
        ASSERT_LE(pos + 4, bytes.size());
        if (bytes[pos] == 'G') {
            ASSERT_EQ(At<std::int16_t>(bytes, pos + 3), 1111);
            latitude.push_back(At<double>(bytes, pos + 3 + 8));
            trackDistance.push_back(At<float>(bytes, pos + 3 + 40));
            trackTime.push_back(At<float>(bytes, pos + 3 + 52));
            pos += 59;
        } else if (bytes[pos] == 'I') {
            ASSERT_EQ(At<std::int16_t>(bytes, pos + 3), 2222);
            temperature.push_back(At<float>(bytes, pos + 3 + 4));
            temperatureDistance.push_back(At<float>(bytes, pos + 3 + 8) / 21.235f);
            pos += 27;
        } else {
            FAIL() << "no tag at byte " << pos;
        }
    }
    EXPECT_EQ(pos, bytes.size());
    ASSERT_EQ(trackDistance.size(), 101u); // 50 s of track every 0.5 s, both ends
    EXPECT_EQ(temperature.size(), 26u);
    Kvt kvt(files.kvt);
    // Track point 10 is taken 5 s in, where group 19 ends.
    EXPECT_FLOAT_EQ(trackDistance[0], 0.0f);
    EXPECT_FLOAT_EQ(trackDistance[10], kvt.Distance(19));
    for (std::size_t i = 1; i < trackDistance.size(); ++i) {
        EXPECT_FLOAT_EQ(trackTime[i] - trackTime[i - 1], 0.5f);
        const double mph = (trackDistance[i] - trackDistance[i - 1]) / 0.5 * 0.6818182;
        EXPECT_NEAR(mph, 10.0, 1.5);
        EXPECT_NE(latitude[i], latitude[i - 1]);
    }
    for (std::size_t i = 0; i < temperature.size(); ++i) {
        EXPECT_NEAR(temperatureDistance[i], trackDistance[4 * i], 0.01);
        EXPECT_GT(temperature[i], 80.0f);
        EXPECT_LT(temperature[i], 110.0f);
    }
}

TEST(SynthFiles, ImageIndexPointsAtDecodableJpegPictures) {
    TempDir dir;
    synth::Options options = Small(200); // about 730 ft: 30 pictures 25 ft apart by default
    options.pictures = -1;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    const auto bytes = ReadBytes(files.img);
    const int n = At<std::int32_t>(bytes, 244);
    const int t = At<std::int32_t>(bytes, 248);
    EXPECT_EQ(At<std::int32_t>(bytes, 252), static_cast<std::int32_t>(bytes.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[160])), "This is a test file");
    EXPECT_EQ(t, 1296);
    Kvt kvt(files.kvt);
    EXPECT_NEAR(n, std::floor(kvt.EndDistance() / 25.0) + 1, 1.0);
    for (int i = 0; i < n; ++i) {
        const int distance = At<std::int32_t>(bytes, t + 8 * i);
        const int offset = At<std::int32_t>(bytes, t + 8 * i + 4);
        const int next =
            i + 1 < n ? At<std::int32_t>(bytes, t + 8 * i + 12) : static_cast<int>(bytes.size());
        EXPECT_EQ(distance, 25 * i);
        ASSERT_LT(offset, next);
        if (i == 0 || i == n - 1) {
            QImage picture;
            ASSERT_TRUE(picture.loadFromData(reinterpret_cast<const uchar*>(&bytes[offset]),
                                             next - offset, "JPG"))
                << i;
            EXPECT_EQ(picture.width(), 160);
            EXPECT_EQ(picture.height(), 120);
        }
    }
}

TEST(SynthFiles, GprFileHasKindMarkAndOneScanPerFootWithDistances) {
    for (auto kind : {synth::Options::Gpr::Qxr, synth::Options::Gpr::Pulse}) {
        TempDir dir;
        synth::Options options = Small(400); // about 1470 ft
        options.startFt = 900.25;
        options.gpr = kind;
        SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        const auto bytes = ReadBytes(files.dat);
        ASSERT_EQ(bytes.size() % 2048, 0u);
        const int scans = static_cast<int>(bytes.size() / 2048) - 1;
        const bool qxr = kind == synth::Options::Gpr::Qxr;
        EXPECT_EQ(std::memcmp(bytes.data(), qxr ? "QXR-GPR" : "PULSE07", 7), 0);
        Kvt kvt(files.kvt);
        const double end = kvt.EndDistance();
        EXPECT_NEAR(scans, end - 901.0 + 1.0, 1.0);
        int marks = 0;
        for (int j = 0; j < scans; ++j) {
            const std::size_t block = 2048 * static_cast<std::size_t>(j + 1);
            const int miles = At<std::int16_t>(bytes, block + 2044);
            const int feet = At<std::int16_t>(bytes, block + 2046);
            ASSERT_EQ(miles * 5280 + feet, 901 + j);
            double sum = 0;
            const int usable = qxr ? 974 : 1022;
            for (int k = 0; k < usable; ++k) {
                const int a = At<std::int16_t>(bytes, block + 2 * k);
                ASSERT_GE(a, 0);
                ASSERT_LE(a, 4095);
                sum += a;
            }
            EXPECT_NEAR(sum / usable, 2048.0, 60.0);
            if (qxr) {
                EXPECT_EQ(At<std::uint16_t>(bytes, block + 1948), j / 10 + 1);
                EXPECT_NEAR(At<double>(bytes, block + 1948 + 8), 40.0, 3.0);
                EXPECT_NEAR(At<double>(bytes, block + 1948 + 16), -89.0, 4.0);
                if (At<std::int16_t>(bytes, block + 2042) != 0) {
                    ++marks;
                    EXPECT_EQ((901 + j) % 1000, 0);
                }
            }
        }
        if (qxr) {
            EXPECT_EQ(marks, end >= 2000.0 ? 2 : 1);
        }
    }
}

TEST(SynthFiles, SettingsFileMatchesCalibrationAndBand) {
    TempDir dir, work;
    synth::Options options = Small(20);
    options.workDir = work.File("settings");
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("Vorlixcontrol.dat")));
    ASSERT_EQ(std::filesystem::file_size(files.settings), 1240u);
    CKVTcontrol settings;
    settings.settingsPath = files.settings;
    ASSERT_TRUE(settings.LoadSettings());
    EXPECT_EQ(settings.bandpassLow, 25.0f);
    EXPECT_EQ(settings.bandpassHigh, 35.0f);
    EXPECT_EQ(settings.lowpassCutoff, 5.0f);
    EXPECT_EQ(settings.movingAverageCount, 20);
    EXPECT_EQ(settings.geophoneSelect, 1);
    EXPECT_EQ(settings.loadFactor, synth::kLoadFactor);
    EXPECT_EQ(settings.centerFactor, synth::kCenterFactor);
    EXPECT_EQ(settings.frontFactor, synth::kFrontFactor);
    EXPECT_EQ(settings.rearFactor, synth::kRearFactor);
    EXPECT_EQ(settings.showGprColormap, 1);
    EXPECT_FALSE(settings.chartTitle[CKVTcontrol::kResultChartRow].empty());
    EXPECT_EQ(settings.chartXLabel[CKVTcontrol::kResultChartRow], "Distance (ft)");
    EXPECT_LT(settings.chartMin[3], settings.chartMax[3]);
}

TEST(SynthFiles, TruthTableCoversTheRoadEveryHalfFoot) {
    TempDir dir;
    synth::Options options = Small(100);
    options.startFt = 250.3;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    std::ifstream in(files.truth);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "distance_ft,true_ratio");
    std::vector<double> x, ratio;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        double d, r;
        char comma;
        ASSERT_TRUE(row >> d >> comma >> r) << line;
        x.push_back(d);
        ratio.push_back(r);
    }
    ASSERT_GT(x.size(), 2u);
    Kvt kvt(files.kvt);
    EXPECT_LE(x.front(), 250.3);
    EXPECT_GE(x.back(), kvt.EndDistance() - 0.1);
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (i > 0) {
            EXPECT_DOUBLE_EQ(x[i] - x[i - 1], 0.5);
        }
        EXPECT_NEAR(ratio[i], synth::TrueRatioAt(options, x[i]), 1e-5);
    }
}

TEST(SynthFiles, CompanionsCanBeLeftOut) {
    TempDir dir;
    synth::Options options = Small(20);
    options.gpr = synth::Options::Gpr::None;
    options.pictures = 0;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    EXPECT_TRUE(std::filesystem::exists(files.gps));
    EXPECT_FALSE(std::filesystem::exists(files.img));
    EXPECT_FALSE(std::filesystem::exists(files.dat));

    TempDir bare;
    options = Small(20);
    options.writeCompanions = false;
    synth::Written written;
    options.outBase = bare.File("sub/road");
    std::string error;
    ASSERT_TRUE(synth::Generate(options, &written, &error)) << error;
    EXPECT_EQ(written.files.size(), 3u); // raw file, settings, truth
    EXPECT_TRUE(std::filesystem::exists(bare.File("sub/road.KVT")));
    EXPECT_TRUE(std::filesystem::exists(bare.File("sub/Vorlixcontrol.dat")));
    EXPECT_FALSE(std::filesystem::exists(bare.File("sub/road.GPS")));
}

TEST(SynthFiles, InvalidOptionsAreRefusedWithoutWriting) {
    TempDir dir;
    synth::Options options = Small(20);
    options.outBase = dir.File("road");
    std::string error;
    for (auto change : std::vector<void (*)(synth::Options&)>{
             [](synth::Options& o) { o.channels = 1; }, [](synth::Options& o) { o.groups = 0; },
             [](synth::Options& o) { o.speedMph = 0; },
             [](synth::Options& o) { o.noise = std::nan(""); },
             [](synth::Options& o) { o.outBase = ""; }}) {
        synth::Options bad = options;
        change(bad);
        error.clear();
        EXPECT_FALSE(synth::Generate(bad, nullptr, &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
