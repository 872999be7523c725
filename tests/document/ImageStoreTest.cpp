// The road-image store: its index, the repair of a missing one, and pictures refused rather
// than read outside their bounds.
#include "document/ByteOrder.h"
#include "document/Czipimg.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <tuple>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::initializer_list<std::pair<std::size_t, std::int32_t>> values) {
    for (const auto& [at, v] : values) {
        b.resize(std::max(b.size(), at + 4));
        byteorder::StoreLE<std::int32_t>(&b[at], v);
    }
}

// A header with N and the index offset T, index entries (distance 10 i, the given offsets) at
// T, then `tail` bytes of picture data (byte k of the file being k % 251).
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

void Write(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ImageStore, OffsetDistanceTruncatesTowardZeroAndSaturates) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = 1.0f / 0.0f;
    const int top = std::numeric_limits<std::int32_t>::max(), low = -top - 1;
    // clang-format off
    const std::tuple<int, float, int> cases[] = {
        {100, -12.5f, 87}, {100, 12.5f, 112}, {100, -100.5f, 0}, {100, -112.5f, -12},
        {-5, 0.99f, -4}, {100, nan, 100}, {top, 10, top}, {top, inf, top}, {low, -10, low},
        {low, -inf, low}, {top - 200, 100, top - 100}};
    // clang-format on
    for (const auto& [recorded, offset, expected] : cases)
        EXPECT_EQ(Czipimg::OffsetDistance(recorded, offset), expected) << recorded << offset;
}

