// The GPR file reader: scan count and distances, the two kind marks, marks and GPS records of
// "QXR-GPR" files, the amplitude range, the limits, and damaged files that must not fault.
#include "document/Cgprdata.h"
#include "document/CompanionFiles.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kBlock = 2048;

// A GPR file in memory: a header block with the kind mark, then scan blocks of amplitude 2048.
struct GprBytes {
    std::vector<std::uint8_t> bytes;

    GprBytes(const std::string& mark, int scans)
        : bytes(static_cast<std::size_t>(scans + 1) * kBlock) {
        std::memcpy(bytes.data(), mark.data(), std::min<std::size_t>(mark.size(), kBlock));
        // Sample 1021 is the mark code of a "QXR-GPR" scan: none.
        const int amplitudes = mark.rfind("QXR", 0) == 0 ? 1021 : 1022;
        for (int j = 1; j <= scans; ++j)
            for (int k = 0; k < amplitudes; ++k)
                Sample(j, k, 2048);
    }
    void Sample(int block, int k, int value) {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(&bytes[static_cast<std::size_t>(block) * kBlock + 2 * k], &v, 2);
    }
    void Distance(int block, int miles, int feet) {
        Sample(block, 1022, miles);
        Sample(block, 1023, feet);
    }
    // The GPS record in the trailer of `block`, which counts for the scan after it.
    void Gps(int block, int sequence, double latitude, double longitude) {
        std::uint8_t* p = &bytes[static_cast<std::size_t>(block) * kBlock + 2 * 974];
        const auto s = static_cast<std::uint16_t>(sequence);
        std::memcpy(p, &s, 2);
        std::memcpy(p + 8, &latitude, 8);
        std::memcpy(p + 16, &longitude, 8);
    }
    bool Write(const std::string& path) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }
};

std::unique_ptr<Cgprdata> Read(const std::string& path, int* result = nullptr,
                               std::string* note = nullptr) {
    auto data = std::make_unique<Cgprdata>();
    data->path = path;
    const int r = data->ReadFile(note);
    if (result)
        *result = r;
    return data;
}

TEST(GprData, ScanCountIsTheWholeBlocksAfterTheHeader) {
    struct Case {
        std::size_t size;
        int scans;
    };
    const Case cases[] = {{2048u * 101, 100}, {2048u * 3 + 1000, 2}, {2048u * 2 - 1, 0}};
    TempDir dir;
    for (const Case& c : cases) {
        GprBytes file("PULSE07", 0);
        file.bytes.resize(c.size, 0);
        const std::string path = dir.File("size.DAT");
        ASSERT_TRUE(file.Write(path));
        int result = 0;
        auto data = Read(path, &result);
        EXPECT_EQ(data->scanCount, c.scans) << c.size;
        EXPECT_EQ(result, c.scans > 0 ? 0 : -1) << c.size;
    }
}

TEST(GprData, DistanceIsMilesTimes5280PlusFeet) {
    struct Case {
        int miles, feet, distance;
    };
    const Case cases[] = {
        {2, 100, 10'660}, {0, 0, 0}, {0, -5, -5}, {-1, 100, -5180}, {6, 5279, 36'959}};
    TempDir dir;
    GprBytes file("QXR-GPR", static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        file.Distance(static_cast<int>(i) + 1, cases[i].miles, cases[i].feet);
    ASSERT_TRUE(file.Write(dir.File("d.DAT")));
    auto data = Read(dir.File("d.DAT"));
    ASSERT_EQ(data->LoadScans(0, 10), 0);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(data->scanDistance[i], cases[i].distance) << i;
        const Ctrace& t = data->Trace(static_cast<int>(i));
        EXPECT_EQ(t.distance, cases[i].distance) << i;
        EXPECT_EQ(t.samples[1022], cases[i].miles);
        EXPECT_EQ(t.samples[1023], cases[i].feet);
    }
}

