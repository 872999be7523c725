// The generated signals carry what the analysis is meant to recover: the calibrated geophone
// over the calibrated load, at 30 Hz, is the true ratio / 10 at the distance of the samples.
#include "support/SynthFixture.h"
#include "tools/SynthTestUtil.h"

#include "synth/KvtWriter.h"
#include "synth/RatioProfile.h"
#include "synth/Trajectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using synthtest::Kvt;

namespace {

constexpr double kTwoPi = 6.283185307179586;

// 30 Hz amplitude of a calibrated block over `count` samples from sample `first` (a multiple
// of 100 samples holds whole cycles, so constant and slow parts drop out).
double Amplitude30Hz(const Kvt& kvt, int block, double scale, long first, int count) {
    double in = 0, quad = 0;
    for (long n = first; n < first + count; ++n) {
        const double y = scale * kvt.Sample(static_cast<int>(n / 250), block, n % 250) / 3276.8;
        in += y * std::sin(kTwoPi * 30.0 * n / 1000.0);
        quad += y * std::cos(kTwoPi * 30.0 * n / 1000.0);
    }
    return 2.0 / count * std::hypot(in, quad);
}

// Group g runs from the distance stored with the group before it (the start for group 0) to
// its own.
double DistanceAtSample(const Kvt& kvt, long n, double startFt) {
    const int g = static_cast<int>(n / 250);
    const double from = g == 0 ? startFt : kvt.Distance(g - 1);
    return from + (kvt.Distance(g) - from) * (n % 250) / 250.0;
}

} // namespace

TEST(SynthSignal, GeophoneOverLoadAt30HzIsTheTrueRatioForCentreAndFrontGeophones) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.groups = 240;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    Kvt kvt(files.kvt);
    const synth::RatioProfile profile(options.seed);
    const double loadScale = synth::kLoadFactor;
    const double centreScale = 5.305169250814609 / synth::kCenterFactor;
    const double frontScale = 5.305169250814609 / synth::kFrontFactor;
    const int window = 300; // 9 load cycles, about 4.4 ft at 10 mph
    double worst = 0;
    for (long first = 0; first + window <= 250L * kvt.groups; first += 1000) {
        const double load = Amplitude30Hz(kvt, 0, loadScale, first, window);
        EXPECT_NEAR(load, 5.0, 0.3);
        double centreTruth = 0, frontTruth = 0;
        for (long n = first; n < first + window; ++n) {
            const double x = DistanceAtSample(kvt, n, options.startFt);
            centreTruth += profile.At(x) / window;
            frontTruth += 0.7 * profile.At(x + 3.0) / window;
        }
        const double centre = 10.0 * Amplitude30Hz(kvt, 1, centreScale, first, window) / load;
        const double front = 10.0 * Amplitude30Hz(kvt, 2, frontScale, first, window) / load;
        worst = std::max(
            {worst, std::fabs(centre / centreTruth - 1.0), std::fabs(front / frontTruth - 1.0)});
        EXPECT_NEAR(centre, centreTruth, 0.03 * centreTruth) << "at sample " << first;
        EXPECT_NEAR(front, frontTruth, 0.03 * frontTruth) << "at sample " << first;
    }
    RecordProperty("worst_relative_error", std::to_string(worst));
}

TEST(SynthSignal, CalibratedLoadHoldsStaticForceAndRawCountsUseTheRange) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.groups = 120;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    Kvt kvt(files.kvt);
    double sum = 0;
    int peak[5] = {0, 0, 0, 0, 0};
    long clipped = 0;
    for (int g = 0; g < kvt.groups; ++g)
        for (int i = 0; i < 250; ++i) {
            sum += synth::kLoadFactor * kvt.Sample(g, 0, i) / 3276.8;
            for (int b = 0; b < 5; ++b) {
                const int s = kvt.Sample(g, b, i);
                peak[b] = std::max(peak[b], std::abs(s));
                clipped += s == 32767 || s == -32768;
            }
        }
    EXPECT_NEAR(sum / (250.0 * kvt.groups), 10.0, 0.3);
    EXPECT_GT(peak[0], 15000);
    EXPECT_GT(peak[1], 5000);
    EXPECT_EQ(clipped, 0);
}

TEST(SynthSignal, StopsGiveEqualConsecutiveGroupDistances) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.stops = true;
    SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    Kvt kvt(files.kvt);
    int runs = 0, run = 0, longest = 0;
    for (int g = 1; g < kvt.groups; ++g) {
        ASSERT_GE(kvt.Distance(g), kvt.Distance(g - 1));
        if (kvt.Distance(g) == kvt.Distance(g - 1)) {
            runs += run == 0;
            longest = std::max(longest, ++run);
        } else {
            run = 0;
        }
    }
    EXPECT_GE(runs, 1);
    EXPECT_LE(runs, 2);
    EXPECT_GE(longest, 8); // standing for at least two seconds
}

TEST(SynthSignal, CleanSignalWithoutNoiseStillMatchesAndDiffersFromNoisy) {
    TempDir clean, noisy;
    synth::Options options = SmallSynthOptions();
    options.groups = 20;
    options.noise = 0;
    SynthFiles a = GenerateSynthFiles(clean, options);
    options.noise = 5;
    SynthFiles b = GenerateSynthFiles(noisy, options);
    ASSERT_TRUE(a.ok && b.ok);
    Kvt ka(a.kvt), kb(b.kvt);
    double difference = 0;
    for (int i = 0; i < 250; ++i)
        difference += std::abs(ka.Sample(5, 1, i) - kb.Sample(5, 1, i));
    EXPECT_GT(difference / 250, 200.0); // 0.25 calibrated units of noise is ~860 counts
    EXPECT_EQ(ka.Distance(19), kb.Distance(19));
}

TEST(SynthCounts, ConversionsRoundAndHoldTheInt16Range) {
    EXPECT_EQ(synth::ClampCounts(40000.0), 32767);
    EXPECT_EQ(synth::ClampCounts(-40000.0), -32768);
    EXPECT_EQ(synth::ClampCounts(-2.5), -2);
    EXPECT_EQ(synth::ClampCounts(2.5), 3);
    // Calibrating the counts back gives the value within half a count.
    const std::int16_t load = synth::LoadCounts(12.34);
    EXPECT_NEAR(synth::kLoadFactor * load / 3276.8, 12.34, 0.5 * synth::kLoadFactor / 3276.8);
    const std::int16_t geo = synth::GeophoneCounts(-3.21, synth::kCenterFactor);
    EXPECT_NEAR(5.305169250814609 / synth::kCenterFactor * geo / 3276.8, -3.21, 1e-3);
}
