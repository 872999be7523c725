// The GPR file reader (scan distances, kind marks, marks and GPS records, amplitude range,
// limits, the loaded window) and the depth gain of its image.
#include "document/Camply.h"
#include "document/Cgprdata.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <tuple>

namespace {

constexpr int kBlock = 2048;
using Ints = std::vector<int>;

// A GPR file: a header block with the kind mark, then scans of amplitude `level` (a "QXR-GPR"
// scan without a mark code).
struct GprFile {
    std::vector<std::uint8_t> bytes;
    GprFile(const std::string& mark, int scans, int level = 2048)
        : bytes(std::size_t(scans + 1) * kBlock) {
        std::memcpy(bytes.data(), mark.data(), mark.size());
        for (int j = 1; j <= scans; ++j)
            for (int k = 0; k < (mark[0] == 'Q' ? 1021 : 1022); ++k)
                Set(j, k, level);
    }
    void Set(int block, int sample, int value) { Put(block, sample, std::int16_t(value)); }
    template <typename T> void Put(int block, int sample, T value) {
        std::memcpy(&bytes[std::size_t(block) * kBlock + 2 * sample], &value, sizeof value);
    }
    // The GPS record in the trailer of `block` counts for the scan after it.
    void Gps(int block, int sequence, double latitude, double longitude = 0) {
        Set(block, 974, sequence), Put(block, 978, latitude), Put(block, 982, longitude);
    }
    // Writes the file (made `size` bytes long without writing them) and reads it into data.
    int Read(Cgprdata& data, const std::string& path, std::string* note = nullptr,
             std::uintmax_t size = 0) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (size > 0)
            std::filesystem::resize_file(path, size);
        data.path = path;
        return data.ReadFile(note);
    }
};

TEST(GprData, ReadOrRefusedWithNothingLeftOfTheFileBefore) {
    TempDir dir;
    const std::string path = dir.File("g.DAT"), q = "\"" + path + "\"";
    const std::string noScan = "The GPR file " + q + " holds no scan.",
                      noFile = "The GPR file " + q + " cannot be opened.",
                      noMark = q + " is not a GPR file: it starts with neither \"QXR-GPR\" nor "
                                   "\"PULSE07\".";
    // Mark, size (0: no file), kind, scans and note; the scans are zeros.
    // clang-format off
    const std::tuple<std::string, std::size_t, int, int, std::string> cases[] = {
        {"QXR-GPR and more", 3 * kBlock, 2, 2, ""}, {"PULSE07", 4 * kBlock - 1, 1, 2, ""},
        {"QXR-GPS", 3 * kBlock, 0, 0, noMark},
        {std::string("PULS\0E", 6), 3 * kBlock, 0, 0, noMark},
        {"PULSE0", 6, 0, 0, noMark},            {"QXR-GPR", kBlock, 0, 0, noScan},
        {"QXR-GPR", 2 * kBlock - 1, 0, 0, noScan}, {"", 0, 0, 0, noFile}};
    // clang-format on
    GprFile before("QXR-GPR", 3);
    before.Set(2, 1021, 1), before.Set(1, 0, 4000); // a mark, a peak
    Cgprdata data;
    for (const auto& [mark, size, kind, scans, expected] : cases) {
        SCOPED_TRACE(mark + " " + std::to_string(size));
        before.Read(data, path);
        ASSERT_EQ(data.LoadScans(0, 3), 0);
        ASSERT_EQ(Ints({data.markCount, data.gpsCount, data.ampMax}), Ints({1, 2, 4000}));
        GprFile file(mark, 0);
        file.bytes.resize(size);
        size > 0 ? file.Read(data, path) : std::filesystem::remove(path);
        std::string note = "stale";
        EXPECT_EQ(data.ReadFile(&note), kind > 0 ? 0 : -1);
        EXPECT_EQ(note, expected);
        // Zero scans: no mark; the header's empty GPS record counts for scan 1.
        EXPECT_EQ(Ints({data.fileKind, data.scanCount, data.markCount, data.gpsCount,
                        data.loadedEnd, data.Trace(0).sampleCount, data.ampMax, data.ampMin}),
                  kind > 0 ? Ints({kind, scans, 0, kind == 2, 0, 0, 2049, 0})
                           : Ints({0, 0, 0, 0, 0, 0, 0, 4096}));
    }
    std::string note;
    EXPECT_EQ(GprFile("", 0).Read(data, dir.Path(), &note), -1); // a folder
    EXPECT_EQ(note, "The GPR file \"" + dir.Path() + "\" cannot be opened.");
}