TEST(GprData, KindMarkDecidesTheKindOrRefusesTheFile) {
    struct Case {
        const char* name;
        std::string mark;
        int scans;
        int result, kind, scanCount;
    };
    const Case cases[] = {
        {"qxr", "QXR-GPR and more text", 2, 0, 2, 2},
        {"pulse", "PULSE07", 2, 0, 1, 2},
        {"wrong mark", "QXR-GPS", 2, -1, 0, 0},
        {"zero inside the mark", std::string("PULS\0E07", 8), 2, -1, 0, 0},
        {"header only", "QXR-GPR", 0, -1, 0, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.File("kind.DAT");
        ASSERT_TRUE(GprBytes(c.mark, c.scans).Write(path));
        int result = 0;
        std::string note;
        auto data = Read(path, &result, &note);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(data->fileKind, c.kind) << c.name;
        EXPECT_EQ(data->scanCount, c.scanCount) << c.name;
        EXPECT_EQ(note.empty(), c.result == 0) << c.name << ": " << note;
    }
    // Files too short for a mark, and no file at all.
    for (const std::string& bytes : {std::string(), std::string("QXR")}) {
        const std::string path = dir.File("short.DAT");
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        int result = 0;
        std::string note;
        EXPECT_EQ(Read(path, &result, &note)->scanCount, 0);
        EXPECT_EQ(result, -1);
        EXPECT_FALSE(note.empty());
    }
    int result = 0;
    EXPECT_EQ(Read(dir.File("missing.DAT"), &result)->scanCount, 0);
    EXPECT_EQ(result, -1);
}

TEST(GprData, RefusedFileLeavesNothingOfTheFileReadBefore) {
    TempDir dir;
    ASSERT_TRUE(GprBytes("QXR-GPR", 5).Write(dir.File("a.DAT")));
    auto data = Read(dir.File("a.DAT"));
    ASSERT_EQ(data->LoadScans(0, 5), 0);
    data->path = dir.File("missing.DAT");
    EXPECT_EQ(data->ReadFile(), -1);
    EXPECT_EQ(data->scanCount, 0);
    EXPECT_EQ(data->loadedEnd, 0);
    EXPECT_EQ(data->Trace(0).sampleCount, 0);
    EXPECT_EQ(data->LoadScans(0, 5), -1);
}

TEST(GprData, QxrFilesCountValidGpsRecordsAndKeepMarks) {
    // Scan j's record lies in the trailer of block j - 1; the last block's record is not read.
    struct Gps {
        int sequence;
        double latitude, longitude;
        bool counts;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Gps records[] = {
        {1, 45.0, -93.0, true},     {2, 45.1, -93.1, true},  {2, 45.2, -93.2, false}, // not above
        {5000, 45.0, -93.0, false}, {3, 90.0, -93.0, false}, {4, 45.0, 180.0, false},
        {4, nan, -93.0, false},     {9, -89.9, 179.9, true}, {65535, 1.0, 1.0, false},
        {10, 1.0, 1.0, false}, // trailer of the last block
    };
    const int scans = static_cast<int>(std::size(records)) - 1;
    for (const char* mark : {"QXR-GPR", "PULSE07"}) {
        GprBytes file(mark, scans);
        for (int b = 0; b <= scans; ++b)
            file.Gps(b, records[b].sequence, records[b].latitude, records[b].longitude);
        for (int j = 1; j <= scans; ++j)
            file.Distance(j, 0, 10 * j);
        file.Sample(3, 1021, 0x0207);
        file.Sample(6, 1021, 1);
        TempDir dir;
        ASSERT_TRUE(file.Write(dir.File("g.DAT")));
        auto data = Read(dir.File("g.DAT"));
        if (std::string(mark) == "PULSE07") {
            EXPECT_EQ(data->gpsCount, 0);
            EXPECT_EQ(data->markCount, 0);
            continue;
        }
        int expected = 0;
        for (int b = 0; b < scans; ++b)
            expected += records[b].counts;
        EXPECT_EQ(data->gpsCount, expected);
        ASSERT_EQ(data->markCount, 2);
        const Ccomment& first = data->marks[0];
        EXPECT_EQ(first.number, 1);
        EXPECT_EQ(first.scan, 2);
        EXPECT_EQ(first.distance, 30);
        EXPECT_EQ(first.feet, 30);
        EXPECT_EQ(first.miles, 0);
        EXPECT_EQ(first.code, 7);
        EXPECT_TRUE(first.text.empty());
        EXPECT_EQ(data->marks[1].number, 2);
        EXPECT_EQ(data->marks[1].scan, 5);
    }
}

TEST(GprData, AmplitudeRangeOfTheFirstThreeScansKeepsASideEachWayOf2048) {
    struct Case {
        const char* name;
        const char* mark;
        int scans;
        int block, sample, value; // one sample set away from 2048 (block 0: none)
        int low;                  // every other amplitude of the scans
        int ampMax, ampMin;
    };
    const Case cases[] = {
        {"flat scans", "PULSE07", 5, 0, 0, 0, 2048, 2049, 2047},
        {"one flat scan", "QXR-GPR", 1, 0, 0, 0, 2048, 2049, 2047},
        {"all below 2048", "PULSE07", 2, 0, 0, 0, 1000, 2049, 1000},
        {"peak in scan 3", "PULSE07", 4, 3, 500, 3000, 2048, 3000, 2047},
        {"peak in scan 4 is not read", "PULSE07", 4, 4, 500, 3000, 2048, 2049, 2047},
        {"pulse sample 1021 is an amplitude", "PULSE07", 3, 2, 1021, 100, 2048, 2049, 100},
        {"qxr trailer is not", "QXR-GPR", 3, 2, 1000, 100, 2048, 2049, 2047},
        {"qxr sample 973 is", "QXR-GPR", 3, 2, 973, 4000, 2048, 4000, 2047},
    };
    TempDir dir;
    for (const Case& c : cases) {
        GprBytes file(c.mark, c.scans);
        for (int j = 1; j <= c.scans; ++j)
            for (int k = 0; k < 1022; ++k)
                file.Sample(j, k, c.low);
        if (c.block > 0)
            file.Sample(c.block, c.sample, c.value);
        ASSERT_TRUE(file.Write(dir.File("r.DAT")));
        auto data = Read(dir.File("r.DAT"));
        EXPECT_EQ(data->ampMax, c.ampMax) << c.name;
        EXPECT_EQ(data->ampMin, c.ampMin) << c.name;
    }
}

TEST(GprData, LimitsStopTheReadingAndSaySo) {
    TempDir dir;
    // 50,002 scans, sparse: the reader must stop at 50,000 and not read the rest.
    const std::string many = dir.File("many.DAT");
    ASSERT_TRUE(GprBytes("PULSE07", 0).Write(many));
    std::filesystem::resize_file(many, 2048ull * 50'003);
    std::string note;
    int result = 0;
    auto data = Read(many, &result, &note);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(data->scanCount, Cgprdata::kMaxScans);
    EXPECT_NE(note.find("50002"), std::string::npos) << note;
    EXPECT_NE(note.find("50000"), std::string::npos) << note;

    // 102 marks: the first 100 are kept.
    GprBytes marked("QXR-GPR", 102);
    for (int j = 1; j <= 102; ++j) {
        marked.Distance(j, 0, j);
        marked.Sample(j, 1021, 5);
    }
    ASSERT_TRUE(marked.Write(dir.File("marks.DAT")));
    data = Read(dir.File("marks.DAT"), &result, &note);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(data->scanCount, 102);
    EXPECT_EQ(data->markCount, Cgprdata::kMaxMarks);
    EXPECT_EQ(data->marks[99].scan, 99);
    EXPECT_NE(note.find("100 marks"), std::string::npos) << note;

    // A window wider than the trace store loads its first 4002 scans.
    ASSERT_TRUE(GprBytes("PULSE07", 4100).Write(dir.File("wide.DAT")));
    data = Read(dir.File("wide.DAT"), &result, &note);
    EXPECT_TRUE(note.empty()) << note;
    EXPECT_EQ(data->LoadScans(10, 4100), 0);
    EXPECT_EQ(data->loadedEnd, Cgprdata::kMaxColumns);
}

TEST(GprData, LoadScansFillsTheWindowAndMapsScanIndicesWhenAbsolute) {
    TempDir dir;
    GprBytes file("QXR-GPR", 30);
    for (int j = 1; j <= 30; ++j) {
        file.Distance(j, 0, 100 + j);
        for (int k = 0; k < 1022; ++k)
            file.Sample(j, k, 2000 + j);
        file.Sample(j, 1000, -7); // trailer: replaced by 2048
    }
    ASSERT_TRUE(file.Write(dir.File("w.DAT")));
    auto data = Read(dir.File("w.DAT"));

    struct Case {
        bool absolute;
        int first, count;
        int result, loadedEnd;
        int index, scan; // Trace(index) is this scan (-1: empty)
    };
    const Case cases[] = {
        {false, 5, 10, 0, 10, 0, 5},
        {false, 5, 10, 0, 10, 9, 14},
        {false, 5, 10, 0, 10, 10, -1},
        {false, -3, 5, 0, 2, 1, 1},
        {false, 25, 10, 0, 5, 4, 29},
        {false, 30, 5, -1, 5, 4, 29}, // nothing to load: the window stays
        {false, 3, 0, -1, 5, 4, 29},
        {true, 5, 10, 0, 15, 5, 5},
        {true, 5, 10, 0, 15, 14, 14},
        {true, 5, 10, 0, 15, 4, -1},
    };
    for (const Case& c : cases) {
        data->absolute = c.absolute;
        EXPECT_EQ(data->LoadScans(c.first, c.count), c.result) << c.first << "+" << c.count;
        EXPECT_EQ(data->loadedEnd, c.loadedEnd) << c.first << "+" << c.count;
        const Ctrace& t = data->Trace(c.index);
        if (c.scan < 0) {
            EXPECT_EQ(t.sampleCount, 0);
            continue;
        }
        EXPECT_EQ(t.distance, 100 + c.scan + 1);
        EXPECT_EQ(t.samples[0], 2000 + c.scan + 1);
        EXPECT_EQ(t.samples[1000], 2048);
        const double mean = ((1022 - 47) * (2000.0 + c.scan + 1) + 47 * 2048.0) / 1022;
        EXPECT_NEAR(t.mean, mean, 1e-3);
    }
    std::filesystem::remove(dir.File("w.DAT"));
    EXPECT_EQ(data->LoadScans(0, 5), -1);
}

TEST(GprData, DamagedFilesAreReadOrRefusedNeverFault) {
    TempDir dir;
    GprBytes file("QXR-GPR", 6);
    for (int j = 1; j <= 6; ++j)
        file.Distance(j, -32768, -32768);
    file.Gps(0, 1, std::numeric_limits<double>::quiet_NaN(), 1e308);
    const std::string path = dir.File("bad.DAT");
    for (std::size_t cut : {file.bytes.size(), file.bytes.size() - 1, std::size_t{2048} + 2047,
                            std::size_t{2048}, std::size_t{7}, std::size_t{0}}) {
        std::vector<std::uint8_t> bytes(file.bytes.begin(), file.bytes.begin() + cut);
        GprBytes copy("", 0);
        copy.bytes = bytes;
        ASSERT_TRUE(copy.Write(path));
        auto data = Read(path);
        EXPECT_EQ(data->scanCount, cut >= 2 * 2048 ? static_cast<int>(cut / 2048 - 1) : 0);
        if (data->scanCount > 0) {
            EXPECT_EQ(data->scanDistance[0], -32768 * 5280 - 32768);
            EXPECT_EQ(data->LoadScans(0, 100), 0);
            EXPECT_EQ(data->loadedEnd, data->scanCount);
        }
    }
}

TEST(GprData, GeneratedFilesOfBothKindsReadWhole) {
    for (const auto kind : {synth::Options::Gpr::Pulse, synth::Options::Gpr::Qxr}) {
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.gpr = kind;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        std::string note;
        int result = 0;
        auto data = Read(files.dat, &result, &note);
        ASSERT_EQ(result, 0);
        EXPECT_TRUE(note.empty()) << note;
        // Every 2048-byte block after the header is a scan.
        EXPECT_EQ(data->scanCount,
                  static_cast<int>(std::filesystem::file_size(files.dat) / 2048 - 1));
        EXPECT_GT(data->scanCount, 1000);
        EXPECT_EQ(data->fileKind, kind == synth::Options::Gpr::Qxr ? 2 : 1);
        for (int j = 1; j < data->scanCount; ++j)
            ASSERT_GT(data->scanDistance[j], data->scanDistance[j - 1]) << j;
        EXPECT_GT(data->ampMax, 2048 + 100);
        EXPECT_LT(data->ampMin, 2048 - 100);
        if (kind == synth::Options::Gpr::Qxr) {
            // A mark every 1000 ft; a GPS fix every 10 scans, read from the trailer of the block
            // before each scan: the header's empty record (sequence 0) counts for scan 1.
            EXPECT_EQ(data->markCount, data->scanDistance[data->scanCount - 1] / 1000);
            EXPECT_EQ(data->gpsCount, (data->scanCount - 2) / 10 + 2);
        } else {
            EXPECT_EQ(data->markCount, 0);
            EXPECT_EQ(data->gpsCount, 0);
        }
    }
}

} // namespace
