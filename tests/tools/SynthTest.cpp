// The generator that every other test relies on: file layout and counts, companions the core
// readers take whole, and signals that carry the true ratio profile.
#include "support/SynthFixture.h"

#include "analysis/CKVTcontrol.h"
#include "document/ByteOrder.h"
#include "document/CNMEA.h"
#include "document/Cgprdata.h"
#include "document/Czipimg.h"
#include "synth/CommandLine.h"
#include "synth/GpsWriter.h"
#include "synth/RatioProfile.h"
#include "synth/RoadImageWriter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A raw file by byte offsets: 8000-byte header, groups of 250 samples per active channel.
struct Kvt {
    std::vector<std::uint8_t> bytes;
    std::size_t groupSize;
    int groups;
    Kvt(const std::string& path, int channels)
        : bytes(ReadBytes(path)), groupSize(channels * 500u + 100u),
          groups(static_cast<int>((bytes.size() - 8000) / groupSize)) {}
    float Distance(int g) const { return byteorder::LoadLE<float>(&bytes[At(g) + 12]); }
    int Sample(int g, int block, int i) const {
        return byteorder::LoadLE<std::int16_t>(&bytes[At(g) + 20 + 500 * block + 2 * i]);
    }
    std::size_t At(int g) const { return 8000 + groupSize * g; }
    std::string Name(int channel, int which) const { // descriptor text `which` of a channel
        const std::size_t d = 500 + 250 * channel;
        std::size_t at = d + 55;
        for (int k = 0; k < which; ++k)
            at += bytes[d + 50 + k];
        return std::string(reinterpret_cast<const char*>(&bytes[at]), bytes[d + 50 + which]);
    }
};

} // namespace

