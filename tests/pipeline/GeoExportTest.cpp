// The map outputs' coordinates are the GPS look-up's, and the classes come from the quartiles or
// from Vorlixsections.ini.
#include "pipeline/GeoExport.h"
#include "analysis/SectionClasses.h"
#include "pipeline/SectionsSettingsFile.h"
#include "support/CsvRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>

// Rows before the track, at its start, between points, on a point with a twin of the same
// distance, at its end and beyond it, on a track that runs ahead and on one that turns back.
TEST(GeoExport, ResultCoordinatesAreTheGpsLookups) {
    using Points = std::vector<std::array<double, 3>>; // latitude, longitude, feet
    // clang-format off
    const std::pair<const char*, Points> tracks[] = {
        {"ahead", {{38.1, -91.2, 100}, {38.1003, -91.1996, 110}, {38.1005, -91.1992, 130},
                   {38.1006, -91.1991, 130}, {38.1011, -91.1987, 160}}},
        {"turning back", {{38.1, -91.2, 100}, {38.1004, -91.1993, 140}, {38.1002, -91.1995, 120},
                          {38.1011, -91.1987, 160}}}};
    // clang-format on
    sections::Profile profile{{50, 100, 104.25, 117.5, 130, 145, 160, 200},
                              {4, 5, 9, 9.5, 9, 5, 4, 3}};
    sections::Result result{std::vector<sections::Section>(1), std::vector<sections::Flag>(1)};
    result.sections[0].last = 7;
    result.flags[0].number = 1, result.flags[0].first = 2, result.flags[0].last = 4;
    for (const auto& [name, points] : tracks) {
        auto gps = std::make_unique<CNMEA>();
        for (const auto& [latitude, longitude, feet] : points)
            gps->track[gps->trackCount++] = {latitude, longitude, 0, 0, static_cast<float>(feet)};
        const geo::GeoTrack track(*gps);
        const auto rows = CsvRows(geoexport::ResultsCsv({profile, result, {}, track, "road"}));
        ASSERT_EQ(rows.size(), profile.distance.size() + 1) << name;
        EXPECT_EQ(rows[0], (std::vector<std::string>{"distance_ft", "station", "value", "section",
                                                     "flag", "latitude", "longitude"}));
        for (std::size_t i = 0; i < profile.distance.size(); ++i) {
            gps->LookupByDistance(static_cast<float>(profile.distance[i]));
            const std::vector<std::string>& row = rows[i + 1];
            ASSERT_EQ(row.size(), 7u) << name << " " << i;
            EXPECT_EQ(row[1], i == 2 ? "104.2" : row[1]) << name;
            EXPECT_EQ(row[3] + "," + row[4], i >= 2 && i <= 4 ? "1,1" : "1,") << i;
            EXPECT_NEAR(std::stod(row[5]), gps->latitudeAt, 0.51e-7) << name << row[0];
            EXPECT_NEAR(std::stod(row[6]), gps->longitudeAt, 0.51e-7) << name << row[0];
        }
    }
}

TEST(SectionClasses, QuartilesByDefaultAndRisingLimitsFromTheSettingsFile) {
    std::vector<sections::Section> five(5);
    for (int i = 0; i < 5; ++i)
        five[static_cast<std::size_t>(i)].characteristic = (i * 3) % 5 + 1; // 1, 4, 2, 5, 3
    const sections::ClassLimits quartiles = sections::DefaultClassLimits(five);
    EXPECT_EQ((std::array{quartiles.a, quartiles.b, quartiles.c}), (std::array{2.0, 3.0, 4.0}));
    const std::pair<double, int> classes[] = {{1, 1}, {2, 1}, {2.01, 2}, {3, 2}, {4, 3}, {4.5, 4}};
    for (const auto& [value, expected] : classes)
        EXPECT_EQ(sections::ClassOf(value, quartiles), expected) << value;
    // The ramp: class colours at the classes' middles, halfway blends at the limits.
    const std::pair<double, std::uint32_t> ramp[] = {{0, 0x1A9641}, {1.5, 0x1A9641},
                                                     {2, 0x60B856}, {2.5, 0xA6D96A},
                                                     {4, 0xEA643F}, {9, 0xD7191C}};
    for (const auto& [value, rgb] : ramp)
        EXPECT_EQ(sections::RampColour(value, quartiles), rgb) << value;

    const std::pair<std::string, bool> limits[] = {
        {"1, 2.5, 4", true}, {"", true},         {"3, 2, 1", false},    {"1, 1, 2", false},
        {"1, 2", false},     {"1, x, 3", false}, {"1, 2, 3, 4", false}, {"1, 3, 2", false}};
    for (const auto& [text, accepted] : limits) {
        SectionsSettingsFile file;
        std::string error;
        EXPECT_EQ(file.Set("class_limits", text, &error), accepted) << text;
        EXPECT_EQ(error, accepted ? ""
                                  : "class_limits must be three rising numbers \"a, b, c\", "
                                    "or empty for the quartiles, not \"" +
                                        text + "\"");
    }
    TempDir dir;
    SectionsSettingsFile saved, read;
    ASSERT_TRUE(saved.Set("class_limits", " 1,2.5 , 4", nullptr) &&
                saved.Save(dir.Path(), nullptr));
    ASSERT_TRUE(read.Load(dir.Path(), nullptr) && read.classLimits);
    EXPECT_EQ(read.classLimits->b, 2.5);
    EXPECT_NE(
        ReadFile(dir.File(SectionsSettingsFile::kFileName)).find("\nclass_limits = 1, 2.5, 4\n"),
        std::string::npos);
}