TEST(ImageStore, ReadsTheIndexInPiecesOrRefusesItLeavingNoPictures) {
    TempDir dir;
    const std::string path = dir.File("road.IMG"), q = "\"" + path + "\"";
    const Bytes good = ImageFile(1030, 400, std::vector<int>(1030), 5); // over two pieces of 512
    Write(path, good);
    Czipimg store;
    store.imgPath = path;
    EXPECT_EQ(store.ReadImageIndex(-2.5f), "");
    EXPECT_EQ(std::tie(store.headerText, store.headerText2),
              std::tuple("Road camera", std::string(40, 'J')));
    EXPECT_EQ(std::tie(store.headerValue0, store.indexOffset, store.dataEnd, store.pictureCount),
              std::tuple(7, 400, 1234, 1030));
    ASSERT_EQ(store.count, 1030);
    for (int i : {0, 1, 511, 512, 1023, 1024, 1029}) // offset applied, truncated toward zero
        EXPECT_EQ(store.distance.at(std::size_t(i)), i == 0 ? -2 : 10 * i - 3) << i;

    const int most = Czipimg::kMaxPictures;
    const std::string outside = "The picture index of " + q + " lies outside the file.";
    Bytes negative = ImageFile(2, 1296, {1400, 1500}, 300);
    Put(negative, {{248, -16}});
    const std::string folder = dir.File("road.IMG/x.IMG"); // a file where a folder should be
    // The file (none: another path), the note and the pictures then.
    const std::tuple<Bytes, std::string, std::string, int> cases[] = {
        {ImageFile(most, 1296, {}, 8 * most), path, "", most},
        {ImageFile(most + 1, 1296, {}, 8 * most + 8), path,
         "The road images " + q + " list 90001 pictures; at most 90000 can be shown.", 0},
        {ImageFile(2, 1296, {1, 2}), path, "", 2}, // the index just fits
        {ImageFile(2, 1296, {1}), path, outside, 0},
        {negative, path, outside, 0},
        {Bytes(295, 1), path, "The road images " + q + " are too short for their header.", 0},
        {{}, dir.File("none.IMG"), "", 0}, // a test without video
        {{}, folder, "Cannot open the road images \"" + folder + "\": Not a directory", 0}};
    for (const auto& [file, where, note, count] : cases) {
        SCOPED_TRACE(note + " " + std::to_string(count));
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

TEST(ImageStore, RebuildTakesEntriesUpToTheFirstZeroAndWritesOnlyTheSixteenHeaderBytes) {
    const Bytes three = ImageFile(0, 1296, {1400, 1500, 1600});
    Bytes zero = ImageFile(0, 1296, {1400, 1500, 1600, 0, 1700}, 400), cut = three;
    Put(zero, {{1296 + 24, 0}}); // a zero distance ends the index
    cut.insert(cut.end(), {30, 0, 0, 0, 0x10, 0, 0});
    const int room = Czipimg::kRebuiltCapacity;
    // N, the file and the pictures found (0: nothing written).
    const std::tuple<int, Bytes, int> cases[] = {
        {0, zero, 3},
        {-4, three, 3},
        {0, cut, 3}, // the file ends with an entry, or inside one
        {0, ImageFile(0, 1296, std::vector<int>(room + 1, 1)), room},
        {0, ImageFile(0, 1000, {}, 100), 0}}; // the file ends before the index
    TempDir dir;
    for (const auto& [n, file, count] : cases) {
        SCOPED_TRACE(count);
        Czipimg store;
        store.imgPath = dir.File("road.IMG");
        Bytes before = file;
        Put(before, {{244, n}, {248, 109}}); // a header without an index says nothing of it
        Write(store.imgPath, before);
        const std::string note = store.ReadImageIndex(0.0f);
        Bytes expected = before;
        if (count > 0)
            Put(expected, {{240, 402296}, {244, count}, {248, 1296}, {252, int(before.size())}});
        EXPECT_EQ(Read(store.imgPath), expected);
        EXPECT_EQ(note, count ? "" : "The road images \"" + store.imgPath + "\" hold no picture.");
        EXPECT_EQ(std::tie(store.count, store.pictureCount), std::tuple(count, count ? count : n));
        for (int i = 0; i < count; i += 1 + count / 3)
            EXPECT_EQ(store.distance[std::size_t(i)], 10 * i);
    }
    // Its own answers: N as it stands, -1 unreadable, -2 nothing found; nothing written.
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    const std::pair<Bytes, int> answers[] = {{ImageFile(2, 400, {416, 420}, 200), 2},
                                             {Bytes(295, 0), -1},
                                             {ImageFile(0, 1000, {}, 100), -2}};
    for (const auto& [file, result] : answers) {
        Write(store.imgPath, file);
        EXPECT_EQ(store.RebuildImageIndex(), result);
        EXPECT_EQ(Read(store.imgPath), file);
    }
    store.imgPath = dir.File("missing.IMG");
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
    const std::tuple<int, int, int, int, int, int, std::string> cases[] = {
        {d, d + kBig, d + kBig + 5, kBig + 9, 0, kBig, ""}, {d, d + 4, d + 6, 100, 1, 2, ""},
        {d, d + 4, d + 6, 100, 2, 94, ""}, // the last runs to the end of the file
        {d, d + kBig + 1, d + kBig + 5, kBig + 9, 0, -1,
         "Picture 0" + of + " is 900001 bytes; at most 900000 are read."},
        {-8, d + 4, d + 6, 100, 0, -1, "Picture 0" + broken + "-8, next 1324)."},
        {d, d + 50, d + 6, 100, 1, -1, "Picture 1" + broken + "1370, next 1326)."},
        {d, d + 4, d + 200, 100, 2, -1, "Picture 2" + broken + "1520, next 1420)."},
        {d, d + 4000, d + 4000, 100, 0, -1, "Picture 0" + of + " runs past the end of the file."},
        {d, d, d + 6, 100, 0, -1, "Picture 0" + of + " holds no data."},
        {d, d + 4, d + 6, 100, -1, -1, "There is no picture -1 in the road images."},
        {d, d + 4, d + 6, 100, 3, -1, "There is no picture 3 in the road images."}};
    // clang-format on
    Czipimg store;
    store.imgPath = path;
    for (const auto& [first, second, third, tail, index, size, error] : cases) {
        SCOPED_TRACE(error + " " + std::to_string(index));
        const Bytes file = ImageFile(3, 1296, {first, second, third}, tail);
        Write(path, file);
        ASSERT_EQ(store.ReadImageIndex(0.0f), "");
        Bytes picture = {1, 2, 3};
        std::string said;
        EXPECT_EQ(store.PictureBytes(index, &picture, &said), size >= 0);
        EXPECT_EQ(said, error);
        const int from = index == 0 ? first : index == 1 ? second : third;
        if (size >= 0) {
            EXPECT_EQ(picture, Bytes(file.begin() + from, file.begin() + from + size));
        }
    }
    // The file shrinks, or goes, after its index was read.
    Write(path, Bytes(100, 0));
    std::string said;
    EXPECT_FALSE(store.PictureBytes(0, nullptr, &said));
    EXPECT_EQ(said, "Cannot read the index entry of Picture 0" + of + ".");
    std::filesystem::remove(path);
    EXPECT_FALSE(store.PictureBytes(0, nullptr, &said));
    EXPECT_EQ(said, "Cannot open the road images \"" + path + "\": No such file or directory");
}

} // namespace
