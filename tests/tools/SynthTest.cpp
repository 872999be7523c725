// The generator that every other test relies on: file layout and counts, companions the core
// readers take whole, and signals that carry the true ratio profile.
#include "support/SynthFixture.h"

#include "document/ByteOrder.h"
#include "document/CNMEA.h"
#include "document/Cgprdata.h"
#include "document/Czipimg.h"
#include "synth/RoadImageWriter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace {

// A raw file by byte offsets: an 8000-byte header, then groups of 250 samples per channel.
struct Kvt {
    std::vector<std::uint8_t> bytes;
    std::size_t size; // of a group
    int groups;
    Kvt(const std::string& path, int channels)
        : bytes(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}),
          size(channels * 500u + 100u), groups(static_cast<int>((bytes.size() - 8000) / size)) {}
    float Distance(int g) const { return byteorder::LoadLE<float>(&bytes[8000 + size * g + 12]); }
};

} // namespace

TEST(SynthFiles, LayoutAndCompanionsForEachKindOfRecording) {
    using Gpr = synth::Options::Gpr;
    const struct {
        int channels, groups;
        Gpr gpr;
        int pictures;
        double startFt;
    } cases[] = {
        {2, 37, Gpr::Pulse, 3, 0.0},    // pulse radar, 3 pictures
        {5, 200, Gpr::Qxr, -1, 900.25}, // a picture every 25 ft, from 900.25 ft
        {12, 20, Gpr::None, 0, 0.0},    // no pictures, no radar
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channels);
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.channels = c.channels, options.groups = c.groups, options.gpr = c.gpr;
        options.pictures = c.pictures, options.startFt = c.startFt;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        const Kvt kvt(files.kvt, c.channels);
        ASSERT_EQ(kvt.bytes.size(), 8000u + c.groups * kvt.size);
        for (int channel = 0; channel < 12; ++channel)
            EXPECT_EQ(kvt.bytes[500 + 250 * channel + 25] != 0, channel < c.channels) << channel;
        // Each group stores the distance reached by its end.
        for (int g = 0; g < kvt.groups; ++g)
            ASSERT_GT(kvt.Distance(g), g == 0 ? c.startFt : kvt.Distance(g - 1)) << g;
        const double end = kvt.Distance(kvt.groups - 1);

        CNMEA gps; // a point every 0.5 s (2 groups), a temperature with every 4th
        gps.gpsPath = files.gps;
        ASSERT_EQ(gps.ReadGpsFile(), 0);
        EXPECT_EQ(gps.trackCount, c.groups / 2 + 1);
        EXPECT_EQ(gps.temperatureCount, (c.groups / 2 + 4) / 4);
        EXPECT_FLOAT_EQ(gps.track[0].distance, c.startFt);
        EXPECT_FLOAT_EQ(gps.track[2].distance, kvt.Distance(3));

        Czipimg images;
        images.imgPath = files.img;
        EXPECT_EQ(images.ReadImageIndex(0.0f), "");
        const std::vector<int> at = synth::PictureDistances(c.startFt, end, c.pictures);
        ASSERT_EQ(images.count, c.pictures == 0 ? 0 : static_cast<int>(at.size()));
        for (int i = 0; i < images.count; ++i)
            ASSERT_EQ(images.distance[i], at[i]) << i;
        std::vector<std::uint8_t> jpeg; // the last picture decodes
        QImage picture;
        EXPECT_TRUE(c.pictures == 0 || (images.PictureBytes(images.count - 1, &jpeg) &&
                                        picture.loadFromData(jpeg.data(), jpeg.size(), "JPG") &&
                                        picture.size() == QSize(160, 120)));

        Cgprdata gpr; // a scan per whole foot of the road, a mark every 1000 ft (QXR only)
        gpr.path = files.dat;
        std::string note;
        EXPECT_EQ(gpr.ReadFile(&note), c.gpr == Gpr::None ? -1 : 0);
        if (c.gpr == Gpr::None)
            continue;
        EXPECT_EQ(note, "");
        EXPECT_EQ(gpr.fileKind, c.gpr == Gpr::Qxr ? 2 : 1);
        EXPECT_EQ(gpr.scanCount, static_cast<int>(std::floor(end) - std::ceil(c.startFt)) + 1);
        EXPECT_EQ(gpr.scanDistance[0], static_cast<int>(std::ceil(c.startFt)));
        EXPECT_EQ(gpr.markCount, c.gpr == Gpr::Qxr ? 1 : 0);
    }
}

// Stops are runs of equal group distances; the truth table holds the true ratio every half
// foot from the start to the end of the road. (That the signals carry it, the export's
// end-to-end test shows.)
TEST(SynthSignal, StopsAndTheTruthTable) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.startFt = 250.3, options.stops = true;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    const Kvt kvt(files.kvt, 5);
    int runs = 0, run = 0, longest = 0;
    for (int g = 1; g < kvt.groups; ++g, longest = std::max(longest, run)) {
        run = kvt.Distance(g) == kvt.Distance(g - 1) ? run + 1 : 0;
        runs += run == 1;
    }
    EXPECT_TRUE(runs >= 1 && runs <= 2 && longest >= 8) << runs << " " << longest; // >= 2 s

    std::ifstream truth(files.truth);
    std::string line;
    EXPECT_TRUE(std::getline(truth, line) && line == "distance_ft,true_ratio");
    double previous = NAN;
    for (double d, ratio; truth >> d && truth.ignore(1) && truth >> ratio; previous = d) {
        EXPECT_NEAR(ratio, synth::TrueRatioAt(options, d), 1e-5) << d;
        EXPECT_TRUE(std::isnan(previous) ? d <= 250.3 : d - previous == 0.5) << d;
    }
    EXPECT_GE(previous, kvt.Distance(kvt.groups - 1) - 0.1);
}
