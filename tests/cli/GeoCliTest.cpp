// vorlix-cli sections --geo as a GIS user meets it: the demo's GeoJSON and KML pass the checks of
// RFC 7946 and KML 2.2 and load in GDAL's ogrinfo; a file without a usable track says why and
// leaves its coordinates empty.
#include "support/CliRun.h"
#include "support/CsvRows.h"
#include "support/SynthFixture.h"
#include "synth/GpsWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

// The output of a command run in dir, stdout and stderr; "failed: " first when it failed.
static std::string Shell(const std::string& command, const TempDir& dir) {
    const CliRun run = RunShell(command, dir);
    return (run.code == 0 ? "" : "failed: ") + run.out + run.err;
}

// The demo's road (make demo), without the GPR and pictures no map needs.
class GeoCli : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        synth::Options options = PlainRoad(13201);
        options.seed = 7;
        ASSERT_TRUE(GenerateSynthFiles(*dir_, options, "demo").ok);
        const std::string out = Shell(VORLIX_CLI_PATH " sections demo.KVT --geo", *dir_);
        std::smatch counts;
        ASSERT_TRUE(std::regex_search(out, counts, std::regex("Sections of (\\d+) results")))
            << out;
        results_ = std::stoul(counts[1]);
        sections_ = CsvRows(ReadFile(dir_->File("demo.sections.csv"))).size() - 1;
        flags_ = CsvRows(ReadFile(dir_->File("demo.flags.csv"))).size() - 1;
    }
    static void TearDownTestSuite() { delete dir_; }
    static inline TempDir* dir_ = nullptr;
    static inline std::size_t results_ = 0, sections_ = 0, flags_ = 0;
};

TEST_F(GeoCli, GeoJsonAndKmlPassTheirFormatsChecks) {
    ASSERT_TRUE(sections_ > 10 && flags_ > 10);
    EXPECT_EQ(CsvRows(ReadFile(dir_->File("demo.results.csv"))).size(), results_ + 1);
    const std::string check = "python3 " VORLIX_TEST_DATA_DIR "/../support/check_geo_files.py "
                              "demo.geojson demo.kml " +
                              std::to_string(sections_) + " " + std::to_string(flags_);
    EXPECT_EQ(Shell(check, *dir_), "");
}

// What QGIS reads through GDAL: every feature in WGS 84, and the fields with their types.
TEST_F(GeoCli, OgrinfoReadsEveryFeatureAndField) {
    if (std::system("command -v ogrinfo >/dev/null") != 0)
        GTEST_SKIP() << "ogrinfo is not installed (gdal-bin)";
    const std::string sectionFields = "end_station: String,characteristic: Real,start_lat: Real,"
                                      "class: Integer,stroke: String,";
    const std::string flagFields = "flag: Integer,peak_ft: Real,lat: Real,";
    const std::tuple<const char*, std::size_t, std::string> layers[] = {
        {"demo.geojson demo", sections_ + flags_, sectionFields + flagFields},
        {"demo.kml Sections", sections_, sectionFields},
        {"demo.kml Flags", flags_, flagFields}};
    for (const auto& [layer, features, fields] : layers) {
        const std::string out = Shell(std::string("ogrinfo -ro -so ") + layer, *dir_);
        EXPECT_NE(out.find("\nFeature Count: " + std::to_string(features) + "\n"),
                  std::string::npos)
            << layer << "\n"
            << out;
        EXPECT_NE(out.find("ID[\"EPSG\",4326]"), std::string::npos) << layer;
        for (std::size_t at = 0, comma; (comma = fields.find(',', at)) != std::string::npos;
             at = comma + 1)
            EXPECT_NE(out.find("\n" + fields.substr(at, comma - at) + " ("), std::string::npos)
                << layer << ": " << fields.substr(at, comma - at);
    }
}

// The message on stderr, the sections and flags still written with their coordinate columns
// empty, and map files that hold no features but say why.
TEST(GeoCliWithoutTrack, NoGpsFileOrNmeaUnitsLeaveCoordinatesEmptyAndSayWhy) {
    const std::pair<bool, std::string> cases[] = {
        {false, "no GPS track: road.GPS is missing or holds fewer than 2 track points"},
        {true, "the GPS track of road.GPS is not in decimal degrees: track point 1 has latitude "
               "3845.1234 and longitude -9012.3456 (NMEA ddmm.mmmm units?)"}};
    for (const auto& [inNmeaUnits, message] : cases) {
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.writeCompanions = false;
        ASSERT_TRUE(GenerateSynthFiles(dir, options).ok);
        std::ofstream gps(inNmeaUnits ? dir.File("road.GPS") : "/dev/null", std::ios::binary);
        for (int i = 0; i < 20; ++i) { // ddmm.mmmm, as a receiver's sentences give them
            const auto entry = synth::GpsTrackEntry(3845.1234 + 0.01 * i, -9012.3456, 700,
                                                    100.0f * i, 36000.0f + i);
            gps.write(reinterpret_cast<const char*>(entry.data()), entry.size());
        }
        gps.close();
        EXPECT_EQ(Shell("{ " VORLIX_CLI_PATH " sections road.KVT --geo >/dev/null; }", dir),
                  "vorlix-cli: " + message +
                      "; the coordinates stay empty and the GeoJSON and KML hold no features\n");
        for (const auto& [file, columns] :
             {std::pair{"sections", 4}, {"flags", 2}, {"results", 2}}) {
            const auto rows = CsvRows(ReadFile(dir.File("road.") + file + ".csv"));
            EXPECT_GT(rows.size(), file[0] == 'f' ? 0u : 1u) << file;
            for (std::size_t r = 1; r < rows.size(); ++r)
                EXPECT_EQ(std::count(rows[r].end() - columns, rows[r].end(), ""), columns) << file;
        }
        EXPECT_EQ(ReadFile(dir.File("road.geojson")),
                  "{\"type\":\"FeatureCollection\",\"description\":\"" + message +
                      "\",\"features\":[]}\n");
        const std::string kml = ReadFile(dir.File("road.kml"));
        EXPECT_NE(kml.find("<description>" + message + "</description>"), std::string::npos);
        EXPECT_EQ(kml.find("<Placemark>"), std::string::npos);
        EXPECT_NE(kml.find("<Document>\n<name>road.KVT</name>"), std::string::npos);
    }
}
