// The files the core writes: the settings file "Vorlixcontrol.dat" and the conversion export,
// both written whole through a temporary file.
#include "analysis/CKVTcontrol.h"
#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/Cchannel.h"
#include "document/ConversionExport.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

template <typename T> void Put(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(&bytes.at(offset), &value, sizeof value);
}

void PutText(Bytes& bytes, std::size_t offset, const std::string& text) {
    std::memcpy(&bytes.at(offset), text.data(), text.size());
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// A size limit on this process for one call: a full device in the middle of a write.
template <typename Call> auto WithFileSizeLimit(rlim_t bytes, Call call) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    auto result = call();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string SettingsPath() const { return dir.File(CKVTcontrol::kSettingsFileName); }
    TempDir dir;
};

// The whole 1240-byte file: every field at its offset, the chart rows in the file order 4, 2,
// 1, 3. Texts that fill their field are read whole and written back cut before a zero.
TEST_F(SettingsFileTest, EveryFieldHasItsOffset) {
    Bytes image(1240, 0);
    Put<std::int32_t>(image, 0, 77);
    Put<std::int32_t>(image, 4, 7); // no geophone of the test: the stored name stays
    const float floats[] = {1.5f, 2.5f,  3.5f, 4.5f,  5.5f, 45.25f, 7.5f, -4.0f,
                            4.0f, -2.0f, 2.0f, -1.0f, 1.0f, -3.0f,  3.0f, -12.75f};
    for (std::size_t i = 0; i < std::size(floats); ++i)
        Put(image, 8 + 4 * i, floats[i]);
    Put<std::int32_t>(image, 72, 15);
    Put<std::int32_t>(image, 76, 1);
    // clang-format off
    const std::pair<std::size_t, std::string> texts[] = {
        {400, std::string(40, 'g')}, {440, "first"}, {520, "second"}, {600, std::string(80, 't')},
        {680, "T2"}, {760, "T1"}, {840, "T3"}, {920, "X4"}, {960, "X2"}, {1000, "X1"}, {1040, "X3"},
        {1080, "Y4"}, {1120, "Y2"}, {1160, "Y1"}, {1200, "Y3"}};
    // clang-format on
    for (const auto& [offset, text] : texts)
        PutText(image, offset, text);
    ASSERT_TRUE(RawFileBuilder::WriteBytes(SettingsPath(), image));

    CVorlixDoc doc(dir.Path());
    const CKVTcontrol& o = doc.options;
    EXPECT_EQ(o.settingsPath, SettingsPath());
    EXPECT_EQ((std::vector<int>{o.reservedValue, o.geophoneSelect, o.movingAverageCount,
                                o.showGprColormap}),
              (std::vector<int>{77, 7, 15, 1}));
    EXPECT_EQ((std::vector<float>{o.loadFactor, o.centerFactor, o.frontFactor, o.rearFactor,
                                  o.bandpassLow, o.bandpassHigh, o.lowpassCutoff, o.videoOffset}),
              (std::vector<float>{1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 45.25f, 7.5f, -12.75f}));
    EXPECT_EQ(o.chartMin, (std::array<float, 4>{-1.0f, -2.0f, -3.0f, -4.0f}));
    EXPECT_EQ(o.chartMax, (std::array<float, 4>{1.0f, 2.0f, 3.0f, 4.0f}));
    using Texts = std::array<std::string, 4>;
    EXPECT_EQ(o.chartTitle, (Texts{"T1", "T2", "T3", std::string(80, 't')}));
    EXPECT_EQ(o.chartXLabel, (Texts{"X1", "X2", "X3", "X4"}));
    EXPECT_EQ(o.chartYLabel, (Texts{"Y1", "Y2", "Y3", "Y4"}));
    EXPECT_EQ((Texts{o.geophoneName, o.reservedText1, o.reservedText2}),
              (Texts{std::string(40, 'g'), "first", "second"}));

    fs::remove(SettingsPath());
    ASSERT_TRUE(o.SaveSettings());
    image[400 + 39] = image[600 + 79] = 0;
    EXPECT_EQ(ReadBytes(SettingsPath()), image);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});
}