TEST(GprData, MarksGpsRecordsAndTheLimitsOfAQxrFile) {
    TempDir dir;
    GprFile file("QXR-GPR", 110);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Counted: a sequence below 5000 above the last counted one, a position on the globe.
    // clang-format off
    const std::tuple<int, double, double> records[] = {
        {0, 0, 0}, {1, 89.99, -179.99}, {1, 45, 0}, {5000, 0, 0}, {65535, 0, 0}, {2, 90, 0},
        {3, -90, 0}, {4, 0, 180}, {5, 0, -180}, {6, nan, 0}, {7, 0, nan}, {8, -89.99, 179.99},
        {4999, 1, 1}, {4999, 1, 1}};
    // clang-format on
    for (int j = 1; j <= 110; ++j) {
        file.Set(j, 1022, j / 4), file.Set(j, 1023, 10 * j); // miles, feet
        file.Set(j, 1021, j == 3 ? 0x0207 : j == 8 ? -1 : j > 10 ? 5 : 0);
        file.Gps(j, 100, 90.0); // off the globe: does not count
    }
    for (int b = 0; b < 14; ++b) // scan j's record lies in the trailer of block j - 1
        file.Gps(b, std::get<0>(records[b]), std::get<1>(records[b]), std::get<2>(records[b]));
    // Read as PULSE07 it has neither marks nor GPS records.
    GprFile pulse = file;
    std::memcpy(pulse.bytes.data(), "PULSE07", 7);
    Cgprdata data;
    pulse.Read(data, dir.File("pulse.DAT"));
    EXPECT_EQ(Ints({data.fileKind, data.markCount, data.gpsCount}), Ints({1, 0, 0}));

    std::string note;
    file.Read(data, dir.File("many.DAT"), &note, std::uintmax_t{kBlock} * 50'003); // 50002 scans
    EXPECT_EQ(note, "The GPR file holds 50002 scans; only the first 50000 are shown. The GPR file "
                    "has more than 100 marks; only the first 100 are kept.");
    EXPECT_EQ(data.scanCount, Cgprdata::kMaxScans);
    EXPECT_EQ(data.gpsCount, 4); // 0, 1, 8 and 4999
    ASSERT_EQ(data.markCount, Cgprdata::kMaxMarks);
    const auto fields = [&](int i) {
        const Ccomment& m = data.marks[i];
        EXPECT_TRUE(m.text.empty());
        return Ints({m.number, m.scan, m.distance, m.miles, m.feet, m.code});
    };
    EXPECT_EQ(fields(0), Ints({1, 2, 30, 0, 30, 7}));
    EXPECT_EQ(fields(1), Ints({2, 7, 2 * 5280 + 80, 2, 80, 255}));
    EXPECT_EQ(fields(99), Ints({100, 107, 27 * 5280 + 1080, 27, 1080, 5}));
    // A window wider than the trace store loads its first 4002 scans.
    data.absolute = true;
    EXPECT_EQ(data.LoadScans(10, 4100), 0);
    EXPECT_EQ(data.loadedEnd, 10 + Cgprdata::kMaxColumns);
    EXPECT_EQ(data.Trace(10 + Cgprdata::kMaxColumns - 1).sampleCount, 1022);
    EXPECT_EQ(data.Trace(10 + Cgprdata::kMaxColumns).sampleCount, 0);
}

TEST(GprData, AmplitudeRangeOfTheFirstThreeScansKeepsASideEachWayOf2048) {
    // Mark, scans, the amplitudes, one sample (block 0: none) set to another value, the range.
    // clang-format off
    const std::tuple<const char*, int, int, int, int, int, int, int> cases[] = {
        {"PULSE07", 5, 2048, 0, 0, 0, 2049, 2047},     {"QXR-GPR", 1, 2048, 0, 0, 0, 2049, 2047},
        {"PULSE07", 2, 1000, 0, 0, 0, 2049, 1000},     {"PULSE07", 2, 3000, 0, 0, 0, 3000, 2047},
        {"PULSE07", 4, 2048, 3, 500, 3000, 3000, 2047}, // the third scan is read,
        {"PULSE07", 4, 2048, 4, 500, 3000, 2049, 2047}, // the fourth is not
        {"PULSE07", 3, 2048, 2, 1021, 100, 2049, 100}, // an amplitude in a "PULSE07" file,
        {"QXR-GPR", 3, 2048, 2, 974, 100, 2049, 2047}, // the trailer of a "QXR-GPR" file
        {"QXR-GPR", 3, 2048, 1, 973, 4000, 4000, 2047}};
    // clang-format on
    TempDir dir;
    Cgprdata data;
    for (const auto& [mark, scans, level, block, sample, value, high, low] : cases) {
        GprFile file(mark, scans, level);
        if (block > 0)
            file.Set(block, sample, value);
        file.Read(data, dir.File("r.DAT"));
        EXPECT_EQ(Ints({data.ampMax, data.ampMin}), Ints({high, low}))
            << mark << " " << scans << " " << level << " " << block << " " << sample;
    }
}

TEST(GprData, LoadScansFillsTheWindowAndMapsScanIndicesWhenAbsolute) {
    TempDir dir;
    const std::string path = dir.File("w.DAT");
    GprFile file("QXR-GPR", 300); // more than one read of 256 blocks
    for (int j = 1; j <= 300; ++j) {
        for (int k = 0; k < 1022; ++k)
            file.Set(j, k, 1000 + j);
        file.Set(j, 1000, -7); // trailer: shown as 2048
        file.Set(j, 1022, j % 3), file.Set(j, 1023, 100 + j);
    }
    Cgprdata data;
    file.Read(data, path);
    ASSERT_EQ(data.scanCount, 300);
    for (int s = 0; s < 300; ++s)
        ASSERT_EQ(data.scanDistance[s], (s + 1) % 3 * 5280 + 101 + s) << s;
    // Absolute, first, count, result, loadedEnd, and the scan of a trace index (-1: empty).
    // The mended faults: absolute windows one scan short, starts before the first scan and
    // windows past the last one.
    // clang-format off
    const std::tuple<bool, int, int, int, int, int, int> cases[] = {
        {false, 5, 10, 0, 10, 0, 5},   {false, 5, 10, 0, 10, 9, 14}, {false, 5, 10, 0, 10, 10, -1},
        {false, 5, 10, 0, 10, -1, -1}, {false, 10, 280, 0, 280, 260, 270},
        {false, -3, 5, 0, 2, 1, 1},    {false, 295, 10, 0, 5, 4, 299},
        {false, 300, 5, -1, 5, 4, 299}, {false, 3, 0, -1, 5, 4, 299}, // nothing: the window stays
        {true, 5, 10, 0, 15, 5, 5},    {true, 5, 10, 0, 15, 14, 14}, {true, 5, 10, 0, 15, 15, -1},
        {true, 5, 10, 0, 15, 4, -1},   {true, -3, 5, 0, 2, 0, 0},
        {true, 298, 10, 0, 300, 299, 299}};
    // clang-format on
    for (const auto& [absolute, first, count, result, end, index, scan] : cases) {
        SCOPED_TRACE(testing::Message()
                     << absolute << " " << first << "+" << count << " " << index);
        data.absolute = absolute;
        EXPECT_EQ(data.LoadScans(first, count), result);
        EXPECT_EQ(data.loadedEnd, end);
        const Ctrace& t = data.Trace(index);
        const int j = scan + 1, v = 1000 + j, m = j % 3, f = 100 + j;
        EXPECT_EQ(Ints({t.sampleCount, t.samples[0], t.samples[973], t.samples[974],
                        t.samples[1000], t.samples[1020], t.samples[1021], t.samples[1022],
                        t.samples[1023], t.miles, t.feet, t.distance}),
                  scan < 0 ? Ints({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                           : Ints({1022, v, v, 2048, 2048, 2048, v, m, f, m, f, m * 5280 + f}));
        EXPECT_FLOAT_EQ(t.mean, scan < 0 ? 0.0f : float((975.0 * v + 47 * 2048.0) / 1022));
    }
    // Read as PULSE07 the trailer is kept as it is.
    std::memcpy(file.bytes.data(), "PULSE07", 7);
    file.Read(data, path);
    data.absolute = false;
    ASSERT_EQ(data.LoadScans(0, 1), 0);
    EXPECT_EQ(Ints({data.Trace(0).samples[1000], data.Trace(0).samples[1021]}), Ints({-7, 1001}));
    // A file cut short after it was read loads what is left; a file gone loads nothing.
    std::filesystem::resize_file(path, 5 * kBlock + 100);
    EXPECT_EQ(data.LoadScans(2, 10), 0);
    EXPECT_EQ(Ints({data.loadedEnd, data.Trace(1).samples[0]}), Ints({2, 1004}));
    EXPECT_EQ(data.LoadScans(5, 10), -1);
    std::filesystem::remove(path);
    EXPECT_EQ(data.LoadScans(0, 5), -1);
}

TEST(Gain, FlatFor200SamplesThenAQuarterSineToAlmostFour) {
    const Camply gain;
    EXPECT_EQ(Ints({gain.length, gain.flatLength}), Ints({1024, 200}));
    for (const auto& [i, expected] : {std::pair{0, 1.0},
                                      {199, 1},
                                      {200, 1},
                                      {201, 1.0057189},
                                      {612, 1 + 3 * std::sqrt(0.5)},
                                      {1023, 3.9999945}}) {
        EXPECT_NEAR(gain.gain[i], expected, 1e-6) << i;
        EXPECT_EQ(gain.gain[i], Camply::GainAt(i)) << i;
    }
}

} // namespace
