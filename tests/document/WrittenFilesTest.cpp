// The files the core writes: the settings file "Vorlixcontrol.dat" and the conversion export,
// both written whole through a temporary file.
#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"
#include "document/CKVTcontrol.h"
#include "document/CVorlixDoc.h"
#include "document/Cchannel.h"
#include "document/ConversionExport.h"
#include "support/FileSizeLimit.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <tuple>

namespace {

using namespace conversion;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

template <typename T> void Put(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(&bytes.at(offset), &value, sizeof value);
}

using Outcome = std::tuple<bool, std::string, long long>; // ok, message, records

// A call that fails on a full device, in a child process: its message.
template <typename Call> Outcome WithFileSizeLimit(rlim_t bytes, Call call) {
    return {false,
            InChildWithFileSizeLimit(bytes,
                                     [&] {
                                         const auto [ok, message, records] = call();
                                         return ok || records ? "written" : message;
                                     }),
            0};
}

class WrittenFilesTest : public ::testing::Test {
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
    const std::string settings = dir.File(CKVTcontrol::kSettingsFileName);
};

// Every field at its offset (no value with a zero low byte, so one byte off shows), chart rows
// in the file order 4, 2, 1, 3; texts filling their field read whole, written back cut.
TEST_F(WrittenFilesTest, SettingsFieldsHaveTheirOffsets) {
    Bytes image(1240, 0);
    Put<std::int32_t>(image, 0, 77);
    Put<std::int32_t>(image, 4, 7); // no geophone of the test: the stored name stays
    const float floats[] = {1.1f, 2.1f,  3.1f, 4.1f,  5.1f, 45.1f, 7.1f, -4.1f,
                            4.1f, -2.1f, 2.1f, -1.1f, 1.1f, -3.1f, 3.1f, -12.1f};
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
        std::memcpy(&image[offset], text.data(), text.size());
    ASSERT_TRUE(RawFileBuilder::WriteBytes(settings, image));
    CVorlixDoc doc(dir.Path());
    const CKVTcontrol& o = doc.options;
    EXPECT_EQ(o.chartTitle, (std::array<std::string, 4>{"T1", "T2", "T3", std::string(80, 't')}));
    fs::remove(settings);
    ASSERT_TRUE(o.SaveSettings());
    image[400 + 39] = image[600 + 79] = 0;
    EXPECT_EQ(ReadFile<Bytes>(settings), image);
    EXPECT_EQ(fs::status(settings).permissions(), static_cast<fs::perms>(0644));
    EXPECT_FALSE(dir.HasTemporaryFiles());
}

// Fields and texts a short file does not hold whole keep their values; a full name field needs
// no terminator; geophones 1 to 4 name themselves. No file, or a folder, reads nothing.
TEST_F(WrittenFilesTest, SettingsLoadTakesWhatTheFileHolds) {
    const std::string stored(40, 'n');
    // clang-format off
    const struct { long size; std::int32_t select, averageCount; std::string name; } cases[] = {
        {-1, 1, 20, "kept"}, {-2, 1, 20, "kept"}, {72, 0, 20, "kept"}, {76, 0, 15, "kept"},
        {439, 0, 15, "kept"}, {440, 0, 15, stored}, {1240, 1, 15, "Geophone-1"},
        {1240, 4, 15, "Geophone-4"}, {1240, 5, 15, stored}};
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.size); // -1: no file, -2: a folder
        fs::remove_all(settings);
        Bytes bytes(1240, 0);
        Put<std::int32_t>(bytes, 4, k.select);
        Put<std::int32_t>(bytes, 72, 15);
        Put(bytes, 68, 2.5f); // the last float before 72
        std::memcpy(&bytes[400], stored.data(), 40);
        bytes[440] = 'r';
        bytes.resize(std::max(k.size, 0L));
        if (k.size >= 0)
            RawFileBuilder::WriteBytes(settings, bytes);
        if (k.size == -2)
            fs::create_directory(settings);
        CKVTcontrol c;
        c.settingsPath = settings, c.geophoneName = "kept", c.videoOffset = -7.0f;
        const bool loaded = c.LoadSettings();
        EXPECT_EQ(std::tuple(loaded, c.geophoneSelect, c.videoOffset, c.movingAverageCount,
                             c.geophoneName, c.reservedText1),
                  std::tuple(k.size >= 0, k.select, k.size >= 72 ? 2.5f : -7.0f, k.averageCount,
                             k.name, k.size > 440 ? "r" : ""));
    }
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-1", 0), 1);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-4", 0), 4);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("geophone-2", 9), 9);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-5", 0), 0);
}

