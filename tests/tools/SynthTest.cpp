// The generator's stops and truth table. Its files and companions are checked by the tests
// that read them (the command-line tool's reports name their counts).
#include "support/SynthFixture.h"

#include "document/ByteOrder.h"
#include "document/Cgprdata.h"
#include "synth/CommandLine.h"
#include "synth/RatioProfile.h"

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
        : bytes(ReadFile<std::vector<std::uint8_t>>(path)), size(channels * 500u + 100u),
          groups(static_cast<int>((bytes.size() - 8000) / size)) {}
    float Distance(int g) const { return byteorder::LoadLE<float>(&bytes[8000 + size * g + 12]); }
};

} // namespace

// Stops are runs of equal group distances; the truth table holds the true ratio every half
// foot from the start to the end of the road (that the signals carry it, the export's
// end-to-end test shows); a pulse GPR scan is taken every whole foot.
TEST(SynthSignal, StopsTruthTableAndPulseScans) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.startFt = 250.3, options.stops = true, options.channels = 12;
    options.gpr = synth::Options::Gpr::Pulse;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    const Kvt kvt(files.kvt, 12);
    Cgprdata gpr;
    gpr.path = files.dat;
    ASSERT_EQ(gpr.ReadFile(), 0);
    EXPECT_EQ(gpr.fileKind, 1);
    EXPECT_EQ(gpr.scanCount, static_cast<int>(kvt.Distance(kvt.groups - 1)) - 250);
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

// --sections K: K steps at half feet along the road, each a factor from 0.7 to 1.4.
TEST(SynthSections, StepsAlongTheRoadWithinTheirFactors) {
    synth::Options options;
    std::string error;
    ASSERT_EQ(synth::ParseCommandLine({"out/road", "--sections", "4"}, &options, &error),
              synth::CommandLineResult::Run);
    EXPECT_EQ(options.sections, 4);
    EXPECT_EQ(synth::ParseCommandLine({"road", "--sections", "2.5"}, &options, &error),
              synth::CommandLineResult::Error);
    const auto steps = synth::MakeSectionSteps(7, 4, 100.0, 5100.0);
    ASSERT_EQ(steps.size(), 4u);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_NEAR(steps[i].distanceFt, 100.0 + 1000.0 * (i + 1), 125.0);
        EXPECT_EQ(std::fmod(steps[i].distanceFt, 0.5), 0.0);
        EXPECT_TRUE(steps[i].factor >= 0.7 && steps[i].factor <= 1.4) << steps[i].factor;
    }
}