TEST(SynthFiles, LayoutAndCompanionsForEachKindOfRecording) {
    using Gpr = synth::Options::Gpr;
    const struct {
        const char* name;
        int channels, groups;
        Gpr gpr;
        int pictures;
        double startFt;
    } cases[] = {
        {"two channels, pulse radar", 2, 37, Gpr::Pulse, 3, 0.0},
        {"five channels from 900.25 ft", 5, 200, Gpr::Qxr, -1, 900.25},
        {"twelve channels, no pictures or radar", 12, 20, Gpr::None, 0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.channels = c.channels, options.groups = c.groups, options.gpr = c.gpr;
        options.pictures = c.pictures, options.startFt = c.startFt;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        const Kvt kvt(files.kvt, c.channels);
        ASSERT_EQ(kvt.bytes.size(), 8000u + c.groups * kvt.groupSize);
        for (int channel = 0; channel < 12; ++channel)
            EXPECT_EQ(kvt.bytes[500 + 250 * channel + 25] != 0, channel < c.channels) << channel;
        EXPECT_EQ(kvt.Name(0, 0) + "," + kvt.Name(0, 1) + "," + kvt.Name(1, 0),
                  "Load,kips,Geophone-1");
        if (c.channels == 12)
            EXPECT_EQ(kvt.Name(11, 0), "Aux-12");
        // Each group stores the distance reached by its end.
        EXPECT_GT(kvt.Distance(0), c.startFt);
        for (int g = 1; g < kvt.groups; ++g)
            ASSERT_GT(kvt.Distance(g), kvt.Distance(g - 1)) << g;
        const double end = kvt.Distance(kvt.groups - 1);

        CNMEA gps;
        gps.gpsPath = files.gps;
        ASSERT_EQ(gps.ReadGpsFile(), 0);
        const synth::GpsSchedule plan = synth::PlanGpsEntries(c.groups);
        EXPECT_EQ(gps.trackCount, plan.entries);
        EXPECT_EQ(gps.temperatureCount,
                  (plan.entries + plan.temperatureEvery - 1) / plan.temperatureEvery);
        EXPECT_FLOAT_EQ(gps.track[0].distance, c.startFt);
        EXPECT_FLOAT_EQ(gps.track[2].distance, kvt.Distance(3)); // 0.5 s = 2 groups per point

        Czipimg images;
        images.imgPath = files.img;
        EXPECT_EQ(images.ReadImageIndex(0.0f), "");
        const std::vector<int> at = synth::PictureDistances(c.startFt, end, c.pictures);
        ASSERT_EQ(images.count, c.pictures == 0 ? 0 : static_cast<int>(at.size()));
        for (int i = 0; i < images.count; ++i)
            EXPECT_EQ(images.distance[i], at[i]) << i;
        std::vector<std::uint8_t> jpeg;
        for (int i : {0, images.count - 1}) {
            QImage picture;
            if (images.count == 0)
                break;
            ASSERT_TRUE(images.PictureBytes(i, &jpeg));
            ASSERT_TRUE(picture.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPG"));
            EXPECT_EQ(picture.size(), QSize(160, 120));
        }

        Cgprdata gpr;
        gpr.path = files.dat;
        std::string note;
        if (c.gpr == Gpr::None) {
            EXPECT_FALSE(std::filesystem::exists(files.dat));
            continue;
        }
        ASSERT_EQ(gpr.ReadFile(&note), 0);
        EXPECT_EQ(note, "");
        EXPECT_EQ(gpr.fileKind, c.gpr == Gpr::Qxr ? 2 : 1);
        // One scan per whole foot of the road, a mark every 1000 ft (QXR only).
        EXPECT_EQ(gpr.scanCount, static_cast<int>(std::floor(end) - std::ceil(c.startFt)) + 1);
        EXPECT_EQ(gpr.scanDistance[0], static_cast<int>(std::ceil(c.startFt)));
        EXPECT_EQ(gpr.markCount, c.gpr == Gpr::Qxr ? 1 : 0);
    }
}

TEST(SynthFiles, SameSeedGivesIdenticalFilesAndSettingsCarryTheCalibration) {
    TempDir a, b, c;
    synth::Options options = SmallSynthOptions();
    options.groups = 40;
    const SynthFiles first = GenerateSynthFiles(a, options),
                     second = GenerateSynthFiles(b, options);
    options.seed = 2;
    const SynthFiles other = GenerateSynthFiles(c, options);
    ASSERT_TRUE(first.ok && second.ok && other.ok);
    for (const char* name :
         {"road.KVT", "road.GPS", "road.IMG", "road.DAT", "road.truth.csv", "Vorlixcontrol.dat"}) {
        EXPECT_FALSE(ReadBytes(a.File(name)).empty()) << name;
        EXPECT_EQ(ReadBytes(a.File(name)), ReadBytes(b.File(name))) << name;
    }
    EXPECT_NE(ReadBytes(a.File("road.KVT")), ReadBytes(c.File("road.KVT")));

    CKVTcontrol settings;
    settings.settingsPath = first.settings;
    ASSERT_TRUE(settings.LoadSettings());
    EXPECT_EQ(
        std::vector<float>({settings.bandpassLow, settings.bandpassHigh, settings.lowpassCutoff,
                            settings.loadFactor, settings.centerFactor, settings.frontFactor,
                            settings.rearFactor}),
        std::vector<float>({25, 35, 5, synth::kLoadFactor, synth::kCenterFactor,
                            synth::kFrontFactor, synth::kRearFactor}));
    EXPECT_EQ(settings.movingAverageCount, 20);
    EXPECT_EQ(settings.geophoneSelect, 1);
}

// 30 Hz amplitude of block `block` (calibrated by `scale`) over samples first ... first+count-1.
double Amplitude30Hz(const Kvt& kvt, int block, double scale, long first, int count) {
    double in = 0, quad = 0;
    for (long n = first; n < first + count; ++n) {
        const double y = scale * kvt.Sample(static_cast<int>(n / 250), block, n % 250) / 3276.8;
        in += y * std::sin(6.283185307179586 * 30.0 * n / 1000.0);
        quad += y * std::cos(6.283185307179586 * 30.0 * n / 1000.0);
    }
    return 2.0 / count * std::hypot(in, quad);
}

// The centre geophone over the load at 30 Hz is the true ratio / 10 where the samples were
// taken (the front one 0.7 x the ratio 3 ft ahead); the truth table holds that ratio.
TEST(SynthSignal, GeophoneOverLoadIsTheTrueRatioOfTheTruthTable) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.groups = 240, options.startFt = 250.3;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    const Kvt kvt(files.kvt, 5);
    const double centreScale = 5.305169250814609 / synth::kCenterFactor;
    const double frontScale = 5.305169250814609 / synth::kFrontFactor;
    const int window = 300;
    for (long first = 0; first + window <= 250L * kvt.groups; first += 1000) {
        const double load = Amplitude30Hz(kvt, 0, synth::kLoadFactor, first, window);
        EXPECT_NEAR(load, 5.0, 0.3);
        double centre = 0, front = 0;
        for (long n = first; n < first + window; ++n) {
            const int g = static_cast<int>(n / 250);
            const double from = g == 0 ? options.startFt : kvt.Distance(g - 1);
            const double x = from + (kvt.Distance(g) - from) * (n % 250) / 250.0;
            centre += synth::TrueRatioAt(options, x) / window;
            front += 0.7 * synth::TrueRatioAt(options, x + 3.0) / window;
        }
        EXPECT_NEAR(10 * Amplitude30Hz(kvt, 1, centreScale, first, window) / load, centre,
                    0.03 * centre);
        EXPECT_NEAR(10 * Amplitude30Hz(kvt, 2, frontScale, first, window) / load, front,
                    0.03 * front);
    }
    std::ifstream truth(files.truth);
    std::string line;
    std::getline(truth, line);
    EXPECT_EQ(line, "distance_ft,true_ratio");
    std::vector<double> x;
    for (double d, ratio; truth >> d && truth.ignore(1) && truth >> ratio; x.push_back(d))
        EXPECT_NEAR(ratio, synth::TrueRatioAt(options, d), 1e-5) << d;
    ASSERT_GT(x.size(), 2u);
    EXPECT_LE(x.front(), 250.3);
    EXPECT_GE(x.back(), kvt.Distance(kvt.groups - 1) - 0.1);
    for (std::size_t i = 1; i < x.size(); ++i)
        ASSERT_DOUBLE_EQ(x[i] - x[i - 1], 0.5) << i;
}

TEST(SynthSignal, StopsHoldTheDistanceAndNoCountClips) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.stops = true;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    const Kvt kvt(files.kvt, 5);
    int runs = 0, run = 0, longest = 0, clipped = 0;
    double load = 0;
    for (int g = 0; g < kvt.groups; ++g) {
        for (int i = 0; i < 250; ++i) {
            load += synth::kLoadFactor * kvt.Sample(g, 0, i) / 3276.8 / (250.0 * kvt.groups);
            for (int b = 0; b < 5; ++b)
                clipped += std::abs(kvt.Sample(g, b, i)) >= 32767;
        }
        if (g > 0 && kvt.Distance(g) == kvt.Distance(g - 1)) {
            runs += run == 0;
            longest = std::max(longest, ++run);
        } else if (g > 0) {
            ASSERT_GT(kvt.Distance(g), kvt.Distance(g - 1));
            run = 0;
        }
    }
    EXPECT_EQ(clipped, 0);
    EXPECT_NEAR(load, 10.0, 0.3); // the static force under the 30 Hz load
    EXPECT_GE(runs, 1);
    EXPECT_LE(runs, 2);
    EXPECT_GE(longest, 8); // standing for two seconds or more
}