// Reopened, a writer drops its first temporary file and its error; unopened or committed, it
// writes nothing.
TEST_F(WrittenFilesTest, WriterReopenedUnopenedAndCommitted) {
    AtomicFileWriter w;
    EXPECT_FALSE(w.Write("x", 1) || w.Commit());
    EXPECT_FALSE(w.Open(dir.File("none/f")));
    EXPECT_TRUE(w.Open(dir.File("a")));
    EXPECT_EQ(w.Error(), "");
    EXPECT_TRUE(w.Open(dir.File("b")));
    EXPECT_TRUE(w.Write("x", 1) && w.Write("y", 1) && w.Write("", 0) && w.Commit());
    EXPECT_FALSE(w.Write("z", 1) || w.Commit());
    EXPECT_FALSE(dir.HasTemporaryFiles() || fs::exists(dir.File("a")));
    EXPECT_EQ(ReadFile<Bytes>(dir.File("b")), (Bytes{'x', 'y'}));
}

std::array<float, 250> PulseTrain(std::int64_t pulses) {
    std::array<float, 250> channel{};
    ApplyPulseTrain(channel.data(), pulses);
    return channel;
}

TEST(ConversionPulses, CountsRoundHalfUpAndTruncateTowardZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const struct { double distance, previous; std::int64_t count; } cases[] = {
        {101.0, 100.0, 21}, {100.0, 100.0, 0}, {99.0, 100.0, -20}, {100.0, 0.0, 2124},
        {0.05, 0.0, 1}, {0.02, 0.0, 0}, {-0.05, 0.0, 0}, {-0.1, 0.0, -1}, {nan, 0.0, 0},
        {5.0, nan, 0}, {inf, 0.0, 0}, {-inf, 0.0, 0}, {3.0e38, -3.0e38, 0}, {-3.0e38, 3.0e38, 0}};
    // clang-format on
    for (const auto& k : cases)
        EXPECT_EQ(PulseCount(k.distance, k.previous), k.count) << k.distance << " " << k.previous;
}

// p pulses of (250 / p) / 2 samples every 250 / p samples, from ((250 / p) / 2) / 2 on; none
// where that width is 0.
TEST(ConversionPulses, TrainsHaveTheirWidthSpacingAndStart) {
    // clang-format off
    const struct { std::int64_t pulses; int first, width, spacing; } cases[] = {{21, 2, 5, 11},
        {1, 62, 125, 250}, {125, 0, 1, 2}, {126, 0, 0, 1}, {251, 0, 0, 1}, {0, 0, 0, 1},
        {-20, 0, 0, 1}, {2124, 0, 0, 1}};
    // clang-format on
    for (const auto& k : cases) {
        std::array<float, 250> expected{};
        for (int s = k.first; k.width > 0 && s < 250; ++s)
            if ((s - k.first) % k.spacing < k.width && (s - k.first) / k.spacing < k.pulses)
                expected[s] = 5.0f;
        EXPECT_EQ(PulseTrain(k.pulses), expected) << k.pulses;
    }
    EXPECT_EQ(DefaultOutputBase("/d/run.2.KVT"), "/d/run.2");
    EXPECT_EQ(DefaultOutputBase("/d./run7"), "/d./run7");
    EXPECT_EQ(DefaultOutputBase(".KVT"), "");
}

// Every value: missing channels 0.0, those past the ninth dropped, channel 7 pulsed, every fourth
// group time-stamped; across input blocks (687 groups of 12 channels fill one).
TEST_F(WrittenFilesTest, ConversionWritesWholeFiles) {
    // clang-format off
    const struct { int channels, groups, trailing; std::vector<long long> progress; } cases[] = {
        {3, 5, 0, {5, 5005}}, {12, 700, 6099, {700, 687'700, 700'700}}};
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.groups);
        RawFileBuilder b;
        b.activeChannels = k.channels, b.groups = k.groups, b.trailingBytes = k.trailing;
        b.distance = [](int g) { return g == 0 ? 100.0f : 100.0f + 0.5f * static_cast<float>(g); };
        Write(b);
        for (const char* name : {"t_A.DAT", "t_C.DAT"})
            std::ofstream(dir.File(name)) << "old";
        Cchannel table;
        std::vector<long long> progress;
        const ConversionStatus status = Convert(
            &table, [&](long long done, long long all) { progress.push_back(done * 1000 + all); });
        ASSERT_TRUE(status.ok) << status.message;
        EXPECT_EQ(status.message, "");
        EXPECT_EQ(progress, k.progress);
        EXPECT_EQ(table.activeCount, k.channels);
        EXPECT_EQ(status.groupCount, k.groups);
        EXPECT_EQ(status.aRecords, 250 * k.groups);
        EXPECT_EQ(status.cRecords, (k.groups + 3) / 4);
        const Bytes a = ReadFile<Bytes>(dir.File("t_A.DAT"));
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
                    ASSERT_EQ(byteorder::LoadBE<float>(&a[36 * (250 * g + j) + 4 * c]), expected)
                        << g << " " << j << " " << c;
                }
        }
        const Bytes c = ReadFile<Bytes>(dir.File("t_C.DAT"));
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

