// The generator's building blocks: ratio profile, vehicle motion, picture spacing, arguments.
#include "synth/CommandLine.h"
#include "synth/GpsWriter.h"
#include "synth/RatioProfile.h"
#include "synth/RoadImageWriter.h"
#include "synth/Trajectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

TEST(SynthProfile, RatioStaysRealisticWithWeakSpotsAndJoints) {
    const synth::RatioProfile profile(7);
    double low = 1e9, high = -1e9;
    for (double x = 0; x < 40000; x += 0.25) {
        low = std::min(low, profile.At(x));
        high = std::max(high, profile.At(x));
    }
    EXPECT_GT(low, 2.0);
    EXPECT_LT(high, 11.0);
    int cellsWithSpot = 0;
    for (int cell = 0; cell < 100; ++cell) {
        double spot = 0, width = 0;
        for (double x = cell * 400.0; x < cell * 400.0 + 400.0; x += 0.5) {
            spot = std::max(spot, profile.WeakSpotAt(x));
            width += profile.WeakSpotAt(x) > 0 ? 0.5 : 0.0;
        }
        if (spot > 0) {
            ++cellsWithSpot;
            EXPECT_GE(width, 19.0);
            EXPECT_LE(width, 50.5);
            EXPECT_GT(spot, 0.85);
        }
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
    EXPECT_EQ(synth::RatioProfile(7).At(1234.5), profile.At(1234.5));
    EXPECT_NE(synth::RatioProfile(8).At(1234.5), profile.At(1234.5));
}

TEST(SynthTrajectory, DistanceFollowsSpeedAndStartsAtStart) {
    const synth::Trajectory t(4000, 20.0, false, 123.5, 3);
    EXPECT_EQ(t.GroupDistance(0), 123.5);
    EXPECT_NEAR(t.EndDistance() - 123.5, 20.0 * 22.0 / 15.0 * 1000.0, 0.08 * 29333.0);
    for (int k = 0; k < t.Groups(); ++k) {
        ASSERT_GT(t.GroupSpeed(k), 0.0);
        ASSERT_NEAR(t.DistanceInGroup(k, 0.25), t.GroupDistance(k + 1), 1e-9);
    }
    EXPECT_TRUE(t.Stops().empty());
}

TEST(SynthTrajectory, ShortFileStillFitsItsStop) {
    const synth::Trajectory t(40, 10.0, true, 0.0, 1); // 10 s
    ASSERT_EQ(t.Stops().size(), 1u);
    const synth::Stop& s = t.Stops()[0];
    EXPECT_GT(s.startS - s.rampS, 0.0);
    EXPECT_LT(s.startS + s.standS + s.rampS, 10.0);
    EXPECT_GT(t.EndDistance(), 0.0);
}

TEST(SynthPictures, DistancesAscendEvery25FeetOrSpreadOverTheRoad) {
    std::vector<int> d = synth::PictureDistances(10.2, 510.0, -1);
    ASSERT_EQ(d.size(), 20u);
    EXPECT_EQ(d.front(), 11);
    EXPECT_EQ(d[1], 36);
    d = synth::PictureDistances(0.0, 1.0e6, -1);
    EXPECT_EQ(d.size(), 1000u); // the default is capped
    d = synth::PictureDistances(0.0, 100.0, 5);
    EXPECT_EQ(d, (std::vector<int>{0, 25, 50, 75, 100}));
    d = synth::PictureDistances(0.0, 100.0, 3);
    EXPECT_EQ(d, (std::vector<int>{0, 50, 100}));
    d = synth::PictureDistances(0.0, 4.5, 50); // no more pictures than whole feet
    EXPECT_EQ(d, (std::vector<int>{0, 1, 2, 3, 4}));
    d = synth::PictureDistances(7.0, 7.0, -1); // standing still: one picture
    EXPECT_EQ(d, (std::vector<int>{7}));
}

TEST(SynthCommandLine, ParsesEveryOptionAndRejectsBadValues) {
    synth::Options o;
    std::string error;
    ASSERT_EQ(synth::ParseCommandLine({"out/a",
                                       "--groups",
                                       "13201",
                                       "--channels",
                                       "3",
                                       "--seed",
                                       "18446744073709551615",
                                       "--speed-mph",
                                       "25.5",
                                       "--stops",
                                       "--start-ft",
                                       "100",
                                       "--noise",
                                       "0",
                                       "--gpr",
                                       "pulse",
                                       "--pictures",
                                       "0",
                                       "--workdir",
                                       "w"},
                                      &o, &error),
              synth::CommandLineResult::Run)
        << error;
    EXPECT_EQ(o.outBase, "out/a");
    EXPECT_EQ(o.groups, 13201);
    EXPECT_EQ(o.channels, 3);
    EXPECT_EQ(o.seed, 18446744073709551615ull);
    EXPECT_EQ(o.speedMph, 25.5);
    EXPECT_TRUE(o.stops);
    EXPECT_EQ(o.startFt, 100.0);
    EXPECT_EQ(o.noise, 0.0);
    EXPECT_EQ(o.gpr, synth::Options::Gpr::Pulse);
    EXPECT_EQ(o.pictures, 0);
    EXPECT_EQ(o.workDir, "w");

    EXPECT_EQ(synth::ParseCommandLine({"--help"}, &o, &error), synth::CommandLineResult::Help);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"a", "b"},
                                               {"a", "--channels", "1"},
                                               {"a", "--groups", "12x"},
                                               {"a", "--groups", "0"},
                                               {"a", "--speed-mph", "0"},
                                               {"a", "--speed-mph", "nan"},
                                               {"a", "--seed", "-1"},
                                               {"a", "--gpr", "radar"},
                                               {"a", "--pictures", "-1"},
                                               {"a", "--noise"},
                                               {"a", "--colour", "red"}}) {
        error.clear();
        EXPECT_EQ(synth::ParseCommandLine(bad, &o, &error), synth::CommandLineResult::Error)
            << (bad.empty() ? std::string("(none)") : bad.back());
        EXPECT_FALSE(error.empty());
    }
}