// What a load takes from files cut short, unterminated texts and geophone numbers. Fields the
// file does not reach keep their values; a name field read whole needs no terminator; a
// geophone number 1 to 4 replaces the stored name.
TEST_F(SettingsFileTest, LoadTakesWhatTheFileHolds) {
    struct Case {
        const char* name;
        long size; // -1: no file, -2: a folder in its place
        std::int32_t select, averageCount;
        std::string geophoneName;
    };
    const std::string stored(40, 'n');
    const Case cases[] = {
        {"no file", -1, 1, 20, "kept"},
        {"a folder", -2, 1, 20, "kept"},
        {"ends one byte into the average count", 75, 0, 20, "kept"},
        {"ends right after the average count", 76, 0, 15, "kept"},
        {"ends one byte before the end of the name", 439, 0, 15, "kept"},
        {"name field whole and unterminated", 440, 0, 15, stored},
        {"geophone 1 names itself", 1240, 1, 15, "Geophone-1"},
        {"geophone 4 names itself", 1240, 4, 15, "Geophone-4"},
        {"geophone 5 keeps the stored name", 1240, 5, 15, stored},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        fs::remove_all(SettingsPath());
        Bytes bytes(1240, 0);
        Put<std::int32_t>(bytes, 4, k.select);
        Put<std::int32_t>(bytes, 72, 15);
        PutText(bytes, 400, stored);
        PutText(bytes, 440, "r");
        bytes.resize(std::max(k.size, 0L));
        if (k.size >= 0)
            RawFileBuilder::WriteBytes(SettingsPath(), bytes);
        if (k.size == -2)
            fs::create_directory(SettingsPath());
        CKVTcontrol c;
        c.settingsPath = SettingsPath();
        c.geophoneName = "kept";
        EXPECT_EQ(c.LoadSettings(), k.size >= 0);
        EXPECT_EQ(c.geophoneSelect, k.select);
        EXPECT_EQ(c.movingAverageCount, k.averageCount);
        EXPECT_EQ(c.geophoneName, k.geophoneName);
        EXPECT_EQ(c.reservedText1, k.size > 440 ? "r" : "");
    }
}

TEST(GeophoneNumber, ExactNamesOnly) {
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-1", 0), 1);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-4", 0), 4);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("geophone-2", 1), 1);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-5", 0), 0);
}

// A failed save says why, keeps the previous file whole and leaves no temporary file.
TEST_F(SettingsFileTest, FailedSaveKeepsThePreviousFileAndSaysWhy) {
    const std::string file = SettingsPath();
    const struct {
        const char* name;
        std::string path;
        int error; // errno text in the message
    } cases[] = {{"missing folder", dir.File("missing/Vorlixcontrol.dat"), ENOENT},
                 {"a folder in place of the file", file, EISDIR},
                 {"device full in the middle", file, EFBIG}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        fs::remove_all(file);
        CKVTcontrol c;
        c.settingsPath = file;
        ASSERT_TRUE(c.SaveSettings());
        const Bytes before = ReadBytes(file);
        if (k.error == EISDIR) {
            fs::remove(file);
            fs::create_directories(file + "/inside");
        }
        c.settingsPath = k.path;
        c.reservedValue = 1;
        std::string error;
        auto save = [&] { return c.SaveSettings(&error); };
        EXPECT_FALSE(k.error == EFBIG ? WithFileSizeLimit(500, save) : save());
        EXPECT_EQ(error, std::string(k.error == ENOENT ? "Cannot create" : "Cannot write") + " \"" +
                             k.path + "\": " + std::strerror(k.error));
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});
        EXPECT_EQ(fs::is_directory(file + "/inside"), k.error == EISDIR);
        if (k.error != EISDIR) {
            EXPECT_EQ(ReadBytes(file), before);
        }
    }
}

// The conversion export.
using namespace conversion;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

float AValue(const Bytes& a, std::size_t record, int c) {
    return byteorder::LoadBE<float>(
        &a.at(record * kARecordBytes + 4 * static_cast<std::size_t>(c)));
}

std::array<float, 250> PulseTrain(std::int64_t pulses) {
    std::array<float, 250> channel{};
    ApplyPulseTrain(channel.data(), pulses);
    return channel;
}

TEST(ConversionPulses, CountsRoundHalfUpAndTruncateTowardZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double distance, previous;
        std::int64_t count;
    } cases[] = {{101.0, 100.0, 21},   {100.0, 100.0, 0},   {99.0, 100.0, -20}, {100.0, 0.0, 2124},
                 {0.05, 0.0, 1},       {0.02, 0.0, 0},      {-0.05, 0.0, 0},    {-0.1, 0.0, -1},
                 {nan, 0.0, 0},        {5.0, nan, 0},       {inf, 0.0, 0},      {-inf, 0.0, 0},
                 {3.0e38, -3.0e38, 0}, {-3.0e38, 3.0e38, 0}};
    for (const auto& k : cases)
        EXPECT_EQ(PulseCount(k.distance, k.previous), k.count) << k.distance << " " << k.previous;
}

