// vorlix-cli sections --geo as a GIS user meets it: the demo's GeoJSON and KML pass the checks of
// RFC 7946 and KML 2.2 and load in GDAL's ogrinfo; a file without a usable track says why and
// leaves its coordinates empty.
#include "support/SynthFixture.h"
#include "synth/GpsWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/wait.h>

namespace {

struct ShellRun {
    int code = -1;
    std::string out;
};

// A command run in dir, with its stdout and stderr together.
ShellRun Shell(const std::string& command, const TempDir& dir) {
    ShellRun run;
    std::FILE* pipe = popen(("cd " + dir.Path() + " && " + command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t CountRows(const std::string& path) {
    const std::string text = ReadText(path);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1;
}

} // namespace

// The demo's road (make demo), without the GPR and pictures no map needs.
class GeoCli : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        synth::Options options;
        options.groups = 13201, options.seed = 7;
        options.gpr = synth::Options::Gpr::None, options.pictures = 0;
        ASSERT_TRUE(GenerateSynthFiles(*dir_, options, "demo").ok);
        const ShellRun run = Shell(VORLIX_CLI_PATH " sections demo.KVT --geo", *dir_);
        ASSERT_EQ(run.code, 0) << run.out;
        std::smatch results;
        ASSERT_TRUE(std::regex_search(run.out, results, std::regex("Sections of (\\d+) results")));
        results_ = std::stoul(results[1]);
        sections_ = CountRows(dir_->File("demo.sections.csv"));
        flags_ = CountRows(dir_->File("demo.flags.csv"));
    }
    static void TearDownTestSuite() { delete dir_; }
    static inline TempDir* dir_ = nullptr;
    static inline std::size_t results_ = 0, sections_ = 0, flags_ = 0;
};

TEST_F(GeoCli, GeoJsonAndKmlPassTheirFormatsChecks) {
    ASSERT_GT(sections_, 10u);
    ASSERT_GT(flags_, 10u);
    EXPECT_EQ(CountRows(dir_->File("demo.results.csv")), results_);
    const ShellRun check = Shell("python3 " VORLIX_TEST_DATA_DIR "/../support/check_geo_files.py "
                                 "demo.geojson demo.kml " +
                                     std::to_string(sections_) + " " + std::to_string(flags_),
                                 *dir_);
    EXPECT_EQ(check.code, 0) << check.out;
}

// What QGIS reads through GDAL: every feature in WGS 84, and the fields with their types.
TEST_F(GeoCli, OgrinfoReadsEveryFeatureAndField) {
    if (std::system("command -v ogrinfo >/dev/null") != 0)
        GTEST_SKIP() << "ogrinfo is not installed (gdal-bin)";
    const std::vector<std::string> sectionFields = {"end_station: String", "characteristic: Real",
                                                    "start_lat: Real", "class: Integer",
                                                    "stroke: String"};
    const std::vector<std::string> flagFields = {"flag: Integer", "peak_ft: Real", "lat: Real"};
    std::vector<std::string> both = sectionFields;
    both.insert(both.end(), flagFields.begin(), flagFields.end());
    const struct {
        const char* file;
        const char* layer;
        std::size_t features;
        const std::vector<std::string>& fields;
    } layers[] = {{"demo.geojson", "demo", sections_ + flags_, both},
                  {"demo.kml", "Sections", sections_, sectionFields},
                  {"demo.kml", "Flags", flags_, flagFields}};
    for (const auto& l : layers) {
        const ShellRun run = Shell(std::string("ogrinfo -ro -so ") + l.file + " " + l.layer, *dir_);
        ASSERT_EQ(run.code, 0) << run.out;
        EXPECT_NE(run.out.find("\nFeature Count: " + std::to_string(l.features) + "\n"),
                  std::string::npos)
            << l.file << " " << l.layer << "\n"
            << run.out;
        EXPECT_NE(run.out.find("ID[\"EPSG\",4326]"), std::string::npos) << l.file;
        for (const std::string& field : l.fields)
            EXPECT_NE(run.out.find("\n" + field + " ("), std::string::npos)
                << l.layer << ": " << field;
    }
}

// The refusal's message on stderr, exit 0, the sections and flags still written with their
// coordinate columns empty, and map files that hold no features but say why.
TEST(GeoCliWithoutTrack, NoGpsFileOrNmeaUnitsLeaveCoordinatesEmptyAndSayWhy) {
    const std::string nmea =
        "the GPS track of road.GPS is not in decimal degrees: track point 1 has latitude "
        "3845.1234 and longitude -9012.3456 (NMEA ddmm.mmmm units?)";
    const std::pair<bool, std::string> cases[] = {
        {false, "no GPS track: road.GPS is missing or holds fewer than 2 track points"},
        {true, nmea}};
    for (const auto& [inNmeaUnits, message] : cases) {
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.writeCompanions = false;
        ASSERT_TRUE(GenerateSynthFiles(dir, options).ok);
        if (inNmeaUnits) { // ddmm.mmmm, as a receiver's sentences give them
            std::ofstream gps(dir.File("road.GPS"), std::ios::binary);
            for (int i = 0; i < 20; ++i) {
                const auto entry = synth::GpsTrackEntry(3845.1234 + 0.01 * i, -9012.3456, 700,
                                                        100.0f * i, 36000.0f + i);
                gps.write(reinterpret_cast<const char*>(entry.data()), entry.size());
            }
        }
        const ShellRun run =
            Shell("{ " VORLIX_CLI_PATH " sections road.KVT --geo >/dev/null; }", dir);
        EXPECT_EQ(run.code, 0) << message;
        EXPECT_EQ(run.out, "vorlix-cli: " + message +
                               "; the coordinates stay empty and the GeoJSON and KML hold no "
                               "features\n");
        const std::pair<const char*, const char*> emptyEnds[] = {{"road.sections.csv", ",,,,\r\n"},
                                                                 {"road.flags.csv", ",,\r\n"},
                                                                 {"road.results.csv", ",,\r\n"}};
        for (const auto& [file, end] : emptyEnds) {
            const std::string text = ReadText(dir.File(file));
            std::size_t rows = 0;
            for (std::size_t at = text.find("\r\n"); at != std::string::npos;
                 at = text.find("\r\n", at + 2))
                rows += text.compare(at + 2 - std::strlen(end), std::strlen(end), end) == 0;
            EXPECT_EQ(rows, CountRows(dir.File(file))) << file;
        }
        EXPECT_EQ(ReadText(dir.File("road.geojson")),
                  "{\"type\":\"FeatureCollection\",\"description\":\"" + message +
                      "\",\"features\":[]}\n");
        const std::string kml = ReadText(dir.File("road.kml"));
        EXPECT_NE(kml.find("<description>" + message + "</description>"), std::string::npos);
        EXPECT_EQ(kml.find("<Placemark>"), std::string::npos);
    }
}
