// vorlix-cli as a user runs it: exit codes, messages on stderr, output files.
#include "support/SynthFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const std::string& arguments, const TempDir& dir) {
    const std::string errPath = dir.File("stderr.txt");
    const std::string command = std::string(VORLIX_CLI_PATH) + " " + arguments + " 2>" + errPath;
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::FILE* f = std::fopen(errPath.c_str(), "r")) {
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            run.err.append(buffer, got);
        std::fclose(f);
    }
    return run;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = GenerateSynthFiles(dir);
        ASSERT_TRUE(files.ok) << files.error;
        workdir = " --workdir " + dir.Path();
    }
    TempDir dir;
    SynthFiles files;
    std::string workdir;
};

TEST_F(CliTest, InfoShowsTheFileAndItsCompanions) {
    CliRun run = RunCli("info " + files.kvt + workdir, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Raw data file has 100000 point and 400 group. Current read segment "
                           "is:1"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"Load\""), std::string::npos);
    EXPECT_NE(run.out.find("  road images: " + files.img + " (8 pictures, "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  GPR scans: " + files.dat + " (QXR-GPR, "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" scans of 1024 samples, "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("refused"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("track points"), std::string::npos);
}

TEST_F(CliTest, CommandsExportConvertAndInspect) {
    const std::string out = dir.File("out");
    std::filesystem::create_directory(out);
    CliRun exported = RunCli("export " + files.kvt + " --out-dir " + out + workdir, dir);
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_GT(std::filesystem::file_size(out + "/road.TXT"), 0u);
    EXPECT_GT(std::filesystem::file_size(out + "/road.RDO"), 400u);

    CliRun converted = RunCli("convert " + files.kvt + " --out-dir " + out + workdir, dir);
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_EQ(std::filesystem::file_size(out + "/road_A.DAT"), 400u * 250 * 36);
    EXPECT_EQ(std::filesystem::file_size(out + "/road_C.DAT"), 100u * 16);

    CliRun cycles = RunCli("cycles " + files.kvt + " --csv" + workdir, dir);
    ASSERT_EQ(cycles.exitCode, 0) << cycles.err;
    EXPECT_EQ(cycles.out.rfind("kind,index,distance_ft,load_amplitude,geo_amplitude,ratio\n", 0),
              0u);
    EXPECT_NE(cycles.out.find("\nresult,0,"), std::string::npos);

    CliRun spectrum = RunCli("spectrum " + files.kvt + " --signal load" + workdir, dir);
    ASSERT_EQ(spectrum.exitCode, 0) << spectrum.err;
    EXPECT_EQ(spectrum.out.rfind("Load Power Spectrum from point:0 to 5000", 0), 0u);
}

TEST_F(CliTest, BadInputIsReportedOnStderrWithANonZeroExit) {
    CliRun missing = RunCli("info " + dir.File("missing.KVT") + workdir, dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Cannot open"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    CliRun usage = RunCli("info", dir);
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage"), std::string::npos);
    EXPECT_EQ(RunCli("frobnicate " + files.kvt, dir).exitCode, 2);
    EXPECT_EQ(RunCli("info " + files.kvt + " --segment x" + workdir, dir).exitCode, 2);
    EXPECT_EQ(RunCli("info " + files.kvt + " --segment 5" + workdir, dir).exitCode, 1);

    // No settings file: the calibration is missing, and the tool says so.
    TempDir empty;
    CliRun unset = RunCli("cycles " + files.kvt + " --workdir " + empty.Path(), dir);
    EXPECT_EQ(unset.exitCode, 1);
    EXPECT_NE(unset.err.find("calibration factor"), std::string::npos) << unset.err;
}

} // namespace
