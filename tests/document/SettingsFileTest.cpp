#include "analysis/CKVTcontrol.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

template <typename T> T At(const Bytes& bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, &bytes[offset], sizeof(T));
    return value;
}

template <typename T> void Put(Bytes& bytes, std::size_t offset, T value) {
    std::memcpy(&bytes.at(offset), &value, sizeof value);
}

// The zero-terminated text of a fixed field.
std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes.at(offset + i) != 0; ++i)
        text += static_cast<char>(bytes[offset + i]);
    return text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Every stored field set to a distinct value.
void FillDistinct(CKVTcontrol& c) {
    c.reservedValue = 77;
    c.geophoneSelect = 7; // keeps the stored name
    c.loadFactor = 1.5f;
    c.centerFactor = 2.5f;
    c.frontFactor = 3.5f;
    c.rearFactor = 4.5f;
    c.bandpassLow = 5.5f;
    c.bandpassHigh = 45.25f;
    c.lowpassCutoff = 7.5f;
    for (int row = 0; row < 4; ++row) {
        c.chartMin[row] = -10.0f * (row + 1);
        c.chartMax[row] = 10.0f * (row + 1);
        c.chartTitle[row] = "Title " + std::to_string(row + 1);
        c.chartXLabel[row] = "X " + std::to_string(row + 1);
        c.chartYLabel[row] = "Y " + std::to_string(row + 1);
    }
    c.videoOffset = -12.75f;
    c.movingAverageCount = 15;
    c.showGprColormap = 1;
    c.geophoneName = "Custom sensor";
    c.reservedText1 = "first reserved";
    c.reservedText2 = "second reserved";
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string SettingsPath() const { return dir.File(CKVTcontrol::kSettingsFileName); }

    TempDir dir;
};

TEST_F(SettingsFileTest, MissingFileKeepsDefaults) {
    CVorlixDoc doc(dir.Path());
    const CKVTcontrol& o = doc.options;
    EXPECT_EQ(o.settingsPath, SettingsPath());
    EXPECT_EQ(o.movingAverageCount, 20);
    EXPECT_EQ(o.averageDistance, 1.0f);
    EXPECT_EQ(o.averageCount, 30);
    EXPECT_EQ(o.smoothMethod, 0);
    EXPECT_EQ(o.showGprColormap, 0);
    EXPECT_EQ(o.reservedValue, 2);
    EXPECT_EQ(o.geophoneSelect, 1);
    EXPECT_EQ(o.segmentGroups, 12800);
    EXPECT_EQ(o.bandpassHigh, 0.0f);
    EXPECT_TRUE(o.chartTitle[3].empty());

    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    EXPECT_FALSE(c.LoadSettings());
}

TEST_F(SettingsFileTest, RoundTripWritesExactly1240BytesAndRestoresEveryField) {
    CKVTcontrol saved;
    saved.settingsPath = SettingsPath();
    FillDistinct(saved);
    // Fields outside the file must not travel with it.
    saved.averageDistance = 5.0f;
    saved.averageCount = 99;
    saved.smoothMethod = 2;
    ASSERT_TRUE(saved.SaveSettings());
    EXPECT_EQ(fs::file_size(SettingsPath()), 1240u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});

    CKVTcontrol loaded;
    loaded.settingsPath = SettingsPath();
    ASSERT_TRUE(loaded.LoadSettings());
    EXPECT_EQ(loaded.reservedValue, 77);
    EXPECT_EQ(loaded.geophoneSelect, 7);
    EXPECT_EQ(loaded.loadFactor, 1.5f);
    EXPECT_EQ(loaded.centerFactor, 2.5f);
    EXPECT_EQ(loaded.frontFactor, 3.5f);
    EXPECT_EQ(loaded.rearFactor, 4.5f);
    EXPECT_EQ(loaded.bandpassLow, 5.5f);
    EXPECT_EQ(loaded.bandpassHigh, 45.25f);
    EXPECT_EQ(loaded.lowpassCutoff, 7.5f);
    EXPECT_EQ(loaded.chartMin, saved.chartMin);
    EXPECT_EQ(loaded.chartMax, saved.chartMax);
    EXPECT_EQ(loaded.chartTitle, saved.chartTitle);
    EXPECT_EQ(loaded.chartXLabel, saved.chartXLabel);
    EXPECT_EQ(loaded.chartYLabel, saved.chartYLabel);
    EXPECT_EQ(loaded.videoOffset, -12.75f);
    EXPECT_EQ(loaded.movingAverageCount, 15);
    EXPECT_EQ(loaded.showGprColormap, 1);
    EXPECT_EQ(loaded.geophoneName, "Custom sensor");
    EXPECT_EQ(loaded.reservedText1, "first reserved");
    EXPECT_EQ(loaded.reservedText2, "second reserved");
    EXPECT_EQ(loaded.averageDistance, 1.0f);
    EXPECT_EQ(loaded.averageCount, 30);
    EXPECT_EQ(loaded.smoothMethod, 0);

    // Saving what was loaded reproduces the file byte for byte.
    const Bytes first = ReadBytes(SettingsPath());
    ASSERT_TRUE(loaded.SaveSettings());
    EXPECT_EQ(ReadBytes(SettingsPath()), first);
}

