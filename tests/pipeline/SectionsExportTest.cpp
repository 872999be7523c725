#include "pipeline/SectionsExport.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"
#include "pipeline/SectionsSettingsFile.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

// The steps of the truth table: where its section factor changes, and by how much.
std::vector<std::pair<double, double>> TrueSteps(const std::string& truthPath) {
    std::istringstream text(ReadFile(truthPath));
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line, "distance_ft,true_ratio,section_factor");
    std::vector<std::pair<double, double>> steps;
    double previous = 0.0;
    for (double d, ratio, factor; text >> d && text.ignore() >> ratio && text.ignore() >> factor;
         previous = factor)
        if (previous != 0.0 && factor != previous)
            steps.emplace_back(d, factor / previous);
    return steps;
}

} // namespace

// A generated road of uniform sections: the profile read as the export reads it finds every
// step of 10 % or more within 30 ft (the analysis puts results a few feet after the truth).
TEST(SectionsEndToEnd, FindsEveryMarkedStepOfAGeneratedRoad) {
    for (std::uint64_t seed : {1, 2, 3}) {
        SCOPED_TRACE(seed);
        TempDir dir;
        synth::Options options = PlainRoad(4000);
        options.seed = seed, options.sections = 5, options.noise = 0.02;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;

        const auto read = sectionsexport::CollectProfileOf(files.kvt, dir.Path(), {.jobs = 2});
        ASSERT_TRUE(read.ok) << read.message;
        // The same results as the text export's profile.
        auto doc = std::make_unique<CVorlixDoc>(dir.Path());
        RawFileLoader loader;
        ASSERT_TRUE(loader.OpenNewFile(*doc, files.kvt).fileOpened);
        sections::Profile exported;
        ASSERT_TRUE(ExportResults(*doc, loader, doc->txtPath, doc->rdoPath,
                                  {.jobs = 1, .profile = &exported})
                        .ok);
        EXPECT_EQ(read.profile.value, exported.value);
        EXPECT_EQ(read.profile.distance, exported.distance);

        const auto found = sections::FindSections(read.profile, {.minLength = 500, .merge = 0});
        const auto steps = TrueSteps(files.truth);
        ASSERT_EQ(steps.size(), 5u);
        for (const auto& [at, ratio] : steps) {
            double nearest = 1e9;
            for (const auto& s : found)
                nearest = std::min(nearest, std::fabs(s.startFt - at));
            if (std::fabs(ratio - 1.0) >= 0.1) {
                EXPECT_LE(nearest, 30.0) << "step x" << ratio << " at " << at << " ft";
            }
        }
    }
}

