// The road-image store: reading the index, repairing a missing one, and refusing entries that
// would read outside a picture or the file.
#include "document/ByteOrder.h"
#include "document/Czipimg.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::int32_t v) {
    if (b.size() < at + 4)
        b.resize(at + 4, 0);
    byteorder::StoreLE<std::int32_t>(&b[at], v);
}

std::int32_t Get(const Bytes& b, std::size_t at) {
    return byteorder::LoadLE<std::int32_t>(&b[at]);
}

// A header with N and T, the index entries at T, then `tail` bytes of picture data (0x5A).
Bytes ImageFile(std::int32_t n, std::int32_t t, const std::vector<std::pair<int, int>>& entries,
                std::size_t tail = 0) {
    Bytes b(Czipimg::kHeaderSize, 0);
    const char text[] = "Road camera";
    std::copy(std::begin(text), std::end(text), b.begin() + 160);
    Put(b, 240, 7);
    Put(b, 244, n);
    Put(b, 248, t);
    Put(b, 252, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Put(b, t + 8 * i, entries[i].first);
        Put(b, t + 8 * i + 4, entries[i].second);
    }
    if (b.size() < static_cast<std::size_t>(t))
        b.resize(t, 0);
    b.insert(b.end(), tail, 0x5A);
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

int OpenDescriptors() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST(ImageStore, VideoOffsetIsAddedAndTruncatedTowardZero) {
    struct Case {
        float offset;
        int recorded;
        int expected;
    } cases[] = {
        {-12.5f, 100, 87},   {12.5f, 100, 112},  {-100.5f, 100, 0},
        {-112.5f, 100, -12}, {0.0f, 5280, 5280}, {0.99f, -5, -4},
    };
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + " + " + std::to_string(c.recorded));
        Write(store.imgPath, ImageFile(1, 1296, {{c.recorded, 1304}}, 10));
        EXPECT_EQ(store.ReadImageIndex(c.offset), "");
        ASSERT_EQ(store.count, 1);
        EXPECT_EQ(store.distance[0], c.expected);
    }
    EXPECT_EQ(Czipimg::OffsetDistance(100, std::numeric_limits<float>::quiet_NaN()), 100);
    EXPECT_EQ(Czipimg::OffsetDistance(INT32_MAX, 10.0f), INT32_MAX);
}

TEST(ImageStore, ReadsTheGeneratorsIndexAndJpegPictures) {
    TempDir dir;
    SynthFiles files = GenerateSynthFiles(dir);
    ASSERT_TRUE(files.ok) << files.error;
    Czipimg store;
    store.imgPath = files.img;
    EXPECT_EQ(store.ReadImageIndex(-12.5f), "");
    ASSERT_EQ(store.count, 8);
    EXPECT_EQ(store.pictureCount, 8);
    EXPECT_EQ(store.indexOffset, 1296);
    EXPECT_EQ(store.headerValue0, 402296);
    EXPECT_EQ(store.headerText, "This is a test file");
    EXPECT_EQ(store.headerText2, "JPEG");
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(files.img));
    EXPECT_EQ(store.dataEnd, static_cast<std::int32_t>(size));
    std::size_t total = 0;
    Bytes picture;
    for (int i = 0; i < store.count; ++i) {
        if (i > 0) {
            EXPECT_GT(store.distance[i], store.distance[i - 1]);
        }
        std::string error;
        ASSERT_TRUE(store.PictureBytes(i, &picture, &error)) << error;
        ASSERT_GT(picture.size(), 4u);
        EXPECT_EQ(picture[0], 0xFF);
        EXPECT_EQ(picture[1], 0xD8);
        EXPECT_EQ(picture[picture.size() - 2], 0xFF);
        EXPECT_EQ(picture[picture.size() - 1], 0xD9);
        total += picture.size();
    }
    EXPECT_EQ(total, size - (1296 + 8 * 8));
}