TEST_F(SettingsFileTest, FieldsLandAtTheirFileOffsets) {
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    FillDistinct(c);
    ASSERT_TRUE(c.SaveSettings());
    const Bytes b = ReadBytes(SettingsPath());
    ASSERT_EQ(b.size(), 1240u);

    EXPECT_EQ(At<std::int32_t>(b, 0), 77);
    EXPECT_EQ(At<std::int32_t>(b, 4), 7);
    EXPECT_EQ(At<float>(b, 8), 1.5f);    // load
    EXPECT_EQ(At<float>(b, 12), 2.5f);   // center
    EXPECT_EQ(At<float>(b, 16), 3.5f);   // front
    EXPECT_EQ(At<float>(b, 20), 4.5f);   // rear
    EXPECT_EQ(At<float>(b, 24), 5.5f);   // band-pass low
    EXPECT_EQ(At<float>(b, 28), 45.25f); // band-pass high
    EXPECT_EQ(At<float>(b, 32), 7.5f);   // low-pass
    // Chart limits: rows 4, 2, 1, 3 in that order, min before max.
    EXPECT_EQ(At<float>(b, 36), -40.0f);
    EXPECT_EQ(At<float>(b, 40), 40.0f);
    EXPECT_EQ(At<float>(b, 44), -20.0f);
    EXPECT_EQ(At<float>(b, 48), 20.0f);
    EXPECT_EQ(At<float>(b, 52), -10.0f);
    EXPECT_EQ(At<float>(b, 56), 10.0f);
    EXPECT_EQ(At<float>(b, 60), -30.0f);
    EXPECT_EQ(At<float>(b, 64), 30.0f);
    EXPECT_EQ(At<float>(b, 68), -12.75f);
    EXPECT_EQ(At<std::int32_t>(b, 72), 15);
    EXPECT_EQ(At<std::int32_t>(b, 76), 1);
    for (std::size_t i = 80; i < 400; ++i)
        ASSERT_EQ(b[i], 0) << "reserved byte " << i;

    EXPECT_EQ(TextAt(b, 400, 40), "Custom sensor");
    EXPECT_EQ(TextAt(b, 440, 80), "first reserved");
    EXPECT_EQ(TextAt(b, 520, 80), "second reserved");
    EXPECT_EQ(TextAt(b, 600, 80), "Title 4");
    EXPECT_EQ(TextAt(b, 680, 80), "Title 2");
    EXPECT_EQ(TextAt(b, 760, 80), "Title 1");
    EXPECT_EQ(TextAt(b, 840, 80), "Title 3");
    EXPECT_EQ(TextAt(b, 920, 40), "X 4");
    EXPECT_EQ(TextAt(b, 960, 40), "X 2");
    EXPECT_EQ(TextAt(b, 1000, 40), "X 1");
    EXPECT_EQ(TextAt(b, 1040, 40), "X 3");
    EXPECT_EQ(TextAt(b, 1080, 40), "Y 4");
    EXPECT_EQ(TextAt(b, 1120, 40), "Y 2");
    EXPECT_EQ(TextAt(b, 1160, 40), "Y 1");
    EXPECT_EQ(TextAt(b, 1200, 40), "Y 3");
    // Text fields are zero after their text.
    for (std::size_t i = 600 + 7; i < 680; ++i)
        ASSERT_EQ(b[i], 0) << "title byte " << i;
}