// p pulses of (250 / p) / 2 samples every 250 / p samples, from ((250 / p) / 2) / 2 on; none
// where that width is 0.
TEST(ConversionPulses, TrainsHaveTheirWidthSpacingAndStart) {
    const struct {
        std::int64_t pulses;
        int first, width, spacing;
    } cases[] = {{21, 2, 5, 11}, {1, 62, 125, 250}, {125, 0, 1, 2}, {126, 0, 0, 1},
                 {251, 0, 0, 1}, {0, 0, 0, 1},      {-20, 0, 0, 1}, {2124, 0, 0, 1}};
    for (const auto& k : cases) {
        std::array<float, 250> expected{};
        for (int s = 0; k.width > 0 && s < 250; ++s)
            if (s >= k.first && (s - k.first) % k.spacing < k.width &&
                (s - k.first) / k.spacing < k.pulses)
                expected[s] = 5.0f;
        EXPECT_EQ(PulseTrain(k.pulses), expected) << k.pulses;
    }
}

TEST(ConversionNames, BaseDropsOnlyTheFileNamesExtension) {
    EXPECT_EQ(DefaultOutputBase("/data/run7.KVT"), "/data/run7");
    EXPECT_EQ(DefaultOutputBase("run.2.KVT"), "run.2");
    EXPECT_EQ(DefaultOutputBase("/data.v2/run7"), "/data.v2/run7");
    EXPECT_EQ(DefaultOutputBase("run7"), "run7");
    EXPECT_EQ(APath("/x/run7"), "/x/run7_A.DAT");
    EXPECT_EQ(CPath("/x/run7"), "/x/run7_C.DAT");
}

class ConversionExportTest : public ::testing::Test {
protected:
    std::string Write(const RawFileBuilder& b) {
        EXPECT_TRUE(b.Write(raw));
        return raw;
    }
    ConversionStatus Convert(Cchannel* channels = nullptr, const ProgressCallback& progress = {},
                             const CancelCheck& cancelled = {}) {
        return ConvertRawFile(raw, dir.File("t"), channels, progress, cancelled);
    }

    TempDir dir;
    const std::string raw = dir.File("t.KVT");
};

// Every value of both files: channels the file lacks are 0.0, channels past the ninth are
// dropped, channel 7 carries the pulses of each group's movement, every fourth group has a time
// stamp record; read across input blocks (687 groups of 12 channels fill one) up to the last
// whole group. A file without a whole group gives empty files and a note.
TEST_F(ConversionExportTest, WholeFiles) {
    const struct {
        int channels, groups, trailing;
        std::vector<long long> progress;
    } cases[] = {{3, 5, 0, {0, 5}}, {12, 700, 6099, {0, 687, 700}}, {5, 0, 2599, {0}}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.groups);
        RawFileBuilder b;
        b.activeChannels = k.channels;
        b.groups = k.groups;
        b.trailingBytes = k.trailing;
        b.distance = [](int g) { return g == 0 ? 100.0f : 100.0f + 0.5f * static_cast<float>(g); };
        Write(b);
        for (const char* name : {"t_A.DAT", "t_C.DAT"})
            std::ofstream(dir.File(name)) << "old";
        Cchannel table;
        std::vector<long long> progress;
        const ConversionStatus status = Convert(&table, [&](long long done, long long all) {
            progress.push_back(done);
            EXPECT_EQ(all, k.groups);
        });
        ASSERT_TRUE(status.ok) << status.message;
        EXPECT_EQ(status.message, k.groups > 0 ? ""
                                               : "\"" + raw +
                                                     "\" holds no whole group of samples (10599 "
                                                     "bytes): the exchange files are empty.");
        EXPECT_EQ(progress, k.progress);
        EXPECT_EQ(table.activeCount, k.channels);
        EXPECT_EQ(status.groupCount, k.groups);
        EXPECT_EQ(status.aRecords, 250 * k.groups);
        EXPECT_EQ(status.cRecords, (k.groups + 3) / 4);

        const Bytes a = ReadBytes(dir.File("t_A.DAT"));
        ASSERT_EQ(a.size(), 250u * 36 * k.groups);
        for (int g = 0; g < k.groups; g += g < 4 || g >= 686 ? 1 : 682) {
            const double previous = g == 0 ? 0.0 : b.distance(g - 1);
            const auto pulses = PulseTrain(PulseCount(b.distance(g), previous));
            for (int j = 0; j < 250; ++j)
                for (int c = 0; c < 9; ++c) {
                    float expected =
                        c < k.channels ? static_cast<float>(b.sample(c, g, j) / 3276.8) : 0.0f;
                    if (c == 7 && pulses[j] == 5.0f)
                        expected = 5.0f;
                    ASSERT_EQ(AValue(a, 250u * g + j, c), expected) << g << " " << j << " " << c;
                }
        }
        const Bytes c = ReadBytes(dir.File("t_C.DAT"));
        ASSERT_EQ(c.size(), 16u * status.cRecords);
        for (int r = 0; r < status.cRecords; ++r) {
            EXPECT_EQ(byteorder::LoadBE<double>(&c[16 * r]), b.distance(4 * r));
            EXPECT_EQ(byteorder::LoadBE<double>(&c[16 * r + 8]), 8024.0 + r);
        }
        if (k.groups != 5)
            continue;
        // Big-endian on disk: 5.0 where group 1's first pulse begins, then the time stamps.
        EXPECT_EQ(Bytes(&a[(250 + 5) * 36 + 28], &a[(250 + 5) * 36 + 32]),
                  (Bytes{0x40, 0xA0, 0, 0}));
        EXPECT_EQ(c, (Bytes{0x40, 0x59, 0,    0, 0, 0, 0, 0, 0x40, 0xBF, 0x58, 0, 0, 0, 0, 0,
                            0x40, 0x59, 0x80, 0, 0, 0, 0, 0, 0x40, 0xBF, 0x59, 0, 0, 0, 0, 0}));
    }
}

