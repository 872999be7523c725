// vorlix-cli sections as a user runs it: its CSV files hold the library's own sections and
// flags of the file; bad parameters are refused by name.
#include "support/CliRun.h"
#include "support/SynthFixture.h"

#include "pipeline/SectionsExport.h"
#include "pipeline/SectionsSettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

// Parameters from the settings file, one of them overridden by an option.
TEST(SectionsCli, FilesHoldTheLibrarysSectionsAndFlags) {
    TempDir dir;
    synth::Options options = SmallSynthOptions();
    options.groups = 3000, options.sections = 3, options.noise = 0.02, options.pictures = 0;
    const SynthFiles files = GenerateSynthFiles(dir, options);
    ASSERT_TRUE(files.ok) << files.error;
    std::ofstream(dir.File(SectionsSettingsFile::kFileName)) << "min_length = 300\nk = 3\n";
    std::filesystem::create_directory(dir.File("out"));
    const CliRun run = RunCli("sections road.KVT --out-dir out --k 1.64 -j 2 --workdir .", dir);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");

    SectionsSettingsFile settings;
    ASSERT_TRUE(settings.Load(dir.Path(), nullptr) && settings.Set("k", "1.64", nullptr));
    const auto read = sectionsexport::CollectProfileOf(files.kvt, dir.Path());
    ASSERT_TRUE(read.ok) << read.message;
    const sections::Result result = sections::Analyse(read.profile, settings.parameters);
    ASSERT_TRUE(result.sections.size() > 3 && !result.flags.empty());
    using std::to_string;
    const std::string head = "Sections of " + to_string(read.profile.value.size()) +
                             " results of " + to_string(read.segmentCount) + " segments\n",
                      counts = "\n" + to_string(result.sections.size()) + " sections, " +
                               to_string(result.flags.size()) + " flags\n";
    EXPECT_TRUE(run.out.starts_with(head) && run.out.find(counts) != std::string::npos) << run.out;
    // The table's rows: number, stations, then the length in feet from start to end.
    std::istringstream table(run.out.substr(run.out.find('\n', head.size()) + 1));
    for (const sections::Section& s : result.sections) {
        int number = 0;
        std::string start, end;
        double length = 0;
        table >> number >> start >> end >> length;
        table.ignore(1000, '\n');
        EXPECT_EQ(std::tie(start, end), std::tie(s.startStation, s.endStation)) << number;
        EXPECT_NEAR(length, s.endFt - s.startFt, 0.05) << number;
    }

    // The same profile gives the same numbers, so the files are the library's texts byte for
    // byte (whose columns the pipeline's tests check).
    EXPECT_EQ(ReadFile(dir.File("out/road.sections.csv")),
              sectionsexport::SectionsCsv(result.sections));
    EXPECT_EQ(ReadFile(dir.File("out/road.flags.csv")), sectionsexport::FlagsCsv(result.flags));
}

TEST(SectionsCli, BadParametersAreRefusedByName) {
    TempDir dir;
    ASSERT_TRUE(GenerateSynthFiles(dir, PlainRoad(400)).ok);
    std::filesystem::create_directory(dir.File("bad"));
    std::ofstream(dir.File("bad/") + SectionsSettingsFile::kFileName) << "gap = -5\n";
    std::filesystem::copy_file(dir.File("Vorlixcontrol.dat"), dir.File("bad/Vorlixcontrol.dat"));
    const std::string between = " must be a number between 0 and 1 (both excluded), not ",
                      feet = " must be a length in feet, 0 or more, not ";
    // Arguments, the first line on stderr; each exits with 2.
    // clang-format off
    const std::pair<const char*, std::string> cases[] = {
        {"--alpha 0", "--alpha: alpha" + between + "\"0\""},
        {"--alpha 0.5x", "--alpha: alpha" + between + "\"0.5x\""},
        {"--min-length -1", "--min-length: min_length" + feet + "\"-1\""},
        {"--min-flag 0",
         "--min-flag: min_flag must be a whole number of results, 1 or more, not \"0\""},
        {"--threshold high",
         "--threshold: threshold must be a number, or empty for none, not \"high\""},
        {"--gaps 3", "unknown option --gaps"},
        {"-j 0", "-j needs 1 or more segments at a time, not 0"},
        {"--workdir bad", "bad/Vorlixsections.ini, line 1: gap" + feet + "\"-5\""}};
    // clang-format on
    for (const auto& [arguments, message] : cases) {
        const CliRun run = RunCli(std::string("sections road.KVT ") + arguments, dir);
        EXPECT_EQ(run.code, 2) << arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "vorlix-cli sections: " + message);
        EXPECT_FALSE(std::filesystem::exists(dir.File("road.sections.csv"))) << arguments;
    }
    const CliRun missing = RunCli("sections nope.KVT road.KVT --threshold '' -j 1", dir);
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.rfind("vorlix-cli: nope.KVT: Cannot open", 0), 0u) << missing.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("road.flags.csv")));
    EXPECT_FALSE(dir.HasTemporaryFiles());
}

// Files whose outputs would fall on an earlier file's, or that cannot be written, fail by name.
TEST(SectionsCli, OutputsThatCannotBeWrittenFail) {
    TempDir dir;
    ASSERT_TRUE(GenerateSynthFiles(dir, PlainRoad(400)).ok);
    std::filesystem::create_directories(dir.File("out"));
    std::filesystem::create_directories(dir.File("sub"));
    std::filesystem::copy_file(dir.File("road.KVT"), dir.File("sub/road.KVT"));
    const CliRun twice = RunCli("sections road.KVT sub/road.KVT --out-dir out", dir);
    EXPECT_EQ(twice.code, 1);
    EXPECT_EQ(twice.err, "vorlix-cli: sub/road.KVT: not written: out/road.sections.csv and "
                         "out/road.flags.csv hold the sections of road.KVT\n");
    const CliRun nowhere = RunCli("sections road.KVT --out-dir missing", dir);
    EXPECT_EQ(nowhere.code, 1);
    EXPECT_EQ(nowhere.err.rfind("vorlix-cli: sections failed: ", 0), 0u) << nowhere.err;
}