TEST(SynthProfile, RatioStaysRealisticWithWeakSpotsAndJoints) {
    const synth::RatioProfile profile(7);
    int cellsWithSpot = 0;
    for (int cell = 0; cell < 100; ++cell) {
        double width = 0;
        for (double x = cell * 400.0; x < cell * 400.0 + 400.0; x += 0.5) {
            ASSERT_GT(profile.At(x), 2.0);
            ASSERT_LT(profile.At(x), 11.0);
            width += profile.WeakSpotAt(x) > 0 ? 0.5 : 0.0;
        }
        cellsWithSpot += width > 0;
        EXPECT_TRUE(width == 0 || (width >= 19.0 && width <= 50.5)) << cell;
    }
    EXPECT_GT(cellsWithSpot, 30);
    EXPECT_LT(cellsWithSpot, 70);
    for (int joint = 1; joint < 50; ++joint) {
        double spike = 0;
        for (double x = joint * 100.0 - 4.5; x < joint * 100.0 + 4.5; x += 0.05)
            spike = std::max(spike, profile.JointAt(x));
        EXPECT_GT(spike, 0.55) << joint;
        EXPECT_EQ(profile.JointAt(joint * 100.0 + 50.0), 0.0);
    }
    EXPECT_NE(synth::RatioProfile(8).At(1234.5), profile.At(1234.5));
}