TEST(SectionsCsv, PathsAndFilesWrittenWholeOrNotAtAll) {
    const std::pair<std::string, std::string> paths[][2] = {
        {{"a/road.KVT", ""}, {"a/road.sections.csv", "a/road.flags.csv"}},
        {{"a.b/road", "out/"}, {"out/road.sections.csv", "out/road.flags.csv"}},
        {{"road.x.kvt", "out"}, {"out/road.x.sections.csv", "out/road.x.flags.csv"}}};
    for (const auto& [in, out] : paths) {
        const auto csv = sectionsexport::CsvPathsOf(in.first, in.second);
        EXPECT_EQ(std::make_pair(csv.sections, csv.flags), std::make_pair(out.first, out.second));
    }

    sections::Result result;
    result.sections.resize(1);
    result.sections[0] = {0,   2,   5279.994, 12345.678, "5280.0", "2+\"x\",y", 3,  1.23456,
                          0.0, NAN, -1.0,     0.0,       0.0,      0.0,         0.0};
    result.flags.push_back({1, 0, 0, 1.0, 2.0, "1.0", "2.0", 2, 3.0, 1.5, 2.5});
    TempDir dir;
    const sectionsexport::CsvPaths csv{dir.File("s.csv"), dir.File("f.csv")};
    std::string error;
    ASSERT_TRUE(sectionsexport::WriteCsvFiles(csv, result, &error)) << error;
    // Quoted where RFC 4180 asks; a cov with no number stays empty.
    EXPECT_EQ(ReadFile(csv.sections),
              "section,start_ft,end_ft,start_station,end_station,results,mean,sd,cov,"
              "characteristic,p90,p95,min,max\r\n"
              "1,5279.99,12345.68,5280.0,\"2+\"\"x\"\",y\",3,1.2346,0.0000,,-1.0000,0.0000,"
              "0.0000,0.0000,0.0000\r\n");
    EXPECT_EQ(ReadFile(csv.flags), "flag,start_ft,end_ft,start_station,end_station,results,peak,"
                                   "peak_ft,mean\r\n1,1.00,2.00,1.0,2.0,2,3.0000,1.50,2.5000\r\n");
    // A folder in the flags file's way: neither file is replaced.
    std::filesystem::remove(csv.flags);
    std::filesystem::create_directory(csv.flags);
    EXPECT_FALSE(sectionsexport::WriteCsvFiles(csv, {}, &error));
    EXPECT_NE(error.find("f.csv"), std::string::npos) << error;
    EXPECT_NE(ReadFile(csv.sections).find("5279.99"), std::string::npos);
    EXPECT_FALSE(dir.HasTemporaryFiles());
    // A folder that is not there.
    const sectionsexport::CsvPaths lost{dir.File("no/s.csv"), dir.File("no/f.csv")};
    EXPECT_FALSE(sectionsexport::WriteCsvFiles(lost, {}, &error));
    EXPECT_EQ(error.rfind("Cannot create \"" + lost.sections + "\": ", 0), 0u) << error;
}

TEST(SectionsSettings, UnknownLinesKeptBadValuesNamed) {
    TempDir dir;
    const std::string path = dir.File(SectionsSettingsFile::kFileName);
    std::ofstream(path) << "# road class B\r\nk = 1.64\r\ncolour = red\nthreshold = 7.5\n";
    SectionsSettingsFile file;
    std::string error;
    ASSERT_TRUE(file.Load(dir.Path(), &error)) << error;
    EXPECT_EQ(file.parameters.section.k, 1.64);
    EXPECT_EQ(file.parameters.flag.threshold, 7.5);
    EXPECT_EQ(file.parameters.section.minLength, 500.0); // missing: the default
    ASSERT_TRUE(file.Set("threshold", "", &error) && file.Set("gap", "2.5", &error));
    ASSERT_TRUE(file.Save(dir.Path(), &error)) << error;
    EXPECT_EQ(ReadFile(path), "# road class B\nk = 1.64\ncolour = red\nthreshold = \n"
                              "min_length = 500\nalpha = 0.05\nmerge = 0\ngap = 2.5\n"
                              "min_flag = 3\n");

    const std::pair<const char*, const char*> bad[] = {
        {"alpha = 1", "alpha must be a number between 0 and 1 (both excluded), not \"1\""},
        {"alpha = 0,05", "alpha must be a number between 0 and 1 (both excluded), not \"0,05\""},
        {"min_length = -1", "min_length must be a length in feet, 0 or more, not \"-1\""},
        {"gap = 5 ft", "gap must be a length in feet, 0 or more, not \"5 ft\""},
        {"k = nan", "k must be a number, 0 or more, not \"nan\""},
        {"threshold = x", "threshold must be a number, or empty for none, not \"x\""},
        {"min_flag = 2.5", "min_flag must be a whole number of results, 1 or more, not \"2.5\""},
    };
    for (const auto& [line, message] : bad) {
        std::ofstream(path) << "merge = 0.1\n" << line << "\n";
        EXPECT_FALSE(file.Load(dir.Path(), &error));
        EXPECT_EQ(error, path + ", line 2: " + message);
    }
}