// Every failed save or conversion says why, leaves the files of earlier ones as they were and
// no temporary file.
TEST_F(WrittenFilesTest, FailedWritesSayWhyAndKeepThePreviousFiles) {
    auto save = [](const std::string& path) {
        CKVTcontrol c;
        c.settingsPath = path;
        std::string error;
        return Outcome{c.SaveSettings(&error), error, 0};
    };
    auto convert = [](const ConversionStatus& s) {
        return Outcome{s.ok, s.message, s.aRecords + s.cRecords};
    };
    auto why = [](const std::string& what, const std::string& path, int error) {
        return what + " \"" + path + "\": " + std::strerror(error);
    };
    Cchannel table; // left alone by a file that cannot be opened
    table.activeCount = 7;
    const std::string aFile = dir.File("t_A.DAT"), folder = dir.File("sub_A.DAT");
    const std::string cFolder = dir.File("dir_C.DAT");
    const std::string none = dir.File("none/Vorlixcontrol.dat");
    // Progress that shrinks the input, or removes the output folder, during the conversion.
    const auto shrink = [&](long long, long long) { fs::resize_file(raw, 8000 + 2600 * 5); };
    const auto removeGone = [&](long long, long long) { fs::remove_all(dir.File("gone")); };
    const struct {
        const char* name;
        int groups, channels;
        std::function<Outcome()> run;
        std::string message;
    } cases[] = {
        {"settings into a missing folder", 0, 0, [&] { return save(none); },
         why("Cannot create", none, ENOENT)},
        {"settings onto a folder", 0, 0, [&] { return save(folder); },
         why("Cannot write", folder, EISDIR)},
        {"settings onto a full device", 0, 0,
         [&] { return WithFileSizeLimit(500, [&] { return save(aFile); }); },
         why("Cannot write", aFile, EFBIG)},
        {"missing input", 0, 5, [&] { return convert(Convert(&table)); },
         why("Cannot open", raw, ENOENT)},
        {"conversion onto a folder", 4, 5,
         [&] { return convert(ConvertRawFile(raw, dir.File("sub"), nullptr)); },
         why("Cannot write", folder, EISDIR)},
        {"a folder under the second name does not let the first be replaced", 4, 5,
         [&] { return convert(ConvertRawFile(raw, dir.File("dir"), nullptr)); },
         why("Cannot write", cFolder, EISDIR)},
        {"device full when committing", 3, 5,
         [&] { return WithFileSizeLimit(20'000, [&] { return convert(Convert()); }); },
         why("Cannot write", aFile, EFBIG)},
        {"device full while writing", 120, 1,
         [&] { return WithFileSizeLimit(100'000, [&] { return convert(Convert()); }); },
         why("Cannot write", aFile, EFBIG)},
        {"input shrinking", 8, 5, [&] { return convert(Convert(nullptr, shrink)); },
         "Cannot read \"" + raw + "\": the file ended early."},
        {"cancelled", 8, 5, [&] { return convert(Convert(nullptr, {}, [] { return true; })); },
         kCancelledMessage},
        {"the output folder removed during the conversion", 8, 5,
         [&] { return convert(ConvertRawFile(raw, dir.File("gone/t"), nullptr, removeGone)); },
         why("Cannot write", dir.File("gone/t_A.DAT"), ENOENT)},
    };
    const char* const kept[] = {"t_A.DAT", "t_C.DAT", "sub_C.DAT", "dir_A.DAT"};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        fs::remove_all(raw);
        if (k.groups > 0) {
            RawFileBuilder b;
            b.groups = k.groups, b.activeChannels = k.channels;
            Write(b);
        }
        for (const char* name : kept)
            std::ofstream(dir.File(name)) << name;
        fs::create_directories(folder + "/inside");
        fs::create_directories(cFolder);
        fs::create_directory(dir.File("gone"));
        EXPECT_EQ(k.run(), Outcome(false, k.message, 0));
        for (const std::string name : kept)
            EXPECT_EQ(ReadFile<Bytes>(dir.File(name)), Bytes(name.begin(), name.end()));
        EXPECT_TRUE(fs::is_directory(folder + "/inside"));
        EXPECT_FALSE(dir.HasTemporaryFiles());
    }
    EXPECT_EQ(table.activeCount, 7);
}

} // namespace