TEST(ImageStore, RebuildTakesEntriesUpToTheFirstZeroAndRewritesOnlyTheHeaderValues) {
    struct Case {
        const char* name;
        std::int32_t n;
        Bytes file;
        int expectedCount; // 0: nothing written
    };
    // The index of a file that ends in the middle of its fourth entry.
    Bytes cut = ImageFile(0, 1296, {{0, 1400}, {10, 1500}, {20, 1600}});
    cut.insert(cut.end(), {30, 0, 0, 0, 0x10});
    const Case cases[] = {
        {"zero distance ends the index", 0,
         ImageFile(0, 1296, {{0, 1400}, {10, 1500}, {20, 1600}, {0, 0}, {30, 1700}}, 400), 3},
        {"a negative N is rebuilt too", -4, ImageFile(-4, 1296, {{0, 1400}, {10, 1500}, {0, 0}}),
         2},
        {"file ends inside the index", 0, cut, 3},
        {"file ends before the index: nothing found, nothing written", 0,
         ImageFile(0, 1000, {}, 100), 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Czipimg store;
        store.imgPath = dir.File("road.IMG");
        Bytes before = c.file;
        Put(before, 244, c.n);
        Put(before, 248, 109); // a header without an index says nothing of where it is
        Write(store.imgPath, before);
        const std::string note = store.ReadImageIndex(0.0f);
        const Bytes after = Read(store.imgPath);
        ASSERT_EQ(after.size(), before.size()); // never truncated, never grown
        EXPECT_EQ(store.count, c.expectedCount);
        if (c.expectedCount == 0) {
            EXPECT_EQ(after, before);
            EXPECT_FALSE(note.empty());
            continue;
        }
        EXPECT_EQ(note, "");
        EXPECT_EQ(Get(after, 240), 402296);
        EXPECT_EQ(Get(after, 244), c.expectedCount);
        EXPECT_EQ(Get(after, 248), 1296);
        EXPECT_EQ(Get(after, 252), static_cast<std::int32_t>(before.size()));
        Bytes rest = after;
        std::copy(before.begin() + 240, before.begin() + 256, rest.begin() + 240);
        EXPECT_EQ(rest, before) << "only the 16 header bytes at 240 change";
        for (int i = 0; i < c.expectedCount; ++i)
            EXPECT_EQ(store.distance[i], 10 * i);
    }
}

TEST(ImageStore, RebuildLeavesAnIndexWithPicturesAlone) {
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    const Bytes file = ImageFile(2, 400, {{0, 416}, {10, 420}}, 200);
    Write(store.imgPath, file);
    EXPECT_EQ(store.RebuildImageIndex(), 2);
    EXPECT_EQ(Read(store.imgPath), file);
    store.imgPath = dir.File("missing.IMG");
    EXPECT_EQ(store.RebuildImageIndex(), -1);
}

TEST(ImageStore, RefusedPicturesAreNotRead) {
    constexpr int kBig = Czipimg::kMaxPictureBytes;
    const int data = 1296 + 3 * 8;
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> entries;
        std::size_t tail; // picture bytes after the index
        int index;
        int expectedSize; // -1: refused
    } cases[] = {
        {"largest picture",
         {{0, data}, {10, data + kBig}, {20, data + kBig + 5}},
         kBig + 9,
         0,
         kBig},
        {"a picture too big",
         {{0, data}, {10, data + kBig + 1}, {20, data + kBig + 5}},
         kBig + 9,
         0,
         -1},
        {"the last runs to the end of the file",
         {{0, data}, {10, data + 4}, {20, data + 6}},
         100,
         2,
         94},
        {"a negative offset", {{0, -8}, {10, data + 4}, {20, data + 6}}, 100, 0, -1},
        {"next offset below its own", {{0, data}, {10, data + 50}, {20, data + 6}}, 100, 1, -1},
        {"the last picture starts past the end",
         {{0, data}, {10, data + 4}, {20, data + 200}},
         100,
         2,
         -1},
        {"next offset past the end of the file",
         {{0, data}, {10, data + 4000}, {20, data + 4000}},
         100,
         0,
         -1},
        {"an empty picture", {{0, data}, {10, data}, {20, data + 6}}, 100, 0, -1},
        {"an index below the pictures", {{0, data}, {10, data + 4}, {20, data + 6}}, 100, -1, -1},
        {"an index past the pictures", {{0, data}, {10, data + 4}, {20, data + 6}}, 100, 3, -1},
    };
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(store.imgPath, ImageFile(3, 1296, c.entries, c.tail));
        ASSERT_EQ(store.ReadImageIndex(0.0f), "");
        ASSERT_EQ(store.count, 3);
        Bytes picture;
        std::string error;
        const bool ok = store.PictureBytes(c.index, &picture, &error);
        EXPECT_EQ(ok, c.expectedSize >= 0) << error;
        if (ok) {
            EXPECT_EQ(picture.size(), static_cast<std::size_t>(c.expectedSize));
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(ImageStore, IndexesThatCannotBeReadLeaveNoPictures) {
    struct Case {
        const char* name;
        Bytes file;
        int expectedCount;
        bool note;
    } cases[] = {
        {"largest index", ImageFile(Czipimg::kMaxPictures, 1296, {}, 8 * Czipimg::kMaxPictures),
         Czipimg::kMaxPictures, false},
        {"an index of too many pictures",
         ImageFile(Czipimg::kMaxPictures + 1, 1296, {}, 8 * (Czipimg::kMaxPictures + 1)), 0, true},
        {"a negative index offset", ImageFile(2, 1296, {{0, 1400}, {10, 1500}}, 300), 0, true},
        {"an index past the end of the file", ImageFile(2, 1296, {{0, 1400}}), 0, true},
        {"a file shorter than its header", Bytes(200, 0), 0, true},
    };
    Put(cases[2].file, 248, -16);
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(store.imgPath, c.file);
        EXPECT_EQ(!store.ReadImageIndex(0.0f).empty(), c.note);
        EXPECT_EQ(store.count, c.expectedCount);
        Bytes picture;
        if (c.expectedCount == 0) {
            EXPECT_FALSE(store.PictureBytes(0, &picture));
        }
    }
    store.imgPath = dir.File("no such file.IMG");
    EXPECT_EQ(store.ReadImageIndex(0.0f), "") << "a test without video says nothing";
    EXPECT_EQ(store.count, 0);
}

TEST(ImageStore, ReadingAgainAndAgainLeavesNoFileOpen) {
    TempDir dir;
    Czipimg store;
    store.imgPath = dir.File("road.IMG");
    Write(store.imgPath, ImageFile(2, 1296, {{0, 1312}, {10, 1320}}, 20));
    const int before = OpenDescriptors();
    Bytes picture;
    for (int k = 0; k < 5; ++k) {
        store.ReadImageIndex(0.0f);
        ASSERT_TRUE(store.PictureBytes(k % 2, &picture));
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