// Every failure says why and leaves the files of an earlier conversion as they were.
TEST_F(ConversionExportTest, FailedConversionSaysWhyAndKeepsThePreviousFiles) {
    struct Case {
        const char* name;
        int groups, channels;
        std::function<ConversionStatus()> run;
        std::string message;
    };
    const std::string aPath = dir.File("t_A.DAT");
    auto written = [&](const std::string& path) {
        return "Cannot write \"" + path + "\": " + std::strerror(EFBIG);
    };
    const Case cases[] = {
        {"missing input", 0, 5, [&] { return Convert(); },
         "Cannot open \"" + raw + "\": " + std::strerror(ENOENT)},
        {"input is a folder", -1, 5, [&] { return Convert(); },
         "Cannot open \"" + raw + "\": not a file"},
        {"missing output folder", 4, 5,
         [&] { return ConvertRawFile(raw, dir.File("none/t"), nullptr); },
         "Cannot create \"" + dir.File("none/t_A.DAT") + "\": " + std::strerror(ENOENT)},
        {"a folder in place of the output", 4, 5,
         [&] { return ConvertRawFile(raw, dir.File("sub"), nullptr); },
         "Cannot write \"" + dir.File("sub_A.DAT") + "\": " + std::strerror(EISDIR)},
        {"device full when committing", 3, 5,
         [&] { return WithFileSizeLimit(20'000, [&] { return Convert(); }); }, written(aPath)},
        {"device full while writing", 120, 1,
         [&] { return WithFileSizeLimit(100'000, [&] { return Convert(); }); }, written(aPath)},
        {"input shrinking", 8, 5,
         [&] {
             return Convert(nullptr,
                            [&](long long, long long) { fs::resize_file(raw, 8000 + 2600 * 5); });
         },
         "Cannot read \"" + raw + "\": the file ended early."},
        {"cancelled", 8, 5, [&] { return Convert(nullptr, {}, [] { return true; }); },
         kCancelledMessage},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        fs::remove_all(raw);
        if (k.groups < 0)
            fs::create_directory(raw);
        if (k.groups > 0) {
            RawFileBuilder b;
            b.groups = k.groups;
            b.activeChannels = k.channels;
            Write(b);
        }
        for (const char* name : {"t_A.DAT", "t_C.DAT", "sub_C.DAT"})
            std::ofstream(dir.File(name)) << "old " << name;
        fs::create_directories(dir.File("sub_A.DAT/inside"));
        const ConversionStatus status = k.run();
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.message, k.message);
        EXPECT_EQ(status.aRecords + status.cRecords, 0);
        for (const char* name : {"t_A.DAT", "t_C.DAT", "sub_C.DAT"})
            EXPECT_EQ(ReadText(dir.File(name)), std::string("old ") + name);
        EXPECT_FALSE(dir.HasTemporaryFiles());
    }
    // A file that cannot be opened leaves the caller's channel table alone.
    fs::remove_all(raw);
    Cchannel table;
    table.activeCount = 7;
    EXPECT_FALSE(Convert(&table).ok);
    EXPECT_EQ(table.activeCount, 7);
}

} // namespace