// A GPS file's name can hold any byte; the files still parse, and say the name as well as UTF-8
// can.
TEST(GeoExport, NamesWithAnyByteGiveValidJsonAndXml) {
    const auto gps = std::make_unique<CNMEA>();
    gps->gpsPath = "a\"\\<&\x01\xC0\xED\xA0\x80\xE2\x82\xAC.GPS"; // ", \, <, &, SOH, bad bytes, €
    const geo::GeoTrack track(*gps);
    const sections::Profile profile;
    const sections::Result result;
    const geoexport::GeoInput input{profile, result, {}, track, gps->gpsPath};
    const std::string name =
        "a\\\"\\\\<& \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x82\xAC.GPS";
    EXPECT_NE(geoexport::GeoJson(input).find("\"no GPS track: " + name), std::string::npos);
    const std::string xml =
        "a&quot;\\&lt;&amp; \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x82\xAC.GPS";
    EXPECT_NE(geoexport::Kml(input).find("<name>" + xml + "</name>"), std::string::npos);
}

// The last code points before the surrogates and at U+10FFFF stay whole; one past U+10FFFF does
// not. A track needs two points.
TEST(GeoExport, Utf8EdgesAndOnePointTrack) {
    const auto gps = std::make_unique<CNMEA>();
    gps->gpsPath = "\xED\x9F\xBF\xC2\xBF\xF4\x8F\xBF\xBF\xF4\x90\x80\x80";
    gps->track[gps->trackCount++] = {38.1, -91.2, 0, 0, 100};
    const geo::GeoTrack track(*gps);
    const sections::Profile profile;
    const sections::Result result;
    EXPECT_NE(geoexport::GeoJson({profile, result, {}, track, ""})
                  .find("\"no GPS track: \xED\x9F\xBF\xC2\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBD"
                        "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD is missing or holds fewer than 2"),
              std::string::npos);
}

// Stations stay strings however they read. A folder in one file's way, or one file's folder
// missing, leaves every file as it was and says so; a later write that succeeds clears the message.
TEST(GeoExport, StationsAsTextAndFilesWrittenWholeOrNotAtAll) {
    auto gps = std::make_unique<CNMEA>();
    gps->track[gps->trackCount++] = {38.1, -91.2, 0, 0, 100};
    gps->track[gps->trackCount++] = {38.2, -91.1, 0, 0, 200};
    const geo::GeoTrack track(*gps);
    const sections::Profile profile{{100, 150, 200}, {4, 5, 6}};
    sections::Result result{std::vector<sections::Section>(1), {}};
    result.sections[0] = {0, 2, 100, 200, "1.0", "2+\"x\"", 3};
    const geoexport::GeoInput input{profile, result, {}, track, "road"};
    const std::string json = geoexport::GeoJson(input), kml = geoexport::Kml(input);
    EXPECT_NE(json.find("\"start_station\":\"1.0\",\"end_station\":\"2+\\\"x\\\"\""),
              std::string::npos)
        << json;
    EXPECT_NE(kml.find("<coordinates>-91.2000000,38.1000000 -91.1000000,38.2000000</coordinates>"),
              std::string::npos)
        << kml;
    EXPECT_NE(kml.find("&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;</description>"), std::string::npos);

    TempDir dir;
    const geoexport::GeoPaths paths = geoexport::GeoPathsOf(dir.File("road.kvt"), "");
    std::filesystem::create_directory(paths.geojson);
    std::string error;
    EXPECT_FALSE(geoexport::WriteGeoFiles(paths, input, &error));
    EXPECT_EQ(error, "Cannot write \"" + paths.geojson + "\": Is a directory");
    EXPECT_FALSE(std::filesystem::exists(paths.sections));
    std::filesystem::remove(paths.geojson);
    geoexport::GeoPaths lost = paths;
    lost.kml = dir.File("no/road.kml");
    EXPECT_FALSE(geoexport::WriteGeoFiles(lost, input, &error));
    EXPECT_EQ(error.rfind("Cannot create \"" + lost.kml + "\": ", 0), 0u) << error;
    EXPECT_FALSE(std::filesystem::exists(paths.sections));
    EXPECT_TRUE(geoexport::WriteGeoFiles(paths, input, &error));
    EXPECT_EQ(error, "");
}