TEST_F(SettingsFileTest, LongTextsAreCutToLeaveRoomForTheirTerminator) {
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    c.geophoneSelect = 0;
    c.geophoneName = std::string(60, 'g');
    c.reservedText1 = std::string(100, 'r');
    c.chartTitle[3] = std::string(200, 't');
    c.chartXLabel[0] = std::string(40, 'x');
    c.chartYLabel[2] = std::string(39, 'y');
    ASSERT_TRUE(c.SaveSettings());
    const Bytes b = ReadBytes(SettingsPath());
    ASSERT_EQ(b.size(), 1240u);
    EXPECT_EQ(b[400 + 39], 0);
    EXPECT_EQ(b[440 + 79], 0);
    EXPECT_EQ(b[600 + 79], 0);
    EXPECT_EQ(b[1000 + 39], 0);
    // Neighbouring fields are untouched by a long text.
    EXPECT_EQ(TextAt(b, 520, 80), "");
    EXPECT_EQ(TextAt(b, 680, 80), "");

    CKVTcontrol loaded;
    loaded.settingsPath = SettingsPath();
    ASSERT_TRUE(loaded.LoadSettings());
    EXPECT_EQ(loaded.geophoneName, std::string(39, 'g'));
    EXPECT_EQ(loaded.reservedText1, std::string(79, 'r'));
    EXPECT_EQ(loaded.chartTitle[3], std::string(79, 't'));
    EXPECT_EQ(loaded.chartXLabel[0], std::string(39, 'x'));
    EXPECT_EQ(loaded.chartYLabel[2], std::string(39, 'y'));
}

TEST_F(SettingsFileTest, UnterminatedTextInAFileIsReadOnlyToTheEndOfItsField) {
    Bytes b(1240, 0);
    Put<std::int32_t>(b, 4, 9);
    std::memset(&b[400], 'n', 40);
    std::memset(&b[440], 'A', 80);
    std::memcpy(&b[520], "next", 4);
    WriteBytes(SettingsPath(), b);

    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    ASSERT_TRUE(c.LoadSettings());
    EXPECT_EQ(c.geophoneName, std::string(40, 'n'));
    EXPECT_EQ(c.reservedText1, std::string(80, 'A'));
    EXPECT_EQ(c.reservedText2, "next");
    // Written back cut to fit.
    ASSERT_TRUE(c.SaveSettings());
    EXPECT_EQ(TextAt(ReadBytes(SettingsPath()), 440, 80), std::string(79, 'A'));
}

TEST_F(SettingsFileTest, ShortFileKeepsDefaultsBeyondItsEnd) {
    Bytes b(74, 0); // ends inside movingAverageCount
    Put<std::int32_t>(b, 0, 5);
    Put<std::int32_t>(b, 4, 3);
    Put<float>(b, 8, 2.0f);
    Put<float>(b, 68, 6.5f);
    Put<std::int16_t>(b, 72, 99);
    WriteBytes(SettingsPath(), b);

    CVorlixDoc doc(dir.Path());
    const CKVTcontrol& o = doc.options;
    EXPECT_EQ(o.reservedValue, 5);
    EXPECT_EQ(o.geophoneSelect, 3);
    EXPECT_EQ(o.loadFactor, 2.0f);
    EXPECT_EQ(o.videoOffset, 6.5f);
    EXPECT_EQ(o.movingAverageCount, 20);
    EXPECT_EQ(o.showGprColormap, 0);
    EXPECT_TRUE(o.reservedText1.empty());
    EXPECT_TRUE(o.chartTitle[3].empty());
}

