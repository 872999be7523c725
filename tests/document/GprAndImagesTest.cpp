// The GPR file reader, the depth gain of its image, and the road-image store.
#include "document/ByteOrder.h"
#include "document/Camply.h"
#include "document/Cgprdata.h"
#include "document/Czipimg.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <tuple>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Ints = std::vector<int>;
constexpr int kBlock = 2048;

void Write(const std::string& path, const Bytes& b) {
    std::ofstream(path).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A GPR file: a header with the kind mark, then scans of amplitude `level` and no mark code.
struct GprFile {
    Bytes bytes;
    GprFile(const std::string& mark, int scans, int level = 2048) : bytes((scans + 1) * kBlock) {
        std::memcpy(bytes.data(), mark.data(), mark.size());
        for (int j = 1; j <= scans; ++j)
            for (int k = 0; k < (mark[0] == 'Q' ? 1021 : 1022); ++k)
                Set(j, k, level);
    }
    void Set(int block, int sample, int value) {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(&bytes[std::size_t(block) * kBlock + 2 * sample], &v, 2);
    }
    // The GPS record in the trailer of `block` counts for the scan after it.
    void Gps(int block, int sequence, double latitude, double longitude = 0) {
        Set(block, 974, sequence);
        std::memcpy(&bytes[std::size_t(block) * kBlock + 2 * 978], &latitude, 8);
        std::memcpy(&bytes[std::size_t(block) * kBlock + 2 * 982], &longitude, 8);
    }
    // Writes the file (made `size` bytes long without writing them) and reads it into data.
    int Read(Cgprdata& data, const std::string& path, std::string* note = nullptr,
             std::uintmax_t size = 0) const {
        Write(path, bytes);
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
    // Mark, size (0: no file, 1: a folder), kind, scans and note. The scans are zeros: no mark,
    // and the header's empty GPS record counts for scan 1.
    // clang-format off
    const std::tuple<const char*, std::string, std::size_t, int, int, std::string> cases[] = {
        {"one QXR-GPR scan", "QXR-GPR and more", 2 * kBlock, 2, 1, ""},
        {"PULSE07 scans and a part", "PULSE07 and more", 4 * kBlock - 1, 1, 2,
         "The GPR file ends inside a scan: 2 whole scans are read, the last 2047 bytes are not."},
        {"the mark alone", "QXR-GPR", 7, 0, 0, noScan},
        {"a header alone", "QXR-GPR", kBlock, 0, 0, noScan},
        {"a scan one byte short", "QXR-GPR", 2 * kBlock - 1, 0, 0, noScan},
        {"another mark", "QXR-GPS", 3 * kBlock, 0, 0, noMark},
        {"a mark cut short", "PULSE0", 6, 0, 0, noMark},
        {"a zero in the mark", std::string("PULS\0E", 6), 3 * kBlock, 0, 0, noMark},
        {"no file", "", 0, 0, 0, noFile}, {"a folder", "", 1, 0, 0, noFile}};
    // clang-format on
    GprFile before("QXR-GPR", 3);
    before.Set(2, 1021, 1), before.Set(1, 0, 4000); // a mark, a peak
    Cgprdata data;
    for (const auto& [name, mark, size, kind, scans, expected] : cases) {
        SCOPED_TRACE(name);
        before.Read(data, path);
        ASSERT_EQ(data.LoadScans(0, 3), 0);
        ASSERT_EQ(Ints({data.markCount, data.gpsCount, data.ampMax}), Ints({1, 2, 4000}));
        GprFile file(mark, 0);
        file.bytes.resize(size);
        std::filesystem::remove(path);
        if (size == 1)
            std::filesystem::create_directory(path);
        else if (size > 0)
            Write(path, file.bytes);
        std::string note = "stale";
        EXPECT_EQ(data.ReadFile(&note), kind > 0 ? 0 : -1);
        EXPECT_EQ(note, expected);
        EXPECT_EQ(Ints({data.fileKind, data.scanCount, data.markCount, data.gpsCount,
                        data.loadedEnd, data.Trace(0).sampleCount, data.ampMax, data.ampMin}),
                  kind > 0 ? Ints({kind, scans, 0, kind == 2, 0, 0, 2049, 0})
                           : Ints({0, 0, 0, 0, 0, 0, 0, 4096}));
    }
}

TEST(GprData, PastItsLimitsKeepsTheFirstScansMarksAndTheGpsRecordsOnTheGlobe) {
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
        file.Set(j, 1021, j == 3 ? 0x0207 : j == 8 ? -1 : j > 108 ? 1 : j > 10 ? 5 : 0);
        file.Gps(j, 100, 90.0); // off the globe: does not count
    }
    for (int b = 0; b < 14; ++b) // scan j's record lies in the trailer of block j - 1
        file.Gps(b, std::get<0>(records[b]), std::get<1>(records[b]), std::get<2>(records[b]));
    std::string note;
    Cgprdata data;
    file.Read(data, dir.File("many.DAT"), &note, std::uintmax_t{kBlock} * 50'003); // 50002 scans
    EXPECT_EQ(note, "The GPR file holds 50002 scans; only the first 50000 are shown. The GPR file "
                    "has more than 100 marks; only the first 100 are kept.");
    EXPECT_EQ(Ints({data.scanCount, data.gpsCount, data.markCount, data.ampMax, data.ampMin}),
              Ints({50000, 4, 100, 2049, 2047})); // a flat range keeps a side each way of 2048
    for (const auto& [i, fields] : {std::pair{0, Ints({1, 2, 30, 0, 30, 7})},
                                    {1, Ints({2, 7, 2 * 5280 + 80, 2, 80, 255})},
                                    {99, Ints({100, 107, 27 * 5280 + 1080, 27, 1080, 5})}}) {
        const Ccomment& m = data.marks[std::size_t(i)];
        EXPECT_EQ(Ints({m.number, m.scan, m.distance, m.miles, m.feet, m.code}), fields);
        EXPECT_EQ(m.text, "");
    }
    // A window wider than the trace store loads its first 4002 scans.
    data.absolute = true;
    EXPECT_EQ(data.LoadScans(10, 4100), 0);
    EXPECT_EQ(Ints({data.loadedEnd, data.Trace(4011).sampleCount, data.Trace(4012).sampleCount}),
              Ints({4012, 1022, 0}));
}

// 300 scans (more than one read of 256 blocks) of value 1000 + scan number, trailers set.
GprFile Scans300() {
    GprFile file("QXR-GPR", 300);
    for (int j = 1; j <= 300; ++j) {
        for (int k = 0; k < 1022; ++k)
            file.Set(j, k, 1000 + j);
        file.Set(j, 1000, -7); // trailer: shown as 2048
        file.Set(j, 1022, j % 3), file.Set(j, 1023, 100 + j);
    }
    file.Set(3, 1, 3000), file.Set(4, 0, 4000); // the amplitude range is of the first 3 scans
    return file;
}

TEST(GprData, LoadScansNoLongerOneShortWhenAbsoluteNorReadsPastTheScans) {
    TempDir dir;
    Cgprdata data;
    Scans300().Read(data, dir.File("w.DAT"));
    ASSERT_EQ(Ints({data.scanCount, data.ampMax, data.ampMin}), Ints({300, 3000, 1001}));
    // Absolute, first, count, result, loadedEnd, the scan of a trace index (-1: empty).
    // clang-format off
    const std::tuple<const char*, bool, int, int, int, int, int, int> cases[] = {
        {"first", false, 5, 10, 0, 10, 0, 5}, {"last", false, 5, 10, 0, 10, 9, 14},
        {"past the window", false, 5, 10, 0, 10, 10, -1},
        {"before the window", false, 5, 10, 0, 10, -1, -1},
        {"over two reads", false, 10, 280, 0, 280, 260, 270},
        {"from before the first scan", false, -3, 5, 0, 2, 1, 1},
        {"past the last scan", false, 295, 10, 0, 5, 4, 299},
        {"after the scans: the window stays", false, 300, 5, -1, 5, 4, 299},
        {"no scan: the window stays", false, 3, 0, -1, 5, 4, 299},
        {"absolute: first", true, 5, 10, 0, 15, 5, 5},
        {"absolute: last, not one short", true, 5, 10, 0, 15, 14, 14},
        {"absolute: past the window", true, 5, 10, 0, 15, 15, -1},
        {"absolute: before the window", true, 5, 10, 0, 15, 4, -1},
        {"absolute: from before the first scan", true, -3, 5, 0, 2, 0, 0},
        {"absolute: past the last scan", true, 298, 10, 0, 300, 299, 299}};
    // clang-format on
    for (const auto& [name, absolute, first, count, result, end, index, scan] : cases) {
        SCOPED_TRACE(name);
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
}

// Read as PULSE07: neither marks nor GPS records, and the trailer is amplitudes. A file cut
// short after it was read loads what is left; a file gone loads nothing.
TEST(GprData, PulseTrailersAreAmplitudesAndAFileCutShortLoadsWhatIsLeft) {
    TempDir dir;
    const std::string path = dir.File("w.DAT");
    GprFile file = Scans300();
    std::memcpy(file.bytes.data(), "PULSE07", 7);
    Cgprdata data;
    data.absolute = true;
    file.Read(data, path);
    ASSERT_EQ(data.LoadScans(0, 1), 0);
    EXPECT_EQ(Ints({data.markCount, data.gpsCount, data.ampMin, data.Trace(0).samples[1000],
                    data.Trace(0).samples[1021]}),
              Ints({0, 0, -7, -7, 1001}));
    std::filesystem::resize_file(path, 5 * kBlock + 100);
    EXPECT_EQ(data.LoadScans(2, 10), 0);
    EXPECT_EQ(Ints({data.loadedEnd, data.Trace(3).samples[0]}), Ints({4, 4000}));
    EXPECT_EQ(data.LoadScans(5, 10), -1);
    std::filesystem::remove(path);
    EXPECT_EQ(data.LoadScans(0, 5), -1);
}

TEST(Gain, FlatFor200SamplesThenAQuarterSineToAlmostFour) {
    const Camply gain;
    const double expected[] = {1, 1, 1, 1.0057189, 1 + 3 * std::sqrt(0.5), 3.9999945};
    for (int k = 0; const int i : {0, 199, 200, 201, 612, 1023})
        EXPECT_NEAR(gain.gain[i], expected[k++], 1e-6) << i;
}

void Put(Bytes& b, std::initializer_list<std::pair<std::size_t, std::int32_t>> values) {
    for (const auto& [at, v] : values) {
        b.resize(std::max(b.size(), at + 4));
        byteorder::StoreLE<std::int32_t>(&b[at], v);
    }
}

// A header with N and index offset T, entries (10 i, offset) at T, then `tail` bytes k % 251.
Bytes ImageFile(std::int32_t n, std::int32_t t, const std::vector<int>& offsets, int tail = 0) {
    Bytes b(Czipimg::kHeaderSize, 'J'); // the text at 256 without a zero: all 40 bytes
    std::fill_n(std::copy_n("Road camera", 11, b.begin() + 160), 69, 0);
    Put(b, {{240, 7}, {244, n}, {248, t}, {252, 1234}});
    for (std::size_t i = 0; i < offsets.size(); ++i)
        Put(b, {{t + 8 * i, 10 * int(i)}, {t + 8 * i + 4, offsets[i]}});
    b.resize(std::max(b.size(), std::size_t(t)), 0);
    for (int k = 0; k < tail; ++k)
        b.push_back(static_cast<std::uint8_t>(b.size() % 251));
    return b;
}

TEST(ImageStore, IndexReadInPiecesOrRefusedWithTheReason) {
    TempDir dir;
    const std::string path = dir.File("road.IMG"), q = "\"" + path + "\"";
    const Bytes good = ImageFile(1030, 400, std::vector<int>(1030), 5); // over two pieces of 512
    Write(path, good);
    Czipimg store;
    store.imgPath = path;
    EXPECT_EQ(store.ReadImageIndex(-2.5f), "");
    EXPECT_EQ(std::tie(store.headerText, store.headerText2, store.headerValue0, store.indexOffset,
                       store.dataEnd, store.pictureCount, store.count),
              std::tuple("Road camera", std::string(40, 'J'), 7, 400, 1234, 1030, 1030));
    for (int i : {0, 1, 511, 512, 1023, 1024, 1029}) // offset applied, truncated toward zero
        EXPECT_EQ(store.distance.at(std::size_t(i)), i == 0 ? -2 : 10 * i - 3) << i;
    const int most = Czipimg::kMaxPictures;
    const std::string outside = "The picture index of " + q + " lies outside the file.";
    Bytes negative = ImageFile(2, 1296, {1400, 1500}, 300);
    Put(negative, {{248, -16}});
    const std::string folder = dir.File("road.IMG/x.IMG"); // a file where a folder should be
    // The file (none: another path), the note and the pictures then.
    const std::tuple<const char*, Bytes, std::string, std::string, int> cases[] = {
        {"the most pictures", ImageFile(most, 1296, {}, 8 * most), path, "", most},
        {"one picture too many", ImageFile(most + 1, 1296, {}, 8 * most + 8), path,
         "The road images " + q + " list 90001 pictures; at most 90000 can be shown.", 0},
        {"an index that just fits", ImageFile(1, 1296, {1}), path, "", 1},
        {"an index at the start of the file", ImageFile(1, 0, {1}), path, "", 1},
        {"an index one entry past the end", ImageFile(2, 1296, {1}), path, outside, 0},
        {"an index before the file", negative, path, outside, 0},
        {"a header one byte short", Bytes(295, 1), path,
         "The road images " + q + " are too short for their header.", 0},
        {"a test without video", Bytes{}, dir.File("none.IMG"), "", 0},
        {"a file where a folder should be", Bytes{}, folder,
         "Cannot open the road images \"" + folder + "\": Not a directory", 0}};
    for (const auto& [name, file, where, note, count] : cases) {
        SCOPED_TRACE(name);
        store.imgPath = path;
        Write(path, good);
        ASSERT_EQ(store.ReadImageIndex(0), "");
        if (!file.empty())
            Write(path, file);
        store.imgPath = where;
        EXPECT_EQ(store.ReadImageIndex(0), note);
        EXPECT_EQ(std::pair(store.count, store.distance.size()),
                  std::pair(count, std::size_t(count)));
    }
}

TEST(ImageStore, MissingIndexRebuiltWritingOnly16HeaderBytes) {
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");

    const Bytes three = ImageFile(0, 1296, {1400, 1500, 1600});
    Bytes zero = ImageFile(0, 1296, {1400, 1500, 1600, 0, 1700}, 400), cut = three;
    Put(zero, {{1296 + 24, 0}});
    cut.insert(cut.end(), {30, 0, 0, 0, 0x10, 0, 0});
    const int room = Czipimg::kRebuiltCapacity;
    // N, the file and the pictures found; the index is rebuilt in memory and the file never
    // written.
    // clang-format off
    const std::tuple<const char*, int, Bytes, int> rebuilt[] = {
        {"up to a zero distance", 0, zero, 3}, {"to the end of the file", -4, three, 3},
        {"up to an entry cut short", 0, cut, 3},
        {"up to the room of the index", 0, ImageFile(0, 1296, std::vector<int>(room + 1, 1)), room},
        {"a file ending before the index", 0, ImageFile(0, 1000, {}, 100), 0}};
    // clang-format on
    for (const auto& [name, n, file, count] : rebuilt) {
        SCOPED_TRACE(name);
        Bytes before = file;
        Put(before, {{244, n}, {248, 109}}); // a header without an index says nothing of it
        Write(store.imgPath, before);
        const std::string note = store.ReadImageIndex(0.0f);
        EXPECT_EQ(ReadFile<Bytes>(store.imgPath), before);
        EXPECT_EQ(store.indexRebuilt, count > 0);
        if (count > 0) {
            EXPECT_EQ(Ints({store.headerValue0, store.indexOffset, store.dataEnd}),
                      Ints({402296, 1296, int(before.size())}));
        }
        EXPECT_EQ(note, count ? "" : "The road images \"" + store.imgPath + "\" hold no picture.");
        EXPECT_EQ(std::tie(store.count, store.pictureCount), std::tuple(count, count ? count : n));
        for (int i = 0; i < count; i += 1 + count / 3)
            EXPECT_EQ(store.distance[std::size_t(i)], 10 * i);
    }
    // Its own answers: N as it stands, or -1 for a file it cannot read; nothing written.
    for (const auto& [file, result] : {std::pair{ImageFile(2, 400, {416, 420}, 200), 2},
                                       {ImageFile(1, 400, {416}, 200), 1},
                                       {Bytes(295, 0), -1}}) {
        Write(store.imgPath, file);
        EXPECT_EQ(std::pair(store.RebuildImageIndex(), ReadFile<Bytes>(store.imgPath)),
                  std::pair(result, file));
    }
    // Too long for the header's 32-bit end.
    Write(store.imgPath, ImageFile(0, 1000, {}));
    std::filesystem::resize_file(store.imgPath, std::uintmax_t{1} << 31);
    EXPECT_EQ(store.ReadImageIndex(0), "The picture index of \"" + store.imgPath +
                                           "\" is missing and cannot be rebuilt: File too large");
    store.imgPath = dir.File("none.IMG");
    EXPECT_EQ(store.RebuildImageIndex(), -1);
}

TEST(ImageStore, PicturesAreReadWholeOrRefusedWithTheReason) {
    constexpr int kBig = Czipimg::kMaxPictureBytes, d = 1296 + 3 * 8; // the first picture byte
    TempDir dir;
    const std::string path = dir.File("road.IMG"), of = " of \"" + path + "\"";
    const std::string broken = of + " has a broken index entry (offset ";
    // The offsets of three pictures, picture bytes after the index, the index read; the size
    // read (-1: refused with the error).
    // clang-format off
    const std::tuple<const char*, int, int, int, int, int, int, std::string> cases[] = {
        {"the largest picture", d, d + kBig, d + kBig + 5, kBig + 9, 0, kBig, ""},
        {"a middle one", d, d + 4, d + 6, 100, 1, 2, ""},
        {"the last, to the end of the file", d, d + 4, d + 6, 100, 2, 94, ""},
        {"one byte too large", d, d + kBig + 1, d + kBig + 5, kBig + 9, 0, -1,
         "Picture 0" + of + " is 900001 bytes; at most 900000 are read."},
        {"a negative offset", -8, d + 4, d + 6, 100, 0, -1, "Picture 0" + broken + "-8, next 1324)."},
        {"offsets out of order", d, d + 50, d + 6, 100, 1, -1,
         "Picture 1" + broken + "1370, next 1326)."},
        {"the last past the end", d, d + 4, d + 200, 100, 2, -1,
         "Picture 2" + broken + "1520, next 1420)."},
        {"the next past the end", d, d + 4000, d + 4000, 100, 0, -1,
         "Picture 0" + of + " runs past the end of the file."},
        {"an empty picture", d, d, d + 6, 100, 0, -1, "Picture 0" + of + " holds no data."},
        {"before the first", d, d + 4, d + 6, 100, -1, -1,
         "There is no picture -1 in the road images."},
        {"after the last", d, d + 4, d + 6, 100, 3, -1, "There is no picture 3 in the road images."}};
    // clang-format on
    Czipimg store;
    store.imgPath = path;
    for (const auto& [name, first, second, third, tail, index, size, error] : cases) {
        SCOPED_TRACE(name);
        const Bytes file = ImageFile(3, 1296, {first, second, third}, tail);
        Write(path, file);
        ASSERT_EQ(store.ReadImageIndex(0.0f), "");
        Bytes picture, expected;
        std::string said;
        EXPECT_EQ(store.PictureBytes(index, &picture, &said), size >= 0);
        const int from = index == 0 ? first : index == 1 ? second : third;
        if (size >= 0)
            expected.assign(file.begin() + from, file.begin() + from + size);
        EXPECT_EQ(std::pair(said, picture), std::pair(error, expected));
    }
}

} // namespace