TEST(SynthPlans, PicturesAndGpsEntriesFitTheRoadAndTheReaders) {
    using V = std::vector<int>;
    EXPECT_EQ(synth::PictureDistances(10.2, 90.0, -1), (V{11, 36, 61, 86}));
    EXPECT_EQ(synth::PictureDistances(0.0, 1.0e6, -1).size(), 1000u); // the default is capped
    EXPECT_EQ(synth::PictureDistances(0.0, 100.0, 3), (V{0, 50, 100}));
    EXPECT_EQ(synth::PictureDistances(0.0, 4.5, 50), (V{0, 1, 2, 3, 4})); // whole feet only
    EXPECT_EQ(synth::PictureDistances(7.0, 7.0, -1), (V{7}));
    for (int groups : {2000, 35'998, 36'000, 130'000}) {
        const synth::GpsSchedule s = synth::PlanGpsEntries(groups);
        EXPECT_LE(s.entries, 18'000) << groups;
        EXPECT_LE((s.entries + s.temperatureEvery - 1) / s.temperatureEvery, 8'000) << groups;
        EXPECT_GE(s.groupsPerEntry * (s.entries - 1), groups - s.groupsPerEntry) << groups;
        EXPECT_EQ(s.groupsPerEntry == 2, groups < 36'000) << groups; // 0.5 s while it fits
    }
}

TEST(SynthCommandLine, BadOptionsAreRefusedWithoutWriting) {
    synth::Options o;
    std::string error;
    ASSERT_EQ(synth::ParseCommandLine({"out/a", "--groups", "13", "--channels", "3", "--stops",
                                       "--gpr", "pulse", "--pictures", "0", "--workdir", "w"},
                                      &o, &error),
              synth::CommandLineResult::Run);
    EXPECT_EQ(std::tie(o.outBase, o.groups, o.channels, o.stops, o.gpr, o.pictures, o.workDir),
              std::make_tuple("out/a", 13, 3, true, synth::Options::Gpr::Pulse, 0, "w"));
    using Args = std::vector<std::string>;
    for (const Args& bad :
         {Args{}, Args{"a", "b"}, Args{"a", "--channels", "1"}, Args{"a", "--groups", "12x"},
          Args{"a", "--speed-mph", "nan"}, Args{"a", "--seed", "-1"}, Args{"a", "--gpr", "radar"},
          Args{"a", "--noise"}, Args{"a", "--colour", "red"}}) {
        error.clear();
        EXPECT_EQ(synth::ParseCommandLine(bad, &o, &error), synth::CommandLineResult::Error);
        EXPECT_NE(error, "");
    }
    TempDir dir;
    for (auto change :
         {+[](synth::Options& o) { o.channels = 1; }, +[](synth::Options& o) { o.groups = 0; },
          +[](synth::Options& o) { o.noise = std::nan(""); }}) {
        synth::Options bad = SmallSynthOptions();
        bad.outBase = dir.File("road");
        change(bad);
        EXPECT_FALSE(synth::Generate(bad, nullptr, &error));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
