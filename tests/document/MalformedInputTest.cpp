// Damaged and hostile input: the readers must stay inside their buffers, never fault, and
// either read something consistent or refuse with a message.
#include "analysis/CKVTcontrol.h"
#include "document/CNMEA.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileLoader.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

TEST(MalformedInput, DamagedRawFilesAreReadOrRefusedNeverFault) {
    TempDir dir;
    auto doc = std::make_unique<CVorlixDoc>(dir.Path());
    SetTestCalibration(doc->options);
    RawFileLoader loader;
    RawFileBuilder builder;
    builder.groups = 24;
    const std::vector<std::uint8_t> good = builder.Build();
    std::mt19937 random(11);
    const std::string path = dir.File("damaged.KVT");
    for (int round = 0; round < 150; ++round) {
        std::vector<std::uint8_t> bytes = good;
        // Flip bytes in the channel table and the first groups, then maybe cut the file.
        for (int k = 0; k < 40; ++k)
            bytes[500 + random() % 12'000] = static_cast<std::uint8_t>(random());
        if (round % 3 == 0)
            bytes.resize(random() % bytes.size());
        ASSERT_TRUE(RawFileBuilder::WriteBytes(path, bytes));
        LoadResult r = loader.OpenNewFile(*doc, path);
        if (r.segmentRead) {
            EXPECT_GT(doc->groupCount, 0);
            EXPECT_EQ(doc->pointCount, 250 * doc->groupCount);
            EXPECT_LE(doc->cycleCount, doc->pointCount);
        } else {
            EXPECT_FALSE(r.message.empty());
        }
    }
}

TEST(MalformedInput, RandomGpsBytesStayWithinTheTrackCapacities) {
    TempDir dir;
    std::mt19937 random(3);
    for (int round = 0; round < 30; ++round) {
        std::vector<std::uint8_t> bytes(1 + random() % 40'000);
        for (auto& b : bytes) {
            const unsigned r = random() % 16;
            // Mostly tags and valid check values, so that records really are parsed.
            b = r < 4    ? 'G'
                : r < 6  ? 'I'
                : r < 8  ? 0x57
                : r < 9  ? 0x04
                : r < 10 ? 0xAE
                : r < 11 ? 0x08
                         : random();
        }
        CNMEA gps;
        gps.ParseGpsBytes(bytes.data(), bytes.size());
        EXPECT_GE(gps.trackCount, 0);
        EXPECT_LE(gps.trackCount, CNMEA::kTrackCapacity);
        EXPECT_LE(gps.temperatureCount, CNMEA::kTemperatureCapacity);
        gps.ComputeRanges();
        gps.LookupByDistance(static_cast<float>(random() % 1000));
    }
}

TEST(MalformedInput, SettingsFilesOfAnyLengthAndContentLoad) {
    TempDir dir;
    std::mt19937 random(5);
    CKVTcontrol options;
    options.settingsPath = dir.File("Vorlixcontrol.dat");
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> bytes(random() % 1500);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        ASSERT_TRUE(RawFileBuilder::WriteBytes(options.settingsPath, bytes));
        EXPECT_TRUE(options.LoadSettings());
        EXPECT_LE(options.geophoneName.size(), 40u);
        EXPECT_LE(options.chartTitle[0].size(), 80u);
        ASSERT_TRUE(options.SaveSettings());
    }
}

} // namespace
