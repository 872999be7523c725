// Companion files that end early or are damaged are used as far as they read, say so, and are
// never written.
#include "document/CNMEA.h"
#include "document/Cgprdata.h"
#include "document/CompanionFiles.h"
#include "document/Czipimg.h"
#include "support/SynthFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

void Put(const std::string& path, long at, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(PartlyReadCompanions, GpsSaysWhereAndWhyItStopped) {
    TempDir dir;
    const SynthFiles files = GenerateSynthFiles(dir);
    ASSERT_TRUE(files.ok) << files.error;
    const std::string whole = ReadFile(files.gps);
    CNMEA gps;
    gps.gpsPath = files.gps;
    ASSERT_EQ(gps.ReadGpsFile(), 0);
    EXPECT_EQ(gps.readNote, "");
    EXPECT_EQ(companions::GpsReadNote(gps), "");
    const int tracks = gps.trackCount, temperatures = gps.temperatureCount;

    // The last record cut by ten bytes: everything before it is kept.
    std::filesystem::resize_file(files.gps, whole.size() - 10);
    ASSERT_EQ(gps.ReadGpsFile(), 0);
    EXPECT_EQ(gps.trackCount + gps.temperatureCount, tracks + temperatures - 1);
    const std::size_t last = whole.size() - (whole[whole.size() - 59] == 'G' ? 59 : 27);
    const std::string kind = whole[last] == 'G' ? "track" : "temperature";
    EXPECT_EQ(gps.readNote, "read up to byte " + std::to_string(last) + " of " +
                                std::to_string(whole.size() - 10) + ": the last " + kind +
                                " record is cut short");
    EXPECT_EQ(companions::GpsReadNote(gps),
              "The GPS file \"" + files.gps + "\" is " + gps.readNote + "; " +
                  std::to_string(gps.trackCount) + " track points and " +
                  std::to_string(gps.temperatureCount) + " temperature points are used.");

    // A damaged check word in the first record stops the read there.
    Put(files.gps, 0, whole.substr(0, 3) + "\xFF\xFF");
    ASSERT_EQ(gps.ReadGpsFile(), 0);
    EXPECT_EQ(gps.trackCount + gps.temperatureCount, 0);
    EXPECT_EQ(gps.readNote, "read up to byte 0 of " + std::to_string(whole.size() - 10) +
                                ": a damaged " + (whole[0] == 'G' ? "track" : "temperature") +
                                " record");
}

TEST(PartlyReadCompanions, GprCutInsideAScanSaysSo) {
    TempDir dir;
    const SynthFiles files = GenerateSynthFiles(dir);
    ASSERT_TRUE(files.ok) << files.error;
    const auto size = std::filesystem::file_size(files.dat);
    std::filesystem::resize_file(files.dat, size - 1000);
    Cgprdata gpr;
    gpr.path = files.dat;
    std::string note;
    ASSERT_EQ(gpr.ReadFile(&note), 0);
    const long long whole = static_cast<long long>(size / 2048) - 2;
    EXPECT_EQ(gpr.scanCount, whole);
    EXPECT_EQ(note, "The GPR file ends inside a scan: " + std::to_string(whole) +
                        " whole scans are read, the last 1048 bytes are not.");
}

TEST(PartlyReadCompanions, AMissingPictureIndexIsRebuiltInMemoryOnly) {
    TempDir dir;
    const SynthFiles files = GenerateSynthFiles(dir);
    ASSERT_TRUE(files.ok) << files.error;
    Czipimg images;
    images.imgPath = files.img;
    ASSERT_EQ(images.ReadImageIndex(0.0f), "");
    const std::vector<std::int32_t> distances = images.distance;
    ASSERT_GT(images.count, 1);
    EXPECT_FALSE(images.indexRebuilt);

    Put(files.img, 244, std::string(4, '\0')); // N = 0: the index is missing
    const std::string damaged = ReadFile(files.img);
    EXPECT_EQ(images.ReadImageIndex(0.0f), "");
    EXPECT_EQ(ReadFile(files.img), damaged);
    EXPECT_TRUE(images.indexRebuilt);
    // The entries run on until a zero distance, so the rebuilt index begins with the real one.
    ASSERT_GE(images.distance.size(), distances.size());
    EXPECT_TRUE(std::equal(distances.begin(), distances.end(), images.distance.begin()));
    EXPECT_EQ(companions::ImageIndexNote(images),
              "The picture index of \"" + files.img +
                  "\" is missing: " + std::to_string(images.count) +
                  " pictures were found and indexed in memory; the file is not changed.");
    std::vector<std::uint8_t> picture;
    EXPECT_TRUE(images.PictureBytes(0, &picture));
}

} // namespace
