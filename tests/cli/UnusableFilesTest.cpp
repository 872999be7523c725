// Files that are not usable raw tests are refused by every command with one message, and
// nothing is written for them.
#include "document/RawFile.h"
#include "support/CliRun.h"
#include "support/RawFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

struct Unusable {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string reason; // what the message says after the file's quoted path
};

TEST(UnusableRawFiles, EveryCommandRefusesThemAlikeAndWritesNothing) {
    RawFileBuilder headerOnly;
    headerOnly.groups = 0;
    RawFileBuilder controlNames;
    controlNames.names = {"Lo\x07"
                          "ad",
                          "kips", "", "", ""};
    RawFileBuilder noDistances;
    noDistances.distance = [](int) { return std::nanf(""); };
    const Unusable cases[] = {
        {"empty", {}, " holds no whole group of samples (0 bytes)."},
        {"shorter than its header", std::vector<std::uint8_t>(100, 1),
         " holds no whole group of samples (100 bytes)."},
        {"header only", headerOnly.Build(), " holds no whole group of samples (8000 bytes)."},
        {"random bytes", RandomBytes(200'000),
         " is not a raw test file: the names of channel 0 are not text."},
        {"a control byte in a name", controlNames.Build(),
         " is not a raw test file: the names of channel 0 are not text."},
        {"distances that are not numbers", noDistances.Build(),
         " is not a raw test file: 10 of 10 group distances checked in its first segment are "
         "not numbers."},
    };
    for (const Unusable& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("bad test.KVT");
        ASSERT_TRUE(RawFileBuilder::WriteBytes(path, c.bytes));
        const std::string message = "\"" + path + "\"" + c.reason;
        for (const char* command : {"info", "export", "convert", "cycles"}) {
            const CliRun run = RunCli(std::string(command) + " '" + path + "'", dir);
            EXPECT_EQ(run.code, 1) << command;
            EXPECT_EQ(run.out, "") << command;
            EXPECT_NE(run.err.find(message), std::string::npos) << command << ": " << run.err;
        }
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"bad test.KVT", "stderr.txt"}));
    }
}

TEST(UnusableRawFiles, OneDamagedDistanceStillOpens) {
    TempDir dir;
    RawFileBuilder oneDamaged;
    oneDamaged.distance = [](int g) { return g == 4 ? std::nanf("") : 1.5f * (g + 1); };
    ASSERT_TRUE(oneDamaged.Write(dir.File("road.KVT")));
    RawFile file;
    std::string why;
    ASSERT_TRUE(file.Open(dir.File("road.KVT"), 12'800, &why)) << why;
    EXPECT_TRUE(file.IsUsable(12'800, &why)) << why;
}

// Of 200 distances checked in the first segment, 2 may be damaged; the next segment's are not
// checked.
TEST(UnusableRawFiles, OnePercentOfDamagedDistancesStillOpens) {
    TempDir dir;
    const std::pair<std::vector<int>, bool> cases[] = {{{10, 20, 200}, true},
                                                       {{10, 20, 30}, false}};
    for (const auto& [damaged, usable] : cases) {
        RawFileBuilder b;
        b.groups = 400;
        b.distance = [&damaged](int g) {
            return std::count(damaged.begin(), damaged.end(), g) ? std::nanf("") : 1.5f * (g + 1);
        };
        ASSERT_TRUE(b.Write(dir.File("road.KVT")));
        RawFile file;
        std::string why;
        ASSERT_TRUE(file.Open(dir.File("road.KVT"), 200, &why)) << why;
        EXPECT_EQ(file.IsUsable(200, &why), usable) << damaged[2] << ": " << why;
    }
}

} // namespace