#ifdef VORLIX_SYNTH_PATH
TEST(SynthCommandLine, ProgramExitsWith2OnBadArgumentsAnd0AfterWriting) {
    const std::string program = VORLIX_SYNTH_PATH;
    EXPECT_EQ(WEXITSTATUS(std::system((program + " /tmp/x --channels 1 2>/dev/null").c_str())), 2);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " 2>/dev/null").c_str())), 2);
    char pattern[] = "/tmp/vorlix-synth-cli-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string command =
        program + " " + dir + "/r --groups 12 --pictures 2 > " + dir + "/out.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0);
    std::FILE* out = std::fopen((dir + "/out.txt").c_str(), "r");
    ASSERT_NE(out, nullptr);
    char text[4096] = {};
    std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    EXPECT_NE(std::string(text).find(dir + "/r.KVT"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find(dir + "/Vorlixcontrol.dat"), std::string::npos) << text;
    std::system(("rm -rf " + dir).c_str());
}
#endif

TEST(SynthGps, LongRecordsThinTheTrackToFitTheReaderCapacity) {
    synth::GpsSchedule s = synth::PlanGpsEntries(2000);
    EXPECT_EQ(s.groupsPerEntry, 2);
    EXPECT_EQ(s.entries, 1001);
    EXPECT_EQ(s.temperatureEvery, 4);
    s = synth::PlanGpsEntries(35'998); // exactly 18,000 entries at 0.5 s
    EXPECT_EQ(s.groupsPerEntry, 2);
    EXPECT_EQ(s.entries, 18'000);
    EXPECT_EQ(s.temperatureEvery, 4);
    for (int groups : {36'000, 64'001, 130'000}) {
        s = synth::PlanGpsEntries(groups);
        EXPECT_LE(s.entries, 18'000) << groups;
        EXPECT_LE((s.entries + s.temperatureEvery - 1) / s.temperatureEvery, 8'000) << groups;
        EXPECT_GE(s.groupsPerEntry * (s.entries - 1), groups - s.groupsPerEntry) << groups;
    }
}