TEST_F(SettingsFileTest, GeophoneNumberOneToFourReplacesTheStoredName) {
    Bytes b(1240, 0);
    std::memcpy(&b[400], "Whatever", 8);
    for (int select : {1, 2, 3, 4}) {
        Put<std::int32_t>(b, 4, select);
        WriteBytes(SettingsPath(), b);
        CKVTcontrol c;
        c.settingsPath = SettingsPath();
        ASSERT_TRUE(c.LoadSettings());
        EXPECT_EQ(c.geophoneName, "Geophone-" + std::to_string(select));
    }
    for (int select : {0, 5, 7, -1}) {
        Put<std::int32_t>(b, 4, select);
        WriteBytes(SettingsPath(), b);
        CKVTcontrol c;
        c.settingsPath = SettingsPath();
        ASSERT_TRUE(c.LoadSettings());
        EXPECT_EQ(c.geophoneName, "Whatever") << select;
        EXPECT_EQ(c.geophoneSelect, select);
    }
}

TEST(GeophoneNumber, ExactNamesOnly) {
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-2", 1), 2);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-4", 1), 4);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("geophone-2", 1), 1);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("Geophone-5", 0), 0);
    EXPECT_EQ(CKVTcontrol::GeophoneNumberFromName("", 1), 1);
}

TEST_F(SettingsFileTest, SaveReplacesALongerFileWholeAndLeavesNoTemporaryFile) {
    WriteBytes(SettingsPath(), Bytes(3000, 0xEE));
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    ASSERT_TRUE(c.SaveSettings());
    const Bytes b = ReadBytes(SettingsPath());
    ASSERT_EQ(b.size(), 1240u);
    EXPECT_EQ(At<std::int32_t>(b, 0), 2);
    EXPECT_EQ(b[1239], 0);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});
}

TEST_F(SettingsFileTest, SaveIntoMissingFolderFailsAndCreatesNothing) {
    CKVTcontrol c;
    c.settingsPath = dir.File("missing/Vorlixcontrol.dat");
    std::string error;
    EXPECT_FALSE(c.SaveSettings(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
}

TEST_F(SettingsFileTest, SaveOntoAFolderFailsAndLeavesNoTemporaryFile) {
    fs::create_directory(SettingsPath());
    fs::create_directory(SettingsPath() + "/inside");
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    EXPECT_FALSE(c.SaveSettings());
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});
    EXPECT_TRUE(fs::is_directory(SettingsPath() + "/inside"));
}

TEST_F(SettingsFileTest, SaveFailingMidWriteKeepsThePreviousFile) {
    CKVTcontrol previous;
    previous.settingsPath = SettingsPath();
    FillDistinct(previous);
    ASSERT_TRUE(previous.SaveSettings());
    const Bytes before = ReadBytes(SettingsPath());

    // A child process with a file size limit below 1240 bytes: the write itself fails.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{500, 500};
        setrlimit(RLIMIT_FSIZE, &limit);
        CKVTcontrol c;
        c.settingsPath = SettingsPath();
        c.reservedValue = 12345;
        _exit(c.SaveSettings() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "save reported success";
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Vorlixcontrol.dat"});
}

TEST_F(SettingsFileTest, FolderInPlaceOfTheFileLoadsAsNoFile) {
    fs::create_directory(SettingsPath());
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    c.geophoneName = "kept";
    EXPECT_FALSE(c.LoadSettings());
    EXPECT_EQ(c.geophoneName, "kept");
}

TEST_F(SettingsFileTest, DocumentReadsTheSettingsOfItsWorkDirectory) {
    CKVTcontrol c;
    c.settingsPath = SettingsPath();
    FillDistinct(c);
    c.geophoneSelect = 2;
    ASSERT_TRUE(c.SaveSettings());

    CVorlixDoc doc(dir.Path());
    EXPECT_EQ(doc.options.geophoneSelect, 2);
    EXPECT_EQ(doc.options.geophoneName, "Geophone-2");
    EXPECT_EQ(doc.options.bandpassHigh, 45.25f);
    EXPECT_EQ(doc.options.chartTitle[3], "Title 4");
}

} // namespace
